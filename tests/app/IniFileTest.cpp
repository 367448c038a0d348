#include "app/IniFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/FileSys.h"

using app::StrToInt;
using app::TIniFile;

namespace fs = std::filesystem;

namespace {

class IniFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("ini_test_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = dir_ / "prog.ini";
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir_);
  }
  void Put(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
  std::string Get() const {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  fs::path dir_, path_;
};

struct TIntCase {
  const char* Name;
  const char* Text;
  std::optional<std::int32_t> Expected;
};

class StrToIntTest : public ::testing::TestWithParam<TIntCase> {};

TEST_P(StrToIntTest, Converts) { EXPECT_EQ(StrToInt(GetParam().Text), GetParam().Expected) << GetParam().Text; }

INSTANTIATE_TEST_SUITE_P(
    Values, StrToIntTest,
    ::testing::Values(TIntCase{"dollar_hex", "$F0CCA8", 0xF0CCA8}, TIntCase{"eight_digits", "$00F0CCA8", 0xF0CCA8},
                      TIntCase{"lower_case_hex", "$00f0cca8", 0xF0CCA8},
                      TIntCase{"decimal", "15781032", 15781032}, TIntCase{"hex_without_dollar", "00F0CCA8", std::nullopt},
                      TIntCase{"empty", "", std::nullopt}, TIntCase{"dollar_only", "$", std::nullopt},
                      TIntCase{"negative", "-5", -5}, TIntCase{"leading_blanks", "  12", 12},
                      TIntCase{"trailing_blank", "12 ", std::nullopt}, TIntCase{"word", "true", std::nullopt},
                      TIntCase{"top_bit_hex", "$FFFFFFFF", -1}, TIntCase{"nine_hex_digits", "$100000000", std::nullopt},
                      TIntCase{"leading_zero_hex_digits", "$0000000001", 1},
                      TIntCase{"int_max", "2147483647", 2147483647}, TIntCase{"above_int_max", "2147483648", std::nullopt},
                      TIntCase{"int_min", "-2147483648", INT32_MIN}, TIntCase{"huge", "99999999999999999999", std::nullopt}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesDefault) {
  TIniFile ini(path_);
  EXPECT_EQ(ini.ReadString("Options", "Font.Name", "Courier New"), "Courier New");
  Put("[Other]\nFont.Name=Arial\n[Options]\nFont.size=12\n");
  EXPECT_EQ(ini.ReadString("Options", "Font.Name", "Courier New"), "Courier New");
  EXPECT_EQ(ini.ReadInteger("Options", "Font.size", 10), 12);
  EXPECT_EQ(ini.ReadInteger("Nowhere", "Font.size", 10), 10);
}

TEST_F(IniFileTest, NamesMatchWithoutCaseAndValuesAreTrimmed) {
  Put("; comment\n[ OPTIONS ]\n  FONT.NAME =  Liberation Mono  \nQuoted=\" two  blanks \"\n");
  TIniFile ini(path_);
  EXPECT_EQ(ini.ReadString("options", "Font.Name", ""), "Liberation Mono");
  EXPECT_EQ(ini.ReadString("Options", "quoted", ""), " two  blanks ");
}

TEST_F(IniFileTest, LongValueIsCutAtCharacterBoundary) {
  std::string value(2046, 'a');
  value += "\xE5\xAE\x8B";  // a three-byte character across the limit
  Put("[Options]\nK=" + value + "\n");
  std::string read = TIniFile(path_).ReadString("Options", "K", "");
  EXPECT_EQ(read, std::string(2046, 'a'));
}

TEST_F(IniFileTest, WriteCreatesFileAndSection) {
  TIniFile ini(path_);
  ini.WriteString("Options", "AddColor", "$00F0CCA8");
  ini.WriteInteger("Options", "Font.size", 10);
  EXPECT_EQ(Get(), "[Options]\nAddColor=$00F0CCA8\nFont.size=10\n");
}

TEST_F(IniFileTest, WriteReplacesValueAndKeepsEverythingElse) {
  Put("[First]\r\nKeep=1\r\n\r\n[options]\r\naddcolor=123\r\nMine=x\r\n\r\n[Last]\r\nKeep=2\r\n");
  TIniFile ini(path_);
  ini.WriteString("Options", "AddColor", "$00F0CCA8");
  ini.WriteString("Options", "Horizontal", "1");
  EXPECT_EQ(Get(),
            "[First]\r\nKeep=1\r\n\r\n[options]\r\nAddColor=$00F0CCA8\r\nMine=x\r\nHorizontal=1\r\n\r\n"
            "[Last]\r\nKeep=2\r\n");
  EXPECT_EQ(ini.ReadString("Last", "Keep", ""), "2");
}

TEST_F(IniFileTest, WriteAppendsSectionAfterTextWithoutFinalBreak) {
  Put("[Other]\nA=1");
  TIniFile ini(path_);
  ini.WriteBool("Options", "Horizontal", true);
  EXPECT_EQ(Get(), "[Other]\nA=1\n[Options]\nHorizontal=1\n");
}

TEST_F(IniFileTest, LineBreakInValueCannotSplitTheLine) {
  TIniFile ini(path_);
  ini.WriteString("Options", "Folder.1", "/a\nInjected=1\r/b/");
  EXPECT_EQ(ini.ReadString("Options", "Injected", "none"), "none");
  EXPECT_EQ(ini.ReadString("Options", "Folder.1", ""), "/a Injected=1 /b/");
}

TEST_F(IniFileTest, UnwritablePathRaisesUnableToWrite) {
  fs::create_directory(path_);  // a folder where the file should be
  TIniFile ini(path_);
  try {
    ini.WriteString("Options", "AddColor", "$00F0CCA8");
    FAIL() << "no error";
  } catch (const platform::TFileError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + fs::absolute(path_).string());
  }
}

TEST_F(IniFileTest, ReadOnlyFileRaisesUnableToWrite) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write read-only files";
  Put("[Options]\nA=1\n");
  fs::permissions(path_, fs::perms::owner_read, fs::perm_options::replace);
  TIniFile ini(path_);
  EXPECT_THROW(ini.WriteString("Options", "A", "2"), platform::TFileError);
  EXPECT_EQ(ini.ReadString("Options", "A", ""), "1");
}

}  // namespace
