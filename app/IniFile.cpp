#include "app/IniFile.h"

#include <cerrno>
#include <system_error>
#include <vector>

#include "platform/FileSys.h"

namespace app {

namespace {

constexpr std::string_view Blanks = " \t";

std::string_view Trim(std::string_view s) {
  std::size_t b = s.find_first_not_of(Blanks);
  if (b == std::string_view::npos) return {};
  std::size_t e = s.find_last_not_of(Blanks);
  return s.substr(b, e - b + 1);
}

bool SameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    if (lower(static_cast<unsigned char>(a[i])) != lower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

// One line of the file without its line break, and where it lies in the text.
struct TLine {
  std::string_view Text;
  std::size_t Begin = 0;  // offset of the line
  std::size_t End = 0;    // offset after its line break
};

std::vector<TLine> SplitIni(std::string_view text) {
  std::vector<TLine> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t nl = text.find_first_of("\r\n", pos);
    std::size_t end = nl == std::string_view::npos ? text.size() : nl;
    std::size_t next = end;
    if (next < text.size()) {
      if (text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n') next += 2;
      else next += 1;
    }
    lines.push_back({text.substr(pos, end - pos), pos, next});
    pos = next;
  }
  return lines;
}

// The section name of a "[name]" line.
std::optional<std::string_view> SectionOf(std::string_view line) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != '[') return std::nullopt;
  std::size_t close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

// The key of a "key=value" line, and the value after the equals sign.
bool SplitEntry(std::string_view line, std::string_view& key, std::string_view& value) {
  std::string_view t = Trim(line);
  if (t.empty() || t.front() == ';') return false;
  std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  key = Trim(line.substr(0, eq));
  value = line.substr(eq + 1);
  return true;
}

struct TFound {
  bool SectionFound = false;
  std::size_t InsertAt = 0;  // offset after the section's last entry line
  std::optional<TLine> Entry;
  std::string_view Value;
};

TFound Find(std::string_view text, const std::vector<TLine>& lines, std::string_view section,
            std::string_view key) {
  TFound f;
  bool inSection = false;
  for (const TLine& l : lines) {
    if (auto s = SectionOf(l.Text)) {
      if (inSection) break;  // the section has ended
      inSection = SameNoCase(*s, section);
      if (inSection) {
        f.SectionFound = true;
        f.InsertAt = l.End;
      }
      continue;
    }
    if (!inSection) continue;
    std::string_view k, v;
    if (SplitEntry(l.Text, k, v)) {
      f.InsertAt = l.End;
      if (!f.Entry && SameNoCase(k, key)) {
        f.Entry = l;
        f.Value = v;
      }
    }
  }
  return f;
}

std::string CutToLength(std::string_view v) {
  if (v.size() <= MaxIniValueLength) return std::string(v);
  std::size_t n = MaxIniValueLength;
  // Step back over UTF-8 continuation bytes so that no character is cut in two.
  while (n > 0 && (static_cast<unsigned char>(v[n]) & 0xC0) == 0x80) --n;
  return std::string(v.substr(0, n));
}

[[noreturn]] void WriteFailed(const std::filesystem::path& p) {
  std::error_code ec;
  std::filesystem::path full = std::filesystem::absolute(p, ec);
  throw platform::TFileError("Unable to write to " + platform::PathText(ec ? p : full));
}

}  // namespace

std::optional<std::int32_t> StrToInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i >= text.size()) return std::nullopt;
  std::uint64_t value = 0;
  if (text[i] == '$') {
    ++i;
    if (i >= text.size()) return std::nullopt;
    int significant = 0;
    for (; i < text.size(); ++i) {
      char c = text[i];
      int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      if (d < 0) return std::nullopt;
      if (value != 0 || d != 0) ++significant;
      if (significant > 8) return std::nullopt;
      value = value * 16 + static_cast<unsigned>(d);
    }
    auto bits = static_cast<std::uint32_t>(value);
    if (negative) bits = ~bits + 1;
    return static_cast<std::int32_t>(bits);
  }
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
    if (value > 2147483648ull) return std::nullopt;
  }
  if (!negative && value > 2147483647ull) return std::nullopt;
  return static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(value) : static_cast<std::int64_t>(value));
}

std::int32_t StrToIntDef(std::string_view text, std::int32_t def) { return StrToInt(text).value_or(def); }

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
  std::string text;
  try {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(fileName_, ec)) return std::string(def);
    text = platform::ReadFileBytes(fileName_);
  } catch (const platform::TFileError&) {
    return std::string(def);
  }
  std::vector<TLine> lines = SplitIni(text);
  TFound f = Find(text, lines, section, key);
  if (!f.Entry) return std::string(def);
  std::string_view v = Trim(f.Value);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  return CutToLength(v);
}

std::int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key, std::int32_t def) const {
  return StrToIntDef(ReadString(section, key, ""), def);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

namespace {

// The file's text as a writer starts from: empty when there is no file yet.
std::string TextToRewrite(const std::filesystem::path& fileName) {
  std::string text;
  std::error_code ec;
  if (std::filesystem::exists(fileName, ec)) {
    if (!std::filesystem::is_regular_file(fileName, ec)) WriteFailed(fileName);
    try {
      text = platform::ReadFileBytes(fileName);
    } catch (const platform::TFileError&) {
      WriteFailed(fileName);
    }
  }
  return text;
}

void Rewrite(const std::filesystem::path& fileName, const std::string& text) {
  try {
    platform::WriteFileBytes(fileName, text);
  } catch (const platform::TFileError&) {
    WriteFailed(fileName);
  }
}

}  // namespace

void TIniFile::DeleteKey(std::string_view section, std::string_view key) {
  const std::string text = TextToRewrite(fileName_);
  std::vector<TLine> lines = SplitIni(text);
  TFound f = Find(text, lines, section, key);
  if (!f.Entry) return;
  Rewrite(fileName_, text.substr(0, f.Entry->Begin) + text.substr(f.Entry->End));
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  std::string text = TextToRewrite(fileName_);
  std::string clean(value);
  for (char& c : clean)
    if (c == '\r' || c == '\n') c = ' ';

  std::vector<TLine> lines = SplitIni(text);
  std::string eol = "\n";
  if (!lines.empty() && lines.front().End >= 2 && text.compare(lines.front().End - 2, 2, "\r\n") == 0) eol = "\r\n";
  std::string entry = std::string(key) + "=" + clean;

  TFound f = Find(text, lines, section, key);
  std::string out;
  if (f.Entry) {
    // Replace the text of the line, keeping its line break.
    out = text.substr(0, f.Entry->Begin) + entry + text.substr(f.Entry->Begin + f.Entry->Text.size());
  } else if (f.SectionFound) {
    std::string before = text.substr(0, f.InsertAt);
    if (!before.empty() && before.back() != '\n' && before.back() != '\r') before += eol;
    out = before + entry + eol + text.substr(f.InsertAt);
  } else {
    out = text;
    if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += eol;
    out += "[" + std::string(section) + "]" + eol + entry + eol;
  }
  Rewrite(fileName_, out);
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

}  // namespace app
