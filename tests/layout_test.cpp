// The binary records, measured at run time in the 32-bit build (the headers also check them at
// compile time). A program library built by another compiler sees exactly these offsets.
#include "core/orvel.h"

#include <gtest/gtest.h>

#include <stddef.h>

namespace {

struct Field {
  const char* name;
  size_t actual;
  size_t expected;
};

#define FIELD(type, member, offset) Field{#type "." #member, offsetof(type, member), offset}

TEST(Layout, RecordSizes) {
  EXPECT_EQ(sizeof(ProgramInterface), 372u);
  EXPECT_EQ(sizeof(VideoParameters), 104u);
  EXPECT_EQ(sizeof(ProgramEvent), 36u);
  EXPECT_EQ(sizeof(EngineServices), 640u);
  EXPECT_EQ(sizeof(FileHandle), 12u);
  EXPECT_EQ(sizeof(ByteBuffer), 16u);
  EXPECT_EQ(sizeof(OV_Vertex), 24u);
  EXPECT_EQ(sizeof(OV_Matrix), 64u);
  EXPECT_EQ(sizeof(LeaderboardScore), 332u);
  EXPECT_EQ(sizeof(ov_bool), 1u);
}

TEST(Layout, FieldOffsets) {
  const Field fields[] = {
      FIELD(ProgramInterface, api_version, 0),    FIELD(ProgramInterface, id, 4),
      FIELD(ProgramInterface, title, 36),         FIELD(ProgramInterface, version, 164),
      FIELD(ProgramInterface, developer_name, 180), FIELD(ProgramInterface, ov, 244),
      FIELD(ProgramInterface, video, 248),        FIELD(ProgramInterface, init, 352),
      FIELD(ProgramInterface, shutdown, 356),     FIELD(ProgramInterface, update, 360),
      FIELD(ProgramInterface, render, 364),       FIELD(ProgramInterface, event, 368),
      FIELD(ProgramInterface, video.width, 248),  FIELD(ProgramInterface, video.height, 252),
      FIELD(ProgramInterface, video.windowed, 256), FIELD(ProgramInterface, video.no_sound, 257),
      FIELD(ProgramInterface, video.multitouch, 258), FIELD(ProgramInterface, video.frame_time_ms, 260),
      FIELD(ProgramInterface, video.console_open, 264), FIELD(ProgramInterface, video.developer_mode, 265),
      FIELD(ProgramInterface, video.command_line, 268), FIELD(ProgramInterface, video.locale, 272),
      FIELD(ProgramInterface, video.quitting, 276), FIELD(ProgramInterface, video.reference_width, 280),
      FIELD(ProgramInterface, video.reference_height, 284), FIELD(ProgramInterface, video.renderer_data, 288),
      FIELD(ProgramEvent, type, 0),               FIELD(ProgramEvent, word[0], 4),
      FIELD(ProgramEvent, word[7], 32),           FIELD(FileHandle, name, 0),
      FIELD(FileHandle, size, 4),                 FIELD(FileHandle, file, 8),
      FIELD(ByteBuffer, data, 0),                 FIELD(ByteBuffer, read_position, 4),
      FIELD(ByteBuffer, size, 8),                 FIELD(ByteBuffer, capacity, 12),
      FIELD(OV_Vertex, color, 12),                FIELD(OV_Vertex, u, 16),
      FIELD(EngineServices, OV_Log, 0),           FIELD(EngineServices, OV_CallExtension, 30 * 4),
      FIELD(EngineServices, OV_OpenFile, 38 * 4), FIELD(EngineServices, OV_PostEvent, 56 * 4),
      FIELD(EngineServices, OV_GetSound, 62 * 4), FIELD(EngineServices, OV_SlideMusicVolume, 84 * 4),
      FIELD(EngineServices, OV_PushTransform2, 88 * 4), FIELD(EngineServices, OV_GetBitmap, 97 * 4),
      FIELD(EngineServices, OV_SetColor, 121 * 4), FIELD(EngineServices, OV_DrawText, 132 * 4),
      FIELD(EngineServices, OV_GetRenderStatei, 150 * 4), FIELD(EngineServices, cloud, 151 * 4),
      FIELD(EngineServices, buffers, 159 * 4),
  };
  for (const Field& field : fields) EXPECT_EQ(field.actual, field.expected) << field.name;
}

}  // namespace
