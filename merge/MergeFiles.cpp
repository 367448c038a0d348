#include "merge/MergeFiles.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>

#include "diff/HashUnit.h"
#include "merge/SectionMerge.h"
#include "platform/CodePage.h"
#include "platform/TextFile.h"
#include "sides/ExportFile.h"

using diff::TLineClasses;

namespace merge {
namespace {

using platform::TTextEncoding;

// A text cut into lines, each with the break that ends it (none on a last line without one). It
// holds the text (a decoded one) or refers to bytes held elsewhere (a file's, merged as they are).
class TBrokenText {
 public:
  explicit TBrokenText(std::string text) : own_(std::move(text)) { Cut(own_); }
  explicit TBrokenText(std::string_view bytes) { Cut(bytes); }
  TBrokenText(const TBrokenText&) = delete;
  TBrokenText& operator=(const TBrokenText&) = delete;

  std::int32_t Count() const { return static_cast<std::int32_t>(breaks_.size()); }
  std::string_view Line(std::int32_t i) const {
    const auto k = static_cast<std::size_t>(i);
    return bytes_.substr(starts_[k], starts_[k + 1] - starts_[k] - breaks_[k]);
  }
  std::string_view Break(std::int32_t i) const {
    const auto k = static_cast<std::size_t>(i);
    return bytes_.substr(starts_[k + 1] - breaks_[k], breaks_[k]);
  }
  std::vector<std::string> Lines() const {
    std::vector<std::string> out;
    out.reserve(breaks_.size());
    for (std::int32_t i = 0; i < Count(); ++i) out.emplace_back(Line(i));
    return out;
  }
  std::size_t Size() const { return bytes_.size(); }

 private:
  void Cut(std::string_view text) {
    bytes_ = text;
    if (bytes_.size() > std::numeric_limits<std::uint32_t>::max())
      throw std::length_error("The texts are too long to merge (4 GB at most).");
    const char* data = bytes_.data();
    const std::size_t n = bytes_.size();
    std::size_t lines = 0;
    for (const char* p = data; (p = static_cast<const char*>(std::memchr(p, '\n', data + n - p))); ++p) ++lines;
    starts_.reserve(lines + 2);
    breaks_.reserve(lines + 1);
    std::size_t i = 0;
    starts_.push_back(0);
    while (i < n) {
      const void* lf = std::memchr(data + i, '\n', n - i);
      std::size_t end = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - data) : n;
      if (const void* cr = std::memchr(data + i, '\r', end - i)) end = static_cast<std::size_t>(static_cast<const char*>(cr) - data);
      std::uint8_t brk = 0;
      if (end < n) brk = data[end] == '\r' && end + 1 < n && data[end + 1] == '\n' ? 2 : 1;
      i = end + brk;
      starts_.push_back(static_cast<std::uint32_t>(i));
      breaks_.push_back(brk);
    }
  }

  std::string own_;
  std::string_view bytes_;
  std::vector<std::uint32_t> starts_;
  std::vector<std::uint8_t> breaks_;
};

// What a file's bytes are, as far as merging them goes.
struct TForm {
  platform::TTextFormat Format;
  bool Hex = false;    // HEXASCII
  bool Ascii = false;  // no byte above 0x7F after any mark
  bool Wide() const {
    return Format.Encoding == TTextEncoding::Utf16LE || Format.Encoding == TTextEncoding::Utf16BE;
  }
};

TForm FormOf(const TMergeFile& file) {
  TForm f;
  f.Format = platform::DetectTextFormat(file.Bytes);
  f.Hex = sides::IsHexAscii(file.Bytes);
  const std::size_t skip = f.Format.Encoding == TTextEncoding::Utf8Bom ? 3 : 0;
  f.Ascii = !f.Wide() && platform::FindNonAscii(file.Bytes, skip) == std::string_view::npos;
  if (!f.Wide() && std::memchr(file.Bytes.data(), '\0', file.Bytes.size()))
    throw TMergeError(file.Name + ": a binary file, not text");
  return f;
}

// Whether the bytes of two files can be merged as they are.
bool SameBytesForm(const TForm& a, const TForm& b) {
  if (a.Wide() || b.Wide() || a.Hex != b.Hex) return false;
  const bool bomA = a.Format.Encoding == TTextEncoding::Utf8Bom, bomB = b.Format.Encoding == TTextEncoding::Utf8Bom;
  if (bomA != bomB) return false;
  if (a.Ascii || b.Ascii || bomA) return true;
  return a.Format.Encoding == b.Format.Encoding && a.Format.CodePage == b.Format.CodePage;
}

const char* BreakText(platform::TLineBreak b) {
  return b == platform::TLineBreak::CrLf ? "\r\n" : b == platform::TLineBreak::Lf ? "\n" : "\r";
}

std::string Decoded(const TMergeFile& file, const TForm& form) {
  return form.Hex ? sides::DecodeExportText(file.Bytes) : platform::DecodeText(file.Bytes);
}

// "U+00E9 "é"" for the character at `offset` of code-page text.
std::string Describe(std::string_view text, std::size_t offset) {
  const std::string_view ch = text.substr(offset, std::max<std::size_t>(platform::CharLength(text.substr(offset)), 1));
  const std::optional<std::string> le = platform::CodePageToUtf16LEStrict(ch);
  if (!le || le->size() < 2) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", static_cast<unsigned char>(ch[0]));
    return std::string("the byte ") + buf;
  }
  auto unit = [&](std::size_t i) {
    return static_cast<unsigned>(static_cast<unsigned char>((*le)[i])) | static_cast<unsigned char>((*le)[i + 1]) << 8;
  };
  unsigned cp = unit(0);
  if (le->size() >= 4) cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(2) - 0xDC00);
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04X", cp);
  return std::string("the character \"") + platform::CodePageToUtf8(ch) + "\" (" + buf + ")";
}

std::string EncodingName(const TForm& form) {
  if (form.Hex) return "the HEXASCII export form";
  switch (form.Format.Encoding) {
    case TTextEncoding::CodePage:
      return "code page " + std::to_string(form.Format.CodePage ? form.Format.CodePage : platform::AnsiCodePage());
    case TTextEncoding::Utf8:
    case TTextEncoding::Utf8Bom: return "UTF-8";
    default: return "UTF-16";
  }
}

// Code-page text in the HEXASCII form, line by line: a line one of the HEXASCII inputs holds in
// its bytes as read (`asRead`), any other with platform::EncodeHexAsciiLine.
std::optional<std::string> EncodeHex(const std::string& text, const std::vector<platform::THexAsciiLines>& asRead,
                                     std::size_t& bad) {
  std::string out = std::string_view(text).substr(0, 16) == "$PBExportHeader$" ? "HA" : "";
  out.reserve(text.size() + 2);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    const std::string* kept = nullptr;
    for (const platform::THexAsciiLines& lines : asRead)
      if (auto it = lines.find(line); !kept && it != lines.end()) kept = &it->second;
    if (kept) {
      out += *kept;
    } else if (platform::FindNonAscii(line) == std::string::npos) {
      out += line;
    } else {
      std::size_t offset = 0;
      const std::optional<std::string> encoded = platform::EncodeHexAsciiLine(line, &offset);
      if (!encoded) {
        bad = start + offset;
        return std::nullopt;
      }
      out += *encoded;
    }
    const std::size_t next = end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? end + 2
                             : end < text.size()                                                                 ? end + 1
                                                                                                                 : end;
    out.append(text, end, next - end);
    start = next;
  }
  return out;
}

// Code-page text in the form of `form` (its mark included); none, with the offset, for a
// character the form cannot hold.
std::optional<std::string> Encode(const std::string& text, const TForm& form,
                                  const std::vector<platform::THexAsciiLines>& asRead, std::size_t& bad) {
  if (form.Hex) return EncodeHex(text, asRead, bad);
  std::optional<std::string> bytes;
  switch (form.Format.Encoding) {
    case TTextEncoding::CodePage: return platform::CodePageToAnsi(text, form.Format.CodePage, &bad);
    case TTextEncoding::Utf8: return platform::CodePageToUtf8Strict(text, &bad);
    case TTextEncoding::Utf8Bom:
      bytes = platform::CodePageToUtf8Strict(text, &bad);
      if (bytes) bytes->insert(0, "\xEF\xBB\xBF");
      return bytes;
    case TTextEncoding::Utf16LE:
    case TTextEncoding::Utf16BE:
      bytes = platform::CodePageToUtf16LEStrict(text, &bad);
      if (!bytes) return bytes;
      if (form.Format.Encoding == TTextEncoding::Utf16BE)
        for (std::size_t i = 0; i + 1 < bytes->size(); i += 2) std::swap((*bytes)[i], (*bytes)[i + 1]);
      bytes->insert(0, form.Format.Encoding == TTextEncoding::Utf16LE ? "\xFF\xFE" : "\xFE\xFF");
      return bytes;
  }
  return bytes;
}

// A label as the merged text holds it: UTF-8 as given, in the code page when the text is
// code-page text (decoded, or bytes of an 8-bit code page).
std::string LabelIn(const std::string& utf8, bool codePageText, const TForm& raw, bool decoded) {
  if (decoded) return platform::Utf8ToCodePage(utf8);
  if (!codePageText) return utf8;
  return platform::CodePageToAnsi(platform::Utf8ToCodePage(utf8), raw.Format.CodePage).value_or(utf8);
}

}  // namespace

TFileMerge MergeFiles(const TMergeFile& current, const TMergeFile& base, const TMergeFile& other,
                      const TMergeOptions& options, bool bySection) {
  const std::array<const TMergeFile*, 3> files{&current, &base, &other};
  std::array<TForm, 3> forms{FormOf(current), FormOf(base), FormOf(other)};
  // An ASCII current written without a mark takes on the UTF-8 of a side that holds other
  // characters, rather than the 8-bit code page.
  TForm target = forms[0];
  if (target.Ascii && !target.Hex && target.Format.Encoding == TTextEncoding::CodePage)
    for (int k : {2, 1})
      if (!forms[k].Ascii && (forms[k].Format.Encoding == TTextEncoding::Utf8 ||
                              forms[k].Format.Encoding == TTextEncoding::Utf8Bom)) {
        target.Format.Encoding = TTextEncoding::Utf8;
        break;
      }
  // A current without any line break says nothing of its breaks: the other texts do.
  auto hasBreak = [](const TMergeFile& f) { return f.Bytes.find_first_of("\r\n") != std::string::npos; };
  if (!hasBreak(current))
    for (int k : {2, 1})
      if (hasBreak(*files[static_cast<std::size_t>(k)])) {
        target.Format.Break = forms[static_cast<std::size_t>(k)].Format.Break;
        break;
      }
  const bool asBytes = SameBytesForm(forms[0], forms[1]) && SameBytesForm(forms[0], forms[2]) &&
                       SameBytesForm(forms[1], forms[2]);

  std::array<std::optional<TBrokenText>, 3> texts;
  for (std::size_t k = 0; k < 3; ++k) {
    if (asBytes) {
      const std::size_t skip = forms[k].Format.Encoding == TTextEncoding::Utf8Bom ? 3 : 0;
      texts[k].emplace(std::string_view(files[k]->Bytes).substr(skip));
    } else {
      texts[k].emplace(Decoded(*files[k], forms[k]));
    }
  }
  const TBrokenText& ours = *texts[0];
  const std::string brk = BreakText(target.Format.Break);

  // 8-bit bytes of a code page other than UTF-8: labels are written in it.
  bool codePageBytes = false;
  for (const TForm& f : forms)
    if (!f.Ascii && f.Format.Encoding == TTextEncoding::CodePage) codePageBytes = true;
  const TForm& rawForm = forms[0].Ascii ? (forms[2].Ascii ? forms[1] : forms[2]) : forms[0];
  TMergeOptions opts = options;
  opts.OursLabel = LabelIn(options.OursLabel, codePageBytes, rawForm, !asBytes);
  opts.BaseLabel = LabelIn(options.BaseLabel, codePageBytes, rawForm, !asBytes);
  opts.TheirsLabel = LabelIn(options.TheirsLabel, codePageBytes, rawForm, !asBytes);

  TFileMerge result;
  std::string out;
  out.reserve(ours.Size() + ours.Size() / 8 + 64);
  std::size_t lastBreak = 0;
  auto put = [&](std::string_view line, std::string_view lineBreak) {
    out += line;
    out += lineBreak.empty() ? std::string_view(brk) : lineBreak;
    lastBreak = lineBreak.empty() ? brk.size() : lineBreak.size();
  };

  bool done = false;
  // With one side the base, the result is the other side as it is: the line merge gives it.
  auto same = [&](const TBrokenText& a, const TBrokenText& b) {
    if (a.Count() != b.Count()) return false;
    for (std::int32_t i = 0; i < a.Count(); ++i)
      if (a.Line(i) != b.Line(i)) return false;
    return true;
  };
  if (bySection && !same(ours, *texts[1]) && !same(*texts[2], *texts[1])) {
    TSectionMerge sections = MergeBySection({ours.Lines(), texts[1]->Lines(), texts[2]->Lines()}, current.Name, opts);
    if (sections.Structured) {
      for (const std::string& line : sections.Lines) put(line, {});
      result.Conflicts = sections.Conflicts;
      result.Structured = true;
      done = true;
    } else {
      result.Notice = asBytes && !codePageBytes ? sections.Reason : platform::CodePageToUtf8(sections.Reason);
    }
  }
  if (!done) {
    std::array<std::vector<std::uint32_t>, 3> values;
    {
      TLineClasses classes;
      for (std::size_t k = 0; k < 3; ++k) {
        values[k].reserve(static_cast<std::size_t>(texts[k]->Count()));
        for (std::int32_t i = 0; i < texts[k]->Count(); ++i) values[k].push_back(classes.OfLasting(texts[k]->Line(i)));
      }
    }
    const std::vector<TRegion> regions = MergeRegions(
        {values[1], values[0], values[2]}, opts.Style, [&](std::int32_t line) { return HoldsAlnum(ours.Line(line)); });
    values = {};
    // Lines of base and other keep their break where it is current's kind of break.
    const bool sameBreak[3] = {true, forms[1].Format.Break == target.Format.Break,
                               forms[2].Format.Break == target.Format.Break};
    TMergeSink sink;
    sink.Line = [&](TSource source, std::int32_t line) {
      const std::size_t k = source == TSource::Ours ? 0 : source == TSource::Base ? 1 : 2;
      put(texts[k]->Line(line), sameBreak[k] ? texts[k]->Break(line) : std::string_view());
    };
    sink.Marker = [&](char mark, std::string_view label) {
      std::string line(static_cast<std::size_t>(std::max(opts.MarkerSize, 1)), mark);
      if (!label.empty()) (line += ' ') += label;
      put(line, {});
    };
    result.Conflicts = WriteMerge(regions, opts, sink);
  }
  if (!target.Format.FinalBreak && !out.empty()) out.resize(out.size() - lastBreak);
  for (auto& t : texts) t.reset();

  if (asBytes) {
    if (target.Format.Encoding == TTextEncoding::Utf8Bom) out.insert(0, "\xEF\xBB\xBF");
    result.Bytes = std::move(out);
    return result;
  }
  std::size_t bad = 0;
  std::vector<platform::THexAsciiLines> asRead;
  if (target.Hex)
    for (const TMergeFile* f : {&current, &other, &base}) asRead.push_back(sides::HexAsciiLines(f->Bytes));
  std::optional<std::string> bytes = Encode(out, target, asRead, bad);
  if (!bytes) {
    // Name the file the character came from.
    const std::string_view ch = std::string_view(out).substr(bad, std::max<std::size_t>(platform::CharLength(std::string_view(out).substr(bad)), 1));
    std::string from = current.Name;
    for (std::size_t k : {2, 1})
      if (Decoded(*files[k], forms[k]).find(ch) != std::string::npos) {
        from = files[k]->Name;
        break;
      }
    throw TMergeError(from + ": " + Describe(out, bad) + " cannot be written in " + EncodingName(target) + ", the encoding of " +
                      current.Name);
  }
  result.Bytes = std::move(*bytes);
  return result;
}

}  // namespace merge
