// The renderer interface: every drawing call of the engine ends in one object of this class.
// Virtual slots are in a fixed order; where the base class has a behaviour it is given here,
// the others are pure.
#pragma once

#include "core/orvel.h"

struct CoreState;

// The renderer's own vertex and index buffers. The base class keeps them in memory.
struct RenderVertexBuffer {
  int format;
  int count;
  bool locked;
  int one;  // always 1
  void* data;
  void* hardware;
};

struct RenderIndexBuffer {
  int count;
  bool locked;
  int reserved;
  unsigned short* data;
  void* hardware;
};

// Bytes per vertex of a vertex format; 24 for every format without its own stride.
int OVI_VertexStride(int format);

class RendererImplementation {
 public:
  virtual ~RendererImplementation();                                                 // 0
  virtual bool IsImplemented() = 0;                                                  // 1
  virtual bool SupportsThreadedUploads() { return false; }                           // 2
  virtual int GetMaximumTextureSize() = 0;                                           // 3
  virtual bool BeginScene() { return true; }                                         // 4
  virtual const char* GetName() = 0;                                                 // 5
  virtual bool IsResolutionSupported(int width, int height, bool windowed) = 0;     // 6
  virtual const char* GetSupportedResolutions() { return nullptr; }                 // 7
  virtual int GetBitmapChannelOrder() { return 1; }                                  // 8
  virtual int GetVertexColorOrder() { return 1; }                                    // 9
  virtual bool Query10() { return false; }                                           // 10
  virtual bool Initialize(const EngineServices* services, CoreState* core, VideoParameters* parameters) = 0;  // 11
  virtual bool ChangeDisplayMode(int width, int height, bool windowed) { return false; }  // 12
  virtual void Shutdown() = 0;                                                       // 13
  virtual void SetViewport(int x, int y, int width, int height, float min_z, float max_z) {}  // 14
  virtual void SetActive(bool active) = 0;                                           // 15
  virtual bool SetRenderTarget(Bitmap* colour, Bitmap* depth) = 0;                   // 16
  virtual bool CopyRenderTargetToBitmapPixels(Bitmap* bitmap) { return false; }      // 17
  virtual bool CreateBitmapTexture(Bitmap* bitmap) = 0;                              // 18
  virtual bool LoadBitmapPixels(Bitmap* bitmap) = 0;                                 // 19
  virtual void FreeBitmapTexture(Bitmap* bitmap) = 0;                                // 20
  virtual int GetShaderTargetVariant() { return 0; }                                 // 21
  virtual int GetShaderTarget() { return 0; }                                        // 22
  virtual bool RequiresPrecompiledShaders() = 0;                                     // 23
  virtual Shader* CreateDefaultShader() { return nullptr; }                          // 24
  virtual bool CreateShader(Shader* shader) { return true; }                         // 25
  virtual void ReleaseShader(Shader* shader) {}                                      // 26
  virtual void SetShader(Shader* shader) {}                                          // 27
  virtual void SetEye(int eye) = 0;                                                  // 28
  virtual void BeginFrame() {}                                                       // 29
  virtual void EndEye() {}                                                           // 30
  virtual void Present() = 0;                                                        // 31
  virtual void Clear(float red, float green, float blue) = 0;                        // 32
  virtual void ClearDepth(float depth) {}                                            // 33
  virtual bool SetScissor(int x, int y, int width, int height) = 0;                  // 34
  virtual void DisableScissor() = 0;                                                 // 35
  virtual void SetBlendMode(int mode) = 0;                                           // 36
  virtual void SetTextureFilter(int stage, int min_filter, int mag_filter, int mip_filter) = 0;  // 37
  virtual void SetTextureAddressing(int stage, int u, int v, int w) = 0;             // 38
  virtual const char* CallExtension(const char* function, const char* parameter) { return nullptr; }  // 39
  virtual void Notify40(int) {}                                                      // 40
  virtual void Notify41(int) {}                                                      // 41
  virtual void SetDepthTest(bool enabled) = 0;                                       // 42
  virtual void SetDepthFunction(int function) = 0;                                   // 43
  virtual void SetDepthWrite(bool enabled) = 0;                                      // 44
  virtual void SetColorWrite(bool enabled) = 0;                                      // 45
  virtual void SetCullMode(int mode) = 0;                                            // 46
  virtual void SetTexture(int stage, void* texture) = 0;                             // 47
  virtual void DrawIndexedTriangles(RenderVertexBuffer* vertices, int vertex_count, RenderIndexBuffer* indices,
                                    int triangle_count) {}                           // 48
  virtual void DrawIndexedLines(RenderVertexBuffer* vertices, RenderIndexBuffer* indices, int line_count) {}  // 49
  virtual RenderVertexBuffer* CreateVertexBuffer(int format, int count, bool dynamic);  // 50
  virtual void ReleaseVertexBuffer(RenderVertexBuffer* buffer);                      // 51
  virtual void* LockVertexBuffer(RenderVertexBuffer* buffer);                        // 52
  virtual void UnlockVertexBuffer(RenderVertexBuffer* buffer);                       // 53
  virtual void UploadVertexBuffer(RenderVertexBuffer* buffer, const void* data);     // 54
  virtual RenderIndexBuffer* CreateIndexBuffer(int count, bool dynamic);             // 55
  virtual void ReleaseIndexBuffer(RenderIndexBuffer* buffer);                        // 56
  virtual void* LockIndexBuffer(RenderIndexBuffer* buffer);                          // 57
  virtual void UnlockIndexBuffer(RenderIndexBuffer* buffer);                         // 58
  virtual void UploadIndexBuffer(RenderIndexBuffer* buffer, const void* data);       // 59
  virtual void GetPixelCenterOffset(float* x, float* y) { *x = *y = 0.0f; }          // 60
  virtual void SetBitmapRegion(Bitmap* bitmap, int x, int y, int width, int height);  // 61
};

// The one headless renderer object (render/renderer_headless.h).
RendererImplementation* OVI_CreateHeadlessRenderer();
