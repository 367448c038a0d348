#!/usr/bin/env bash
# Installs the Debian packages the Windows build of quorvex-cli needs (`make windows`): the
# MinGW-w64 cross compiler with POSIX threads, GoogleTest's sources for the tests, Wine to run
# them, and zip for the package. Safe to run again: it does nothing when everything is there.
set -euo pipefail

packages=(
  cmake ninja-build ccache
  g++-mingw-w64-x86-64-posix mingw-w64-tools
  googletest
  wine wine64
  zip
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup-windows: these packages are missing: ${missing[*]}" >&2
    echo "setup-windows: run as root, or install them with apt-get" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
