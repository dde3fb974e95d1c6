#!/bin/sh
# Screenshots of the real windows on an X server (Xvfb and openbox): the main
# window in Russian at QT_SCALE_FACTOR=2 with a 12-point font, a context menu
# open, and the view window zoomed. Usage: desktop-shots.sh <output folder>
# [build folder]; SCALE and POINTS in the environment choose another scale
# factor and font size. Needs xvfb-run, openbox, xdotool and ImageMagick's
# import.
set -e
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out=$1
build=${2:-$root/build}
scale=${SCALE:-2}
points=${POINTS:-12}
tag=ru-scale$scale-${points}pt
[ -n "$out" ] || { echo "usage: $0 <output folder> [build folder]" >&2; exit 2; }
mkdir -p "$out"
out=$(cd "$out" && pwd)
cmake --build "$build" --target tavik_mainwin >/dev/null
work=$(mktemp -d)
g++ -std=c++20 -fPIC -o "$work/desktop-shots" "$here/DesktopShots.cpp" -I"$root/src" \
    -Wl,--start-group "$build"/src/mainwin/libtavik_mainwin.a \
    "$build"/src/controls/libtavik_controls.a "$build"/src/graphics/libtavik_graphics.a \
    "$build"/src/storage/libtavik_storage.a -Wl,--end-group \
    $(pkg-config --cflags --libs Qt6Widgets Qt6Svg)
mkdir -p "$work/catalogue"
xvfb-run -a -s "-screen 0 1600x1200x24" sh -c "
    openbox & sleep 1
    QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale '$work/desktop-shots' '$work/catalogue' $points 1 \
        '$root/tests/data/metafile' & app=\$!
    timeout 60 xdotool search --sync --onlyvisible --name '^Tavik\$' >/dev/null
    win=\$(xdotool search --onlyvisible --name '^Tavik\$' | head -1)
    xdotool windowactivate --sync \$win windowmove --sync \$win 20 20 windowsize --sync \$win 1200 900
    sleep 2
    import -window root '$out/main-$tag.png'
    # A right click on the second picture of the list.
    eval \$(xdotool getwindowgeometry --shell \$win)
    xdotool mousemove \$((X + 530)) \$((Y + 150)) click 3
    sleep 1
    import -window root '$out/menu-$tag.png'
    xdotool key Escape
    sleep 0.5
    # The view window on the selected picture, zoomed in twice.
    xdotool mousemove \$((X + 530)) \$((Y + 150)) click 1
    sleep 0.5
    xdotool key Return
    timeout 30 xdotool search --sync --onlyvisible --name '^Просмотр\$' >/dev/null
    sleep 1
    xdotool key plus key plus
    sleep 1
    import -window root '$out/view-zoomed-$tag.png'
    xdotool key Escape
    sleep 0.5
    kill \$app
"
rm -rf "$work"
