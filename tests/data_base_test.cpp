// Data bases loaded from XML and CSV files through the file API, written back and saved.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/log.h"
#include "core/service_table.h"
#include "data/data_base.h"
#include "data/scrambled.h"
#include "tests/support/file_system_fixture.h"

namespace {

class DataBase : public FileSystemFixture {
 protected:
  void SetUp() override {
    FileSystemFixture::SetUp();
    OVD_SetRenameFunction(OVFS_RenameFile);
  }
  // A fresh data base (not registered) loaded from a file with this text.
  std::unique_ptr<DataManager> LoadText(const std::string& text, const char* name = "user://db.xml") {
    Write(name, text);
    auto data_base = std::make_unique<DataManager>(&service_table);
    data_base->Load(name);
    return data_base;
  }
};

const char* kHeader = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n";

TEST_F(DataBase, XmlArraysNodesAndParameters) {
  auto db = LoadText(std::string(kHeader) +
                     "<root>\n  <array id=\"levels\" other=\"x\">\n    <node id=\"first\" name=\"value\" />\n"
                     "    <node id=\"second\">text content</node>\n    <node id=\"a\" id=\"b\"/>\n  </array>\n"
                     "  <array id=\"empty\"></array>\n</root>\n");
  ASSERT_EQ(db->arrays.size(), 2u);
  DataArray* levels = db->FindArray("levels");
  ASSERT_NE(levels, nullptr);
  ASSERT_EQ(levels->attributes.size(), 1u);
  EXPECT_STREQ(levels->attributes[0].value.c_str(), "x");
  EXPECT_STREQ(db->GetParameter("levels", "first", "name"), "value");
  EXPECT_STREQ(db->GetParameter("levels", "second", "DATA"), "text content");
  EXPECT_EQ(levels->IndexOfNode("second"), 1);
  EXPECT_EQ(levels->IndexOfNode("none"), -1);
  DataNode* doubled = levels->NodeAt(2);
  ASSERT_NE(doubled, nullptr);
  EXPECT_STREQ(doubled->id.c_str(), "b");
  EXPECT_EQ(doubled->parameters.size(), 2u);
  EXPECT_EQ(levels->NodeAt(3), nullptr);
  EXPECT_EQ(Logged("2 Arrays loaded with total 3 nodes."), 1);
}

TEST_F(DataBase, StructureViolationsEmptyTheDataBase) {
  struct Case {
    const char* body;
    const char* message;
  } cases[] = {
      {"<top></top>", "XML database needs to be contained within 'root' block (not expecting 'top')"},
      {"<root><array id=\"a\"><node id=\"1\"></node>text<node id=\"2\"/></array></root>\n",
       "is expecting to find two types of elements inside root: 'array' and 'node'. '(null)' is not one of them."},
      {"<root><array id=\"a\"></array>text<array id=\"b\"></array></root>\n", "'(null)' is not 'array'."},
      {"<root><array id=\"a\"></array></root><root></root>\n", "No blocks can exist after </root>."},
      {"<root><array id=\"a\"><node id=\"1\"></array></root>\n", "Basic root/array/node structure violated."},
      {"<root><array id=\"a\">\n", "ends unexpectedly. Not loaded."},
      {"<root><array id=\"a\"><node id=\"1\"/>\n", "error parsing file 'user://db.xml' after node #1 with id '1'."},
      {"<root><array id=\"a\"></array>\n", "XML database needs to end with root block closing."},
      {"<root><array id=\"a\"><array id=\"b\"></array></array></root>\n", "starts inside another array"},
  };
  for (const Case& c : cases) {
    CapturedLog().clear();
    auto db = LoadText(std::string(kHeader) + c.body);
    EXPECT_TRUE(db->arrays.empty()) << c.body;
    EXPECT_GE(Logged(c.message), 1) << c.body << (CapturedLog().empty() ? "" : ": " + CapturedLog()[0]);
  }
}

TEST_F(DataBase, RegistryLoadsOnceAndDispatchesOnTheEnding) {
  DataManager* missing = OVD_GetDataBase(&service_table, "user://missing.xml");
  EXPECT_EQ(Logged("XML Array File 'user://missing.xml' not found!"), 2);  // report and its popup
  EXPECT_EQ(OVD_GetDataBase(&service_table, "user://missing.xml"), missing);
  EXPECT_EQ(Logged("not found!"), 2);
  EXPECT_TRUE(missing->arrays.empty());
  OVD_UnloadDataBase("user://missing.xml");

  Write("user://upper.DAT", std::string(kHeader) + "<root><array id=\"a\"><node id=\"n\" v=\"1\"/></array></root>\n");
  DataManager* upper = OVD_GetDataBase(&service_table, "user://upper.DAT");
  EXPECT_STREQ(upper->GetParameter("a", "n", "v"), "1");
  OVD_UnloadDataBase("user://upper.DAT");
  DataManager text(&service_table);
  EXPECT_FALSE(text.Load("user://notes.txt"));
  EXPECT_GE(Logged("Unknown database file type 'user://notes.txt'."), 1);
  EXPECT_GE(Logged("Supported formats are: .csv .xml"), 1);
  EXPECT_FALSE(text.Load("a.x"));
}

TEST_F(DataBase, CsvRowsBecomeNodesOfOneArray) {
  struct Case {
    const char* text;
    std::vector<std::vector<const char*>> rows;  // values of columns a, b (null: absent)
  } cases[] = {
      {"a;b\n1;2\n3;4\n", {{"1", "2"}, {"3", "4"}}},
      {"a;b\r\n1;2\r\n3;45", {{"1", "2"}, {"3", "45"}}},
      {"a;b\n1;2\n3;4", {{"1", "2"}, {"3", nullptr}}},  // a last field of one byte is missing
      {"a;b\n1;;\n", {{"1", ""}, {"", nullptr}}},  // fields run on in sequence: the line feed ends a
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Write("user://table.csv", c.text);
    DataManager db(&service_table);
    ASSERT_TRUE(db.Load("user://table.csv"));
    DataArray* array = db.FindArray(nullptr);
    ASSERT_NE(array, nullptr);
    ASSERT_EQ(array->nodes.size(), c.rows.size());
    for (size_t i = 0; i < c.rows.size(); ++i) {
      const DataNode& node = *array->nodes[i];
      EXPECT_FALSE(node.id.present);
      ASSERT_EQ(node.parameters.size(), 2u);
      EXPECT_STREQ(node.parameters[0].name.c_str(), "a");
      EXPECT_STREQ(node.parameters[1].name.c_str(), "b");
      for (int column = 0; column < 2; ++column) {
        const char* expected = c.rows[i][static_cast<size_t>(column)];
        const char* value = node.parameters[static_cast<size_t>(column)].value.c_str();
        if (expected) {
          ASSERT_NE(value, nullptr);
          EXPECT_STREQ(value, expected);
        } else {
          EXPECT_EQ(value, nullptr);
        }
      }
    }
  }
  // Without a line feed the columns are only the separators: two names, the rest is a row.
  Write("user://one-line.csv", "just;a;header");
  DataManager db(&service_table);
  EXPECT_TRUE(db.Load("user://one-line.csv"));
  ASSERT_EQ(db.arrays[0]->nodes.size(), 1u);
  EXPECT_STREQ(db.arrays[0]->nodes[0]->GetParameter("just"), "header");
  EXPECT_EQ(db.arrays[0]->nodes[0]->GetParameter("a"), nullptr);
}

TEST_F(DataBase, WriterOutputByteForByte) {
  DataManager db(&service_table);
  DataArray* array = db.AddArray("list");
  array->SetAttribute("kind", "k");
  DataNode* text = array->AddNode();
  text->SetParameter("id", "a");
  text->SetParameter("DATA", "hello");
  DataNode* wide = array->AddNode();
  for (const char* name : {"id", "p1", "p2", "p3", "p4", "p5"}) wide->SetParameter(name, "v");
  EXPECT_EQ(db.BuildXmlText(),
            "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n\n\t<array id=\"list\" kind=\"k\">\n"
            "\t\t<node id=\"a\" >hello</node>\n"
            "\t\t<node id=\"v\" \n\t\t p1=\"v\" \n\t\t p2=\"v\" \n\t\t p3=\"v\" \n\t\t p4=\"v\" \n\t\t p5=\"v\" \n\t\t />\n\n"
            "\t</array>\n</root>\n");
  EXPECT_STREQ(wide->id.c_str(), "v");
}

TEST_F(DataBase, SaveAndLoadBackPlainAndScrambled) {
  DataManager db(&service_table);
  DataNode* node = db.AddArray("scores")->AddNode();
  node->SetParameter("id", "me");
  node->SetParameter("points", "120");
  for (bool scramble : {false, true}) {
    SCOPED_TRACE(scramble);
    ASSERT_TRUE(db.Save("user://saved.xml", scramble));
    std::string bytes = Read("user://saved.xml");
    EXPECT_EQ(OVD_IsScrambled(bytes.data(), bytes.size()), scramble);
    EXPECT_EQ(Read("user://saved.xml.tmp"), "(none)");
    DataManager back(&service_table);
    ASSERT_TRUE(back.Load("user://saved.xml"));
    EXPECT_STREQ(back.GetParameter("scores", "me", "points"), "120");
  }
}

TEST_F(DataBase, FailedSaveKeepsThePreviousFile) {
  Write("user://keep.xml", "previous");
  OVD_SetRenameFunction([](const char*, const char*) { return false; });  // the disk fails at the end
  DataManager db(&service_table);
  db.AddArray("a");
  EXPECT_FALSE(db.Save("user://keep.xml", false));
  EXPECT_EQ(Read("user://keep.xml"), "previous");
  EXPECT_EQ(Read("user://keep.xml.tmp"), "(none)");
  EXPECT_GE(Logged("the previous file is kept"), 1);
  EXPECT_FALSE(db.Save("nowhere/x.xml", false));
  EXPECT_GE(Logged("The filename needs to be absolute file system target such as res://data/file.xml."), 1);
}

}  // namespace
