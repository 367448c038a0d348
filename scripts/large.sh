#!/usr/bin/env bash
# Generates the large inputs (a 100 MB library of 50,000 entries, its changed copy in both
# variants, two 1,000,000-line texts) and runs quorvex-cli on them, printing wall time and peak
# resident memory of each command as rows of bench/RESULTS.md's tables, then the library
# views' steps on the same libraries.
# Usage: scripts/large.sh [DIR]   (inputs go to DIR, default build/large; about 550 MB)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
dir=$(realpath -m "${1:-$build/large}")
bash scripts/setup.sh
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j "${JOBS:-2}" --target quorvex-cli quorvex_make_large test_large_views
cli=$PWD/$build/cli/quorvex-cli
views=$PWD/$build/tests/robust/test_large_views

[ -f "$dir/text2.txt" ] || "$build/bench/quorvex_make_large" "$dir"
cd "$dir"
rm -rf export
run() {
  local what=$1 expect=$2
  shift 2
  local status=0
  /usr/bin/time -f "%e %M" -o time.txt "$cli" "$@" >out.txt 2>err.txt || status=$?
  if [ "$status" != "$expect" ]; then
    echo "large: quorvex-cli $* exited with $status (expected $expect):" >&2
    cat err.txt >&2
    exit 1
  fi
  read -r secs kb < <(tail -n 1 time.txt)
  printf '| %s | %s s | %d MB |\n' "$what" "$secs" $(((kb + 1023) / 1024))
}
echo "| quorvex-cli on large inputs | time | peak memory |"
echo "|---|---|---|"
run "\`list\`, 50,000 entries (100 MB, 8-bit)" 0 list one/big.pbl
run "\`list\`, 50,000 entries (175 MB, 16-bit)" 0 list u16/big.pbl
run "\`export\` of every entry to stdout, 8-bit" 0 export one/big.pbl
run "\`export\` of every entry to stdout, 16-bit" 0 export u16/big.pbl
run "\`export --out\`, 50,000 files" 0 export --out export one/big.pbl
run "\`compare\`, 500 entries changed" 1 compare one/big.pbl two/big.pbl
run "\`compare\` 8-bit with 16-bit (every pair read and compared)" 1 compare one/big.pbl u16/big.pbl
run "\`compare-libs --objects\` of two targets" 1 compare-libs --objects one.pbt two.pbt
run "\`diff\`, 1,000,000 lines each (33 MB), 1,000 edits" 1 diff text1.txt text2.txt
run "\`diff --ignore-case --ignore-blanks\`, the same" 1 diff --ignore-case --ignore-blanks text1.txt text2.txt
run "\`diff\` of a 1,000,000-line text with itself" 0 diff text1.txt text1.txt
rm -rf export out.txt err.txt time.txt
echo
echo "| the desktop views (offscreen) | time | peak memory |"
echo "|---|---|---|"
# One process per view, so that each peak is its own.
for test in largeTextsInTheSourceView largeLibrariesInTheViews; do
  QUORVEX_LARGE=$dir QT_QPA_PLATFORM=offscreen "$views" "$test" 2>&1 | sed -n 's/^QINFO  : [^|]*\(|.*|\)$/\1/p'
done
