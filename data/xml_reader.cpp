#include "data/xml_reader.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "data/scrambled.h"

namespace {

const int kWarning = 1;

char* Duplicate(const char* text) {
  size_t length = strlen(text);
  char* copy = static_cast<char*>(malloc(length + 1));
  memcpy(copy, text, length + 1);
  return copy;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool ValidAttributeName(const char* name, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    char c = name[i];
    bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '.';
    bool digit = c >= '0' && c <= '9';
    if (!letter && !(digit && i > 0)) return false;
  }
  return true;
}

// Backslash escapes, then &quot; and then &amp;; the value shrinks in place.
void Unescape(char* value) {
  char* out = value;
  for (const char* in = value; *in; ++in) {
    if (*in != '\\') {
      *out++ = *in;
      continue;
    }
    char next = in[1];
    if (next == 0) break;
    ++in;
    if (next == 'n') *out++ = '\n';
    else if (next == 'r') *out++ = '\r';
    else if (next == 't') *out++ = '\t';
    else if (next == '\\' || next == '"') *out++ = next;
    // any other escaped byte is dropped with its backslash
  }
  *out = 0;
  if (!strchr(value, '&')) return;
  std::string text = value;
  for (const char* entity : {"&quot;", "&amp;"}) {
    const char replacement = entity[1] == 'q' ? '"' : '&';
    for (size_t at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1))
      text.replace(at, strlen(entity), 1, replacement);
  }
  memcpy(value, text.c_str(), text.size() + 1);
}

// The closing quote of a value whose opening quote is at value[0], by the tokenizer's rule: a
// quote ends it unless a single backslash stands before it.
const char* ClosingQuote(const char* value) {
  for (const char* at = value + 1; *at; ++at) {
    if (*at != '"') continue;
    bool escaped = at[-1] == '\\' && !(at - 1 > value && at[-2] == '\\');
    if (!escaped) return at;
  }
  return nullptr;
}

}  // namespace

XmlReader::XmlReader(const EngineServices* services) : ov_(services) {
  token_ = static_cast<char*>(malloc(XML_TOKEN_SIZE));
  memset(&block_, 0, sizeof block_);
}

XmlReader::~XmlReader() {
  free(document_);
  free(token_);
  free(source_name_);
}

void XmlReader::Report(const char* format, ...) {
  char text[1024];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  if (ov_ && ov_->OV_Report) ov_->OV_Report(kWarning, "%s", text);
}

bool XmlReader::LoadFile(const char* path) {
  if (!path || !*path || !ov_) return false;
  FileHandle* file = ov_->OV_OpenFile(path, "rb");
  if (!file) return false;
  int size = file->size > 0 ? file->size : 0;
  char* bytes = static_cast<char*>(malloc(static_cast<size_t>(size) + 1));
  if (!bytes) {
    ov_->OV_CloseFile(file);
    return false;
  }
  int got = ov_->OV_ReadFile(bytes, size, file);
  ov_->OV_CloseFile(file);
  size = got > 0 ? got : 0;
  bytes[size] = 0;
  free(source_name_);
  free(document_);
  source_name_ = Duplicate(path);
  document_ = bytes;
  length_ = size;
  ok_ = true;
  if (OVD_IsScrambled(document_, static_cast<size_t>(length_))) {
    size_t plain_length = 0;
    unsigned char* plain = OVD_Unwrap(document_, static_cast<size_t>(length_), &plain_length);
    if (!plain || plain_length > 0x7ffffffe) {
      free(plain);
      ok_ = false;
      return false;
    }
    char* with_nul = static_cast<char*>(realloc(plain, plain_length + 1));
    with_nul[plain_length] = 0;
    free(document_);
    document_ = with_nul;
    length_ = static_cast<int>(plain_length);
  }
  position_ = 0;
  return CheckHeader();
}

bool XmlReader::LoadMemory(const void* bytes, int length) {
  if (!bytes || length < 4) return false;
  free(source_name_);
  free(document_);
  source_name_ = Duplicate("FromMem");
  document_ = static_cast<char*>(malloc(static_cast<size_t>(length) + 1));
  memcpy(document_, bytes, static_cast<size_t>(length));
  document_[length] = 0;
  length_ = length;
  position_ = 0;
  ok_ = true;
  return CheckHeader();
}

bool XmlReader::CheckHeader() {
  int at = 0;
  while (at < length_ - 1 && IsBlank(document_[at])) ++at;
  if (at < length_ - 1 && document_[at] != '<') {
    unsigned char first = static_cast<unsigned char>(document_[at]);
    Report("First non-whitespace char in XML document needs to be '<'. First char in '%s' is #%d '%c'. Note: UTF8 BOM is not supported.\n",
           source_name_, first, first);
    ok_ = false;
    return false;
  }
  if (at < length_ - 1) {
    for (int end = at + 2; end < length_ - 1; ++end) {
      if (document_[end] == '?' && document_[end + 1] == '>') {
        position_ = end + 2;
        return true;
      }
    }
  }
  Report("XML document needs to start with line like <?xml versions=... ?>. File '%s' doesn't.", source_name_);
  ok_ = false;
  return false;
}

void XmlReader::ParseError(const char* message, char offending) {
  int line = 1;
  for (int i = 0; i < position_ && i < length_; ++i) line += document_[i] == '\n';
  int from = position_ > 0 ? position_ - 1 : 0;
  if (from > length_) from = length_;
  char excerpt[255];
  snprintf(excerpt, sizeof excerpt, "%.254s", document_ + from);
  Report("Parsing error (%s) around line %d in XML '%s'. Unexpected character '%c' (%x) at:\n'%s'", message, line,
         source_name_, offending, static_cast<unsigned char>(offending), excerpt);
  position_ = length_;
  ok_ = false;
}

void XmlReader::Append(char c) {
  if (token_length_ < XML_TOKEN_SIZE - 1) token_[token_length_++] = c;
}

// One token: a normalised tag such as <node id="a"/>, a run of text, or CDATA content (which
// stays in the document).
const char* XmlReader::Token() {
  bool in_tag = false, in_quotes = false;
  token_length_ = 0;
  char* t = token_;
  while (position_ < length_) {
    char c = document_[position_++];
    if (c == '!' && strncmp(document_ + position_ - 1, "![CDATA[", 8) == 0) {
      const char* start = document_ + position_ - 1 + 8;
      const char* end = strstr(start, "]]>");
      if (!end || end > document_ + length_) {
        ParseError("'![CDATA[' does not end with ']]>' pattern.", c);
        return nullptr;
      }
      document_[end - document_] = 0;
      position_ = static_cast<int>(end - document_) + 3;
      return start;
    }
    int n = token_length_;
    if (in_quotes) {
      bool escaped = n > 0 && t[n - 1] == '\\' && !(n > 1 && t[n - 2] == '\\');
      if (c == '"' && !escaped) {
        in_quotes = false;
        char next = position_ < length_ ? document_[position_] : 0;
        if (!next || !strchr(">/?\n\t \r", next)) {
          ParseError("Unexpected character after value definition.", next);
          return nullptr;
        }
      }
      Append(c);
      continue;
    }
    if (c == '"') {
      in_quotes = true;
      Append(c);
      continue;
    }
    if (in_tag) {
      if (c == '\t' || c == '\r' || c == '\n') c = ' ';
      if (c != ' ' && n > 0 && t[n - 1] == '<') {
        if (c == '<') {
          ParseError("not expecting another '<'", c);
          return nullptr;
        }
        if (c == '>') {
          ParseError("not expecting '<' yet", c);
          return nullptr;
        }
        Append(c);
        continue;
      }
      if (c == ' ' && (n == 0 || t[n - 1] == ' ' || t[n - 1] == '<' || t[n - 1] == '=')) continue;
      if (c == '>' && n >= 2 && t[n - 2] == ' ' && t[n - 1] == '/') {
        t[n - 2] = '/';
        t[n - 1] = '>';
        token_length_ = n;
        t[token_length_] = 0;
        return t;
      }
      if (c == '>' && n >= 1 && t[n - 1] == ' ') {
        t[n - 1] = '>';
        t[n] = 0;
        return t;
      }
      if (n >= 4 && memcmp(t + n - 4, "<!--", 4) == 0) {
        token_length_ = n - 4;
        int search = position_ - 2;  // the last '-' of "<!--"
        bool ended = false;
        for (; search + 2 < length_; ++search) {
          if (strncmp(document_ + search, "-->", 3) == 0) {
            position_ = search + 3;
            ended = true;
            break;
          }
          if (search > position_ - 2 && strncmp(document_ + search, "<!-", 3) == 0) {
            position_ = search + 1;
            ParseError("New comment block start within a comment block.", document_[search]);
            return nullptr;
          }
        }
        if (!ended) {
          position_ = length_;
          ParseError("Comment block not ended properly.", c);
          return nullptr;
        }
        continue;
      }
      if (c == '=' && n > 0 && t[n - 1] == ' ') --token_length_;
      Append(c);
      if (c == '>') {
        t[token_length_] = 0;
        return t;
      }
      continue;
    }
    if (c == '>') {
      ParseError("not expecting '>'", c);
      return nullptr;
    }
    if (c != '<') {
      if (n >= XML_TOKEN_SIZE - 1) {
        ParseError("buffer overrun", c);
        return nullptr;
      }
      Append(c);
      continue;
    }
    bool blank = true;
    for (int i = 0; i < n && blank; ++i) blank = IsBlank(t[i]);
    if (!blank) {
      --position_;
      t[n] = 0;
      return t;
    }
    token_length_ = 0;
    Append('<');
    in_tag = true;
  }
  return nullptr;  // what follows the last complete token is not returned
}

// After the 512th attribute of one element further attributes are still checked but dropped.
const XmlBlock* XmlReader::BlockFromToken(char* token) {
  XmlBlock& b = block_;
  b.element = nullptr;
  b.attribute_count = 0;
  b.closing = false;
  if (token[0] != '<' || token[1] == '!') {
    b.attribute_count = 1;
    b.names[0] = "DATA";
    b.values[0] = token;
    return &b;
  }
  char* p = token + 1;
  if (*p == '/') {
    b.closing = true;
    ++p;
  }
  b.element = p;
  while (*p && *p != ' ' && *p != '>') ++p;
  if (*p != ' ') {
    if (*p == '>' && p > b.element && p[-1] == '/') {
      b.closing = true;
      p[-1] = 0;
    }
    *p = 0;
    return &b;
  }
  *p++ = 0;
  bool reported = false;
  for (;;) {
    if (position_ >= length_) return nullptr;  // a tag with attributes that ends the document
    if (*p == 0 || *p == '>' || (p[0] == '/' && p[1] == '>')) {
      if (*p == '/') b.closing = true;
      return &b;
    }
    char* equals = strchr(p, '=');
    if (!equals || !ValidAttributeName(p, static_cast<size_t>(equals - p))) {
      ParseError("Reading next block (case #1)", equals ? *p : p[0]);
      return nullptr;
    }
    *equals = 0;
    char* value = equals + 1;
    if (*value != '"') {
      ParseError("Expecting \" character to start value definition (all values must be defined name=\"value\" with quotes).",
                 *value);
      Report("Reading next block (case #2)");
      return nullptr;
    }
    char* quote = const_cast<char*>(ClosingQuote(value));
    if (!quote) {
      ParseError("Reading next block (case #2)", *value);
      return nullptr;
    }
    char* end = quote + 1;
    char after = *end;
    bool self_closing = end[0] == '/' && end[1] == '>';
    *quote = 0;
    Unescape(value + 1);
    if (b.attribute_count < XML_MAX_ATTRIBUTES) {
      b.names[b.attribute_count] = p;
      b.values[b.attribute_count] = value + 1;
      ++b.attribute_count;
      if (b.attribute_count == XML_MAX_ATTRIBUTES && !reported) {
        Report("Too many blocks (%d limit) in object '%s' in xml '%s'.", XML_MAX_ATTRIBUTES, b.element, source_name_);
        reported = true;
      }
    }
    if (self_closing) {
      b.closing = true;
      return &b;
    }
    if (after == '>' || after == 0 || after == '?') return &b;
    p = after == ' ' ? end + 1 : end;
  }
}

const XmlBlock* XmlReader::Next() {
  if (!token_ || !ok_ || !document_) return nullptr;
  const char* token = Token();
  if (!token) return nullptr;
  return BlockFromToken(const_cast<char*>(token));
}
