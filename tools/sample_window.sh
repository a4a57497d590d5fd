# Sourced by the screenshot scripts of the sample store: starts Xvfb (1100x800) on a display of
# its own, the desktop program on "$store" with its window at 0,0, and defines `shot NAME
# [SECONDS]` (a PNG of the screen in "$out") and `click_du X Y` (a click on a control's middle,
# in the template's dialog units). Expects build, out, store and display_base; APP_PATH, when
# set, is the program's PATH; a function cleanup_more, when defined, runs at exit too.
display=:$((display_base + RANDOM % 9))
Xvfb "$display" -screen 0 1100x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
app=
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    if declare -F cleanup_more >/dev/null; then cleanup_more; fi
}
trap cleanup EXIT
export DISPLAY=$display
sleep 1

# The program looks for its start page in its working directory.
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu"
(cd "$build/app" && PATH=${APP_PATH:-$PATH} exec ./dbxrecover-gui "$store") >/dev/null 2>&1 &
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
