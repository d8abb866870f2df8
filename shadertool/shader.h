// The shader record: one of the engine's shader slots, handed to the renderer to create, set and
// feed with constants. The shader system fills it from a shader description; the renderer hangs
// its hardware record on it.
#pragma once

#include "core/orvel.h"

enum {
  SHADER_BOOL = 1,
  SHADER_FLOAT = 2,
  SHADER_FLOAT2 = 3,
  SHADER_FLOAT3 = 4,
  SHADER_FLOAT4 = 5,
  SHADER_FLOAT2X2 = 6,
  SHADER_FLOAT3X3 = 7,
  SHADER_FLOAT4X4 = 8,
  SHADER_INT = 9,
  SHADER_TEXTURE_2D = 14,
};

struct ShaderConstant {
  char* name;
  int type;
  int count;
  void* data;  // inside the shader's constant block
  int semantic;
  bool changed;
};

struct ShaderInput {
  int bit;  // the vertex component
  int element_count;
  int element_type;
  int offset;
};

struct Shader {
  char* name;
  ShaderInput inputs[9];
  int input_count;
  int vertex_format;
  ShaderConstant* vertex_constants;
  int vertex_constant_count;
  ShaderConstant* pixel_constants;
  int pixel_constant_count;
  void* constant_data;
  int constant_data_size;
  char* textures[4];
  int texture_count;
  bool constants_applied;
  void* hardware;  // the renderer's record, null while not loaded
  // The code for the renderer's target, set by the shader system before CreateShader.
  const char* vertex_code;
  const char* pixel_code;
};
