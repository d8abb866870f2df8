// Base behaviours of the renderer interface: memory vertex and index buffers, bitmap regions.
#include "render/renderer.h"

#include <stdlib.h>
#include <string.h>

#include "resources/bitmap.h"

int OVI_VertexStride(int format) {
  switch (format) {
    case 15: return 36;
    case 47: return 48;
    case 111: return 60;
    case 399: return 56;
    case 495: return 80;
    default: return 24;
  }
}

RendererImplementation::~RendererImplementation() = default;

RenderVertexBuffer* RendererImplementation::CreateVertexBuffer(int format, int count, bool) {
  if (count < 0) return nullptr;
  RenderVertexBuffer* buffer = static_cast<RenderVertexBuffer*>(calloc(1, sizeof(RenderVertexBuffer)));
  if (!buffer) return nullptr;
  buffer->format = format;
  buffer->count = count;
  buffer->one = 1;
  buffer->data = calloc(static_cast<size_t>(count) + 1, static_cast<size_t>(OVI_VertexStride(format)));
  if (!buffer->data) {
    free(buffer);
    return nullptr;
  }
  return buffer;
}

void RendererImplementation::ReleaseVertexBuffer(RenderVertexBuffer* buffer) {
  if (!buffer) return;
  free(buffer->data);
  free(buffer);
}

void* RendererImplementation::LockVertexBuffer(RenderVertexBuffer* buffer) {
  buffer->locked = true;
  return buffer->data;
}

void RendererImplementation::UnlockVertexBuffer(RenderVertexBuffer* buffer) { buffer->locked = false; }

void RendererImplementation::UploadVertexBuffer(RenderVertexBuffer* buffer, const void* data) {
  void* target = LockVertexBuffer(buffer);
  if (target && data) memcpy(target, data, static_cast<size_t>(buffer->count) * OVI_VertexStride(buffer->format));
  UnlockVertexBuffer(buffer);
}

RenderIndexBuffer* RendererImplementation::CreateIndexBuffer(int count, bool) {
  if (count < 0) return nullptr;
  RenderIndexBuffer* buffer = static_cast<RenderIndexBuffer*>(calloc(1, sizeof(RenderIndexBuffer)));
  if (!buffer) return nullptr;
  buffer->count = count;
  buffer->data = static_cast<unsigned short*>(calloc(static_cast<size_t>(count) + 1, sizeof(unsigned short)));
  if (!buffer->data) {
    free(buffer);
    return nullptr;
  }
  return buffer;
}

void RendererImplementation::ReleaseIndexBuffer(RenderIndexBuffer* buffer) {
  if (!buffer) return;
  free(buffer->data);
  free(buffer);
}

void* RendererImplementation::LockIndexBuffer(RenderIndexBuffer* buffer) {
  buffer->locked = true;
  return buffer->data;
}

void RendererImplementation::UnlockIndexBuffer(RenderIndexBuffer* buffer) { buffer->locked = false; }

void RendererImplementation::UploadIndexBuffer(RenderIndexBuffer* buffer, const void* data) {
  void* target = LockIndexBuffer(buffer);
  if (target && data) memcpy(target, data, static_cast<size_t>(buffer->count) * sizeof(unsigned short));
  UnlockIndexBuffer(buffer);
}

void RendererImplementation::SetBitmapRegion(Bitmap* bitmap, int x, int y, int width, int height) {
  BitmapHardware& h = bitmap->hardware;
  if (h.texture_width <= 0 || h.texture_height <= 0) return;
  float tw = static_cast<float>(h.texture_width), th = static_cast<float>(h.texture_height);
  h.left = x / tw;
  h.top = y / th;
  h.right = (x + width) / tw;
  h.bottom = (y + height) / th;
}
