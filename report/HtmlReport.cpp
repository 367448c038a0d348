#include "report/HtmlReport.h"

#include <algorithm>
#include <cmath>

#include "platform/CodePage.h"
#include "platform/TextFile.h"

namespace report {

using namespace compare;  // the rows, spans and options the page is made of

namespace {

constexpr float kFull = 65535.0f;
constexpr std::size_t kPiece = 1 << 16;  // bytes of page handed to the sink at a time

// A colour in HSV with 16-bit parts and the hue in hundredths of a degree (none for grey), as
// QColor holds it, so that the shades here are those the desktop paints.
struct THsv {
  int Hue = -1;
  int Saturation = 0;
  int Value = 0;
};

int Round(float x) { return static_cast<int>(std::lround(x)); }

THsv ToHsv(std::uint32_t c) {
  const float r = static_cast<float>((c & 0xFF) * 257) / kFull, g = static_cast<float>(((c >> 8) & 0xFF) * 257) / kFull,
              b = static_cast<float>(((c >> 16) & 0xFF) * 257) / kFull;
  const float max = std::max({r, g, b}), min = std::min({r, g, b}), delta = max - min;
  THsv hsv;
  hsv.Value = Round(max * kFull);
  if (delta == 0) return hsv;
  hsv.Saturation = Round(delta / max * kFull);
  float hue = max == r ? (g - b) / delta : max == g ? 2.0f + (b - r) / delta : 4.0f + (r - g) / delta;
  hue *= 60.0f;
  if (hue < 0) hue += 360.0f;
  hsv.Hue = Round(hue * 100.0f);
  return hsv;
}

// A 16-bit part as the nearest 8-bit one.
unsigned To8(int part16) { return (static_cast<unsigned>(part16) + 128) / 257; }

std::uint32_t FromHsv(const THsv& hsv) {
  int r = hsv.Value, g = hsv.Value, b = hsv.Value;
  if (hsv.Saturation != 0 && hsv.Hue >= 0) {
    const float h = hsv.Hue == 36000 ? 0.0f : static_cast<float>(hsv.Hue) / 6000.0f;
    const float s = static_cast<float>(hsv.Saturation) / kFull, v = static_cast<float>(hsv.Value) / kFull;
    const int i = static_cast<int>(h);
    const float f = h - static_cast<float>(i), p = v * (1.0f - s), q = v * (1.0f - s * f), t = v * (1.0f - s * (1.0f - f));
    const std::array<std::array<float, 3>, 6> sextants{{{v, t, p}, {q, v, p}, {p, v, t}, {p, q, v}, {t, p, v}, {v, p, q}}};
    const auto& rgb = sextants[static_cast<std::size_t>(i % 6)];
    r = Round(rgb[0] * kFull);
    g = Round(rgb[1] * kFull);
    b = Round(rgb[2] * kFull);
  }
  return To8(r) | (To8(g) << 8) | (To8(b) << 16);
}

// The length of the UTF-8 character `rest` starts with; 0 when it starts with no valid one.
std::size_t Utf8CharLength(std::string_view rest) {
  const auto b = static_cast<unsigned char>(rest[0]);
  const std::size_t n = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 0;
  return n != 0 && n <= rest.size() && platform::IsValidUtf8(rest.substr(0, n)) ? n : 0;
}

// Text for the page: the characters HTML gives a meaning escaped, control characters other than
// tab shown as their visible symbols (U+2400 + code, U+2421 for DEL), as the program's captions
// show them, and a byte that is no UTF-8 (a file name of another code page) as "\xNN", never
// raw in a page that declares UTF-8.
std::string Escaped(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x80) {
      const std::size_t n = Utf8CharLength(utf8.substr(i));
      if (n == 0) {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        out += "\\x";
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
      } else {
        out.append(utf8.substr(i, n));
        i += n - 1;
      }
      continue;
    }
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\t': out += c; break;
      default:
        if (b < 0x20 || b == 0x7F) {
          platform::AppendUtf8(b == 0x7F ? 0x2421 : 0x2400 + b, out);
        } else {
          out += c;
        }
    }
  }
  return out;
}

std::string Html(std::string_view codePage) { return Escaped(platform::CodePageToUtf8(codePage)); }

const char* KindClass(TRowKind kind) {
  switch (kind) {
    case TRowKind::Added: return "a";
    case TRowKind::Deleted: return "d";
    case TRowKind::Modified: return "m";
    case TRowKind::Moved: return "v";
    case TRowKind::Equal: break;
  }
  return "e";
}

// Half way between a colour and white: the rows only moved with their section.
std::uint32_t TowardsWhite(std::uint32_t c) {
  std::uint32_t out = 0;
  for (unsigned shift : {0u, 8u, 16u}) out |= ((((c >> shift) & 0xFF) + 255u) / 2u) << shift;
  return out;
}

std::string Style(const THtmlColors& colors) {
  const std::uint32_t moved = TowardsWhite(colors.Mod);
  return "<style>\n"
         "body{font-family:\"Microsoft YaHei\",\"PingFang SC\",\"Noto Sans CJK SC\",sans-serif;margin:1em;color:#000;background:#fff}\n"
         "h1{font-size:1.3em;margin:0 0 .5em}\n"
         "table.head{border-collapse:collapse;margin-bottom:.5em}\n"
         "table.head th{text-align:left;padding:.1em 1em .1em 0;font-weight:normal;color:#555}\n"
         "table.head td{padding:.1em 1em .1em 0}\n"
         "table.diff{border-collapse:collapse;width:100%;table-layout:fixed;border:1px solid #c0c0c0;"
         "font-family:\"Courier New\",\"SimSun\",\"NSimSun\",monospace;font-size:13px}\n"
         "table.diff td{vertical-align:top;padding:0 .4em;line-height:1.35}\n"
         "td.n{width:4.5em;text-align:right;color:#808080;background:#f0f0f0;user-select:none}\n"
         "td.t1{border-right:1px solid #c0c0c0}\n"
         "td.t{white-space:pre-wrap;overflow-wrap:anywhere;tab-size:4}\n"
         "td.t:empty::after{content:\"\\200b\"}\n"
         "td.f{background:#f7f7f7}\n"
         "tr.a td.t2{background:" + CssColor(colors.Add) + "}\n"
         "tr.d td.t1{background:" + CssColor(colors.Del) + "}\n"
         "tr.m td.t{background:" + CssColor(colors.Mod) + "}\n"
         "tr.v td.t{background:" + CssColor(moved) + "}\n"
         "span.w{background:" + CssColor(StrongerShade(colors.Mod)) + "}\n"
         "tr.gap td{background:#e8e8e8;color:#808080;text-align:center}\n"
         "</style>\n";
}

// The text of a cell: its line with the changed parts marked.
std::string CellText(std::string_view line, const std::vector<TSpan>* spans) {
  if (!spans || spans->empty()) return Html(line);
  std::string out;
  std::int32_t at = 0;
  const auto size = static_cast<std::int32_t>(line.size());
  for (const TSpan& s : *spans) {
    const std::int32_t start = std::clamp(s.Start, at, size), end = std::clamp(s.End, start, size);
    out += Html(line.substr(static_cast<std::size_t>(at), static_cast<std::size_t>(start - at)));
    if (end > start)
      out += "<span class=\"w\">" + Html(line.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start))) +
             "</span>";
    at = end;
  }
  return out + Html(line.substr(static_cast<std::size_t>(at)));
}

std::string OptionsText(const TCompareOptions& o) {
  std::string s;
  auto add = [&s](bool on, const char* name) {
    if (on) s += (s.empty() ? "" : "，") + std::string(name);
  };
  add(o.IgnoreCase, "忽略大小写");
  add(o.IgnoreBlanks, "忽略空格");
  add(o.IgnoreComments, "忽略注释");
  add(o.AlignSimilar, "对齐相似行");
  add(o.BySection, "按段比较");
  add(o.IgnorePosition, "忽略位置和大小");
  add(o.IgnoreDefaults, "忽略迁移默认值");
  return s.empty() ? "无" : s;
}

}  // namespace

std::uint32_t StrongerShade(std::uint32_t mod) {
  const unsigned r = mod & 0xFF, g = (mod >> 8) & 0xFF, b = (mod >> 16) & 0xFF;
  const unsigned lightness = (std::max({r, g, b}) + std::min({r, g, b}) + 1) / 2;
  THsv hsv = ToHsv(mod);
  if (lightness > 128) {
    hsv.Value = hsv.Value * 100 / 135;
  } else {
    int v = hsv.Value * 150 / 100;
    if (v > 65535) {
      hsv.Saturation = std::max(0, hsv.Saturation - (v - 65535));
      v = 65535;
    }
    hsv.Value = v;
  }
  return FromHsv(hsv);
}

std::string CssColor(std::uint32_t color) {
  static const char* const kHex = "0123456789abcdef";
  std::string s = "#";
  for (unsigned part : {color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF}) {
    s += kHex[part >> 4];
    s += kHex[part & 0xF];
  }
  return s;
}

void WriteHtmlReport(const THtmlHeader& header, const TRows& rows, const std::array<const TSideText*, SideCount>& texts,
                     const TSpansOf& spansOf, const TPageSink& sink) {
  const TCompareCounts& c = rows.Counts;
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + Escaped(header.Name1) +
      " ↔ " + Escaped(header.Name2) + "</title>\n" + Style(header.Colors) +
      "</head>\n<body>\n<h1>比较结果</h1>\n<table class=\"head\">\n"
      "<tr><th>文件 1</th><td class=\"name\">" + Escaped(header.Name1) + "</td><td>" + Escaped(header.Time1) +
      "</td><td>" + std::to_string(c.Count1) + " 行</td></tr>\n"
      "<tr><th>文件 2</th><td class=\"name\">" + Escaped(header.Name2) + "</td><td>" + Escaped(header.Time2) +
      "</td><td>" + std::to_string(c.Count2) + " 行</td></tr>\n"
      "<tr><th>差异</th><td colspan=\"3\" class=\"counts\">增加 " + std::to_string(c.Added) + " 行，减少 " +
      std::to_string(c.Deleted) + " 行，更改 " + std::to_string(c.Changed) + " 行</td></tr>\n"
      "<tr><th>选项</th><td colspan=\"3\" class=\"options\">" + OptionsText(header.Options) + "</td></tr>\n"
      "</table>\n<table class=\"diff\">\n"
      "<colgroup><col style=\"width:4.5em\"><col><col style=\"width:4.5em\"><col></colgroup>\n";
  std::array<std::int32_t, SideCount> next{0, 0};
  std::vector<TSpan> found[SideCount];
  for (const TRow& row : rows.Rows) {
    // Where equal rows are left out, a marked row stands for them.
    if (rows.EqualRowsLeftOut && (row.Cells[Side1].LinesBefore() != next[Side1] || row.Cells[Side2].LinesBefore() != next[Side2]))
      page += "<tr class=\"gap\"><td colspan=\"4\">⋯</td></tr>\n";
    std::array<const std::vector<TSpan>*, SideCount> spans{nullptr, nullptr};
    if (row.Kind == TRowKind::Modified) {
      if (row.Cells[Side1].Spans >= 0 && row.Cells[Side2].Spans >= 0) {
        for (TSide s : AllSides) spans[s] = &rows.Spans[static_cast<std::size_t>(row.Cells[s].Spans)];
      } else if (spansOf) {
        TInlineDiff d = spansOf(row.Cells[Side1].Line, row.Cells[Side2].Line);
        found[Side1] = std::move(d.Changed1);
        found[Side2] = std::move(d.Changed2);
        spans = {&found[Side1], &found[Side2]};
      }
    }
    page += "<tr class=\"" + std::string(KindClass(row.Kind)) + "\">";
    for (TSide s : AllSides) {
      const TCell& cell = row.Cells[s];
      const std::string side = s == Side1 ? "1" : "2";
      if (cell.IsFiller()) {
        next[s] = cell.LinesBefore();
        page += "<td class=\"n\"></td><td class=\"t f t" + side + "\"></td>";
        continue;
      }
      page += "<td class=\"n\">" + std::to_string(cell.Number()) + "</td><td class=\"t t" + side + "\">" +
              CellText(texts[s]->Line(cell.Line), spans[s]) + "</td>";
      next[s] = cell.Line + 1;
    }
    page += "</tr>\n";
    if (page.size() >= kPiece) {
      sink(page);
      page.clear();
    }
  }
  if (rows.EqualRowsLeftOut && (next[Side1] < texts[Side1]->Count() || next[Side2] < texts[Side2]->Count()))
    page += "<tr class=\"gap\"><td colspan=\"4\">⋯</td></tr>\n";
  sink(page + "</table>\n</body>\n</html>\n");
}

void WriteHtmlReport(const THtmlHeader& header, const TComparison& model, const TPageSink& sink) {
  WriteHtmlReport(
      header, model.Rows, model.Texts(),
      [&model](std::int32_t line1, std::int32_t line2) {
        return ChangedSpans(model.LineView(Side1, line1), model.LineView(Side2, line2), model.Options);
      },
      sink);
}

std::string HtmlReport(const THtmlHeader& header, const TRows& rows, const std::array<const TSideText*, SideCount>& texts,
                       const TSpansOf& spansOf) {
  std::string page;
  WriteHtmlReport(header, rows, texts, spansOf, [&page](std::string_view piece) { page += piece; });
  return page;
}

std::string HtmlReport(const THtmlHeader& header, const TComparison& model) {
  std::string page;
  WriteHtmlReport(header, model, [&page](std::string_view piece) { page += piece; });
  return page;
}

}  // namespace report
