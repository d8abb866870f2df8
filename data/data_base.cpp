#include "data/data_base.h"

#include <ctype.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "data/scrambled.h"
#include "data/xml_reader.h"

namespace {

const int kWarning = 1;
DataRenameFunction rename_function;
std::vector<std::unique_ptr<DataManager>> registry;

const char* Shown(const char* text) { return text ? text : "(null)"; }

bool EndsWithIgnoringCase(const char* text, const char* ending) {
  size_t length = strlen(text), tail = strlen(ending);
  if (length < tail) return false;
  for (size_t i = 0; i < tail; ++i)
    if (tolower(static_cast<unsigned char>(text[length - tail + i])) != ending[i]) return false;
  return true;
}

void SetIn(std::vector<DataParameter>& list, const char* name, const char* value) {
  for (DataParameter& parameter : list) {
    if (!parameter.name.Is(name)) continue;
    if (value) parameter.value = DataText(value);
    return;
  }
  list.push_back(DataParameter{DataText(name), DataText(value)});
}

// Sequential fields of a CSV file: ';' ends a field, a line feed ends a field and a line, a
// carriage return is dropped.
class CsvReader {
 public:
  CsvReader(const EngineServices* ov, FileHandle* file) : ov_(ov), file_(file) {}
  bool AtEnd() { return ov_->OV_TellFile(file_) >= file_->size; }
  // False when the field is missing: at or after the end of the file, or shorter than 2 bytes
  // when the end of the file ends it.
  bool Field(size_t limit, std::string* out) {
    out->clear();
    if (AtEnd()) return false;
    size_t length = 0;
    for (;;) {
      if (AtEnd()) return length >= 2;
      char c = static_cast<char>(ov_->OV_ReadFileByte(file_));
      if (c == ';' || c == '\n') return true;
      if (c == '\r') continue;
      ++length;
      if (out->size() < limit) *out += c;
    }
  }

 private:
  const EngineServices* ov_;
  FileHandle* file_;
};

}  // namespace

const char* DataNode::GetParameter(const char* name) const {
  if (!name) return nullptr;
  for (const DataParameter& parameter : parameters)
    if (parameter.name.Is(name)) return parameter.value.c_str();
  return nullptr;
}

void DataNode::SetParameter(const char* name, const char* value) {
  if (!name) return;
  if (strcmp(name, "id") == 0 && value) id = DataText(value);
  SetIn(parameters, name, value);
}

DataNode* DataArray::FindNode(const char* node_id) const {
  if (!node_id) return nullptr;
  for (const auto& node : nodes)
    if (node->id.Is(node_id)) return node.get();
  return nullptr;
}

DataNode* DataArray::NodeAt(int index) const {
  return index >= 0 && index < static_cast<int>(nodes.size()) ? nodes[static_cast<size_t>(index)].get() : nullptr;
}

int DataArray::IndexOfNode(const char* node_id) const {
  if (!node_id) return -1;
  for (size_t i = 0; i < nodes.size(); ++i)
    if (nodes[i]->id.Is(node_id)) return static_cast<int>(i);
  return -1;
}

const char* DataArray::GetNodeParameter(const char* node_id, const char* name) const {
  DataNode* node = FindNode(node_id);
  return node ? node->GetParameter(name) : nullptr;
}

DataNode* DataArray::AddNode() {
  nodes.push_back(std::make_unique<DataNode>());
  return nodes.back().get();
}

void DataArray::SetAttribute(const char* attribute, const char* value) {
  if (attribute) SetIn(attributes, attribute, value);
}

DataManager::DataManager(const EngineServices* services, const char* manager_name)
    : name(manager_name), ov_(services) {}

void DataManager::Fail(const char* format, ...) {
  arrays.clear();
  char text[2048];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  if (ov_ && ov_->OV_Report) ov_->OV_Report(kWarning, "%s", text);
}

DataArray* DataManager::FindArray(const char* id) const {
  for (const auto& array : arrays)
    if (array->id.Is(id)) return array.get();
  return nullptr;
}

DataArray* DataManager::AddArray(const char* id) {
  arrays.push_back(std::make_unique<DataArray>());
  arrays.back()->id = DataText(id);
  return arrays.back().get();
}

const char* DataManager::GetParameter(const char* array_id, const char* node_id, const char* parameter) const {
  DataArray* array = FindArray(array_id);
  return array ? array->GetNodeParameter(node_id, parameter) : nullptr;
}

int DataManager::NodeCount() const {
  int count = 0;
  for (const auto& array : arrays) count += static_cast<int>(array->nodes.size());
  return count;
}

bool DataManager::Load(const char* file_name) {
  name = DataText(file_name ? file_name : "");
  const char* path = name.c_str();
  if (strlen(path) < 4) return false;
  if (EndsWithIgnoringCase(path, ".xml") || EndsWithIgnoringCase(path, ".dat")) {
    XmlReader reader(ov_);
    if (!reader.LoadFile(path)) {
      Fail("XML Array File '%s' not found!", path);
      return false;
    }
    return LoadXml(reader, path);
  }
  if (EndsWithIgnoringCase(path, ".csv")) return LoadCsv(path);
  Fail("Unknown database file type '%s'.\nSupported formats are: .csv .xml", path);
  return false;
}

bool DataManager::LoadXmlFromMemory(const void* bytes, int length) {
  XmlReader reader(ov_);
  if (!reader.LoadMemory(bytes, length)) return false;
  return LoadXml(reader, name.present ? name.c_str() : "FromMem");
}

bool DataManager::LoadXml(XmlReader& reader, const char* file) {
  auto is = [](const XmlBlock* block, const char* element) { return block->element && strcmp(block->element, element) == 0; };
  const XmlBlock* block = reader.Next();
  if (!block || !is(block, "root") || block->closing) {
    Fail("DataManager: XML database needs to be contained within 'root' block (not expecting '%s'). '%s' is invalid.",
         block ? Shown(block->element) : "(nothing)", file);
    return false;
  }
  int node_count = 0;
  for (;;) {
    block = reader.Next();
    if (!block) {
      Fail("DataManager: XML database needs to end with root block closing. '%s' is invalid.", file);
      return false;
    }
    if (is(block, "root") && block->closing) {
      if (reader.Next()) {
        Fail("DataManager: No blocks can exist after </root>. '%s' is invalid.", file);
        return false;
      }
      if (ov_ && ov_->OV_Log)
        ov_->OV_Log("%d Arrays loaded with total %d nodes.", static_cast<int>(arrays.size()), node_count);
      return true;
    }
    if (is(block, "array") && block->closing) continue;
    if (!is(block, "array")) {
      Fail("DataManager: root/array/node structure violated. '%s' is not 'array'. '%s' is invalid.",
           Shown(block->element), file);
      return false;
    }
    DataArray* array = AddArray(nullptr);
    for (int i = 0; i < block->attribute_count; ++i) {
      if (strcmp(block->names[i], "id") == 0) array->id = DataText(block->values[i]);
      else array->SetAttribute(block->names[i], block->values[i]);
    }
    // The nodes of the array; `pending` is a block read after a node that the next pass handles.
    const XmlBlock* pending = nullptr;
    for (;;) {
      block = pending ? pending : reader.Next();
      pending = nullptr;
      if (!block) {
        Fail("DataManager: File '%s' ends unexpectedly. Not loaded.", file);
        return false;
      }
      if (!is(block, "array") && !is(block, "node")) {
        Fail("DataManager: in '%s' is expecting to find two types of elements inside root: 'array' and 'node'. '%s' is not one of them.",
             file, Shown(block->element));
        return false;
      }
      if (is(block, "array")) {
        if (block->closing) break;
        Fail("DataManager: in '%s' an 'array' starts inside another array. '%s' is invalid.", file, file);
        return false;
      }
      DataNode* node = array->AddNode();
      ++node_count;
      node->parameters.reserve(static_cast<size_t>(block->attribute_count) + 1);  // and DATA
      for (int i = 0; i < block->attribute_count; ++i) {
        if (strcmp(block->names[i], "id") == 0) node->id = DataText(block->values[i]);
        node->parameters.push_back(DataParameter{DataText(block->names[i]), DataText(block->values[i])});
      }
      bool self_closing = block->closing;
      std::string node_id = node->id.present ? node->id.text : "(null)";
      const XmlBlock* next = reader.Next();
      if (!next) {
        Fail("DataManager: error parsing file '%s' after node #%d with id '%s'.", file, node_count, node_id.c_str());
        return false;
      }
      if (!next->element) {
        node->parameters.push_back(DataParameter{DataText("DATA"), DataText(next->values[0])});
        reader.Next();  // the closing node, not examined
        continue;
      }
      bool closes_node = is(next, "node") && next->closing;
      if (!self_closing && !closes_node) {
        Fail("DataManager: error parsing file '%s' after node #%d with id '%s'. Basic root/array/node structure violated.",
             file, node_count, node_id.c_str());
        return false;
      }
      if (!(closes_node && next->attribute_count == 0)) pending = next;
    }
  }
}

bool DataManager::LoadCsv(const char* file) {
  FileHandle* handle = ov_ ? ov_->OV_OpenFile(file, "rb") : nullptr;
  if (!handle) {
    Fail("CSV Array File '%s' not found!", file);
    return false;
  }
  // The columns: the separators of the first line, one more when that line ends with a line feed.
  int columns = 0;
  bool line_feed = false;
  while (ov_->OV_TellFile(handle) < handle->size) {
    char c = static_cast<char>(ov_->OV_ReadFileByte(handle));
    if (c == '\n') {
      line_feed = true;
      break;
    }
    if (c == ';') ++columns;
  }
  if (line_feed) ++columns;
  ov_->OV_SeekFile(handle, 0, 0);
  CsvReader reader(ov_, handle);
  std::vector<std::string> names(static_cast<size_t>(columns));
  for (std::string& column : names) reader.Field(511, &column);
  DataArray* array = AddArray(nullptr);
  // Without a column nothing would be read per row; such a file has no rows.
  while (columns > 0 && !reader.AtEnd()) {
    DataNode* node = array->AddNode();
    for (const std::string& column : names) {
      std::string value;
      bool present = reader.Field(4095, &value);
      node->parameters.push_back(DataParameter{DataText(column.c_str()), present ? DataText(value.c_str()) : DataText()});
    }
  }
  ov_->OV_CloseFile(handle);
  if (ov_->OV_Log) ov_->OV_Log("%d CSV Arrays loaded with total %d nodes.", 1, static_cast<int>(array->nodes.size()));
  return true;
}

std::string DataManager::BuildXmlText() const {
  std::string out;
  out.reserve(16384);
  char piece[4096];
  auto add = [&](const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(piece, sizeof piece, format, arguments);
    va_end(arguments);
    out += piece;
  };
  add("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n");
  add("<root>\n");
  for (const auto& array : arrays) {
    add("\n");
    add("\t<array id=\"%s\"", Shown(array->id.c_str()));
    for (const DataParameter& attribute : array->attributes)
      add(" %s=\"%s\"", Shown(attribute.name.c_str()), Shown(attribute.value.c_str()));
    add(">\n");
    for (const auto& node : array->nodes) {
      bool long_node = node->parameters.size() > 5;
      const DataParameter* data = nullptr;
      add("\t\t<node ");
      for (const DataParameter& parameter : node->parameters) {
        if (parameter.name.Is("DATA")) {
          data = &parameter;
          continue;
        }
        add("%s=\"%s\" ", Shown(parameter.name.c_str()), Shown(parameter.value.c_str()));
        if (long_node) add("\n\t\t ");
      }
      if (data) add(">%s</node>\n", Shown(data->value.c_str()));
      else add("/>\n");
      if (long_node) add("\n");
    }
    add("\t</array>\n");
  }
  add("</root>\n");
  return out;
}

bool DataManager::Save(const char* path, bool scramble) const {
  if (!ov_ || !path) return false;
  std::string target = rename_function ? std::string(path) + ".tmp" : path;
  FileHandle* file = ov_->OV_OpenFile(target.c_str(), "wb");
  if (!file) {
    bool prefixed = strncmp(path, "res://", 6) == 0 || strncmp(path, "user://", 7) == 0;
    ov_->OV_Report(kWarning,
                   prefixed ? "Unable to open file '%s' for writing."
                            : "Unable to open file '%s' for writing. The filename needs to be absolute file system target such as res://data/file.xml.",
                   path);
    return false;
  }
  std::string text = BuildXmlText();
  const void* bytes = text.data();
  size_t length = text.size();
  unsigned char* wrapped = nullptr;
  if (scramble) {
    wrapped = OVD_Wrap(text.data(), text.size(), &length);
    bytes = wrapped;
  }
  bool written = bytes && ov_->OV_WriteFile(bytes, static_cast<int>(length), file) == static_cast<int>(length);
  free(wrapped);
  ov_->OV_CloseFile(file);
  if (!rename_function) return written;
  if (!written || !rename_function(target.c_str(), path)) {
    ov_->OV_DeleteFile(target.c_str());
    ov_->OV_Report(kWarning, "DataManager: Unable to write '%s'; the previous file is kept.", path);
    return false;
  }
  return true;
}

void OVD_SetRenameFunction(DataRenameFunction rename) { rename_function = rename; }

DataManager* OVD_GetEmptyDataBase(const EngineServices* services, const char* name) {
  DataText wanted(name);
  for (const auto& data_base : registry)
    if (data_base->name.Is(wanted.c_str())) return data_base.get();
  registry.push_back(std::make_unique<DataManager>(services, name));
  return registry.back().get();
}

DataManager* OVD_GetDataBase(const EngineServices* services, const char* name) {
  DataText wanted(name);
  for (const auto& data_base : registry)
    if (data_base->name.Is(wanted.c_str())) return data_base.get();
  registry.push_back(std::make_unique<DataManager>(services, name));
  DataManager* data_base = registry.back().get();
  data_base->Load(name);
  return data_base;
}

void OVD_UnloadDataBase(const char* name) {
  for (size_t i = 0; i < registry.size(); ++i) {
    if (!registry[i]->name.Is(name)) continue;
    registry.erase(registry.begin() + static_cast<long>(i));
    return;
  }
}
