#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, when they are missing.
# Safe to run again: it does nothing when everything is there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth
  fonts-wqy-zenhei fonts-liberation2
  time
  git
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: these packages are missing: ${missing[*]}" >&2
    echo "setup: run as root, or install them with apt-get" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
