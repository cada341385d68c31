// vtutil units: a unit number to its names, or a unit name to its number.
#include <charconv>
#include <cstdio>
#include <memory>
#include <string>

#include "commands.h"
#include "json_line.h"
#include "vtutils/units.h"

namespace {

void print_unit(VTX_Units units, bool json) {
  if (json) {
    JsonLine()
        .number("number", static_cast<int>(units))
        .text("name", vtu_units_to_string(units))
        .text("short_name", vtu_units_to_short_string(units))
        .write("units");
    return;
  }
  std::printf("%d %s (%s)\n", static_cast<int>(units), vtu_units_to_string(units),
              vtu_units_to_short_string(units));
}

void run_units(const std::string& argument, bool json) {
  int number = 0;
  const char* const end = argument.data() + argument.size();
  const auto [stop, error] = std::from_chars(argument.data(), end, number);
  if (stop == end && (error == std::errc() || error == std::errc::result_out_of_range)) {
    const auto units = static_cast<VTX_Units>(number);
    // The names are empty for a number that is no unit.
    if (error != std::errc() || *vtu_units_to_string(units) == '\0') {
      throw CLI::ValidationError("NAME-OR-NUMBER", "no unit has the number " + argument);
    }
    print_unit(units, json);
    return;
  }
  const VTX_Units units = vtu_units_from_string(argument.c_str());
  // Text that names no unit also reads as undefined; only the name itself really is.
  if (units == VTX_UNITS_UNDEFINED && argument != vtu_units_to_string(VTX_UNITS_UNDEFINED)) {
    throw CLI::ValidationError("NAME-OR-NUMBER",
                               "no unit is named '" + argument +
                                   "' (names are exact: inches, in, mm, undefined)");
  }
  print_unit(units, json);
}

}  // namespace

void add_units_command(CLI::App& app) {
  auto argument = std::make_shared<std::string>();
  auto json = std::make_shared<bool>(false);
  CLI::App* command = app.add_subcommand(
      "units", "Show a length unit's number and names, given its number or a name");
  command
      ->add_option("NAME-OR-NUMBER", *argument,
                   "A unit number (-1, 0, 1) or name (inches, in, mm, undefined)")
      ->required();
  add_json_flag(command, *json);
  command->callback([argument, json] { run_units(*argument, *json); });
}
