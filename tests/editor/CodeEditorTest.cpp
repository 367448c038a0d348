#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QUrl>
#include <QWheelEvent>

#include "editor/CodeEditor.h"
#include "editor/QtColor.h"
#include "platform/CodePage.h"

using Lines = std::vector<std::string>;
using editor::TCodeEdit;
using editor::TPoint;
using editor::ToQColor;
using editor::clBackground;
using editor::clBtnText;
using editor::clWindow;

Q_DECLARE_METATYPE(Lines)
Q_DECLARE_METATYPE(editor::TPoint)
Q_DECLARE_METATYPE(QList<QPoint>)

namespace {

// Sends a key script: plain characters are typed; <Name> is a key, <C-x>/<S-x> with Ctrl/Shift.
void Keys(QWidget* w, const QString& script) {
  for (int i = 0; i < script.size(); ++i) {
    if (script[i] != '<') {
      QTest::keyClick(w, script[i].toLatin1());
      continue;
    }
    int end = script.indexOf('>', i);
    QString name = script.mid(i + 1, end - i - 1);
    i = end;
    Qt::KeyboardModifiers mods;
    while (name.size() > 2 && name[1] == '-') {
      if (name[0] == 'C') mods |= Qt::ControlModifier;
      if (name[0] == 'S') mods |= Qt::ShiftModifier;
      name = name.mid(2);
    }
    static const QHash<QString, Qt::Key> keys = {
        {"Enter", Qt::Key_Return}, {"BS", Qt::Key_Backspace}, {"Del", Qt::Key_Delete},
        {"Tab", Qt::Key_Tab},      {"Left", Qt::Key_Left},    {"Right", Qt::Key_Right},
        {"Up", Qt::Key_Up},        {"Down", Qt::Key_Down},    {"Home", Qt::Key_Home},
        {"End", Qt::Key_End},      {"PgDn", Qt::Key_PageDown}, {"PgUp", Qt::Key_PageUp}};
    Qt::Key key = keys.contains(name) ? keys[name] : Qt::Key(Qt::Key_A + (name[0].toUpper().unicode() - 'A'));
    QTest::keyClick(w, key, mods);
  }
}

QColor Pixel(TCodeEdit& e, int x, int y) {
  QImage img(e.viewport()->size(), QImage::Format_RGB32);
  QPainter p(&img);
  e.Paint(p);
  p.end();
  return img.pixelColor(x, y);
}

}  // namespace

class TCodeEditTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TCodeEdit> edit;

  TCodeEdit& Make(const Lines& lines, QSize size = QSize(400, 300)) {
    edit = std::make_unique<TCodeEdit>();
    edit->resize(size);
    edit->Lines().Assign(lines);
    edit->show();
    QApplication::setActiveWindow(edit.get());
    edit->setFocus();
    if (!QTest::qWaitForWindowActive(edit.get())) qWarning("pane window not active");
    return *edit;
  }

 private slots:
  void cleanup() { edit.reset(); }

  void editing_data() {
    QTest::addColumn<Lines>("before");
    QTest::addColumn<TPoint>("caret");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<Lines>("after");
    QTest::addColumn<TPoint>("caretAfter");
    QTest::newRow("typing in a line") << Lines{"ab"} << TPoint{1, 0} << "xy" << Lines{"axyb"} << TPoint{3, 0};
    QTest::newRow("Enter in the middle") << Lines{"abcd"} << TPoint{2, 0} << "<Enter>" << Lines{"ab", "cd"} << TPoint{0, 1};
    QTest::newRow("Enter at the start") << Lines{"ab"} << TPoint{0, 0} << "<Enter>" << Lines{"", "ab"} << TPoint{0, 1};
    QTest::newRow("Enter at the end") << Lines{"ab"} << TPoint{2, 0} << "<Enter>" << Lines{"ab", ""} << TPoint{0, 1};
    QTest::newRow("Backspace at a line start joins") << Lines{"ab", "cd"} << TPoint{0, 1} << "<BS>" << Lines{"abcd"} << TPoint{2, 0};
    QTest::newRow("Backspace below an empty line") << Lines{"", "cd"} << TPoint{0, 1} << "<BS>" << Lines{"cd"} << TPoint{0, 0};
    QTest::newRow("Backspace on an empty line") << Lines{"ab", ""} << TPoint{0, 1} << "<BS>" << Lines{"ab"} << TPoint{2, 0};
    QTest::newRow("Delete at a line end joins") << Lines{"ab", "cd"} << TPoint{2, 0} << "<Del>" << Lines{"abcd"} << TPoint{2, 0};
    QTest::newRow("Delete on an empty line") << Lines{"", "cd"} << TPoint{0, 0} << "<Del>" << Lines{"cd"} << TPoint{0, 0};
    QTest::newRow("Delete at the end of the text") << Lines{"ab"} << TPoint{2, 0} << "<Del>" << Lines{"ab"} << TPoint{2, 0};
    QTest::newRow("Backspace at the start of the text") << Lines{"ab"} << TPoint{0, 0} << "<BS>" << Lines{"ab"} << TPoint{0, 0};
    QTest::newRow("Ctrl+A then a letter") << Lines{"ab", "cd", "ef"} << TPoint{1, 1} << "<C-A>z" << Lines{"z"} << TPoint{1, 0};
    QTest::newRow("Shift selection then Delete") << Lines{"abc", "def"} << TPoint{1, 0} << "<S-Down><Del>" << Lines{"aef"} << TPoint{1, 0};
    QTest::newRow("typing over a selection") << Lines{"hello world"} << TPoint{0, 0} << "<C-S-Right>X" << Lines{"Xworld"} << TPoint{1, 0};
    QTest::newRow("mixed edits") << Lines{"one", "two"} << TPoint{3, 0} << "<Enter>a<BS>bc<Up><End><Del><Del>" << Lines{"onec", "two"} << TPoint{3, 0};
    std::string zh = platform::Utf8ToCodePage("中文");
    QTest::newRow("Backspace removes a whole double-byte character") << Lines{zh} << TPoint{4, 0} << "<BS>" << Lines{zh.substr(0, 2)} << TPoint{2, 0};
    QTest::newRow("Delete removes a whole double-byte character") << Lines{zh + "x"} << TPoint{0, 0} << "<Right><Del>" << Lines{zh.substr(0, 2) + "x"} << TPoint{2, 0};
  }

  // Every edit, then undo back to the start and redo forward again, comparing bytes.
  void editing() {
    QFETCH(Lines, before);
    QFETCH(TPoint, caret);
    QFETCH(QString, keys);
    QFETCH(Lines, after);
    QFETCH(TPoint, caretAfter);
    TCodeEdit& e = Make(before);
    e.MoveCaretTo(caret);
    Keys(&e, keys);
    QCOMPARE(e.Lines().ToVector(), after);
    QCOMPARE(e.CaretPos(), caretAfter);
    while (e.CanUndo()) e.Undo();
    QCOMPARE(e.Lines().ToVector(), before);
    while (e.CanRedo()) e.Redo();
    QCOMPARE(e.Lines().ToVector(), after);
  }

  void tabsAreTextOnlyWhenWanted() {
    TCodeEdit& e = Make({"ab"});
    e.SetWantTabs(true);
    Keys(&e, "<Tab>");
    QCOMPARE(e.Lines()[0], std::string("\tab"));
  }

  void enterInAnEmptyPaneMakesOneLineAndNoRecord() {
    TCodeEdit& e = Make({});
    Keys(&e, "<Enter>");
    QCOMPARE(e.Lines().ToVector(), Lines{""});
    QVERIFY(!e.CanUndo());
  }

  void caretMoves_data() {
    QTest::addColumn<Lines>("text");
    QTest::addColumn<TPoint>("caret");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<TPoint>("caretAfter");
    QTest::addColumn<int>("selLength");
    const Lines three{"abcdef", "xy", "klmnop"};
    QTest::newRow("Ctrl+End then Up keeps to line ends") << three << TPoint{0, 0} << "<C-End><Up>" << TPoint{2, 1} << 0;
    QTest::newRow("Left at the start stays") << three << TPoint{0, 0} << "<Left>" << TPoint{0, 0} << 0;
    QTest::newRow("Right at the end stays") << three << TPoint{6, 2} << "<Right>" << TPoint{6, 2} << 0;
    QTest::newRow("Right at a line end wraps") << three << TPoint{6, 0} << "<Right>" << TPoint{0, 1} << 0;
    QTest::newRow("Left at a line start wraps") << three << TPoint{0, 1} << "<Left>" << TPoint{6, 0} << 0;
    QTest::newRow("vertical moves keep the column") << three << TPoint{4, 0} << "<Down><Down>" << TPoint{4, 2} << 0;
    QTest::newRow("Shift+Down selects") << three << TPoint{1, 0} << "<S-Down>" << TPoint{1, 1} << 8;
    QTest::newRow("Down collapses") << three << TPoint{1, 0} << "<S-Down><Down>" << TPoint{1, 2} << 0;
    QTest::newRow("Home and End") << three << TPoint{3, 0} << "<End>" << TPoint{6, 0} << 0;
    QTest::newRow("Ctrl+Home") << three << TPoint{3, 2} << "<C-Home>" << TPoint{0, 0} << 0;
    const Lines words{"foo bar  baz", "next"};
    QTest::newRow("Ctrl+Right to the next word") << words << TPoint{1, 0} << "<C-Right>" << TPoint{4, 0} << 0;
    QTest::newRow("Ctrl+Right over spaces") << words << TPoint{4, 0} << "<C-Right>" << TPoint{9, 0} << 0;
    QTest::newRow("Ctrl+Right at a line end") << words << TPoint{12, 0} << "<C-Right>" << TPoint{0, 1} << 0;
    QTest::newRow("Ctrl+Left to the word start") << words << TPoint{11, 0} << "<C-Left>" << TPoint{9, 0} << 0;
    QTest::newRow("Ctrl+Left at a line start") << words << TPoint{0, 1} << "<C-Left>" << TPoint{12, 0} << 0;
    QTest::newRow("Right steps over a double-byte character")
        << Lines{platform::Utf8ToCodePage("中a")} << TPoint{0, 0} << "<Right>" << TPoint{2, 0} << 0;
  }

  void caretMoves() {
    QFETCH(Lines, text);
    QFETCH(TPoint, caret);
    QFETCH(QString, keys);
    QFETCH(TPoint, caretAfter);
    QFETCH(int, selLength);
    TCodeEdit& e = Make(text);
    e.MoveCaretTo(caret);
    Keys(&e, keys);
    QCOMPARE(e.CaretPos(), caretAfter);
    QCOMPARE(e.SelLength(), selLength);
  }

  void pasteOfSeveralLines() {
    TCodeEdit& e = Make({"ab"});
    e.MoveCaretTo({1, 0});
    QGuiApplication::clipboard()->setText("x\r\ny");
    Keys(&e, "<C-V>");
    QCOMPARE(e.Lines().ToVector(), (Lines{"ax", "yb"}));
    QCOMPARE(e.CaretPos(), (TPoint{1, 1}));
    e.Undo();
    QCOMPARE(e.Lines().ToVector(), Lines{"ab"});
  }

  void pasteOverSelectionUndoesInOneStep() {
    TCodeEdit& e = Make({"one two three"});
    e.SetSelStart(4);
    e.SetSelLength(3);
    QCOMPARE(e.SelText(), std::string("two"));
    QGuiApplication::clipboard()->setText(QString::fromUtf8("二"));
    Keys(&e, "<C-V>");
    QCOMPARE(e.Lines()[0], "one " + platform::Utf8ToCodePage("二") + " three");
    e.Undo();
    QCOMPARE(e.Lines()[0], std::string("one two three"));
    QCOMPARE(e.SelLength(), 0);
    QCOMPARE(e.CaretOffset(), 7);
    QVERIFY(!e.CanUndo());
    e.Redo();
    QCOMPARE(e.Lines()[0], "one " + platform::Utf8ToCodePage("二") + " three");
    QVERIFY(!e.CanRedo());
  }

  void copyAndCutRoundTripThroughTheClipboard() {
    std::string zh = platform::Utf8ToCodePage("汉字");
    TCodeEdit& e = Make({"ab" + zh, "cd"});
    e.SetSelStart(1);
    e.SetSelLength(e.Lines().GetLineObj(1).Start + 1 - 1);
    Keys(&e, "<C-C>");
    QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromUtf8("b汉字\r\nc"));
    Keys(&e, "<C-X>");
    QCOMPARE(e.Lines().ToVector(), Lines{"ad"});
  }

  void undoLimitAndRedoAfterNewTyping() {
    TCodeEdit& e = Make({""});
    for (int i = 0; i < 101; ++i) QTest::keyClick(&e, 'a');
    int undone = 0;
    while (e.CanUndo()) {
      e.Undo();
      ++undone;
    }
    QCOMPARE(undone, 100);
    QCOMPARE(e.Lines()[0], std::string("a"));
    e.Lines().Assign(Lines{""});
    Keys(&e, "abc");
    e.Undo();
    e.Undo();
    Keys(&e, "d");
    QVERIFY(!e.CanRedo());
    QCOMPARE(e.Lines()[0], std::string("ad"));
  }

  void refillingTheStoreForgetsOldSteps() {
    TCodeEdit& e = Make({"abc"});
    Keys(&e, "xyz");
    e.Lines().Clear();
    e.Lines().Add("new text");
    QVERIFY(!e.CanUndo());
  }

  void deletingEverythingMarksTheStoreModified() {
    TCodeEdit& e = Make({"abc", "def"});
    Keys(&e, "<C-A><Del>");
    QCOMPARE(e.Lines().Count(), 0);
    QVERIFY(e.Lines().Modified());
    e.Undo();
    QCOMPARE(e.Lines().ToVector(), (Lines{"abc", "def"}));
  }

  void readOnlyPaneKeepsItsText() {
    TCodeEdit& e = Make({"abc", "def"});
    e.SetReadOnly(true);
    QVERIFY(!e.CaretCreated());
    e.MoveCaretTo({1, 0});
    QGuiApplication::clipboard()->setText("zz");
    Keys(&e, "x<Enter><BS><Del><C-V><S-Right>");
    QCOMPARE(e.Lines().ToVector(), (Lines{"abc", "def"}));
    QCOMPARE(e.SelLength(), 1);
    Keys(&e, "<C-X>");
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("b"));
    QCOMPARE(e.Lines().ToVector(), (Lines{"abc", "def"}));
  }

  void doubleClickSelectsLettersAndDigitsOnly() {
    TCodeEdit& e = Make({"foo_bar baz"});
    auto click = [&](int col) {
      QPoint pt(e.GutterWidth() + e.LeftMargin() + col * e.CharWidth() + 2, e.TopMargin() + 2);
      QTest::mouseDClick(e.viewport(), Qt::LeftButton, {}, pt);
    };
    click(1);
    QCOMPARE(e.SelText(), std::string("foo"));
    click(5);
    QCOMPARE(e.SelText(), std::string("bar"));
    e.MoveCaretTo({0, 0});
    click(7);
    QCOMPARE(e.SelText(), std::string());
  }

  void dragMovesTheSelectionAndUndoPutsItBack() {
    TCodeEdit& e = Make({"abc def"});
    auto at = [&](int col) { return QPoint(e.GutterWidth() + e.LeftMargin() + col * e.CharWidth() + 1, e.TopMargin() + 2); };
    e.SetSelStart(0);
    e.SetSelLength(3);
    QTest::mousePress(e.viewport(), Qt::LeftButton, {}, at(1));
    QCOMPARE(int(e.MouseMode()), 2);
    QMouseEvent move(QEvent::MouseMove, at(7), e.viewport()->mapToGlobal(at(7)), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(e.viewport(), &move);
    QTest::mouseRelease(e.viewport(), Qt::LeftButton, {}, at(7));
    QCOMPARE(e.Lines()[0], std::string(" defabc"));
    QCOMPARE(e.SelText(), std::string("abc"));
    e.Undo();
    QCOMPARE(e.Lines()[0], std::string("abc def"));

    // Dropped on its own end: nothing changes.
    e.SetSelStart(0);
    e.SetSelLength(3);
    QTest::mousePress(e.viewport(), Qt::LeftButton, {}, at(1));
    QMouseEvent move2(QEvent::MouseMove, at(3), e.viewport()->mapToGlobal(at(3)), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(e.viewport(), &move2);
    QTest::mouseRelease(e.viewport(), Qt::LeftButton, {}, at(3));
    QCOMPARE(e.Lines()[0], std::string("abc def"));
  }

  void clickAndDragSelect() {
    TCodeEdit& e = Make({"abcdef", "ghijkl"});
    auto at = [&](int col, int row) {
      return QPoint(e.GutterWidth() + e.LeftMargin() + col * e.CharWidth() + 1, e.TopMargin() + row * e.LineHeight() + 2);
    };
    QTest::mousePress(e.viewport(), Qt::LeftButton, {}, at(2, 0));
    QMouseEvent move(QEvent::MouseMove, at(3, 1), e.viewport()->mapToGlobal(at(3, 1)), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(e.viewport(), &move);
    QTest::mouseRelease(e.viewport(), Qt::LeftButton, {}, at(3, 1));
    QCOMPARE(e.SelText(), std::string("cdef\r\nghi"));
  }

  void scrollShiftKeepsTheRangeSmall_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("shift");
    QTest::addColumn<int>("range");
    QTest::newRow("40000 lines") << 40000 << 1 << 20000;
    QTest::newRow("70000 lines") << 70000 << 2 << 17500;
    QTest::newRow("32766 lines") << 32766 << 0 << 32766;
  }

  void scrollShiftKeepsTheRangeSmall() {
    QFETCH(int, count);
    QFETCH(int, shift);
    QFETCH(int, range);
    TCodeEdit& e = Make(Lines(static_cast<std::size_t>(count), "x"));
    QCOMPARE(e.ScrollShift(), shift);
    QCOMPARE(e.VertRange(), range);
    QScrollBar* bar = e.verticalScrollBar();
    bar->setSliderDown(true);
    bar->setSliderPosition(1000);
    bar->setSliderDown(false);
    QCOMPARE(e.TopLine(), 1000 << shift);
  }

  void scrollingClampsAndReports() {
    TCodeEdit& e = Make(Lines(100, "x"));
    int scrolls = 0;
    e.OnScroll = [&](TCodeEdit* sender) {
      QCOMPARE(sender, &e);
      ++scrolls;
    };
    e.SetTopLine(1000);
    QCOMPARE(e.TopLine(), 100 - e.PageRows() + 1);
    QCOMPARE(scrolls, 1);
    e.SetTopLine(1000);
    QCOMPARE(scrolls, 1);
    e.SetTopLine(-5);
    QCOMPARE(e.TopLine(), 0);
    int rows = e.PageRows();
    e.VertScroll(TCodeEdit::scLineDown);
    QCOMPARE(e.PageRows(), rows + 1);  // a scroll message counts the partly visible row
    e.ScrollToLine(37);
    QCOMPARE(e.TopLine(), 37);
    e.VertScroll(TCodeEdit::scPageDown);
    QCOMPARE(e.TopLine(), 37 + e.PageRows());
  }

  void gutterGrowsAtTheTenthLine() {
    TCodeEdit& e = Make(Lines(9, "x"));
    QCOMPARE(e.GutterWidth(), 2 * e.CharWidth());
    e.Lines().Add("ten");
    QCOMPARE(e.GutterWidth(), 3 * e.CharWidth());
  }

  void emptyPanePaintsOnlyBackgroundAndGutter() {
    TCodeEdit& e = Make({});
    const int g = e.GutterWidth();
    QImage img(e.viewport()->size(), QImage::Format_RGB32);
    QPainter p(&img);
    e.Paint(p);
    p.end();
    QCOMPARE(img.pixelColor(g - 1, 10), QColor(0x80, 0x80, 0x80));
    QCOMPARE(img.pixelColor(g - 2, 10), QColor(0xC0, 0xC0, 0xC0));
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < g - 2; ++x) QCOMPARE(img.pixelColor(x, y), QColor(0xC0, 0xDC, 0xC0));
    QCOMPARE(img.pixelColor(g + 30, 20), e.palette().color(QPalette::Base));
  }

  void tabsInPaintingAndHitTesting() {
    TCodeEdit& e = Make({"a\tb", "other"});
    e.MoveCaretTo({0, 1});
    const int left = e.GutterWidth() + e.LeftMargin();
    const int cw = e.CharWidth();
    QImage img(e.viewport()->size(), QImage::Format_RGB32);
    QPainter p(&img);
    e.Paint(p);
    p.end();
    auto inked = [&](int col) {
      for (int x = left + col * cw; x < left + (col + 1) * cw; ++x)
        for (int y = e.TopMargin(); y < e.TopMargin() + e.LineHeight(); ++y)
          if (img.pixelColor(x, y).lightness() < 128) return true;
      return false;
    };
    QVERIFY(inked(0));
    for (int col = 1; col <= 4; ++col) QVERIFY2(!inked(col), qPrintable(QString::number(col)));
    QVERIFY(inked(5));
    QCOMPARE(e.PixelToPoint(left + 5 * cw + 1, e.TopMargin() + 1), (TPoint{2, 0}));
    QCOMPARE(e.PixelToPoint(left + 3 * cw + 1, e.TopMargin() + 1), (TPoint{2, 0}));
    e.MoveCaretTo({2, 0});
    QCOMPARE(e.CaretPixel().x(), left + 5 * cw);
    QCOMPARE(e.PointToPixel({2, 0}).x(), 5 * cw + e.LeftMargin());
    QCOMPARE(e.ExpandTabs("a\tb"), std::string("a    b"));
  }

  // Text of every code page is placed by its display width, whatever its bytes in the program's
  // code page: a bar after each word is drawn, hit and reached by the caret at the word's width.
  void charactersTakeTheirDisplayWidth() {
    const struct {
      int CodePage;
      const char* Word;
      int Cells;
    } cases[] = {
        {936, "中文注释", 8},     {950, "繁體", 4},       {932, "日本ｶﾅ", 6},     {949, "한국어", 6},
        {874, "ไทยที่", 4},         {1250, "Łódź", 4},      {1251, "Жизнь", 5},     {1252, "manutenção", 10},
        {1253, "Ελληνικά", 8},    {1254, "İşlem", 5},     {1255, "שלום", 4},      {1256, "مرحبا", 5},
        {1257, "Ąžuolas", 7},     {1258, "Việt Vie\u0323\u0302t", 9},
    };
    for (const auto& c : cases) {
      const std::string word = platform::Utf8ToCodePage(c.Word);
      TCodeEdit& e = Make({word + "|x"});
      const int left = e.GutterWidth() + e.LeftMargin(), cw = e.CharWidth();
      const auto bar = static_cast<std::int32_t>(word.size());
      QImage img(e.viewport()->size(), QImage::Format_RGB32);
      QPainter p(&img);
      e.Paint(p);
      p.end();
      bool inked = false;
      for (int x = left + c.Cells * cw; x < left + (c.Cells + 1) * cw; ++x)
        for (int y = e.TopMargin(); y < e.TopMargin() + e.LineHeight(); ++y) inked |= img.pixelColor(x, y).lightness() < 128;
      QVERIFY2(inked, c.Word);
      QCOMPARE(e.PointToPixel({bar, 0}).x(), c.Cells * cw + e.LeftMargin());
      QCOMPARE(e.PixelToPoint(left + c.Cells * cw + 1, e.TopMargin() + 1), (TPoint{bar, 0}));
      QCOMPARE(e.PixelToPoint(left + (c.Cells + 1) * cw + 1, e.TopMargin() + 1), (TPoint{bar + 1, 0}));
    }
  }

  void selectionAcrossThreeLines() {
    Lines text(8, "0123456789");
    TCodeEdit& e = Make(text);
    const int left = e.GutterWidth() + e.LeftMargin();
    const int cw = e.CharWidth();
    auto rowY = [&](int row) { return e.TopMargin() + row * e.LineHeight() + e.LineHeight() / 2; };
    e.SetSelStart(e.Lines().GetLineObj(2).Start + 4);
    e.SetSelLength(e.Lines().GetLineObj(4).Start + 6 - e.SelStart());
    const QColor hl = e.palette().color(QPalette::Highlight);
    const QColor base = e.palette().color(QPalette::Base);
    const int right = e.viewport()->width() - 3;
    QCOMPARE(Pixel(e, left + 2 * cw, rowY(2)), base);
    QCOMPARE(Pixel(e, left + 4 * cw + 1, rowY(2) + e.LineHeight() / 2 - 1), hl);
    QCOMPARE(Pixel(e, right, rowY(2)), hl);
    QCOMPARE(Pixel(e, left + 1, rowY(3) + e.LineHeight() / 2 - 1), hl);
    QCOMPARE(Pixel(e, right, rowY(3)), hl);
    QCOMPARE(Pixel(e, left + 1, rowY(4) + e.LineHeight() / 2 - 1), hl);
    QCOMPARE(Pixel(e, left + 7 * cw, rowY(4)), base);
    QCOMPARE(Pixel(e, right, rowY(4)), base);
    QCOMPARE(Pixel(e, right, rowY(5)), base);
  }

  void lineColoursCaretLineAndStrip() {
    TCodeEdit& e = Make(Lines(30, "text"));
    e.Lines().GetLineObj(9).Color = 0xF0CCA8;
    e.Lines().GetLineObj(12).Color = 0x6FFB8A;
    e.Lines().Put(13, "edited");
    e.MoveCaretTo({0, 20});
    e.SetTopLine(10);
    const int x = e.viewport()->width() - 5;
    auto rowY = [&](int row) { return e.TopMargin() + row * e.LineHeight() + e.LineHeight() / 2; };
    QCOMPARE(Pixel(e, x, 1), QColor(0xA8, 0xCC, 0xF0));     // the strip shows line 9
    QCOMPARE(Pixel(e, x, rowY(2)), QColor(0x8A, 0xFB, 0x6F));  // line 12
    QCOMPARE(Pixel(e, x, rowY(3)), QColor(0xE0, 0xE0, 0xE0));  // edited line 13
    QCOMPARE(Pixel(e, x, rowY(10)).rgb(), e.ToQColor(clBackground).rgb());  // caret line 20
    e.SetColor(0x00FFFF);
    QCOMPARE(e.Lines().GetLineObj(0).Color, 0x00FFFFu);
    QCOMPARE(e.Lines().GetLineObj(12).Color, 0x6FFB8Au);
  }

  void autoLineNumbersAndOwnerGutter() {
    TCodeEdit& e = Make(Lines(3, "x"));
    int calls = 0;
    e.SetAutoLineNum(false);
    e.Lines().GetLineObj(1).Tag = 42;
    e.OnPaintLeftMargin = [&](TCodeEdit* sender, QPainter&, const QRect& r, int lineNo, int tag) {
      QCOMPARE(sender, &e);
      QCOMPARE(r.right(), e.GutterWidth() - 3 - 1);
      if (lineNo == 2) QCOMPARE(tag, 42);
      ++calls;
    };
    Pixel(e, 0, 0);
    QCOMPARE(calls, 3);
  }

  void caretExistsOnlyWhileFocusedAndEditable() {
    TCodeEdit& e = Make({"abc"});
    QVERIFY(e.hasFocus());
    QVERIFY(e.CaretCreated());
    e.MoveCaretTo({2, 0});
    QVERIFY(e.CaretVisible());
    QCOMPARE(e.CaretPixel(), QPoint(e.GutterWidth() + e.LeftMargin() + 2 * e.CharWidth(), e.TopMargin() + 1));
    e.clearFocus();
    QVERIFY(!e.CaretCreated());
  }

  void eventsReportChanges() {
    TCodeEdit& e = Make({"abc", "def"});
    int sel = 0, caret = 0;
    e.OnSelectionChange = [&](TCodeEdit*) { ++sel; };
    e.OnCaretPtChange = [&](TCodeEdit*) { ++caret; };
    Keys(&e, "<Right><Right>");
    QCOMPARE(caret, 2);
    QCOMPARE(sel, 0);  // a moving caret without selection
    Keys(&e, "<S-Right>");
    QCOMPARE(sel, 1);
    int key = 0;
    e.OnKeyDown = [&](TCodeEdit*, int& k, Qt::KeyboardModifiers) {
      key = k;
      k = 0;
    };
    Keys(&e, "<Left>");
    QCOMPARE(key, int(Qt::Key_Left));
    QCOMPARE(e.CaretPos(), (TPoint{3, 0}));
  }

  void wheelGoesToTheOwnerFirst() {
    TCodeEdit& e = Make(Lines(100, "x"));
    int deltas = 0;
    e.OnMouseWheel = [&](TCodeEdit*, Qt::KeyboardModifiers, int delta, QPoint, bool& handled) {
      deltas += delta;
      handled = true;
      e.VertScroll(delta < 0 ? TCodeEdit::scLineDown : TCodeEdit::scLineUp);
    };
    QWheelEvent wheel(QPointF(50, 50), e.viewport()->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(e.viewport(), &wheel);
    QCOMPARE(deltas, -120);
    QCOMPARE(e.TopLine(), 1);
    e.OnMouseWheel = nullptr;
    QWheelEvent wheel2(QPointF(50, 50), e.viewport()->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120),
                       Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(e.viewport(), &wheel2);
    QCOMPARE(e.TopLine(), 4);
  }

  // A byte that is no character of the code page comes back as it was; the Unicode text beside
  // it is for other programs.
  void clipboardKeepsTheBytesOfACopy() {
    const std::string odd = "c\xA9 2003";
    const std::u16string unicode = platform::CodePageToUtf16(odd);
    const QByteArray utf8 = QString::fromStdU16String(unicode).toUtf8();
    QVERIFY(platform::Utf8ToCodePage(std::string_view(utf8.constData(), utf8.size())) != odd);
    TCodeEdit& e = Make({odd, "next"});
    e.SetSelStart(0);
    e.SetSelLength(static_cast<int>(odd.size()));
    Keys(&e, "<C-C>");
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QCOMPARE(data->data(TCodeEdit::kCodePageMime), QByteArray(odd.data(), static_cast<int>(odd.size())));
    QCOMPARE(data->text(), QString::fromStdU16String(unicode));
    e.MoveCaretTo({4, 1});
    Keys(&e, "<C-V>");
    QCOMPARE(e.Lines().ToVector(), (Lines{odd, "next" + odd}));
  }

  void partlyVisibleBottomRowIsPainted_data() {
    QTest::addColumn<bool>("findFarDown");
    QTest::newRow("after a resize") << false;
    QTest::newRow("after a find moved the caret far down") << true;
  }

  // Every row that shows is painted, however PageRows was last set.
  void partlyVisibleBottomRowIsPainted() {
    QFETCH(bool, findFarDown);
    TCodeEdit& e = Make(Lines(100, "text"));
    for (int i = 0; i < 100; ++i) e.Lines().GetLineObj(i).Color = 0x6FFB8A;
    const int lh = e.LineHeight();
    while ((e.viewport()->height() - e.TopMargin()) % lh < lh / 2) {
      e.resize(e.width(), e.height() + 1);
      QCoreApplication::processEvents();
    }
    if (findFarDown) e.MoveCaretTo({0, 80});
    const int whole = (e.viewport()->height() - e.TopMargin()) / lh;
    const int y = e.TopMargin() + whole * lh + 1;
    QCOMPARE(Pixel(e, e.viewport()->width() - 5, y), QColor(0x8A, 0xFB, 0x6F));
  }

  void wheelAddsUpToNotches_data() {
    QTest::addColumn<QList<QPoint>>("deltas");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("handled");
    QTest::addColumn<QList<int>>("notches");
    QTest::addColumn<int>("topLine");
    QTest::addColumn<int>("leftCol");
    const QList<int> none;
    QTest::newRow("a notch in three parts") << QList<QPoint>{{0, -40}, {0, -40}, {0, -40}} << 0 << true << QList<int>{-120} << 11 << 0;
    QTest::newRow("two notches at once") << QList<QPoint>{{0, -240}} << 0 << true << QList<int>{-120, -120} << 12 << 0;
    QTest::newRow("a turn back starts afresh") << QList<QPoint>{{0, -80}, {0, 120}} << 0 << true << QList<int>{120} << 9 << 0;
    QTest::newRow("unhandled, three lines a notch") << QList<QPoint>{{0, -60}, {0, -60}} << 0 << false << QList<int>{-120} << 13 << 0;
    QTest::newRow("horizontal wheel, a column a notch") << QList<QPoint>{{-60, 0}, {-60, 0}, {-120, 0}} << 0 << true << none << 10 << 2;
    QTest::newRow("Shift turns the wheel sideways") << QList<QPoint>{{0, -120}} << int(Qt::ShiftModifier) << true << none << 10 << 1;
  }

  void wheelAddsUpToNotches() {
    QFETCH(QList<QPoint>, deltas);
    QFETCH(int, modifiers);
    QFETCH(bool, handled);
    QFETCH(QList<int>, notches);
    QFETCH(int, topLine);
    QFETCH(int, leftCol);
    TCodeEdit& e = Make(Lines(100, "x"));
    e.SetTopLine(10);
    QList<int> got;
    e.OnMouseWheel = [&](TCodeEdit*, Qt::KeyboardModifiers, int delta, QPoint, bool& h) {
      got << delta;
      h = handled;
      if (handled) e.VertScroll(delta < 0 ? TCodeEdit::scLineDown : TCodeEdit::scLineUp);
    };
    for (const QPoint& d : deltas) {
      QWheelEvent wheel(QPointF(50, 50), e.viewport()->mapToGlobal(QPointF(50, 50)), QPoint(), d, Qt::NoButton,
                        Qt::KeyboardModifiers(modifiers), Qt::NoScrollPhase, false);
      QApplication::sendEvent(e.viewport(), &wheel);
    }
    QCOMPARE(got, notches);
    QCOMPARE(e.TopLine(), topLine);
    QCOMPARE(e.LeftCol(), leftCol);
  }

  void systemColoursComeFromThePalette() {
    QPalette pal;
    pal.setColor(QPalette::Base, Qt::yellow);
    pal.setColor(QPalette::ButtonText, Qt::red);
    pal.setColor(QPalette::Highlight, QColor(0x30, 0x60, 0xC0));
    QCOMPARE(ToQColor(0x336699, pal), QColor(0x99, 0x66, 0x33));
    QCOMPARE(ToQColor(clWindow, pal), QColor(Qt::yellow));
    QCOMPARE(ToQColor(clBtnText, pal), QColor(Qt::red));
    QVERIFY(ToQColor(clBackground, pal).lightness() <= 90);
    TCodeEdit& e = Make({});
    e.setPalette(pal);
    QCOMPARE(e.ToQColor(clWindow), QColor(Qt::yellow));
  }

  void draggingBelowThePaneScrollsOneLinePerMove() {
    TCodeEdit& e = Make(Lines(100, "abc"));
    const QPoint start(e.GutterWidth() + e.LeftMargin() + 2, e.TopMargin() + 2);
    QTest::mousePress(e.viewport(), Qt::LeftButton, {}, start);
    const QPoint below(start.x(), e.viewport()->height() - 2);
    for (int i = 0; i < 3; ++i) {
      QMouseEvent move(QEvent::MouseMove, below, e.viewport()->mapToGlobal(below), Qt::NoButton, Qt::LeftButton, {});
      QApplication::sendEvent(e.viewport(), &move);
    }
    QTest::mouseRelease(e.viewport(), Qt::LeftButton, {}, below);
    QCOMPARE(e.TopLine(), 3);
    QVERIFY(e.SelLength() > 0);
  }

  void droppedFilesReportTheFirstOnly() {
    TCodeEdit& e = Make({});
    QStringList got;
    e.OnDropFiles = [&](TCodeEdit*, const QString& file, bool& accepted) {
      got << file;
      accepted = true;
    };
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile("/tmp/one.txt"), QUrl::fromLocalFile("/tmp/two.txt")});
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(e.viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(e.viewport(), &drop);
    QCOMPARE(got, QStringList{"/tmp/one.txt"});
    QVERIFY(drop.isAccepted());
  }
};

QTEST_MAIN(TCodeEditTest)
#include "CodeEditorTest.moc"
