#include "render/buffers.h"

#include <stdlib.h>
#include <string.h>

#include "core/core_state.h"
#include "core/log.h"
#include "render/draw_2d.h"
#include "render/drawing_state.h"
#include "render/renderer.h"

namespace {

RenderVertexBuffer* RendererVertices(VertexBuffer* buffer) {
  return static_cast<RenderVertexBuffer*>(buffer->renderer_buffer);
}
RenderIndexBuffer* RendererIndices(IndexBuffer* buffer) { return static_cast<RenderIndexBuffer*>(buffer->renderer_buffer); }

void CountLock(bool dynamic) { ++(dynamic ? drawing.dynamic_locks : drawing.static_locks); }

ov_bool OV_CALL LockVertexBuffer(VertexBuffer* buffer) {
  if (!buffer || !core.renderer || buffer->locked) return 0;
  buffer->data = core.renderer->LockVertexBuffer(RendererVertices(buffer));
  buffer->locked = buffer->data != nullptr;
  CountLock(buffer->dynamic);
  return buffer->locked;
}

void OV_CALL UnlockVertexBuffer(VertexBuffer* buffer) {
  if (!buffer || !core.renderer || !buffer->locked) return;
  core.renderer->UnlockVertexBuffer(RendererVertices(buffer));
  buffer->locked = 0;
  buffer->data = nullptr;
}

ov_bool OV_CALL LockIndexBuffer(IndexBuffer* buffer) {
  if (!buffer || !core.renderer || buffer->locked) return 0;
  buffer->data = static_cast<unsigned short*>(core.renderer->LockIndexBuffer(RendererIndices(buffer)));
  buffer->locked = buffer->data != nullptr;
  CountLock(buffer->dynamic);
  return buffer->locked;
}

void OV_CALL UnlockIndexBuffer(IndexBuffer* buffer) {
  if (!buffer || !core.renderer || !buffer->locked) return;
  core.renderer->UnlockIndexBuffer(RendererIndices(buffer));
  buffer->locked = 0;
  buffer->data = nullptr;
}

VertexBuffer* OV_CALL CreateVertexBuffer(int format, const void* data, int count, ov_bool dynamic) {
  if (!core.renderer || count <= 0) return nullptr;
  RenderVertexBuffer* inner = core.renderer->CreateVertexBuffer(format, count, dynamic != 0);
  if (!inner) return nullptr;
  VertexBuffer* buffer = static_cast<VertexBuffer*>(calloc(1, sizeof(VertexBuffer)));
  if (!buffer) {
    core.renderer->ReleaseVertexBuffer(inner);
    return nullptr;
  }
  buffer->count = count;
  buffer->format = format;
  buffer->dynamic = dynamic != 0;
  buffer->renderer_buffer = inner;
  if (data && LockVertexBuffer(buffer)) {
    memcpy(buffer->data, data, static_cast<size_t>(count) * OVI_VertexStride(format));
    UnlockVertexBuffer(buffer);
  }
  return buffer;
}

void OV_CALL FreeVertexBuffer(VertexBuffer* buffer) {
  if (!buffer) return;
  UnlockVertexBuffer(buffer);
  if (core.renderer) core.renderer->ReleaseVertexBuffer(RendererVertices(buffer));
  free(buffer);
}

IndexBuffer* OV_CALL CreateIndexBuffer(const unsigned short* data, int count, ov_bool dynamic) {
  if (!core.renderer || count <= 0) return nullptr;
  RenderIndexBuffer* inner = core.renderer->CreateIndexBuffer(count, dynamic != 0);
  if (!inner) return nullptr;
  IndexBuffer* buffer = static_cast<IndexBuffer*>(calloc(1, sizeof(IndexBuffer)));
  if (!buffer) {
    core.renderer->ReleaseIndexBuffer(inner);
    return nullptr;
  }
  buffer->count = count;
  buffer->dynamic = dynamic != 0;
  buffer->renderer_buffer = inner;
  if (data && LockIndexBuffer(buffer)) {
    memcpy(buffer->data, data, static_cast<size_t>(count) * sizeof(unsigned short));
    UnlockIndexBuffer(buffer);
  }
  return buffer;
}

void OV_CALL FreeIndexBuffer(IndexBuffer* buffer) {
  if (!buffer) return;
  UnlockIndexBuffer(buffer);
  if (core.renderer) core.renderer->ReleaseIndexBuffer(RendererIndices(buffer));
  free(buffer);
}

void OV_CALL DrawIndexedCount(VertexBuffer* vertices, IndexBuffer* indices, int index_count) {
  if (!vertices || !indices || !core.renderer) return;
  if (index_count < 0 || index_count > indices->count) {
    OV_Report(LOG_WARNING, "DrawIndexed: index count %d is outside the buffer's %d indices. Not drawing.", index_count,
              indices->count);
    return;
  }
  OVI_FlushBatch();
  OVI_ApplyDrawingState();
  OVI_SetPrimitiveMode(PRIMITIVE_TRIANGLES);
  OVI_SyncShader();
  core.renderer->DrawIndexedTriangles(RendererVertices(vertices), vertices->count, RendererIndices(indices),
                                      index_count / 3);
  drawing.transforms_dirty = false;
}

void OV_CALL DrawIndexed(VertexBuffer* vertices, IndexBuffer* indices) {
  if (indices) DrawIndexedCount(vertices, indices, indices->count);
}

void OV_CALL DrawQuad(int format, const void* vertices) { OVI_DrawFormatQuad(format, vertices); }

}  // namespace

const BufferServices buffer_services = {
    DrawQuad,         CreateVertexBuffer, FreeVertexBuffer, LockVertexBuffer, UnlockVertexBuffer, CreateIndexBuffer,
    FreeIndexBuffer,  LockIndexBuffer,    UnlockIndexBuffer, DrawIndexed,     DrawIndexedCount,
};
