// A CLI11 check for options that take a measured or computed number: NaN and the infinities are
// refused, since no rounding rule or tolerance band gives them a meaning.
#pragma once

#include <CLI/CLI.hpp>
#include <cmath>
#include <string>

inline CLI::Validator finite_number() {
  return CLI::Validator(
      [](const std::string& text) {
        double value = 0.0;
        return CLI::detail::lexical_cast(text, value) && std::isfinite(value)
                   ? std::string()
                   : "not a finite number: " + text;
      },
      "NUMBER");
}
