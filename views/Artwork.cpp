#include "views/Artwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <cmath>
#include <functional>

namespace artwork {
namespace {

const QColor Outline(60, 60, 60);
const QColor Green(30, 150, 40);
const QColor Blue(30, 90, 200);
const QColor Red(210, 30, 30);
const QColor Purple(140, 50, 180);
const QColor FolderYellow(240, 200, 80);
const QColor CabinetBrown(170, 120, 60);

using TDraw = std::function<void(QPainter&)>;

QImage Paint(const TDraw& draw, int size = 16) {
  QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  if (size != 16) p.scale(size / 16.0, size / 16.0);
  draw(p);
  return img;
}

// A small digit in the bottom-right corner, on a white disc so it reads on any picture.
void Mark(QPainter& p, const QString& digit) {
  p.setPen(QPen(Outline, 0.8));
  p.setBrush(Qt::white);
  p.drawEllipse(QRectF(8.5, 8.5, 7, 7));
  QFont f("Liberation Sans");
  f.setPixelSize(7);
  f.setBold(true);
  p.setFont(f);
  p.setPen(Qt::black);
  p.drawText(QRectF(8.5, 8.5, 7, 7), Qt::AlignCenter, digit);
}

void OpenFolder(QPainter& p) {
  p.setPen(QPen(Outline, 1));
  p.setBrush(FolderYellow.darker(115));
  p.drawPolygon(QPolygonF({{1.5, 3.5}, {5.5, 3.5}, {6.5, 5}, {12.5, 5}, {12.5, 13.5}, {1.5, 13.5}}));
  p.setBrush(FolderYellow);
  p.drawPolygon(QPolygonF({{1.5, 13.5}, {4, 7.5}, {15, 7.5}, {12.5, 13.5}}));
}

// A closed folder, as a folder of exported objects is drawn.
void ClosedFolder(QPainter& p) {
  p.setPen(QPen(Outline, 1));
  p.setBrush(FolderYellow.darker(110));
  p.drawPolygon(QPolygonF({{1.5, 3.5}, {5.5, 3.5}, {6.5, 5}, {14.5, 5}, {14.5, 13.5}, {1.5, 13.5}}));
  p.setBrush(FolderYellow);
  p.drawRect(QRectF(1.5, 6.5, 13, 7));
}

// A commit on a branch, in the bottom-right corner: what is read from a git revision.
void RevisionMark(QPainter& p) {
  p.setPen(QPen(QColor(220, 80, 40), 1.6));
  p.drawLine(QPointF(11.5, 7.5), QPointF(11.5, 15.5));
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(11.5, 11.5), 2.6, 2.6);
}

void Diskette(QPainter& p) {
  p.setPen(QPen(Outline, 1));
  p.setBrush(QColor(60, 90, 160));
  p.drawPolygon(QPolygonF({{1.5, 1.5}, {12.5, 1.5}, {14.5, 3.5}, {14.5, 14.5}, {1.5, 14.5}}));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(3.5, 1.5, 8, 5));
  p.setBrush(QColor(200, 200, 200));
  p.drawRect(QRectF(4.5, 9.5, 7, 5));
}

// An arrow from the centre line, pointing by `angle` degrees (0 right, 90 down).
void Arrow(QPainter& p, const QColor& color, qreal angle) {
  p.save();
  p.translate(8, 8);
  p.rotate(angle);
  p.setPen(QPen(color.darker(140), 1));
  p.setBrush(color);
  p.drawPolygon(QPolygonF({{-6, -2}, {1, -2}, {1, -6}, {7, 0}, {1, 6}, {1, 2}, {-6, 2}}));
  p.restore();
}

void Rotate(QPainter& p) {
  p.setPen(QPen(Green, 2.2, Qt::SolidLine, Qt::FlatCap));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(3, 3, 10, 10), 20 * 16, 140 * 16);
  p.drawArc(QRectF(3, 3, 10, 10), 200 * 16, 140 * 16);
  p.setPen(Qt::NoPen);
  p.setBrush(Green);
  p.drawPolygon(QPolygonF({{1, 6.5}, {6, 6.5}, {3.5, 10}}));    // head at the left end
  p.drawPolygon(QPolygonF({{15, 9.5}, {10, 9.5}, {12.5, 6}}));  // head at the right end
}

void Cross(QPainter& p) {
  p.setPen(QPen(Red, 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
  p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
}

void HelpBook(QPainter& p) {
  p.setPen(QPen(Outline, 1));
  p.setBrush(QColor(40, 110, 190));
  p.drawRect(QRectF(2.5, 1.5, 11, 13));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(4.5, 12.5, 9, 2));
  QFont f("Liberation Sans");
  f.setPixelSize(10);
  f.setBold(true);
  p.setFont(f);
  p.setPen(Qt::white);
  p.drawText(QRectF(3, 1, 11, 11), Qt::AlignCenter, "?");
}

void Magnifier(QPainter& p, qreal x, qreal y) {
  p.setPen(QPen(Outline, 1.6));
  p.setBrush(QColor(200, 230, 250));
  p.drawEllipse(QRectF(x, y, 8, 8));
  p.setPen(QPen(Outline, 2.6, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(x + 7, y + 7), QPointF(x + 11, y + 11));
}

void Page(QPainter& p, QRectF r, bool lines = true) {
  p.setPen(QPen(Outline, 1));
  p.setBrush(Qt::white);
  p.drawRect(r);
  if (!lines) return;
  p.setPen(QPen(QColor(120, 120, 120), 1));
  for (qreal y = r.top() + 2.5; y < r.bottom() - 1; y += 2)
    p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

void Replace(QPainter& p) {
  Page(p, QRectF(1.5, 1.5, 8, 10));
  Magnifier(p, 6, 5);
  p.setPen(QPen(Red, 1.5));
  p.drawLine(QPointF(2.5, 14.5), QPointF(7.5, 14.5));
}

void Cabinet(QPainter& p) {
  p.setPen(QPen(Outline, 1));
  p.setBrush(CabinetBrown);
  p.drawRect(QRectF(1.5, 2.5, 9, 12));
  p.setBrush(CabinetBrown.lighter(130));
  p.drawRect(QRectF(2.5, 3.5, 7, 4.5));
  p.drawRect(QRectF(2.5, 9, 7, 4.5));
  p.setPen(QPen(Qt::black, 1.2));
  p.drawLine(QPointF(5, 5.5), QPointF(7, 5.5));
  p.drawLine(QPointF(5, 11), QPointF(7, 11));
}

void Cube(QPainter& p, qreal x, qreal y, const QColor& c) {
  p.setPen(QPen(Outline, 0.8));
  p.setBrush(c);
  p.drawPolygon(QPolygonF({{x, y + 2}, {x + 3, y}, {x + 6, y + 2}, {x + 3, y + 4}}));
  p.setBrush(c.darker(120));
  p.drawPolygon(QPolygonF({{x, y + 2}, {x + 3, y + 4}, {x + 3, y + 7.5}, {x, y + 5.5}}));
  p.setBrush(c.darker(150));
  p.drawPolygon(QPolygonF({{x + 6, y + 2}, {x + 3, y + 4}, {x + 3, y + 7.5}, {x + 6, y + 5.5}}));
}

void Gear(QPainter& p, QPointF c, qreal r) {
  for (int i = 0; i < 8; ++i) {
    p.save();
    p.translate(c);
    p.rotate(i * 45);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 90, 110));
    p.drawRect(QRectF(-1, -r - 1.2, 2, 2.4));
    p.restore();
  }
  p.setPen(QPen(QColor(60, 60, 80), 0.8));
  p.setBrush(QColor(140, 140, 160));
  p.drawEllipse(c, r, r);
  p.setBrush(Qt::white);
  p.drawEllipse(c, r / 2.6, r / 2.6);
}

void NotePad(QPainter& p) {
  Page(p, QRectF(1.5, 2.5, 10, 12));
  p.setPen(QPen(Blue, 1.2));
  for (qreal x = 3.5; x < 11; x += 2.5) p.drawLine(QPointF(x, 1), QPointF(x, 3.5));
  Gear(p, QPointF(11.5, 11.5), 3);
}

// The object kinds of the library lists.
void Application(QPainter& p) {
  p.setPen(QPen(Outline, 1));
  p.setBrush(QColor(250, 210, 60));
  QPolygonF star;
  for (int i = 0; i < 10; ++i) {
    qreal r = i % 2 ? 3 : 7;
    qreal a = -M_PI / 2 + i * M_PI / 5;
    star << QPointF(8 + r * std::cos(a), 8.5 + r * std::sin(a));
  }
  p.drawPolygon(star);
}

void DataWindow(QPainter& p) {
  p.setPen(QPen(Outline, 1));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(1.5, 2.5, 13, 11));
  p.setBrush(QColor(90, 160, 220));
  p.drawRect(QRectF(1.5, 2.5, 13, 3));
  p.setPen(QPen(QColor(150, 150, 150), 1));
  p.drawLine(QPointF(2, 8.5), QPointF(14, 8.5));
  p.drawLine(QPointF(2, 11), QPointF(14, 11));
  p.drawLine(QPointF(6.5, 6), QPointF(6.5, 13));
}

void Function(QPainter& p) {
  QFont f("Liberation Serif");
  f.setPixelSize(14);
  f.setItalic(true);
  f.setBold(true);
  p.setFont(f);
  p.setPen(QColor(20, 110, 60));
  p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, "f");
  p.setPen(QPen(Outline, 1));
  p.drawArc(QRectF(1, 2, 4, 12), 100 * 16, 160 * 16);
  p.drawArc(QRectF(11, 2, 4, 12), -80 * 16, 160 * 16);
}

void Menu(QPainter& p) {
  p.setPen(QPen(Outline, 1));
  p.setBrush(QColor(230, 230, 230));
  p.drawRect(QRectF(1.5, 1.5, 13, 4));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(3.5, 5.5, 8, 9));
  p.setPen(QPen(QColor(30, 60, 150), 1.2));
  p.drawLine(QPointF(3.5, 3.5), QPointF(6.5, 3.5));
  p.drawLine(QPointF(8.5, 3.5), QPointF(12, 3.5));
  for (qreal y = 8; y < 14; y += 2.5) p.drawLine(QPointF(5, y), QPointF(10, y));
}

void Structure(QPainter& p) {
  p.setPen(QPen(Outline, 1));
  p.setBrush(QColor(120, 190, 120));
  p.drawRect(QRectF(5.5, 1.5, 5, 4));
  p.drawRect(QRectF(1.5, 10.5, 5, 4));
  p.drawRect(QRectF(9.5, 10.5, 5, 4));
  p.drawLine(QPointF(8, 5.5), QPointF(8, 8));
  p.drawLine(QPointF(4, 8), QPointF(12, 8));
  p.drawLine(QPointF(4, 8), QPointF(4, 10.5));
  p.drawLine(QPointF(12, 8), QPointF(12, 10.5));
}

void UserObject(QPainter& p) {
  Cube(p, 1, 1, QColor(230, 120, 40));
  Cube(p, 8, 6.5, QColor(90, 140, 230));
}

void WindowKind(QPainter& p) {
  p.setPen(QPen(Outline, 1));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(1.5, 2.5, 13, 11));
  p.setBrush(QColor(40, 80, 180));
  p.drawRect(QRectF(1.5, 2.5, 13, 3));
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(11, 3.2, 2, 1.6));
}

void Project(QPainter& p) {
  p.setPen(QPen(Outline, 1));
  p.setBrush(QColor(150, 110, 70));
  p.drawRect(QRectF(1.5, 5.5, 13, 9));
  p.drawRect(QRectF(5.5, 3, 5, 2.5));
  p.setPen(QPen(QColor(250, 220, 120), 1.4));
  p.drawLine(QPointF(1.5, 9.5), QPointF(14.5, 9.5));
}

void Triangle(QPainter& p, bool up) {
  p.setPen(QPen(QColor(80, 80, 80), 1));
  p.setBrush(QColor(120, 120, 120));
  if (up) p.drawPolygon(QPolygonF({{4, 10.5}, {12, 10.5}, {8, 5}}));
  else p.drawPolygon(QPolygonF({{4, 5.5}, {12, 5.5}, {8, 11}}));
}

void ProgramPicture(QPainter& p) {
  Page(p, QRectF(0.5, 1.5, 7, 13), false);
  Page(p, QRectF(8.5, 1.5, 7, 13), false);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x8A, 0xFB, 0x6F));
  p.drawRect(QRectF(9, 6.5, 6, 2));
  p.setBrush(QColor(0xA8, 0xCC, 0xF0));
  p.drawRect(QRectF(9, 10.5, 6, 2));
  p.setPen(QPen(QColor(90, 90, 90), 1));
  for (qreal y : {3.5, 5.5, 7.5, 9.5, 11.5}) p.drawLine(QPointF(1.5, y), QPointF(6.5, y));
  for (qreal y : {3.5, 5.5, 7.5, 9.5, 11.5}) p.drawLine(QPointF(9.5, y), QPointF(14.5, y));
}

std::vector<QPixmap> Pixmaps(const std::vector<TDraw>& draws) {
  std::vector<QPixmap> r;
  r.reserve(draws.size());
  for (const TDraw& d : draws) r.push_back(QPixmap::fromImage(Paint(d)));
  return r;
}

std::vector<TDraw> ToolbarDrawings() {
  return {
      [](QPainter& p) { OpenFolder(p); Mark(p, "1"); },
      [](QPainter& p) { OpenFolder(p); Mark(p, "2"); },
      [](QPainter& p) { Diskette(p); Mark(p, "1"); },
      [](QPainter& p) { Diskette(p); Mark(p, "2"); },
      Rotate,
      [](QPainter& p) { Arrow(p, Green, 0); },
      Cross,
      [](QPainter& p) { Arrow(p, Blue, 90); },
      [](QPainter& p) { Arrow(p, Blue, -90); },
      HelpBook,
      [](QPainter& p) { Magnifier(p, 1.5, 1.5); },
      Replace,
      [](QPainter& p) { Arrow(p, Green, 180); },
      [](QPainter& p) { Cabinet(p); Page(p, QRectF(8.5, 6.5, 6.5, 8.5)); },
      [](QPainter& p) { Cabinet(p); Cube(p, 8.5, 7.5, QColor(90, 140, 230)); },
      NotePad,
  };
}

}  // namespace

QImage DisabledForm(const QImage& image) {
  QImage out = image.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < out.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x) {
      QRgb c = line[x];
      int a = qAlpha(c);
      if (a == 0) continue;
      // Grey by brightness, pressed into the light half so the picture looks switched off.
      int g = 128 + qGray(c) / 2;
      line[x] = qRgba(g, g, g, a * 3 / 4);
    }
  }
  return out;
}

std::vector<QPixmap> ToolbarImages() { return Pixmaps(ToolbarDrawings()); }

std::vector<QPixmap> DisabledToolbarImages() {
  std::vector<TDraw> draws = ToolbarDrawings();
  std::vector<QPixmap> r;
  for (int i = 0; i < DisabledImageCount; ++i) r.push_back(QPixmap::fromImage(DisabledForm(Paint(draws[i]))));
  return r;
}

std::vector<QPixmap> RowImages() {
  auto plainPage = [](QPainter& p) { Page(p, QRectF(3.5, 1.5, 9, 13)); };
  return Pixmaps({
      Cabinet, Application, DataWindow, Function, plainPage, Menu, Structure, UserObject, WindowKind,
      plainPage, plainPage, Project,
      [](QPainter& p) { Arrow(p, Green, 180); },
      [](QPainter& p) { Arrow(p, Purple, 0); },
      ClosedFolder,
      [](QPainter& p) { Cabinet(p); RevisionMark(p); },
      [](QPainter& p) { ClosedFolder(p); RevisionMark(p); },
  });
}

std::vector<QPixmap> SideButtonImages() {
  return Pixmaps({ClosedFolder, [](QPainter& p) {
                    RevisionMark(p);
                    p.setPen(QPen(QColor(220, 80, 40), 1.6));
                    p.drawLine(QPointF(4.5, 2.5), QPointF(4.5, 10.5));
                    p.drawLine(QPointF(4.5, 6.5), QPointF(11.5, 9.5));
                    p.setBrush(Qt::white);
                    p.drawEllipse(QPointF(4.5, 4.5), 2.2, 2.2);
                  }});
}

std::vector<QPixmap> SortMarkImages() {
  return Pixmaps({[](QPainter& p) { Triangle(p, false); }, [](QPainter& p) { Triangle(p, true); }});
}

QPixmap ProgramPixmap(int size) { return QPixmap::fromImage(Paint(ProgramPicture, size)); }

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 32, 48}) icon.addPixmap(ProgramPixmap(size));
  return icon;
}

}  // namespace artwork
