#include "CodePage.h"

#include <cerrno>
#include <iconv.h>

#include <stdexcept>
#include <vector>

namespace platform {
namespace {

// One converter per direction, opened on first use and kept for the life of the thread:
// opening an iconv descriptor costs far more than a short conversion.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1))
      throw std::runtime_error(std::string("No converter from ") + from + " to " + to);
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts `in`; at an input sequence the converter rejects, `skip(in)` says how many input
  // bytes to drop and `replacement` is written in their place.
  std::string Run(std::string_view in, std::size_t unit, std::string_view replacement) {
    std::string out;
    out.resize(in.size() * 2 + 16);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    std::size_t done = 0;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    while (srcLeft > 0) {
      char* dst = out.data() + done;
      std::size_t dstLeft = out.size() - done;
      std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      done = out.size() - dstLeft;
      if (r != static_cast<std::size_t>(-1)) break;
      if (errno == E2BIG) {
        out.resize(out.size() * 2);
        continue;
      }
      // EILSEQ or EINVAL (a sequence cut short at the end): replace one unit and go on.
      std::size_t drop = unit < srcLeft ? unit : srcLeft;
      src += drop;
      srcLeft -= drop;
      if (out.size() - done < replacement.size() + 16) out.resize(out.size() * 2 + replacement.size());
      out.replace(done, replacement.size(), replacement);
      done += replacement.size();
    }
    out.resize(done);
    return out;
  }

 private:
  iconv_t cd_;
};

Converter& FromUtf16() {
  thread_local Converter c("GB18030", "UTF-16LE");
  return c;
}
Converter& ToUtf16() {
  thread_local Converter c("UTF-16LE", "GB18030");
  return c;
}
Converter& FromUtf8() {
  thread_local Converter c("GB18030", "UTF-8");
  return c;
}
Converter& ToUtf8() {
  thread_local Converter c("UTF-8", "GB18030");
  return c;
}

bool IsAscii(std::string_view s) {
  for (unsigned char ch : s)
    if (ch >= 0x80) return false;
  return true;
}

}  // namespace

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
  return FromUtf16().Run(std::string_view(bytes, byteCount), 2, "?");
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
  std::string le = ToUtf16().Run(text, 1, std::string_view("\xFD\xFF", 2));
  out.resize(le.size() / 2);
  for (std::size_t i = 0; i < out.size(); ++i)
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(le[2 * i]) |
                                   (static_cast<unsigned char>(le[2 * i + 1]) << 8));
  return out;
}

std::string CodePageToUtf8(std::string_view text) {
  if (IsAscii(text)) return std::string(text);
  return ToUtf8().Run(text, 1, "\xEF\xBF\xBD");
}

std::string Utf8ToCodePage(std::string_view text) {
  if (IsAscii(text)) return std::string(text);
  return FromUtf8().Run(text, 1, "?");
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
