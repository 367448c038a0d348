// TFilesFrame: the source comparison view, two text panes aligned line by line.
//
// The main window creates it, initialises it once (InitFrame) after the settings have set its
// font, activates it when the source comparison view is chosen (ActivateView), asks it to
// rebuild the aligned display when "show only differences" changes while a result is shown
// (FillPanes), and lets it free what it owns before the window goes (DoneFrame). The object
// list hands it the two exported sources of an object pair (SetSourceText twice, then
// RunCompare).
//
// Texts are code-page lines. A file is decoded on load (a UTF-8 or UTF-16 byte-order mark, or
// valid UTF-8 with non-ASCII characters, is converted to the code page) and saved back in the
// encoding it came in. The panes hold the aligned rows: equal lines opposite each other,
// modified lines opposite their replacements, an empty filler opposite every added or deleted
// line, each with its colour, its line number (Tag) and its difference code (Kind).
//
// FileView.cpp builds the frame, loads and compares; FileViewNavigate.cpp moves through the
// result, copies blocks and keeps the panes and the overview strip in step; FileViewSave.cpp
// saves, writes the report and finds and replaces.
#pragma once

#include <QElapsedTimer>
#include <QFont>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "diff/DiffUnit.h"
#include "editor/Colors.h"
#include "compare/CompareCounts.h"
#include "platform/TextFile.h"
#include "search/FindReplace.h"

class QLabel;
class QScrollArea;
class QSplitter;
class TBaseSearch;
class TCodeEdit;
class TMainForm;
class TOverviewStrip;

class TFilesFrame : public QWidget {
  Q_OBJECT
 public:
  TFilesFrame(TMainForm& main, QWidget* parent);
  ~TFilesFrame() override;

  void InitFrame();
  void DoneFrame();
  void ActivateView();
  void FillPanes();

  // ---- Texts ------------------------------------------------------------------------------
  // Loads a text file into side 1 (`isLeft`) or side 2 and compares. A path that is no file is
  // ignored; a file that cannot be read raises platform::TFileError.
  void LoadFile(const QString& path, bool isLeft);
  // A text handed over under a caption (library path "@" object name); the pane becomes
  // read-only. Does not compare.
  void SetSourceText(const QString& caption, const std::vector<std::string>& lines, bool isLeft);
  // Compares the two texts and shows the aligned result. Asks first when a pane holds edits.
  void RunCompare();
  void CancelCompare();
  void DiffProgress(int percent);
  // Reloads a side whose file changed on disk since it was loaded (the application was
  // activated).
  void CheckFilesChanged();

  // ---- Navigation, block copy, layout --------------------------------------------------------
  void NextDifference();
  void PrevDifference();
  void CopyBlockRight();
  void CopyBlockLeft();
  void SetSyncScrolling(bool on);
  void BuildOverview();
  // A click into the overview strip at pixel row `y`.
  void pbDiffMouseDown(int y);

  // ---- Saving -----------------------------------------------------------------------------
  // Save side 1 (`isLeft`) or side 2 to `path`: the pane's text without its filler rows, in the
  // encoding the side was loaded in. Throws platform::TFileError.
  void SaveTextTo(const QString& path, bool isLeft);
  // The difference report of the shown result, written to `path`. Throws platform::TFileError.
  void SaveReportTo(const QString& path);
  // The report's lines (code page), as SaveReportTo writes them.
  std::vector<std::string> ReportLines() const;

  // ---- Find and replace ------------------------------------------------------------------
  void FindCommand();
  void FindNextCommand();
  void ReplaceCommand();
  // What the dialogs' confirmation sets up: the searcher's pattern and case mode from
  // SearchOptions; then one replace run in the focused pane (the left one otherwise).
  void SetSearchPattern();
  void RunReplace();

  // The panes' font: the font the font command's dialog (FontDialog1) starts from and stores the
  // user's choice in. Set from the settings before InitFrame and saved with them.
  QFont PaneFont;

  bool ResultPresent = false;  // the panes show an aligned comparison result
  TCompareCounts Counts;       // lines of both texts and how many were added, deleted, changed

  // The texts as loaded or handed over; what is hashed and compared.
  std::vector<std::string> SourceList1, SourceList2;
  QString Name1, Name2;                 // file path, or the caption handed over with a text
  // Modification times (local wall-clock seconds) of the loaded files; 0 none recorded.
  std::int64_t FileTime1 = 0, FileTime2 = 0;
  platform::TTextEncoding Encoding1{}, Encoding2{};
  std::string OptionsNote;
  std::int32_t RememberedLine = -1;
  std::int32_t CurrentLine = 0;
  std::int32_t OverviewClickY = 0;
  TSearchOptions SearchOptions;

  // Parts of the frame, by their form names.
  QWidget* pnlMain = nullptr;
  QWidget* pnlLeft = nullptr;
  QWidget* pnlRight = nullptr;
  QLabel* pnlCaptionLeft = nullptr;
  QLabel* pnlCaptionRight = nullptr;
  QSplitter* Splitter1 = nullptr;
  QWidget* Panel1 = nullptr;
  QWidget* Panel2 = nullptr;
  QLabel* lblLineNo1 = nullptr;
  QLabel* lblLine1 = nullptr;
  QLabel* lblLineNo2 = nullptr;
  QLabel* lblLine2 = nullptr;
  QScrollArea* sbDiff = nullptr;
  TOverviewStrip* pbDiff = nullptr;
  QWidget* pnlDisplay = nullptr;
  TCodeEdit* Pane1 = nullptr;  // side 1
  TCodeEdit* Pane2 = nullptr;  // side 2

  // How the frame asks and chooses; replaceable for tests. AskYesNo returns true for Yes; the
  // file choosers return an empty string for Cancel; AskReplace (when set) answers the
  // replacement prompt instead of the dialog.
  std::function<bool(const QString& text)> AskYesNo;
  std::function<QString(const QString& folder)> ChooseOpenFile;
  std::function<QString(const QString& proposal)> ChooseSaveFile;
  std::function<QString(const QString& folder)> ChooseReportFile;
  std::function<TReplaceChoice(TCodeEdit* pane)> AskReplace;
  std::function<void()> Beep;

  // The overview strip's picture: the colour of every left pane row, one pixel row each.
  std::vector<TColor> OverviewRows;
  bool Comparing = false;  // a comparison runs (its engine lets events through)

  // The panes' font; also given to the current-line bars.
  void SetPaneFont(const QFont& f);
  // Whether comparing or refilling may go ahead: asks first when a pane holds edits.
  bool ConfirmDiscardEdits();
  // The lines Save would write for a side.
  std::vector<std::string> SavedText(bool isLeft) const;
  // The pane that has the main window's focus, or null.
  TCodeEdit* ActivePane() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  friend class TOverviewStrip;

  TCodeEdit* PaneOf(bool isLeft) const { return isLeft ? Pane1 : Pane2; }
  TCodeEdit* SearchTarget() const;
  bool CanCompare() const;
  void OpenCommand(QObject* sender);
  void SaveText(QObject* sender);
  void SaveReport();
  void FontCommand();
  void EditMenuOpened();
  void ShowSide(std::vector<std::string> lines, bool isLeft);
  void AfterLoad(bool isLeft);
  void SetCaption(bool isLeft);
  void MarkEdited(bool isLeft, bool edited);
  void ToggleSplit(QObject* sender);
  void ApplyLayout();
  void HalveSplit();
  void SetGutterWidths();
  void CopyBlock(TCodeEdit* from, TCodeEdit* to, QAction* item);
  void CaretMoved(TCodeEdit* pane);
  void ShowCaretRow(TCodeEdit* pane);
  void PaneKeyDown(TCodeEdit* pane, int& key, Qt::KeyboardModifiers shift);
  void PaneScrolled(TCodeEdit* sender);
  void FrameMouseWheel(TCodeEdit* sender, int delta, bool& handled);
  void PaintGutter(TCodeEdit* sender, QPainter& canvas, const QRect& marginRec, int row, int tag);
  void ShowCurrentLine();
  void PlaceLineBars();
  void AdjustStripWidth();
  void pbDiffMarkerPaint(QPainter& p);
  void pbScrollPosMarkerPaint(QPainter& p);
  static std::int64_t FileStamp(const QString& path);

  TMainForm& Main;
  std::unique_ptr<TDiff> Engine;
  std::unique_ptr<TBaseSearch> Search;
  bool Filling = false;         // the frame itself is changing the panes' texts
  bool Scrolling = false;       // PaneScrolled is moving the other pane
  bool RestartPending = false;
  QElapsedTimer EventsTimer;    // since the engine last let events through  // new texts arrived during a comparison: compare again
  std::uint64_t TextGeneration = 0;  // counts the texts shown, to spot a replaced pair
  // Exact modification stamps of the loaded files (0: none), to notice a rewrite.
  std::int64_t FileStamp1 = 0, FileStamp2 = 0;
  QString ReportFileName;       // last name chosen in the report dialog
  std::vector<ChangeRecord> LastChanges;  // the records of the shown result
  bool LastIgnoreCase = false, LastIgnoreBlanks = false;
  bool FilledDiffsOnly = false;           // the last fill left the equal rows out
  bool Aligned1 = false, Aligned2 = false;  // the pane holds the rows of the last fill
  std::vector<std::int32_t> FilledInsertPos;  // per filled row, an added row's insertion point
};
