#include "views/ViewHost.h"

namespace views {

std::optional<TCommandGroup> GroupOf(TCommandId id) {
  if (id.IsPerSide()) return std::nullopt;  // the file menu's, always on
  switch (id.Shared()) {
    case TCommand::Undo:
    case TCommand::Redo:
    case TCommand::Cut:
    case TCommand::Copy:
    case TCommand::Paste: return TCommandGroup::Edit;
    case TCommand::Find:
    case TCommand::FindNext:
    case TCommand::Replace:
    case TCommand::NextDiff:
    case TCommand::PrevDiff: return TCommandGroup::Search;
    case TCommand::Compare:
    case TCommand::Cancel:
    case TCommand::CompareFiles:
    case TCommand::CopyBlockRight:
    case TCommand::CopyBlockLeft: return TCommandGroup::Actions;
    case TCommand::HorzSplit:
    case TCommand::Font: return TCommandGroup::Options;
    default: return std::nullopt;
  }
}

QKeySequence DefaultShortcut(TCommandId id) {
  if (id.IsPerSide()) {
    // Ctrl+1, Ctrl+2, ... open a side.
    if (id.PerSide() == TSideCommand::Open && id.Side() < 9) return QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_1 + id.Side()));
    return QKeySequence();
  }
  switch (id.Shared()) {
    case TCommand::Undo: return QKeySequence(Qt::CTRL | Qt::Key_Z);
    case TCommand::Redo: return QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_Z);
    case TCommand::Cut: return QKeySequence(Qt::CTRL | Qt::Key_X);
    case TCommand::Copy: return QKeySequence(Qt::CTRL | Qt::Key_C);
    case TCommand::Paste: return QKeySequence(Qt::CTRL | Qt::Key_V);
    case TCommand::Find: return QKeySequence(Qt::CTRL | Qt::Key_F);
    case TCommand::FindNext: return QKeySequence(Qt::Key_F3);
    case TCommand::PrevDiff: return QKeySequence(Qt::CTRL | Qt::Key_P);
    case TCommand::Replace: return QKeySequence(Qt::CTRL | Qt::Key_R);
    case TCommand::NextDiff: return QKeySequence(Qt::CTRL | Qt::Key_N);
    case TCommand::Compare: return QKeySequence(Qt::Key_F9);
    case TCommand::Cancel: return QKeySequence(Qt::Key_Escape);
    case TCommand::CompareFiles: return QKeySequence(Qt::Key_Return);
    case TCommand::CopyBlockRight: return QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_R);
    case TCommand::CopyBlockLeft: return QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_L);
    case TCommand::HorzSplit: return QKeySequence(Qt::CTRL | Qt::Key_H);
    default: return QKeySequence();
  }
}

}  // namespace views
