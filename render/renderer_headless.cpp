#include "render/renderer_headless.h"

RendererImplementation* OVI_CreateHeadlessRenderer() {
  static RendImpHeadless renderer;
  return &renderer;
}
