#!/usr/bin/env bash
# quorvex-cli diff beside GNU diff --minimal and git diff --no-index --minimal on generated text
# pairs (bench/MakeDiffInputs.cpp): the runs of the three are interleaved, and for each the median
# time, the peak memory and the number of changed lines are printed, with the time ratios and
# the ratio of the memory each takes above its own start-up.
#
# Usage: bench/diff-vs-gnu.sh [--quick] [--runs N] [--timeout SECONDS] [--out FILE]
#   --quick     fewer and smaller pairs, one run each, 10 s time limit (a minute or two)
#   --runs      runs per tool and pair (default 3; 1 with --quick)
#   --timeout   a run that takes longer is stopped and shown as "> SECONDS" (default 45; the
#               full run then takes about 12 minutes)
#   --out       also write the table as Markdown to FILE
# Needs a built tree (build/cli/quorvex-cli, build/bench/quorvex_make_diff_inputs) and
# ../shared/testdata; BUILD and TESTDATA override the two places.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
testdata=${TESTDATA:-$root/../shared/testdata}
quick=
runs=
timeout=
out=
while [ $# -gt 0 ]; do
  case $1 in
    --quick) quick=--quick ;;
    --runs) runs=$2; shift ;;
    --timeout) timeout=$2; shift ;;
    --out) out=$2; shift ;;
    *) echo "usage: $0 [--quick] [--runs N] [--timeout SECONDS] [--out FILE]" >&2; exit 2 ;;
  esac
  shift
done
[ -n "$runs" ] || { [ -n "$quick" ] && runs=1 || runs=3; }
[ -n "$timeout" ] || { [ -n "$quick" ] && timeout=10 || timeout=45; }

cli=$build/cli/quorvex-cli
gen=$build/bench/quorvex_make_diff_inputs
for f in "$cli" "$gen"; do
  [ -x "$f" ] || { echo "missing $f: build first (cmake --build build)" >&2; exit 1; }
done
[ -d "$testdata/pfc" ] || { echo "missing $testdata/pfc" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "generating inputs in $work ..." >&2
mapfile -t pairs < <("$gen" "$testdata" "$work/in" $quick)

# The changed lines each tool prints: quorvex's report marks them "- " and "+ ", GNU diff "<" and
# ">", git diff "-" and "+" after the first hunk header.
count() {
  case $1 in
    quorvex) grep -c '^[-+] ' "$2" || true ;;
    gnu) grep -c '^[<>]' "$2" || true ;;
    git) awk '/^@@/ { hunk = 1; next } hunk && /^[-+]/ { n++ } END { print n + 0 }' "$2" ;;
  esac
}

command_of() {  # tool a b -> the command line in cmd
  case $1 in
    quorvex) cmd=("$cli" diff "$2" "$3") ;;
    gnu) cmd=(diff --minimal "$2" "$3") ;;
    git) cmd=(git diff --no-index --minimal --no-color --no-ext-diff "$2" "$3") ;;
  esac
}

run() {  # tool a b [repeats] -> "seconds kilobytes changed" or "timeout"/"failed"
  local tool=$1 a=$2 b=$3 repeats=${4:-1} cmd i start end
  command_of "$tool" "$a" "$b"
  local status=0
  start=$(date +%s%N)
  for ((i = 0; i < repeats; i++)); do
    /usr/bin/time -f '%e %M' -o "$work/time" timeout "$timeout" "${cmd[@]}" >"$work/output" 2>/dev/null || status=$?
    [ "$status" -le 1 ] || break
    status=0
  done
  end=$(date +%s%N)
  # All three exit with 0 (equal) or 1 (different); 124 is the timeout's.
  if [ "$status" = 124 ]; then
    echo timeout
    return
  fi
  if [ "$status" -gt 1 ] || grep -q 'Command terminated by signal' "$work/time"; then
    echo "failed"
    echo "$tool failed on $a (exit status $status)" >&2
    return
  fi
  local kb
  kb=$(tail -n 1 "$work/time" | cut -d' ' -f2)
  echo "$(awk -v ns=$((end - start)) -v n="$repeats" 'BEGIN { printf "%.4f", ns / n / 1e9 }') $kb $(count "$tool" "$work/output")"
}

# The peak memory of each tool doing nothing: the memory ratio counts what each takes above it.
base_kb() {
  /usr/bin/time -f '%M' -o "$work/time" "$@" >/dev/null 2>&1 || true
  tail -n 1 "$work/time"
}
declare -A base=([quorvex]=$(base_kb "$cli" --version) [gnu]=$(base_kb diff --version) [git]=$(base_kb git --version))

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)] }'; }

tools=(quorvex gnu git)
rows=()
printf '%-22s %9s | %-24s | %-24s | %-24s | %6s %6s %6s\n' pair lines "quorvex s/MB/changed" "GNU diff --minimal" "git diff --minimal" GNU/q git/q mem
for pair in "${pairs[@]}"; do
  a=$work/in/$pair.1
  b=$work/in/$pair.2
  lines="$(wc -l <"$a")/$(wc -l <"$b")"
  declare -A times=() mem=() changed=() dead=()
  for ((r = 0; r < runs; r++)); do
    for tool in "${tools[@]}"; do
      [ -z "${dead[$tool]:-}" ] || continue
      result=$(run "$tool" "$a" "$b")
      # A run of a fraction of a second is timed again as ten runs in a row.
      if [[ $result =~ ^0\.[0-2] ]]; then result=$(run "$tool" "$a" "$b" 10); fi
      if [ "$result" = timeout ] || [ "$result" = failed ]; then
        dead[$tool]=$result
        continue
      fi
      read -r s kb n <<<"$result"
      times[$tool]+="$s "
      mem[$tool]=$kb
      changed[$tool]=$n
    done
  done
  cells=()
  declare -A med=()
  for tool in "${tools[@]}"; do
    if [ "${dead[$tool]:-}" = failed ]; then
      med[$tool]=
      cells+=("failed")
    elif [ -n "${dead[$tool]:-}" ]; then
      med[$tool]=
      cells+=("> ${timeout} s")
    else
      med[$tool]=$(tr ' ' '\n' <<<"${times[$tool]}" | grep . | median)
      cells+=("$(printf '%.2f' "${med[$tool]}") s, $((mem[$tool] / 1024)) MB, ${changed[$tool]}")
    fi
  done
  ratio() {  # how many times the tool's time is quorvex's
    local q=${med[quorvex]} t=${med[$1]}
    if [ -z "$q" ]; then echo "-"; return; fi
    [ "$(awk -v q="$q" 'BEGIN { print (q < 0.01) }')" = 1 ] && q=0.01
    if [ -z "$t" ]; then awk -v q="$q" -v t="$timeout" 'BEGIN { printf "> %.0f", t / q }'; return; fi
    awk -v q="$q" -v t="$t" 'BEGIN { printf "%.1f", t / q }'
  }
  g=$(ratio gnu)
  t=$(ratio git)
  # quorvex's memory above its start-up over GNU's above its own.
  if [ -n "${med[quorvex]}" ] && [ -n "${med[gnu]}" ]; then
    m=$(awk -v q="${mem[quorvex]}" -v q0="${base[quorvex]}" -v g="${mem[gnu]}" -v g0="${base[gnu]}" \
      'BEGIN { d = g - g0; if (d < 1) d = 1; printf "%.2f", (q - q0) / d }')
  else
    m=-
  fi
  printf '%-22s %9s | %-24s | %-24s | %-24s | %6s %6s %6s\n' "$pair" "$lines" "${cells[0]}" "${cells[1]}" "${cells[2]}" "$g" "$t" "$m"
  rows+=("| $pair | $lines | ${cells[0]} | ${cells[1]} | ${cells[2]} | $g | $t | $m |")
  unset times mem changed dead med
done

if [ -n "$out" ]; then
  {
    echo "Median of $runs run(s) each, interleaved (a run under 0.3 s is timed as ten in a row); time in seconds"
    echo "(elapsed), peak resident memory, changed lines (a modified line counts on both sides). GNU/q and git/q:"
    echo "how many times longer the other tool took than quorvex-cli (a time under 0.01 s counts as 0.01 s)."
    echo "mem: quorvex-cli's peak memory above its start-up (${base[quorvex]} KB, the peak of --version) over GNU"
    echo "diff's above its own (${base[gnu]} KB). Machine: $(nproc) cores, $(uname -m)."
    echo
    echo "| pair | lines | quorvex-cli diff | GNU diff --minimal | git diff --no-index --minimal | GNU/q | git/q | mem |"
    echo "|---|---|---|---|---|---|---|---|"
    printf '%s\n' "${rows[@]}"
  } >"$out"
fi
