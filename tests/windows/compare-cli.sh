#!/usr/bin/env bash
# The Windows quorvex-cli.exe (under Wine) beside the Linux quorvex-cli over ../shared/testdata:
# every command's standard output, standard error, exit status and written files must be the same
# bytes, paths aside (the Windows program writes them with "\"; they are turned to "/" before the
# comparison, and nothing else is changed).
#
# Usage: tests/windows/compare-cli.sh LINUX_CLI WINDOWS_CLI_EXE
# Skips (exit 0, with a message) when ../shared/testdata is absent.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
linux=$1
windows=$2
cd "$root"
td=../shared/testdata
if [ ! -d "$td/pfc" ]; then
  echo "compare-cli: SKIPPED: $td is absent" >&2
  exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WINEDEBUG=-all
# One locale for both programs: the Linux one reads it from the environment, Wine from the same.
locale=(env LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8)

commands=(
  "list $td/pfcmsg-pb9-8bit.pbl $td/pfcmsg-pb10-16bit.pbl $td/pbexamfn-pb10-16bit.pbl"
  "list --json $td/pfcmsg-pb10-16bit.pbl $td/pbexamfn-pb10-16bit.pbl"
  "libs $td/PFC.pbw $td/generic_pfc_app.pbt"
  "libs --json $td/pfc/PB2021/Source"
  "export $td/pfcmsg-pb10-16bit.pbl"
  "export $td/pbexamfn-pb10-16bit.pbl"
  "export --out OUT $td/pfcmsg-pb9-8bit.pbl"
  "compare $td/pfcmsg-pb9-8bit.pbl $td/pfcmsg-pb10-16bit.pbl"
  "compare --json --ignore-blanks $td/pfcmsg-pb9-8bit.pbl $td/pfcmsg-pb10-16bit.pbl"
  "compare-libs $td/pfc/PB2017/Source $td/pfc/PB2021/Source"
  "compare-libs --objects --json $td/pfc/PB2017/Source $td/pfc/PB2021/Source/ws_objects"
  "compare-libs --objects --by-section --ignore-defaults $td/dwmigrate/release19 $td/dwmigrate/release22"
  "diff -u $td/dwmigrate/release19/d_person.srd $td/dwmigrate/release22/d_person.srd"
  "diff --json --align-similar $td/dwmigrate/release19/d_person.srd $td/dwmigrate/release22/d_person.srd"
  "diff --by-section --json $td/dwmigrate/release19/d_person.srd $td/dwmigrate/release22/d_person.srd"
  "diff --html $td/dwmigrate/release19/d_person.srd $td/dwmigrate/release22/d_person.srd"
  "textconv $td/dwmigrate/release22/d_order_header_free.srd"
  "merge -p --diff3 -L ours -L base -L theirs $td/dwmigrate/release22/d_person.srd $td/dwmigrate/release19/d_person.srd $td/dwmigrate/release19/d_customer.srd"
  "merge -p --by-section $td/dwmigrate/release22/d_customer.srd $td/dwmigrate/release19/d_customer.srd $td/dwmigrate/release22/d_customer.srd"
  "merge -p --by-section $td/pfc/PB2021/Source/ws_objects/pfewnsrv/pfewnsrv.pbl.src/n_cst_winsrv.sru $td/pfc/PB2017/Source/pfewnsrv/n_cst_winsrv.sru $td/pfc/PB2017/Source/pfewnsrv/n_cst_winsrv.sru"
)

# Paths as the Windows program prints them (..\shared\testdata\x, in JSON ..\\shared\\...; the
# absolute ones on Wine's drive Z:, which is the Linux root) in the form the Linux program prints; and the file times of a unified diff's header to the 100 ns
# Windows keeps (Linux keeps nanoseconds).
unwindows() {
  perl -pe 's{((?:\.\.|Z:)(?:\\{1,2}[\w.\-]+)+)}{ my $p = $1; $p =~ s/^Z://; $p =~ s/\\{1,2}/\//g; $p }ge;
            s/^((?:---|\+\+\+) .*\t\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{7})\d\d /${1}00 /';
}

failed=0
for c in "${commands[@]}"; do
  for side in linux windows; do
    mkdir -p "$work/$side/OUT"
    # shellcheck disable=SC2086
    set -- ${c//OUT/$work/$side/OUT}
    if [ $side = linux ]; then
      "${locale[@]}" "$linux" "$@" >"$work/$side/out.raw" 2>"$work/$side/err" && rc=0 || rc=$?
      unwindows <"$work/$side/out.raw" >"$work/$side/out"
    else
      "${locale[@]}" wine "$windows" "$@" >"$work/$side/out.raw" 2>"$work/$side/err.raw" && rc=0 || rc=$?
      unwindows <"$work/$side/out.raw" >"$work/$side/out"
      sed "s|$work/windows/|$work/linux/|g" "$work/$side/err.raw" | unwindows >"$work/$side/err"
    fi
    echo "$rc" >"$work/$side/rc"
  done
  # The report's header holds the time it was made: that line alone may differ.
  if ! cmp -s "$work/linux/rc" "$work/windows/rc" ||
     ! cmp -s <(grep -v '^Difference Report - ' "$work/linux/out") <(grep -v '^Difference Report - ' "$work/windows/out") ||
     ! cmp -s "$work/linux/err" "$work/windows/err" ||
     ! diff -r "$work/linux/OUT" "$work/windows/OUT" >/dev/null; then
    echo "DIFFERENT: quorvex-cli $c" >&2
    diff <(cat "$work/linux/rc" "$work/linux/err" "$work/linux/out") <(cat "$work/windows/rc" "$work/windows/err" "$work/windows/out") | head -20 >&2 || true
    diff -r "$work/linux/OUT" "$work/windows/OUT" | head -5 >&2 || true
    failed=1
  else
    echo "same: quorvex-cli $c ($(wc -c <"$work/linux/out") bytes, exit $(cat "$work/linux/rc"))"
  fi
  rm -rf "$work/linux" "$work/windows"
done
exit $failed
