// The main window's shortcuts and the handlers of its menu items: the keys are taken from the
// events of the window's widgets, so that items that are hidden, or sit in hidden menus, answer
// them too (see Main.h).
#include "app/Main.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>
#include <algorithm>

namespace app {

bool TMainForm::ItemEnabled(QAction* item) {
  if (item->isVisible()) return item->isEnabled();
  // A hidden QAction always reports itself disabled; showing it for a moment, unseen and
  // without signals, tells the state it was given.
  QSignalBlocker quiet(item);
  item->setVisible(true);
  bool enabled = item->isEnabled();
  item->setVisible(false);
  return enabled;
}

// Every menu item with a key is listed with its enclosing menus. The keys are taken from the
// events of the window's widgets (see eventFilter), so that hidden items and items of hidden
// menus answer them too.
void TMainForm::CreateShortcuts() {
  std::function<void(QMenu*, std::vector<QMenu*>)> walk = [&](QMenu* menu, std::vector<QMenu*> chain) {
    chain.push_back(menu);
    for (QAction* a : menu->actions()) {
      if (QMenu* sub = a->menu()) walk(sub, chain);
      else if (!a->isSeparator()) Shortcuts.push_back({a, chain});
    }
  };
  for (QAction* top : menuBar()->actions())
    if (QMenu* m = top->menu()) walk(m, {});
  qApp->installEventFilter(this);
}

const TMainForm::TShortcutItem* TMainForm::FindShortcut(const QKeyEvent& key) const {
  if (key.key() == 0 || key.key() == Qt::Key_unknown) return nullptr;
  QKeySequence pressed(key.keyCombination());
  for (const TShortcutItem& s : Shortcuts) {
    if (s.Item->shortcut().isEmpty() || s.Item->shortcut() != pressed) continue;
    return &s;
  }
  return nullptr;
}

bool TMainForm::ShortcutReady(const TShortcutItem& s) const {
  if (!IsAttached(s.Item) && !OwnCommands.count(s.Item)) return false;  // nothing would happen
  if (!ItemEnabled(s.Item)) return false;
  for (QMenu* m : s.Menus)
    if (!ItemEnabled(m->menuAction())) return false;
  return true;
}

bool TMainForm::RunShortcut(const TShortcutItem& s) {
  // The enclosing menus' click handlers run first, outermost first; one of them may change the
  // item's state, which is why the item is asked again before it runs.
  for (QMenu* m : s.Menus) emit m->aboutToShow();
  if (!ItemEnabled(s.Item)) return false;
  s.Item->trigger();
  return true;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
      auto* w = qobject_cast<QWidget*>(watched);
      if (!w || w->window() != this) break;
      auto* key = static_cast<QKeyEvent*>(event);
      const TShortcutItem* s = FindShortcut(*key);
      if (!s) break;
      // The menus' click handlers refresh the item's state before it is asked whether it can
      // take the key (an edit command disabled when its menu last opened may be ready now).
      if (event->type() == QEvent::ShortcutOverride)
        for (QMenu* m : s->Menus) emit m->aboutToShow();
      if (!ShortcutReady(*s)) break;
      if (event->type() == QEvent::ShortcutOverride) {
        // Claim the key: it comes back as a key press, handled below.
        key->accept();
        return true;
      }
      // An item that its menus' handlers have just disabled leaves the key to the control.
      if (RunShortcut(*s)) return true;
      break;
    }
    case QEvent::EnabledChange:
      if (auto* m = qobject_cast<QMenu*>(watched); m && std::find(Menus.begin(), Menus.end(), m) != Menus.end()) {
        bool own = !m->testAttribute(Qt::WA_ForceDisabled);
        if (ItemEnabled(m->menuAction()) != own) m->menuAction()->setEnabled(own);
      }
      break;
    default:
      break;
  }
  return QMainWindow::eventFilter(watched, event);
}

// ---- shared commands and counts -------------------------------------------------------------

void TMainForm::Attach(QAction* command, TCommandHandler handler) {
  Detach(command);
  Bindings[command] = connect(command, &QAction::triggered, this,
                              [command, handler = std::move(handler)] { handler(command); });
}

void TMainForm::Detach(QAction* command) {
  auto it = Bindings.find(command);
  if (it == Bindings.end()) return;
  disconnect(it->second);
  Bindings.erase(it);
}

bool TMainForm::IsAttached(QAction* command) const { return Bindings.count(command) != 0; }

}  // namespace app
