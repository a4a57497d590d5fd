#!/usr/bin/env bash
# Screenshots of the decoded preview and the results list: starts the desktop program under
# Xvfb on a store of sample messages (preview-samples), drives it with xdotool and saves a PNG
# of each step: an HTML message, a quoted-printable text message, a message with an inline
# picture, a deleted message, and the list narrowed by the find bar and sorted by date.
# Usage: tools/preview_screenshots.sh [BUILD_DIR] [OUT_DIR]   (defaults: build, screenshots)
# Needs: xvfb, xdotool, x11-apps (xwd) and ImageMagick's convert, or python3 with Pillow.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
out=$(realpath -m "${2:-screenshots}")
for tool in Xvfb xdotool xwd; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (apt-get install xvfb xdotool x11-apps)" >&2; exit 1; }
done
mkdir -p "$out"
store="$out/preview-samples.dbx"
"$build/tools/preview-samples" "$store" >/dev/null

display_base=90
source tools/sample_window.sh

shot 01-start 1
click_du 477 275  # Next
shot 02-search-done 4

# Each sample found through the find bar: Enter previews the first row shown.
find_and_show() {  # text name [lines to scroll the pane by]
    xdotool key --window "$window" ctrl+f
    sleep 0.5
    xdotool key --window "$window" ctrl+a
    xdotool type --window "$window" --delay 40 "$1"
    xdotool key --window "$window" Return
    if [ -n "${3:-}" ]; then
        sleep 3
        click_du 400 179  # the pane's header block, where no link is
        for _ in $(seq "$3"); do xdotool key --window "$window" Down; done
    fi
    shot "$2" 4
}
find_and_show "Vaga" 03-html-message
find_and_show "Protokoll" 04-quoted-printable-text
find_and_show "maquette" 05-inline-picture 4
find_and_show "Fotos" 06-deleted-message
find_and_show "Quotation" 07-attachment

# The list narrowed to the messages about the budget, the first one shown (Down hands over to
# the list), then sorted by date, newest first; last, the same message as stored (Ctrl+U).
xdotool key --window "$window" ctrl+f
sleep 0.3
xdotool key --window "$window" ctrl+a
xdotool type --window "$window" --delay 40 "budget"
sleep 0.5
xdotool key --window "$window" Down
sleep 3
click_du 477 35  # the Date column's header
sleep 0.5
click_du 477 35  # again: newest first
shot 08-sorted-and-filtered 2

xdotool key --window "$window" ctrl+u
shot 09-message-source 3
