/* ORVEL binary interface: the engine service table (160 slots of 4 bytes) and the nine
   sub-tables hung from its last slots. Slot order, argument order and widths are fixed.
   Floats marked "by reference" are passed by address. */
#ifndef ORVEL_OV_SERVICES_H
#define ORVEL_OV_SERVICES_H

#include "ov_program.h"

#define OV_SERVICE_SLOTS 160

/* Slot 151: cloud storage. */
typedef struct CloudServices {
  ov_bool(OV_CALL* IsAvailable)(void);
  ov_bool(OV_CALL* Write)(const char* name, const void* data, int size);
  ByteBuffer*(OV_CALL* Read)(const char* name); /* free with OV_FreeBuffer */
  ov_bool(OV_CALL* Remove)(const char* name);
} CloudServices;

/* Slot 152: leaderboards. Results arrive as events of type 19. */
typedef struct LeaderboardServices {
  void(OV_CALL* SubmitScore)(int player, LeaderboardScore score, const char* category);
  ov_bool(OV_CALL* RequestScores)(int first, int count, int filter, const char* category);
  ov_bool(OV_CALL* RequestScoresAroundUser)(int player, int count, const char* category);
  ov_bool(OV_CALL* Operation14)(void);
  void(OV_CALL* Operation15)(int first, int second);
  const char*(OV_CALL* GetPlayerId)(int player);
  int(OV_CALL* GetLoginState)(int player);
  void(OV_CALL* Login)(int player);
  ov_bool(OV_CALL* Operation10)(void);
  void(OV_CALL* Operation11)(const char* text);
  int(OV_CALL* GetCategoryCount)(void);
  const char*(OV_CALL* GetCategoryId)(int index);
  int(OV_CALL* GetCategoryIndex)(const char* id);
  ov_bool(OV_CALL* IsLowestScoreFirst)(const char* category);
  void(OV_CALL* Nothing)(void);
  const char*(OV_CALL* GetCategoryValue)(const char* category, const char* key);
} LeaderboardServices;

/* Slot 153: achievements and integer statistics. */
typedef struct AchievementServices {
  void(OV_CALL* Unlock)(int value, const char* name);
  ov_bool(OV_CALL* Operation7)(void);
  void(OV_CALL* Operation8)(const char* argument);
  ov_bool(OV_CALL* SetStatInt)(const char* name, int value);
  int(OV_CALL* GetStatInt)(const char* name);
} AchievementServices;

/* Slot 154: statistics. */
typedef struct StatisticServices {
  void(OV_CALL* Operation6)(const char* name, int first, int second, int third);
} StatisticServices;

/* Slot 155: social. Results arrive as events of types 37 and 38. */
typedef struct SocialServices {
  ov_bool(OV_CALL* IsAvailable)(void);
  void(OV_CALL* Login)(void);
  void(OV_CALL* Logout)(void);
  void(OV_CALL* RequestFriends)(void);
  void(OV_CALL* SetScore)(int score);
  Bitmap*(OV_CALL* GetProfilePicture)(const char* user_id, int size); /* release with OV_ReleaseBitmap */
} SocialServices;

/* Slot 156: user-generated content. */
typedef struct UGCServices {
  ov_bool(OV_CALL* IsAvailable)(void);
  void(OV_CALL* RefreshSubscriptions)(void);
  ov_bool(OV_CALL* IsSubscriptionListReady)(void);
  int(OV_CALL* GetSubscribedItemCount)(void);
  UGCItem*(OV_CALL* GetSubscribedItem)(int index);
  void(OV_CALL* Subscribe)(const char* published_id);
  void(OV_CALL* Unsubscribe)(const char* published_id);
  UGCItem*(OV_CALL* CreateOrUpdate)(const UGCItem* item);
  void(OV_CALL* OpenWorkshop)(void);
} UGCServices;

/* Slot 157: notifications. */
typedef struct NotificationServices {
  ov_bool(OV_CALL* IsAvailable)(void);
  void(OV_CALL* RegisterForNotifications)(void);
  void(OV_CALL* RemoveAllLocalNotifications)(void);
  void(OV_CALL* SetLocalNotification)(const char* title, const char* text, const char* data, int seconds);
} NotificationServices;

/* Slot 158: shaders. */
typedef struct ShaderServices {
  int(OV_CALL* MaximumTextureSize)(void);
  Shader*(OV_CALL* GetShader)(const char* name);
  int(OV_CALL* GetPixelConstantIndex)(Shader* shader, const char* name);
  const char*(OV_CALL* GetUserValue)(Shader* shader, const char* key);
  int(OV_CALL* GetVertexConstantIndex)(Shader* shader, const char* name);
  int(OV_CALL* GetPixelTextureIndex)(Shader* shader, const char* name);
  ov_bool(OV_CALL* ReloadShader)(Shader* shader);
  void(OV_CALL* SetShader)(Shader* shader); /* null selects the default shader */
  void(OV_CALL* SetPixelConstant)(Shader* shader, int index, int count, const void* data);
  void(OV_CALL* SetVertexConstant)(Shader* shader, int index, int count, const void* data);
  void(OV_CALL* SetTextureAddressing)(int stage, int u, int v, int w);
  void(OV_CALL* SetTextureFilter)(int stage, int min_filter, int mag_filter, int mip_filter);
  void(OV_CALL* SetTexture)(int stage, Bitmap* bitmap);
} ShaderServices;

/* Slot 159: vertex and index buffers. */
typedef struct BufferServices {
  void(OV_CALL* DrawQuad)(int format, const void* vertices); /* four vertices of a 3D format */
  VertexBuffer*(OV_CALL* CreateVertexBuffer)(int format, const void* data, int count, ov_bool dynamic);
  void(OV_CALL* FreeVertexBuffer)(VertexBuffer* buffer);
  ov_bool(OV_CALL* LockVertexBuffer)(VertexBuffer* buffer);
  void(OV_CALL* UnlockVertexBuffer)(VertexBuffer* buffer);
  IndexBuffer*(OV_CALL* CreateIndexBuffer)(const unsigned short* data, int count, ov_bool dynamic);
  void(OV_CALL* FreeIndexBuffer)(IndexBuffer* buffer);
  ov_bool(OV_CALL* LockIndexBuffer)(IndexBuffer* buffer);
  void(OV_CALL* UnlockIndexBuffer)(IndexBuffer* buffer);
  void(OV_CALL* DrawIndexed)(VertexBuffer* vertices, IndexBuffer* indices);
  void(OV_CALL* DrawIndexedCount)(VertexBuffer* vertices, IndexBuffer* indices, int index_count);
} BufferServices;

/* The engine service table. */
typedef struct EngineServices {
  /* 0 */ int(OV_CALL* OV_Log)(const char* format, ...);
  /* 1 */ int(OV_CALL* OV_LogLevel)(int level, const char* format, ...);
  /* 2 */ int(OV_CALL* OV_Report)(int level, const char* format, ...);
  /* 3 */ void(OV_CALL* OV_AddConsoleCommand)(const char* name, const char* description);
  /* 4 */ void(OV_CALL* OV_Sleep)(int milliseconds);
  /* 5 */ int(OV_CALL* OV_GetTime)(void);
  /* 6 */ int(OV_CALL* OV_GetSystemTime)(void);
  /* 7 */ OV_Time*(OV_CALL* OV_ConvertTime)(OV_Time* out, int time);
  /* 8 */ OV_Date*(OV_CALL* OV_GetDate)(OV_Date* out);
  /* 9 */ EngineMutex*(OV_CALL* OV_CreateMutex)(const char* name);
  /* 10 */ void(OV_CALL* OV_DestroyMutex)(EngineMutex* mutex);
  /* 11 */ void(OV_CALL* OV_LockMutex)(EngineMutex* mutex);
  /* 12 */ void(OV_CALL* OV_UnlockMutex)(EngineMutex* mutex);
  /* 13 */ void*(OV_CALL* OV_CreateThread)(const char* name, OV_ThreadFunction function, void* argument, int flags);
  /* 14 */ int(OV_CALL* OV_GetCurrentThreadId)(void);
  /* 15 */ ov_bool(OV_CALL* OV_IsMainThread)(void);
  /* 16 */ void(OV_CALL* OV_LockMainLoop)(void);
  /* 17 */ void(OV_CALL* OV_UnlockMainLoop)(void);
  /* 18 */ ov_bool(OV_CALL* OV_IsMainLoopLocked)(void);
  /* 19 */ Font*(OV_CALL* OV_GetFont)(const char* name);
  /* 20 */ Font*(OV_CALL* OV_LoadFont)(const char* name);
  /* 21 */ ov_bool(OV_CALL* OV_RecreateFontAtlas)(Font* font);
  /* 22 */ void(OV_CALL* OV_ReleaseFont)(Font* font);
  /* 23 */ ov_bool(OV_CALL* OV_SaveFont)(Font* font, const char* path);
  /* 24 */ void(OV_CALL* OV_SetCursor)(const char* cursor_name);
  /* 25 */ ProgramInterface*(OV_CALL* OV_Quit)(void);
  /* 26 */ ov_bool(OV_CALL* OV_IsQuitting)(void);
  /* 27 */ ov_bool(OV_CALL* OV_HasFeature)(const char* word);
  /* 28 */ const char*(OV_CALL* OV_GetProductValue)(const char* key);
  /* 29 */ ov_bool(OV_CALL* ReinitializeWithParameters)(VideoParameters parameters);
  /* 30 */ const char*(OV_CALL* OV_CallExtension)(const char* function, const char* parameter, ...);
  /* 31 */ ov_bool(OV_CALL* OV_CreateDirectory)(const char* path);
  /* 32 */ ov_bool(OV_CALL* OV_RemoveDirectory)(const char* path, ov_bool with_contents);
  /* 33 */ void(OV_CALL* OV_AddSearchPath)(const char* path, ov_bool high_priority);
  /* 34 */ void(OV_CALL* OV_RemoveSearchPath)(const char* path);
  /* 35 */ const char*(OV_CALL* OV_GetSearchPath)(int index);
  /* 36 */ int(OV_CALL* OV_GetSearchPathCount)(void);
  /* 37 */ ov_bool(OV_CALL* OV_DeleteFile)(const char* path);
  /* 38 */ FileHandle*(OV_CALL* OV_OpenFile)(const char* name, const char* mode);
  /* 39 */ int(OV_CALL* OV_CloseFile)(FileHandle* file);
  /* 40 */ int(OV_CALL* OV_ReadFile)(void* buffer, int byte_count, FileHandle* file);
  /* 41 */ int(OV_CALL* OV_WriteFile)(const void* buffer, int byte_count, FileHandle* file);
  /* 42 */ int(OV_CALL* OV_FlushFile)(FileHandle* file);
  /* 43 */ int(OV_CALL* OV_TellFile)(FileHandle* file);
  /* 44 */ ov_bool(OV_CALL* OV_SeekFile)(FileHandle* file, int offset, int origin);
  /* 45 */ unsigned char(OV_CALL* OV_ReadFileByte)(FileHandle* file);
  /* 46 */ int(OV_CALL* OV_ReadFileElements)(void* buffer, int element_size, int element_count, FileHandle* file);
  /* 47 */ int(OV_CALL* OV_WriteFileElements)(const void* buffer, int element_size, int element_count, FileHandle* file);
  /* 48 */ FileList*(OV_CALL* OV_FindFiles)(const char* directory, const char* patterns, ov_bool recursive);
  /* 49 */ void(OV_CALL* OV_FreeFileList)(FileList* list);
  /* 50 */ int(OV_CALL* OV_WebRequest)(int kind, const char* url, const char* content_type, const void* body,
                                       int body_length, ByteBuffer** response, volatile int* cancel);
  /* 51 */ int(OV_CALL* OV_WebRequestWithHeaders)(int kind, const char* url, const char* headers, int header_length,
                                                  const void* body, int body_length, ByteBuffer** response_header,
                                                  ByteBuffer** response, volatile int* cancel);
  /* 52 */ ByteBuffer*(OV_CALL* OV_CreateBuffer)(int byte_count);
  /* 53 */ void(OV_CALL* OV_FreeBuffer)(ByteBuffer* buffer);
  /* 54 */ void*(OV_CALL* OV_Alloc)(unsigned int byte_count);
  /* 55 */ void(OV_CALL* OV_Free)(void* memory);
  /* 56 */ void(OV_CALL* OV_PostEvent)(const ProgramEvent* event);
  /* 57 */ int(OV_CALL* OV_InitEvent)(ProgramEvent* event, int type);
  /* 58 */ int(OV_CALL* OV_GetKeyState)(int key_code);
  /* 59 */ void(OV_CALL* OV_SetKeyState)(int key_code, int state);
  /* 60 */ float(OV_CALL* OV_GetAnalogValue)(int code);
  /* 61 */ void(OV_CALL* OV_SetAnalogValue)(int code, float value);
  /* 62 */ Sound*(OV_CALL* OV_GetSound)(const char* name);
  /* 63 */ Sound*(OV_CALL* OV_GetSoundEx)(const char* name, int flags);
  /* 64 */ Sound*(OV_CALL* OV_LoadSound)(const char* name);
  /* 65 */ void(OV_CALL* OV_ReleaseSound)(Sound* sound);
  /* 66 */ void(OV_CALL* OV_SetSoundVolume)(float volume);
  /* 67 */ int(OV_CALL* OV_PlaySound)(Sound* sound, float volume, float pan, float pitch);
  /* 68 */ int(OV_CALL* OV_PlaySoundEx)(Sound* sound, float volume, float pan, float pitch, ov_bool loop,
                                       float delay_seconds);
  /* 69 */ void(OV_CALL* OV_StopSound)(int instance);
  /* 70 */ void(OV_CALL* OV_SetSoundPan)(int instance, float pan);
  /* 71 */ void(OV_CALL* OV_SetSoundInstanceVolume)(int instance, float volume);
  /* 72 */ void(OV_CALL* OV_PauseSound)(int instance, ov_bool paused);
  /* 73 */ void(OV_CALL* OV_SetSoundLooping)(int instance, ov_bool loop);
  /* 74 */ void(OV_CALL* OV_SetSoundPitch)(int instance, float pitch);
  /* 75 */ ov_bool(OV_CALL* OV_IsSoundPlaying)(int instance);
  /* 76 */ Sound*(OV_CALL* OV_GetPlayingSound)(int instance);
  /* 77 */ void(OV_CALL* OV_SlideSoundVolume)(int instance, float target, float seconds);
  /* 78 */ void(OV_CALL* OV_FadeOutSound)(int instance, float seconds);
  /* 79 */ void(OV_CALL* OV_PlayMusic)(Sound* music, float volume, float fade_in_seconds);
  /* 80 */ void(OV_CALL* OV_StopMusic)(float fade_out_seconds);
  /* 81 */ void(OV_CALL* OV_PauseMusic)(ov_bool paused);
  /* 82 */ void(OV_CALL* OV_SetMusicLooping)(ov_bool loop);
  /* 83 */ Sound*(OV_CALL* OV_GetMusic)(void);
  /* 84 */ void(OV_CALL* OV_SlideMusicVolume)(float target, float seconds);
  /* 85 */ void(OV_CALL* OV_PushTransform)(const OV_Matrix* matrix);
  /* 86 */ void(OV_CALL* OV_PopTransform)(void);
  /* 87 */ OV_Matrix*(OV_CALL* OV_GetTransform)(OV_Matrix* out);
  /* 88 */ void(OV_CALL* OV_PushTransform2)(const OV_Matrix* matrix); /* 88-90: the same as 85-87 */
  /* 89 */ void(OV_CALL* OV_PopTransform2)(void);
  /* 90 */ OV_Matrix*(OV_CALL* OV_GetTransform2)(OV_Matrix* out);
  /* 91 */ void(OV_CALL* OV_PushViewTransform)(const OV_Matrix* matrix);
  /* 92 */ void(OV_CALL* OV_PopViewTransform)(void);
  /* 93 */ OV_Matrix*(OV_CALL* OV_GetViewTransform)(OV_Matrix* out);
  /* 94 */ void(OV_CALL* OV_PushProjectionTransform)(const OV_Matrix* matrix);
  /* 95 */ void(OV_CALL* OV_PopProjectionTransform)(void);
  /* 96 */ OV_Matrix*(OV_CALL* OV_GetProjectionTransform)(OV_Matrix* out);
  /* 97 */ Bitmap*(OV_CALL* OV_GetBitmap)(const char* name);
  /* 98 */ Bitmap*(OV_CALL* OV_GetBitmapEx)(const char* name, int cache_mode);
  /* 99 */ Bitmap*(OV_CALL* OV_LoadBitmap)(const char* name, int cache_mode);
  /* 100 */ void(OV_CALL* OV_ReleaseBitmap)(Bitmap* bitmap);
  /* 101 */ ov_bool(OV_CALL* OV_SaveBitmap)(Bitmap* bitmap, const char* path, int quality);
  /* 102 */ void(OV_CALL* OV_RefreshBitmap)(Bitmap* bitmap);
  /* 103 */ void(OV_CALL* OV_ResizeBitmap)(Bitmap* bitmap, int width, int height);
  /* 104 */ void(OV_CALL* OV_SetBitmapCacheMode)(Bitmap* bitmap, int cache_mode);
  /* 105 */ Bitmap*(OV_CALL* OV_CreateBitmap)(const char* name, int width, int height, int type);
  /* 106 */ void(OV_CALL* OV_SetBitmapFrame)(Bitmap* bitmap, int frame_index);
  /* 107 */ void(OV_CALL* OV_Clear)(float red, float green, float blue);
  /* 108 */ ov_bool(OV_CALL* OV_SetScissorRectangle)(int x, int y, int width, int height);
  /* 109 */ void(OV_CALL* OV_ResetScissorRectangle)(void);
  /* 110 */ void(OV_CALL* OV_PushScissorRectangle)(int x, int y, int width, int height);
  /* 111 */ void(OV_CALL* OV_PopScissorRectangle)(void);
  /* 112 */ void(OV_CALL* OV_PushRenderTarget)(Bitmap* target);
  /* 113 */ void(OV_CALL* OV_PushRenderTargetWithDepth)(Bitmap* target, Bitmap* depth);
  /* 114 */ void(OV_CALL* OV_PopRenderTarget)(void);
  /* 115 */ Bitmap*(OV_CALL* OV_GetRenderTarget)(void);
  /* 116 */ void(OV_CALL* OV_SetBitmapRegion)(Bitmap* bitmap, int x, int y, int width, int height);
  /* 117 */ void(OV_CALL* OV_SetBlendMode)(int mode);
  /* 118 */ int(OV_CALL* OV_GetBlendMode)(void);
  /* 119 */ void(OV_CALL* OV_SetTextureFilter)(int filter);
  /* 120 */ int(OV_CALL* OV_GetTextureFilter)(void);
  /* 121 */ void(OV_CALL* OV_SetColor)(const float* red, const float* green, const float* blue);
  /* 122 */ OV_Color*(OV_CALL* OV_GetColor)(OV_Color* out);
  /* 123 */ void(OV_CALL* OV_SetAlpha)(const float* alpha);
  /* 124 */ float(OV_CALL* OV_GetAlpha)(void);
  /* 125 */ void(OV_CALL* OV_SetTextFlags)(int flags);
  /* 126 */ void(OV_CALL* OV_SetTextWrapWidth)(const float* width);
  /* 127 */ void(OV_CALL* OV_SetTextScale)(const float* x, const float* y, const float* angle);
  /* 128 */ void(OV_CALL* OV_DrawBitmap)(Bitmap* bitmap, const float* x, const float* y);
  /* 129 */ void(OV_CALL* OV_DrawBitmapTransformed)(Bitmap* bitmap, const float* x, const float* y, const float* angle,
                                                  const float* scale);
  /* 130 */ void(OV_CALL* OV_DrawBitmapLine)(Bitmap* bitmap, const OV_Point* point0, const OV_Point* point1,
                                           float width0, float width1, const OV_Color* color0, const OV_Color* color1);
  /* 131 */ void(OV_CALL* OV_DrawBitmapSection)(Bitmap* bitmap, const float* x, const float* y, const float* left,
                                              const float* top, const float* right, const float* bottom);
  /* 132 */ float(OV_CALL* OV_DrawText)(Font* font, const float* x, const float* y, const char* format, ...);
  /* 133 */ void(OV_CALL* OV_DrawRectangle)(const float* x, const float* y, const float* width, const float* height);
  /* 134 */ void(OV_CALL* OV_DrawLine)(const float* x0, const float* y0, const float* x1, const float* y1);
  /* 135 */ void(OV_CALL* OV_DrawVertexLine)(const OV_Vertex* two_vertices);
  /* 136 */ void(OV_CALL* OV_DrawQuad)(Bitmap* bitmap, const OV_Vertex* four_vertices);
  /* 137 */ void(OV_CALL* OV_DrawTriangles)(Bitmap* bitmap, const OV_Vertex* vertices, int vertex_count,
                                          const unsigned short* indices, int index_count);
  /* 138 */ void(OV_CALL* OV_GetTextSize)(Font* font, float* width, float* height, const char* format, ...);
  /* 139 */ float(OV_CALL* OV_GetTextWidth)(Font* font, const char* format, ...);
  /* 140 */ float(OV_CALL* OV_GetTextHeight)(Font* font, const char* format, ...);
  /* 141 */ void(OV_CALL* OV_SetProjectionParameters)(float near_clip, float plane_distance, float far_clip);
  /* 142 */ void(OV_CALL* OV_Set2DDepth)(float depth);
  /* 143 */ float(OV_CALL* OV_Get2DDepth)(void);
  /* 144 */ void(OV_CALL* OV_ClearDepth)(float depth);
  /* 145 */ void(OV_CALL* OV_SetRenderStateb)(int id, ov_bool value);
  /* 146 */ ov_bool(OV_CALL* OV_GetRenderStateb)(int id);
  /* 147 */ void(OV_CALL* OV_SetRenderStatef)(int id, float value);
  /* 148 */ float(OV_CALL* OV_GetRenderStatef)(int id);
  /* 149 */ void(OV_CALL* OV_SetRenderStatei)(int id, int value);
  /* 150 */ int(OV_CALL* OV_GetRenderStatei)(int id);
  /* 151 */ const CloudServices* cloud;
  /* 152 */ const LeaderboardServices* leaderboards;
  /* 153 */ const AchievementServices* achievements;
  /* 154 */ const StatisticServices* statistics;
  /* 155 */ const SocialServices* social;
  /* 156 */ const UGCServices* ugc;
  /* 157 */ const NotificationServices* notifications;
  /* 158 */ const ShaderServices* shaders;
  /* 159 */ const BufferServices* buffers;
} EngineServices;

#if OV_LAYOUT_32
#define OV_CHECK_SLOT(member, slot) \
  OV_CHECK_LAYOUT(offsetof(EngineServices, member) == (slot) * 4, "service slot " #slot " is " #member)
OV_CHECK_LAYOUT(sizeof(EngineServices) == OV_SERVICE_SLOTS * 4, "EngineServices is 640 bytes");
OV_CHECK_SLOT(OV_Log, 0);
OV_CHECK_SLOT(OV_LogLevel, 1);
OV_CHECK_SLOT(OV_Report, 2);
OV_CHECK_SLOT(OV_AddConsoleCommand, 3);
OV_CHECK_SLOT(OV_Sleep, 4);
OV_CHECK_SLOT(OV_GetTime, 5);
OV_CHECK_SLOT(OV_GetSystemTime, 6);
OV_CHECK_SLOT(OV_ConvertTime, 7);
OV_CHECK_SLOT(OV_GetDate, 8);
OV_CHECK_SLOT(OV_CreateMutex, 9);
OV_CHECK_SLOT(OV_DestroyMutex, 10);
OV_CHECK_SLOT(OV_LockMutex, 11);
OV_CHECK_SLOT(OV_UnlockMutex, 12);
OV_CHECK_SLOT(OV_CreateThread, 13);
OV_CHECK_SLOT(OV_GetCurrentThreadId, 14);
OV_CHECK_SLOT(OV_IsMainThread, 15);
OV_CHECK_SLOT(OV_LockMainLoop, 16);
OV_CHECK_SLOT(OV_UnlockMainLoop, 17);
OV_CHECK_SLOT(OV_IsMainLoopLocked, 18);
OV_CHECK_SLOT(OV_GetFont, 19);
OV_CHECK_SLOT(OV_LoadFont, 20);
OV_CHECK_SLOT(OV_RecreateFontAtlas, 21);
OV_CHECK_SLOT(OV_ReleaseFont, 22);
OV_CHECK_SLOT(OV_SaveFont, 23);
OV_CHECK_SLOT(OV_SetCursor, 24);
OV_CHECK_SLOT(OV_Quit, 25);
OV_CHECK_SLOT(OV_IsQuitting, 26);
OV_CHECK_SLOT(OV_HasFeature, 27);
OV_CHECK_SLOT(OV_GetProductValue, 28);
OV_CHECK_SLOT(ReinitializeWithParameters, 29);
OV_CHECK_SLOT(OV_CallExtension, 30);
OV_CHECK_SLOT(OV_CreateDirectory, 31);
OV_CHECK_SLOT(OV_RemoveDirectory, 32);
OV_CHECK_SLOT(OV_AddSearchPath, 33);
OV_CHECK_SLOT(OV_RemoveSearchPath, 34);
OV_CHECK_SLOT(OV_GetSearchPath, 35);
OV_CHECK_SLOT(OV_GetSearchPathCount, 36);
OV_CHECK_SLOT(OV_DeleteFile, 37);
OV_CHECK_SLOT(OV_OpenFile, 38);
OV_CHECK_SLOT(OV_CloseFile, 39);
OV_CHECK_SLOT(OV_ReadFile, 40);
OV_CHECK_SLOT(OV_WriteFile, 41);
OV_CHECK_SLOT(OV_FlushFile, 42);
OV_CHECK_SLOT(OV_TellFile, 43);
OV_CHECK_SLOT(OV_SeekFile, 44);
OV_CHECK_SLOT(OV_ReadFileByte, 45);
OV_CHECK_SLOT(OV_ReadFileElements, 46);
OV_CHECK_SLOT(OV_WriteFileElements, 47);
OV_CHECK_SLOT(OV_FindFiles, 48);
OV_CHECK_SLOT(OV_FreeFileList, 49);
OV_CHECK_SLOT(OV_WebRequest, 50);
OV_CHECK_SLOT(OV_WebRequestWithHeaders, 51);
OV_CHECK_SLOT(OV_CreateBuffer, 52);
OV_CHECK_SLOT(OV_FreeBuffer, 53);
OV_CHECK_SLOT(OV_Alloc, 54);
OV_CHECK_SLOT(OV_Free, 55);
OV_CHECK_SLOT(OV_PostEvent, 56);
OV_CHECK_SLOT(OV_InitEvent, 57);
OV_CHECK_SLOT(OV_GetKeyState, 58);
OV_CHECK_SLOT(OV_SetKeyState, 59);
OV_CHECK_SLOT(OV_GetAnalogValue, 60);
OV_CHECK_SLOT(OV_SetAnalogValue, 61);
OV_CHECK_SLOT(OV_GetSound, 62);
OV_CHECK_SLOT(OV_GetSoundEx, 63);
OV_CHECK_SLOT(OV_LoadSound, 64);
OV_CHECK_SLOT(OV_ReleaseSound, 65);
OV_CHECK_SLOT(OV_SetSoundVolume, 66);
OV_CHECK_SLOT(OV_PlaySound, 67);
OV_CHECK_SLOT(OV_PlaySoundEx, 68);
OV_CHECK_SLOT(OV_StopSound, 69);
OV_CHECK_SLOT(OV_SetSoundPan, 70);
OV_CHECK_SLOT(OV_SetSoundInstanceVolume, 71);
OV_CHECK_SLOT(OV_PauseSound, 72);
OV_CHECK_SLOT(OV_SetSoundLooping, 73);
OV_CHECK_SLOT(OV_SetSoundPitch, 74);
OV_CHECK_SLOT(OV_IsSoundPlaying, 75);
OV_CHECK_SLOT(OV_GetPlayingSound, 76);
OV_CHECK_SLOT(OV_SlideSoundVolume, 77);
OV_CHECK_SLOT(OV_FadeOutSound, 78);
OV_CHECK_SLOT(OV_PlayMusic, 79);
OV_CHECK_SLOT(OV_StopMusic, 80);
OV_CHECK_SLOT(OV_PauseMusic, 81);
OV_CHECK_SLOT(OV_SetMusicLooping, 82);
OV_CHECK_SLOT(OV_GetMusic, 83);
OV_CHECK_SLOT(OV_SlideMusicVolume, 84);
OV_CHECK_SLOT(OV_PushTransform, 85);
OV_CHECK_SLOT(OV_PopTransform, 86);
OV_CHECK_SLOT(OV_GetTransform, 87);
OV_CHECK_SLOT(OV_PushTransform2, 88);
OV_CHECK_SLOT(OV_PopTransform2, 89);
OV_CHECK_SLOT(OV_GetTransform2, 90);
OV_CHECK_SLOT(OV_PushViewTransform, 91);
OV_CHECK_SLOT(OV_PopViewTransform, 92);
OV_CHECK_SLOT(OV_GetViewTransform, 93);
OV_CHECK_SLOT(OV_PushProjectionTransform, 94);
OV_CHECK_SLOT(OV_PopProjectionTransform, 95);
OV_CHECK_SLOT(OV_GetProjectionTransform, 96);
OV_CHECK_SLOT(OV_GetBitmap, 97);
OV_CHECK_SLOT(OV_GetBitmapEx, 98);
OV_CHECK_SLOT(OV_LoadBitmap, 99);
OV_CHECK_SLOT(OV_ReleaseBitmap, 100);
OV_CHECK_SLOT(OV_SaveBitmap, 101);
OV_CHECK_SLOT(OV_RefreshBitmap, 102);
OV_CHECK_SLOT(OV_ResizeBitmap, 103);
OV_CHECK_SLOT(OV_SetBitmapCacheMode, 104);
OV_CHECK_SLOT(OV_CreateBitmap, 105);
OV_CHECK_SLOT(OV_SetBitmapFrame, 106);
OV_CHECK_SLOT(OV_Clear, 107);
OV_CHECK_SLOT(OV_SetScissorRectangle, 108);
OV_CHECK_SLOT(OV_ResetScissorRectangle, 109);
OV_CHECK_SLOT(OV_PushScissorRectangle, 110);
OV_CHECK_SLOT(OV_PopScissorRectangle, 111);
OV_CHECK_SLOT(OV_PushRenderTarget, 112);
OV_CHECK_SLOT(OV_PushRenderTargetWithDepth, 113);
OV_CHECK_SLOT(OV_PopRenderTarget, 114);
OV_CHECK_SLOT(OV_GetRenderTarget, 115);
OV_CHECK_SLOT(OV_SetBitmapRegion, 116);
OV_CHECK_SLOT(OV_SetBlendMode, 117);
OV_CHECK_SLOT(OV_GetBlendMode, 118);
OV_CHECK_SLOT(OV_SetTextureFilter, 119);
OV_CHECK_SLOT(OV_GetTextureFilter, 120);
OV_CHECK_SLOT(OV_SetColor, 121);
OV_CHECK_SLOT(OV_GetColor, 122);
OV_CHECK_SLOT(OV_SetAlpha, 123);
OV_CHECK_SLOT(OV_GetAlpha, 124);
OV_CHECK_SLOT(OV_SetTextFlags, 125);
OV_CHECK_SLOT(OV_SetTextWrapWidth, 126);
OV_CHECK_SLOT(OV_SetTextScale, 127);
OV_CHECK_SLOT(OV_DrawBitmap, 128);
OV_CHECK_SLOT(OV_DrawBitmapTransformed, 129);
OV_CHECK_SLOT(OV_DrawBitmapLine, 130);
OV_CHECK_SLOT(OV_DrawBitmapSection, 131);
OV_CHECK_SLOT(OV_DrawText, 132);
OV_CHECK_SLOT(OV_DrawRectangle, 133);
OV_CHECK_SLOT(OV_DrawLine, 134);
OV_CHECK_SLOT(OV_DrawVertexLine, 135);
OV_CHECK_SLOT(OV_DrawQuad, 136);
OV_CHECK_SLOT(OV_DrawTriangles, 137);
OV_CHECK_SLOT(OV_GetTextSize, 138);
OV_CHECK_SLOT(OV_GetTextWidth, 139);
OV_CHECK_SLOT(OV_GetTextHeight, 140);
OV_CHECK_SLOT(OV_SetProjectionParameters, 141);
OV_CHECK_SLOT(OV_Set2DDepth, 142);
OV_CHECK_SLOT(OV_Get2DDepth, 143);
OV_CHECK_SLOT(OV_ClearDepth, 144);
OV_CHECK_SLOT(OV_SetRenderStateb, 145);
OV_CHECK_SLOT(OV_GetRenderStateb, 146);
OV_CHECK_SLOT(OV_SetRenderStatef, 147);
OV_CHECK_SLOT(OV_GetRenderStatef, 148);
OV_CHECK_SLOT(OV_SetRenderStatei, 149);
OV_CHECK_SLOT(OV_GetRenderStatei, 150);
OV_CHECK_SLOT(cloud, 151);
OV_CHECK_SLOT(leaderboards, 152);
OV_CHECK_SLOT(achievements, 153);
OV_CHECK_SLOT(statistics, 154);
OV_CHECK_SLOT(social, 155);
OV_CHECK_SLOT(ugc, 156);
OV_CHECK_SLOT(notifications, 157);
OV_CHECK_SLOT(shaders, 158);
OV_CHECK_SLOT(buffers, 159);
OV_CHECK_LAYOUT(sizeof(CloudServices) == 4 * 4, "cloud sub-table");
OV_CHECK_LAYOUT(sizeof(LeaderboardServices) == 16 * 4, "leaderboards sub-table");
OV_CHECK_LAYOUT(sizeof(AchievementServices) == 5 * 4, "achievements sub-table");
OV_CHECK_LAYOUT(sizeof(StatisticServices) == 1 * 4, "statistics sub-table");
OV_CHECK_LAYOUT(sizeof(SocialServices) == 6 * 4, "social sub-table");
OV_CHECK_LAYOUT(sizeof(UGCServices) == 9 * 4, "ugc sub-table");
OV_CHECK_LAYOUT(sizeof(NotificationServices) == 4 * 4, "notifications sub-table");
OV_CHECK_LAYOUT(sizeof(ShaderServices) == 13 * 4, "shaders sub-table");
OV_CHECK_LAYOUT(sizeof(BufferServices) == 11 * 4, "buffers sub-table");
#undef OV_CHECK_SLOT
#endif

#endif
