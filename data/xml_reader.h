// The engine's XML reader: it loads a whole document and hands it out block by block, an element
// tag with its attributes or a run of text. No tree, no namespaces, no document type; two
// entities (&quot; and &amp;); a mandatory "<?xml ... ?>" first line. Scrambled documents are
// unwrapped on load. Files and reports go through the service table, so the reader works the
// same in the runtime and in extension modules.
#pragma once

#include "core/orvel.h"

enum { XML_TOKEN_SIZE = 8192, XML_MAX_ATTRIBUTES = 512 };

struct XmlBlock {
  const char* element;  // null for a text block
  int attribute_count;  // a text block has one attribute "DATA" holding the text
  const char* names[XML_MAX_ATTRIBUTES];
  const char* values[XML_MAX_ATTRIBUTES];
  bool closing;  // "</name>" and "<name .../>"
};

class XmlReader {
 public:
  explicit XmlReader(const EngineServices* services);
  ~XmlReader();
  XmlReader(const XmlReader&) = delete;
  XmlReader& operator=(const XmlReader&) = delete;

  // Reads the whole file; false without a message when it cannot be opened (the caller reports).
  bool LoadFile(const char* path);
  bool LoadMemory(const void* bytes, int length);  // source name "FromMem"
  // The next block, valid until the next call; null at the end or after a parse error.
  const XmlBlock* Next();
  bool ok() const { return ok_; }

 private:
  bool CheckHeader();
  const char* Token();
  const XmlBlock* BlockFromToken(char* token);
  void ParseError(const char* message, char offending);
  void Append(char c);
  void Report(const char* format, ...);

  const EngineServices* ov_;
  char* source_name_ = nullptr;
  char* document_ = nullptr;
  int length_ = 0;
  int position_ = 0;
  char* token_;
  int token_length_ = 0;
  XmlBlock block_;
  bool ok_ = false;
};
