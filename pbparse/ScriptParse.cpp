#include "pbparse/ScriptParse.h"

#include <map>

#include "pbparse/Ascii.h"
#include "pbparse/Lexer.h"

namespace pbparse {
namespace {

// Up to `max` whitespace-separated words of `s`.
std::vector<std::string_view> Words(std::string_view s, std::size_t max = 6) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (words.size() < max) {
    while (i < s.size() && IsSpace(s[i])) ++i;
    if (i >= s.size()) break;
    std::size_t start = i;
    while (i < s.size() && !IsSpace(s[i])) ++i;
    words.push_back(s.substr(start, i - start));
  }
  return words;
}

std::string_view Word(const std::vector<std::string_view>& words, std::size_t i) {
  return i < words.size() ? words[i] : std::string_view();
}

// Where a header's signature ends: just after its first ';' outside parentheses and strings, or
// npos when the line has none (on X.create, or a header whose script starts on the next line).
std::size_t SignatureEnd(std::string_view line) {
  const std::size_t semicolon = FindOutside(line, 0, ";");
  return semicolon == std::string_view::npos ? semicolon : semicolon + 1;
}

// The column where script follows the signature on the header line, or 0.
std::uint32_t ScriptColumnOf(std::string_view line) {
  std::size_t end = SignatureEnd(line);
  if (end == std::string_view::npos || Trim(line.substr(end)).empty()) return 0;
  return static_cast<std::uint32_t>(end);
}

// The header line without the script that may follow its signature.
std::string_view Signature(std::string_view line) {
  std::size_t end = SignatureEnd(line);
  return end == std::string_view::npos ? line : line.substr(0, end - 1);
}

// Collapses runs of blanks to one space.
std::string Squeeze(std::string_view s) {
  std::string out;
  for (char c : Trim(s)) {
    if (IsSpace(c)) {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += c;
    }
  }
  return out;
}

// One section as read, before its key is made.
struct TRaw {
  TSectionKind Kind = TSectionKind::Header;
  std::int32_t First = 0, Last = 0;
  std::uint32_t ScriptColumn = 0;
  std::string Name;      // types: the type's name; events: the event's; others: the whole key
  std::string Owner;     // events, create, destroy: the owner as written ("" when not written)
  std::string Parent;    // types: the `within` parent
  int OwnerType = -1;    // events, create, destroy: the last type definition above (index into raws)
};

// What a line outside any section starts.
struct TStart {
  bool Known = false;
  TSectionKind Kind = TSectionKind::Header;
  const char* End = nullptr;  // the end word ("end X"); null for a one-line section or binary data
  const char* OtherEnd = nullptr;
  TRaw Raw;
};

void ReadEvent(std::string_view sig, TRaw& raw) {
  // event [type T] [owner::]name[(args)]
  std::string_view rest = Trim(sig.substr(5));
  std::vector<std::string_view> w = Words(rest, 3);
  if (EqualNoCase(Word(w, 0), "type") && w.size() >= 3) rest = Trim(rest.substr(w[2].data() - rest.data()));
  std::size_t stop = rest.find_first_of("( \t;");
  std::string_view name = rest.substr(0, stop);
  std::size_t colons = name.find("::");
  if (colons != std::string_view::npos) {
    raw.Owner = std::string(name.substr(0, colons));
    name = name.substr(colons + 2);
  }
  raw.Name = std::string(name);
}

// Sets the kind to Create or Destroy for those two names.
void ReadOn(std::string_view sig, TRaw& raw) {
  // on [owner.]name  (on w_main.create, on cb_1.clicked, on open)
  std::string_view rest = Trim(sig.substr(2));
  std::string_view name = rest.substr(0, rest.find_first_of("( \t;"));
  std::size_t dot = name.rfind('.');
  if (dot != std::string_view::npos) {
    raw.Owner = std::string(name.substr(0, dot));
    name = name.substr(dot + 1);
  }
  raw.Name = std::string(name);
  if (EqualNoCase(name, "create")) raw.Kind = TSectionKind::Create;
  if (EqualNoCase(name, "destroy")) raw.Kind = TSectionKind::Destroy;
}

TStart Recognise(std::string_view line) {
  TStart s;
  std::string_view t = Trim(line);
  std::vector<std::string_view> w = Words(t, 4);
  if (w.empty()) return s;
  std::string w0 = Lower(w[0]), w1 = Lower(Word(w, 1));
  auto block = [&](TSectionKind kind, const char* end, std::string name) {
    s.Known = true;
    s.Kind = kind;
    s.End = end;
    s.Raw.Name = std::move(name);
  };
  auto typeDef = [&](std::size_t nameAt) {
    // [global] type NAME from ANCESTOR [within PARENT]
    if (!EqualNoCase(Word(w, nameAt + 1), "from")) return;
    block(TSectionKind::Type, "type", std::string(w[nameAt]));
    std::vector<std::string_view> all = Words(t, 16);
    for (std::size_t i = nameAt + 2; i + 1 < all.size(); ++i)
      if (EqualNoCase(all[i], "within")) s.Raw.Parent = std::string(all[i + 1]);
  };
  if (w0 == "forward") {
    if (w.size() == 1) block(TSectionKind::Forward, "forward", "forward");
    else if (w1 == "prototypes" && w.size() == 2) block(TSectionKind::Prototypes, "prototypes", "forward prototypes");
  } else if (w0 == "type") {
    if (w1 == "variables" && w.size() == 2) block(TSectionKind::Variables, "variables", "type variables");
    else if (w1 == "prototypes" && w.size() == 2) block(TSectionKind::Prototypes, "prototypes", "type prototypes");
    else typeDef(1);
  } else if (w0 == "shared" && w1 == "variables" && w.size() == 2) {
    block(TSectionKind::Variables, "variables", "shared variables");
  } else if (w0 == "global") {
    if (w1 == "type") typeDef(2);
    else if (w1 == "variables" && w.size() == 2) block(TSectionKind::Variables, "variables", "global variables");
    else if (w1 == "function" || w1 == "subroutine") block(TSectionKind::Function, "function", FunctionKey(Signature(t)));
    else if (w.size() >= 3) block(TSectionKind::Variables, nullptr, "global " + std::string(w[2]));
  } else if (w0 == "event") {
    block(TSectionKind::Event, "event", "");
    ReadEvent(Signature(t), s.Raw);
  } else if (w0 == "on" && w.size() >= 2) {
    block(TSectionKind::Event, "on", "");
    s.Raw.Kind = TSectionKind::Event;
    ReadOn(Signature(t), s.Raw);
    s.Kind = s.Raw.Kind;
  } else if (((w0 == "public" || w0 == "protected" || w0 == "private") &&
              (w1 == "function" || w1 == "subroutine")) ||
             w0 == "function" || w0 == "subroutine") {
    block(TSectionKind::Function, "function", FunctionKey(Signature(t)));
  } else if (StartsNoCase(t, "Start of PowerBuilder Binary Data Section")) {
    block(TSectionKind::Binary, nullptr, "binary");
  }
  if (s.Known && s.Kind == TSectionKind::Function) s.OtherEnd = "subroutine";
  s.Raw.Kind = s.Kind;
  return s;
}

bool IsEndLine(std::string_view line, const char* word) {
  std::vector<std::string_view> w = Words(line, 3);
  return w.size() >= 2 && EqualNoCase(w[0], "end") && EqualNoCase(w[1], word) &&
         (w.size() == 2 || w[2].substr(0, 2) == "//");
}

std::string Quoted(std::string_view line) {
  std::string_view t = Trim(line);
  return "\"" + std::string(t.substr(0, 60)) + (t.size() > 60 ? "...\"" : "\"");
}

// Keys from what was read: type names qualified by their parent where a name is used twice;
// owners resolved to those names; repeated keys numbered.
std::vector<std::string> MakeKeys(const std::vector<TRaw>& raws) {
  std::map<std::string, int> typeNames;
  for (const TRaw& r : raws)
    if (r.Kind == TSectionKind::Type) ++typeNames[Lower(r.Name)];
  std::vector<std::string> typeDisplay(raws.size());
  std::map<std::string, int> uniqueType;  // lower-case name -> raw index, for names used once
  for (std::size_t i = 0; i < raws.size(); ++i) {
    const TRaw& r = raws[i];
    if (r.Kind != TSectionKind::Type) continue;
    bool twice = typeNames[Lower(r.Name)] > 1;
    typeDisplay[i] = twice && !r.Parent.empty() ? r.Parent + "." + r.Name : r.Name;
    if (!twice) uniqueType[Lower(r.Name)] = static_cast<int>(i);
  }
  auto owner = [&](const TRaw& r) -> std::string {
    if (r.Owner.empty()) return r.OwnerType >= 0 ? typeDisplay[static_cast<std::size_t>(r.OwnerType)] : "";
    if (r.OwnerType >= 0 && EqualNoCase(raws[static_cast<std::size_t>(r.OwnerType)].Name, r.Owner))
      return typeDisplay[static_cast<std::size_t>(r.OwnerType)];
    auto it = uniqueType.find(Lower(r.Owner));
    return it != uniqueType.end() ? typeDisplay[static_cast<std::size_t>(it->second)] : r.Owner;
  };
  std::vector<std::string> keys;
  std::map<std::string, int> used;
  for (std::size_t i = 0; i < raws.size(); ++i) {
    const TRaw& r = raws[i];
    std::string key;
    switch (r.Kind) {
      case TSectionKind::Type: key = "type " + typeDisplay[i]; break;
      case TSectionKind::Event: {
        std::string o = owner(r);
        key = "event " + (o.empty() ? "" : o + "::") + r.Name;
        break;
      }
      case TSectionKind::Create:
      case TSectionKind::Destroy: {
        std::string o = owner(r);
        key = std::string(KindName(r.Kind)) + (o.empty() ? "" : " " + o);
        break;
      }
      default: key = r.Name;
    }
    int n = ++used[Lower(key)];
    if (n > 1) key += " #" + std::to_string(n);
    keys.push_back(std::move(key));
  }
  return keys;
}

TRaw HeaderRaw(std::int32_t first, std::int32_t last) {
  TRaw raw;
  raw.First = first;
  raw.Last = last;
  raw.Name = "export header";
  return raw;
}

TStructure Plain(std::string reason) {
  TStructure s;
  s.Reason = std::move(reason);
  return s;
}

}  // namespace

std::string FunctionKey(std::string_view header) {
  std::string_view sig = Signature(Trim(header));
  std::size_t open = sig.find('(');
  std::vector<std::string_view> before = Words(sig.substr(0, open), 16);
  std::string key = "function " + std::string(before.empty() ? std::string_view() : before.back()) + "(";
  if (open != std::string_view::npos) {
    std::size_t close = sig.rfind(')');
    std::string_view params = sig.substr(open + 1, close == std::string_view::npos || close < open ? sig.npos
                                                                                                   : close - open - 1);
    bool first = true;
    std::size_t start = 0;
    int depth = 0;
    for (std::size_t i = 0; i <= params.size(); ++i) {
      char c = i < params.size() ? params[i] : ',';
      if (c == '(' || c == '[') ++depth;
      if ((c == ')' || c == ']') && depth > 0) --depth;
      if (c != ',' || depth > 0) continue;
      std::string_view param = Trim(params.substr(start, i - start));
      start = i + 1;
      // An array's bounds ("[]", "[1 to 3]") stay with the type; the last word is the name.
      std::string bounds;
      std::size_t bracket = param.empty() || param.back() != ']' ? param.npos : param.rfind('[');
      if (bracket != std::string_view::npos) {
        bounds = Squeeze(param.substr(bracket));
        param = Trim(param.substr(0, bracket));
      }
      std::vector<std::string_view> w = Words(param, 16);
      if (w.empty()) continue;
      std::string type(w[0]);
      for (std::size_t k = 1; k + 1 < w.size(); ++k) type += " " + std::string(w[k]);
      key += (first ? "" : ",") + type + bounds;
      first = false;
    }
  }
  return key + ")";
}

TStructure ParseScript(const std::vector<std::string>& lines) {
  const std::int32_t n = static_cast<std::int32_t>(lines.size());
  std::vector<TRaw> raws;
  std::int32_t i = 0;
  // The export header, with the lines of a comment that spans several, up to the first section:
  // the forward block or a type definition, with which every script object starts (a comment's
  // line may well start with "on" or "event").
  auto opens = [](std::string_view line) {
    TStart start = Recognise(line);
    return start.Known && (start.Kind == TSectionKind::Forward || start.Kind == TSectionKind::Type ||
                           (start.Kind == TSectionKind::Variables && start.End));
  };
  if (n > 0 && IsExportHeaderLine(lines[0])) {
    std::int32_t j = 1;
    while (j < n && !opens(lines[static_cast<std::size_t>(j)])) ++j;
    if (j == n) return Plain("no PowerBuilder section after the export header");
    raws.push_back(HeaderRaw(0, j - 1));
    i = j;
  }
  int lastType = -1;
  while (i < n) {
    std::string_view line = lines[static_cast<std::size_t>(i)];
    if (IsFillerLine(line)) {
      if (raws.empty()) raws.push_back(HeaderRaw(i, i));
      raws.back().Last = i++;
      continue;
    }
    TStart start = Recognise(line);
    if (!start.Known)
      return Plain("line " + std::to_string(i + 1) + ": " + Quoted(line) + " starts no section");
    TRaw raw = std::move(start.Raw);
    raw.First = i;
    raw.ScriptColumn = raw.Kind == TSectionKind::Event || raw.Kind == TSectionKind::Function ? ScriptColumnOf(line) : 0;
    if (raw.Kind == TSectionKind::Event || raw.Kind == TSectionKind::Create || raw.Kind == TSectionKind::Destroy)
      raw.OwnerType = lastType;
    if (raw.Kind == TSectionKind::Binary) {
      raw.Last = n - 1;
    } else if (!start.End) {
      raw.Last = i;
    } else {
      // The end word counts only outside comments: "end function" inside /* */ ends nothing.
      TCommentScanner comments;
      comments.Skip(line);
      std::int32_t j = i + 1;
      for (; j < n; ++j) {
        const std::string_view next = lines[static_cast<std::size_t>(j)];
        if (comments.Depth() == 0 &&
            (IsEndLine(next, start.End) || (start.OtherEnd && IsEndLine(next, start.OtherEnd))))
          break;
        comments.Skip(next);
      }
      if (j == n)
        return Plain("line " + std::to_string(i + 1) + ": " + Quoted(line) + " has no \"end " + start.End + "\"");
      raw.Last = j;
    }
    if (raw.Kind == TSectionKind::Type) lastType = static_cast<int>(raws.size());
    i = raw.Last + 1;
    raws.push_back(std::move(raw));
  }
  if (raws.size() == 1 && raws[0].Kind == TSectionKind::Header && n > 0 && IsExportHeaderLine(lines[0]))
    return Plain("no PowerBuilder section after the export header");

  TStructure s;
  s.Type = TTextType::Script;
  std::vector<std::string> keys = MakeKeys(raws);
  std::size_t offset = 0;
  std::int32_t line = 0;
  for (std::size_t k = 0; k < raws.size(); ++k) {
    TSection section;
    section.Kind = raws[k].Kind;
    section.Key = std::move(keys[k]);
    section.First = raws[k].First;
    section.Last = raws[k].Last;
    section.ScriptColumn = raws[k].ScriptColumn;
    for (; line < section.First; ++line) offset += lines[static_cast<std::size_t>(line)].size() + 1;
    section.Begin = offset;
    s.Sections.push_back(std::move(section));
  }
  return s;
}

}  // namespace pbparse
