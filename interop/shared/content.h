/* Stream contents and fingerprints that every interoperability program agrees on: SHA-256, and
 * the bytes of a test stream made from SHA-256 in counter mode.
 *
 * Plain C that also compiles as C++: the Windows programs built with MinGW and the Linux program
 * built against vtplatform include the same definitions, so both sides write and check the very
 * same bytes. The test driver computes them with Python's hashlib to know what to expect.
 *
 * Stream bytes: block k (32 bytes) is SHA-256 of the 12 bytes seed (uint32, little endian)
 * followed by k (uint64, little endian); a stream of n bytes is the first n bytes of blocks
 * 0, 1, 2, ... No block repeats, so a sector read from the wrong place never matches. */
#ifndef INTEROP_SHARED_CONTENT_H
#define INTEROP_SHARED_CONTENT_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

struct sha256 {
  uint32_t state[8];
  uint64_t length;      /* bytes hashed so far */
  unsigned char block[64];
  size_t used;          /* bytes waiting in block */
};

static const uint32_t sha256_k[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4,
    0xab1c5ed5, 0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe,
    0x9bdc06a7, 0xc19bf174, 0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f,
    0x4a7484aa, 0x5cb0a9dc, 0x76f988da, 0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7,
    0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967, 0x27b70a85, 0x2e1b2138, 0x4d2c6dfc,
    0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85, 0xa2bfe8a1, 0xa81a664b,
    0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070, 0x19a4c116,
    0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7,
    0xc67178f2};

static inline uint32_t sha256_rotr(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

static inline void sha256_compress(struct sha256* h, const unsigned char* block) {
  uint32_t w[64];
  uint32_t v[8];
  int i;
  for (i = 0; i < 16; ++i) {
    w[i] = (uint32_t)block[4 * i] << 24 | (uint32_t)block[4 * i + 1] << 16 |
           (uint32_t)block[4 * i + 2] << 8 | (uint32_t)block[4 * i + 3];
  }
  for (i = 16; i < 64; ++i) {
    uint32_t s0 = sha256_rotr(w[i - 15], 7) ^ sha256_rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
    uint32_t s1 = sha256_rotr(w[i - 2], 17) ^ sha256_rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }
  memcpy(v, h->state, sizeof v);
  for (i = 0; i < 64; ++i) {
    uint32_t s1 = sha256_rotr(v[4], 6) ^ sha256_rotr(v[4], 11) ^ sha256_rotr(v[4], 25);
    uint32_t ch = (v[4] & v[5]) ^ (~v[4] & v[6]);
    uint32_t t1 = v[7] + s1 + ch + sha256_k[i] + w[i];
    uint32_t s0 = sha256_rotr(v[0], 2) ^ sha256_rotr(v[0], 13) ^ sha256_rotr(v[0], 22);
    uint32_t maj = (v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]);
    memmove(v + 1, v, 7 * sizeof v[0]);
    v[4] += t1;
    v[0] = t1 + s0 + maj;
  }
  for (i = 0; i < 8; ++i) h->state[i] += v[i];
}

static inline void sha256_init(struct sha256* h) {
  static const uint32_t initial[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                      0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  memcpy(h->state, initial, sizeof initial);
  h->length = 0;
  h->used = 0;
}

static inline void sha256_update(struct sha256* h, const void* data, size_t size) {
  const unsigned char* bytes = (const unsigned char*)data;
  h->length += size;
  while (size > 0) {
    size_t take = 64 - h->used < size ? 64 - h->used : size;
    memcpy(h->block + h->used, bytes, take);
    h->used += take;
    bytes += take;
    size -= take;
    if (h->used == 64) {
      sha256_compress(h, h->block);
      h->used = 0;
    }
  }
}

static inline void sha256_final(struct sha256* h, unsigned char digest[32]) {
  uint64_t bits = h->length * 8;
  unsigned char tail[8];
  int i;
  static const unsigned char pad = 0x80;
  static const unsigned char zero = 0;
  sha256_update(h, &pad, 1);
  while (h->used != 56) sha256_update(h, &zero, 1);
  for (i = 0; i < 8; ++i) tail[i] = (unsigned char)(bits >> (56 - 8 * i));
  sha256_update(h, tail, 8);
  for (i = 0; i < 32; ++i) digest[i] = (unsigned char)(h->state[i / 4] >> (24 - 8 * (i % 4)));
}

/* The digest as 64 lowercase hex digits and a terminator. */
static inline void sha256_hex(const unsigned char digest[32], char hex[65]) {
  static const char digits[] = "0123456789abcdef";
  int i;
  for (i = 0; i < 32; ++i) {
    hex[2 * i] = digits[digest[i] >> 4];
    hex[2 * i + 1] = digits[digest[i] & 15];
  }
  hex[64] = '\0';
}

/* Fills `size` bytes of the stream with `seed`, starting at byte `offset` of that stream. */
static inline void content_fill(uint32_t seed, uint64_t offset, unsigned char* out, size_t size) {
  while (size > 0) {
    uint64_t block_index = offset / 32;
    size_t skip = (size_t)(offset % 32);
    size_t take = 32 - skip < size ? 32 - skip : size;
    unsigned char input[12];
    unsigned char block[32];
    struct sha256 h;
    int i;
    for (i = 0; i < 4; ++i) input[i] = (unsigned char)(seed >> (8 * i));
    for (i = 0; i < 8; ++i) input[4 + i] = (unsigned char)(block_index >> (8 * i));
    sha256_init(&h);
    sha256_update(&h, input, sizeof input);
    sha256_final(&h, block);
    memcpy(out, block + skip, take);
    out += take;
    offset += take;
    size -= take;
  }
}

#endif /* INTEROP_SHARED_CONTENT_H */
