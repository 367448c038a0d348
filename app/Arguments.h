// The desktop program's command line: what it names and how the main window opens it.
#pragma once

#include <QString>
#include <QStringList>

#include <array>

#include "compare/Side.h"

namespace app {

// What the program was started with, once its labels are taken out: one path a side (a library
// file, target, workspace, folder or git revision when Sides is set, text files otherwise) and
// the labels (-L) of the text files in their order.
struct TStartArguments {
  QStringList Paths;
  bool Sides = false;
  std::array<QString, compare::SideCount> Labels;
};

// Whether an argument names a library-like side rather than a text file.
bool IsSideArgument(const QString& arg);

// Takes the labels out (-L LABEL, --label LABEL, -LLABEL) and checks the rest: one or two paths,
// both sides or both text files, each there (a git revision is not looked for). Throws
// std::invalid_argument for a command line that cannot be used, platform::TFileError for a
// missing file.
TStartArguments ParseStartArguments(const QStringList& given);

}  // namespace app
