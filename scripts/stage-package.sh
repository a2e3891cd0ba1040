#!/usr/bin/env bash
# Installed-package check. Builds the framework on its own (no tests, benchmarks or examples) in
# build/package/framework, installs it into a temporary prefix, then configures and builds examples/ as a
# separate project that finds the framework only through that prefix (find_package(ktframework) via
# CMAKE_PREFIX_PATH), proves that nothing was compiled against the source tree, and runs the example's
# end-to-end test with the program so built. Exit status 0 when everything passes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${KT_PACKAGE_BUILD:-$root/build/package}"
prefix=$(mktemp -d /tmp/kt-prefix.XXXXXX)
trap 'rm -rf "$prefix"' EXIT
jobs=$(nproc)

echo "package: build and install the framework into $prefix"
cmake -S "$root" -B "$build/framework" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKT_BUILD_TESTS=OFF -DKT_BUILD_BENCHMARKS=OFF -DKT_BUILD_EXAMPLES=OFF >/dev/null
cmake --build "$build/framework" -j "$jobs"
cmake --install "$build/framework" --prefix "$prefix" >/dev/null

missing=0
for f in include/framework/ktu.h include/framework/ktApp.h include/framework/ktGeo.h include/math/ktVec3f.h \
  include/math/ktTransforms.h include/shapes/ktShape.h include/shapes/ktNiceShapes.h \
  include/io/ktShapeImport.h include/io/ktShapeExport.h include/io/ktShapeFile.h lib/libktio.a bin/ktshape \
  lib/libktframework.a lib/cmake/ktframework/ktframeworkConfig.cmake \
  lib/cmake/ktframework/ktframeworkConfigVersion.cmake lib/cmake/ktframework/ktframeworkTargets.cmake; do
  [ -e "$prefix/$f" ] || { echo "package: $f was not installed"; missing=1; }
done
[ "$missing" -eq 0 ] || exit 1

echo "package: build examples/ against the installed package"
rm -rf "$build/examples"  # the prefix is new on every run: no cached package location may survive
cmake -S "$root/examples" -B "$build/examples" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
cmake --build "$build/examples" -j "$jobs"

# The package must be the one in the prefix, and the framework's headers must come from it: no include
# path may point into the source tree except examples/ itself.
package_dir=$(sed -n 's/^ktframework_DIR:PATH=//p' "$build/examples/CMakeCache.txt")
[ "$package_dir" = "$prefix/lib/cmake/ktframework" ] || {
  echo "package: found ktframework in '$package_dir', not in the prefix"
  exit 1
}
if grep -oE -- "-(I|isystem) ?$root[^ \"]*" "$build/examples/compile_commands.json" | grep -v "$root/examples"; then
  echo "package: the example was compiled against the source tree"
  exit 1
fi

echo "package: end-to-end test of the example built from the package"
"$root/scripts/with-xvfb.sh" "$root/examples/e2e.sh" "$build/examples/picker"
"$root/scripts/with-xvfb.sh" "$root/examples/viewer/e2e.sh" "$build/examples/viewer" "$prefix/bin/ktshape"
