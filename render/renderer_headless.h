// The renderer that draws nothing: the native runtime's renderer, and ORVEL_D3D9's for
// unattended runs. It always initialises and accepts every size.
#pragma once

#include "platform/ov_os.h"
#include "render/renderer.h"

class RendImpHeadless : public RendererImplementation {
 public:
  bool IsImplemented() override { return true; }
  int GetMaximumTextureSize() override { return 4096; }
  const char* GetName() override { return "Headless"; }
  bool IsResolutionSupported(int width, int height, bool) override { return width > 0 && height > 0; }
  bool Initialize(const EngineServices*, CoreState*, VideoParameters* parameters) override {
    return parameters->width > 0 && parameters->height > 0;
  }
  bool ChangeDisplayMode(int width, int height, bool) override { return width > 0 && height > 0; }
  void Shutdown() override {}
  void SetActive(bool) override {}
  bool SetRenderTarget(Bitmap*, Bitmap*) override { return true; }
  bool CreateBitmapTexture(Bitmap*) override { return true; }
  bool LoadBitmapPixels(Bitmap*) override { return true; }
  void FreeBitmapTexture(Bitmap*) override {}
  bool RequiresPrecompiledShaders() override { return false; }
  void SetEye(int) override {}
  // Nothing is shown; a millisecond per frame keeps an unpaced run from spinning a core and
  // gives every frame a step the program's update sees.
  void Present() override { OVOS_Sleep(1); }
  void Clear(float, float, float) override {}
  bool SetScissor(int, int, int, int) override { return true; }
  void DisableScissor() override {}
  void SetBlendMode(int) override {}
  void SetTextureFilter(int, int, int, int) override {}
  void SetTextureAddressing(int, int, int, int) override {}
  void SetDepthTest(bool) override {}
  void SetDepthFunction(int) override {}
  void SetDepthWrite(bool) override {}
  void SetColorWrite(bool) override {}
  void SetCullMode(int) override {}
  void SetTexture(int, void*) override {}
};

