// Unit names: two switches for the display names and one lookup table for the way back.
#include "vtutils/units.h"

#include <map>

#include "vtutils/platform/framework_strings.h"

const char* vtu_units_to_string(VTX_Units units) {
  switch (units) {
    case VTX_UNITS_UNDEFINED:
      return "undefined";
    case VTX_UNITS_INCHES:
      return "inches";
    case VTX_UNITS_MM:
      return "mm";
  }
  return "";
}

const char* vtu_units_to_short_string(VTX_Units units) {
  switch (units) {
    case VTX_UNITS_UNDEFINED:
      return "undefined";
    case VTX_UNITS_INCHES:
      return "in";
    case VTX_UNITS_MM:
      return "mm";
  }
  return "";
}

VTX_Units vtu_units_from_string(const char* text) {
  // Built on the first call; a thread that calls meanwhile waits for it. Read-only afterwards.
  static const std::map<CString, VTX_Units> table{
      {"inches", VTX_UNITS_INCHES},
      {"in", VTX_UNITS_INCHES},
      {"mm", VTX_UNITS_MM},
      {"undefined", VTX_UNITS_UNDEFINED},
  };
  // CString takes a null pointer as the empty text.
  const auto found = table.find(CString(text));
  return found != table.end() ? found->second : VTX_UNITS_UNDEFINED;
}
