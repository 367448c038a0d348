#include "app/Settings.h"

#include <cstdio>
#include <utility>

#include "platform/CodePage.h"

using editor::TColor;

namespace app {

TColor AddColor = DefaultAddColor;
TColor ModColor = DefaultModColor;
TColor DelColor = DefaultDelColor;
std::array<std::filesystem::path, compare::SideCount> Folders;
std::filesystem::path& Folder1 = Folders[compare::Side1];
std::filesystem::path& Folder2 = Folders[compare::Side2];

namespace {

// The option marks and their keys, read and written alike.
constexpr std::pair<bool TSettings::*, const char*> kOptionKeys[] = {
    {&TSettings::IgnoreBlanks, "IgnoreBlanks"},     {&TSettings::IgnoreCase, "IgnoreCase"},
    {&TSettings::IgnoreComments, "IgnoreComments"}, {&TSettings::AlignSimilar, "AlignSimilar"},
    {&TSettings::BySection, "BySection"},           {&TSettings::IgnorePosition, "IgnorePosition"},
    {&TSettings::IgnoreDefaults, "IgnoreDefaults"}, {&TSettings::ShowDiffsOnly, "ShowDiffsOnly"},
};
// Read and written alike, but written only once set, so that a settings file of a user who never
// met the older source-control layout stays as it was.
constexpr std::pair<bool TSettings::*, const char*> kRareOptionKeys[] = {
    {&TSettings::LibraryFiles, "LibraryFiles"},
};

std::string SideKey(std::size_t side, int index) { return "Side" + std::to_string(side + 1) + "." + std::to_string(index); }
std::string FolderKey(compare::TSide side) { return "Folder." + std::to_string(side + 1); }

}  // namespace

std::string ColorToText(TColor c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "$%08X", static_cast<unsigned>(c));
  return buf;
}

TColor TextToColor(std::string_view text, TColor def) {
  auto v = StrToInt(text);
  return v ? static_cast<TColor>(*v) : def;
}

TSettings ReadSettings(const TIniFile& ini) {
  const char* s = SettingsSection;
  TSettings r;
  r.Bounds.Left = ini.ReadInteger(s, "Bounds.Left", 0);
  r.Bounds.Top = ini.ReadInteger(s, "Bounds.Top", 0);
  r.Bounds.Width = ini.ReadInteger(s, "Bounds.Width", -1);
  r.Bounds.Height = ini.ReadInteger(s, "Bounds.Height", -1);
  r.Add = TextToColor(ini.ReadString(s, "AddColor", ""), DefaultAddColor);
  r.Mod = TextToColor(ini.ReadString(s, "ModColor", ""), DefaultModColor);
  r.Del = TextToColor(ini.ReadString(s, "DelColor", ""), DefaultDelColor);
  r.FontName = ini.ReadString(s, "Font.Name", "Courier New");
  r.FontSize = ini.ReadInteger(s, "Font.size", 10);
  r.Horizontal = ini.ReadBool(s, "Horizontal", false);
  for (compare::TSide side : compare::AllSides)
    r.Folders[side] = std::filesystem::path(ini.ReadString(s, FolderKey(side), ""));
  const std::string page = ini.ReadString(s, "CodePage", "");
  if (!page.empty()) {
    auto number = StrToInt(page);
    r.CodePageUnknown = !number || !platform::IsSupportedCodePage(static_cast<int>(*number));
    if (!r.CodePageUnknown) r.CodePage = static_cast<int>(*number);
  }
  for (const auto& [member, key] : kOptionKeys) r.*member = ini.ReadBool(s, key, false);
  for (const auto& [member, key] : kRareOptionKeys) r.*member = ini.ReadBool(s, key, false);
  r.Language = ini.ReadString(s, LanguageKey, "");
  for (std::size_t side = 0; side < r.Sides.size(); ++side) {
    for (int i = 1; i <= MaxSideFiles; ++i) {
      std::string file = ini.ReadString(s, SideKey(side, i), "");
      if (file.empty()) break;
      r.Sides[side].push_back(std::move(file));
    }
  }
  return r;
}

void WriteSettings(TIniFile& ini, const TSettings& v, bool writeBounds) {
  const char* s = SettingsSection;
  if (writeBounds) {
    ini.WriteInteger(s, "Bounds.Left", v.Bounds.Left);
    ini.WriteInteger(s, "Bounds.Top", v.Bounds.Top);
    ini.WriteInteger(s, "Bounds.Width", v.Bounds.Width);
    ini.WriteInteger(s, "Bounds.Height", v.Bounds.Height);
  }
  ini.WriteString(s, "AddColor", ColorToText(v.Add));
  ini.WriteString(s, "ModColor", ColorToText(v.Mod));
  ini.WriteString(s, "DelColor", ColorToText(v.Del));
  ini.WriteString(s, "Font.Name", v.FontName);
  ini.WriteInteger(s, "Font.size", v.FontSize);
  ini.WriteBool(s, "Horizontal", v.Horizontal);
  for (compare::TSide side : compare::AllSides) ini.WriteString(s, FolderKey(side), v.Folders[side].string());
  ini.WriteInteger(s, "CodePage", v.CodePage);
  for (const auto& [member, key] : kOptionKeys) ini.WriteBool(s, key, v.*member);
  for (const auto& [member, key] : kRareOptionKeys)
    if (v.*member || ini.ReadBool(s, key, false)) ini.WriteBool(s, key, v.*member);
  // A line break cannot be a value: read back as the default, it says the key is absent.
  if (!v.Language.empty() || ini.ReadString(s, LanguageKey, "\n") != "\n") ini.WriteString(s, LanguageKey, v.Language);
  for (std::size_t side = 0; side < v.Sides.size(); ++side) {
    int i = 1;
    for (const std::string& file : v.Sides[side]) ini.WriteString(s, SideKey(side, i++), file);
    // A side that lost files since the last run leaves no stale keys behind.
    for (; i <= MaxSideFiles && !ini.ReadString(s, SideKey(side, i), "").empty(); ++i) ini.DeleteKey(s, SideKey(side, i));
  }
}

bool BoundsFitScreen(const TBounds& b, int screenLeft, int screenTop, int screenWidth, int screenHeight) {
  // 64-bit sums: stored values come from a file and may be anything.
  const std::int64_t l = b.Left, t = b.Top, w = b.Width, h = b.Height;
  return w > 0 && h > 0 && l < std::int64_t(screenLeft) + screenWidth && t < std::int64_t(screenTop) + screenHeight &&
         l + w > screenLeft && t + h > screenTop;
}

}  // namespace app
