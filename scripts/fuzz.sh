#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for SECONDS (default 60). Fails on any crash, sanitizer report, leak, or an input
# that takes more than 2 seconds. Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
build=build-fuzz

if ! dpkg-query -W -f='${Status}' clang libclang-rt-14-dev 2>/dev/null | grep -q "install ok installed"; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends clang libclang-rt-14-dev
fi

CXX=clang++ cmake -S . -B $build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEX_FUZZ=ON -DQUORVEX_SANITIZE=ON >/dev/null
targets=("$@")
if ((${#targets[@]} == 0)); then
  targets=($(sed -n 's/^foreach(name \(.*\))$/\1/p' fuzz/CMakeLists.txt))
fi
cmake --build $build -j 2 --target fuzz_seeds $(printf 'fuzz_%s ' "${targets[@]}")

seeds=$build/fuzz-seeds
rm -rf "$seeds"
$build/fuzz/fuzz_seeds "$seeds"
data=../shared/testdata
if [ -d "$data" ]; then
  cp "$data"/*.pbl "$seeds/Library/" 2>/dev/null || true
  cp "$data"/*.pbt "$data"/*.pbw "$seeds/LibList/" 2>/dev/null || true
  cp "$data"/*.pbt "$data"/*.pbw "$data"/README.md "$seeds/Text/" 2>/dev/null || true
  # Exported objects of two releases: HEXASCII and UTF-8 with a byte-order mark.
  for f in "$data"/pfc/PB2017/Source/pfewnsrv/*.sr? "$data"/pfc/PB2021/Source/ws_objects/pfewnsrv/*/*.sr?; do
    [ -f "$f" ] && cp "$f" "$seeds/Text/$(basename "$(dirname "$f")")-$(basename "$f")"
  done
  mkdir -p "$seeds/PbParse"
  # Small exports only: a large seed costs every run of the target its time (the parser then runs
  # at a few dozen inputs a second instead of hundreds).
  find "$data/pfc" "$data/dwmigrate" -name '*.sr?' -size -4k -exec cp {} "$seeds/PbParse/" \; 2>/dev/null || true
fi
# The merge cases of the tests, each as base, ours and theirs apart at form feeds.
mkdir -p "$seeds/Merge"
for c in tests/merge/cases/*/; do
  { cat "$c"/base.*; printf '\f'; cat "$c"/ours.*; printf '\f'; cat "$c"/theirs.*; } >"$seeds/Merge/$(basename "$c")"
done
# Inputs found by earlier runs and kept with the project.
for t in "${targets[@]}"; do
  [ -d "fuzz/corpus/$t" ] && cp fuzz/corpus/$t/* "$seeds/$t/" 2>/dev/null || true
done

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The settings target links the toolkit's core library, whose process-long allocations are not ours.
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
status=0
for t in "${targets[@]}"; do
  echo "== fuzz_$t for ${seconds}s"
  work=$build/fuzz-work/$t
  mkdir -p "$work"
  if ! (cd "$work" && "$OLDPWD/$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=2 -rss_limit_mb=2048 \
          -max_len=262144 -print_final_stats=1 "$OLDPWD/$seeds/$t" 2>&1 | tail -n 25); then
    status=1
  fi
  if ls "$work"/crash-* "$work"/timeout-* "$work"/leak-* "$work"/oom-* >/dev/null 2>&1; then
    echo "fuzz_$t found failing inputs in $work" >&2
    status=1
  fi
done
exit $status
