// The Windows platform layer (platform/win), run under Wine: arguments through a child process,
// wide and long file names through every file call, output to a pipe.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "LibWriter.h"
#include "platform/FileSys.h"
#include "platform/Process.h"
#include "platform/System.h"

namespace fs = std::filesystem;
using namespace platform;

namespace {

fs::path Child() { return ProgramFile().parent_path() / "quorvex_win_args_echo.exe"; }

TEST(WinProcess, ArgumentsReachTheChildAsGivenAndItsOutputAsWritten) {
  // Blanks, quotes, backslashes before a quote and at the end (the C runtime's quoting rules),
  // empty, tabs, and characters outside any 8-bit code page.
  const std::vector<std::string> args{"plain", "two words", "", "quote\"inside", "trailing\\", "trailing two\\\\",
                                      "before \\\" quote", "\\\\server\\share\\", "tab\there", "系统.pbl",
                                      "Fontes/manutenção", "a\\\\\\\"b", "end space "};
  const TProgramResult r = RunProgram(PathToUtf8(Child()), args);
  EXPECT_EQ(r.Exit, 3);
  std::vector<std::string> got;
  std::size_t at = 0;
  for (std::size_t nul; (nul = r.Out.find('\0', at)) != std::string::npos; at = nul + 1) got.push_back(r.Out.substr(at, nul - at));
  EXPECT_EQ(got, args);
  // A pipe gets the bytes as written: no CR before LF.
  EXPECT_EQ(r.Out.substr(at), "one\ntwo\n");
}

TEST(WinProcess, PipedChildAnswersLineByLineAndPipeIsNoConsole) {
  TPipedProcess cat(PathToUtf8(Child()), {"--cat"});
  for (const std::string line : {"first", "第二 line", ""}) {
    cat.Write(line + "\n");
    EXPECT_EQ(cat.ReadLine(), line);
  }
  EXPECT_EQ(RunProgram(PathToUtf8(Child()), {"--terminal"}).Out, "not a console");
  EXPECT_THROW(RunProgram("quorvex-no-such-program", {}), TFileError);
}

// Makes the folders of `p`, however long (CreateDirectoryW on the \\?\ form).
void MakeFolders(const fs::path& p) {
  fs::path part;
  for (const fs::path& piece : p) {
    part /= piece;
    if (part == part.root_path() || part == part.root_name()) continue;
    CreateDirectoryW((L"\\\\?\\" + fs::absolute(part).make_preferred().wstring()).c_str(), nullptr);
  }
}

TEST(WinFiles, WideAndLongNamesWorkThroughEveryCall) {
  testsupport::TTempDir dir;
  const std::string longName = std::string(90, 'a') + "/" + std::string(90, 'b') + "/" + std::string(90, 'c') + "/Long.sru";
  for (const std::string& name : {std::string("系统.pbl"), std::string("manutenção/Fontes.sru"), longName}) {
    const fs::path p = dir.Path() / PathFromUtf8(name);
    // A path made straight from UTF-8 text, as the program makes many, reads it as UTF-8 too.
    EXPECT_EQ(fs::path(name).wstring(), PathFromUtf8(name).wstring()) << name;
    MakeFolders(p.parent_path());
    const std::string bytes = "text of " + name + "\r\n";
    WriteFileBytes(p, bytes);
    EXPECT_EQ(ReadFileBytes(p), bytes) << name;
    const auto st = StatPath(p);
    ASSERT_TRUE(st) << name;
    EXPECT_EQ(st->Kind, TPathKind::File);
    EXPECT_EQ(st->Size, static_cast<std::int64_t>(bytes.size()));
    // Found without case, written as on disk.
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; });
    const auto found = FindPathNoCase(dir.Path() / PathFromUtf8(upper));
    ASSERT_TRUE(found) << name;
    EXPECT_TRUE(*found == p) << PathToUtf8(*found);
    const auto names = FolderNames(p.parent_path());
    ASSERT_TRUE(names);
    EXPECT_EQ(std::count(names->begin(), names->end(), PathToUtf8(p.filename())), 1) << name;
    // Replaced whole, nothing left beside it.
    WriteFileBytes(p, "second");
    EXPECT_EQ(ReadFileBytes(p), "second");
    EXPECT_EQ(FolderNames(p.parent_path())->size(), names->size()) << name;
  }
}

TEST(WinFiles, ReadOnlyTargetIsRefusedAndKept) {
  testsupport::TTempDir dir;
  const fs::path p = dir.Write("locked.txt", "old");
  SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_THROW(WriteFileBytes(p, "new"), TFileError);
  EXPECT_EQ(ReadFileBytes(p), "old");
  EXPECT_EQ(FolderNames(dir.Path())->size(), 1u);
  SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_THROW(ReadFileBytes(dir.Path() / "missing.txt"), TFileError);
  EXPECT_THROW(TFileStream(dir.Path()), TFileError);
}

}  // namespace
