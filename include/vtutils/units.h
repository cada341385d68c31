// The length units of a measurement document and their display names, both ways.
#pragma once

#include "vtutils/export.h"

// The unit of a measurement document. 0 is inches, not millimetres, and "undefined" is a real
// member. The underlying type is fixed, so any int converts to a VTX_Units without loss.
enum VTX_Units : int {
  VTX_UNITS_UNDEFINED = -1,
  VTX_UNITS_INCHES = 0,
  VTX_UNITS_MM = 1,
};

// "inches", "mm" or "undefined"; "" (never null) for a value that is no member. The text is
// static and stays valid while the library is loaded.
VTUTILS_API const char* vtu_units_to_string(VTX_Units units);

// "in", "mm" or "undefined"; "" (never null) for a value that is no member.
VTUTILS_API const char* vtu_units_to_short_string(VTX_Units units);

// The unit named by `text`: "inches" or "in", "mm", "undefined". Matching is exact and
// byte-wise: no trimming and no case folding, so "MM" or "in " name nothing. Text that names no
// unit, the empty text and a null pointer give VTX_UNITS_UNDEFINED. Every name that the two
// functions above produce converts back to its unit. Safe to call from any thread.
VTUTILS_API VTX_Units vtu_units_from_string(const char* text);
