// System information and the DirectX probe on Windows.
#include <windows.h>
#include <nb30.h>

#include <stdio.h>
#include <string.h>

#include "core/core_state.h"
#include "core/log.h"
#include "platform/system_information.h"

namespace {

void ReadVersion(SystemInformation* information) {
  typedef LONG(WINAPI * GetVersionFunction)(OSVERSIONINFOW*);
  OSVERSIONINFOW version = {};
  version.dwOSVersionInfoSize = sizeof version;
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  GetVersionFunction get =
      ntdll ? reinterpret_cast<GetVersionFunction>(reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "RtlGetVersion")))
            : nullptr;
  if (!get || get(&version) != 0) return;
  snprintf(information->operating_system, sizeof information->operating_system, "Windows %u.%u.%u",
           static_cast<unsigned>(version.dwMajorVersion), static_cast<unsigned>(version.dwMinorVersion),
           static_cast<unsigned>(version.dwBuildNumber));
}

// The first network adapter that answers: its number and hardware address.
void ReadUniqueId(SystemInformation* information) {
  NCB command = {};
  LANA_ENUM adapters = {};
  command.ncb_command = NCBENUM;
  command.ncb_buffer = reinterpret_cast<UCHAR*>(&adapters);
  command.ncb_length = sizeof adapters;
  if (Netbios(&command) != NRC_GOODRET) return;
  struct {
    ADAPTER_STATUS status;
    NAME_BUFFER names[30];
  } answer;
  for (int i = 0; i < adapters.length; ++i) {
    memset(&command, 0, sizeof command);
    command.ncb_command = NCBRESET;
    command.ncb_lana_num = adapters.lana[i];
    Netbios(&command);
    memset(&command, 0, sizeof command);
    command.ncb_command = NCBASTAT;
    command.ncb_lana_num = adapters.lana[i];
    memcpy(command.ncb_callname, "*               ", NCBNAMSZ);
    command.ncb_buffer = reinterpret_cast<UCHAR*>(&answer);
    command.ncb_length = sizeof answer;
    if (Netbios(&command) != NRC_GOODRET) continue;
    const UCHAR* a = answer.status.adapter_address;
    snprintf(information->unique_id, sizeof information->unique_id, "%02x%02x%02x%02x%02x%02x%02x\n",
             adapters.lana[i], a[0], a[1], a[2], a[3], a[4], a[5]);
    return;
  }
}

void ReadDisplayDevices(SystemInformation* information) {
  for (DWORD i = 0; i < 5; ++i) {
    DISPLAY_DEVICEA device = {};
    device.cb = sizeof device;
    if (!EnumDisplayDevicesA(nullptr, i, &device, 0)) break;
    OV_LogLevel(LOG_SYSTEM, "Display Device #%d: '%s'\n", static_cast<int>(i), device.DeviceString);
    if (!information->graphics_adapter[0] && strlen(device.DeviceString) < 127)
      snprintf(information->graphics_adapter, sizeof information->graphics_adapter, "%s", device.DeviceString);
  }
}

bool HasLibrary(const char* name) {
  HMODULE library = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!library) return false;
  FreeLibrary(library);
  return true;
}

}  // namespace

void OVI_ReadPlatformInformation(SystemInformation* information) {
  ReadVersion(information);
  ReadUniqueId(information);
  ReadDisplayDevices(information);
}

// Which DirectX system libraries exist: d3d9 means 9.0c, d3d8 8.1, ddraw 7.0.
int OVI_ProbeDirectXVersion() {
  int version = HasLibrary("d3d9.dll") ? 0x90000 + 'c' : HasLibrary("d3d8.dll") ? 0x80100 : HasLibrary("ddraw.dll") ? 0x70000 : 0;
  if (version == 0) {
    OV_LogLevel(LOG_SYSTEM, "DirectX not installed (%X)", version);
    return 0;
  }
  char text[16];
  int letter = version & 0xff;
  if (letter) snprintf(text, sizeof text, "%d.%d%c", version >> 16, (version >> 8) & 0xff, letter);
  else snprintf(text, sizeof text, "%d.%d", version >> 16, (version >> 8) & 0xff);
  OV_LogLevel(LOG_SYSTEM, "DirectX %s installed (%X)", text, version);
  return version;
}
