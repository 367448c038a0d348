// A pane as the find and replace routines see it (search/PaneSearch.h): its lines, caret,
// selection and text insertion. Shared by every view that searches its panes.
#pragma once

#include <string>
#include <string_view>

#include "editor/CodeEditor.h"
#include "search/PaneSearch.h"

namespace editor {

class TPaneSearchTarget : public search::TSearchPane {
 public:
  explicit TPaneSearchTarget(TCodeEdit& pane) : pane_(pane) {}
  int LineCount() const override { return pane_.Lines().Count(); }
  std::string_view LineText(int line) const override { return pane_.Lines().Get(line); }
  int CaretX() const override { return pane_.CaretPos().X; }
  int CaretY() const override { return pane_.CaretPos().Y; }
  void MoveCaretTo(int x, int y) override { pane_.MoveCaretTo(TPoint{x, y}); }
  void SetSelLength(int length) override { pane_.SetSelLength(length); }
  void ScrollCaretIntoView() override { pane_.ScrollCaretRowIntoView(); }
  void InsertText(const std::string& text) override { pane_.InsertText(text); }

 private:
  TCodeEdit& pane_;
};

}  // namespace editor
