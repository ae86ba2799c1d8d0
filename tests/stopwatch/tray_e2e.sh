#!/usr/bin/env bash
# The real binary on an X server without a notification area runs iconless; once a tray
# host (trayer) appears its icon docks there, a left click on it shows the stopwatch
# window and a right click opens the context menu, whose Exit ends the program.
set -euo pipefail
[[ -n "${E2E_TRACE:-}" ]] && set -x
HOROLET=$1
source "$(dirname "$0")/../e2e/xlib.sh"
for tool in trayer xdotool xwininfo xprop; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/install-deps.sh --test)"
done
start_xvfb

mkdir -p "$XDG_CONFIG_HOME/Horolet"
printf '[Options]\nTimer="727"\nStickyVisible="False"\nWeatherHost="127.0.0.1:9"\n' \
  >"$XDG_CONFIG_HOME/Horolet/Horolet.conf"

"$HOROLET" >"$E2E_TMP/out.log" 2>&1 &
app=$!
E2E_PIDS+=("$app")

wait_for xdotool search --onlyvisible --name '^Horolet$' || fail "no Horolet window appeared"
# Windows of the program named Horolet: the main window, and the icon once docked.
icon_windows() { xwininfo -root -tree | grep -c '"Horolet": ("horolet"' || true; }
sleep 0.5
[[ $(icon_windows) == 1 ]] || fail "an icon window exists without a notification area"
kill -0 "$app" 2>/dev/null || fail "the program ended without a notification area"

trayer --edge top --align right --widthtype pixel --width 200 --height 28 \
  --transparent false --SetDockType true >/dev/null 2>&1 &
E2E_PIDS+=("$!")
wait_for xdotool search --name '^panel$' || fail "the tray host did not start"
panel=$(xdotool search --name '^panel$' | head -1)
docked() { xwininfo -id "$panel" -tree | grep '"Horolet": ("horolet"'; }
wait_for docked || fail "the icon did not dock when the notification area appeared"
# The docked window's line ends with its absolute place: 22x26+0+0  +1257+1
read -r w h x y < <(docked | head -1 |
  sed -E 's/.* ([0-9]+)x([0-9]+)\+-?[0-9]+\+-?[0-9]+ +\+(-?[0-9]+)\+(-?[0-9]+).*/\1 \2 \3 \4/')
cx=$((x + w / 2))
cy=$((y + h / 2))

xdotool mousemove "$cx" "$cy" click 1
wait_for xdotool search --onlyvisible --name '^Timer is paused$' ||
  fail "a left click on the icon did not show the stopwatch window"
tw=$(xdotool search --onlyvisible --name '^Timer is paused$' | head -1)
xprop -id "$tw" | grep -q '_NET_WM_WINDOW_TYPE_UTILITY' || fail "the stopwatch window is not a tool window"

# The menu is a new visible override-redirect window of the program, taller than the
# one-line tip that hovering over the icon may bring up.
visible_windows() { xdotool search --onlyvisible --class horolet | sort; }
before=$(visible_windows)
popup_shown() {
  local win info
  for win in $(comm -13 <(echo "$before") <(visible_windows)); do
    info=$(xwininfo -id "$win")
    grep -q 'Override Redirect State: yes' <<<"$info" || continue
    (($(awk '/Height:/ {print $2}' <<<"$info") >= 100)) && return 0
  done
  return 1
}
xdotool mousemove "$cx" "$cy" click 3
wait_for popup_shown || fail "a right click on the icon did not open the context menu"
xdotool key Escape
for _ in $(seq 50); do popup_shown || break; sleep 0.1; done
popup_shown && fail "the context menu did not close on Escape"

# "&Exit" from the icon's menu removes the icon and ends the program cleanly. A second
# right press within the double-click time would arrive as a double click, not a press.
sleep 0.6
xdotool mousemove "$cx" "$cy" click 3
wait_for popup_shown || fail "the context menu did not open a second time"
xdotool key e
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "still running 10 s after the menu's Exit"
status=0
wait "$app" || status=$?
[[ $status == 0 ]] || fail "the program ended with status $status after the menu's Exit"
[[ $(store_value Timer) == 727 ]] || fail "stopwatch reading not kept: $(store_value Timer)"
echo "PASS: iconless without a tray, docked when one appeared, left and right clicks work"
