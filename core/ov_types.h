/* ORVEL binary interface: the plain records shared by the engine and a program library.
   32-bit x86, C calling convention, one-byte booleans, NUL-terminated 8-bit strings.
   This header compiles as C and as C++. */
#ifndef ORVEL_OV_TYPES_H
#define ORVEL_OV_TYPES_H

#ifdef __cplusplus
#define OV_EXTERN_C extern "C"
#else
#define OV_EXTERN_C
#endif

#if defined(_WIN32) && !defined(_WIN64)
#define OV_CALL __cdecl
#else
#define OV_CALL
#endif

/* Layout checks run only in the 32-bit build, where the records have their fixed sizes. */
#if defined(__i386__) || defined(_M_IX86)
#define OV_LAYOUT_32 1
#ifdef __cplusplus
#define OV_CHECK_LAYOUT(condition, what) static_assert(condition, what)
#else
#define OV_CHECK_LAYOUT(condition, what) _Static_assert(condition, what)
#endif
#else
#define OV_LAYOUT_32 0
#define OV_CHECK_LAYOUT(condition, what)
#endif

/* One byte, 0 or 1. */
typedef unsigned char ov_bool;

/* 4 x 4 floats stored row by row, applied to column vectors: translation in m[3], m[7], m[11]. */
typedef struct OV_Matrix {
  float m[16];
} OV_Matrix;

/* The engine's 2D vertex, format 7 (POSITION | COLOR | TEXTURE_COORDINATE_0), 24 bytes. */
typedef struct OV_Vertex {
  float x, y, z;
  unsigned int color;
  float u, v;
} OV_Vertex;

/* Vertex format bits. */
enum {
  OV_VERTEX_POSITION = 1,
  OV_VERTEX_COLOR = 2,
  OV_VERTEX_TEXTURE_COORDINATE_0 = 4,
  OV_VERTEX_NORMAL = 8,
  OV_VERTEX_TEXTURE_COORDINATE_1 = 16,
  OV_VERTEX_TANGENT = 32,
  OV_VERTEX_BITANGENT = 64,
  OV_VERTEX_4_BONE_INDICES = 128,
  OV_VERTEX_4_BONE_WEIGHTS = 256
};

typedef struct OV_Point {
  float x, y;
} OV_Point;

/* Red, green, blue, alpha in 0..1. */
typedef struct OV_Color {
  float r, g, b, a;
} OV_Color;

/* Local date of a time value (OV_ConvertTime): month 1..12. */
typedef struct OV_Time {
  int year, month, day, hour, minute, second;
} OV_Time;

/* Local date now (OV_GetDate): weekday 0..6 with 0 = Sunday, day of year 0..365. */
typedef struct OV_Date {
  int year, month, day, hour, minute, second, weekday, day_of_year;
} OV_Date;

/* An open file: its virtual name (owned by the file), its size at open time, the inner file
   object (engine-private). */
typedef struct FileHandle {
  const char* name;
  int size;
  void* file;
} FileHandle;

/* The result of OV_FindFiles: count names, each owned by the list; freed with OV_FreeFileList. */
typedef struct FileList {
  char** names;
  int count;
} FileList;

/* A byte buffer as the program sees it (OV_CreateBuffer, HTTP responses, cloud reads). The
   engine may keep private fields after these four; programs never allocate the record. */
typedef struct ByteBuffer {
  unsigned char* data;
  int read_position;
  int size;
  int capacity;
} ByteBuffer;

/* Engine resources, handed to the program as record addresses. */
typedef struct Bitmap Bitmap;
typedef struct Font Font;
typedef struct Sound Sound;
typedef struct Shader Shader;
typedef struct EngineMutex EngineMutex;

/* Vertex and index buffers of the buffers sub-table: the lock pointer is valid after a
   successful lock; the rest is engine-private. */
typedef struct VertexBuffer {
  void* data;
  int count;
  int format;
  ov_bool dynamic;
  ov_bool locked;
  void* renderer_buffer;
} VertexBuffer;

typedef struct IndexBuffer {
  unsigned short* data;
  int count;
  ov_bool dynamic;
  ov_bool locked;
  void* renderer_buffer;
} IndexBuffer;

/* One leaderboard score, 332 bytes, passed by value when submitted. */
typedef struct LeaderboardScore {
  char player_id[64];
  char display_name[64];
  int score;
  int rank;
  unsigned char data[188];
  int data_length;
  int time;
} LeaderboardScore;

/* A user of the social service (events 37 and 38). */
typedef struct SocialUser {
  char* id;
  char* name;
  int score;
} SocialUser;

/* A user-generated content item: nine 32-bit fields. */
typedef struct UGCItem {
  char* published_id;
  char* title;
  char* description;
  char* tags;
  char* install_path;
  char* content_folder;
  int visibility;
  ov_bool subscribe_after_submit;
  int progress;
} UGCItem;

typedef void(OV_CALL* OV_ThreadFunction)(void* argument);

#if OV_LAYOUT_32
#include <stddef.h>
OV_CHECK_LAYOUT(sizeof(ov_bool) == 1, "ov_bool is one byte");
OV_CHECK_LAYOUT(sizeof(OV_Matrix) == 64, "OV_Matrix");
OV_CHECK_LAYOUT(sizeof(OV_Vertex) == 24 && offsetof(OV_Vertex, color) == 12 && offsetof(OV_Vertex, u) == 16,
                "OV_Vertex");
OV_CHECK_LAYOUT(sizeof(OV_Color) == 16, "OV_Color");
OV_CHECK_LAYOUT(sizeof(OV_Time) == 24 && sizeof(OV_Date) == 32, "date records");
OV_CHECK_LAYOUT(sizeof(FileHandle) == 12 && offsetof(FileHandle, name) == 0 && offsetof(FileHandle, size) == 4 &&
                    offsetof(FileHandle, file) == 8,
                "FileHandle");
OV_CHECK_LAYOUT(sizeof(FileList) == 8 && offsetof(FileList, count) == 4, "FileList");
OV_CHECK_LAYOUT(sizeof(ByteBuffer) == 16 && offsetof(ByteBuffer, data) == 0 &&
                    offsetof(ByteBuffer, read_position) == 4 && offsetof(ByteBuffer, size) == 8 &&
                    offsetof(ByteBuffer, capacity) == 12,
                "ByteBuffer");
OV_CHECK_LAYOUT(offsetof(VertexBuffer, data) == 0 && offsetof(VertexBuffer, count) == 4, "VertexBuffer");
OV_CHECK_LAYOUT(offsetof(IndexBuffer, data) == 0 && offsetof(IndexBuffer, count) == 4, "IndexBuffer");
OV_CHECK_LAYOUT(sizeof(LeaderboardScore) == 332 && offsetof(LeaderboardScore, score) == 128 &&
                    offsetof(LeaderboardScore, rank) == 132 && offsetof(LeaderboardScore, data) == 136 &&
                    offsetof(LeaderboardScore, data_length) == 324 && offsetof(LeaderboardScore, time) == 328,
                "LeaderboardScore");
OV_CHECK_LAYOUT(sizeof(SocialUser) == 12, "SocialUser");
OV_CHECK_LAYOUT(sizeof(UGCItem) == 36 && offsetof(UGCItem, visibility) == 24 &&
                    offsetof(UGCItem, subscribe_after_submit) == 28 && offsetof(UGCItem, progress) == 32,
                "UGCItem");
#endif

#endif
