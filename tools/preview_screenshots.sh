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

display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1100x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
app=
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=$display
sleep 1

# The program looks for its start page in its working directory.
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu"
(cd "$build/app" && exec ./dbxrecover-gui "$store") >/dev/null 2>&1 &
app=$!
window=$(xdotool search --sync --name "Varnook Tobrin Outlook Express" | head -1)
xdotool windowmove "$window" 0 0
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
sleep 2

shot() {
    sleep "${2:-2}"
    xwd -silent -root -display "$display" > "$out/$1.xwd"
    if command -v convert >/dev/null; then
        convert "$out/$1.xwd" -crop 1100x800+0+0 "$out/$1.png"
    else
        python3 -c "from PIL import Image; Image.open('$out/$1.xwd').save('$out/$1.png')"
    fi
    rm -f "$out/$1.xwd"
    echo "$out/$1.png"
}

# Where a control of the window is, in the window's pixels: its place in dialog units (as the
# template gives it) below the menu bar.
menu_height=${MENU_HEIGHT:-21}
click_du() {  # x y (dialog units of the control's middle)
    xdotool mousemove --window "$window" $(( $1 * 6 / 4 )) $(( $2 * 13 / 8 + menu_height )) click 1
}

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
