// The source comparison view on the offscreen platform, in a fake view host's window: aligned
// rows and counts, gutter markers, navigation, the overview strip, wheel and synchronised scrolling, block
// copy, saving, the report, find and replace, reloading and the file encodings.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QInputMethodEvent>
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
#include <functional>
#include <memory>
#include <sstream>
#include <thread>

#include <QVBoxLayout>

#include "FakeHost.h"
#include "report/HtmlReport.h"
#include "editor/CodeEditor.h"
#include "fileview/FileView.h"

using compare::Side1;
using compare::Side2;
using compare::TSide;
using views::TCommand;
using views::TCommandId;
using views::TSideCommand;

using search::TReplaceChoice;
using search::TSearchOptions;
using search::rcAll;
using search::rcCancel;
using search::rcSkip;
using editor::TCodeEdit;
using editor::TColor;
using editor::TPoint;
using editor::clWindow;
using fileview::TFilesFrame;

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
  std::unique_ptr<testsupport::TFakeHost> host_;
  TFilesFrame* frame_ = nullptr;
  int beeps_ = 0;

  QString Path(const QString& name) const { return dir_.filePath(name); }

  TFilesFrame& Frame() { return *frame_; }

  // Two texts compared as a user gets them: both handed over, then compared.
  void Compare(const Lines& a, const Lines& b) {
    Frame().SetSourceText("one", a, Side1);
    Frame().SetSourceText("two", b, Side2);
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
    Frame().LoadFile(Path("one.txt"), Side1);
    Frame().LoadFile(Path("two.txt"), Side2);
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
  // The show-differences-only item clicked: its mark turns over, then the view follows.
  void ToggleDiffsOnly() {
    host_->ViewOptions.ShowDiffsOnly = !host_->ViewOptions.ShowDiffsOnly;
    Frame().ShowDiffsOnlyChanged();
  }

 private slots:
  void initTestCase() { QVERIFY(dir_.isValid()); }

  void init() {
    host_ = std::make_unique<testsupport::TFakeHost>();
    host_->StateDir = dir_.path().toStdString();
    auto* layout = new QVBoxLayout(&host_->Window);
    layout->setContentsMargins(0, 0, 0, 0);
    frame_ = new TFilesFrame(*host_, &host_->Window);
    layout->addWidget(frame_);
    frame_->InitFrame();
    host_->Window.show();
    host_->Window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&host_->Window));
    frame_->ActivateView();
    beeps_ = 0;
    frame_->Beep = [this] { ++beeps_; };
  }

  void cleanup() {
    frame_->DoneFrame();
    host_.reset();
  }

  // ---- aligned rows -------------------------------------------------------------------------

  void identicalTextsGiveOnlyEqualRows() {
    Compare({"a", "b", "c"}, {"a", "b", "c"});
    QCOMPARE(Frame().Counts.Added + Frame().Counts.Deleted + Frame().Counts.Changed, 0);
    QCOMPARE(PaneLines(Frame().Pane(Side1)), Lines({"a", "b", "c"}));
    QCOMPARE(Tags(Frame().Pane(Side2)), std::vector<int>({1, 2, 3}));
    QCOMPARE(host_->Counts.Count1, 3);
    QCOMPARE(host_->Counts.Count2, 3);
    ToggleDiffsOnly();
    QCOMPARE(Frame().Pane(Side1)->Lines().Count(), 0);
    QCOMPARE(Frame().Pane(Side2)->Lines().Count(), 0);
  }

  void anEmptyFirstTextShowsEveryLineAdded() {
    // Loading only file 2 compares at once.
    WriteAll(Path("two.txt"), "x\r\ny\r\nz\r\n");
    Frame().LoadFile(Path("two.txt"), Side2);
    QVERIFY(Frame().ResultPresent);
    QCOMPARE(Frame().Counts.Count1, 0);
    QCOMPARE(Frame().Counts.Added, 3);
    QCOMPARE(PaneLines(Frame().Pane(Side1)), Lines({"", "", ""}));
    QCOMPARE(Kinds(Frame().Pane(Side1)), std::string("111"));
    QCOMPARE(PaneLines(Frame().Pane(Side2)), Lines({"x", "y", "z"}));
    QCOMPARE(Frame().Pane(Side1)->GutterWidth(), 2 * Frame().Pane(Side1)->CharWidth() + 10);
    QCOMPARE(Frame().Pane(Side2)->GutterWidth(), 2 * Frame().Pane(Side2)->CharWidth());
    QCOMPARE(Frame().Pane(Side1)->Lines().GetLineObj(0).Color, host_->ViewColors.Add);
    QVERIFY(!host_->IsEnabled(TCommand::Compare));  // text 1 is still empty
  }

  void aReplacedBlockIsModifiedRowsThenAnAddedRow() {
    Compare({"a", "b", "c", "d"}, {"a", "B", "C", "X", "d"});
    QCOMPARE(Kinds(Frame().Pane(Side1)), std::string("03310"));
    QCOMPARE(PaneLines(Frame().Pane(Side1)), Lines({"a", "b", "c", "", "d"}));
    QCOMPARE(PaneLines(Frame().Pane(Side2)), Lines({"a", "B", "C", "X", "d"}));
    QCOMPARE(Frame().Counts.Changed, 2);
    QCOMPARE(Frame().Counts.Added, 1);
    QCOMPARE(host_->Counts.Changed, 2);
    QCOMPARE(Frame().Pane(Side2)->Lines().GetLineObj(3).Color, host_->ViewColors.Add);
    QCOMPARE(Frame().Pane(Side2)->Lines().GetLineObj(1).Color, host_->ViewColors.Mod);
  }

  void everyLineNumberAppearsOnceInOrder() {
    Compare({"1", "2", "3", "4", "5", "6"}, {"0", "1", "3", "4", "x", "6", "7"});
    auto numbers = [](TCodeEdit* pane) {
      std::vector<int> n;
      for (int t : Tags(pane))
        if (t) n.push_back(t);
      return n;
    };
    QCOMPARE(numbers(Frame().Pane(Side1)), std::vector<int>({1, 2, 3, 4, 5, 6}));
    QCOMPARE(numbers(Frame().Pane(Side2)), std::vector<int>({1, 2, 3, 4, 5, 6, 7}));
    // Fillers carry no number.
    for (TCodeEdit* pane : {Frame().Pane(Side1), Frame().Pane(Side2)})
      for (int i = 0; i < pane->Lines().Count(); ++i)
        if (pane->Lines().GetLineObj(i).Tag == 0) QVERIFY(pane->Lines().Get(i).empty());
  }

  void differencesOnlyKeepTheirOwnLineNumbers() {
    host_->ViewOptions.ShowDiffsOnly = true;
    Compare({"a", "b", "c", "d", "e"}, {"a", "B", "c", "d"});
    QCOMPARE(PaneLines(Frame().Pane(Side1)), Lines({"b", "e"}));
    QCOMPARE(Tags(Frame().Pane(Side1)), std::vector<int>({2, 5}));
    QCOMPARE(Tags(Frame().Pane(Side2)), std::vector<int>({2, 0}));
    QCOMPARE(Kinds(Frame().Pane(Side1)), std::string("32"));
    // Turning the option off refills from the same result.
    ToggleDiffsOnly();
    QCOMPARE(Frame().Pane(Side1)->Lines().Count(), 5);
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
    TCodeEdit* left = Frame().Pane(Side1);
    const int markX = left->GutterWidth() - 10;
    // Row 1 is modified ("~"), row 2 an added filler ("+"), row 0 equal (no mark).
    QVERIFY(inked(left, 1, markX, markX + left->CharWidth()) > 0);
    QVERIFY(inked(left, 2, markX, markX + left->CharWidth()) > 0);
    QCOMPARE(inked(left, 0, markX, markX + left->CharWidth()), 0);
    // The filler shows no number: nothing left of the mark.
    QCOMPARE(inked(left, 2, 0, markX - 2), 0);
    QVERIFY(inked(left, 0, 0, markX - 2) > 0);
  }

  void changedWordsOfAModifiedLineArePaintedInAStrongerShade() {
    const std::string before = "* Copyright (c) 2004-2005, All rights reserved.";
    const std::string after = "* Copyright (c) 2004-2017, All rights reserved.";
    for (bool diffsOnly : {true, false}) {
      host_->ViewOptions.ShowDiffsOnly = diffsOnly;
      Compare({"a", before, "c"}, {"a", after, "c"});
      for (TSide side : compare::AllSides) {
        TCodeEdit* pane = Frame().Pane(side);
        std::vector<std::pair<int, int>> spans, none;
        TColor color = host_->ViewColors.Mod;
        pane->OnLineSpans(pane, diffsOnly ? 0 : 1, spans, color);
        QCOMPARE(spans, (std::vector<std::pair<int, int>>{{21, 25}}));
        QVERIFY(color != host_->ViewColors.Mod);
        if (!diffsOnly) pane->OnLineSpans(pane, 0, none, color);
        QVERIFY(none.empty());
      }
    }
    // The shade reaches the screen: one run of CharWidth x 4 pixels (the year) on some pixel row,
    // the rest of the line not.
    TCodeEdit* left = Frame().Pane(Side1);
    std::vector<std::pair<int, int>> spans;
    TColor color = 0;
    left->OnLineSpans(left, 1, spans, color);
    left->viewport()->update();
    const QImage shot = left->viewport()->grab().toImage();
    const QColor strong = left->ToQColor(color);
    int widest = 0;
    for (int y = 0; y < shot.height(); ++y) {
      int run = 0;
      for (int x = 0; x < shot.width(); ++x) run += shot.pixelColor(x, y) == strong;
      widest = std::max(widest, run);
    }
    QCOMPARE(widest, 4 * left->CharWidth());
  }

  // ---- navigation ---------------------------------------------------------------------------

  void nextAndPreviousStopAtEveryBlockAndBeepAtTheEnds() {
    // Blocks: rows 1-2 modified, row 3 added (directly after), rows 6 deleted.
    Compare({"a", "b", "c", "d", "e", "f", "g"}, {"a", "B", "C", "X", "d", "e", "g"});
    TCodeEdit* left = Frame().Pane(Side1);
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
    QCOMPARE(Frame().LineNoLabel(Side1)->text(), QString());
    QCOMPARE(Frame().LineNoLabel(Side2)->text(), QString("4"));
    QCOMPARE(Frame().LineLabel(Side2)->text(), QString("X"));
  }

  void navigationNeedsAFocusedPane() {
    Compare({"a"}, {"b"});
    Frame().Pane(Side1)->clearFocus();
    Frame().Pane(Side2)->clearFocus();
    Frame().NextDifference();
    Frame().PrevDifference();
    QCOMPARE(beeps_, 0);
  }

  void focusMovesKeepTheRow() {
    Compare(Numbered("l", 20), Numbered("r", 20));
    FocusPane(Frame().Pane(Side1));
    Frame().Pane(Side1)->MoveCaretTo(TPoint{0, 5});
    FocusPane(Frame().Pane(Side2));
    QCOMPARE(Frame().Pane(Side2)->CaretPos().Y, 5);
  }

  // ---- scrolling and the overview strip -----------------------------------------------------

  void theOverviewHasOneRowPerPaneRow() {
    Compare({"a", "b", "c"}, {"a", "x", "c", "d"});
    QCOMPARE(Frame().OverviewColors(),
             std::vector<TColor>({clWindow, host_->ViewColors.Mod, clWindow, host_->ViewColors.Add}));
    QVERIFY(Frame().sbDiff->isVisible());
    // A new load hides it until the next result.
    Frame().SetSourceText("again", {"a"}, Side1);
    QVERIFY(!Frame().sbDiff->isVisible());
  }

  void clickingTheOverviewCentresTheRow() {
    Compare(Numbered("l", 500), Numbered("r", 500));
    TCodeEdit* left = Frame().Pane(Side1);
    const int half = (left->viewport()->height() / left->LineHeight()) / 2;
    Frame().pbDiffMouseDown(300);
    QCOMPARE(left->TopLine(), 300 - half);
    QCOMPARE(Frame().Pane(Side2)->TopLine(), left->TopLine());
    QCOMPARE(Frame().OverviewClickY, 300);
    Frame().pbDiffMouseDown(2);
    QCOMPARE(left->TopLine(), 0);
    QCOMPARE(Frame().Pane(Side2)->TopLine(), 0);
  }

  void theWheelScrollsBothPanesALineANotch() {
    Compare(Numbered("l", 200), Numbered("r", 200));
    for (TCodeEdit* pane : {Frame().Pane(Side2), Frame().Pane(Side1)}) {
      const int before = Frame().Pane(Side1)->TopLine();
      QPointF at(pane->viewport()->width() / 2.0, pane->viewport()->height() / 2.0);
      QWheelEvent down(at, pane->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                       Qt::NoModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(pane->viewport(), &down);
      QCOMPARE(Frame().Pane(Side1)->TopLine(), before + 1);
      QCOMPARE(Frame().Pane(Side2)->TopLine(), before + 1);
    }
    QWheelEvent up(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
    QApplication::sendEvent(Frame().Pane(Side1)->viewport(), &up);
    QCOMPARE(Frame().Pane(Side2)->TopLine(), 1);
  }

  // ---- block copy and saving ------------------------------------------------------------------

  void copyingADeletedBlockRightFillsTheFillers() {
    CompareFiles({"a", "gone1", "gone2", "b"}, {"a", "b"});
    TCodeEdit* left = Frame().Pane(Side1);
    FocusPane(left);
    left->MoveCaretTo(TPoint{0, 2});
    QVERIFY(host_->IsEnabled(TCommand::CopyBlockRight));
    QVERIFY(!host_->IsEnabled(TCommand::CopyBlockLeft));
    Frame().CopyBlockRight();
    QCOMPARE(PaneLines(Frame().Pane(Side2)), Lines({"a", "gone1", "gone2", "b"}));
    QCOMPARE(Frame().Pane(Side2)->Lines().GetLineObj(1).Color, Frame().Pane(Side2)->Color());
    QCOMPARE(Frame().CaptionBar(Side2)->palette().color(QPalette::Window), QColor(224, 224, 204));
    QCOMPARE(Frame().SavedText(Side2), Lines({"a", "gone1", "gone2", "b"}));
    // An equal row is no block.
    left->MoveCaretTo(TPoint{0, 0});
    Frame().CopyBlockRight();
    QCOMPARE(PaneLines(Frame().Pane(Side2)), Lines({"a", "gone1", "gone2", "b"}));
  }

  void ctrlAltArrowsCopyBlocksAndTheLayoutRenamesTheItems() {
    CompareFiles({"a", "b"}, {"a", "B", "new"});
    TCodeEdit* right = Frame().Pane(Side2);
    FocusPane(right);
    right->MoveCaretTo(TPoint{0, 2});
    QTest::keyClick(right->viewport(), Qt::Key_Left, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(PaneLines(Frame().Pane(Side1)), Lines({"a", "b", "new"}));
    // Saving side 1 writes the pane's text without fillers: the copied line is kept.
    Frame().SaveTextTo(Path("left.txt"), Side1);
    QCOMPARE(ReadAll(Path("left.txt")), std::string("a\r\nb\r\nnew\r\n"));

    host_->Trigger(TCommand::HorzSplit);
    QCOMPARE(Frame().Splitter1->orientation(), Qt::Vertical);
    QCOMPARE(host_->Caption(TCommand::CopyBlockRight), QString("Copy Block &Down"));
    QCOMPARE(host_->Commands[static_cast<int>(TCommand::CopyBlockLeft)].Shortcut, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_U));
    host_->Trigger(TCommand::HorzSplit);
    QCOMPARE(Frame().Splitter1->orientation(), Qt::Horizontal);
    QCOMPARE(host_->Commands[static_cast<int>(TCommand::CopyBlockRight)].Shortcut, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_R));
    QVERIFY(!host_->ViewOptions.Stacked);
  }

  void savingWithDifferencesOnlyNeverWritesAPartialText() {
    host_->ViewOptions.ShowDiffsOnly = true;
    const Lines one{"a", "b", "c", "d", "e", "f"};
    const Lines two{"a", "B", "c", "d", "f", "g"};
    CompareFiles(one, two);
    // Without edits the text as loaded is written.
    QCOMPARE(Frame().SavedText(Side1), one);
    // With a block copied over, the equal lines come back around it.
    TCodeEdit* right = Frame().Pane(Side2);
    FocusPane(right);
    QCOMPARE(PaneLines(right), Lines({"B", "", "g"}));
    right->MoveCaretTo(TPoint{0, 0});
    Frame().CopyBlockLeft();
    QCOMPARE(Frame().SavedText(Side1), Lines({"a", "B", "c", "d", "e", "f"}));
    // Typing in a row keeps the rows in place.
    Frame().Pane(Side1)->MoveCaretTo(TPoint{1, 1});
    Frame().Pane(Side1)->InsertText("!");
    QCOMPARE(Frame().SavedText(Side1), Lines({"a", "B", "c", "d", "e!", "f"}));
    // A new line changes the row count: still nothing is lost, and the numbered lines keep
    // their order.
    Frame().Pane(Side1)->MoveCaretTo(TPoint{0, 0});
    Frame().Pane(Side1)->InsertText("typed\r\n");
    Lines saved = Frame().SavedText(Side1);
    QCOMPARE(saved.size(), std::size_t(7));
    for (const char* line : {"a", "typed", "B", "c", "d", "e!", "f"})
      QVERIFY(std::find(saved.begin(), saved.end(), line) != saved.end());
    QVERIFY(std::find(saved.begin(), saved.end(), "d") < std::find(saved.begin(), saved.end(), "f"));
  }

  // Each edited side is asked about by name: Save writes it to its file (then compared as
  // saved), Discard drops it, Cancel or a failed save keeps every edit and the comparison shown.
  void editsAreSavedDroppedOrKept() {
    using views::TEditsChoice;
    CompareFiles({"a", "b"}, {"a", "c"});
    auto edit = [&](TSide side) {
      Frame().Pane(side)->MoveCaretTo(TPoint{0, 1});
      Frame().Pane(side)->InsertText("!");
    };
    edit(Side1);
    edit(Side2);
    host_->SaveAnswers = {TEditsChoice::Discard, TEditsChoice::Cancel};
    QVERIFY(!Frame().ResolveEdits(true));
    QCOMPARE(host_->Questions, QStringList({Frame().EditsQuestion(Side1), Frame().EditsQuestion(Side2)}));
    QVERIFY(host_->Questions[1].startsWith(Path("two.txt")));
    QCOMPARE(PaneLines(Frame().Pane(Side1)), Lines({"a", "!b"}));
    QVERIFY(Frame().Pane(Side1)->Lines().Modified());
    // A save that fails cancels: the error is shown, nothing is dropped.
    std::filesystem::remove(Path("two.txt").toStdString());
    std::filesystem::create_directory(Path("two.txt").toStdString());
    host_->SaveAnswers = {TEditsChoice::Discard, TEditsChoice::Save};
    Frame().RunCompare();
    QCOMPARE(host_->Errors.size(), 1);
    QCOMPARE(PaneLines(Frame().Pane(Side2)), Lines({"a", "!c"}));
    std::filesystem::remove(Path("two.txt").toStdString());
    // Saved: the file holds the edit, side 1's edit is gone, the comparison shows the saved text.
    host_->SaveAnswers = {TEditsChoice::Discard, TEditsChoice::Save};
    Frame().RunCompare();
    QCOMPARE(ReadAll(Path("two.txt")), std::string("a\r\n!c\r\n"));
    QCOMPARE(ReadAll(Path("one.txt")), std::string("a\r\nb\r\n"));
    QVERIFY(Frame().ResultPresent);
    QCOMPARE(PaneLines(Frame().Pane(Side1)), Lines({"a", "b"}));
    QCOMPARE(PaneLines(Frame().Pane(Side2)), Lines({"a", "!c"}));
    QVERIFY(!Frame().Pane(Side2)->Lines().Modified());
    // A library object's text has no file: its save asks for one, and a cancelled choice cancels.
    Compare({"x"}, {"y"});
    Frame().Pane(Side1)->Lines().Put(0, "typed");
    QString proposed;
    Frame().ChooseSaveFile = [&](const QString& proposal) {
      proposed = proposal;
      return QString();
    };
    host_->SaveAnswers = {TEditsChoice::Save};
    QVERIFY(!Frame().ResolveEdits(false));
    Frame().ChooseSaveFile = [&](const QString&) { return Path("object.txt"); };
    host_->SaveAnswers = {TEditsChoice::Save};
    QVERIFY(Frame().ResolveEdits(false));
    QCOMPARE(ReadAll(Path("object.txt")), std::string("typed\r\n"));
    QVERIFY(!Frame().Pane(Side1)->Lines().Modified());
  }

  // An option changed over a shown result compares again under it, on the same line and at the
  // same scroll position; kept edits leave everything as it was.
  void anOptionChangeComparesAgainInPlace() {
    Lines a = Numbered("line ", 300), b = a;
    for (int i = 0; i < 300; i += 7) b[static_cast<std::size_t>(i)] = "LINE " + std::to_string(i + 1);
    CompareFiles(a, b);
    const int changed = Frame().Counts.Changed;
    QVERIFY(changed > 0);
    TCodeEdit* left = Frame().Pane(Side1);
    FocusPane(left);
    left->SetTopLine(150);
    left->MoveCaretTo(TPoint{2, 160});
    const int tag = left->Lines().GetLineObj(160).Tag;
    host_->ViewOptions.Compare.IgnoreCase = true;
    QVERIFY(Frame().OptionsChanged());
    QCOMPARE(Frame().Counts.Changed, 0);
    QVERIFY(Frame().CaptionBar(Side1)->text().contains("Case Ignored"));
    QCOMPARE(left->Lines().GetLineObj(left->CaretPos().Y).Tag, tag);
    QCOMPARE(left->CaretPos().Y - left->TopLine(), 10);
    // Over edits, Cancel: nothing changes.
    Frame().Pane(Side2)->InsertText("?");
    host_->ViewOptions.Compare.IgnoreCase = false;
    host_->Answer = false;
    QVERIFY(!Frame().OptionsChanged());
    QCOMPARE(Frame().Counts.Changed, 0);
    QVERIFY(Frame().Pane(Side2)->Lines().Modified());
    // The captions name the structure options too.
    host_->Answer = true;
    host_->ViewOptions.Compare.BySection = true;
    host_->ViewOptions.Compare.IgnorePosition = true;
    host_->ViewOptions.Compare.IgnoreDefaults = true;
    QVERIFY(Frame().OptionsChanged());
    for (const char* word : {"By Section", "Position Ignored", "Defaults Ignored"})
      QVERIFY2(Frame().CaptionBar(Side2)->text().contains(word), word);
    QCOMPARE(Frame().Counts.Changed, changed);
  }

  void aModifiedPaneAsksBeforeComparingAgain() {
    CompareFiles({"a"}, {"b"});
    Frame().Pane(Side1)->Lines().Put(0, "edited");
    host_->Answer = false;
    Frame().RunCompare();
    QCOMPARE(host_->Questions, QStringList({Frame().EditsQuestion(Side1)}));
    QVERIFY(host_->Questions[0].startsWith(Frame().Name(Side1)));
    QCOMPARE(PaneLines(Frame().Pane(Side1)), Lines({"edited"}));
    host_->Answer = true;
    Frame().RunCompare();
    QCOMPARE(PaneLines(Frame().Pane(Side1)), Lines({"a"}));
    QCOMPARE(Frame().CaptionBar(Side1)->palette().color(QPalette::Window),
             Frame().palette().color(QPalette::Button));
  }

  void escapeDuringAComparisonCancelsIt() {
    Compare({"old"}, {"new"});
    // Two long texts that differ everywhere keep the engine busy; Esc arrives through the events
    // it lets through.
    Frame().SetSourceText("one", Numbered("a", 3000), Side1);
    Frame().SetSourceText("two", Numbered("b", 3000), Side2);
    QTimer::singleShot(0, &host_->Window, [this] {
      QVERIFY(Frame().Comparing);
      QVERIFY(host_->IsEnabled(TCommand::Cancel));
      QVERIFY(!host_->IsEnabled(TCommand::Compare));
      QTest::keyClick(Frame().Pane(Side1)->viewport(), Qt::Key_Escape);
    });
    Frame().RunCompare();
    QVERIFY(!Frame().ResultPresent);
    QCOMPARE(host_->Note, QString("Compare cancelled."));
    QCOMPARE(PaneLines(Frame().Pane(Side1)), Numbered("a", 3000));  // the plain texts stay
    QVERIFY(host_->IsEnabled(TCommand::Compare));
    QVERIFY(!host_->IsEnabled(TCommand::Cancel));
  }

  void aPairHandedOverDuringAComparisonIsComparedInstead() {
    Frame().SetSourceText("one", Numbered("a", 3000), Side1);
    Frame().SetSourceText("two", Numbered("b", 3000), Side2);
    QTimer::singleShot(0, &host_->Window, [this] {
      Frame().SetSourceText("three", {"x", "y"}, Side1);
      Frame().SetSourceText("four", {"x", "z"}, Side2);
      Frame().RunCompare();
    });
    Frame().RunCompare();
    QVERIFY(Frame().ResultPresent);
    QCOMPARE(PaneLines(Frame().Pane(Side2)), Lines({"x", "z"}));
    QCOMPARE(Frame().Counts.Changed, 1);
  }

  void editKeysActOnTheFocusedPaneOnly() {
    CompareFiles({"alpha"}, {"beta"});
    TCodeEdit* left = Frame().Pane(Side1);
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
    Frame().hide();  // the library list is shown instead
    host_->OpenGroup(views::TCommandGroup::Edit);
    for (TCommand c : {TCommand::Undo, TCommand::Redo, TCommand::Cut, TCommand::Copy, TCommand::Paste})
      QVERIFY(!host_->IsEnabled(c));
  }

  void controlCharactersOfANameAreShownAsSymbols() {
    Frame().SetSourceText(QString::fromUtf8("x.pbl@w_\x1b[2J"), {"a"}, Side1);
    QCOMPARE(Frame().CaptionBar(Side1)->text(), QString::fromUtf8("  x.pbl@w_␛[2J"));
  }

  void aNewTextThatIsNotComparedLeavesTheOtherSideSavable() {
    host_->ViewOptions.Compare.IgnoreCase = true;
    CompareFiles({"a", "b"}, {"a", "x", "b"});
    QVERIFY(Frame().CaptionBar(Side1)->text().endsWith("  (Case Ignored)"));
    Frame().Pane(Side1)->MoveCaretTo(TPoint{0, 0});
    Frame().Pane(Side1)->InsertText("new ");
    WriteAll(Path("three.txt"), "c\r\n");
    host_->Answer = false;  // keep the edits: no comparison
    Frame().LoadFile(Path("three.txt"), Side2);
    QVERIFY(!Frame().ResultPresent);
    QCOMPARE(PaneLines(Frame().Pane(Side1)), Lines({"new a", "", "b"}));
    QCOMPARE(Frame().SavedText(Side1), Lines({"new a", "b"}));  // the filler stays out
    QVERIFY(!Frame().CaptionBar(Side1)->text().contains("Case Ignored"));
    host_->ViewOptions.Compare.IgnoreCase = false;
  }

  void refillingAsksBeforeDroppingEdits() {
    CompareFiles({"a", "b"}, {"a", "c"});
    Frame().Pane(Side2)->MoveCaretTo(TPoint{0, 1});
    Frame().Pane(Side2)->InsertText("!");
    host_->Answer = false;
    ToggleDiffsOnly();
    QCOMPARE(host_->Questions.size(), 1);
    QVERIFY(!host_->ViewOptions.ShowDiffsOnly);
    QCOMPARE(PaneLines(Frame().Pane(Side2)), Lines({"a", "!c"}));
    host_->Answer = true;
    ToggleDiffsOnly();
    QVERIFY(host_->ViewOptions.ShowDiffsOnly);
    QCOMPARE(PaneLines(Frame().Pane(Side2)), Lines({"c"}));
  }

  void aResultEnablesTheBlockCopyOfTheFirstRow() {
    CompareFiles({}, {"x", "y"});
    QCOMPARE(Frame().ActivePane(), Frame().Pane(Side1));
    QVERIFY(host_->IsEnabled(TCommand::CopyBlockRight));
    QVERIFY(!host_->IsEnabled(TCommand::CopyBlockLeft));
    QCOMPARE(Frame().LineLabel(Side2)->text(), QString("x"));
  }

  void aFileLoadedOverAHandedOverTextCanBeEdited() {
    Frame().SetSourceText("lib.pbl@w_main", {"a"}, Side1);
    QVERIFY(Frame().Pane(Side1)->ReadOnly());
    WriteAll(Path("mine.txt"), "a\r\n");
    Frame().LoadFile(Path("mine.txt"), Side1);
    QVERIFY(!Frame().Pane(Side1)->ReadOnly());
  }

  void theSaveDialogProposesTheExportedName() {
    Compare({"$PBExportHeader$w_main.srw", "x"}, {"y"});
    QString proposed;
    Frame().ChooseSaveFile = [&](const QString& p) {
      proposed = p;
      return QString();
    };
    host_->Trigger(TCommandId(TSideCommand::Save, Side1));
    QCOMPARE(proposed, QString("w_main.srw"));
  }

  void bySectionAMovedFunctionIsAMoveAndThePanesOnlyRead() {
    const Lines head{"$PBExportHeader$n_x.sru", "forward", "global type n_x from nonvisualobject", "end type",
                     "end forward", "", "global type n_x from nonvisualobject", "end type", "global n_x n_x", ""};
    const Lines a{"public function integer of_a ();return 1", "end function", ""};
    const Lines b{"public function integer of_b ();return 2", "end function", ""};
    const Lines tail{"on n_x.create", "call super::create", "end on"};
    auto text = [&](const Lines& first, const Lines& second) {
      Lines t = head;
      for (const Lines* part : {&first, &second, &tail}) t.insert(t.end(), part->begin(), part->end());
      return t;
    };
    CompareFiles(text(a, b), text(b, a));
    QVERIFY(Frame().Counts.Added + Frame().Counts.Deleted + Frame().Counts.Changed > 0);  // by lines
    host_->ViewOptions.Compare.BySection = true;
    Frame().StructureOptionsChanged();
    QVERIFY2(Frame().BySectionShown(), qPrintable(Frame().SectionNote()));
    QCOMPARE(Frame().Counts.Added + Frame().Counts.Deleted + Frame().Counts.Changed, 0);
    QVERIFY(Kinds(Frame().Pane(Side1)).find('4') != std::string::npos);  // the moved function's lines
    const std::string page = Frame().HtmlReportPage();  // the HTML report shows the sections' rows
    QVERIFY(page.find("<tr class=\"v\"><td class=\"n\">14</td>") != std::string::npos);
    QVERIFY(page.find("按段比较") != std::string::npos);
    for (TSide s : {Side1, Side2}) QVERIFY(Frame().Pane(s)->ReadOnly());
    QVERIFY(!host_->IsEnabled(TCommandId(TSideCommand::Save, Side1)));
    FocusPane(Frame().Pane(Side1));
    Frame().Pane(Side1)->MoveCaretTo(TPoint{0, 0});
    Frame().NextDifference();  // a move is reached like any difference
    QCOMPARE(Frame().Pane(Side1)->Lines().GetLineObj(Frame().Pane(Side1)->CaretPos().Y).Kind, std::uint8_t(4));
    // Off again: lines, editable, savable.
    host_->ViewOptions.Compare.BySection = false;
    Frame().StructureOptionsChanged();
    QVERIFY(!Frame().BySectionShown());
    QVERIFY(!Frame().Pane(Side1)->ReadOnly());
    QVERIFY(host_->IsEnabled(TCommandId(TSideCommand::Save, Side1)));
  }

  // Attributes of one side only that the options ignore are left out (counted in the status bar),
  // not shown opposite gaps; a section moved and changed inside is one step of the navigation.
  void bySectionIgnoredRowsLeaveNoGapsAndAMovedSectionIsOneStep() {
    host_->ViewOptions.Compare.BySection = true;
    host_->ViewOptions.Compare.IgnorePosition = true;
    Compare({"release 12.5;", "datawindow(units=0 )", "column(name=c_1 x=\"5\" y=\"4\" tag=\"a\" )"},
            {"release 12.5;", "datawindow(units=0 )", "column(name=c_1 tag=\"b\" )"});
    QVERIFY2(Frame().BySectionShown(), qPrintable(Frame().SectionNote()));
    QCOMPARE(Frame().Pane(Side1)->Lines().Count(), Frame().Pane(Side2)->Lines().Count());
    for (int i = 0; i < Frame().Pane(Side2)->Lines().Count(); ++i)  // no filler opposite an ignored line
      QVERIFY(Frame().Pane(Side1)->Lines().GetLineObj(i).Tag > 0 && Frame().Pane(Side2)->Lines().GetLineObj(i).Tag > 0);
    QVERIFY2(Frame().SectionNote().contains("2"), qPrintable(Frame().SectionNote()));

    const Lines head{"$PBExportHeader$n_x.sru", "global type n_x from nonvisualobject", "end type", "global n_x n_x", ""};
    const Lines a1{"public function integer of_a ();int i", "i = 1", "i = 2", "return i", "end function", ""};
    Lines a2 = a1;
    a2[2] = "i = 3";
    const Lines b{"public function integer of_b ();return 1", "end function", ""};
    const Lines c{"public function integer of_c ();return 2", "end function", ""};
    const Lines tail{"on n_x.create", "end on"};
    auto text = [&](const Lines& first, const Lines& second, const Lines& third) {
      Lines t = head;
      for (const Lines* part : {&first, &second, &third, &tail}) t.insert(t.end(), part->begin(), part->end());
      return t;
    };
    Compare(text(a1, b, c), text(b, c, a2));  // of_a moves below the others and changes
    QVERIFY2(Frame().BySectionShown(), qPrintable(Frame().SectionNote()));
    TCodeEdit* left = Frame().Pane(Side1);
    QVERIFY(Kinds(left).find("434") != std::string::npos);  // the changed line inside the moved function
    FocusPane(left);
    left->MoveCaretTo(TPoint{0, 0});
    std::vector<int> stops;
    for (int guard = 0; guard < 10; ++guard) {
      const int before = left->CaretPos().Y;
      Frame().NextDifference();
      if (left->CaretPos().Y == before) break;
      stops.push_back(left->CaretPos().Y);
    }
    QCOMPARE(int(stops.size()), 1);
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
    Frame().LoadFile(Path("a\"q.txt"), Side1);
    Frame().LoadFile(Path("b.txt"), Side2);
    Frame().SaveReportTo(Path("report.txt"));
    const std::string text = ReadAll(Path("report.txt"));
    QVERIFY(text.find("File 1: \"" + Path("a\"q.txt").toStdString() + "\"\r\n") != std::string::npos);
    const std::size_t modified = text.find("        Last modified on ");
    QVERIFY(modified != std::string::npos);
    QVERIFY(text[modified + 25] != '\r');  // a time follows
    QVERIFY(text.find("Lines modified at 1\r\n") != std::string::npos);
    QVERIFY(text.substr(0, 3) != "\xEF\xBB\xBF");
  }

  // The report command writes the HTML page for a name ending .html or .htm (what the dialog's
  // HTML filter gives), the text report otherwise.
  void theReportKindFollowsTheChosenName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("html");
    QTest::newRow("html") << "report.html" << true;
    QTest::newRow("htm, upper case") << "REPORT.HTM" << true;
    QTest::newRow("text") << "report.txt" << false;
    QTest::newRow("html inside the name") << "report.html.txt" << false;
  }
  void theReportKindFollowsTheChosenName() {
    QFETCH(QString, name);
    QFETCH(bool, html);
    host_->ViewColors.Mod = 0x563412;
    Compare({"same", "value <= 2005", "gone"}, {"same", "value <= 2017"});
    Frame().ChooseReportFile = [&](const QString&) { return Path(name); };
    QVERIFY(host_->Trigger(TCommand::SaveReport));
    const std::string text = ReadAll(Path(name));
    QCOMPARE(text.rfind("<!DOCTYPE html>", 0) == 0, html);
    if (!html) return;
    for (const char* part : {"<meta charset=\"utf-8\">", "<td class=\"name\">one</td>", "<td class=\"name\">two</td>",
                             "tr.m td.t{background:#123456}", "value &lt;= <span class=\"w\">2005</span>",
                             "value &lt;= <span class=\"w\">2017</span>", "减少 1 行，更改 1 行"})
      QVERIFY2(text.find(part) != std::string::npos, part);
  }

  // Edits typed since the comparison are not on the page: saving one asks first, No writes nothing.
  void anHtmlReportOverEditsAsksFirst() {
    Compare({"a", "b"}, {"a", "c"});
    Frame().ChooseReportFile = [&](const QString&) { return Path("edited.html"); };
    Frame().Pane(compare::Side2)->Lines().Put(0, "typed");
    host_->Answer = false;
    QVERIFY(host_->Trigger(TCommand::SaveReport));
    QCOMPARE(host_->Questions.size(), 1);
    QVERIFY(!QFileInfo::exists(Path("edited.html")));
    host_->Answer = true;
    QVERIFY(host_->Trigger(TCommand::SaveReport));
    QVERIFY(QFileInfo::exists(Path("edited.html")));
  }

  // The report dialog offers the text and the HTML kind; a name typed without an extension gets
  // that of the kind chosen.
  void theReportDialogOffersTextAndHtml() {
    QStringList filters;
    QTimer::singleShot(0, &host_->Window, [&filters] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      filters = dialog->nameFilters();
      auto* kinds = dialog->findChild<QComboBox*>("fileTypeCombo");
      QVERIFY(kinds);
      QTest::keyClick(kinds, Qt::Key_Down);  // as the user picks the second kind
      dialog->selectFile("page");
      static_cast<QDialog*>(dialog)->accept();  // what the Save button does
    });
    const QString path = Frame().ChooseReportFile(dir_.path());
    QCOMPARE(filters, QStringList({"Text Files (*.txt)", QString::fromUtf8("HTML 文件 (*.html *.htm)")}));
    QCOMPARE(QFileInfo(path).fileName(), QString("page.html"));
  }

  // ---- find and replace -----------------------------------------------------------------------

  void findNextStepsThroughMatchesAndBeepsAtTheEnd() {
    Compare({"abab", "xx ab"}, {"q"});
    TCodeEdit* left = Frame().Pane(Side1);
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

  // A match is shown whole, never on the partly visible bottom row; the changed words of its line
  // keep their colour beside the selection and show through it blended.
  void aFoundMatchIsShownWholeWithItsChangedWords() {
    Lines a = Numbered("line ", 200), b = a;
    a[150] = "value = 2005 end";
    b[150] = "value = 2017 end";
    Compare(a, b);
    host_->Window.resize(500, 7 * Frame().Pane(Side1)->LineHeight() + 150);  // rows rarely fit exactly
    QApplication::processEvents();
    TCodeEdit* left = Frame().Pane(Side1);
    FocusPane(left);
    left->MoveCaretTo(TPoint{0, 0});
    Frame().SearchOptions.FindText = "value";
    Frame().SearchOptions.Forward = true;
    Frame().SetSearchPattern();
    Frame().FindNextCommand();
    QCOMPARE(left->CaretPos().Y, 150);
    const int rowBottom = left->TopMargin() + (150 - left->TopLine() + 1) * left->LineHeight();
    QVERIFY2(rowBottom <= left->viewport()->height(), qPrintable(QString::number(rowBottom)));
    // Painted with the focus elsewhere: the unfocused selection is silver.
    FocusPane(Frame().Pane(Side2));
    const QImage image = left->viewport()->grab().toImage();
    const QColor span = left->ToQColor(report::StrongerShade(host_->ViewColors.Mod));
    const QColor silver(0xC0, 0xC0, 0xC0);
    const QColor blend((span.red() + 0xC0) / 2, (span.green() + 0xC0) / 2, (span.blue() + 0xC0) / 2);
    auto rowHas = [&](const QColor& c) {
      const int y = left->TopMargin() + (150 - left->TopLine()) * left->LineHeight() + 1;
      for (int x = 0; x < image.width(); ++x)
        if (image.pixelColor(x, y) == c) return true;
      return false;
    };
    QVERIFY(rowHas(span));    // "2005", beside the selection
    QVERIFY(rowHas(silver));  // "value", selected
    left->MoveCaretTo(TPoint{6, 150});
    left->SetSelLength(6);  // "= 2005": the changed word under the selection
    const QImage over = left->viewport()->grab().toImage();
    bool blended = false;
    const int y = left->TopMargin() + (150 - left->TopLine()) * left->LineHeight() + 1;
    for (int x = 0; x < over.width() && !blended; ++x) blended = over.pixelColor(x, y) == blend;
    QVERIFY(blended);
  }

  void findAndReplaceNeverSplitADoubleByteCharacter() {
    // GBK 說 is D5 66: "f" (and, without case, "F") matches its second byte.
    CompareFiles({"x\xD5\x66y f"}, {"q"});
    TCodeEdit* left = Frame().Pane(Side1);
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
    Frame().LoadFile(Path("c.txt"), Side1);
    FocusPane(left);
    left->MoveCaretTo(TPoint{0, 0});
    ConfirmReplace("0", "zero", true, true, false);
    Frame().RunReplace();
    QCOMPARE(PaneLines(left), Lines({"\x81\x30\x84\x38 2zerozero3 zero"}));
  }

  void aBackwardReplaceAllEnds() {
    CompareFiles({"a a", "a b"}, {"q"});
    Frame().LoadFile(Path("missing.txt"), Side1);  // no such file: ignored
    TCodeEdit* left = Frame().Pane(Side1);
    FocusPane(left);
    left->MoveCaretTo(TPoint{3, 1});
    ConfirmReplace("a", "ab", false, true, false);
    Frame().RunReplace();
    QCOMPARE(PaneLines(left), Lines({"ab ab", "ab b"}));
  }

  void promptAnswersDecideEachReplacement() {
    CompareFiles({"a a a a"}, {"q"});
    TCodeEdit* left = Frame().Pane(Side1);
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
    Frame().SetSourceText("one", {"aaa"}, Side1);
    TCodeEdit* left = Frame().Pane(Side1);
    FocusPane(left);
    left->MoveCaretTo(TPoint{0, 0});
    ConfirmReplace("a", "b", true, true, false);
    Frame().RunReplace();
    QCOMPARE(PaneLines(left), Lines({"aaa"}));
    // Typing, Delete and pasting change nothing either, and each says why in the status bar.
    QApplication::clipboard()->setText("zz");
    const std::vector<std::pair<const char*, std::function<void()>>> edits{
        {"a character", [&] { QTest::keyClick(left, Qt::Key_X); }},
        {"Delete", [&] { QTest::keyClick(left, Qt::Key_Delete); }},
        {"Enter", [&] { QTest::keyClick(left, Qt::Key_Return); }},
        {"Ctrl+V", [&] { QTest::keyClick(left, Qt::Key_V, Qt::ControlModifier); }},
        {"an input method", [&] {
           QInputMethodEvent typed;
           typed.setCommitString(QString::fromUtf8("中文"));
           QApplication::sendEvent(left, &typed);
         }},
    };
    for (const auto& [what, edit] : edits) {
      host_->Status.clear();
      edit();
      QCOMPARE(PaneLines(left), Lines({"aaa"}));
      QVERIFY2(host_->Status.contains(QString::fromUtf8("只读")), what);
      QVERIFY2(host_->Note.isEmpty(), what);  // the counts' panel keeps its number
    }
    // Moving the caret is no edit: no note.
    host_->Status.clear();
    QTest::keyClick(left, Qt::Key_Right);
    QVERIFY(host_->Status.isEmpty());
  }

  // ---- files ----------------------------------------------------------------------------------

  void everyEncodingIsSavedBackByteForByte() {
    const std::vector<std::pair<QString, std::string>> files{
        {"gbk.txt", "$PBExportHeader$w.srw\r\n\xB5\xC7\xC2\xBC\r\n"},
        {"bom.txt", "\xEF\xBB\xBF$PBExportHeader$w.srw\r\n\xE7\x99\xBB\xE5\xBD\x95\r\n"},
        {"utf8.txt", "$PBExportHeader$w.srw\r\n\xE7\x99\xBB\xE5\xBD\x95\r\n"},
        // As the IDE keeps sources for git: LF line ends, the last line without a break.
        {"ws.srd", "\xEF\xBB\xBFrelease 12.5;\ndatawindow(units=0)"},
        // An older release's HEXASCII export, its runs cut as the IDE cut them.
        {"hex.srw", "HA$PBExportHeader$w.srw\r\n//H$$HEX2$$b0002000$$ENDHEX$$x\r\n"},
        {"le.txt", std::string("\xFF\xFE" "a\0\x7B\x76\r\0\n\0", 10)},
        {"be.txt", std::string("\xFE\xFF\0a\x76\x7B\0\r\0\n", 10)},
    };
    for (const auto& [name, bytes] : files) {
      WriteAll(Path(name), bytes);
      Frame().LoadFile(Path(name), Side1);
      Frame().LoadFile(Path(name), Side2);
      QCOMPARE(Frame().Counts.Changed + Frame().Counts.Added + Frame().Counts.Deleted, 0);
      Frame().SaveTextTo(Path("out-" + name), Side1);
      QCOMPARE(ReadAll(Path("out-" + name)), bytes);
    }
    // The Chinese text reaches the panes in the code page.
    QCOMPARE(Frame().Text(Side1).ToVector(), Lines({"a\xB5\xC7"}));
  }

  void aFileChangedOnDiskIsReloaded() {
    WriteAll(Path("one.txt"), "a\r\n");
    WriteAll(Path("two.txt"), "a\r\n");
    Frame().LoadFile(Path("one.txt"), Side1);
    Frame().LoadFile(Path("two.txt"), Side2);
    QCOMPARE(Frame().Counts.Changed, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    WriteAll(Path("two.txt"), "b\r\n");
    Frame().CheckFilesChanged();
    QCOMPARE(Frame().Text(Side2).ToVector(), Lines({"b"}));
    QCOMPARE(Frame().Counts.Changed, 1);
    // A file that went away is left alone.
    std::filesystem::remove(Path("one.txt").toStdString());
    Frame().CheckFilesChanged();
    QCOMPARE(Frame().Text(Side1).ToVector(), Lines({"a"}));
  }

  void aChangedFileAsksBeforeDroppingEdits() {
    WriteAll(Path("one.txt"), "a\r\n");
    WriteAll(Path("two.txt"), "a\r\n");
    Frame().LoadFile(Path("one.txt"), Side1);
    Frame().LoadFile(Path("two.txt"), Side2);
    Frame().Pane(Side2)->MoveCaretTo(TPoint{0, 0});
    Frame().Pane(Side2)->InsertText("mine ");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    WriteAll(Path("two.txt"), "b\r\n");
    host_->Answer = false;  // keep the edits
    Frame().CheckFilesChanged();
    QCOMPARE(host_->Questions.size(), 1);
    // The question names the file, says what happened and offers the reload first.
    QVERIFY(host_->Questions[0].startsWith(Frame().Name(Side2)));
    QVERIFY(host_->Questions[0].contains(QString::fromUtf8("磁盘")));
    QCOMPARE(host_->Choices, QStringList({QString::fromUtf8("重新载入")}));
    QCOMPARE(PaneLines(Frame().Pane(Side2)), Lines({"mine a"}));
    Frame().CheckFilesChanged();  // the same change is not asked about twice
    QCOMPARE(host_->Questions.size(), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    WriteAll(Path("two.txt"), "c\r\n");
    host_->Answer = true;
    Frame().CheckFilesChanged();
    QCOMPARE(Frame().Text(Side2).ToVector(), Lines({"c"}));
  }

  void aHandedOverTextHasNoFileTime() {
    WriteAll(Path("one.txt"), "a\r\n");
    Frame().LoadFile(Path("one.txt"), Side1);
    Compare({"x"}, {"y"});
    QCOMPARE(Frame().ReportLines()[4], std::string("        Last modified on "));
  }

  void blockCopyKeepsBytesThatAreNoCharacter() {
    // 0xA9 alone is no GB18030 character; a round trip through Unicode would turn it into others.
    const std::string odd = "c\xA9 2003";
    WriteAll(Path("one.txt"), "a\r\n" + odd + "\r\n");
    WriteAll(Path("two.txt"), "a\r\nc 2004\r\n");
    Frame().LoadFile(Path("one.txt"), Side1);
    Frame().LoadFile(Path("two.txt"), Side2);
    FocusPane(Frame().Pane(Side1));
    Frame().Pane(Side1)->MoveCaretTo(TPoint{0, 1});
    Frame().CopyBlockRight();
    Frame().SaveTextTo(Path("out.txt"), Side2);
    QCOMPARE(ReadAll(Path("out.txt")), "a\r\n" + odd + "\r\n");
  }

  void errorsOfCommandsAreShownNotThrown() {
    Compare({"a"}, {"b"});
    Frame().ChooseSaveFile = [&](const QString&) { return Path("no/such/folder/x.txt"); };
    QVERIFY(host_->Trigger(TCommandId(TSideCommand::Save, Side1)));
    QCOMPARE(host_->Errors.size(), 1);
    QVERIFY2(host_->Errors[0].contains("x.txt"), qPrintable(host_->Errors[0]));
  }

  void theReportIsWrittenInUtf8() {
    Frame().SetSourceText(QString::fromUtf8("库.pbl@登录"), {"\xB5\xC7"}, Side1);
    Frame().SetSourceText("two", {"x"}, Side2);
    Frame().RunCompare();
    Frame().SaveReportTo(Path("report.txt"));
    const std::string text = ReadAll(Path("report.txt"));
    QVERIFY(text.find("File 1: \"\xE5\xBA\x93.pbl@\xE7\x99\xBB\xE5\xBD\x95\"") != std::string::npos);
    QVERIFY(text.find("- \xE7\x99\xBB\r\n") != std::string::npos);
  }

  void aFileDroppedOnAPaneLoadsIntoThatSide() {
    WriteAll(Path("dropped.txt"), "d\r\n");
    // The pane reports the first dropped file (the editor's own tests cover the drag events).
    bool accepted = false;
    Frame().Pane(Side2)->OnDropFiles(Frame().Pane(Side2), Path("dropped.txt"), accepted);
    QVERIFY(accepted);
    QCOMPARE(Frame().Text(Side2).ToVector(), Lines({"d"}));
    QCOMPARE(Frame().Name(Side2), Path("dropped.txt"));
  }

  void theOpenCommandLoadsTheChosenFileIntoItsSide() {
    WriteAll(Path("chosen.txt"), "z\r\n");
    Frame().ChooseOpenFile = [&](const QString&) { return Path("chosen.txt"); };
    host_->Trigger(TCommandId(TSideCommand::Open, Side2));
    QCOMPARE(Frame().Text(Side2).ToVector(), Lines({"z"}));
    QVERIFY(Frame().CaptionBar(Side2)->text().startsWith("  " + Path("chosen.txt")));
    QCOMPARE(host_->Folders[Side2], std::filesystem::path(dir_.path().toStdString()) / "");
  }
};

QTEST_MAIN(FilesFrameTest)
#include "FilesFrameTest.moc"
