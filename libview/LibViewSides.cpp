// The library frame's sides: the open dialog, adding libraries, folders and git revisions to a
// side, clearing a side, the path histories and the pairing of both sides.
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolButton>
#include <algorithm>

#include "libview/LibView.h"
#include "libview/Paths.h"
#include "platform/CodePage.h"
#include "platform/FileSys.h"
#include "platform/TextFile.h"

using pbl::TKeyed;

namespace libview {

namespace fs = std::filesystem;

using compare::Side1;
using compare::TSide;

namespace {

// "text|pattern|text|pattern" to the dialog's filters; each text names its pattern already.
QStringList NameFilters(const QString& filter) {
  QStringList parts = filter.split('|'), out;
  for (int i = 0; i < parts.size(); i += 2) out << parts[i];
  return out;
}

}  // namespace

// Asks for a revision of a git repository: the repository's folder (typed or chosen), the
// revision and the path in it. None for Cancel.
std::optional<TLibFrame::TGitSide> AskGitSideDialog(QWidget* parent, compare::TSide side) {
  QDialog dialog(parent);
  dialog.setWindowTitle(TLibFrame::tr("添加 git 版本 %1").arg(side + 1));
  auto* form = new QFormLayout(&dialog);
  auto* repository = new QLineEdit(QDir::currentPath(), &dialog);
  auto* browse = new QToolButton(&dialog);
  browse->setText("...");
  auto* repositoryRow = new QHBoxLayout;
  repositoryRow->addWidget(repository, 1);
  repositoryRow->addWidget(browse);
  auto* revision = new QLineEdit("HEAD", &dialog);
  auto* path = new QLineEdit(&dialog);
  path->setPlaceholderText(TLibFrame::tr("整个版本"));
  // The folder's row is a layout: its label names the edit box as its buddy, so that the key works.
  auto* repositoryLabel = new QLabel(TLibFrame::tr("仓库文件夹(&R):"), &dialog);
  repositoryLabel->setBuddy(repository);
  repository->setMinimumWidth(repository->fontMetrics().averageCharWidth() * 40);
  form->addRow(repositoryLabel, repositoryRow);
  form->addRow(TLibFrame::tr("版本(&V):"), revision);
  form->addRow(TLibFrame::tr("路径(&P):"), path);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  form->addRow(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(browse, &QToolButton::clicked, &dialog, [&] {
    const QString chosen = QFileDialog::getExistingDirectory(&dialog, QString(), repository->text());
    if (!chosen.isEmpty()) repository->setText(chosen);
  });
  if (dialog.exec() != QDialog::Accepted || revision->text().trimmed().isEmpty()) return std::nullopt;
  return TLibFrame::TGitSide{repository->text().trimmed(), revision->text().trimmed(), path->text().trimmed()};
}

void TLibFrame::SetOpenDialog(const fs::path& folder, const QString& filter, bool multiple) {
  QSignalBlocker quiet(OpenDialog1);
  OpenDialog1->setDirectory(folder.empty() ? QString() : QString::fromStdString(folder.string()));
  // Each side's dialog starts without the name chosen last (on the other side, say).
  OpenDialog1->selectFile(QString());
  if (auto* name = OpenDialog1->findChild<QLineEdit*>("fileNameEdit")) name->clear();
  // "*.pbl" also shows "X.PBL": file names keep their case here, as they did not where the
  // libraries were made.
  OpenDialog1->setFilter(OpenDialog1->filter() & ~QDir::CaseSensitive);
  OpenDialog1->setFileMode(multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  const QStringList filters = NameFilters(filter);
  OpenDialog1->setNameFilters(filters);
  // The file type chosen last stays selected.
  if (filters.size() > 1) OpenDialog1->selectNameFilter(filters.value(std::clamp(filterIndex_, 1, int(filters.size())) - 1));
}

void TLibFrame::OpenLibsClick(TSide side) {
  if (Pairing()) return;
  SetOpenDialog(Host.Folder(side), LibraryFilter(), true);
  const QStringList chosen = ExecuteOpenDialog ? ExecuteOpenDialog() : QStringList();
  if (chosen.isEmpty()) return;
  std::vector<fs::path> files;
  for (const QString& f : chosen) files.push_back(QPath(f));
  AddLibraries(files, side);
}

void TLibFrame::OpenDialog1TypeChange(int index) { filterIndex_ = index; }

void TLibFrame::AddLibraries(const std::vector<fs::path>& Files, TSide side) {
  if (Pairing() || Files.empty()) return;
  TAddProblems problems;
  AddFiles(Files, side, filterIndex_, problems, {});
  Host.SetFolder(side, FolderOf(Files.front()));
  ReportAddProblems(problems);
  CompareLibraries();
  ShowLibraries();
}

void TLibFrame::AddFiles(const std::vector<fs::path>& files, TSide side, int fileType, TAddProblems& problems,
                         const fs::path& repository) {
  // Libraries named twice by the command are merged by the collection; names the side holds
  // already come back as duplicates.
  model_.LibraryFiles = Host.Options().LibraryFiles;
  NoteProblems(model_.Add(side, files, fileType, repository), side, problems);
}

void TLibFrame::NoteProblems(const sides::TSideReport& report, TSide side, TAddProblems& problems) {
  auto once = [](QStringList& list, const QString& text) {
    if (!list.contains(text)) list << text;
  };
  for (const sides::TSideProblem& p : report.Problems()) {
    const QString told = DescribeProblem(p);
    switch (p.Kind) {
      case sides::TProblemKind::Missing:
        if (std::find(problems.Missing.begin(), problems.Missing.end(), fs::path(p.Where)) == problems.Missing.end())
          problems.Missing.push_back(p.Where);
        break;
      case sides::TProblemKind::Duplicate:
        // A second library of one name met by the command is left out and said so; side 1 drops
        // the names it holds already without a word.
        if (!p.Kept.empty())
          once(problems.LeftOut, told);
        else if (side != Side1)
          once(problems.Duplicates, Utf8(p.Detail));
        break;
      case sides::TProblemKind::NoLibraries: once(problems.Empty, told); break;
      case sides::TProblemKind::Unreadable: once(problems.Unreadable, told); break;
      case sides::TProblemKind::ExportsDiffer: once(problems.Differ, told); break;
    }
  }
}

QString TLibFrame::DescribeProblem(const sides::TSideProblem& p) {
  const QString where = Utf8(p.Where), detail = Utf8(p.Detail);
  switch (p.Kind) {
    case sides::TProblemKind::Missing: return tr("%1 does not exist").arg(where);
    case sides::TProblemKind::Unreadable: return detail;
    case sides::TProblemKind::Duplicate:
      return p.Kept.empty() ? tr("%1 already in Destination").arg(detail)
                            : tr("%1 left out: %2 is %3").arg(where, detail, Utf8(p.Kept));
    case sides::TProblemKind::NoLibraries: return tr("%1 holds no library").arg(where);
    case sides::TProblemKind::ExportsDiffer:
      return p.Count == 1 ? tr("%1: %2 and its exports in this folder differ in 1 object").arg(where, detail)
                          : tr("%1: %2 and its exports in this folder differ in %3 objects")
                                .arg(where, detail, QString::number(p.Count));
  }
  return where;
}

std::vector<fs::path> TLibFrame::SideFiles(TSide side) const { return model_.Added(side); }

void TLibFrame::CollectAgain() {
  if (Pairing()) return;
  std::array<std::vector<fs::path>, compare::SideCount> sides;
  for (TSide side : compare::AllSides) {
    sides[side] = model_.Added(side);
    model_.Clear(side);
  }
  RestoreSides(sides);
}

void TLibFrame::RestoreSides(const std::array<std::vector<fs::path>, compare::SideCount>& sides) {
  if (Pairing()) return;
  TAddProblems problems;
  for (TSide side : compare::AllSides) {
    for (const fs::path& file : sides[side]) {
      // Read by what each is: a library, target, workspace, folder or git side (stored with the
      // repository it is a revision of).
      std::string text = file.string();
      fs::path repository;
      const std::size_t at = text.rfind(kRepositorySeparator);
      if (text.rfind("git:", 0) == 0 && at != std::string::npos) {
        repository = text.substr(at + 1);
        text.resize(at);
      }
      try {
        AddFiles({fs::path(text)}, side, sides::ftAuto, problems, repository);
      } catch (const std::exception& e) {
        problems.Unreadable << Utf8(e.what());
      }
    }
  }
  ReportAddProblems(problems);
  if (model_.Empty()) return;
  Guarded([this] {
    CompareLibraries();
    ShowLibraries();
  });
}

// One message for everything an add command could not take, however many files it named: the
// counts first, then each problem once, in the order met.
void TLibFrame::ReportAddProblems(const TAddProblems& problems) {
  // Names with control characters show them as symbols: each name stays on its line.
  auto visible = [](const QString& s) { return QString::fromStdString(platform::ShowControls(s.toStdString())); };
  QStringList lines, counts;
  auto add = [&](const QStringList& items, const char* what) {
    for (const QString& item : items) lines << visible(item);
    if (!items.isEmpty()) counts << tr("%1 %2").arg(items.size()).arg(tr(what));
  };
  QStringList missing;
  for (const fs::path& m : problems.Missing) missing << tr("%1 does not exist").arg(PathQ(m));
  add(missing, QT_TR_NOOP("do not exist"));
  add(problems.Unreadable, QT_TR_NOOP("cannot be read"));
  add(problems.Empty, QT_TR_NOOP("hold no library"));
  add(problems.LeftOut, QT_TR_NOOP("left out"));
  QStringList duplicates;
  for (const QString& d : problems.Duplicates) duplicates << tr("%1 already in Destination").arg(d);
  add(duplicates, QT_TR_NOOP("already in Destination"));
  add(problems.Differ, QT_TR_NOOP("differ from their exports"));
  if (lines.isEmpty()) return;
  if (lines.size() > 1) lines.prepend(tr("%1:").arg(counts.join(tr(", "))));
  Host.ShowInformation(lines.join('\n'));
}

void TLibFrame::AddFolderClick(TSide side) {
  if (Pairing()) return;
  const QString folder = ChooseFolder ? ChooseFolder(side) : QString();
  if (folder.isEmpty()) return;
  TAddProblems problems;
  AddFiles({QPath(folder)}, side, sides::ftAuto, problems, {});
  Host.SetFolder(side, QPath(folder).parent_path() / "");
  ReportAddProblems(problems);
  CompareLibraries();
  ShowLibraries();
}

void TLibFrame::AddRevisionClick(TSide side) {
  if (Pairing()) return;
  const std::optional<TGitSide> given = AskGitSide ? AskGitSide(side) : std::nullopt;
  if (!given) return;
  std::string text = "git:" + given->Revision.toStdString();
  if (!given->Path.isEmpty()) text += ":" + given->Path.toStdString();
  TAddProblems problems;
  AddFiles({fs::path(text)}, side, sides::ftAuto, problems, QPath(given->Repository));
  ReportAddProblems(problems);
  CompareLibraries();
  ShowLibraries();
}

void TLibFrame::ClearClick(TSide side) {
  if (viewMode_ == 1 || Pairing()) return;
  model_.Clear(side);
  CompareLibraries();
  ShowLibraries();
}

void TLibFrame::lvLibsSelectItem(QTreeWidgetItem* Item, bool /*Selected*/) {
  if (viewMode_ != 0 || Pairing() || !Item) return;
  const std::size_t i = static_cast<std::size_t>(TListView::RowIndex(*Item));
  if (i >= model_.LibraryPairs().size()) return;
  for (TSide side : compare::AllSides) {
    const TKeyed<TFolderRec>* item = ItemOf(model_.Libraries(side), model_.LibraryPairs()[i], side);
    if (!item || item->Rec->Path.empty())
      cbOpen[side]->setEditText(QString());
    else
      cbOpen[side]->setEditText(item->Rec->Revision ? Utf8(sides::LibraryLocation(*item->Rec)) : PathQ(item->Rec->Path));
  }
}

fs::path TLibFrame::HistoryFile(TSide side) const { return exeDir_ / ("File" + std::to_string(side + 1) + ".lst"); }

void TLibFrame::LoadHistory(QComboBox* box, const fs::path& file) {
  box->clear();
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) return;
  std::vector<std::string> lines;
  try {
    // Written in UTF-8 with a byte-order mark; earlier versions wrote GB18030 without one.
    lines = platform::LoadTextLines(file, nullptr, platform::TUnmarked::Gb18030);
  } catch (const platform::TFileError&) {
    return;  // an unreadable history is as good as none
  }
  for (const std::string& line : lines) box->addItem(Utf8(platform::CodePageToUtf8(line)));
  box->setEditText(QString());
}

void TLibFrame::RememberPath(const fs::path& Path, TSide side) {
  QComboBox* box = cbOpen[side];
  const QString path = PathQ(Path);
  box->setEditText(path);
  for (int i = box->count() - 1; i >= 0; --i)
    if (box->itemText(i).compare(path, Qt::CaseInsensitive) == 0) box->removeItem(i);
  box->insertItem(0, path);
  // Changing the items may have put another item's text in the box.
  box->setEditText(path);
  std::vector<std::string> lines;
  for (int i = 0; i < box->count(); ++i) lines.push_back(platform::Utf8ToCodePage(box->itemText(i).toStdString()));
  platform::SaveTextLines(HistoryFile(side), lines, {platform::TTextEncoding::Utf8Bom});
}

}  // namespace libview
