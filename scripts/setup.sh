#!/usr/bin/env bash
# Installs the Debian packages the project needs when any is missing (Debian 12, as root), so that
# the demo and test commands work on a fresh machine. Prints nothing when everything is present.
set -euo pipefail

packages=(
  g++ make cmake git ca-certificates
  freeglut3-dev libglu1-mesa-dev libgl1-mesa-dev libgl1-mesa-dri
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth x11-xkb-utils xkb-data xdotool x11-utils imagemagick
  clang-14 libclang-rt-14-dev valgrind procps
  libassimp-dev assimp-utils assimp-testmodels
)
if [ -n "${KT_EXTRA_PACKAGES:-}" ]; then
  read -r -a extra <<<"$KT_EXTRA_PACKAGES"
  packages+=("${extra[@]}")
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: run as root or install sudo" >&2; exit 1; }
  sudo=sudo
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
