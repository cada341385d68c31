// vtutil tolerance: the error value and overrun state of a measured value against its band.
#include <cstdio>
#include <memory>

#include "commands.h"
#include "json_line.h"
#include "finite_number.h"
#include "overrun_state_name.h"
#include "vtutils/error_value.h"

namespace {

struct ToleranceOptions {
  double value = 0.0;
  double lower = 0.0;
  double upper = 0.0;
  double nominal = 0.0;
  int decimals = -1;
  bool precise = false;
  bool json = false;
};

void run_tolerance(const ToleranceOptions& options, bool nominal_given) {
  const vtuPreciseErrorValueHelper precise;
  const vtuRoundedErrorValueHelper rounded;
  const vtuErrorValueHelper& helper =
      options.precise ? static_cast<const vtuErrorValueHelper&>(precise) : rounded;
  double error = 0.0;
  VTX_OverrunState state = VTX_OVERRUN_INVALID_TOLERANCE;
  if (nominal_given) {
    error = vtuErrorValueHelper::calculate_error_value(options.nominal, options.value,
                                                       options.lower, options.upper,
                                                       options.decimals);
    state = helper.calculate_error_state(options.nominal, options.value, options.lower,
                                         options.upper, options.decimals);
  } else {
    error = vtuErrorValueHelper::calculate_error_value(options.value, options.lower,
                                                       options.upper, options.decimals);
    state = helper.calculate_error_state(options.value, options.lower, options.upper,
                                         options.decimals);
  }
  if (options.json) {
    JsonLine()
        .real("error_value", error)
        .number("overrun_state", static_cast<int>(state))
        .text("overrun_state_name", overrun_state_name(state))
        .write("tolerance");
    return;
  }
  std::printf("error value: %.17g\n", error);
  std::printf("overrun state: %d %s\n", static_cast<int>(state), overrun_state_name(state));
}

}  // namespace

void add_tolerance_command(CLI::App& app) {
  auto options = std::make_shared<ToleranceOptions>();
  CLI::App* command = app.add_subcommand(
      "tolerance", "Judge a measured value against its tolerance band");
  command->add_option("VALUE", options->value, "The measured value (the actual with --nominal)")
      ->required()
      ->check(finite_number());
  command->add_option("--lower", options->lower, "Lower limit (lower tolerance with --nominal)")
      ->required()
      ->check(finite_number());
  command->add_option("--upper", options->upper, "Upper limit (upper tolerance with --nominal)")
      ->required()
      ->check(finite_number());
  CLI::Option* nominal = command->add_option(
      "--nominal", options->nominal,
      "Judge the deviation VALUE - NOMINAL against the tolerances --lower and --upper")
      ->check(finite_number());
  command
      ->add_option("--decimals", options->decimals,
                   "Decimal places the error is rounded to; negative rounds nothing")
      ->capture_default_str();
  command->add_flag("--precise", options->precise,
                    "Judge the exact error instead of the error rounded to --decimals");
  add_json_flag(command, options->json);
  command->callback([options, nominal] { run_tolerance(*options, nominal->count() > 0); });
}
