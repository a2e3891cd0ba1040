#!/usr/bin/env bash
# Installs the Debian packages the project needs when any is missing (Debian 12, as root), so that
# the demo and test commands work on a fresh machine. Prints nothing when everything is present.
# Usage: setup.sh [demo|test]   (default test)
#   demo: a compiler, CMake and the GL, GLU, GLUT and PNG development packages; with no display also
#         the virtual X server, xdotool and the screenshot tool;
#   test: all of that and the test toolchain (test libraries, sanitizer runtimes, window managers).
set -euo pipefail
profile="${1:-test}"

demo_packages=(
  g++ make cmake
  freeglut3-dev libglu1-mesa-dev libgl1-mesa-dev libgl1-mesa-dri libpng-dev
)
headless_packages=(xvfb xauth x11-xkb-utils xkb-data xdotool imagemagick)
test_packages=(
  git ca-certificates
  libgtest-dev libgmock-dev libbenchmark-dev
  x11-utils clang-14 libclang-rt-14-dev valgrind procps
  openbox fluxbox icewm twm i3-wm xfonts-base
  pkg-config doxygen
  libassimp-dev assimp-utils assimp-testmodels
)
case $profile in
  demo)
    packages=("${demo_packages[@]}")
    [ -n "${DISPLAY:-}" ] || packages+=("${headless_packages[@]}")
    ;;
  test) packages=("${demo_packages[@]}" "${headless_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: setup.sh [demo|test]" >&2; exit 2 ;;
esac
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
# A window manager's first start would otherwise build the font cache while a test waits for its
# window to appear.
if command -v fc-cache >/dev/null; then $sudo fc-cache >/dev/null 2>&1 || true; fi
