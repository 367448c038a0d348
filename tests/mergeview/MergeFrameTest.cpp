// The merge view on the offscreen platform, in a fake view host's window: moving between
// conflicts and changes, each take and its undo by key, editing the result, saving with and
// without conflicts left, the question on closing, and the exit status.
#include <QAction>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <fstream>
#include <memory>
#include <sstream>

#include "FakeHost.h"
#include "editor/CodeEditor.h"
#include "mergeview/MergeView.h"

using views::TCommand;
using namespace mergeview;

using search::TSearchOptions;
using editor::TCodeEdit;
using editor::TPoint;

namespace {

using Lines = std::vector<std::string>;

std::string ReadAll(const QString& p) {
  std::ifstream in(p.toStdString(), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteAll(const QString& p, const std::string& bytes) { std::ofstream(p.toStdString(), std::ios::binary) << bytes; }

// Side 1 changes b, side 2 changes d, and both change f and h apart: two conflicts.
const char* const kOurs = "a\r\nB\r\nc\r\nd\r\ne\r\nf1\r\ng\r\nh1\r\n";
const char* const kBase = "a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh\r\n";
const char* const kTheirs = "a\r\nb\r\nc\r\nD\r\ne\r\nf2\r\ng\r\nh2\r\n";

}  // namespace

class MergeFrameTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  std::unique_ptr<testsupport::TFakeHost> host_;
  TMergeFrame* frame_ = nullptr;
  int beeps_ = 0;

  QString Path(const QString& name) const { return dir_.filePath(name); }
  TMergeFrame& Frame() { return *frame_; }
  Lines Result() { return Frame().ResultPane()->Lines().ToVector(); }

  void Load(const char* ours = kOurs, const char* base = kBase, const char* theirs = kTheirs) {
    WriteAll(Path("ours.txt"), ours);
    WriteAll(Path("base.txt"), base);
    WriteAll(Path("theirs.txt"), theirs);
    QFile::remove(Path("merged.txt"));
    Frame().LoadFiles(Path("merged.txt"), {Path("ours.txt"), Path("base.txt"), Path("theirs.txt")});
    Frame().ActivateView();
  }
  // A key as the user presses it in the result pane.
  void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::AltModifier) {
    QTest::keyClick(Frame().ResultPane()->viewport(), key, mods);
  }
  int LeftInStatus() const {
    const QString s = host_->Status;
    return s.contains(':') ? s.section(':', 1).trimmed().toInt() : 0;
  }

 private slots:
  void initTestCase() { QVERIFY(dir_.isValid()); }

  void init() {
    host_ = std::make_unique<testsupport::TFakeHost>();
    auto* layout = new QVBoxLayout(&host_->Window);
    frame_ = new TMergeFrame(*host_, &host_->Window);
    layout->addWidget(frame_);
    host_->Window.resize(900, 600);
    host_->Window.show();
    host_->Window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&host_->Window));
    beeps_ = 0;
    frame_->Beep = [this] { ++beeps_; };
  }

  void cleanup() { host_.reset(); }

  void startsAtTheFirstConflictWithChangesTaken() {
    Load();
    QCOMPARE(Result(), Lines({"a", "B", "c", "D", "e", "f", "g", "h"}));
    QCOMPARE(LeftInStatus(), 2);
    // Every pane holds the aligned rows; the conflict is marked in all four.
    const TChunk& first = Frame().Model().Chunks()[static_cast<std::size_t>(Frame().CurrentChunk())];
    QCOMPARE(first.Kind, TChunkKind::Conflict);
    for (TPart part : {Ours, Base, Theirs}) {
      QCOMPARE(Frame().Pane(part)->Lines().Count(), 8);
      QCOMPARE(Frame().Pane(part)->Lines().GetLineObj(first.FirstRow).Color, kConflictColor);
      QCOMPARE(Frame().Pane(part)->CaretPos().Y, first.FirstRow);
    }
    QCOMPARE(Frame().ResultPane()->Lines().GetLineObj(5).Color, kConflictColor);
    QCOMPARE(Frame().ResultPane()->Lines().GetLineObj(1).Color, host_->ViewColors.Add);  // taken from side 1
    QVERIFY(Frame().Caption(Base)->text().endsWith("base.txt"));
  }

  void conflictsAndChangesAreVisitedInOrder() {
    Load();
    auto lineOf = [&] { return Frame().ResultPane()->CaretPos().Y; };
    QCOMPARE(lineOf(), 5);
    Key(Qt::Key_Down);
    QCOMPARE(lineOf(), 7);
    Key(Qt::Key_Down);  // no conflict after the last
    QCOMPARE(beeps_, 1);
    Key(Qt::Key_Up);
    QCOMPARE(lineOf(), 5);
    // Changes: the conflicts and the changes taken without conflict.
    std::vector<int> visited;
    Frame().GoTo(0);
    while (host_->Trigger(TCommand::NextDiff) && beeps_ == 1) visited.push_back(lineOf());
    QCOMPARE(visited, std::vector<int>({1, 3, 5, 7}));
    host_->Trigger(TCommand::PrevDiff);
    QCOMPARE(lineOf(), 5);
    // A click into the overview strip at the last line's height: the chunk there.
    QWidget* strip = Frame().Strip();
    QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(4, strip->height() * 15 / 16));
    QCOMPARE(lineOf(), 7);
    QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(4, 1));
    QCOMPARE(lineOf(), 0);
  }

  void eachTakeSettlesTheConflictAndUndoBringsItBack_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<Lines>("want");
    const Lines head{"a", "B", "c", "D", "e"}, tail{"g", "h"};
    auto with = [&](Lines middle) {
      Lines l = head;
      l.insert(l.end(), middle.begin(), middle.end());
      l.insert(l.end(), tail.begin(), tail.end());
      return l;
    };
    QTest::newRow("side 1") << int(Qt::Key_1) << with({"f1"});
    QTest::newRow("the base") << int(Qt::Key_2) << with({"f"});
    QTest::newRow("side 2") << int(Qt::Key_3) << with({"f2"});
    QTest::newRow("side 1 then side 2") << int(Qt::Key_4) << with({"f1", "f2"});
    QTest::newRow("side 2 then side 1") << int(Qt::Key_5) << with({"f2", "f1"});
  }
  void eachTakeSettlesTheConflictAndUndoBringsItBack() {
    QFETCH(int, key);
    QFETCH(Lines, want);
    Load();
    const Lines before = Result();
    Key(static_cast<Qt::Key>(key));
    QCOMPARE(Result(), want);
    QCOMPARE(LeftInStatus(), 1);
    QCOMPARE(Frame().ResultPane()->Lines().GetLineObj(5).Color, kSettledColor);
    QVERIFY(host_->Trigger(TCommand::Undo));
    QCOMPARE(Result(), before);
    QCOMPARE(LeftInStatus(), 2);
    QCOMPARE(Frame().ResultPane()->Lines().GetLineObj(5).Color, kConflictColor);
    QVERIFY(host_->Trigger(TCommand::Redo));
    QCOMPARE(Result(), want);
    // A take where nothing changed is refused.
    Frame().GoTo(0);
    Key(Qt::Key_1);
    QCOMPARE(beeps_, 1);
    QCOMPARE(Result(), want);
  }

  void typingInAConflictSettlesItAndUndoGoesBackStepByStep() {
    Load();
    TCodeEdit* pane = Frame().ResultPane();
    pane->setFocus();
    pane->MoveCaretTo(TPoint{1, 5});
    QTest::keyClicks(pane->viewport(), "XY");
    QCOMPARE(Result()[5], std::string("fXY"));
    QCOMPARE(LeftInStatus(), 1);
    QVERIFY(Frame().Edited());
    QVERIFY(host_->Trigger(TCommand::Undo));
    QCOMPARE(Result()[5], std::string("fX"));
    QVERIFY(host_->Trigger(TCommand::Redo));
    QCOMPARE(Result()[5], std::string("fXY"));
    // Replacing in the result goes the same way; undo then goes back to the engine's result.
    TSearchOptions& o = Frame().SearchOptions;
    o.FindText = "g";
    o.ReplaceText = "G";
    o.ReplaceAll = true;
    o.Prompt = false;
    o.Forward = true;
    pane->MoveCaretTo(TPoint{0, 0});
    Frame().RunReplace();
    QCOMPARE(Result()[6], std::string("G"));
    const Lines merged{"a", "B", "c", "D", "e", "f", "g", "h"};
    for (int i = 0; i < 10 && Result() != merged; ++i) QVERIFY(host_->Trigger(TCommand::Undo));
    QCOMPARE(Result(), merged);
    QCOMPARE(LeftInStatus(), 2);
    QVERIFY(!host_->Trigger(TCommand::Undo) || Result() == merged);
  }

  void savingWritesTheResultAndTheExitStatusSaysIfConflictsWereLeft_data() {
    QTest::addColumn<bool>("settle");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("written");
    QTest::addColumn<int>("status");
    QTest::newRow("all settled") << true << false << true << 0;
    QTest::newRow("conflicts left, saved anyway") << false << true << true << 1;
    QTest::newRow("conflicts left, not saved") << false << false << false << 1;
  }
  void savingWritesTheResultAndTheExitStatusSaysIfConflictsWereLeft() {
    QFETCH(bool, settle);
    QFETCH(bool, answer);
    QFETCH(bool, written);
    QFETCH(int, status);
    Load();
    if (settle) {
      Key(Qt::Key_1);
      Key(Qt::Key_Down);
      Key(Qt::Key_3);
    }
    host_->Answer = answer;
    if (settle)
      Key(Qt::Key_S, Qt::ControlModifier);  // the view's own key
    else
      QVERIFY(host_->Trigger(views::SaveCommand(compare::Side1)));
    QCOMPARE(host_->Questions.size(), settle ? 0 : 1);
    QCOMPARE(QFile::exists(Path("merged.txt")), written);
    if (written) {
      // Side 1's line ends, no marker: the base's lines where a conflict was left.
      QCOMPARE(ReadAll(Path("merged.txt")),
               settle ? std::string("a\r\nB\r\nc\r\nD\r\ne\r\nf1\r\ng\r\nh2\r\n") : std::string(kBase).replace(3, 1, "B").replace(9, 1, "D"));
    }
    QCOMPARE(Frame().ExitStatus(), status);
    QCOMPARE(Frame().Edited(), settle && !written);
  }

  // The host's by-section option decides how exports are merged: both sides' new function and
  // controls settle by section, and conflict by line.
  void bySectionFollowsTheHostsOption_data() {
    QTest::addColumn<bool>("bySection");
    QTest::addColumn<int>("conflicts");
    QTest::newRow("by line") << false << 6;
    QTest::newRow("by section") << true << 0;
  }
  void bySectionFollowsTheHostsOption() {
    QFETCH(bool, bySection);
    QFETCH(int, conflicts);
    const QString cases = QUORVEX_MERGE_CASES "/pb-a-control-added-on-each-side/";
    host_->ViewOptions.Compare.BySection = bySection;
    Frame().LoadFiles(Path("w_x.srw"), {cases + "ours.srw", cases + "base.srw", cases + "theirs.srw"});
    QCOMPARE(Frame().Model().ConflictsLeft(), conflicts);
    QCOMPARE(Frame().Model().Structured(), bySection);
    QCOMPARE(LeftInStatus(), conflicts);
    // The option turned over: merged again at once while nothing was settled, else only when
    // the user agrees to lose the result's changes.
    host_->ViewOptions.Compare.BySection = !bySection;
    QVERIFY(Frame().ConfirmOptionsChange());
    Frame().OptionsChanged();
    QCOMPARE(Frame().Model().Structured(), !bySection);
    QTest::keyClicks(Frame().ResultPane()->viewport(), "x");  // an edit by hand
    host_->ViewOptions.Compare.BySection = bySection;
    host_->Answer = false;
    QVERIFY(!Frame().ConfirmOptionsChange());
    QCOMPARE(host_->Questions.size(), 1);
    host_->Answer = true;
    QVERIFY(Frame().ConfirmOptionsChange());
    Frame().OptionsChanged();
    QCOMPARE(Frame().Model().ConflictsLeft(), conflicts);
    QVERIFY(!Frame().Edited());
  }

  void closingWithChangesAsksToSaveDiscardOrCancel() {
    Load();
    QVERIFY(Frame().ResolveEdits());  // nothing changed: no question
    Key(Qt::Key_1);
    Key(Qt::Key_Down);
    Key(Qt::Key_1);
    host_->SaveAnswers = {views::TEditsChoice::Cancel, views::TEditsChoice::Discard, views::TEditsChoice::Save};
    QVERIFY(!Frame().ResolveEdits());
    QVERIFY(Frame().ResolveEdits());
    QVERIFY(!QFile::exists(Path("merged.txt")));
    QCOMPARE(Frame().ExitStatus(), 1);
    QVERIFY(Frame().ResolveEdits());
    QCOMPARE(ReadAll(Path("merged.txt")), std::string("a\r\nB\r\nc\r\nD\r\ne\r\nf1\r\ng\r\nh1\r\n"));
    QCOMPARE(Frame().ExitStatus(), 0);
    QCOMPARE(host_->Questions.size(), 3);
  }
};

QTEST_MAIN(MergeFrameTest)
#include "MergeFrameTest.moc"
