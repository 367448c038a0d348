#include "FakeHost.h"

#include <QApplication>
#include <QKeyEvent>

namespace testsupport {

TFakeHost::TFakeHost() {
  Window.resize(900, 600);
  ViewColors = {0xF0CCA8, 0x6FFB8A, 0xBB77FF};
  GroupEnabled.fill(true);
  for (views::TCommandId command : views::AllCommands) State(command).Shortcut = views::DefaultShortcut(command);
  qApp->installEventFilter(this);
}

TFakeHost::~TFakeHost() { qApp->removeEventFilter(this); }

bool TFakeHost::Trigger(views::TCommandId command) {
  if (auto group = views::GroupOf(command)) {
    OpenGroup(*group);
    if (!GroupEnabled[static_cast<std::size_t>(*group)]) return false;
  }
  TCommandState& s = State(command);
  if (!s.Enabled || !s.Handler) return false;
  // The split command's check mark turns over before its handler runs, as the window's does.
  if (command == views::TCommand::HorzSplit) ViewOptions.Stacked = !ViewOptions.Stacked;
  s.Handler();
  return true;
}

void TFakeHost::ClickSwitch(views::TViewKind view) {
  if (!SwitchesHeld) SwitchTo(view);
}

void TFakeHost::OpenGroup(views::TCommandGroup group) {
  if (const THandler& refresh = GroupRefresh[static_cast<std::size_t>(group)]) refresh();
}

void TFakeHost::ShowProgress(int value, int maximum, const QString& text) {
  Progress = {true, value, maximum, text};
  if (OnProgress) OnProgress(Progress);
}

void TFakeHost::SwitchTo(views::TViewKind view) {
  View = view;
  if (OnSwitch) OnSwitch(view);
}

void TFakeHost::CompareSources(std::array<views::TSourceText, compare::SideCount> texts) {
  SwitchTo(views::TViewKind::Source);
  Sources = std::move(texts);
  if (OnCompareSources) OnCompareSources(Sources);
}

// The keys of the commands reach them from any widget of the window, as the main window's do;
// a command that cannot run leaves its key to the widget.
bool TFakeHost::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) return false;
  auto* w = qobject_cast<QWidget*>(watched);
  if (!w || w->window() != &Window) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  const QKeySequence pressed(key->keyCombination());
  for (views::TCommandId command : views::AllCommands) {
    if (State(command).Shortcut.isEmpty() || State(command).Shortcut != pressed) continue;
    if (auto group = views::GroupOf(command)) OpenGroup(*group);
    const bool ready = State(command).Enabled && State(command).Handler &&
                       (!views::GroupOf(command) || GroupEnabled[static_cast<std::size_t>(*views::GroupOf(command))]);
    if (!ready) return false;
    if (event->type() == QEvent::ShortcutOverride) {
      key->accept();
      return true;
    }
    State(command).Handler();
    return true;
  }
  return false;
}

}  // namespace testsupport

views::TEditsChoice testsupport::TFakeHost::AskSaveEdits(const QString& text) {
  Questions << text;
  if (!SaveAnswers.empty()) {
    const views::TEditsChoice choice = SaveAnswers.front();
    SaveAnswers.erase(SaveAnswers.begin());
    return choice;
  }
  return Answer ? views::TEditsChoice::Discard : views::TEditsChoice::Cancel;
}
