#include "app/Main.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QGridLayout>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "app/About.h"
#include "app/Application.h"
#include "app/ExeDir.h"
#include "app/StatusBar.h"
#include "editor/QtColor.h"
#include "fileview/FileView.h"
#include "libview/LibView.h"
#include "mergeview/MergeView.h"
#include "platform/CodePage.h"
#include "views/Artwork.h"

using views::TCommand;
using views::TCommandGroup;
using views::TSideCommand;
using editor::FromQColor;
using editor::TColor;
using editor::ToQColor;
using fileview::TFilesFrame;
using libview::TLibFrame;

namespace app {

void InstallFontSubstitutes() {
  static bool done = false;
  if (done) return;
  done = true;
  QFont::insertSubstitutions(QString::fromUtf8("宋体"), {"SimSun", "WenQuanYi Zen Hei", "Noto Sans CJK SC"});
  QFont::insertSubstitutions("SimSun", {"WenQuanYi Zen Hei", "Noto Sans CJK SC"});
  QFont::insertSubstitutions("Courier New", {"Liberation Mono", "DejaVu Sans Mono"});
  QFont::insertSubstitutions("Arial", {"Liberation Sans", "DejaVu Sans"});
}

namespace {
QFont PixelFont(const QString& family, int pixels) {
  QFont f(family);
  f.setPixelSize(pixels);
  return f;
}
}  // namespace
TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
  InstallFontSubstitutes();
  setObjectName("MainForm");
  setWindowTitle("Quorvex");
  setWindowIcon(artwork::ProgramIcon());
  setFont(PixelFont("Arial", 11));
  resize(DesignedWidth, DesignedHeight);
  CreatePrompts();

  ImageList1 = artwork::ToolbarImages();
  ImageList2 = artwork::DisabledToolbarImages();
  CreateFileMenu();
  CreateViewMenu();
  CreateEditMenu();
  CreateSearchMenu();
  CreateActionsMenu();
  CreateOptionsMenu();
  CreateHelpMenu();
  CreateToolBar();
  CreateStatusBar();
  CreateShortcuts();
  CreateCommands();
  OwnCommands = {mnuExit, mnuLibs, mnuObjs, mnuFile, mnuIgnoreBlanks, mnuIgnoreCase, mnuIgnoreComments,
                 mnuAlignSimilar, mnuBySection, mnuIgnorePosition, mnuIgnoreDefaults, mnuLibraryFiles, mnuShowDiffsOnly,
                 Added1, Modified1, Deleted1, mnuCodePage, Contents1, mnuAbout};
  ColorDialog1 = new QColorDialog(this);
  ColorDialog1->setObjectName("ColorDialog1");
  ColorDialog1->setOption(QColorDialog::DontUseNativeDialog);

  // The frames are created first, the settings read next (the stored font must reach the
  // panes), then the frames are initialised and the library list is shown.
  CreateFrames();
  LoadSettings();
  FilesFrame->InitFrame();
  LibFrame->InitFrame();
  LibFrame->ActivateLibList();
  mnuLibs->setChecked(true);
  tbLibMode->setChecked(true);
  // The last run's library list comes back once the window is shown (its pairing shows progress,
  // and what is gone is told in one message over the window).
  QTimer::singleShot(0, this, [this] {
    if (std::any_of(StoredSides.begin(), StoredSides.end(), [](const auto& side) { return !side.empty(); }))
      LibFrame->RestoreSides(StoredSides);
  });
}

TMainForm::~TMainForm() {
  // The files frame, then the library frame, release what they own; the widgets go with the
  // window.
  FilesFrame->DoneFrame();
  LibFrame->ReleaseFrame();
}

void TMainForm::CreateStatusBar() {
  StatusBar1 = new TStatusBar(this);
  StatusBar1->setObjectName("StatusBar1");
  StatusBar1->setFont(PixelFont(QString::fromUtf8("宋体"), 12));
  // The three words' panels are as wide as the words need, and never narrower than designed.
  const QFontMetrics metrics(StatusBar1->font());
  auto word = [&metrics](const QString& text) {
    return TStatusBar::TPanel{std::max(32, metrics.horizontalAdvance(text) + 6), text, true};
  };
  StatusBar1->SetPanels({
      word(tr("增加")),
      {40, QString(), false},
      word(tr("更改")),
      {40, QString(), false},
      word(tr("减少")),
      {40, QString(), false},
      {100, QString(), false},
      {50, QString(), true},
  });
  StatusBar1->OnDrawPanel = [this](TStatusBar& bar, int index, QPainter& canvas, const QRect& rect) {
    StatusBar1DrawPanel(bar, index, canvas, rect);
  };
  ProgressBar1 = new QProgressBar(StatusBar1);
  ProgressBar1->setObjectName("ProgressBar1");
  ProgressBar1->setTextVisible(false);
  ProgressBar1->hide();
  connect(StatusBar1, &TStatusBar::PanelsMoved, this, &TMainForm::PlaceProgressBar);
}

void TMainForm::CreateFrames() {
  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  auto* host = new QWidget(central);
  auto* cell = new QGridLayout(host);
  cell->setContentsMargins(0, 0, 0, 0);
  FilesFrame = new TFilesFrame(*this, host);
  LibFrame = new TLibFrame(*this, host);
  cell->addWidget(FilesFrame, 0, 0);
  cell->addWidget(LibFrame, 0, 0);
  MergeFrame = new mergeview::TMergeFrame(*this, host);
  cell->addWidget(MergeFrame, 0, 0);
  MergeFrame->hide();
  // The library view is shown first; the files frame stays hidden until its view is chosen, so
  // that nothing behind the library frame takes the focus.
  FilesFrame->hide();
  column->addWidget(host, 1);
  column->addWidget(StatusBar1);
  setCentralWidget(central);
}

void TMainForm::StatusBar1DrawPanel(TStatusBar& bar, int index, QPainter& canvas, const QRect& rect) {
  switch (index) {
    case 0: canvas.setBrush(ToQColor(AddColor, bar.palette())); break;
    case 2: canvas.setBrush(ToQColor(ModColor, bar.palette())); break;
    case 4: canvas.setBrush(ToQColor(DelColor, bar.palette())); break;
    case 7: ProgressBar1->setGeometry(rect); break;
    default: return;
  }
  canvas.fillRect(rect, canvas.brush());
  canvas.drawText(rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, bar.PanelText(index));
}

void TMainForm::PlaceProgressBar() {
  if (StatusBar1->PanelCount() > 7) ProgressBar1->setGeometry(StatusBar1->PanelRect(7));
}

// ---- views ----------------------------------------------------------------------------------

void TMainForm::DisableOutsideSourceView() {
  for (compare::TSide side : compare::AllSides) SetEnabled({TSideCommand::Save, side}, false);
  for (TCommand c : {TCommand::HorzSplit, TCommand::NextDiff, TCommand::PrevDiff, TCommand::FindNext})
    SetEnabled(c, false);
  SetGroupEnabled(TCommandGroup::Search, false);
  SetGroupEnabled(TCommandGroup::Actions, false);
  // The menu item keeps its check mark and stays enabled; only the button goes off.
  mnuHorzSplit->setEnabled(true);
}

void TMainForm::ShowSideCommands(bool on) {
  for (compare::TSide side : compare::AllSides)
    for (TSideCommand c : {TSideCommand::AddFolder, TSideCommand::AddRevision}) CommandItem({c, side})->setEnabled(on);
}

void TMainForm::tbLibModeClick() {
  MergeFrame->hide();
  FilesFrame->hide();
  LibFrame->show();
  ShowSideCommands(true);
  LibFrame->ActivateLibList();
  if (LibFrame->lvLibs) LibFrame->lvLibs->setFocus();
  DisableOutsideSourceView();
  mnuLibs->setChecked(true);
  tbLibMode->setChecked(true);
}

void TMainForm::mnuObjsClick() {
  mnuObjs->setChecked(true);
  tbObjs->setChecked(true);
  MergeFrame->hide();
  FilesFrame->hide();
  LibFrame->show();
  ShowSideCommands(false);
  LibFrame->ActivateObjList();
  if (LibFrame->lvObjs) LibFrame->lvObjs->setFocus();
  DisableOutsideSourceView();
}

void TMainForm::tbFileClick() {
  MergeFrame->hide();
  LibFrame->hide();
  FilesFrame->show();
  ShowSideCommands(false);
  tbObjs->setToolTip(tr("Toggle to Objects View"));
  mnuNext->setVisible(true);
  mnuPrev->setVisible(true);
  N1->setVisible(true);
  mnuCompareFiles->setVisible(false);
  FilesFrame->ActivateView();
  mnuFile->setChecked(true);
  tbFile->setChecked(true);
}

void TMainForm::mnuMergeClick() {
  LibFrame->hide();
  FilesFrame->hide();
  MergeFrame->show();
  ShowSideCommands(false);
  DisableOutsideSourceView();
  mnuMerge->setEnabled(true);
  mnuMerge->setChecked(true);
  MergeFrame->ActivateView();
}

int TMainForm::ExitStatus(int loopStatus) const { return MergeRequested ? MergeFrame->ExitStatus() : loopStatus; }

// ---- options, colours, help, about, exit ----------------------------------------------------

void TMainForm::mnuShowDiffsOnlyClick() {
  // The check mark has already turned over; the source view decides what that does to a shown
  // result.
  FilesFrame->ShowDiffsOnlyChanged();
}

std::vector<QAction*> TMainForm::ComparisonOptionItems() const {
  return {mnuIgnoreBlanks, mnuIgnoreCase, mnuIgnoreComments, mnuAlignSimilar, mnuBySection, mnuIgnorePosition,
          mnuIgnoreDefaults};
}

void TMainForm::ComparisonOptionChanged(QAction* option) {
  // The mark has turned over. The source view goes first: kept edits turn the mark back and
  // leave everything as it was.
  if (!MergeFrame->ConfirmOptionsChange() || !FilesFrame->OptionsChanged()) {
    QSignalBlocker quiet(option);
    option->setChecked(!option->isChecked());
    return;
  }
  MergeFrame->OptionsChanged();
  LibFrame->OptionsChanged();
}

void TMainForm::ChooseColor(TColor& color) {
  ColorDialog1->setCurrentColor(ToQColor(color, StatusBar1->palette()));
  if (ColorDialog1->exec() != QDialog::Accepted) return;
  color = FromQColor(ColorDialog1->selectedColor());
  StatusBar1->update();
}

void TMainForm::Added1Click() { ChooseColor(AddColor); }
void TMainForm::Modified1Click() { ChooseColor(ModColor); }
void TMainForm::Deleted1Click() { ChooseColor(DelColor); }

void TMainForm::Contents1Click() {
  std::filesystem::path help = HelpFile();
  if (help.empty()) return;
  if (OpenUrl) OpenUrl(QUrl::fromLocalFile(QString::fromStdString(help.string())));
}

void TMainForm::mnuAboutClick() {
  TAboutForm about(this);
  about.exec();
}

void TMainForm::mnuExitClick() { close(); }

void TMainForm::mnuLanguageClick(const std::string& language) {
  if (language == Language) return;
  Language = language;
  ShowInformation(tr("所选语言在下次启动程序时生效。"));
}

void TMainForm::mnuCodePageClick() {
  const int current = platform::AnsiCodePage();
  const int chosen = ChooseCodePage ? ChooseCodePage(current) : 0;
  if (chosen == 0 || chosen == current) return;
  // Texts read in the old code page are read again: their edits would be lost.
  if (FilesFrame->CodePageTextsEdited() &&
      !AskYesNo(tr("Changes will be lost if you proceed with this compare.\nContinue? ...")))
    return;
  try {
    platform::SetAnsiCodePage(chosen);
  } catch (const std::exception& e) {
    ShowError(e);
    return;
  }
  const bool sourceView = FilesFrame->isVisible();
  LibFrame->ReadAgain(sourceView);
  FilesFrame->ReloadCodePageTexts();
  if (sourceView) tbFileClick();
}

// ---- settings -------------------------------------------------------------------------------

std::filesystem::path TMainForm::SettingsFileName() const { return ProgramFileWith(".ini"); }

void TMainForm::LoadSettings() {
  TIniFile ini(SettingsFileName());
  TSettings s = ReadSettings(ini);
  AddColor = s.Add;
  ModColor = s.Mod;
  DelColor = s.Del;
  QFont font(QString::fromStdString(s.FontName));
  font.setPointSize(s.FontSize > 0 ? s.FontSize : 10);
  FilesFrame->PaneFont = font;
  MergeFrame->SetPaneFont(font);
  mnuHorzSplit->setChecked(s.Horizontal);
  const std::pair<QAction*, bool> marks[] = {
      {mnuIgnoreBlanks, s.IgnoreBlanks}, {mnuIgnoreCase, s.IgnoreCase},         {mnuIgnoreComments, s.IgnoreComments},
      {mnuAlignSimilar, s.AlignSimilar}, {mnuBySection, s.BySection},           {mnuIgnorePosition, s.IgnorePosition},
      {mnuIgnoreDefaults, s.IgnoreDefaults}, {mnuLibraryFiles, s.LibraryFiles},  {mnuShowDiffsOnly, s.ShowDiffsOnly}};
  for (const auto& [item, on] : marks) {
    QSignalBlocker quiet(item);
    item->setChecked(on);
  }
  Language = s.Language;
  (Language == "zh" ? mnuLanguageZh : Language == "en" ? mnuLanguageEn : mnuLanguageSystem)->setChecked(true);
  Folders = s.Folders;
  platform::SetAnsiCodePage(s.CodePage);
  if (s.CodePageUnknown) StatusBar1->SetPanelText(7, tr("设置文件中的代码页无效，使用 936"));
  for (compare::TSide side : compare::AllSides) {
    StoredSides[side].clear();
    for (const std::string& file : s.Sides[side]) StoredSides[side].emplace_back(file);
  }

  QScreen* scr = screen();
  QRect area = scr ? scr->geometry() : QRect(0, 0, 1024, 768);
  const TBounds& b = s.Bounds;
  if (BoundsFitScreen(b, area.x(), area.y(), area.width(), area.height())) {
    move(b.Left, b.Top);
    resize(b.Width, b.Height);
  } else {
    resize(DesignedWidth, DesignedHeight);
    move(area.x() + (area.width() - DesignedWidth) / 2, area.y() + (area.height() - DesignedHeight) / 2);
  }
}

void TMainForm::SaveSettings() {
  TSettings s;
  // The left and top edges are the window's outer ones (as move() takes them), the size is the
  // window's own, without the desktop's frame: the pair restores the window exactly.
  s.Bounds = {x(), y(), width(), height()};
  s.Add = AddColor;
  s.Mod = ModColor;
  s.Del = DelColor;
  s.FontName = FilesFrame->PaneFont.family().toStdString();
  s.FontSize = FilesFrame->PaneFont.pointSize();
  s.Horizontal = mnuHorzSplit->isChecked();
  s.IgnoreBlanks = mnuIgnoreBlanks->isChecked();
  s.IgnoreCase = mnuIgnoreCase->isChecked();
  s.IgnoreComments = mnuIgnoreComments->isChecked();
  s.AlignSimilar = mnuAlignSimilar->isChecked();
  s.BySection = mnuBySection->isChecked();
  s.IgnorePosition = mnuIgnorePosition->isChecked();
  s.IgnoreDefaults = mnuIgnoreDefaults->isChecked();
  s.LibraryFiles = mnuLibraryFiles->isChecked();
  s.ShowDiffsOnly = mnuShowDiffsOnly->isChecked();
  s.Folders = Folders;
  s.Language = Language;
  s.CodePage = platform::AnsiCodePage();
  for (compare::TSide side : compare::AllSides)
    for (const std::filesystem::path& file : LibFrame->SideFiles(side)) s.Sides[side].push_back(file.string());
  bool normal = !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
  TIniFile ini(SettingsFileName());
  WriteSettings(ini, s, normal);
}

void TMainForm::closeEvent(QCloseEvent* event) {
  // Edits typed or copied into a pane are saved, dropped or keep the window open, as the user
  // says for each edited side.
  if (!FilesFrame->ResolveEdits(false) || !MergeFrame->ResolveEdits()) {
    event->ignore();
    return;
  }
  try {
    SaveSettings();
  } catch (const std::exception& e) {
    // The window stays open: the user may make the file writable and close again.
    ShowException(e, this);
    event->ignore();
    return;
  }
  event->accept();
}

}  // namespace app
