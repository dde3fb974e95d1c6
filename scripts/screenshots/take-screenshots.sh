#!/bin/sh
# Builds the screenshot program against the libraries of a build folder and
# writes the user guide's screenshots into docs/.
set -e
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build}
cmake --build "$build" --target tavik_mainwin >/dev/null
out=$(mktemp -d)
g++ -std=c++20 -fPIC -o "$out/screenshots" "$here/Screenshots.cpp" -I"$root/src" \
    -Wl,--start-group "$build"/src/mainwin/libtavik_mainwin.a \
    "$build"/src/controls/libtavik_controls.a "$build"/src/graphics/libtavik_graphics.a \
    "$build"/src/storage/libtavik_storage.a -Wl,--end-group \
    $(pkg-config --cflags --libs Qt6Widgets Qt6Test)
mkdir -p "$root/docs"
"$out/screenshots" "$root/docs"
rm -rf "$out"
