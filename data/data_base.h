// The data base: named arrays of nodes of named text parameters, loaded from XML (root, array,
// node) or CSV files and written back as XML. Loaded data bases live in a process-wide registry
// under their file name. Files and reports go through the service table it is given, so the same
// code serves the runtime and extension modules. No lock: one thread at a time.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/orvel.h"

// An owned text that may be absent.
struct DataText {
  bool present = false;
  std::string text;
  DataText() = default;
  DataText(const char* value) : present(value != nullptr), text(value ? value : "") {}  // NOLINT
  const char* c_str() const { return present ? text.c_str() : nullptr; }
  bool Is(const char* value) const { return value ? present && text == value : !present; }
};

struct DataParameter {
  DataText name;
  DataText value;
};

class DataNode {
 public:
  DataText id;
  std::vector<DataParameter> parameters;
  const char* GetParameter(const char* name) const;
  void SetParameter(const char* name, const char* value);
};

class DataArray {
 public:
  DataText id;
  std::vector<DataParameter> attributes;
  std::vector<std::unique_ptr<DataNode>> nodes;
  DataNode* FindNode(const char* id) const;
  DataNode* NodeAt(int index) const;
  int IndexOfNode(const char* id) const;
  const char* GetNodeParameter(const char* node_id, const char* name) const;
  DataNode* AddNode();
  void SetAttribute(const char* name, const char* value);
};

class DataManager {
 public:
  explicit DataManager(const EngineServices* services, const char* name = nullptr);
  DataText name;
  std::vector<std::unique_ptr<DataArray>> arrays;

  bool Load(const char* file_name);
  bool LoadXmlFromMemory(const void* bytes, int length);
  DataArray* FindArray(const char* id) const;
  DataArray* AddArray(const char* id);
  const char* GetParameter(const char* array_id, const char* node_id, const char* name) const;
  std::string BuildXmlText() const;
  // Writes the XML text (scrambled when asked) to a temporary name beside the path and renames it
  // over the old file only when everything was written, so the old file survives any failure.
  bool Save(const char* path, bool scramble) const;
  int NodeCount() const;

 private:
  bool LoadXml(class XmlReader& reader, const char* file_name);
  bool LoadCsv(const char* file_name);
  void Fail(const char* format, ...);
  const EngineServices* ov_;
};

// Replaces a file by another; the runtime sets one that resolves virtual paths (extension
// modules, which never save, leave it unset and saving writes in place).
typedef bool (*DataRenameFunction)(const char* from, const char* to);
void OVD_SetRenameFunction(DataRenameFunction rename);

// The registry.
DataManager* OVD_GetDataBase(const EngineServices* services, const char* name);
DataManager* OVD_GetEmptyDataBase(const EngineServices* services, const char* name);
void OVD_UnloadDataBase(const char* name);
