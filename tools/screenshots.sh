#!/bin/bash
# Screenshots of the desktop program as a person sees it. Starts it under a virtual X display
# (1920 x 1080) on a generated store, drives it with xdotool and saves into the folder given
# (screenshots/ by default). At the template's size:
#   01-step1.png             step 1, the store's path in the field
#   02-results.png           step 2 after the search, the results and the start page
#   03-hover.png             the Settings button hovered, with its hint
#   04-find.png              the find bar open (Ctrl+F) with a text typed
# At 1280 x 900:
#   05-results-1280.png      the results with the find bar open
#   06-find-closed-1280.png  the find bar closed again: the list takes its place
# Grown to the whole screen, 1920 x 1080 (there is no window manager: "maximised" is the
# window resized to the screen):
#   07-results-max.png       the results
#   08-find-max.png          the find bar open
#   09-splitter-drag.png     the splitter dragged past its upper limit, button still held
#   10-splitter-up.png       ... and released: the list 150 pixels shorter
#   11-splitter-down.png     dragged past its lower limit: the list 70 pixels taller
#   12-tools-menu.png        the Tools menu open, an item under the pointer
#   13-help-menu.png         the Help menu open, an item under the pointer
#   14-step1-max.png         Back: step 1 at the whole screen
#   15-step1-1280.png        step 1 at 1280 x 900
#   16-nothing-found.png     a store whose records are all wiped: why nothing was found, and
#                            the button that runs the deep search
#   17-deep-found.png        ... pressed: the orphaned messages listed
#   18-source.png            a message's source (Ctrl+U): header lines and body as text
#   19-image-question.png    Back, a disk image of two stores, Next: the question whether to
#                            search it as a disk image
#   20-image-results.png     ... answered Yes: both stores' messages, the Folder column naming
#                            each one's store
# Needs a build in build/ (./run.sh or ./test.sh make one) and Xvfb, xdotool and ImageMagick
# (Debian: xvfb xdotool imagemagick).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
out=$(realpath -m "${1:-screenshots}")
display=:${SCREENSHOT_DISPLAY:-97}
screen_w=1920
screen_h=1080
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
"$build/tools/dbxgen" --messages 300 --deleted 0 --zero-records 300 --seed 8 \
    "$work/Wiped.dbx" >/dev/null
"$build/tools/dbximage" --size 8388608 --stores 2 --messages 40 --seed 9 "$work/disk.img" \
    >/dev/null
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
# The chosen code page is kept in the home folder; every run of this script starts from none.
export HOME="$work/home"
mkdir -p "$HOME"
(cd "$build/app" && exec ./dbxrecover-gui "$work/Inbox.dbx") >"$work/gui.log" 2>&1 &
app_pid=$!
window=$(xdotool search --sync --onlyvisible --name "Varnook Tobrin Outlook Express" | head -1)
sleep 3
# Without a window manager nothing gives the window the keyboard: it is given here.
xdotool windowfocus "$window"
sleep 0.5

shot() { import -window root "$out/$1"; echo "$out/$1"; }
# The client area (below the menu bar) has the template's height, 481 pixels.
eval "$(xdotool getwindowgeometry --shell "$window")"
menu_h=$((HEIGHT - 481))
# A point of the client area, from its top left corner.
at() { xdotool mousemove $((X + $1)) $((Y + menu_h + $2)); }
# The same from its bottom right corner.
from_corner() { xdotool mousemove $((X + WIDTH - $1)) $((Y + HEIGHT - $2)); }
away() { xdotool mousemove $((screen_w - 5)) $((screen_h - 5)); sleep 0.5; }
resize() {
    xdotool windowmove "$window" 0 0 windowsize "$window" "$1" "$2"
    sleep 2
    eval "$(xdotool getwindowgeometry --shell "$window")"
}
find_text() {
    xdotool windowfocus "$window"
    xdotool key ctrl+f
    sleep 0.5
    xdotool type --delay 50 "$1"
    sleep 1
}

away
shot 01-step1.png
at 717 447 && xdotool click 1           # Next
sleep 5
away
shot 02-results.png
at 86 22 && sleep 0.2 && at 87 23       # Settings
sleep 1.5
shot 03-hover.png
away
find_text "an"
shot 04-find.png

resize 1280 900
away
shot 05-results-1280.png
xdotool key Escape
sleep 1
shot 06-find-closed-1280.png

resize "$screen_w" "$screen_h"
away
shot 07-results-max.png
find_text "an"
shot 08-find-max.png
xdotool key Escape
sleep 0.5

# The splitter's centre line: 277 at the template size, moved by half the extra height.
centre=$((277 + (HEIGHT - menu_h - 481) / 2))
at 400 "$centre" && xdotool mousedown 1
at 400 $((centre - 100)) && at 400 $((centre - 300))
sleep 0.5
shot 09-splitter-drag.png
xdotool mouseup 1
sleep 1
shot 10-splitter-up.png
at 400 $((centre - 150)) && xdotool mousedown 1
at 400 $((centre + 100)) && at 400 $((centre + 300))
xdotool mouseup 1
sleep 1
shot 11-splitter-down.png

xdotool key F10                           # the Tools menu
sleep 1
at 40 $((22 + 11)) && sleep 0.2 && at 41 $((22 + 12))
sleep 0.7
shot 12-tools-menu.png
xdotool key Right                         # on to the Help menu
sleep 1
at 75 $((22 + 11)) && sleep 0.2 && at 76 $((22 + 12))
sleep 0.7
shot 13-help-menu.png
xdotool key Escape Escape
sleep 0.5

# Back: 82 pixels from the right edge and 58 from the bottom at every size.
from_corner 57 33 && xdotool click 1
sleep 2
away
shot 14-step1-max.png
resize 1280 900
away
shot 15-step1-1280.png

# The path field sits in the middle of the window in step 1.
xdotool mousemove $((X + WIDTH / 2)) $((Y + menu_h + 252 + (HEIGHT - menu_h - 481) / 2))
xdotool click --repeat 3 1
xdotool type --delay 20 "$work/Wiped.dbx"
from_corner 57 33 && xdotool click 1      # Next, where Back was
sleep 5
away
shot 16-nothing-found.png
# The button under the reason, in the list's top left corner.
at 80 112 && xdotool click 1
sleep 8
away
shot 17-deep-found.png
# The first row, then its source.
at 400 80 && xdotool click 1
sleep 3
xdotool windowfocus "$window"
xdotool key ctrl+u
sleep 3
away
shot 18-source.png

from_corner 57 33 && xdotool click 1      # Back
sleep 2
xdotool mousemove $((X + WIDTH / 2)) $((Y + menu_h + 252 + (HEIGHT - menu_h - 481) / 2))
xdotool click --repeat 3 1
xdotool type --delay 20 "$work/disk.img"
from_corner 57 33 && xdotool click 1      # Next
sleep 2
shot 19-image-question.png
xdotool key Return                        # Yes, the default answer
sleep 5
away
shot 20-image-results.png
