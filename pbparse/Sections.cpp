#include "pbparse/Sections.h"

#include "pbparse/Ascii.h"
#include "pbparse/DataWindow.h"
#include "pbparse/ScriptParse.h"

namespace pbparse {
namespace {

// The extension of the object a text holds, from `nameHint` or else its $PBExportHeader$ line.
std::string Extension(const std::vector<std::string>& lines, std::string_view nameHint) {
  std::string_view name = nameHint;
  if (name.empty() && !lines.empty()) {
    std::string_view first = lines[0];
    std::size_t tag = first.find("$PBExportHeader$");
    if (tag != std::string_view::npos) name = Trim(first.substr(tag + 16));
  }
  std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string() : Lower(name.substr(dot + 1));
}

TStructure FromDataWindow(const std::vector<std::string>& lines) {
  TDwParse parse = ParseDataWindow(lines);
  TStructure s;
  if (!parse.DataWindow) {
    s.Reason = parse.Reason;
    return s;
  }
  const TDataWindow& dw = *parse.DataWindow;
  s.Type = TTextType::DataWindow;
  if (dw.HeaderLines > 0) {
    TSection header;
    header.Key = "export header";
    header.Last = dw.HeaderLines - 1;
    s.Sections.push_back(std::move(header));
  }
  if (dw.ReleaseLine >= 0) {
    TSection release;
    release.Kind = TSectionKind::Release;
    release.Key = "release";
    release.First = release.Last = dw.ReleaseLine;
    release.Begin = dw.ReleaseBegin;
    s.Sections.push_back(std::move(release));
  }
  for (const TDwObject& o : dw.Objects) {
    if (o.Parent >= 0) continue;
    TSection section;
    section.Kind = TSectionKind::Object;
    section.Keyword = o.Keyword;
    section.Key = o.Key;
    section.First = o.First;
    section.Last = o.Last;
    section.Begin = o.Begin;
    s.Sections.push_back(std::move(section));
  }
  // Blank lines before the first section belong to it; a text of blank lines is all header.
  if (s.Sections.empty() && !lines.empty()) {
    TSection blank;
    blank.Key = "export header";
    blank.Last = static_cast<std::int32_t>(lines.size()) - 1;
    s.Sections.push_back(std::move(blank));
  } else if (!s.Sections.empty()) {
    s.Sections.front().Begin = 0;
    s.Sections.front().First = 0;
  }
  s.DataWindow = std::move(parse.DataWindow);
  return s;
}

}  // namespace

const char* KindName(TSectionKind kind) {
  switch (kind) {
    case TSectionKind::Header: return "header";
    case TSectionKind::Forward: return "forward";
    case TSectionKind::Type: return "type";
    case TSectionKind::Variables: return "variables";
    case TSectionKind::Prototypes: return "prototypes";
    case TSectionKind::Event: return "event";
    case TSectionKind::Function: return "function";
    case TSectionKind::Create: return "create";
    case TSectionKind::Destroy: return "destroy";
    case TSectionKind::Binary: return "binary";
    case TSectionKind::Release: return "release";
    case TSectionKind::Object: return "object";
  }
  return "";
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::size_t size = 0;
  for (const auto& l : lines) size += l.size() + 1;
  std::string out;
  out.reserve(size);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) out += '\n';
    out += lines[i];
  }
  return out;
}

TStructure ParseStructure(const std::vector<std::string>& lines, std::string_view nameHint) {
  const std::string ext = Extension(lines, nameHint);
  if (ext == "srd" || ext == "srq" || ext == "srp" || LooksLikeDataWindow(lines)) return FromDataWindow(lines);
  if (ext == "srj") {
    TStructure project;
    project.Reason = "a project object (.srj) is a list of settings, compared line by line";
    return project;
  }
  return ParseScript(lines);
}

std::string_view SectionText(const TStructure& structure, std::string_view joined, std::size_t index) {
  const auto& sections = structure.Sections;
  if (index >= sections.size()) return {};
  std::size_t begin = std::min(sections[index].Begin, joined.size());
  std::size_t end = index + 1 < sections.size() ? std::min(sections[index + 1].Begin, joined.size()) : joined.size();
  return joined.substr(begin, end > begin ? end - begin : 0);
}

}  // namespace pbparse
