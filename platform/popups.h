// Popups: message boxes of four kinds (0 plain, 1 warning, 2 error, 3 question) with the
// program's title as caption. Cancel in a warning, error or question box ends the process
// with -1.
#pragma once

enum { POPUP_RESULT_OTHER = 1, POPUP_RESULT_OK = 4, POPUP_RESULT_YES = 5, POPUP_RESULT_NO = 6 };

// Off the main thread only the log sees the text (answer 4); with NON_BLOCKING_POPUPS the box
// shows on a "Popup" thread (answer 1); unattended runs log it and answer 4.
int OVI_ShowPopup(int kind, const char* text);
// A plain box with a caption of its own (before the engine can name the program).
int OVI_Popup(int kind, const char* caption, const char* text);
