#include "libview/LibView.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <numeric>

#include "compare/Structured.h"
#include "editor/QtColor.h"
#include "platform/CodePage.h"
#include "platform/Collation.h"
#include "platform/FileSys.h"
#include "platform/TextFile.h"
#include "views/Artwork.h"

namespace fs = std::filesystem;

using compare::Side1;
using compare::Side2;
using compare::TSide;
using views::TCommand;

namespace {

constexpr int kIndexRole = Qt::UserRole;
constexpr int kImageRole = Qt::UserRole + 1;
constexpr int kResultRole = Qt::UserRole + 2;
constexpr int kSide1Newer = 12;
constexpr int kSide2Newer = 13;

// A path as the user would write it: without "dir/.." parts. Only for showing: files are opened
// by the path as the system resolves it (a symbolic link followed by ".." is not the same folder).
QString PathQ(const fs::path& p) { return QString::fromStdString(p.lexically_normal().string()); }
fs::path QPath(const QString& s) { return fs::path(s.toStdString()); }

// The folder part of a path, with its trailing separator.
fs::path FolderOf(const fs::path& p) { return p.parent_path() / ""; }

QString Utf8(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

// ---- the git side dialog ----------------------------------------------------------------------

// Asks for a revision of a git repository: the repository's folder (typed or chosen), the
// revision and the path in it. None for Cancel.
std::optional<TLibFrame::TGitSide> AskGitSideDialog(QWidget* parent, compare::TSide side) {
  QDialog dialog(parent);
  dialog.setWindowTitle(QString::fromUtf8("添加 git 版本 %1").arg(side + 1));
  auto* form = new QFormLayout(&dialog);
  auto* repository = new QLineEdit(QDir::currentPath(), &dialog);
  auto* browse = new QToolButton(&dialog);
  browse->setText("...");
  auto* repositoryRow = new QHBoxLayout;
  repositoryRow->addWidget(repository, 1);
  repositoryRow->addWidget(browse);
  auto* revision = new QLineEdit("HEAD", &dialog);
  auto* path = new QLineEdit(&dialog);
  path->setPlaceholderText(QString::fromUtf8("整个版本"));
  form->addRow(QString::fromUtf8("仓库文件夹(&R):"), repositoryRow);
  form->addRow(QString::fromUtf8("版本(&V):"), revision);
  form->addRow(QString::fromUtf8("路径(&P):"), path);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  form->addRow(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(browse, &QToolButton::clicked, &dialog, [&] {
    const QString chosen = QFileDialog::getExistingDirectory(&dialog, QString(), repository->text());
    if (!chosen.isEmpty()) repository->setText(chosen);
  });
  if (dialog.exec() != QDialog::Accepted || revision->text().trimmed().isEmpty()) return std::nullopt;
  return TLibFrame::TGitSide{repository->text().trimmed(), revision->text().trimmed(), path->text().trimmed()};
}

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

// ---- construction ---------------------------------------------------------------------------

const QString TLibFrame::LibraryFilter =
    "PowerBuilder Library Files(*.pbl)|*.pbl|PowerBuilder Target(*.pbt)|*.pbt|PowerBuilder WorkSpace(*.pbw)|*.pbw";

namespace {
const QString kOneLibraryFilter = "PowerBuilder Library Files(*.pbl)|*.pbl";

// "text|pattern|text|pattern" to the dialog's filters; each text names its pattern already.
QStringList NameFilters(const QString& filter) {
  QStringList parts = filter.split('|'), out;
  for (int i = 0; i < parts.size(); i += 2) out << parts[i];
  return out;
}
}  // namespace

// While a pairing runs, the commands that change the lists are off.
struct TPairingScope {
  explicit TPairingScope(TLibFrame& frame) : Frame(frame) { Frame.BeginPairing(); }
  ~TPairingScope() { Frame.EndPairing(); }
  TLibFrame& Frame;
};

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
  lvLibs = CreateList(lists, "lvLibs", {{"库文件列表", 170, false},
                                 {"比较结果", 100, false},
                                 {"修改时间1", 120, false},
                                 {"大小1", 80, true},
                                 {"修改时间2", 120, false},
                                 {"大小2", 80, true}});
  lvObjs = CreateList(lists, "lvObjs", {{"对象名称", 150, false},
                                 {"比较结果", 100, false},
                                 {"时间1", 120, false},
                                 {"大小1", 80, true},
                                 {"时间2", 120, false},
                                 {"大小2", 80, true},
                                 {"类型标志", 50, false},
                                 {"变化类型", 80, false}});
  QPalette tip = lvObjs->palette();
  tip.setColor(QPalette::Base, tip.color(QPalette::ToolTipBase));
  lvObjs->setPalette(tip);
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
    return QFileDialog::getExistingDirectory(Host.DialogParent(), QString::fromUtf8("添加文件夹 %1").arg(side + 1),
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
  cbOpen1 = combo("cbOpen1");
  tbFolder[Side1] = sideButton("tbFolder1", 0, QString::fromUtf8("添加文件夹 1…"));
  tbRevision[Side1] = sideButton("tbRevision1", 1, QString::fromUtf8("添加 git 版本 1…"));
  tbClear1 = button("tbClear1");
  cbOpen2 = combo("cbOpen2");
  tbFolder[Side2] = sideButton("tbFolder2", 0, QString::fromUtf8("添加文件夹 2…"));
  tbRevision[Side2] = sideButton("tbRevision2", 1, QString::fromUtf8("添加 git 版本 2…"));
  tbClear2 = button("tbClear2");
  for (QWidget* w : {static_cast<QWidget*>(cbOpen1), static_cast<QWidget*>(tbFolder[Side1]),
                     static_cast<QWidget*>(tbRevision[Side1]), static_cast<QWidget*>(tbClear1),
                     static_cast<QWidget*>(cbOpen2), static_cast<QWidget*>(tbFolder[Side2]),
                     static_cast<QWidget*>(tbRevision[Side2]), static_cast<QWidget*>(tbClear2)})
    row->addWidget(w, 0, Qt::AlignVCenter);
  row->addStretch(1);
  connect(tbClear1, &QToolButton::clicked, this, [this] { Guarded([this] { tbClear1Click(); }); });
  connect(tbClear2, &QToolButton::clicked, this, [this] { Guarded([this] { tbClear2Click(); }); });
  for (TSide side : compare::AllSides) {
    connect(tbFolder[side], &QToolButton::clicked, this, [this, side] { Guarded([this, side] { AddFolderClick(side); }); });
    connect(tbRevision[side], &QToolButton::clicked, this, [this, side] { Guarded([this, side] { AddRevisionClick(side); }); });
  }
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
  for (const auto& c : columns) captions << QString::fromUtf8(std::get<0>(c));
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
  LibList1.clear();
  LibList2.clear();
  ObjList1.clear();
  ObjList2.clear();
  lvLibs->clear();
  Diff = std::make_unique<TDiff>();
  // The engine's search steps are where the user interface stays alive during a pairing; the
  // options are read again after it, so that the next equality test uses the check marks as
  // they are then.
  Diff->OnStep = [this](TDiff&) {
    QCoreApplication::processEvents();
    check_.Options = Host.Options().Compare;
  };
  FilterIndex = 1;
  ExeDir = Host.StateFolder();
  LoadHistory(cbOpen1, ExeDir / "File1.lst");
  LoadHistory(cbOpen2, ExeDir / "File2.lst");
  LibCounts = {};
  ObjCounts = {};
  ViewMode = 0;
  // The columns are fitted to the lists' widths once those are known: now when the frame is
  // shown, otherwise when it first is.
  if (isVisible())
    FitColumns();
  else
    columnsToFit_ = true;
}

void TLibFrame::ReleaseFrame() {
  LibList1.clear();
  LibList2.clear();
  ObjList1.clear();
  ObjList2.clear();
  Lib1.reset();
  Lib2.reset();
  Diff.reset();
}

void TLibFrame::LoadHistory(QComboBox* box, const fs::path& file) {
  box->clear();
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) return;
  std::vector<std::string> lines;
  try {
    // Written in UTF-8 with a byte-order mark; earlier versions wrote GB18030 without one.
    lines = platform::LoadTextLines(file, nullptr, platform::TUnmarked::Gb18030);
  } catch (const platform::TFileError&) {
    return;  // an unreadable history is as good as none
  }
  for (const std::string& line : lines) box->addItem(Utf8(platform::CodePageToUtf8(line)));
  box->setEditText(QString());
}

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
  int w = std::max(0, ToolBar1->width() / 2 - tbClear1->width() - tbFolder[Side1]->width() - tbRevision[Side1]->width());
  cbOpen1->setFixedWidth(w);
  cbOpen2->setFixedWidth(cbOpen1->width());
}

// ---- shared commands ------------------------------------------------------------------------

void TLibFrame::BindOpen(void (TLibFrame::*handler)(TSide), const char* caption) {
  for (TSide side : compare::AllSides) {
    Host.Bind(views::OpenCommand(side), [this, handler, side] { Guarded([&] { (this->*handler)(side); }); });
    Host.SetCaption(views::OpenCommand(side), QString::fromUtf8(caption).arg(side + 1));
  }
}

void TLibFrame::ActivateLibList() {
  BindOpen(&TLibFrame::OpenLibsClick, "打开PB库文件 %1");
  for (TSide side : compare::AllSides) {
    Host.Bind(views::AddFolderCommand(side), [this, side] { Guarded([this, side] { AddFolderClick(side); }); });
    Host.Bind(views::AddRevisionCommand(side), [this, side] { Guarded([this, side] { AddRevisionClick(side); }); });
  }
  lvLibs->raise();
  ViewMode = 0;
  Host.ShowCounts(LibCounts);
}

void TLibFrame::ActivateObjList() {
  BindOpen(&TLibFrame::OpenOneLibClick, "打开一个PB库文件 %1");
  lvObjs->raise();
  ViewMode = 1;
  cbOpen1->setEditText(PathQ(LibPath1));
  cbOpen2->setEditText(PathQ(LibPath2));
  Host.ShowCounts(ObjCounts);
}

// Runs a user command: errors are shown, not thrown into the toolkit, and damage found while
// reading is told once the command is done.
void TLibFrame::Guarded(const std::function<void()>& action) {
  damage_.clear();
  told_ = {};
  try {
    action();
  } catch (const std::exception& e) {
    damage_.clear();
    Host.ShowError(e);
    return;
  }
  ReportDamage();
}

void TLibFrame::NoteDamage(const QString& what, const TReadReport& report) {
  if (!report.Clean()) damage_.emplace_back(what, report);
}

void TLibFrame::NoteProblems(const sides::TSideReport& problems) {
  for (const sides::TSideProblem& p : problems.Problems()) {
    if (told_.Contains(p)) continue;
    told_.Add(p);
    damage_.emplace_back(Utf8(sides::TSideReport::Describe(p)), TReadReport{});
  }
}

void TLibFrame::ReportDamage() {
  if (damage_.empty()) return;
  QStringList lines;
  for (const auto& [what, report] : damage_) lines << (report.Clean() ? what : what + ": " + Utf8(report.Describe()));
  damage_.clear();
  Host.ShowError(platform::TFileError(lines.join('\n').toStdString()));
}

std::vector<QWidget*> TLibFrame::SideButtons() const {
  return {tbClear1, tbClear2, tbFolder[Side1], tbFolder[Side2], tbRevision[Side1], tbRevision[Side2]};
}

void TLibFrame::BeginPairing() {
  if (pairing_++ > 0) return;
  for (QWidget* w : SideButtons()) w->setEnabled(false);
  for (TCommand c : {TCommand::Open1, TCommand::Open2}) Host.SetEnabled(c, false);
  // Nor may the view change under the pairing: its end shows its own list.
  Host.HoldViewSwitches(true);
}

void TLibFrame::EndPairing() {
  if (--pairing_ > 0) return;
  for (QWidget* w : SideButtons()) w->setEnabled(true);
  for (TCommand c : {TCommand::Open1, TCommand::Open2}) Host.SetEnabled(c, true);
  Host.HoldViewSwitches(false);
}

TObjectCheck& TLibFrame::Check(TReadReport* report) {
  check_.Diff = Diff.get();
  check_.Options = Host.Options().Compare;
  check_.Report = report;
  return check_;
}

void TLibFrame::PairObjects() {
  TPairingScope busy(*this);
  TReadReport report;
  TObjectCheck& check = Check(&report);
  sides::TSideReport problems;
  check.Problems = &problems;
  CompareObjects(ObjList1, Lib1.get(), ObjList2, Lib2.get(), ObjCounts, check);
  check.Report = nullptr;
  check.Problems = nullptr;
  NoteProblems(problems);
  NoteDamage(PathQ(LibPath1) + ", " + PathQ(LibPath2), report);
}

void TLibFrame::SetOpenDialog(const fs::path& folder, const QString& filter, bool multiple) {
  QSignalBlocker quiet(OpenDialog1);
  OpenDialog1->setDirectory(folder.empty() ? QString() : QString::fromStdString(folder.string()));
  // Each side's dialog starts without the name chosen last (on the other side, say).
  OpenDialog1->selectFile(QString());
  if (auto* name = OpenDialog1->findChild<QLineEdit*>("fileNameEdit")) name->clear();
  // "*.pbl" also shows "X.PBL": file names keep their case here, as they did not where the
  // libraries were made.
  OpenDialog1->setFilter(OpenDialog1->filter() & ~QDir::CaseSensitive);
  OpenDialog1->setFileMode(multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  const QStringList filters = NameFilters(filter);
  OpenDialog1->setNameFilters(filters);
  // The file type chosen last stays selected.
  if (filters.size() > 1) OpenDialog1->selectNameFilter(filters.value(std::clamp(FilterIndex, 1, int(filters.size())) - 1));
}

// ---- library list ---------------------------------------------------------------------------

void TLibFrame::OpenLibsClick(TSide side) {
  if (Pairing()) return;
  const bool side1 = side == Side1;
  SetOpenDialog(Host.Folder(side), LibraryFilter, true);
  const QStringList chosen = ExecuteOpenDialog ? ExecuteOpenDialog() : QStringList();
  if (chosen.isEmpty()) return;
  std::vector<fs::path> files;
  for (const QString& f : chosen) files.push_back(QPath(f));
  AddLibraries(files, side1);
}

void TLibFrame::OpenDialog1TypeChange(int index) { FilterIndex = index; }

void TLibFrame::AddLibraries(const std::vector<fs::path>& Files, bool Side1) {
  if (Pairing() || Files.empty()) return;
  TAddProblems problems;
  AddFiles(Files, Side1 ? compare::Side1 : compare::Side2, FilterIndex, problems, {});
  Host.SetFolder(Side1 ? compare::Side1 : compare::Side2, FolderOf(Files.front()));
  ReportAddProblems(problems);
  CompareLibraries();
  ShowLibraries();
}

void TLibFrame::AddFiles(const std::vector<fs::path>& files, TSide side, int fileType, TAddProblems& problems,
                         const fs::path& repository) {
  TLibSelection& list = side == Side1 ? LibList1 : LibList2;
  // Libraries named twice by the command are merged by the collection; names the side holds
  // already come back as duplicates.
  sides::TSideReport report;
  sides::TSideCollector collector(repository);
  collector.LibraryFiles = Host.Options().LibraryFiles;
  collector.CountDifferences = [this](const TFolderRec& file, const TFolderRec& exports) {
    TObjectCheck check = Check(nullptr);
    check.Memo = nullptr;
    return CountObjectDifferences(file, exports, check);
  };
  TLibSelection selection = collector.Collect(files, fileType, report, &list);
  told_.Add(report);
  NoteProblems(report, side, problems);
  for (const fs::path& f : files) {
    std::string rev, path;
    // A git side is kept as written, with the repository it names a revision of. What is not
    // there is told once and not kept.
    const bool git = sides::ParseGitSide(f.string(), rev, path);
    std::error_code ec;
    if (git ? report.Contains({sides::TProblemKind::Missing, f.string(), {}, {}}) : !fs::exists(f, ec)) continue;
    const fs::path whole =
        git ? fs::path(f.string() + kRepositorySeparator + fs::absolute(repository.empty() ? "." : repository)
                                                                .lexically_normal()
                                                                .string())
            : fs::absolute(f);
    if (std::find(sideFiles_[side].begin(), sideFiles_[side].end(), whole) == sideFiles_[side].end())
      sideFiles_[side].push_back(whole);
  }
  RemovePlaceholders(LibList1);
  RemovePlaceholders(LibList2);
  for (auto& item : selection) list.push_back(std::move(item));
  LibCounts.Count1 = static_cast<std::int32_t>(LibList1.size());
  LibCounts.Count2 = static_cast<std::int32_t>(LibList2.size());
}

void TLibFrame::NoteProblems(const sides::TSideReport& report, TSide side, TAddProblems& problems) {
  auto once = [](QStringList& list, const QString& text) {
    if (!list.contains(text)) list << text;
  };
  for (const sides::TSideProblem& p : report.Problems()) {
    const QString told = Utf8(sides::TSideReport::Describe(p));
    switch (p.Kind) {
      case sides::TProblemKind::Missing:
        if (std::find(problems.Missing.begin(), problems.Missing.end(), fs::path(p.Where)) == problems.Missing.end())
          problems.Missing.push_back(p.Where);
        break;
      case sides::TProblemKind::Duplicate:
        // A second library of one name met by the command is left out and said so; side 1 drops
        // the names it holds already without a word.
        if (!p.Kept.empty())
          once(problems.LeftOut, told);
        else if (side != Side1)
          once(problems.Duplicates, Utf8(p.Detail));
        break;
      case sides::TProblemKind::NoLibraries: once(problems.Empty, told); break;
      case sides::TProblemKind::Unreadable: once(problems.Unreadable, told); break;
      case sides::TProblemKind::ExportsDiffer: once(problems.Differ, told); break;
    }
  }
}

std::vector<fs::path> TLibFrame::SideFiles(TSide side) const { return sideFiles_[side]; }

void TLibFrame::CollectAgain() {
  if (Pairing()) return;
  const std::array<std::vector<fs::path>, compare::SideCount> sides{sideFiles_[Side1], sideFiles_[Side2]};
  for (TSide side : compare::AllSides) sideFiles_[side].clear();
  LibList1.clear();
  LibList2.clear();
  LibCounts.Count1 = LibCounts.Count2 = 0;
  RestoreSides(sides);
}

void TLibFrame::RestoreSides(const std::array<std::vector<fs::path>, compare::SideCount>& sides) {
  if (Pairing()) return;
  TAddProblems problems;
  for (TSide side : compare::AllSides) {
    for (const fs::path& file : sides[side]) {
      // Read by what each is: a library, target, workspace, folder or git side (stored with the
      // repository it is a revision of).
      std::string text = file.string();
      fs::path repository;
      const std::size_t at = text.rfind(kRepositorySeparator);
      if (text.rfind("git:", 0) == 0 && at != std::string::npos) {
        repository = text.substr(at + 1);
        text.resize(at);
      }
      try {
        AddFiles({fs::path(text)}, side, sides::ftAuto, problems, repository);
      } catch (const std::exception& e) {
        problems.Unreadable << Utf8(e.what());
      }
    }
  }
  ReportAddProblems(problems);
  if (LibList1.empty() && LibList2.empty()) return;
  Guarded([this] {
    CompareLibraries();
    ShowLibraries();
  });
}

// One message for everything an add command could not take, however many files it named: the
// counts first, then each problem once, in the order met.
void TLibFrame::ReportAddProblems(const TAddProblems& problems) {
  // Names with control characters show them as symbols: each name stays on its line.
  auto visible = [](const QString& s) { return QString::fromStdString(platform::ShowControls(s.toStdString())); };
  QStringList lines, counts;
  auto add = [&](const QStringList& items, const char* what) {
    for (const QString& item : items) lines << visible(item);
    if (!items.isEmpty()) counts << QString("%1 %2").arg(items.size()).arg(what);
  };
  QStringList missing;
  for (const fs::path& m : problems.Missing) missing << PathQ(m) + " does not exist";
  add(missing, "do not exist");
  add(problems.Unreadable, "cannot be read");
  add(problems.Empty, "hold no library");
  add(problems.LeftOut, "left out");
  QStringList duplicates;
  for (const QString& d : problems.Duplicates) duplicates << d + " already in Destination";
  add(duplicates, "already in Destination");
  add(problems.Differ, "differ from their exports");
  if (lines.isEmpty()) return;
  if (lines.size() > 1) lines.prepend(counts.join(", ") + ":");
  Host.ShowInformation(lines.join('\n'));
}

void TLibFrame::AddFolderClick(TSide side) {
  if (Pairing()) return;
  const QString folder = ChooseFolder ? ChooseFolder(side) : QString();
  if (folder.isEmpty()) return;
  TAddProblems problems;
  AddFiles({QPath(folder)}, side, sides::ftAuto, problems, {});
  Host.SetFolder(side, QPath(folder).parent_path() / "");
  ReportAddProblems(problems);
  CompareLibraries();
  ShowLibraries();
}

void TLibFrame::AddRevisionClick(TSide side) {
  if (Pairing()) return;
  const std::optional<TGitSide> given = AskGitSide ? AskGitSide(side) : std::nullopt;
  if (!given) return;
  std::string text = "git:" + given->Revision.toStdString();
  if (!given->Path.isEmpty()) text += ":" + given->Path.toStdString();
  TAddProblems problems;
  AddFiles({fs::path(text)}, side, sides::ftAuto, problems, QPath(given->Repository));
  ReportAddProblems(problems);
  CompareLibraries();
  ShowLibraries();
}

bool TLibFrame::CheckLibraryContents(const TFolderRec& Rec1, const TFolderRec& Rec2) {
  TReadReport report;
  sides::TSideReport problems;
  TObjectCheck& check = Check(&report);
  check.Problems = &problems;
  bool same = ::SameLibrary(Rec1, Rec2, check);
  check.Report = nullptr;
  check.Problems = nullptr;
  NoteDamage(Utf8(sides::LibraryLocation(Rec1)) + ", " + Utf8(sides::LibraryLocation(Rec2)), report);
  NoteProblems(problems);
  return same;
}

void TLibFrame::CompareLibraries() {
  LibCounts.Added = LibCounts.Deleted = LibCounts.Changed = 0;
  const int maximum = static_cast<int>(std::max(LibList1.size(), LibList2.size()));
  Host.ShowProgress(0, maximum, QString());
  // However the pairing ends, the progress goes away with it.
  struct THideProgress {
    views::TViewHost& Host;
    ~THideProgress() { Host.HideProgress(); }
  } hide{Host};
  TPairingScope busy(*this);
  auto same = [this](const TFolderRec& a, const TFolderRec& b) { return CheckLibraryContents(a, b); };
  auto progress = [this, maximum](std::size_t i, int percent) {
    Host.ShowProgress(std::min(static_cast<int>(i), maximum), maximum,
                      QString::asprintf("Approx. %d%% complete", percent));
  };
  try {
    PairLibraries(LibList1, LibList2, LibCounts, same, progress);
  } catch (...) {
    // The rows no longer match the half-paired lists: a double-click must not reach a pair from
    // before. The next add or clear pairs the lists afresh.
    filling_ = true;
    lvLibs->clear();
    filling_ = false;
    throw;
  }
}

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
  std::vector<QTreeWidgetItem*> rows;
  const std::size_t n = std::min(LibList1.size(), LibList2.size());
  rows.reserve(n);
  const QIcon blank(ImageList1);
  for (std::size_t i = 0; i < n; ++i) {
    const TFolderRec& shown = LibList1[i].Key.empty() ? *LibList2[i].Rec : *LibList1[i].Rec;
    rows.push_back(NewRow(LibraryRowCells(LibList1[i], LibList2[i]), i, LibList1[i].Rec->CompareResult,
                          KindImage(shown), blank, *lvLibs));
  }
  AddRowsByCaption(*lvLibs, rows);
  filling_ = false;
  lvLibsResize(*lvLibs);
  ViewMode = 0;
  Host.ShowCounts(LibCounts);
}

void TLibFrame::lvLibsSelectItem(QTreeWidgetItem* Item, bool /*Selected*/) {
  if (ViewMode != 0 || Pairing() || !Item) return;
  const std::size_t i = static_cast<std::size_t>(TListView::RowIndex(*Item));
  if (i >= LibList1.size() || i >= LibList2.size()) return;
  auto where = [](const TFolderRec& rec) {
    if (rec.Path.empty()) return QString();
    return rec.Revision ? Utf8(sides::LibraryLocation(rec)) : PathQ(rec.Path);
  };
  cbOpen1->setEditText(where(*LibList1[i].Rec));
  cbOpen2->setEditText(where(*LibList2[i].Rec));
}

void TLibFrame::tbClear1Click() {
  if (ViewMode == 1 || Pairing()) return;
  LibList1.clear();
  sideFiles_[Side1].clear();
  LibCounts.Count1 = 0;
  RemovePlaceholders(LibList2);
  CompareLibraries();
  ShowLibraries();
}

void TLibFrame::tbClear2Click() {
  if (ViewMode == 1 || Pairing()) return;
  LibList2.clear();
  sideFiles_[Side2].clear();
  LibCounts.Count2 = 0;
  RemovePlaceholders(LibList1);
  CompareLibraries();
  ShowLibraries();
}

void TLibFrame::RememberPath(const fs::path& Path, bool Side1) {
  QComboBox* box = Side1 ? cbOpen1 : cbOpen2;
  const QString path = PathQ(Path);
  box->setEditText(path);
  (Side1 ? LibPath1 : LibPath2) = Path;
  for (int i = box->count() - 1; i >= 0; --i)
    if (box->itemText(i).compare(path, Qt::CaseInsensitive) == 0) box->removeItem(i);
  box->insertItem(0, path);
  // Changing the items may have put another item's text in the box.
  box->setEditText(path);
  std::vector<std::string> lines;
  for (int i = 0; i < box->count(); ++i) lines.push_back(platform::Utf8ToCodePage(box->itemText(i).toStdString()));
  platform::SaveTextLines(ExeDir / (Side1 ? "File1.lst" : "File2.lst"), lines, {platform::TTextEncoding::Utf8Bom});
}

// ---- object list ----------------------------------------------------------------------------

void TLibFrame::ReadSide(const TFolderRec& rec, bool side1) {
  auto& lib = side1 ? Lib1 : Lib2;
  TDirList& list = side1 ? ObjList1 : ObjList2;
  list.clear();
  lib.reset();
  lib = sides::OpenLibrary(rec, false);  // the object list shows no comment
  openRecs_[side1 ? Side1 : Side2] = rec;
  const fs::path path = sides::LibraryLocation(rec);
  (side1 ? LibPath1 : LibPath2) = path;
  TReadReport report;
  lib->ReadDirectory(list, &report);
  NoteDamage(PathQ(path), report);
}

void TLibFrame::ClearObjectRows() {
  filling_ = true;
  lvObjs->clear();
  filling_ = false;
  ObjCounts = {static_cast<std::int32_t>(ObjList1.size()), static_cast<std::int32_t>(ObjList2.size()), 0, 0, 0};
  if (ViewMode == 1) Host.ShowCounts(ObjCounts);
}

void TLibFrame::OpenLibraryPair() {
  if (Pairing()) return;
  QTreeWidgetItem* row = lvLibs->Selected();
  if (!row) return;
  ObjList1.clear();
  ObjList2.clear();
  const std::size_t k = static_cast<std::size_t>(TListView::RowIndex(*row));
  if (k >= LibList1.size() || k >= LibList2.size()) return;
  try {
    if (!LibList1[k].Key.empty()) ReadSide(*LibList1[k].Rec, true);
    if (!LibList2[k].Key.empty()) ReadSide(*LibList2[k].Rec, false);
    SortDirList(ObjList1);
    SortDirList(ObjList2);
    ObjCounts.Count1 = static_cast<std::int32_t>(ObjList1.size());
    ObjCounts.Count2 = static_cast<std::int32_t>(ObjList2.size());
    PairObjects();
  } catch (...) {
    ObjList1.clear();
    ObjList2.clear();
    ClearObjectRows();
    throw;
  }
  ShowObjects();
  Host.SwitchTo(views::TViewKind::Objects);
}

QString TLibFrame::ChangeKindCaption(std::uint8_t kind) {
  // Only what the options can explain is named; a change of content needs no word.
  if (kind == 0 || (kind & compare::ckContent)) return QString();
  QStringList parts;
  for (auto [flag, name] : {std::pair{compare::ckOrder, "顺序"}, {compare::ckPosition, "位置和大小"},
                            {compare::ckDefaults, "迁移默认值"}, {compare::ckLayout, "格式"}, {compare::ckBlankLines, "空行"}})
    if (kind & flag) parts << QString::fromUtf8(name);
  return QString::fromUtf8("仅") + parts.join("+");
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

void TLibFrame::ShowObjects() {
  filling_ = true;
  lvObjs->clear();
  std::vector<QTreeWidgetItem*> rows;
  const std::size_t n = std::min(ObjList1.size(), ObjList2.size());
  rows.reserve(n);
  const QIcon blank(ImageList1);
  for (std::size_t i = 0; i < n; ++i) {
    const std::string& key = ObjList2[i].Key.empty() ? ObjList1[i].Key : ObjList2[i].Key;
    const int image = key.empty() ? 0 : TypeImage(key[0]);
    rows.push_back(NewRow(ObjectRowCells(ObjList1[i], ObjList2[i]), i, ObjList1[i].Rec->CompareResult, image, blank,
                          *lvObjs));
    rows.back()->setText(7, ChangeKindCaption(ObjList1[i].Rec->ChangeKind));
  }
  AddRowsByCaption(*lvObjs, rows);
  // Sorted by type letter; the order by name stays within each letter.
  lvObjs->SetColumnTag(6, 0);
  lvObjs->SortByColumn(6);
  filling_ = false;
  lvLibsResize(*lvObjs);
  lvObjs->raise();
  ViewMode = 1;
  Host.ShowCounts(ObjCounts);
}

void TLibFrame::OpenOneLibClick(TSide side) {
  if (Pairing()) return;
  SetOpenDialog(Host.Folder(side), kOneLibraryFilter, false);
  const QStringList chosen = ExecuteOpenDialog ? ExecuteOpenDialog() : QStringList();
  if (chosen.isEmpty()) return;
  OpenOneLibrary(QPath(chosen.front()), side == Side1);
}

void TLibFrame::OpenOneLibrary(const fs::path& Path, bool Side1) {
  if (Pairing()) return;
  try {
    RemovePlaceholders(ObjList1);
    RemovePlaceholders(ObjList2);
    auto rec = GetFolderRec(Path);
    if (!rec) throw platform::TFileError("Cannot open file \"" + platform::PathText(Path) + "\". No such file or directory");
    ReadSide(*rec, Side1);
    SortDirList(ObjList1);
    SortDirList(ObjList2);
    ObjCounts.Count1 = static_cast<std::int32_t>(ObjList1.size());
    ObjCounts.Count2 = static_cast<std::int32_t>(ObjList2.size());
    PairObjects();
  } catch (...) {
    // The lists no longer hold the pairs the rows show.
    RemovePlaceholders(ObjList1);
    RemovePlaceholders(ObjList2);
    ClearObjectRows();
    throw;
  }
  lvObjs->clearSelection();
  ShowObjects();
  RememberPath(Path, Side1);
}

namespace {

// Where the user is in a list: the rows selected and current (by their texts, which a refill
// keeps), and the row at the top.
struct TListPlace {
  QList<QStringList> Selected;
  QStringList Current, Top;
};

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

}  // namespace

void TLibFrame::OptionsChanged() { ReadAgain(false); }

void TLibFrame::ReadAgain(bool sources) {
  if (Pairing()) return;
  const int mode = ViewMode;
  // The lists are filled anew; the user's rows stay selected and in their place.
  const TListPlace libs = PlaceOf(*lvLibs), objs = PlaceOf(*lvObjs);
  struct TRestore {
    TLibFrame& f;
    const TListPlace &libs, &objs;
    ~TRestore() {
      RestorePlace(*f.lvLibs, libs);
      RestorePlace(*f.lvObjs, objs);
    }
  } restore{*this, libs, objs};
  Guarded([this] {
    if (!LibList1.empty() || !LibList2.empty()) {
      RemovePlaceholders(LibList1);
      RemovePlaceholders(LibList2);
      CompareLibraries();
      ShowLibraries();
    }
    if (!openRecs_[Side1] && !openRecs_[Side2]) return;
    const auto recs = openRecs_;
    ObjList1.clear();
    ObjList2.clear();
    if (recs[Side1]) ReadSide(*recs[Side1], true);
    if (recs[Side2]) ReadSide(*recs[Side2], false);
    SortDirList(ObjList1);
    SortDirList(ObjList2);
    ObjCounts.Count1 = static_cast<std::int32_t>(ObjList1.size());
    ObjCounts.Count2 = static_cast<std::int32_t>(ObjList2.size());
    PairObjects();
    ShowObjects();
  });
  (mode == 0 ? lvLibs : lvObjs)->raise();
  ViewMode = mode;
  Host.ShowCounts(mode == 0 ? LibCounts : ObjCounts);
  if (!sources || handedOverKey_.empty()) return;
  for (int i = 0; i < lvObjs->topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = lvObjs->topLevelItem(i);
    const std::size_t k = static_cast<std::size_t>(TListView::RowIndex(*row));
    if (k >= ObjList1.size() || k >= ObjList2.size()) continue;
    const std::string& key = ObjList1[k].Key.empty() ? ObjList2[k].Key : ObjList1[k].Key;
    if (platform::CompareTextNoCase(key, handedOverKey_) != 0) continue;
    lvObjs->clearSelection();
    row->setSelected(true);
    Guarded([this] { OpenObjectPair(); });
    return;
  }
}

void TLibFrame::lvLibsDblClick() {
  if (Pairing()) return;
  Guarded([this] {
    if (ViewMode == 0)
      OpenLibraryPair();
    else
      OpenObjectPair();
  });
}

void TLibFrame::OpenObjectPair() {
  QTreeWidgetItem* row = lvObjs->Selected();
  if (!row) return;
  const std::size_t k = static_cast<std::size_t>(TListView::RowIndex(*row));
  if (k >= ObjList1.size() || k >= ObjList2.size()) return;
  const QString name = row->text(0);
  handedOverKey_ = ObjList1[k].Key.empty() ? ObjList2[k].Key : ObjList1[k].Key;
  std::array<views::TSourceText, compare::SideCount> texts;
  auto side = [&](const TDirList& list, const std::unique_ptr<sides::TLibrary>& lib, const fs::path& path,
                  views::TSourceText& text) {
    if (!list[k].Key.empty() && lib) {
      TReadReport report;
      lib->Export(*list[k].Rec, text.Lines, &report);
      NoteDamage(PathQ(path) + "@" + name, report);
    }
    text.Caption = PathQ(path) + "@" + name;
  };
  side(ObjList1, Lib1, LibPath1, texts[Side1]);
  side(ObjList2, Lib2, LibPath2, texts[Side2]);
  Host.CompareSources(std::move(texts));
}

void TLibFrame::lvLibsCustomDrawItem(TListView& Sender, QPainter& Canvas, const QTreeWidgetItem& Item, const QRect& Rect) {
  const views::TViewColors colors = Host.Colors();
  QBrush brush = Canvas.brush();
  switch (Item.data(0, kResultRole).toInt()) {
    case crSame: brush = QColor(Qt::white); break;
    case crChanged: brush = ToQColor(colors.Mod, Sender.palette()); break;
    case crDeleted: brush = ToQColor(colors.Del, Sender.palette()); break;
    case crAdded: brush = ToQColor(colors.Add, Sender.palette()); break;
    default: break;
  }
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
