#include "MyListView.h"

#include <QStyle>
#include <algorithm>

#include "platform/CodePage.h"

namespace libview {

namespace {

std::string FoldedBytes(const QString& s) {
  std::string bytes = platform::Utf16ToCodePage(std::u16string_view(reinterpret_cast<const char16_t*>(s.utf16()), static_cast<std::size_t>(s.size())));
  for (char& c : bytes)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return bytes;
}

}  // namespace

TSortHeader::TSortHeader(TMyListView* list) : QHeaderView(Qt::Horizontal, list), list_(list) {
  setSectionsClickable(true);
  setHighlightSections(false);
  connect(this, &QHeaderView::sectionClicked, list, [list](int column) { list->HeaderClicked(column); });
  // The marks are painted from the tags, so a width change keeps them; refreshing the column
  // after a drag or a divider double-click repaints it in its new place.
  connect(this, &QHeaderView::sectionResized, list, [list](int column, int, int) { list->DividerDragEnded(column); });
  connect(this, &QHeaderView::sectionHandleDoubleClicked, list, [list](int column) { list->UpdateHeaderMark(column); });
}

void TSortHeader::initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const {
  QHeaderView::initStyleOptionForIndex(option, logicalIndex);
  int mark = list_->HeaderMark(logicalIndex);
  const auto& images = list_->HeaderImages();
  if (mark < 0 || mark >= static_cast<int>(images.size())) return;
  // The mark stands at the right of the section, the caption before it.
  option->icon = images[static_cast<std::size_t>(mark)];
  option->iconAlignment = Qt::AlignRight | Qt::AlignVCenter;
  // The style moves only the left edge of the caption for the image; a right-aligned caption
  // is kept clear of it with trailing blanks, a left-aligned one in a narrow column is shortened.
  int needed = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this) + 4;
  if (option->textAlignment & Qt::AlignRight) {
    int blank = std::max(1, fontMetrics().horizontalAdvance(QLatin1Char(' ')));
    option->text += QString((needed + blank - 1) / blank, QLatin1Char(' '));
  } else {
    const int room = sectionSize(logicalIndex) - 2 * needed - 4;
    option->text = fontMetrics().elidedText(option->text, Qt::ElideRight, std::max(room, 0));
  }
}

TMyListView::TMyListView(QWidget* parent) : QTreeWidget(parent) {
  setHeader(new TSortHeader(this));
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  // The view's own sorting stays off (it would turn the header's clicks off with it).
  setSortingEnabled(false);
  header()->setSectionsClickable(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
}

void TMyListView::SetHeaderImages(const std::vector<QIcon>& images) {
  images_ = images;
  header()->viewport()->update();
}

int TMyListView::ColumnTag(int column) const {
  return column >= 0 && column < static_cast<int>(tags_.size()) ? tags_[static_cast<std::size_t>(column)] : 0;
}

void TMyListView::SetColumnTag(int column, int tag) {
  if (column < 0) return;
  if (column >= static_cast<int>(tags_.size())) tags_.resize(static_cast<std::size_t>(column) + 1, 0);
  tags_[static_cast<std::size_t>(column)] = tag;
}

int TMyListView::HeaderMark(int column) const {
  return column >= 0 && column < static_cast<int>(marks_.size()) ? marks_[static_cast<std::size_t>(column)] : -1;
}

void TMyListView::SortByColumn(int column) {
  for (int k = 0; k < columnCount(); ++k) {
    if (k == column) {
      SetColumnTag(k, ColumnTag(k) == 0 ? 1 : -ColumnTag(k));
      UpdateHeaderMark(k);
    } else if (ColumnTag(k) != 0) {
      SetColumnTag(k, 0);
      UpdateHeaderMark(k);
    }
  }
  Sort(column);
}

void TMyListView::UpdateHeaderMark(int column) {
  if (column < 0) return;
  if (column >= static_cast<int>(marks_.size())) marks_.resize(static_cast<std::size_t>(column) + 1, -1);
  int tag = ColumnTag(column);
  int& mark = marks_[static_cast<std::size_t>(column)];
  if (tag == -1)
    mark = 0;
  else if (tag == 1)
    mark = 1;
  else if (tag == 0)
    mark = -1;
  header()->viewport()->update();
}

int TMyListView::IntValue(const QString& text) {
  QString t = text;
  while (!t.isEmpty() && t.front().isSpace()) t.remove(0, 1);
  bool ok = false;
  int v = 0;
  if (t.startsWith('$'))
    v = t.mid(1).toInt(&ok, 16);
  else if (!t.isEmpty() && !t.back().isSpace())
    v = t.toInt(&ok, 10);
  return ok ? v : 0;
}

int TMyListView::CompareText(const QString& a, const QString& b) {
  int r = FoldedBytes(a).compare(FoldedBytes(b));
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int TMyListView::CompareRows(const QTreeWidgetItem* row1, const QTreeWidgetItem* row2, int c) const {
  if (!row1 || !row2) return 0;
  int result;
  if (IsNumericColumn(c)) {
    int v1 = IntValue(row1->text(c)), v2 = IntValue(row2->text(c));
    result = v1 > v2 ? 1 : (v1 < v2 ? -1 : 0);
  } else {
    result = CompareText(row1->text(c), row2->text(c));
  }
  return result * ColumnTag(c);
}

void TMyListView::Sort(int column) {
  const int tag = ColumnTag(column);
  QTreeWidgetItem* current = currentItem();
  QList<QTreeWidgetItem*> selected = selectedItems();
  QList<QTreeWidgetItem*> rows = invisibleRootItem()->takeChildren();
  if (tag != 0) {
    // The keys are computed once per row rather than once per comparison.
    const bool numeric = IsNumericColumn(column);
    struct Keyed {
      QTreeWidgetItem* Row;
      int Number;
      std::string Text;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(static_cast<std::size_t>(rows.size()));
    for (QTreeWidgetItem* row : rows)
      keyed.push_back({row, numeric ? IntValue(row->text(column)) : 0, numeric ? std::string() : FoldedBytes(row->text(column))});
    std::stable_sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
      int r = numeric ? (a.Number > b.Number) - (a.Number < b.Number) : a.Text.compare(b.Text);
      return (r < 0 ? -1 : (r > 0 ? 1 : 0)) * tag < 0;
    });
    rows.clear();
    for (const Keyed& k : keyed) rows.append(k.Row);
  }
  invisibleRootItem()->addChildren(rows);
  // Taking the rows out dropped the selection; the user's row stays selected and in view.
  for (QTreeWidgetItem* row : selected) row->setSelected(true);
  if (current) {
    setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    scrollToItem(current);
  }
}

Qt::Alignment TMyListView::ColumnAlignment(int column) const {
  return Qt::Alignment(headerItem()->textAlignment(column)) & Qt::AlignHorizontal_Mask;
}

bool TMyListView::IsNumericColumn(int column) const {
  // The caption column and left-aligned columns hold text; right-aligned and centred ones numbers.
  Qt::Alignment align = ColumnAlignment(column);
  return column > 0 && align != 0 && !(align & (Qt::AlignLeft | Qt::AlignJustify));
}

void TMyListView::HeaderClicked(int column) { SortByColumn(column); }

void TMyListView::DividerDragEnded(int column) {
  // Widths set before the first fit are the designed ones, not the user's.
  if (!fitting_ && fitted_ && column >= 0) {
    if (userSized_.size() <= static_cast<std::size_t>(column)) userSized_.resize(static_cast<std::size_t>(column) + 1);
    userSized_[static_cast<std::size_t>(column)] = true;
  }
  if (ColumnTag(column) != 0) UpdateHeaderMark(column);
}

bool TMyListView::UserSized(int column) const {
  return column >= 0 && static_cast<std::size_t>(column) < userSized_.size() && userSized_[static_cast<std::size_t>(column)];
}

int TMyListView::ContentWidth(int column, int iconRoom) const {
  const QFontMetrics caption(header()->font()), cells(font());
  // The caption as the header draws it (its font, margins and sort indicator), with room for the
  // mark drawn right of it.
  int width = std::max(caption.horizontalAdvance(headerItem()->text(column)) + 24, header()->sectionSizeHint(column) + 16);
  // Only the longest texts can be the widest; wide (double-width) characters count twice.
  constexpr int kMeasured = 64;
  std::vector<std::pair<int, const QTreeWidgetItem*>> longest;
  for (int i = 0; i < topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = topLevelItem(i);
    const QString text = item->text(column);
    int weight = 0;
    for (QChar c : text) weight += c.unicode() >= 0x1100 ? 2 : 1;
    longest.emplace_back(weight, item);
    if (longest.size() > 4 * kMeasured) {
      std::nth_element(longest.begin(), longest.begin() + kMeasured, longest.end(),
                       [](const auto& a, const auto& b) { return a.first > b.first; });
      longest.resize(kMeasured);
    }
  }
  // Measured as the rows draw them: the item delegate knows the font, the icon and the margins.
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  for (const auto& [weight, item] : longest) {
    const QModelIndex index = indexFromItem(item, column);
    int w = itemDelegateForIndex(index)->sizeHint(option, index).width() + 4;
    if (column == 0) w += iconRoom + (rootIsDecorated() ? indentation() : 0);
    width = std::max(width, std::max(w, cells.horizontalAdvance(item->text(column)) + 12));
  }
  return std::clamp(width, MinColumnWidth, MaxColumnWidth);
}

void TMyListView::FitColumnsToContents(int iconRoom) {
  fitting_ = true;
  int total = 0;
  for (int c = 0; c < columnCount(); ++c) {
    if (!UserSized(c)) setColumnWidth(c, ContentWidth(c, iconRoom));
    total += columnWidth(c);
  }
  const int spare = viewport()->width() - total;
  if (spare > 0 && !UserSized(0)) setColumnWidth(0, columnWidth(0) + spare);
  fitting_ = false;
  fitted_ = true;
}

}  // namespace libview
