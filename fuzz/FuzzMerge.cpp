// Any bytes as three texts to merge (base, ours and theirs, apart at the first two form feeds):
// the merge never fails but by its errors, in every style and by section; a text merged with
// itself is that text, and with one side the base is clean; the sides swapped leave as many
// conflicts (the plain style: a clean merge either way or neither).
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "merge/MergeFiles.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

struct TRun {
  bool Ok = false;
  merge::TFileMerge Result;
};

TRun Run(const std::string& ours, const std::string& base, const std::string& theirs, merge::TStyle style,
         bool bySection) {
  merge::TMergeOptions options;
  options.Style = style;
  options.OursLabel = "ours";
  options.TheirsLabel = "theirs";
  TRun run;
  try {
    run.Result = merge::MergeFiles({"o.sru", ours}, {"b.sru", base}, {"t.sru", theirs}, options, bySection);
    run.Ok = true;
  } catch (const merge::TMergeError&) {
  } catch (const std::length_error&) {
  }
  return run;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t first = input.find('\f');
  const std::size_t second = first == std::string_view::npos ? first : input.find('\f', first + 1);
  const std::string base(input.substr(0, first));
  const std::string ours(first == std::string_view::npos ? std::string_view() : input.substr(first + 1, second - first - 1));
  const std::string theirs(second == std::string_view::npos ? std::string_view() : input.substr(second + 1));
  // Texts read as bytes (no UTF-16 mark) come back as they are.
  const bool wide = base.rfind("\xFF\xFE", 0) == 0 || base.rfind("\xFE\xFF", 0) == 0;
  for (merge::TStyle style : {merge::TStyle::Merge, merge::TStyle::Diff3, merge::TStyle::ZDiff3}) {
    const TRun self = Run(base, base, base, style, false);
    if (self.Ok && !wide) Check(self.Result.Bytes == base && self.Result.Conflicts == 0);
    const TRun one = Run(ours, base, base, style, false);
    const bool oursWide = ours.rfind("\xFF\xFE", 0) == 0 || ours.rfind("\xFE\xFF", 0) == 0;
    if (one.Ok && !oursWide && !wide) Check(one.Result.Conflicts == 0);
    const TRun forward = Run(ours, base, theirs, style, false), back = Run(theirs, base, ours, style, false);
    // The plain style splits a conflict by comparing its two halves, which may cut them apart
    // differently the other way round; whether the merge is clean never differs.
    if (forward.Ok && back.Ok)
      Check(style == merge::TStyle::Merge ? (forward.Result.Conflicts > 0) == (back.Result.Conflicts > 0)
                                          : forward.Result.Conflicts == back.Result.Conflicts);
  }
  Run(ours, base, theirs, merge::TStyle::Merge, true);
  Run(ours, base, theirs, merge::TStyle::Diff3, true);
  return 0;
}
