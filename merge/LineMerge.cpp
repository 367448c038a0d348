#include "merge/LineMerge.h"

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <thread>

#include "diff/DiffUnit.h"

using diff::ChangeRecord;
using diff::KindAdded;
using diff::KindDeleted;
using diff::TDiff;

namespace merge {
namespace {

// A maximal change of one comparison: base lines [Base, Base + BaseCount) became the side's lines
// [Side, Side + SideCount).
struct THunk {
  std::int32_t Base, BaseCount, Side, SideCount;
};

// Where lines are only inserted or only deleted amid repeated lines, several places are equally
// short; like git's compaction, the block is moved down as far as it goes without touching the
// next change, so that both comparisons from the base place such blocks alike (an added function
// is "header ... end function, blank line", not "blank line, header ... end function").
void SlideDown(std::vector<THunk>& hunks, std::span<const std::uint32_t> base, std::span<const std::uint32_t> side) {
  const auto nb = static_cast<std::int32_t>(base.size());
  for (std::size_t k = 0; k < hunks.size(); ++k) {
    THunk& h = hunks[k];
    const std::int32_t nextBase = k + 1 < hunks.size() ? hunks[k + 1].Base : nb + 1;
    if (h.BaseCount == 0 && h.SideCount > 0) {
      while (h.Base + 1 < nextBase && h.Base < nb && side[static_cast<std::size_t>(h.Side)] == side[static_cast<std::size_t>(h.Side + h.SideCount)]) {
        ++h.Base;
        ++h.Side;
      }
    } else if (h.SideCount == 0 && h.BaseCount > 0) {
      while (h.Base + h.BaseCount + 1 < nextBase && h.Base + h.BaseCount < nb &&
             base[static_cast<std::size_t>(h.Base)] == base[static_cast<std::size_t>(h.Base + h.BaseCount)]) {
        ++h.Base;
        ++h.Side;
      }
    }
  }
}

std::vector<THunk> Hunks(TDiff& engine, std::span<const std::uint32_t> base, std::span<const std::uint32_t> side) {
  if (base.size() > static_cast<std::size_t>(TDiff::MaxLength) || side.size() > static_cast<std::size_t>(TDiff::MaxLength))
    throw std::length_error("The texts are too long to merge.");
  const auto n1 = static_cast<std::int32_t>(base.size()), n2 = static_cast<std::int32_t>(side.size());
  // An empty sequence has no lines for the engine to look at (nor an address).
  if (n1 == 0 || n2 == 0) return n1 + n2 == 0 ? std::vector<THunk>{} : std::vector<THunk>{{0, n1, 0, n2}};
  if (!engine.Execute(base.data(), side.data(), n1, n2)) throw std::length_error("The texts are too long to merge.");
  std::vector<THunk> hunks;
  // The records of one stretch between equal lines follow each other; they make one hunk.
  std::int32_t delta = 0;  // side line minus base line outside the changes met so far
  for (const ChangeRecord& r : engine.Changes()) {
    const std::int32_t baseCount = r.Kind == KindAdded ? 0 : r.Count;
    const std::int32_t sideCount = r.Kind == KindDeleted ? 0 : r.Count;
    const std::int32_t sideStart = r.Pos1 + delta;
    if (!hunks.empty() && hunks.back().Base + hunks.back().BaseCount == r.Pos1 &&
        hunks.back().Side + hunks.back().SideCount == sideStart) {
      hunks.back().BaseCount += baseCount;
      hunks.back().SideCount += sideCount;
    } else {
      hunks.push_back({r.Pos1, baseCount, sideStart, sideCount});
    }
    delta += sideCount - baseCount;
  }
  engine.Clear();
  SlideDown(hunks, base, side);
  return hunks;
}

// A change of the merge in the three texts' lines, as xmerge keeps it.
struct TRecord {
  TRegionKind Kind;
  std::int32_t B, BC, O, OC, T, TC;
};

class TRecords {
 public:
  // Adds a change; one that overlaps or touches the last one in ours or theirs joins it, and two
  // changes of different kinds joined are a conflict. A change both sides made alike is never
  // joined (xmerge leaves it out of its list altogether).
  void Add(TRecord r) {
    if (!list_.empty() && r.Kind != TRegionKind::Both && list_.back().Kind != TRegionKind::Both) {
      TRecord& m = list_.back();
      if (r.O <= m.O + m.OC || r.T <= m.T + m.TC) {
        if (r.Kind != m.Kind) m.Kind = TRegionKind::Conflict;
        m.BC = r.B + r.BC - m.B;
        m.OC = r.O + r.OC - m.O;
        m.TC = r.T + r.TC - m.T;
        return;
      }
    }
    list_.push_back(r);
  }
  std::vector<TRecord>& List() { return list_; }

 private:
  std::vector<TRecord> list_;
};

bool SameLines(std::span<const std::uint32_t> a, std::int32_t i, std::span<const std::uint32_t> b, std::int32_t j,
               std::int32_t count) {
  return std::equal(a.begin() + i, a.begin() + i + count, b.begin() + j);
}

std::vector<TRecord> Combine(const std::vector<THunk>& ours, const std::vector<THunk>& theirs, const TLineValues& v) {
  TRecords records;
  const auto nb = static_cast<std::int32_t>(v.Base.size());
  const auto no = static_cast<std::int32_t>(v.Ours.size()), nt = static_cast<std::int32_t>(v.Theirs.size());
  std::size_t ia = 0, ib = 0;
  while (ia < ours.size() && ib < theirs.size()) {
    const THunk& a = ours[ia];
    const THunk& b = theirs[ib];
    if (a.Base + a.BaseCount < b.Base) {
      records.Add({TRegionKind::Ours, a.Base, a.BaseCount, a.Side, a.SideCount, b.Side - b.Base + a.Base, a.BaseCount});
      ++ia;
      continue;
    }
    if (b.Base + b.BaseCount < a.Base) {
      records.Add({TRegionKind::Theirs, b.Base, b.BaseCount, a.Side - a.Base + b.Base, b.BaseCount, b.Side, b.SideCount});
      ++ib;
      continue;
    }
    if (a.Base == b.Base && a.BaseCount == b.BaseCount && a.SideCount == b.SideCount &&
        SameLines(v.Ours, a.Side, v.Theirs, b.Side, a.SideCount)) {
      records.Add({TRegionKind::Both, a.Base, a.BaseCount, a.Side, a.SideCount, b.Side, b.SideCount});
    } else {
      // The smallest base stretch holding both changes, and each side's lines over it.
      const std::int32_t start = std::min(a.Base, b.Base);
      const std::int32_t end = std::max(a.Base + a.BaseCount, b.Base + b.BaseCount);
      const std::int32_t o = a.Side - (a.Base - start), t = b.Side - (b.Base - start);
      const std::int32_t oc = a.Side + a.SideCount + (end - a.Base - a.BaseCount) - o;
      const std::int32_t tc = b.Side + b.SideCount + (end - b.Base - b.BaseCount) - t;
      records.Add({TRegionKind::Conflict, start, end - start, o, oc, t, tc});
    }
    const std::int32_t endA = a.Base + a.BaseCount, endB = b.Base + b.BaseCount;
    if (endA >= endB) ++ib;
    if (endB >= endA) ++ia;
  }
  for (; ia < ours.size(); ++ia) {
    const THunk& a = ours[ia];
    records.Add({TRegionKind::Ours, a.Base, a.BaseCount, a.Side, a.SideCount, a.Base + nt - nb, a.BaseCount});
  }
  for (; ib < theirs.size(); ++ib) {
    const THunk& b = theirs[ib];
    records.Add({TRegionKind::Theirs, b.Base, b.BaseCount, b.Base + no - nb, b.BaseCount, b.Side, b.SideCount});
  }
  return std::move(records.List());
}

// Adds `r` to `out`, with the unchanged stretch before it.
void Push(std::vector<TRegion>& out, const TRegion& r) {
  TRegion gap{TRegionKind::Unchanged, 0, 0, 0, 0, 0, 0};
  if (!out.empty()) {
    const TRegion& l = out.back();
    gap.Base = l.Base + l.BaseCount;
    gap.Ours = l.Ours + l.OursCount;
    gap.Theirs = l.Theirs + l.TheirsCount;
  }
  gap.BaseCount = r.Base - gap.Base;
  gap.OursCount = r.Ours - gap.Ours;
  gap.TheirsCount = r.Theirs - gap.Theirs;
  if (gap.BaseCount < 0 || gap.OursCount != gap.BaseCount || gap.TheirsCount != gap.BaseCount)
    throw std::logic_error("merge: regions out of step");
  if (gap.BaseCount > 0) out.push_back(gap);
  if (r.BaseCount || r.OursCount || r.TheirsCount) out.push_back(r);
}

// zdiff3: the lines both sides of a conflict begin and end with go out of it, before and after.
void ShrinkEnds(const TRegion& c, const TLineValues& v, std::vector<TRegion>& out) {
  std::int32_t head = 0, tail = 0;
  const std::int32_t most = std::min(c.OursCount, c.TheirsCount);
  while (head < most && v.Ours[c.Ours + head] == v.Theirs[c.Theirs + head]) ++head;
  while (tail < most - head &&
         v.Ours[c.Ours + c.OursCount - 1 - tail] == v.Theirs[c.Theirs + c.TheirsCount - 1 - tail])
    ++tail;
  if (head == c.OursCount && head == c.TheirsCount) {
    TRegion both = c;
    both.Kind = TRegionKind::Both;
    Push(out, both);
    return;
  }
  if (head) Push(out, {TRegionKind::Both, c.Base, 0, c.Ours, head, c.Theirs, head});
  Push(out, {TRegionKind::Conflict, c.Base, c.BaseCount, c.Ours + head, c.OursCount - head - tail, c.Theirs + head,
             c.TheirsCount - head - tail});
  if (tail)
    Push(out, {TRegionKind::Both, c.Base + c.BaseCount, 0, c.Ours + c.OursCount - tail, tail,
               c.Theirs + c.TheirsCount - tail, tail});
}

// The plain style: the two sides' lines of a conflict are compared, and only their differences
// stay in conflict; the lines they share become clean regions between them.
void Refine(const TRegion& c, const TLineValues& v, TDiff& engine, std::vector<TRegion>& out) {
  if (c.OursCount == 0 || c.TheirsCount == 0) {
    Push(out, c);
    return;
  }
  const std::vector<THunk> hunks =
      Hunks(engine, v.Ours.subspan(static_cast<std::size_t>(c.Ours), static_cast<std::size_t>(c.OursCount)),
            v.Theirs.subspan(static_cast<std::size_t>(c.Theirs), static_cast<std::size_t>(c.TheirsCount)));
  if (hunks.empty()) {
    TRegion both = c;
    both.Kind = TRegionKind::Both;
    Push(out, both);
    return;
  }
  // The base stretch goes with the first piece; the pieces after it take no base lines.
  std::int32_t o = c.Ours, t = c.Theirs, baseLeft = c.BaseCount;
  for (const THunk& h : hunks) {
    const std::int32_t ho = c.Ours + h.Base, ht = c.Theirs + h.Side;
    if (ho > o) Push(out, {TRegionKind::Both, c.Base + c.BaseCount - baseLeft, 0, o, ho - o, t, ht - t});
    Push(out, {TRegionKind::Conflict, c.Base + c.BaseCount - baseLeft, baseLeft, ho, h.BaseCount, ht, h.SideCount});
    baseLeft = 0;
    o = ho + h.BaseCount;
    t = ht + h.SideCount;
  }
  if (o < c.Ours + c.OursCount)
    Push(out, {TRegionKind::Both, c.Base + c.BaseCount, 0, o, c.Ours + c.OursCount - o, t, c.Theirs + c.TheirsCount - t});
}

// Conflicts with at most three lines between them, or only lines without a letter or digit, are
// one conflict: the result is shorter or no longer, and easier to read.
std::vector<TRegion> JoinNearConflicts(std::vector<TRegion> regions, const THasAlnum& hasAlnum) {
  std::vector<TRegion> out;
  out.reserve(regions.size());
  std::size_t i = 0;
  while (i < regions.size()) {
    TRegion r = regions[i++];
    if (r.Kind != TRegionKind::Conflict) {
      out.push_back(r);
      continue;
    }
    for (;;) {
      // The clean regions up to the next conflict, all of them lines both sides keep.
      std::size_t j = i;
      std::int32_t gap = 0;
      while (j < regions.size() &&
             (regions[j].Kind == TRegionKind::Unchanged || regions[j].Kind == TRegionKind::Both)) {
        gap += regions[j].OursCount;
        ++j;
      }
      if (j >= regions.size() || regions[j].Kind != TRegionKind::Conflict) break;
      bool join = gap <= 3;
      if (!join && hasAlnum) {
        join = true;
        for (std::int32_t line = r.Ours + r.OursCount; join && line < regions[j].Ours; ++line) join = !hasAlnum(line);
      }
      if (!join) break;
      const TRegion& next = regions[j];
      r.BaseCount = next.Base + next.BaseCount - r.Base;
      r.OursCount = next.Ours + next.OursCount - r.Ours;
      r.TheirsCount = next.Theirs + next.TheirsCount - r.Theirs;
      i = j + 1;
    }
    out.push_back(r);
  }
  return out;
}

}  // namespace

bool HoldsAlnum(std::string_view line) {
  return std::any_of(line.begin(), line.end(), [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  });
}

std::vector<TRegion> MergeRegions(const TLineValues& values, TStyle style, const THasAlnum& hasAlnum) {
  TDiff engine;
  // The two comparisons from the base are apart: a long text has the second on a thread of its own.
  std::vector<THunk> theirs;
  std::exception_ptr failed;
  std::thread second;
  const bool apart = values.Base.size() + values.Theirs.size() >= 200000 && std::thread::hardware_concurrency() > 1;
  auto compareTheirs = [&] {
    try {
      TDiff own;
      theirs = Hunks(own, values.Base, values.Theirs);
    } catch (...) {
      failed = std::current_exception();
    }
  };
  if (apart) second = std::thread(compareTheirs);
  std::vector<THunk> ours;
  try {
    ours = Hunks(engine, values.Base, values.Ours);
  } catch (...) {
    if (second.joinable()) second.join();
    throw;
  }
  if (second.joinable()) second.join();
  else compareTheirs();
  if (failed) std::rethrow_exception(failed);
  const std::vector<TRecord> records = Combine(ours, theirs, values);
  std::vector<TRegion> regions;
  regions.reserve(2 * records.size() + 1);
  for (const TRecord& rec : records) {
    TRegion r{rec.Kind, rec.B, rec.BC, rec.O, rec.OC, rec.T, rec.TC};
    if (r.Kind != TRegionKind::Conflict) {
      Push(regions, r);
    } else if (r.OursCount == r.TheirsCount && SameLines(values.Ours, r.Ours, values.Theirs, r.Theirs, r.OursCount)) {
      r.Kind = TRegionKind::Both;  // joined from different changes that end alike
      Push(regions, r);
    } else if (style == TStyle::ZDiff3) {
      ShrinkEnds(r, values, regions);
    } else if (style == TStyle::Merge) {
      Refine(r, values, engine, regions);
    } else {
      Push(regions, r);
    }
  }
  const auto nb = static_cast<std::int32_t>(values.Base.size());
  Push(regions, {TRegionKind::Unchanged, nb, 0, static_cast<std::int32_t>(values.Ours.size()), 0,
                 static_cast<std::int32_t>(values.Theirs.size()), 0});
  if (style == TStyle::Merge) regions = JoinNearConflicts(std::move(regions), hasAlnum);
  return regions;
}

int WriteMerge(const std::vector<TRegion>& regions, const TMergeOptions& options, const TMergeSink& sink) {
  auto lines = [&](TSource source, std::int32_t from, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i) sink.Line(source, from + i);
  };
  int conflicts = 0;
  for (const TRegion& r : regions) {
    switch (r.Kind) {
      case TRegionKind::Unchanged:
      case TRegionKind::Ours:
      case TRegionKind::Both: lines(TSource::Ours, r.Ours, r.OursCount); break;
      case TRegionKind::Theirs: lines(TSource::Theirs, r.Theirs, r.TheirsCount); break;
      case TRegionKind::Conflict:
        if (options.Favor != TFavor::None) {
          if (options.Favor != TFavor::Theirs) lines(TSource::Ours, r.Ours, r.OursCount);
          if (options.Favor != TFavor::Ours) lines(TSource::Theirs, r.Theirs, r.TheirsCount);
          break;
        }
        ++conflicts;
        sink.Marker('<', options.OursLabel);
        lines(TSource::Ours, r.Ours, r.OursCount);
        if (options.Style != TStyle::Merge) {
          sink.Marker('|', options.BaseLabel);
          lines(TSource::Base, r.Base, r.BaseCount);
        }
        sink.Marker('=', {});
        lines(TSource::Theirs, r.Theirs, r.TheirsCount);
        sink.Marker('>', options.TheirsLabel);
        break;
    }
  }
  return conflicts;
}

}  // namespace merge
