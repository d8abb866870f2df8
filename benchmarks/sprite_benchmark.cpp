// The CPU cost of 2D sprites through the quad batch: a frame of 100,000 OV_DrawBitmap calls over
// five textures (a new one every 200 sprites) with a blend change every 10,000 sprites, drawn
// with the headless renderer, beside the floor of writing the same vertex bytes: filling a
// scratch quad and copying its 96 bytes into a ring of sixteen 384-vertex buffers with memcpy.
// Prints the ratio of the two and the sprites per second of each.
#include <benchmark/benchmark.h>

#include <string.h>

#include <vector>

#include "benchmarks/ratio_reporter.h"
#include "core/core_state.h"
#include "core/lifecycle.h"
#include "core/log.h"
#include "core/service_table.h"
#include "core/video.h"
#include "render/draw_2d.h"
#include "render/drawing_state.h"
#include "render/renderer_headless.h"
#include "resources/bitmap.h"

namespace {

const int kSprites = 100000;
const int kTextures = 5;
const int kSpritesPerTexture = 200;
const int kSpritesPerBlend = 10000;

class BenchRenderer : public RendImpHeadless {
 public:
  void Present() override {}
};

BenchRenderer renderer;
ProgramInterface record;
Bitmap bitmaps[kTextures];
int textures[kTextures];

void IgnoreLog(int, const char*) {}

float X(int i) { return static_cast<float>(i % 1280); }
float Y(int i) { return static_cast<float>((i / 1280) % 720); }

void DrawFrame(benchmark::State& state) {
  for (auto _ : state) {
    for (int i = 0; i < kSprites; ++i) {
      if (i % kSpritesPerBlend == 0) OV_SetBlendMode((i / kSpritesPerBlend) % 2 ? BLEND_ADD : BLEND_ALPHA);
      float x = X(i), y = Y(i);
      OV_DrawBitmap(&bitmaps[(i / kSpritesPerTexture) % kTextures], &x, &y);
    }
    OVI_FlushBatch();
  }
  state.SetItemsProcessed(state.iterations() * kSprites);
}

void MemcpyFloor(benchmark::State& state) {
  std::vector<OV_Vertex> ring(BATCH_BUFFER_COUNT * BATCH_VERTICES);
  OV_Vertex quad[4] = {};
  for (OV_Vertex& v : quad) v = OV_Vertex{0, 0, 0.5f, 0xffffffffu, 0, 0};
  quad[1].u = quad[3].u = 0.5f;
  quad[2].v = quad[3].v = 0.25f;
  for (auto _ : state) {
    int buffer = 0, count = 0;
    for (int i = 0; i < kSprites; ++i) {
      float x = X(i), y = Y(i);
      quad[0].x = quad[2].x = x;
      quad[1].x = quad[3].x = x + 64;
      quad[0].y = quad[1].y = y;
      quad[2].y = quad[3].y = y + 32;
      memcpy(&ring[buffer * BATCH_VERTICES + count], quad, sizeof quad);
      count += 4;
      if (count == BATCH_VERTICES) {
        count = 0;
        buffer = (buffer + 1) % BATCH_BUFFER_COUNT;
      }
    }
    benchmark::DoNotOptimize(ring.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kSprites);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  OVI_SetLogSink(IgnoreLog);
  OVI_StartEngineState();
  core.renderer = &renderer;
  OVI_FillServiceTable();
  record.video.width = record.video.reference_width = 1280;
  record.video.height = record.video.reference_height = 720;
  core.program = &record;
  core.requested = record.video;
  if (!OVI_InitializeRenderer()) return 1;
  OVI_BeginEyeDrawing();
  for (int i = 0; i < kTextures; ++i) {
    bitmaps[i].width = 64;
    bitmaps[i].height = 32;
    bitmaps[i].state = BITMAP_STATE_DONE;
    bitmaps[i].hardware = BitmapHardware{1, 128, 128, &textures[i], 0.0f, 0.0f, 0.5f, 0.25f};
  }

  benchmark::RegisterBenchmark("OV_DrawBitmap", DrawFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::RegisterBenchmark("memcpy_floor", MemcpyFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  double engine = reporter.Time("OV_DrawBitmap"), floor = reporter.Time("memcpy_floor");
  if (engine > 0 && floor > 0) {
    double ratio = engine / floor;
    printf("\nA frame of %d sprites: OV_DrawBitmap %.3f ms (%.1f M sprites/s), memcpy floor %.3f ms (%.1f M sprites/s)\n",
           kSprites, engine, kSprites / engine / 1000.0, floor, kSprites / floor / 1000.0);
    printf("  OV_DrawBitmap / memcpy floor %6.2f   goal <= 4.00: %s\n", ratio, ratio <= 4.0 ? "met" : "MISSED");
  }
  OVI_EndFrameDrawing();
  OVI_ShutdownRenderer();
  return 0;
}
