#include "app/Settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

using app::BoundsFitScreen;
using app::DefaultModColor;
using app::ReadSettings;
using app::TBounds;
using app::TIniFile;
using app::TSettings;
using app::WriteSettings;

namespace fs = std::filesystem;

namespace {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = fs::temp_directory_path() / ("settings_test_" + std::to_string(::getpid()) + ".ini");
    fs::remove(path_);
  }
  void TearDown() override { fs::remove(path_); }
  void Put(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
  std::string Get() const {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  fs::path path_;
};

TEST_F(SettingsTest, NoFileGivesDefaults) {
  TSettings s = ReadSettings(TIniFile(path_));
  EXPECT_EQ(s.Bounds, (TBounds{0, 0, -1, -1}));
  EXPECT_EQ(s.Add, 0xF0CCA8u);
  EXPECT_EQ(s.Mod, 0x6FFB8Au);
  EXPECT_EQ(s.Del, 0xBB77FFu);
  EXPECT_EQ(s.FontName, "Courier New");
  EXPECT_EQ(s.FontSize, 10);
  EXPECT_FALSE(s.Horizontal);
  EXPECT_TRUE(s.Folders[0].empty());
  EXPECT_TRUE(s.Folders[1].empty());
}

TEST_F(SettingsTest, FirstWriteOfDefaultsGivesExactFile) {
  TIniFile ini(path_);
  TSettings s;
  s.Bounds = {317, 235, 645, 329};
  WriteSettings(ini, s, true);
  EXPECT_EQ(Get(),
            "[Options]\nBounds.Left=317\nBounds.Top=235\nBounds.Width=645\nBounds.Height=329\n"
            "AddColor=$00F0CCA8\nModColor=$006FFB8A\nDelColor=$00BB77FF\nFont.Name=Courier New\n"
            "Font.size=10\nHorizontal=0\nFolder.1=\nFolder.2=\nCodePage=936\n"
            "IgnoreBlanks=0\nIgnoreCase=0\nIgnoreComments=0\nAlignSimilar=0\nBySection=0\n"
            "IgnorePosition=0\nIgnoreDefaults=0\nShowDiffsOnly=0\n");
}

TEST_F(SettingsTest, RoundTripKeepsEveryValue) {
  TIniFile ini(path_);
  TSettings s;
  s.Bounds = {-20, 5, 800, 600};
  s.Add = 0x010203;
  s.Mod = 0xFF00000F;  // a system colour keeps its top byte
  s.Del = 0;
  s.FontName = "Liberation Mono";
  s.FontSize = 14;
  s.Horizontal = true;
  s.Folders[0] = "/home/user/库/";
  s.Folders[1] = "/tmp/";
  s.Sides = {std::vector<std::string>{"/a/one.pbl", "/a/b/app.pbt"}, std::vector<std::string>{"/c/ws.pbw"}};
  s.IgnoreComments = s.BySection = s.IgnoreDefaults = true;
  WriteSettings(ini, s, true);
  TSettings r = ReadSettings(ini);
  EXPECT_TRUE(r.IgnoreComments && r.BySection && r.IgnoreDefaults);
  EXPECT_FALSE(r.IgnoreBlanks || r.IgnoreCase || r.AlignSimilar || r.IgnorePosition || r.ShowDiffsOnly);
  EXPECT_EQ(r.Sides, s.Sides);
  EXPECT_EQ(r.Bounds, s.Bounds);
  EXPECT_EQ(r.Add, s.Add);
  EXPECT_EQ(r.Mod, s.Mod);
  EXPECT_EQ(r.Del, s.Del);
  EXPECT_EQ(r.FontName, s.FontName);
  EXPECT_EQ(r.FontSize, s.FontSize);
  EXPECT_TRUE(r.Horizontal);
  EXPECT_EQ(r.Folders[0], s.Folders[0]);
  EXPECT_EQ(r.Folders[1], s.Folders[1]);
  EXPECT_NE(Get().find("ModColor=$FF00000F\n"), std::string::npos);
}

// The language is written once chosen; chosen back to the system's, its key stays, empty.
TEST_F(SettingsTest, LanguageOnceSetStaysAKey) {
  TIniFile ini(path_);
  TSettings s;
  s.Language = "en";
  WriteSettings(ini, s, false);
  EXPECT_EQ(ReadSettings(ini).Language, "en");
  s.Language.clear();
  WriteSettings(ini, s, false);
  EXPECT_NE(Get().find("\nLanguage=\n"), std::string::npos);
  EXPECT_EQ(ReadSettings(ini).Language, "");
}

TEST_F(SettingsTest, AShorterSideLeavesNoStaleKeys) {
  TIniFile ini(path_);
  TSettings s;
  s.Sides[0] = {"/a.pbl", "/b.pbl", "/c.pbl"};
  WriteSettings(ini, s, true);
  s.Sides[0] = {"/d.pbl"};
  WriteSettings(ini, s, true);
  EXPECT_EQ(ReadSettings(ini).Sides[0], std::vector<std::string>({"/d.pbl"}));
  EXPECT_EQ(Get().find("Side1.2"), std::string::npos);
}

TEST_F(SettingsTest, ColoursReadAsDollarHexOrDecimalOnly) {
  Put("[Options]\nAddColor=15781032\nModColor=00F0CCA8\nDelColor=$0000FF\n");
  TSettings s = ReadSettings(TIniFile(path_));
  EXPECT_EQ(s.Add, 15781032u);
  EXPECT_EQ(s.Mod, DefaultModColor);
  EXPECT_EQ(s.Del, 0xFFu);
}

TEST_F(SettingsTest, HorizontalIsAnyNonZeroInteger) {
  for (auto [text, expected] : std::vector<std::pair<const char*, bool>>{
           {"2", true}, {"1", true}, {"0", false}, {"true", false}, {"-1", true}, {"", false}}) {
    Put(std::string("[Options]\nHorizontal=") + text + "\n");
    EXPECT_EQ(ReadSettings(TIniFile(path_)).Horizontal, expected) << text;
  }
}

TEST_F(SettingsTest, CodePageIsASupportedNumberOr936WithAFlag) {
  for (auto [text, page, unknown] : std::vector<std::tuple<const char*, int, bool>>{
           {nullptr, 936, false}, {"1252", 1252, false}, {"$3B6", 950, false}, {"65001", 936, true},
           {"936x", 936, true}, {"", 936, false}}) {
    Put(std::string("[Options]\n") + (text ? std::string("CodePage=") + text + "\n" : ""));
    TSettings s = ReadSettings(TIniFile(path_));
    EXPECT_EQ(s.CodePage, page) << (text ? text : "none");
    EXPECT_EQ(s.CodePageUnknown, unknown) << (text ? text : "none");
  }
}

TEST_F(SettingsTest, BoundsKeptWhenNotWritten) {
  TIniFile ini(path_);
  TSettings s;
  s.Bounds = {10, 20, 700, 400};
  WriteSettings(ini, s, true);
  s.Bounds = {0, 0, 1280, 800};  // a maximised window
  s.Add = 0x123456;
  WriteSettings(ini, s, false);
  TSettings r = ReadSettings(ini);
  EXPECT_EQ(r.Bounds, (TBounds{10, 20, 700, 400}));
  EXPECT_EQ(r.Add, 0x123456u);
}

TEST_F(SettingsTest, OtherKeysSurviveAWrite) {
  Put("[Options]\nMyKey=kept\n[Elsewhere]\nX=1\n");
  TIniFile ini(path_);
  WriteSettings(ini, TSettings{}, true);
  EXPECT_EQ(ini.ReadString("Options", "MyKey", ""), "kept");
  EXPECT_EQ(ini.ReadString("Elsewhere", "X", ""), "1");
}

struct TBoundsCase {
  const char* Name;
  TBounds Bounds;
  bool Fits;
};

class BoundsTest : public ::testing::TestWithParam<TBoundsCase> {};

TEST_P(BoundsTest, AgainstA1280By800Screen) {
  EXPECT_EQ(BoundsFitScreen(GetParam().Bounds, 0, 0, 1280, 800), GetParam().Fits);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BoundsTest,
    ::testing::Values(TBoundsCase{"inside", {100, 100, 645, 329}, true},
                      TBoundsCase{"defaults", {0, 0, -1, -1}, false},
                      TBoundsCase{"zero_width", {100, 100, 0, 329}, false},
                      TBoundsCase{"zero_height", {100, 100, 645, 0}, false},
                      TBoundsCase{"left_at_screen_width", {1280, 100, 645, 329}, false},
                      TBoundsCase{"left_just_inside", {1279, 100, 645, 329}, true},
                      TBoundsCase{"top_at_screen_height", {100, 800, 645, 329}, false},
                      TBoundsCase{"entirely_left", {-645, 100, 645, 329}, false},
                      TBoundsCase{"partly_left", {-644, 100, 645, 329}, true},
                      TBoundsCase{"entirely_above", {100, -329, 645, 329}, false},
                      TBoundsCase{"huge_values", {2147483647, 2147483647, 2147483647, 2147483647}, false}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
