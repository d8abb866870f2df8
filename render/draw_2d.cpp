#include "render/draw_2d.h"

#include <math.h>
#include <string.h>

#include "core/core_state.h"
#include "core/log.h"
#include "render/colour.h"
#include "render/drawing_state.h"
#include "render/renderer.h"
#include "render/transforms.h"
#include "resources/bitmap.h"

namespace {

// The scratch quad: top-left, top-right, bottom-left, bottom-right, at the 2D depth in the
// current colour.
struct Quad {
  OV_Vertex v[4];
};

Quad Corners(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3) {
  Quad q;
  const float xs[4] = {x0, x1, x2, x3}, ys[4] = {y0, y1, y2, y3};
  float z = OV_Get2DDepth();
  unsigned colour = OVI_PackedColour();
  for (int i = 0; i < 4; ++i) q.v[i] = OV_Vertex{xs[i], ys[i], z, colour, 0.0f, 0.0f};
  return q;
}

void TextureCorners(Quad& q, float left, float top, float right, float bottom) {
  q.v[0].u = q.v[2].u = left;
  q.v[1].u = q.v[3].u = right;
  q.v[0].v = q.v[1].v = top;
  q.v[2].v = q.v[3].v = bottom;
}

void TextureRectangle(Quad& q, const Bitmap* bitmap) {
  const BitmapHardware& h = bitmap->hardware;
  TextureCorners(q, h.left, h.top, h.right, h.bottom);
}

bool Transparent() { return OV_GetAlpha() <= 0.0f; }

int SingleQuadIndex(int format) {
  switch (format) {
    case 15: return 0;
    case 47: return 1;
    case 111: return 2;
    default: return -1;
  }
}

}  // namespace

void OV_CALL OV_DrawRectangle(const float* x, const float* y, const float* width, const float* height) {
  if (!x || !y || !width || !height || Transparent()) return;
  Quad q = Corners(*x, *y, *x + *width, *y, *x, *y + *height, *x + *width, *y + *height);
  TextureCorners(q, 0.5f, 0.5f, 0.5f, 0.5f);
  OVI_AddQuad(q.v, nullptr);
}

void OV_CALL OV_DrawBitmap(Bitmap* bitmap, const float* x, const float* y) {
  if (!OVI_BitmapDrawable(bitmap) || !x || !y || Transparent()) return;
  float w = static_cast<float>(bitmap->width), h = static_cast<float>(bitmap->height);
  Quad q = Corners(*x, *y, *x + w, *y, *x, *y + h, *x + w, *y + h);
  TextureRectangle(q, bitmap);
  OVI_AddQuad(q.v, bitmap);
}

void OV_CALL OV_DrawBitmapTransformed(Bitmap* bitmap, const float* x, const float* y, const float* angle,
                                      const float* scale) {
  if (!OVI_BitmapDrawable(bitmap) || !x || !y || !angle || !scale) return;
  float s = *scale;
  float hx = bitmap->width * s * 0.5f, hy = bitmap->height * s * 0.5f;
  // An odd size has no pixel centre in the middle: the centre moves back half a scaled pixel.
  float cx = *x - ((bitmap->width & 1) ? s * 0.5f : 0.0f);
  float cy = *y - ((bitmap->height & 1) ? s * 0.5f : 0.0f);
  float c = cosf(*angle), n = sinf(*angle);
  auto cornerx = [&](float dx, float dy) { return cx + dx * c - dy * n; };
  auto cornery = [&](float dx, float dy) { return cy + dx * n + dy * c; };
  Quad q = Corners(cornerx(-hx, -hy), cornery(-hx, -hy), cornerx(hx, -hy), cornery(hx, -hy), cornerx(-hx, hy),
                   cornery(-hx, hy), cornerx(hx, hy), cornery(hx, hy));
  TextureRectangle(q, bitmap);
  OVI_AddQuad(q.v, bitmap);
}

void OV_CALL OV_DrawBitmapLine(Bitmap* bitmap, const OV_Point* p0, const OV_Point* p1, float width0, float width1,
                               const OV_Color* color0, const OV_Color* color1) {
  if (!OVI_BitmapDrawable(bitmap) || !p0 || !p1) return;
  float dx = p0->x - p1->x, dy = p0->y - p1->y;
  float length = sqrtf(dx * dx + dy * dy);
  if (length < 1e-6f) return;
  // The unit vector from p1 to p0, turned by a right angle.
  float nx = -dy / length, ny = dx / length;
  float a0 = width0 * 0.5f, a1 = width1 * 0.5f;
  Quad q = Corners(p0->x - nx * a0, p0->y - ny * a0, p0->x + nx * a0, p0->y + ny * a0, p1->x - nx * a1,
                   p1->y - ny * a1, p1->x + nx * a1, p1->y + ny * a1);
  OV_Color current;
  OV_GetColor(&current);
  unsigned c0 = OVI_PackColour(color0 ? *color0 : current), c1 = OVI_PackColour(color1 ? *color1 : current);
  q.v[0].color = q.v[1].color = c0;
  q.v[2].color = q.v[3].color = c1;
  TextureRectangle(q, bitmap);
  OVI_AddQuad(q.v, bitmap);
}

void OV_CALL OV_DrawBitmapSection(Bitmap* bitmap, const float* x, const float* y, const float* left, const float* top,
                                  const float* right, const float* bottom) {
  if (!OVI_BitmapDrawable(bitmap) || !x || !y || !left || !top || !right || !bottom) return;
  if (bitmap->width <= 0 || bitmap->height <= 0) return;
  float w = *right - *left, h = *bottom - *top;
  Quad q = Corners(*x, *y, *x + w, *y, *x, *y + h, *x + w, *y + h);
  const BitmapHardware& t = bitmap->hardware;
  float su = (t.right - t.left) / bitmap->width, sv = (t.bottom - t.top) / bitmap->height;
  TextureCorners(q, t.left + *left * su, t.top + *top * sv, t.left + *right * su, t.top + *bottom * sv);
  OVI_AddQuad(q.v, bitmap);
}

void OV_CALL OV_DrawLine(const float* x0, const float* y0, const float* x1, const float* y1) {
  if (!x0 || !y0 || !x1 || !y1) return;
  float z = OV_Get2DDepth();
  unsigned colour = OVI_PackedColour();
  const OV_Vertex two[2] = {{*x0, *y0, z, colour, 0.0f, 0.0f}, {*x1, *y1, z, colour, 0.0f, 0.0f}};
  OVI_AddLine(two);
}

void OV_CALL OV_DrawVertexLine(const OV_Vertex* two_vertices) {
  if (two_vertices) OVI_AddLine(two_vertices);
}

void OV_CALL OV_DrawQuad(Bitmap* bitmap, const OV_Vertex* four_vertices) {
  if (!four_vertices) return;
  Quad q;
  memcpy(q.v, four_vertices, sizeof q.v);
  if (core.renderer && core.renderer->GetVertexColorOrder() == 0) {
    for (OV_Vertex& v : q.v) {
      unsigned c = v.color;
      v.color = (c & 0xff00ff00u) | (c & 0xffu) << 16 | (c >> 16 & 0xffu);
    }
  }
  if (!OVI_BitmapDrawable(bitmap)) {
    OVI_AddQuad(q.v, nullptr);
    return;
  }
  const BitmapHardware& t = bitmap->hardware;
  for (OV_Vertex& v : q.v) {
    v.u = t.left + v.u * (t.right - t.left);
    v.v = t.top + v.v * (t.bottom - t.top);
  }
  OVI_AddQuad(q.v, bitmap);
}

void OV_CALL OV_DrawTriangles(Bitmap* bitmap, const OV_Vertex* vertices, int vertex_count,
                              const unsigned short* indices, int index_count) {
  RendererImplementation* r = core.renderer;
  if (!r || !drawing.triangle_vertices[0]) return;
  OVI_FlushBatch();
  OVI_ApplyDrawingState();
  OVI_SetPrimitiveMode(PRIMITIVE_TRIANGLES);
  OVI_BindBitmap(0, bitmap);
  if (vertex_count > TRIANGLES_MAX_VERTICES) {
    OV_Report(LOG_WARNING,
              "Too many vertices (%d) for DrawTriangles call. Draw using vertex and index buffers instead. Maximum is "
              "%d. Not drawing anything for this call.",
              vertex_count, TRIANGLES_MAX_VERTICES);
    return;
  }
  if (index_count > TRIANGLES_MAX_INDICES) {
    OV_Report(LOG_WARNING,
              "Too many indices (%d) for DrawTriangles call. Draw using vertex and index buffers instead. Maximum is "
              "%d. Not drawing anything for this call.",
              index_count, TRIANGLES_MAX_INDICES);
    return;
  }
  if (!vertices || !indices || vertex_count <= 0 || index_count < 3) return;
  // An index past the vertices would make the renderer read memory it was not given.
  for (int i = 0; i < index_count; ++i) {
    if (indices[i] >= vertex_count) {
      OV_Report(LOG_WARNING, "DrawTriangles: index %d (%d) is past the %d vertices. Not drawing anything for this call.",
                i, indices[i], vertex_count);
      return;
    }
  }
  int pair = drawing.triangle_pair;
  RenderVertexBuffer* vb = drawing.triangle_vertices[pair];
  RenderIndexBuffer* ib = drawing.triangle_indices[pair];
  void* index_data = r->LockIndexBuffer(ib);
  if (index_data) memcpy(index_data, indices, static_cast<size_t>(index_count) * sizeof(unsigned short));
  r->UnlockIndexBuffer(ib);
  void* vertex_data = r->LockVertexBuffer(vb);
  if (vertex_data) memcpy(vertex_data, vertices, static_cast<size_t>(vertex_count) * sizeof(OV_Vertex));
  r->UnlockVertexBuffer(vb);
  if (!index_data || !vertex_data) return;
  OVI_SyncShader();
  r->DrawIndexedTriangles(vb, vertex_count, ib, index_count / 3);
  drawing.transforms_dirty = false;
  drawing.triangle_pair = pair ^ 1;
  OVI_FlushBatch();
}

void OV_CALL OV_SetBitmapRegion(Bitmap* bitmap, int x, int y, int width, int height) {
  if (!bitmap || !core.renderer) return;
  OVI_FlushBatch();
  core.renderer->SetBitmapRegion(bitmap, x, y, width, height);
}

void OVI_DrawFormatQuad(int format, const void* vertices) {
  RendererImplementation* r = core.renderer;
  if (!vertices || !r) return;
  if (format == 7) {
    OVI_AddQuad(static_cast<const OV_Vertex*>(vertices), nullptr);
    return;
  }
  int index = SingleQuadIndex(format);
  if (index < 0) {
    OV_Report(LOG_WARNING, "DrawQuad: vertex format %d has no quad buffer (formats 7, 15, 47 and 111 do).", format);
    return;
  }
  RenderVertexBuffer* buffer = drawing.single_quads[index];
  if (!buffer) return;
  OVI_FlushBatch();
  OVI_ApplyDrawingState();
  OVI_SetPrimitiveMode(PRIMITIVE_TRIANGLES);
  void* data = r->LockVertexBuffer(buffer);
  if (data) memcpy(data, vertices, static_cast<size_t>(4 * OVI_VertexStride(format)));
  r->UnlockVertexBuffer(buffer);
  if (!data) return;
  OVI_SyncShader();
  r->DrawIndexedTriangles(buffer, 4, drawing.quad_indices, 2);
  drawing.transforms_dirty = false;
}
