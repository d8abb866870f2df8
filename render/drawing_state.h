// The engine-side drawing state: blend mode, texture filters and addressing per stage, bound
// textures and shader, the render-state store, and the quad batch through which 2D drawing
// reaches the renderer. Main thread only.
#pragma once

#include "core/orvel.h"

struct RenderVertexBuffer;
struct RenderIndexBuffer;

enum {
  BLEND_ALPHA = 1,        // add: source alpha, one minus source alpha
  BLEND_ADD = 2,          // add: source alpha, one
  BLEND_OPAQUE = 3,       // blending off
  BLEND_SUBTRACT = 4,     // reverse subtract: source alpha, one
  BLEND_MULTIPLY = 5,     // add: destination colour, zero
  BLEND_MULTIPLY_2X = 6,  // add: destination colour, source colour
  BLEND_LIGHTEN = 7,      // add: destination colour, one
};
enum { FILTER_POINT = 1, FILTER_LINEAR = 2, FILTER_ANISOTROPIC = 3 };
enum { ADDRESS_CLAMP = 1, ADDRESS_WRAP = 2, ADDRESS_MIRROR = 3 };
enum { PRIMITIVE_LINES = 0, PRIMITIVE_TRIANGLES = 1 };
enum {
  RENDER_STATE_DEPTH_TEST = 10,
  RENDER_STATE_DEPTH_FUNCTION = 11,
  RENDER_STATE_DEPTH_WRITE = 12,
  RENDER_STATE_COLOR_WRITE = 13,
  RENDER_STATE_CULL_MODE = 14,
  RENDER_STATE_COUNT = 32,
};
enum {
  TEXTURE_STAGES = 4,
  BATCH_BUFFER_COUNT = 16,
  BATCH_VERTICES = 384,  // 96 quads per draw call
  BATCH_QUAD_INDICES = 576,
  TRIANGLES_MAX_VERTICES = 16384,
  TRIANGLES_MAX_INDICES = 16384,
  SINGLE_QUAD_FORMATS = 3,  // formats 15, 47 and 111
};

struct StageSettings {
  int filter[3];      // min, mag, mip
  int addressing[3];  // u, v, w
};

struct DrawingState {
  int primitive_mode;
  int blend_mode, applied_blend_mode;
  StageSettings desired[TEXTURE_STAGES], applied[TEXTURE_STAGES];
  bool state_applied;
  bool stage_known[TEXTURE_STAGES];  // false: the renderer's binding is not known
  void* stage_texture[TEXTURE_STAGES];
  Shader* shader;           // the program's current shader, null for the built-in one
  Shader* renderer_shader;  // the last shader handed to the renderer
  bool renderer_shader_known;
  bool transforms_dirty;  // the renderer reads the stacks again before its next draw

  RenderVertexBuffer* batch[BATCH_BUFFER_COUNT];
  int batch_index;
  OV_Vertex* batch_data;  // the locked current batch buffer, null when none is locked
  int batch_count;
  RenderIndexBuffer* quad_indices;
  RenderIndexBuffer* line_indices;
  RenderVertexBuffer* triangle_vertices[2];
  RenderIndexBuffer* triangle_indices[2];
  int triangle_pair;
  RenderVertexBuffer* single_quads[SINGLE_QUAD_FORMATS];

  bool state_set[RENDER_STATE_COUNT];
  bool state_bool[RENDER_STATE_COUNT];
  int state_int[RENDER_STATE_COUNT];
  float state_float[RENDER_STATE_COUNT];

  int dynamic_locks, static_locks;  // buffer locks of the buffers sub-table this frame
};

extern DrawingState drawing;

// Renderer initialisation and shutdown: the batch, triangle and single-quad buffers.
bool OVI_CreateDrawingBuffers();
void OVI_ReleaseDrawingBuffers();
// Both copies of every stage setting forgotten, filters point, addressing wrap, blend mode 1.
void OVI_ResetDrawingState();

// Each eye pass: the screen target, render states that reach the renderer again, a locked
// batch buffer. The end of the frame flushes and unlocks.
void OVI_BeginEyeDrawing();
void OVI_EndFrameDrawing();

void OVI_FlushBatch();
void OVI_ApplyDrawingState();
void OVI_SetPrimitiveMode(int mode);
// Hands the current shader to the renderer when it changed.
void OVI_SyncShader();
void OVI_BindBitmap(int stage, Bitmap* bitmap);
// A texture that is about to be freed is no longer bound to any stage.
void OVI_UnbindTexture(void* texture);
void OVI_AddQuad(const OV_Vertex* quad, Bitmap* bitmap);
void OVI_AddLine(const OV_Vertex* two);

void OV_CALL OV_SetBlendMode(int mode);
int OV_CALL OV_GetBlendMode(void);
void OV_CALL OV_SetTextureFilter(int filter);
int OV_CALL OV_GetTextureFilter(void);
void OV_CALL OV_Clear(float red, float green, float blue);
void OV_CALL OV_ClearDepth(float depth);
void OV_CALL OV_SetRenderStateb(int id, ov_bool value);
ov_bool OV_CALL OV_GetRenderStateb(int id);
void OV_CALL OV_SetRenderStatef(int id, float value);
float OV_CALL OV_GetRenderStatef(int id);
void OV_CALL OV_SetRenderStatei(int id, int value);
int OV_CALL OV_GetRenderStatei(int id);
