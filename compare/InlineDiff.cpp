#include "InlineDiff.h"

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_map>

#include "compare/Tokens.h"
#include "diff/DiffUnit.h"
#include "platform/CodePage.h"

using diff::ChangeRecord;
using diff::KindAdded;
using diff::KindDeleted;
using diff::TDiff;

namespace compare {
namespace {

// Bounds the work of one comparison: two long lines that differ everywhere would cost the square
// of their length. A pair whose search takes more steps counts as sharing nothing.
constexpr int kMaxSearchSteps = 2000;

bool IsBlankByte(char c) { return c == ' ' || c == '\t'; }

// The bytes a piece of a line compares by: blanks left out under IgnoreBlanks, A-Z lowered under
// IgnoreCase (never a byte of a multi-byte character).
std::string Key(std::string_view text, const TCompareOptions& options) {
  std::string key;
  key.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = platform::CharLength(text.substr(i));
    char c = text[i];
    if (n > 1) {
      key.append(text.substr(i, n));
    } else if (!(options.IgnoreBlanks && IsBlankByte(c))) {
      if (options.IgnoreCase && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      key += c;
    }
    i += n;
  }
  return key;
}

// A token (or a character of a string literal) taking part in a comparison.
struct TItem {
  TByteRange Range;
  std::uint32_t Id = 0;      // equal exactly when the keys are equal
  std::uint32_t Weight = 0;  // bytes of the key
  bool String = false;
};

struct TPrepared {
  std::string_view Text;
  std::vector<TItem> Items;
  std::vector<std::uint32_t> Ids;
  bool Indented = false;     // Items[0] is the leading indentation
  std::uint32_t Length = 0;  // weight of every item but the indentation
  // For a quick upper bound of the equal weight: the items but the indentation as (id, weight
  // of all items with that id), by id, and the weight of the string literals among them.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> Bag;
  std::uint32_t StringWeight = 0;
  bool TooLong = false;  // longer than kMaxInlineBytes: not cut into tokens, like no other line
};

// At least the weight of the items that a comparison of a and b finds equal: equal tokens have
// equal ids, and the characters found equal inside string literals are at most the smaller
// weight of the literals.
std::uint64_t EqualBound(const TPrepared& a, const TPrepared& b) {
  std::uint64_t bound = std::min(a.StringWeight, b.StringWeight);
  auto i = a.Bag.begin(), j = b.Bag.begin();
  while (i != a.Bag.end() && j != b.Bag.end()) {
    if (i->first < j->first) {
      ++i;
    } else if (j->first < i->first) {
      ++j;
    } else {
      bound += std::min(i->second, j->second);
      ++i, ++j;
    }
  }
  return bound;
}

struct TOp {
  enum TKind : std::uint8_t { Equal, Delete, Insert };
  TKind Kind = Equal;
  std::uint32_t Weight = 0;
  TByteRange R1, R2;  // the bytes on each side it covers (R2 unused by Delete, R1 by Insert)
};

void Extend(TOp& into, const TOp& op) {
  into.Weight += op.Weight;
  if (op.Kind != TOp::Insert) into.R1.End = op.R1.End;
  if (op.Kind != TOp::Delete) into.R2.End = op.R2.End;
}

// Joins neighbouring equal ops, and the changes between two equal ops into one deletion followed
// by one insertion.
void Merge(std::vector<TOp>& ops) {
  std::vector<TOp> out;
  out.reserve(ops.size());
  std::optional<TOp> del, ins;
  auto flush = [&] {
    if (del) out.push_back(*del);
    if (ins) out.push_back(*ins);
    del.reset();
    ins.reset();
  };
  for (const TOp& op : ops) {
    if (op.Kind == TOp::Equal) {
      flush();
      if (!out.empty() && out.back().Kind == TOp::Equal) {
        Extend(out.back(), op);
      } else {
        out.push_back(op);
      }
    } else {
      std::optional<TOp>& slot = op.Kind == TOp::Delete ? del : ins;
      if (slot) {
        Extend(*slot, op);
      } else {
        slot = op;
      }
    }
  }
  flush();
  ops.swap(out);
}

// diff-match-patch's semantic cleanup: an equality no longer than the larger change on each side
// of it becomes a deletion and an insertion, and the equality before it is looked at again.
void CleanupSemantic(std::vector<TOp>& ops) {
  std::vector<std::ptrdiff_t> equalities;
  std::optional<std::ptrdiff_t> last;
  std::uint32_t ins1 = 0, del1 = 0, ins2 = 0, del2 = 0;
  for (std::ptrdiff_t p = 0; p < static_cast<std::ptrdiff_t>(ops.size()); ++p) {
    const TOp op = ops[static_cast<std::size_t>(p)];
    if (op.Kind == TOp::Equal) {
      equalities.push_back(p);
      ins1 = ins2;
      del1 = del2;
      ins2 = del2 = 0;
      last = p;
      continue;
    }
    (op.Kind == TOp::Insert ? ins2 : del2) += op.Weight;
    if (!last) continue;
    const TOp eq = ops[static_cast<std::size_t>(*last)];
    if (eq.Weight > std::max(ins1, del1) || eq.Weight > std::max(ins2, del2)) continue;
    ops[static_cast<std::size_t>(*last)] = {TOp::Insert, eq.Weight, {}, eq.R2};
    ops.insert(ops.begin() + *last, TOp{TOp::Delete, eq.Weight, eq.R1, {}});
    equalities.pop_back();
    if (!equalities.empty()) equalities.pop_back();
    p = equalities.empty() ? -1 : equalities.back();
    ins1 = del1 = ins2 = del2 = 0;
    last.reset();
  }
}

}  // namespace

struct TLineMatcher::TImpl {
  TCompareOptions Options;
  std::unordered_map<std::string, std::uint32_t> Ids;
  std::vector<TPrepared> Lines;
  TDiff Engine;
  int Steps = 0;
  std::uint64_t Work = 0;

  std::uint32_t IdOf(std::string key) {
    return Ids.try_emplace(std::move(key), static_cast<std::uint32_t>(Ids.size())).first->second;
  }

  TItem Item(std::string_view text, std::uint32_t start, std::uint32_t end, bool string) {
    std::string key = Key(text.substr(start, end - start), Options);
    const auto weight = static_cast<std::uint32_t>(key.size());
    return {{start, end}, IdOf(std::move(key)), weight, string};
  }

  // The characters of a string literal; "~" and the character it escapes are one.
  std::vector<TItem> Characters(std::string_view text, const TItem& literal) {
    std::vector<TItem> out;
    const std::string_view s = text.substr(0, literal.Range.End);
    for (std::uint32_t i = literal.Range.Start; i < literal.Range.End;) {
      const auto end = static_cast<std::uint32_t>(pbparse::LiteralCharEnd(s, i));
      if (!(Options.IgnoreBlanks && IsBlankByte(s[i]))) out.push_back(Item(text, i, end, false));
      i = end;
    }
    return out;
  }

  static std::vector<std::uint32_t> IdsOf(const std::vector<TItem>& items) {
    std::vector<std::uint32_t> ids(items.size());
    std::transform(items.begin(), items.end(), ids.begin(), [](const TItem& t) { return t.Id; });
    return ids;
  }

  // The change records between two id sequences, or none when the search went over its bound.
  std::optional<std::vector<ChangeRecord>> Records(const std::vector<std::uint32_t>& a,
                                                  const std::vector<std::uint32_t>& b) {
    Steps = 0;
    const bool done = Engine.Execute(a, b);
    // A search step looks at no more diagonals than both sequences hold, and follows snakes
    // along them: its work is at most their length.
    Work += static_cast<std::uint64_t>(Steps) * (a.size() + b.size() + 1);
    if (!done) return std::nullopt;
    return Engine.Changes();
  }

  // Appends the ops that turn items a into items b: equal runs, and between them the changed
  // items, with string literals opposite each other compared by character. Adds the weight of
  // the equal items to `equal` (a leading indentation left out). False when a search went over
  // its bound.
  bool Walk(const std::vector<TItem>& a, const std::vector<std::uint32_t>& ids1, const std::vector<TItem>& b,
            const std::vector<std::uint32_t>& ids2, std::string_view text1, std::string_view text2, bool indented1,
            bool indented2, std::vector<TOp>& ops, std::uint64_t& equal) {
    auto records = Records(ids1, ids2);
    if (!records) return false;
    std::size_t i = 0, j = 0;
    auto equalUpTo = [&](std::size_t end) {
      for (; i < end; ++i, ++j) {
        ops.push_back({TOp::Equal, a[i].Weight, a[i].Range, b[j].Range});
        if (!(i == 0 && indented1) && !(j == 0 && indented2)) equal += a[i].Weight;
      }
    };
    for (std::size_t k = 0; k < records->size();) {
      equalUpTo(static_cast<std::size_t>((*records)[k].Pos1));
      std::size_t end1 = i, end2 = j;
      for (; k < records->size() && static_cast<std::size_t>((*records)[k].Pos1) == end1; ++k) {
        const ChangeRecord& c = (*records)[k];
        if (c.Kind != KindAdded) end1 += static_cast<std::size_t>(c.Count);
        if (c.Kind != KindDeleted) end2 += static_cast<std::size_t>(c.Count);
      }
      Region(a, i, end1, b, j, end2, text1, text2, ops, equal);
      i = end1;
      j = end2;
    }
    equalUpTo(a.size());
    return true;
  }

  // The ops of the changed items a[from1, to1) and b[from2, to2): the n-th string literal of
  // each side compared by character (as wholes when that search goes over its bound),
  // everything else deleted and inserted.
  void Region(const std::vector<TItem>& a, std::size_t from1, std::size_t to1, const std::vector<TItem>& b,
              std::size_t from2, std::size_t to2, std::string_view text1, std::string_view text2,
              std::vector<TOp>& ops, std::uint64_t& equal) {
    auto changed = [&](std::size_t& i, std::size_t end1, std::size_t& j, std::size_t end2) {
      for (; i < end1; ++i) ops.push_back({TOp::Delete, a[i].Weight, a[i].Range, {}});
      for (; j < end2; ++j) ops.push_back({TOp::Insert, b[j].Weight, {}, b[j].Range});
    };
    std::size_t i = from1, j = from2;
    for (;;) {
      std::size_t s1 = i, s2 = j;
      while (s1 < to1 && !a[s1].String) ++s1;
      while (s2 < to2 && !b[s2].String) ++s2;
      if (s1 == to1 || s2 == to2) break;
      changed(i, s1, j, s2);
      const std::vector<TItem> chars1 = Characters(text1, a[s1]), chars2 = Characters(text2, b[s2]);
      // A search over its bound appends nothing.
      if (Walk(chars1, IdsOf(chars1), chars2, IdsOf(chars2), text1, text2, false, false, ops, equal)) {
        i = s1 + 1;
        j = s2 + 1;
      } else {
        changed(i, s1 + 1, j, s2 + 1);
      }
    }
    changed(i, to1, j, to2);
  }

  // The ops between two prepared lines and their likeness; none when the search went over its
  // bound.
  std::optional<double> Compare(const TPrepared& a, const TPrepared& b, std::vector<TOp>& ops) {
    if (a.TooLong || b.TooLong) return a.Text == b.Text ? std::optional<double>(1.0) : std::nullopt;
    const std::uint64_t total = std::uint64_t{a.Length} + b.Length;
    if (total == 0 && a.Ids == b.Ids) return 1.0;
    std::uint64_t equal = 0;
    if (!Walk(a.Items, a.Ids, b.Items, b.Ids, a.Text, b.Text, a.Indented, b.Indented, ops, equal))
      return std::nullopt;
    return total == 0 ? 1.0 : 2.0 * static_cast<double>(equal) / static_cast<double>(total);
  }
};

TLineMatcher::TLineMatcher(const TCompareOptions& options) : impl_(std::make_unique<TImpl>()) {
  impl_->Options = options;
  impl_->Engine.OnStep = [impl = impl_.get()](TDiff& engine) {
    if (++impl->Steps > kMaxSearchSteps) engine.Cancel();
  };
}

TLineMatcher::~TLineMatcher() = default;

std::size_t TLineMatcher::Add(const TLineView& line) {
  TPrepared p;
  p.Text = line.Text;
  if (line.Text.size() > kMaxInlineBytes) {
    p.TooLong = true;
    impl_->Lines.push_back(std::move(p));
    return impl_->Lines.size() - 1;
  }
  const TCompareOptions& o = impl_->Options;
  for (const TToken& t : TokenizeLine(line.Text, line.Comments)) {
    if ((o.IgnoreComments && t.Comment) || (o.IgnoreBlanks && t.Kind == TTokenKind::Blank)) continue;
    p.Items.push_back(impl_->Item(line.Text, t.Start, t.End, t.Kind == TTokenKind::String));
    p.Length += p.Items.back().Weight;
    if (t.Start == 0 && t.Kind == TTokenKind::Blank) {
      p.Indented = true;
      p.Length -= p.Items.back().Weight;
    }
  }
  p.Ids = TImpl::IdsOf(p.Items);
  for (std::size_t i = p.Indented ? 1 : 0; i < p.Items.size(); ++i) {
    p.Bag.emplace_back(p.Items[i].Id, p.Items[i].Weight);
    if (p.Items[i].String) p.StringWeight += p.Items[i].Weight;
  }
  std::sort(p.Bag.begin(), p.Bag.end());
  std::size_t kept = 0;
  for (std::size_t i = 0; i < p.Bag.size(); ++i) {
    if (kept > 0 && p.Bag[kept - 1].first == p.Bag[i].first) {
      p.Bag[kept - 1].second += p.Bag[i].second;
    } else {
      p.Bag[kept++] = p.Bag[i];
    }
  }
  p.Bag.resize(kept);
  impl_->Lines.push_back(std::move(p));
  return impl_->Lines.size() - 1;
}

double TLineMatcher::Likeness(std::size_t line1, std::size_t line2) {
  const TPrepared& a = impl_->Lines.at(line1);
  const TPrepared& b = impl_->Lines.at(line2);
  // A pair that cannot reach kSimilarEnough needs no search; most pairs of a block are such.
  const std::uint64_t total = std::uint64_t{a.Length} + b.Length;
  if (total > 0 && !a.TooLong && !b.TooLong) {
    const double bound = 2.0 * static_cast<double>(EqualBound(a, b)) / static_cast<double>(total);
    if (bound < kSimilarEnough) return bound;
  }
  std::vector<TOp> ops;
  return impl_->Compare(a, b, ops).value_or(0.0);
}

std::uint64_t TLineMatcher::Work() const { return impl_->Work; }

TInlineDiff TLineMatcher::Diff(std::size_t line1, std::size_t line2) {
  const TPrepared& a = impl_->Lines.at(line1);
  const TPrepared& b = impl_->Lines.at(line2);
  TInlineDiff out;
  std::vector<TOp> ops;
  out.Likeness = impl_->Compare(a, b, ops).value_or(0.0);
  out.Similar = out.Likeness >= kSimilarEnough;
  if (!out.Similar) return out;
  Merge(ops);
  CleanupSemantic(ops);
  std::optional<TSpan> span1, span2;
  auto flush = [&] {
    if (span1) out.Changed1.push_back(*span1);
    if (span2) out.Changed2.push_back(*span2);
    span1.reset();
    span2.reset();
  };
  // Changes with nothing equal between them are one span, across what takes no part.
  for (const TOp& op : ops) {
    if (op.Kind == TOp::Equal) {
      flush();
    } else {
      std::optional<TSpan>& span = op.Kind == TOp::Delete ? span1 : span2;
      const TByteRange& r = op.Kind == TOp::Delete ? op.R1 : op.R2;
      if (!span) span = TSpan{static_cast<std::int32_t>(r.Start), 0};
      span->End = static_cast<std::int32_t>(r.End);
    }
  }
  flush();
  return out;
}

TInlineDiff ChangedSpans(const TLineView& line1, const TLineView& line2, const TCompareOptions& options) {
  TLineMatcher matcher(options);
  const std::size_t a = matcher.Add(line1), b = matcher.Add(line2);
  return matcher.Diff(a, b);
}

TInlineDiff ChangedSpans(std::string_view line1, std::string_view line2, const TCompareOptions& options) {
  std::vector<TByteRange> comments1, comments2;
  TCommentScanner().Scan(line1, comments1);
  TCommentScanner().Scan(line2, comments2);
  return ChangedSpans(TLineView{line1, comments1}, TLineView{line2, comments2}, options);
}

std::vector<TSpan> CodePointSpans(std::string_view line, std::span<const TSpan> spans) {
  std::vector<TSpan> out;
  out.reserve(spans.size());
  std::size_t byte = 0;
  std::int32_t point = 0;
  // The code points are counted in the decoder's own output, piece by piece: a byte sequence of
  // the four-byte shape that is no character decodes to more than one code point.
  auto advance = [&](std::int32_t to) {
    const std::size_t end = std::min(static_cast<std::size_t>(std::max(to, 0)), line.size());
    if (end > byte) {
      const std::string_view piece = line.substr(byte, end - byte);
      if (platform::FindNonAscii(piece) == std::string_view::npos) {
        point += static_cast<std::int32_t>(piece.size());
      } else {
        for (char c : platform::CodePageToUtf8(piece)) point += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
      }
      byte = end;
    }
    return point;
  };
  for (const TSpan& s : spans) {
    const std::int32_t start = advance(s.Start);
    out.push_back({start, advance(s.End)});
  }
  return out;
}

}  // namespace compare
