#include "core/configuration.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "core/core_state.h"
#include "core/lifecycle.h"
#include "core/log.h"
#include "core/packages.h"
#include "core/platforms.h"
#include "core/program.h"
#include "core/service_table.h"
#include "data/data_base.h"
#include "filesystem/file_api.h"
#include "input/key_names.h"
#include "platform/system_information.h"

namespace {

const char* const kProgXml = "res://prog.xml";
const char* const kDeveloperXml = "res://developer.xml";

const char* Get(const DataNode* node, const char* key) { return node ? node->GetParameter(key) : nullptr; }

bool IsTrue(const char* value) { return value && (value[0] == '1' || value[0] == 't'); }

// Copies a configured value into a fixed field. A value that does not fit is shortened at a
// character boundary (never inside a UTF-8 sequence) and the shortening is logged, so that
// nothing is written past the field.
void SetText(char* field, size_t size, const char* value, const char* key) {
  if (!value) value = "";
  size_t length = strlen(value);
  if (length >= size) {
    length = size - 1;
    while (length > 0 && (static_cast<unsigned char>(value[length]) & 0xC0) == 0x80) --length;
    OV_LogLevel(LOG_WARNING, "Configuration: '%s' is longer than %d characters and is shortened to '%.*s'.", key,
                static_cast<int>(size - 1), static_cast<int>(length), value);
  }
  memmove(field, value, length);  // the value may be the field itself
  field[length] = 0;
}

template <size_t N>
void SetText(char (&field)[N], const char* value, const char* key) {
  SetText(field, N, value, key);
}

// Appends ",word" (just "word" to an empty list).
template <size_t N>
void AppendText(char (&field)[N], const char* value, const char* key) {
  std::string text = field;
  if (!text.empty()) text += ',';
  text += value;
  SetText(field, text.c_str(), key);
}

std::string LibraryName(const std::string& name) {
  if (name.size() < 4 || name.compare(name.size() - 4, 4, ".dll") != 0) return name + ".dll";
  return name;
}

// Calls visit with each non-empty name of a comma-separated list.
template <typename Visit>
void ForEachName(const char* list, Visit visit) {
  std::string text = list;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    std::string name = text.substr(start, end - start);
    if (!name.empty()) visit(name);
    start = end + 1;
  }
}

// Each name of a comma-separated list with ".dll" where it is missing.
std::string LibraryNames(const char* list) {
  std::string out;
  ForEachName(list, [&out](const std::string& name) { out += (out.empty() ? "" : ",") + LibraryName(name); });
  return out;
}

void SetLocale(const char* value) {
  SetText(core.locale, value, "locale");
  if (strcmp(core.locale, "auto") == 0) {
    const char* language = service_table.OV_CallExtension("GetLanguage", nullptr);
    if (language) {
      std::string lower = language;
      for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      SetText(core.locale, lower.c_str(), "locale");
    }
  }
  core.program->video.locale = core.locale;
}

void SetFrameTime(const char* value) {
  char* end;
  double fps = strtod(value, &end);
  if (end == value || !(fps > 0) || !isfinite(fps)) {
    OV_LogLevel(LOG_WARNING, "prog.xml: fps_limit '%s' is not a positive number; frames are not limited.", value);
    core.program->video.frame_time_ms = 0;
    return;
  }
  core.program->video.frame_time_ms = static_cast<int>(1000.0 / (fps + 2.0));
}

void SetReferenceResolution(const char* value) {
  int width, height;
  if (!OVI_ParseSize(value, &width, &height, false)) {
    OV_LogLevel(LOG_WARNING, "prog.xml: reference_resolution '%s' is not a size such as 1280x720.", value);
    return;
  }
  core.program->video.reference_width = width;
  core.program->video.reference_height = height;
}

void AddManifests(const char* list) {
  ForEachName(list, [](const std::string& name) { OVFS_AddManifest(("res://" + name).c_str()); });
}

void ReadApplication(const DataNode* node) {
  ProgramInterface& record = *core.program;
  if (const char* v = Get(node, "program_id")) SetText(record.id, v, "program_id");
  if (const char* v = Get(node, "name")) SetText(record.title, v, "name");
  if (const char* v = Get(node, "developer")) SetText(record.developer_name, v, "developer");
  if (const char* v = Get(node, "version")) SetText(record.version, v, "version");
  if (const char* v = Get(node, "locale")) SetLocale(v);
  if (const char* v = Get(node, "fps_limit")) SetFrameTime(v);
  if (const char* v = Get(node, "features")) SetText(core.program_features, v, "features");
  if (const char* v = Get(node, "control_interfaces")) SetText(core.control_interfaces, v, "control_interfaces");
  if (const char* v = Get(node, "reference_resolution")) SetReferenceResolution(v);
  if (const char* v = Get(node, "packages")) SetText(core.packages, v, "packages");
  if (const char* v = Get(node, "manifest")) AddManifests(v);
}

// The DEVELOPER node of developer.xml when that file exists, else the one of prog.xml.
const DataNode* DeveloperNode(const DataManager& prog) {
  FileHandle* file = OV_OpenFile(kDeveloperXml, "rb");
  if (file) {
    OV_CloseFile(file);
    OVD_UnloadDataBase(kDeveloperXml);
    const DataArray* parameters = OVD_GetDataBase(&service_table, kDeveloperXml)->FindArray("PARAMETERS");
    const DataNode* node = parameters ? parameters->FindNode("DEVELOPER") : nullptr;
    if (!node) OV_LogLevel(LOG_WARNING, "developer.xml has no PARAMETERS/DEVELOPER node; it is not used.");
    return node;
  }
  const DataArray* parameters = prog.FindArray("PARAMETERS");
  return parameters ? parameters->FindNode("DEVELOPER") : nullptr;
}

int VerboseLevel(const char* value) {
  static const char* const names[] = {"INFO", "WARNING", "ERROR", "SYSTEM"};
  for (int level = 0; level < 4; ++level)
    if (strcmp(value, names[level]) == 0) return level;
  return 0;
}

void ReadDeveloper(const DataNode& node, std::string candidates[2]) {
  VideoParameters& video = core.program->video;
  if (const char* v = Get(&node, "developer_mode")) core.developer_mode = IsTrue(v);
  if (core.developer_mode) {
    strcpy(core.sound_implementation, "STATIC");
    AppendText(core.program_features, "DEVELOPER_MODE", "features");
  }
  if (const char* v = Get(&node, "logging")) core.logging_enabled = IsTrue(v);
  if (const char* v = Get(&node, "logging_verbose_level")) core.logging_verbose_level = VerboseLevel(v);
  if (const char* v = Get(&node, "console")) core.console_enabled = IsTrue(v);
  if (const char* v = Get(&node, "features")) AppendText(core.program_features, v, "features");
  if (const char* v = Get(&node, "console_toggle_key")) {
    int code = OVI_KeyCodeOfName(v);
    if (code) core.console_toggle_key = code;
    else OV_LogLevel(LOG_WARNING, "Configuration: console_toggle_key '%s' names no key; the default stays.", v);
  }
  if (const char* v = Get(&node, "force_variant")) {
    if (*v) {
      SetText(core.force_variant, v, "force_variant");
      candidates[0] = candidates[1] = core.force_variant;
      video.windowed = 1;
    }
  }
  if (const char* v = Get(&node, "force_resolution")) {
    int width, height;
    if (OVI_ParseSize(v, &width, &height, false)) {
      video.width = core.override_width = core.forced_width = width;
      video.height = core.override_height = core.forced_height = height;
      core.force_resolution = true;
      video.windowed = 1;
    } else {
      OV_LogLevel(LOG_WARNING, "Configuration: force_resolution '%s' is not a size such as 1280x720.", v);
    }
  }
  if (const char* v = Get(&node, "force_windowed")) {
    if (strcmp(v, "1") == 0) video.windowed = 1;
  }
  if (const char* v = Get(&node, "pak_folder")) {
    std::string folder = v;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    SetText(core.pak_folder, folder.c_str(), "pak_folder");
  }
}

void CheckVariants(const DataArray& variants) {
  const char* const deprecated[] = {"program_library", "music_format", "sound_fx_format"};
  for (size_t i = 0; i < variants.nodes.size(); ++i) {
    const DataNode& node = *variants.nodes[i];
    for (size_t j = 0; j < i; ++j) {
      if (variants.nodes[j]->id.present && node.id.present && variants.nodes[j]->id.text == node.id.text) {
        OV_Report(LOG_WARNING, "There are multiple VARIANTS with id '%s' in prog.xml. There can be only one.",
                  node.id.c_str());
        break;
      }
    }
    if (node.id.Is("METRO"))
      OVI_ShowPopup(LOG_WARNING, "Deprecated variant id METRO found in prog.xml. Replace it with WINDOWS_RT.");
    for (const DataParameter& parameter : node.parameters) {
      for (const char* name : deprecated) {
        if (!parameter.name.Is(name)) continue;
        std::string text = std::string("Deprecated parm '") + name + "' in prog.xml. Remove it.";
        OVI_ShowPopup(LOG_WARNING, text.c_str());
      }
    }
  }
}

void SetInputImplementations(const char* list) {
  SetText(core.input_implementations, LibraryNames(list).c_str(), "input_implementations");
}

void ReadResolutions(const DataNode& variant, bool forced_variant) {
  if (core.force_resolution) return;
  const char* list = Get(&variant, "resolutions");
  std::string resolutions = list ? list : "*";
  if (system_information.platform_id == PLATFORM_IOS && resolutions == "*") {
    const VideoParameters& video = core.program->video;
    bool portrait = video.reference_width < video.reference_height;
    if (system_information.screen_size_id == SCREEN_SIZE_SMALL)
      resolutions = portrait ? "1242x2208,1125x2001,750x1334,640x1136,640x960,320x480"
                             : "2208x1242,2001x1125,1334x750,1136x640,960x640,480x320";
    else if (system_information.screen_size_id == SCREEN_SIZE_LARGE)
      resolutions = portrait ? "1536x2048,768x1024" : "2048x1536,1024x768";
  }
  SetText(core.resolutions, resolutions.c_str(), "resolutions");
  if (forced_variant) core.program->video.windowed = 1;
  OV_Log("Supported resolutions: '%s'.", core.resolutions);
}

// The data package of one kind of audio: "data-music-" or "data-sfx-" and the platform's format,
// or the deprecated per-variant format when one is given.
template <size_t N>
void SetAudioPackage(char (&package)[N], const char* value, const char* key, const char* prefix,
                     const char* platform_format, const char* kind) {
  std::string format = platform_format;
  if (value) {
    if (strcmp(value, platform_format) == 0) {
      OV_Report(LOG_WARNING,
                "prog.xml:%s defines deprecated '%s' parameter '%s'. Just remove it.\n\nThis platform always uses %s "
                "'%s'.\n\nSee ORVEL/docs/audio-formats-per-platform.txt for more info.",
                core.variant_id, key, value, kind, platform_format);
    } else {
      OV_Report(LOG_WARNING,
                "prog.xml:%s defines deprecated '%s' parameter '%s' but the value differs from platform standard "
                "('%s'). To fix the issue:\n1) Remove '%s' from prog.xml for this variant, and\n2) Add %s%s to "
                "addon_packages.\n\nSee ORVEL/docs/audio-formats-per-platform.txt for more info.",
                core.variant_id, key, value, platform_format, key, prefix, value);
    }
    format = strncmp(value, "@open:", 6) == 0 ? value + 6 : value;
  }
  SetText(package, (prefix + format).c_str(), key);
}

void ReadVariant(const DataNode& variant, const DataNode* developer, bool forced_variant) {
  ProgramInterface& record = *core.program;
  if (const char* v = Get(&variant, "name")) SetText(record.title, v, "name");
  if (const char* v = Get(&variant, "developer")) SetText(record.developer_name, v, "developer");
  if (const char* v = Get(&variant, "version")) SetText(record.version, v, "version");
  if (const char* v = Get(&variant, "renderer_implementation"))
    SetText(core.renderer_implementation, LibraryName(v).c_str(), "renderer_implementation");
  if (!core.renderer) {
    core.renderer = OVI_SelectRenderer();
    if (core.renderer) OVI_FillServiceTable();
  }
  if (const char* v = Get(&variant, "input_implementations")) SetInputImplementations(v);
  if (Get(&variant, "input_implementation"))
    OV_LogLevel(LOG_WARNING,
                "In prog.xml parameter input_implementation is not in use: use input_implementations instead (note the s).");
  if (core.developer_mode && developer) {
    if (const char* v = Get(developer, "input_implementations")) SetInputImplementations(v);
    if (Get(developer, "input_implementation"))
      OV_LogLevel(LOG_WARNING,
                  "In developer.xml parameter input_implementation is not in use: use input_implementations instead "
                  "(note the s).");
  }
  if (const char* v = Get(&variant, "reference_resolution")) SetReferenceResolution(v);
  if (const char* v = Get(&variant, "locale")) SetLocale(v);
  ReadResolutions(variant, forced_variant);
  if (const char* v = Get(&variant, "features")) SetText(core.variant_features, v, "features");
  if (const char* v = Get(&variant, "control_interfaces")) SetText(core.control_interfaces, v, "control_interfaces");
  int platform = system_information.platform_id;
  SetAudioPackage(core.music_package, Get(&variant, "music_format"), "music_format", "data-music-",
                  MusicFormat(platform), "music format");
  SetAudioPackage(core.sound_effect_package, Get(&variant, "sound_fx_format"), "sound_fx_format", "data-sfx-",
                  SoundEffectFormat(platform), "sound effect format");
  if (const char* v = Get(&variant, "addon_packages")) SetText(core.addon_packages, v, "addon_packages");
  if (const char* v = Get(&variant, "gfx_packages")) SetText(core.gfx_packages, v, "gfx_packages");
  if (const char* v = Get(&variant, "sound_implementation"))
    SetText(core.sound_implementation, LibraryName(v).c_str(), "sound_implementation");
  if (const char* v = Get(&variant, "manifest")) AddManifests(v);
  if (core.developer_mode && developer) {
    if (const char* v = Get(developer, "developer_packages")) SetText(core.developer_packages, v, "developer_packages");
  }
}

}  // namespace

bool OVI_HasWord(const char* list, const char* word) {
  if (!list || !word || !*word) return false;
  size_t length = strlen(word);
  auto delimiter = [](char c) { return c == 0 || c == ' ' || c == ',' || c == ';'; };
  for (const char* at = strstr(list, word); at; at = strstr(at + 1, word)) {
    bool starts = at == list || delimiter(at[-1]);
    if (starts && delimiter(at[length])) return true;
  }
  return false;
}

bool OVI_HasFeature(const char* word) {
  return OVI_HasWord(core.program_features, word) || OVI_HasWord(core.variant_features, word);
}

void OVI_ReadConfiguration() {
  strcpy(core.renderer_implementation, "ri_d3d9.dll");
  strcpy(core.sound_implementation, "si_brix.dll");
  strcpy(core.resolutions, "*");  // without prog.xml any size will do
  core.program->api_version = OV_INTERFACE_VERSION;
  const char* command_line = core.command_line ? core.command_line : "";
  if (OVI_HasWord(command_line, "-unattended")) core.unattended = true;
  if (OVI_HasWord(command_line, "-headless")) core.headless = true;

  FileHandle* file = OV_OpenFile(kProgXml, "rb");
  if (!file) {
    OVI_ShowPopup(LOG_ERROR, "Cannot find prog.xml. It should be located in res://.");
    return;
  }
  OV_CloseFile(file);
  OVD_UnloadDataBase(kProgXml);  // read as it is now, not as an earlier run left it
  const DataManager& prog = *OVD_GetDataBase(&service_table, kProgXml);

  std::string platform = PlatformName(system_information.platform_id);
  std::string candidates[2] = {platform + "/" + ScreenSizeName(system_information.screen_size_id), platform};

  const DataArray* parameters = prog.FindArray("PARAMETERS");
  ReadApplication(parameters ? parameters->FindNode("APPLICATION") : nullptr);
  const DataNode* developer = DeveloperNode(prog);
  if (developer) ReadDeveloper(*developer, candidates);

  const DataArray* variants = prog.FindArray("VARIANTS");
  if (variants && core.developer_mode) CheckVariants(*variants);
  const DataNode* variant = nullptr;
  for (const std::string& id : candidates)
    if (!variant && variants) variant = variants->FindNode(id.c_str());
  if (!variant) {
    OV_Report(LOG_ERROR,
              "No build variant found for current platform id '%s'.\n\nUse force_variant to use another platform for "
              "development purposes.",
              candidates[1].c_str());
    OVI_Terminate(-1);
  }
  SetText(core.variant_id, variant->id.c_str(), "variant id");
  ReadVariant(*variant, developer, core.force_variant[0] != 0);
}

void OVI_ApplyLocale() {
  SetLocale(core.locale);
  if (core.locale[0]) AppendText(core.addon_packages, (std::string("data-") + core.locale).c_str(), "addon_packages");
}

void OVI_CheckConfigurationDuplicates() {
  const DataManager& prog = *OVD_GetDataBase(&service_table, kProgXml);
  auto name_of = [](const DataText& text) { return text.present ? text.c_str() : "null"; };
  for (const auto& array : prog.arrays) {
    for (size_t i = 0; i < array->nodes.size(); ++i) {
      const DataNode& node = *array->nodes[i];
      for (size_t j = 0; j < i; ++j) {
        if (array->nodes[j]->id.present == node.id.present && array->nodes[j]->id.text == node.id.text) {
          OV_Report(LOG_WARNING, "Array '%s' contains two nodes with id '%s'.", name_of(array->id), name_of(node.id));
          break;
        }
      }
      for (size_t p = 0; p < node.parameters.size(); ++p) {
        for (size_t q = 0; q < p; ++q) {
          if (node.parameters[q].name.present == node.parameters[p].name.present &&
              node.parameters[q].name.text == node.parameters[p].name.text) {
            OV_Report(LOG_WARNING, "Node '%s' contains duplicate parameters with id '%s'.", name_of(node.id),
                      name_of(node.parameters[p].name));
            break;
          }
        }
      }
    }
  }
}

const char* OV_CALL OV_GetProductValue(const char* key) {
  if (!key) return nullptr;
  const DataManager& prog = *OVD_GetDataBase(&service_table, kProgXml);
  const DataArray* variants = prog.FindArray("VARIANTS");
  const DataNode* variant = variants ? variants->FindNode(core.variant_id) : nullptr;
  if (!variant) OV_Report(LOG_ERROR, "Missing platform variant '%s' in '%s'.", core.variant_id, kProgXml);
  else if (const char* value = variant->GetParameter(key)) return value;
  return prog.GetParameter("PARAMETERS", "APPLICATION", key);
}
