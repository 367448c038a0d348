#!/usr/bin/env bash
# Takes the manual's pictures from the real program under Xvfb and writes them, reduced to a
# palette, to doc/manual/images/. Run it again whenever a view changes:
#   scripts/screenshots.sh [BUILD]        (BUILD defaults to build/)
# The program runs from a scratch folder with its own settings file, on copies of the real
# libraries of ../shared/testdata; keys go in with xdotool, pictures come out with ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$(realpath -m "${1:-build}")
out=$root/doc/manual/images
testdata=$root/../shared/testdata
width=1024
height=700

if [ -z "${QUORVEX_SHOTS_DISPLAY:-}" ]; then
  packages=(xvfb xauth imagemagick xdotool fonts-wqy-zenhei fonts-liberation2)
  missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    if [ "$(id -u)" -ne 0 ]; then
      echo "screenshots: missing packages: ${missing[*]} (run as root, or install them)" >&2
      exit 1
    fi
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
  [ -d "$testdata" ] || { echo "screenshots: $testdata is missing" >&2; exit 1; }
  [ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -G Ninja >/dev/null
  cmake --build "$build" -j "${JOBS:-2}" --target quorvex quorvex-cli
  exec env QUORVEX_SHOTS_DISPLAY=1 xvfb-run -a -s "-screen 0 ${width}x${height}x24" "$0" "$build"
fi

# A fixed scratch folder, so that the paths the pictures show read the same at every run.
work=${TMPDIR:-/tmp}/quorvex-demo
rm -rf "$work"
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$out" "$work/release1" "$work/release2"

# Two releases of an application: pfcmsg migrated from the 8-bit to the 16-bit variant (changed),
# pbexamfn the same on both sides, one library only in the old release and one only in the new.
cp -p "$testdata/pfcmsg-pb9-8bit.pbl" "$work/release1/pfcmsg.pbl"
cp -p "$testdata/pfcmsg-pb10-16bit.pbl" "$work/release2/pfcmsg.pbl"
cp -p "$testdata/pbexamfn-pb10-16bit.pbl" "$work/release1/pbexamfn.pbl"
cp -p "$testdata/pbexamfn-pb10-16bit.pbl" "$work/release2/pbexamfn.pbl"
cp -p "$testdata/pfcmsg-pb9-8bit.pbl" "$work/release1/pfcold.pbl"
cp -p "$testdata/pbexamfn-pb10-16bit.pbl" "$work/release2/pfcnew.pbl"
object=w_msgs_frame.srw
"$build/cli/quorvex-cli" export --out "$work/release1" "$work/release1/pfcmsg.pbl" "$object"
"$build/cli/quorvex-cli" export --out "$work/release2" "$work/release2/pfcmsg.pbl" "$object"
# The export is UTF-8; the source comparison view reads text in the program's code page.
for f in "$work/release1/$object" "$work/release2/$object"; do
  iconv -f UTF-8 -t GB18030 "$f" >"$f.gb" && mv "$f.gb" "$f"
done

# The program keeps its settings beside itself, so a copy in the scratch folder leaves the build's
# settings alone; the window fills the screen, the open dialogs start in the two releases, and the
# texts are the manual's Chinese whatever the machine's locale.
cp "$build/app/quorvex" "$work/quorvex"
printf '[Options]\nBounds.Left=0\nBounds.Top=0\nBounds.Width=%d\nBounds.Height=%d\nFolder.1=%s\nFolder.2=%s\nLanguage=zh\n' \
  "$width" "$height" "$work/release1" "$work/release2" >"$work/quorvex.ini"

settle() { sleep "${1:-0.8}"; }
key() {
  xdotool key --delay 80 "$@"
  settle
}
text() {
  xdotool type --delay 15 "$1"
  settle 0.3
}
shot() {
  import -window root "$work/shot.png"
  convert "$work/shot.png" -strip +dither -colors 256 -define png:compression-level=9 "PNG8:$out/$1.png"
  echo "screenshots: $1.png"
}
# Opens files in the open dialog of side 1 or 2: first its folder, then the quoted names.
open_files() {
  local side=$1 dir=$2
  shift 2
  key "ctrl+$side"
  settle
  text "$dir"
  key Return
  local names=""
  for n in "$@"; do names+="\"$n\" "; done
  text "$names"
  key Return
  settle 1.5
}
# Opens a menu of the menu bar by a click on its title, at its place in the source comparison
# view (file, view, search, options, help; the hidden menus take no room).
open_menu() {
  local x
  case $1 in
    file) x=27 ;; view) x=78 ;; search) x=130 ;; options) x=181 ;; help) x=233 ;;
  esac
  xdotool mousemove "$x" 8 click 1
  settle
}
close_menu() {
  key Escape Escape
  xdotool mousemove $((width - 1)) $((height - 1))
}

cd "$work"
./quorvex &
pid=$!
win=$(xdotool search --sync --onlyvisible --name '^Quorvex$' | head -1)
xdotool windowfocus --sync "$win" || true
settle 1.5

# The library list: three libraries on each side, paired by name.
open_files 1 "$work/release1" pfcmsg.pbl pbexamfn.pbl pfcold.pbl
open_files 2 "$work/release2" pfcmsg.pbl pbexamfn.pbl pfcnew.pbl
settle 2
shot libs

# The object list: the objects of the changed library.
key F7
open_files 1 "$work/release1" pfcmsg.pbl
open_files 2 "$work/release2" pfcmsg.pbl
settle 2
shot objects

# The source comparison: the two exports of one window, then the first difference.
key F8
open_files 1 "$work/release1" "$object"
open_files 2 "$work/release2" "$object"
key F9
settle 2
key ctrl+n
shot compare

# The visible menus of the source comparison view: file, view, search, options, help.
open_menu options
shot options
close_menu

key ctrl+h
settle 1.5
shot horizontal
key ctrl+h

# Block copy: the block at the caret goes to the right pane, which then can be saved. The left
# pane takes the focus first, so that the copy goes from it.
xdotool mousemove 300 87 click 1
settle
key ctrl+alt+r
settle 1
shot blockcopy
open_menu file
shot file-menu
close_menu

key ctrl+f
text "messagebox"
shot find
key Escape
key ctrl+r
shot replace
key Escape

kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
pid=

# The report of the same two files, as the manual quotes it.
"$build/cli/quorvex-cli" diff "$work/release1/$object" "$work/release2/$object" | tr -d '\r' \
  | sed "s|$work/||g" >"$root/doc/manual/report-example.txt" || true
echo "screenshots: report-example.txt"
