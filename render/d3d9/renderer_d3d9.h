// The Direct3D 9 renderer: the device, bitmap textures, render targets, vertex and index buffers
// with system-memory shadows, fixed-function drawing with the engine's transforms, presenting,
// and the reset that brings a lost device back.
#pragma once

#include <d3d9.h>

#include <set>
#include <vector>

#include "render/renderer.h"

class RendImpD3D9 : public RendererImplementation {
 public:
  RendImpD3D9();
  ~RendImpD3D9() override;
  bool IsImplemented() override { return true; }
  int GetMaximumTextureSize() override;
  const char* GetName() override { return "Direct3D9"; }
  bool IsResolutionSupported(int width, int height, bool windowed) override;
  const char* GetSupportedResolutions() override;
  bool Initialize(const EngineServices* services, CoreState* core, VideoParameters* parameters) override;
  bool ChangeDisplayMode(int width, int height, bool windowed) override;
  void Shutdown() override;
  void SetViewport(int x, int y, int width, int height, float min_z, float max_z) override;
  void SetActive(bool) override {}
  bool SetRenderTarget(Bitmap* colour, Bitmap* depth) override;
  bool CopyRenderTargetToBitmapPixels(Bitmap* bitmap) override;
  bool CreateBitmapTexture(Bitmap* bitmap) override;
  bool LoadBitmapPixels(Bitmap* bitmap) override;
  void FreeBitmapTexture(Bitmap* bitmap) override;
  int GetShaderTarget() override { return 4; }  // HLSL9
  bool RequiresPrecompiledShaders() override { return false; }
  bool CreateShader(Shader* shader) override;
  void ReleaseShader(Shader* shader) override;
  void SetShader(Shader* shader) override;
  void SetEye(int) override { SetShader(nullptr); }
  void Present() override;
  void Clear(float red, float green, float blue) override;
  void ClearDepth(float depth) override;
  bool SetScissor(int x, int y, int width, int height) override;
  void DisableScissor() override;
  void SetBlendMode(int mode) override;
  void SetTextureFilter(int stage, int min_filter, int mag_filter, int mip_filter) override;
  void SetTextureAddressing(int stage, int u, int v, int w) override;
  void SetDepthTest(bool enabled) override;
  void SetDepthFunction(int function) override;
  void SetDepthWrite(bool enabled) override;
  void SetColorWrite(bool enabled) override;
  void SetCullMode(int mode) override;
  void SetTexture(int stage, void* texture) override;
  void DrawIndexedTriangles(RenderVertexBuffer* vertices, int vertex_count, RenderIndexBuffer* indices,
                            int triangle_count) override;
  void DrawIndexedLines(RenderVertexBuffer* vertices, RenderIndexBuffer* indices, int line_count) override;
  RenderVertexBuffer* CreateVertexBuffer(int format, int count, bool dynamic) override;
  void ReleaseVertexBuffer(RenderVertexBuffer* buffer) override;
  void* LockVertexBuffer(RenderVertexBuffer* buffer) override;
  void UnlockVertexBuffer(RenderVertexBuffer* buffer) override;
  RenderIndexBuffer* CreateIndexBuffer(int count, bool dynamic) override;
  void ReleaseIndexBuffer(RenderIndexBuffer* buffer) override;
  void* LockIndexBuffer(RenderIndexBuffer* buffer) override;
  void UnlockIndexBuffer(RenderIndexBuffer* buffer) override;
  void GetPixelCenterOffset(float* x, float* y) override { *x = *y = 0.5f; }

  // Its own operations after the interface.
  bool SetColourTarget(Bitmap* bitmap);
  bool SetDepthTarget(Bitmap* bitmap);
  void ApplyShaderState(Shader* shader);
  void DrawInstanced(RenderVertexBuffer* instances, int instance_count, RenderVertexBuffer* geometry, int vertex_count,
                     RenderIndexBuffer* indices, int triangle_count);

  // The reset a lost device goes through (also reachable directly, for tests).
  bool Reset();
  bool DeviceValid() const { return device_valid_; }
  IDirect3DDevice9* Device() const { return device_; }

 private:
  struct BufferRecord;
  bool CreateDirect3D();
  bool CreateDevice();
  void BuildPresentParameters(int width, int height, bool windowed);
  void ApplyDefaultStates();
  void KeepBackBuffers();
  void ReleaseBackBuffers();
  bool CreateHardwareBuffer(BufferRecord* record);
  void Upload(BufferRecord* record);
  // One record of either kind: the Direct3D buffer and, with hardware vertex processing, the
  // system-memory shadow that every lock hands out.
  BufferRecord* CreateRecord(bool index, int count, int stride, bool dynamic);
  void ReleaseRecord(BufferRecord* record);
  void* LockRecord(BufferRecord* record);
  void UnlockRecord(BufferRecord* record);
  void DrawIndexed(D3DPRIMITIVETYPE type, RenderVertexBuffer* vertices, int vertex_count, RenderIndexBuffer* indices,
                   int primitives);
  template <typename Buffer>
  void* LockBuffer(Buffer* buffer);
  template <typename Buffer>
  void UnlockBuffer(Buffer* buffer);

  IDirect3D9* direct3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
  bool device_valid_ = false;
  bool hardware_vertex_processing_ = true;
  D3DPRESENT_PARAMETERS present_ = {};
  D3DCAPS9 caps_ = {};
  IDirect3DSurface9* back_colour_ = nullptr;
  IDirect3DSurface9* back_depth_ = nullptr;
  HWND window_ = nullptr;
  IDirect3DBaseTexture9* stage_textures_[8] = {};
  Shader* shader_ = nullptr;
  int applied_blend_mode_ = 0;
  const EngineServices* services_ = nullptr;
  CoreState* core_ = nullptr;
  VideoParameters* parameters_ = nullptr;
  std::vector<BufferRecord*> buffers_;
  std::set<Bitmap*> render_targets_;
};

// The one Direct3D 9 renderer object, made on the first call.
RendImpD3D9* OVI_Direct3D9Renderer();
