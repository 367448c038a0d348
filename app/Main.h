// TMainForm: the program's main window. It owns the menus, the toolbar, the status bar with its
// progress bar, and the two frames that carry the three views (the library frame with the
// library list and the object list, the files frame with the source comparison). It switches
// the views, holds the comparison options as check marks, sets the highlight colours, opens
// the help file and the about box, and reads and writes the settings file.
//
// Main.cpp builds the window, switches the views and handles the window's own items and settings;
// MainMenus.cpp builds the menus, the toolbar and the table of the commands they carry;
// MainShortcuts.cpp is the shortcut machinery described below; MainHost.cpp is the view host;
// Arguments.cpp reads the command line.
//
// Shared commands: the window only declares most of its menu items and toolbar buttons; the
// active view attaches its handlers with Attach(), which replaces whatever handler the item had.
// A handler gets the item that was clicked (mnuOpen1 or tbOpen1 tell side 1 from side 2).
//
// Menus: a menu's enabled and visible states are those of its menuAction() (the menu bar shows
// them); enabling or disabling the QMenu widget itself is mirrored there, so either way works.
// A menu's click handler is its aboutToShow() signal: it runs when the menu opens, and for a
// shortcut of an item inside it (outermost menu first) both when the key is offered and right
// before the item runs, so that a menu can refresh its items' states before a shortcut acts.
//
// Shortcuts work whenever the item and all its enclosing menus are enabled, also when the item
// or a menu is hidden (Ctrl+R reaches the hidden mnuReplace). Items that are disabled, inside a
// disabled menu, or have no handler attached yet leave their keys to the focused control (Enter
// for mnuCompareFiles, Ctrl+C in a text box before any view has attached the edit commands);
// so does an item that its menus' click handlers disable just before it would run. Views attach
// their handlers with Attach() (a plain connect() to triggered is not seen as a handler).
// Checkable items invert their own check mark when clicked; handlers read the new state.
#pragma once

#include <QColor>
#include <QMainWindow>
#include <QPixmap>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "app/Settings.h"
#include "compare/CompareCounts.h"
#include "views/ViewHost.h"

class QActionGroup;
class QColorDialog;
class QMenu;
class QProgressBar;
class QKeyEvent;
class QToolBar;
class QUrl;
namespace fileview { class TFilesFrame; }
namespace libview { class TLibFrame; }
namespace mergeview {
class TMergeFrame;
}
namespace pbparse {
class TDefaults;
}

namespace app {

class TStatusBar;

// Lets the font names the program uses ("宋体", "Courier New", "Arial") find the fonts installed
// here. Safe to call more than once.
void InstallFontSubstitutes();

class TMainForm : public QMainWindow, public views::TViewHost {
  Q_OBJECT
 public:
  using TCommandHandler = std::function<void(QObject* Sender)>;

  static constexpr int DesignedWidth = 645;
  static constexpr int DesignedHeight = 329;

  explicit TMainForm(QWidget* parent = nullptr);
  ~TMainForm() override;

  // Makes `handler` the one handler of a shared menu item or toolbar button.
  void Attach(QAction* command, TCommandHandler handler);
  // Removes the item's handler: clicking it then does nothing.
  void Detach(QAction* command);
  bool IsAttached(QAction* command) const;

  // Whether an item is enabled as it was set, also while it is hidden (a hidden QAction always
  // reports isEnabled() false). For a menu, pass its menuAction().
  static bool ItemEnabled(QAction* item);

  // ---- The view host ----------------------------------------------------------------------
  // Writes a view's counts into status panels 1 (added), 3 (changed), 5 (deleted) and 6.
  void ShowCounts(const TCompareCounts& counts) override;
  void Bind(views::TCommandId command, THandler handler) override;
  void SetEnabled(views::TCommandId command, bool enabled) override;
  bool IsEnabled(views::TCommandId command) const override;
  void SetCaption(views::TCommandId command, const QString& caption) override;
  QString Caption(views::TCommandId command) const override;
  void SetShortcut(views::TCommandId command, const QKeySequence& key) override;
  void SetGroupEnabled(views::TCommandGroup group, bool enabled) override;
  void SetGroupRefresh(views::TCommandGroup group, THandler refresh) override;
  views::TViewOptions Options() const override;
  void SetShowDiffsOnly(bool on) override;
  void SetStacked(bool on) override;
  views::TViewColors Colors() const override;
  std::filesystem::path Folder(compare::TSide side) const override;
  void SetFolder(compare::TSide side, const std::filesystem::path& folder) override;
  std::filesystem::path StateFolder() const override;
  void ShowNote(const QString& text) override;
  void ShowStatus(const QString& text) override;
  void ShowProgress(int value, int maximum, const QString& text) override;
  void HideProgress() override;
  void SwitchTo(views::TViewKind view) override;
  void HoldViewSwitches(bool held) override;
  void CompareSources(std::array<views::TSourceText, compare::SideCount> texts) override;
  void Raise() override;
  void ShowError(const std::exception& error) override;
  void ShowInformation(const QString& text) override;
  bool AskYesNo(const QString& text) override;
  views::TEditsChoice AskSaveEdits(const QString& text) override;
  bool AskChoice(const QString& text, const QString& first, const QString& second) override;
  QWidget* DialogParent() override { return this; }
  // The menu item and the toolbar button (or null) of a command.
  QAction* CommandItem(views::TCommandId command) const;
  QAction* CommandButton(views::TCommandId command) const;

  // What the program was started with: two sides of the library list (library files, targets,
  // workspaces, folders; two library files open in the object list), two text files (the source
  // view), or one of either as side 1. Handled once the window is shown; the last run's library
  // list is then not put back. Errors are shown, the window stays.
  void OpenArguments(const QStringList& args);
  // Whether the program was started as a merge tool (-o MERGED FILE1 BASE FILE2); its exit
  // status is then the merge view's.
  bool MergeRequested = false;
  int ExitStatus(int loopStatus) const;

  // The three view switches.
  void tbLibModeClick();
  void mnuObjsClick();
  void tbFileClick();
  void mnuMergeClick();

  // The settings file, read once while the window is created and written when it closes.
  std::filesystem::path SettingsFileName() const;
  void LoadSettings();
  void SaveSettings();  // throws platform::TFileError when the file cannot be written

  // Menu handlers of the window itself.
  void mnuShowDiffsOnlyClick();
  // A comparison option's mark has turned over (ignore blanks, case, comments, align similar,
  // by section, ignore position, ignore defaults): the views show the result under it at once.
  void ComparisonOptionChanged(QAction* option);
  std::vector<QAction*> ComparisonOptionItems() const;
  void Added1Click();
  void Modified1Click();
  void Deleted1Click();
  void Contents1Click();
  void mnuAboutClick();
  // Chooses the 8-bit code page and reads again what was read in it.
  void mnuCodePageClick();
  // How the code page is chosen; replaceable for tests. Returns the number, 0 for Cancel.
  std::function<int(int current)> ChooseCodePage;
  void mnuExitClick();
  // Keeps the language chosen ("zh", "en", or empty for the system's) for the settings file; the
  // texts change at the next start, as the message shown says.
  void mnuLanguageClick(const std::string& language);
  // The "Language" setting as read or last chosen.
  std::string Language;

  // How the help file is shown, and how messages and questions are put to the user; replaceable
  // for tests. OpenUrl's result is ignored; OnAskYesNo returns true for Yes.
  std::function<bool(const QUrl&)> OpenUrl;
  std::function<void(const std::exception& error)> OnShowError;
  std::function<void(const QString& text)> OnShowInformation;
  std::function<bool(const QString& text)> OnAskYesNo;
  std::function<views::TEditsChoice(const QString& text)> OnAskSaveEdits;
  std::function<bool(const QString& text, const QString& first, const QString& second)> OnAskChoice;

  // The menus.
  QMenu* File1 = nullptr;
  QMenu* N15 = nullptr;
  QMenu* mnuEdit = nullptr;
  QMenu* mnuSearch = nullptr;
  QMenu* mnuActions = nullptr;
  QMenu* mnuOptions = nullptr;
  QMenu* mnuHighlightColors = nullptr;
  QMenu* Help1 = nullptr;

  // Menu items, menu by menu (N... are separators).
  QAction *mnuOpen1 = nullptr, *mnuOpen2 = nullptr, *mnuAddFolder1 = nullptr, *mnuAddFolder2 = nullptr,
          *mnuAddRevision1 = nullptr, *mnuAddRevision2 = nullptr, *N9 = nullptr, *mnuSave1 = nullptr, *mnuSave2 = nullptr,
          *N11 = nullptr, *N3 = nullptr, *mnuSaveReport = nullptr, *N6 = nullptr, *mnuExit = nullptr;
  QAction *mnuLibs = nullptr, *mnuObjs = nullptr, *mnuFile = nullptr, *mnuMerge = nullptr;
  QAction *mnuUndo = nullptr, *mnuRedo = nullptr, *N7 = nullptr, *mnuCut = nullptr, *mnuCopy = nullptr,
          *mnuPaste = nullptr;
  QAction *mnuFind = nullptr, *mnuFindNext = nullptr, *N10 = nullptr, *mnuPrev = nullptr, *mnuReplace = nullptr,
          *mnuNext = nullptr;
  QAction *mnuCompare = nullptr, *mnuCancel = nullptr, *N8 = nullptr, *mnuCompareFiles = nullptr, *N1 = nullptr,
          *mnuCopyBlockRight = nullptr, *mnuCopyBlockLeft = nullptr;
  QAction *mnuIgnoreBlanks = nullptr, *mnuIgnoreCase = nullptr, *mnuIgnoreComments = nullptr,
          *mnuAlignSimilar = nullptr, *mnuBySection = nullptr, *mnuIgnorePosition = nullptr,
          *mnuIgnoreDefaults = nullptr, *mnuLibraryFiles = nullptr, *mnuShowDiffsOnly = nullptr, *N2 = nullptr,
          *mnuHorzSplit = nullptr, *N4 = nullptr, *Added1 = nullptr, *Modified1 = nullptr, *Deleted1 = nullptr,
          *N5 = nullptr, *mnuFont = nullptr, *mnuCodePage = nullptr;
  // The language submenu of the options menu: Chinese, English, the system's.
  QMenu* mnuLanguage = nullptr;
  QAction *mnuLanguageZh = nullptr, *mnuLanguageEn = nullptr, *mnuLanguageSystem = nullptr;
  QAction *Contents1 = nullptr, *mnuAbout = nullptr;

  // The toolbar and its buttons; a button is down when it is checked.
  QToolBar* ToolBar1 = nullptr;
  QAction *tbLibMode = nullptr, *tbObjs = nullptr, *tbFile = nullptr, *tbOpen1 = nullptr, *tbOpen2 = nullptr,
          *tbSave1 = nullptr, *tbSave2 = nullptr, *tbBack = nullptr, *tbHorzSplit = nullptr, *tbCompare = nullptr,
          *tbCancel = nullptr, *tbNext = nullptr, *tbPrev = nullptr, *tbFindNext = nullptr, *tbReplace = nullptr,
          *tbHelp = nullptr;
  // Normal images of the toolbar (16) and disabled ones (13); the library frame's toolbar uses
  // the second list.
  std::vector<QPixmap> ImageList1;
  std::vector<QPixmap> ImageList2;

  TStatusBar* StatusBar1 = nullptr;
  QProgressBar* ProgressBar1 = nullptr;  // hidden until a view shows progress; kept over panel 7
  QColorDialog* ColorDialog1 = nullptr;

  fileview::TFilesFrame* FilesFrame = nullptr;
  libview::TLibFrame* LibFrame = nullptr;
  mergeview::TMergeFrame* MergeFrame = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct TShortcutItem {
    QAction* Item;
    std::vector<QMenu*> Menus;  // the enclosing menus, outermost first
  };

  void CreateFileMenu();
  void CreateViewMenu();
  void CreateEditMenu();
  void CreateSearchMenu();
  void CreateActionsMenu();
  void CreateOptionsMenu();
  void CreateHelpMenu();
  void CreateToolBar();
  void CreateStatusBar();
  void CreateFrames();
  void CreateShortcuts();
  // The message boxes and dialogs behind OnShowError, OnAskYesNo, ChooseCodePage and the like.
  void CreatePrompts();

  QMenu* AddMenu(QMenu* parent, const char* name, const QString& title);
  QAction* AddItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& key = {});
  QAction* AddSeparator(QMenu* menu, const char* name);
  QAction* AddButton(const char* name, const QString& hint, int image);

  void DisableOutsideSourceView();
  void OpenMerge(const QStringList& given);
  // The library list's commands that add a folder or a git revision to a side.
  void ShowSideCommands(bool on);
  void StatusBar1DrawPanel(TStatusBar& bar, int index, QPainter& canvas, const QRect& rect);
  void PlaceProgressBar();
  void ChooseColor(editor::TColor& color);
  const TShortcutItem* FindShortcut(const QKeyEvent& key) const;
  bool ShortcutReady(const TShortcutItem& item) const;
  bool RunShortcut(const TShortcutItem& item);

  void CreateCommands();
  QMenu* GroupMenu(views::TCommandGroup group) const;

  struct TCommandParts {
    QAction* Item = nullptr;
    QAction* Button = nullptr;
  };
  std::array<TCommandParts, views::CommandIdCount> Commands{};  // by TCommandId::Index()
  std::array<QMetaObject::Connection, views::CommandGroupCount> GroupRefresh{};
  // The view switches a running pairing holds off, with the state each had before.
  std::vector<std::pair<QAction*, bool>> HeldSwitches;
  // The table of DataWindow migration defaults, read when first needed.
  std::shared_ptr<const pbparse::TDefaults> DefaultsTable() const;
  mutable std::shared_ptr<const pbparse::TDefaults> Defaults;
  mutable bool DefaultsRead = false;
  mutable std::vector<std::filesystem::path> DefaultsLooked;  // where the table was looked for
  mutable bool DefaultsMissingTold = false;
  // The library list's sides as the settings file had them, put back once the window is up.
  std::array<std::vector<std::filesystem::path>, compare::SideCount> StoredSides;
  QActionGroup* ViewItems = nullptr;
  QActionGroup* ViewButtons = nullptr;
  std::map<QAction*, QMetaObject::Connection> Bindings;
  std::vector<QMenu*> Menus;
  std::vector<TShortcutItem> Shortcuts;
  std::set<QAction*> OwnCommands;  // items the window handles itself
};

}  // namespace app
