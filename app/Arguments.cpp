#include "app/Arguments.h"

#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "app/Main.h"
#include "fileview/FileView.h"
#include "libview/LibView.h"
#include "mergeview/MergeView.h"
#include "platform/FileSys.h"

namespace app {

bool IsSideArgument(const QString& arg) {
  if (arg.startsWith("git:")) return true;
  const QFileInfo info(arg);
  if (info.isDir()) return true;
  const QString ext = info.suffix().toLower();
  return ext == "pbl" || ext == "pbt" || ext == "pbw";
}

TStartArguments ParseStartArguments(const QStringList& given) {
  TStartArguments r;
  // -L LABEL (--label LABEL, -LLABEL), once for each text file, shows LABEL instead of its path.
  std::size_t labelCount = 0;
  for (int i = 0; i < given.size(); ++i) {
    const QString& a = given[i];
    const bool separate = a == "-L" || a == "--label";
    if (!separate && !(a.startsWith("-L") && a.size() > 2)) {
      r.Paths << a;
      continue;
    }
    if (separate && i + 1 >= given.size())
      throw std::invalid_argument(TMainForm::tr("-L needs a label.").toStdString());
    if (labelCount == r.Labels.size())
      throw std::invalid_argument(TMainForm::tr("Give at most one label for each file.").toStdString());
    r.Labels[labelCount++] = separate ? given[++i] : a.mid(2);
  }
  const QStringList& args = r.Paths;
  if (args.isEmpty()) throw std::invalid_argument(TMainForm::tr("Name the files the labels are for.").toStdString());
  if (args.size() > compare::SideCount)
    throw std::invalid_argument(TMainForm::tr("Name at most two sides or two files.").toStdString());
  r.Sides = IsSideArgument(args[0]);
  for (const QString& a : args)
    if (IsSideArgument(a) != r.Sides)
      throw std::invalid_argument(
          TMainForm::tr("Name two libraries (or targets, workspaces, folders) or two text files, not one of each.")
              .toStdString());
  for (const QString& a : args)
    if (!a.startsWith("git:") && !QFileInfo::exists(a))
      throw platform::TFileError(TMainForm::tr("%1: no such file").arg(a).toStdString());
  return r;
}

void TMainForm::OpenArguments(const QStringList& given) {
  if (given.isEmpty()) return;
  for (auto& side : StoredSides) side.clear();
  MergeRequested = given.contains("-o") || given.contains("--output");
  QTimer::singleShot(0, this, [this, given] {
    try {
      if (MergeRequested) {
        OpenMerge(given);
        return;
      }
      const TStartArguments start = ParseStartArguments(given);
      const QStringList& args = start.Paths;
      if (!start.Sides) {
        tbFileClick();
        std::array<QString, compare::SideCount> paths;
        for (compare::TSide side : compare::AllSides) paths[side] = args.value(side);
        FilesFrame->LoadFiles(paths, start.Labels);
        return;
      }
      auto isLibrary = [](const QString& a) { return QFileInfo(a).isFile() && QFileInfo(a).suffix().toLower() == "pbl"; };
      if (args.size() == compare::SideCount && std::all_of(args.begin(), args.end(), isLibrary)) {
        mnuObjsClick();
        for (compare::TSide side : compare::AllSides)
          LibFrame->OpenOneLibrary(QFileInfo(args[side]).absoluteFilePath().toStdString(), side);
        return;
      }
      std::array<std::vector<std::filesystem::path>, compare::SideCount> sides;
      for (compare::TSide side : compare::AllSides)  // a git side names a revision, not a file: kept as written
        if (side < args.size())
          sides[side].emplace_back(
              (args[side].startsWith("git:") ? args[side] : QFileInfo(args[side]).absoluteFilePath()).toStdString());
      LibFrame->RestoreSides(sides);
    } catch (const std::exception& e) {
      ShowError(e);
    }
  });
}

// -o MERGED FILE1 BASE FILE2 (Meld's order, git mergetool's $MERGED $LOCAL $BASE $REMOTE).
void TMainForm::OpenMerge(const QStringList& given) {
  QStringList args = given;
  const qsizetype at = std::max(args.indexOf("-o"), args.indexOf("--output"));
  if (at + 1 >= args.size())
    throw std::invalid_argument(tr("-o needs the merged file: -o MERGED FILE1 BASE FILE2.").toStdString());
  const QString output = args[at + 1];
  args.remove(at, 2);
  if (args.size() != 3)
    throw std::invalid_argument(tr("Name three files to merge: -o MERGED FILE1 BASE FILE2.").toStdString());
  for (const QString& a : args)
    if (!QFileInfo(a).isFile() && a != "/dev/null")
      throw platform::TFileError(tr("%1: no such file").arg(a).toStdString());
  MergeFrame->LoadFiles(output, {args[0], args[1], args[2]});
  mnuMergeClick();
  activateWindow();  // its keys act in the result pane at once
}

}  // namespace app
