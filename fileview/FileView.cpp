#include "fileview/FileView.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QVBoxLayout>

#include <algorithm>

#include "report/HtmlReport.h"
#include "compare/Report.h"
#include "compare/Structured.h"
#include "editor/CodeEditor.h"
#include "fileview/FrameParts.h"
#include "platform/CodePage.h"
#include "platform/FileSys.h"
#include "search/Searches.h"

using diff::TDiff;

using search::SetDialogOwner;
using search::TSearch;

using compare::AllSides;
using compare::Side1;
using compare::Side2;
using compare::TRowKind;
using views::TCommand;
using views::TCommandId;
using views::TSideCommand;
using editor::BlueOf;
using editor::GreenOf;
using editor::RGBColor;
using editor::RedOf;
using editor::TCodeEdit;
using editor::TColor;
using editor::TLineObj;
using editor::TLines;
using editor::TPoint;
using editor::clWindow;

namespace fileview {

namespace {

int Digits(int n) {
  int d = 1;
  for (; n >= 10; n /= 10) ++d;
  return d;
}

// The caption bar colour while its side holds edits (red 224, green 224, blue 204).
constexpr TColor kEditedCaption = 0xCCE0E0;
constexpr int kLineNoWidth = 72;


// A caption bar that never asks for the width of its text: a long path is shown elided in the
// middle (its text stays whole, and whole in the tooltip), so that no caption widens the window.
class TCaptionBar : public QLabel {
 public:
  using QLabel::QLabel;
  QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }
  QSize sizeHint() const override { return {0, QLabel::sizeHint().height()}; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    drawFrame(&p);
    const QRect r = contentsRect().adjusted(margin(), 0, -margin(), 0);
    p.setPen(palette().color(foregroundRole()));
    p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, fontMetrics().elidedText(text(), Qt::ElideMiddle, r.width()));
  }
};

QLabel* NewCaptionBar(const char* name, QWidget* parent) {
  auto* bar = new TCaptionBar(parent);
  bar->setObjectName(name);
  bar->setAutoFillBackground(true);
  bar->setFrameShape(QFrame::Panel);
  bar->setFrameShadow(QFrame::Raised);
  bar->setTextFormat(Qt::PlainText);
  return bar;
}

}  // namespace

// ---- creation ---------------------------------------------------------------------------------

TFilesFrame::TFilesFrame(views::TViewHost& host, QWidget* parent) : QWidget(parent), Host(host) {
  setObjectName("FilesFrame");
  QFont f(QString::fromUtf8("宋体"));
  f.setPixelSize(12);
  setFont(f);
  setAutoFillBackground(true);
  PaneFont = QFont("Courier New");
  PaneFont.setPointSize(10);
  for (TSide s : AllSides) Model.Sides[s] = std::make_shared<compare::TSideText>();

  ChooseOpenFile = [this](const QString& folder) {
    return QFileDialog::getOpenFileName(Host.DialogParent(), QString(), folder);
  };
  ChooseSaveFile = [this](const QString& proposal) {
    return QFileDialog::getSaveFileName(Host.DialogParent(), QString(), proposal);
  };
  ChooseReportFile = [this](const QString& folder) {
    QFileDialog dialog(Host.DialogParent());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QString textFilter = tr("Text Files (*.txt)"), htmlFilter = tr("HTML 文件 (*.html *.htm)");
    dialog.setNameFilters({textFilter, htmlFilter});
    // A name typed without an extension gets that of the chosen kind.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, htmlFilter](const QString& filter) {
      dialog.setDefaultSuffix(filter == htmlFilter ? "html" : "txt");
    });
    const bool wasHtml = IsHtmlReportName(ReportFileName);
    dialog.selectNameFilter(wasHtml ? htmlFilter : textFilter);
    dialog.setDefaultSuffix(wasHtml ? "html" : "txt");
    if (!folder.isEmpty()) dialog.setDirectory(folder);
    if (!ReportFileName.isEmpty()) dialog.selectFile(QFileInfo(ReportFileName).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    QString path = dialog.selectedFiles().first();
    if (dialog.selectedNameFilter() == htmlFilter && !IsHtmlReportName(path)) path += ".html";
    return path;
  };
  Beep = [] { QApplication::beep(); };
}

TFilesFrame::~TFilesFrame() = default;

void TFilesFrame::InitFrame() {
  Engine = std::make_unique<TDiff>();
  Engine->OnProgress = [this](TDiff&, std::int32_t percent) { DiffProgress(percent); };
  // Pending events are processed between search steps (a few times a second is enough to keep
  // the window responsive and let Esc through); the first step of every run always does.
  Engine->OnStep = [this](TDiff&) {
    if (EventsTimer.isValid() && EventsTimer.elapsed() < 25) return;
    EventsTimer.start();
    QCoreApplication::processEvents();
  };

  auto* frameLayout = new QHBoxLayout(this);
  frameLayout->setContentsMargins(0, 0, 0, 0);
  frameLayout->setSpacing(0);
  CreateStrip(frameLayout);

  auto* column = new QWidget(this);
  auto* columnLayout = new QVBoxLayout(column);
  columnLayout->setContentsMargins(0, 0, 0, 0);
  columnLayout->setSpacing(0);
  frameLayout->addWidget(column, 1);

  pnlMain = new QWidget(column);
  pnlMain->setObjectName("pnlMain");
  auto* mainLayout = new QVBoxLayout(pnlMain);
  mainLayout->setContentsMargins(0, 0, 0, 0);
  Splitter1 = new QSplitter(Qt::Horizontal, pnlMain);
  Splitter1->setObjectName("Splitter1");
  Splitter1->setChildrenCollapsible(false);
  Splitter1->setHandleWidth(3);
  mainLayout->addWidget(Splitter1);
  columnLayout->addWidget(pnlMain, 1);

  CreateSide(Side1, "pnlLeft", "pnlCaptionLeft", "Pane1");
  CreateSide(Side2, "pnlRight", "pnlCaptionRight", "Pane2");
  for (TSide s : AllSides) CreateLineBar(s, column, columnLayout);

  pnlDisplay = new QWidget(this);
  pnlDisplay->setObjectName("pnlDisplay");
  pnlDisplay->hide();
  frameLayout->addWidget(pnlDisplay);

  for (TSide s : AllSides) ConnectPane(s);
  SetPaneFont(PaneFont);
  Search = std::make_unique<TSearch>();
  RememberedLine = -1;
  OverviewRows.clear();
  SetDialogOwner(Host.DialogParent());

  // The edit commands are refreshed when their menu opens, also just before one of their keys
  // acts. Outside this view they are off, so that Ctrl+C and the like stay with the control that
  // has the focus there.
  Host.SetGroupRefresh(views::TCommandGroup::Edit, [this] { EditMenuOpened(); });
  // Files changed by another program are reloaded when the user comes back to this one.
  connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
    if (state == Qt::ApplicationActive && isVisible()) Guarded([this] { CheckFilesChanged(); });
  });
  for (TSide s : AllSides) SetCaption(s);
  ApplyLayout();
}

void TFilesFrame::CreateStrip(QHBoxLayout* frameLayout) {
  sbDiff = new QScrollArea(this);
  sbDiff->setObjectName("sbDiff");
  sbDiff->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  sbDiff->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  sbDiff->setFrameShape(QFrame::NoFrame);
  sbDiff->setWidgetResizable(false);
  pbDiff = new TOverviewStrip(*this, sbDiff);
  pbDiff->resize(kStripWidth, 3);
  sbDiff->setWidget(pbDiff);
  sbDiff->setFixedWidth(kStripWidth + 2);
  sbDiff->hide();
  connect(sbDiff->verticalScrollBar(), &QScrollBar::rangeChanged, this, [this] { AdjustStripWidth(); });
  frameLayout->addWidget(sbDiff);
}

void TFilesFrame::CreateSide(TSide side, const char* panel, const char* caption, const char* pane) {
  TSideView& v = views_[side];
  v.Panel = new QWidget(Splitter1);
  v.Panel->setObjectName(panel);
  auto* l = new QVBoxLayout(v.Panel);
  l->setContentsMargins(0, 0, 0, 0);
  l->setSpacing(0);
  v.Caption = NewCaptionBar(caption, v.Panel);
  v.Caption->setFont(Host.DialogParent() ? Host.DialogParent()->font() : font());
  l->addWidget(v.Caption);
  v.Pane = new TCodeEdit(v.Panel);
  v.Pane->setObjectName(pane);
  l->addWidget(v.Pane, 1);
  Splitter1->addWidget(v.Panel);
}

void TFilesFrame::CreateLineBar(TSide side, QWidget* column, QVBoxLayout* columnLayout) {
  TSideView& v = views_[side];
  const std::string n = std::to_string(side + 1);
  v.LineBar = new QWidget(column);
  v.LineBar->setObjectName(QString::fromStdString("Panel" + n));
  v.Line = new QLabel(v.LineBar);
  v.Line->setObjectName(QString::fromStdString("lblLine" + n));
  v.Line->setTextFormat(Qt::PlainText);
  v.LineNo = new QLabel(v.LineBar);
  v.LineNo->setObjectName(QString::fromStdString("lblLineNo" + n));
  v.LineNo->setTextFormat(Qt::PlainText);
  v.LineNo->setAutoFillBackground(true);
  QPalette pal = v.LineNo->palette();
  pal.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));  // silver
  v.LineNo->setPalette(pal);
  v.LineNo->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  columnLayout->addWidget(v.LineBar);
  v.LineBar->installEventFilter(this);
}

void TFilesFrame::ConnectPane(TSide side) {
  TCodeEdit* pane = Pane(side);
  pane->Lines().OnChange = [this, side](TLines*) {
    if (!Filling) MarkEdited(side, true);
  };
  pane->OnDropFiles = [this, side](TCodeEdit*, const QString& fileName, bool& accepted) {
    Guarded([&] { LoadFile(fileName, side); });
    Host.Raise();
    accepted = true;
  };
  pane->OnPaintLeftMargin = [this](TCodeEdit* sender, QPainter& canvas, const QRect& rec, int lineNo, int tag) {
    PaintGutter(sender, canvas, rec, lineNo - 1, tag);
  };
  pane->OnCaretPtChange = [this](TCodeEdit* sender) { CaretMoved(sender); };
  pane->OnEnter = [this](TCodeEdit* sender) {
    if (ResultPresent && RememberedLine >= 0) sender->MoveCaretTo(TPoint{0, RememberedLine});
  };
  pane->OnExit = [this](TCodeEdit* sender) {
    const int row = sender->CaretPos().Y;
    RememberedLine = sender->TopLine() <= row && row <= sender->TopLine() + sender->PageRows() ? row : -1;
  };
  pane->OnKeyDown = [this](TCodeEdit* sender, int& key, Qt::KeyboardModifiers shift) {
    PaneKeyDown(sender, key, shift);
  };
  pane->OnReadOnlyEdit = [this](TCodeEdit*) {
    Host.ShowStatus(bySection_ ? tr("按段比较时窗格是只读的，不能修改。")
                               : tr("此窗格是只读的（库中的对象），不能修改。"));
  };
  pane->OnLineSpans = [this](TCodeEdit* sender, int line, std::vector<std::pair<int, int>>& spans, TColor& color) {
    if (const std::vector<compare::TSpan>* found = SpansOf(line, SideOf(sender))) {
      for (const compare::TSpan& span : *found) spans.emplace_back(span.Start, span.End);
      color = SpanColor();
    }
  };
  pane->SetFont(PaneFont);
}

void TFilesFrame::DoneFrame() {
  if (Engine) Engine->Cancel();
  RestartPending = false;
  ResultPresent = false;
  Model = compare::TComparison{};
  OverviewRows.clear();
  OverviewRows.shrink_to_fit();
}

void TFilesFrame::Guarded(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& e) {
    Host.ShowError(e);
  }
}

void TFilesFrame::SetPaneFont(const QFont& f) {
  PaneFont = f;
  if (!Pane(Side1)) return;
  const int h = QFontMetrics(f).height() + 4;
  for (TSide s : AllSides) {
    TSideView& v = views_[s];
    v.Pane->SetFont(f);
    v.LineNo->setFont(f);
    v.Line->setFont(f);
    v.LineBar->setFixedHeight(h);
  }
  if (ResultPresent) SetGutterWidths();
  PlaceLineBars();
}

// ---- the view's commands ------------------------------------------------------------------

void TFilesFrame::ActivateView() {
  BindCommands();
  for (TSide s : AllSides) {
    Host.SetCaption(TCommandId(TSideCommand::Open, s), tr("打开文本文件 %1").arg(s + 1));
    Host.SetEnabled(TCommandId(TSideCommand::Save, s), true);
  }
  for (TCommand c : {TCommand::Compare}) Host.SetEnabled(c, CanCompare());
  Host.SetEnabled(TCommand::HorzSplit, true);
  ApplyLayout();
  Host.SetEnabled(TCommand::SaveReport, ResultPresent);
  Host.SetGroupEnabled(views::TCommandGroup::Edit, true);
  Host.SetGroupEnabled(views::TCommandGroup::Search, true);
  Host.SetGroupEnabled(views::TCommandGroup::Options, true);
  Host.SetGroupEnabled(views::TCommandGroup::Actions, true);
  for (TCommand c : {TCommand::FindNext, TCommand::Replace}) Host.SetEnabled(c, true);
  for (TCommand c : {TCommand::NextDiff, TCommand::PrevDiff}) Host.SetEnabled(c, ResultPresent);
  Host.ShowNote(ResultPresent ? OptionsNote(Model.Options) : QString());
  Pane(Side1)->setFocus();
  Host.ShowCounts(Counts);
}

void TFilesFrame::BindCommands() {
  auto bind = [this](TCommandId c, std::function<void()> work) {
    Host.Bind(c, [this, work = std::move(work)] { Guarded(work); });
  };
  for (TSide s : AllSides) {
    bind(TCommandId(TSideCommand::Open, s), [this, s] { OpenCommand(s); });
    bind(TCommandId(TSideCommand::Save, s), [this, s] { SaveText(s); });
  }
  bind(TCommand::Compare, [this] { RunCompare(); });
  bind(TCommand::Cancel, [this] { CancelCompare(); });
  bind(TCommand::HorzSplit, [this] { ToggleSplit(); });
  bind(TCommand::SaveReport, [this] { SaveReport(); });
  bind(TCommand::Undo, [this] { if (TCodeEdit* p = ActivePane()) p->Undo(); });
  bind(TCommand::Redo, [this] { if (TCodeEdit* p = ActivePane()) p->Redo(); });
  bind(TCommand::Cut, [this] { if (TCodeEdit* p = ActivePane()) p->CutToClipboard(); });
  bind(TCommand::Copy, [this] { if (TCodeEdit* p = ActivePane()) p->CopyToClipboard(); });
  bind(TCommand::Paste, [this] { if (TCodeEdit* p = ActivePane()) p->PasteFromClipboard(); });
  bind(TCommand::Find, [this] { FindCommand(); });
  bind(TCommand::FindNext, [this] { FindNextCommand(); });
  bind(TCommand::Replace, [this] { ReplaceCommand(); });
  bind(TCommand::Font, [this] { FontCommand(); });
  bind(TCommand::NextDiff, [this] { NextDifference(); });
  bind(TCommand::PrevDiff, [this] { PrevDifference(); });
  bind(TCommand::CopyBlockRight, [this] { CopyBlockRight(); });
  bind(TCommand::CopyBlockLeft, [this] { CopyBlockLeft(); });
}

TCodeEdit* TFilesFrame::ActivePane() const {
  QWidget* w = window() ? window()->focusWidget() : nullptr;
  for (TSide s : AllSides)
    if (w == Pane(s) || w == Pane(s)->viewport()) return Pane(s);
  return nullptr;
}

compare::TSide TFilesFrame::SideOf(const TCodeEdit* pane) const {
  for (TSide s : AllSides)
    if (pane == Pane(s)) return s;
  return Side1;
}

void TFilesFrame::EditMenuOpened() {
  TCodeEdit* p = isVisible() ? ActivePane() : nullptr;
  const bool sel = p && p->SelLength() > 0;
  Host.SetEnabled(TCommand::Undo, p && p->CanUndo());
  Host.SetEnabled(TCommand::Redo, p && p->CanRedo());
  Host.SetEnabled(TCommand::Cut, sel);
  Host.SetEnabled(TCommand::Copy, sel);
  const QMimeData* clip = QApplication::clipboard()->mimeData();
  Host.SetEnabled(TCommand::Paste, p && clip && clip->hasText());
}

void TFilesFrame::FontCommand() {
  bool ok = false;
  QFont f = QFontDialog::getFont(&ok, PaneFont, Host.DialogParent(), QString(), QFontDialog::MonospacedFonts);
  if (ok) SetPaneFont(f);
}

void TFilesFrame::OpenCommand(TSide side) {
  QString path = ChooseOpenFile(QString::fromStdString(Host.Folder(side).string()));
  if (!path.isEmpty()) LoadFile(path, side);
}

// ---- texts ----------------------------------------------------------------------------------

const compare::TSideText& TFilesFrame::Text(TSide side) const { return *Model.Sides[side]; }

bool TFilesFrame::CanCompare() const {
  return !Comparing && std::all_of(AllSides.begin(), AllSides.end(), [this](TSide s) { return !Text(s).Empty(); });
}

void TFilesFrame::ShowSide(std::shared_ptr<compare::TSideText> text, TSide side) {
  // A text arriving while a comparison runs makes that comparison's result worthless.
  if (Comparing) Engine->Cancel();
  ResultPresent = false;
  SetSyncScrolling(false);
  // The rows of the last result go; its change records stay for saving a side still aligned.
  Model.Rows = compare::TRows{};
  Model.Present = false;
  bySection_ = false;
  sectionRows_ = compare::TRows{};
  Model.Sides[side] = std::move(text);
  sides_[side].Aligned = false;
  Filling = true;
  TLines& lines = Pane(side)->Lines();
  lines.BeginUpdate();
  lines.Clear();
  lines.SetSource(std::make_shared<TSideLines>(Model.Sides[side]));
  lines.Reserve(Text(side).Count());
  for (std::int32_t i = 0; i < Text(side).Count(); ++i) lines.AddRef(i);
  lines.EndUpdate();
  lines.SetModified(false);
  Filling = false;
  ++TextGeneration;
}

void TFilesFrame::SetResultCommands(bool on) {
  for (TCommand c : {TCommand::NextDiff, TCommand::PrevDiff, TCommand::SaveReport}) Host.SetEnabled(c, on);
}

void TFilesFrame::AfterLoad(TSide side) {
  // Both captions: the other one loses the options note of a result no longer shown.
  for (TSide s : AllSides) SetCaption(s);
  Pane(side)->SetAutoLineNum(true);
  MarkEdited(side, false);
  sbDiff->hide();
  Pane(side)->setFocus();
  Host.SetEnabled(TCommand::Compare, CanCompare());
  Host.ShowNote(QString());
  SetResultCommands(false);
  CurrentLine = 0;
  ShowCurrentLine();
}

void TFilesFrame::LoadFile(const QString& path, TSide side) {
  if (ReadFile(path, side)) RunCompare();
}

void TFilesFrame::LoadFiles(const std::array<QString, compare::SideCount>& paths,
                             const std::array<QString, compare::SideCount>& labels) {
  bool any = false;
  for (TSide s : AllSides)
    if (!paths[s].isEmpty()) any = ReadFile(paths[s], s, labels[s]) || any;
  if (any) RunCompare();
}

bool TFilesFrame::ReadFile(const QString& path, TSide side, const QString& label) {
  QFileInfo info(path);
  if (!info.exists() || info.isDir()) return false;
  if (ResolveSide(side) == TResolved::Cancelled) return false;
  auto text = std::make_shared<compare::TSideText>(compare::LoadSideText(ToPath(path)));
  // A file of one's own can be edited and saved; the null device (the missing side of an added or
  // deleted file) is shown empty, and nothing is ever written to it.
  const bool none = platform::IsNullDevice(ToPath(path));
  text->ReadOnly = none;
  // Shown without "dir/.." parts, or by its label; read again by the path as given.
  const QString shown = !label.isEmpty() ? label : QString::fromStdString(ToPath(path).lexically_normal().string());
  text->Title = shown.toStdString();
  ShowSide(std::move(text), side);
  sides_[side].Name = shown;
  sides_[side].Path = path;
  sides_[side].FileStamp = FileStamp(path);
  if (!none) Host.SetFolder(side, ToPath(info.absolutePath()) / "");
  Pane(side)->SetReadOnly(none);
  AfterLoad(side);
  return true;
}

void TFilesFrame::SetSourceText(const QString& caption, const std::vector<std::string>& lines, TSide side) {
  auto text = std::make_shared<compare::TSideText>(lines);
  text->Title = caption.toStdString();
  text->ReadOnly = true;
  ShowSide(std::move(text), side);
  sides_[side].Name = caption;
  sides_[side].Path.clear();
  sides_[side].FileStamp = 0;
  AfterLoad(side);
  Pane(side)->SetReadOnly(true);
}

std::int64_t TFilesFrame::FileStamp(const QString& path) {
  // The null device (an added or deleted file's missing side) changes whenever anything writes
  // to it: it is never watched.
  if (platform::IsNullDevice(ToPath(path))) return 0;
  std::error_code ec;
  auto t = std::filesystem::last_write_time(ToPath(path), ec);
  if (ec) return 0;
  const std::int64_t stamp = t.time_since_epoch().count();
  return stamp != 0 ? stamp : 1;
}

void TFilesFrame::CheckFilesChanged() {
  for (TSide s : AllSides) {
    TSideState& state = sides_[s];
    if (state.FileStamp == 0) continue;
    const std::int64_t now = FileStamp(state.Path);
    if (now == 0 || now == state.FileStamp) continue;
    // Edits are not dropped without asking; kept, the question comes again only at the file's
    // next change.
    if (Pane(s)->Lines().Modified()) {
      const QString question =
          tr("%1\n\n这个文件载入以后已在磁盘上被改过。\n重新载入它（丢弃窗格中的修改），还是保留窗格中的修改？")
              .arg(state.Name);
      if (!Host.AskChoice(question, tr("重新载入"), tr("保留修改"))) {
        state.FileStamp = now;
        continue;
      }
      Pane(s)->Lines().SetModified(false);  // the user chose to drop them
    }
    LoadFile(state.Path, s);
  }
}

namespace {

bool ReadInCodePage(const compare::TSideText& text) {
  return text.Format.Encoding == platform::TTextEncoding::CodePage;
}

}  // namespace

bool TFilesFrame::CodePageTextsEdited() const {
  return std::any_of(AllSides.begin(), AllSides.end(), [this](TSide s) {
    return !sides_[s].Path.isEmpty() && ReadInCodePage(Text(s)) && Pane(s)->Lines().Modified();
  });
}

void TFilesFrame::ReloadCodePageTexts() {
  std::array<QString, compare::SideCount> paths;
  for (TSide s : AllSides)
    if (!sides_[s].Path.isEmpty() && ReadInCodePage(Text(s))) paths[s] = sides_[s].Path;
  if (std::none_of(paths.begin(), paths.end(), [](const QString& p) { return !p.isEmpty(); })) return;
  for (TSide s : AllSides)
    if (!paths[s].isEmpty()) Pane(s)->Lines().SetModified(false);  // asked before the change
  LoadFiles(paths);
}

QString TFilesFrame::OptionsNote(const compare::TCompareOptions& o) {
  // The words of compare::OptionsNote, which the text report keeps as they are.
  const std::pair<bool, const char*> notes[] = {{o.IgnoreCase, QT_TR_NOOP("Case Ignored")},
                                                {o.IgnoreBlanks, QT_TR_NOOP("Blanks Ignored")},
                                                {o.IgnoreComments, QT_TR_NOOP("Comments Ignored")},
                                                {o.AlignSimilar, QT_TR_NOOP("Similar Lines Aligned")},
                                                {o.BySection, QT_TR_NOOP("By Section")},
                                                {o.IgnorePosition, QT_TR_NOOP("Position Ignored")},
                                                {o.IgnoreDefaults, QT_TR_NOOP("Defaults Ignored")}};
  QStringList on;
  for (const auto& [set, text] : notes)
    if (set) on << tr(text);
  return on.isEmpty() ? QString() : tr("  (%1)").arg(on.join(tr(", ")));
}

void TFilesFrame::SetCaption(TSide side) {
  QLabel* bar = CaptionBar(side);
  // A library object's name may hold control characters: they are shown as symbols.
  const QString name = QString::fromStdString(platform::ShowControls(sides_[side].Name.toStdString()));
  QString text = name.isEmpty() ? QString() : "  " + name;
  if (ResultPresent && !name.isEmpty()) text += OptionsNote(Model.Options);
  bar->setText(text);
  // A tooltip that looks like markup is shown as markup: the name goes in escaped.
  bar->setToolTip(name.isEmpty() ? QString() : "<p style='white-space:pre'>" + name.toHtmlEscaped() + "</p>");
}

void TFilesFrame::MarkEdited(TSide side, bool edited) {
  QLabel* bar = CaptionBar(side);
  QPalette pal = bar->palette();
  pal.setColor(QPalette::Window, edited ? Pane(side)->ToQColor(kEditedCaption) : palette().color(QPalette::Button));
  bar->setPalette(pal);
}

// ---- comparing ------------------------------------------------------------------------------

void TFilesFrame::RunCompare() {
  if (Comparing) {
    // A new pair of texts arrived while the last one is being compared: that run stops and the
    // comparison starts over with what the panes hold now.
    Engine->Cancel();
    RestartPending = true;
    return;
  }
  CurrentLine = 0;
  if (!ConfirmDiscardEdits()) return;
  if (!CompareTexts()) return;
  ShowResult();
}

// Runs the engine, again as long as new texts arrive meanwhile. False when the run was cancelled
// or its texts were replaced.
bool TFilesFrame::CompareTexts() {
  struct TRestore {
    TFilesFrame& f;
    ~TRestore() {
      f.Comparing = false;
      f.Host.SetEnabled(TCommand::Compare, f.CanCompare());
      f.Host.SetEnabled(TCommand::Cancel, false);
    }
  } restore{*this};
  bool ok = false;
  do {
    RestartPending = false;
    Comparing = true;
    Host.SetEnabled(TCommand::Compare, false);
    Host.SetEnabled(TCommand::Cancel, true);
    const std::uint64_t generation = TextGeneration;
    const views::TViewOptions options = Host.Options();
    EventsTimer.invalidate();
    compare::TComparison run;
    run.Sides = Model.Sides;
    ok = run.Run(*Engine, options.Compare, options.ShowDiffsOnly);
    // Texts replaced during the run: its records belong to texts no longer shown.
    if (generation != TextGeneration) ok = false;
    if (ok) Model = std::move(run);
    if (ok) CompareSections(options.Compare);
    Comparing = false;
  } while (RestartPending);
  return ok;
}

bool TFilesFrame::CompareSections(const compare::TCompareOptions& options) {
  bySection_ = false;
  sectionNote_.clear();
  sectionRows_ = compare::TRows{};
  if (!options.BySection) return false;
  const pbparse::TSectionView view = compare::SectionView(Text(Side1).ToVector(), Text(Side2).ToVector(),
                                                          Text(Side1).Title, Text(Side2).Title, options);
  if (!view.Structured) {
    sectionNote_ = tr("按行比较：") + FromCodePage(view.Reason);
    return false;
  }
  sectionTexts_ = {std::make_shared<compare::TSideText>(view.Lines1),
                   std::make_shared<compare::TSideText>(view.Lines2)};
  std::array<std::int32_t, compare::SideCount> lineCounts{};
  for (TSide s : AllSides) lineCounts[s] = sectionTexts_[s]->Count();
  sectionRows_ = compare::SectionRowsOf(view, lineCounts);
  if (sectionRows_.IgnoredLeftOut > 0)
    sectionNote_ = tr("未显示 %1 行仅一侧有、按选项忽略的属性").arg(sectionRows_.IgnoredLeftOut);
  bySection_ = true;
  return true;
}

void TFilesFrame::ShowResult() {
  ResultPresent = true;
  FillPanes();
  SetPanesEditable();
  Pane(Side1)->MoveCaretTo(TPoint{0, 0});
  SetSyncScrolling(true);
  for (TSide s : AllSides) {
    MarkEdited(s, false);
    SetCaption(s);
  }
  Pane(Side1)->setFocus();
  ShowCaretRow(Pane(Side1));
  SetResultCommands(true);
}

bool TFilesFrame::ConfirmDiscardEdits() { return ResolveEdits(true); }

QString TFilesFrame::EditsQuestion(TSide side) const {
  const QString name = Name(side).isEmpty() ? tr("文件 %1").arg(side + 1) : Name(side);
  return tr("%1\n\n这个窗格中的修改还没有保存。保存吗？").arg(name);
}

TFilesFrame::TResolved TFilesFrame::ResolveSide(TSide side) {
  if (!Pane(side)->Lines().Modified()) return TResolved::Kept;
  switch (Host.AskSaveEdits(EditsQuestion(side))) {
    case views::TEditsChoice::Save: return SaveEdits(side) ? TResolved::Saved : TResolved::Cancelled;
    case views::TEditsChoice::Discard: return TResolved::Kept;
    default: return TResolved::Cancelled;
  }
}

bool TFilesFrame::ResolveEdits(bool reloadSaved) {
  std::vector<TSide> saved;
  for (TSide s : AllSides) {
    const TResolved r = ResolveSide(s);
    if (r == TResolved::Cancelled) return false;
    if (r == TResolved::Saved) saved.push_back(s);
  }
  // What is compared next is what was saved.
  if (reloadSaved)
    for (TSide s : saved)
      if (!sides_[s].Path.isEmpty()) ReadFile(sides_[s].Path, s);
  return true;
}

void TFilesFrame::CancelCompare() {
  if (Engine) Engine->Cancel();
  RestartPending = false;
  Host.ShowNote(tr("Compare cancelled."));
}

void TFilesFrame::DiffProgress(int percent) { Host.ShowNote(tr("Approx. %1% complete").arg(percent)); }

void TFilesFrame::SetGutterWidths() {
  // Side 1's gutter leaves room for the difference marks.
  for (TSide s : AllSides) {
    const int lines = Counts.Lines(s);
    Pane(s)->SetGutterWidth((Digits(lines) + 1) * Pane(s)->CharWidth() + (s == Side1 ? 10 : 0));
  }
}

const std::vector<compare::TSpan>* TFilesFrame::SpansOf(int paneRow, TSide side) {
  if (!ResultPresent) return nullptr;
  const TLineObj& obj = Pane(side)->Lines().GetLineObj(paneRow);
  if (static_cast<TRowKind>(obj.Kind) != TRowKind::Modified || obj.Modified) return nullptr;
  compare::TRows& rows = bySection_ ? sectionRows_ : Model.Rows;
  const std::int32_t index = paneRows_.empty() ? paneRow : paneRows_.at(static_cast<std::size_t>(paneRow));
  if (index < 0 || index >= rows.Count()) return nullptr;
  compare::TRow& row = rows.Rows[static_cast<std::size_t>(index)];
  if (row.Kind != TRowKind::Modified || row.Cells[side].Number() != obj.Tag) return nullptr;
  if (row.Cells[side].Spans < 0) {
    const std::int32_t l1 = row.Cells[Side1].Line, l2 = row.Cells[Side2].Line;
    const compare::TInlineDiff found =
        bySection_ ? compare::ChangedSpans(sectionTexts_[Side1]->Line(l1), sectionTexts_[Side2]->Line(l2), Model.Options)
                   : compare::ChangedSpans(Model.LineView(Side1, l1), Model.LineView(Side2, l2), Model.Options);
    row.Cells[Side1].Spans = static_cast<std::int32_t>(rows.Spans.size());
    rows.Spans.push_back(found.Changed1);
    row.Cells[Side2].Spans = static_cast<std::int32_t>(rows.Spans.size());
    rows.Spans.push_back(found.Changed2);
  }
  const std::vector<compare::TSpan>& spans = rows.Spans[static_cast<std::size_t>(row.Cells[side].Spans)];
  return spans.empty() ? nullptr : &spans;
}

TColor TFilesFrame::SpanColor() const {
  // The HTML page's shade of the changed colour (a system colour resolved first).
  const QColor mod = Pane(Side1)->ToQColor(Host.Colors().Mod);
  return report::StrongerShade(RGBColor(static_cast<unsigned>(mod.red()), static_cast<unsigned>(mod.green()),
                                         static_cast<unsigned>(mod.blue())));
}

TColor TFilesFrame::KindColor(TRowKind kind) const {
  const views::TViewColors colors = Host.Colors();
  switch (kind) {
    case TRowKind::Added: return colors.Add;
    case TRowKind::Deleted: return colors.Del;
    case TRowKind::Modified: return colors.Mod;
    case TRowKind::Moved: {
      // Half way between the changed colour and white: a change of place, not of text.
      const auto half = [](unsigned c) { return (c + 255u) / 2u; };
      return RGBColor(half(RedOf(colors.Mod)), half(GreenOf(colors.Mod)), half(BlueOf(colors.Mod)));
    }
    default: return clWindow;
  }
}

void TFilesFrame::FillPanes() {
  // Nothing is aligned until a comparison has produced a result.
  if (!ResultPresent) return;
  const bool diffsOnly = Host.Options().ShowDiffsOnly;
  if (!bySection_) Model.Align(diffsOnly);
  Counts = ShownRows().Counts;
  Filling = true;
  for (TSide s : AllSides) FillPane(s);
  FilledDiffsOnly = diffsOnly;
  Filling = false;
  BuildOverview();
  for (TSide s : AllSides) {
    Pane(s)->viewport()->update();
    SetCaption(s);
  }
  // The rows changed under the caret: the bars and the block-copy items follow.
  ShowCaretRow(ActivePane() ? ActivePane() : Pane(Side1));
  Host.ShowCounts(Counts);
}

bool TFilesFrame::FilledDiffsOnlyWanted() const { return Host.Options().ShowDiffsOnly; }

void TFilesFrame::StructureOptionsChanged() { OptionsChanged(); }

bool TFilesFrame::OptionsChanged() {
  if (Comparing) {
    RunCompare();  // the running comparison starts over under the new options
    return true;
  }
  if (!ResultPresent) return true;
  if (!ResolveEdits(true)) return false;
  // The caret's line (by its number in its side) and its distance from the top stay.
  TCodeEdit* pane = ActivePane() ? ActivePane() : Pane(Side1);
  const TSide side = SideOf(pane);
  const bool saved = !ResultPresent;  // a saved side was read back: a new pair, shown from its top
  const int row = pane->CaretPos().Y;
  const std::int32_t tag = row < pane->Lines().Count() ? pane->Lines().GetLineObj(row).Tag : 0;
  const std::int32_t fromTop = row - pane->TopLine();
  const std::int32_t column = pane->CaretPos().X;
  if (!CompareTexts()) return true;
  ShowResult();
  if (saved || tag <= 0) return true;
  TLines& lines = Pane(side)->Lines();
  std::int32_t found = -1;
  for (std::int32_t i = 0; i < lines.Count() && found < 0; ++i)
    if (lines.GetLineObj(i).Tag >= tag) found = i;
  if (found < 0) return true;
  Pane(side)->setFocus();
  Pane(side)->SetTopLine(std::max(0, found - fromTop));
  Pane(side)->MoveCaretTo(TPoint{column, found});
  ShowCaretRow(Pane(side));
  return true;
}

// In the section view side 2 stands in side 1's order (and DataWindows in their attribute form):
// nothing there may be edited or saved. Otherwise a loaded file can be, a handed-over text not.
void TFilesFrame::SetPanesEditable() {
  for (TSide s : AllSides) {
    Pane(s)->SetReadOnly(bySection_ || Text(s).ReadOnly);
    Host.SetEnabled(TCommandId(TSideCommand::Save, s), !bySection_);
  }
  if (bySection_) {
    Host.SetEnabled(TCommand::CopyBlockRight, false);
    Host.SetEnabled(TCommand::CopyBlockLeft, false);
  }
  Host.ShowStatus(sectionNote_);
}

void TFilesFrame::ShowDiffsOnlyChanged() {
  if (!ResultPresent) return;
  if (!ConfirmDiscardEdits()) {
    Host.SetShowDiffsOnly(!Host.Options().ShowDiffsOnly);
    return;
  }
  FillPanes();
}

void TFilesFrame::FillPane(TSide side) {
  TCodeEdit* pane = Pane(side);
  pane->OnMouseWheel = [this](TCodeEdit* sender, Qt::KeyboardModifiers, int delta, QPoint, bool& handled) {
    FrameMouseWheel(sender, delta, handled);
  };
  TLines& lines = pane->Lines();
  lines.BeginUpdate();
  lines.Clear();
  lines.SetSource(std::make_shared<TSideLines>(ShownText(side)));
  pane->SetAutoLineNum(false);
  SetGutterWidths();
  const compare::TRows& rows = ShownRows();
  // The section view keeps all its rows; the equal ones are left out here.
  const bool skipEqual = bySection_ && FilledDiffsOnlyWanted();
  lines.Reserve(rows.Count());
  if (side == Side1) paneRows_.clear();
  for (const compare::TRow& row : rows.Rows) {
    if (skipEqual && row.Kind == TRowKind::Equal) continue;
    if (skipEqual && side == Side1) paneRows_.push_back(static_cast<std::int32_t>(&row - rows.Rows.data()));
    const compare::TCell& cell = row.Cells[side];
    const int i = cell.IsFiller() ? lines.Add(std::string_view()) : lines.AddRef(cell.Line);
    TLineObj& obj = lines.GetLineObj(i);
    obj.Color = KindColor(row.Kind);
    obj.Tag = cell.Number();
    obj.Kind = static_cast<std::uint8_t>(row.Kind);
    obj.Modified = false;
  }
  sides_[side].Aligned = true;
  lines.EndUpdate();
  lines.SetModified(false);
}

void TFilesFrame::PaintGutter(TCodeEdit* sender, QPainter& canvas, const QRect& marginRec, int row, int tag) {
  const bool marks = SideOf(sender) == Side1;
  const int right = sender->GutterWidth() + marginRec.left();
  if (tag > 0) {
    const std::string num = std::to_string(tag);
    sender->TextOut(canvas, right - (marks ? 14 : 4) - sender->TextWidth(num), marginRec.top(), num);
  }
  if (!marks || row < 0 || row >= sender->Lines().Count()) return;
  static const char* const kMarks[] = {"", "+", "-", "~", ">"};
  const std::uint8_t kind = sender->Lines().GetLineObj(row).Kind;
  if (kind >= 1 && kind <= 4) sender->TextOut(canvas, right - 10, marginRec.top(), kMarks[kind]);
}

// ---- layout ------------------------------------------------------------------------------

void TFilesFrame::ToggleSplit() {
  // The command has turned its own check mark over (menu item or button alike).
  ApplyLayout();
}

void TFilesFrame::ApplyLayout() {
  const bool stacked = Host.Options().Stacked;
  Splitter1->setOrientation(stacked ? Qt::Vertical : Qt::Horizontal);
  if (stacked) {
    Host.SetCaption(TCommand::CopyBlockRight, tr("Copy Block &Down"));
    Host.SetShortcut(TCommand::CopyBlockRight, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_D));
    Host.SetCaption(TCommand::CopyBlockLeft, tr("Copy Block &Up"));
    Host.SetShortcut(TCommand::CopyBlockLeft, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_U));
  } else {
    Host.SetCaption(TCommand::CopyBlockRight, tr("Copy Block &Right"));
    Host.SetShortcut(TCommand::CopyBlockRight, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_R));
    Host.SetCaption(TCommand::CopyBlockLeft, tr("Copy Block &Left"));
    Host.SetShortcut(TCommand::CopyBlockLeft, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_L));
  }
  HalveSplit();
  if (TCodeEdit* p = ActivePane()) p->ScrollCaretIntoView();
}

void TFilesFrame::HalveSplit() {
  const bool stacked = Splitter1->orientation() == Qt::Vertical;
  const int whole = stacked ? pnlMain->contentsRect().height() : pnlMain->contentsRect().width();
  const int half = std::max(1, whole / 2);
  Splitter1->setSizes({half, std::max(1, whole - half - Splitter1->handleWidth())});
}

void TFilesFrame::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  HalveSplit();
  AdjustStripWidth();
}

bool TFilesFrame::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize)
    for (TSide s : AllSides)
      if (watched == views_[s].LineBar) PlaceLineBars();
  return QWidget::eventFilter(watched, event);
}

// ---- current line -------------------------------------------------------------------------

void TFilesFrame::CaretMoved(TCodeEdit* pane) {
  if (ResultPresent && ActivePane() == pane) ShowCaretRow(pane);
}

void TFilesFrame::ShowCaretRow(TCodeEdit* pane) {
  const int row = pane->CaretPos().Y;
  const TLines& lines = pane->Lines();
  const bool d =
      !bySection_ && row < lines.Count() && static_cast<TRowKind>(lines.GetLineObj(row).Kind) != TRowKind::Equal;
  Host.SetEnabled(TCommand::CopyBlockRight, d && pane == Pane(Side1));
  Host.SetEnabled(TCommand::CopyBlockLeft, d && pane == Pane(Side2));
  CurrentLine = row;
  ShowCurrentLine();
}

void TFilesFrame::ShowCurrentLine() {
  for (TSide s : AllSides) {
    const TSideView& v = views_[s];
    const TLines& lines = v.Pane->Lines();
    const int row = CurrentLine;
    if (!ResultPresent || row < 0 || row >= lines.Count()) {
      v.LineNo->clear();
      v.Line->clear();
      continue;
    }
    const TLineObj& obj = lines.GetLineObj(row);
    v.LineNo->setText(obj.Tag != 0 ? QString::number(obj.Tag) : QString());
    v.Line->setText(FromCodePage(v.Pane->ExpandTabs(std::string(lines.Get(row)))));
  }
  PlaceLineBars();
}

void TFilesFrame::PlaceLineBars() {
  if (!views_[Side1].LineBar) return;
  for (TSide s : AllSides) {
    const TSideView& v = views_[s];
    const int h = v.LineBar->height();
    v.LineNo->setGeometry(0, 0, kLineNoWidth, h);
    const int x = kLineNoWidth - v.Pane->CharWidth() * v.Pane->LeftCol();
    const int w = std::max(v.Line->sizeHint().width(), v.LineBar->width() - x) + 8;
    v.Line->setGeometry(x + 4, 0, w, h);
    v.LineNo->raise();
  }
}

}  // namespace fileview
