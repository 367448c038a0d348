#include "libview/ListView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace libview {

// ---- TListView ------------------------------------------------------------------------------

TListView::TListView(QWidget* parent) : TMyListView(parent) {}

QColor TListView::SelectedUnfocused(const QColor& highlight) {
  // Three parts the selection colour, one part mid grey.
  return QColor((3 * highlight.red() + 128) / 4, (3 * highlight.green() + 128) / 4, (3 * highlight.blue() + 128) / 4);
}

int TListView::RowIndex(const QTreeWidgetItem& item) { return item.data(0, kIndexRole).toInt(); }
int TListView::RowImage(const QTreeWidgetItem& item) { return item.data(0, kImageRole).toInt(); }

QTreeWidgetItem* TListView::Selected() const {
  int first = -1;
  for (const QModelIndex& index : selectionModel()->selectedRows())
    if (first < 0 || index.row() < first) first = index.row();
  return first < 0 ? nullptr : topLevelItem(first);
}

void TListView::drawRow(QPainter* painter, const QStyleOptionViewItem& given, const QModelIndex& index) const {
  QTreeWidgetItem* item = itemFromIndex(index);
  // A selected row is drawn in the selection colour whatever its status colour, in both focus
  // states: without the focus a little lighter, never as pale as the status colours.
  QStyleOptionViewItem options = given;
  const QColor highlight = palette().color(QPalette::Active, QPalette::Highlight);
  options.palette.setColor(QPalette::Active, QPalette::Highlight, highlight);
  options.palette.setColor(QPalette::Inactive, QPalette::Highlight, SelectedUnfocused(highlight));
  options.palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                           palette().color(QPalette::Active, QPalette::HighlightedText));
  auto* self = const_cast<TListView*>(this);
  QRect row(header()->sectionViewportPosition(0), options.rect.top(), header()->length(), options.rect.height());
  if (item && OnCustomDrawItem) {
    painter->save();
    painter->setBrush(palette().brush(QPalette::Base));
    OnCustomDrawItem(*self, *painter, *item, row);
    painter->restore();
  }
  TMyListView::drawRow(painter, options, index);
  if (item && OnCustomDrawItemAfter) {
    painter->save();
    OnCustomDrawItemAfter(*self, *painter, *item, row);
    painter->restore();
  }
}

void TListView::mouseDoubleClickEvent(QMouseEvent* event) {
  TMyListView::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton) emit DblClick();
}

void TListView::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
    event->accept();
    emit DblClick();
    return;
  }
  TMyListView::keyPressEvent(event);
}

namespace {

QStringList RowTexts(const QTreeWidgetItem* row) {
  QStringList texts;
  if (!row) return texts;
  for (int c = 0; c < row->columnCount(); ++c) texts << row->text(c);
  return texts;
}

// The row of a refilled list that stood for `texts`: the same name (first column) and type
// (icon); the other columns may have changed with the classification.
QTreeWidgetItem* FindRow(const QTreeWidget& list, const QStringList& texts) {
  if (texts.isEmpty()) return nullptr;
  QTreeWidgetItem* byName = nullptr;
  for (int i = 0; i < list.topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = list.topLevelItem(i);
    if (row->text(0) != texts[0]) continue;
    if (RowTexts(row) == texts) return row;
    if (!byName) byName = row;
  }
  return byName;
}

}  // namespace

TListPlace PlaceOf(const TListView& list) {
  TListPlace place;
  for (const QTreeWidgetItem* row : list.selectedItems()) place.Selected << RowTexts(row);
  place.Current = RowTexts(list.currentItem());
  place.Top = RowTexts(list.itemAt(QPoint(1, 1)));
  return place;
}

void RestorePlace(TListView& list, const TListPlace& place) {
  list.clearSelection();
  if (QTreeWidgetItem* current = FindRow(list, place.Current))
    list.setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
  for (const QStringList& texts : place.Selected)
    if (QTreeWidgetItem* row = FindRow(list, texts)) row->setSelected(true);
  if (QTreeWidgetItem* top = FindRow(list, place.Top)) list.scrollToItem(top, QAbstractItemView::PositionAtTop);
}

}  // namespace libview
