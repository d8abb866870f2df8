// The scrambled data container: a 22-byte header ("42KELP_CIPHER" and a NUL, the payload length,
// a checksum) followed by the payload with every byte shifted by a key byte and its position.
#pragma once

#include <stddef.h>

enum { SCRAMBLED_HEADER_SIZE = 22 };

bool OVD_IsScrambled(const void* bytes, size_t length);
// A new buffer (free with free()) of the unscrambled payload, or null when the length, the magic
// or the checksum does not fit. An empty payload gives a non-null buffer of length 0.
unsigned char* OVD_Unwrap(const void* bytes, size_t length, size_t* payload_length);
// A new buffer of length + 22 bytes; null when memory runs out.
unsigned char* OVD_Wrap(const void* bytes, size_t length, size_t* wrapped_length);
