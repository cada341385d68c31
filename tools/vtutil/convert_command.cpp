// vtutil convert: bytes in one code page from standard input or a file, the same text on standard
// output in another, through the replacement layer's Win32 conversions. The input is converted a
// block at a time, each block cut after a whole character, so memory stays the same whatever its
// size.
#include <algorithm>
#include <string>
#include <vector>

#include "character_cut.h"
#include "code_page_argument.h"
#include "command_failure.h"
#include "commands.h"
#include "input_file.h"
#include "vtutils/platform/text.h"
#include "vtutils/platform/win32_types.h"

namespace {

struct ConvertOptions {
  std::string file = "-";
  std::string from = "acp";
  std::string to = "utf-8";
  bool strict = false;
};

UINT code_page_or_throw(const std::string& name) {
  const std::optional<UINT> id = parse_code_page(name);
  if (!id) throw CLI::ValidationError("unknown code page: " + name);
  return *id;
}

// Converts pieces of text that each end on a whole character and writes them to standard output.
class Converter {
 public:
  explicit Converter(const ConvertOptions& options)
      : options_(options),
        from_(code_page_or_throw(options.from)),
        to_(code_page_or_throw(options.to)),
        // UTF-8 reports substitutions only as a failure, the other code pages through the flag.
        to_utf8_(to_ == CP_UTF8 || (to_ == CP_ACP && GetACP() == CP_UTF8)) {}

  UINT from() const { return from_; }

  void convert(const char* bytes, std::size_t length) {
    if (length == 0) return;
    // No code page makes more than one character of a byte, nor more than four bytes of one.
    wide_.resize(length);
    const int wide_length =
        MultiByteToWideChar(from_, options_.strict ? MB_ERR_INVALID_CHARS : 0, bytes,
                            static_cast<int>(length), wide_.data(), static_cast<int>(length));
    if (wide_length == 0) {
      fail_command("convert", GetLastError() == ERROR_NO_UNICODE_TRANSLATION
                                  ? "the input is not valid in code page " + options_.from
                                  : "cannot read the input as code page " + options_.from);
    }
    output_.resize(static_cast<std::size_t>(wide_length) * 4);
    BOOL substituted = FALSE;
    const int output_length = WideCharToMultiByte(
        to_, to_utf8_ && options_.strict ? WC_ERR_INVALID_CHARS : 0, wide_.data(), wide_length,
        output_.data(), static_cast<int>(output_.size()), nullptr,
        to_utf8_ ? nullptr : &substituted);
    if (output_length == 0) {
      fail_command("convert", "cannot write the text in code page " + options_.to);
    }
    if (substituted && options_.strict) {
      fail_command("convert",
                   "the text has characters that code page " + options_.to + " cannot hold");
    }
    substituted_ = substituted_ || substituted;
    write_output("convert", {output_.data(), static_cast<std::size_t>(output_length)});
  }

  void finish() const {
    if (substituted_) {
      warn_command("convert", "characters that code page " + options_.to +
                                  " cannot hold were replaced by '?'");
    }
  }

 private:
  const ConvertOptions& options_;
  UINT from_;
  UINT to_;
  bool to_utf8_;
  bool substituted_ = false;
  std::vector<wchar_t> wide_;
  std::vector<char> output_;
};

void run_convert(const ConvertOptions& options) {
  Converter converter(options);
  const CharacterCut cut(converter.from());
  InputFile input("convert", options.file);
  // The bytes after the last cut wait at the front; they are less than a block, as a cut only
  // leaves a block's bytes behind where the block has a place to cut.
  std::vector<char> bytes(2 * kInputBlockSize);
  std::size_t waiting = 0;
  while (const std::size_t count = input.read(bytes.data() + waiting, kInputBlockSize)) {
    const std::size_t length = waiting + count;
    const std::size_t whole = cut.whole_length({bytes.data(), length});
    converter.convert(bytes.data(), whole);
    std::copy(bytes.data() + whole, bytes.data() + length, bytes.data());
    waiting = length - whole;
  }
  converter.convert(bytes.data(), waiting);
  converter.finish();
}

}  // namespace

void add_convert_command(CLI::App& app) {
  auto options = std::make_shared<ConvertOptions>();
  CLI::App* command = app.add_subcommand(
      "convert", "Convert bytes from standard input or FILE from one code page to another");
  command->add_option("file", options->file, "The file to convert; - or none for standard input");
  command->add_option("--from", options->from,
                      "Code page of the input: acp, utf-8, or a number such as 1252")
      ->capture_default_str();
  command->add_option("--to", options->to, "Code page of the output")->capture_default_str();
  command->add_flag("--strict", options->strict,
                    "Fail instead of replacing what cannot be converted");
  command->callback([options] { run_convert(*options); });
}
