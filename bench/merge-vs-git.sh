#!/usr/bin/env bash
# quorvex-cli merge beside git merge-file on generated inputs (bench/MakeMergeInputs.cpp): a
# 10,000-line export (by line and by section) and texts of 200,000 and 1,000,000 lines with
# 0.1 % and 1 % of the lines edited on each side. For each: the median time, the peak memory and
# the conflicts left, and, for scale, the time of quorvex-cli diff of the base and one side.
#
# Usage: bench/merge-vs-git.sh [--quick] [--runs N] [--out FILE]
#   --quick   the 200,000-line texts only, one run each
#   --runs    runs per tool and input (default 3)
#   --out     also write the table as Markdown to FILE
# Needs a built tree (build/cli/quorvex-cli, build/bench/quorvex_make_merge_inputs) and
# ../shared/testdata; BUILD and TESTDATA override the two places.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
testdata=${TESTDATA:-$root/../shared/testdata}
quick=
runs=
out=
while [ $# -gt 0 ]; do
  case $1 in
    --quick) quick=--quick ;;
    --runs) runs=$2; shift ;;
    --out) out=$2; shift ;;
    *) echo "usage: $0 [--quick] [--runs N] [--out FILE]" >&2; exit 2 ;;
  esac
  shift
done
[ -n "$runs" ] || { [ -n "$quick" ] && runs=1 || runs=3; }

cli=$build/cli/quorvex-cli
gen=$build/bench/quorvex_make_merge_inputs
for f in "$cli" "$gen"; do
  [ -x "$f" ] || { echo "missing $f: build first (cmake --build build)" >&2; exit 1; }
done
[ -d "$testdata/pfc" ] || { echo "missing $testdata/pfc" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "generating inputs in $work ..." >&2
mapfile -t inputs < <("$gen" "$testdata" "$work/in" $quick)

command_of() {  # tool name -> the command line in cmd
  local i=$work/in/$2
  case $1 in
    quorvex) cmd=("$cli" merge -p -q "$i.ours" "$i.base" "$i.theirs") ;;
    section) cmd=("$cli" merge -p -q --by-section "$i.ours" "$i.base" "$i.theirs") ;;
    git) cmd=(git merge-file -p -q "$i.ours" "$i.base" "$i.theirs") ;;
    diff) cmd=("$cli" diff "$i.base" "$i.ours") ;;
  esac
}

# "seconds kilobytes conflicts" of one run (a run under 0.3 s timed as ten in a row).
run() {
  local tool=$1 name=$2 repeats=${3:-1} start end i status=0
  command_of "$tool" "$name"
  start=$(date +%s%N)
  for ((i = 0; i < repeats; i++)); do
    /usr/bin/time -f '%M' -o "$work/time" "${cmd[@]}" >"$work/output" 2>/dev/null || status=$?
  done
  end=$(date +%s%N)
  local conflicts=-
  [ "$tool" = diff ] || conflicts=$(grep -c '^<<<<<<<' "$work/output" || true)
  echo "$(awk -v ns=$((end - start)) -v n="$repeats" 'BEGIN { printf "%.4f", ns / n / 1e9 }') $(tail -n 1 "$work/time") $conflicts"
}

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)] }'; }

rows=()
printf '%-18s %9s | %-26s | %-26s | %-26s | %-14s\n' input lines "quorvex-cli merge" "merge --by-section" "git merge-file" "diff base ours"
for name in "${inputs[@]}"; do
  lines=$(wc -l <"$work/in/$name.base")
  tools=(quorvex git diff)
  [[ $name == export-* ]] && tools=(quorvex section git diff)
  declare -A times=() mem=() conf=()
  for ((r = 0; r < runs; r++)); do
    for tool in "${tools[@]}"; do
      result=$(run "$tool" "$name")
      if [[ $result =~ ^0\.[0-2] ]]; then result=$(run "$tool" "$name" 10); fi
      read -r s kb c <<<"$result"
      times[$tool]+="$s "
      mem[$tool]=$kb
      conf[$tool]=$c
    done
  done
  cell() {
    [ -n "${times[$1]:-}" ] || { echo "-"; return; }
    local m
    m=$(tr ' ' '\n' <<<"${times[$1]}" | grep . | median)
    if [ "$1" = diff ]; then printf '%.3f s, %d MB' "$m" $((mem[$1] / 1024)); return; fi
    printf '%.3f s, %d MB, %s conflicts' "$m" $((mem[$1] / 1024)) "${conf[$1]}"
  }
  a=$(cell quorvex) b=$(cell section) g=$(cell git) d=$(cell diff)
  printf '%-18s %9s | %-26s | %-26s | %-26s | %-14s\n' "$name" "$lines" "$a" "$b" "$g" "$d"
  rows+=("| $name | $lines | $a | $b | $g | $d |")
  unset times mem conf
done

if [ -n "$out" ]; then
  {
    echo "Median of $runs run(s) each (a run under 0.3 s is timed as ten in a row); elapsed time of the"
    echo "whole program (start-up included), peak"
    echo "resident memory, and the conflicts left. Machine: $(nproc) cores, $(uname -m)."
    echo
    echo "| input | lines | quorvex-cli merge | merge --by-section | git merge-file | quorvex-cli diff base ours |"
    echo "|---|---|---|---|---|---|"
    printf '%s\n' "${rows[@]}"
  } >"$out"
fi
