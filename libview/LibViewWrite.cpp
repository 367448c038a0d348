// The library frame's object list writing folder libraries: copying the selected object onto
// the other side, deleting it from a side, and the list's context menu that carries both.
#include <QContextMenuEvent>
#include <QMenu>
#include <QRegularExpression>
#include <QShortcut>

#include "libview/LibView.h"
#include "libview/Paths.h"
#include "platform/Collation.h"
#include "platform/FileSys.h"

namespace libview {

namespace fs = std::filesystem;

using compare::TSide;

namespace {

using TBlock = compare::TLibraryComparison::TWriteBlock;

QString SideName(TSide side) { return side == compare::Side1 ? TLibFrame::tr("左侧") : TLibFrame::tr("右侧"); }

// Why nothing can be written to `side`, a sentence about it.
QString BlockText(TBlock block, TSide side) {
  switch (block) {
    case TBlock::None: break;
    case TBlock::NoLibrary: return TLibFrame::tr("%1没有打开的库").arg(SideName(side));
    case TBlock::LibraryFile: return TLibFrame::tr("%1是PB库文件，只读（请先导出到文件夹）").arg(SideName(side));
    case TBlock::Revision: return TLibFrame::tr("%1是 git 版本，只读").arg(SideName(side));
    case TBlock::ObjectList: return TLibFrame::tr("%1按其对象列表(.pbg)读取，复制的文件不会列入").arg(SideName(side));
  }
  return QString();
}

// A menu item's text without its mnemonic: "复制到左侧(&L)" as "复制到左侧", "Copy to &Left" as
// "Copy to Left".
QString WithoutMnemonic(QString text) {
  static const QRegularExpression bracketed(QStringLiteral("\\(&[^)]\\)"));
  return text.remove(bracketed).remove(u'&');
}

}  // namespace

const TPair* TLibFrame::SelectedObjectPair() const {
  if (viewMode_ != 1) return nullptr;
  QTreeWidgetItem* row = lvObjs->Selected();
  if (!row) return nullptr;
  const std::size_t k = static_cast<std::size_t>(TListView::RowIndex(*row));
  const TPairing& pairs = model_.ObjectPairs();
  return k < pairs.size() ? &pairs[k] : nullptr;
}

QString TLibFrame::WhyNoCopy(TSide to) const {
  const TPair* pair = SelectedObjectPair();
  if (!pair) return tr("没有选中的对象");
  const TBlock block = model_.WriteBlock(to);
  if (block != TBlock::None) return BlockText(block, to);
  const TSide from = to == compare::Side1 ? compare::Side2 : compare::Side1;
  if (!pair->Has(from)) return tr("%1没有这个对象").arg(SideName(from));
  if (model_.CopyTarget(*pair, to).empty()) return tr("对象名不能用作文件名");
  return QString();
}

QString TLibFrame::WhyNoDelete(TSide side) const {
  const TPair* pair = SelectedObjectPair();
  if (!pair) return tr("没有选中的对象");
  const TBlock block = model_.WriteBlock(side);
  if (block != TBlock::None) return BlockText(block, side);
  if (!pair->Has(side)) return tr("%1没有这个对象").arg(SideName(side));
  return QString();
}

void TLibFrame::WriteObject(TSide side, bool copy) {
  if (Pairing()) return;
  const QString why = copy ? WhyNoCopy(side) : WhyNoDelete(side);
  if (!why.isEmpty()) {
    Host.ShowStatus(why);
    return;
  }
  const TPair pair = *SelectedObjectPair();
  const std::string key = PairKey(model_.Objects(compare::Side1), model_.Objects(compare::Side2), pair);
  const fs::path file = copy ? model_.CopyTarget(pair, side) : model_.ObjectFile(pair, side);
  std::error_code ec;
  if (copy && fs::exists(file, ec) && !Host.AskYesNo(tr("%1 已存在。\n用另一侧的对象替换它吗？").arg(PathQ(file))))
    return;
  if (!copy && !Host.AskYesNo(tr("从%1删除 %2 吗？").arg(SideName(side), PathQ(file)))) return;
  Guarded([&] {
    try {
      TPairingScope busy(*this);
      if (copy)
        model_.CopyObject(pair, side);
      else
        model_.DeleteObject(pair, side);
    } catch (...) {
      // The lists may have been read again in part: what is shown is no longer theirs.
      if (!model_.ObjectPairs().empty())
        ShowObjects();
      else
        ClearObjectRows();
      throw;
    }
    ShowObjects();
    SelectObjectRow(key);
    Host.ShowStatus((copy ? tr("已写入 %1") : tr("已删除 %1")).arg(PathQ(file)));
  });
}

void TLibFrame::CopyObjectTo(TSide to) { WriteObject(to, true); }
void TLibFrame::DeleteObjectFrom(TSide side) { WriteObject(side, false); }

QTreeWidgetItem* TLibFrame::SelectObjectRow(const std::string& key) {
  const TPairing& pairs = model_.ObjectPairs();
  for (int i = 0; i < lvObjs->topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = lvObjs->topLevelItem(i);
    const std::size_t k = static_cast<std::size_t>(TListView::RowIndex(*row));
    if (k >= pairs.size()) continue;
    if (platform::CompareTextNoCase(PairKey(model_.Objects(compare::Side1), model_.Objects(compare::Side2), pairs[k]),
                                    key) != 0)
      continue;
    lvObjs->clearSelection();
    row->setSelected(true);
    lvObjs->setCurrentItem(row);
    lvObjs->scrollToItem(row);
    return row;
  }
  return nullptr;
}

QMenu* TLibFrame::ObjectMenu() {
  if (!objectMenu_) {
    objectMenu_ = new QMenu(lvObjs);
    objectMenu_->setObjectName("ObjectMenu");
    objectMenu_->setToolTipsVisible(true);
    struct TItem {
      const char* Name;
      const char* Caption;
      TSide Side;
      bool Copy;
    };
    const TItem items[] = {
        {"mnuCopyLeft", QT_TR_NOOP("复制到左侧(&L)"), compare::Side1, true},
        {"mnuCopyRight", QT_TR_NOOP("复制到右侧(&R)"), compare::Side2, true},
        {"mnuDeleteLeft", QT_TR_NOOP("从左侧删除(&1)"), compare::Side1, false},
        {"mnuDeleteRight", QT_TR_NOOP("从右侧删除(&2)"), compare::Side2, false},
    };
    for (const TItem& item : items) {
      if (!item.Copy && item.Side == compare::Side1) objectMenu_->addSeparator();
      QAction* a = objectMenu_->addAction(tr(item.Caption));
      a->setObjectName(item.Name);
      a->setData(QVariant::fromValue(QPair<int, bool>(item.Side, item.Copy)));
      const TSide side = item.Side;
      const bool copy = item.Copy;
      connect(a, &QAction::triggered, this, [this, side, copy] { WriteObject(side, copy); });
    }
  }
  // Each item says why it is off; the status bar says it too, for the keyboard's user.
  QStringList off;
  for (QAction* a : objectMenu_->actions()) {
    if (a->isSeparator()) continue;
    const auto [side, copy] = a->data().value<QPair<int, bool>>();
    const QString why = copy ? WhyNoCopy(static_cast<TSide>(side)) : WhyNoDelete(static_cast<TSide>(side));
    a->setEnabled(why.isEmpty());
    a->setToolTip(why.isEmpty() ? WithoutMnemonic(a->text()) : why);
    if (!why.isEmpty() && !off.contains(why)) off << why;
  }
  Host.ShowStatus(off.join(tr("；")));
  return objectMenu_;
}

void TLibFrame::SetUpObjectMenu() {
  // The Menu key, Shift+F10 and a right click open the menu at the selected row.
  lvObjs->setContextMenuPolicy(Qt::CustomContextMenu);
  auto open = [this](QPoint at) {
    if (Pairing() || viewMode_ != 1) return;
    ObjectMenu()->exec(lvObjs->viewport()->mapToGlobal(at));
  };
  connect(lvObjs, &QWidget::customContextMenuRequested, this, open);
  auto* key = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), lvObjs);
  key->setContext(Qt::WidgetShortcut);
  connect(key, &QShortcut::activated, this, [this, open] {
    QTreeWidgetItem* row = lvObjs->currentItem();
    open(row ? lvObjs->visualItemRect(row).center() : QPoint(0, 0));
  });
}

}  // namespace libview
