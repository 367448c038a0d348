#include "CliCommon.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <iostream>
#include <streambuf>

#include "platform/CodePage.h"

namespace cli {

bool TArgs::Has(const std::string& flag) const {
  return std::any_of(Flags.begin(), Flags.end(), [&](const auto& f) { return f.first == flag; });
}

std::string TArgs::Value(const std::string& flag, const std::string& fallback) const {
  for (auto it = Flags.rbegin(); it != Flags.rend(); ++it)
    if (it->first == flag) return it->second;
  return fallback;
}

TArgs ParseArgs(const std::vector<std::string>& words, const std::vector<std::string>& valueFlags,
                const std::vector<std::string>& switchFlags) {
  TArgs args;
  bool operandsOnly = false;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (operandsOnly || w.size() < 2 || w.compare(0, 2, "--") != 0) {
      args.Operands.push_back(w);
      continue;
    }
    if (w == "--") {
      operandsOnly = true;
      continue;
    }
    std::string name = w, value;
    std::size_t eq = w.find('=');
    bool inlineValue = eq != std::string::npos;
    if (inlineValue) {
      name = w.substr(0, eq);
      value = w.substr(eq + 1);
    }
    if (std::find(valueFlags.begin(), valueFlags.end(), name) != valueFlags.end()) {
      if (!inlineValue) {
        if (i + 1 >= words.size()) throw TUsageError(name + " needs a value");
        value = words[++i];
      }
      args.Flags.emplace_back(name, value);
    } else if (std::find(switchFlags.begin(), switchFlags.end(), name) != switchFlags.end() && !inlineValue) {
      args.Flags.emplace_back(name, "");
    } else {
      throw TUsageError("unknown option " + w);
    }
  }
  return args;
}

namespace {

// Length of the UTF-8 sequence at the front of `rest`, 0 when it is not one.
std::size_t Utf8Length(std::string_view rest) {
  const auto b = [&](std::size_t i) { return static_cast<unsigned char>(rest[i]); };
  const unsigned char c = b(0);
  std::size_t len = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
  if (len == 0 || rest.size() < len) return 0;
  if (len >= 2) {
    const unsigned char lo = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
    const unsigned char hi = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
    if (b(1) < lo || b(1) > hi) return 0;
    for (std::size_t i = 2; i < len; ++i)
      if ((b(i) & 0xC0) != 0x80) return 0;
  }
  return len;
}

// Whether the character at the front of `rest` (of UTF-8 length `len`) is a control character:
// C0, DEL, or C1 (U+0080..U+009F, C2 80..C2 9F).
bool IsControl(std::string_view rest, std::size_t len) {
  const auto c = static_cast<unsigned char>(rest[0]);
  if (len == 1) return c < 0x20 || c == 0x7F;
  return len == 2 && c == 0xC2 && static_cast<unsigned char>(rest[1]) <= 0x9F;
}

std::string Hex(const char* format, unsigned value) {
  char buf[12];
  std::snprintf(buf, sizeof buf, format, value);
  return buf;
}

// The bytes that may start a control character (C2 starts the C1 controls in UTF-8), with line
// feed and tab among them or not.
struct TSpecialBytes {
  std::array<bool, 256> All{}, ButBreaks{};
  TSpecialBytes() {
    for (int b = 0; b < 0x20; ++b) All[static_cast<std::size_t>(b)] = ButBreaks[static_cast<std::size_t>(b)] = true;
    for (int b : {0x7F, 0xC2}) All[static_cast<std::size_t>(b)] = ButBreaks[static_cast<std::size_t>(b)] = true;
    ButBreaks['\n'] = ButBreaks['\t'] = false;
  }
};

const std::array<bool, 256>& Special(bool keepBreaks) {
  static const TSpecialBytes bytes;
  return keepBreaks ? bytes.ButBreaks : bytes.All;
}

std::size_t FindSpecial(std::string_view text, std::size_t from, const std::array<bool, 256>& special) {
  for (std::size_t i = from; i < text.size(); ++i)
    if (special[static_cast<unsigned char>(text[i])]) return i;
  return std::string_view::npos;
}

// A stream buffer in front of another that escapes control characters on their way through.
// A character split between two writes is held back until its end arrives.
class TEscapingBuf : public std::streambuf {
 public:
  explicit TEscapingBuf(std::streambuf* target) : target_(target) { setp(buf_, buf_ + sizeof buf_); }
  ~TEscapingBuf() override { Drain(true); }
  std::streambuf* Target() const { return target_; }

 protected:
  int_type overflow(int_type ch) override {
    Drain(false);
    if (ch != traits_type::eof()) {
      *pptr() = traits_type::to_char_type(ch);
      pbump(1);
    }
    return traits_type::not_eof(ch);
  }
  int sync() override {
    Drain(true);
    return target_->pubsync();
  }

 private:
  void Drain(bool all) {
    std::string_view text(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    std::string joined;
    if (!held_.empty()) {
      joined = held_ + std::string(text);
      text = joined;
    }
    std::size_t keep = 0;
    if (!all) {
      // A multi-byte character cut at the end waits for the rest of it.
      for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
        const auto c = static_cast<unsigned char>(text[text.size() - back]);
        if ((c & 0xC0) == 0x80) continue;
        const std::size_t need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        if (need > back) keep = back;
        break;
      }
    }
    const std::string_view ready = text.substr(0, text.size() - keep);
    if (FindSpecial(ready, 0, Special(true)) == std::string_view::npos) {
      target_->sputn(ready.data(), static_cast<std::streamsize>(ready.size()));
    } else {
      const std::string out = EscapeControls(ready, true);
      target_->sputn(out.data(), static_cast<std::streamsize>(out.size()));
    }
    held_ = std::string(text.substr(text.size() - keep));
    setp(buf_, buf_ + sizeof buf_);
  }

  std::streambuf* target_;
  std::string held_;
  char buf_[8192];
};

}  // namespace

std::string EscapeControls(std::string_view utf8, bool keepBreaks) {
  const std::array<bool, 256>& special = Special(keepBreaks);
  std::size_t i = FindSpecial(utf8, 0, special);
  if (i == std::string_view::npos) return std::string(utf8);
  std::string out(utf8.substr(0, i));
  while (i < utf8.size()) {
    const std::string_view rest = utf8.substr(i);
    const std::size_t len = std::max<std::size_t>(Utf8Length(rest), 1);
    const auto c = static_cast<unsigned char>(rest[0]);
    if (!IsControl(rest, len) || (keepBreaks && (c == '\n' || c == '\t')))
      out.append(rest.substr(0, len));
    else if (len == 1)
      out += Hex("\\x%02x", c);
    else
      out += Hex("\\u%04x", static_cast<unsigned char>(rest[1]));
    i += len;
    // Runs without anything to escape go out in one piece.
    const std::size_t next = std::min(FindSpecial(utf8, i, special), utf8.size());
    out.append(utf8.substr(i, next - i));
    i = next;
  }
  return out;
}

struct TTerminalGuard::TFilters {
  TEscapingBuf Out{std::cout.rdbuf()};
  TEscapingBuf Err{std::cerr.rdbuf()};
};

TTerminalGuard::TTerminalGuard() : filters_(new TFilters) {
  std::cout.rdbuf(&filters_->Out);
  std::cerr.rdbuf(&filters_->Err);
}

TTerminalGuard::~TTerminalGuard() {
  std::cout.flush();
  std::cerr.flush();
  std::cout.rdbuf(filters_->Out.Target());
  std::cerr.rdbuf(filters_->Err.Target());
  delete filters_;
}

std::string JsonString(const std::string& utf8) {
  std::string out = "\"";
  std::string_view text(utf8);
  std::size_t i = 0;
  while (i < text.size()) {
    const std::string_view rest = text.substr(i);
    const std::size_t len = Utf8Length(rest);
    const auto c = static_cast<unsigned char>(rest[0]);
    if (len == 0) {
      out += "\xEF\xBF\xBD";  // not UTF-8
      ++i;
      continue;
    }
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (IsControl(rest, len))
          out += Hex("\\u%04x", len == 1 ? c : static_cast<unsigned char>(rest[1]));
        else
          out.append(rest.substr(0, len));
    }
    i += len;
  }
  return out + "\"";
}

std::string Out(const std::string& codePage) { return platform::CodePageToUtf8(codePage); }

std::string Field(const std::string& utf8) { return EscapeControls(utf8, false); }

std::string FieldOf(const std::string& codePage) { return Field(Out(codePage)); }

}  // namespace cli
