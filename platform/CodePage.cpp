#include "CodePage.h"

#include <cerrno>
#include <iconv.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <atomic>
#include <map>
#include <memory>
#include <stdexcept>
#include <unordered_map>
#include <vector>

namespace platform {
namespace {

// Converts the character at the front of `rest` that the converter refused, when it is one the
// program writes itself: appends it to `out` and returns the bytes it took, else 0.
using TOwnCharacter = std::size_t (*)(std::string_view rest, std::string& out);

// One converter per direction, opened on first use and kept for the life of the thread:
// opening an iconv descriptor costs far more than a short conversion.
class Converter {
 public:
  Converter(const char* to, const char* from, TOwnCharacter own = nullptr) : cd_(iconv_open(to, from)), own_(own) {
    if (cd_ == reinterpret_cast<iconv_t>(-1))
      throw std::runtime_error(std::string("No converter from ") + from + " to " + to);
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts `in`. At an input sequence the converter rejects, `unit` input bytes are dropped and
  // `replace(dropped)` is written in their place; without `replace` the conversion stops there
  // and returns false, `*stoppedAt` the offset in `in`.
  bool Run(std::string_view in, std::string& out, std::size_t unit, std::string (*replace)(std::string_view dropped),
           std::size_t* stoppedAt = nullptr) {
    out.resize(in.size() * 2 + 16);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    std::size_t done = 0;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    // The last round (null input) flushes a converter that holds a character back, waiting for
    // a combining one (Vietnamese, Hebrew).
    bool flushing = false;
    while (true) {
      char* dst = out.data() + done;
      std::size_t dstLeft = out.size() - done;
      std::size_t r = flushing ? iconv(cd_, nullptr, nullptr, &dst, &dstLeft) : iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      done = out.size() - dstLeft;
      if (r != static_cast<std::size_t>(-1)) {
        if (flushing) break;
        flushing = true;
        continue;
      }
      if (errno == E2BIG) {
        out.resize(out.size() * 2);
        continue;
      }
      // EILSEQ, or EINVAL for a sequence cut short at the end.
      if (own_) {
        std::string piece;
        if (const std::size_t took = own_(std::string_view(src, srcLeft), piece)) {
          src += took;
          srcLeft -= took;
          if (out.size() - done < piece.size() + 16) out.resize(out.size() * 2 + piece.size());
          out.replace(done, piece.size(), piece);
          done += piece.size();
          continue;
        }
      }
      if (!replace) {
        if (stoppedAt) *stoppedAt = in.size() - srcLeft;
        out.resize(done);
        return false;
      }
      std::size_t drop = unit < srcLeft ? unit : srcLeft;
      std::string replacement = replace(std::string_view(src, drop));
      src += drop;
      srcLeft -= drop;
      if (out.size() - done < replacement.size() + 16) out.resize(out.size() * 2 + replacement.size());
      out.replace(done, replacement.size(), replacement);
      done += replacement.size();
    }
    out.resize(done);
    return true;
  }

  std::string Run(std::string_view in, std::size_t unit, std::string (*replace)(std::string_view dropped)) {
    std::string out;
    Run(in, out, unit, replace);
    return out;
  }

 private:
  iconv_t cd_;
  TOwnCharacter own_;
};

std::string QuestionMark(std::string_view) { return "?"; }
std::string Utf16Replacement(std::string_view) { return std::string("\xFD\xFF", 2); }
std::string Utf8Replacement(std::string_view) { return "\xEF\xBF\xBD"; }

// Private-use characters of the basic plane that the system's GB18030 has no code for (the
// 2005 edition gave some of them to characters Unicode encoded later; the 2022 edition maps those
// to the standard code points and leaves the private ones without). The program holds each as a
// four-byte code of its own past the last one of the basic plane (0x8431A439), which no edition
// assigns, so that nothing read is lost: the code converts back to the character it stands for.
constexpr char32_t kPrivateFirst = 0xE000, kPrivateLast = 0xF8FF;
constexpr std::uint32_t kOwnCodeBase = ((((0x84 - 0x81) * 10 + (0x31 - 0x30)) * 126 + (0xA5 - 0x81)) * 10) + (0x30 - 0x30);

bool HasNoCode(char32_t c) {
  static const std::vector<bool> none = [] {
    std::vector<bool> v(kPrivateLast - kPrivateFirst + 1);
    iconv_t cd = iconv_open("GB18030", "UTF-16LE");
    if (cd == reinterpret_cast<iconv_t>(-1)) return v;
    for (char32_t u = kPrivateFirst; u <= kPrivateLast; ++u) {
      char in[2] = {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)}, outBuf[8];
      char* src = in;
      char* dst = outBuf;
      std::size_t srcLeft = 2, dstLeft = sizeof outBuf;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      v[u - kPrivateFirst] = iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1);
    }
    iconv_close(cd);
    return v;
  }();
  return c >= kPrivateFirst && c <= kPrivateLast && none[c - kPrivateFirst];
}

void AppendOwnCode(char32_t c, std::string& out) {
  std::uint32_t n = kOwnCodeBase + (c - kPrivateFirst);
  const char b4 = static_cast<char>(0x30 + n % 10);
  n /= 10;
  const char b3 = static_cast<char>(0x81 + n % 126);
  n /= 126;
  const char b2 = static_cast<char>(0x30 + n % 10);
  out += static_cast<char>(0x81 + n / 10);
  out += b2;
  out += b3;
  out += b4;
}

// The character a four-byte code of the program's own stands for, or 0.
char32_t OwnCodeAt(std::string_view rest) {
  if (rest.size() < 4 || CharLength(rest) != 4) return 0;
  auto b = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(rest[i])); };
  const std::uint32_t n = (((b(0) - 0x81) * 10 + (b(1) - 0x30)) * 126 + (b(2) - 0x81)) * 10 + (b(3) - 0x30);
  if (n < kOwnCodeBase || n > kOwnCodeBase + (kPrivateLast - kPrivateFirst)) return 0;
  const char32_t c = kPrivateFirst + (n - kOwnCodeBase);
  return HasNoCode(c) ? c : 0;
}

std::size_t OwnFromUtf16(std::string_view rest, std::string& out) {
  if (rest.size() < 2) return 0;
  const char32_t c = static_cast<unsigned char>(rest[0]) | static_cast<unsigned char>(rest[1]) << 8;
  if (!HasNoCode(c)) return 0;
  AppendOwnCode(c, out);
  return 2;
}

std::size_t OwnFromUtf8(std::string_view rest, std::string& out) {
  // The basic plane's private-use area is EE 80 80 to EF A3 BF in UTF-8.
  if (rest.size() < 3 || (rest[1] & 0xC0) != 0x80 || (rest[2] & 0xC0) != 0x80) return 0;
  const auto lead = static_cast<unsigned char>(rest[0]);
  if (lead != 0xEE && lead != 0xEF) return 0;
  const char32_t c = (lead & 0x0F) << 12 | (rest[1] & 0x3F) << 6 | (rest[2] & 0x3F);
  if (!HasNoCode(c)) return 0;
  AppendOwnCode(c, out);
  return 3;
}

std::size_t OwnToUtf16(std::string_view rest, std::string& out) {
  const char32_t c = OwnCodeAt(rest);
  if (c == 0) return 0;
  out += static_cast<char>(c & 0xFF);
  out += static_cast<char>(c >> 8);
  return 4;
}

std::size_t OwnToUtf8(std::string_view rest, std::string& out) {
  const char32_t c = OwnCodeAt(rest);
  if (c == 0) return 0;
  AppendUtf8(c, out);
  return 4;
}

Converter& FromUtf16() {
  thread_local Converter c("GB18030", "UTF-16LE", OwnFromUtf16);
  return c;
}
Converter& ToUtf16() {
  thread_local Converter c("UTF-16LE", "GB18030", OwnToUtf16);
  return c;
}
Converter& FromUtf8() {
  thread_local Converter c("GB18030", "UTF-8", OwnFromUtf8);
  return c;
}
Converter& ToUtf8() {
  thread_local Converter c("UTF-8", "GB18030", OwnToUtf8);
  return c;
}

bool IsAscii(std::string_view s) { return FindNonAscii(s) == std::string_view::npos; }

}  // namespace

std::size_t FindNonAscii(std::string_view s, std::size_t from) {
  const char* const p = s.data();
  const std::size_t n = s.size();
  std::size_t i = from;
  constexpr std::uint64_t kHigh = 0x8080808080808080ull;
  for (; i + 32 <= n; i += 32) {
    std::uint64_t w[4];
    std::memcpy(w, p + i, 32);
    if ((w[0] | w[1] | w[2] | w[3]) & kHigh) break;
  }
  for (; i + 8 <= n; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, p + i, 8);
    if (word & kHigh) break;
  }
  for (; i < n; ++i)
    if (static_cast<unsigned char>(p[i]) >= 0x80) return i;
  return std::string_view::npos;
}

std::string Utf16LEBytesToCodePage(const char* bytes, std::size_t byteCount) {
  byteCount &= ~static_cast<std::size_t>(1);
  // Plain ASCII is by far the common case in library names and sources.
  bool ascii = true;
  for (std::size_t i = 0; i < byteCount; i += 2) {
    if (static_cast<unsigned char>(bytes[i]) >= 0x80 || bytes[i + 1] != 0) {
      ascii = false;
      break;
    }
  }
  if (ascii) {
    std::string out(byteCount / 2, '\0');
    for (std::size_t i = 0; i < byteCount; i += 2) out[i / 2] = bytes[i];
    return out;
  }
  return FromUtf16().Run(std::string_view(bytes, byteCount), 2, QuestionMark);
}

std::string Utf16ToCodePage(std::u16string_view text) {
  std::string le;
  le.resize(text.size() * 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    le[2 * i] = static_cast<char>(text[i] & 0xFF);
    le[2 * i + 1] = static_cast<char>(text[i] >> 8);
  }
  return Utf16LEBytesToCodePage(le.data(), le.size());
}

std::u16string CodePageToUtf16(std::string_view text) {
  std::u16string out;
  if (IsAscii(text)) {
    out.assign(text.begin(), text.end());
    return out;
  }
  std::string le = ToUtf16().Run(text, 1, Utf16Replacement);
  out.resize(le.size() / 2);
  for (std::size_t i = 0; i < out.size(); ++i)
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(le[2 * i]) |
                                   (static_cast<unsigned char>(le[2 * i + 1]) << 8));
  return out;
}

std::string CodePageToUtf8(std::string_view text) {
  if (IsAscii(text)) return std::string(text);
  return ToUtf8().Run(text, 1, Utf8Replacement);
}

namespace {

// Appends `text` converted to `out`. ASCII bytes are the same in both and never part of a longer
// UTF-8 sequence: they are copied, and only the runs of other bytes go through the converter (a
// source file is mostly ASCII).
void AppendUtf8AsCodePage(std::string_view text, std::string& out) {
  std::string piece;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t j = std::min(FindNonAscii(text, i), text.size());
    out.append(text.data() + i, j - i);
    std::size_t k = j;
    while (k < text.size() && static_cast<unsigned char>(text[k]) >= 0x80) ++k;
    if (k > j) {
      FromUtf8().Run(text.substr(j, k - j), piece, 1, QuestionMark);
      out += piece;
    }
    i = k;
  }
}

}  // namespace

std::string Utf8ToCodePage(std::string_view text) {
  if (IsAscii(text)) return std::string(text);
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  AppendUtf8AsCodePage(text, out);
  return out;
}

void Utf8ToCodePageInPlace(std::string& text, std::size_t from) {
  std::string piece;
  std::size_t write = 0, read = from;
  while (read < text.size()) {
    char* data = text.data();
    const std::size_t n = text.size();
    const std::size_t j = std::min(FindNonAscii(text, read), n);
    if (write != read) std::char_traits<char>::move(data + write, data + read, j - read);
    write += j - read;
    std::size_t k = j;
    while (k < n && static_cast<unsigned char>(data[k]) >= 0x80) ++k;
    if (k > j) {
      FromUtf8().Run(std::string_view(data + j, k - j), piece, 1, QuestionMark);
      if (write + piece.size() > k) {
        // Longer than the bytes it replaces (a character outside GBK takes four bytes) and it
        // would overwrite what is still to be read: the rest moves right, with room to spare for
        // more such characters, instead of the text being copied to a second buffer.
        const std::size_t room = write + piece.size() - k + (n - k) / 16 + 64;
        text.resize(n + room);
        data = text.data();
        std::char_traits<char>::move(data + k + room, data + k, n - k);
        k += room;
      }
      std::char_traits<char>::copy(data + write, piece.data(), piece.size());
      write += piece.size();
    }
    read = k;
  }
  text.resize(write);
}

std::size_t CharLength(std::string_view rest) {
  if (rest.empty()) return 0;
  auto b = [&](std::size_t i) { return static_cast<unsigned char>(rest[i]); };
  unsigned char lead = b(0);
  if (lead < 0x81 || lead == 0xFF || rest.size() < 2) return 1;
  unsigned char second = b(1);
  if (second >= 0x30 && second <= 0x39) {
    // Four-byte form: lead, digit, lead-range byte, digit.
    if (rest.size() >= 4 && b(2) >= 0x81 && b(2) <= 0xFE && b(3) >= 0x30 && b(3) <= 0x39) return 4;
    return 1;
  }
  if (second >= 0x40 && second <= 0xFE && second != 0x7F) return 2;
  return 1;
}

}  // namespace platform

namespace platform {

std::string ShowControls(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x20 && c != 0x7F) {
      out += ch;
      continue;
    }
    // U+2400 + c in UTF-8: E2 90 80+c; U+2421: E2 90 A1.
    out += "\xE2\x90";
    out += static_cast<char>(c == 0x7F ? 0xA1 : 0x80 + c);
  }
  return out;
}

}  // namespace platform

// ---- The 8-bit code page of the input --------------------------------------------------------

namespace platform {
namespace {

constexpr int kGbk = 936;
// A byte that is no character of the input's code page is held as this private-use character
// plus the byte: a plane no code page maps its user-defined characters to (Big5's reach up to
// U+F848), written in UTF-16 as the surrogate pair kHeldHigh, kHeldLow + byte.
constexpr char32_t kHeldByteBase = 0xF0000;
constexpr char16_t kHeldHigh = 0xDB80;
constexpr char16_t kHeldLow = 0xDC00;

std::atomic<int> currentCodePage{kGbk};

// Code pages with one byte per character are converted through a table: byte by byte, so that a
// base letter and a combining accent (Vietnamese, Hebrew) stay two characters as they were
// written, which iconv would compose into one.
bool IsSingleByte(int number) { return number == 874 || (number >= 1250 && number <= 1258); }

std::string IconvName(int number) { return "CP" + std::to_string(number); }

// ToUnicode holds 0 for a byte that is no character; FromUnicode has the other bytes.
struct SingleByteTable {
  std::array<char16_t, 256> ToUnicode{};
  std::unordered_map<char16_t, unsigned char> FromUnicode;
};

const SingleByteTable& TableOf(int number) {
  thread_local std::map<int, SingleByteTable> tables;
  auto it = tables.find(number);
  if (it != tables.end()) return it->second;
  SingleByteTable& t = tables[number];
  Converter toUtf16("UTF-16LE", IconvName(number).c_str());
  for (int b = 0; b < 256; ++b) {
    char16_t u = 0;
    if (b < 0x80) {
      u = static_cast<char16_t>(b);
    } else {
      const char byte = static_cast<char>(b);
      std::string le;
      if (toUtf16.Run(std::string_view(&byte, 1), le, 1, nullptr) && le.size() == 2)
        u = static_cast<char16_t>(static_cast<unsigned char>(le[0]) | static_cast<unsigned char>(le[1]) << 8);
    }
    t.ToUnicode[static_cast<std::size_t>(b)] = u;
    if (u != 0 || b == 0) t.FromUnicode.emplace(u, static_cast<unsigned char>(b));
  }
  return t;
}

// The converters of a code page with several bytes per character, both directions.
struct MultiByteConverters {
  Converter ToUtf16;
  Converter FromUtf16;
  explicit MultiByteConverters(int number)
      : ToUtf16("UTF-16LE", IconvName(number).c_str()), FromUtf16(IconvName(number).c_str(), "UTF-16LE") {}
};

MultiByteConverters& ConvertersOf(int number) {
  thread_local std::map<int, std::unique_ptr<MultiByteConverters>> converters;
  auto& slot = converters[number];
  if (!slot) slot = std::make_unique<MultiByteConverters>(number);
  return *slot;
}

void PutUnit(std::string& le, char16_t u) {
  le += static_cast<char>(u & 0xFF);
  le += static_cast<char>(u >> 8);
}

char16_t UnitAt(std::string_view le, std::size_t unit) {
  return static_cast<char16_t>(static_cast<unsigned char>(le[2 * unit]) |
                               static_cast<unsigned char>(le[2 * unit + 1]) << 8);
}

void PutHeldByte(std::string& le, unsigned char b) {
  PutUnit(le, kHeldHigh);
  PutUnit(le, static_cast<char16_t>(kHeldLow + b));
}

std::string HeldByte(std::string_view dropped) {
  std::string le;
  PutHeldByte(le, static_cast<unsigned char>(dropped[0]));
  return le;
}

// The byte held at UTF-16 unit `unit` of `le`, or -1 when no held byte stands there.
int HeldByteAt(std::string_view le, std::size_t unit) {
  if (2 * unit + 3 >= le.size() || UnitAt(le, unit) != kHeldHigh) return -1;
  const char16_t low = UnitAt(le, unit + 1);
  return low >= kHeldLow + 0x80 && low <= kHeldLow + 0xFF ? low - kHeldLow : -1;
}

int Resolve(int number) { return number == 0 ? currentCodePage.load() : number; }

// The offset in GB18030 text of the character that became UTF-16 unit `unit` (the text is
// valid GB18030: characters of four bytes from lead byte 0x90 on lie beyond the BMP, two units).
std::size_t OffsetOfUnit(std::string_view text, std::size_t unit) {
  std::size_t at = 0, units = 0;
  while (at < text.size()) {
    std::size_t len = CharLength(text.substr(at));
    std::size_t n = len == 4 && static_cast<unsigned char>(text[at]) >= 0x90 ? 2 : 1;
    if (units + n > unit) break;
    units += n;
    at += len;
  }
  return at;
}

}  // namespace

const std::vector<TAnsiCodePage>& AnsiCodePages() {
  static const std::vector<TAnsiCodePage> pages{
      {936, "简体中文 (GBK, GB18030)"}, {950, "繁體中文 (Big5)"},  {932, "日本語 (Shift-JIS)"},
      {949, "한국어 (UHC)"},            {874, "ไทย (Thai)"},         {1250, "Central European"},
      {1251, "Cyrillic"},               {1252, "Western European"}, {1253, "Greek"},
      {1254, "Turkish"},                {1255, "Hebrew"},           {1256, "Arabic"},
      {1257, "Baltic"},                 {1258, "Vietnamese"},
  };
  return pages;
}

bool IsSupportedCodePage(int number) {
  const auto& pages = AnsiCodePages();
  return std::any_of(pages.begin(), pages.end(), [&](const TAnsiCodePage& p) { return p.Number == number; });
}

int AnsiCodePage() { return currentCodePage.load(); }

void SetAnsiCodePage(int number) {
  if (!IsSupportedCodePage(number)) throw std::invalid_argument("unsupported code page " + std::to_string(number));
  currentCodePage.store(number);
}

std::string AnsiToCodePage(std::string_view bytes, int number) {
  number = Resolve(number);
  if (number == kGbk || IsAscii(bytes)) return std::string(bytes);
  std::string le;
  if (IsSingleByte(number)) {
    const SingleByteTable& t = TableOf(number);
    le.reserve(bytes.size() * 2);
    for (unsigned char b : bytes) {
      if (t.ToUnicode[b] != 0 || b == 0)
        PutUnit(le, t.ToUnicode[b]);
      else
        PutHeldByte(le, b);
    }
  } else {
    ConvertersOf(number).ToUtf16.Run(bytes, le, 1, HeldByte);
  }
  return FromUtf16().Run(le, 2, QuestionMark);
}

std::optional<std::string> CodePageToUtf16LEStrict(std::string_view text, std::size_t* badOffset) {
  std::string le;
  if (IsAscii(text)) {
    le.reserve(text.size() * 2);
    for (char c : text) PutUnit(le, static_cast<char16_t>(c));
    return le;
  }
  std::size_t stopped = 0;
  if (!ToUtf16().Run(text, le, 1, nullptr, &stopped)) {
    if (badOffset) *badOffset = stopped;
    return std::nullopt;
  }
  return le;
}

std::optional<std::string> CodePageToUtf8Strict(std::string_view text, std::size_t* badOffset) {
  if (IsAscii(text)) return std::string(text);
  std::string out;
  std::size_t stopped = 0;
  if (!ToUtf8().Run(text, out, 1, nullptr, &stopped)) {
    if (badOffset) *badOffset = stopped;
    return std::nullopt;
  }
  return out;
}

std::optional<std::string> CodePageToAnsi(std::string_view text, int number, std::size_t* badOffset) {
  number = Resolve(number);
  if (IsAscii(text)) return std::string(text);
  if (number == kGbk) {
    // GB18030 as it is, but for the program's own codes, which no GB18030 file may hold.
    for (std::size_t at = FindNonAscii(text); at < text.size(); at = FindNonAscii(text, at)) {
      if (OwnCodeAt(text.substr(at)) != 0) {
        if (badOffset) *badOffset = at;
        return std::nullopt;
      }
      at += CharLength(text.substr(at));
    }
    return std::string(text);
  }
  std::optional<std::string> le = CodePageToUtf16LEStrict(text, badOffset);
  if (!le) return std::nullopt;
  const std::size_t units = le->size() / 2;
  std::string out;
  out.reserve(units);
  auto fail = [&](std::size_t unit) -> std::optional<std::string> {
    if (badOffset) *badOffset = OffsetOfUnit(text, unit);
    return std::nullopt;
  };
  if (IsSingleByte(number)) {
    const SingleByteTable& t = TableOf(number);
    for (std::size_t i = 0; i < units; ++i) {
      auto it = t.FromUnicode.find(UnitAt(*le, i));
      if (it != t.FromUnicode.end()) {
        out += static_cast<char>(it->second);
      } else if (int held = HeldByteAt(*le, i); held >= 0) {
        out += static_cast<char>(held);
        ++i;
      } else {
        return fail(i);
      }
    }
    return out;
  }
  // Runs the converter up to each character it refuses; a held byte is written back as itself.
  Converter& c = ConvertersOf(number).FromUtf16;
  std::size_t unit = 0;
  while (unit < units) {
    std::string part;
    std::size_t stopped = 0;
    std::string_view rest = std::string_view(*le).substr(2 * unit);
    const bool whole = c.Run(rest, part, 2, nullptr, &stopped);
    out += part;
    if (whole) break;
    unit += stopped / 2;
    const int held = HeldByteAt(*le, unit);
    if (held < 0) return fail(unit);
    out += static_cast<char>(held);
    unit += 2;
  }
  return out;
}

}  // namespace platform
