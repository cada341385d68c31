// vtutil hash: the FNV-1 or FNV-1a hash of a text, a file or standard input, in hex. Files and
// standard input are hashed block by block, so their size does not matter.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "command_failure.h"
#include "commands.h"
#include "input_file.h"
#include "vtutils/hash.h"

namespace {

struct HashOptions {
  std::string text;
  std::string file;
  bool fnv1a = false;
};

std::uint32_t hash_bytes(std::uint32_t hash, const char* data, std::size_t length, bool fnv1a) {
  const int count = static_cast<int>(length);  // a block or a command-line word
  return fnv1a ? vtu_fnv1a_hash_append(hash, data, count) : vtu_fnv_hash_append(hash, data, count);
}

std::uint32_t hash_input(const std::string& path, bool fnv1a) {
  InputFile input("hash", path);
  std::vector<char> block(kInputBlockSize);
  std::uint32_t hash = vtu_fnv_offset_basis;
  while (const std::size_t count = input.read(block.data(), block.size())) {
    hash = hash_bytes(hash, block.data(), count, fnv1a);
  }
  return hash;
}

void run_hash(const HashOptions& options, bool has_text) {
  std::uint32_t hash = 0;
  if (has_text && options.text != "-") {
    hash = hash_bytes(vtu_fnv_offset_basis, options.text.data(), options.text.size(),
                      options.fnv1a);
  } else {
    hash = hash_input(options.file.empty() ? "-" : options.file, options.fnv1a);
  }
  char line[16];
  write_output("hash", {line, static_cast<std::size_t>(
                                  std::snprintf(line, sizeof line, "%08x\n", hash))});
}

}  // namespace

void add_hash_command(CLI::App& app) {
  auto options = std::make_shared<HashOptions>();
  CLI::App* command = app.add_subcommand(
      "hash", "FNV-1 (or FNV-1a) hash of a text, a file or standard input, in hex");
  CLI::Option* text = command->add_option(
      "text", options->text, "The text to hash; - or none for standard input");
  command->add_option("--file", options->file, "Hash the bytes of this file")->excludes(text);
  command->add_flag("--fnv1a", options->fnv1a, "FNV-1a instead of FNV-1");
  command->callback([options, text] { run_hash(*options, text->count() > 0); });
}
