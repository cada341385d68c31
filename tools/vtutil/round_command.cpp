// vtutil round: one value through one of the library's rounding rules.
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "commands.h"
#include "vtutils/round.h"

namespace {

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
    throw CLI::ValidationError("--decimals", "applies only to --mode to");
  }
  // Doubles with 17 significant digits, so that the exact binary result shows.
  switch (mode) {
    case RoundMode::kTo:
      std::printf("%.17g\n", vtuRound::round_to(options.value, options.decimals));
      break;
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
  command->add_option("VALUE", options->value, "The value to round")->required();
  CLI::Option* decimals = command->add_option(
      "--decimals", options->decimals,
      "Decimal places for --mode to; zero or fewer round to a whole number")
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
