// Filling the service table. Slots whose subsystem is not built yet hold placeholders of the
// slot's exact type, so a program never calls a null pointer and every result is well defined.
#include "core/service_table.h"

#include <stddef.h>
#include <stdlib.h>
#include <string.h>

#include <atomic>

#include "core/byte_buffer.h"
#include "core/console.h"
#include "core/configuration.h"
#include "core/core_state.h"
#include "core/events.h"
#include "core/log.h"
#include "core/threads.h"
#include "filesystem/file_api.h"
#include "platform/cursors.h"
#include "platform/http_client.h"
#include "resources/bitmaps.h"
#include "render/buffers.h"
#include "render/colour.h"
#include "render/draw_2d.h"
#include "render/drawing_state.h"
#include "render/renderer.h"
#include "render/targets.h"
#include "render/transforms.h"

EngineServices service_table;

namespace {

CloudServices cloud;
LeaderboardServices leaderboards;
AchievementServices achievements;
StatisticServices statistics;
SocialServices social;
UGCServices ugc;
NotificationServices notifications;
ShaderServices shaders;

// Slot names of the placeholders, for the one log line each.
const char* placeholder_names[OV_SERVICE_SLOTS];
std::atomic<bool> placeholder_reported[OV_SERVICE_SLOTS + 69];

void ReportPlaceholder(int id, const char* name) {
  if (!placeholder_reported[id].exchange(true))
    OV_LogLevel(LOG_WARNING, "%s is not available yet; the call does nothing.", name);
}

template <int Id, typename Signature>
struct Placeholder;

template <int Id, typename Result, typename... Arguments>
struct Placeholder<Id, Result(OV_CALL*)(Arguments...)> {
  static const char* name;
  static Result OV_CALL Call(Arguments...) {
    ReportPlaceholder(Id, name);
    return Result();
  }
};

template <int Id, typename Result, typename... Arguments>
struct Placeholder<Id, Result(OV_CALL*)(Arguments..., ...)> {
  static const char* name;
  static Result OV_CALL Call(Arguments..., ...) {
    ReportPlaceholder(Id, name);
    return Result();
  }
};

template <int Id, typename Result, typename... Arguments>
const char* Placeholder<Id, Result(OV_CALL*)(Arguments...)>::name;
template <int Id, typename Result, typename... Arguments>
const char* Placeholder<Id, Result(OV_CALL*)(Arguments..., ...)>::name;

#define SLOT_OF(member) static_cast<int>(offsetof(EngineServices, member) / sizeof(void*))
#define PLACEHOLDER(member)                                                                  \
  do {                                                                                       \
    using P = Placeholder<SLOT_OF(member), decltype(service_table.member)>;                  \
    P::name = #member;                                                                       \
    placeholder_names[SLOT_OF(member)] = #member;                                            \
    service_table.member = P::Call;                                                          \
  } while (0)
// Sub-table entries are numbered after the 160 slots (only for their one log line).
#define SUB_PLACEHOLDER(table, member, id)                         \
  do {                                                             \
    using P = Placeholder<OV_SERVICE_SLOTS + (id), decltype(table.member)>; \
    P::name = #table "->" #member;                                 \
    table.member = P::Call;                                        \
  } while (0)

void* OV_CALL OV_Alloc(unsigned int byte_count) { return malloc(byte_count); }
void OV_CALL OV_Free(void* memory) { free(memory); }

void FillSubTablePlaceholders() {
  SUB_PLACEHOLDER(cloud, IsAvailable, 0);
  SUB_PLACEHOLDER(cloud, Write, 1);
  SUB_PLACEHOLDER(cloud, Read, 2);
  SUB_PLACEHOLDER(cloud, Remove, 3);
  SUB_PLACEHOLDER(leaderboards, SubmitScore, 4);
  SUB_PLACEHOLDER(leaderboards, RequestScores, 5);
  SUB_PLACEHOLDER(leaderboards, RequestScoresAroundUser, 6);
  SUB_PLACEHOLDER(leaderboards, Operation14, 7);
  SUB_PLACEHOLDER(leaderboards, Operation15, 8);
  SUB_PLACEHOLDER(leaderboards, GetPlayerId, 9);
  SUB_PLACEHOLDER(leaderboards, GetLoginState, 10);
  SUB_PLACEHOLDER(leaderboards, Login, 11);
  SUB_PLACEHOLDER(leaderboards, Operation10, 12);
  SUB_PLACEHOLDER(leaderboards, Operation11, 13);
  SUB_PLACEHOLDER(leaderboards, GetCategoryCount, 14);
  SUB_PLACEHOLDER(leaderboards, GetCategoryId, 15);
  SUB_PLACEHOLDER(leaderboards, GetCategoryIndex, 16);
  SUB_PLACEHOLDER(leaderboards, IsLowestScoreFirst, 17);
  SUB_PLACEHOLDER(leaderboards, Nothing, 18);
  SUB_PLACEHOLDER(leaderboards, GetCategoryValue, 19);
  SUB_PLACEHOLDER(achievements, Unlock, 20);
  SUB_PLACEHOLDER(achievements, Operation7, 21);
  SUB_PLACEHOLDER(achievements, Operation8, 22);
  SUB_PLACEHOLDER(achievements, SetStatInt, 23);
  SUB_PLACEHOLDER(achievements, GetStatInt, 24);
  SUB_PLACEHOLDER(statistics, Operation6, 25);
  SUB_PLACEHOLDER(social, IsAvailable, 26);
  SUB_PLACEHOLDER(social, Login, 27);
  SUB_PLACEHOLDER(social, Logout, 28);
  SUB_PLACEHOLDER(social, RequestFriends, 29);
  SUB_PLACEHOLDER(social, SetScore, 30);
  SUB_PLACEHOLDER(social, GetProfilePicture, 31);
  SUB_PLACEHOLDER(ugc, IsAvailable, 32);
  SUB_PLACEHOLDER(ugc, RefreshSubscriptions, 33);
  SUB_PLACEHOLDER(ugc, IsSubscriptionListReady, 34);
  SUB_PLACEHOLDER(ugc, GetSubscribedItemCount, 35);
  SUB_PLACEHOLDER(ugc, GetSubscribedItem, 36);
  SUB_PLACEHOLDER(ugc, Subscribe, 37);
  SUB_PLACEHOLDER(ugc, Unsubscribe, 38);
  SUB_PLACEHOLDER(ugc, CreateOrUpdate, 39);
  SUB_PLACEHOLDER(ugc, OpenWorkshop, 40);
  SUB_PLACEHOLDER(notifications, IsAvailable, 41);
  SUB_PLACEHOLDER(notifications, RegisterForNotifications, 42);
  SUB_PLACEHOLDER(notifications, RemoveAllLocalNotifications, 43);
  SUB_PLACEHOLDER(notifications, SetLocalNotification, 44);
  SUB_PLACEHOLDER(shaders, MaximumTextureSize, 45);
  SUB_PLACEHOLDER(shaders, GetShader, 46);
  SUB_PLACEHOLDER(shaders, GetPixelConstantIndex, 47);
  SUB_PLACEHOLDER(shaders, GetUserValue, 48);
  SUB_PLACEHOLDER(shaders, GetVertexConstantIndex, 49);
  SUB_PLACEHOLDER(shaders, GetPixelTextureIndex, 50);
  SUB_PLACEHOLDER(shaders, ReloadShader, 51);
  SUB_PLACEHOLDER(shaders, SetShader, 52);
  SUB_PLACEHOLDER(shaders, SetPixelConstant, 53);
  SUB_PLACEHOLDER(shaders, SetVertexConstant, 54);
  SUB_PLACEHOLDER(shaders, SetTextureAddressing, 55);
  SUB_PLACEHOLDER(shaders, SetTextureFilter, 56);
  SUB_PLACEHOLDER(shaders, SetTexture, 57);
}

}  // namespace

bool OVI_IsPlaceholder(int slot) { return slot >= 0 && slot < OV_SERVICE_SLOTS && placeholder_names[slot]; }

void OVI_FillServiceTable() {
  EngineServices& t = service_table;
  memset(&t, 0, sizeof t);
  memset(placeholder_names, 0, sizeof placeholder_names);

  t.OV_Log = OV_Log;
  t.OV_LogLevel = OV_LogLevel;
  t.OV_Report = OV_Report;
  t.OV_AddConsoleCommand = OV_AddConsoleCommand;
  t.OV_Sleep = OV_Sleep;
  t.OV_GetTime = OV_GetTime;
  t.OV_GetSystemTime = OV_GetSystemTime;
  t.OV_ConvertTime = OV_ConvertTime;
  t.OV_GetDate = OV_GetDate;
  t.OV_CreateMutex = OV_CreateMutex;
  t.OV_DestroyMutex = OV_DestroyMutex;
  t.OV_LockMutex = OV_LockMutex;
  t.OV_UnlockMutex = OV_UnlockMutex;
  t.OV_CreateThread = OV_CreateThread;
  t.OV_GetCurrentThreadId = OV_GetCurrentThreadId;
  t.OV_IsMainThread = OV_IsMainThread;
  t.OV_LockMainLoop = OV_LockMainLoop;
  t.OV_UnlockMainLoop = OV_UnlockMainLoop;
  t.OV_IsMainLoopLocked = OV_IsMainLoopLocked;
  PLACEHOLDER(OV_GetFont);
  PLACEHOLDER(OV_LoadFont);
  PLACEHOLDER(OV_RecreateFontAtlas);
  PLACEHOLDER(OV_ReleaseFont);
  PLACEHOLDER(OV_SaveFont);
  t.OV_SetCursor = OV_SetCursor;
  t.OV_Quit = OV_Quit;
  t.OV_IsQuitting = OV_IsQuitting;
  t.OV_HasFeature = OV_HasFeature;
  t.OV_GetProductValue = OV_GetProductValue;
  t.ReinitializeWithParameters = ReinitializeWithParameters;
  t.OV_CallExtension = OV_CallExtension;
  t.OV_CreateDirectory = OV_CreateDirectory;
  t.OV_RemoveDirectory = OV_RemoveDirectory;
  t.OV_AddSearchPath = OV_AddSearchPath;
  t.OV_RemoveSearchPath = OV_RemoveSearchPath;
  t.OV_GetSearchPath = OV_GetSearchPath;
  t.OV_GetSearchPathCount = OV_GetSearchPathCount;
  t.OV_DeleteFile = OV_DeleteFile;
  t.OV_OpenFile = OV_OpenFile;
  t.OV_CloseFile = OV_CloseFile;
  t.OV_ReadFile = OV_ReadFile;
  t.OV_WriteFile = OV_WriteFile;
  t.OV_FlushFile = OV_FlushFile;
  t.OV_TellFile = OV_TellFile;
  t.OV_SeekFile = OV_SeekFile;
  t.OV_ReadFileByte = OV_ReadFileByte;
  t.OV_ReadFileElements = OV_ReadFileElements;
  t.OV_WriteFileElements = OV_WriteFileElements;
  t.OV_FindFiles = OV_FindFiles;
  t.OV_FreeFileList = OV_FreeFileList;
  t.OV_WebRequest = OV_WebRequest;
  t.OV_WebRequestWithHeaders = OV_WebRequestWithHeaders;
  t.OV_CreateBuffer = OV_CreateBuffer;
  t.OV_FreeBuffer = OV_FreeBuffer;
  t.OV_Alloc = OV_Alloc;
  t.OV_Free = OV_Free;
  t.OV_PostEvent = OV_PostEvent;
  t.OV_InitEvent = OV_InitEvent;
  t.OV_GetKeyState = OV_GetKeyState;
  t.OV_SetKeyState = OV_SetKeyState;
  t.OV_GetAnalogValue = OV_GetAnalogValue;
  t.OV_SetAnalogValue = OV_SetAnalogValue;
  PLACEHOLDER(OV_GetSound);
  PLACEHOLDER(OV_GetSoundEx);
  PLACEHOLDER(OV_LoadSound);
  PLACEHOLDER(OV_ReleaseSound);
  PLACEHOLDER(OV_SetSoundVolume);
  PLACEHOLDER(OV_PlaySound);
  PLACEHOLDER(OV_PlaySoundEx);
  PLACEHOLDER(OV_StopSound);
  PLACEHOLDER(OV_SetSoundPan);
  PLACEHOLDER(OV_SetSoundInstanceVolume);
  PLACEHOLDER(OV_PauseSound);
  PLACEHOLDER(OV_SetSoundLooping);
  PLACEHOLDER(OV_SetSoundPitch);
  PLACEHOLDER(OV_IsSoundPlaying);
  PLACEHOLDER(OV_GetPlayingSound);
  PLACEHOLDER(OV_SlideSoundVolume);
  PLACEHOLDER(OV_FadeOutSound);
  PLACEHOLDER(OV_PlayMusic);
  PLACEHOLDER(OV_StopMusic);
  PLACEHOLDER(OV_PauseMusic);
  PLACEHOLDER(OV_SetMusicLooping);
  PLACEHOLDER(OV_GetMusic);
  PLACEHOLDER(OV_SlideMusicVolume);
  t.OV_PushTransform = t.OV_PushTransform2 = OV_PushTransform;
  t.OV_PopTransform = t.OV_PopTransform2 = OV_PopTransform;
  t.OV_GetTransform = t.OV_GetTransform2 = OV_GetTransform;
  t.OV_PushViewTransform = OV_PushViewTransform;
  t.OV_PopViewTransform = OV_PopViewTransform;
  t.OV_GetViewTransform = OV_GetViewTransform;
  t.OV_PushProjectionTransform = OV_PushProjectionTransform;
  t.OV_PopProjectionTransform = OV_PopProjectionTransform;
  t.OV_GetProjectionTransform = OV_GetProjectionTransform;
  t.OV_GetBitmap = OV_GetBitmap;
  t.OV_GetBitmapEx = OV_GetBitmapEx;
  t.OV_LoadBitmap = OV_LoadBitmap;
  t.OV_ReleaseBitmap = OV_ReleaseBitmap;
  t.OV_SaveBitmap = OV_SaveBitmap;
  t.OV_RefreshBitmap = OV_RefreshBitmap;
  t.OV_ResizeBitmap = OV_ResizeBitmap;
  t.OV_SetBitmapCacheMode = OV_SetBitmapCacheMode;
  t.OV_CreateBitmap = OV_CreateBitmap;
  PLACEHOLDER(OV_SetBitmapFrame);
  t.OV_Clear = OV_Clear;
  t.OV_SetScissorRectangle = OV_SetScissorRectangle;
  t.OV_ResetScissorRectangle = OV_ResetScissorRectangle;
  t.OV_PushScissorRectangle = OV_PushScissorRectangle;
  t.OV_PopScissorRectangle = OV_PopScissorRectangle;
  t.OV_PushRenderTarget = OV_PushRenderTarget;
  t.OV_PushRenderTargetWithDepth = OV_PushRenderTargetWithDepth;
  t.OV_PopRenderTarget = OV_PopRenderTarget;
  t.OV_GetRenderTarget = OV_GetRenderTarget;
  t.OV_SetBitmapRegion = OV_SetBitmapRegion;
  t.OV_SetBlendMode = OV_SetBlendMode;
  t.OV_GetBlendMode = OV_GetBlendMode;
  t.OV_SetTextureFilter = OV_SetTextureFilter;
  t.OV_GetTextureFilter = OV_GetTextureFilter;
  bool red_first = core.renderer && core.renderer->GetVertexColorOrder() == 0;
  t.OV_SetColor = red_first ? OV_SetColorRGB : OV_SetColorBGR;
  OVI_SetColourOrder(red_first ? 0 : 1);
  t.OV_GetColor = OV_GetColor;
  t.OV_SetAlpha = OV_SetAlpha;
  t.OV_GetAlpha = OV_GetAlpha;
  PLACEHOLDER(OV_SetTextFlags);
  PLACEHOLDER(OV_SetTextWrapWidth);
  PLACEHOLDER(OV_SetTextScale);
  t.OV_DrawBitmap = OV_DrawBitmap;
  t.OV_DrawBitmapTransformed = OV_DrawBitmapTransformed;
  t.OV_DrawBitmapLine = OV_DrawBitmapLine;
  t.OV_DrawBitmapSection = OV_DrawBitmapSection;
  PLACEHOLDER(OV_DrawText);
  t.OV_DrawRectangle = OV_DrawRectangle;
  t.OV_DrawLine = OV_DrawLine;
  t.OV_DrawVertexLine = OV_DrawVertexLine;
  t.OV_DrawQuad = OV_DrawQuad;
  t.OV_DrawTriangles = OV_DrawTriangles;
  PLACEHOLDER(OV_GetTextSize);
  PLACEHOLDER(OV_GetTextWidth);
  PLACEHOLDER(OV_GetTextHeight);
  t.OV_SetProjectionParameters = OV_SetProjectionParameters;
  t.OV_Set2DDepth = OV_Set2DDepth;
  t.OV_Get2DDepth = OV_Get2DDepth;
  t.OV_ClearDepth = OV_ClearDepth;
  t.OV_SetRenderStateb = OV_SetRenderStateb;
  t.OV_GetRenderStateb = OV_GetRenderStateb;
  t.OV_SetRenderStatef = OV_SetRenderStatef;
  t.OV_GetRenderStatef = OV_GetRenderStatef;
  t.OV_SetRenderStatei = OV_SetRenderStatei;
  t.OV_GetRenderStatei = OV_GetRenderStatei;

  FillSubTablePlaceholders();
  t.cloud = &cloud;
  t.leaderboards = &leaderboards;
  t.achievements = &achievements;
  t.statistics = &statistics;
  t.social = &social;
  t.ugc = &ugc;
  t.notifications = &notifications;
  t.shaders = &shaders;
  t.buffers = &buffer_services;
}

ProgramInterface* OV_CALL OV_Quit(void) {
  core.quit_requested = true;
  if (core.program) core.program->video.quitting = 1;
  return core.program;
}

ov_bool OV_CALL OV_IsQuitting(void) { return core.quit_requested; }
ov_bool OV_CALL OV_HasFeature(const char* word) { return OVI_HasFeature(word); }
