// TFilesFrame: the source comparison view, one text pane per side, aligned line by line.
//
// The window that carries the frame is a views::TViewHost: the frame binds its handlers to the
// host's commands when its view is activated (ActivateView), reads the options and colours from
// the host when it compares or fills, and reports counts, notes and errors to it. The frame is
// created, initialised once (InitFrame) after its pane font is set, asked to rebuild the aligned
// display when "show only differences" changes (FillPanes), and lets go of what it owns before
// it is destroyed (DoneFrame). The object list hands it two exported sources (SetSourceText per
// side, then RunCompare).
//
// The sides are indexed (compare::TSide); every per-side part of the frame is an array over
// compare::SideCount. The comparison itself is a compare::TComparison: the side texts (shared,
// held once), the change records and the aligned rows. The panes show the rows: a row's text is
// its side's line, an empty filler opposite an added or deleted line; each pane line carries the
// row's kind and its line number (Tag), and is painted in the colour of its kind.
//
// FileView.cpp builds the frame, loads and compares; FileViewNavigate.cpp moves through the
// result, copies blocks and keeps the panes and the overview strip in step; FileViewSave.cpp
// saves, writes the report and finds and replaces.
#pragma once

#include <QElapsedTimer>
#include <QFont>
#include <QWidget>

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "compare/Comparison.h"
#include "compare/Side.h"
#include "diff/DiffUnit.h"
#include "editor/Colors.h"
#include "search/FindReplace.h"
#include "views/ViewHost.h"

class QHBoxLayout;
class QLabel;
class QScrollArea;
class QSplitter;
class QVBoxLayout;
namespace search { class TBaseSearch; }
namespace editor { class TCodeEdit; }

namespace fileview {

class TOverviewStrip;

// Whether a report file name asks for the HTML page (.html, .htm in any case).
bool IsHtmlReportName(const QString& path);

class TFilesFrame : public QWidget {
  Q_OBJECT
 public:
  using TSide = compare::TSide;

  TFilesFrame(views::TViewHost& host, QWidget* parent);
  ~TFilesFrame() override;

  void InitFrame();
  void DoneFrame();
  void ActivateView();
  void FillPanes();
  // The show-differences-only mark has turned over: a shown result is rebuilt under it at once,
  // unless the user keeps edits the rebuild would drop (the mark then turns back).
  void ShowDiffsOnlyChanged();
  // The structure options (by section, positions, defaults) have changed: a shown result is
  // compared again under them.
  void StructureOptionsChanged();
  // A comparison option has changed: a shown result is compared again under it at once, the
  // caret's line and the scroll position kept. Edits are asked about first; false when the
  // user cancelled (nothing changed then).
  bool OptionsChanged();
  // Whether the panes show the by-section view: side 2 in side 1's order of sections, a
  // DataWindow one attribute per row. The panes are read-only there.
  bool BySectionShown() const { return bySection_; }
  // Why the last comparison by section fell back to lines (empty when it did not).
  const QString& SectionNote() const { return sectionNote_; }

  // ---- Texts ------------------------------------------------------------------------------
  // Loads a text file into a side and compares. A path that is no file is ignored; a file that
  // cannot be read raises platform::TFileError.
  void LoadFile(const QString& path, TSide side);
  // Loads a file into each side that names one, then compares once.
  // Labels, where given, are shown instead of the paths (git difftool's names for its files).
  void LoadFiles(const std::array<QString, compare::SideCount>& paths,
                 const std::array<QString, compare::SideCount>& labels = {});
  // A text handed over under a caption (library path "@" object name); the pane becomes
  // read-only, the side has no file time. Does not compare.
  void SetSourceText(const QString& caption, const std::vector<std::string>& lines, TSide side);
  // Compares the two texts and shows the aligned result. Asks first when a pane holds edits.
  void RunCompare();
  void CancelCompare();
  void DiffProgress(int percent);
  // Reloads a side whose file changed on disk since it was loaded (the application was
  // activated); a pane holding edits asks first.
  void CheckFilesChanged();
  // The sides whose files were read in the 8-bit code page, and whether one of their panes holds
  // edits; reading them again (after the code page changed) and comparing.
  bool CodePageTextsEdited() const;
  void ReloadCodePageTexts();

  // ---- Navigation, block copy, layout --------------------------------------------------------
  void NextDifference();
  void PrevDifference();
  // Copies the block of differences at the caret of side `from` over the same rows of side `to`.
  void CopyBlock(TSide from, TSide to);
  void CopyBlockRight() { CopyBlock(compare::Side1, compare::Side2); }
  void CopyBlockLeft() { CopyBlock(compare::Side2, compare::Side1); }
  void SetSyncScrolling(bool on);
  void BuildOverview();
  // A click into the overview strip at pixel row `y`.
  void pbDiffMouseDown(int y);

  // ---- Saving -----------------------------------------------------------------------------
  // Saves a side to `path`: the pane's text without its filler rows, in the encoding the side
  // was loaded in. Throws platform::TFileError.
  void SaveTextTo(const QString& path, TSide side);
  // The difference report of the shown result, written to `path` in UTF-8: the HTML page when
  // the name ends in .html or .htm, else the text report. Throws platform::TFileError.
  void SaveReportTo(const QString& path);
  // The report's lines (code page), as SaveReportTo writes them.
  std::vector<std::string> ReportLines() const;
  // The HTML page of the shown comparison (as last compared; edits since are not in it).
  std::string HtmlReportPage() const;

  // ---- Find and replace ------------------------------------------------------------------
  void FindCommand();
  void FindNextCommand();
  void ReplaceCommand();
  // What the dialogs' confirmation sets up: the searcher's pattern and case mode from
  // SearchOptions; then one replace run in the focused pane (side 1's otherwise).
  void SetSearchPattern();
  void RunReplace();

  // ---- State ------------------------------------------------------------------------------
  // The panes' font: the font the font command's dialog starts from and stores the user's
  // choice in. Set from the settings before InitFrame and saved with them.
  QFont PaneFont;
  bool ResultPresent = false;  // the panes show an aligned comparison result
  TCompareCounts Counts;       // lines of both texts and how many were added, deleted, changed
  search::TSearchOptions SearchOptions;
  std::int32_t RememberedLine = -1;
  std::int32_t CurrentLine = 0;
  std::int32_t OverviewClickY = 0;
  bool Comparing = false;  // a comparison runs (its engine lets events through)

  // A side's text as loaded or handed over, and its file path or caption.
  const compare::TSideText& Text(TSide side) const;
  const QString& Name(TSide side) const { return sides_[side].Name; }
  // The overview strip's picture: the kind of every pane row, one pixel row each, and the
  // colours it paints them in.
  std::vector<compare::TRowKind> OverviewRows;
  std::vector<editor::TColor> OverviewColors() const;

  // Parts of the frame.
  editor::TCodeEdit* Pane(TSide side) const { return views_[side].Pane; }
  QLabel* CaptionBar(TSide side) const { return views_[side].Caption; }
  QLabel* LineNoLabel(TSide side) const { return views_[side].LineNo; }
  QLabel* LineLabel(TSide side) const { return views_[side].Line; }
  QWidget* pnlMain = nullptr;
  QSplitter* Splitter1 = nullptr;
  QScrollArea* sbDiff = nullptr;
  TOverviewStrip* pbDiff = nullptr;
  QWidget* pnlDisplay = nullptr;

  // How the frame chooses files and answers prompts; replaceable for tests. The file choosers
  // return an empty string for Cancel; AskReplace (when set) answers the replacement prompt
  // instead of the dialog.
  std::function<QString(const QString& folder)> ChooseOpenFile;
  std::function<QString(const QString& proposal)> ChooseSaveFile;
  std::function<QString(const QString& folder)> ChooseReportFile;
  std::function<search::TReplaceChoice(editor::TCodeEdit* pane)> AskReplace;
  std::function<void()> Beep;

  // The panes' font; also given to the current-line bars.
  void SetPaneFont(const QFont& f);
  // Whether comparing or refilling may go ahead: asks first when a pane holds edits.
  bool ConfirmDiscardEdits();
  // Asks, for each side whose pane holds edits, whether to save them (to the side's file, or to
  // one chosen as Save chooses it), drop them, or cancel. False when the user cancelled or a
  // save failed (nothing is dropped then). With `reloadSaved` a saved side is read back from its
  // file, so that what is compared next is what was saved.
  bool ResolveEdits(bool reloadSaved);
  // Saves a side's edits as ResolveEdits does; false when cancelled or failed (the error shown).
  bool SaveEdits(TSide side);
  // The question about a side's edits, naming its file.
  QString EditsQuestion(TSide side) const;
  // The options a comparison ran with, as the captions and the status bar name them:
  // "  (Case Ignored, Blanks Ignored, ...)" in the user's language, or empty.
  static QString OptionsNote(const compare::TCompareOptions& options);
  // The lines Save would write for a side.
  std::vector<std::string> SavedText(TSide side) const;
  // The pane that has the window's focus, or null.
  editor::TCodeEdit* ActivePane() const;
  // The side of a pane (side 1 for anything else).
  TSide SideOf(const editor::TCodeEdit* pane) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  friend class TOverviewStrip;

  // The widgets of one side.
  struct TSideView {
    QWidget* Panel = nullptr;    // caption bar above the pane
    QLabel* Caption = nullptr;
    editor::TCodeEdit* Pane = nullptr;
    QWidget* LineBar = nullptr;  // the current-line bar below both panes
    QLabel* LineNo = nullptr;
    QLabel* Line = nullptr;
  };
  // What the frame knows of one side besides its text.
  struct TSideState {
    QString Name;                // file path as shown, or the caption handed over with a text
    QString Path;                // a loaded file's path as given, to read it again
    std::int64_t FileStamp = 0;  // exact modification stamp of a loaded file; 0 none
    bool Aligned = false;        // the pane holds the rows of the last fill
  };

  // Set-up (FileView.cpp).
  void CreateStrip(class QHBoxLayout* frameLayout);
  void CreateSide(TSide side, const char* panel, const char* caption, const char* pane);
  void CreateLineBar(TSide side, QWidget* column, class QVBoxLayout* columnLayout);
  void ConnectPane(TSide side);
  void BindCommands();
  // Runs a command's work: errors are shown through the host, never thrown into the toolkit.
  void Guarded(const std::function<void()>& action);

  enum class TResolved { Kept, Saved, Cancelled };
  TResolved ResolveSide(TSide side);
  QString SaveProposal(TSide side) const;
  void Saved(const QString& path, TSide side);

  editor::TCodeEdit* SearchTarget() const;
  bool CanCompare() const;
  void OpenCommand(TSide side);
  void SaveText(TSide side);
  void SaveReport();
  void FontCommand();
  void EditMenuOpened();
  void ShowSide(std::shared_ptr<compare::TSideText> text, TSide side);
  bool ReadFile(const QString& path, TSide side, const QString& label = {});
  // The by-section view of the compared texts, when the options ask for it and the texts are
  // understood; false (with the reason in sectionNote_) otherwise.
  bool CompareSections(const compare::TCompareOptions& options);
  const compare::TRows& ShownRows() const { return bySection_ ? sectionRows_ : Model.Rows; }
  const std::shared_ptr<const compare::TSideText>& ShownText(TSide side) const {
    return bySection_ ? sectionTexts_[side] : Model.Sides[side];
  }
  void SetPanesEditable();
  bool FilledDiffsOnlyWanted() const;
  std::function<compare::TRowKind(std::int32_t)> KindsOf(const editor::TCodeEdit& pane) const;
  // The changed parts of a pane row that is a modified line as filled (none for any other row,
  // or once the row was edited); computed when the row is first painted and kept in the rows.
  const std::vector<compare::TSpan>* SpansOf(int paneRow, TSide side);
  editor::TColor SpanColor() const;
  void AfterLoad(TSide side);
  void SetCaption(TSide side);
  void MarkEdited(TSide side, bool edited);
  void SetResultCommands(bool on);
  bool CompareTexts();
  void ShowResult();
  void ToggleSplit();
  void ApplyLayout();
  void HalveSplit();
  void SetGutterWidths();
  void FillPane(TSide side);
  editor::TColor KindColor(compare::TRowKind kind) const;
  void CaretMoved(editor::TCodeEdit* pane);
  void ShowCaretRow(editor::TCodeEdit* pane);
  void PaneKeyDown(editor::TCodeEdit* pane, int& key, Qt::KeyboardModifiers shift);
  void PaneScrolled(editor::TCodeEdit* sender);
  void FrameMouseWheel(editor::TCodeEdit* sender, int delta, bool& handled);
  void PaintGutter(editor::TCodeEdit* sender, QPainter& canvas, const QRect& marginRec, int row, int tag);
  void ShowCurrentLine();
  void PlaceLineBars();
  void AdjustStripWidth();
  void pbDiffMarkerPaint(QPainter& p);
  void pbScrollPosMarkerPaint(QPainter& p);
  static std::int64_t FileStamp(const QString& path);

  views::TViewHost& Host;
  std::array<TSideView, compare::SideCount> views_;
  std::array<TSideState, compare::SideCount> sides_;
  compare::TComparison Model;
  std::unique_ptr<diff::TDiff> Engine;
  std::unique_ptr<search::TBaseSearch> Search;
  bool Filling = false;          // the frame itself is changing the panes' texts
  bool Scrolling = false;        // PaneScrolled is moving the other pane
  bool RestartPending = false;   // new texts arrived during a comparison: compare again
  QElapsedTimer EventsTimer;     // since the engine last let events through
  std::uint64_t TextGeneration = 0;  // counts the texts shown, to spot a replaced pair
  QString ReportFileName;        // last name chosen in the report dialog
  bool FilledDiffsOnly = false;  // the last fill left the equal rows out
  // The by-section view: its texts as shown and all its rows (the equal ones left out when
  // filling under show-differences-only).
  bool bySection_ = false;
  std::array<std::shared_ptr<const compare::TSideText>, compare::SideCount> sectionTexts_;
  compare::TRows sectionRows_;
  QString sectionNote_;
  // The shown rows of the pane rows, when the fill left some out (by section, differences only);
  // empty when pane row and shown row are one.
  std::vector<std::int32_t> paneRows_;
};

}  // namespace fileview
