#include "render/d3d9/renderer_d3d9.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <string>

#include "core/core_state.h"
#include "core/events.h"
#include "core/log.h"
#include "platform/ov_window.h"
#include "platform/system_information.h"
#include "render/drawing_state.h"
#include "render/texture_packing.h"
#include "render/transforms.h"
#include "resources/bitmap.h"
#include "shadertool/shader.h"

#include <d3dx9shader.h>

struct RendImpD3D9::BufferRecord {
  bool index;
  bool dynamic;
  IDirect3DVertexBuffer9* vertices;
  IDirect3DIndexBuffer9* indices;
  DWORD usage;
  D3DPOOL pool;
  unsigned char* shadow;  // system-memory copy, with hardware vertex processing
  void* lock;
  UINT length;
  int stride;
};

// What the renderer keeps for a shader.
struct ShaderHardware {
  IDirect3DVertexDeclaration9* declaration;
  IDirect3DVertexShader9* vertex_shader;
  IDirect3DPixelShader9* pixel_shader;
  ID3DXConstantTable* vertex_table;
  ID3DXConstantTable* pixel_table;
  D3DXHANDLE reciprocal_texture_dimensions;
  std::vector<D3DXHANDLE> vertex_handles, pixel_handles;  // null for an unmapped constant
};

namespace {

std::string supported_resolutions;

template <typename T>
ULONG Release(T*& object) {
  if (!object) return 0;
  ULONG left = object->Release();
  object = nullptr;
  return left;
}

bool Feature(const char* word) { return OVI_HasFeature(word); }

IDirect3DTexture9* TextureOf(const Bitmap* bitmap) {
  return bitmap ? static_cast<IDirect3DTexture9*>(bitmap->hardware.texture) : nullptr;
}

// The declaration of an engine vertex format: its components in bit order, packed. A null device
// forgets the declarations made so far.
IDirect3DVertexDeclaration9* Declaration(IDirect3DDevice9* device, int format) {
  static std::map<int, IDirect3DVertexDeclaration9*> known;
  static IDirect3DDevice9* known_device = nullptr;
  if (known_device != device) {
    for (auto& entry : known) entry.second->Release();
    known.clear();
    known_device = device;
  }
  if (!device) return nullptr;
  auto found = known.find(format);
  if (found != known.end()) return found->second;
  struct Component {
    int bit;
    BYTE type, usage, usage_index, size;
  } components[] = {
      {1, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0, 12},   {2, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0, 4},
      {4, D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD, 0, 8},    {8, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0, 12},
      {16, D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD, 1, 8},   {32, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_TANGENT, 0, 12},
      {64, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_BINORMAL, 0, 12},  {128, D3DDECLTYPE_UBYTE4, D3DDECLUSAGE_BLENDINDICES, 0, 4},
      {256, D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_BLENDWEIGHT, 0, 16},
  };
  D3DVERTEXELEMENT9 elements[10];
  int count = 0;
  WORD offset = 0;
  for (const Component& c : components) {
    if (!(format & c.bit)) continue;
    elements[count++] = D3DVERTEXELEMENT9{0, offset, c.type, D3DDECLMETHOD_DEFAULT, c.usage, c.usage_index};
    offset = static_cast<WORD>(offset + c.size);
  }
  elements[count] = D3DVERTEXELEMENT9{0xFF, 0, D3DDECLTYPE_UNUSED, 0, 0, 0};
  IDirect3DVertexDeclaration9* declaration = nullptr;
  if (FAILED(device->CreateVertexDeclaration(elements, &declaration))) return nullptr;
  known[format] = declaration;
  return declaration;
}

D3DMATRIX Transposed(const OV_Matrix& m) {
  D3DMATRIX out;
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 4; ++column) out.m[row][column] = m.m[column * 4 + row];
  return out;
}

}  // namespace

RendImpD3D9* OVI_Direct3D9Renderer() {
  static RendImpD3D9* renderer = new RendImpD3D9();
  return renderer;
}

RendererImplementation* OVI_BuiltInRenderer() { return OVI_Direct3D9Renderer(); }

RendImpD3D9::RendImpD3D9() = default;

RendImpD3D9::~RendImpD3D9() {
  for (BufferRecord* record : buffers_) {
    free(record->shadow);
    delete record;
  }
}

bool RendImpD3D9::CreateDirect3D() {
  if (!direct3d_) direct3d_ = Direct3DCreate9(D3D_SDK_VERSION);
  return direct3d_ != nullptr;
}

int RendImpD3D9::GetMaximumTextureSize() {
  if (!direct3d_) return 0;
  if (!caps_.MaxTextureWidth && FAILED(direct3d_->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps_))) return 0;
  return static_cast<int>(caps_.MaxTextureWidth < caps_.MaxTextureHeight ? caps_.MaxTextureWidth : caps_.MaxTextureHeight);
}

const char* RendImpD3D9::GetSupportedResolutions() {
  supported_resolutions.clear();
  if (!CreateDirect3D()) return supported_resolutions.c_str();
  UINT count = direct3d_->GetAdapterModeCount(D3DADAPTER_DEFAULT, D3DFMT_X8R8G8B8);
  std::set<std::pair<UINT, UINT>> seen;
  for (UINT i = 0; i < count; ++i) {
    D3DDISPLAYMODE mode;
    if (FAILED(direct3d_->EnumAdapterModes(D3DADAPTER_DEFAULT, D3DFMT_X8R8G8B8, i, &mode))) continue;
    if (mode.Format != D3DFMT_X8R8G8B8 && mode.Format != D3DFMT_A8R8G8B8 && mode.Format != D3DFMT_R8G8B8) continue;
    if (!seen.insert({mode.Width, mode.Height}).second) continue;
    char entry[32];
    snprintf(entry, sizeof entry, "%ux%u", mode.Width, mode.Height);
    if (!supported_resolutions.empty()) supported_resolutions += ',';
    supported_resolutions += entry;
  }
  return supported_resolutions.c_str();
}

bool RendImpD3D9::IsResolutionSupported(int width, int height, bool) {
  char entry[32];
  snprintf(entry, sizeof entry, "%dx%d", width, height);
  std::string list = std::string(",") + GetSupportedResolutions() + ",";
  return list.find(std::string(",") + entry + ",") != std::string::npos;
}

void RendImpD3D9::BuildPresentParameters(int width, int height, bool windowed) {
  memset(&present_, 0, sizeof present_);
  present_.hDeviceWindow = window_;
  present_.BackBufferWidth = static_cast<UINT>(width);
  present_.BackBufferHeight = static_cast<UINT>(height);
  present_.SwapEffect = D3DSWAPEFFECT_DISCARD;
  present_.EnableAutoDepthStencil = TRUE;
  present_.AutoDepthStencilFormat = D3DFMT_D16;
  present_.Windowed = windowed ? TRUE : FALSE;
  present_.BackBufferFormat = windowed ? D3DFMT_UNKNOWN : D3DFMT_X8R8G8B8;
  present_.PresentationInterval = Feature("DISABLE_VSYNC") ? D3DPRESENT_INTERVAL_IMMEDIATE : D3DPRESENT_INTERVAL_DEFAULT;
  if (Feature("ANTIALIAS")) present_.MultiSampleType = D3DMULTISAMPLE_4_SAMPLES;
}

bool RendImpD3D9::CreateDevice() {
  if (!CreateDirect3D()) return false;
  BuildPresentParameters(parameters_->width, parameters_->height, parameters_->windowed != 0);
  hardware_vertex_processing_ = !Feature("D3D9_FALLBACK");
  OV_Log("D3D9 %s hardware vertex processing.", hardware_vertex_processing_ ? "is using" : "is not using");
  DWORD behaviour = hardware_vertex_processing_ ? D3DCREATE_HARDWARE_VERTEXPROCESSING : D3DCREATE_SOFTWARE_VERTEXPROCESSING;
  if (FAILED(direct3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_, behaviour, &present_, &device_))) {
    OV_Report(LOG_ERROR, "Unable to CreateDevice.");
    device_ = nullptr;
    return false;
  }
  device_valid_ = true;
  OV_Log("Direct3D9 device created.");
  return true;
}

void RendImpD3D9::ApplyDefaultStates() {
  if (!device_valid_) return;
  services_->OV_SetBlendMode(1);
  services_->OV_SetTextureFilter(2);
  IDirect3DDevice9* d = device_;
  d->SetRenderState(D3DRS_LIGHTING, FALSE);
  d->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  d->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  d->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  d->SetRenderState(D3DRS_ALPHAREF, 1);
  d->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
  d->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
  d->SetTextureStageState(0, D3DTSS_COLOROP, stage_textures_[0] ? D3DTOP_MODULATE : D3DTOP_SELECTARG2);
  d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  d->SetTextureStageState(0, D3DTSS_ALPHAOP, stage_textures_[0] ? D3DTOP_MODULATE : D3DTOP_SELECTARG2);
  d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
  d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  d->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  DWORD samplers = caps_.MaxSimultaneousTextures ? caps_.MaxSimultaneousTextures : 1;
  for (DWORD s = 0; s < samplers && s < 16; ++s) {
    d->SetSamplerState(s, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    d->SetSamplerState(s, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    d->SetSamplerState(s, D3DSAMP_MAGFILTER, D3DTEXF_ANISOTROPIC);
    d->SetSamplerState(s, D3DSAMP_MINFILTER, D3DTEXF_ANISOTROPIC);
    d->SetSamplerState(s, D3DSAMP_MIPFILTER, D3DTEXF_ANISOTROPIC);
    d->SetSamplerState(s, D3DSAMP_MAXANISOTROPY, caps_.MaxAnisotropy);
  }
}

void RendImpD3D9::KeepBackBuffers() {
  if (!device_valid_) return;
  device_->GetRenderTarget(0, &back_colour_);
  device_->GetDepthStencilSurface(&back_depth_);
}

void RendImpD3D9::ReleaseBackBuffers() {
  Release(back_colour_);
  Release(back_depth_);
}

bool RendImpD3D9::Initialize(const EngineServices* services, CoreState* core, VideoParameters* parameters) {
  services_ = services;
  core_ = core;
  parameters_ = parameters;
  device_valid_ = false;
  window_ = static_cast<HWND>(OVI_WindowHandle());
  if (!CreateDevice()) return false;
  applied_blend_mode_ = 0;
  device_->GetDeviceCaps(&caps_);
  ApplyDefaultStates();
  KeepBackBuffers();
  OV_Log("Vertex Shader level %d.%d", static_cast<int>(D3DSHADER_VERSION_MAJOR(caps_.VertexShaderVersion)),
         static_cast<int>(D3DSHADER_VERSION_MINOR(caps_.VertexShaderVersion)));
  OV_Log("Pixel Shader level %d.%d", static_cast<int>(D3DSHADER_VERSION_MAJOR(caps_.PixelShaderVersion)),
         static_cast<int>(D3DSHADER_VERSION_MINOR(caps_.PixelShaderVersion)));
  OV_Log("NPOT textures %s", (caps_.TextureCaps & D3DPTEXTURECAPS_POW2) ? "not supported" : "supported");
  OV_Log("NPOT textures conditional %s", (caps_.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL) ? "true" : "false");
  SetFocus(window_);
  SetForegroundWindow(window_);
  return true;
}

void RendImpD3D9::Shutdown() {
  OV_Log("RendImpD3D9::Shutdown..");
  if (device_valid_) {
    ULONG left = Release(back_colour_);
    if (left) OV_Report(LOG_ERROR, "D3D9 RT Color Surface reference count %d on shutdown. Should be zero.", static_cast<int>(left));
    left = Release(back_depth_);
    if (left) OV_Report(LOG_ERROR, "D3D9 RT Depth Surface reference count %d on shutdown. Should be zero.", static_cast<int>(left));
  }
  for (IDirect3DBaseTexture9*& texture : stage_textures_) texture = nullptr;
  Declaration(nullptr, 0);  // forget the declarations of this device
  if (device_) {
    device_->SetVertexDeclaration(nullptr);
    device_->SetStreamSource(0, nullptr, 0, 0);
    device_->SetIndices(nullptr);
    for (DWORD s = 0; s < 8; ++s) device_->SetTexture(s, nullptr);
  }
  ULONG left = Release(device_);
  if (left) OV_Report(LOG_ERROR, "D3D9 pd3dDevice reference count %d on shutdown. Should be zero.", static_cast<int>(left));
  left = Release(direct3d_);
  if (left) OV_Report(LOG_ERROR, "D3D9 pD3D reference count %d on shutdown. Should be zero.", static_cast<int>(left));
  device_valid_ = false;
  memset(&caps_, 0, sizeof caps_);
}

void RendImpD3D9::SetViewport(int x, int y, int width, int height, float min_z, float max_z) {
  if (!device_valid_) return;
  D3DVIEWPORT9 viewport = {static_cast<DWORD>(x), static_cast<DWORD>(y), static_cast<DWORD>(width),
                           static_cast<DWORD>(height), min_z, max_z};
  device_->SetViewport(&viewport);
}

bool RendImpD3D9::SetColourTarget(Bitmap* bitmap) {
  if (!device_valid_) return false;
  if (!bitmap) return SUCCEEDED(device_->SetRenderTarget(0, back_colour_));
  IDirect3DTexture9* texture = TextureOf(bitmap);
  IDirect3DSurface9* surface = nullptr;
  if (!texture || FAILED(texture->GetSurfaceLevel(0, &surface))) return false;
  bool ok = SUCCEEDED(device_->SetRenderTarget(0, surface));
  surface->Release();
  return ok;
}

bool RendImpD3D9::SetDepthTarget(Bitmap* bitmap) {
  if (!device_valid_) return false;
  if (!bitmap) return SUCCEEDED(device_->SetDepthStencilSurface(back_depth_));
  IDirect3DTexture9* texture = TextureOf(bitmap);
  IDirect3DSurface9* surface = nullptr;
  if (!texture || FAILED(texture->GetSurfaceLevel(0, &surface))) return false;
  bool ok = SUCCEEDED(device_->SetDepthStencilSurface(surface));
  surface->Release();
  return ok;
}

bool RendImpD3D9::SetRenderTarget(Bitmap* colour, Bitmap* depth) {
  bool colour_ok = SetColourTarget(colour);
  bool depth_ok = SetDepthTarget(depth);
  return colour_ok && depth_ok;
}

bool RendImpD3D9::CreateBitmapTexture(Bitmap* bitmap) {
  if (!device_valid_ || !bitmap) return false;
  int type = bitmap->type;
  if (caps_.TextureCaps & D3DPTEXTURECAPS_POW2) {
    bitmap->width = OVI_NextPowerOfTwo(bitmap->width);
    bitmap->height = OVI_NextPowerOfTwo(bitmap->height);
  }
  bool mipmaps = bitmap->name && strstr(bitmap->name, "MIPMAP");
  DWORD usage = type == 4 ? D3DUSAGE_DEPTHSTENCIL : D3DUSAGE_RENDERTARGET | (mipmaps ? D3DUSAGE_AUTOGENMIPMAP : 0);
  D3DFORMAT format = type == 1 ? D3DFMT_X8R8G8B8 : type == 3 ? D3DFMT_R32F : type == 4 ? D3DFMT_D16 : D3DFMT_A8R8G8B8;
  IDirect3DTexture9* texture = nullptr;
  if (FAILED(device_->CreateTexture(static_cast<UINT>(bitmap->width), static_cast<UINT>(bitmap->height), 1, usage,
                                    format, D3DPOOL_DEFAULT, &texture, nullptr))) {
    if (type == 4) OV_Report(LOG_ERROR, "Unable to Create D3D9 Texture.");
    else OV_Report(LOG_ERROR, "Unable to Create D3D9 Texture for bitmap type %d.", type);
    return false;
  }
  BitmapHardware& h = bitmap->hardware;
  bitmap->flags |= BITMAP_FLAG_RENDER_TARGET;
  h.has_texture = 1;
  h.texture = texture;
  h.texture_width = bitmap->width;
  h.texture_height = bitmap->height;
  h.left = h.top = 0.0f;
  h.right = h.bottom = 1.0f;
  render_targets_.insert(bitmap);
  return true;
}

bool RendImpD3D9::LoadBitmapPixels(Bitmap* bitmap) {
  if (!bitmap) {
    OV_Report(LOG_ERROR, "BitmapPacker::BeginPacking got null bitmap pointer. This should never happen.");
    return false;
  }
  if (!bitmap->pixels) {
    OV_Report(LOG_ERROR, "BitmapPacker::BeginPacking bitmap '%s' has no pixels. This should never happen.",
              bitmap->name ? bitmap->name : "NULL");
    return false;
  }
  if (!device_valid_) return false;
  TexturePlan plan = OVI_PlanTexture(bitmap);
  bool mipmaps = bitmap->name && strstr(bitmap->name, "MIPMAP");
  IDirect3DTexture9* texture = nullptr;
  if (FAILED(device_->CreateTexture(static_cast<UINT>(plan.texture_width), static_cast<UINT>(plan.texture_height),
                                    mipmaps ? 0 : 1, mipmaps ? D3DUSAGE_AUTOGENMIPMAP : 0, D3DFMT_A8R8G8B8,
                                    D3DPOOL_MANAGED, &texture, nullptr))) {
    OV_Report(LOG_ERROR, "Unable to Create D3D9 Texture.");
    return false;
  }
  IDirect3DSurface9* level = nullptr;
  if (FAILED(texture->GetSurfaceLevel(0, &level))) {
    OV_Report(LOG_ERROR, "Unable to GetSurfaceLevel for D3D9 Texture.");
    texture->Release();
    return false;
  }
  D3DLOCKED_RECT locked;
  if (FAILED(level->LockRect(&locked, nullptr, D3DLOCK_DISCARD))) {
    OV_Report(LOG_ERROR, "Unable to lock bitmap surface.");
    level->Release();
    texture->Release();
    return false;
  }
  OVI_PackTexturePixels(*bitmap, plan, static_cast<unsigned char*>(locked.pBits), static_cast<size_t>(locked.Pitch));
  level->UnlockRect();
  level->Release();
  BitmapHardware& h = bitmap->hardware;
  h.texture = texture;
  h.texture_width = plan.texture_width;
  h.texture_height = plan.texture_height;
  h.left = plan.left;
  h.top = plan.top;
  h.right = plan.right;
  h.bottom = plan.bottom;
  h.has_texture = 1;
  bitmap->flags &= static_cast<unsigned char>(~BITMAP_FLAG_RENDER_TARGET);
  return true;
}

void RendImpD3D9::FreeBitmapTexture(Bitmap* bitmap) {
  if (!bitmap || !bitmap->hardware.has_texture) return;
  OVI_UnbindTexture(bitmap->hardware.texture);
  for (IDirect3DBaseTexture9*& bound : stage_textures_)
    if (bound == bitmap->hardware.texture) bound = nullptr;
  bitmap->hardware.has_texture = 0;
  IDirect3DTexture9* texture = TextureOf(bitmap);
  ULONG left = Release(texture);
  if (left > 1)
    OV_Report(LOG_ERROR, "'%s' D3D Texture/Surface reference count is %d, not zero!", bitmap->name ? bitmap->name : "NULL",
              static_cast<int>(left));
  bitmap->hardware.texture = nullptr;
  render_targets_.erase(bitmap);
}

bool RendImpD3D9::CopyRenderTargetToBitmapPixels(Bitmap* bitmap) {
  if (!device_valid_ || !bitmap || !(bitmap->flags & BITMAP_FLAG_RENDER_TARGET) || !bitmap->hardware.has_texture ||
      !bitmap->pixels)
    return false;
  IDirect3DSurface9* level = nullptr;
  IDirect3DSurface9* copy = nullptr;
  bool ok = false;
  const BitmapHardware& h = bitmap->hardware;
  if (FAILED(TextureOf(bitmap)->GetSurfaceLevel(0, &level))) {
    OV_Report(LOG_WARNING, "Failed to GetSurfaceLevel.");
  } else if (FAILED(device_->CreateOffscreenPlainSurface(static_cast<UINT>(h.texture_width),
                                                         static_cast<UINT>(h.texture_height), D3DFMT_X8R8G8B8,
                                                         D3DPOOL_SYSTEMMEM, &copy, nullptr))) {
    OV_Report(LOG_WARNING, "Failed to CreateOffscreenPlainSurface.");
  } else if (FAILED(device_->GetRenderTargetData(level, copy))) {
    OV_Report(LOG_WARNING, "Failed to GetRenderTargetData.");
  } else {
    D3DLOCKED_RECT locked;
    if (SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
      if (h.texture_width > bitmap->width || h.texture_height > bitmap->height)
        OV_Report(LOG_WARNING, "CopyRenderTargetToBitmapPixels surface dimension %dx%d is bigger than bitmap %dx%d.",
                  h.texture_width, h.texture_height, bitmap->width, bitmap->height);
      int rows = h.texture_height < bitmap->height ? h.texture_height : bitmap->height;
      int columns = h.texture_width < bitmap->width ? h.texture_width : bitmap->width;
      for (int y = 0; y < rows; ++y)
        memcpy(bitmap->pixels + static_cast<size_t>(y) * bitmap->width * 4,
               static_cast<unsigned char*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch,
               static_cast<size_t>(columns) * 4);
      copy->UnlockRect();
      ok = true;
    }
  }
  Release(copy);
  Release(level);
  return ok;
}

namespace {

ID3DXBuffer* Compile(const char* name, const char* code, const char* profile, ID3DXConstantTable** table) {
  ID3DXBuffer* compiled = nullptr;
  ID3DXBuffer* messages = nullptr;
  HRESULT result = D3DXCompileShader(code ? code : "", code ? static_cast<UINT>(strlen(code)) : 0, nullptr, nullptr,
                                     "main", profile, 0, &compiled, &messages, table);
  if (FAILED(result)) {
    const char* text = messages ? static_cast<const char*>(messages->GetBufferPointer()) : "";
    if (profile[0] == 'v') OV_Report(LOG_ERROR, "Failed to compile vertex shader '%s':\n%s", name, text);
    else OV_Report(LOG_ERROR, "Failed to compile pixel shader '%s':\n'%s'", name, text);
    Release(compiled);
  }
  Release(messages);
  return compiled;
}

void MapConstants(const char* shader, ID3DXConstantTable* table, const ShaderConstant* constants, int count,
                  std::vector<D3DXHANDLE>& handles) {
  handles.assign(static_cast<size_t>(count > 0 ? count : 0), nullptr);
  for (int i = 0; i < count; ++i) {
    handles[i] = table ? table->GetConstantByName(nullptr, constants[i].name) : nullptr;
    if (!handles[i])
      OV_Report(LOG_WARNING, "Not able to map d3d shader '%s' constant '%s'. Unused constant?", shader,
                constants[i].name ? constants[i].name : "");
  }
}

void ReleaseHardware(ShaderHardware* h) {
  Release(h->declaration);
  Release(h->vertex_shader);
  Release(h->pixel_shader);
  Release(h->vertex_table);
  Release(h->pixel_table);
  delete h;
}

void WriteConstants(IDirect3DDevice9* device, ID3DXConstantTable* table, const ShaderConstant* constants,
                    const std::vector<D3DXHANDLE>& handles) {
  for (size_t i = 0; i < handles.size(); ++i) {
    D3DXHANDLE handle = handles[i];
    if (!handle) continue;
    const ShaderConstant& c = constants[i];
    UINT n = static_cast<UINT>(c.count > 0 ? c.count : 1);
    HRESULT result = D3D_OK;
    switch (c.type) {
      case SHADER_BOOL: result = table->SetBoolArray(device, handle, static_cast<const BOOL*>(c.data), n); break;
      case SHADER_FLOAT: result = table->SetFloatArray(device, handle, static_cast<const float*>(c.data), n); break;
      case SHADER_FLOAT2: result = table->SetFloatArray(device, handle, static_cast<const float*>(c.data), 2 * n); break;
      case SHADER_FLOAT3: result = table->SetFloatArray(device, handle, static_cast<const float*>(c.data), 3 * n); break;
      case SHADER_FLOAT4:
        result = table->SetVectorArray(device, handle, static_cast<const D3DXVECTOR4*>(c.data), n);
        break;
      case SHADER_FLOAT4X4:
        result = table->SetMatrixTransposeArray(device, handle, static_cast<const D3DXMATRIX*>(c.data), n);
        break;
      case SHADER_INT: result = table->SetIntArray(device, handle, static_cast<const INT*>(c.data), n); break;
      default: break;  // 2x2 and 3x3 matrices are not written
    }
    if (FAILED(result))
      OV_Report(LOG_WARNING, "D3D Error with %s: return code %x", ("shader_constants['" + std::string(c.name ? c.name : "") + "']").c_str(),
                static_cast<unsigned>(result));
  }
}

}  // namespace

bool RendImpD3D9::CreateShader(Shader* shader) {
  if (!device_valid_ || !shader) return false;
  const char* name = shader->name ? shader->name : "";
  ShaderHardware* h = new ShaderHardware{};
  h->declaration = Declaration(device_, shader->vertex_format);
  if (h->declaration) h->declaration->AddRef();
  ID3DXBuffer* vertex = Compile(name, shader->vertex_code, "vs_3_0", &h->vertex_table);
  ID3DXBuffer* pixel = vertex ? Compile(name, shader->pixel_code, "ps_3_0", &h->pixel_table) : nullptr;
  bool ok = vertex && pixel && h->declaration &&
            SUCCEEDED(device_->CreateVertexShader(static_cast<const DWORD*>(vertex->GetBufferPointer()), &h->vertex_shader)) &&
            SUCCEEDED(device_->CreatePixelShader(static_cast<const DWORD*>(pixel->GetBufferPointer()), &h->pixel_shader));
  Release(vertex);
  Release(pixel);
  if (!ok) {
    ReleaseHardware(h);
    return false;
  }
  h->reciprocal_texture_dimensions =
      h->pixel_table ? h->pixel_table->GetConstantByName(nullptr, "_const_reciprocal_texture_dimensions_0") : nullptr;
  MapConstants(name, h->vertex_table, shader->vertex_constants, shader->vertex_constant_count, h->vertex_handles);
  MapConstants(name, h->pixel_table, shader->pixel_constants, shader->pixel_constant_count, h->pixel_handles);
  for (int i = 0; i < shader->texture_count && h->pixel_table; ++i) {
    std::string sampler = std::string("_tex_") + (shader->textures[i] ? shader->textures[i] : "");
    D3DXHANDLE handle = h->pixel_table->GetConstantByName(nullptr, sampler.c_str());
    int index = handle ? static_cast<int>(h->pixel_table->GetSamplerIndex(handle)) : -1;
    if (index != i)
      OV_Report(LOG_WARNING, "Shader '%s' bitmap input #%d ('%s') is not mapped correctly. %d != %d.", name, i,
                shader->textures[i] ? shader->textures[i] : "", index, i);
  }
  shader->hardware = h;
  return true;
}

void RendImpD3D9::ReleaseShader(Shader* shader) {
  if (!shader || !shader->hardware) return;
  if (shader_ == shader) SetShader(nullptr);
  ReleaseHardware(static_cast<ShaderHardware*>(shader->hardware));
  shader->hardware = nullptr;
}

void RendImpD3D9::SetShader(Shader* shader) {
  shader_ = shader && shader->hardware ? shader : nullptr;
  if (!device_valid_) return;
  if (!shader_) {
    // The fixed-function pipeline draws; the declaration follows each draw's vertex format.
    device_->SetVertexShader(nullptr);
    device_->SetPixelShader(nullptr);
    return;
  }
  ShaderHardware* h = static_cast<ShaderHardware*>(shader_->hardware);
  device_->SetVertexDeclaration(h->declaration);
  device_->SetVertexShader(h->vertex_shader);
  device_->SetPixelShader(h->pixel_shader);
}

void RendImpD3D9::ApplyShaderState(Shader* shader) {
  if (!device_valid_) return;
  if (shader && shader->hardware) {
    ShaderHardware* h = static_cast<ShaderHardware*>(shader->hardware);
    if (h->vertex_table) WriteConstants(device_, h->vertex_table, shader->vertex_constants, h->vertex_handles);
    if (h->pixel_table) WriteConstants(device_, h->pixel_table, shader->pixel_constants, h->pixel_handles);
    IDirect3DTexture9* texture = static_cast<IDirect3DTexture9*>(stage_textures_[0]);
    D3DSURFACE_DESC description;
    if (h->reciprocal_texture_dimensions && texture && SUCCEEDED(texture->GetLevelDesc(0, &description))) {
      float reciprocal[2] = {1.0f / description.Width, 1.0f / description.Height};
      if (FAILED(h->pixel_table->SetFloatArray(device_, h->reciprocal_texture_dimensions, reciprocal, 2)))
        OV_Report(LOG_WARNING, "D3D Error with %s: return code %x", "setting the texture dimensions constant", 0u);
    }
    return;
  }
  OV_Matrix world, view, projection;
  services_->OV_GetTransform(&world);
  services_->OV_GetViewTransform(&view);
  services_->OV_GetProjectionTransform(&projection);
  D3DMATRIX w = Transposed(world), v = Transposed(view), p = Transposed(projection);
  device_->SetTransform(D3DTS_WORLD, &w);
  device_->SetTransform(D3DTS_VIEW, &v);
  device_->SetTransform(D3DTS_PROJECTION, &p);
}

void RendImpD3D9::Present() {
  if (!device_) return;
  if (device_valid_) {
    HRESULT result = device_->Present(nullptr, nullptr, nullptr, nullptr);
    if (SUCCEEDED(result)) return;
    if (result != D3DERR_DEVICELOST) return;
    OV_Log("D3D Device lost. Not rendering until properly reset.");
    device_valid_ = false;
  }
  if (device_->TestCooperativeLevel() == D3DERR_DEVICENOTRESET) Reset();
}

bool RendImpD3D9::Reset() {
  if (!device_) return false;
  device_valid_ = false;
  ReleaseBackBuffers();
  // Render-target textures live in video memory: they go and come back after the reset.
  std::vector<Bitmap*> targets(render_targets_.begin(), render_targets_.end());
  for (Bitmap* bitmap : targets) {
    OVI_UnbindTexture(bitmap->hardware.texture);
    IDirect3DTexture9* texture = TextureOf(bitmap);
    Release(texture);
    bitmap->hardware.texture = nullptr;
    bitmap->hardware.has_texture = 0;
  }
  render_targets_.clear();
  for (IDirect3DBaseTexture9*& texture : stage_textures_) texture = nullptr;
  device_->SetStreamSource(0, nullptr, 0, 0);
  device_->SetIndices(nullptr);
  for (DWORD s = 0; s < 8; ++s) device_->SetTexture(s, nullptr);
  for (BufferRecord* record : buffers_) {
    if (record->pool != D3DPOOL_DEFAULT) continue;
    Release(record->vertices);
    Release(record->indices);
  }
  if (FAILED(device_->Reset(&present_))) return false;
  device_valid_ = true;
  OV_Log("D3D Device reset.");
  applied_blend_mode_ = 0;
  ApplyDefaultStates();
  KeepBackBuffers();
  OV_Log("Reallocating vertex and index buffers...");
  for (BufferRecord* record : buffers_) {
    if (record->pool != D3DPOOL_DEFAULT) continue;
    CreateHardwareBuffer(record);
    if (record->shadow) Upload(record);
  }
  OV_Log("Regenerating render targets...");
  for (Bitmap* bitmap : targets) {
    if (!bitmap->name) continue;
    CreateBitmapTexture(bitmap);
  }
  for (Bitmap* bitmap : targets) {
    if (!bitmap->name) continue;
    OV_Log("Regenerating '%s'..", bitmap->name);
    ProgramEvent event = {};
    event.type = OV_EVENT_REDRAW_RENDER_TARGET;
    event.word[0] = static_cast<int>(reinterpret_cast<intptr_t>(bitmap));
    OVI_DispatchEvent(&event);
  }
  OV_Log("All bitmaps regenerated.");
  OVI_ResetDrawingState();
  OV_Log("D3D Device reset finalized.");
  return true;
}

bool RendImpD3D9::ChangeDisplayMode(int width, int height, bool windowed) {
  if (!device_) return false;
  OVI_AdjustWindow(width, height, windowed);
  BuildPresentParameters(width, height, windowed);
  if (!Reset()) return false;
  SetShader(shader_);
  ApplyDefaultStates();
  OVI_ResetDrawingState();
  SetViewport(0, 0, width, height, 0.0f, 1.0f);
  return true;
}

void RendImpD3D9::Clear(float red, float green, float blue) {
  if (!device_valid_) return;
  auto byte = [](float v) { return static_cast<int>((v < 0 ? 0 : v > 1 ? 1 : v) * 255.0f); };
  DWORD flags = D3DCLEAR_TARGET | (back_depth_ ? D3DCLEAR_ZBUFFER : 0);
  device_->Clear(0, nullptr, flags, D3DCOLOR_ARGB(255, byte(red), byte(green), byte(blue)), 1.0f, 0);
}

void RendImpD3D9::ClearDepth(float depth) {
  if (device_valid_) device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, depth, 0);
}

bool RendImpD3D9::SetScissor(int x, int y, int width, int height) {
  if (!device_valid_) return false;
  device_->SetRenderState(D3DRS_SCISSORTESTENABLE, TRUE);
  RECT rectangle = {x, y, x + width, y + height};
  return SUCCEEDED(device_->SetScissorRect(&rectangle));
}

void RendImpD3D9::DisableScissor() {
  if (device_valid_) device_->SetRenderState(D3DRS_SCISSORTESTENABLE, FALSE);
}

void RendImpD3D9::SetBlendMode(int mode) {
  if (!device_valid_) return;
  IDirect3DDevice9* d = device_;
  struct Factors {
    DWORD op, source, destination;
  } factors[] = {
      {D3DBLENDOP_ADD, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},  // 1
      {D3DBLENDOP_ADD, D3DBLEND_SRCALPHA, D3DBLEND_ONE},          // 2
      {0, 0, 0},                                                  // 3: blending off
      {D3DBLENDOP_REVSUBTRACT, D3DBLEND_SRCALPHA, D3DBLEND_ONE},  // 4
      {D3DBLENDOP_ADD, D3DBLEND_DESTCOLOR, D3DBLEND_ZERO},        // 5
      {D3DBLENDOP_ADD, D3DBLEND_DESTCOLOR, D3DBLEND_SRCCOLOR},    // 6
      {D3DBLENDOP_ADD, D3DBLEND_DESTCOLOR, D3DBLEND_ONE},         // 7
  };
  if (mode == 3 && applied_blend_mode_ != 3) d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  if (mode != 3 && applied_blend_mode_ == 3) d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  if (mode >= 1 && mode <= 7 && mode != 3) {
    const Factors& f = factors[mode - 1];
    d->SetRenderState(D3DRS_BLENDOP, f.op);
    d->SetRenderState(D3DRS_SRCBLEND, f.source);
    d->SetRenderState(D3DRS_DESTBLEND, f.destination);
  }
  applied_blend_mode_ = mode;
}

void RendImpD3D9::SetTextureFilter(int stage, int min_filter, int mag_filter, int mip_filter) {
  if (!device_valid_) return;
  auto filter = [](int value) -> DWORD {
    return value == 1 ? D3DTEXF_POINT : value == 2 ? D3DTEXF_LINEAR : value == 3 ? D3DTEXF_ANISOTROPIC : D3DTEXF_NONE;
  };
  DWORD s = static_cast<DWORD>(stage);
  if (min_filter >= 1 && min_filter <= 3) device_->SetSamplerState(s, D3DSAMP_MINFILTER, filter(min_filter));
  if (mag_filter >= 1 && mag_filter <= 3) device_->SetSamplerState(s, D3DSAMP_MAGFILTER, filter(mag_filter));
  if (mip_filter >= 1 && mip_filter <= 3) device_->SetSamplerState(s, D3DSAMP_MIPFILTER, filter(mip_filter));
  if (mip_filter == 3) device_->SetSamplerState(s, D3DSAMP_MAXANISOTROPY, caps_.MaxAnisotropy < 8 ? caps_.MaxAnisotropy : 8);
}

void RendImpD3D9::SetTextureAddressing(int stage, int u, int v, int w) {
  if (!device_valid_) return;
  auto mode = [](int value) -> DWORD {
    return value == 2 ? D3DTADDRESS_WRAP : value == 3 ? D3DTADDRESS_MIRROR : D3DTADDRESS_CLAMP;
  };
  DWORD s = static_cast<DWORD>(stage);
  device_->SetSamplerState(s, D3DSAMP_ADDRESSU, mode(u));
  device_->SetSamplerState(s, D3DSAMP_ADDRESSV, mode(v));
  device_->SetSamplerState(s, D3DSAMP_ADDRESSW, mode(w));
}

void RendImpD3D9::SetDepthTest(bool enabled) {
  if (device_valid_) device_->SetRenderState(D3DRS_ZENABLE, enabled ? D3DZB_TRUE : D3DZB_FALSE);
}

void RendImpD3D9::SetDepthFunction(int function) {
  if (device_valid_)
    device_->SetRenderState(D3DRS_ZFUNC, function >= 0 && function <= 7 ? static_cast<DWORD>(function + 1) : static_cast<DWORD>(D3DCMP_LESS));
}

void RendImpD3D9::SetDepthWrite(bool enabled) {
  if (device_valid_) device_->SetRenderState(D3DRS_ZWRITEENABLE, enabled ? TRUE : FALSE);
}

void RendImpD3D9::SetColorWrite(bool enabled) {
  if (device_valid_) device_->SetRenderState(D3DRS_COLORWRITEENABLE, enabled ? 0xF : 0);
}

void RendImpD3D9::SetCullMode(int mode) {
  if (device_valid_) device_->SetRenderState(D3DRS_CULLMODE, mode == 1 ? D3DCULL_CW : mode == 2 ? D3DCULL_CCW : D3DCULL_NONE);
}

void RendImpD3D9::SetTexture(int stage, void* texture) {
  if (!device_valid_ || stage < 0 || stage >= 8) return;
  IDirect3DBaseTexture9* base = static_cast<IDirect3DTexture9*>(texture);
  device_->SetTexture(static_cast<DWORD>(stage), base);
  stage_textures_[stage] = base;
  if (stage == 0) {
    // Without a texture the fixed-function stage takes the vertex colour alone.
    DWORD op = base ? D3DTOP_MODULATE : D3DTOP_SELECTARG2;
    device_->SetTextureStageState(0, D3DTSS_COLOROP, op);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, op);
  }
}

// ---- buffers ---------------------------------------------------------------------------------

bool RendImpD3D9::CreateHardwareBuffer(BufferRecord* record) {
  if (!device_valid_) return false;
  HRESULT result = record->index
                       ? device_->CreateIndexBuffer(record->length, record->usage, D3DFMT_INDEX16, record->pool,
                                                    &record->indices, nullptr)
                       : device_->CreateVertexBuffer(record->length, record->usage, 0, record->pool, &record->vertices,
                                                     nullptr);
  return SUCCEEDED(result);
}

void RendImpD3D9::Upload(BufferRecord* record) {
  void* target = nullptr;
  DWORD flags = record->dynamic ? D3DLOCK_DISCARD : 0;
  if (record->index) {
    if (record->indices && SUCCEEDED(record->indices->Lock(0, record->length, &target, flags))) {
      memcpy(target, record->shadow, record->length);
      record->indices->Unlock();
    }
  } else if (record->vertices && SUCCEEDED(record->vertices->Lock(0, record->length, &target, flags))) {
    memcpy(target, record->shadow, record->length);
    record->vertices->Unlock();
  }
}

RendImpD3D9::BufferRecord* RendImpD3D9::CreateRecord(bool index, int count, int stride, bool dynamic) {
  if (!device_valid_ || count <= 0) return nullptr;
  BufferRecord* record = new BufferRecord{};
  record->index = index;
  record->dynamic = dynamic;
  record->stride = stride;
  record->length = static_cast<UINT>(count * stride);
  if (hardware_vertex_processing_) {
    record->usage = D3DUSAGE_WRITEONLY | (dynamic ? D3DUSAGE_DYNAMIC : 0);
    record->pool = dynamic ? D3DPOOL_DEFAULT : D3DPOOL_MANAGED;
    record->shadow = static_cast<unsigned char*>(calloc(1, record->length));
  } else {
    record->usage = D3DUSAGE_SOFTWAREPROCESSING;
    record->pool = D3DPOOL_MANAGED;
  }
  if (!CreateHardwareBuffer(record) || (hardware_vertex_processing_ && !record->shadow)) {
    free(record->shadow);
    delete record;
    return nullptr;
  }
  buffers_.push_back(record);
  return record;
}

void RendImpD3D9::ReleaseRecord(BufferRecord* record) {
  if (!record) return;
  if (device_ && record->vertices) device_->SetStreamSource(0, nullptr, 0, 0);
  if (device_ && record->indices) device_->SetIndices(nullptr);
  Release(record->vertices);
  Release(record->indices);
  free(record->shadow);
  buffers_.erase(std::remove(buffers_.begin(), buffers_.end(), record), buffers_.end());
  delete record;
}

void* RendImpD3D9::LockRecord(BufferRecord* record) {
  if (record->shadow) return record->lock = record->shadow;
  if (!device_valid_) return nullptr;
  void* data = nullptr;
  DWORD flags = record->dynamic ? D3DLOCK_DISCARD : 0;
  HRESULT result = record->index ? (record->indices ? record->indices->Lock(0, record->length, &data, flags) : E_FAIL)
                                 : (record->vertices ? record->vertices->Lock(0, record->length, &data, flags) : E_FAIL);
  return record->lock = SUCCEEDED(result) ? data : nullptr;
}

void RendImpD3D9::UnlockRecord(BufferRecord* record) {
  record->lock = nullptr;
  if (record->shadow) {
    if (device_valid_) Upload(record);
  } else if (record->index ? record->indices != nullptr : record->vertices != nullptr) {
    if (record->index) record->indices->Unlock();
    else record->vertices->Unlock();
  }
}

RenderVertexBuffer* RendImpD3D9::CreateVertexBuffer(int format, int count, bool dynamic) {
  BufferRecord* record = CreateRecord(false, count, OVI_VertexStride(format), dynamic);
  if (!record) return nullptr;
  RenderVertexBuffer* buffer = static_cast<RenderVertexBuffer*>(calloc(1, sizeof(RenderVertexBuffer)));
  buffer->format = format;
  buffer->count = count;
  buffer->one = 1;
  buffer->data = record->shadow;
  buffer->hardware = record;
  return buffer;
}

void RendImpD3D9::ReleaseVertexBuffer(RenderVertexBuffer* buffer) {
  if (!buffer) return;
  ReleaseRecord(static_cast<BufferRecord*>(buffer->hardware));
  free(buffer);
}

template <typename Buffer>
void* RendImpD3D9::LockBuffer(Buffer* buffer) {
  BufferRecord* record = buffer ? static_cast<BufferRecord*>(buffer->hardware) : nullptr;
  if (!record) return nullptr;
  buffer->locked = true;
  return LockRecord(record);
}

template <typename Buffer>
void RendImpD3D9::UnlockBuffer(Buffer* buffer) {
  BufferRecord* record = buffer ? static_cast<BufferRecord*>(buffer->hardware) : nullptr;
  if (!record || !buffer->locked) return;
  buffer->locked = false;
  UnlockRecord(record);
}

void* RendImpD3D9::LockVertexBuffer(RenderVertexBuffer* buffer) { return LockBuffer(buffer); }
void RendImpD3D9::UnlockVertexBuffer(RenderVertexBuffer* buffer) { UnlockBuffer(buffer); }

RenderIndexBuffer* RendImpD3D9::CreateIndexBuffer(int count, bool dynamic) {
  BufferRecord* record = CreateRecord(true, count, 2, dynamic);
  if (!record) return nullptr;
  RenderIndexBuffer* buffer = static_cast<RenderIndexBuffer*>(calloc(1, sizeof(RenderIndexBuffer)));
  buffer->count = count;
  buffer->data = reinterpret_cast<unsigned short*>(record->shadow);
  buffer->hardware = record;
  return buffer;
}

void RendImpD3D9::ReleaseIndexBuffer(RenderIndexBuffer* buffer) {
  if (!buffer) return;
  ReleaseRecord(static_cast<BufferRecord*>(buffer->hardware));
  free(buffer);
}

void* RendImpD3D9::LockIndexBuffer(RenderIndexBuffer* buffer) { return LockBuffer(buffer); }
void RendImpD3D9::UnlockIndexBuffer(RenderIndexBuffer* buffer) { UnlockBuffer(buffer); }

// ---- drawing ---------------------------------------------------------------------------------

// Each draw in its own begin/end scene pair, with the current shader's state applied.
void RendImpD3D9::DrawIndexed(D3DPRIMITIVETYPE type, RenderVertexBuffer* vertices, int vertex_count,
                              RenderIndexBuffer* indices, int primitives) {
  if (!device_valid_ || !vertices || !indices || primitives <= 0) return;
  BufferRecord* v = static_cast<BufferRecord*>(vertices->hardware);
  BufferRecord* i = static_cast<BufferRecord*>(indices->hardware);
  if (!v || !i || !v->vertices || !i->indices) return;
  ApplyShaderState(shader_);
  if (!shader_) device_->SetVertexDeclaration(Declaration(device_, vertices->format));
  device_->SetIndices(i->indices);
  device_->SetStreamSource(0, v->vertices, 0, static_cast<UINT>(v->stride));
  device_->BeginScene();
  device_->DrawIndexedPrimitive(type, 0, 0, static_cast<UINT>(vertex_count), 0, static_cast<UINT>(primitives));
  device_->EndScene();
}

void RendImpD3D9::DrawIndexedTriangles(RenderVertexBuffer* vertices, int vertex_count, RenderIndexBuffer* indices,
                                       int triangle_count) {
  DrawIndexed(D3DPT_TRIANGLELIST, vertices, vertex_count, indices, triangle_count);
}

void RendImpD3D9::DrawIndexedLines(RenderVertexBuffer* vertices, RenderIndexBuffer* indices, int line_count) {
  DrawIndexed(D3DPT_LINELIST, vertices, line_count * 2, indices, line_count);
}

void RendImpD3D9::DrawInstanced(RenderVertexBuffer* instances, int instance_count, RenderVertexBuffer* geometry,
                                int vertex_count, RenderIndexBuffer* indices, int triangle_count) {
  if (!device_valid_ || !instances || !geometry || !indices || instance_count <= 0) return;
  BufferRecord* in = static_cast<BufferRecord*>(instances->hardware);
  BufferRecord* g = static_cast<BufferRecord*>(geometry->hardware);
  BufferRecord* i = static_cast<BufferRecord*>(indices->hardware);
  if (!in || !g || !i || !in->vertices || !g->vertices || !i->indices) return;
  ApplyShaderState(shader_);
  device_->SetIndices(i->indices);
  device_->SetStreamSource(0, g->vertices, 0, static_cast<UINT>(g->stride));
  device_->SetStreamSourceFreq(0, D3DSTREAMSOURCE_INDEXEDDATA | static_cast<UINT>(instance_count));
  device_->SetStreamSource(1, in->vertices, 0, static_cast<UINT>(in->stride));
  device_->SetStreamSourceFreq(1, D3DSTREAMSOURCE_INSTANCEDATA | 1u);
  device_->BeginScene();
  device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, static_cast<UINT>(vertex_count), 0,
                                static_cast<UINT>(triangle_count));
  device_->EndScene();
  device_->SetStreamSourceFreq(0, 1);
  device_->SetStreamSourceFreq(1, 1);
}
