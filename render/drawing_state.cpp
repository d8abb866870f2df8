#include "render/drawing_state.h"

#include <string.h>

#include "core/core_state.h"
#include "core/log.h"
#include "render/renderer.h"
#include "render/targets.h"
#include "resources/bitmap.h"

DrawingState drawing;

namespace {

RendererImplementation* Renderer() { return core.renderer; }

const int single_quad_formats[SINGLE_QUAD_FORMATS] = {15, 47, 111};

bool SameTriple(const int* a, const int* b) { return a[0] == b[0] && a[1] == b[1] && a[2] == b[2]; }
bool Complete(const int* triple) { return triple[0] && triple[1] && triple[2]; }

void LockBatch() {
  if (drawing.batch_data || !drawing.batch[drawing.batch_index]) return;
  drawing.batch_data = static_cast<OV_Vertex*>(Renderer()->LockVertexBuffer(drawing.batch[drawing.batch_index]));
  drawing.batch_count = 0;
}

bool ValidStateId(int id, const char* operation) {
  if (id >= 0 && id < RENDER_STATE_COUNT) return true;
  OV_Report(LOG_WARNING, "%s: render state id %d is outside 0..%d.", operation, id, RENDER_STATE_COUNT - 1);
  return false;
}

}  // namespace

bool OVI_CreateDrawingBuffers() {
  RendererImplementation* r = Renderer();
  if (!r) return false;
  OVI_ReleaseDrawingBuffers();
  bool ok = true;
  for (RenderVertexBuffer*& buffer : drawing.batch) ok &= (buffer = r->CreateVertexBuffer(7, BATCH_VERTICES, true)) != nullptr;
  ok &= (drawing.quad_indices = r->CreateIndexBuffer(BATCH_QUAD_INDICES, false)) != nullptr;
  ok &= (drawing.line_indices = r->CreateIndexBuffer(BATCH_VERTICES, false)) != nullptr;
  for (int pair = 0; pair < 2; ++pair) {
    ok &= (drawing.triangle_indices[pair] = r->CreateIndexBuffer(TRIANGLES_MAX_INDICES, true)) != nullptr;
    ok &= (drawing.triangle_vertices[pair] = r->CreateVertexBuffer(7, TRIANGLES_MAX_VERTICES, true)) != nullptr;
  }
  for (int i = 0; i < SINGLE_QUAD_FORMATS; ++i)
    ok &= (drawing.single_quads[i] = r->CreateVertexBuffer(single_quad_formats[i], BATCH_VERTICES, true)) != nullptr;
  if (!ok) {
    OV_LogLevel(LOG_ERROR, "Renderer: unable to create the drawing buffers.");
    OVI_ReleaseDrawingBuffers();
    return false;
  }
  unsigned short quads[BATCH_QUAD_INDICES], lines[BATCH_VERTICES];
  for (int q = 0; q < BATCH_QUAD_INDICES / 6; ++q) {
    unsigned short b = static_cast<unsigned short>(4 * q);
    const unsigned short quad[6] = {b, static_cast<unsigned short>(b + 1), static_cast<unsigned short>(b + 2),
                                    static_cast<unsigned short>(b + 1), static_cast<unsigned short>(b + 3),
                                    static_cast<unsigned short>(b + 2)};
    memcpy(quads + 6 * q, quad, sizeof quad);
  }
  for (int i = 0; i < BATCH_VERTICES; ++i) lines[i] = static_cast<unsigned short>(i);
  r->UploadIndexBuffer(drawing.quad_indices, quads);
  r->UploadIndexBuffer(drawing.line_indices, lines);
  drawing.batch_index = 0;
  LockBatch();
  return true;
}

void OVI_ReleaseDrawingBuffers() {
  RendererImplementation* r = Renderer();
  if (!r) return;
  auto release_vertices = [r](RenderVertexBuffer*& buffer) {
    if (!buffer) return;
    if (buffer->locked) r->UnlockVertexBuffer(buffer);
    r->ReleaseVertexBuffer(buffer);
    buffer = nullptr;
  };
  auto release_indices = [r](RenderIndexBuffer*& buffer) {
    if (!buffer) return;
    if (buffer->locked) r->UnlockIndexBuffer(buffer);
    r->ReleaseIndexBuffer(buffer);
    buffer = nullptr;
  };
  for (RenderVertexBuffer*& buffer : drawing.batch) release_vertices(buffer);
  release_indices(drawing.quad_indices);
  release_indices(drawing.line_indices);
  for (int pair = 0; pair < 2; ++pair) {
    release_indices(drawing.triangle_indices[pair]);
    release_vertices(drawing.triangle_vertices[pair]);
  }
  for (RenderVertexBuffer*& buffer : drawing.single_quads) release_vertices(buffer);
  drawing.batch_data = nullptr;
  drawing.batch_count = 0;
}

void OVI_ResetDrawingState() {
  for (int stage = 0; stage < TEXTURE_STAGES; ++stage) {
    drawing.desired[stage] = StageSettings{{FILTER_POINT, FILTER_POINT, FILTER_POINT}, {ADDRESS_WRAP, ADDRESS_WRAP, ADDRESS_WRAP}};
    drawing.applied[stage] = StageSettings{};
    drawing.stage_known[stage] = false;
    drawing.stage_texture[stage] = nullptr;
  }
  drawing.blend_mode = BLEND_ALPHA;
  drawing.applied_blend_mode = 0;
  drawing.state_applied = false;
  drawing.renderer_shader_known = false;
  drawing.primitive_mode = PRIMITIVE_TRIANGLES;
  drawing.transforms_dirty = true;
}

void OVI_BeginEyeDrawing() {
  OVI_ResetRenderTargets();
  drawing.state_applied = false;
  drawing.transforms_dirty = true;
  memset(drawing.state_set, 0, sizeof drawing.state_set);
  drawing.dynamic_locks = drawing.static_locks = 0;
  if (Renderer()) LockBatch();
}

void OVI_EndFrameDrawing() {
  OVI_FlushBatch();
  RenderVertexBuffer* buffer = drawing.batch[drawing.batch_index];
  if (drawing.batch_data && buffer && Renderer()) Renderer()->UnlockVertexBuffer(buffer);
  drawing.batch_data = nullptr;
  drawing.batch_count = 0;
}

void OVI_SyncShader() {
  if (drawing.renderer_shader_known && drawing.renderer_shader == drawing.shader) return;
  Renderer()->SetShader(drawing.shader);
  drawing.renderer_shader = drawing.shader;
  drawing.renderer_shader_known = true;
  // Shader constants are applied here once the shader system exists.
}

void OVI_FlushBatch() {
  RendererImplementation* r = Renderer();
  if (drawing.batch_count == 0 || !r) return;
  RenderVertexBuffer* buffer = drawing.batch[drawing.batch_index];
  r->UnlockVertexBuffer(buffer);
  OVI_SyncShader();
  if (drawing.primitive_mode == PRIMITIVE_TRIANGLES)
    r->DrawIndexedTriangles(buffer, drawing.batch_count, drawing.quad_indices, drawing.batch_count / 2);
  else
    r->DrawIndexedLines(buffer, drawing.line_indices, drawing.batch_count / 2);
  drawing.transforms_dirty = false;
  drawing.batch_index = (drawing.batch_index + 1) % BATCH_BUFFER_COUNT;
  drawing.batch_data = nullptr;
  LockBatch();
}

void OVI_ApplyDrawingState() {
  RendererImplementation* r = Renderer();
  if (drawing.state_applied || !r) return;
  drawing.state_applied = true;
  OVI_FlushBatch();
  if (drawing.blend_mode != drawing.applied_blend_mode) {
    r->SetBlendMode(drawing.blend_mode);
    drawing.applied_blend_mode = drawing.blend_mode;
  }
  for (int stage = 0; stage < TEXTURE_STAGES; ++stage) {
    const StageSettings& want = drawing.desired[stage];
    StageSettings& have = drawing.applied[stage];
    if (!SameTriple(want.filter, have.filter) && Complete(want.filter)) {
      r->SetTextureFilter(stage, want.filter[0], want.filter[1], want.filter[2]);
      memcpy(have.filter, want.filter, sizeof have.filter);
    }
    if (!SameTriple(want.addressing, have.addressing) && Complete(want.addressing)) {
      r->SetTextureAddressing(stage, want.addressing[0], want.addressing[1], want.addressing[2]);
      memcpy(have.addressing, want.addressing, sizeof have.addressing);
    }
  }
}

void OVI_SetPrimitiveMode(int mode) {
  if (drawing.primitive_mode == mode) return;
  OVI_FlushBatch();
  drawing.primitive_mode = mode;
}

void OVI_BindBitmap(int stage, Bitmap* bitmap) {
  if (stage < 0 || stage >= TEXTURE_STAGES || !Renderer()) return;
  // A bitmap without a texture binds nothing; the built-in shader's texture comes with the
  // shader system.
  void* texture = OVI_BitmapDrawable(bitmap) ? bitmap->hardware.texture : nullptr;
  if (drawing.stage_known[stage] && drawing.stage_texture[stage] == texture) return;
  OVI_FlushBatch();
  Renderer()->SetTexture(stage, texture);
  drawing.stage_known[stage] = true;
  drawing.stage_texture[stage] = texture;
}

void OVI_UnbindTexture(void* texture) {
  if (!texture) return;
  for (int stage = 0; stage < TEXTURE_STAGES; ++stage) {
    if (drawing.stage_texture[stage] != texture) continue;
    OVI_FlushBatch();
    if (Renderer()) Renderer()->SetTexture(stage, nullptr);
    drawing.stage_texture[stage] = nullptr;
  }
}

void OVI_AddQuad(const OV_Vertex* quad, Bitmap* bitmap) {
  if (!drawing.batch_data) return;
  OVI_ApplyDrawingState();
  OVI_SetPrimitiveMode(PRIMITIVE_TRIANGLES);
  OVI_BindBitmap(0, bitmap);
  if (!drawing.batch_data) return;
  memcpy(drawing.batch_data + drawing.batch_count, quad, 4 * sizeof(OV_Vertex));
  drawing.batch_count += 4;
  if (drawing.batch_count >= BATCH_VERTICES) OVI_FlushBatch();
}

void OVI_AddLine(const OV_Vertex* two) {
  if (!drawing.batch_data) return;
  OVI_ApplyDrawingState();
  OVI_SetPrimitiveMode(PRIMITIVE_LINES);
  OVI_BindBitmap(0, nullptr);
  if (!drawing.batch_data) return;
  memcpy(drawing.batch_data + drawing.batch_count, two, 2 * sizeof(OV_Vertex));
  drawing.batch_count += 2;
  if (drawing.batch_count >= BATCH_VERTICES) OVI_FlushBatch();
}

void OV_CALL OV_SetBlendMode(int mode) {
  if (mode < BLEND_ALPHA || mode > BLEND_LIGHTEN) {
    OV_Report(LOG_WARNING, "OV_SetBlendMode: unknown blend mode %d; the blend mode stays %d.", mode, drawing.blend_mode);
    return;
  }
  if (mode == drawing.blend_mode) return;
  drawing.blend_mode = mode;
  drawing.state_applied = false;
}

int OV_CALL OV_GetBlendMode(void) { return drawing.blend_mode; }

void OV_CALL OV_SetTextureFilter(int filter) {
  if (filter < 0 || filter > FILTER_ANISOTROPIC) {
    OV_Report(LOG_WARNING, "OV_SetTextureFilter: unknown texture filter %d.", filter);
    return;
  }
  int* triple = drawing.desired[0].filter;
  if (triple[0] == filter && triple[1] == filter && triple[2] == filter) return;
  triple[0] = triple[1] = triple[2] = filter;
  drawing.state_applied = false;
}

int OV_CALL OV_GetTextureFilter(void) { return drawing.desired[0].filter[1]; }

void OV_CALL OV_Clear(float red, float green, float blue) {
  if (!core.renderer || !core.renderer_ready) return;
  OVI_FlushBatch();
  core.renderer->Clear(red, green, blue);
}

void OV_CALL OV_ClearDepth(float depth) {
  if (drawing.state_bool[RENDER_STATE_DEPTH_WRITE]) {
    if (!core.renderer) return;
    OVI_FlushBatch();
    core.renderer->ClearDepth(depth);
  } else if (core.developer_mode) {
    OV_Report(LOG_WARNING,
              "OV_ClearDepth: Depth writes not enabled - calling ClearDepth has no effect. Set depth write enabled "
              "before calling.");
  }
}

void OV_CALL OV_SetRenderStateb(int id, ov_bool value) {
  if (!ValidStateId(id, "SetRenderStateb")) return;
  bool on = value != 0;
  if (drawing.state_set[id] && drawing.state_bool[id] == on) return;
  OVI_FlushBatch();
  drawing.state_set[id] = true;
  drawing.state_bool[id] = on;
  RendererImplementation* r = Renderer();
  switch (id) {
    case RENDER_STATE_DEPTH_TEST: if (r) r->SetDepthTest(on); break;
    case RENDER_STATE_DEPTH_WRITE: if (r) r->SetDepthWrite(on); break;
    case RENDER_STATE_COLOR_WRITE: if (r) r->SetColorWrite(on); break;
    default:
      OV_Report(LOG_WARNING, "SetRenderStateb (%d, %s) state not supported with this method.", id, on ? "true" : "false");
  }
}

ov_bool OV_CALL OV_GetRenderStateb(int id) { return id >= 0 && id < RENDER_STATE_COUNT && drawing.state_bool[id]; }

void OV_CALL OV_SetRenderStatef(int id, float value) {
  if (!ValidStateId(id, "SetRenderStatef")) return;
  if (drawing.state_set[id] && drawing.state_float[id] == value) return;
  drawing.state_set[id] = true;
  drawing.state_float[id] = value;
  OV_Report(LOG_WARNING, "SetRenderStatef (%d, %g) state not supported with this method.", id, value);
}

float OV_CALL OV_GetRenderStatef(int id) { return id >= 0 && id < RENDER_STATE_COUNT ? drawing.state_float[id] : 0.0f; }

void OV_CALL OV_SetRenderStatei(int id, int value) {
  if (!ValidStateId(id, "SetRenderStatei")) return;
  if (drawing.state_set[id] && drawing.state_int[id] == value) return;
  OVI_FlushBatch();
  drawing.state_set[id] = true;
  drawing.state_int[id] = value;
  RendererImplementation* r = Renderer();
  switch (id) {
    case RENDER_STATE_DEPTH_FUNCTION: if (r) r->SetDepthFunction(value); break;
    case RENDER_STATE_CULL_MODE: if (r) r->SetCullMode(value); break;
    default: OV_Report(LOG_WARNING, "SetRenderStatei (%d, %d) state not supported with this method.", id, value);
  }
}

int OV_CALL OV_GetRenderStatei(int id) { return id >= 0 && id < RENDER_STATE_COUNT ? drawing.state_int[id] : 0; }
