// 32-bit Fowler-Noll-Vo hashes of byte strings, in the FNV-1 and FNV-1a orders.
//
// The values are stable across processes and runs. Each byte enters the hash as a signed 8-bit
// value widened with its sign (0xE9 enters as 0xFFFFFFE9), so for 7-bit ASCII text the results
// are the published FNV values and for other bytes they differ from them. Lengths count bytes;
// the data is never scanned for a terminator. Input that comes in pieces (a file read in blocks)
// is hashed with the _append forms.
#pragma once

#include <cstdint>

#include "vtutils/export.h"
#include "vtutils/platform/base.h"

// FNV-1 of the string's bytes (its terminator not included); the offset basis for the null and
// the empty string.
VTUTILS_API std::uint32_t vtu_fnv_hash(const utString& text);
// FNV-1 of the first `length` bytes at `data`; the offset basis for a length of 0 or less, and
// `data` is then not read.
VTUTILS_API std::uint32_t vtu_fnv_hash(const char* data, int length);

// FNV-1a, with the same rules.
VTUTILS_API std::uint32_t vtu_fnv1a_hash(const utString& text);
VTUTILS_API std::uint32_t vtu_fnv1a_hash(const char* data, int length);

// The hash of no bytes, where a hash of input that comes in pieces starts.
inline constexpr std::uint32_t vtu_fnv_offset_basis = 2166136261u;

// The hash of the bytes hashed so far, `hash`, continued over `length` more bytes at `data`
// (none for a length of 0 or less). Pieces hashed one after the other, starting from
// vtu_fnv_offset_basis, give the hash of all of them at once:
// vtu_fnv_hash_append(vtu_fnv_hash(a, n), b, m) is the FNV-1 of a's n bytes followed by b's m.
VTUTILS_API std::uint32_t vtu_fnv_hash_append(std::uint32_t hash, const char* data, int length);
VTUTILS_API std::uint32_t vtu_fnv1a_hash_append(std::uint32_t hash, const char* data, int length);
