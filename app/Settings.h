// The settings file: what is kept between runs, how each value is written and read back, and the
// program-wide values the views share (the three highlight colours and the last folders).
//
// The file is an INI file with the one section "Options". This unit knows the keys, defaults and
// formats; the main window decides when to read and write and where the values go.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/IniFile.h"
#include "compare/Side.h"
#include "editor/Colors.h"

namespace app {

inline constexpr editor::TColor DefaultAddColor = 0xF0CCA8;  // light blue
inline constexpr editor::TColor DefaultModColor = 0x6FFB8A;  // light green
inline constexpr editor::TColor DefaultDelColor = 0xBB77FF;  // pink

// Backgrounds of added (side 2 only), changed and deleted (side 1 only) rows and lines.
extern editor::TColor AddColor;
extern editor::TColor ModColor;
extern editor::TColor DelColor;
// The folders the open dialogs of the sides start in: a folder path ending in a separator, or
// empty for the dialog's own default. Folder1 and Folder2 are sides 1 and 2 of Folders.
extern std::array<std::filesystem::path, compare::SideCount> Folders;
extern std::filesystem::path& Folder1;
extern std::filesystem::path& Folder2;

inline constexpr const char* SettingsSection = "Options";
// The key of TSettings::Language, which the program reads on its own before any window is built.
inline constexpr const char* LanguageKey = "Language";

// A window's bounds in screen pixels.
struct TBounds {
  int Left = 0;
  int Top = 0;
  int Width = -1;
  int Height = -1;
  friend bool operator==(const TBounds&, const TBounds&) = default;
};

// Everything the file holds.
struct TSettings {
  TBounds Bounds;
  editor::TColor Add = DefaultAddColor;
  editor::TColor Mod = DefaultModColor;
  editor::TColor Del = DefaultDelColor;
  std::string FontName = "Courier New";  // UTF-8
  int FontSize = 10;                     // points
  bool Horizontal = false;               // panes one above the other
  std::array<std::filesystem::path, compare::SideCount> Folders;  // keys "Folder.1", "Folder.2"
  // The Windows code page 8-bit input is read in (platform::SetAnsiCodePage). A stored number that
  // is not supported reads as 936 and sets CodePageUnknown, for the status bar to say once.
  int CodePage = 936;
  bool CodePageUnknown = false;
  // The files the user added to each side of the library list, in the order added (keys
  // "Side1.1", "Side1.2", ... and "Side2.1", ...).
  std::array<std::vector<std::string>, compare::SideCount> Sides;
  // The check marks of the options menu, a key each ("IgnoreBlanks", "IgnoreCase", ...).
  bool IgnoreBlanks = false;
  bool IgnoreCase = false;
  bool IgnoreComments = false;
  bool AlignSimilar = false;
  bool BySection = false;
  bool IgnorePosition = false;
  bool IgnoreDefaults = false;
  bool ShowDiffsOnly = false;
  bool LibraryFiles = false;  // library files beside their exports are read, not the exports
  // The language of the desktop's texts: "zh", "en", or empty for the system locale's. Written
  // only once set, like LibraryFiles.
  std::string Language;
};

// At most this many files a side are read back.
inline constexpr int MaxSideFiles = 1000;

// Reads every key; a missing file, a missing key or a value that does not parse gives the key's
// default.
TSettings ReadSettings(const TIniFile& ini);

// Writes the keys in their order, each straight to the file. The four bounds keys are written
// only when `writeBounds` is set (a maximised or minimised window leaves them as they are).
// Throws platform::TFileError ("Unable to write to <path>") at the first write that fails; the
// keys before it stay written.
void WriteSettings(TIniFile& ini, const TSettings& s, bool writeBounds);

// "$" and the colour's value in eight upper-case hexadecimal digits: $00F0CCA8.
std::string ColorToText(editor::TColor c);
// "$" hexadecimal or decimal (StrToInt); `def` for anything else.
editor::TColor TextToColor(std::string_view text, editor::TColor def);

// Whether stored bounds can be used on a screen with the given geometry: a positive size, the
// top-left corner left of and above the screen's bottom-right corner, and some part of the window
// right of and below the screen's top-left corner. A window only partly on the screen passes.
bool BoundsFitScreen(const TBounds& b, int screenLeft, int screenTop, int screenWidth, int screenHeight);

}  // namespace app
