#include "platform/popups.h"

#include <stdlib.h>
#include <string.h>

#include <string>

#include "core/core_state.h"
#include "core/log.h"
#include "core/program.h"
#include "core/text.h"
#include "core/threads.h"
#include "platform/ov_os.h"
#include "platform/ov_window.h"

namespace {

struct PopupRequest {
  int kind;
  bool own_window;
  char* text;
};

int Show(int kind, const char* text, bool own_window) {
  std::string caption = core.program && core.program->title[0] ? core.program->title : "ORVEL";
  int buttons = OVOS_BUTTONS_OK;
  if (kind == 1) {
    caption += " Warning";
    buttons = OVOS_BUTTONS_OK_CANCEL;
  } else if (kind == 2 || kind == 3) {
    caption += " Error";
    buttons = kind == 2 ? OVOS_BUTTONS_OK_CANCEL : OVOS_BUTTONS_YES_NO_CANCEL;
  }
  void* owner = own_window ? OVI_WindowHandle() : nullptr;
  int result = OVOS_MessageBox(caption.c_str(), text, kind, buttons, owner);
  if (result == OVOS_RESULT_CANCEL) OVI_Terminate(-1);
  if (result == OVOS_RESULT_OK) return POPUP_RESULT_OK;
  if (result == OVOS_RESULT_YES) return POPUP_RESULT_YES;
  if (result == OVOS_RESULT_NO) return POPUP_RESULT_NO;
  return POPUP_RESULT_OTHER;
}

void OV_CALL PopupThread(void* argument) {
  PopupRequest* request = static_cast<PopupRequest*>(argument);
  Show(request->kind, request->text, request->own_window);
  free(request->text);
  delete request;
}

}  // namespace

int OVI_ShowPopup(int kind, const char* text) {
  if (!text) text = "";
  if (!OV_IsMainThread()) {
    OV_LogLevel(kind, "%s", text);
    return POPUP_RESULT_OK;
  }
  if (core.unattended) {
    // The log line is echoed to standard error in unattended runs.
    OVI_WriteLine(LOG_SYSTEM, (std::string("Popup answered OK: ") + text).c_str());
    return POPUP_RESULT_OK;
  }
  bool fullscreen = core.program && !core.program->video.windowed;
  if (core.running && OVI_HasFeature("NON_BLOCKING_POPUPS")) {
    PopupRequest* request = new PopupRequest{kind, false, OVI_DuplicateText(text)};
    OV_CreateThread("Popup", PopupThread, request, 0);
    return POPUP_RESULT_OTHER;
  }
  return Show(kind, text, !fullscreen);
}

int OVI_Popup(int kind, const char* caption, const char* text) {
  if (core.unattended) {
    OVI_WriteLine(LOG_SYSTEM, (std::string("Popup answered OK: ") + (text ? text : "")).c_str());
    return POPUP_RESULT_OK;
  }
  return OVOS_MessageBox(caption, text, kind, OVOS_BUTTONS_OK) == OVOS_RESULT_OK ? POPUP_RESULT_OK
                                                                                 : POPUP_RESULT_OTHER;
}
