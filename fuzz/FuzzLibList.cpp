// Any bytes as a target and as a workspace. Paths named inside are resolved below a fixed empty
// folder, so relative names find nothing; absolute ones are only ever opened for reading.
#include <cstdint>

#include "FuzzInput.h"
#include "sides/Collect.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TFuzzFile file(data, size);
  if (!file.Ok()) return 0;
  for (int type : {sides::ftTarget, sides::ftWorkspace}) {
    sides::TSideReport report;
    try {
      TLibSelection sel = CollectLibFiles({file.Path()}, type, report);
      for (const auto& item : sel)
        if (!item.Rec) __builtin_trap();
    } catch (const platform::TFileError&) {
      // A workspace naming a target that cannot be read ends the collection.
    }
  }
  return 0;
}
