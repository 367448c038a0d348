// The source comparison view in the main window, on the offscreen platform: aligned rows and
// counts, gutter markers, navigation, the overview strip, wheel and synchronised scrolling, block
// copy, saving, the report, find and replace, reloading and the file encodings.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScrollArea>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "app/ExeDir.h"
#include "app/Main.h"
#include "app/Settings.h"
#include "app/StatusBar.h"
#include "editor/CodeEditor.h"
#include "fileview/FileView.h"

namespace {

using Lines = std::vector<std::string>;

std::string ReadAll(const QString& p) {
  std::ifstream in(p.toStdString(), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteAll(const QString& p, const std::string& bytes) { std::ofstream(p.toStdString(), std::ios::binary) << bytes; }

Lines PaneLines(TCodeEdit* pane) { return pane->Lines().ToVector(); }

std::vector<int> Tags(TCodeEdit* pane) {
  std::vector<int> t;
  for (int i = 0; i < pane->Lines().Count(); ++i) t.push_back(pane->Lines().GetLineObj(i).Tag);
  return t;
}

std::string Kinds(TCodeEdit* pane) {
  std::string k;
  for (int i = 0; i < pane->Lines().Count(); ++i) k += static_cast<char>('0' + pane->Lines().GetLineObj(i).Kind);
  return k;
}

Lines Numbered(const char* prefix, int n) {
  Lines l;
  for (int i = 1; i <= n; ++i) l.push_back(prefix + std::to_string(i));
  return l;
}

}  // namespace

class FilesFrameTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  std::unique_ptr<TMainForm> form_;
  TFilesFrame* frame_ = nullptr;
  int beeps_ = 0;
  bool answer_ = true;
  QStringList asked_;

  QString Path(const QString& name) const { return dir_.filePath(name); }

  TFilesFrame& Frame() { return *frame_; }

  // Two texts compared as a user gets them: both handed over, then compared.
  void Compare(const Lines& a, const Lines& b) {
    Frame().SetSourceText("one", a, true);
    Frame().SetSourceText("two", b, false);
    Frame().RunCompare();
    QVERIFY(Frame().ResultPresent);
  }
  // The same with two files loaded from disk: the panes can be edited.
  void CompareFiles(const Lines& a, const Lines& b) {
    auto write = [](const QString& p, const Lines& l) {
      std::string bytes;
      for (const std::string& s : l) bytes += s + "\r\n";
      WriteAll(p, bytes);
    };
    write(Path("one.txt"), a);
    write(Path("two.txt"), b);
    Frame().LoadFile(Path("one.txt"), true);
    Frame().LoadFile(Path("two.txt"), false);
    QVERIFY(Frame().ResultPresent);
  }
  // What the replace dialog confirms: the options, then the searcher set from them.
  void ConfirmReplace(const QString& find, const QString& replace, bool forward, bool all, bool prompt) {
    TSearchOptions& o = Frame().SearchOptions;
    o.FindText = find;
    o.ReplaceText = replace;
    o.Forward = forward;
    o.ReplaceAll = all;
    o.Prompt = prompt;
    Frame().SetSearchPattern();
  }
  void FocusPane(TCodeEdit* pane) {
    pane->setFocus();
    QCOMPARE(Frame().ActivePane(), pane);
  }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    SetExeDir(dir_.path().toStdString());
  }

  void init() {
    AddColor = DefaultAddColor;
    ModColor = DefaultModColor;
    DelColor = DefaultDelColor;
    form_ = std::make_unique<TMainForm>();
    form_->resize(900, 600);
    form_->show();
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    form_->tbFileClick();
    frame_ = form_->FilesFrame;
    beeps_ = 0;
    asked_.clear();
    answer_ = true;
    frame_->Beep = [this] { ++beeps_; };
    frame_->AskYesNo = [this](const QString& text) {
      asked_ << text;
      return answer_;
    };
  }

  void cleanup() {
    form_->mnuShowDiffsOnly->setChecked(false);
    form_.reset();
    std::filesystem::remove(ProgramFileWith(".ini"));
  }

  // ---- aligned rows -------------------------------------------------------------------------

  void identicalTextsGiveOnlyEqualRows() {
    Compare({"a", "b", "c"}, {"a", "b", "c"});
    QCOMPARE(Frame().Counts.Added + Frame().Counts.Deleted + Frame().Counts.Changed, 0);
    QCOMPARE(PaneLines(Frame().Pane1), Lines({"a", "b", "c"}));
    QCOMPARE(Tags(Frame().Pane2), std::vector<int>({1, 2, 3}));
    QCOMPARE(form_->StatusBar1->PanelText(6), QString::fromUtf8("左3行:右3行"));
    form_->mnuShowDiffsOnly->trigger();
    QCOMPARE(Frame().Pane1->Lines().Count(), 0);
    QCOMPARE(Frame().Pane2->Lines().Count(), 0);
  }

  void anEmptyFirstTextShowsEveryLineAdded() {
    // Loading only file 2 compares at once.
    WriteAll(Path("two.txt"), "x\r\ny\r\nz\r\n");
    Frame().LoadFile(Path("two.txt"), false);
    QVERIFY(Frame().ResultPresent);
    QCOMPARE(Frame().Counts.Count1, 0);
    QCOMPARE(Frame().Counts.Added, 3);
    QCOMPARE(PaneLines(Frame().Pane1), Lines({"", "", ""}));
    QCOMPARE(Kinds(Frame().Pane1), std::string("111"));
    QCOMPARE(PaneLines(Frame().Pane2), Lines({"x", "y", "z"}));
    QCOMPARE(Frame().Pane1->GutterWidth(), 2 * Frame().Pane1->CharWidth() + 10);
    QCOMPARE(Frame().Pane2->GutterWidth(), 2 * Frame().Pane2->CharWidth());
    QCOMPARE(Frame().Pane1->Lines().GetLineObj(0).Color, AddColor);
    QVERIFY(!TMainForm::ItemEnabled(form_->mnuCompare));  // text 1 is still empty
  }

  void aReplacedBlockIsModifiedRowsThenAnAddedRow() {
    Compare({"a", "b", "c", "d"}, {"a", "B", "C", "X", "d"});
    QCOMPARE(Kinds(Frame().Pane1), std::string("03310"));
    QCOMPARE(PaneLines(Frame().Pane1), Lines({"a", "b", "c", "", "d"}));
    QCOMPARE(PaneLines(Frame().Pane2), Lines({"a", "B", "C", "X", "d"}));
    QCOMPARE(Frame().Counts.Changed, 2);
    QCOMPARE(Frame().Counts.Added, 1);
    QCOMPARE(form_->StatusBar1->PanelText(3), QString("2"));
    QCOMPARE(Frame().Pane2->Lines().GetLineObj(3).Color, AddColor);
    QCOMPARE(Frame().Pane2->Lines().GetLineObj(1).Color, ModColor);
  }

  void everyLineNumberAppearsOnceInOrder() {
    Compare({"1", "2", "3", "4", "5", "6"}, {"0", "1", "3", "4", "x", "6", "7"});
    auto numbers = [](TCodeEdit* pane) {
      std::vector<int> n;
      for (int t : Tags(pane))
        if (t) n.push_back(t);
      return n;
    };
    QCOMPARE(numbers(Frame().Pane1), std::vector<int>({1, 2, 3, 4, 5, 6}));
    QCOMPARE(numbers(Frame().Pane2), std::vector<int>({1, 2, 3, 4, 5, 6, 7}));
    // Fillers carry no number.
    for (TCodeEdit* pane : {Frame().Pane1, Frame().Pane2})
      for (int i = 0; i < pane->Lines().Count(); ++i)
        if (pane->Lines().GetLineObj(i).Tag == 0) QVERIFY(pane->Lines().Get(i).empty());
  }

  void differencesOnlyKeepTheirOwnLineNumbers() {
    form_->mnuShowDiffsOnly->setChecked(true);
    Compare({"a", "b", "c", "d", "e"}, {"a", "B", "c", "d"});
    QCOMPARE(PaneLines(Frame().Pane1), Lines({"b", "e"}));
    QCOMPARE(Tags(Frame().Pane1), std::vector<int>({2, 5}));
    QCOMPARE(Tags(Frame().Pane2), std::vector<int>({2, 0}));
    QCOMPARE(Kinds(Frame().Pane1), std::string("32"));
    // Turning the option off refills from the same result.
    form_->mnuShowDiffsOnly->trigger();
    QCOMPARE(Frame().Pane1->Lines().Count(), 5);
  }

  void theGutterMarksDifferenceKindsOnTheLeftOnly() {
    Compare({"a", "b"}, {"a", "c", "d"});
    auto inked = [](TCodeEdit* pane, int row, int x0, int x1) {
      QImage img(pane->GutterWidth() + 4, pane->LineHeight(), QImage::Format_RGB32);
      img.fill(Qt::white);
      QPainter p(&img);
      p.setFont(pane->Font());
      p.setPen(Qt::black);
      QRect margin(0, 0, pane->GutterWidth() - 4, pane->LineHeight());
      pane->OnPaintLeftMargin(pane, p, margin, row + 1, pane->Lines().GetLineObj(row).Tag);
      p.end();
      int dark = 0;
      for (int y = 0; y < img.height(); ++y)
        for (int x = std::max(0, x0); x < std::min(img.width(), x1); ++x) dark += qGray(img.pixel(x, y)) < 128;
      return dark;
    };
    TCodeEdit* left = Frame().Pane1;
    const int markX = left->GutterWidth() - 10;
    // Row 1 is modified ("~"), row 2 an added filler ("+"), row 0 equal (no mark).
    QVERIFY(inked(left, 1, markX, markX + left->CharWidth()) > 0);
    QVERIFY(inked(left, 2, markX, markX + left->CharWidth()) > 0);
    QCOMPARE(inked(left, 0, markX, markX + left->CharWidth()), 0);
    // The filler shows no number: nothing left of the mark.
    QCOMPARE(inked(left, 2, 0, markX - 2), 0);
    QVERIFY(inked(left, 0, 0, markX - 2) > 0);
  }

  // ---- navigation ---------------------------------------------------------------------------

  void nextAndPreviousStopAtEveryBlockAndBeepAtTheEnds() {
    // Blocks: rows 1-2 modified, row 3 added (directly after), rows 6 deleted.
    Compare({"a", "b", "c", "d", "e", "f", "g"}, {"a", "B", "C", "X", "d", "e", "g"});
    TCodeEdit* left = Frame().Pane1;
    FocusPane(left);
    QCOMPARE(Kinds(left), std::string("03310020"));
    std::vector<int> stops;
    for (int i = 0; i < 4; ++i) {
      Frame().NextDifference();
      stops.push_back(left->CaretPos().Y);
    }
    QCOMPARE(stops, std::vector<int>({1, 3, 6, 6}));
    QCOMPARE(beeps_, 1);
    stops.clear();
    for (int i = 0; i < 3; ++i) {
      Frame().PrevDifference();
      stops.push_back(left->CaretPos().Y);
    }
    QCOMPARE(stops, std::vector<int>({3, 1, 1}));
    QCOMPARE(beeps_, 2);
    // From inside a block, next skips the rest of it.
    left->MoveCaretTo(TPoint{0, 2});
    Frame().NextDifference();
    QCOMPARE(left->CaretPos().Y, 3);
    // The current-line bars show the row of both sides.
    QCOMPARE(Frame().lblLineNo1->text(), QString());
    QCOMPARE(Frame().lblLineNo2->text(), QString("4"));
    QCOMPARE(Frame().lblLine2->text(), QString("X"));
  }

  void navigationNeedsAFocusedPane() {
    Compare({"a"}, {"b"});
    Frame().Pane1->clearFocus();
    Frame().Pane2->clearFocus();
    Frame().NextDifference();
    Frame().PrevDifference();
    QCOMPARE(beeps_, 0);
  }

  void focusMovesKeepTheRow() {
    Compare(Numbered("l", 20), Numbered("r", 20));
    FocusPane(Frame().Pane1);
    Frame().Pane1->MoveCaretTo(TPoint{0, 5});
    FocusPane(Frame().Pane2);
    QCOMPARE(Frame().Pane2->CaretPos().Y, 5);
  }

  // ---- scrolling and the overview strip -----------------------------------------------------

  void theOverviewHasOneRowPerPaneRow() {
    Compare({"a", "b", "c"}, {"a", "x", "c", "d"});
    QCOMPARE(Frame().OverviewRows, std::vector<TColor>({clWindow, ModColor, clWindow, AddColor}));
    QVERIFY(Frame().sbDiff->isVisible());
    // A new load hides it until the next result.
    Frame().SetSourceText("again", {"a"}, true);
    QVERIFY(!Frame().sbDiff->isVisible());
  }

  void clickingTheOverviewCentresTheRow() {
    Compare(Numbered("l", 500), Numbered("r", 500));
    TCodeEdit* left = Frame().Pane1;
    const int half = (left->viewport()->height() / left->LineHeight()) / 2;
    Frame().pbDiffMouseDown(300);
    QCOMPARE(left->TopLine(), 300 - half);
    QCOMPARE(Frame().Pane2->TopLine(), left->TopLine());
    QCOMPARE(Frame().OverviewClickY, 300);
    Frame().pbDiffMouseDown(2);
    QCOMPARE(left->TopLine(), 0);
    QCOMPARE(Frame().Pane2->TopLine(), 0);
  }

  void theWheelScrollsBothPanesALineANotch() {
    Compare(Numbered("l", 200), Numbered("r", 200));
    for (TCodeEdit* pane : {Frame().Pane2, Frame().Pane1}) {
      const int before = Frame().Pane1->TopLine();
      QPointF at(pane->viewport()->width() / 2.0, pane->viewport()->height() / 2.0);
      QWheelEvent down(at, pane->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                       Qt::NoModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(pane->viewport(), &down);
      QCOMPARE(Frame().Pane1->TopLine(), before + 1);
      QCOMPARE(Frame().Pane2->TopLine(), before + 1);
    }
    QWheelEvent up(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
    QApplication::sendEvent(Frame().Pane1->viewport(), &up);
    QCOMPARE(Frame().Pane2->TopLine(), 1);
  }

  // ---- block copy and saving ------------------------------------------------------------------

  void copyingADeletedBlockRightFillsTheFillers() {
    CompareFiles({"a", "gone1", "gone2", "b"}, {"a", "b"});
    TCodeEdit* left = Frame().Pane1;
    FocusPane(left);
    left->MoveCaretTo(TPoint{0, 2});
    QVERIFY(TMainForm::ItemEnabled(form_->mnuCopyBlockRight));
    QVERIFY(!TMainForm::ItemEnabled(form_->mnuCopyBlockLeft));
    Frame().CopyBlockRight();
    QCOMPARE(PaneLines(Frame().Pane2), Lines({"a", "gone1", "gone2", "b"}));
    QCOMPARE(Frame().Pane2->Lines().GetLineObj(1).Color, Frame().Pane2->Color());
    QCOMPARE(Frame().pnlCaptionRight->palette().color(QPalette::Window), QColor(224, 224, 204));
    QCOMPARE(Frame().SavedText(false), Lines({"a", "gone1", "gone2", "b"}));
    // An equal row is no block.
    left->MoveCaretTo(TPoint{0, 0});
    Frame().CopyBlockRight();
    QCOMPARE(PaneLines(Frame().Pane2), Lines({"a", "gone1", "gone2", "b"}));
  }

  void ctrlAltArrowsCopyBlocksAndTheLayoutRenamesTheItems() {
    CompareFiles({"a", "b"}, {"a", "B", "new"});
    TCodeEdit* right = Frame().Pane2;
    FocusPane(right);
    right->MoveCaretTo(TPoint{0, 2});
    QTest::keyClick(right->viewport(), Qt::Key_Left, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(PaneLines(Frame().Pane1), Lines({"a", "b", "new"}));
    // Saving side 1 writes the pane's text without fillers: the copied line is kept.
    Frame().SaveTextTo(Path("left.txt"), true);
    QCOMPARE(ReadAll(Path("left.txt")), std::string("a\r\nb\r\nnew\r\n"));

    form_->mnuHorzSplit->trigger();
    QCOMPARE(Frame().Splitter1->orientation(), Qt::Vertical);
    QCOMPARE(form_->mnuCopyBlockRight->text(), QString("Copy Block &Down"));
    QCOMPARE(form_->mnuCopyBlockLeft->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_U));
    form_->tbHorzSplit->trigger();
    QCOMPARE(Frame().Splitter1->orientation(), Qt::Horizontal);
    QCOMPARE(form_->mnuCopyBlockRight->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_R));
    QVERIFY(!form_->mnuHorzSplit->isChecked());
  }

  void savingWithDifferencesOnlyNeverWritesAPartialText() {
    form_->mnuShowDiffsOnly->setChecked(true);
    const Lines one{"a", "b", "c", "d", "e", "f"};
    const Lines two{"a", "B", "c", "d", "f", "g"};
    CompareFiles(one, two);
    // Without edits the text as loaded is written.
    QCOMPARE(Frame().SavedText(true), one);
    // With a block copied over, the equal lines come back around it.
    TCodeEdit* right = Frame().Pane2;
    FocusPane(right);
    QCOMPARE(PaneLines(right), Lines({"B", "", "g"}));
    right->MoveCaretTo(TPoint{0, 0});
    Frame().CopyBlockLeft();
    QCOMPARE(Frame().SavedText(true), Lines({"a", "B", "c", "d", "e", "f"}));
    // Typing in a row keeps the rows in place.
    Frame().Pane1->MoveCaretTo(TPoint{1, 1});
    Frame().Pane1->InsertText("!");
    QCOMPARE(Frame().SavedText(true), Lines({"a", "B", "c", "d", "e!", "f"}));
    // A new line changes the row count: still nothing is lost, and the numbered lines keep
    // their order.
    Frame().Pane1->MoveCaretTo(TPoint{0, 0});
    Frame().Pane1->InsertText("typed\r\n");
    Lines saved = Frame().SavedText(true);
    QCOMPARE(saved.size(), std::size_t(7));
    for (const char* line : {"a", "typed", "B", "c", "d", "e!", "f"})
      QVERIFY(std::find(saved.begin(), saved.end(), line) != saved.end());
    QVERIFY(std::find(saved.begin(), saved.end(), "d") < std::find(saved.begin(), saved.end(), "f"));
  }

  void aModifiedPaneAsksBeforeComparingAgain() {
    CompareFiles({"a"}, {"b"});
    Frame().Pane1->Lines().Put(0, "edited");
    answer_ = false;
    Frame().RunCompare();
    QCOMPARE(asked_, QStringList({"Changes will be lost if you proceed with this compare.\nContinue? ..."}));
    QCOMPARE(PaneLines(Frame().Pane1), Lines({"edited"}));
    answer_ = true;
    Frame().RunCompare();
    QCOMPARE(PaneLines(Frame().Pane1), Lines({"a"}));
    QCOMPARE(Frame().pnlCaptionLeft->palette().color(QPalette::Window),
             Frame().palette().color(QPalette::Button));
  }

  void escapeDuringAComparisonCancelsIt() {
    Compare({"old"}, {"new"});
    // Two long texts that differ everywhere keep the engine busy; Esc arrives through the events
    // it lets through.
    Frame().SetSourceText("one", Numbered("a", 3000), true);
    Frame().SetSourceText("two", Numbered("b", 3000), false);
    QTimer::singleShot(0, form_.get(), [this] {
      QVERIFY(Frame().Comparing);
      QVERIFY(TMainForm::ItemEnabled(form_->mnuCancel));
      QVERIFY(!TMainForm::ItemEnabled(form_->mnuCompare));
      QTest::keyClick(Frame().Pane1->viewport(), Qt::Key_Escape);
    });
    Frame().RunCompare();
    QVERIFY(!Frame().ResultPresent);
    QCOMPARE(form_->StatusBar1->PanelText(3), QString("Compare cancelled."));
    QCOMPARE(PaneLines(Frame().Pane1), Numbered("a", 3000));  // the plain texts stay
    QVERIFY(TMainForm::ItemEnabled(form_->mnuCompare));
    QVERIFY(!TMainForm::ItemEnabled(form_->mnuCancel));
  }

  void aPairHandedOverDuringAComparisonIsComparedInstead() {
    Frame().SetSourceText("one", Numbered("a", 3000), true);
    Frame().SetSourceText("two", Numbered("b", 3000), false);
    QTimer::singleShot(0, form_.get(), [this] {
      Frame().SetSourceText("three", {"x", "y"}, true);
      Frame().SetSourceText("four", {"x", "z"}, false);
      Frame().RunCompare();
    });
    Frame().RunCompare();
    QVERIFY(Frame().ResultPresent);
    QCOMPARE(PaneLines(Frame().Pane2), Lines({"x", "z"}));
    QCOMPARE(Frame().Counts.Changed, 1);
  }

  void editKeysActOnTheFocusedPaneOnly() {
    CompareFiles({"alpha"}, {"beta"});
    TCodeEdit* left = Frame().Pane1;
    FocusPane(left);
    left->MoveCaretTo(TPoint{0, 0});
    left->SetSelLength(3);
    QTest::keyClick(left->viewport(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QString("alp"));
    QTest::keyClick(left->viewport(), Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(PaneLines(left), Lines({"ha"}));
    QTest::keyClick(left->viewport(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(PaneLines(left), Lines({"alpha"}));
    // In another view the keys stay with the focused control.
    form_->tbLibModeClick();
    emit form_->mnuEdit->aboutToShow();
    for (QAction* a : {form_->mnuUndo, form_->mnuRedo, form_->mnuCut, form_->mnuCopy, form_->mnuPaste})
      QVERIFY(!TMainForm::ItemEnabled(a));
  }

  void aNewTextThatIsNotComparedLeavesTheOtherSideSavable() {
    form_->mnuIgnoreCase->setChecked(true);
    CompareFiles({"a", "b"}, {"a", "x", "b"});
    QVERIFY(Frame().pnlCaptionLeft->text().endsWith("  (Case Ignored)"));
    Frame().Pane1->MoveCaretTo(TPoint{0, 0});
    Frame().Pane1->InsertText("new ");
    WriteAll(Path("three.txt"), "c\r\n");
    answer_ = false;  // keep the edits: no comparison
    Frame().LoadFile(Path("three.txt"), false);
    QVERIFY(!Frame().ResultPresent);
    QCOMPARE(PaneLines(Frame().Pane1), Lines({"new a", "", "b"}));
    QCOMPARE(Frame().SavedText(true), Lines({"new a", "b"}));  // the filler stays out
    QVERIFY(!Frame().pnlCaptionLeft->text().contains("Case Ignored"));
    form_->mnuIgnoreCase->setChecked(false);
  }

  void refillingAsksBeforeDroppingEdits() {
    CompareFiles({"a", "b"}, {"a", "c"});
    Frame().Pane2->MoveCaretTo(TPoint{0, 1});
    Frame().Pane2->InsertText("!");
    answer_ = false;
    form_->mnuShowDiffsOnly->trigger();
    QCOMPARE(asked_.size(), 1);
    QVERIFY(!form_->mnuShowDiffsOnly->isChecked());
    QCOMPARE(PaneLines(Frame().Pane2), Lines({"a", "!c"}));
    answer_ = true;
    form_->mnuShowDiffsOnly->trigger();
    QVERIFY(form_->mnuShowDiffsOnly->isChecked());
    QCOMPARE(PaneLines(Frame().Pane2), Lines({"c"}));
  }

  void aResultEnablesTheBlockCopyOfTheFirstRow() {
    CompareFiles({}, {"x", "y"});
    QCOMPARE(Frame().ActivePane(), Frame().Pane1);
    QVERIFY(TMainForm::ItemEnabled(form_->mnuCopyBlockRight));
    QVERIFY(!TMainForm::ItemEnabled(form_->mnuCopyBlockLeft));
    QCOMPARE(Frame().lblLine2->text(), QString("x"));
  }

  void aFileLoadedOverAHandedOverTextCanBeEdited() {
    Frame().SetSourceText("lib.pbl@w_main", {"a"}, true);
    QVERIFY(Frame().Pane1->ReadOnly());
    WriteAll(Path("mine.txt"), "a\r\n");
    Frame().LoadFile(Path("mine.txt"), true);
    QVERIFY(!Frame().Pane1->ReadOnly());
  }

  void theSaveDialogProposesTheExportedName() {
    Compare({"$PBExportHeader$w_main.srw", "x"}, {"y"});
    QString proposed;
    Frame().ChooseSaveFile = [&](const QString& p) {
      proposed = p;
      return QString();
    };
    form_->mnuSave1->trigger();
    QCOMPARE(proposed, QString("w_main.srw"));
  }

  // ---- the report -----------------------------------------------------------------------------

  void theReportListsEveryBlockUnderItsHeading() {
    const std::string rule(80, '=');
    Compare(Numbered("l", 10), [] {
      Lines b = Numbered("l", 10);
      b.insert(b.begin() + 4, {"n1", "n2"});
      return b;
    }());
    Lines report = Frame().ReportLines();
    QCOMPARE(report.size(), std::size_t(8 + 5));
    QVERIFY(report[0].rfind("Difference Report - ", 0) == 0);
    QCOMPARE(report[1], rule);
    QCOMPARE(report[3], std::string("File 1: \"one\""));
    QCOMPARE(report[4], std::string("        Last modified on "));  // handed over: no time
    QCOMPARE(Lines(report.begin() + 8, report.end()), Lines({rule, "Lines added at 5", rule, "+ n1", "+ n2"}));

    Compare({"1", "2", "3", "4", "5"}, {"1", "2", "x", "y", "z", "5"});
    report = Frame().ReportLines();
    QCOMPARE(Lines(report.begin() + 8, report.end()),
             Lines({rule, "Lines modified at 3", rule, "- 3", "+ x", "- 4", "+ y", rule, "Lines added at 5", rule,
                    "+ z"}));

    Compare({"first", "2"}, {"2"});
    report = Frame().ReportLines();
    QCOMPARE(report[9], std::string("Lines deleted at 1"));
    Compare({"same"}, {"same"});
    QCOMPARE(Frame().ReportLines().size(), std::size_t(8));
  }

  void theReportFileNamesLoadedFilesWithTheirTimes() {
    WriteAll(Path("a\"q.txt"), "x\r\n");
    WriteAll(Path("b.txt"), "y\r\n");
    Frame().LoadFile(Path("a\"q.txt"), true);
    Frame().LoadFile(Path("b.txt"), false);
    Frame().SaveReportTo(Path("report.txt"));
    const std::string text = ReadAll(Path("report.txt"));
    QVERIFY(text.find("File 1: \"" + Path("a\"q.txt").toStdString() + "\"\r\n") != std::string::npos);
    const std::size_t modified = text.find("        Last modified on ");
    QVERIFY(modified != std::string::npos);
    QVERIFY(text[modified + 25] != '\r');  // a time follows
    QVERIFY(text.find("Lines modified at 1\r\n") != std::string::npos);
    QVERIFY(text.substr(0, 3) != "\xEF\xBB\xBF");
  }

  // ---- find and replace -----------------------------------------------------------------------

  void findNextStepsThroughMatchesAndBeepsAtTheEnd() {
    Compare({"abab", "xx ab"}, {"q"});
    TCodeEdit* left = Frame().Pane1;
    FocusPane(left);
    left->MoveCaretTo(TPoint{0, 0});
    Frame().SearchOptions.FindText = "ab";
    Frame().SearchOptions.Forward = true;
    Frame().SearchOptions.IgnoreCase = false;
    // What the find dialog's OK does before the first F3.
    Frame().SetSearchPattern();
    std::vector<std::pair<int, int>> found;
    for (int i = 0; i < 4; ++i) {
      Frame().FindNextCommand();
      found.emplace_back(left->CaretPos().Y, left->CaretPos().X);
    }
    QCOMPARE(found, (std::vector<std::pair<int, int>>{{0, 2}, {0, 4}, {1, 5}, {1, 5}}));
    QCOMPARE(beeps_, 1);
    QCOMPARE(left->SelText(), std::string("ab"));
  }

  void findAndReplaceNeverSplitADoubleByteCharacter() {
    // GBK 說 is D5 66: "f" (and, without case, "F") matches its second byte.
    CompareFiles({"x\xD5\x66y f"}, {"q"});
    TCodeEdit* left = Frame().Pane1;
    FocusPane(left);
    left->MoveCaretTo(TPoint{0, 0});
    Frame().SearchOptions.FindText = "F";
    Frame().SearchOptions.Forward = true;
    Frame().SearchOptions.IgnoreCase = true;
    Frame().SetSearchPattern();
    Frame().FindNextCommand();
    QCOMPARE(left->CaretPos().X, 6);
    QCOMPARE(left->SelText(), std::string("f"));
    Frame().FindNextCommand();
    QCOMPARE(beeps_, 1);
    // "0" matches inside the GB18030 bytes of "©" (81 30 84 38), read from a UTF-8 file.
    WriteAll(Path("c.txt"), "\xC2\xA9 2003 0\r\n");
    Frame().LoadFile(Path("c.txt"), true);
    FocusPane(left);
    left->MoveCaretTo(TPoint{0, 0});
    ConfirmReplace("0", "zero", true, true, false);
    Frame().RunReplace();
    QCOMPARE(PaneLines(left), Lines({"\x81\x30\x84\x38 2zerozero3 zero"}));
  }

  void aBackwardReplaceAllEnds() {
    CompareFiles({"a a", "a b"}, {"q"});
    Frame().LoadFile(Path("missing.txt"), true);  // no such file: ignored
    TCodeEdit* left = Frame().Pane1;
    FocusPane(left);
    left->MoveCaretTo(TPoint{3, 1});
    ConfirmReplace("a", "ab", false, true, false);
    Frame().RunReplace();
    QCOMPARE(PaneLines(left), Lines({"ab ab", "ab b"}));
  }

  void promptAnswersDecideEachReplacement() {
    CompareFiles({"a a a a"}, {"q"});
    TCodeEdit* left = Frame().Pane1;
    FocusPane(left);
    left->MoveCaretTo(TPoint{0, 0});
    ConfirmReplace("a", "b", true, true, true);
    std::vector<TReplaceChoice> answers{rcSkip, rcAll};
    int asked = 0;
    Frame().AskReplace = [&](TCodeEdit*) { return answers[static_cast<std::size_t>(asked++)]; };
    Frame().RunReplace();
    QCOMPARE(PaneLines(left), Lines({"a b b b"}));
    QCOMPARE(asked, 2);
    // Cancel at the first prompt changes nothing.
    answers = {rcCancel};
    asked = 0;
    left->MoveCaretTo(TPoint{0, 0});
    Frame().RunReplace();
    QCOMPARE(PaneLines(left), Lines({"a b b b"}));
  }

  void aReadOnlyPaneFindsButKeepsItsText() {
    Frame().SetSourceText("one", {"aaa"}, true);
    TCodeEdit* left = Frame().Pane1;
    FocusPane(left);
    left->MoveCaretTo(TPoint{0, 0});
    ConfirmReplace("a", "b", true, true, false);
    Frame().RunReplace();
    QCOMPARE(PaneLines(left), Lines({"aaa"}));
  }

  // ---- files ----------------------------------------------------------------------------------

  void everyEncodingIsSavedBackByteForByte() {
    const std::vector<std::pair<QString, std::string>> files{
        {"gbk.txt", "$PBExportHeader$w.srw\r\n\xB5\xC7\xC2\xBC\r\n"},
        {"bom.txt", "\xEF\xBB\xBF$PBExportHeader$w.srw\r\n\xE7\x99\xBB\xE5\xBD\x95\r\n"},
        {"utf8.txt", "$PBExportHeader$w.srw\r\n\xE7\x99\xBB\xE5\xBD\x95\r\n"},
        {"le.txt", std::string("\xFF\xFE" "a\0\x7B\x76\r\0\n\0", 10)},
        {"be.txt", std::string("\xFE\xFF\0a\x76\x7B\0\r\0\n", 10)},
    };
    for (const auto& [name, bytes] : files) {
      WriteAll(Path(name), bytes);
      Frame().LoadFile(Path(name), true);
      Frame().LoadFile(Path(name), false);
      QCOMPARE(Frame().Counts.Changed + Frame().Counts.Added + Frame().Counts.Deleted, 0);
      Frame().SaveTextTo(Path("out-" + name), true);
      QCOMPARE(ReadAll(Path("out-" + name)), bytes);
    }
    // The Chinese text reaches the panes in the code page.
    QCOMPARE(Frame().SourceList1, Lines({"a\xB5\xC7"}));
  }

  void aFileChangedOnDiskIsReloaded() {
    WriteAll(Path("one.txt"), "a\r\n");
    WriteAll(Path("two.txt"), "a\r\n");
    Frame().LoadFile(Path("one.txt"), true);
    Frame().LoadFile(Path("two.txt"), false);
    QCOMPARE(Frame().Counts.Changed, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    WriteAll(Path("two.txt"), "b\r\n");
    Frame().CheckFilesChanged();
    QCOMPARE(Frame().SourceList2, Lines({"b"}));
    QCOMPARE(Frame().Counts.Changed, 1);
    // A file that went away is left alone.
    std::filesystem::remove(Path("one.txt").toStdString());
    Frame().CheckFilesChanged();
    QCOMPARE(Frame().SourceList1, Lines({"a"}));
  }

  void aFileDroppedOnAPaneLoadsIntoThatSide() {
    WriteAll(Path("dropped.txt"), "d\r\n");
    // The pane reports the first dropped file (the editor's own tests cover the drag events).
    bool accepted = false;
    Frame().Pane2->OnDropFiles(Frame().Pane2, Path("dropped.txt"), accepted);
    QVERIFY(accepted);
    QCOMPARE(Frame().SourceList2, Lines({"d"}));
    QCOMPARE(Frame().Name2, Path("dropped.txt"));
  }

  void theOpenCommandLoadsTheChosenFileIntoItsSide() {
    WriteAll(Path("chosen.txt"), "z\r\n");
    Frame().ChooseOpenFile = [&](const QString&) { return Path("chosen.txt"); };
    form_->tbOpen2->trigger();
    QCOMPARE(Frame().SourceList2, Lines({"z"}));
    QVERIFY(Frame().pnlCaptionRight->text().startsWith("  " + Path("chosen.txt")));
    QCOMPARE(Folder2, std::filesystem::path(dir_.path().toStdString()) / "");
  }
};

QTEST_MAIN(FilesFrameTest)
#include "FilesFrameTest.moc"
