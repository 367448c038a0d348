// TMyListView: the report-style list of the library frame, sorted by a clicked column header.
//
// A click on a header sorts the rows by that column, ascending first and then toggling, with the
// sort mark drawn right of the header text. Right-aligned and centred columns compare as
// integers, the others as text folded to one case for the ASCII letters only. Each column's sort
// state is its tag: 0 not sorted, 1 ascending, -1 descending.
#pragma once

#include <QHeaderView>
#include <QIcon>
#include <QTreeWidget>
#include <vector>

namespace libview {

class TMyListView;

// The header: shows the column's mark image at the right of the section and reports clicks and
// width changes to the list.
class TSortHeader : public QHeaderView {
  Q_OBJECT
 public:
  explicit TSortHeader(TMyListView* list);

 protected:
  void initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const override;

 private:
  TMyListView* list_;
};

class TMyListView : public QTreeWidget {
  Q_OBJECT
 public:
  explicit TMyListView(QWidget* parent = nullptr);

  // Image 0 is the descending mark, image 1 the ascending one; an empty list removes the marks.
  void SetHeaderImages(const std::vector<QIcon>& images);

  void SortByColumn(int column);
  void UpdateHeaderMark(int column);

  // Negative, zero or positive as row 1 sorts before, with or after row 2 by column `c`, under
  // the column's current tag.
  int CompareRows(const QTreeWidgetItem* row1, const QTreeWidgetItem* row2, int c) const;

  int ColumnTag(int column) const;
  void SetColumnTag(int column, int tag);
  // The image index shown in a header: 0 descending, 1 ascending, -1 none.
  int HeaderMark(int column) const;
  const std::vector<QIcon>& HeaderImages() const { return images_; }

  // Sizes every column the user has not sized by hand to its contents (caption and sort mark,
  // cells, the first column's icon room), between MinColumnWidth and MaxColumnWidth; room left
  // in the viewport goes to the first column. Long lists are measured by their longest texts.
  void FitColumnsToContents(int iconRoom = 0);
  bool UserSized(int column) const;
  static constexpr int MinColumnWidth = 36;
  static constexpr int MaxColumnWidth = 360;

  Qt::Alignment ColumnAlignment(int column) const;
  bool IsNumericColumn(int column) const;

  // The integer value of a cell: 0 when the text is not a valid 32-bit integer.
  static int IntValue(const QString& text);
  // Ordinal comparison of the code-page bytes after folding ASCII a-z to upper case.
  static int CompareText(const QString& a, const QString& b);

 private:
  friend class TSortHeader;
  void HeaderClicked(int column);
  void DividerDragEnded(int column);
  void Sort(int column);

  int ContentWidth(int column, int iconRoom) const;

  std::vector<int> tags_;
  std::vector<int> marks_;
  std::vector<bool> userSized_;
  bool fitting_ = false;
  bool fitted_ = false;
  std::vector<QIcon> images_;
};

}  // namespace libview
