// The XML reader and the scrambled container, on documents in memory and on files.
#include <gtest/gtest.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "data/scrambled.h"
#include "data/xml_reader.h"

namespace {

std::vector<std::string> reports;

int OV_CALL CaptureReport(int, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  char text[2048];
  vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  reports.push_back(text);
  return 0;
}

EngineServices Services() {
  EngineServices services = {};
  services.OV_Report = CaptureReport;
  return services;
}

// The blocks of a document as text: "<name a=v ...>" ("</name>" when closing) or "text:..."
std::vector<std::string> Blocks(const std::string& body, bool* loaded = nullptr) {
  reports.clear();
  EngineServices services = Services();
  XmlReader reader(&services);
  std::string document = "<?xml version=\"1.0\"?>\n" + body;
  bool ok = reader.LoadMemory(document.data(), static_cast<int>(document.size()));
  if (loaded) *loaded = ok;
  std::vector<std::string> out;
  while (const XmlBlock* block = reader.Next()) {
    if (!block->element) {
      out.push_back(std::string("text:") + block->values[0]);
      continue;
    }
    std::string line = std::string(block->closing ? "</" : "<") + block->element;
    for (int i = 0; i < block->attribute_count; ++i) line += std::string(" ") + block->names[i] + "=" + block->values[i];
    out.push_back(line + ">");
  }
  return out;
}

bool Reported(const std::string& part) {
  for (const std::string& report : reports)
    if (report.find(part) != std::string::npos) return true;
  return false;
}

TEST(XmlReader, AcceptedDocuments) {
  struct Case {
    const char* body;
    std::vector<std::string> blocks;
  } cases[] = {
      {"<a  b = \"1\"  />\n<z/>", {"</a b=1>", "</z>"}},
      {"<root>\n  <node id=\"x\" value=\"2\">hello world</node>\n</root>\n",
       {"<root>", "<node id=x value=2>", "text:hello world", "</node>", "</root>"}},
      {"<a b1.c_d=\"x\" _=\"\"></a>", {"<a b1.c_d=x _=>", "</a>"}},
      {"<a>\n\t </a><b>  text with  spaces  </b><c/>", {"<a>", "</a>", "<b>", "text:  text with  spaces  ", "</b>", "</c>"}},
      {"<a><![CDATA[a<b>c]]></a>", {"<a>", "text:a<b>c", "</a>"}},
      {"<a><!-- a comment -->\n<b/></a>", {"<a>", "</b>", "</a>"}},
      {"<a>text &amp; \\n stays</a>", {"<a>", "text:text &amp; \\n stays", "</a>"}},
      {"<a/>trailing text is not returned", {"</a>"}},
  };
  for (const Case& c : cases) {
    bool loaded;
    EXPECT_EQ(Blocks(c.body, &loaded), c.blocks) << c.body;
    EXPECT_TRUE(loaded);
    EXPECT_TRUE(reports.empty()) << c.body << ": " << (reports.empty() ? "" : reports[0]);
  }
}

TEST(XmlReader, ValuesAreUnescaped) {
  // x \" y  &amp;&quot;  \q  ->  x " y  &"  (the unknown escape is dropped)
  std::vector<std::string> blocks = Blocks("<a v=\"x\\\"y &amp;&quot; \\q\" t=\"1\\t2\\\\\"/>\n");
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0], "</a v=x\"y &\"  t=1\t2\\>");
}

TEST(XmlReader, ParseErrorsStopReading) {
  struct Case {
    const char* body;
    const char* message;
    int blocks_before;
  } cases[] = {
      // (a tag with attributes that ends the document yields nothing at all, so each is followed by more)
      {"<a b='1'/>\n", "Expecting \" character to start value definition", 0},
      {"<a b=\"1\"c=\"2\">", "Unexpected character after value definition.", 0},
      {"<a 1b=\"x\">\n", "Reading next block (case #1)", 0},
      {"<a b-c=\"x\">\n", "Reading next block (case #1)", 0},
      {"<a>\"quoted\"!</a>", "Unexpected character after value definition.", 1},
      {"<a><<b/></a>", "not expecting another '<'", 1},
      {"<a><>", "not expecting '<' yet", 1},
      {"<a>x > y</a>", "not expecting '>'", 1},
      {"<a><![CDATA[never ends</a>", "'![CDATA[' does not end with ']]>' pattern.", 1},
      {"<a><!-- one <!-- two --></a>", "New comment block start within a comment block.", 1},
      {"<a><!-- never ends </a>", "Comment block not ended properly.", 1},
  };
  for (const Case& c : cases) {
    std::vector<std::string> blocks = Blocks(c.body);
    EXPECT_EQ(static_cast<int>(blocks.size()), c.blocks_before) << c.body;
    EXPECT_TRUE(Reported(c.message)) << c.body << ": " << (reports.empty() ? "(no report)" : reports[0]);
    EXPECT_TRUE(Reported("Parsing error (")) << c.body;
  }
  Blocks("<a b='1'/>\n");
  EXPECT_TRUE(Reported("Reading next block (case #2)"));
}

TEST(XmlReader, ParseErrorNamesTheLineAndTheSource) {
  Blocks("<a>\n<b>\n<c d=\"1\"e=\"2\"/>");
  ASSERT_FALSE(reports.empty());
  // the header line, then three more lines: the error is on line 4
  EXPECT_NE(reports[0].find("around line 4 in XML 'FromMem'. Unexpected character 'e' (65) at:"), std::string::npos)
      << reports[0];
}

TEST(XmlReader, HeaderIsRequired) {
  struct Case {
    std::string document;
    const char* message;
  } cases[] = {
      {"\xEF\xBB\xBF<?xml version=\"1.0\"?><a/>", "First char in 'FromMem' is #239"},
      {"<a/><b/>", "XML document needs to start with line like <?xml versions=... ?>. File 'FromMem' doesn't."},
      {"     \n\t   ", "XML document needs to start with line like"},
  };
  for (const Case& c : cases) {
    reports.clear();
    EngineServices services = Services();
    XmlReader reader(&services);
    EXPECT_FALSE(reader.LoadMemory(c.document.data(), static_cast<int>(c.document.size())));
    EXPECT_TRUE(Reported(c.message)) << c.document;
    EXPECT_EQ(reader.Next(), nullptr);
  }
  EngineServices services = Services();
  XmlReader reader(&services);
  EXPECT_FALSE(reader.LoadMemory("<?x", 3));  // shorter than 4 bytes
}

TEST(XmlReader, TagWithAttributesEndingTheDocumentIsLost) {
  EXPECT_EQ(Blocks("<a/><b c=\"1\">"), (std::vector<std::string>{"</a>"}));
  EXPECT_EQ(Blocks("<a/><b>"), (std::vector<std::string>{"</a>", "<b>"}));
}

TEST(XmlReader, AttributesBeyond512AreReportedAndDropped) {
  std::string body = "<many";
  for (int i = 0; i < 600; ++i) body += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
  body += "/><next/>";
  reports.clear();
  EngineServices services = Services();
  XmlReader reader(&services);
  std::string document = "<?xml?>" + body;
  ASSERT_TRUE(reader.LoadMemory(document.data(), static_cast<int>(document.size())));
  const XmlBlock* block = reader.Next();
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->attribute_count, XML_MAX_ATTRIBUTES);
  EXPECT_STREQ(block->values[511], "511");
  EXPECT_TRUE(Reported("Too many blocks (512 limit) in object 'many' in xml 'FromMem'."));
  const XmlBlock* next = reader.Next();
  ASSERT_NE(next, nullptr);
  EXPECT_STREQ(next->element, "next");
}

TEST(XmlReader, LongTextOverrunsTheTokenBuffer) {
  Blocks("<a>" + std::string(9000, 'x') + "</a>");
  EXPECT_TRUE(Reported("buffer overrun"));
}

TEST(Scrambled, RoundTripAndRefusals) {
  const std::string plain = "<?xml version=\"1.0\"?>\n<root><n v=\"scrambled\"/></root>";
  size_t wrapped_length = 0;
  unsigned char* wrapped = OVD_Wrap(plain.data(), plain.size(), &wrapped_length);
  ASSERT_NE(wrapped, nullptr);
  ASSERT_EQ(wrapped_length, plain.size() + SCRAMBLED_HEADER_SIZE);
  EXPECT_TRUE(OVD_IsScrambled(wrapped, wrapped_length));
  EXPECT_EQ(memcmp(wrapped, "42KELP_CIPHER", 14), 0);
  size_t back_length = 0;
  unsigned char* back = OVD_Unwrap(wrapped, wrapped_length, &back_length);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(back), back_length), plain);
  free(back);

  // the key repeats every 13 bytes: payload byte 13 of a run of equal bytes scrambles like byte 0
  // would, shifted by its position
  std::string zeros(14, '\0');
  size_t zeros_length;
  unsigned char* z = OVD_Wrap(zeros.data(), zeros.size(), &zeros_length);
  EXPECT_EQ(static_cast<unsigned char>(z[22 + 13] + 13), z[22 + 0]);
  free(z);

  std::vector<unsigned char> changed(wrapped, wrapped + wrapped_length);
  changed[22 + 5] ^= 1;
  EXPECT_EQ(OVD_Unwrap(changed.data(), changed.size(), &back_length), nullptr);
  std::vector<unsigned char> longer(wrapped, wrapped + wrapped_length);
  longer.push_back(0);
  EXPECT_EQ(OVD_Unwrap(longer.data(), longer.size(), &back_length), nullptr);
  EXPECT_FALSE(OVD_IsScrambled(wrapped, 21));

  // the reader unwraps scrambled files transparently
  free(wrapped);
  size_t empty_length;
  unsigned char* empty = OVD_Wrap("", 0, &empty_length);
  ASSERT_EQ(empty_length, 22u);
  EXPECT_EQ(memcmp(empty + 14, "\0\0\0\0\0\0\0\0", 8), 0);
  unsigned char* nothing = OVD_Unwrap(empty, empty_length, &back_length);
  ASSERT_NE(nothing, nullptr);
  EXPECT_EQ(back_length, 0u);
  free(nothing);
  free(empty);
}

// A file behind the service table: the whole file is handed out once.
std::string file_bytes;
FileHandle file_handle;
FileHandle* OV_CALL OpenOne(const char* name, const char*) {
  if (strcmp(name, "res://data.xml") != 0) return nullptr;
  file_handle = FileHandle{name, static_cast<int>(file_bytes.size()), nullptr};
  return &file_handle;
}
int OV_CALL ReadOne(void* buffer, int count, FileHandle*) {
  int n = count < static_cast<int>(file_bytes.size()) ? count : static_cast<int>(file_bytes.size());
  memcpy(buffer, file_bytes.data(), static_cast<size_t>(n));
  return n;
}
int OV_CALL CloseOne(FileHandle*) { return 0; }

TEST(XmlReader, LoadsPlainAndScrambledFiles) {
  EngineServices services = Services();
  services.OV_OpenFile = OpenOne;
  services.OV_ReadFile = ReadOne;
  services.OV_CloseFile = CloseOne;
  const std::string plain = "<?xml version=\"1.0\"?><root name=\"r\"/>\n";
  size_t wrapped_length;
  unsigned char* wrapped = OVD_Wrap(plain.data(), plain.size(), &wrapped_length);
  ASSERT_NE(wrapped, nullptr);
  for (const std::string& bytes : {plain, std::string(reinterpret_cast<char*>(wrapped), wrapped_length)}) {
    file_bytes = bytes;
    XmlReader reader(&services);
    ASSERT_TRUE(reader.LoadFile("res://data.xml"));
    const XmlBlock* block = reader.Next();
    ASSERT_NE(block, nullptr);
    EXPECT_STREQ(block->element, "root");
    EXPECT_STREQ(block->values[0], "r");
  }
  file_bytes = std::string(reinterpret_cast<char*>(wrapped), wrapped_length);
  file_bytes[30] ^= 0x40;  // breaks the checksum
  XmlReader broken(&services);
  EXPECT_FALSE(broken.LoadFile("res://data.xml"));
  XmlReader missing(&services);
  EXPECT_FALSE(missing.LoadFile("res://missing.xml"));
  EXPECT_FALSE(missing.LoadFile(""));
  free(wrapped);
}

}  // namespace
