// Program configuration read from fixture folders: prog.xml and developer.xml in res://, the
// variant choice, the developer overrides, package lists and their conditions, manifests and the
// product values.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "core/configuration.h"
#include "core/core_state.h"
#include "core/packages.h"
#include "core/platforms.h"
#include "data/data_base.h"
#include "filesystem/file_api.h"
#include "render/renderer_headless.h"
#include "tests/support/file_system_fixture.h"

namespace {

// A prog.xml of an APPLICATION node with the given attributes, an optional DEVELOPER node and the
// given variant nodes.
std::string Prog(const std::string& application, const std::string& variants = "<node id=\"WINDOWS\"/>",
                 const std::string& developer = "") {
  std::string text = "<?xml version=\"1.0\"?>\n<root>\n<array id=\"PARAMETERS\">\n<node id=\"APPLICATION\" " + application + "/>\n";
  if (!developer.empty()) text += "<node id=\"DEVELOPER\" " + developer + "/>\n";
  return text + "</array>\n<array id=\"VARIANTS\">\n" + variants + "\n</array>\n</root>\n";
}

std::string Developer(const std::string& attributes) {
  return "<?xml version=\"1.0\"?>\n<root>\n<array id=\"PARAMETERS\">\n<node id=\"DEVELOPER\" " + attributes + "/>\n</array>\n</root>\n";
}

class Configuration : public FileSystemFixture {
 protected:
  std::string command_line;
  void SetUp() override {
    FileSystemFixture::SetUp();
    StartReading();
  }
  // The state in which pre-initialisation reads the configuration: reports become popups.
  void StartReading() {
    OVI_ResetState();
    OVFS_ClearSearchPaths();
    system_information.platform_id = PLATFORM_WINDOWS;
    system_information.screen_size_id = SCREEN_SIZE_LARGE;
    core.unattended = true;
    core.running = true;
    core.program = &core.default_program;
    core.renderer = OVI_CreateHeadlessRenderer();
  }
  void TearDown() override {
    core.command_line = nullptr;
    OVD_UnloadDataBase("res://prog.xml");
    OVD_UnloadDataBase("res://developer.xml");
    FileSystemFixture::TearDown();
  }
  void Read(const std::string& prog, const std::string& developer = "") {
    Write("res://prog.xml", prog);
    if (!developer.empty()) Write("res://developer.xml", developer);
    core.command_line = &command_line[0];
    OVI_ReadConfiguration();
  }
  const ProgramInterface& record() const { return core.default_program; }
  static std::vector<std::string> SearchPaths() {
    std::vector<std::string> paths;
    for (int i = 0; i < OV_GetSearchPathCount(); ++i) paths.push_back(OV_GetSearchPath(i));
    return paths;
  }
};

TEST_F(Configuration, ApplicationKeysFillTheRecord) {
  struct Case {
    const char* fps_limit;  // null: no key
    int frame_time_ms;
  } cases[] = {{"60", 16}, {nullptr, 0}, {"30", 31}, {"-5", 0}, {"fast", 0}};
  for (const Case& c : cases) {
    StartReading();
    std::string fps = c.fps_limit ? std::string("fps_limit=\"") + c.fps_limit + "\"" : "";
    Read(Prog("program_id=\"tide\" name=\"Tide Pool\" developer=\"Kelp\" version=\"1.2\" "
              "reference_resolution=\"1024x768\" control_interfaces=\"TOUCH\" " + fps));
    EXPECT_EQ(record().video.frame_time_ms, c.frame_time_ms) << (c.fps_limit ? c.fps_limit : "none");
    EXPECT_STREQ(record().id, "tide");
    EXPECT_STREQ(record().title, "Tide Pool");
    EXPECT_STREQ(record().developer_name, "Kelp");
    EXPECT_STREQ(record().version, "1.2");
    EXPECT_EQ(record().video.reference_width, 1024);
    EXPECT_EQ(record().video.reference_height, 768);
    EXPECT_STREQ(core.control_interfaces, "TOUCH");
    EXPECT_STREQ(core.variant_id, "WINDOWS");
    EXPECT_STREQ(core.renderer_implementation, "ri_d3d9.dll");
    EXPECT_STREQ(core.sound_implementation, "si_brix.dll");
    EXPECT_STREQ(core.resolutions, "*");
    EXPECT_STREQ(core.music_package, "data-music-OGG_44100");
    EXPECT_STREQ(core.sound_effect_package, "data-sfx-OGG_44100");
  }
}

TEST_F(Configuration, OverlongIdentityValuesAreShortenedWithinTheirFields) {
  std::string id(40, 'i');
  std::string version = "1.0.0-beta.12345\xc3\xa4";  // 16 bytes of ASCII, then a two-byte character
  Read(Prog("program_id=\"" + id + "\" name=\"T\" developer=\"" + std::string(70, 'd') + "\" version=\"" + version +
            "\""));
  EXPECT_EQ(std::string(record().id), std::string(31, 'i'));
  EXPECT_STREQ(record().title, "T");
  EXPECT_EQ(std::string(record().developer_name), std::string(63, 'd'));
  EXPECT_STREQ(record().version, "1.0.0-beta.1234");
  EXPECT_EQ(Logged("'program_id' is longer than 31 characters"), 1);

  // A cut that would fall inside a UTF-8 sequence backs off to the character before it.
  StartReading();
  Read(Prog("program_id=\"" + std::string(30, 'x') + "\xc3\xa4\""));
  EXPECT_EQ(std::string(record().id), std::string(30, 'x'));
}

TEST_F(Configuration, VariantSelection) {
  struct Case {
    const char* variants;
    const char* developer;  // attributes of developer.xml, or ""
    const char* chosen;
  } cases[] = {
      {"<node id=\"WINDOWS\" name=\"plain\"/><node id=\"WINDOWS/LARGE\" name=\"large\"/>", "", "WINDOWS/LARGE"},
      {"<node id=\"WINDOWS/SMALL\" name=\"small\"/><node id=\"WINDOWS\" name=\"plain\"/>", "", "WINDOWS"},
      {"<node id=\"WINDOWS\"/><node id=\"IOS/SMALL\" name=\"phone\"/>", "force_variant=\"IOS/SMALL\"", "IOS/SMALL"},
  };
  for (const Case& c : cases) {
    StartReading();
    OVD_UnloadDataBase("res://developer.xml");
    OV_DeleteFile("res://developer.xml");
    Read(Prog("name=\"app\"", c.variants), *c.developer ? Developer(c.developer) : "");
    EXPECT_STREQ(core.variant_id, c.chosen);
    EXPECT_EQ(record().video.windowed, *c.developer ? 1 : 0) << c.chosen;
  }
}

TEST_F(Configuration, VariantKeys) {
  Read(Prog("name=\"app\" features=\"SHOW_FPS\"",
            "<node id=\"WINDOWS\" name=\"Windows app\" renderer_implementation=\"ri_gl\" "
            "input_implementations=\"ii_xinput,ii_raw.dll\" sound_implementation=\"si_null\" "
            "features=\"AUTOSCALE;NO_SOUND\" resolutions=\"1280x720,1920x1080\" addon_packages=\"extra\" "
            "input_implementation=\"old\"/>"));
  EXPECT_STREQ(record().title, "Windows app");
  EXPECT_STREQ(core.renderer_implementation, "ri_gl.dll");
  EXPECT_STREQ(core.input_implementations, "ii_xinput.dll,ii_raw.dll");
  EXPECT_STREQ(core.sound_implementation, "si_null.dll");
  EXPECT_STREQ(core.variant_features, "AUTOSCALE;NO_SOUND");
  EXPECT_STREQ(core.resolutions, "1280x720,1920x1080");
  EXPECT_STREQ(core.addon_packages, "extra");
  EXPECT_TRUE(OVI_HasFeature("SHOW_FPS"));
  EXPECT_TRUE(OVI_HasFeature("NO_SOUND"));
  EXPECT_EQ(Logged("Supported resolutions: '1280x720,1920x1080'."), 1);
  EXPECT_EQ(Logged("In prog.xml parameter input_implementation is not in use"), 1);
}

TEST_F(Configuration, DeveloperNodeFromDeveloperXmlOrProgXml) {
  // developer.xml wins over the DEVELOPER node of prog.xml.
  Read(Prog("features=\"SHOW_FPS\"", "<node id=\"WINDOWS\" resolutions=\"800x600\"/>",
            "developer_mode=\"false\" logging=\"1\""),
       Developer("developer_mode=\"true\" logging=\"true\" console=\"t\" logging_verbose_level=\"WARNING\" "
                 "features=\"SHOW_INFO\" console_toggle_key=\"F\" force_resolution=\"1024x600\" "
                 "pak_folder=\"paks\""));
  EXPECT_TRUE(core.developer_mode);
  EXPECT_TRUE(core.logging_enabled);
  EXPECT_TRUE(core.console_enabled);
  EXPECT_EQ(core.logging_verbose_level, 1);
  EXPECT_STREQ(core.program_features, "SHOW_FPS,DEVELOPER_MODE,SHOW_INFO");
  EXPECT_TRUE(OVI_HasFeature("DEVELOPER_MODE"));
  EXPECT_STREQ(core.sound_implementation, "STATIC");
  EXPECT_EQ(core.console_toggle_key, 'F');
  EXPECT_TRUE(core.force_resolution);
  EXPECT_EQ(record().video.width, 1024);
  EXPECT_EQ(record().video.height, 600);
  EXPECT_EQ(core.override_width, 1024);
  EXPECT_EQ(core.forced_height, 600);
  EXPECT_EQ(record().video.windowed, 1);
  EXPECT_STREQ(core.resolutions, "*");  // the variant's list is not read when the resolution is forced
  EXPECT_STREQ(core.pak_folder, "paks/");

  StartReading();
  OVD_UnloadDataBase("res://developer.xml");
  OV_DeleteFile("res://developer.xml");
  Read(Prog("", "<node id=\"WINDOWS\"/>", "developer_mode=\"1\" force_windowed=\"yes\" logging_verbose_level=\"LOUD\""));
  EXPECT_TRUE(core.developer_mode);
  EXPECT_STREQ(core.program_features, "DEVELOPER_MODE");
  EXPECT_EQ(record().video.windowed, 0);  // only the value "1" forces windowed
  EXPECT_EQ(core.logging_verbose_level, 0);
}

TEST_F(Configuration, DeveloperOnlyKeysNeedDeveloperMode) {
  const char* variant = "<node id=\"WINDOWS\" input_implementations=\"ii_pad\"/>";
  Read(Prog("", variant), Developer("developer_mode=\"0\" input_implementations=\"ii_dev\" developer_packages=\"dev\""));
  EXPECT_STREQ(core.input_implementations, "ii_pad.dll");
  EXPECT_STREQ(core.developer_packages, "");

  StartReading();
  Read(Prog("", variant), Developer("developer_mode=\"1\" input_implementations=\"ii_dev\" developer_packages=\"dev\" "
                                    "input_implementation=\"x\""));
  EXPECT_STREQ(core.input_implementations, "ii_dev.dll");
  EXPECT_STREQ(core.developer_packages, "dev");
  EXPECT_EQ(Logged("In developer.xml parameter input_implementation is not in use"), 1);
}

TEST_F(Configuration, DeprecatedKeysAndDuplicatesAreReportedInDeveloperMode) {
  Read(Prog("name=\"a\" name=\"b\"",
            "<node id=\"WINDOWS\" music_format=\"OGG_44100\" sound_fx_format=\"WAV_22050\"/>"
            "<node id=\"WINDOWS\" program_library=\"prog\"/><node id=\"METRO\"/>",
            "developer_mode=\"true\""));
  EXPECT_EQ(Logged("There are multiple VARIANTS with id 'WINDOWS' in prog.xml. There can be only one."), 1);
  EXPECT_EQ(Logged("Popup answered OK: Deprecated variant id METRO found in prog.xml. Replace it with WINDOWS_RT."), 1);
  EXPECT_EQ(Logged("Popup answered OK: Deprecated parm 'program_library' in prog.xml. Remove it."), 1);
  EXPECT_EQ(Logged("Popup answered OK: Deprecated parm 'music_format' in prog.xml. Remove it."), 1);
  EXPECT_EQ(Logged("Popup answered OK: Deprecated parm 'sound_fx_format' in prog.xml. Remove it."), 1);
  // The same format as the platform's: just remove it. A different one: the package follows it.
  EXPECT_EQ(Logged("prog.xml:WINDOWS defines deprecated 'music_format' parameter 'OGG_44100'. Just remove it."), 1);
  EXPECT_EQ(Logged("prog.xml:WINDOWS defines deprecated 'sound_fx_format' parameter 'WAV_22050' but the value "
                   "differs from platform standard ('OGG_44100')"),
            1);
  EXPECT_STREQ(core.music_package, "data-music-OGG_44100");
  EXPECT_STREQ(core.sound_effect_package, "data-sfx-WAV_22050");

  OVI_CheckConfigurationDuplicates();
  EXPECT_EQ(Logged("Array 'VARIANTS' contains two nodes with id 'WINDOWS'."), 1);
  EXPECT_EQ(Logged("Node 'APPLICATION' contains duplicate parameters with id 'name'."), 1);
}

TEST_F(Configuration, DeprecatedVariantKeysAreQuietOutsideDeveloperMode) {
  Read(Prog("", "<node id=\"WINDOWS\" program_library=\"prog\"/><node id=\"METRO\"/>"));
  EXPECT_EQ(Logged("Deprecated"), 0);
}

TEST_F(Configuration, IosResolutionLists) {
  struct Case {
    int screen_size;
    const char* reference;
    const char* resolutions;
  } cases[] = {
      {SCREEN_SIZE_SMALL, "960x640", "2208x1242,2001x1125,1334x750,1136x640,960x640,480x320"},
      {SCREEN_SIZE_SMALL, "640x960", "1242x2208,1125x2001,750x1334,640x1136,640x960,320x480"},
      {SCREEN_SIZE_LARGE, "1024x768", "2048x1536,1024x768"},
      {SCREEN_SIZE_LARGE, "768x1024", "1536x2048,768x1024"},
      {SCREEN_SIZE_MEDIUM, "1024x768", "*"},
  };
  for (const Case& c : cases) {
    StartReading();
    system_information.platform_id = PLATFORM_IOS;
    system_information.screen_size_id = c.screen_size;
    Read(Prog(std::string("reference_resolution=\"") + c.reference + "\"", "<node id=\"IOS\"/>"));
    EXPECT_STREQ(core.resolutions, c.resolutions) << c.reference;
    EXPECT_STREQ(core.music_package, "data-music-MP3_44100");
    EXPECT_STREQ(core.sound_effect_package, "data-sfx-WAV_22050");
  }
}

TEST_F(Configuration, LocaleAutoAsksForTheLanguage) {
  struct Case {
    const char* command_line;
    const char* locale;
    const char* addon_packages;
  } cases[] = {{"-x German", "de", "base,data-de"}, {"", "auto", "base,data-auto"}, {"Japanese", "ja", "base,data-ja"}};
  for (const Case& c : cases) {
    StartReading();
    command_line = c.command_line;
    Read(Prog("locale=\"auto\"", "<node id=\"WINDOWS\" addon_packages=\"base\"/>"));
    OVI_ApplyLocale();
    EXPECT_STREQ(core.locale, c.locale);
    EXPECT_EQ(record().video.locale, core.locale);
    EXPECT_STREQ(core.addon_packages, c.addon_packages);
  }
}

TEST_F(Configuration, MissingProgXmlKeepsTheDefaults) {
  core.command_line = &command_line[0];
  OVI_ReadConfiguration();
  EXPECT_EQ(Logged("Cannot find prog.xml. It should be located in res://."), 1);
  EXPECT_STREQ(core.renderer_implementation, "ri_d3d9.dll");
  EXPECT_STREQ(core.variant_id, "");
}

TEST_F(Configuration, ProductValuesPreferTheVariant) {
  Read(Prog("store=\"app-store\" rating=\"E\"", "<node id=\"WINDOWS\" store=\"pc-store\"/>"));
  EXPECT_STREQ(OV_GetProductValue("store"), "pc-store");
  EXPECT_STREQ(OV_GetProductValue("rating"), "E");
  EXPECT_EQ(OV_GetProductValue("missing"), nullptr);
  EXPECT_EQ(OV_GetProductValue(nullptr), nullptr);
  strcpy(core.variant_id, "GONE");
  EXPECT_STREQ(OV_GetProductValue("rating"), "E");
  EXPECT_EQ(Logged("Missing platform variant 'GONE' in 'res://prog.xml'."), 1);
}

TEST_F(Configuration, ManifestsAreFoundWithAndWithoutExtensions) {
  Write("res://art.xml", "<?xml version=\"1.0\"?>\n<root><array id=\"files\"><node id=\"ui/button.jpg\" w=\"8\"/>"
                         "<node id=\"ui/button.png\" w=\"16\"/><node id=\"ui/v1.2/logo\" w=\"4\"/></array></root>\n");
  Read(Prog("manifest=\"art.xml,missing.xml\""));
  ASSERT_EQ(OVFS_Manifests().size(), 1u);
  EXPECT_EQ(Logged("Added manifest 'res://art.xml'."), 1);
  const DataNode* button = OVFS_FindInManifests("ui/button");
  ASSERT_NE(button, nullptr);
  EXPECT_STREQ(button->GetParameter("w"), "16");  // .png comes before .jpg
  EXPECT_STREQ(OVFS_FindInManifests("ui/button.jpg")->GetParameter("w"), "8");
  EXPECT_EQ(OVFS_FindInManifests("ui/button.tga"), nullptr);
  // The '.' of a folder name is not an extension.
  EXPECT_EQ(OVFS_FindInManifests("ui/v1.2/logo"), nullptr);
  OVFS_AddManifest("res://art.xml");
  EXPECT_EQ(OVFS_Manifests().size(), 1u);
}

class Packages : public Configuration {
 protected:
  void SetSize(int width, int height, int reference_height = 768) {
    core.default_program.video.width = width;
    core.default_program.video.height = height;
    core.default_program.video.reference_height = reference_height;
  }
};

TEST_F(Packages, GraphicsPackageClosestToTheScreenHeight) {
  struct Case {
    int height;
    const char* mounted;  // null: none
  } cases[] = {{1080, "res://gfx_1080/"}, {768, nullptr}, {700, "res://gfx-720/"}, {1400, "res://gfx_1080/"}};
  strcpy(core.gfx_packages, "gfx-720,gfx_1080");
  for (const Case& c : cases) {
    SetSize(1920, c.height);
    OVI_SelectGraphicsPackage();
    std::vector<std::string> paths = SearchPaths();
    EXPECT_EQ(paths.size(), c.mounted ? 1u : 0u) << c.height;
    if (c.mounted && !paths.empty()) {
      EXPECT_EQ(paths[0], c.mounted);
    }
  }
}

TEST_F(Packages, ConditionsOfEntries) {
  struct Case {
    const char* condition;
    int width, height;
    bool holds;
  } cases[] = {
      {"res>=1280x*", 1280, 200, true},   {"res>=1280x*", 1279, 2000, false}, {"res>1280x*", 1280, 200, true},
      {"res<=800x600", 800, 600, true},   {"res<=800x600", 800, 601, false},  {"res=1024x768", 1024, 768, true},
      {"res==1024x768", 1024, 767, false}, {"res==*x*", 5, 5, true},          {"resolution=768x1024", 1024, 768, true},
      {"resolution==768x1024", 768, 1024, true}, {"resolution>=1x1", 768, 1024, false},
      {"feature=SHOW_FPS", 1, 1, true},   {"feature=SHOW", 1, 1, false},      {"open", 1, 1, true},
      {"closed", 1, 1, false},            {"res>=wide", 1, 1, false},
  };
  strcpy(core.program_features, "SHOW_FPS");
  for (const Case& c : cases) {
    SetSize(c.width, c.height);
    EXPECT_EQ(OVI_PackageConditionHolds(c.condition), c.holds) << c.condition << " at " << c.width << "x" << c.height;
  }
  EXPECT_EQ(Logged("prog.xml: res comparison needs to be ==, >=, or <=. 'res>1280x*' is not supported."), 1);
}

TEST_F(Packages, ListsMountTheirEntries) {
  SetSize(1920, 1080);
  strcpy(core.packages, "base, x,,@res>=1920x*:hd,@res<=800x*:sd,@open:always,data.pak,@nocolon");
  strcpy(core.developer_packages, "devtools");
  strcpy(core.music_package, "data-music-OGG_44100");
  OVI_AddPackages();
  std::vector<std::string> expected = {"res://data-music-OGG_44100/", "res://data/", "res://always/", "res://hd/",
                                       "res://base/", "res://devtools/"};
  EXPECT_EQ(SearchPaths(), expected);
  EXPECT_EQ(Logged("Adding search path with .pak extension! Remove it from 'data.pak'"), 1);
  EXPECT_EQ(Logged("has a condition but no ':'"), 1);
  OVI_UnmountPackageList(core.packages);
  expected = {"res://data-music-OGG_44100/", "res://devtools/"};
  EXPECT_EQ(SearchPaths(), expected);
}

TEST_F(Packages, AtMostThirtyTwoEntries) {
  std::string list;
  for (int i = 0; i < 40; ++i) list += "p" + std::to_string(i) + ",";
  OVI_MountPackageList(list.c_str(), false);
  EXPECT_EQ(OV_GetSearchPathCount(), 32);
  EXPECT_EQ(Logged("more than 32 entries: 'p32'"), 1);
}

TEST(Platforms, NamesFormatsAndFallbacks) {
  struct Case {
    int id;
    const char* name;
    const char* sound_effects;
    const char* music;
    int width, height, large_width, large_height;
  } cases[] = {
      {0, "UNKNOWN", "UNKNOWN", "UNKNOWN", 800, 600, 800, 600},
      {1, "WINDOWS", "OGG_44100", "OGG_44100", 1280, 720, 1280, 720},
      {3, "IOS", "WAV_22050", "MP3_44100", 960, 640, 1024, 768},
      {7, "WEBOS", "WAV_22050_MONO", "MP3_22050_STEREO", 480, 320, 1024, 768},
      {12, "LINUX", "WAV_44100", "WAV_44100", 1280, 720, 1280, 720},
      {20, "SWITCH", "ADPCM", "ADPCM", 1280, 720, 1280, 720},
      {21, "UNKNOWN", "UNKNOWN", "UNKNOWN", 800, 600, 800, 600},
      {-1, "UNKNOWN", "UNKNOWN", "UNKNOWN", 800, 600, 800, 600},
  };
  for (const Case& c : cases) {
    EXPECT_STREQ(PlatformName(c.id), c.name);
    EXPECT_STREQ(SoundEffectFormat(c.id), c.sound_effects);
    EXPECT_STREQ(MusicFormat(c.id), c.music);
    int w, h;
    FallbackResolution(c.id, false, &w, &h);
    EXPECT_EQ(w * 10000 + h, c.width * 10000 + c.height) << c.id;
    FallbackResolution(c.id, true, &w, &h);
    EXPECT_EQ(w * 10000 + h, c.large_width * 10000 + c.large_height) << c.id;
  }
  EXPECT_EQ(PlatformId("PS_VITA"), 10);
  EXPECT_EQ(PlatformId("windows"), PLATFORM_UNKNOWN);
  EXPECT_STREQ(ScreenSizeName(1), "MEDIUM");
  EXPECT_STREQ(ScreenSizeName(7), "SMALL");
  EXPECT_EQ(ScreenSizeId("LARGE"), 2);
  EXPECT_EQ(ScreenSizeId("HUGE"), SCREEN_SIZE_SMALL);
}

}  // namespace
