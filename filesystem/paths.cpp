#include "filesystem/paths.h"

#include <stdio.h>
#include <string.h>

#include "core/core_state.h"
#include "platform/ov_os.h"

namespace {

struct BaseFolder {
  const char* prefix;
  char folder[OVFS_FOLDER_SIZE];
};

// In the order that virtualising tries them.
BaseFolder base_folders[] = {{"user", ""}, {"res", ""}, {"docs", ""}, {"logs", ""}, {"cache", ""}, {"ugc", ""}};
const char* const known_prefixes[] = {"res", "user", "logs", "docs", "http", "cache", "ms-appdata", "ugc"};

BaseFolder* Find(const char* prefix) {
  for (BaseFolder& base : base_folders)
    if (strcmp(base.prefix, prefix) == 0) return &base;
  return nullptr;
}

void Store(BaseFolder* base, const char* folder) {
  snprintf(base->folder, sizeof base->folder, "%s", folder ? folder : "");
  for (char* c = base->folder; *c; ++c)
    if (*c == '\\') *c = '/';
}

}  // namespace

bool OVFS_IsKnownPrefix(const char* prefix) {
  for (const char* known : known_prefixes)
    if (strcmp(known, prefix) == 0) return true;
  return false;
}

bool OVFS_HasPrefixSeparator(const char* name) {
  const char* separator = name ? strstr(name, "://") : nullptr;
  return separator && separator - name < 16;
}

bool OVFS_Prefix(const char* name, char* out) {
  out[0] = 0;
  if (!OVFS_HasPrefixSeparator(name)) return false;
  size_t length = static_cast<size_t>(strstr(name, "://") - name);
  memcpy(out, name, length);
  out[length] = 0;
  return OVFS_IsKnownPrefix(out);
}

void OVFS_SetupBasePaths(const char* developer_name, const char* program_name) {
  char executable[OVFS_FOLDER_SIZE] = ".";
  OVOS_ExecutableFolder(executable, sizeof executable);
  char app_data[OVFS_FOLDER_SIZE];
  if (!OVOS_GetUserFolder(OVOS_FOLDER_APP_DATA, app_data, sizeof app_data)) snprintf(app_data, sizeof app_data, "%s", executable);
  char user[OVFS_FOLDER_SIZE * 2];
  snprintf(user, sizeof user, "%s/%s/%s", app_data, developer_name, program_name);
  char documents[OVFS_FOLDER_SIZE * 2];
  if (!OVOS_GetUserFolder(OVOS_FOLDER_DOCUMENTS, documents, OVFS_FOLDER_SIZE) || !documents[0])
    snprintf(documents, sizeof documents, "%s/documents", user);
  char logs[OVFS_FOLDER_SIZE * 2], cache[OVFS_FOLDER_SIZE * 2];
  snprintf(logs, sizeof logs, "%s/logs", user);
  snprintf(cache, sizeof cache, "%s/cache", user);
  Store(Find("res"), executable);
  Store(Find("user"), user);
  Store(Find("docs"), documents);
  Store(Find("logs"), logs);
  Store(Find("cache"), cache);
}

bool OVFS_SetBaseFolder(const char* prefix, const char* folder) {
  BaseFolder* base = prefix ? Find(prefix) : nullptr;
  if (!base) return false;
  Store(base, folder);
  return true;
}

const char* OVFS_BaseFolder(const char* prefix) {
  BaseFolder* base = prefix ? Find(prefix) : nullptr;
  return base ? base->folder : nullptr;
}

bool OVFS_IsValidName(const char* name) {
  if (!name || name[0] == '/') return false;
  const char* colon = strchr(name, ':');
  if (colon) {
    char prefix[16];
    size_t length = static_cast<size_t>(colon - name);
    if (length >= sizeof prefix) return false;
    memcpy(prefix, name, length);
    prefix[length] = 0;
    if (!OVFS_IsKnownPrefix(prefix)) return false;
  }
  if (strstr(name, "..")) return false;
  const char* rest = name;
  if (OVFS_HasPrefixSeparator(name)) rest = strstr(name, "://") + 3;
  if (strstr(rest, "//")) return false;
  for (const char* c = rest; *c; ++c) {
    bool allowed = (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9') ||
                   strchr("_-./@ ()", *c);
    if (!allowed) return false;
  }
  return true;
}

bool OVFS_IsQuietName(const char* name) {
  if (!core.core_ready) return true;
  return name && strstr(name, "orvel-") && strstr(name, ".log");
}

bool OVFS_Resolve(const char* name, char* out, size_t out_size) {
  char prefix[16];
  if (!OVFS_Prefix(name, prefix)) return false;
  if (strcmp(prefix, "http") == 0 || strcmp(prefix, "ms-appdata") == 0) {
    snprintf(out, out_size, "%s", prefix);
    return true;
  }
  BaseFolder* base = Find(prefix);
  if (!base) return false;
  size_t limit = out_size < static_cast<size_t>(OVFS_PATH_SIZE) ? out_size : static_cast<size_t>(OVFS_PATH_SIZE);
  int length = snprintf(out, limit, "%s/%s", base->folder, strstr(name, "://") + 3);
  return length >= 0 && static_cast<size_t>(length) < limit;
}

bool OVFS_Virtualise(const char* native, char* out, size_t out_size) {
  if (!native) return false;
  for (const BaseFolder& base : base_folders) {
    size_t length = strlen(base.folder);
    if (!length) continue;
    const char* at = strstr(native, base.folder);
    if (!at) continue;
    const char* rest = at + length;
    if (*rest == '/' || *rest == '\\') ++rest;
    snprintf(out, out_size, "%s://%s", base.prefix, rest);
    return true;
  }
  return false;
}
