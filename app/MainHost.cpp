// The main window as the views' host (views::TViewHost): commands by id, options, colours,
// folders, the status bar, view switches and the messages and questions put to the user.
#include "app/Main.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QUrl>

#include "app/Application.h"
#include "app/ExeDir.h"
#include "app/StatusBar.h"
#include "fileview/FileView.h"
#include "pbparse/Defaults.h"
#include "platform/CodePage.h"
#include "platform/FileSys.h"

using views::TCommand;
using views::TCommandGroup;
using views::TCommandId;

namespace app {

namespace {
// The names of platform::AnsiCodePages() in the user's language.
[[maybe_unused]] constexpr const char* kCodePageNames[] = {QT_TRANSLATE_NOOP("CodePages", "简体中文 (GBK, GB18030)"),
                                                           QT_TRANSLATE_NOOP("CodePages", "繁體中文 (Big5)"),
                                                           QT_TRANSLATE_NOOP("CodePages", "日本語 (Shift-JIS)"),
                                                           QT_TRANSLATE_NOOP("CodePages", "한국어 (UHC)"),
                                                           QT_TRANSLATE_NOOP("CodePages", "ไทย (Thai)"),
                                                           QT_TRANSLATE_NOOP("CodePages", "Central European"),
                                                           QT_TRANSLATE_NOOP("CodePages", "Cyrillic"),
                                                           QT_TRANSLATE_NOOP("CodePages", "Western European"),
                                                           QT_TRANSLATE_NOOP("CodePages", "Greek"),
                                                           QT_TRANSLATE_NOOP("CodePages", "Turkish"),
                                                           QT_TRANSLATE_NOOP("CodePages", "Hebrew"),
                                                           QT_TRANSLATE_NOOP("CodePages", "Arabic"),
                                                           QT_TRANSLATE_NOOP("CodePages", "Baltic"),
                                                           QT_TRANSLATE_NOOP("CodePages", "Vietnamese")};
}  // namespace

void TMainForm::CreatePrompts() {
  OpenUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
  OnShowError = [this](const std::exception& e) { ShowException(e, this); };
  OnShowInformation = [this](const QString& text) {
    QMessageBox box(QMessageBox::Information, tr("information"), text, QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
  };
  ChooseCodePage = [this](int current) {
    QStringList names;
    int index = 0;
    for (const platform::TAnsiCodePage& p : platform::AnsiCodePages()) {
      if (p.Number == current) index = static_cast<int>(names.size());
      names << QString("%1  %2").arg(p.Number).arg(QCoreApplication::translate("CodePages", p.Name));
    }
    bool ok = false;
    const QString item =
        QInputDialog::getItem(this, tr("代码页"), tr("8 位文本和库文件的代码页："), names, index, false, &ok);
    return ok ? item.section(' ', 0, 0).toInt() : 0;
  };
  OnAskYesNo = [this](const QString& text) {
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), text,
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
  };
  OnAskSaveEdits = [this](const QString& text) {
    QMessageBox box(QMessageBox::Question, QCoreApplication::applicationName(), text,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
      case QMessageBox::Save: return views::TEditsChoice::Save;
      case QMessageBox::Discard: return views::TEditsChoice::Discard;
      default: return views::TEditsChoice::Cancel;
    }
  };
  OnAskChoice = [this](const QString& text, const QString& first, const QString& second) {
    QMessageBox box(QMessageBox::Question, QCoreApplication::applicationName(), text, QMessageBox::NoButton, this);
    box.setTextFormat(Qt::PlainText);
    QPushButton* one = box.addButton(first, QMessageBox::AcceptRole);
    QPushButton* two = box.addButton(second, QMessageBox::RejectRole);
    box.setDefaultButton(one);
    box.setEscapeButton(two);
    box.exec();
    return box.clickedButton() == one;
  };
}

void TMainForm::ShowCounts(const TCompareCounts& counts) {
  StatusBar1->SetPanelText(1, QString::number(counts.Added));
  StatusBar1->SetPanelText(3, QString::number(counts.Changed));
  StatusBar1->SetPanelText(5, QString::number(counts.Deleted));
  StatusBar1->SetPanelText(6, tr("左%1行:右%2行").arg(counts.Count1).arg(counts.Count2));
}

void TMainForm::Bind(TCommandId command, THandler handler) {
  QAction* item = CommandItem(command);
  QAction* button = CommandButton(command);
  // The split command's button carries no check mark of its own: it turns the menu item's over,
  // as clicking the item does by itself.
  const bool flipsItem = command == TCommand::HorzSplit;
  Attach(item, [handler](QObject*) { handler(); });
  if (button)
    Attach(button, [this, item, flipsItem, handler](QObject*) {
      if (flipsItem) SetStacked(!item->isChecked());
      handler();
    });
}

void TMainForm::SetEnabled(TCommandId command, bool enabled) {
  CommandItem(command)->setEnabled(enabled);
  if (QAction* button = CommandButton(command)) button->setEnabled(enabled);
}

bool TMainForm::IsEnabled(TCommandId command) const { return ItemEnabled(CommandItem(command)); }

void TMainForm::SetCaption(TCommandId command, const QString& caption) {
  CommandItem(command)->setText(caption);
  if (QAction* button = CommandButton(command)) button->setToolTip(caption);
}

QString TMainForm::Caption(TCommandId command) const { return CommandItem(command)->text(); }

void TMainForm::SetShortcut(TCommandId command, const QKeySequence& key) { CommandItem(command)->setShortcut(key); }

void TMainForm::SetGroupEnabled(TCommandGroup group, bool enabled) {
  GroupMenu(group)->menuAction()->setEnabled(enabled);
}

void TMainForm::SetGroupRefresh(TCommandGroup group, THandler refresh) {
  QMetaObject::Connection& c = GroupRefresh[static_cast<std::size_t>(group)];
  disconnect(c);
  c = connect(GroupMenu(group), &QMenu::aboutToShow, this, std::move(refresh));
}

views::TViewOptions TMainForm::Options() const {
  views::TViewOptions o;
  o.Compare.IgnoreCase = mnuIgnoreCase->isChecked();
  o.Compare.IgnoreBlanks = mnuIgnoreBlanks->isChecked();
  o.Compare.IgnoreComments = mnuIgnoreComments->isChecked();
  o.Compare.AlignSimilar = mnuAlignSimilar->isChecked();
  o.Compare.BySection = mnuBySection->isChecked();
  o.Compare.IgnorePosition = mnuIgnorePosition->isChecked();
  o.Compare.IgnoreDefaults = mnuIgnoreDefaults->isChecked();
  o.Compare.Defaults = DefaultsTable().get();
  if (o.Compare.IgnoreDefaults && !o.Compare.Defaults && !DefaultsMissingTold) {
    // Said once, after the work that asked for the options: without the table no attribute is
    // known to hold its default, and the option would seem to do nothing.
    DefaultsMissingTold = true;
    QStringList looked;
    for (const std::filesystem::path& place : DefaultsLooked) looked << QString::fromStdString(platform::PathText(place));
    QTimer::singleShot(0, this, [form = const_cast<TMainForm*>(this), looked] {
      form->ShowInformation(tr("找不到迁移默认值表 dwdefaults.txt，“忽略迁移默认值”不会忽略任何属性。找过这些地方：\n%1")
                          .arg(looked.join('\n')));
    });
  }
  o.ShowDiffsOnly = mnuShowDiffsOnly->isChecked();
  o.Stacked = mnuHorzSplit->isChecked();
  o.LibraryFiles = mnuLibraryFiles->isChecked();
  return o;
}

void TMainForm::SetShowDiffsOnly(bool on) {
  QSignalBlocker quiet(mnuShowDiffsOnly);
  mnuShowDiffsOnly->setChecked(on);
}

void TMainForm::SetStacked(bool on) {
  QSignalBlocker quiet(mnuHorzSplit);
  mnuHorzSplit->setChecked(on);
}

std::shared_ptr<const pbparse::TDefaults> TMainForm::DefaultsTable() const {
  // Read once, when first needed: the table shipped beside the program (or in share/quorvex) and
  // the user's own additions. A table that cannot be read leaves the defaults unknown; the
  // structured comparison then counts every attribute.
  if (!DefaultsRead) {
    DefaultsRead = true;
    try {
      pbparse::TLoadedDefaults loaded = pbparse::LoadDefaults(QCoreApplication::applicationDirPath().toStdString());
      Defaults = loaded.Table;
      DefaultsLooked = loaded.Looked;
    } catch (const std::exception&) {
      Defaults.reset();
    }
  }
  return Defaults;
}

views::TViewColors TMainForm::Colors() const { return {AddColor, ModColor, DelColor}; }

std::filesystem::path TMainForm::Folder(compare::TSide side) const { return Folders[side]; }

void TMainForm::SetFolder(compare::TSide side, const std::filesystem::path& folder) {
  Folders[side] = folder;
}

std::filesystem::path TMainForm::StateFolder() const { return ExeDir(); }

void TMainForm::ShowNote(const QString& text) {
  StatusBar1->SetPanelText(3, text);
  StatusBar1->repaint();
}

void TMainForm::ShowStatus(const QString& text) {
  StatusBar1->SetPanelText(7, text);
  StatusBar1->repaint();
}

void TMainForm::ShowProgress(int value, int maximum, const QString& text) {
  ProgressBar1->setRange(0, maximum);
  ProgressBar1->setValue(value);
  ProgressBar1->setVisible(true);
  StatusBar1->SetPanelText(7, text);
  StatusBar1->repaint();
}

void TMainForm::HideProgress() {
  StatusBar1->SetPanelText(7, QString());
  ProgressBar1->setVisible(false);
}

void TMainForm::SwitchTo(views::TViewKind view) {
  switch (view) {
    case views::TViewKind::Libraries: tbLibModeClick(); break;
    case views::TViewKind::Objects: mnuObjsClick(); break;
    case views::TViewKind::Source: tbFileClick(); break;
  }
}

void TMainForm::HoldViewSwitches(bool held) {
  if (held) {
    HeldSwitches.clear();
    for (QAction* a : {mnuLibs, mnuObjs, mnuFile, tbLibMode, tbObjs, tbFile}) {
      HeldSwitches.emplace_back(a, ItemEnabled(a));
      a->setEnabled(false);
    }
  } else {
    for (auto& [a, enabled] : HeldSwitches) a->setEnabled(enabled);
    HeldSwitches.clear();
  }
}

void TMainForm::CompareSources(std::array<views::TSourceText, compare::SideCount> texts) {
  // The new texts replace both panes: their edits are asked about first; cancelled, the last
  // comparison stays.
  if (!FilesFrame->ResolveEdits(false)) return;
  tbFileClick();
  for (compare::TSide side : compare::AllSides)
    FilesFrame->SetSourceText(texts[side].Caption, texts[side].Lines, side);
  FilesFrame->RunCompare();
}

void TMainForm::Raise() {
  activateWindow();
  raise();
}

void TMainForm::ShowError(const std::exception& error) {
  if (OnShowError) OnShowError(error);
}

void TMainForm::ShowInformation(const QString& text) {
  if (OnShowInformation) OnShowInformation(text);
}

bool TMainForm::AskYesNo(const QString& text) { return OnAskYesNo && OnAskYesNo(text); }

views::TEditsChoice TMainForm::AskSaveEdits(const QString& text) {
  return OnAskSaveEdits ? OnAskSaveEdits(text) : views::TEditsChoice::Cancel;
}

bool TMainForm::AskChoice(const QString& text, const QString& first, const QString& second) {
  return OnAskChoice && OnAskChoice(text, first, second);
}

}  // namespace app
