#include "merge/SectionMerge.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <unordered_map>

#include "diff/HashUnit.h"
#include "pbparse/Ascii.h"
#include "pbparse/DataWindow.h"
#include "pbparse/Lexer.h"
#include "pbparse/ScriptParse.h"
#include "pbparse/Sections.h"

using diff::TLineClasses;

namespace merge {
namespace {

using pbparse::TSectionKind;
using TLines = std::vector<std::string>;

// An entry of a keyed list: a section, an entry of a declaration block, a line of a create
// routine, a DataWindow attribute.
struct TUnit {
  std::string Key;      // lower case, unique in its list
  std::string Display;  // the key as the text writes it
  TLines Body;          // what is compared and merged
  TLines Trail;         // blank and comment lines after it, kept from the side it is taken from
  TSectionKind Kind = TSectionKind::Header;
  int Index = -1;       // the section's index in its text
};
using TUnits = std::vector<TUnit>;

// One entry of the merged list, with its counterparts (null where a text has none).
struct TTriple {
  const TUnit* C = nullptr;
  const TUnit* B = nullptr;
  const TUnit* O = nullptr;
  const TUnit& Any() const { return C ? *C : O ? *O : *B; }
};

// Numbers keys met again (" #2", " #3", ...), so that every key is unique in its list.
void MakeUnique(TUnits& units) {
  std::unordered_map<std::string, int> seen;
  for (TUnit& u : units) {
    const int n = ++seen[u.Key];
    if (n > 1) {
      u.Key += " #" + std::to_string(n);
      u.Display += " #" + std::to_string(n);
    }
  }
}

// The merged list: current's entries in their order, then each entry new in other after the
// one it follows there (and after what current added at that place). Entries deleted on one side
// and unchanged on the other, or deleted on both, are left out.
std::vector<TTriple> Pair(const TUnits& c, const TUnits& b, const TUnits& o) {
  std::unordered_map<std::string, const TUnit*> inB, inO;
  for (const TUnit& u : b) inB.emplace(u.Key, &u);
  for (const TUnit& u : o) inO.emplace(u.Key, &u);
  auto find = [](const std::unordered_map<std::string, const TUnit*>& m, const std::string& key) -> const TUnit* {
    auto it = m.find(key);
    return it == m.end() ? nullptr : it->second;
  };
  struct TNode {
    TTriple T;
    int Next = -1;
    bool NewInCurrent = false;
  };
  std::vector<TNode> nodes(1);  // node 0 stands before the first
  std::unordered_map<std::string, int> nodeOf;
  int last = 0;
  for (const TUnit& u : c) {
    const TUnit* bu = find(inB, u.Key);
    const TUnit* ou = find(inO, u.Key);
    if (!ou && bu && u.Body == bu->Body) continue;  // other deleted it, current left it alone
    nodes.push_back({{&u, bu, ou}, -1, !bu && !ou});
    const int id = static_cast<int>(nodes.size()) - 1;
    nodes[static_cast<std::size_t>(last)].Next = id;
    last = id;
    nodeOf.emplace(u.Key, id);
  }
  std::unordered_map<std::string, bool> inC;
  for (const TUnit& u : c) inC.emplace(u.Key, true);
  int prev = 0;
  for (const TUnit& u : o) {
    if (auto it = nodeOf.find(u.Key); it != nodeOf.end()) {
      prev = it->second;
      continue;
    }
    if (inC.count(u.Key)) continue;
    const TUnit* bu = find(inB, u.Key);
    if (bu && u.Body == bu->Body) continue;  // current deleted it, other left it alone
    int at = prev;
    while (nodes[static_cast<std::size_t>(at)].Next >= 0 &&
           nodes[static_cast<std::size_t>(nodes[static_cast<std::size_t>(at)].Next)].NewInCurrent)
      at = nodes[static_cast<std::size_t>(at)].Next;
    nodes.push_back({{nullptr, bu, &u}, nodes[static_cast<std::size_t>(at)].Next, false});
    const int id = static_cast<int>(nodes.size()) - 1;
    nodes[static_cast<std::size_t>(at)].Next = id;
    prev = id;
  }
  std::vector<TTriple> out;
  for (int n = nodes[0].Next; n >= 0; n = nodes[static_cast<std::size_t>(n)].Next)
    out.push_back(nodes[static_cast<std::size_t>(n)].T);
  return out;
}

std::string Squeeze(std::string_view s) {
  std::string out;
  for (char c : pbparse::Trim(s)) {
    if (pbparse::IsSpace(c)) {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += pbparse::LowerAscii(c);
    }
  }
  return out;
}

// The line without a // comment that ends it (outside strings).
std::string_view CodeOf(std::string_view line) {
  for (std::size_t i = 0; (i = pbparse::FindOutside(line, i, "/", "")) != std::string_view::npos; ++i)
    if (i + 1 < line.size() && line[i + 1] == '/') return line.substr(0, i);
  return line;
}

// Where '=' stands outside strings and brackets, or npos.
std::size_t AssignAt(std::string_view code) { return pbparse::FindOutside(code, 0, "=", "()[]{}"); }

std::string LastWord(std::string_view s) {
  s = pbparse::Trim(s);
  if (!s.empty() && s.back() == ']') s = pbparse::Trim(s.substr(0, s.rfind('[')));
  std::size_t i = s.size();
  while (i > 0 && !pbparse::IsSpace(s[i - 1])) --i;
  return pbparse::Lower(s.substr(i));
}

// ---------------------------------------------------------------------------------------------
// The merger: the options, the conflicts written so far, and the merges of one entry by kind.

class TMerger {
 public:
  explicit TMerger(const TMergeOptions& options) : opt_(options) {}
  int Conflicts() const { return conflicts_; }

  // The line merge of three pieces of text, conflicts marked as the options say.
  TLines LineMerge(const TLines& b, const TLines& c, const TLines& o) {
    TLineClasses classes;
    std::array<std::vector<std::uint32_t>, 3> v;
    const std::array<const TLines*, 3> t{&b, &c, &o};
    for (std::size_t k = 0; k < 3; ++k)
      for (const std::string& line : *t[k]) v[k].push_back(classes.OfLasting(line));
    const std::vector<TRegion> regions =
        MergeRegions({v[0], v[1], v[2]}, opt_.Style, [&](std::int32_t i) { return HoldsAlnum(c[static_cast<std::size_t>(i)]); });
    TLines out;
    TMergeSink sink;
    sink.Line = [&](TSource s, std::int32_t i) {
      const TLines& from = s == TSource::Base ? b : s == TSource::Ours ? c : o;
      out.push_back(from[static_cast<std::size_t>(i)]);
    };
    sink.Marker = [&](char mark, std::string_view label) { out.push_back(Marker(mark, label)); };
    conflicts_ += WriteMerge(regions, opt_, sink);
    return out;
  }

  // An entry deleted on one side and changed on the other: a conflict naming it.
  TLines DeletedConflict(const TTriple& t) {
    const TLines none;
    const TLines& c = t.C ? t.C->Body : none;
    const TLines& o = t.O ? t.O->Body : none;
    TLines out;
    if (opt_.Favor != TFavor::None) {
      if (opt_.Favor != TFavor::Theirs) out.insert(out.end(), c.begin(), c.end());
      if (opt_.Favor != TFavor::Ours) out.insert(out.end(), o.begin(), o.end());
      return out;
    }
    ++conflicts_;
    const std::string deleted = "(deleted " + t.Any().Display + ")";
    out.push_back(Marker('<', t.C ? opt_.OursLabel : Join(opt_.OursLabel, deleted)));
    out.insert(out.end(), c.begin(), c.end());
    if (opt_.Style != TStyle::Merge) {
      out.push_back(Marker('|', opt_.BaseLabel));
      out.insert(out.end(), t.B->Body.begin(), t.B->Body.end());
    }
    out.push_back(Marker('=', {}));
    out.insert(out.end(), o.begin(), o.end());
    out.push_back(Marker('>', t.O ? opt_.TheirsLabel : Join(opt_.TheirsLabel, deleted)));
    return out;
  }

  using TBoth = std::function<TLines(const TUnit* b, const TUnit& c, const TUnit& o)>;

  // The merged text of one entry: its body and the lines after it.
  void Resolve(const TTriple& t, const TBoth& both, TLines& out) {
    const TUnit* from = nullptr;
    TLines merged;
    if (t.C && t.O) {
      if (t.C->Body == t.O->Body || (t.B && t.B->Body == t.O->Body)) {
        from = t.C;
      } else if (t.B && t.B->Body == t.C->Body) {
        from = t.O;
      } else {
        merged = both(t.B, *t.C, *t.O);
      }
    } else if (!t.B) {
      from = t.C ? t.C : t.O;  // added on one side
    } else {
      merged = DeletedConflict(t);
    }
    const TLines& body = from ? from->Body : merged;
    out.insert(out.end(), body.begin(), body.end());
    const TLines& trail = (t.C && !t.C->Trail.empty()) || !t.O ? t.Any().Trail : t.O->Trail;
    out.insert(out.end(), trail.begin(), trail.end());
  }


  // One line changed on both sides: merged as a piece of text.
  TLines Line3(const std::string* b, const std::string& c, const std::string& o) {
    if (c == o || (b && *b == o)) return {c};
    if (b && *b == c) return {o};
    return LineMerge(b ? TLines{*b} : TLines{}, {c}, {o});
  }

 private:
  static std::string Join(const std::string& label, const std::string& note) {
    return label.empty() ? note : label + " " + note;
  }
  std::string Marker(char mark, std::string_view label) const {
    std::string line(static_cast<std::size_t>(std::max(opt_.MarkerSize, 1)), mark);
    if (!label.empty()) (line += ' ') += label;
    return line;
  }

  const TMergeOptions& opt_;
  int conflicts_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Declaration blocks: a first line, entries, an end line.

// The entries of a block's inner lines (from 1 to size - 2): an entry runs over the lines its
// `&` continues it on; blank and comment lines go with the entry before them (the first entry
// with the key "" holds those before any entry). `keyOf` keys an entry by its first line;
// `group` says how many lines an entry starting at a line takes (0: as its continuation says).
TUnits BlockEntries(const TLines& body, const std::function<std::string(std::string_view)>& keyOf,
                    const std::function<std::size_t(const TLines&, std::size_t)>& group = {}) {
  TUnits units;
  const std::size_t end = body.size() - 1;
  for (std::size_t i = 1; i < end;) {
    if (pbparse::IsFillerLine(body[i])) {
      if (units.empty()) units.push_back({});
      units.back().Body.push_back(body[i++]);
      continue;
    }
    TUnit u;
    u.Key = keyOf(body[i]);
    u.Display = u.Key;
    std::size_t n = group ? group(body, i) : 0;
    if (n == 0) {
      n = 1;
      auto continued = [](std::string_view line) {
        const std::string_view code = pbparse::Trim(CodeOf(line));
        return !code.empty() && code.back() == '&';
      };
      while (i + n < end && continued(body[i + n - 1])) ++n;
    }
    n = std::min(n, end - i);
    u.Body.assign(body.begin() + static_cast<std::ptrdiff_t>(i), body.begin() + static_cast<std::ptrdiff_t>(i + n));
    i += n;
    units.push_back(std::move(u));
  }
  MakeUnique(units);
  return units;
}

std::string ForwardKey(std::string_view line) {
  // [global] type NAME from ANCESTOR [within PARENT]
  const std::string s = Squeeze(line);
  std::string_view v = s;
  if (v.substr(0, 7) == "global ") v.remove_prefix(7);
  if (v.substr(0, 5) != "type ") return "line " + s;
  v.remove_prefix(5);
  const std::string name(v.substr(0, v.find(' ')));
  const std::size_t within = v.find(" within ");
  return "type " + name + (within == std::string_view::npos ? "" : " within " + std::string(v.substr(within + 8)));
}

std::size_t ForwardGroup(const TLines& body, std::size_t i) {
  // A type line and its "end type".
  if (ForwardKey(body[i]).substr(0, 5) != "type ") return 1;
  for (std::size_t j = i + 1; j + 1 < body.size(); ++j)
    if (Squeeze(body[j]) == "end type") return j - i + 1;
  return 1;
}

std::string PrototypeKey(std::string_view line) {
  const std::string s = Squeeze(line);
  if (s.find("function ") != std::string::npos || s.find("subroutine ") != std::string::npos)
    return pbparse::Lower(pbparse::FunctionKey(line));
  return "line " + s;
}

std::string VariableKey(std::string_view line) {
  const std::string code = Squeeze(CodeOf(line));
  if (!code.empty() && code.back() == ':' && code.find(' ') == std::string::npos) return "label " + code;
  std::string_view decl = code;
  const std::size_t eq = AssignAt(decl);
  if (eq != std::string_view::npos) decl = decl.substr(0, eq);
  if (decl.find(',') != std::string_view::npos) return "decl " + code;  // several names: the line is the key
  return "var " + LastWord(decl);
}

std::string TypeLineKey(std::string_view line) {
  const std::string code = Squeeze(CodeOf(line));
  if (code.substr(0, 6) == "event ") {
    std::string_view rest = std::string_view(code).substr(6);
    if (rest.substr(0, 5) == "type ") {
      rest.remove_prefix(5);
      rest.remove_prefix(std::min(rest.size(), rest.find(' ') + 1));
    }
    return "event " + std::string(rest.substr(0, rest.find_first_of(" (")));
  }
  const std::size_t eq = AssignAt(code);
  if (eq != std::string::npos) return "attr " + LastWord(std::string_view(code).substr(0, eq));
  return "line " + code;
}

TLines MergeBlock(TMerger& m, const TUnit* b, const TUnit& c, const TUnit& o) {
  const TLines none;
  if (c.Body.size() < 2 || o.Body.size() < 2 || (b && b->Body.size() < 2))
    return m.LineMerge(b ? b->Body : none, c.Body, o.Body);
  std::function<std::string(std::string_view)> keyOf;
  std::function<std::size_t(const TLines&, std::size_t)> group;
  switch (c.Kind) {
    case TSectionKind::Forward:
      keyOf = ForwardKey;
      group = ForwardGroup;
      break;
    case TSectionKind::Prototypes: keyOf = PrototypeKey; break;
    case TSectionKind::Variables: keyOf = VariableKey; break;
    default: keyOf = TypeLineKey; break;
  }
  const TUnits ce = BlockEntries(c.Body, keyOf, group), oe = BlockEntries(o.Body, keyOf, group);
  const TUnits be = b ? BlockEntries(b->Body, keyOf, group) : TUnits{};
  TLines out = m.Line3(b ? &b->Body.front() : nullptr, c.Body.front(), o.Body.front());
  const auto lineMerge = [&m](const TUnit* bu, const TUnit& cu, const TUnit& ou) {
    return m.LineMerge(bu ? bu->Body : TLines{}, cu.Body, ou.Body);
  };
  for (const TTriple& t : Pair(ce, be, oe)) m.Resolve(t, lineMerge, out);
  const TLines last = m.Line3(b ? &b->Body.back() : nullptr, c.Body.back(), o.Body.back());
  out.insert(out.end(), last.begin(), last.end());
  return out;
}

// ---------------------------------------------------------------------------------------------
// The create and destroy routines.

// A routine's line and what it does for a control: "create", "control" (Control[iCurrent+N]),
// "item" (a menu's Item[...]), "destroy", with the control's name; empty for any other line.
struct TRoutineLine {
  std::string What, Name;
};

TRoutineLine RoutineLine(std::string_view line) {
  const std::string s = Squeeze(line);
  std::string_view v = s;
  auto after = [&](std::string_view prefix) { return v.substr(0, prefix.size()) == prefix; };
  if (after("this.") && v.find("=create ") != std::string_view::npos) {
    const std::size_t eq = v.find('=');
    return {"create", std::string(v.substr(5, eq - 5))};
  }
  if (after("this.control[icurrent+") && v.find("]=this.") != std::string_view::npos)
    return {"control", std::string(v.substr(v.find("]=this.") + 7))};
  if (after("this.item[") && v.find("]=this.") != std::string_view::npos)
    return {"item", std::string(v.substr(v.find("]=this.") + 7))};
  if (after("destroy(this.") && v.back() == ')') return {"destroy", std::string(v.substr(13, v.size() - 14))};
  return {};
}

// The lines of a routine between its first and end lines as entries; a Control[] = {...} list is
// one entry keyed "control[]" whose body is its members' names.
TUnits RoutineEntries(const TLines& body) {
  TUnits units;
  for (std::size_t i = 1; i + 1 < body.size(); ++i) {
    const std::string s = Squeeze(body[i]);
    TUnit u;
    if (s.substr(0, 16) == "this.control[]={") {
      u.Key = u.Display = "control[]";
      std::string list;
      std::size_t j = i;
      for (; j + 1 < body.size(); ++j) {
        list += body[j];
        if (body[j].find('}') != std::string::npos) break;
      }
      i = std::min(j, body.size() - 2);
      const std::size_t open = list.find('{'), close = list.rfind('}');
      std::string_view members(list);
      members = members.substr(open + 1, close == std::string::npos ? std::string_view::npos : close - open - 1);
      std::size_t start = 0;
      for (;;) {
        const std::size_t comma = members.find(',', start);
        std::string name;
        for (char ch : members.substr(start, comma == std::string_view::npos ? members.npos : comma - start))
          if (ch != '&' && !pbparse::IsSpace(ch)) name += ch;
        if (pbparse::StartsNoCase(name, "this.")) name = name.substr(5);
        if (!name.empty()) u.Body.push_back(name);
        if (comma == std::string_view::npos) break;
        start = comma + 1;
      }
      units.push_back(std::move(u));
      continue;
    }
    const TRoutineLine r = RoutineLine(body[i]);
    // Any other assignment (a menu's this.text = ...) is keyed by what it assigns, so that two
    // different changes of it meet as a conflict.
    const std::size_t eq = AssignAt(CodeOf(s));
    u.Key = u.Display = !r.What.empty()                ? r.What + " " + r.Name
                        : eq != std::string::npos ? "assign " + Squeeze(std::string_view(s).substr(0, eq))
                                                       : "line " + s;
    // The number of a Control[] entry is made again; it is no part of what is compared.
    u.Body.push_back(r.What == "control" ? "this.Control[iCurrent+#]=this." + r.Name : body[i]);
    units.push_back(std::move(u));
  }
  MakeUnique(units);
  return units;
}

// Merges a create or destroy routine changed on both sides; `order` lists the owner's controls
// (lower case) in the order of the merged type definitions.
TLines MergeRoutine(TMerger& m, const TUnit* b, const TUnit& c, const TUnit& o, const std::vector<std::string>& order) {
  const TLines none;
  if (c.Body.size() < 2 || o.Body.size() < 2 || (b && b->Body.size() < 2))
    return m.LineMerge(b ? b->Body : none, c.Body, o.Body);
  const TUnits ce = RoutineEntries(c.Body), oe = RoutineEntries(o.Body);
  const TUnits be = b ? RoutineEntries(b->Body) : TUnits{};
  std::map<std::string, std::size_t> rank;
  for (std::size_t i = 0; i < order.size(); ++i) rank.emplace(order[i], i);
  auto rankOf = [&](const std::string& name) {
    auto it = rank.find(pbparse::Lower(name));
    return it == rank.end() ? order.size() : it->second;
  };

  TLines out = m.Line3(b ? &b->Body.front() : nullptr, c.Body.front(), o.Body.front());
  const std::size_t first = out.size();
  std::vector<std::size_t> listAt;  // where Control[] lists stand, to be written out
  for (const TTriple& t : Pair(ce, be, oe)) {
    if (t.Any().Key == "control[]") {
      // The members as a set, written in the controls' order.
      auto members = [](const TUnit* u) {
        TUnits list;
        if (!u) return list;
        for (const std::string& name : u->Body) list.push_back({pbparse::Lower(name), name, {name}, {}});
        MakeUnique(list);
        return list;
      };
      const TUnits cm = members(t.C), bm = members(t.B), om = members(t.O);
      TLines names;
      for (const TTriple& mt : Pair(cm, bm, om))
        m.Resolve(mt, [&m](const TUnit* bu, const TUnit& cu, const TUnit& ou) {
          return m.LineMerge(bu ? bu->Body : TLines{}, cu.Body, ou.Body);
        }, names);
      std::stable_sort(names.begin(), names.end(), [&](const std::string& x, const std::string& y) { return rankOf(x) < rankOf(y); });
      listAt.push_back(out.size());
      std::string line = "this.Control[]={";
      for (std::size_t i = 0; i < names.size(); ++i) {
        line += "this." + names[i];
        if (i + 1 < names.size()) {
          out.push_back(line + ",&");
          line.clear();
        }
      }
      out.push_back(line + "}");
      continue;
    }
    m.Resolve(t, [&m](const TUnit* bu, const TUnit& cu, const TUnit& ou) {
      return m.LineMerge(bu ? bu->Body : TLines{}, cu.Body, ou.Body);
    }, out);
  }
  // Each kind of control line in the controls' order, at the places lines of that kind hold.
  for (const char* what : {"create", "control", "item", "destroy"}) {
    std::vector<std::size_t> at;
    std::vector<std::string> lines;
    for (std::size_t i = first; i < out.size(); ++i)
      if (RoutineLine(out[i]).What == what) {
        at.push_back(i);
        lines.push_back(out[i]);
      }
    std::stable_sort(lines.begin(), lines.end(), [&](const std::string& x, const std::string& y) {
      return rankOf(RoutineLine(x).Name) < rankOf(RoutineLine(y).Name);
    });
    for (std::size_t k = 0; k < at.size(); ++k) out[at[k]] = lines[k];
  }
  int number = 0;
  for (std::size_t i = first; i < out.size(); ++i) {
    const std::size_t hash = out[i].find("[iCurrent+#]");
    if (hash != std::string::npos) out[i].replace(hash + 10, 1, std::to_string(++number));
  }
  const TLines last = m.Line3(b ? &b->Body.back() : nullptr, c.Body.back(), o.Body.back());
  out.insert(out.end(), last.begin(), last.end());
  return out;
}

// ---------------------------------------------------------------------------------------------
// DataWindows.

struct TDwText {
  const pbparse::TDataWindow* Dw = nullptr;
  std::string Joined;
  std::vector<std::size_t> LineStart;  // offset of each line in Joined
  std::unordered_map<std::string, int> ObjectOf;  // lower-case key of a top object -> index
};

TDwText DwTextOf(const pbparse::TStructure& s, const TLines& lines) {
  TDwText t;
  t.Dw = s.DataWindow.get();
  t.Joined = pbparse::JoinLines(lines);
  std::size_t at = 0;
  for (const std::string& l : lines) {
    t.LineStart.push_back(at);
    at += l.size() + 1;
  }
  for (std::size_t i = 0; i < t.Dw->Objects.size(); ++i)
    if (t.Dw->Objects[i].Parent < 0) t.ObjectOf.emplace(pbparse::Lower(t.Dw->Objects[i].Key), static_cast<int>(i));
  return t;
}

// The attributes of an object as entries: keyed by name (a table's columns by the column's key),
// the value as written.
TUnits AttributeEntries(const TDwText& t, const pbparse::TDwObject& o) {
  TUnits units;
  for (std::size_t i = 0; i < o.Attributes.size(); ++i) {
    const pbparse::TDwAttribute& a = o.Attributes[i];
    TUnit u;
    u.Key = a.Child >= 0 ? pbparse::Lower(t.Dw->Objects[static_cast<std::size_t>(a.Child)].Key) : pbparse::Lower(a.Key);
    u.Display = a.Key;
    u.Body = {a.Value};
    u.Index = static_cast<int>(i);
    units.push_back(std::move(u));
  }
  return units;
}

std::size_t Changes(const TUnits& side, const TUnits& base) {
  std::unordered_map<std::string, const TUnit*> b;
  for (const TUnit& u : base) b.emplace(u.Key, &u);
  std::size_t n = 0;
  for (const TUnit& u : side) {
    auto it = b.find(u.Key);
    if (it == b.end() || it->second->Body != u.Body) ++n;
    if (it != b.end()) b.erase(it);
  }
  return n + b.size();
}

struct TEdit {
  std::size_t Begin, End;
  std::string Text;
};

// The text of `s`'s object `so` from `from` to `to` (offsets in its joined text), with what the
// other side `t` changed of the base's object put in; none when both sides changed one
// attribute differently (or the object separates its items by commas).
std::optional<std::string> MergeAttributes(const TDwText& s, const pbparse::TDwObject& so, const TDwText* b,
                                           const pbparse::TDwObject* bo, const TDwText& t,
                                           const pbparse::TDwObject& to, std::size_t from, std::size_t to_) {
  if (so.Commas || to.Commas || (bo && bo->Commas)) return std::nullopt;
  const TUnits se = AttributeEntries(s, so), te = AttributeEntries(t, to);
  const TUnits be = bo ? AttributeEntries(*b, *bo) : TUnits{};
  std::unordered_map<std::string, const TUnit*> inS, inT, inB;
  for (const TUnit& u : se) inS.emplace(u.Key, &u);
  for (const TUnit& u : te) inT.emplace(u.Key, &u);
  for (const TUnit& u : be) inB.emplace(u.Key, &u);
  std::vector<TEdit> edits;
  auto attrOf = [](const pbparse::TDwObject& o, const TUnit& u) -> const pbparse::TDwAttribute& {
    return o.Attributes[static_cast<std::size_t>(u.Index)];
  };
  auto written = [](const pbparse::TDwAttribute& a) {
    return a.Name.empty() ? a.Value : a.Name + "=" + (a.Value.empty() ? std::string("\"\"") : a.Value);
  };
  // Where an attribute added by the other side goes: after the last attribute of s met before it.
  const std::size_t open = s.Joined.find('(', so.Begin);
  if (open == std::string::npos || open >= to_) return std::nullopt;
  const std::size_t afterOpen = open + 1;
  std::size_t place = afterOpen;
  std::unordered_map<std::string, std::size_t> placeAfter;  // s's attributes: the end of each
  for (const TUnit& u : se) placeAfter.emplace(u.Key, attrOf(so, u).End);
  // Attributes the other side deleted and this side left alone go (the merged list leaves them
  // out, but they stand in this side's text).
  for (const TUnit& u : se) {
    auto b = inB.find(u.Key);
    if (inT.count(u.Key) || b == inB.end() || b->second->Body != u.Body) continue;
    const pbparse::TDwAttribute& sa = attrOf(so, u);
    std::size_t begin = sa.Begin;
    while (begin > afterOpen && (s.Joined[begin - 1] == ' ' || s.Joined[begin - 1] == '\t')) --begin;
    edits.push_back({begin, sa.End, ""});
  }
  for (const TTriple& tr : Pair(se, be, te)) {
    const TUnit* su = tr.C;
    const TUnit* tu = tr.O;
    const TUnit* bu = tr.B;
    if (su) place = placeAfter[su->Key];
    if (su && tu) {
      if (su->Body == tu->Body || (bu && bu->Body == tu->Body)) continue;
      const pbparse::TDwAttribute& sa = attrOf(so, *su);
      const pbparse::TDwAttribute& ta = attrOf(to, *tu);
      if (bu && bu->Body == su->Body) {
        edits.push_back({sa.Begin, sa.End, written(ta)});
        continue;
      }
      // A table column changed on both sides: merged attribute by attribute too.
      if (sa.Child >= 0 && ta.Child >= 0 && bu && attrOf(*bo, *bu).Child >= 0) {
        const auto& sc = s.Dw->Objects[static_cast<std::size_t>(sa.Child)];
        const auto& tc = t.Dw->Objects[static_cast<std::size_t>(ta.Child)];
        const auto& bc = b->Dw->Objects[static_cast<std::size_t>(attrOf(*bo, *bu).Child)];
        std::optional<std::string> inner = MergeAttributes(s, sc, b, &bc, t, tc, sc.Begin, sa.End);
        if (!inner) return std::nullopt;
        edits.push_back({sa.Begin, sa.End, *inner});
        continue;
      }
      return std::nullopt;
    }
    if (su) {  // added here, or changed here and deleted there
      if (bu) return std::nullopt;
      continue;
    }
    if (tu && !bu) {  // added by the other side
      const std::string text = written(attrOf(to, *tu));
      edits.push_back({place, place, place == afterOpen ? text + " " : " " + text});
      continue;
    }
    if (tu && bu && tu->Body != bu->Body) return std::nullopt;  // deleted here, changed there
  }
  std::stable_sort(edits.begin(), edits.end(), [](const TEdit& x, const TEdit& y) { return x.Begin < y.Begin; });
  std::string out;
  std::size_t at = from;
  for (const TEdit& e : edits) {
    if (e.Begin < at || e.End > to_) return std::nullopt;
    out.append(s.Joined, at, e.Begin - at);
    out += e.Text;
    at = e.End;
  }
  out.append(s.Joined, at, to_ - at);
  return out;
}

TLines SplitAtBreaks(const std::string& text) {
  TLines lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t nl = text.find('\n', start);
    lines.push_back(text.substr(start, nl == std::string::npos ? std::string::npos : nl - start));
    if (nl == std::string::npos) break;
    start = nl + 1;
  }
  return lines;
}

// ---------------------------------------------------------------------------------------------

struct TSide {
  const TLines* Lines = nullptr;
  pbparse::TStructure Structure;
  TUnits Units;
  std::optional<TDwText> Dw;
};

const char* const kSideNames[3] = {"current", "base", "other"};

std::optional<std::string> ReadSide(const TLines& lines, std::string_view nameHint, TSide& side) {
  side.Lines = &lines;
  side.Structure = pbparse::ParseStructure(lines, nameHint);
  if (side.Structure.Type == pbparse::TTextType::Plain) return side.Structure.Reason;
  const auto& sections = side.Structure.Sections;
  if (side.Structure.Type == pbparse::TTextType::DataWindow) {
    // DataWindow objects may share a line ("xhtmlgen() cssgen(...)"): an object's text runs from
    // its start to the next one's, its lines cut at the breaks it holds (a last "" where it ends
    // with one), so that the texts joined give back the whole.
    side.Dw = DwTextOf(side.Structure, lines);
    for (std::size_t i = 0; i < sections.size(); ++i) {
      TUnit u;
      u.Key = pbparse::Lower(sections[i].Key);
      u.Display = sections[i].Key;
      u.Kind = sections[i].Kind;
      u.Index = static_cast<int>(i);
      u.Body = SplitAtBreaks(std::string(pbparse::SectionText(side.Structure, side.Dw->Joined, i)));
      side.Units.push_back(std::move(u));
    }
    return std::nullopt;
  }
  for (std::size_t i = 0; i < sections.size(); ++i) {
    const pbparse::TSection& s = sections[i];
    const std::int32_t next = i + 1 < sections.size() ? sections[i + 1].First : static_cast<std::int32_t>(lines.size());
    if (s.Last >= next || s.First > s.Last) return "section " + s.Key + " shares a line with the next";
    TUnit u;
    u.Key = pbparse::Lower(s.Key);
    u.Display = s.Key;
    u.Kind = s.Kind;
    u.Index = static_cast<int>(i);
    u.Body.assign(lines.begin() + s.First, lines.begin() + s.Last + 1);
    u.Trail.assign(lines.begin() + s.Last + 1, lines.begin() + next);
    side.Units.push_back(std::move(u));
  }
  return std::nullopt;
}

// The controls each owner creates, in the order of the merged type definitions: owner (lower
// case) -> control names (lower case).
std::map<std::string, std::vector<std::string>> ControlOrder(const std::vector<TTriple>& merged) {
  std::map<std::string, std::vector<std::string>> order;
  for (const TTriple& t : merged) {
    const TUnit& u = t.Any();
    if (u.Kind != TSectionKind::Type || u.Body.empty()) continue;
    const std::string s = Squeeze(u.Body.front());
    const std::size_t within = s.find(" within ");
    if (within == std::string::npos || s.substr(0, 5) != "type ") continue;
    const std::string name = s.substr(5, s.find(' ', 5) - 5);
    std::string owner = s.substr(within + 8);
    owner = owner.substr(0, owner.find(' '));
    order[owner].push_back(name);
  }
  return order;
}

std::string RoutineOwner(const TUnit& u) {
  // on OWNER.create
  const std::string s = Squeeze(u.Body.empty() ? std::string() : u.Body.front());
  if (s.substr(0, 3) != "on ") return {};
  const std::string name = s.substr(3);
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(0, dot);
}

double ReleaseNumber(const TLines& body) {
  for (const std::string& line : body) {
    const std::string s = Squeeze(line);
    if (s.substr(0, 8) == "release ") return std::atof(s.c_str() + 8);
  }
  return 0;
}

// The merge itself, once the three texts are read; the result's structure is not checked here.
TSectionMerge Merge(const std::array<TSide, 3>& sides, const TMergeOptions& options) {
  TMerger m(options);
  const TSide &c = sides[0], &b = sides[1], &o = sides[2];
  const std::vector<TTriple> merged = Pair(c.Units, b.Units, o.Units);
  const auto owners = ControlOrder(merged);
  auto dwBoth = [&](const TUnit* bu, const TUnit& cu, const TUnit& ou) -> TLines {
    const TDwText& cd = *c.Dw;
    const TDwText& od = *o.Dw;
    const auto& co = cd.Dw->Objects[static_cast<std::size_t>(cd.ObjectOf.at(cu.Key))];
    const auto& oo = od.Dw->Objects[static_cast<std::size_t>(od.ObjectOf.at(ou.Key))];
    const pbparse::TDwObject* bo = nullptr;
    if (bu) bo = &b.Dw->Dw->Objects[static_cast<std::size_t>(b.Dw->ObjectOf.at(bu->Key))];
    // Written from the side that changed more of the object.
    const TUnits ce = AttributeEntries(cd, co), oe = AttributeEntries(od, oo);
    const TUnits be = bo ? AttributeEntries(*b.Dw, *bo) : TUnits{};
    const bool fromOther = bo && Changes(oe, be) > Changes(ce, be);
    const TSide& s = fromOther ? o : c;
    const TUnit& su = fromOther ? ou : cu;
    const auto& so = fromOther ? oo : co;
    const pbparse::TStructure& st = s.Structure;
    const auto& section = st.Sections[static_cast<std::size_t>(su.Index)];
    const std::size_t index = static_cast<std::size_t>(su.Index);
    const std::size_t from = section.Begin;
    const std::size_t to = index + 1 < st.Sections.size() ? st.Sections[index + 1].Begin : s.Dw->Joined.size();
    std::optional<std::string> text =
        bo ? MergeAttributes(*s.Dw, so, b.Dw ? &*b.Dw : nullptr, bo, fromOther ? cd : od, fromOther ? co : oo, from, to)
           : std::nullopt;
    if (!text) return m.LineMerge(bu ? bu->Body : TLines{}, cu.Body, ou.Body);
    return SplitAtBreaks(*text);
  };
  TSectionMerge result;
  const bool script = c.Structure.Type == pbparse::TTextType::Script;
  std::string joined;  // DataWindows: the objects' texts one after the other
  TLines piece;
  for (std::size_t i = 0; i < merged.size(); ++i) {
    const TTriple& t = merged[i];
    // A script section that ended its text and no longer ends the result is set apart from the
    // next by a blank line, as the sections of an export are.
    const TUnit& any = t.Any();
    const std::size_t count = (&any == t.C ? c : &any == t.O ? o : b).Units.size();
    const bool wasLast = script && any.Trail.empty() && any.Index + 1 == static_cast<int>(count) &&
                         (!t.O || t.O->Trail.empty()) && i + 1 < merged.size();
    const int before = m.Conflicts();
    TLines& out = script ? result.Lines : piece;
    piece.clear();
    m.Resolve(t, [&](const TUnit* bu, const TUnit& cu, const TUnit& ou) -> TLines {
      switch (cu.Kind) {
        case TSectionKind::Forward:
        case TSectionKind::Prototypes:
        case TSectionKind::Variables:
        case TSectionKind::Type: return MergeBlock(m, bu, cu, ou);
        case TSectionKind::Create:
        case TSectionKind::Destroy: {
          auto it = owners.find(RoutineOwner(cu));
          return MergeRoutine(m, bu, cu, ou, it == owners.end() ? std::vector<std::string>{} : it->second);
        }
        case TSectionKind::Release: return ReleaseNumber(ou.Body) > ReleaseNumber(cu.Body) ? ou.Body : cu.Body;
        case TSectionKind::Object: return dwBoth(bu, cu, ou);
        default: return m.LineMerge(bu ? bu->Body : TLines{}, cu.Body, ou.Body);
      }
    }, out);
    if (wasLast) result.Lines.emplace_back();
    if (!script) {
      // A conflict's last marker ends its line, whatever follows.
      if (m.Conflicts() > before && (piece.empty() || !piece.back().empty())) piece.emplace_back();
      for (std::size_t k = 0; k < piece.size(); ++k) (joined += piece[k]) += k + 1 < piece.size() ? "\n" : "";
    }
  }
  if (!script) result.Lines = SplitAtBreaks(joined);
  result.Conflicts = m.Conflicts();
  result.Structured = true;
  // What the result must parse back to: the keys of the merged sections.
  return result;
}

std::vector<std::string> SortedKeys(const std::vector<std::string>& keys) {
  std::vector<std::string> sorted = keys;
  std::sort(sorted.begin(), sorted.end());
  return sorted;
}

}  // namespace

TSectionMerge MergeBySection(const std::array<std::vector<std::string>, 3>& texts, std::string_view nameHint,
                             const TMergeOptions& options) {
  TSectionMerge failed;
  std::array<TSide, 3> sides;
  for (std::size_t k = 0; k < 3; ++k)
    if (std::optional<std::string> reason = ReadSide(texts[k], nameHint, sides[k])) {
      failed.Reason = std::string(kSideNames[k]) + ": " + *reason;
      return failed;
    }
  for (std::size_t k = 1; k < 3; ++k)
    if (sides[k].Structure.Type != sides[0].Structure.Type) {
      failed.Reason = std::string(kSideNames[k]) + " is not the same kind of object as current";
      return failed;
    }
  TSectionMerge result = Merge(sides, options);
  // The result must parse back to the merged sections, each once; one with conflicts left is
  // checked with them settled by current's side.
  TSectionMerge settled;
  const TSectionMerge* check = &result;
  TFavor favor = options.Favor;
  if (result.Conflicts > 0) {
    TMergeOptions ours = options;
    ours.Favor = favor = TFavor::Ours;
    settled = Merge(sides, ours);
    check = &settled;
  }
  std::vector<std::string> expected;
  for (const TTriple& t : Pair(sides[0].Units, sides[1].Units, sides[2].Units)) {
    // A section deleted on one side and changed on the other stays where its side is taken.
    const bool deletedAgainstChanged = t.B && !(t.C && t.O);
    if (!deletedAgainstChanged || (favor != TFavor::Theirs && t.C) || (favor != TFavor::Ours && t.O))
      expected.push_back(t.Any().Key);
  }
  const pbparse::TStructure back = pbparse::ParseStructure(check->Lines, nameHint);
  std::vector<std::string> got;
  for (const pbparse::TSection& s : back.Sections) got.push_back(pbparse::Lower(s.Key));
  if (back.Type != sides[0].Structure.Type || SortedKeys(got) != SortedKeys(expected)) {
    failed.Reason = back.Type == pbparse::TTextType::Plain
                        ? "the merged text does not parse: " + back.Reason
                        : std::string("the merged text does not give back the merged sections");
    return failed;
  }
  return result;
}

}  // namespace merge
