#!/usr/bin/env bash
# Start-up of quorvex-cli beside GNU diff: what every textconv, difftool and merge-driver call
# pays. Times `quorvex-cli --version`, `quorvex-cli diff` of two 3-line files, and GNU `diff` of
# the same files; each as a batch of runs in a row, the batches of the three interleaved, and
# prints the median time per run of each with its ratio to GNU diff's.
#
# Usage: bench/startup.sh [--rounds N] [--batch N] [--cli PROGRAM] [--out FILE]
#   --rounds   interleaved rounds (default 9)
#   --batch    runs in a row per round (default 100)
#   --cli      the quorvex-cli to time (default $BUILD/cli/quorvex-cli, BUILD=build)
#   --out      also write the table as Markdown to FILE
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
cli=$build/cli/quorvex-cli
rounds=9
batch=100
out=
while [ $# -gt 0 ]; do
  case $1 in
    --rounds) rounds=$2; shift ;;
    --batch) batch=$2; shift ;;
    --cli) cli=$2; shift ;;
    --out) out=$2; shift ;;
    *) echo "usage: $0 [--rounds N] [--batch N] [--cli PROGRAM] [--out FILE]" >&2; exit 2 ;;
  esac
  shift
done
[ -x "$cli" ] || { echo "missing $cli: build first (cmake --build build)" >&2; exit 1; }
command -v diff >/dev/null || { echo "GNU diff is missing" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'forward\n  integer li_count\nend forward\n' >"$work/a.sru"
printf 'forward\n  long li_count\nend forward\n' >"$work/b.sru"

names=("quorvex-cli --version" "quorvex-cli diff" "GNU diff")
run() {  # index -> runs the command once, output dropped
  case $1 in
    0) "$cli" --version ;;
    1) "$cli" diff "$work/a.sru" "$work/b.sru" ;;
    2) diff "$work/a.sru" "$work/b.sru" ;;
  esac >/dev/null 2>&1 || true
}
# Each command must work before it is timed.
"$cli" --version >/dev/null
"$cli" diff "$work/a.sru" "$work/b.sru" >/dev/null || [ $? -eq 1 ]

declare -a times0 times1 times2
for ((r = 0; r < rounds; r++)); do
  for i in 0 1 2; do
    start=$(date +%s%N)
    for ((k = 0; k < batch; k++)); do run $i; done
    end=$(date +%s%N)
    eval "times$i+=($(( (end - start) / batch / 1000 )))"
  done
done

median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
m0=$(median "${times0[@]}")
m1=$(median "${times1[@]}")
m2=$(median "${times2[@]}")
ms() { awk -v us="$1" 'BEGIN { printf "%.2f ms", us / 1000 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

table=$(
  echo "| command | median per run | ratio to GNU diff |"
  echo "|---|---|---|"
  echo "| ${names[0]} | $(ms "$m0") | $(ratio "$m0" "$m2") |"
  echo "| ${names[1]} (two 3-line files) | $(ms "$m1") | $(ratio "$m1" "$m2") |"
  echo "| ${names[2]} (the same files) | $(ms "$m2") | 1.00 |"
)
echo "$table"
echo "($rounds rounds of $batch runs each, interleaved; the time of starting a process from the shell included for all three)"
if [ -n "$out" ]; then
  {
    echo
    echo "## Start-up beside GNU diff"
    echo
    echo "Made with \`bench/startup.sh\` ($(date -u +%Y-%m-%d), $(nproc) cores, other work running beside it):"
    echo "$rounds rounds of $batch runs of each command in a row, interleaved; median time per run,"
    echo "the time the shell takes to start a process included for all three."
    echo
    echo "$table"
  } >>"$out"
fi
