// Cost of vtuStringConverter against a direct call of the platform encoding it caches: after the
// first use, a conversion should cost no more than the encoding's own work.
#include <benchmark/benchmark.h>

#include "vtutils/string_converter.h"

namespace {

const CString kNarrow("Messprogramm_Gehäuse_Deckel_Bohrung_12,5mm_Ø_Prüfung_3.igs");

void BM_ApStrThroughConverter(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(vtuStringConverter::ap_str(kNarrow));
}
BENCHMARK(BM_ApStrThroughConverter);

void BM_ApStrDirectEncoding(benchmark::State& state) {
  const apIStringOsEncoding* encoding = apStringOsEncodingChooser().os_encoding();
  for (auto _ : state) {
    int error = 0;
    benchmark::DoNotOptimize(encoding->in(kNarrow.GetString(), error));
  }
}
BENCHMARK(BM_ApStrDirectEncoding);

void BM_MfcStrThroughConverter(benchmark::State& state) {
  const apString text = vtuStringConverter::ap_str(kNarrow);
  for (auto _ : state) benchmark::DoNotOptimize(vtuStringConverter::mfc_str(text));
}
BENCHMARK(BM_MfcStrThroughConverter);

}  // namespace
