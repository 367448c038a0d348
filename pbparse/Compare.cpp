#include "pbparse/Compare.h"

#include <algorithm>
#include <map>
#include <set>

#include "diff/DiffUnit.h"
#include "diff/HashUnit.h"
#include "pbparse/Ascii.h"
#include "pbparse/DataWindow.h"
#include "pbparse/Defaults.h"

using diff::ChangeRecord;
using diff::KindAdded;
using diff::KindDeleted;
using diff::KindModified;
using diff::SameLines;
using diff::TDiff;
using diff::TLineClasses;

namespace pbparse {
namespace {

// Above this many matched sections the order is found by count alone (n log n), not weighed.
constexpr std::size_t kWeighedOrderLimit = 3000;

bool BlankLine(std::string_view line) {
  return std::all_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

// A section's lines as they are compared: a header line that carries script is split where the
// script starts, so that the signature and the script compare apart.
std::vector<std::string> Pieces(const TSection& s, const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  const std::int32_t last = std::min<std::int32_t>(s.Last, static_cast<std::int32_t>(lines.size()) - 1);
  for (std::int32_t k = s.First; k <= last; ++k) {
    const std::string& line = lines[static_cast<std::size_t>(k)];
    if (k == s.First && s.ScriptColumn > 0 && s.ScriptColumn < line.size()) {
      out.push_back(line.substr(0, s.ScriptColumn));
      out.push_back(line.substr(s.ScriptColumn));
    } else {
      out.push_back(line);
    }
  }
  return out;
}

// Whether two runs of lines differ by more than added or removed blank lines, as the object
// check decides it.
bool LinesDiffer(const std::vector<std::string>& a, const std::vector<std::string>& b, const TCompareRules& rules) {
  if (SameLines(a, b, rules.IgnoreCase, rules.IgnoreBlanks)) return false;
  TLineClasses classes(rules.IgnoreCase, rules.IgnoreBlanks);
  const std::vector<std::uint32_t> h1 = classes.OfLines(a);
  const std::vector<std::uint32_t> h2 = classes.OfLines(b);
  TDiff diff;
  if (!diff.Execute(h1, h2)) return true;
  for (const ChangeRecord& c : diff.Changes()) {
    if (c.Kind == KindModified) return true;
    const auto& side = c.Kind == KindAdded ? b : a;
    const std::int32_t from = c.Kind == KindAdded ? c.Pos2 : c.Pos1;
    for (std::int32_t k = from; k < from + c.Count; ++k)
      if (!BlankLine(side[static_cast<std::size_t>(k)])) return true;
  }
  return false;
}

// Which entries of `seq` (distinct values) form the longest increasing run of it, taken in
// order: most entries first, then the largest total weight, so that where two orders keep as many
// sections in place the larger sections stay and the smaller ones are the moved ones.
std::vector<bool> LongestOrder(const std::vector<std::int32_t>& seq, const std::vector<std::int64_t>& weight) {
  const std::size_t n = seq.size();
  if (std::is_sorted(seq.begin(), seq.end())) return std::vector<bool>(n, true);  // nothing moved
  std::vector<bool> keep(n, false);
  std::vector<std::int32_t> prev(n, -1);
  std::size_t best = 0;
  if (n <= kWeighedOrderLimit) {
    std::vector<std::pair<std::int32_t, std::int64_t>> score(n);
    for (std::size_t i = 0; i < n; ++i) {
      score[i] = {1, weight[i]};
      for (std::size_t j = 0; j < i; ++j) {
        if (seq[j] >= seq[i]) continue;
        std::pair<std::int32_t, std::int64_t> s{score[j].first + 1, score[j].second + weight[i]};
        if (s > score[i]) {
          score[i] = s;
          prev[i] = static_cast<std::int32_t>(j);
        }
      }
      if (score[i] > score[best]) best = i;
    }
  } else {
    std::vector<std::size_t> tails;  // index of the smallest tail of each length
    for (std::size_t i = 0; i < n; ++i) {
      auto it = std::lower_bound(tails.begin(), tails.end(), seq[i],
                                 [&](std::size_t t, std::int32_t v) { return seq[t] < v; });
      if (it != tails.begin()) prev[i] = static_cast<std::int32_t>(*(it - 1));
      if (it == tails.end()) tails.push_back(i);
      else *it = i;
    }
    best = tails.back();
  }
  for (std::int32_t i = static_cast<std::int32_t>(best); i >= 0; i = prev[static_cast<std::size_t>(i)])
    keep[static_cast<std::size_t>(i)] = true;
  return keep;
}

std::map<std::string, std::int32_t> KeyIndex(const std::vector<TSection>& sections) {
  std::map<std::string, std::int32_t> index;
  for (std::size_t i = 0; i < sections.size(); ++i)
    index.emplace(Lower(sections[i].Key), static_cast<std::int32_t>(i));
  return index;
}

// Pairs the sections by key, in side 1's order with side 2's own sections after the pair of the
// section before them; `changed(i, j)` says whether a pair's content differs.
template <class Changed>
void PairSections(const TStructure& s1, const TStructure& s2, TStructuredDiff& out, Changed changed) {
  const auto index2 = KeyIndex(s2.Sections);
  const std::size_t n1 = s1.Sections.size(), n2 = s2.Sections.size();
  std::vector<std::int32_t> match1(n1, -1), match2(n2, -1);
  std::vector<std::int32_t> seq;
  std::vector<std::int64_t> weight;
  for (std::size_t i = 0; i < n1; ++i) {
    auto it = index2.find(Lower(s1.Sections[i].Key));
    if (it == index2.end() || match2[static_cast<std::size_t>(it->second)] >= 0) continue;
    match1[i] = it->second;
    match2[static_cast<std::size_t>(it->second)] = static_cast<std::int32_t>(i);
    seq.push_back(it->second);
    weight.push_back(s1.Sections[i].Last - s1.Sections[i].First + 1);
  }
  std::vector<bool> keep = LongestOrder(seq, weight);
  // Side 2's own sections, each after the matched section above it (or first of all).
  std::vector<std::vector<std::int32_t>> after(n2 + 1);
  std::size_t anchor = n2;
  for (std::size_t j = 0; j < n2; ++j) {
    if (match2[j] >= 0) anchor = j;
    else after[anchor].push_back(static_cast<std::int32_t>(j));
  }
  auto added = [&](std::size_t slot) {
    for (std::int32_t j : after[slot]) out.Pairs.push_back({-1, j, TSectionStatus::Added, false});
  };
  added(n2);
  std::size_t m = 0;
  for (std::size_t i = 0; i < n1; ++i) {
    const std::int32_t j = match1[i];
    if (j < 0) {
      out.Pairs.push_back({static_cast<std::int32_t>(i), -1, TSectionStatus::Deleted, false});
      continue;
    }
    TSectionPair p{static_cast<std::int32_t>(i), j, TSectionStatus::Same, changed(i, static_cast<std::size_t>(j))};
    if (!keep[m++]) {
      p.Status = TSectionStatus::Moved;
      out.Ignored |= dfOrder;
    } else if (p.Changed) {
      p.Status = TSectionStatus::Changed;
    }
    out.Pairs.push_back(p);
    added(static_cast<std::size_t>(j));
  }
}

bool ValuesEqual(std::string_view a, std::string_view b, const TCompareRules& rules) {
  if (!rules.IgnoreCase && !rules.IgnoreBlanks) return a == b;
  auto next = [&](std::string_view s, std::size_t& i) {
    while (rules.IgnoreBlanks && i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  };
  std::size_t i = 0, j = 0;
  for (;;) {
    next(a, i);
    next(b, j);
    if (i == a.size() || j == b.size()) return i == a.size() && j == b.size();
    char x = a[i++], y = b[j++];
    if (rules.IgnoreCase ? LowerAscii(x) != LowerAscii(y) : x != y) return false;
  }
}

class TDwComparer {
 public:
  TDwComparer(const TDataWindow& dw1, const TDataWindow& dw2, const TCompareRules& rules, TStructuredDiff& out)
      : dw1_(dw1), dw2_(dw2), rules_(rules), out_(out) {}

  void Run(const std::vector<std::string>& lines1, const std::vector<std::string>& lines2) {
    CompareHeader(lines1, lines2);
    CompareRelease();
    CompareObjects();
  }

 private:
  void Item(std::string object, std::string attribute, TItemStatus status, std::optional<std::string> old,
            std::optional<std::string> now) {
    out_.Items.push_back({std::move(object), std::move(attribute), status, std::move(old), std::move(now)});
  }

  void CompareHeader(const std::vector<std::string>& lines1, const std::vector<std::string>& lines2) {
    auto header = [](const std::vector<std::string>& lines, std::int32_t count) {
      return std::vector<std::string>(lines.begin(), lines.begin() + std::min<std::size_t>(lines.size(), count));
    };
    std::vector<std::string> h1 = header(lines1, dw1_.HeaderLines), h2 = header(lines2, dw2_.HeaderLines);
    if (LinesDiffer(h1, h2, rules_)) Item("export header", "", TItemStatus::Changed, Joined(h1), Joined(h2));
  }

  static std::string Joined(const std::vector<std::string>& lines) {
    std::string s;
    for (std::size_t i = 0; i < lines.size(); ++i) s += (i ? "\n" : "") + lines[i];
    return s;
  }

  void CompareRelease() {
    const bool has1 = dw1_.ReleaseLine >= 0, has2 = dw2_.ReleaseLine >= 0;
    if (has1 && has2 && !EqualNoCase(dw1_.Release, dw2_.Release))
      Item("release", "", TItemStatus::Changed, dw1_.Release, dw2_.Release);
    else if (has1 && !has2)
      Item("release", "", TItemStatus::Deleted, dw1_.Release, std::nullopt);
    else if (!has1 && has2)
      Item("release", "", TItemStatus::Added, std::nullopt, dw2_.Release);
  }

  // What a one-sided attribute falls under: 0 when it counts.
  std::uint8_t Ignorable(const std::string& keyword, const TDwAttribute& a) const {
    if (rules_.IgnorePosition && IsPositionAttribute(a.Name)) return dfPosition;
    if (rules_.IgnoreDefaults && rules_.Defaults && !a.Name.empty() &&
        rules_.Defaults->IsDefault(keyword, a.Name, a.Norm))
      return dfDefaults;
    return 0;
  }

  // An object newer releases add, holding defaults only.
  bool DefaultObject(const TDwObject& o) const {
    if (!rules_.IgnoreDefaults || !rules_.Defaults || !rules_.Defaults->IsAddedObject(o.Keyword)) return false;
    return std::all_of(o.Attributes.begin(), o.Attributes.end(),
                       [&](const TDwAttribute& a) { return a.Child < 0 && Ignorable(o.Keyword, a) == dfDefaults; });
  }

  void OneSided(const TDwObject& o, TItemStatus status) {
    if (DefaultObject(o)) out_.Ignored |= dfDefaults;
    else Item(o.Key, "", status, std::nullopt, std::nullopt);
  }

  void CompareObjects() {
    std::map<std::string, std::size_t> index2;
    for (std::size_t j = 0; j < dw2_.Objects.size(); ++j) index2.emplace(Lower(dw2_.Objects[j].Key), j);
    std::vector<bool> matched2(dw2_.Objects.size(), false);
    std::int64_t last = -1;
    for (const TDwObject& o1 : dw1_.Objects) {
      auto it = index2.find(Lower(o1.Key));
      if (it == index2.end() || matched2[it->second]) {
        OneSided(o1, TItemStatus::Deleted);
        continue;
      }
      matched2[it->second] = true;
      if (static_cast<std::int64_t>(it->second) < last) out_.Ignored |= dfOrder;
      last = static_cast<std::int64_t>(it->second);
      CompareAttributes(o1, dw2_.Objects[it->second]);
    }
    for (std::size_t j = 0; j < dw2_.Objects.size(); ++j)
      if (!matched2[j]) OneSided(dw2_.Objects[j], TItemStatus::Added);
  }

  void CompareAttributes(const TDwObject& o1, const TDwObject& o2) {
    std::map<std::string, std::size_t> index2;
    for (std::size_t j = 0; j < o2.Attributes.size(); ++j)
      if (o2.Attributes[j].Child < 0) index2.emplace(Lower(o2.Attributes[j].Key), j);
    std::vector<bool> matched2(o2.Attributes.size(), false);
    std::int64_t last = -1;
    for (const TDwAttribute& a1 : o1.Attributes) {
      if (a1.Child >= 0) continue;
      auto it = index2.find(Lower(a1.Key));
      if (it == index2.end()) {
        if (std::uint8_t why = Ignorable(o1.Keyword, a1)) out_.Ignored |= why;
        else Item(o1.Key, a1.Key, TItemStatus::Deleted, a1.Value, std::nullopt);
        continue;
      }
      const TDwAttribute& a2 = o2.Attributes[it->second];
      matched2[it->second] = true;
      if (static_cast<std::int64_t>(it->second) < last) out_.Ignored |= dfOrder;
      last = static_cast<std::int64_t>(it->second);
      if (ValuesEqual(a1.Norm, a2.Norm, rules_)) continue;
      if (rules_.IgnorePosition && IsPositionAttribute(a1.Name)) out_.Ignored |= dfPosition;
      else Item(o1.Key, a1.Key, TItemStatus::Changed, a1.Value, a2.Value);
    }
    for (std::size_t j = 0; j < o2.Attributes.size(); ++j) {
      const TDwAttribute& a2 = o2.Attributes[j];
      if (matched2[j] || a2.Child >= 0) continue;
      if (std::uint8_t why = Ignorable(o2.Keyword, a2)) out_.Ignored |= why;
      else Item(o2.Key, a2.Key, TItemStatus::Added, std::nullopt, a2.Value);
    }
  }

  const TDataWindow& dw1_;
  const TDataWindow& dw2_;
  const TCompareRules& rules_;
  TStructuredDiff& out_;
};

// The keys (lower case) of the sections that items fall in: a table column's items fall in its
// table.
std::set<std::string> ChangedSectionKeys(const TStructuredDiff& diff, const TDataWindow& dw1, const TDataWindow& dw2) {
  std::map<std::string, std::string> parent;
  for (const TDataWindow* dw : {&dw1, &dw2})
    for (const TDwObject& o : dw->Objects)
      if (o.Parent >= 0 && o.Parent < static_cast<std::int32_t>(dw->Objects.size()))
        parent[Lower(o.Key)] = Lower(dw->Objects[static_cast<std::size_t>(o.Parent)].Key);
  std::set<std::string> keys;
  for (const TItem& item : diff.Items) {
    std::string key = Lower(item.Object);
    auto it = parent.find(key);
    keys.insert(it == parent.end() ? key : it->second);
  }
  return keys;
}

}  // namespace

const char* StatusName(TSectionStatus status) {
  switch (status) {
    case TSectionStatus::Same: return "same";
    case TSectionStatus::Changed: return "changed";
    case TSectionStatus::Moved: return "moved";
    case TSectionStatus::Added: return "added";
    case TSectionStatus::Deleted: return "deleted";
  }
  return "";
}

const char* StatusName(TItemStatus status) {
  switch (status) {
    case TItemStatus::Added: return "added";
    case TItemStatus::Deleted: return "deleted";
    case TItemStatus::Changed: return "changed";
  }
  return "";
}

TStructuredDiff CompareStructures(const TStructure& s1, const std::vector<std::string>& lines1, const TStructure& s2,
                                  const std::vector<std::string>& lines2, const TCompareRules& rules) {
  TStructuredDiff out;
  if (s1.Type == TTextType::Plain || s2.Type == TTextType::Plain) {
    out.Reason = s1.Type == TTextType::Plain ? "side 1: " + s1.Reason : "side 2: " + s2.Reason;
    return out;
  }
  if (s1.Type != s2.Type) {
    out.Reason = "one side is a DataWindow, the other a script object";
    return out;
  }
  out.Structured = true;
  if (s1.Type == TTextType::Script) {
    PairSections(s1, s2, out, [&](std::size_t i, std::size_t j) {
      return LinesDiffer(Pieces(s1.Sections[i], lines1), Pieces(s2.Sections[j], lines2), rules);
    });
    out.Same = std::none_of(out.Pairs.begin(), out.Pairs.end(), [](const TSectionPair& p) {
      return p.Changed || p.Status == TSectionStatus::Added || p.Status == TSectionStatus::Deleted;
    });
    return out;
  }
  TDwComparer(*s1.DataWindow, *s2.DataWindow, rules, out).Run(lines1, lines2);
  const std::set<std::string> changed = ChangedSectionKeys(out, *s1.DataWindow, *s2.DataWindow);
  PairSections(s1, s2, out, [&](std::size_t i, std::size_t) { return changed.count(Lower(s1.Sections[i].Key)) > 0; });
  out.Same = out.Items.empty();
  return out;
}

namespace {

// Lines first1..last1 of side 1 opposite first2..last2 of side 2, aligned by the engine.
void AlignLines(std::int32_t f1, std::int32_t l1, std::int32_t f2, std::int32_t l2, const std::vector<std::string>& lines1,
                const std::vector<std::string>& lines2, const TCompareRules& rules, std::int32_t pair,
                std::vector<TSectionRow>& rows) {
  std::vector<std::string> a(lines1.begin() + f1, lines1.begin() + l1 + 1);
  std::vector<std::string> b(lines2.begin() + f2, lines2.begin() + l2 + 1);
  TDiff engine;
  std::vector<ChangeRecord> changes;
  TLineClasses classes(rules.IgnoreCase, rules.IgnoreBlanks);
  const std::vector<std::uint32_t> values1 = classes.OfLines(a);
  const std::vector<std::uint32_t> values2 = classes.OfLines(b);
  if (engine.Execute(values1, values2))
    changes = engine.Changes();
  else
    changes = {ChangeRecord{KindDeleted, 0, 0, static_cast<std::int32_t>(a.size())},
               ChangeRecord{KindAdded, static_cast<std::int32_t>(a.size()), 0, static_cast<std::int32_t>(b.size())}};
  std::int32_t n1 = 0, n2 = 0;
  auto equalUntil = [&](std::int32_t pos1) {
    for (; n1 < pos1; ++n1, ++n2) rows.push_back({f1 + n1, f2 + n2, pair, 0});
  };
  for (const ChangeRecord& c : changes) {
    if (c.Count <= 0) continue;
    equalUntil(c.Pos1);
    for (std::int32_t k = 0; k < c.Count; ++k) {
      if (c.Kind == KindAdded) rows.push_back({-1, f2 + n2++, pair, 1});
      else if (c.Kind == KindDeleted) rows.push_back({f1 + n1++, -1, pair, 2});
      else rows.push_back({f1 + n1++, f2 + n2++, pair, 3});
    }
  }
  equalUntil(l1 - f1 + 1);
}

void Block(std::int32_t first, std::int32_t last, bool left, std::int32_t pair, std::vector<TSectionRow>& rows) {
  for (std::int32_t k = first; k <= last; ++k) rows.push_back(left ? TSectionRow{k, -1, pair, 2} : TSectionRow{-1, k, pair, 1});
}

// A run of lines of one attribute (or one object's opening or closing line) in a DataWindow's
// text form, keyed by object, attribute and occurrence.
struct TUnit {
  std::int32_t First = 0, Last = 0;
  std::string Key;
};

std::vector<TUnit> Units(std::int32_t first, std::int32_t last, const std::vector<TLineOrigin>& origins) {
  std::vector<TUnit> units;
  std::map<std::string, int> seen;
  std::string previous;
  for (std::int32_t k = first; k <= last; ++k) {
    const TLineOrigin& o = origins[static_cast<std::size_t>(k)];
    std::string key = Lower(o.Object) + "\n" + Lower(o.Attribute);
    if (!units.empty() && key == previous && !o.Attribute.empty()) {
      units.back().Last = k;
      continue;
    }
    previous = key;
    units.push_back({k, k, key + "\n" + std::to_string(++seen[key])});
  }
  return units;
}

// The lines of two matched DataWindow sections, attribute opposite attribute in side 1's order;
// an attribute of one side only opposite fillers, side 2's after the attribute above it.
void AlignAttributes(std::int32_t f1, std::int32_t l1, std::int32_t f2, std::int32_t l2, const std::vector<std::string>& lines1,
                     const std::vector<std::string>& lines2, const std::vector<TLineOrigin>& origins1,
                     const std::vector<TLineOrigin>& origins2, const TCompareRules& rules, std::int32_t pair,
                     std::vector<TSectionRow>& rows) {
  const std::vector<TUnit> u1 = Units(f1, l1, origins1), u2 = Units(f2, l2, origins2);
  std::map<std::string, std::size_t> index2;
  for (std::size_t j = 0; j < u2.size(); ++j) index2.emplace(u2[j].Key, j);
  std::vector<std::int64_t> match2(u2.size(), -1);
  std::vector<std::int64_t> match1(u1.size(), -1);
  for (std::size_t i = 0; i < u1.size(); ++i) {
    auto it = index2.find(u1[i].Key);
    if (it == index2.end()) continue;
    match1[i] = static_cast<std::int64_t>(it->second);
    match2[it->second] = static_cast<std::int64_t>(i);
  }
  std::vector<std::vector<std::size_t>> after(u2.size() + 1);
  std::size_t anchor = u2.size();
  for (std::size_t j = 0; j < u2.size(); ++j) {
    if (match2[j] >= 0) anchor = j;
    else after[anchor].push_back(j);
  }
  auto added = [&](std::size_t slot) {
    for (std::size_t j : after[slot]) Block(u2[j].First, u2[j].Last, false, pair, rows);
  };
  added(u2.size());
  for (std::size_t i = 0; i < u1.size(); ++i) {
    if (match1[i] < 0) {
      Block(u1[i].First, u1[i].Last, true, pair, rows);
      continue;
    }
    const TUnit& b = u2[static_cast<std::size_t>(match1[i])];
    AlignLines(u1[i].First, u1[i].Last, b.First, b.Last, lines1, lines2, rules, pair, rows);
    added(static_cast<std::size_t>(match1[i]));
  }
}

}  // namespace

std::vector<TSectionRow> SectionRows(const TStructuredDiff& diff, const TStructure& s1,
                                     const std::vector<std::string>& lines1, const TStructure& s2,
                                     const std::vector<std::string>& lines2, const TCompareRules& rules,
                                     const std::vector<TLineOrigin>* origins1, const std::vector<TLineOrigin>* origins2) {
  std::vector<TSectionRow> rows;
  auto range = [](const TStructure& s, std::int32_t index, const std::vector<std::string>& lines) {
    const TSection& sec = s.Sections[static_cast<std::size_t>(index)];
    const std::int32_t last = std::min<std::int32_t>(sec.Last, static_cast<std::int32_t>(lines.size()) - 1);
    return std::pair<std::int32_t, std::int32_t>{sec.First, std::max(sec.First - 1, last)};
  };
  const bool byAttribute = origins1 && origins2 && origins1->size() == lines1.size() && origins2->size() == lines2.size();
  for (std::size_t p = 0; p < diff.Pairs.size(); ++p) {
    const TSectionPair& pair = diff.Pairs[p];
    const std::int32_t pi = static_cast<std::int32_t>(p);
    if (pair.Index2 < 0 || pair.Index1 < 0) {
      const bool left = pair.Index1 >= 0;
      const auto r = left ? range(s1, pair.Index1, lines1) : range(s2, pair.Index2, lines2);
      Block(r.first, r.second, left, pi, rows);
      continue;
    }
    const auto r1 = range(s1, pair.Index1, lines1), r2 = range(s2, pair.Index2, lines2);
    if (byAttribute)
      AlignAttributes(r1.first, r1.second, r2.first, r2.second, lines1, lines2, *origins1, *origins2, rules, pi, rows);
    else
      AlignLines(r1.first, r1.second, r2.first, r2.second, lines1, lines2, rules, pi, rows);
  }
  return rows;
}

TSectionView BuildSectionView(const std::vector<std::string>& lines1, const std::vector<std::string>& lines2,
                              std::string_view name1, std::string_view name2, const TCompareRules& rules,
                              const std::vector<std::string>* compared1, const std::vector<std::string>* compared2) {
  TSectionView view;
  TStructure s1 = ParseStructure(lines1, name1), s2 = ParseStructure(lines2, name2);
  const bool dataWindows = s1.Type == TTextType::DataWindow && s2.Type == TTextType::DataWindow;
  view.Lines1 = lines1;
  view.Lines2 = lines2;
  if (dataWindows) {
    TTextForm f1 = DataWindowTextForm(lines1, *s1.DataWindow), f2 = DataWindowTextForm(lines2, *s2.DataWindow);
    view.Lines1 = std::move(f1.Lines);
    view.Lines2 = std::move(f2.Lines);
    view.Origins1 = std::move(f1.Origins);
    view.Origins2 = std::move(f2.Origins);
    s1 = ParseStructure(view.Lines1);
    s2 = ParseStructure(view.Lines2);
  }
  // What the comparison reads: for script objects the lines given for it, when they match.
  const bool instead = !dataWindows && compared1 && compared2 && compared1->size() == lines1.size() &&
                       compared2->size() == lines2.size();
  const std::vector<std::string>& read1 = instead ? *compared1 : view.Lines1;
  const std::vector<std::string>& read2 = instead ? *compared2 : view.Lines2;
  view.Diff = CompareStructures(s1, read1, s2, read2, rules);
  view.Structured = view.Diff.Structured;
  view.Reason = view.Diff.Reason;
  view.Structure1 = std::move(s1);
  view.Structure2 = std::move(s2);
  if (!view.Structured) return view;
  view.Rows = SectionRows(view.Diff, view.Structure1, read1, view.Structure2, read2, rules,
                          dataWindows ? &view.Origins1 : nullptr, dataWindows ? &view.Origins2 : nullptr);
  if (!dataWindows) return view;
  // Which lines carry a counted change: those of an item's attribute, or of an item's object
  // (added, deleted, release, header) as a whole.
  std::set<std::pair<std::string, std::string>> counted;
  for (const TItem& item : view.Diff.Items) counted.insert({Lower(item.Object), Lower(item.Attribute)});
  auto counts = [&](const std::vector<TLineOrigin>& origins, std::int32_t line) {
    if (line < 0 || line >= static_cast<std::int32_t>(origins.size())) return false;
    const TLineOrigin& o = origins[static_cast<std::size_t>(line)];
    return counted.count({Lower(o.Object), Lower(o.Attribute)}) > 0 || counted.count({Lower(o.Object), ""}) > 0;
  };
  for (TSectionRow& row : view.Rows)
    if (row.Kind != 0) row.Ignored = !counts(view.Origins1, row.Line1) && !counts(view.Origins2, row.Line2);
  return view;
}

}  // namespace pbparse
