#include "FindReplace.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

namespace search {

TFindForm* FindForm = nullptr;
TReplaceForm* ReplaceForm = nullptr;

namespace {

QWidget* dialogOwner = nullptr;

// The designed sizes are outer sizes, frame included; the client area is that less a dialog
// frame of 3 pixels each side and a 22-pixel caption.
constexpr int kFrameWidth = 6;
constexpr int kFrameHeight = 28;

template <class W>
W* Place(W* w, int left, int top, int width = -1, int height = -1) {
  w->move(left, top);
  QSize hint = w->sizeHint();
  w->resize(width >= 0 ? width : hint.width(), height >= 0 ? height : hint.height());
  return w;
}

QLineEdit* Edit(QWidget* parent, int left, int top, int width) {
  auto* e = new QLineEdit(parent);
  return Place(e, left, top, width, 21);
}

QLabel* Label(QWidget* parent, const QString& text, int left, int top, QWidget* buddy) {
  auto* l = new QLabel(text, parent);
  l->setBuddy(buddy);
  return Place(l, left, top);
}

QPushButton* Button(QDialog* dialog, const QString& text, int left, int top, int width, int height, int result) {
  auto* b = new QPushButton(text, dialog);
  b->setAutoDefault(false);
  Place(b, left, top, width, height);
  QObject::connect(b, &QPushButton::clicked, dialog, [dialog, result] { dialog->done(result); });
  return b;
}

void MakeDialog(QDialog* d, QWidget* owner) {
  d->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                    Qt::MSWindowsFixedSizeDialogHint);
  if (owner) d->setFont(owner->font());
  d->setModal(true);
}

QWidget* Owner() { return dialogOwner ? dialogOwner : QApplication::activeWindow(); }

}  // namespace

void SetDialogOwner(QWidget* mainWindow) { dialogOwner = mainWindow; }

TFindForm::TFindForm(QWidget* owner) : QDialog(owner) {
  MakeDialog(this, owner);
  // Created in tab order.
  edFind = Edit(this, 88, 14, 190);
  lblFind = Label(this, tr("&Text to Find:"), 15, 17, edFind);
  edReplace = Edit(this, 88, 41, 190);
  lblReplace = Label(this, tr("&Replace with:"), 15, 44, edReplace);
  gbOptions = Place(new QGroupBox(tr("Options"), this), 15, 72, 148, 84);
  cbCaseSensitive = Place(new QCheckBox(tr("&Case Sensitive"), gbOptions), 12, 19, 120, 18);
  cbWholeWords = Place(new QCheckBox(tr("&Whole Words Only"), gbOptions), 12, 39, 120, 18);
  cbPrompt = Place(new QCheckBox(tr("&Prompt on Replace"), gbOptions), 12, 59, 120, 18);
  cbPrompt->setChecked(true);
  gbDirection = Place(new QGroupBox(tr("Direction"), this), 176, 72, 102, 84);
  rbForward = Place(new QRadioButton(tr("&Forwards"), gbDirection), 12, 26, 80, 18);
  rbBackward = Place(new QRadioButton(tr("&Backwards"), gbDirection), 12, 47, 80, 18);
  rbForward->setChecked(true);
  btnReplaceOne = Button(this, tr("Replace &One"), 15, 165, 75, 25, mrOk);
  btnReplaceOne->setDefault(true);
  btnReplaceOne->setEnabled(false);
  btnReplaceAll = Button(this, tr("Replace &All"), 111, 165, 75, 25, mrYes);
  btnReplaceAll->setEnabled(false);
  btnCancel = Button(this, tr("Cancel"), 204, 165, 75, 25, mrCancel);
  connect(edFind, &QLineEdit::textChanged, this, [this] { FindTextChange(); });
  SetOuterSize(304, 231);
}

void TFindForm::SetOuterSize(int width, int height) {
  outer_ = QSize(width, height);
  setFixedSize(width - kFrameWidth, height - kFrameHeight);
}

void TFindForm::FindTextChange() {
  bool any = !edFind->text().isEmpty();
  btnReplaceOne->setEnabled(any);
  btnReplaceAll->setEnabled(any);
}

void TFindForm::ApplyFindLayout() {
  setWindowTitle(tr("Find text"));
  for (QGroupBox* g : {gbOptions, gbDirection}) g->setGeometry(g->x(), 41, g->width(), 65);
  rbForward->move(rbForward->x(), 19);
  rbBackward->move(rbBackward->x(), 39);
  btnReplaceOne->setText(tr("&OK"));
  btnReplaceOne->move(63, 119);
  btnCancel->move(156, 119);
  for (QWidget* w : std::initializer_list<QWidget*>{btnReplaceAll, cbPrompt, lblReplace, edReplace}) w->hide();
  SetOuterSize(304, 182);
}

void TFindForm::ApplyReplaceLayout() {
  setWindowTitle(tr("Replace text"));
  for (QGroupBox* g : {gbOptions, gbDirection}) g->setGeometry(g->x(), 72, g->width(), 84);
  rbForward->move(rbForward->x(), 26);
  rbBackward->move(rbBackward->x(), 47);
  btnReplaceOne->setText(tr("Replace &One"));
  btnReplaceOne->move(15, 165);
  btnCancel->move(204, 165);
  for (QWidget* w : std::initializer_list<QWidget*>{btnReplaceAll, cbPrompt, lblReplace, edReplace}) w->show();
  SetOuterSize(304, 231);
}

void TFindForm::CentreOnOwner() {
  if (!FOwnerForm) return;
  QRect owner = FOwnerForm->frameGeometry();
  // Integer division truncating toward zero, as for the designed layout.
  move(owner.left() + (owner.width() - outer_.width()) / 2, owner.top() + (owner.height() - outer_.height()) / 2);
}

TReplaceForm::TReplaceForm(QWidget* owner) : QDialog(owner) {
  MakeDialog(this, owner);
  setWindowTitle(tr("Replace ..."));
  auto readOnly = [this](int top) {
    QLineEdit* e = Edit(this, 69, top, 220);
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::ClickFocus);
    QPalette pal = e->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Button));
    e->setPalette(pal);
    return e;
  };
  edFindText = readOnly(10);
  Label(this, tr("Replace:"), 15, 14, edFindText);
  edReplaceText = readOnly(34);
  Label(this, tr("with:"), 15, 37, edReplaceText);
  btnOK = Button(this, tr("&OK"), 15, 68, 64, 22, mrOk);
  btnOK->setDefault(true);
  btnSkip = Button(this, tr("&Skip"), 84, 68, 64, 22, mrNo);
  btnAll = Button(this, tr("&All"), 154, 68, 64, 22, mrYes);
  btnCancel = Button(this, tr("&Cancel"), 225, 68, 64, 22, mrCancel);
  outer_ = QSize(313, 126);
  setFixedSize(outer_.width() - kFrameWidth, outer_.height() - kFrameHeight);
}

namespace {

TFindForm* Prepare(QWidget* form, const TSearchOptions& options, bool replace) {
  if (!FindForm) FindForm = new TFindForm(Owner());
  FindForm->FOwnerForm = form;
  if (!options.FindText.isEmpty()) FindForm->edFind->setText(options.FindText);
  FindForm->edFind->selectAll();
  if (replace)
    FindForm->ApplyReplaceLayout();
  else
    FindForm->ApplyFindLayout();
  FindForm->FindTextChange();
  FindForm->edFind->setFocus();
  FindForm->CentreOnOwner();
  return FindForm;
}

void TakeCommonOptions(const TFindForm* f, TSearchOptions& options) {
  options.FindText = f->edFind->text();
  options.IgnoreCase = !f->cbCaseSensitive->isChecked();
  options.WholeWords = f->cbWholeWords->isChecked();
  options.Forward = f->rbForward->isChecked();
}

}  // namespace

bool ShowFindDialog(QWidget* form, TSearchOptions& options) {
  TFindForm* f = Prepare(form, options, false);
  if (f->exec() != mrOk) return false;
  TakeCommonOptions(f, options);
  return true;
}

bool ShowReplaceDialog(QWidget* form, TSearchOptions& options) {
  TFindForm* f = Prepare(form, options, true);
  int result = f->exec();
  if (result != mrOk && result != mrYes) return false;
  TakeCommonOptions(f, options);
  options.ReplaceText = f->edReplace->text();
  options.Prompt = f->cbPrompt->isChecked();
  options.ReplaceAll = result == mrYes;
  f->FLastReplaceAll = options.ReplaceAll;
  return true;
}

QPoint ReplacePromptPlace(QPoint p, QSize prompt, int screenWidth) {
  int left = p.x();
  if (screenWidth < prompt.width() + p.x()) left = screenWidth - prompt.width() - 4;
  int t = p.y() - prompt.height() - 8;
  return QPoint(left, t > 0 ? t : p.y() + 30);
}

TReplaceChoice ShowReplacePrompt(QWidget* control, QPoint point) {
  if (!FindForm || !control) return rcCancel;
  QPoint p = control->mapToGlobal(point);
  if (!ReplaceForm) ReplaceForm = new TReplaceForm(Owner());
  ReplaceForm->edFindText->setText(FindForm->edFind->text());
  ReplaceForm->edFindText->selectAll();
  ReplaceForm->edReplaceText->setText(FindForm->edReplace->text());
  QScreen* screen = control->screen();
  int screenWidth = screen ? screen->geometry().width() : 1024;
  ReplaceForm->move(ReplacePromptPlace(p, ReplaceForm->OuterSize(), screenWidth));
  ReplaceForm->btnOK->setFocus();
  ReplaceForm->btnSkip->setEnabled(FindForm->FLastReplaceAll);
  ReplaceForm->btnAll->setEnabled(FindForm->FLastReplaceAll);
  switch (ReplaceForm->exec()) {
    case mrOk: return rcReplace;
    case mrYes: return rcAll;
    case mrNo: return rcSkip;
    default: return rcCancel;
  }
}

}  // namespace search
