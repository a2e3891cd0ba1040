#!/usr/bin/env bash
# API reference check: builds the `docs` target (Doxygen over the public headers) in build/default.
# Any public name without a documentation comment, or a broken reference in one, fails the stage.
# Open build/default/docs/html/index.html afterwards.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
command -v doxygen >/dev/null || { echo "docs: doxygen is not installed (scripts/setup.sh installs it)"; exit 1; }
cmake --preset default -S "$root" >/dev/null
if ! cmake --build "$root/build/default" --target docs; then
  echo "docs: FAIL: the API reference has warnings:"
  cat "$root/build/default/docs/warnings.txt" 2>/dev/null
  exit 1
fi
echo "docs: API reference in $root/build/default/docs/html/index.html"
