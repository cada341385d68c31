// vtuLogicalStringLess on typical names against ICU's collator called directly on the same text
// already in UTF-16, and the heap allocations per comparison (which should be none).
#include <benchmark/benchmark.h>
#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "vtutils/logical_compare.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/unicode_strings.h"

namespace {
std::size_t allocations = 0;
}  // namespace

// The replacements below pair operator new with malloc and operator delete with free on purpose.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
  ++allocations;
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { operator delete(block); }

namespace {

// Names of 20 to 60 characters with numbers inside, as inspection programs name features.
const std::vector<std::string>& names() {
  static const std::vector<std::string> list = [] {
    const char* words[] = {"Bohrung", "Ebene", "Zylinder", "Kreis", "Gehäuse", "Deckel",
                           "Flansch", "Nut", "Tiefe", "Abstand", "Winkel", "Punkt"};
    std::mt19937 random(7);
    std::vector<std::string> list;
    while (list.size() < 1024) {
      std::string name;
      while (name.size() < 20 + random() % 40) {
        name += words[random() % std::size(words)];
        name += ' ';
        name += std::to_string(random() % 200);
        name += '_';
      }
      list.push_back(name);
    }
    return list;
  }();
  return list;
}

void BM_LogicalStringLess(benchmark::State& state) {
  const std::vector<std::string>& list = names();
  const vtuLogicalStringLess less;
  std::size_t i = 0;
  less(list[0].c_str(), list[1].c_str());  // opens the collator
  const std::size_t before = allocations;
  for (auto _ : state) {
    benchmark::DoNotOptimize(less(list[i % 1024].c_str(), list[(i + 1) % 1024].c_str()));
    ++i;
  }
  state.counters["allocations_per_compare"] =
      static_cast<double>(allocations - before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_LogicalStringLess);

void BM_IcuCollatorDirect(benchmark::State& state) {
  std::vector<std::u16string> list;
  for (const std::string& name : names()) {
    const CStringW wide(name.c_str());
    const apString text(apStringL, wide.GetString());
    list.push_back(text.u16());
  }
  UErrorCode status = U_ZERO_ERROR;
  UCollator* collator = ucol_open("", &status);
  ucol_setAttribute(collator, UCOL_NUMERIC_COLLATION, UCOL_ON, &status);
  std::size_t i = 0;
  for (auto _ : state) {
    const std::u16string& a = list[i % 1024];
    const std::u16string& b = list[(i + 1) % 1024];
    benchmark::DoNotOptimize(ucol_strcoll(collator, a.data(), static_cast<int32_t>(a.size()),
                                          b.data(), static_cast<int32_t>(b.size())));
    ++i;
  }
  ucol_close(collator);
}
BENCHMARK(BM_IcuCollatorDirect);

// The same, with the narrow names turned into UTF-16 by ICU on every comparison: the least any
// comparison of narrow text through ICU costs.
void BM_IcuCollatorFromUtf8(benchmark::State& state) {
  const std::vector<std::string>& list = names();
  UErrorCode status = U_ZERO_ERROR;
  UCollator* collator = ucol_open("", &status);
  ucol_setAttribute(collator, UCOL_NUMERIC_COLLATION, UCOL_ON, &status);
  std::size_t i = 0;
  for (auto _ : state) {
    UChar a[128];
    UChar b[128];
    int32_t a_length = 0;
    int32_t b_length = 0;
    u_strFromUTF8(a, 128, &a_length, list[i % 1024].c_str(), -1, &status);
    u_strFromUTF8(b, 128, &b_length, list[(i + 1) % 1024].c_str(), -1, &status);
    benchmark::DoNotOptimize(ucol_strcoll(collator, a, a_length, b, b_length));
    ++i;
  }
  ucol_close(collator);
}
BENCHMARK(BM_IcuCollatorFromUtf8);

}  // namespace
