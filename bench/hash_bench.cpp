// FNV-1 and FNV-1a over 1 MiB against the plain one-multiply-one-xor loop compiled here: the
// library's hashes should run at the reference loop's speed.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "vtutils/hash.h"

namespace {

constexpr std::uint32_t kOffsetBasis = 2166136261u;
constexpr std::uint32_t kPrime = 16777619u;

const std::vector<char>& data() {
  static const std::vector<char> bytes = [] {
    std::vector<char> bytes(1 << 20);
    std::mt19937 random(42);
    for (char& byte : bytes) byte = static_cast<char>(random());
    return bytes;
  }();
  return bytes;
}

std::uint32_t widened(char byte) {
  return static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(byte)));
}

__attribute__((noinline)) std::uint32_t reference_fnv1(const char* bytes, int length) {
  std::uint32_t hash = kOffsetBasis;
  for (int i = 0; i < length; ++i) hash = (hash * kPrime) ^ widened(bytes[i]);
  return hash;
}

__attribute__((noinline)) std::uint32_t reference_fnv1a(const char* bytes, int length) {
  std::uint32_t hash = kOffsetBasis;
  for (int i = 0; i < length; ++i) hash = (hash ^ widened(bytes[i])) * kPrime;
  return hash;
}

template <std::uint32_t (*Hash)(const char*, int)>
void BM_Hash(benchmark::State& state) {
  const std::vector<char>& bytes = data();
  for (auto _ : state) {
    benchmark::DoNotOptimize(Hash(bytes.data(), static_cast<int>(bytes.size())));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

BENCHMARK(BM_Hash<reference_fnv1>)->Name("fnv1/reference");
BENCHMARK(BM_Hash<vtu_fnv_hash>)->Name("fnv1/library");
BENCHMARK(BM_Hash<reference_fnv1a>)->Name("fnv1a/reference");
BENCHMARK(BM_Hash<vtu_fnv1a_hash>)->Name("fnv1a/library");

}  // namespace
