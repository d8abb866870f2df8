#include "data/scrambled.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

namespace {

const unsigned char kMagic[14] = {'4', '2', 'K', 'E', 'L', 'P', '_', 'C', 'I', 'P', 'H', 'E', 'R', 0};

uint32_t ReadUint32(const unsigned char* at) {
  return at[0] | at[1] << 8 | at[2] << 16 | static_cast<uint32_t>(at[3]) << 24;
}

void WriteUint32(unsigned char* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

// The sum of every scrambled byte (as a signed byte) times its index, wrapping at 32 bits.
uint32_t Checksum(const unsigned char* scrambled, size_t length) {
  uint32_t sum = 0;
  for (size_t i = 0; i < length; ++i)
    sum += static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(scrambled[i]))) * static_cast<uint32_t>(i);
  return sum;
}

unsigned char Key(size_t i) { return kMagic[i % 13]; }

}  // namespace

bool OVD_IsScrambled(const void* bytes, size_t length) {
  return bytes && length >= SCRAMBLED_HEADER_SIZE && memcmp(bytes, kMagic, sizeof kMagic) == 0;
}

unsigned char* OVD_Unwrap(const void* bytes, size_t length, size_t* payload_length) {
  if (!OVD_IsScrambled(bytes, length)) return nullptr;
  const unsigned char* in = static_cast<const unsigned char*>(bytes);
  uint32_t declared = ReadUint32(in + 14);
  if (length - SCRAMBLED_HEADER_SIZE != declared) return nullptr;
  const unsigned char* scrambled = in + SCRAMBLED_HEADER_SIZE;
  if (Checksum(scrambled, declared) != ReadUint32(in + 18)) return nullptr;
  unsigned char* plain = static_cast<unsigned char*>(malloc(declared ? declared : 1));
  if (!plain) return nullptr;
  for (size_t i = 0; i < declared; ++i) plain[i] = static_cast<unsigned char>(scrambled[i] + Key(i) + (i & 0xff));
  *payload_length = declared;
  return plain;
}

unsigned char* OVD_Wrap(const void* bytes, size_t length, size_t* wrapped_length) {
  if (length > 0xffffffffu - SCRAMBLED_HEADER_SIZE || (length && !bytes)) return nullptr;
  unsigned char* out = static_cast<unsigned char*>(malloc(length + SCRAMBLED_HEADER_SIZE));
  if (!out) return nullptr;
  const unsigned char* plain = static_cast<const unsigned char*>(bytes);
  unsigned char* scrambled = out + SCRAMBLED_HEADER_SIZE;
  for (size_t i = 0; i < length; ++i) scrambled[i] = static_cast<unsigned char>(plain[i] - Key(i) - (i & 0xff));
  memcpy(out, kMagic, sizeof kMagic);
  WriteUint32(out + 14, static_cast<uint32_t>(length));
  WriteUint32(out + 18, Checksum(scrambled, length));
  *wrapped_length = length + SCRAMBLED_HEADER_SIZE;
  return out;
}
