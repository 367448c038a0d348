#include "iconv.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace {

enum class TKind { Utf16LE, Utf8, Gb18030, CodePage };

// The tables made on the build machine (tools/MakeCodePageTables.cpp), glibc's iconv's conversions:
// GB18030 (Windows' code page 54936 follows an older edition of the standard for some characters,
// and Wine's lacks the four-byte codes), and the other supported code pages (Windows' own tables
// and glibc's differ in places, and the two builds must read and write the same bytes).
#include "CodePageTables.inc"

struct TEncoding {
  TKind Kind = TKind::CodePage;
  unsigned Number = 0;                          // the Windows code page of TKind::CodePage
  const TCodePageTable* Table = nullptr;    // and its table
};

bool Parse(const char* name, TEncoding& e) {
  const std::string n(name);
  if (n == "UTF-16LE") {
    e.Kind = TKind::Utf16LE;
  } else if (n == "UTF-8") {
    e.Kind = TKind::Utf8;
  } else if (n == "GB18030") {
    e.Kind = TKind::Gb18030;
    e.Number = 54936;
  } else if (n.size() > 2 && n.compare(0, 2, "CP") == 0 && n.find_first_not_of("0123456789", 2) == std::string::npos) {
    e.Number = static_cast<unsigned>(std::stoul(n.substr(2)));
    e.Table = nullptr;
    for (const TCodePageTable& t : kCodePageTables)
      if (static_cast<unsigned>(t.Number) == e.Number) e.Table = &t;
    if (!e.Table) return false;
  } else {
    return false;
  }
  return true;
}

// The result of reading one character.
enum class TRead { Ok, Invalid, Incomplete };

constexpr std::uint32_t kFourByteBmpCount = 39420;
// The first four-byte code past the basic plane, 90 30 81 30, as an index counted like the others.
constexpr std::uint32_t kSupplementaryBase = ((0x90 - 0x81) * 10 * 126 * 10);

// The GB18030 code of each character of the basic plane (0: none), as 2 bytes (lead << 8 | trail)
// or, from 0x10000 on, 0x10000 + the index of a four-byte code.
const std::vector<std::uint32_t>& GbCodes() {
  static const std::vector<std::uint32_t> codes = [] {
    std::vector<std::uint32_t> v(0x10000, 0);
    for (std::uint32_t i = 0; i < kFourByteBmpCount; ++i)
      if (kGbFourByte[i] != 0) v[kGbFourByte[i]] = 0x10000 + i;
    // A character with both a two-byte and a four-byte code is written with the two-byte one, as
    // iconv does.
    for (std::uint32_t lead = 0; lead < 126; ++lead)
      for (std::uint32_t trail = 0; trail < 191; ++trail)
        if (const char32_t c = kGbTwoByte[lead * 191 + trail]; c != 0 && c < 0x10000 && (v[c] == 0 || v[c] >= 0x10000))
          v[c] = (0x81 + lead) << 8 | (0x40 + trail);
    return v;
  }();
  return codes;
}

// Characters beyond the basic plane that have a two-byte code (lead << 8 | trail).
const std::unordered_map<char32_t, std::uint32_t>& GbSupplementaryTwoByte() {
  static const std::unordered_map<char32_t, std::uint32_t> codes = [] {
    std::unordered_map<char32_t, std::uint32_t> m;
    for (std::uint32_t lead = 0; lead < 126; ++lead)
      for (std::uint32_t trail = 0; trail < 191; ++trail)
        if (const char32_t c = kGbTwoByte[lead * 191 + trail]; c >= 0x10000 && !m.count(c)) m[c] = (0x81 + lead) << 8 | (0x40 + trail);
    return m;
  }();
  return codes;
}

// What each code page writes for a character of the basic plane: (length << 16 | bytes).
const std::unordered_map<char16_t, std::uint32_t>& WriteTable(const TCodePageTable& t) {
  static std::mutex lock;
  static std::unordered_map<int, std::unordered_map<char16_t, std::uint32_t>> tables;
  std::lock_guard guard(lock);
  auto& m = tables[t.Number];
  if (m.empty())
    for (const std::uint32_t* p = t.Write; *p; p += 2) m.emplace(static_cast<char16_t>(p[0]), p[1]);
  return m;
}

}  // namespace

struct TIconv {
  TEncoding To, From;
};

namespace {

// Writes a character as its UTF-16 units (a surrogate pair past the basic plane); returns how many.
int ToUnits(char32_t c, wchar_t units[2]) {
  if (c < 0x10000) {
    units[0] = static_cast<wchar_t>(c);
    return 1;
  }
  units[0] = static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
  units[1] = static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
  return 2;
}

// Reads the character at the front of `in` (n > 0 bytes) into UTF-16 `units` (1 or 2), `took`
// the bytes it spans.
TRead Decode(const TEncoding& e, const unsigned char* in, std::size_t n, wchar_t units[2], int& count, std::size_t& took) {
  switch (e.Kind) {
    case TKind::Utf16LE: {
      if (n < 2) return TRead::Incomplete;
      const wchar_t u = static_cast<wchar_t>(in[0] | in[1] << 8);
      if (u >= 0xDC00 && u <= 0xDFFF) return TRead::Invalid;
      if (u >= 0xD800 && u <= 0xDBFF) {
        if (n < 4) return TRead::Incomplete;
        const wchar_t low = static_cast<wchar_t>(in[2] | in[3] << 8);
        if (low < 0xDC00 || low > 0xDFFF) return TRead::Invalid;
        units[0] = u;
        units[1] = low;
        count = 2;
        took = 4;
        return TRead::Ok;
      }
      units[0] = u;
      count = 1;
      took = 2;
      return TRead::Ok;
    }
    case TKind::Utf8: {
      const unsigned char b0 = in[0];
      if (b0 < 0x80) {
        units[0] = b0;
        count = 1;
        took = 1;
        return TRead::Ok;
      }
      const std::size_t len = b0 >= 0xF0 && b0 <= 0xF4 ? 4 : b0 >= 0xE0 && b0 <= 0xEF ? 3 : b0 >= 0xC2 && b0 <= 0xDF ? 2 : 0;
      if (len == 0) return TRead::Invalid;
      char32_t c = len == 2 ? b0 & 0x1F : len == 3 ? b0 & 0x0F : b0 & 0x07;
      for (std::size_t k = 1; k < len; ++k) {
        if (k >= n) return TRead::Incomplete;
        if ((in[k] & 0xC0) != 0x80) return TRead::Invalid;
        c = c << 6 | (in[k] & 0x3F);
      }
      if ((len == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) || (len == 4 && (c < 0x10000 || c > 0x10FFFF)))
        return TRead::Invalid;
      count = ToUnits(c, units);
      took = len;
      return TRead::Ok;
    }
    case TKind::Gb18030: {
      const unsigned char b0 = in[0];
      char32_t c = 0;
      if (b0 < 0x80) {
        c = b0;
        took = 1;
      } else {
        if (b0 == 0x80 || b0 == 0xFF) return TRead::Invalid;
        if (n < 2) return TRead::Incomplete;
        if (in[1] >= 0x30 && in[1] <= 0x39) {
          if (n < 4) return TRead::Incomplete;
          if (in[2] < 0x81 || in[2] > 0xFE || in[3] < 0x30 || in[3] > 0x39) return TRead::Invalid;
          const std::uint32_t index = (((b0 - 0x81u) * 10 + (in[1] - 0x30u)) * 126 + (in[2] - 0x81u)) * 10 + (in[3] - 0x30u);
          if (index < kFourByteBmpCount)
            c = kGbFourByte[index];
          else if (index >= kSupplementaryBase && index < kSupplementaryBase + 0x100000)
            c = 0x10000 + (index - kSupplementaryBase);
          took = 4;
        } else if (in[1] >= 0x40 && in[1] <= 0xFE && in[1] != 0x7F) {
          c = kGbTwoByte[(b0 - 0x81) * 191 + (in[1] - 0x40)];
          took = 2;
        } else {
          return TRead::Invalid;
        }
        if (c == 0) return TRead::Invalid;
      }
      count = ToUnits(c, units);
      return TRead::Ok;
    }
    case TKind::CodePage:
      break;
  }
  const unsigned char b0 = in[0];
  char32_t c = b0;
  took = 1;
  if (b0 >= 0x80) {
    const std::uint32_t single = e.Table->Single[b0 - 0x80];
    if (single == 0xFFFFFFFF) {
      if (n < 2) return TRead::Incomplete;
      c = e.Table->Double[(b0 - 0x80) * 256 + in[1]];
      took = 2;
    } else {
      c = single;
    }
    if (c == 0) return TRead::Invalid;
  }
  count = ToUnits(c, units);
  return TRead::Ok;
}

// Writes the character of `units` in the encoding; false when it has none there.
bool Encode(const TEncoding& e, const wchar_t* units, int count, char* out, std::size_t& len) {
  switch (e.Kind) {
    case TKind::Utf16LE:
      for (int i = 0; i < count; ++i) {
        out[2 * i] = static_cast<char>(units[i] & 0xFF);
        out[2 * i + 1] = static_cast<char>(units[i] >> 8);
      }
      len = static_cast<std::size_t>(count) * 2;
      return true;
    case TKind::Utf8: {
      char32_t c = units[0];
      if (count == 2) c = 0x10000 + ((c - 0xD800) << 10) + (units[1] - 0xDC00);
      std::size_t n = 0;
      if (c < 0x80) {
        out[n++] = static_cast<char>(c);
      } else if (c < 0x800) {
        out[n++] = static_cast<char>(0xC0 | c >> 6);
        out[n++] = static_cast<char>(0x80 | (c & 0x3F));
      } else if (c < 0x10000) {
        out[n++] = static_cast<char>(0xE0 | c >> 12);
        out[n++] = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out[n++] = static_cast<char>(0x80 | (c & 0x3F));
      } else {
        out[n++] = static_cast<char>(0xF0 | c >> 18);
        out[n++] = static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out[n++] = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out[n++] = static_cast<char>(0x80 | (c & 0x3F));
      }
      len = n;
      return true;
    }
    case TKind::Gb18030: {
      if (count == 2) {
        const char32_t c = 0x10000 + ((units[0] - 0xD800u) << 10) + (units[1] - 0xDC00u);
        const auto& twoByte = GbSupplementaryTwoByte();
        if (const auto it = twoByte.find(c); it != twoByte.end()) {
          out[0] = static_cast<char>(it->second >> 8);
          out[1] = static_cast<char>(it->second & 0xFF);
          len = 2;
          return true;
        }
        const std::uint32_t index = kSupplementaryBase + (c - 0x10000);
        out[0] = static_cast<char>(0x81 + index / 12600);
        out[1] = static_cast<char>(0x30 + index / 1260 % 10);
        out[2] = static_cast<char>(0x81 + index / 10 % 126);
        out[3] = static_cast<char>(0x30 + index % 10);
        len = 4;
        return true;
      }
      if (units[0] < 0x80) {
        out[0] = static_cast<char>(units[0]);
        len = 1;
        return true;
      }
      const std::uint32_t code = GbCodes()[units[0]];
      if (code == 0) return false;
      if (code < 0x10000) {
        out[0] = static_cast<char>(code >> 8);
        out[1] = static_cast<char>(code & 0xFF);
        len = 2;
        return true;
      }
      const std::uint32_t index = code - 0x10000;
      out[0] = static_cast<char>(0x81 + index / 12600);
      out[1] = static_cast<char>(0x30 + index / 1260 % 10);
      out[2] = static_cast<char>(0x81 + index / 10 % 126);
      out[3] = static_cast<char>(0x30 + index % 10);
      len = 4;
      return true;
    }
    case TKind::CodePage:
      break;
  }
  if (count == 1 && units[0] < 0x80) {
    out[0] = static_cast<char>(units[0]);
    len = 1;
    return true;
  }
  if (count != 1) return false;
  const auto& table = WriteTable(*e.Table);
  const auto it = table.find(static_cast<char16_t>(units[0]));
  if (it == table.end()) return false;
  len = it->second >> 16;
  if (len == 1) {
    out[0] = static_cast<char>(it->second & 0xFF);
  } else {
    out[0] = static_cast<char>(it->second >> 8 & 0xFF);
    out[1] = static_cast<char>(it->second & 0xFF);
  }
  return true;
}

}  // namespace

iconv_t iconv_open(const char* to, const char* from) {
  TEncoding t, f;
  if (!Parse(to, t) || !Parse(from, f)) {
    errno = EINVAL;
    return reinterpret_cast<iconv_t>(-1);
  }
  return new TIconv{t, f};
}

int iconv_close(iconv_t cd) {
  delete cd;
  return 0;
}

std::size_t iconv(iconv_t cd, char** inbuf, std::size_t* inbytesleft, char** outbuf, std::size_t* outbytesleft) {
  // No state is kept between calls: resetting and flushing have nothing to do.
  if (!inbuf || !*inbuf) return 0;
  while (*inbytesleft > 0) {
    wchar_t units[2];
    int count = 0;
    std::size_t took = 0;
    const TRead r = Decode(cd->From, reinterpret_cast<const unsigned char*>(*inbuf), *inbytesleft, units, count, took);
    if (r != TRead::Ok) {
      errno = r == TRead::Incomplete ? EINVAL : EILSEQ;
      return static_cast<std::size_t>(-1);
    }
    char piece[8];
    std::size_t len = 0;
    if (!Encode(cd->To, units, count, piece, len)) {
      errno = EILSEQ;
      return static_cast<std::size_t>(-1);
    }
    if (len > *outbytesleft) {
      errno = E2BIG;
      return static_cast<std::size_t>(-1);
    }
    std::memcpy(*outbuf, piece, len);
    *outbuf += len;
    *outbytesleft -= len;
    *inbuf += took;
    *inbytesleft -= took;
  }
  return 0;
}
