#include "core/byte_buffer.h"

#include <stdlib.h>
#include <string.h>

namespace {

EngineBuffer* Engine(ByteBuffer* buffer) { return reinterpret_cast<EngineBuffer*>(buffer); }

bool Reserve(ByteBuffer* buffer, int extra) {
  if (extra < 0) return false;
  long long needed = static_cast<long long>(buffer->size) + extra;
  if (needed > 0x3fffffff) return false;
  if (needed <= buffer->capacity) return true;
  if (Engine(buffer)->fixed) return false;
  int capacity = static_cast<int>(needed * 2);
  unsigned char* data = static_cast<unsigned char*>(realloc(buffer->data, static_cast<size_t>(capacity)));
  if (!data) return false;
  buffer->data = data;
  buffer->capacity = capacity;
  return true;
}

}  // namespace

ByteBuffer* OVI_CreateBuffer(int capacity) {
  EngineBuffer* buffer = static_cast<EngineBuffer*>(calloc(1, sizeof(EngineBuffer)));
  if (!buffer) return nullptr;
  if (capacity >= 1) {
    buffer->visible.data = static_cast<unsigned char*>(malloc(static_cast<size_t>(capacity)));
    if (!buffer->visible.data) {
      free(buffer);
      return nullptr;
    }
    buffer->visible.capacity = capacity;
  }
  return &buffer->visible;
}

ByteBuffer* OVI_WrapBuffer(void* data, int size) {
  EngineBuffer* buffer = static_cast<EngineBuffer*>(calloc(1, sizeof(EngineBuffer)));
  if (!buffer) return nullptr;
  buffer->visible.data = static_cast<unsigned char*>(data);
  buffer->visible.size = buffer->visible.capacity = size;
  buffer->fixed = true;
  return &buffer->visible;
}

void OVI_FreeBuffer(ByteBuffer* buffer) {
  if (!buffer) return;
  if (!Engine(buffer)->fixed) free(buffer->data);
  free(Engine(buffer));
}

bool OVI_AppendBytes(ByteBuffer* buffer, const void* data, int count) {
  if (!buffer || count < 0 || (count > 0 && !data)) return false;
  if (!Reserve(buffer, count)) return false;
  if (count) memcpy(buffer->data + buffer->size, data, static_cast<size_t>(count));
  buffer->size += count;
  return true;
}

bool OVI_AppendText(ByteBuffer* buffer, const char* text, bool with_nul) {
  int length = text ? static_cast<int>(strlen(text)) : 0;
  if (!Reserve(buffer, length + (with_nul ? 1 : 0))) return false;
  OVI_AppendBytes(buffer, text, length);
  return !with_nul || OVI_AppendNul(buffer);
}

bool OVI_AppendNul(ByteBuffer* buffer) {
  const char nul = 0;
  return OVI_AppendBytes(buffer, &nul, 1);
}

bool OVI_AppendUint32(ByteBuffer* buffer, unsigned value) {
  unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                            static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
  if (Engine(buffer)->byte_swap) {
    unsigned char swapped[4] = {bytes[3], bytes[2], bytes[1], bytes[0]};
    return OVI_AppendBytes(buffer, swapped, 4);
  }
  return OVI_AppendBytes(buffer, bytes, 4);
}

void OVI_SetByteSwap(ByteBuffer* buffer, bool swap) { Engine(buffer)->byte_swap = swap; }

bool OVI_ReadText(ByteBuffer* buffer, char* out) {
  out[0] = 0;
  if (!buffer || buffer->read_position < 0) return false;
  int start = buffer->read_position;
  for (int at = start; at < buffer->size && at - start <= 2047; ++at) {
    if (buffer->data[at] != 0) continue;
    memcpy(out, buffer->data + start, static_cast<size_t>(at - start));
    out[at - start] = 0;
    buffer->read_position = at + 1;
    return true;
  }
  return false;
}

ByteBuffer* OVI_CopyBuffer(const ByteBuffer* source) {
  if (!source) return nullptr;
  ByteBuffer* copy = OVI_CreateBuffer(source->size);
  if (!copy) return nullptr;
  OVI_AppendBytes(copy, source->data, source->size);
  copy->read_position = source->read_position;
  OVI_SetByteSwap(copy, reinterpret_cast<const EngineBuffer*>(source)->byte_swap);
  return copy;
}

ByteBuffer* OV_CALL OV_CreateBuffer(int byte_count) { return OVI_CreateBuffer(byte_count); }
void OV_CALL OV_FreeBuffer(ByteBuffer* buffer) { OVI_FreeBuffer(buffer); }
