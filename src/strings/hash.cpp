// FNV-1 and FNV-1a over sign-widened bytes.
#include "vtutils/hash.h"

namespace {

constexpr std::uint32_t kPrime = 16777619u;

// A byte as the hash takes it: signed, widened with its sign.
inline std::uint32_t widened(char byte) {
  return static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(byte)));
}

}  // namespace

std::uint32_t vtu_fnv_hash_append(std::uint32_t hash, const char* data, int length) {
  for (int i = 0; i < length; ++i) hash = (hash * kPrime) ^ widened(data[i]);
  return hash;
}

std::uint32_t vtu_fnv1a_hash_append(std::uint32_t hash, const char* data, int length) {
  for (int i = 0; i < length; ++i) hash = (hash ^ widened(data[i])) * kPrime;
  return hash;
}

std::uint32_t vtu_fnv_hash(const char* data, int length) {
  return vtu_fnv_hash_append(vtu_fnv_offset_basis, data, length);
}

std::uint32_t vtu_fnv1a_hash(const char* data, int length) {
  return vtu_fnv1a_hash_append(vtu_fnv_offset_basis, data, length);
}

std::uint32_t vtu_fnv_hash(const utString& text) {
  return text.is_null() ? vtu_fnv_offset_basis
                        : vtu_fnv_hash(text.data(), static_cast<int>(text.length()));
}

std::uint32_t vtu_fnv1a_hash(const utString& text) {
  return text.is_null() ? vtu_fnv_offset_basis
                        : vtu_fnv1a_hash(text.data(), static_cast<int>(text.length()));
}
