#!/bin/bash
# Screenshots of the desktop program as a person sees it. Starts it under a virtual X display
# on a generated store, drives it with xdotool and saves into the folder given (screenshots/
# by default):
#   1-step1.png            step 1, the store's path in the field
#   2-results.png          step 2 after the search, the results and the start page
#   3-hover.png            the Settings button hovered, with its hint
#   4-maximised.png        the window grown to the whole screen
#   5-splitter-drag.png    the splitter dragged past its upper limit, button still held
#   6-splitter-up.png      ... and released: the list 150 pixels shorter
#   7-splitter-down.png    dragged past its lower limit: the list 70 pixels taller
#   8-tools-menu.png       the Tools menu open, an item under the pointer
#   9-help-menu.png        the Help menu open, an item under the pointer
# Needs a build in build/ (./run.sh or ./test.sh make one) and Xvfb, xdotool and ImageMagick
# (Debian: xvfb xdotool imagemagick). There is no window manager: "maximised" is the window
# resized to the screen.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
out=$(realpath -m "${1:-screenshots}")
display=:${SCREENSHOT_DISPLAY:-97}
screen_w=1280
screen_h=900
mkdir -p "$out"
work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 "${screen_w}x${screen_h}x24" -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

"$build/tools/dbxgen" --messages 400 --deleted 10% --seed 7 "$work/Inbox.dbx" >/dev/null
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
(cd "$build/app" && exec ./dbxrecover-gui "$work/Inbox.dbx") >"$work/gui.log" 2>&1 &
app_pid=$!
window=$(xdotool search --sync --onlyvisible --name "Varnook Tobrin Outlook Express" | head -1)
sleep 3

shot() { import -window root "$out/$1"; echo "$out/$1"; }
# The client area (below the menu bar) has the template's height, 481 pixels.
eval "$(xdotool getwindowgeometry --shell "$window")"
menu_h=$((HEIGHT - 481))
at() { xdotool mousemove $((X + $1)) $((Y + menu_h + $2)); }

xdotool mousemove $((screen_w - 5)) $((screen_h - 5))
shot 1-step1.png
at 717 447 && xdotool click 1           # Next
sleep 5
xdotool mousemove $((screen_w - 5)) $((screen_h - 5))
sleep 0.5
shot 2-results.png
at 86 22 && sleep 0.2 && at 87 23       # Settings
sleep 1.5
shot 3-hover.png

xdotool windowmove "$window" 0 0 windowsize "$window" "$screen_w" "$screen_h"
sleep 2
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((screen_w - 5)) $((screen_h - 5))
sleep 0.5
shot 4-maximised.png

# The splitter's centre line: 277 at the template size, moved by half the extra height.
centre=$((277 + (HEIGHT - menu_h - 481) / 2))
at 400 "$centre" && xdotool mousedown 1
at 400 $((centre - 100)) && at 400 $((centre - 300))
sleep 0.5
shot 5-splitter-drag.png
xdotool mouseup 1
sleep 1
shot 6-splitter-up.png
at 400 $((centre - 150)) && xdotool mousedown 1
at 400 $((centre + 100)) && at 400 $((centre + 300))
xdotool mouseup 1
sleep 1
shot 7-splitter-down.png

xdotool key F10                           # the Tools menu
sleep 1
at 40 $((22 + 11)) && sleep 0.2 && at 41 $((22 + 12))
sleep 0.7
shot 8-tools-menu.png
xdotool key Right                         # on to the Help menu
sleep 1
at 75 $((22 + 11)) && sleep 0.2 && at 76 $((22 + 12))
sleep 0.7
shot 9-help-menu.png
xdotool key Escape Escape
