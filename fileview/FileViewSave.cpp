// The files frame: saving a side, the difference report, find and replace.
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include "app/Main.h"
#include "app/Settings.h"
#include "editor/CodeEditor.h"
#include "fileview/FileView.h"
#include "fileview/FrameParts.h"
#include "compare/Rows.h"
#include "platform/FileSys.h"
#include "search/PaneSearch.h"
#include "search/Searches.h"

namespace {

// The folder part of a path (of a file, or of a library under an object caption), for the
// dialogs; empty when there is no such folder.
QString FolderOf(const QString& path) {
  QFileInfo file(path);
  if (!file.exists()) file = QFileInfo(path.left(path.lastIndexOf('@')));
  return !path.isEmpty() && file.exists() ? file.absolutePath() : QString();
}

// A pane as the search routines see it.
class TPaneSearchTarget : public TSearchPane {
 public:
  explicit TPaneSearchTarget(TCodeEdit& pane) : pane_(pane) {}
  int LineCount() const override { return pane_.Lines().Count(); }
  std::string_view LineText(int line) const override {
    const std::string& s = pane_.Lines().Get(line);
    return std::string_view(s.data(), static_cast<std::size_t>(pane_.Lines().GetLineObj(line).Length));
  }
  int CaretX() const override { return pane_.CaretPos().X; }
  int CaretY() const override { return pane_.CaretPos().Y; }
  void MoveCaretTo(int x, int y) override { pane_.MoveCaretTo(TPoint{x, y}); }
  void SetSelLength(int length) override { pane_.SetSelLength(length); }
  void ScrollCaretIntoView() override { pane_.ScrollCaretIntoView(); }
  void InsertText(const std::string& text) override { pane_.InsertText(text); }

 private:
  TCodeEdit& pane_;
};

}  // namespace

// ---- saving ---------------------------------------------------------------------------------

std::vector<std::string> TFilesFrame::SavedText(bool isLeft) const {
  TCodeEdit* pane = PaneOf(isLeft);
  const TLines& lines = pane->Lines();
  const std::vector<std::string>& source = isLeft ? SourceList1 : SourceList2;
  // A pane still holding the rows of the last fill (also the other side's, after a new text
  // arrived on one side and was not compared) needs its fillers taken out.
  if (!(isLeft ? Aligned1 : Aligned2)) return lines.ToVector();
  if (FilledDiffsOnly && !lines.Modified()) return source;
  std::vector<TPaneRow> rows;
  rows.reserve(static_cast<std::size_t>(lines.Count()));
  for (int i = 0; i < lines.Count(); ++i) {
    const TLineObj& obj = lines.GetLineObj(i);
    rows.push_back({lines.Get(i), obj.Tag, obj.Modified});
  }
  return SavedLines(rows, source, LastChanges, isLeft, FilledDiffsOnly);
}

void TFilesFrame::SaveTextTo(const QString& path, bool isLeft) {
  platform::SaveTextLines(ToPath(path), SavedText(isLeft), {isLeft ? Encoding1 : Encoding2});
}

void TFilesFrame::SaveText(QObject* sender) {
  const bool left = sender == Main.mnuSave1 || sender == Main.tbSave1;
  TCodeEdit* pane = PaneOf(left);
  if (pane->Lines().Empty()) return;
  static const std::string kHeader = "$PBExportHeader$";
  const std::string& first = pane->Lines().Get(0);
  QString proposal;
  if (first.find(kHeader) != std::string::npos && first.size() > kHeader.size())
    proposal = FromCodePage(std::string_view(first).substr(kHeader.size()));
  const QString folder = FolderOf(left ? Name1 : Name2);
  if (!proposal.isEmpty() && !folder.isEmpty()) proposal = QDir(folder).filePath(proposal);
  const QString path = ChooseSaveFile(proposal.isEmpty() ? folder : proposal);
  if (!path.isEmpty()) SaveTextTo(path, left);
}

std::vector<std::string> TFilesFrame::ReportLines() const {
  const QLocale locale = QLocale::system();
  auto format = [&locale](platform::TDateTime t) {
    const QDateTime dt = QDateTime::fromSecsSinceEpoch(t.Seconds, Qt::UTC);
    return ToCodePage(locale.toString(dt.date(), QLocale::ShortFormat) + ", " +
                      locale.toString(dt.time(), QLocale::ShortFormat));
  };
  TReportHeader header;
  header.Name1 = ToCodePage(Name1);
  header.Name2 = ToCodePage(Name2);
  if (FileTime1 != 0) header.FileTime1 = platform::TDateTime{FileTime1};
  if (FileTime2 != 0) header.FileTime2 = platform::TDateTime{FileTime2};
  const QDateTime now = QDateTime::currentDateTime();
  header.Now = platform::LocalFromUnixTime(static_cast<std::time_t>(now.toSecsSinceEpoch()));
  const TLines& left = Pane1->Lines();
  const TLines& right = Pane2->Lines();
  const int count = std::min(left.Count(), right.Count());
  const bool positionsValid = static_cast<int>(FilledInsertPos.size()) == left.Count();
  std::vector<TAlignedRow> rows(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const TLineObj& l = left.GetLineObj(i);
    const TLineObj& r = right.GetLineObj(i);
    TAlignedRow& row = rows[static_cast<std::size_t>(i)];
    row.Left = {left.Get(i), l.Color, l.Tag, l.Kind};
    row.Right = {right.Get(i), r.Color, r.Tag, r.Kind};
    // Only a display without the equal rows needs the record's own position for an added
    // block's heading.
    if (positionsValid && FilledDiffsOnly) row.InsertPos = FilledInsertPos[static_cast<std::size_t>(i)];
  }
  return BuildReport(header, rows, TRowColors{clWindow, AddColor, ModColor, DelColor}, format);
}

void TFilesFrame::SaveReportTo(const QString& path) {
  platform::SaveTextLines(ToPath(path), ReportLines(), {platform::TTextEncoding::CodePage, platform::TLineBreak::CrLf, true, 936});
  ReportFileName = path;
}

void TFilesFrame::SaveReport() {
  const QString path = ChooseReportFile(FolderOf(Name1));
  if (!path.isEmpty()) SaveReportTo(path);
}

// ---- find and replace -----------------------------------------------------------------------

void TFilesFrame::SetSearchPattern() {
  Search->SetPattern(ToCodePage(SearchOptions.FindText));
  Search->SetCaseSensitive(!SearchOptions.IgnoreCase);
}

void TFilesFrame::FindCommand() {
  if (!ShowFindDialog(&Main, SearchOptions)) return;
  SetSearchPattern();
  FindNextCommand();
}

TCodeEdit* TFilesFrame::SearchTarget() const { return ActivePane() == Pane2 ? Pane2 : Pane1; }

void TFilesFrame::FindNextCommand() {
  if (SearchOptions.FindText.isEmpty()) {
    FindCommand();
    return;
  }
  TPaneSearchTarget target(*SearchTarget());
  const bool found = SearchOptions.Forward ? FindForward(target, *Search, SearchOptions.WholeWords)
                                           : FindBackward(target, *Search, SearchOptions.WholeWords);
  if (!found) Beep();
}

void TFilesFrame::ReplaceCommand() {
  if (!ShowReplaceDialog(&Main, SearchOptions)) return;
  SetSearchPattern();
  RunReplace();
}

void TFilesFrame::RunReplace() {
  TCodeEdit* pane = SearchTarget();
  TPaneSearchTarget target(*pane);
  TReplaceRun run;
  run.ReplaceText = ToCodePage(SearchOptions.ReplaceText);
  run.WholeWords = SearchOptions.WholeWords;
  run.Prompt = SearchOptions.Prompt;
  run.ReplaceAll = SearchOptions.ReplaceAll;
  run.Ask = [this, pane] {
    return AskReplace ? AskReplace(pane) : ShowReplacePrompt(pane->viewport(), pane->PointToPixel(pane->CaretPos()));
  };
  if (SearchOptions.Forward)
    ReplaceForward(target, *Search, run);
  else
    ReplaceBackward(target, *Search, run);
}
