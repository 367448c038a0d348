// The files frame: saving a side, the difference report, find and replace.
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include "report/HtmlReport.h"
#include "compare/Report.h"
#include "editor/CodeEditor.h"
#include "editor/SearchTarget.h"
#include "fileview/FileView.h"
#include "fileview/FrameParts.h"
#include "platform/FileSys.h"
#include "search/PaneSearch.h"
#include "search/Searches.h"

using search::FindBackward;
using search::FindForward;
using search::ReplaceBackward;
using search::ReplaceForward;
using search::ShowFindDialog;
using search::ShowReplaceDialog;
using search::ShowReplacePrompt;
using search::TReplaceRun;

using compare::AllSides;
using compare::Side1;
using compare::Side2;
using compare::TRowKind;
using editor::TCodeEdit;
using editor::TLineObj;
using editor::TLines;
using editor::TPaneSearchTarget;

namespace fileview {

namespace {

// The folder part of a path (of a file, or of a library under an object caption), for the
// dialogs; empty when there is no such folder.
QString FolderOf(const QString& path) {
  QFileInfo file(path);
  if (!file.exists()) file = QFileInfo(path.left(path.lastIndexOf('@')));
  return !path.isEmpty() && file.exists() ? file.absolutePath() : QString();
}

}  // namespace

// ---- saving ---------------------------------------------------------------------------------

std::vector<std::string> TFilesFrame::SavedText(TSide side) const {
  const TLines& lines = Pane(side)->Lines();
  const compare::TSideText& source = Text(side);
  // A pane still holding the rows of the last fill (also the other side's, after a new text
  // arrived on one side and was not compared) needs its fillers taken out.
  if (!sides_[side].Aligned) return lines.ToVector();
  if (FilledDiffsOnly && !lines.Modified()) return source.ToVector();
  std::vector<compare::TPaneRow> rows;
  rows.reserve(static_cast<std::size_t>(lines.Count()));
  for (int i = 0; i < lines.Count(); ++i) {
    const TLineObj& obj = lines.GetLineObj(i);
    rows.push_back({lines.Get(i), obj.Tag, obj.Modified});
  }
  return compare::SavedLines(rows, source, Model.Changes, side, FilledDiffsOnly);
}

void TFilesFrame::SaveTextTo(const QString& path, TSide side) {
  const compare::TSideText& text = Text(side);
  platform::SaveTextLines(ToPath(path), SavedText(side), text.Format, text.HexLines.get());
}

QString TFilesFrame::SaveProposal(TSide side) const {
  TCodeEdit* pane = Pane(side);
  static const std::string kHeader = "$PBExportHeader$";
  const std::string_view first = pane->Lines().Empty() ? std::string_view() : pane->Lines().Get(0);
  QString proposal;
  if (first.find(kHeader) != std::string_view::npos && first.size() > kHeader.size())
    proposal = FromCodePage(first.substr(kHeader.size()));
  const QString folder = FolderOf(Name(side));
  if (!proposal.isEmpty() && !folder.isEmpty()) proposal = QDir(folder).filePath(proposal);
  return proposal.isEmpty() ? folder : proposal;
}

void TFilesFrame::Saved(const QString& path, TSide side) {
  // Written over the side's own file: the pane holds what the file holds.
  if (sides_[side].Path.isEmpty() || QFileInfo(path) != QFileInfo(sides_[side].Path)) return;
  sides_[side].FileStamp = FileStamp(sides_[side].Path);
  Pane(side)->Lines().SetModified(false);
  MarkEdited(side, false);
}

void TFilesFrame::SaveText(TSide side) {
  if (Pane(side)->Lines().Empty()) return;
  const QString path = ChooseSaveFile(SaveProposal(side));
  if (path.isEmpty()) return;
  SaveTextTo(path, side);
  Saved(path, side);
}

bool TFilesFrame::SaveEdits(TSide side) {
  // A side with a file goes back to it; a library object's text has none: asked as Save asks.
  const QString path = sides_[side].Path.isEmpty() ? ChooseSaveFile(SaveProposal(side)) : sides_[side].Path;
  if (path.isEmpty()) return false;
  try {
    SaveTextTo(path, side);
  } catch (const std::exception& e) {
    Host.ShowError(e);
    return false;
  }
  Saved(path, side);
  Pane(side)->Lines().SetModified(false);
  MarkEdited(side, false);
  return true;
}

std::vector<std::string> TFilesFrame::ReportLines() const {
  const QLocale locale = QLocale::system();
  auto format = [&locale](platform::TDateTime t) {
    const QDateTime dt = QDateTime::fromSecsSinceEpoch(t.Seconds, Qt::UTC);
    return ToCodePage(locale.toString(dt.date(), QLocale::ShortFormat) + ", " +
                      locale.toString(dt.time(), QLocale::ShortFormat));
  };
  compare::TReportHeader header;
  header.Name1 = ToCodePage(Name(Side1));
  header.Name2 = ToCodePage(Name(Side2));
  header.FileTime1 = Text(Side1).FileTime;
  header.FileTime2 = Text(Side2).FileTime;
  const QDateTime now = QDateTime::currentDateTime();
  header.Now = platform::LocalFromUnixTime(static_cast<std::time_t>(now.toSecsSinceEpoch()));
  // The report reads the panes, which may hold edits. While they hold the rows of the fill, an
  // added block's heading takes its position from the comparison (the equal rows may be left
  // out); otherwise from the last line number above it.
  const TLines& left = Pane(Side1)->Lines();
  const TLines& right = Pane(Side2)->Lines();
  const int count = std::min(left.Count(), right.Count());
  const bool rowsAsFilled = Model.Present && left.Count() == Model.Rows.Count();
  std::int32_t top = 0;
  return compare::BuildReport(
      header, count,
      [&](std::int32_t i) {
        compare::TReportRow row;
        row.Kind = static_cast<TRowKind>(left.GetLineObj(i).Kind);
        for (TSide s : AllSides) {
          const TLines& pane = Pane(s)->Lines();
          row.Text[s] = pane.Get(i);
          const std::int32_t tag = pane.GetLineObj(i).Tag;
          row.Cells[s] = tag > 0 ? compare::TCell{tag - 1, -1} : compare::TCell::Filler(top);
        }
        top = std::max(top, left.GetLineObj(i).Tag);
        if (rowsAsFilled && row.Cells[Side1].IsFiller())
          row.Cells[Side1] = Model.Rows.Rows[static_cast<std::size_t>(i)].Cells[Side1];
        return row;
      },
      format);
}

std::string TFilesFrame::HtmlReportPage() const {
  const QLocale locale = QLocale::system();
  report::THtmlHeader header;
  header.Name1 = Name(Side1).toStdString();
  header.Name2 = Name(Side2).toStdString();
  for (TSide s : AllSides) {
    if (const auto& t = Text(s).FileTime) {
      const QDateTime dt = QDateTime::fromSecsSinceEpoch(t->Seconds, Qt::UTC);
      (s == Side1 ? header.Time1 : header.Time2) =
          (locale.toString(dt.date(), QLocale::ShortFormat) + ", " + locale.toString(dt.time(), QLocale::ShortFormat))
              .toStdString();
    }
  }
  header.Options = Model.Options;
  header.Options.BySection = bySection_;
  const views::TViewColors colors = Host.Colors();
  header.Colors = {colors.Add, colors.Mod, colors.Del};
  std::array<const compare::TSideText*, compare::SideCount> texts{};
  for (TSide s : AllSides) texts[s] = ResultPresent ? ShownText(s).get() : &Text(s);
  if (!ResultPresent) return report::HtmlReport(header, compare::TRows{}, texts, nullptr);
  if (!bySection_) return report::HtmlReport(header, Model);
  return report::HtmlReport(header, sectionRows_, texts,
                             [this](std::int32_t line1, std::int32_t line2) {
                               return compare::ChangedSpans(sectionTexts_[Side1]->Line(line1),
                                                            sectionTexts_[Side2]->Line(line2), Model.Options);
                             });
}

bool IsHtmlReportName(const QString& path) {
  return path.endsWith(".html", Qt::CaseInsensitive) || path.endsWith(".htm", Qt::CaseInsensitive);
}

void TFilesFrame::SaveReportTo(const QString& path) {
  // The report is written in UTF-8 without a byte-order mark, as quorvex-cli prints it.
  if (IsHtmlReportName(path))
    platform::WriteFileBytes(ToPath(path), HtmlReportPage());
  else
    platform::SaveTextLines(ToPath(path), ReportLines(), {platform::TTextEncoding::Utf8});
  ReportFileName = path;
}

void TFilesFrame::SaveReport() {
  const QString path = ChooseReportFile(FolderOf(Name(Side1)));
  if (path.isEmpty()) return;
  // The page shows the rows of the last comparison; the text report reads the panes.
  const bool edited = Pane(Side1)->Lines().Modified() || Pane(Side2)->Lines().Modified();
  if (IsHtmlReportName(path) && edited &&
      !Host.AskYesNo(tr("HTML 报告写出上次比较的结果，窗格中此后的修改不在其中。"
                        "要包含修改，请先重新比较。仍然保存吗？")))
    return;
  SaveReportTo(path);
}

// ---- find and replace -----------------------------------------------------------------------

void TFilesFrame::SetSearchPattern() {
  Search->SetPattern(ToCodePage(SearchOptions.FindText));
  Search->SetCaseSensitive(!SearchOptions.IgnoreCase);
}

void TFilesFrame::FindCommand() {
  if (!ShowFindDialog(Host.DialogParent(), SearchOptions)) return;
  SetSearchPattern();
  FindNextCommand();
}

TCodeEdit* TFilesFrame::SearchTarget() const { return ActivePane() ? ActivePane() : Pane(Side1); }

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
  if (!ShowReplaceDialog(Host.DialogParent(), SearchOptions)) return;
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

}  // namespace fileview
