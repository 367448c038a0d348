// TLibFrame: the library frame, carrying the library list view and the object list view.
//
// The window that carries it is a views::TViewHost. It creates the frame, initialises it once
// (InitFrame), activates one of its two views (ActivateLibList, ActivateObjList) and releases it
// before it is destroyed (ReleaseFrame). Activating a view puts that view's captions on the
// shared open commands, binds its open handler and hands its counts to the host.
//
// The library list shows the pairs of a compare::TLibraryComparison, which reads, pairs and
// classifies the libraries of side 1 and side 2; a double-click opens the pair's objects in the
// object list; a double-click there hands both exported sources to the files frame. The frame
// holds the widgets and turns their events into the comparison's calls.
//
// Pairings let the user interface process events while their content checks search (the
// comparison tells the frame at every search step). Meanwhile every command that would change the
// lists is ignored and the frame's own buttons and the open commands are disabled, so nothing
// changes under a running pairing.
//
// The operations that read libraries (AddLibraries, OpenLibraryPair, OpenOneLibrary) throw
// platform::TFileError; the event handlers catch it and show it through the host's ShowError. A
// library that cannot be read while the library list is paired makes its pair changed and is
// named in the one message of the command. Damage found while reading a library (a file cut
// short or rewritten by another process while it is open) is not an error: what could be read is
// shown, and one message per operation names the library and what was found.
#pragma once

#include <QPixmap>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <tuple>
#include <vector>

#include "compare/LibraryComparison.h"
#include "compare/Side.h"
#include "libview/ListView.h"
#include "views/ViewHost.h"

class QComboBox;
class QMenu;
class QFileDialog;
class QToolButton;

namespace libview {

class TLibFrame : public QWidget {
  Q_OBJECT
 public:
  TLibFrame(views::TViewHost& host, QWidget* parent);
  ~TLibFrame() override;

  void InitFrame();
  void ReleaseFrame();
  void ActivateLibList();
  void ActivateObjList();

  // ---- Library list ----------------------------------------------------------------------
  void OpenLibsClick(compare::TSide side);
  // Adds the libraries of a dialog selection (read as FilterIndex says) to a side, then pairs
  // both sides again and refills the list.
  void AddLibraries(const std::vector<std::filesystem::path>& Files, compare::TSide side);
  // The files the user added to a side (not the libraries they expand to), in the order added;
  // and the same lists put back at the next start: added and paired again, with one message for
  // whatever is gone.
  std::vector<std::filesystem::path> SideFiles(compare::TSide side) const;
  // Collects both sides again from what was added to them (an option changed which copy of a
  // library is read); the library list shows the result.
  void CollectAgain();
  void RestoreSides(const std::array<std::vector<std::filesystem::path>, compare::SideCount>& sides);
  // A git side as SideFiles stores it: "git:REV:PATH", this separator, the repository's folder.
  static constexpr char kRepositorySeparator = compare::TLibraryComparison::kRepositorySeparator;
  // Adds a folder (a folder of exported objects, or a folder holding libraries) or a revision
  // of a git repository to a side, then pairs both sides again.
  void AddFolderClick(compare::TSide side);
  void AddRevisionClick(compare::TSide side);
  struct TGitSide {
    QString Repository;  // a folder inside the repository
    QString Revision;    // anything git names a commit by: HEAD~3, a tag, a hash
    QString Path;        // a file or folder from the repository's top; empty for the whole tree
  };
  // How the folder and the revision are chosen; replaceable for tests (empty / none: Cancel).
  std::function<QString(compare::TSide side)> ChooseFolder;
  std::function<std::optional<TGitSide>(compare::TSide side)> AskGitSide;
  // Pairs both sides again, with the progress shown.
  void CompareLibraries();
  void ShowLibraries();
  // Makes `Path` the side's current library, its combo box's text and the first line of its
  // history file. Throws platform::TFileError when the history cannot be written.
  void RememberPath(const std::filesystem::path& Path, compare::TSide side);
  void lvLibsSelectItem(QTreeWidgetItem* Item, bool Selected);
  void ClearClick(compare::TSide side);
  void tbClear1Click() { ClearClick(compare::Side1); }
  void tbClear2Click() { ClearClick(compare::Side2); }
  void ToolBar1Resize();
  void OpenDialog1TypeChange(int index);
  void lvLibsResize(TMyListView& View);

  // ---- Object list -----------------------------------------------------------------------
  void OpenLibraryPair();
  void ShowObjects();
  void OpenOneLibClick(compare::TSide side);
  void OpenOneLibrary(const std::filesystem::path& Path, compare::TSide side);
  // Reads what is open again (the code page changed): the library list is paired again, the
  // object list's libraries are read and paired again, and the object last handed to the source
  // view is exported again when `sources` is set. The view shown stays.
  void ReadAgain(bool sources);
  // A comparison option has changed: both lists are paired and classified again under it,
  // their selected rows and scroll positions kept.
  void OptionsChanged();
  void lvLibsDblClick();
  void lvLibsCustomDrawItem(TListView& Sender, QPainter& Canvas, const QTreeWidgetItem& Item, const QRect& Rect);
  void lvLibsCustomDrawItemAfter(TListView& Sender, QPainter& Canvas, const QTreeWidgetItem& Item, const QRect& Rect);

  // ---- Writing folder libraries (the object list's context menu) ------------------------
  // Copies the selected object onto a side (复制到左侧, 复制到右侧), asking before it replaces a
  // file there; deletes it from a side, asking first. The object list is read again and the
  // object stays selected. Where the command cannot act (a read-only side, no object on the side
  // it would come from), the status bar says why and nothing is written.
  void CopyObjectTo(compare::TSide to);
  void DeleteObjectFrom(compare::TSide side);
  // Why the command cannot act on the selected object now; empty when it can.
  QString WhyNoCopy(compare::TSide to) const;
  QString WhyNoDelete(compare::TSide side) const;
  // The object list's context menu (the Menu key, Shift+F10 or a right click opens it), its
  // items brought up to date: off where WhyNoCopy or WhyNoDelete says why, which their hints and
  // the status bar say.
  QMenu* ObjectMenu();

  // The image of ImageList3 for an object's type letter: a 1, d 2, f 3, j 11, m 5, s 6, u 7,
  // w 8; 0 for every other letter.
  static int TypeImage(char letter);
  // The image of a library row's kind: 0 a library file, 14 a folder of exported objects, 15 and
  // 16 the same in a git revision.
  static int KindImage(const TFolderRec& rec);
  // What the last column of the object list says of a changed pair's kind of change: the
  // differences the options could explain ("仅顺序", "仅位置和大小"...), nothing for content.
  static QString ChangeKindCaption(std::uint8_t kind);

  // What the frame shows: the comparison, the view in front (0 library list, 1 object list) and
  // the file type chosen in the open dialog (1 library, 2 target, 3 workspace).
  const compare::TLibraryComparison& Model() const { return model_; }
  int ViewMode() const { return viewMode_; }
  int FilterIndex() const { return filterIndex_; }

  // ---- Components -------------------------------------------------------------------------
  QWidget* pnlMain = nullptr;
  QWidget* ToolBar1 = nullptr;
  std::array<QComboBox*, compare::SideCount> cbOpen{};
  std::array<QToolButton*, compare::SideCount> tbClear{}, tbFolder{}, tbRevision{};
  // The two lists, in the same place; whichever is in front is seen. The main window gives them
  // the focus when it switches views.
  TListView* lvLibs = nullptr;
  TListView* lvObjs = nullptr;
  QPixmap ImageList1;                // blank, 26 pixels wide: the room the drawn icons take
  std::vector<QPixmap> ImageList2;   // header sort marks: 0 descending, 1 ascending
  std::vector<QPixmap> ImageList3;   // row icons and the newer marks 12 and 13
  QFileDialog* OpenDialog1 = nullptr;

  // True while a pairing runs (it lets events through); the list-changing commands wait.
  bool Pairing() const { return pairing_ > 0; }

  // How the frame chooses files; replaceable for tests. ExecuteOpenDialog runs OpenDialog1 as
  // set up and returns the chosen files (none for Cancel).
  std::function<QStringList()> ExecuteOpenDialog;

  static QString LibraryFilter();  // the three file types of the library list's dialog

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

  views::TViewHost& Host;

 private:
  void CreateToolBar();
  QWidget* CreateLists();
  void CreateOpenDialog();
  TListView* CreateList(QWidget* parent, const char* name,
                        const std::vector<std::tuple<const char*, int, bool>>& columns);
  void BindOpen(void (TLibFrame::*handler)(compare::TSide), const char* caption);
  void SetOpenDialog(const std::filesystem::path& folder, const QString& filter, bool multiple);
  // What an add could not take: files and listed libraries that do not exist or cannot be read,
  // and (side 2) names already on the side.
  struct TAddProblems {
    std::vector<std::filesystem::path> Missing;
    QStringList Unreadable;  // the reason, naming the file
    QStringList Empty;       // a folder that holds no library
    QStringList LeftOut;     // a second library of a name met by the command
    QStringList Duplicates;  // names already on the side
    QStringList Differ;      // a library file and the exports beside it that stand for it
  };
  // Adds what `files` name to a side; git sides are read from the repository of `repository`
  // (the current folder when empty).
  void AddFiles(const std::vector<std::filesystem::path>& files, compare::TSide side, int fileType, TAddProblems& problems,
                const std::filesystem::path& repository);
  void NoteProblems(const sides::TSideReport& report, compare::TSide side, TAddProblems& problems);
  void ReportAddProblems(const TAddProblems& problems);
  void LoadHistory(QComboBox* box, const std::filesystem::path& file);
  std::filesystem::path HistoryFile(compare::TSide side) const;
  void FitColumns();
  void OpenObjectPair();
  void ClearObjectRows();
  const TPair* SelectedObjectPair() const;
  void WriteObject(compare::TSide side, bool copy);
  QTreeWidgetItem* SelectObjectRow(const std::string& key);
  void SetUpObjectMenu();
  void ReportDamage();
  // What a read report says went wrong, in the user's language.
  static QString DescribeReport(const pbl::TReadReport& report);
  // sides::TSideReport::Describe in the user's language (an unreadable library's reason as the
  // reader gave it).
  static QString DescribeProblem(const sides::TSideProblem& problem);
  void Guarded(const std::function<void()>& action);
  std::vector<QWidget*> SideButtons() const;
  void BeginPairing();
  void EndPairing();
  template <class Rows>
  void AddRowsByCaption(TListView& list, Rows rows);

  compare::TLibraryComparison model_;
  int viewMode_ = 0;
  int filterIndex_ = 1;
  std::filesystem::path exeDir_;  // where the path histories "File1.lst", "File2.lst" lie
  std::string handedOverKey_;  // the key of the object pair last handed to the source view
  int pairing_ = 0;
  bool columnsToFit_ = false;
  bool filling_ = false;  // the frame itself is replacing a list's rows
  QMenu* objectMenu_ = nullptr;
  friend struct TPairingScope;
};

// The dialog behind TLibFrame::AskGitSide.
std::optional<TLibFrame::TGitSide> AskGitSideDialog(QWidget* parent, compare::TSide side);

// While a pairing runs, the commands that change the lists are off.
struct TPairingScope {
  explicit TPairingScope(TLibFrame& frame) : Frame(frame) { Frame.BeginPairing(); }
  ~TPairingScope() { Frame.EndPairing(); }
  TPairingScope(const TPairingScope&) = delete;
  TPairingScope& operator=(const TPairingScope&) = delete;
  TLibFrame& Frame;
};

}  // namespace libview
