#!/bin/sh
# Runs a test program on the X server of xvfb-run with a window manager, as on
# a desktop: windows get the focus when they map, close requests come from it.
openbox >/dev/null 2>&1 &
wm=$!
# The window manager announces itself on the root window once it manages.
tries=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window; do
    tries=$((tries + 1))
    [ "$tries" -gt 100 ] && break
    sleep 0.1
done
"$@"
status=$?
kill "$wm"
exit "$status"
