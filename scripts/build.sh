#!/usr/bin/env bash
# Configures and builds one CMake preset (default: "default") of the project; further arguments
# go to the build step (e.g. --target drapo).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
preset="${1:-default}"
shift || true
cmake --preset "$preset" -S "$root" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)" "$@"
