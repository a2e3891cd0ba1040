#!/usr/bin/env bash
# Configures and builds one CMake preset (default: "default") of the project.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
preset="${1:-default}"
cmake --preset "$preset" -S "$root" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
