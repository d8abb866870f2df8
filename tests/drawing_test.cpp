// The engine-side drawing state against a renderer that records its calls: the quad batch,
// state filtering, stacks, render targets, the 2D drawing operations and the buffers sub-table.
#include <gtest/gtest.h>

#include <math.h>
#include <string.h>

#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/lifecycle.h"
#include "core/log.h"
#include "core/service_table.h"
#include "core/threads.h"
#include "core/video.h"
#include "render/colour.h"
#include "render/draw_2d.h"
#include "render/drawing_state.h"
#include "render/targets.h"
#include "render/transforms.h"
#include "resources/bitmap.h"
#include "tests/support/file_system_fixture.h"
#include "tests/support/recording_renderer.h"

namespace {

RecordingRenderer renderer;
ProgramInterface record;
const EngineServices& ov = service_table;

// Reports of a developer run: logged once as "[POPUP] text" (and answered as a popup).
int Reported(const std::string& text) { return Logged("[POPUP] " + text); }

// A 64 x 32 image in the top-left of a 128 x 64 texture.
Bitmap MakeBitmap(void* texture, bool render_target = false) {
  Bitmap bitmap = {};
  bitmap.name = const_cast<char*>("test");
  bitmap.width = 64;
  bitmap.height = 32;
  bitmap.state = BITMAP_STATE_DONE;
  bitmap.flags = render_target ? BITMAP_FLAG_RENDER_TARGET : 0;
  bitmap.hardware = BitmapHardware{1, 128, 64, texture, 0.0f, 0.0f, 0.5f, 0.5f};
  return bitmap;
}

class Drawing : public testing::Test {
 protected:
  void SetUp() override {
    CapturedLog().clear();
    OVI_SetLogSink(CaptureLog);
    OVI_StartEngineState();
    core.unattended = core.developer_mode = true;
    core.program_initialized = core.running = true;
    renderer = RecordingRenderer();
    StartRenderer();
  }
  void TearDown() override {
    OVI_EndFrameDrawing();
    OVI_ShutdownRenderer();
    core.renderer = nullptr;
    OVI_ReleaseThreadsAndMutexes();
    OVI_SetLogSink(nullptr);
  }
  // An initialised renderer at 640 x 480 in the first eye pass, with nothing recorded yet.
  void StartRenderer() {
    core.renderer = &renderer;
    OVI_FillServiceTable();
    memset(&record, 0, sizeof record);
    record.video.width = 640;
    record.video.height = 480;
    record.video.reference_width = 640;
    record.video.reference_height = 480;
    core.program = &record;
    core.requested = record.video;
    ASSERT_TRUE(OVI_InitializeRenderer());
    screen_info.native_orientation = 4;
    OVI_ResetRenderTargets();
    OVI_BeginEyeDrawing();
    renderer.Clear();
  }
  static void Rectangle(float x, float y, float w = 10, float h = 10) { ov.OV_DrawRectangle(&x, &y, &w, &h); }
  std::vector<RecordingRenderer::Draw> Finish() {
    OVI_FlushBatch();
    return renderer.draws;
  }
};

TEST_F(Drawing, NinetySixQuadsMakeOneDrawCallAndThe97thStartsTheNextBuffer) {
  for (int i = 0; i < 97; ++i) Rectangle(static_cast<float>(i), 0);
  std::vector<RecordingRenderer::Draw> draws = Finish();
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_EQ(draws[0].vertex_count, 384);
  EXPECT_EQ(draws[0].primitives, 192);
  EXPECT_EQ(draws[1].vertex_count, 4);
  EXPECT_EQ(draws[1].primitives, 2);
  EXPECT_NE(draws[0].buffer, draws[1].buffer);
  EXPECT_EQ(draws[1].vertices[0].x, 96.0f);
  // Quad q uses indices 4q, 4q+1, 4q+2, 4q+1, 4q+3, 4q+2.
  const std::vector<unsigned short> second = {4, 5, 6, 5, 7, 6};
  EXPECT_EQ(std::vector<unsigned short>(draws[0].indices.begin() + 6, draws[0].indices.begin() + 12), second);
  // Sixteen buffers rotate: the 17th flush comes back to the first one.
  RenderVertexBuffer* first = draws[0].buffer;
  for (int i = 0; i < 15 * 96; ++i) Rectangle(0, 0);
  draws = Finish();
  EXPECT_EQ(draws.back().buffer, first);
}

TEST_F(Drawing, StateChangesFlushOnceAndRepeatsAreFiltered) {
  Rectangle(0, 0);
  ov.OV_SetBlendMode(BLEND_ADD);
  ov.OV_SetBlendMode(BLEND_ADD);
  Rectangle(20, 0);
  ov.OV_SetBlendMode(BLEND_ADD);
  Rectangle(40, 0);
  Finish();
  // The first draw applies the whole state; later changes only what changed.
  std::vector<std::string> expected = {"SetBlendMode 1", "DrawIndexedTriangles 4 2", "SetBlendMode 2",
                                       "DrawIndexedTriangles 8 4"};
  std::vector<std::string> seen;
  for (const std::string& call : renderer.calls)
    if (call.rfind("Draw", 0) == 0 || call.rfind("SetBlendMode", 0) == 0) seen.push_back(call);
  EXPECT_EQ(seen, expected);

  renderer.Clear();
  ov.OV_SetRenderStateb(RENDER_STATE_DEPTH_WRITE, 1);
  ov.OV_SetRenderStateb(RENDER_STATE_DEPTH_WRITE, 1);
  ov.OV_SetRenderStatei(RENDER_STATE_CULL_MODE, 2);
  ov.OV_SetRenderStatei(RENDER_STATE_CULL_MODE, 2);
  EXPECT_EQ(renderer.Calls("SetDepthWrite"), std::vector<std::string>{"SetDepthWrite 1"});
  EXPECT_EQ(renderer.Calls("SetCullMode"), std::vector<std::string>{"SetCullMode 2"});
  EXPECT_TRUE(ov.OV_GetRenderStateb(RENDER_STATE_DEPTH_WRITE));
  EXPECT_EQ(ov.OV_GetRenderStatei(RENDER_STATE_CULL_MODE), 2);
  // A new eye pass sends the first set of each state again.
  OVI_BeginEyeDrawing();
  ov.OV_SetRenderStateb(RENDER_STATE_DEPTH_WRITE, 1);
  EXPECT_EQ(renderer.Calls("SetDepthWrite").size(), 2u);
}

TEST_F(Drawing, BlendModesAndFiltersReachTheRendererAsGiven) {
  for (int mode = BLEND_ALPHA; mode <= BLEND_LIGHTEN; ++mode) {
    renderer.Clear();
    ov.OV_SetBlendMode(mode == BLEND_ALPHA ? BLEND_ADD : BLEND_ALPHA);  // a change either way
    Rectangle(0, 0);
    ov.OV_SetBlendMode(mode);
    Rectangle(0, 0);
    Finish();
    EXPECT_EQ(renderer.Calls("SetBlendMode").back(), "SetBlendMode " + std::to_string(mode));
    EXPECT_EQ(ov.OV_GetBlendMode(), mode);
  }
  renderer.Clear();
  for (int bad : {0, 8, -1}) ov.OV_SetBlendMode(bad);
  EXPECT_EQ(ov.OV_GetBlendMode(), BLEND_LIGHTEN);
  EXPECT_EQ(Reported("OV_SetBlendMode: unknown blend mode 8"), 1);

  for (int filter : {FILTER_LINEAR, FILTER_ANISOTROPIC, FILTER_POINT}) {
    renderer.Clear();
    ov.OV_SetTextureFilter(filter);
    Rectangle(0, 0);
    std::string expected = "SetTextureFilter 0 " + std::to_string(filter) + " " + std::to_string(filter) + " " +
                           std::to_string(filter);
    EXPECT_EQ(renderer.Calls("SetTextureFilter"), std::vector<std::string>{expected});
    EXPECT_EQ(ov.OV_GetTextureFilter(), filter);
  }
  // 0 leaves the renderer's filter alone.
  renderer.Clear();
  ov.OV_SetTextureFilter(0);
  Rectangle(0, 0);
  EXPECT_TRUE(renderer.Calls("SetTextureFilter").empty());
}

TEST_F(Drawing, ResetStateSendsDefaultsOnTheNextDraw) {
  OVI_ResetDrawingState();
  Rectangle(0, 0);
  EXPECT_EQ(renderer.Calls("SetBlendMode"), std::vector<std::string>{"SetBlendMode 1"});
  EXPECT_EQ(renderer.Calls("SetTextureFilter").size(), 4u);
  EXPECT_EQ(renderer.Calls("SetTextureAddressing")[3], "SetTextureAddressing 3 2 2 2");
  EXPECT_EQ(renderer.Calls("SetTexture ").size(), 1u);  // stage 0 unbound once
}

TEST_F(Drawing, TransformStacksLimitsAndEmptyReads) {
  OV_Matrix m, identity;
  OVI_Identity(&identity);
  ov.OV_GetTransform(&m);
  EXPECT_EQ(memcmp(&m, &identity, sizeof m), 0);
  ov.OV_GetViewTransform(&m);
  EXPECT_EQ(memcmp(&m, &identity, sizeof m), 0);
  OV_Matrix projection, expected;
  ov.OV_GetProjectionTransform(&projection);
  OVI_DefaultProjection(&expected);
  EXPECT_EQ(memcmp(&projection, &expected, sizeof m), 0);

  OV_Matrix scale = identity;
  scale.m[0] = 2.0f;
  for (int i = 0; i < 33; ++i) ov.OV_PushTransform(&scale);
  EXPECT_EQ(OVI_WorldDepth(), 31);
  EXPECT_EQ(Reported("World Transform stack is full (max size 32). Not pushing transform."), 1);
  ov.OV_GetTransform(&m);
  EXPECT_FLOAT_EQ(m.m[0], powf(2.0f, 32));  // each push concatenates
  ov.OV_PushTransform(nullptr);             // full: still refused
  for (int i = 0; i < 32; ++i) ov.OV_PopTransform();
  ov.OV_PopTransform();
  EXPECT_EQ(OVI_WorldDepth(), -1);
  EXPECT_EQ(Reported("Calling OV_PopTransform() too many times! Check your code!"), 1);

  ov.OV_PushTransform(&scale);
  ov.OV_PushTransform(nullptr);
  ov.OV_GetTransform(&m);
  EXPECT_EQ(memcmp(&m, &identity, sizeof m), 0);  // null pushes the identity, not the parent
  ov.OV_PopTransform();
  ov.OV_PopTransform();
  ov.OV_PopViewTransform();
  ov.OV_PopProjectionTransform();
  EXPECT_EQ(Reported("Calling OV_PopViewTransform() too many times! Check your code!"), 1);
  EXPECT_EQ(Reported("Calling OV_PopProjectionTransform() too many times. Check your code."), 1);
}

TEST_F(Drawing, TransformChangesFlushTheBatch) {
  Rectangle(0, 0);
  OV_Matrix m;
  OVI_Identity(&m);
  ov.OV_PushTransform(&m);
  EXPECT_EQ(renderer.draws.size(), 1u);
  Rectangle(0, 0);
  ov.OV_PopTransform();
  EXPECT_EQ(renderer.draws.size(), 2u);
}

TEST_F(Drawing, DefaultProjectionPutsPlaneVerticesOnTheirPixels) {
  struct Case {
    float centre;
    float x, y;
  } cases[] = {{0.0f, 0, 0}, {0.0f, 320, 240}, {0.5f, 640, 480}, {0.5f, 10, 470}};
  for (const Case& c : cases) {
    renderer.pixel_centre = c.centre;
    OV_Matrix p;
    OVI_DefaultProjection(&p);
    float d = OVI_PlaneDistance();
    float v[4] = {c.x, c.y, d, 1.0f}, out[4];
    for (int row = 0; row < 4; ++row) out[row] = p.m[row * 4] * v[0] + p.m[row * 4 + 1] * v[1] + p.m[row * 4 + 2] * v[2] + p.m[row * 4 + 3] * v[3];
    // Back from normalised device coordinates to pixels (D3D9 puts pixel centres at +0.5).
    float px = (out[0] / out[3] + 1.0f) * 0.5f * 640 + c.centre;
    float py = (1.0f - out[1] / out[3]) * 0.5f * 480 + c.centre;
    EXPECT_NEAR(px, c.x, 1e-3) << c.centre;
    EXPECT_NEAR(py, c.y, 1e-3) << c.centre;
    float depth = out[2] / out[3];
    EXPECT_GT(depth, 0.0f);
    EXPECT_LT(depth, 1.0f);
  }
}

TEST_F(Drawing, ScissorStackIntersectsAndClips) {
  ov.OV_PushScissorRectangle(10, 10, 100, 100);
  ov.OV_PushScissorRectangle(50, 60, 100, 100);
  ov.OV_PushScissorRectangle(500, 60, 10, 10);  // no overlap: kept, but the scissor stays
  EXPECT_EQ(OVI_ScissorDepth(), 2);
  ov.OV_PopScissorRectangle();
  ov.OV_PopScissorRectangle();
  ov.OV_PopScissorRectangle();
  ov.OV_PopScissorRectangle();
  std::vector<std::string> expected = {"SetScissor 10 10 100 100", "SetScissor 50 60 60 50", "SetScissor 50 60 60 50",
                                       "SetScissor 10 10 100 100", "DisableScissor"};
  std::vector<std::string> seen;
  for (const std::string& call : renderer.calls)
    if (call.find("Scissor") != std::string::npos) seen.push_back(call);
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(Reported("OV_PopScissorRectangle: too many pop operations called!"), 1);
  EXPECT_EQ(OVI_ScissorDepth(), -1);

  renderer.Clear();
  EXPECT_TRUE(ov.OV_SetScissorRectangle(-20, -5, 700, 100));
  EXPECT_FALSE(ov.OV_SetScissorRectangle(0, 0, 0, 10));
  EXPECT_FALSE(ov.OV_SetScissorRectangle(-50, 0, 40, 10));  // wholly off the screen
  EXPECT_EQ(renderer.Calls("SetScissor"), std::vector<std::string>{"SetScissor 0 0 640 95"});

  for (int i = 0; i < 33; ++i) ov.OV_PushScissorRectangle(0, 0, 10, 10);
  EXPECT_EQ(OVI_ScissorDepth(), 31);
  EXPECT_EQ(Reported("OV_PushScissorRectangle: scissor rectangle stack overflow (32)"), 1);
}

TEST_F(Drawing, RenderTargetsSelectViewportsAndKeepTheStacksBalanced) {
  int texture;
  Bitmap target = MakeBitmap(&texture, true);
  Bitmap plain = MakeBitmap(&texture, false);
  ov.OV_PushRenderTarget(&target);
  EXPECT_EQ(ov.OV_GetRenderTarget(), &target);
  EXPECT_EQ(OVI_WorldDepth(), 0);
  EXPECT_EQ(OVI_ProjectionDepth(), 0);
  char expected[64];
  snprintf(expected, sizeof expected, "SetRenderTarget %p %p", static_cast<void*>(&target), static_cast<void*>(nullptr));
  EXPECT_EQ(renderer.Calls("SetRenderTarget"), std::vector<std::string>{expected});
  EXPECT_EQ(renderer.Calls("SetViewport"), std::vector<std::string>{"SetViewport 0 0 128 64"});
  // The projection of the target is built for its texture size.
  int w, h;
  OVI_TargetSize(&w, &h);
  EXPECT_EQ(w * 1000 + h, 128064);

  ov.OV_PushRenderTarget(&plain);  // refused: the target stays, the stacks still grow
  EXPECT_EQ(Reported("OV_PushRenderTarget: bitmap 'test' is not a render target."), 1);
  EXPECT_EQ(renderer.Calls("SetRenderTarget").size(), 1u);
  ov.OV_PopRenderTarget();
  ov.OV_PopRenderTarget();
  EXPECT_EQ(ov.OV_GetRenderTarget(), nullptr);
  snprintf(expected, sizeof expected, "SetRenderTarget %p %p", static_cast<void*>(nullptr), static_cast<void*>(nullptr));
  EXPECT_EQ(renderer.Calls("SetRenderTarget").back(), expected);
  EXPECT_EQ(renderer.Calls("SetViewport").back(), "SetViewport 0 0 640 480");
  EXPECT_EQ(OVI_WorldDepth(), -1);

  ov.OV_PopRenderTarget();  // on the screen entry: reported, and one world and one projection popped
  EXPECT_EQ(Reported("PopRenderTarget: Render Target Stack is empty!"), 1);
  EXPECT_EQ(Reported("Calling OV_PopTransform() too many times!"), 1);
}

TEST_F(Drawing, BitmapQuadsHaveKnownCornersAndTextureCoordinates) {
  int texture;
  Bitmap bitmap = MakeBitmap(&texture);
  float x = 100, y = 50;
  ov.OV_DrawBitmap(&bitmap, &x, &y);
  float angle = 1.57079633f, scale = 2.0f;  // a quarter turn
  ov.OV_DrawBitmapTransformed(&bitmap, &x, &y, &angle, &scale);
  float left = 16, top = 8, right = 48, bottom = 24;
  ov.OV_DrawBitmapSection(&bitmap, &x, &y, &left, &top, &right, &bottom);
  OV_Point p0 = {0, 0}, p1 = {10, 0};
  OV_Color red = {1, 0, 0, 1}, blue = {0, 0, 1, 0.5f};
  ov.OV_DrawBitmapLine(&bitmap, &p0, &p1, 4, 8, &red, &blue);
  std::vector<RecordingRenderer::Draw> draws = Finish();
  ASSERT_EQ(draws.size(), 1u);
  const std::vector<OV_Vertex>& v = draws[0].vertices;
  ASSERT_EQ(v.size(), 16u);
  struct Corner {
    float x, y, u, v;
  } expected[16] = {
      // OV_DrawBitmap: 64 x 32 at (100, 50), the texture rectangle (0, 0)-(0.5, 0.5).
      {100, 50, 0, 0}, {164, 50, 0.5f, 0}, {100, 82, 0, 0.5f}, {164, 82, 0.5f, 0.5f},
      // Transformed: half extents 64 x 32 about (100, 50), turned a quarter to the right.
      {132, -14, 0, 0}, {132, 114, 0.5f, 0}, {68, -14, 0, 0.5f}, {68, 114, 0.5f, 0.5f},
      // Section (16, 8)-(48, 24): 32 x 16 at (100, 50), texture (0.125, 0.125)-(0.375, 0.375).
      {100, 50, 0.125f, 0.125f}, {132, 50, 0.375f, 0.125f}, {100, 66, 0.125f, 0.375f}, {132, 66, 0.375f, 0.375f},
      // Line from (0, 0) width 4 to (10, 0) width 8.
      {0, 2, 0, 0}, {0, -2, 0.5f, 0}, {10, 4, 0, 0.5f}, {10, -4, 0.5f, 0.5f},
  };
  for (int i = 0; i < 16; ++i) {
    EXPECT_NEAR(v[i].x, expected[i].x, 1e-3) << i;
    EXPECT_NEAR(v[i].y, expected[i].y, 1e-3) << i;
    EXPECT_FLOAT_EQ(v[i].u, expected[i].u) << i;
    EXPECT_FLOAT_EQ(v[i].v, expected[i].v) << i;
    EXPECT_FLOAT_EQ(v[i].z, 0.5f) << i;
  }
  EXPECT_EQ(v[0].color, 0xffffffffu);
  EXPECT_EQ(v[12].color, 0xffff0000u);  // bytes B, G, R, A
  EXPECT_EQ(v[14].color, 0x7f0000ffu);
  EXPECT_EQ(renderer.Calls("SetTexture 0").size(), 1u);  // one binding for all four

  // An odd size moves the centre back half a scaled pixel.
  renderer.Clear();
  bitmap.width = 5;
  angle = 0;
  scale = 1;
  ov.OV_DrawBitmapTransformed(&bitmap, &x, &y, &angle, &scale);
  draws = Finish();
  EXPECT_FLOAT_EQ(draws[0].vertices[0].x, 100 - 0.5f - 2.5f);
  // Nothing without a texture, nothing at alpha 0.
  renderer.Clear();
  Bitmap unloaded = bitmap;
  unloaded.hardware.has_texture = 0;
  ov.OV_DrawBitmap(&unloaded, &x, &y);
  float zero = 0;
  ov.OV_SetAlpha(&zero);
  ov.OV_DrawBitmap(&bitmap, &x, &y);
  Rectangle(0, 0);
  EXPECT_TRUE(Finish().empty());
}

TEST_F(Drawing, ColourBytesFollowTheRenderersOrder) {
  for (int order : {1, 0}) {
    OVI_EndFrameDrawing();
    OVI_ShutdownRenderer();
    renderer = RecordingRenderer();
    renderer.vertex_colour_order = order;
    StartRenderer();
    const float r = 1.0f, g = 0.5f, b = 0.0f, a = 0.25f;
    ov.OV_SetColor(&r, &g, &b);
    ov.OV_SetAlpha(&a);
    Rectangle(0, 0);
    OV_Vertex quad[4] = {};
    for (OV_Vertex& vertex : quad) vertex.color = 0x80112233u;  // as Direct3D reads it: B 33, G 22, R 11
    ov.OV_DrawQuad(nullptr, quad);
    std::vector<RecordingRenderer::Draw> draws = Finish();
    ASSERT_EQ(draws.size(), 1u);
    // 0.5 x 255 truncates to 127 (0x7f), 0.25 x 255 to 63 (0x3f).
    EXPECT_EQ(draws[0].vertices[0].color, order == 1 ? 0x3fff7f00u : 0x3f007fffu) << order;
    EXPECT_EQ(draws[0].vertices[4].color, order == 1 ? 0x80112233u : 0x80332211u) << order;
  }
}

TEST_F(Drawing, DrawQuadMapsTextureCoordinatesIntoTheBitmap) {
  int texture;
  Bitmap bitmap = MakeBitmap(&texture);
  OV_Vertex quad[4] = {{0, 0, 0, 0, 0, 0}, {1, 0, 0, 0, 1, 0}, {0, 1, 0, 0, 0, 1}, {1, 1, 0, 0, 0.5f, 1}};
  ov.OV_DrawQuad(&bitmap, quad);
  std::vector<RecordingRenderer::Draw> draws = Finish();
  EXPECT_FLOAT_EQ(draws[0].vertices[1].u, 0.5f);
  EXPECT_FLOAT_EQ(draws[0].vertices[2].v, 0.5f);
  EXPECT_FLOAT_EQ(draws[0].vertices[3].u, 0.25f);
}

TEST_F(Drawing, LinesAreBatchedInLineMode) {
  float a = 0, b = 10;
  ov.OV_DrawLine(&a, &a, &b, &b);
  ov.OV_DrawLine(&b, &a, &a, &b);
  Rectangle(0, 0);  // back to triangles: the lines go first
  std::vector<RecordingRenderer::Draw> draws = Finish();
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_TRUE(draws[0].lines);
  EXPECT_EQ(draws[0].primitives, 2);
  EXPECT_EQ(draws[0].indices, (std::vector<unsigned short>{0, 1, 2, 3}));
  EXPECT_FLOAT_EQ(draws[0].vertices[3].y, 10.0f);
  EXPECT_FALSE(draws[1].lines);
}

TEST_F(Drawing, DrawTrianglesIsBoundedAndAlternatesItsBuffers) {
  std::vector<OV_Vertex> vertices(TRIANGLES_MAX_VERTICES + 1);
  std::vector<unsigned short> indices(TRIANGLES_MAX_INDICES + 1);
  ov.OV_DrawTriangles(nullptr, vertices.data(), TRIANGLES_MAX_VERTICES + 1, indices.data(), 3);
  ov.OV_DrawTriangles(nullptr, vertices.data(), 3, indices.data(), TRIANGLES_MAX_INDICES + 1);
  indices[1] = 3;
  ov.OV_DrawTriangles(nullptr, vertices.data(), 3, indices.data(), 3);  // index past the vertices
  EXPECT_TRUE(renderer.draws.empty());
  EXPECT_EQ(Reported("Too many vertices (16385) for DrawTriangles call. Draw using vertex and index buffers instead. "
                   "Maximum is 16384."),
            1);
  EXPECT_EQ(Reported("Too many indices (16385) for DrawTriangles call."), 1);
  EXPECT_EQ(Reported("DrawTriangles: index 1 (3) is past the 3 vertices."), 1);

  vertices[2].x = 7;
  const unsigned short triangle[6] = {0, 1, 2, 2, 1, 0};
  ov.OV_DrawTriangles(nullptr, vertices.data(), TRIANGLES_MAX_VERTICES, triangle, 6);
  ov.OV_DrawTriangles(nullptr, vertices.data(), 3, triangle, 6);
  ov.OV_DrawTriangles(nullptr, vertices.data(), 3, triangle, 3);
  ASSERT_EQ(renderer.draws.size(), 3u);
  EXPECT_EQ(renderer.draws[0].vertex_count, TRIANGLES_MAX_VERTICES);
  EXPECT_EQ(renderer.draws[1].primitives, 2);
  EXPECT_EQ(renderer.draws[1].vertices[2].x, 7.0f);
  EXPECT_NE(renderer.draws[0].buffer, renderer.draws[1].buffer);
  EXPECT_EQ(renderer.draws[0].buffer, renderer.draws[2].buffer);
}

TEST_F(Drawing, ClearsAndDepthClears) {
  Rectangle(0, 0);
  ov.OV_Clear(0.25f, 0.5f, 1.0f);
  EXPECT_EQ(renderer.calls[renderer.calls.size() - 2].rfind("DrawIndexedTriangles", 0), 0u);  // flushed first
  EXPECT_EQ(renderer.calls.back(), "Clear 0.25 0.5 1");
  ov.OV_ClearDepth(1.0f);
  EXPECT_TRUE(renderer.Calls("ClearDepth").empty());
  EXPECT_EQ(Reported("OV_ClearDepth: Depth writes not enabled"), 1);
  ov.OV_SetRenderStateb(RENDER_STATE_DEPTH_WRITE, 1);
  ov.OV_ClearDepth(1.0f);
  EXPECT_EQ(renderer.Calls("ClearDepth"), std::vector<std::string>{"ClearDepth 1"});

  ov.OV_SetRenderStateb(3, 1);
  ov.OV_SetRenderStatei(12, 5);
  ov.OV_SetRenderStatef(20, 1.5f);
  ov.OV_SetRenderStatef(20, 1.5f);
  ov.OV_SetRenderStateb(40, 1);
  EXPECT_EQ(Reported("SetRenderStateb (3, true) state not supported with this method."), 1);
  EXPECT_EQ(Reported("SetRenderStatei (12, 5) state not supported with this method."), 1);
  EXPECT_EQ(Reported("SetRenderStatef (20, 1.5) state not supported with this method."), 1);
  EXPECT_FLOAT_EQ(ov.OV_GetRenderStatef(20), 1.5f);
  EXPECT_EQ(Reported("SetRenderStateb: render state id 40 is outside 0..31."), 1);
}

TEST_F(Drawing, BufferSubTable) {
  const BufferServices& b = *ov.buffers;
  OV_Vertex three[3] = {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}, {13, 14, 15, 16, 17, 18}};
  const unsigned short indices[6] = {0, 1, 2, 2, 1, 0};
  VertexBuffer* vertices = b.CreateVertexBuffer(7, three, 3, 0);
  IndexBuffer* index_buffer = b.CreateIndexBuffer(indices, 6, 1);
  ASSERT_NE(vertices, nullptr);
  ASSERT_NE(index_buffer, nullptr);
  EXPECT_EQ(drawing.static_locks, 1);
  EXPECT_EQ(drawing.dynamic_locks, 1);
  b.DrawIndexed(vertices, index_buffer);
  b.DrawIndexedCount(vertices, index_buffer, 3);
  b.DrawIndexedCount(vertices, index_buffer, 7);  // more than it holds
  ASSERT_EQ(renderer.draws.size(), 2u);
  EXPECT_EQ(renderer.draws[0].primitives, 2);
  EXPECT_EQ(renderer.draws[1].primitives, 1);
  EXPECT_EQ(renderer.draws[0].vertices[2].x, 13.0f);
  EXPECT_EQ(renderer.draws[0].indices, std::vector<unsigned short>(indices, indices + 6));
  ASSERT_TRUE(b.LockVertexBuffer(vertices));
  EXPECT_FALSE(b.LockVertexBuffer(vertices));  // already locked
  static_cast<OV_Vertex*>(vertices->data)[0].x = 99;
  b.UnlockVertexBuffer(vertices);
  EXPECT_EQ(vertices->data, nullptr);
  b.DrawIndexed(vertices, index_buffer);
  EXPECT_EQ(renderer.draws.back().vertices[0].x, 99.0f);
  b.FreeVertexBuffer(vertices);
  b.FreeIndexBuffer(index_buffer);

  // A quad of format 15 (position, colour, both texture coordinates) goes straight to its buffer.
  float quad15[4 * 9] = {};
  b.DrawQuad(15, quad15);
  EXPECT_EQ(renderer.Calls("DrawIndexedTriangles").back(), "DrawIndexedTriangles 4 2");
  b.DrawQuad(3, quad15);
  EXPECT_EQ(Reported("DrawQuad: vertex format 3 has no quad buffer"), 1);
}

}  // namespace
