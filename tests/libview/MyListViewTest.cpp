#include <QPainter>
#include <QtTest>

#include "libview/MyListView.h"

using libview::TMyListView;

namespace {

// A grey triangle, pointing down (0) or up (1), like the frame's header images.
QIcon Triangle(bool up) {
  QPixmap p(12, 12);
  p.fill(Qt::transparent);
  {
    QPainter g(&p);
    g.setBrush(Qt::gray);
    g.setPen(Qt::NoPen);
    g.drawPolygon(up ? QPolygon({QPoint(1, 9), QPoint(11, 9), QPoint(6, 3)}) : QPolygon({QPoint(1, 3), QPoint(11, 3), QPoint(6, 9)}));
  }
  return QIcon(p);
}

}  // namespace

class MyListViewTest : public QObject {
  Q_OBJECT

  // Name, size (right-aligned), time; the data value remembers the order rows were added in.
  void Fill(TMyListView& list, const QList<QStringList>& rows) {
    list.setColumnCount(3);
    list.setHeaderLabels({"Name", "Size", "Time"});
    list.headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    int i = 0;
    for (const QStringList& r : rows) {
      auto* item = new QTreeWidgetItem(&list, r);
      item->setData(0, Qt::UserRole, i++);
    }
  }

  QStringList Column(TMyListView& list, int c) {
    QStringList out;
    for (int i = 0; i < list.topLevelItemCount(); ++i) out << list.topLevelItem(i)->text(c);
    return out;
  }

 private slots:
  void columnsFitTheirContentsUnlessSizedByHand() {
    TMyListView list;
    QList<QStringList> rows;
    for (int i = 0; i < 500; ++i) rows << QStringList({"w_" + QString::number(i), QString::number(i), "x"});
    rows << QStringList({"pfc_n_cst_winsrv_statusbar", "12345678", "2026-12-09 03:20:13"});
    rows << QStringList({QString(400, 'z'), "1", "y"});
    Fill(list, rows);
    list.resize(700, 200);
    list.show();
    list.FitColumnsToContents();
    const QFontMetrics fm(list.font());
    QVERIFY(list.columnWidth(1) >= fm.horizontalAdvance("12345678"));
    QVERIFY(list.columnWidth(2) >= fm.horizontalAdvance("2026-12-09 03:20:13"));
    QCOMPARE(list.columnWidth(0) + list.columnWidth(1) + list.columnWidth(2) >= list.viewport()->width(), true);
    // A very long name is cut at the limit, not given the whole width.
    list.resize(200, 200);
    list.FitColumnsToContents();
    QCOMPARE(list.columnWidth(0), TMyListView::MaxColumnWidth);
    // A column the user sized keeps its width through later fits.
    list.header()->resizeSection(2, 50);
    QVERIFY(list.UserSized(2));
    list.FitColumnsToContents();
    QCOMPARE(list.columnWidth(2), 50);
    QVERIFY(!list.UserSized(1));
  }

  void clickingTogglesDirectionAndMark() {
    TMyListView list;
    list.SetHeaderImages({Triangle(false), Triangle(true)});
    Fill(list, {{"b", "1"}, {"C", "2"}, {"a", "3"}});
    list.resize(400, 200);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QHeaderView* header = list.header();
    auto click = [&](int column) {
      QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
      QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    };
    click(0);
    QCOMPARE(Column(list, 0), QStringList({"a", "b", "C"}));
    QCOMPARE(list.HeaderMark(0), 1);
    click(0);
    QCOMPARE(Column(list, 0), QStringList({"C", "b", "a"}));
    QCOMPARE(list.HeaderMark(0), 0);
    click(0);
    QCOMPARE(list.HeaderMark(0), 1);
    QCOMPARE(list.ColumnTag(0), 1);

    // Another column takes over: the first loses its mark and tag.
    click(1);
    QCOMPARE(list.ColumnTag(0), 0);
    QCOMPARE(list.HeaderMark(0), -1);
    QCOMPARE(list.ColumnTag(1), 1);
    QCOMPARE(Column(list, 1), QStringList({"1", "2", "3"}));

    // Resizing the sorted column keeps its mark.
    header->resizeSection(1, header->sectionSize(1) + 40);
    QCOMPARE(list.HeaderMark(1), 1);
  }

  void rightAlignedColumnsCompareAsIntegers() {
    TMyListView list;
    Fill(list, {{"a", "10"}, {"b", "9"}, {"c", ""}, {"d", "x1"}, {"e", "-3"}});
    list.SortByColumn(1);
    QCOMPARE(Column(list, 1), QStringList({"-3", "", "x1", "9", "10"}));
  }

  void equalRowsKeepTheirOrder() {
    TMyListView list;
    Fill(list, {{"x", "5"}, {"y", "5"}, {"z", "1"}, {"w", "5"}});
    list.SortByColumn(1);
    QCOMPARE(Column(list, 0), QStringList({"z", "x", "y", "w"}));
    list.SortByColumn(1);  // descending: the equal rows still keep their order
    QCOMPARE(Column(list, 0), QStringList({"x", "y", "w", "z"}));
  }

  void datesSortByTheirTextWithEmptyCellsFirst() {
    TMyListView list;
    Fill(list, {{"a", "", "2005-02-19 16:26:48"}, {"b", "", ""}, {"c", "", "1997-10-31 02:29:41"}, {"d", "", "2005-02-19 09:00:00"}});
    list.SortByColumn(2);
    QCOMPARE(Column(list, 0), QStringList({"b", "c", "d", "a"}));
  }

  void textFoldsOnlyAsciiLetters() {
    QCOMPARE(TMyListView::CompareText("abc", "ABC"), 0);
    QCOMPARE(TMyListView::CompareText("a_", "A_"), 0);
    // "_" (0x5F) sorts after the upper-cased letters, as in the folded byte order.
    QVERIFY(TMyListView::CompareText("a_b", "ab") > 0);
    // Double-byte characters compare by their code-page bytes: 啊 (B0A1) before 中 (D6D0).
    QVERIFY(TMyListView::CompareText(QString::fromUtf8("啊"), QString::fromUtf8("中")) < 0);
    QVERIFY(TMyListView::CompareText("z", QString::fromUtf8("啊")) < 0);
  }

  void integerValues_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "42" << 42;
    QTest::newRow("negative") << "-7" << -7;
    QTest::newRow("leading blank") << " 5" << 5;
    QTest::newRow("trailing blank") << "5 " << 0;
    QTest::newRow("hex") << "$1F" << 31;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("word") << "ten" << 0;
    QTest::newRow("too large") << "4294967296" << 0;
  }
  void integerValues() {
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(TMyListView::IntValue(text), value);
  }

  void selectionSurvivesSorting() {
    TMyListView list;
    Fill(list, {{"b"}, {"a"}, {"c"}});
    list.setCurrentItem(list.topLevelItem(0));
    list.SortByColumn(0);
    QCOMPARE(list.currentItem()->text(0), QString("b"));
    QVERIFY(list.currentItem()->isSelected());
  }

  void missingRowsCompareEqual() {
    TMyListView list;
    Fill(list, {{"a"}});
    list.SortByColumn(0);
    QCOMPARE(list.CompareRows(list.topLevelItem(0), nullptr, 0), 0);
  }
};

QTEST_MAIN(MyListViewTest)
#include "MyListViewTest.moc"
