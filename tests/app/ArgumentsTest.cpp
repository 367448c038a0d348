// The desktop program's command line read without a window: labels taken out, refusals named.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "app/Arguments.h"
#include "platform/FileSys.h"
#include "LibWriter.h"

using app::ParseStartArguments;
using app::TStartArguments;

namespace {

struct TRefusal {
  const char* Name;
  QStringList Args;
  std::string Message;  // a part of what is said
};

TEST(StartArguments, CommandLinesThatCannotBeUsedAreRefusedWithTheirReason) {
  testsupport::TTempDir dir;
  const QString text = QString::fromStdString(dir.Write("a.txt", "1\n").string());
  const QString lib = QString::fromStdString(dir.Write("x.pbl", "").string());
  const TRefusal cases[] = {
      {"a label without its text", {text, "-L"}, "-L needs a label"},
      {"three labels", {"-L", "a", "-L", "b", "--label", "c", text}, "at most one label"},
      {"labels and no file", {"-La", "-Lb"}, "Name the files"},
      {"three files", {text, text, text}, "at most two"},
      {"a side and a text file", {lib, text}, "not one of each"},
      {"a text file and a side", {text, "git:HEAD"}, "not one of each"},
  };
  for (const TRefusal& c : cases) {
    SCOPED_TRACE(c.Name);
    try {
      ParseStartArguments(c.Args);
      ADD_FAILURE() << "accepted";
    } catch (const std::invalid_argument& e) {
      EXPECT_NE(std::string(e.what()).find(c.Message), std::string::npos) << e.what();
    }
  }
  EXPECT_THROW(ParseStartArguments({text, QString::fromStdString((dir.Path() / "none.txt").string())}),
               platform::TFileError);
}

TEST(StartArguments, LabelsInEveryFormGoToTheFilesInOrder) {
  testsupport::TTempDir dir;
  const QString text = QString::fromStdString(dir.Write("a.txt", "1\n").string());
  const TStartArguments r = ParseStartArguments({"--label", "a/x", text, "-Lb/x", "/dev/null"});
  EXPECT_EQ(r.Paths, QStringList({text, "/dev/null"}));
  EXPECT_FALSE(r.Sides);
  EXPECT_EQ(r.Labels[compare::Side1], "a/x");
  EXPECT_EQ(r.Labels[compare::Side2], "b/x");
  // A git revision is a side and is not looked for on disk.
  EXPECT_TRUE(ParseStartArguments({"git:HEAD", "git:HEAD~1:app"}).Sides);
}

}  // namespace
