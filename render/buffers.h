// The buffers sub-table: program-owned vertex and index buffers on the renderer, and quads of
// the 3D vertex formats.
#pragma once

#include "core/orvel.h"

extern const BufferServices buffer_services;
