// The find and replace dialogs of the source comparison view: TFindForm in its two layouts (find,
// replace), the replacement prompt TReplaceForm, and the routines that show them. Each dialog is
// created on first use, owned by the main window and kept, with everything typed, ticked and
// chosen in it, until the program ends.
#pragma once

#include <QDialog>
#include <QString>

#include "search/PaneSearch.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace search {

// What the user last confirmed; held by the files frame for its whole life.
struct TSearchOptions {
  QString FindText;
  QString ReplaceText;
  bool Forward = false;
  bool IgnoreCase = false;
  bool WholeWords = false;
  bool Prompt = false;
  bool ReplaceAll = false;
};

// The results a dialog closes with (the values of the home platform's modal results).
enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

class TFindForm : public QDialog {
  Q_OBJECT
 public:
  explicit TFindForm(QWidget* owner);

  void ApplyFindLayout();
  void ApplyReplaceLayout();
  void CentreOnOwner();
  void FindTextChange();

  // The outer size of the dialog (frame included), as laid out.
  QSize OuterSize() const { return outer_; }

  QLineEdit* edFind;
  QLabel* lblFind;
  QLineEdit* edReplace;
  QLabel* lblReplace;
  QGroupBox* gbOptions;
  QCheckBox* cbCaseSensitive;
  QCheckBox* cbWholeWords;
  QCheckBox* cbPrompt;
  QGroupBox* gbDirection;
  QRadioButton* rbForward;
  QRadioButton* rbBackward;
  QPushButton* btnReplaceOne;
  QPushButton* btnReplaceAll;
  QPushButton* btnCancel;

  QWidget* FOwnerForm = nullptr;
  bool FLastReplaceAll = false;

 private:
  void SetOuterSize(int width, int height);
  QSize outer_;
};

class TReplaceForm : public QDialog {
  Q_OBJECT
 public:
  explicit TReplaceForm(QWidget* owner);

  QSize OuterSize() const { return outer_; }

  QLineEdit* edFindText;
  QLineEdit* edReplaceText;
  QPushButton* btnOK;
  QPushButton* btnSkip;
  QPushButton* btnAll;
  QPushButton* btnCancel;

 private:
  QSize outer_;
};

// The single instances, created by the show routines with the main window as owner.
extern TFindForm* FindForm;
extern TReplaceForm* ReplaceForm;

// The window that owns the dialogs; the show routines create them with it as parent.
void SetDialogOwner(QWidget* mainWindow);

bool ShowFindDialog(QWidget* form, TSearchOptions& options);
bool ShowReplaceDialog(QWidget* form, TSearchOptions& options);
// Asks whether to replace the match at `point` (client coordinates of `control`).
TReplaceChoice ShowReplacePrompt(QWidget* control, QPoint point);

// The prompt's top-left corner on a screen `screenWidth` wide, for a point `p` in screen
// coordinates: 8 pixels above the point, or 30 below it when there is no room above; kept 4
// pixels inside the right edge.
QPoint ReplacePromptPlace(QPoint p, QSize prompt, int screenWidth);

}  // namespace search
