#!/usr/bin/env bash
# `make windows`: quorvex-cli for 64-bit Windows, cross-compiled with MinGW-w64 into build-win/
# (one static program that needs no library beside it), and its package
# build-win/quorvex-cli-VERSION-win64.zip: the program, its table of DataWindow defaults, its manual
# page as text, the Windows set-up notes and the licence.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${BUILD_WIN:-build-win}
bash scripts/setup-windows.sh

cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "${JOBS:-2}" --target quorvex-cli
exe=$build/cli/quorvex-cli.exe

# Nothing but the system's own libraries may be imported: the program is copied alone.
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ { print $3 }')
for dll in $imports; do
  case ${dll^^} in
    KERNEL32.DLL | MSVCRT.DLL | SHELL32.DLL | USER32.DLL | ADVAPI32.DLL | WS2_32.DLL | NTDLL.DLL) ;;
    *) echo "windows: $exe imports $dll, which Windows does not have" >&2; exit 1 ;;
  esac
done

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name=quorvex-cli-$version-win64
stage=$build/package/$name
rm -rf "$build/package" "$build/$name.zip"
mkdir -p "$stage"
cp "$exe" "$stage/"
cp pbparse/dwdefaults.txt "$stage/"
# Text files with CR LF, as Windows' own editors expect.
crlf() { sed 's/$/\r/' "$1" >"$2"; }
groff -man -Tutf8 -P-c -P-b -P-u dist/quorvex-cli.1 2>/dev/null | crlf /dev/stdin "$stage/quorvex-cli.txt"
crlf doc/windows.md "$stage/README-Windows.txt"
crlf dist/copyright "$stage/LICENSE.txt"
(cd "$build/package" && zip -q -r -X "../$name.zip" "$name")
echo "$build/$name.zip"
