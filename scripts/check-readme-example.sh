#!/usr/bin/env bash
# Checks that the README's application example is examples/hello/main.cpp, character for character:
# the first ```cpp block after the README line that names that file.
# Usage: check-readme-example.sh [README] [EXAMPLE]
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
readme=${1:-$root/README.md}
example=${2:-$root/examples/hello/main.cpp}
block=$(mktemp)
trap 'rm -f "$block"' EXIT
awk '
  index($0, "`examples/hello/main.cpp`") && !named { named = 1; next }
  named && !inside && $0 == "```cpp" { inside = 1; next }
  inside && $0 == "```" { exit }
  inside { print }
' "$readme" >"$block"
if [ ! -s "$block" ]; then
  echo "readme_hello: no \`\`\`cpp block after a line naming \`examples/hello/main.cpp\` in $readme"
  exit 1
fi
if ! diff -u --label "README.md code block" --label "examples/hello/main.cpp" "$block" "$example"; then
  echo "readme_hello: the README's example and examples/hello/main.cpp differ"
  exit 1
fi
echo "readme_hello: the README's example is examples/hello/main.cpp"
