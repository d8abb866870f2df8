// The list of input implementations and the entry points through which the core drives them.
#include "input/input.h"

#include <string.h>

#include <string>

#include "core/core_state.h"
#include "core/events.h"
#include "core/log.h"
#include "input/input_xinput.h"

namespace {

InputImp* implementations[INPUT_IMPLEMENTATIONS_MAX];
int implementation_count;

// The engine's one XInput object, made on first use and kept for the process.
InputImp* XInputImplementation() {
  static InputImpXInput xinput(OVI_XInputProvider());
  return &xinput;
}

void LogIgnoredLibraries(const char* list) {
  for (const char* start = list; *start;) {
    const char* end = strchr(start, ',');
    if (!end) end = start + strlen(start);
    if (end > start) {
      std::string name(start, end);
      OV_LogLevel(LOG_SYSTEM, "In static build mode. Ignoring InputImp Library: '%s'", name.c_str());
    }
    start = *end ? end + 1 : end;
  }
}

}  // namespace

bool OVI_RegisterInputImplementation(InputImp* implementation) {
  if (!implementation) return false;
  for (int i = 0; i < implementation_count; ++i)
    if (implementations[i] == implementation) return true;
  if (implementation_count == INPUT_IMPLEMENTATIONS_MAX) {
    OV_LogLevel(LOG_WARNING, "OVI_RegisterInputImplementation: The list holds %d input implementations; '%s' is not used.",
                INPUT_IMPLEMENTATIONS_MAX, implementation->GetName());
    return false;
  }
  implementations[implementation_count++] = implementation;
  return true;
}

int OVI_InputImplementationCount() { return implementation_count; }

InputImp* OVI_InputImplementation(int index) {
  return index >= 0 && index < implementation_count ? implementations[index] : nullptr;
}

void OVI_CreateInputImplementations() {
  OV_LogLevel(LOG_SYSTEM, "Using static XInput InputImp.");
  InputImp* xinput = XInputImplementation();
  if (xinput->IsSupported())
    OVI_RegisterInputImplementation(xinput);
  else
    OV_LogLevel(LOG_WARNING, "XInput is not supported on this system.");
  LogIgnoredLibraries(core.input_implementations);
  for (int i = 0; i < implementation_count; ++i) implementations[i]->Initialize(&core);
}

void OVI_UpdateInputImplementations() {
  for (int i = 0; i < implementation_count; ++i) implementations[i]->Update();
}

void OVI_PostUpdateInputImplementations() {
  for (int i = 0; i < implementation_count; ++i) implementations[i]->PostUpdate();
}

void OVI_SetInputImplementationsActive(bool active) {
  for (int i = 0; i < implementation_count; ++i) implementations[i]->SetActive(active);
  for (int code = 0; code < 255; ++code) OV_SetKeyState(code, 0);
}

const char* OVI_InputCallExtension(const char* name, const char* argument) {
  for (int i = 0; i < implementation_count; ++i)
    if (const char* answer = implementations[i]->CallExtensionFunction(name, argument)) return answer;
  return nullptr;
}

void OVI_ShutdownInputImplementations() {
  for (int i = 0; i < implementation_count; ++i) implementations[i]->Shutdown();
  implementation_count = 0;
}
