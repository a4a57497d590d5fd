#!/usr/bin/env bash
# Screenshots of attachments in the decoded preview: starts the desktop program under Xvfb on
# the store of sample messages (preview-samples), drives it with xdotool and saves a PNG of
# each step: a message with attachments (each name opens it, "Save as..." saves it), the Save
# As dialog, and the warning before a program that came by mail is opened.
# Usage: tools/attachment_screenshots.sh [BUILD_DIR] [OUT_DIR]   (defaults: build, screenshots)
# Needs: xvfb, xdotool, x11-apps (xwd) and ImageMagick's convert.
# The links lie where the pane shows them in a 1100x800 screen with the window at 0,0;
# LINKS_X / LINKS_Y move them should the layout change.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
out=$(realpath -m "${2:-screenshots}")
for tool in Xvfb xdotool xwd convert; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (apt-get install xvfb xdotool x11-apps imagemagick)" >&2; exit 1; }
done
mkdir -p "$out"
store="$out/preview-samples.dbx"
"$build/tools/preview-samples" "$store" >/dev/null
saved=$(mktemp -d)

cleanup_more() { rm -rf "$saved"; }
# Opened attachments go nowhere: no desktop opener in the path.
APP_PATH=/nonexistent
display_base=80
source tools/sample_window.sh

click_px() {  # x y (pixels of the screen)
    xdotool mousemove "$1" "$2" click 1
}
find_and_show() {  # text
    xdotool key --window "$window" ctrl+f
    sleep 0.5
    xdotool key --window "$window" ctrl+a
    xdotool type --window "$window" --delay 40 "$1"
    xdotool key --window "$window" Return
    sleep 4
}

links_x=${LINKS_X:-0}
links_y=${LINKS_Y:-0}

click_du 477 275  # Next
sleep 4

find_and_show "Quotation"
shot a1-attachment-links 1

# "Save as..." of the price list: the dialog proposes its name in the last folder used.
click_px $((links_x + ${SAVE_X:-677})) $((links_y + ${SAVE_Y:-349}))
shot a2-save-as-dialog 3
xdotool key ctrl+a
xdotool type --delay 20 "$saved/price list.csv"
xdotool key Return
sleep 2
if [ -f "$saved/price list.csv" ]; then
    echo "saved: $(wc -c < "$saved/price list.csv") bytes"
else
    echo "the price list was not saved" >&2
fi

# The keyboard back to the window: a click where the list has no row.
click_px 400 200
find_and_show "parcel"
shot a3-program-attachment 1
# The program's name: a warning before anything is written or opened.
click_px $((links_x + ${OPEN_X:-175})) $((links_y + ${OPEN_Y:-349}))
shot a4-program-warning 3
xdotool key Escape
