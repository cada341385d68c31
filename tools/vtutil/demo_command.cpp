// vtutil demo: a short tour of the library on built-in sample data.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "commands.h"
#include "dialogs_demo.h"
#include "documents_demo.h"
#include "numeric_demo.h"
#include "paths_demo.h"
#include "processes_demo.h"
#include "xml_demo.h"
#include "vtutils/vtutils.h"

namespace {

// Sample names as a measurement application meets them, in UTF-8.
constexpr const char* kSampleTexts[] = {
    "Bohrung_12.igs",
    "Maßband Ø 12,5 mm",
    "Überprüfung Gehäuse 3",
    "Ångström → µm",
};

void show_string_conversion() {
  std::printf("String conversion (ANSI code page %u)\n", GetACP());
  const apStringUTF8Encoding utf8;
  for (const char* sample : kSampleTexts) {
    int error = 0;
    const apString text = utf8.in(sample, error);
    const CString narrow = vtuStringConverter::mfc_str(text);
    const apString back = vtuStringConverter::ap_str(narrow);
    const utString bytes = vtuStringConverter::ut_str(back);
    std::printf("  CString %2d bytes, utString %2u bytes, round trip %s: %s\n", narrow.GetLength(),
                bytes.length(), back == text ? "exact" : "lossy", sample);
  }
}

void show_code_pages() {
  std::printf("Code pages (\"%s\" as bytes)\n", kSampleTexts[1]);
  const char* sample = kSampleTexts[1];
  wchar_t wide[64] = {};
  const int wide_length = MultiByteToWideChar(CP_UTF8, 0, sample, -1, wide, 64);
  for (UINT code_page : {1252u, 1251u, 932u, 65001u}) {
    char bytes[128] = {};
    BOOL substituted = FALSE;
    const int length = WideCharToMultiByte(code_page, 0, wide, wide_length, bytes, sizeof bytes,
                                           nullptr, code_page == CP_UTF8 ? nullptr : &substituted);
    std::string hex;
    for (int i = 0; i + 1 < length; ++i) {
      char byte[4];
      std::snprintf(byte, sizeof byte, "%02X ", static_cast<unsigned char>(bytes[i]));
      hex += byte;
    }
    std::printf("  %5u: %s%s\n", code_page, hex.c_str(), substituted ? "(with substitutes)" : "");
  }
}

// Feature names as an inspection program lists them.
constexpr const char* kSampleNames[] = {"Bohrung 10", "bohrung 9", "Ebene 2", "Bohrung 1",
                                        "Ebene 10", "Ebene 02", "Abstand 3-4"};

void show_natural_order() {
  std::vector<const char*> names(std::begin(kSampleNames), std::end(kSampleNames));
  std::sort(names.begin(), names.end(), vtuLogicalStringLess());
  std::printf("Natural order\n ");
  const char* separator = " ";
  for (const char* name : names) {
    std::printf("%s%s", separator, name);
    separator = ", ";
  }
  std::printf("\n");
}

void show_hashes() {
  std::printf("FNV hashes\n");
  for (const char* text : {"", "abc", "Maßband"}) {
    const auto length = static_cast<int>(std::strlen(text));
    std::printf("  fnv1 %08x  fnv1a %08x  \"%s\"\n", vtu_fnv_hash(text, length),
                vtu_fnv1a_hash(text, length), text);
  }
}

void run_demo() {
  std::printf("VTUtils %s on Linux\n", VTUTILS_VERSION);
  for (void (*section)() : {show_string_conversion, show_code_pages, show_natural_order,
                            show_hashes, print_numeric_demo, print_paths_demo,
                            print_documents_demo, print_dialogs_demo, print_xml_demo,
                            print_processes_demo}) {
    std::printf("\n");
    section();
  }
}

}  // namespace

void add_demo_command(CLI::App& app) {
  app.add_subcommand("demo", "Run a short tour of the library on built-in sample data")
      ->callback(run_demo);
}
