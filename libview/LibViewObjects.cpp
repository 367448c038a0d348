// The library frame's object list: opening a library pair or one library a side, reading again,
// and handing an object pair's sources to the source view.
#include <QComboBox>
#include <QTimer>

#include "libview/LibView.h"
#include "libview/Paths.h"
#include "platform/Collation.h"

namespace libview {

namespace fs = std::filesystem;

using compare::TSide;

void TLibFrame::ClearObjectRows() {
  filling_ = true;
  lvObjs->clear();
  filling_ = false;
  if (viewMode_ == 1) Host.ShowCounts(model_.ObjectCounts());
}

void TLibFrame::OpenLibraryPair() {
  if (Pairing()) return;
  QTreeWidgetItem* row = lvLibs->Selected();
  if (!row) return;
  const std::size_t k = static_cast<std::size_t>(TListView::RowIndex(*row));
  try {
    TPairingScope busy(*this);
    model_.OpenPair(k);
  } catch (...) {
    ClearObjectRows();
    throw;
  }
  if (k >= model_.LibraryPairs().size()) return;
  ShowObjects();
  Host.SwitchTo(views::TViewKind::Objects);
}

void TLibFrame::OpenOneLibClick(TSide side) {
  if (Pairing()) return;
  SetOpenDialog(Host.Folder(side), tr("PowerBuilder Library Files(*.pbl)|*.pbl"), false);
  const QStringList chosen = ExecuteOpenDialog ? ExecuteOpenDialog() : QStringList();
  if (chosen.isEmpty()) return;
  OpenOneLibrary(QPath(chosen.front()), side);
}

void TLibFrame::OpenOneLibrary(const fs::path& Path, TSide side) {
  if (Pairing()) return;
  try {
    TPairingScope busy(*this);
    model_.OpenOne(side, Path);
  } catch (...) {
    ClearObjectRows();
    throw;
  }
  lvObjs->clearSelection();
  ShowObjects();
  RememberPath(Path, side);
}

void TLibFrame::OptionsChanged() { ReadAgain(false); }

void TLibFrame::ReadAgain(bool sources) {
  if (Pairing()) return;
  const int mode = viewMode_;
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
    if (!model_.Empty()) {
      CompareLibraries();
      ShowLibraries();
    }
    bool read = false;
    {
      TPairingScope busy(*this);
      read = model_.ReadObjectsAgain();
    }
    if (read) ShowObjects();
  });
  (mode == 0 ? lvLibs : lvObjs)->raise();
  viewMode_ = mode;
  Host.ShowCounts(mode == 0 ? model_.LibraryCounts() : model_.ObjectCounts());
  if (!sources || handedOverKey_.empty()) return;
  const TPairing& pairs = model_.ObjectPairs();
  for (int i = 0; i < lvObjs->topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = lvObjs->topLevelItem(i);
    const std::size_t k = static_cast<std::size_t>(TListView::RowIndex(*row));
    if (k >= pairs.size()) continue;
    const std::string& key = PairKey(model_.Objects(compare::Side1), model_.Objects(compare::Side2), pairs[k]);
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
    if (viewMode_ == 0)
      OpenLibraryPair();
    else
      OpenObjectPair();
  });
}

void TLibFrame::OpenObjectPair() {
  QTreeWidgetItem* row = lvObjs->Selected();
  if (!row) return;
  const std::size_t k = static_cast<std::size_t>(TListView::RowIndex(*row));
  const TPairing& pairs = model_.ObjectPairs();
  if (k >= pairs.size()) return;
  const QString name = row->text(0);
  handedOverKey_ = PairKey(model_.Objects(compare::Side1), model_.Objects(compare::Side2), pairs[k]);
  std::array<views::TSourceText, compare::SideCount> texts;
  for (TSide side : compare::AllSides) {
    const QString caption = PathQ(model_.LibraryPath(side)) + "@" + name;
    model_.Export(pairs[k], side, caption.toStdString(), texts[side].Lines);
    texts[side].Caption = caption;
  }
  Host.CompareSources(std::move(texts));
}

}  // namespace libview
