// vtutil convert: bytes on standard input in one code page, the same text on standard output in
// another, through the replacement layer's Win32 conversions.
#include <iostream>
#include <iterator>
#include <string>

#include "code_page_argument.h"
#include "command_failure.h"
#include "commands.h"
#include "vtutils/platform/text.h"
#include "vtutils/platform/win32_types.h"

namespace {

struct ConvertOptions {
  std::string from = "acp";
  std::string to = "utf-8";
  bool strict = false;
};

UINT code_page_or_throw(const std::string& name) {
  const std::optional<UINT> id = parse_code_page(name);
  if (!id) throw CLI::ValidationError("unknown code page: " + name);
  return *id;
}

// A conversion call failed: says what and the error it gave.
[[noreturn]] void fail(const std::string& what) {
  fail_command("convert", what + " (Win32 error " + std::to_string(GetLastError()) + ")");
}

void run_convert(const ConvertOptions& options) {
  const UINT from = code_page_or_throw(options.from);
  const UINT to = code_page_or_throw(options.to);
  const std::string input{std::istreambuf_iterator<char>(std::cin), {}};
  if (input.empty()) return;

  const DWORD decode_flags = options.strict ? MB_ERR_INVALID_CHARS : 0;
  const int input_length = static_cast<int>(input.size());
  const int wide_length =
      MultiByteToWideChar(from, decode_flags, input.data(), input_length, nullptr, 0);
  if (wide_length == 0) fail("cannot read the input as code page " + options.from);
  std::wstring wide(static_cast<std::size_t>(wide_length), L'\0');
  MultiByteToWideChar(from, decode_flags, input.data(), input_length, wide.data(), wide_length);

  // UTF-8 reports substitutions only as a failure, the other code pages through the flag.
  BOOL substituted = FALSE;
  const bool utf8 = to == CP_UTF8 || (to == CP_ACP && GetACP() == CP_UTF8);
  BOOL* report = utf8 ? nullptr : &substituted;
  const DWORD encode_flags = utf8 && options.strict ? WC_ERR_INVALID_CHARS : 0;
  const int output_length =
      WideCharToMultiByte(to, encode_flags, wide.data(), wide_length, nullptr, 0, nullptr, report);
  if (output_length == 0) fail("cannot write the text in code page " + options.to);
  std::string output(static_cast<std::size_t>(output_length), '\0');
  WideCharToMultiByte(to, encode_flags, wide.data(), wide_length, output.data(), output_length,
                      nullptr, report);
  if (substituted && options.strict) {
    fail_command("convert", "the text has characters that code page " + options.to + " cannot hold");
  }
  std::cout.write(output.data(), static_cast<std::streamsize>(output.size()));
  if (substituted) {
    warn_command("convert", "characters that code page " + options.to +
                                " cannot hold were replaced by '?'");
  }
}

}  // namespace

void add_convert_command(CLI::App& app) {
  auto options = std::make_shared<ConvertOptions>();
  CLI::App* command = app.add_subcommand(
      "convert", "Convert bytes on standard input from one code page to another");
  command->add_option("--from", options->from,
                      "Code page of the input: acp, utf-8, or a number such as 1252")
      ->capture_default_str();
  command->add_option("--to", options->to, "Code page of the output")->capture_default_str();
  command->add_flag("--strict", options->strict,
                    "Fail instead of replacing what cannot be converted");
  command->callback([options] { run_convert(*options); });
}
