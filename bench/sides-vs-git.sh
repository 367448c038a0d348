#!/usr/bin/env bash
# quorvex-cli compare-libs --objects on two releases of a class library, as two folders and as two
# commits of one repository, beside git diff --no-index --stat and git diff --stat on the same
# trees; and the start-up of quorvex-cli diff beside GNU diff on two 3-line files. The releases
# are made here by copying the exports of ../shared/testdata/pfc:
#   edited    release 1 is the PB2021 ws_objects libraries copied N times under new library names
#             (6 times, 840 objects, is the size of a real class library: 1x); release 2 is a copy
#             of it with every 25th object edited, one object per library removed and one added
#   releases  the PB2017 Source libraries copied N times against the PB2021 ws_objects libraries
#             copied N times: nearly every file differs in its bytes (byte-order mark, line ends)
# Every tool runs in turn (interleaved) RUNS times; a run under 0.3 s is timed as ten in a row.
# Printed: the median time of each, and quorvex-cli's time over git's.
#
# Usage: bench/sides-vs-git.sh [--runs N] [--scales "1 10"] [--out FILE]
# Needs build/cli/quorvex-cli (BUILD overrides build/), git, GNU diff and ../shared/testdata
# (TESTDATA overrides it).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
testdata=${TESTDATA:-$root/../shared/testdata}
runs=5
scales="1 10"
out=
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=$2; shift ;;
    --scales) scales=$2; shift ;;
    --out) out=$2; shift ;;
    *) echo "usage: $0 [--runs N] [--scales \"1 10\"] [--out FILE]" >&2; exit 2 ;;
  esac
  shift
done
cli=$build/cli/quorvex-cli
[ -x "$cli" ] || { echo "missing $cli: build first" >&2; exit 1; }
seed=$testdata/pfc
[ -d "$seed/PB2021/Source/ws_objects" ] || { echo "missing $seed" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

# copies FROM TO N: the library folders of FROM (X/X.pbl.src, or X holding exports) copied N times
# into TO as Xk/Xk.pbl.src, without object lists.
copies() {
  local from=$1 to=$2 n=$3 k lib name src
  mkdir -p "$to"
  for k in $(seq 1 "$n"); do
    for lib in "$from"/*/; do
      name=$(basename "$lib")
      src=$lib
      [ -d "$lib/$name.pbl.src" ] && src=$lib/$name.pbl.src
      mkdir -p "$to/$name$k"
      cp -r "$src" "$to/$name$k/$name$k.pbl.src"
      # An object list (.pbg) would name every copy after the library copied.
      find "$to/$name$k" -iname '*.pbg' -delete
    done
  done
}

# edit DIR: every 25th object gets a line more, the first object of each library goes, one comes.
edit() {
  local i=0 f lib
  while IFS= read -r f; do
    i=$((i + 1))
    [ $((i % 25)) -eq 0 ] && printf '// edited in release 2\n' >>"$f"
  done < <(find "$1" -type f -name '*.sr?' | sort)
  for lib in "$1"/*/*.pbl.src; do
    rm -f "$(find "$lib" -type f | sort | head -1)"
    printf '\xef\xbb\xbf$PBExportHeader$f_added.srf\nglobal type f_added from function_object\nend type\n' >"$lib/f_added.srf"
  done
}

# median of numbers on stdin
median() { sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

# seconds one run of a command line takes (ten in a row when one is under 0.3 s), given how many
# to run in a row
time_of() {
  local reps=$1 start end i
  shift
  start=$(date +%s%N)
  for ((i = 0; i < reps; i++)); do "$@" >/dev/null 2>&1 || true; done
  end=$(date +%s%N)
  awk -v ns=$((end - start)) -v r="$reps" 'BEGIN { printf "%.4f\n", ns / 1e9 / r }'
}

reps_of() {
  local t
  t=$(time_of 1 "$@")
  awk -v t="$t" 'BEGIN { print (t < 0.3) ? 10 : 1 }'
}

rows=()
# measure NAME: times the commands in q_cmd and g_cmd (arrays), interleaved
measure() {
  local name=$1 qr gr i qs=() gs=() q g
  qr=$(reps_of "${q_cmd[@]}")
  gr=$(reps_of "${g_cmd[@]}")
  for ((i = 0; i < runs; i++)); do
    qs+=("$(time_of "$qr" "${q_cmd[@]}")")
    gs+=("$(time_of "$gr" "${g_cmd[@]}")")
  done
  q=$(printf '%s\n' "${qs[@]}" | median)
  g=$(printf '%s\n' "${gs[@]}" | median)
  rows+=("$(awk -v n="$name" -v q="$q" -v g="$g" 'BEGIN { printf "| %s | %.3f s | %.3f s | %.2f |", n, q, g, q / g }')")
  echo "${rows[-1]}" >&2
}

printf 'a\nb\nc\n' >"$work/one.txt"
printf 'a\nB\nc\n' >"$work/two.txt"
q_cmd=("$cli" diff "$work/one.txt" "$work/two.txt")
g_cmd=(diff "$work/one.txt" "$work/two.txt")
measure "start-up: diff of two 3-line files (GNU diff)"

for scale in $scales; do
  n=$((scale * 6))
  for kind in edited releases; do
    d=$work/$kind-$scale
    if [ "$kind" = edited ]; then
      copies "$seed/PB2021/Source/ws_objects" "$d/r1" "$n"
      cp -r "$d/r1" "$d/r2"
      edit "$d/r2"
    else
      copies "$seed/PB2017/Source" "$d/r1" "$n"
      copies "$seed/PB2021/Source/ws_objects" "$d/r2" "$n"
    fi
    objects=$(find "$d/r1" -name '*.sr?' | wc -l)
    # The same two trees as two commits of a repository.
    git init -q "$d/repo"
    cp -r "$d/r1" "$d/repo/ws_objects"
    git -C "$d/repo" add -A
    git -C "$d/repo" -c user.name=bench -c user.email=bench@example.com commit -qm r1
    rm -rf "$d/repo/ws_objects"
    cp -r "$d/r2" "$d/repo/ws_objects"
    git -C "$d/repo" add -A
    git -C "$d/repo" -c user.name=bench -c user.email=bench@example.com commit -qm r2
    git -C "$d/repo" gc -q

    q_cmd=("$cli" compare-libs --objects "$d/r1" "$d/r2")
    g_cmd=(git diff --no-index --stat "$d/r1" "$d/r2")
    measure "$kind ${scale}x ($objects objects): two folders (git diff --no-index --stat)"
    q_cmd=(env -C "$d/repo" "$cli" compare-libs --objects git:HEAD~1:ws_objects git:HEAD:ws_objects)
    g_cmd=(git -C "$d/repo" diff --stat HEAD~1 HEAD -- ws_objects)
    measure "$kind ${scale}x ($objects objects): two commits (git diff --stat)"
    rm -rf "$d"
  done
done

table="Median of $runs interleaved runs, $(date -u +%Y-%m-%d), $(nproc) cores; q/git: quorvex-cli's time over the other tool's.

| work | quorvex-cli | the other tool | q/git |
|---|---|---|---|
$(printf '%s\n' "${rows[@]}")"
echo "$table"
[ -z "$out" ] || echo "$table" >"$out"
