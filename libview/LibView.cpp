#include "libview/LibView.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <numeric>

#include "compare/Structured.h"
#include "editor/QtColor.h"
#include "libview/Paths.h"
#include "libview/Results.h"
#include "platform/CodePage.h"
#include "platform/Collation.h"
#include "platform/FileSys.h"
#include "views/Artwork.h"

using pbl::TDirList;
using pbl::TEntryRec;
using pbl::TKeyed;
using editor::ToQColor;

namespace libview {

namespace fs = std::filesystem;

using compare::Side1;
using compare::Side2;
using compare::TSide;
using views::TCommandId;
using views::TSideCommand;

namespace {

constexpr int kSide1Newer = 12;
constexpr int kSide2Newer = 13;

// The result words of the lists (ResultWords(), in result order) in the user's language.
[[maybe_unused]] constexpr const char* kResultWordTexts[] = {
    QT_TRANSLATE_NOOP("Results", "相同"), QT_TRANSLATE_NOOP("Results", "增加"), QT_TRANSLATE_NOOP("Results", "减少"),
    QT_TRANSLATE_NOOP("Results", "更改")};
TResultWords ShownResultWords() {
  TResultWords words;
  for (std::size_t i = 0; i < words.size(); ++i)
    words[i] = QCoreApplication::translate("Results", ResultWords()[i].c_str()).toStdString();
  return words;
}

}  // namespace

// ---- construction ---------------------------------------------------------------------------

QString TLibFrame::LibraryFilter() {
  return tr(
      "PowerBuilder Library Files(*.pbl)|*.pbl|PowerBuilder Target(*.pbt)|*.pbt|PowerBuilder WorkSpace(*.pbw)|*.pbw");
}

namespace {
const QString kOneLibraryFilter = "PowerBuilder Library Files(*.pbl)|*.pbl";
}  // namespace

TLibFrame::TLibFrame(views::TViewHost& host, QWidget* parent) : QWidget(parent), Host(host) {
  setObjectName("LibFrame");
  QFont f(QString::fromUtf8("宋体"));
  f.setPixelSize(12);
  setFont(f);
  setAutoFillBackground(true);

  ImageList1 = QPixmap(26, 16);
  ImageList1.fill(Qt::transparent);
  ImageList2 = artwork::SortMarkImages();
  ImageList3 = artwork::RowImages();

  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  pnlMain = new QWidget(this);
  pnlMain->setObjectName("pnlMain");
  outer->addWidget(pnlMain);
  auto* column = new QVBoxLayout(pnlMain);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  CreateToolBar();
  column->addWidget(ToolBar1);
  column->addWidget(CreateLists(), 1);
  CreateOpenDialog();
}

QWidget* TLibFrame::CreateLists() {
  auto* lists = new QWidget(pnlMain);
  auto* cell = new QGridLayout(lists);
  cell->setContentsMargins(0, 0, 0, 0);
  lvLibs = CreateList(lists, "lvLibs",
                      {{QT_TR_NOOP("库文件列表"), 170, false},
                       {QT_TR_NOOP("比较结果"), 100, false},
                       {QT_TR_NOOP("修改时间1"), 120, false},
                       {QT_TR_NOOP("大小1"), 80, true},
                       {QT_TR_NOOP("修改时间2"), 120, false},
                       {QT_TR_NOOP("大小2"), 80, true}});
  lvObjs = CreateList(lists, "lvObjs",
                      {{QT_TR_NOOP("对象名称"), 150, false},
                       {QT_TR_NOOP("比较结果"), 100, false},
                       {QT_TR_NOOP("时间1"), 120, false},
                       {QT_TR_NOOP("大小1"), 80, true},
                       {QT_TR_NOOP("时间2"), 120, false},
                       {QT_TR_NOOP("大小2"), 80, true},
                       {QT_TR_NOOP("类型标志"), 50, false},
                       {QT_TR_NOOP("变化类型"), 80, false}});
  QPalette tip = lvObjs->palette();
  tip.setColor(QPalette::Base, tip.color(QPalette::ToolTipBase));
  lvObjs->setPalette(tip);
  SetUpObjectMenu();
  cell->addWidget(lvObjs, 0, 0);
  cell->addWidget(lvLibs, 0, 0);

  connect(lvLibs->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this](const QItemSelection& selected, const QItemSelection& deselected) {
            if (filling_) return;
            // Deselections first, as the rows are told one by one: the row selected last wins.
            for (const QModelIndex& i : deselected.indexes())
              if (i.column() == 0)
                if (QTreeWidgetItem* item = lvLibs->ItemAt(i)) lvLibsSelectItem(item, false);
            for (const QModelIndex& i : selected.indexes())
              if (i.column() == 0)
                if (QTreeWidgetItem* item = lvLibs->ItemAt(i)) lvLibsSelectItem(item, true);
          });
  return lists;
}

void TLibFrame::CreateOpenDialog() {
  OpenDialog1 = new QFileDialog(this);
  OpenDialog1->setObjectName("OpenDialog1");
  OpenDialog1->setOption(QFileDialog::DontUseNativeDialog);
  OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
  OpenDialog1->setSizeGripEnabled(true);
  connect(OpenDialog1, &QFileDialog::filterSelected, this, [this](const QString& filter) {
    int i = static_cast<int>(OpenDialog1->nameFilters().indexOf(filter));
    if (i >= 0 && OpenDialog1->nameFilters().size() > 1) OpenDialog1TypeChange(i + 1);
  });

  ChooseFolder = [this](TSide side) {
    return QFileDialog::getExistingDirectory(Host.DialogParent(), tr("添加文件夹 %1").arg(side + 1),
                                             QString::fromStdString(Host.Folder(side).string()));
  };
  AskGitSide = [this](TSide side) { return AskGitSideDialog(Host.DialogParent(), side); };
  ExecuteOpenDialog = [this]() -> QStringList {
    if (OpenDialog1->exec() != QDialog::Accepted) return {};
    return OpenDialog1->selectedFiles();
  };
}

TLibFrame::~TLibFrame() = default;

void TLibFrame::CreateToolBar() {
  ToolBar1 = new QWidget(pnlMain);
  ToolBar1->setObjectName("ToolBar1");
  ToolBar1->setFixedHeight(29);
  auto* row = new QHBoxLayout(ToolBar1);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  auto combo = [this](const char* name) {
    auto* box = new QComboBox(ToolBar1);
    box->setObjectName(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(1);
    box->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return box;
  };
  auto button = [this](const char* name) {
    auto* b = new QToolButton(ToolBar1);
    b->setObjectName(name);
    b->setAutoRaise(true);
    static const std::vector<QPixmap> images = artwork::DisabledToolbarImages();
    if (images.size() > 6) b->setIcon(QIcon(images[6]));
    b->setIconSize(QSize(16, 16));
    b->setFixedSize(23, 22);
    return b;
  };
  static const std::vector<QPixmap> sideImages = artwork::SideButtonImages();
  auto sideButton = [&](const char* name, int image, const QString& hint) {
    QToolButton* b = button(name);
    b->setIcon(QIcon(sideImages[static_cast<std::size_t>(image)]));
    b->setToolTip(hint);
    return b;
  };
  for (TSide side : compare::AllSides) {
    const std::string n = std::to_string(side + 1);
    cbOpen[side] = combo(("cbOpen" + n).c_str());
    tbFolder[side] = sideButton(("tbFolder" + n).c_str(), 0, tr("添加文件夹 %1…").arg(side + 1));
    tbRevision[side] = sideButton(("tbRevision" + n).c_str(), 1, tr("添加 git 版本 %1…").arg(side + 1));
    tbClear[side] = button(("tbClear" + n).c_str());
    for (QWidget* w : std::initializer_list<QWidget*>{cbOpen[side], tbFolder[side], tbRevision[side], tbClear[side]})
      row->addWidget(w, 0, Qt::AlignVCenter);
    connect(tbClear[side], &QToolButton::clicked, this, [this, side] { Guarded([this, side] { ClearClick(side); }); });
    connect(tbFolder[side], &QToolButton::clicked, this, [this, side] { Guarded([this, side] { AddFolderClick(side); }); });
    connect(tbRevision[side], &QToolButton::clicked, this, [this, side] { Guarded([this, side] { AddRevisionClick(side); }); });
  }
  row->addStretch(1);
  ToolBar1->installEventFilter(this);
}

TListView* TLibFrame::CreateList(QWidget* parent, const char* name,
                                 const std::vector<std::tuple<const char*, int, bool>>& columns) {
  auto* list = new TListView(parent);
  list->setObjectName(name);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setIconSize(ImageList1.size());
  list->header()->setStretchLastSection(false);
  list->header()->setSectionsMovable(false);
  list->setColumnCount(static_cast<int>(columns.size()));
  QStringList captions;
  for (const auto& c : columns) captions << tr(std::get<0>(c));
  list->setHeaderLabels(captions);
  for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
    const auto& c = columns[static_cast<std::size_t>(i)];
    list->setColumnWidth(i, std::get<1>(c));
    list->headerItem()->setTextAlignment(i, (std::get<2>(c) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
  }
  list->OnCustomDrawItem = [this](TListView& sender, QPainter& canvas, const QTreeWidgetItem& item, const QRect& r) {
    lvLibsCustomDrawItem(sender, canvas, item, r);
  };
  list->OnCustomDrawItemAfter = [this](TListView& sender, QPainter& canvas, const QTreeWidgetItem& item,
                                       const QRect& r) { lvLibsCustomDrawItemAfter(sender, canvas, item, r); };
  connect(list, &TListView::DblClick, this, [this] { lvLibsDblClick(); });
  // The columns follow the list's width as its viewport has it after a resize (the list's own
  // resize event comes before the viewport is laid out); a list resized while hidden gets the
  // event when it is shown again.
  list->viewport()->installEventFilter(this);
  return list;
}

// ---- lifecycle ------------------------------------------------------------------------------

void TLibFrame::InitFrame() {
  std::vector<QIcon> marks(ImageList2.begin(), ImageList2.end());
  lvLibs->SetHeaderImages(marks);
  lvObjs->SetHeaderImages(marks);
  lvLibs->SortByColumn(0);
  lvLibs->clear();
  model_.Reset();
  // The comparison reads the check marks as they are at every check; its search steps are where
  // the user interface stays alive during a pairing.
  model_.Options = [this] { return Host.Options().Compare; };
  model_.OnStep = [] { QCoreApplication::processEvents(); };
  filterIndex_ = 1;
  exeDir_ = Host.StateFolder();
  for (TSide side : compare::AllSides) LoadHistory(cbOpen[side], HistoryFile(side));
  viewMode_ = 0;
  // The columns are fitted to the lists' widths once those are known: now when the frame is
  // shown, otherwise when it first is.
  if (isVisible())
    FitColumns();
  else
    columnsToFit_ = true;
}

void TLibFrame::ReleaseFrame() { model_.Reset(); }

void TLibFrame::FitColumns() {
  lvLibsResize(*lvLibs);
  lvLibsResize(*lvObjs);
}

void TLibFrame::lvLibsResize(TMyListView& View) { View.FitColumnsToContents(); }

void TLibFrame::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!columnsToFit_) return;
  columnsToFit_ = false;
  // After the layouts have given the lists their sizes.
  QTimer::singleShot(0, this, [this] { FitColumns(); });
}

bool TLibFrame::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ToolBar1 && event->type() == QEvent::Resize) ToolBar1Resize();
  // The columns follow the window's size.
  if (event->type() == QEvent::Resize || event->type() == QEvent::Show)
    for (TListView* list : {lvLibs, lvObjs})
      if (list && watched == list->viewport()) lvLibsResize(*list);
  return QWidget::eventFilter(watched, event);
}

void TLibFrame::ToolBar1Resize() {
  const int w = std::max(0, ToolBar1->width() / compare::SideCount - tbClear[Side1]->width() -
                                tbFolder[Side1]->width() - tbRevision[Side1]->width());
  for (TSide side : compare::AllSides) cbOpen[side]->setFixedWidth(w);
}

// ---- shared commands ------------------------------------------------------------------------

void TLibFrame::BindOpen(void (TLibFrame::*handler)(TSide), const char* caption) {
  for (TSide side : compare::AllSides) {
    Host.Bind(TCommandId(TSideCommand::Open, side),
              [this, handler, side] { Guarded([&] { (this->*handler)(side); }); });
    Host.SetCaption(TCommandId(TSideCommand::Open, side), tr(caption).arg(side + 1));
  }
}

void TLibFrame::ActivateLibList() {
  BindOpen(&TLibFrame::OpenLibsClick, QT_TR_NOOP("打开PB库文件 %1"));
  for (TSide side : compare::AllSides) {
    Host.Bind(TCommandId(TSideCommand::AddFolder, side),
              [this, side] { Guarded([this, side] { AddFolderClick(side); }); });
    Host.Bind(TCommandId(TSideCommand::AddRevision, side),
              [this, side] { Guarded([this, side] { AddRevisionClick(side); }); });
  }
  lvLibs->raise();
  viewMode_ = 0;
  Host.ShowCounts(model_.LibraryCounts());
}

void TLibFrame::ActivateObjList() {
  BindOpen(&TLibFrame::OpenOneLibClick, QT_TR_NOOP("打开一个PB库文件 %1"));
  lvObjs->raise();
  viewMode_ = 1;
  for (TSide side : compare::AllSides) cbOpen[side]->setEditText(PathQ(model_.LibraryPath(side)));
  Host.ShowCounts(model_.ObjectCounts());
}

// Runs a user command: errors are shown, not thrown into the toolkit, and damage found while
// reading is told once the command is done.
void TLibFrame::Guarded(const std::function<void()>& action) {
  model_.BeginCommand();
  try {
    action();
  } catch (const std::exception& e) {
    model_.TakeNotes();
    Host.ShowError(e);
    return;
  }
  ReportDamage();
}

QString TLibFrame::DescribeReport(const pbl::TReadReport& report) {
  // pbl::TReadReport::Describe in the user's language: the first few faults tell the story.
  constexpr std::size_t kShown = 10;
  QStringList faults;
  for (std::size_t i = 0; i < report.Issues.size() && i < kShown; ++i) {
    const pbl::TReadIssue& issue = report.Issues[i];
    const char* what = "";
    switch (issue.Kind) {
      case pbl::TReadProblem::NoHeader: what = QT_TR_NOOP("no library header"); break;
      case pbl::TReadProblem::Truncated: what = QT_TR_NOOP("truncated"); break;
      case pbl::TReadProblem::BadOffset: what = QT_TR_NOOP("offset out of range"); break;
      case pbl::TReadProblem::NodeLoop: what = QT_TR_NOOP("directory node read twice"); break;
      case pbl::TReadProblem::Overlap: what = QT_TR_NOOP("directory records overlap"); break;
      case pbl::TReadProblem::ChainLoop: what = QT_TR_NOOP("block chain loops"); break;
      case pbl::TReadProblem::BlockTooLong: what = QT_TR_NOOP("block longer than 502 bytes"); break;
      case pbl::TReadProblem::SizeExceeded: what = QT_TR_NOOP("data longer than the entry's size"); break;
    }
    faults << (issue.Kind == pbl::TReadProblem::NoHeader ? tr(what)
                                                         : tr("%1 at offset %2").arg(tr(what)).arg(issue.Offset));
  }
  if (report.Issues.size() > kShown) faults << tr("and %1 more").arg(report.Issues.size() - kShown);
  return faults.join(tr("; "));
}

void TLibFrame::ReportDamage() {
  QStringList lines;
  for (const compare::TReadNote& note : model_.TakeNotes())
    lines << (note.Problem         ? DescribeProblem(*note.Problem)
              : note.Report.Clean() ? Utf8(note.What)
                                    : Utf8(note.What) + ": " + DescribeReport(note.Report));
  if (!lines.isEmpty()) Host.ShowError(platform::TFileError(lines.join('\n').toStdString()));
}

std::vector<QWidget*> TLibFrame::SideButtons() const {
  std::vector<QWidget*> buttons;
  for (const auto* row : {&tbClear, &tbFolder, &tbRevision})
    for (QToolButton* b : *row) buttons.push_back(b);
  return buttons;
}

void TLibFrame::BeginPairing() {
  if (pairing_++ > 0) return;
  for (QWidget* w : SideButtons()) w->setEnabled(false);
  for (TSide side : compare::AllSides) Host.SetEnabled(TCommandId(TSideCommand::Open, side), false);
  // Nor may the view change under the pairing: its end shows its own list.
  Host.HoldViewSwitches(true);
}

void TLibFrame::EndPairing() {
  if (--pairing_ > 0) return;
  for (QWidget* w : SideButtons()) w->setEnabled(true);
  for (TSide side : compare::AllSides) Host.SetEnabled(TCommandId(TSideCommand::Open, side), true);
  Host.HoldViewSwitches(false);
}

void TLibFrame::CompareLibraries() {
  std::size_t longest = 0;
  for (TSide side : compare::AllSides) longest = std::max(longest, model_.Libraries(side).size());
  const int maximum = static_cast<int>(longest);
  Host.ShowProgress(0, maximum, QString());
  // However the pairing ends, the progress goes away with it.
  struct THideProgress {
    views::TViewHost& Host;
    ~THideProgress() { Host.HideProgress(); }
  } hide{Host};
  TPairingScope busy(*this);
  model_.OnProgress = [this, maximum](std::size_t i, int percent) {
    Host.ShowProgress(std::min(static_cast<int>(i), maximum), maximum, tr("Approx. %1% complete").arg(percent));
  };
  try {
    model_.PairLibraries();
  } catch (...) {
    // The rows no longer match the pairs: a double-click must not reach a pair from before. The
    // next add or clear pairs the lists afresh.
    filling_ = true;
    lvLibs->clear();
    filling_ = false;
    throw;
  }
}

// ---- the rows -------------------------------------------------------------------------------

template <class Rows>
void TLibFrame::AddRowsByCaption(TListView& list, Rows rows) {
  // The list keeps its rows sorted by caption as they are added (locale order without case).
  std::vector<std::u16string> captions;
  captions.reserve(rows.size());
  for (QTreeWidgetItem* row : rows) {
    QString c = row->text(0);
    captions.emplace_back(reinterpret_cast<const char16_t*>(c.utf16()), static_cast<std::size_t>(c.size()));
  }
  std::vector<std::size_t> order(rows.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return platform::CompareUnicodeNoCase(captions[a], captions[b]) < 0;
  });
  QList<QTreeWidgetItem*> sorted;
  sorted.reserve(static_cast<qsizetype>(rows.size()));
  for (std::size_t i : order) sorted.append(rows[i]);
  list.addTopLevelItems(sorted);
}

namespace {

template <std::size_t N>
QTreeWidgetItem* NewRow(const std::array<std::string, N>& cells, std::size_t index, int result, int image,
                        const QIcon& blank, const QTreeWidget& list) {
  auto* item = new QTreeWidgetItem;
  for (std::size_t c = 0; c < N; ++c) {
    const int col = static_cast<int>(c);
    item->setText(col, QString::fromStdString(platform::ShowControls(cells[c])));
    item->setTextAlignment(col, Qt::Alignment(list.headerItem()->textAlignment(col)));
  }
  item->setIcon(0, blank);
  item->setData(0, kIndexRole, static_cast<int>(index));
  item->setData(0, kImageRole, image);
  item->setData(0, kResultRole, result);
  return item;
}

}  // namespace

void TLibFrame::ShowLibraries() {
  filling_ = true;
  lvLibs->clear();
  const TPairing& pairs = model_.LibraryPairs();
  const TLibSelection &one = model_.Libraries(Side1), &two = model_.Libraries(Side2);
  std::vector<QTreeWidgetItem*> rows;
  rows.reserve(pairs.size());
  const QIcon blank(ImageList1);
  const TResultWords words = ShownResultWords();
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    const TKeyed<TFolderRec>* shown = ItemOf(one, pairs[i], Side1);
    if (!shown) shown = ItemOf(two, pairs[i], Side2);
    rows.push_back(NewRow(LibraryRowCells(one, two, pairs[i], words), i, pairs[i].Result,
                          shown ? KindImage(*shown->Rec) : 0, blank, *lvLibs));
  }
  AddRowsByCaption(*lvLibs, rows);
  filling_ = false;
  lvLibsResize(*lvLibs);
  viewMode_ = 0;
  Host.ShowCounts(model_.LibraryCounts());
}

void TLibFrame::ShowObjects() {
  filling_ = true;
  lvObjs->clear();
  const TPairing& pairs = model_.ObjectPairs();
  const TDirList &one = model_.Objects(Side1), &two = model_.Objects(Side2);
  std::vector<QTreeWidgetItem*> rows;
  rows.reserve(pairs.size());
  const QIcon blank(ImageList1);
  const TResultWords words = ShownResultWords();
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    const TKeyed<TEntryRec>* typed = ItemOf(two, pairs[i], Side2);
    if (!typed) typed = ItemOf(one, pairs[i], Side1);
    const int image = !typed || typed->Key.empty() ? 0 : TypeImage(typed->Key[0]);
    rows.push_back(NewRow(ObjectRowCells(one, two, pairs[i], words), i, pairs[i].Result, image, blank, *lvObjs));
    rows.back()->setText(7, ChangeKindCaption(pairs[i].Kind));
  }
  AddRowsByCaption(*lvObjs, rows);
  // Sorted by type letter; the order by name stays within each letter.
  lvObjs->SetColumnTag(6, 0);
  lvObjs->SortByColumn(6);
  filling_ = false;
  lvLibsResize(*lvObjs);
  lvObjs->raise();
  viewMode_ = 1;
  Host.ShowCounts(model_.ObjectCounts());
}

QString TLibFrame::ChangeKindCaption(std::uint8_t kind) {
  // Only what the options can explain is named; a change of content needs no word.
  if (kind == 0 || (kind & compare::ckContent)) return QString();
  QStringList parts;
  for (auto [flag, name] : {std::pair{compare::ckOrder, QT_TR_NOOP("顺序")},
                            {compare::ckPosition, QT_TR_NOOP("位置和大小")},
                            {compare::ckDefaults, QT_TR_NOOP("迁移默认值")},
                            {compare::ckLayout, QT_TR_NOOP("格式")},
                            {compare::ckBlankLines, QT_TR_NOOP("空行")}})
    if (kind & flag) parts << tr(name);
  return tr("仅%1").arg(parts.join("+"));
}

int TLibFrame::KindImage(const TFolderRec& rec) {
  switch (sides::KindOf(rec)) {
    case sides::TLibKind::Folder: return 14;
    case sides::TLibKind::RevisionFile: return 15;
    case sides::TLibKind::RevisionFolder: return 16;
    default: return 0;
  }
}

int TLibFrame::TypeImage(char letter) {
  switch (letter) {
    case 'a': return 1;
    case 'd': return 2;
    case 'f': return 3;
    case 'j': return 11;
    case 'm': return 5;
    case 's': return 6;
    case 'u': return 7;
    case 'w': return 8;
    default: return 0;
  }
}

void TLibFrame::lvLibsCustomDrawItem(TListView& Sender, QPainter& Canvas, const QTreeWidgetItem& Item, const QRect& Rect) {
  const views::TViewColors colors = Host.Colors();
  const int result = Item.data(0, kResultRole).toInt();
  QBrush brush = Canvas.brush();
  if (result == crSame)
    brush = QColor(Qt::white);
  else if (result == crAdded || result == crDeleted || result == crChanged)
    brush = ToQColor(ResultColor(result, {colors.Add, colors.Del, colors.Mod}), Sender.palette());
  brush.setStyle(Qt::SolidPattern);
  Canvas.fillRect(Rect, brush);
}

// The icons are drawn once the row's texts are, so that a selected row's highlight leaves them
// visible; they lie in the room kept free at the left of the first column.
void TLibFrame::lvLibsCustomDrawItemAfter(TListView& Sender, QPainter& Canvas, const QTreeWidgetItem& Item,
                                          const QRect& Rect) {
  const int image = TListView::RowImage(Item);
  if (image >= 0 && image < static_cast<int>(ImageList3.size())) Canvas.drawPixmap(Rect.left() + 1, Rect.top(), ImageList3[static_cast<std::size_t>(image)]);
  const int result = Item.data(0, kResultRole).toInt();
  if (result != crChanged && result != crSame) return;
  // The time texts sort like the times they show.
  const int order = Item.text(2).compare(Item.text(4));
  if (order > 0)
    Canvas.drawPixmap(Rect.left() + 15, Rect.top(), ImageList3[kSide1Newer]);
  else if (order < 0)
    Canvas.drawPixmap(Rect.left() + 15, Rect.top(), ImageList3[kSide2Newer]);
}

}  // namespace libview
