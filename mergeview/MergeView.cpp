#include "mergeview/MergeView.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSplitter>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

#include "editor/CodeEditor.h"
#include "editor/SearchTarget.h"
#include "platform/CodePage.h"
#include "platform/FileSys.h"
#include "search/Searches.h"

using editor::TCodeEdit;
using editor::TColor;
using editor::TLineObj;
using editor::TLines;
using editor::TPaneSearchTarget;
using editor::TPoint;
using editor::clWindow;

namespace mergeview {
namespace {

using views::TCommand;
using search::FindBackward;
using search::FindForward;
using search::ReplaceBackward;
using search::ReplaceForward;
using search::ShowFindDialog;
using search::ShowReplaceDialog;
using search::ShowReplacePrompt;
using search::TReplaceRun;
using search::TSearch;

QString FromCodePage(std::string_view s) { return QString::fromStdU16String(platform::CodePageToUtf16(s)); }
std::string ToCodePage(const QString& s) { return platform::Utf16ToCodePage(s.toStdU16String()); }
std::filesystem::path ToPath(const QString& s) { return std::filesystem::path(s.toStdString()); }

constexpr TColor kFillerColour = 0xE8E8E8;

// The takes in the order of their buttons and keys (Alt+1 ... Alt+5).
struct TTakeItem {
  TTake How;
  const char* Name;
  const char* Caption;
};
constexpr TTakeItem kTakes[] = {
    {TTake::Ours, "actTakeOurs", QT_TRANSLATE_NOOP("mergeview::TMergeFrame", "取侧 1")},
    {TTake::Base, "actTakeBase", QT_TRANSLATE_NOOP("mergeview::TMergeFrame", "取基础")},
    {TTake::Theirs, "actTakeTheirs", QT_TRANSLATE_NOOP("mergeview::TMergeFrame", "取侧 2")},
    {TTake::OursThenTheirs, "actTakeOursThenTheirs", QT_TRANSLATE_NOOP("mergeview::TMergeFrame", "取两侧（1 在前）")},
    {TTake::TheirsThenOurs, "actTakeTheirsThenOurs", QT_TRANSLATE_NOOP("mergeview::TMergeFrame", "取两侧（2 在前）")},
};

}  // namespace

class TResultStrip : public QWidget {
 public:
  TResultStrip(TMergeFrame& frame, QWidget* parent) : QWidget(parent), frame_(frame) {
    setObjectName("pbMerge");
    setFixedWidth(16);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    frame_.PaintStrip(p);
  }
  void mousePressEvent(QMouseEvent* e) override { frame_.StripClicked(static_cast<int>(e->position().y())); }

 private:
  TMergeFrame& frame_;
};

// ---- creation ---------------------------------------------------------------------------------

TMergeFrame::TMergeFrame(views::TViewHost& host, QWidget* parent) : QWidget(parent), Host(host) {
  setObjectName("MergeFrame");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  CreateToolBar();
  layout->addWidget(toolBar_);
  mainSplitter_ = new QSplitter(Qt::Vertical, this);
  mainSplitter_->setObjectName("splMerge");
  sidesSplitter_ = new QSplitter(Qt::Horizontal, mainSplitter_);
  sidesSplitter_->setObjectName("splSides");
  const char* const names[PartCount][2] = {{"edOurs", "lblOurs"}, {"edBase", "lblBase"}, {"edTheirs", "lblTheirs"}};
  for (int k = 0; k < PartCount; ++k) {
    TCodeEdit* pane = NewPane(sidesSplitter_, names[k][0], captions_[static_cast<std::size_t>(k)], names[k][1]);
    panes_[static_cast<std::size_t>(k)] = pane;
    pane->SetReadOnly(true);
    pane->SetAutoLineNum(false);
    pane->OnPaintLeftMargin = [this](TCodeEdit* sender, QPainter& canvas, const QRect& rect, int lineNo, int tag) {
      PaintSideGutter(sender, canvas, rect, lineNo - 1, tag);
    };
    pane->OnScroll = [this](TCodeEdit* sender) { SidesScrolled(sender); };
    pane->OnReadOnlyEdit = [this](TCodeEdit*) { Host.ShowStatus(tr("只有合并结果可以修改。")); };
  }
  result_ = NewPane(mainSplitter_, "edResult", resultCaption_, "lblResult");
  result_->SetAutoLineNum(false);
  result_->OnPaintLeftMargin = [this](TCodeEdit*, QPainter& canvas, const QRect& rect, int lineNo, int) {
    PaintResultGutter(canvas, rect, lineNo - 1);
  };
  result_->Lines().OnChange = [this](TLines*) { ResultChanged(); };
  result_->OnCaretPtChange = [this](TCodeEdit*) { ResultCaretMoved(); };
  result_->OnScroll = [this](TCodeEdit*) { strip_->update(); };
  auto* resultLayout = static_cast<QVBoxLayout*>(result_->parentWidget()->layout());
  resultLayout->removeWidget(result_);
  auto* resultRow = new QHBoxLayout;
  resultRow->setSpacing(0);
  resultRow->addWidget(result_, 1);
  strip_ = new TResultStrip(*this, result_->parentWidget());
  resultRow->addWidget(strip_);
  resultLayout->addLayout(resultRow, 1);
  layout->addWidget(mainSplitter_, 1);
  search_ = std::make_unique<TSearch>();
  Beep = [] { QApplication::beep(); };
}

TMergeFrame::~TMergeFrame() {
  result_->Lines().OnChange = nullptr;
}

TCodeEdit* TMergeFrame::NewPane(QWidget* parent, const char* name, QLabel*& caption, const char* captionName) {
  auto* panel = new QWidget(parent);
  auto* l = new QVBoxLayout(panel);
  l->setContentsMargins(0, 0, 0, 0);
  l->setSpacing(0);
  caption = new QLabel(panel);
  caption->setObjectName(captionName);
  caption->setTextFormat(Qt::PlainText);
  caption->setFrameShape(QFrame::Panel);
  caption->setFrameShadow(QFrame::Raised);
  l->addWidget(caption);
  auto* pane = new TCodeEdit(panel);
  pane->setObjectName(name);
  l->addWidget(pane, 1);
  return pane;
}

void TMergeFrame::CreateToolBar() {
  toolBar_ = new QToolBar(this);
  toolBar_->setObjectName("tbMerge");
  toolBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  auto add = [this](const char* name, const char* caption, const QKeySequence& key, std::function<void()> work) {
    auto* a = new QAction(tr(caption), this);
    a->setObjectName(name);
    a->setShortcut(key);
    a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    a->setToolTip(tr(caption) + " (" + key.toString(QKeySequence::NativeText) + ")");
    connect(a, &QAction::triggered, this, [this, work = std::move(work)] { Guarded(work); });
    addAction(a);
    toolBar_->addAction(a);
    return a;
  };
  add("actSaveResult", QT_TR_NOOP("保存"), QKeySequence(Qt::CTRL | Qt::Key_S), [this] { SaveResult(); });
  toolBar_->addSeparator();
  prevConflict_ =
      add("actPrevConflict", QT_TR_NOOP("上一冲突"), QKeySequence(Qt::ALT | Qt::Key_Up), [this] { PrevConflict(); });
  nextConflict_ =
      add("actNextConflict", QT_TR_NOOP("下一冲突"), QKeySequence(Qt::ALT | Qt::Key_Down), [this] { NextConflict(); });
  toolBar_->addSeparator();
  for (std::size_t i = 0; i < std::size(kTakes); ++i) {
    const TTake how = kTakes[i].How;
    takes_[i] = add(kTakes[i].Name, kTakes[i].Caption, QKeySequence(Qt::ALT | (Qt::Key_1 + static_cast<int>(i))),
                    [this, how] { Take(how); });
  }
}

QAction* TMergeFrame::TakeAction(TTake how) const {
  for (std::size_t i = 0; i < std::size(kTakes); ++i)
    if (kTakes[i].How == how) return takes_[i];
  return nullptr;
}

void TMergeFrame::Guarded(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& e) {
    Host.ShowError(e);
  }
}

void TMergeFrame::SetPaneFont(const QFont& f) {
  for (TCodeEdit* pane : panes_) pane->SetFont(f);
  result_->SetFont(f);
}

// ---- loading ----------------------------------------------------------------------------------

void TMergeFrame::LoadFiles(const QString& output, const std::array<QString, PartCount>& paths) {
  std::array<merge::TMergeFile, PartCount> files;
  for (std::size_t k = 0; k < PartCount; ++k)
    files[k] = {paths[k].toStdString(), platform::ReadFileBytes(ToPath(paths[k]))};
  const bool bySection = Host.Options().Compare.BySection;
  auto model = std::make_unique<TMergeModel>(files[Ours], files[Base], files[Theirs], output.toStdString(), bySection);
  model_ = std::move(model);
  output_ = output;
  paths_ = paths;
  bySection_ = bySection;
  edited_ = false;
  savedClean_ = false;
  const char* const titles[PartCount] = {QT_TR_NOOP("侧 1（本地）"), QT_TR_NOOP("基础"), QT_TR_NOOP("侧 2（远程）")};
  for (std::size_t k = 0; k < PartCount; ++k) captions_[k]->setText(tr(titles[k]) + ": " + paths[k]);
  resultCaption_->setText(tr("合并结果: ") + output);
  FillSides();
  FillResult();
  Host.ShowNote(model_->Notice().empty() ? QString() : tr("按行合并: ") + FromCodePage(model_->Notice()));
  current_ = -1;
  const int first = model_->Next(-1, 1, true);
  GoTo(first >= 0 ? first : 0);
  ShowConflictsLeft();
}

void TMergeFrame::FillSides() {
  const std::vector<TRow>& rows = model_->Rows();
  for (int k = 0; k < PartCount; ++k) {
    TCodeEdit* pane = panes_[static_cast<std::size_t>(k)];
    const std::vector<std::string>& text = model_->Text(static_cast<TPart>(k));
    std::vector<std::string> lines;
    lines.reserve(rows.size());
    for (const TRow& row : rows) {
      const std::int32_t line = row.Line[static_cast<std::size_t>(k)];
      lines.push_back(line >= 0 ? text[static_cast<std::size_t>(line)] : std::string());
    }
    pane->Lines().Assign(lines);
    for (std::size_t r = 0; r < rows.size(); ++r) {
      TLineObj& obj = pane->Lines().GetLineObj(static_cast<int>(r));
      obj.Tag = rows[r].Line[static_cast<std::size_t>(k)] + 1;
      obj.Color = RowColour(rows[r], static_cast<TPart>(k));
    }
    const int digits = static_cast<int>(std::to_string(text.size()).size());
    pane->SetGutterWidth(pane->TextWidth(std::string(static_cast<std::size_t>(digits) + 1, '0')) + 12);
    pane->viewport()->update();
  }
}

TColor TMergeFrame::RowColour(const TRow& row, TPart part) const {
  if (row.Line[static_cast<std::size_t>(part)] < 0) return kFillerColour;
  const views::TViewColors colours = Host.Colors();
  switch (row.Kind) {
    // The line merge's conflicts that the merge by section settled are changes of both sides.
    case TChunkKind::Conflict: return model_->Structured() ? (part == Base ? clWindow : colours.Mod) : kConflictColor;
    case TChunkKind::Ours: return part == Ours ? colours.Mod : clWindow;
    case TChunkKind::Theirs: return part == Theirs ? colours.Mod : clWindow;
    case TChunkKind::Both: return part == Base ? clWindow : colours.Mod;
    default: return clWindow;
  }
}

TColor TMergeFrame::ChunkColour(const TChunk& chunk) const {
  if (chunk.Kind == TChunkKind::Conflict) return chunk.Unsettled() ? kConflictColor : kSettledColor;
  if (chunk.Kind == TChunkKind::Unchanged) return chunk.Taken == TTake::Merged ? clWindow : kSettledColor;
  return chunk.Taken == TTake::Merged ? Host.Colors().Add : kSettledColor;
}

void TMergeFrame::FillResult() {
  filling_ = true;
  result_->Lines().Assign(model_->Result());
  filling_ = false;
  const int digits = static_cast<int>(std::to_string(model_->Result().size() + 1).size());
  result_->SetGutterWidth(result_->TextWidth(std::string(static_cast<std::size_t>(digits) + 2, '0')) + 12);
  Recolour();
}

void TMergeFrame::Recolour() {
  TLines& lines = result_->Lines();
  for (const TChunk& c : model_->Chunks())
    for (std::int32_t i = c.Start; i < c.Start + c.Count && i < lines.Count(); ++i) lines.GetLineObj(i).Color = ChunkColour(c);
  result_->viewport()->update();
  strip_->update();
}

void TMergeFrame::PaintStrip(QPainter& p) {
  p.fillRect(strip_->rect(), result_->ToQColor(clWindow));
  if (!model_) return;
  const int h = strip_->height(), w = strip_->width();
  const double total = std::max<double>(1, static_cast<double>(model_->Result().size()));
  auto y = [&](std::int32_t line) { return static_cast<int>(line * h / total); };
  for (const TChunk& c : model_->Chunks()) {
    if (c.Kind == TChunkKind::Unchanged && c.Taken == TTake::Merged) continue;
    const int top = std::min(y(c.Start), h - 2);
    p.fillRect(QRect(0, top, w, std::max(2, y(c.Start + c.Count) - top)),
               c.Unsettled() && c.Count == 0 ? QColor(0xFF, 0x40, 0x40) : result_->ToQColor(ChunkColour(c)));
  }
  p.setPen(QColor(0, 0, 255));
  p.setBrush(Qt::NoBrush);
  const int top = y(result_->TopLine());
  p.drawRect(QRect(QPoint(0, top), QPoint(w - 1, std::max(top + 1, y(result_->TopLine() + result_->PageRows())))));
}

void TMergeFrame::StripClicked(int y) {
  if (!model_ || strip_->height() <= 0) return;
  const auto line = static_cast<std::int32_t>(static_cast<double>(y) * static_cast<double>(model_->Result().size()) / strip_->height());
  GoTo(model_->ChunkAt(line));
}

// A change the model made (a take, undo, redo): the pane shows the result anew, the caret at
// the change, the scroll position kept.
void TMergeFrame::ShowEdit(std::int32_t caretLine) {
  const std::int32_t top = result_->TopLine();
  FillResult();
  result_->SetTopLine(top);
  filling_ = true;
  result_->SetCaretPos(TPoint{0, std::min(caretLine, std::max(0, result_->Lines().Count() - 1))}, true);
  filling_ = false;
  result_->ScrollCaretRowIntoView();
  edited_ = true;
  ShowConflictsLeft();
}

bool TMergeFrame::ConfirmOptionsChange() {
  if (!model_ || Host.Options().Compare.BySection == bySection_ || !model_->CanUndo()) return true;
  return Host.AskYesNo(tr("合并结果的修改将会丢失。\n仍要重新合并吗？"));
}

void TMergeFrame::OptionsChanged() {
  if (!model_ || Host.Options().Compare.BySection == bySection_) return;
  Guarded([this] { LoadFiles(output_, paths_); });
}

// ---- the view host ----------------------------------------------------------------------------

void TMergeFrame::ActivateView() {
  BindCommands();
  for (compare::TSide s : compare::AllSides) Host.SetEnabled(views::OpenCommand(s), false);
  Host.SetEnabled(views::SaveCommand(compare::Side1), Loaded());
  Host.SetCaption(views::SaveCommand(compare::Side1), tr("保存合并结果"));
  Host.SetEnabled(views::SaveCommand(compare::Side2), false);
  for (TCommand c : {TCommand::SaveReport, TCommand::Compare, TCommand::Cancel, TCommand::CompareFiles,
                     TCommand::CopyBlockRight, TCommand::CopyBlockLeft, TCommand::HorzSplit, TCommand::Font})
    Host.SetEnabled(c, false);
  Host.SetGroupEnabled(views::TCommandGroup::Edit, true);
  Host.SetGroupEnabled(views::TCommandGroup::Search, true);
  Host.SetGroupEnabled(views::TCommandGroup::Actions, true);
  Host.SetGroupRefresh(views::TCommandGroup::Edit, [this] {
    Host.SetEnabled(TCommand::Undo, model_ && model_->CanUndo());
    Host.SetEnabled(TCommand::Redo, model_ && model_->CanRedo());
  });
  for (TCommand c : {TCommand::NextDiff, TCommand::PrevDiff, TCommand::Find, TCommand::FindNext, TCommand::Replace})
    Host.SetEnabled(c, Loaded());
  result_->setFocus();
  ShowConflictsLeft();
}

void TMergeFrame::BindCommands() {
  auto bind = [this](views::TCommandId c, std::function<void()> work) {
    Host.Bind(c, [this, work = std::move(work)] { Guarded(work); });
  };
  bind(views::SaveCommand(compare::Side1), [this] { SaveResult(); });
  bind(TCommand::NextDiff, [this] { NextChange(); });
  bind(TCommand::PrevDiff, [this] { PrevChange(); });
  bind(TCommand::Undo, [this] { UndoStep(); });
  bind(TCommand::Redo, [this] { RedoStep(); });
  bind(TCommand::Cut, [this] { if (TCodeEdit* p = ActivePane()) p->CutToClipboard(); });
  bind(TCommand::Copy, [this] { if (TCodeEdit* p = ActivePane()) p->CopyToClipboard(); });
  bind(TCommand::Paste, [this] { if (TCodeEdit* p = ActivePane()) p->PasteFromClipboard(); });
  bind(TCommand::Find, [this] { Find(true); });
  bind(TCommand::FindNext, [this] { Find(false); });
  bind(TCommand::Replace, [this] { Replace(); });
}

TCodeEdit* TMergeFrame::ActivePane() const {
  for (TCodeEdit* pane : panes_)
    if (pane->hasFocus()) return pane;
  return result_;
}

void TMergeFrame::ShowConflictsLeft() {
  if (!model_) return;
  const int left = model_->ConflictsLeft();
  Host.ShowStatus(left == 0 ? tr("没有未解决的冲突") : tr("未解决的冲突: %1").arg(left));
}

// ---- moving and settling ----------------------------------------------------------------------

void TMergeFrame::GoTo(int chunk) {
  if (!model_ || chunk < 0 || chunk >= static_cast<int>(model_->Chunks().size())) {
    if (model_ && Beep) Beep();
    return;
  }
  current_ = chunk;
  const TChunk& c = model_->Chunks()[static_cast<std::size_t>(chunk)];
  filling_ = true;
  result_->SetCaretPos(TPoint{0, std::min(c.Start, std::max(0, result_->Lines().Count() - 1))}, true);
  filling_ = false;
  result_->SetTopLine(std::max(0, c.Start - 3));
  ShowChunkInSides(chunk);
  result_->viewport()->update();
}

void TMergeFrame::ShowChunkInSides(int chunk) {
  const std::int32_t row = model_->Chunks()[static_cast<std::size_t>(chunk)].FirstRow;
  if (row < 0) return;
  scrolling_ = true;
  for (TCodeEdit* pane : panes_) {
    if (row < pane->Lines().Count()) pane->SetCaretPos(TPoint{0, row}, true);
    pane->SetTopLine(std::max(0, row - 3));
  }
  scrolling_ = false;
}

void TMergeFrame::Take(TTake how) {
  if (!model_ || current_ < 0) return;
  if (model_->Chunks()[static_cast<std::size_t>(current_)].Kind == TChunkKind::Unchanged) {
    if (Beep) Beep();
    return;
  }
  const int chunk = current_;
  const TResultEdit edit = model_->Take(chunk, how);
  ShowEdit(edit.Start);
  current_ = chunk;
}

void TMergeFrame::UndoStep() {
  if (!model_ || !model_->CanUndo()) return;
  const TResultEdit edit = model_->Undo();
  ShowEdit(edit.Start);
  current_ = model_->ChunkAt(edit.Start);
}

void TMergeFrame::RedoStep() {
  if (!model_ || !model_->CanRedo()) return;
  const TResultEdit edit = model_->Redo();
  ShowEdit(edit.Start);
  current_ = model_->ChunkAt(edit.Start);
}

void TMergeFrame::ResultChanged() {
  if (filling_ || !model_) return;
  if (!model_->EditTo(result_->Lines().ToVector())) return;
  edited_ = true;
  Recolour();
  ShowConflictsLeft();
}

void TMergeFrame::ResultCaretMoved() {
  if (filling_ || !model_) return;
  const int chunk = model_->ChunkAt(result_->CaretPos().Y);
  if (chunk == current_ || chunk < 0) return;
  current_ = chunk;
  ShowChunkInSides(chunk);
  result_->viewport()->update();
}

void TMergeFrame::SidesScrolled(TCodeEdit* sender) {
  if (scrolling_) return;
  scrolling_ = true;
  for (TCodeEdit* pane : panes_)
    if (pane != sender) {
      pane->ScrollToLine(sender->TopLine());
      pane->ScrollToCol(sender->LeftCol());
    }
  scrolling_ = false;
}

// ---- painting ---------------------------------------------------------------------------------

void TMergeFrame::PaintSideGutter(TCodeEdit* pane, QPainter& canvas, const QRect& rect, int, int tag) {
  if (tag <= 0) return;
  const std::string num = std::to_string(tag);
  pane->TextOut(canvas, rect.right() - 4 - pane->TextWidth(num), rect.top(), num);
}

// Line numbers, a mark beside the current chunk's lines, and a bar where an unsettled conflict
// holds no line (both sides added lines where the base has none).
void TMergeFrame::PaintResultGutter(QPainter& canvas, const QRect& rect, int line) {
  const std::string num = std::to_string(line + 1);
  result_->TextOut(canvas, rect.right() - 4 - result_->TextWidth(num), rect.top(), num);
  if (!model_) return;
  const int count = result_->Lines().Count();
  for (std::size_t i = 0; i < model_->Chunks().size(); ++i) {
    const TChunk& c = model_->Chunks()[i];
    if (static_cast<int>(i) == current_ && c.Start <= line && line < c.Start + c.Count)
      result_->TextOut(canvas, rect.left() + 2, rect.top(), ">");
    if (!c.Unsettled() || c.Count != 0) continue;
    if (c.Start == line) canvas.fillRect(QRect(rect.left(), rect.top(), result_->width(), 3), QColor(0xFF, 0x40, 0x40));
    if (c.Start == count && line == count - 1)
      canvas.fillRect(QRect(rect.left(), rect.bottom() - 2, result_->width(), 3), QColor(0xFF, 0x40, 0x40));
    if (static_cast<int>(i) == current_ && (c.Start == line || (c.Start == count && line == count - 1)))
      result_->TextOut(canvas, rect.left() + 2, rect.top(), ">");
  }
}

// ---- saving -----------------------------------------------------------------------------------

bool TMergeFrame::SaveResult() {
  if (!model_) return false;
  const int left = model_->ConflictsLeft();
  if (left > 0 && !Host.AskYesNo(tr("还有 %1 处冲突未解决，冲突处将保存基础版本的行。\n仍要保存吗？").arg(left)))
    return false;
  try {
    model_->Save(ToPath(output_));
  } catch (const std::exception& e) {
    Host.ShowError(e);
    return false;
  }
  edited_ = false;
  savedClean_ = left == 0;
  Host.ShowNote(tr("已保存 ") + output_);
  return true;
}

bool TMergeFrame::ResolveEdits() {
  if (!model_ || !edited_) return true;
  switch (Host.AskSaveEdits(tr("合并结果 %1 已修改，要保存吗？").arg(output_))) {
    case views::TEditsChoice::Save: return SaveResult();
    case views::TEditsChoice::Discard: return true;
    default: return false;
  }
}

// ---- find and replace -------------------------------------------------------------------------

void TMergeFrame::Find(bool dialog) {
  if ((dialog || SearchOptions.FindText.isEmpty()) && !ShowFindDialog(Host.DialogParent(), SearchOptions)) return;
  search_->SetPattern(ToCodePage(SearchOptions.FindText));
  search_->SetCaseSensitive(!SearchOptions.IgnoreCase);
  TPaneSearchTarget target(*ActivePane());
  const bool found = SearchOptions.Forward ? FindForward(target, *search_, SearchOptions.WholeWords)
                                           : FindBackward(target, *search_, SearchOptions.WholeWords);
  if (!found && Beep) Beep();
}

void TMergeFrame::Replace() {
  if (ShowReplaceDialog(Host.DialogParent(), SearchOptions)) RunReplace();
}

void TMergeFrame::RunReplace() {
  search_->SetPattern(ToCodePage(SearchOptions.FindText));
  search_->SetCaseSensitive(!SearchOptions.IgnoreCase);
  TPaneSearchTarget target(*result_);
  TReplaceRun run;
  run.ReplaceText = ToCodePage(SearchOptions.ReplaceText);
  run.WholeWords = SearchOptions.WholeWords;
  run.Prompt = SearchOptions.Prompt;
  run.ReplaceAll = SearchOptions.ReplaceAll;
  run.Ask = [this] {
    return AskReplace ? AskReplace(result_)
                      : ShowReplacePrompt(result_->viewport(), result_->PointToPixel(result_->CaretPos()));
  };
  if (SearchOptions.Forward)
    ReplaceForward(target, *search_, run);
  else
    ReplaceBackward(target, *search_, run);
}

}  // namespace mergeview
