// The file API over real folders: names and modes, bookkeeping, search paths, listing, pak
// archives and the HTTP cache.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "core/byte_buffer.h"
#include "core/core_state.h"
#include "core/lifecycle.h"
#include "core/log.h"
#include "core/service_table.h"
#include "core/threads.h"
#include "data/data_base.h"
#include "filesystem/file_api.h"
#include "filesystem/files.h"
#include "filesystem/paths.h"
#include "filesystem/pak_writer.h"
#include "platform/ov_os.h"
#include "tests/support/file_system_fixture.h"

namespace {

class FileSystem : public FileSystemFixture {
 protected:
  // An archive res://<folder>.pak of (entry name, bytes) pairs.
  void MakePak(const std::string& folder, const std::vector<std::pair<std::string, std::string>>& entries) {
    std::vector<PakSource> sources;
    for (size_t i = 0; i < entries.size(); ++i) {
      std::string source = root + "/source-" + std::to_string(i);
      FILE* out = fopen(source.c_str(), "wb");
      fwrite(entries[i].second.data(), 1, entries[i].second.size(), out);
      fclose(out);
      sources.push_back(PakSource{entries[i].first, source});
    }
    std::string error;
    ASSERT_TRUE(OVFS_WritePak(root + "/res/" + folder + ".pak", sources, &error)) << error;
  }
  std::vector<std::string> Find(const char* directory, const char* patterns, bool recursive) {
    FileList* list = OV_FindFiles(directory, patterns, recursive);
    std::vector<std::string> names(list->names, list->names + list->count);
    OV_FreeFileList(list);
    return names;
  }
};

TEST(Names, ValidAndInvalid) {
  struct Case {
    const char* name;
    bool valid;
  } cases[] = {
      {"res://a/../b", false}, {"/data/x", false},          {"res://a//b", false},   {"ui/button (big).png", true},
      {"user://save.dat", true}, {"nope://x", false},        {"c:/windows", false},   {"res://a\\b", false},
      {"res://t@2x.png", true},  {"res://ä.png", false},     {"http://host/x", true}, {"ui/x?.png", false},
  };
  for (const Case& c : cases) EXPECT_EQ(OVFS_IsValidName(c.name), c.valid) << c.name;
}

TEST_F(FileSystem, ModesAndRelativeNames) {
  struct Case {
    const char* mode;
    bool opens;
  } cases[] = {{"w", true}, {"wb", true}, {"a", true}, {"ab", true}, {"r", true}, {"rb", true},
               {"rw", false}, {"x", false}, {"", false}, {"r+", false}};
  for (const Case& c : cases) {
    FileHandle* file = OV_OpenFile("user://modes.txt", c.mode);
    EXPECT_EQ(file != nullptr, c.opens) << c.mode;
    if (file) OV_CloseFile(file);
  }
  EXPECT_EQ(Logged("ov->OpenFile: Illegal mode 'rw' while opening file 'user://modes.txt'"), 2);  // report and popup
  EXPECT_EQ(OV_OpenFile("res://bad//name", "rb"), nullptr);
  EXPECT_GE(Logged("ov->OpenFile: Illegal file name 'res://bad//name'."), 1);

  CapturedLog().clear();
  OV_AddSearchPath("res://", 0);
  EXPECT_EQ(OV_OpenFile("new.txt", "w"), nullptr);  // a relative name never creates a file
  EXPECT_EQ(Logged("OpenFile"), 0);
  Write("res://found.txt", "here");
  EXPECT_EQ(Read("found.txt"), "here");
}

TEST_F(FileSystem, PlainFilesReadWriteSeekAndAppend) {
  Write("user://data/numbers.bin", "0123456789");
  FileHandle* file = OV_OpenFile("user://data/numbers.bin", "rb");
  ASSERT_NE(file, nullptr);
  EXPECT_STREQ(file->name, "user://data/numbers.bin");
  EXPECT_EQ(file->size, 10);
  EXPECT_TRUE(OV_SeekFile(file, -3, 2));
  EXPECT_EQ(OV_ReadFileByte(file), '7');
  EXPECT_EQ(OV_TellFile(file), 8);
  char two[2];
  EXPECT_EQ(OV_ReadFileElements(two, 1, 2, file), 2);
  EXPECT_EQ(OV_ReadFileByte(file), 0);  // nothing left
  EXPECT_FALSE(OV_SeekFile(file, 0, 7));
  OV_CloseFile(file);
  FileHandle* append = OV_OpenFile("user://data/numbers.bin", "a");
  OV_WriteFile("ab", 2, append);
  OV_CloseFile(append);
  EXPECT_EQ(Read("user://data/numbers.bin"), "0123456789ab");
  EXPECT_TRUE(OV_DeleteFile("user://data/numbers.bin"));
  EXPECT_EQ(Read("user://data/numbers.bin"), "(none)");
  EXPECT_FALSE(OV_DeleteFile("data/numbers.bin"));
}

TEST_F(FileSystem, ManyOpenFilesAreReportedAndDoubleClosesToo) {
  Write("user://f.txt", "x");
  std::vector<FileHandle*> files;
  for (int i = 0; i < 17; ++i) files.push_back(OV_OpenFile("user://f.txt", "rb"));
  EXPECT_EQ(OVFS_OpenFileCount(), 17);
  EXPECT_EQ(Logged("OV_OpenFile: suspiciously many (16) files opened without closing. Last file opened 'user://f.txt'."), 3);
  EXPECT_EQ(Logged("suspiciously many (17)"), 3);  // the log line, the report and its popup
  for (FileHandle* file : files) OV_CloseFile(file);
  EXPECT_EQ(OVFS_OpenFileCount(), 0);
  OV_CloseFile(files[0]);  // again: reported by name, the freed handle is not touched
  EXPECT_GE(Logged("CloseFile closing file 'user://f.txt' which was never opened or was already closed."), 1);
}

TEST_F(FileSystem, SearchPathsKeepOrderAndDropDuplicates) {
  OV_AddSearchPath("res://data", 0);
  OV_AddSearchPath("docs://dlc/pack", 1);
  OV_AddSearchPath("res://data", 0);
  OV_AddSearchPath("user://nope", 0);
  ASSERT_EQ(OV_GetSearchPathCount(), 2);
  EXPECT_STREQ(OV_GetSearchPath(0), "docs://dlc/pack/");
  EXPECT_STREQ(OV_GetSearchPath(1), "res://data/");
  EXPECT_EQ(OV_GetSearchPath(2), nullptr);
  EXPECT_EQ(Logged("Duplicate search path, removing the old one: 'res://data/'"), 1);
  EXPECT_GE(Logged("ov->AddSearchPath ('user://nope'): path name needs to start with prefix such as res://."), 1);
  OV_RemoveSearchPath("docs://dlc/pack");
  EXPECT_EQ(OV_GetSearchPathCount(), 1);

  Write("res://data/a.txt", "data");
  Write("docs://dlc/pack/a.txt", "dlc");
  OV_AddSearchPath("docs://dlc/pack", 1);
  EXPECT_EQ(Read("a.txt"), "dlc");
  const char* found = OVFS_FindInSearchPaths("a.txt", true);
  ASSERT_NE(found, nullptr);
  EXPECT_STREQ(found, "docs://dlc/pack/a.txt");
  EXPECT_EQ(OVFS_FindInSearchPaths("missing.txt", true), nullptr);
  const char* creatable = OVFS_FindInSearchPaths("missing.txt", false);
  ASSERT_NE(creatable, nullptr);
  EXPECT_STREQ(creatable, "docs://dlc/pack/missing.txt");
  EXPECT_EQ(Read("docs://dlc/pack/missing.txt"), "(none)");  // the probe file is deleted again
}

TEST_F(FileSystem, SearchPathsBringTheirManifests) {
  Write("docs://manifest-dlc-pack.xml",
        "<?xml version=\"1.0\"?>\n<root><array id=\"files\"><node id=\"a.png\"/></array></root>\n");
  OV_AddSearchPath("docs://dlc/pack", 0);
  OV_AddSearchPath("res://nothing", 0);  // no manifest there
  OV_AddSearchPath("docs://dlc/pack", 0);  // added again: the manifest stays one
  ASSERT_EQ(OVFS_Manifests().size(), 1u);
  EXPECT_STREQ(OVFS_Manifests()[0]->name.c_str(), "docs://manifest-dlc-pack.xml");
  EXPECT_NE(OVFS_Manifests()[0]->FindArray("files"), nullptr);
  EXPECT_EQ(Logged("Added manifest 'docs://manifest-dlc-pack.xml'."), 1);
  OVD_UnloadDataBase("docs://manifest-dlc-pack.xml");
}

TEST_F(FileSystem, FindFilesWithPatternsPaksAndPrefixes) {
  // (no two names differ only in case: Windows folders would take them for one file)
  for (const char* name : {"res://gfx/a.png", "res://gfx/b.jpg", "res://gfx/c.PNG", "res://gfx/.png",
                           "res://gfx/sub/c.png", "res://gfx/.hidden/d.png"})
    Write(name, "x");
  OV_AddSearchPath("res://", 0);
  struct Case {
    const char* directory;
    const char* patterns;
    bool recursive;
    std::vector<std::string> names;  // sorted
  } cases[] = {
      {"gfx", "*.png;*.jpg", false, {"a.png", "b.jpg"}},
      {"gfx/", "*.png", true, {"a.png", "sub/c.png"}},
      {"res://gfx", "*.PNG", false, {"c.PNG"}},
      {"res://gfx", "a*;b*", false, {"a.png", "b.jpg"}},
      {"gfx", "*", false, {".png", "a.png", "b.jpg", "c.PNG"}},
      {"user://gfx", "*", false, {}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> names = Find(c.directory, c.patterns, c.recursive);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, c.names) << c.directory << " " << c.patterns;
  }
  EXPECT_GE(Logged("OVFS_FindFiles should be passed only res:// or docs:// paths or paths without prefix. 'user://' not permitted."), 1);

  // Archive entries of a search path are listed first; duplicates keep their first place.
  OV_AddSearchPath("res://data", 0);
  MakePak("data", {{"maps/one.map", "1"}, {"maps/deep/two.map", "2"}, {"readme.txt", "r"}});
  Write("res://data/maps/one.map", "loose");
  Write("res://data/maps/three.map", "3");
  EXPECT_EQ(Find("maps", "*.map", false), (std::vector<std::string>{"one.map", "three.map"}));
  EXPECT_EQ(Find("maps", "*.map", true), (std::vector<std::string>{"one.map", "deep/two.map", "three.map"}));
}

TEST_F(FileSystem, PakEntriesHideLooseFilesAndSeekWithinTheEntry) {
  std::string hundred(100, 'p');
  hundred.replace(96, 4, "tail");
  MakePak("data", {{"images/a.png", "packed"}, {"big.bin", hundred}});
  Write("res://data/Images/A.PNG", "loose");
  Write("res://data/other.txt", "only loose");
  EXPECT_EQ(Read("res://data/Images/A.PNG"), "packed");  // entry names ignore letter case
  EXPECT_EQ(Read("res://data/other.txt"), "only loose");
  EXPECT_EQ(Logged("Opening new pak 'res://data.pak'."), 1);

  FileHandle* file = OV_OpenFile("res://data/big.bin", "rb");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->size, 100);
  EXPECT_STREQ(file->name, "big.bin");
  EXPECT_TRUE(OV_SeekFile(file, -4, 2));
  EXPECT_EQ(OV_TellFile(file), 96);
  char tail[5] = {};
  EXPECT_EQ(OV_ReadFile(tail, 4, file), 4);
  EXPECT_STREQ(tail, "tail");
  EXPECT_EQ(OV_WriteFile("x", 1, file), 0);
  OV_CloseFile(file);

  Write("res://readme.txt", "top");  // no folder: never looked for in an archive
  EXPECT_EQ(Read("res://readme.txt"), "top");
}

TEST_F(FileSystem, BadArchivesFallThroughToLooseFiles) {
  struct Case {
    const char* name;
    size_t offset;  // byte to change in the archive
    unsigned char value;
  } cases[] = {
      {"wrong magic", 1, 'X'},
      {"recorded size differs", 12, 0x7f},
      {"entry outside the archive", 0, 0},  // patched below: the entry's size
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OVFS_Stop();
    ASSERT_TRUE(OVFS_Start());  // forgets the archives it knows
    MakePak("data", {{"a.txt", "packed"}});
    std::string path = root + "/res/data.pak";
    FILE* archive = fopen(path.c_str(), "r+b");
    ASSERT_NE(archive, nullptr);
    if (strcmp(c.name, "entry outside the archive") == 0) {
      fseek(archive, 16 + 6 + 4 + 6 + 4, SEEK_SET);  // header, data, count, "a.txt\0", offset: the size
      unsigned char huge[4] = {0xff, 0xff, 0xff, 0x0f};
      fwrite(huge, 1, 4, archive);
    } else {
      fseek(archive, static_cast<long>(c.offset), SEEK_SET);
      fwrite(&c.value, 1, 1, archive);
    }
    fclose(archive);
    Write("res://data/a.txt", "loose");
    EXPECT_EQ(Read("res://data/a.txt"), "loose");
  }
}

TEST_F(FileSystem, DirectoriesAreCreatedAlongThePathAndRemovedWhenEmpty) {
  EXPECT_FALSE(OV_CreateDirectory("user://one/two/three"));  // the result is always false
  Write("user://one/two/three/x.txt", "x");
  EXPECT_EQ(Read("user://one/two/three/x.txt"), "x");
  EXPECT_FALSE(OV_RemoveDirectory("user://one/two/three", 0));  // not empty
  EXPECT_FALSE(OV_RemoveDirectory("user://one/two/three", 1));
  EXPECT_EQ(Logged("RemoveDirectory: 'user://one/two/three' failed because not allowing removing directories with files in them."), 1);
  OV_DeleteFile("user://one/two/three/x.txt");
  EXPECT_TRUE(OV_RemoveDirectory("user://one/two/three", 0));
}

TEST_F(FileSystem, ResolveAndVirtualise) {
  char native[OVFS_PATH_SIZE], back[OVFS_PATH_SIZE];
  ASSERT_TRUE(OVFS_Resolve("cache://x/y.bin", native, sizeof native));
  EXPECT_EQ(std::string(native), root + "/cache/x/y.bin");
  ASSERT_TRUE(OVFS_Virtualise(native, back, sizeof back));
  EXPECT_STREQ(back, "cache://x/y.bin");
  ASSERT_TRUE(OVFS_Resolve("http://host/x", native, sizeof native));
  EXPECT_STREQ(native, "http");
  EXPECT_FALSE(OVFS_Resolve("relative/x", native, sizeof native));
  EXPECT_FALSE(OVFS_Resolve("ugc://x", native, sizeof native) && native[0] != '/');
}

// A scripted web request behind the HTTP opener.
struct Download {
  int status;
  std::string body;
  int announced;
  int requests;
} download;

int OV_CALL FakeWebRequest(int kind, const char* url, const char*, const void*, int, ByteBuffer** response,
                           volatile int*) {
  ++download.requests;
  EXPECT_EQ(kind, 2);
  EXPECT_STREQ(url, "http://example.test/pics/a.png");
  *response = OVI_CreateBuffer(0);
  OVI_AppendBytes(*response, download.body.data(), static_cast<int>(download.body.size()));
  (*response)->capacity = download.announced;
  return download.status;
}

TEST_F(FileSystem, HttpFilesAreDownloadedOnceIntoTheCache) {
  service_table.OV_WebRequest = FakeWebRequest;
  const char* url = "http://example.test/pics/a.png";
  const char* cache_file = "cache://http___example.test_pics_a.png";
  struct Step {
    const char* what;
    int status;
    const char* body;
    int announced;
    const char* read;
    int requests;
  } steps[] = {
      {"not found", 404, "", 0, "(none)", 1},
      {"short body is not saved", 200, "abc", 10, "(none)", 1},
      {"complete download", 200, "image", 5, "image", 1},
      {"served from the cache", 200, "other", 5, "image", 0},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    download = Download{step.status, step.body, step.announced, 0};
    EXPECT_EQ(Read(url), step.read);
    EXPECT_EQ(download.requests, step.requests);
  }
  EXPECT_EQ(Read(cache_file), "image");
  Write(cache_file, "");  // an empty cache file is downloaded again
  download = Download{200, "fresh", 5, 0};
  EXPECT_EQ(Read(url), "fresh");
  EXPECT_EQ(download.requests, 1);
  EXPECT_GE(Logged("Download for 'http://example.test/pics/a.png' not complete (30% of 0.0KB done). Not saving."), 1);
}

}  // namespace
