// What the files frame's source files share: text and path conversions at the toolkit's edge,
// and the overview strip widget.
#pragma once

#include <QMouseEvent>
#include <QPainter>
#include <QString>
#include <QWidget>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "compare/SideText.h"
#include "editor/Lines.h"
#include "fileview/FileView.h"
#include "platform/CodePage.h"

namespace fileview {

inline QString FromCodePage(std::string_view s) { return QString::fromStdU16String(platform::CodePageToUtf16(s)); }
inline std::string ToCodePage(const QString& s) { return platform::Utf16ToCodePage(s.toStdU16String()); }
inline std::filesystem::path ToPath(const QString& s) { return std::filesystem::path(s.toStdString()); }

// A side's text as the panes refer to it: their lines are the side's lines until they are
// edited, never copies.
class TSideLines : public editor::TLineSource {
 public:
  explicit TSideLines(std::shared_ptr<const compare::TSideText> text) : text_(std::move(text)) {}
  std::int32_t Count() const override { return text_->Count(); }
  std::string_view Line(std::int32_t index) const override { return text_->Line(index); }

 private:
  std::shared_ptr<const compare::TSideText> text_;
};

// Width of the overview strip's picture: one pixel row per pane row.
inline constexpr int kStripWidth = 20;

// The overview strip: one pixel row per pane row, the visible window and the last click.
class TOverviewStrip : public QWidget {
 public:
  TOverviewStrip(TFilesFrame& frame, QWidget* parent) : QWidget(parent), frame_(frame) {
    setObjectName("pbDiff");
    setFixedWidth(kStripWidth);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    frame_.pbDiffMarkerPaint(p);
  }
  void mousePressEvent(QMouseEvent* e) override { frame_.pbDiffMouseDown(static_cast<int>(e->position().y())); }

 private:
  TFilesFrame& frame_;
};

}  // namespace fileview
