// Frames drawn through the engine's drawing operations by the Direct3D 9 renderer, each with the
// pixels it must show, for tests/render/check_pixels.py: solid rectangles, every blend mode over
// a known background, a scissored draw, a render target drawn to the screen, triangles with
// vertex colours, a turned, scaled bitmap made from known pixels, the same pixels saved as PNG,
// JPEG and TGA files and loaded back as bitmaps, and a rectangle through a hand-written HLSL pair
// with a transform and a colour constant. Then the same after a device
// reset, and after a change to another window size.
#include <windows.h>

#include <math.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/lifecycle.h"
#include "core/log.h"
#include "core/service_table.h"
#include "core/video.h"
#include "platform/ov_window.h"
#include "render/d3d9/renderer_d3d9.h"
#include "render/drawing_state.h"
#include "render/targets.h"
#include "filesystem/file_api.h"
#include "filesystem/paths.h"
#include "render/transforms.h"
#include "resources/bitmap.h"
#include "resources/bitmaps.h"
#include "resources/image_loader.h"
#include "shadertool/shader.h"

namespace {

struct Expected {
  std::string name;
  int x, y, r, g, b, tolerance;
};

const EngineServices& ov = service_table;
ProgramInterface record;
Bitmap target, known;
unsigned char known_pixels[8 * 8 * 4];
std::vector<Expected> expected;

// A shader that places vertices with the engine's transform and tints them.
const char kVertexCode[] =
    "float4x4 world_view_proj;\n"
    "struct Out { float4 position : POSITION; float4 color : TEXCOORD1; float2 uv : TEXCOORD0; };\n"
    "Out main(float4 position : POSITION, float4 color : COLOR0, float2 uv : TEXCOORD0) {\n"
    "  Out o; o.position = mul(position, world_view_proj); o.color = color; o.uv = uv; return o;\n"
    "}\n";
const char kPixelCode[] =
    "float4 tint;\n"
    "struct In { float4 color : TEXCOORD1; float2 uv : TEXCOORD0; };\n"
    "float4 main(In i) : COLOR0 { return i.color * tint; }\n";
Bitmap* files[3];  // the known pixels through PNG, JPEG and TGA files
const char* const kFileNames[3] = {"res://known.png", "res://known.jpg", "res://known.tga"};
Shader tinted;
ShaderConstant tinted_vertex[1], tinted_pixel[1];
OV_Matrix world_view_proj;
float tint[4] = {1.0f, 0.5f, 0.0f, 1.0f};

void MakeShader() {
  tinted.name = const_cast<char*>("tinted");
  tinted.vertex_format = 7;
  tinted_vertex[0] = ShaderConstant{const_cast<char*>("world_view_proj"), SHADER_FLOAT4X4, 1, &world_view_proj, 4, true};
  tinted_pixel[0] = ShaderConstant{const_cast<char*>("tint"), SHADER_FLOAT4, 1, tint, 1, true};
  tinted.vertex_constants = tinted_vertex;
  tinted.vertex_constant_count = 1;
  tinted.pixel_constants = tinted_pixel;
  tinted.pixel_constant_count = 1;
  tinted.vertex_code = kVertexCode;
  tinted.pixel_code = kPixelCode;
}

const float kBackground[3] = {0.2f, 0.4f, 0.6f};
const int kBackgroundBytes[3] = {51, 102, 153};

bool Exists(const char* name) { return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES; }

void Colour(float r, float g, float b, float a) {
  ov.OV_SetColor(&r, &g, &b);
  ov.OV_SetAlpha(&a);
}

void Rectangle(float x, float y, float w, float h) { ov.OV_DrawRectangle(&x, &y, &w, &h); }

int Clamp(double v) { return v < 0 ? 0 : v > 255 ? 255 : static_cast<int>(v + 0.5); }

// What each blend mode gives for a source colour of bytes s and alpha byte a over the background.
void BlendResult(int mode, const int s[3], int a, int out[3]) {
  for (int i = 0; i < 3; ++i) {
    double src = s[i] / 255.0, dst = kBackgroundBytes[i] / 255.0, alpha = a / 255.0, v = 0;
    switch (mode) {
      case 1: v = src * alpha + dst * (1 - alpha); break;
      case 2: v = src * alpha + dst; break;
      case 3: v = src; break;
      case 4: v = dst - src * alpha; break;
      case 5: v = dst * src; break;
      case 6: v = dst * src + src * dst; break;
      case 7: v = dst * src + dst; break;
    }
    out[i] = Clamp(v * 255.0);
  }
}

void Expect(const char* name, int x, int y, int r, int g, int b, int tolerance = 3) {
  expected.push_back(Expected{name, x, y, r, g, b, tolerance});
}

void Scene() {
  ov.OV_Clear(kBackground[0], kBackground[1], kBackground[2]);
  Colour(1, 0, 0, 1);
  Rectangle(10, 10, 40, 40);
  Colour(0, 1, 0, 1);
  Rectangle(60, 10, 40, 40);
  Colour(0, 0, 1, 1);
  Rectangle(110, 10, 40, 40);
  Colour(1, 1, 1, 1);
  Rectangle(160, 10, 40, 40);

  for (int mode = 1; mode <= 7; ++mode) {
    ov.OV_SetBlendMode(mode);
    Colour(0.8f, 0.6f, 0.2f, 0.5f);
    Rectangle(10.0f + (mode - 1) * 50.0f, 70, 40, 40);
  }
  ov.OV_SetBlendMode(1);

  ov.OV_PushScissorRectangle(20, 130, 30, 40);
  Colour(1, 1, 0, 1);
  Rectangle(10, 130, 60, 40);
  ov.OV_PopScissorRectangle();

  ov.OV_PushRenderTarget(&target);
  ov.OV_Clear(0, 1, 0);
  Colour(1, 0, 0, 1);
  Rectangle(16, 16, 32, 32);
  ov.OV_PopRenderTarget();
  Colour(1, 1, 1, 1);
  float x = 100, y = 130;
  ov.OV_DrawBitmap(&target, &x, &y);

  const unsigned red = 0xFFFF0000u, blue = 0xFF0000FFu;  // as Direct3D reads them: A, R, G, B
  const OV_Vertex quad[4] = {{200, 130, 0.5f, red, 0, 0}, {260, 130, 0.5f, red, 0, 0},
                             {200, 190, 0.5f, blue, 0, 0}, {260, 190, 0.5f, blue, 0, 0}};
  const unsigned short indices[6] = {0, 1, 2, 1, 3, 2};
  ov.OV_DrawTriangles(nullptr, quad, 4, indices, 6);

  ov.OV_SetTextureFilter(1);
  float cx = 340, cy = 160, angle = 1.5707963f, scale = 4;
  ov.OV_DrawBitmapTransformed(&known, &cx, &cy, &angle, &scale);

  for (int i = 0; i < 3; ++i) {
    float fx = 100.0f + 60.0f * i, fy = 260, none = 0;
    ov.OV_DrawBitmapTransformed(files[i], &fx, &fy, &none, &scale);
  }
  ov.OV_SetTextureFilter(2);

  // The engine hands the shader to the renderer at the next flush.
  OVI_FlushBatch();
  ov.OV_GetProjectionTransform(&world_view_proj);  // the world and view transforms are identities
  drawing.shader = &tinted;
  Colour(1, 1, 1, 1);
  Rectangle(20, 200, 40, 40);
  OVI_FlushBatch();
  drawing.shader = nullptr;
}

void Expectations() {
  expected.clear();
  Expect("background", 5, 5, 51, 102, 153);
  Expect("background right", 230, 30, 51, 102, 153);
  Expect("red", 30, 30, 255, 0, 0);
  Expect("green", 80, 30, 0, 255, 0);
  Expect("blue", 130, 30, 0, 0, 255);
  Expect("white", 180, 30, 255, 255, 255);
  const int source[3] = {204, 153, 51};  // 0.8, 0.6 and 0.2 times 255, truncated
  for (int mode = 1; mode <= 7; ++mode) {
    int c[3];
    BlendResult(mode, source, 127, c);
    std::string name = "blend " + std::to_string(mode);
    Expect(name.c_str(), 30 + (mode - 1) * 50, 90, c[0], c[1], c[2], 4);
  }
  Expect("scissored inside", 35, 150, 255, 255, 0);
  Expect("scissored left", 14, 150, 51, 102, 153);
  Expect("scissored right", 60, 150, 51, 102, 153);
  Expect("target cleared", 108, 138, 0, 255, 0);
  Expect("target drawn", 132, 162, 255, 0, 0);
  Expect("triangles top", 230, 132, 255, 0, 0, 40);
  Expect("triangles middle", 230, 160, 127, 0, 127, 24);
  Expect("triangles bottom", 230, 188, 0, 0, 255, 40);
  // Known pixels (red, green / blue, white) turned a quarter to the right.
  Expect("bitmap top left", 332, 152, 0, 0, 255);
  Expect("bitmap top right", 348, 152, 255, 0, 0);
  Expect("bitmap bottom right", 348, 168, 0, 255, 0);
  Expect("bitmap bottom left", 332, 168, 255, 255, 255);
  Expect("shader", 40, 220, 255, 128, 0, 4);
  const char* const kinds[3] = {"png", "jpeg", "tga"};
  for (int i = 0; i < 3; ++i) {
    int x = 100 + 60 * i, tolerance = i == 1 ? 48 : 3;  // JPEG is lossy
    std::string kind = kinds[i];
    Expect((kind + " top left").c_str(), x - 8, 252, 255, 0, 0, tolerance);
    Expect((kind + " top right").c_str(), x + 8, 252, 0, 255, 0, tolerance);
    Expect((kind + " bottom left").c_str(), x - 8, 268, 0, 0, 255, tolerance);
    Expect((kind + " bottom right").c_str(), x + 8, 268, 255, 255, 255, tolerance);
  }
  Expect("below the shader", 40, 250, 51, 102, 153);
}

void Frame() {
  OVI_PumpMessages();
  RendererImplementation* r = core.renderer;
  r->SetEye(0);
  r->SetViewport(0, 0, screen_info.native_width, screen_info.native_height, 0.0f, 1.0f);
  OVI_BeginEyeDrawing();
  r->BeginFrame();
  Scene();
  OVI_ResetDrawingState();
  OVI_EndFrameDrawing();
  r->Present();
}

// Shows the scene until the checker has looked at it.
bool Stage(int number, int width, int height) {
  HWND window = static_cast<HWND>(OVI_WindowHandle());
  RECT client;
  GetClientRect(window, &client);
  if (client.right != width || client.bottom != height) {
    fprintf(stderr, "d3d9_frames: stage %d: the client area is %ldx%ld, expected %dx%d\n", number, client.right,
            client.bottom, width, height);
    return false;
  }
  for (int i = 0; i < 5; ++i) Frame();
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  Expectations();
  std::string text = std::to_string(origin.x) + " " + std::to_string(origin.y) + " " + std::to_string(width) + " " +
                     std::to_string(height) + "\n";
  for (const Expected& e : expected) {
    std::string name = e.name;
    for (char& c : name)
      if (c == ' ') c = '_';
    char line[128];
    snprintf(line, sizeof line, "%s %d %d %d %d %d %d\n", name.c_str(), e.x, e.y, e.r, e.g, e.b, e.tolerance);
    text += line;
  }
  char ready[32], checked[32];
  snprintf(ready, sizeof ready, "ready-%d", number);
  snprintf(checked, sizeof checked, "checked-%d", number);
  FILE* out = fopen("ready.tmp", "wb");
  fwrite(text.data(), 1, text.size(), out);
  fclose(out);
  MoveFileA("ready.tmp", ready);
  DWORD start = GetTickCount();
  while (!Exists(checked) && GetTickCount() - start < 90000) {
    Frame();
    Sleep(30);
  }
  return Exists(checked);
}

void MakeBitmaps() {
  target.name = const_cast<char*>("frame target");
  target.width = target.height = 64;
  target.type = 2;
  target.state = BITMAP_STATE_DONE;
  // Quadrants of the known bitmap, bytes blue, green, red, alpha.
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      unsigned char* p = known_pixels + (y * 8 + x) * 4;
      bool right = x >= 4, bottom = y >= 4;
      unsigned char r = 0, g = 0, b = 0;
      if (!right && !bottom) r = 255;
      if (right && !bottom) g = 255;
      if (!right && bottom) b = 255;
      if (right && bottom) r = g = b = 255;
      p[0] = b;
      p[1] = g;
      p[2] = r;
      p[3] = 255;
    }
  known.name = const_cast<char*>("known");
  known.width = known.height = 8;
  known.pixels = known_pixels;
  known.flags = BITMAP_FLAG_ALPHA;
  known.state = BITMAP_STATE_DONE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  OVI_StartEngineState();
  core.unattended = true;
  memset(&record, 0, sizeof record);
  strcpy(record.title, "ORVEL frames");
  record.video.width = record.video.reference_width = 480;
  record.video.height = record.video.reference_height = 320;
  record.video.windowed = 1;
  core.program = &record;
  core.requested = core.current = record.video;
  RendImpD3D9* renderer = OVI_Direct3D9Renderer();
  core.renderer = renderer;
  OVI_FillServiceTable();
  if (!OVI_CreateWindow(record.title, 480, 320, true) || !OVI_InitializeRenderer()) {
    fprintf(stderr, "d3d9_frames: no window or no renderer\n");
    return 1;
  }
  core.running = core.renderer_ready = true;
  OVI_ResetRenderTargets();
  MakeBitmaps();
  if (!renderer->CreateBitmapTexture(&target) || !renderer->LoadBitmapPixels(&known)) {
    fprintf(stderr, "d3d9_frames: bitmap textures failed\n");
    return 1;
  }
  MakeShader();
  if (!renderer->CreateShader(&tinted)) {
    fprintf(stderr, "d3d9_frames: the HLSL pair did not compile\n");
    return 1;
  }
  if (known.hardware.texture_width != 8 || known.edge_mode != 3) {
    fprintf(stderr, "d3d9_frames: an 8x8 bitmap should be packed alone into an 8x8 texture\n");
    return 1;
  }
  // The known pixels written in each format and loaded back through the bitmap table.
  OVFS_SetBaseFolder("res", ".");
  if (!OVFS_Start()) return 1;
  for (int i = 0; i < 3; ++i) {
    if (!OVI_ImageLoader()->SaveImage(&known, kFileNames[i], 100)) {
      fprintf(stderr, "d3d9_frames: saving %s failed\n", kFileNames[i]);
      return 1;
    }
    files[i] = ov.OV_GetBitmap(kFileNames[i]);
    if (!files[i] || !files[i]->hardware.has_texture) {
      fprintf(stderr, "d3d9_frames: %s did not load\n", kFileNames[i]);
      return 1;
    }
  }
  bool ok = Stage(1, 480, 320);
  // The render target's pixels read back: green with the red square inside.
  static unsigned char copied[64 * 64 * 4];
  target.pixels = copied;
  if (ok && !renderer->CopyRenderTargetToBitmapPixels(&target)) ok = false;
  const unsigned char* centre = copied + (32 * 64 + 32) * 4;
  const unsigned char* corner = copied + (2 * 64 + 2) * 4;
  if (ok && !(centre[2] > 240 && centre[1] < 15 && corner[1] > 240 && corner[2] < 15)) {
    fprintf(stderr, "d3d9_frames: render target read back as %02x%02x%02x / %02x%02x%02x\n", centre[2], centre[1],
            centre[0], corner[2], corner[1], corner[0]);
    ok = false;
  }
  target.pixels = nullptr;
  // The renderer's own reset path, as after a lost device: everything in video memory comes back.
  ok = ok && renderer->Reset() && Stage(2, 480, 320);
  if (ok && !renderer->ChangeDisplayMode(400, 300, true)) ok = false;
  screen_info.native_width = core.current.width = 400;
  screen_info.native_height = core.current.height = 300;
  ok = ok && Stage(3, 400, 300);
  OVI_EndFrameDrawing();
  OVI_ShutdownRenderer();
  OVI_DestroyWindow();
  return ok ? 0 : 1;
}
