// TMergeFrame: the merge view. Three read-only panes side by side (side 1 = ours, the base,
// side 2 = theirs), aligned row by row and scrolled together, above the editable result.
//
// What the view shows and does is a mergeview::TMergeModel; the frame fills the panes from it,
// paints each row and result line in the colour of its chunk (a conflict in all four panes, a
// change taken without conflict as such), and turns the commands into the model's operations:
// the next or previous conflict or change, taking a side, both or the base for the current
// chunk, undo and redo of takes and edits alike, find and replace in the result, saving.
//
// The window that carries the frame is a views::TViewHost, as for the other views: the frame
// binds the host's shared commands when activated, counts the conflicts left in the status bar
// and asks its questions through it. The commands of its own (the takes and the conflict moves)
// are actions of the frame with their keys, shown on its tool bar.
#pragma once

#include <QFont>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "mergeview/MergeModel.h"
#include "search/FindReplace.h"
#include "search/PaneSearch.h"
#include "views/ViewHost.h"

class QAction;
class QPainter;
class QLabel;
class QSplitter;
class QToolBar;
namespace search { class TBaseSearch; }
namespace editor { class TCodeEdit; }

namespace mergeview {

// The conflict colour, beside the host's colours of changes (0x00BBGGRR).
inline constexpr editor::TColor kConflictColor = 0x8080FF;
inline constexpr editor::TColor kSettledColor = 0xF0D0A0;

class TMergeFrame : public QWidget {
  Q_OBJECT
 public:
  TMergeFrame(views::TViewHost& host, QWidget* parent);
  ~TMergeFrame() override;

  // Merges side 1, the base and side 2 (paths[Ours], paths[Base], paths[Theirs]) into the
  // panes; the result is saved to `output`, whose name also tells a DataWindow. Merges by
  // section when the host's options ask for it. Throws platform::TFileError and
  // merge::TMergeError; nothing changes then.
  void LoadFiles(const QString& output, const std::array<QString, PartCount>& paths);
  bool Loaded() const { return model_ != nullptr; }
  const TMergeModel& Model() const { return *model_; }
  const QString& Output() const { return output_; }

  void ActivateView();
  // The by-section option may have changed: whether the merge may be done again under it (asks
  // when the result holds changes), and doing it. Nothing is asked or done when the option is
  // as the merge was made.
  bool ConfirmOptionsChange();
  void OptionsChanged();
  void SetPaneFont(const QFont& f);

  // ---- Moving and settling ------------------------------------------------------------------
  // The chunk the result's caret is in, which the takes act on (-1 with nothing loaded).
  int CurrentChunk() const { return current_; }
  void NextConflict() { GoTo(model_ ? model_->Next(current_, 1, true) : -1); }
  void PrevConflict() { GoTo(model_ ? model_->Next(current_, -1, true) : -1); }
  void NextChange() { GoTo(model_ ? model_->Next(current_, 1, false) : -1); }
  void PrevChange() { GoTo(model_ ? model_->Next(current_, -1, false) : -1); }
  // Makes chunk `chunk` current: the result's caret at its start, the sides at its rows.
  void GoTo(int chunk);
  void Take(TTake how);
  void UndoStep();
  void RedoStep();
  // The action of a take (Ours, Theirs, Base, OursThenTheirs, TheirsThenOurs) and of the conflict
  // moves, for the tool bar, the keys and the tests.
  QAction* TakeAction(TTake how) const;
  QAction* NextConflictAction() const { return nextConflict_; }
  QAction* PrevConflictAction() const { return prevConflict_; }

  // ---- Saving -----------------------------------------------------------------------------
  // Writes the result to the output, asking first when conflicts are left; false when the user
  // declined or the write failed (the error shown).
  bool SaveResult();
  // Whether the result holds changes not saved.
  bool Edited() const { return edited_; }
  // Asks what becomes of unsaved changes (save, discard, cancel); false for cancel or a failed
  // save. True at once when there is nothing to ask about.
  bool ResolveEdits();
  // 0 when the result was saved with no conflict left (and not saved since with one), else 1.
  int ExitStatus() const { return savedClean_ ? 0 : 1; }

  // ---- Parts --------------------------------------------------------------------------------
  editor::TCodeEdit* Pane(TPart part) const { return panes_[static_cast<std::size_t>(part)]; }
  editor::TCodeEdit* ResultPane() const { return result_; }
  QLabel* Caption(TPart part) const { return captions_[static_cast<std::size_t>(part)]; }
  QLabel* ResultCaption() const { return resultCaption_; }
  // The overview strip beside the result: the whole result scaled to its height, each change in
  // its colour, the visible part framed; a click moves to the chunk there.
  QWidget* Strip() const { return strip_; }

  search::TSearchOptions SearchOptions;
  // One replace run in the result with SearchOptions, as the replace dialog's confirmation does.
  void RunReplace();
  // Answers the replacement prompt instead of the dialog (tests); Beep when a search finds nothing.
  std::function<search::TReplaceChoice(editor::TCodeEdit* pane)> AskReplace;
  std::function<void()> Beep;

 private:
  friend class TResultStrip;
  void PaintStrip(QPainter& p);
  void StripClicked(int y);
  void CreateToolBar();
  editor::TCodeEdit* NewPane(QWidget* parent, const char* name, QLabel*& caption, const char* captionName);
  void BindCommands();
  void Guarded(const std::function<void()>& action);
  void FillSides();
  void FillResult();
  void ShowEdit(std::int32_t caretLine);
  void Recolour();
  editor::TColor RowColour(const TRow& row, TPart part) const;
  editor::TColor ChunkColour(const TChunk& chunk) const;
  void ResultChanged();
  void ResultCaretMoved();
  void ShowChunkInSides(int chunk);
  void ShowConflictsLeft();
  void PaintSideGutter(editor::TCodeEdit* pane, QPainter& canvas, const QRect& rect, int row, int tag);
  void PaintResultGutter(QPainter& canvas, const QRect& rect, int line);
  void SidesScrolled(editor::TCodeEdit* sender);
  editor::TCodeEdit* ActivePane() const;
  void Find(bool dialog);
  void Replace();

  views::TViewHost& Host;
  std::unique_ptr<TMergeModel> model_;
  QString output_;
  std::array<QString, PartCount> paths_;
  bool bySection_ = false;  // the option the merge was made under
  std::array<editor::TCodeEdit*, PartCount> panes_{};
  std::array<QLabel*, PartCount> captions_{};
  editor::TCodeEdit* result_ = nullptr;
  QLabel* resultCaption_ = nullptr;
  QWidget* strip_ = nullptr;
  QSplitter* sidesSplitter_ = nullptr;
  QSplitter* mainSplitter_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  std::array<QAction*, 5> takes_{};
  QAction* nextConflict_ = nullptr;
  QAction* prevConflict_ = nullptr;
  std::unique_ptr<search::TBaseSearch> search_;
  int current_ = -1;
  bool filling_ = false;    // the frame itself is changing the result pane
  bool scrolling_ = false;  // SidesScrolled is moving the other panes
  bool edited_ = false;
  bool savedClean_ = false;
};

}  // namespace mergeview
