// 2D drawing through the quad batch: rectangles, bitmaps, lines, program quads and the bounded
// triangle list.
#pragma once

#include "core/orvel.h"

void OV_CALL OV_DrawRectangle(const float* x, const float* y, const float* width, const float* height);
void OV_CALL OV_DrawBitmap(Bitmap* bitmap, const float* x, const float* y);
void OV_CALL OV_DrawBitmapTransformed(Bitmap* bitmap, const float* x, const float* y, const float* angle,
                                      const float* scale);
void OV_CALL OV_DrawBitmapLine(Bitmap* bitmap, const OV_Point* point0, const OV_Point* point1, float width0,
                               float width1, const OV_Color* color0, const OV_Color* color1);
void OV_CALL OV_DrawBitmapSection(Bitmap* bitmap, const float* x, const float* y, const float* left, const float* top,
                                  const float* right, const float* bottom);
void OV_CALL OV_DrawLine(const float* x0, const float* y0, const float* x1, const float* y1);
void OV_CALL OV_DrawVertexLine(const OV_Vertex* two_vertices);
void OV_CALL OV_DrawQuad(Bitmap* bitmap, const OV_Vertex* four_vertices);
void OV_CALL OV_DrawTriangles(Bitmap* bitmap, const OV_Vertex* vertices, int vertex_count,
                              const unsigned short* indices, int index_count);
void OV_CALL OV_SetBitmapRegion(Bitmap* bitmap, int x, int y, int width, int height);

// A quad of format 15, 47 or 111 drawn at once through that format's buffer; format 7 joins the
// batch.
void OVI_DrawFormatQuad(int format, const void* vertices);
