#include "pbparse/Defaults.h"

#include <cstdlib>

#include "pbparse/Ascii.h"
#include "platform/FileSys.h"

namespace pbparse {
namespace {

std::string_view Unquote(std::string_view v) {
  v = Trim(v);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) v = v.substr(1, v.size() - 2);
  return v;
}

std::vector<std::string> SplitCommas(std::string_view s) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= s.size(); ++i) {
    if (i < s.size() && s[i] != ',') continue;
    std::string_view part = Trim(s.substr(start, i - start));
    if (!part.empty()) out.emplace_back(part);
    start = i + 1;
  }
  return out;
}

bool AnyMatch(const std::vector<std::string>& patterns, std::string_view text) {
  for (const std::string& p : patterns)
    if (MatchNoCase(p, text)) return true;
  return false;
}

}  // namespace

bool MatchNoCase(std::string_view pattern, std::string_view text) {
  // Iterative matching with one backtrack point: linear in practice, never exponential.
  std::size_t p = 0, t = 0, star = std::string_view::npos, mark = 0;
  while (t < text.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || LowerAscii(pattern[p]) == LowerAscii(text[t]))) {
      ++p;
      ++t;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = t;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      t = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::vector<std::string> TDefaults::AddText(std::string_view text) {
  std::vector<std::string> problems;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::size_t start = 0;
  for (int number = 1; start <= text.size(); ++number) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = Trim(text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '+') {
      for (std::string& o : SplitCommas(line.substr(1))) objects_.push_back(std::move(o));
      continue;
    }
    std::size_t gap = 0;
    while (gap < line.size() && !IsBlank(line[gap])) ++gap;
    std::string_view rest = Trim(line.substr(gap));
    std::size_t eq = rest.find('=');
    if (gap == line.size() || eq == std::string_view::npos || Trim(rest.substr(0, eq)).empty()) {
      problems.push_back("line " + std::to_string(number) + ": not OBJECTS ATTRIBUTE=VALUE: " +
                         std::string(line.substr(0, 60)));
      continue;
    }
    TRule rule;
    rule.Objects = SplitCommas(line.substr(0, gap));
    rule.Attribute = std::string(Trim(rest.substr(0, eq)));
    rule.Value = std::string(Unquote(rest.substr(eq + 1)));
    rules_.push_back(std::move(rule));
  }
  return problems;
}

bool TDefaults::IsDefault(std::string_view keyword, std::string_view attribute, std::string_view value) const {
  value = Unquote(value);
  for (const TRule& r : rules_)
    if (EqualNoCase(r.Value, value) && MatchNoCase(r.Attribute, attribute) && AnyMatch(r.Objects, keyword))
      return true;
  return false;
}

bool TDefaults::IsAddedObject(std::string_view keyword) const { return AnyMatch(objects_, keyword); }

std::vector<std::filesystem::path> DefaultsLocations(const std::filesystem::path& programDir) {
  if (programDir.empty()) return {};
  return {programDir / kDefaultsFileName,
          (programDir / ".." / "share" / "quorvex" / kDefaultsFileName).lexically_normal()};
}

std::filesystem::path UserDefaultsFile() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  std::filesystem::path base;
  if (config && *config) base = config;
  else if (home && *home) base = std::filesystem::path(home) / ".config";
  else return {};
  return base / "quorvex" / kDefaultsFileName;
}

TLoadedDefaults LoadDefaults(const std::filesystem::path& programDir, const std::vector<std::filesystem::path>& extra) {
  TLoadedDefaults loaded;
  auto table = std::make_shared<TDefaults>();
  std::error_code ec;
  auto read = [&](const std::filesystem::path& file) {
    for (const std::string& p : table->AddText(platform::ReadFileBytes(file)))
      loaded.Warnings.push_back(platform::PathText(file) + ": " + p);
    loaded.Files.push_back(file);
  };
  bool shipped = false;
  for (const auto& place : DefaultsLocations(programDir)) {
    loaded.Looked.push_back(place);
    if (!std::filesystem::is_regular_file(place, ec)) continue;
    read(place);
    shipped = true;
    break;
  }
  std::filesystem::path user = UserDefaultsFile();
  if (!user.empty() && std::filesystem::is_regular_file(user, ec)) read(user);
  for (const auto& file : extra) read(file);
  if (shipped || !extra.empty()) loaded.Table = std::move(table);
  return loaded;
}

}  // namespace pbparse
