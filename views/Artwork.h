// The program's pictures, drawn in code at 16 x 16 pixels (the program icon also at 32 and 48):
// the toolbar images and their disabled forms, the row icons and sort marks of the library lists.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <vector>

namespace artwork {

// The main toolbar's images by index: 0, 1 folder opening, marked 1 and 2; 2, 3 diskette marked
// 1 and 2; 4 two green arrows in a circle; 5 green arrow right; 6 red cross; 7, 8 blue arrow
// down and up; 9 help book; 10 find; 11 replace; 12 green arrow left; 13 library cabinet with a
// page; 14 library cabinet with an object; 15 note pad with a gear.
inline constexpr int ToolbarImageCount = 16;
// The disabled forms exist for the first 13 images.
inline constexpr int DisabledImageCount = 13;
std::vector<QPixmap> ToolbarImages();
std::vector<QPixmap> DisabledToolbarImages();

// The row icons of the library lists by index: 0 library cabinet; 1 application; 2 DataWindow;
// 3 function; 5 menu; 6 structure; 7 user object; 8 window; 11 project; 12 green arrow left (side
// 1 newer); 13 purple arrow right (side 2 newer); 4, 9 and 10 a plain page (not used); the kinds
// of library besides a file (0): 14 a folder of exported objects, 15 a library file of a git
// revision, 16 a folder of a git revision.
inline constexpr int RowImageCount = 17;
std::vector<QPixmap> RowImages();

// The library list's side buttons: 0 add a folder, 1 add a git revision.
std::vector<QPixmap> SideButtonImages();

// The header sort marks: 0 descending (pointing down), 1 ascending (pointing up).
std::vector<QPixmap> SortMarkImages();

// The program icon: two pages side by side, the right one with a coloured changed line.
QIcon ProgramIcon();
QPixmap ProgramPixmap(int size);

// A grey, lighter form of an image, as a disabled button shows it.
QImage DisabledForm(const QImage& image);

}  // namespace artwork
