// A renderer that records every drawing-related call with its arguments, for tests of the
// engine-side drawing state. Draw calls also keep the vertices they were given.
#pragma once

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "render/renderer_headless.h"

class RecordingRenderer : public RendImpHeadless {
 public:
  struct Draw {
    RenderVertexBuffer* buffer;
    int vertex_count;
    int primitives;  // triangles or lines
    bool lines;
    std::vector<OV_Vertex> vertices;  // format 7 buffers only
    std::vector<unsigned short> indices;
  };
  std::vector<std::string> calls;
  std::vector<Draw> draws;
  int vertex_colour_order = 1;
  float pixel_centre = 0.0f;

  void Clear() {
    calls.clear();
    draws.clear();
  }
  // The recorded calls whose text starts with prefix.
  std::vector<std::string> Calls(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& call : calls)
      if (call.compare(0, prefix.size(), prefix) == 0) out.push_back(call);
    return out;
  }

  int GetVertexColorOrder() override { return vertex_colour_order; }
  void GetPixelCenterOffset(float* x, float* y) override { *x = *y = pixel_centre; }
  void Present() override { Record("Present"); }
  void Clear(float r, float g, float b) override { Record("Clear %g %g %g", r, g, b); }
  void ClearDepth(float depth) override { Record("ClearDepth %g", depth); }
  bool SetScissor(int x, int y, int w, int h) override {
    Record("SetScissor %d %d %d %d", x, y, w, h);
    return true;
  }
  void DisableScissor() override { Record("DisableScissor"); }
  void SetBlendMode(int mode) override { Record("SetBlendMode %d", mode); }
  void SetTextureFilter(int stage, int a, int b, int c) override { Record("SetTextureFilter %d %d %d %d", stage, a, b, c); }
  void SetTextureAddressing(int stage, int u, int v, int w) override {
    Record("SetTextureAddressing %d %d %d %d", stage, u, v, w);
  }
  void SetDepthTest(bool on) override { Record("SetDepthTest %d", on); }
  void SetDepthFunction(int f) override { Record("SetDepthFunction %d", f); }
  void SetDepthWrite(bool on) override { Record("SetDepthWrite %d", on); }
  void SetColorWrite(bool on) override { Record("SetColorWrite %d", on); }
  void SetCullMode(int mode) override { Record("SetCullMode %d", mode); }
  void SetTexture(int stage, void* texture) override { Record("SetTexture %d %p", stage, texture); }
  void SetShader(Shader* shader) override { Record("SetShader %p", static_cast<void*>(shader)); }
  bool SetRenderTarget(Bitmap* colour, Bitmap* depth) override {
    Record("SetRenderTarget %p %p", static_cast<void*>(colour), static_cast<void*>(depth));
    return true;
  }
  void SetViewport(int x, int y, int w, int h, float, float) override { Record("SetViewport %d %d %d %d", x, y, w, h); }
  void DrawIndexedTriangles(RenderVertexBuffer* vb, int vertex_count, RenderIndexBuffer* ib, int triangles) override {
    Record("DrawIndexedTriangles %d %d", vertex_count, triangles);
    Keep(vb, vertex_count, ib, triangles * 3, triangles, false);
  }
  void DrawIndexedLines(RenderVertexBuffer* vb, RenderIndexBuffer* ib, int lines) override {
    Record("DrawIndexedLines %d", lines);
    Keep(vb, lines * 2, ib, lines * 2, lines, true);
  }

 private:
  __attribute__((format(printf, 2, 3))) void Record(const char* format, ...) {
    char text[256];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    calls.push_back(text);
  }
  void Keep(RenderVertexBuffer* vb, int vertex_count, RenderIndexBuffer* ib, int index_count, int primitives,
            bool lines) {
    Draw draw{vb, vertex_count, primitives, lines, {}, {}};
    if (vb && vb->format == 7 && vertex_count <= vb->count) {
      const OV_Vertex* data = static_cast<const OV_Vertex*>(vb->data);
      draw.vertices.assign(data, data + vertex_count);
    }
    if (ib && index_count <= ib->count) draw.indices.assign(ib->data, ib->data + index_count);
    draws.push_back(draw);
  }
};
