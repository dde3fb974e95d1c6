#!/bin/sh
# Runs a test program on the X server of xvfb-run with a window manager, as on
# a desktop: windows get the focus when they map, close requests come from it.
openbox >/dev/null 2>&1 &
wm=$!
"$@"
status=$?
kill "$wm"
exit "$status"
