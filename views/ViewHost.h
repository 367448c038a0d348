// TViewHost: what the library frame and the files frame see of the window that carries them.
//
// The frames never reach into the main window. They bind handlers to commands by id, set the
// commands' state and captions, read the options and colours as values, report counts, notes and
// progress, ask to switch views, and show errors and questions, all through this interface. The
// main window implements it over its menus, toolbar and status bar; the frame tests implement it
// with a recording fake (tests/support/FakeHost.h), so a frame runs without a main window.
#pragma once

#include <QKeySequence>
#include <QString>

#include <array>
#include <exception>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "compare/CompareCounts.h"
#include "compare/Options.h"
#include "compare/Side.h"
#include "editor/Colors.h"

class QWidget;

namespace views {

// The window's commands. A command is one menu item and, where there is one, its toolbar button:
// they share the handler, the enabled state and the caption (the button shows it as its hint).
// TCommand lists the commands the window has once; TSideCommand those it has once per side, named
// by a (command, side) pair.
enum class TCommand : int {
  SaveReport,
  Undo, Redo, Cut, Copy, Paste,
  Find, FindNext, Replace, NextDiff, PrevDiff,
  Compare, Cancel, CompareFiles, CopyBlockRight, CopyBlockLeft,
  HorzSplit, Font,
  Count
};
inline constexpr int CommandCount = static_cast<int>(TCommand::Count);

enum class TSideCommand : int { Open, Save, AddFolder, AddRevision, Count };
inline constexpr int SideCommandCount = static_cast<int>(TSideCommand::Count);

// One command of the window: a shared command, or a per-side command with its side. Index() numbers
// them densely for tables over all of them: the shared commands as TCommand numbers them, then
// each per-side command once for every side, in the order of the sides.
class TCommandId {
 public:
  constexpr TCommandId() = default;  // no command (fills a table before it is set)
  constexpr TCommandId(TCommand command) : shared_(command) {}
  constexpr TCommandId(TSideCommand command, compare::TSide side)
      : perSide_(command), side_(side), isPerSide_(true) {}

  constexpr bool IsPerSide() const { return isPerSide_; }
  constexpr TCommand Shared() const { return shared_; }
  constexpr TSideCommand PerSide() const { return perSide_; }
  constexpr compare::TSide Side() const { return side_; }
  constexpr int Index() const { return IndexAmong(compare::SideCount); }
  // The index among the commands of a window with `sides` sides.
  constexpr int IndexAmong(int sides) const {
    return isPerSide_ ? CommandCount + static_cast<int>(perSide_) * sides + side_ : static_cast<int>(shared_);
  }
  friend constexpr bool operator==(const TCommandId& a, const TCommandId& b) {
    if (a.isPerSide_ != b.isPerSide_) return false;
    return a.isPerSide_ ? a.perSide_ == b.perSide_ && a.side_ == b.side_ : a.shared_ == b.shared_;
  }

 private:
  TCommand shared_ = TCommand::Count;
  TSideCommand perSide_ = TSideCommand::Count;
  compare::TSide side_ = compare::Side1;
  bool isPerSide_ = false;
};

// How many commands a window with `sides` sides has.
constexpr int CommandIdCountFor(int sides) { return SideCommandCount * sides + CommandCount; }
inline constexpr int CommandIdCount = CommandIdCountFor(compare::SideCount);

// Every command of a window with `sides` sides, in the order of their indices.
template <int Sides>
constexpr std::array<TCommandId, CommandIdCountFor(Sides)> CommandIdsFor() {
  std::array<TCommandId, CommandIdCountFor(Sides)> ids{};
  std::size_t i = 0;
  for (int c = 0; c < CommandCount; ++c) ids[i++] = TCommandId(static_cast<TCommand>(c));
  for (int c = 0; c < SideCommandCount; ++c)
    for (compare::TSide side : compare::SidesUpTo<Sides>()) ids[i++] = TCommandId(static_cast<TSideCommand>(c), side);
  return ids;
}
inline constexpr auto AllCommands = CommandIdsFor<compare::SideCount>();

// The per-side commands of one side.
constexpr TCommandId OpenCommand(compare::TSide side) { return {TSideCommand::Open, side}; }
constexpr TCommandId SaveCommand(compare::TSide side) { return {TSideCommand::Save, side}; }

// Menus whose items a view switches on and off as a whole.
enum class TCommandGroup : int { Edit, Search, Actions, Options, Count };
inline constexpr int CommandGroupCount = static_cast<int>(TCommandGroup::Count);

// The menu a command sits in (none for the file menu's commands, which is always on), and the key
// the window gives it before a view changes it.
std::optional<TCommandGroup> GroupOf(TCommandId command);
QKeySequence DefaultShortcut(TCommandId command);

enum class TViewKind : int { Libraries, Objects, Source };

// The option check marks, read once when a view compares or fills.
struct TViewOptions {
  compare::TCompareOptions Compare;
  bool ShowDiffsOnly = false;  // the source view leaves the equal rows out
  bool Stacked = false;        // the two panes one above the other
  // A library file kept beside its exports and object list is read itself, not the exports.
  bool LibraryFiles = false;
};

// The highlight colours of added, changed and deleted rows (0x00BBGGRR).
struct TViewColors {
  editor::TColor Add = 0, Mod = 0, Del = 0;
};

// A text handed from the object list to the source view: its caption (library path "@" object
// name) and its lines (code page). An empty caption leaves the side empty.
struct TSourceText {
  QString Caption;
  std::vector<std::string> Lines;
};

// What becomes of a pane's edits before something would drop them.
enum class TEditsChoice : int { Save, Discard, Cancel };

class TViewHost {
 public:
  using THandler = std::function<void()>;

  virtual ~TViewHost() = default;

  // ---- Commands -------------------------------------------------------------------------
  // Makes `handler` the command's one handler (replacing the last view's).
  virtual void Bind(TCommandId command, THandler handler) = 0;
  virtual void SetEnabled(TCommandId command, bool enabled) = 0;
  virtual bool IsEnabled(TCommandId command) const = 0;
  virtual void SetCaption(TCommandId command, const QString& caption) = 0;
  virtual QString Caption(TCommandId command) const = 0;
  virtual void SetShortcut(TCommandId command, const QKeySequence& key) = 0;
  virtual void SetGroupEnabled(TCommandGroup group, bool enabled) = 0;
  // Runs when the group's menu opens and right before one of its commands' keys acts, so that the
  // view can bring their states up to date first.
  virtual void SetGroupRefresh(TCommandGroup group, THandler refresh) = 0;

  // ---- Options, colours, folders -------------------------------------------------------
  virtual TViewOptions Options() const = 0;
  // Turns the show-differences-only mark back, without running its command.
  virtual void SetShowDiffsOnly(bool on) = 0;
  // Turns the stacked-panes mark over, without running its command.
  virtual void SetStacked(bool on) = 0;
  virtual TViewColors Colors() const = 0;
  // The folder a side's open dialog starts in (empty: the dialog's default); remembered between
  // runs.
  virtual std::filesystem::path Folder(compare::TSide side) const = 0;
  virtual void SetFolder(compare::TSide side, const std::filesystem::path& folder) = 0;
  // Where the program keeps its own files (the path histories).
  virtual std::filesystem::path StateFolder() const = 0;

  // ---- Status ---------------------------------------------------------------------------
  // The lengths of both sides and how many pairs were added, deleted and changed.
  virtual void ShowCounts(const TCompareCounts& counts) = 0;
  // A note in the status bar (the progress of a comparison, "Compare cancelled.").
  virtual void ShowNote(const QString& text) = 0;
  // A message in the status bar's wide last panel, beside the counts, which it leaves as they
  // are (why a pane cannot be edited, why texts were compared by lines).
  virtual void ShowStatus(const QString& text) = 0;
  // A progress bar at `value` of `maximum` with a text beside it; HideProgress removes both.
  virtual void ShowProgress(int value, int maximum, const QString& text) = 0;
  virtual void HideProgress() = 0;

  // ---- Views ----------------------------------------------------------------------------
  virtual void SwitchTo(TViewKind view) = 0;
  // While held, the view switches do nothing (a running pairing shows its own list at its end).
  virtual void HoldViewSwitches(bool held) = 0;
  // Shows two texts in the source view and compares them.
  virtual void CompareSources(std::array<TSourceText, compare::SideCount> texts) = 0;
  // Brings the window to the front (after a file was dropped on it).
  virtual void Raise() = 0;

  // ---- Messages -------------------------------------------------------------------------
  virtual void ShowError(const std::exception& error) = 0;
  virtual void ShowInformation(const QString& text) = 0;
  // A question with Yes and No (No the default); true for Yes.
  virtual bool AskYesNo(const QString& text) = 0;
  // Asks what to do with a side's edits (the text names its file): save them, drop them, or
  // cancel what would drop them (Cancel the default).
  virtual TEditsChoice AskSaveEdits(const QString& text) = 0;
  // A question with two answers named by their buttons (a question icon, the first the
  // default); true for the first.
  virtual bool AskChoice(const QString& text, const QString& first, const QString& second) = 0;
  // The window the dialogs belong to.
  virtual QWidget* DialogParent() = 0;
};

}  // namespace views
