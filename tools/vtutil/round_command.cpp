// vtutil round: one value through one of the library's rounding rules.
#include <climits>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "command_failure.h"
#include "commands.h"
#include "finite_number.h"
#include "vtutils/round.h"

namespace {

constexpr double kIntMax = INT_MAX;

enum class RoundMode { kTo, kSym, kAsym, kAway, kFixZero };

const std::map<std::string, RoundMode> kModes{
    {"to", RoundMode::kTo},
    {"sym", RoundMode::kSym},
    {"asym", RoundMode::kAsym},
    {"away", RoundMode::kAway},
    {"fix-zero", RoundMode::kFixZero},
};

struct RoundOptions {
  double value = 0.0;
  int decimals = 0;
  std::string mode = "to";
};

void run_round(const RoundOptions& options, bool decimals_given) {
  const RoundMode mode = kModes.at(options.mode);  // checked by the option
  if (decimals_given && mode != RoundMode::kTo) {
    fail_usage("round", "--decimals applies only to --mode to");
  }
  // The whole-number rules answer an int; within these bounds each rule's answer fits.
  const bool whole = mode == RoundMode::kSym || mode == RoundMode::kAsym || mode == RoundMode::kAway;
  if (whole && !(options.value >= -kIntMax && options.value <= kIntMax)) {
    fail_usage("round", "--mode " + options.mode + " gives an int, so the value must lie from " +
                            std::to_string(-INT_MAX) + " to " + std::to_string(INT_MAX));
  }
  // Doubles with 17 significant digits, so that the exact binary result shows.
  switch (mode) {
    case RoundMode::kTo: {
      // Scaling by the power of ten overflows for large values with many decimal places.
      const double rounded = vtuRound::round_to(options.value, options.decimals);
      if (!std::isfinite(rounded)) {
        fail_usage("round", "the value is too large for " + std::to_string(options.decimals) +
                                " decimal places");
      }
      std::printf("%.17g\n", rounded);
      break;
    }
    case RoundMode::kSym:
      std::printf("%d\n", vtuRound::round_sym(options.value));
      break;
    case RoundMode::kAsym:
      std::printf("%d\n", vtuRound::round_asym(options.value));
      break;
    case RoundMode::kAway:
      std::printf("%d\n", vtuRound::round_away_from_zero(options.value));
      break;
    case RoundMode::kFixZero:
      std::printf("%.17g\n", vtuRound::fix_negative_zero_value(options.value));
      break;
  }
}

}  // namespace

void add_round_command(CLI::App& app) {
  auto options = std::make_shared<RoundOptions>();
  CLI::App* command = app.add_subcommand("round", "Round a value by one of the rounding rules");
  command->add_option("VALUE", options->value, "The value to round")
      ->required()
      ->check(finite_number());
  CLI::Option* decimals = command->add_option(
      "--decimals", options->decimals,
      "Decimal places for --mode to, at most 308; zero or fewer round to a whole number")
                              ->check(CLI::Range(INT_MIN, 308))
                              ->capture_default_str();
  command
      ->add_option("--mode", options->mode,
                   "to: decimal places, ties away from zero; sym: whole number, ties away from "
                   "zero; asym: whole number, ties up; away: next whole number away from zero; "
                   "fix-zero: +0 for magnitudes below 1e-11")
      ->check(CLI::IsMember(kModes))
      ->capture_default_str();
  command->callback([options, decimals] { run_round(*options, decimals->count() > 0); });
}
