#!/usr/bin/env bash
# Installed-package check, everything built outside the source tree's own targets:
# 1. static libraries: build and install into a temporary prefix (exactly the public headers, CMake
#    package, ktframework.pc and ktcore.pc); build examples/ against it through find_package and prove
#    that nothing was compiled against the source tree; run the picker's and hello's end-to-end tests;
#    build hello with plain `pkg-config --cflags --libs ktframework` and run it; build and run the
#    core-only program (cmake/coreonly) through find_package (kt::core) and through
#    `pkg-config ktcore`, with no OpenGL library in its link; make an application with
#    scripts/new-app.sh, build it against the prefix and run it.
# 2. shared libraries (SONAMEs libktcore.so.1 and libktframework.so.1): the same examples through
#    find_package, hello and the core-only program through pkg-config, run against the installed .so
#    files (globals and virtual hooks across the libraries).
# 3. Debian package: cpack -G DEB from the shared build, dpkg -i, build hello (pkg-config) and a new
#    application (CMake) against the system install, run both, then dpkg -r so the machine stays clean.
# Exit status 0 when everything passes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${KT_PACKAGE_BUILD:-$root/build/package}"
work=$(mktemp -d /tmp/kt-package.XXXXXX)
deb_name=libktframework-dev
deb_installed=0
cleanup() {
  if [ "$deb_installed" -eq 1 ]; then dpkg -r "$deb_name" >/dev/null 2>&1 || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
jobs=$(nproc)
xvfb="$root/scripts/with-xvfb.sh"
say() { echo "package: $*"; }
die() { echo "package: FAIL: $*"; exit 1; }

# build_framework DIR PREFIX SHARED: configures (install prefix PREFIX), builds and installs the library alone.
build_framework() {
  cmake -S "$root" -B "$1" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX="$2" -DKT_BUILD_SHARED="$3" \
    -DKT_BUILD_TESTS=OFF -DKT_BUILD_BENCHMARKS=OFF -DKT_BUILD_EXAMPLES=OFF >/dev/null
  cmake --build "$1" -j "$jobs"
}

# check_installed BUILD PREFIX LIBDIR SUFFIX: the public headers (exactly the build's list, nothing
# else), both libraries (libktcore and libktframework with SUFFIX), the CMake package and the
# pkg-config files are there; the internal headers are not.
check_installed() {
  local build=$1 prefix=$2 libdir=$3 suffix=$4 f missing=0 extra
  for f in "$libdir/libktcore$suffix" "$libdir/libktframework$suffix" "$libdir/cmake/ktframework/ktframeworkConfig.cmake" \
    "$libdir/cmake/ktframework/ktframeworkConfigVersion.cmake" "$libdir/cmake/ktframework/ktframeworkTargets.cmake" \
    "$libdir/pkgconfig/ktframework.pc" "$libdir/pkgconfig/ktcore.pc"; do
    [ -e "$prefix/$f" ] || { say "$f was not installed in $prefix"; missing=1; }
  done
  [ -s "$build/public-headers.txt" ] || die "$build/public-headers.txt is missing"
  # The include tree holds the public headers and nothing else.
  extra=$(comm -3 <(sort "$build/public-headers.txt") <(cd "$prefix/include" && find . -type f | sed 's|^\./||' | sort))
  if [ -n "$extra" ]; then
    say "the installed headers differ from the public list (left: listed only, right: installed only):"
    echo "$extra"
    missing=1
  fi
  for f in framework/ktu.h framework/ktApp.h math/ktTransforms.h shapes/ktShape.h shapes/ktPrimitive.h; do
    grep -qx "$f" "$build/public-headers.txt" || { say "public header $f is not in the list"; missing=1; }
  done
  # The model-file module comes along wherever the asset library is installed.
  if [ -e /usr/include/assimp/scene.h ]; then
    for f in include/io/ktShapeImport.h include/io/ktShapeExport.h include/io/ktShapeFile.h bin/ktshape; do
      [ -e "$prefix/$f" ] || { say "$f was not installed in $prefix"; missing=1; }
    done
  fi
  for f in framework/ktuWindow.h framework/ktAppFullScreen.h framework/ktuViewConstants.h shapes/ktShapeDrawPasses.h \
    shapes/ktShapeRecordHeader.h math/ktLanes.h io/ktShapeIoMessage.h; do
    [ ! -e "$prefix/include/$f" ] || { say "internal header $f was installed"; missing=1; }
  done
  [ "$missing" -eq 0 ] || die "installed files"
}

# core_only PREFIX DIR PCDIR: builds cmake/coreonly against PREFIX through find_package (kt::core) and
# through `pkg-config ktcore`, runs both, and checks that neither needs an OpenGL, GLU or GLUT library.
core_only() {
  local prefix=$1 dir=$2 flags libs
  rm -rf "$dir"
  cmake -S "$root/cmake/coreonly" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
  cmake --build "$dir" -j "$jobs" >/dev/null
  flags=$(PKG_CONFIG_PATH="$3" pkg-config --cflags ktcore)
  libs=$(PKG_CONFIG_PATH="$3" pkg-config --libs ktcore)
  say "c++ $flags coreonly/main.cpp $libs"
  # shellcheck disable=SC2086  # pkg-config's output is a list of flags
  c++ -Wall -Wextra -O2 $flags "$root/cmake/coreonly/main.cpp" -o "$dir/core-pc" $libs
  for program in "$dir/kt_core_only" "$dir/core-pc"; do
    if LD_LIBRARY_PATH="$prefix/$libdir" ldd "$program" | grep -E 'lib(GL|GLU|OpenGL|GLX|glut)\.'; then
      die "$program needs an OpenGL library"
    fi
    LD_LIBRARY_PATH="$prefix/$libdir" "$program" || die "$program failed"
  done
}

# examples_via_cmake PREFIX DIR: builds examples/ with find_package(ktframework) from PREFIX only, then runs
# the end-to-end tests of picker and hello.
examples_via_cmake() {
  local prefix=$1 dir=$2 package_dir
  rm -rf "$dir"  # the prefix is new on every run: no cached package location may survive
  cmake -S "$root/examples" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
  cmake --build "$dir" -j "$jobs"
  # The package must be the one in the prefix, and the framework's headers must come from it: no include
  # path may point into the source tree except examples/ itself.
  package_dir=$(sed -n 's/^ktframework_DIR:PATH=//p' "$dir/CMakeCache.txt")
  case "$package_dir" in
    "$prefix"/*/cmake/ktframework) ;;
    *) die "found ktframework in '$package_dir', not in $prefix" ;;
  esac
  if grep -oE -- "-(I|isystem) ?$root[^ \"]*" "$dir/compile_commands.json" | grep -v "$root/examples"; then
    die "the examples were compiled against the source tree"
  fi
  "$xvfb" "$root/examples/e2e.sh" "$dir/picker"
  "$xvfb" "$root/examples/hello/e2e.sh" "$dir/hello"
  # The installed ktshape carries no run path: a shared library in a staging prefix is found through
  # LD_LIBRARY_PATH.
  if [ -x "$dir/viewer" ]; then
    LD_LIBRARY_PATH="$prefix/$libdir" "$xvfb" "$root/examples/viewer/e2e.sh" "$dir/viewer" "$prefix/bin/ktshape"
  fi
}

# hello_via_pkgconfig PCDIR OUT: compiles examples/hello/main.cpp with pkg-config's flags alone (PCDIR
# empty: the system's pkg-config path), printing the command.
hello_via_pkgconfig() {
  local flags libs
  flags=$(PKG_CONFIG_PATH="$1" pkg-config --cflags ktframework)
  libs=$(PKG_CONFIG_PATH="$1" pkg-config --libs ktframework)
  say "c++ $flags hello/main.cpp $libs"
  # shellcheck disable=SC2086  # pkg-config's output is a list of flags
  c++ -Wall -Wextra -O2 $flags "$root/examples/hello/main.cpp" -o "$2" $libs
}

# new_app PREFIX DIR NAME: creates an application with new-app.sh, builds it against PREFIX (empty: the
# system) and runs it: its triangle is drawn, a click is reported, Escape ends it with status 0.
new_app() {
  "$root/scripts/new-app.sh" "$3" "$2" >/dev/null
  cmake -S "$2" -B "$2/build" ${1:+-DCMAKE_PREFIX_PATH="$1"} >/dev/null
  cmake --build "$2/build" -j "$jobs" >/dev/null
  "$xvfb" "$root/examples/hello/e2e.sh" "$2/build/$3" 3399FF "$3" Escape
}

say "new-app.sh refuses a bad name and a folder that is not empty"
if "$root/scripts/new-app.sh" "9lives" "$work/bad" 2>/dev/null; then die "new-app accepted the name 9lives"; fi
mkdir -p "$work/full" && touch "$work/full/keep"
if "$root/scripts/new-app.sh" demo "$work/full" 2>/dev/null; then die "new-app wrote into a folder that is not empty"; fi
[ "$(ls -A "$work/full")" = keep ] || die "new-app changed a folder that is not empty"

# 1. Static library.
static="$work/static"
say "static library: build and install into $static"
build_framework "$build/static" "$static" OFF
cmake --install "$build/static" >/dev/null
libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$build/static/CMakeCache.txt")
check_installed "$build/static" "$static" "$libdir" .a
say "static library: examples through find_package"
examples_via_cmake "$static" "$build/examples-static"
say "static library: hello through pkg-config"
hello_via_pkgconfig "$static/$libdir/pkgconfig" "$work/hello-static"
if ldd "$work/hello-static" | grep ktframework; then die "hello built against the static library loads a shared one"; fi
"$xvfb" "$root/examples/hello/e2e.sh" "$work/hello-static"
say "static library: a program of kt::core alone"
core_only "$static" "$build/core-static" "$static/$libdir/pkgconfig"
say "static library: an application made by new-app.sh"
new_app "$static" "$work/apps/static" spinner

# 2. Shared library, configured for /usr so that the same build makes the Debian package.
shared="$work/shared"
say "shared library: build and install into $shared"
build_framework "$build/shared" /usr ON
cmake --install "$build/shared" --prefix "$shared" >/dev/null
libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$build/shared/CMakeCache.txt")
check_installed "$build/shared" "$shared" "$libdir" .so
for lib in libktcore libktframework; do
  soname=$(objdump -p "$shared/$libdir/$lib.so.1.1.0" | awk '/SONAME/{print $2}')
  [ "$soname" = $lib.so.1 ] || die "SONAME is '$soname', not $lib.so.1"
  [ "$(readlink "$shared/$libdir/$lib.so")" = $lib.so.1 ] || die "$lib.so link"
done
say "shared library: examples through find_package"
examples_via_cmake "$shared" "$build/examples-shared"
ldd "$build/examples-shared/picker" | grep "$shared/$libdir/libktframework.so.1" ||
  die "picker does not load the installed shared library"
say "shared library: hello through pkg-config"
hello_via_pkgconfig "$shared/$libdir/pkgconfig" "$work/hello-shared"
LD_LIBRARY_PATH="$shared/$libdir" ldd "$work/hello-shared" | grep "$shared/$libdir/libktframework.so.1" ||
  die "hello does not load the installed shared library"
LD_LIBRARY_PATH="$shared/$libdir" "$xvfb" "$root/examples/hello/e2e.sh" "$work/hello-shared"
say "shared library: a program of kt::core alone"
core_only "$shared" "$build/core-shared" "$shared/$libdir/pkgconfig"

# 3. Debian package.
say "Debian package: cpack -G DEB"
(cd "$build/shared" && rm -f ./*.deb && cpack -G DEB >/dev/null)
deb=$(ls "$build/shared"/${deb_name}_*.deb)
dpkg-deb --field "$deb" Package Version Depends
if [ "$(dpkg-query -W -f='${db:Status-Status}' "$deb_name" 2>/dev/null)" = installed ]; then
  die "$deb_name is already installed on this machine; remove it first (dpkg -r $deb_name)"
fi
deb_installed=1
dpkg -i "$deb" >/dev/null
[ "$(pkg-config --modversion ktframework)" = 1.1.0 ] || die "pkg-config does not see the installed package"
say "Debian package: hello through pkg-config"
hello_via_pkgconfig "" "$work/hello-deb"
ldd "$work/hello-deb" | grep -E "libktframework.so.1 => (/usr)?/$libdir/libktframework.so.1" || die "hello does not load the packaged library"
"$xvfb" "$root/examples/hello/e2e.sh" "$work/hello-deb"
say "Debian package: an application made by new-app.sh"
new_app "" "$work/apps/deb" painter
dpkg -r "$deb_name" >/dev/null
deb_installed=0
[ ! -e "/usr/$libdir/libktframework.so.1" ] || die "dpkg -r left the library behind"
say "passed"
