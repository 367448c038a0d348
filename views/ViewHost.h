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

// The shared commands. A command is one menu item and, where there is one, its toolbar button:
// they share the handler, the enabled state and the caption (the button shows it as its hint).
enum class TCommand : int {
  Open1, Open2, Save1, Save2, SaveReport,
  Undo, Redo, Cut, Copy, Paste,
  Find, FindNext, Replace, NextDiff, PrevDiff,
  Compare, Cancel, CompareFiles, CopyBlockRight, CopyBlockLeft,
  HorzSplit, Font,
  AddFolder1, AddFolder2, AddRevision1, AddRevision2,
  Count
};
inline constexpr int CommandCount = static_cast<int>(TCommand::Count);

// The open and save commands of a side.
constexpr TCommand OpenCommand(compare::TSide side) {
  return side == compare::Side1 ? TCommand::Open1 : TCommand::Open2;
}
constexpr TCommand SaveCommand(compare::TSide side) {
  return side == compare::Side1 ? TCommand::Save1 : TCommand::Save2;
}
constexpr TCommand AddFolderCommand(compare::TSide side) {
  return side == compare::Side1 ? TCommand::AddFolder1 : TCommand::AddFolder2;
}
constexpr TCommand AddRevisionCommand(compare::TSide side) {
  return side == compare::Side1 ? TCommand::AddRevision1 : TCommand::AddRevision2;
}

// Menus whose items a view switches on and off as a whole.
enum class TCommandGroup : int { Edit, Search, Actions, Options, Count };
inline constexpr int CommandGroupCount = static_cast<int>(TCommandGroup::Count);

// The menu a command sits in (none for the file menu's commands, which is always on), and the key
// the window gives it before a view changes it.
std::optional<TCommandGroup> GroupOf(TCommand command);
QKeySequence DefaultShortcut(TCommand command);

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
  TColor Add = 0, Mod = 0, Del = 0;
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
  virtual void Bind(TCommand command, THandler handler) = 0;
  virtual void SetEnabled(TCommand command, bool enabled) = 0;
  virtual bool IsEnabled(TCommand command) const = 0;
  virtual void SetCaption(TCommand command, const QString& caption) = 0;
  virtual QString Caption(TCommand command) const = 0;
  virtual void SetShortcut(TCommand command, const QKeySequence& key) = 0;
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
