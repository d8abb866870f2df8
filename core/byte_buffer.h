// The engine's growable byte buffer. The program sees its first four fields (ByteBuffer of
// ov_types.h); a fixed buffer wraps memory it does not own and never grows or frees it; with
// byte_swap set, 32-bit values are written byte-reversed.
#pragma once

#include "core/orvel.h"

struct EngineBuffer {
  ByteBuffer visible;
  bool fixed;
  bool byte_swap;
};

// A new buffer with room for capacity bytes (data allocated when capacity >= 1), size 0.
ByteBuffer* OVI_CreateBuffer(int capacity);
// Wraps size bytes the caller owns; the buffer never grows or frees them.
ByteBuffer* OVI_WrapBuffer(void* data, int size);
void OVI_FreeBuffer(ByteBuffer* buffer);
// Appending beyond the capacity reallocates to twice the needed size. False when a fixed buffer
// has no room or memory runs out (nothing is appended then).
bool OVI_AppendBytes(ByteBuffer* buffer, const void* data, int count);
bool OVI_AppendText(ByteBuffer* buffer, const char* text, bool with_nul);
bool OVI_AppendNul(ByteBuffer* buffer);
bool OVI_AppendUint32(ByteBuffer* buffer, unsigned value);
void OVI_SetByteSwap(ByteBuffer* buffer, bool swap);
// Reads a NUL-terminated text of at most 2047 bytes from the read position into out (2048
// bytes); false when no NUL follows within the buffer's size (nothing is consumed then).
bool OVI_ReadText(ByteBuffer* buffer, char* out);
ByteBuffer* OVI_CopyBuffer(const ByteBuffer* buffer);

ByteBuffer* OV_CALL OV_CreateBuffer(int byte_count);
void OV_CALL OV_FreeBuffer(ByteBuffer* buffer);
