#!/bin/sh
# Rebuilds the icon generator and redraws resources/icons.
set -e
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out=$(mktemp -d)
g++ -std=c++20 -O1 -fPIC -o "$out/make-icons" "$here/make-icons.cpp" \
    $(pkg-config --cflags --libs Qt6Gui)
QT_QPA_PLATFORM=offscreen "$out/make-icons" "$root/resources/icons"
rm -rf "$out"
