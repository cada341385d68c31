// vtutil hash: the FNV-1 or FNV-1a hash of a text, a file or standard input, in hex.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <limits>
#include <string>

#include "command_failure.h"
#include "commands.h"
#include "vtutils/hash.h"

namespace {

struct HashOptions {
  std::string text;
  std::string file;
  bool fnv1a = false;
};

std::string read_input(const HashOptions& options) {
  if (!options.file.empty()) {
    std::ifstream in(options.file, std::ios::binary);
    if (!in) fail_command("hash", "cannot read " + options.file);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  return {std::istreambuf_iterator<char>(std::cin), {}};
}

void run_hash(const HashOptions& options, bool has_text) {
  const std::string bytes = has_text ? options.text : read_input(options);
  if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    fail_command("hash", "the input is larger than 2 GiB");
  }
  const int length = static_cast<int>(bytes.size());
  const std::uint32_t hash =
      options.fnv1a ? vtu_fnv1a_hash(bytes.data(), length) : vtu_fnv_hash(bytes.data(), length);
  std::printf("%08x\n", hash);
}

}  // namespace

void add_hash_command(CLI::App& app) {
  auto options = std::make_shared<HashOptions>();
  CLI::App* command = app.add_subcommand(
      "hash", "FNV-1 (or FNV-1a) hash of a text, a file or standard input, in hex");
  CLI::Option* text = command->add_option("text", options->text, "The text to hash");
  command->add_option("--file", options->file, "Hash the bytes of this file")->excludes(text);
  command->add_flag("--fnv1a", options->fnv1a, "FNV-1a instead of FNV-1");
  command->callback([options, text] { run_hash(*options, text->count() > 0); });
}
