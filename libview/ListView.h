// TListView: the list view of the library frame's two lists, with the frame's row drawing, the
// rows' index and icon, and a double-click notification.
#pragma once

#include <QColor>
#include <QStringList>
#include <functional>

#include "libview/MyListView.h"

namespace libview {

// The list views of the frame: TMyListView with the frame's row drawing and a double-click
// notification for any double-click on the list, also outside the rows, and for Enter.
class TListView : public TMyListView {
  Q_OBJECT
 public:
  explicit TListView(QWidget* parent = nullptr);

  // Paints one row: `before` runs before the list draws the row's texts, `after` once they are
  // drawn. `rowRect` spans all columns.
  std::function<void(TListView& sender, QPainter& canvas, const QTreeWidgetItem& item, const QRect& rowRect)>
      OnCustomDrawItem, OnCustomDrawItemAfter;

  // The rows' data values (their index in the aligned lists) and icons (image index in the
  // frame's ImageList3).
  static int RowIndex(const QTreeWidgetItem& item);
  static int RowImage(const QTreeWidgetItem& item);
  QTreeWidgetItem* ItemAt(const QModelIndex& index) const { return itemFromIndex(index); }
  // The selection colour of a row while the list has no focus.
  static QColor SelectedUnfocused(const QColor& highlight);
  // The first selected row in the order shown, or null.
  QTreeWidgetItem* Selected() const;

 signals:
  void DblClick();

 protected:
  void drawRow(QPainter* painter, const QStyleOptionViewItem& options, const QModelIndex& index) const override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  // Enter opens the selected row, as a double-click does.
  void keyPressEvent(QKeyEvent* event) override;
};


// Where the user is in a list: the rows selected and current (by their texts, which a refill
// keeps), and the row at the top; put back after the list is filled anew.
struct TListPlace {
  QList<QStringList> Selected;
  QStringList Current, Top;
};
TListPlace PlaceOf(const TListView& list);
void RestorePlace(TListView& list, const TListPlace& place);

// The item roles of a row: its index among the pairs, its image and its pair's result.
inline constexpr int kIndexRole = Qt::UserRole;
inline constexpr int kImageRole = Qt::UserRole + 1;
inline constexpr int kResultRole = Qt::UserRole + 2;

}  // namespace libview
