#!/usr/bin/env bash
# The installed program the way a person meets it: installed into a folder of its own, on
# an X server with trayer as the tray host, a loopback weather service and chronyd on
# loopback as the time server. Checks the folded clock, its tray icon, the weather line,
# the menu and the windows it opens, the stopwatch, the note and the store after Exit.
#   desktop_e2e.sh CMAKE BUILD_DIR WEATHER_SERVICE CLOSE_WINDOW
set -euo pipefail
[[ -n "${E2E_TRACE:-}" ]] && set -x
CMAKE=$1
BUILD=$2
WEATHER=$3
CLOSE_WINDOW=$4
source "$(dirname "$0")/xlib.sh"
for tool in trayer xdotool xwininfo xprop import convert chronyd; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/install-deps.sh --test)"
done
start_xvfb
pass() { echo "ok: $*"; }
# E2E_SHOTS=DIR keeps a screenshot of the moment of a failure there.
fail() {
  [[ -n "${E2E_SHOTS:-}" ]] && import -window root "$E2E_SHOTS/failure.png" 2>/dev/null
  echo "FAIL: $*"
  exit 1
}

# The installed layout: the program finds its browser module under the prefix only.
"$CMAKE" --install "$BUILD" --prefix "$E2E_TMP/prefix" >"$E2E_TMP/install.log" 2>&1 ||
  fail "cmake --install failed: $(tail -5 "$E2E_TMP/install.log")"
HOROLET="$E2E_TMP/prefix/bin/horolet"
[[ -x "$HOROLET" ]] || fail "no installed program at $HOROLET"
ls "$E2E_TMP"/prefix/lib*/horolet/libhorolet-browser.so >/dev/null 2>&1 ||
  fail "the forecast module was not installed"

# The weather service on a free loopback port; it prints every request it answers.
"$WEATHER" >"$E2E_TMP/weather.log" 2>&1 &
E2E_PIDS+=("$!")
wait_for grep -q '^port ' "$E2E_TMP/weather.log" || fail "the weather service did not start"
weather_port=$(sed -n 's/^port //p' "$E2E_TMP/weather.log")

# chronyd on a loopback address of its own (127.0.0.1:123 may be another test's), never
# touching the clock.
NTP=127.0.0.4
mkdir -p "$E2E_TMP/chrony"
cat >"$E2E_TMP/chrony/chrony.conf" <<EOF
bindaddress $NTP
allow 127.0.0.0/8
local stratum 10
port 123
cmdport 0
driftfile $E2E_TMP/chrony/drift
pidfile $E2E_TMP/chrony/chronyd.pid
logdir $E2E_TMP/chrony
EOF
chronyd -f "$E2E_TMP/chrony/chrony.conf" -d -x -u root >"$E2E_TMP/chrony/out.log" 2>&1 &
chrony=$!
E2E_PIDS+=("$chrony")

trayer --edge top --align right --widthtype pixel --width 200 --height 28 \
  --transparent false --SetDockType true >/dev/null 2>&1 &
E2E_PIDS+=("$!")
wait_for xdotool search --name '^panel$' || fail "the tray host did not start"
panel=$(xdotool search --name '^panel$' | head -1)

# The clock at 100,400 px, the note at 850,450 px: clear of the windows the menu opens.
# No automatic clock sync: the run must never set the system clock.
conf="$XDG_CONFIG_HOME/Horolet/Horolet.conf"
mkdir -p "$XDG_CONFIG_HOME/Horolet"
cat >"$conf" <<EOF
[Options]
Timer="0"
Top="6000"
Left="1500"
StickyVisible="True"
StickyTitle="Shopping"
StickyText="Milk"
StickyTop="6750"
StickyLeft="12750"
StickyWidth="3000"
StickyHeight="3000"
ZipCode="10001"
NTPServer="$NTP"
SyncMins="0"
WeatherMins="60"
WeatherHost="127.0.0.1:$weather_port"
EOF
kill -0 "$chrony" 2>/dev/null || fail "chronyd did not start: $(cat "$E2E_TMP/chrony/out.log")"

"$HOROLET" >"$E2E_TMP/out.log" 2>&1 &
app=$!
E2E_PIDS+=("$app")

# --- The folded clock at its stored place, on top, out of the task bar; the tray icon.
wait_for xdotool search --onlyvisible --name '^Horolet$' || fail "no Horolet window appeared"
main=$(xdotool search --onlyvisible --name '^Horolet$' | head -1)
geometry() {  # geometry WID -> "x y w h"
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}'
}
read -r mx my mw mh < <(geometry "$main")
[[ "$mx $my" == "100 400" ]] || fail "clock at $mx,$my, expected 100,400 (1500,6000 twips)"
[[ "$mw $mh" == "140 45" ]] || fail "clock ${mw}x$mh, expected folded 140x45"
props=$(xprop -id "$main")
grep -q '_NET_WM_STATE_ABOVE' <<<"$props" || fail "the clock is not always on top"
grep -q '_NET_WM_STATE_SKIP_TASKBAR' <<<"$props" || fail "the clock is in the task bar"
docked() { xwininfo -id "$panel" -tree | grep '"Horolet": ("horolet"'; }
wait_for docked || fail "no tray icon in the tray host"
read -r iw ih ix iy < <(docked | head -1 |
  sed -E 's/.* ([0-9]+)x([0-9]+)\+-?[0-9]+\+-?[0-9]+ +\+(-?[0-9]+)\+(-?[0-9]+).*/\1 \2 \3 \4/')
pass "folded clock at its stored place, on top, out of the task bar; tray icon docked"

# --- The weather line: the service is asked, and the date line then changes between the
# date and the weather every three seconds (the date alone would stay as it is).
wait_for grep -q '^GET /Weather/getCurrentConditions.asp?zipCode=10001&Rand=' "$E2E_TMP/weather.log" ||
  fail "the clock did not ask the weather service"
region() {  # region X Y W H -> a digest of the screen's pixels there
  import -window root -crop "$3x$4+$1+$2" +repage rgb:- 2>/dev/null | md5sum
}
# The date line: the clock face at 4,4 and the line at 11,19 in it, 105x13 px.
date_line() { region $((mx + 15)) $((my + 23)) 105 13; }
declare -A seen=()
for _ in $(seq 20); do
  seen[$(date_line)]=1
  ((${#seen[@]} >= 2)) && break
  sleep 0.5
done
((${#seen[@]} >= 2)) || fail "the date line never showed anything but the date"
pass "weather line shown in the date line"

# --- A left click on the tray icon shows the stopwatch window.
xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 1
wait_for xdotool search --onlyvisible --name '^Timer( is (paused|stopped))?$' ||
  fail "a left click on the tray icon did not show the stopwatch window"
pass "tray icon click shows the stopwatch window"

# --- The stopwatch started from the options panel counts.
xdotool mousemove $((mx + 127)) $((my + 32)) click 1  # the options button
wait_for sh -c "xwininfo -id $main | grep -q 'Height: 374'" || fail "the options panel did not open"
reading() { region $((mx + 14)) $((my + 206)) 113 21; }  # ElapsedTime
before=$(reading)
xdotool mousemove $((mx + 27)) $((my + 244)) click 1  # the traffic light
wait_for xdotool search --onlyvisible --name '^Timer is running$' ||
  fail "the traffic light did not start the stopwatch"
for _ in $(seq 40); do [[ $(reading) != "$before" ]] && break; sleep 0.1; done
[[ $(reading) != "$before" ]] || fail "the stopwatch reading does not count"
mid=$(reading)
for _ in $(seq 30); do [[ $(reading) != "$mid" ]] && break; sleep 0.1; done
[[ $(reading) != "$mid" ]] || fail "the stopwatch reading stopped counting"
xdotool mousemove $((mx + 127)) $((my + 32)) click 1
wait_for sh -c "xwininfo -id $main | grep -q 'Height: 45'" || fail "the options panel did not fold"
pass "stopwatch started from the options panel counts"

# --- Text typed into the note is in the store at once.
wait_for xdotool search --onlyvisible --name '^Sticky$' || fail "the note is not shown"
note=$(xdotool search --onlyvisible --name '^Sticky$' | head -1)
read -r nx ny nw nh < <(geometry "$note")
xdotool windowfocus --sync "$note" 2>/dev/null || true
xdotool mousemove $((nx + nw / 2)) $((ny + nh / 2)) click 1
xdotool key ctrl+End
xdotool type --delay 20 ' and eggs'
for _ in $(seq 20); do [[ $(store_value StickyText) == 'Milk and eggs' ]] && break; sleep 0.1; done
[[ $(store_value StickyText) == 'Milk and eggs' ]] ||
  fail "typed text not in the store at once: '$(store_value StickyText)'"
pass "text typed into the note is in the store at once"

# --- A drag on the clock face moves the clock; the new place is the session's.
xdotool mousemove $((mx + 70)) $((my + 12)) mousedown 1
for step in 1 2 3 4 5 6; do
  xdotool mousemove $((mx + 70 + step * 10)) $((my + 12 + step * 5))
  sleep 0.05
done
xdotool mouseup 1
moved() { read -r x y _ _ < <(geometry "$main"); [[ "$x $y" == "160 430" ]]; }
wait_for moved || fail "a drag by 60,30 px left the clock at $(geometry "$main")"
read -r mx my _ _ < <(geometry "$main")
pass "a drag on the clock face moves it"

# --- The menu on the clock face, and the windows its items open.
visible_windows() { xdotool search --onlyvisible --class horolet 2>/dev/null | sort; }
menu_shown() {
  local win info
  for win in $(comm -13 <(echo "$menu_before") <(visible_windows)); do
    info=$(xwininfo -id "$win" 2>/dev/null) || continue  # gone meanwhile
    grep -q 'Override Redirect State: yes' <<<"$info" || continue
    (($(awk '/Height:/ {print $2}' <<<"$info") >= 100)) || continue
    # Not the balloon that hovering over the clock face may bring up.
    xprop -id "$win" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q '_NET_WM_WINDOW_TYPE_TOOLTIP' || return 0
  done
  return 1
}
menu() {  # menu KEY...: opens the menu with a right click on the clock face, then types
  menu_before=$(visible_windows)
  xdotool mousemove $((mx + 70)) $((my + 12)) click 3
  wait_for menu_shown || fail "a right click on the clock face did not open the menu"
  sleep 0.3  # the menu takes the keyboard just after it maps
  xdotool key "$@"
}
opens() {  # opens TITLE WHAT
  wait_for xdotool search --onlyvisible --name "^$1\$" || fail "$2 did not open '$1'"
  pass "$2 opens '$1'"
}
menu c
opens 'Quick Calendar' '"Show &Calendar"'
menu t t Return  # "Start &Timer" shares the letter
opens 'What Time Is It\?' '"Show &Timezones"'
menu Up Up Up Return  # from the bottom: "&Nevermind!", "&Exit", "Timesync Options"
opens 'Time Synch Options' '"Timesync Options"'

# "Compare" fills both time labels from chronyd, without a message box.
sync=$(xdotool search --onlyvisible --name '^Time Synch Options$' | head -1)
read -r sx sy _ _ < <(geometry "$sync")
labels() { region $((sx + 96)) $((sy + 99)) 204 41; }  # server and local time
before=$(labels)
windows_before=$(visible_windows)
for _ in $(seq 30); do  # chronyd answers within about 1.5 s of starting
  xdotool mousemove $((sx + 58)) $((sy + 165)) click 1
  sleep 1
  [[ $(labels) != "$before" ]] && break
  [[ $(comm -13 <(echo "$windows_before") <(visible_windows)) ]] && break
done
extra=$(comm -13 <(echo "$windows_before") <(visible_windows) || true)
[[ -z "$extra" ]] || fail "Compare brought up a window: $(for w in $extra; do xdotool getwindowname "$w"; done)"
[[ $(labels) != "$before" ]] || fail "Compare did not fill the time labels"
xdotool search --onlyvisible --name '^Time Synch Options$' >/dev/null || fail "the options window went away"
pass "Compare fills the server and local time from chronyd"

menu f
opens 'Current Weather' '"Get &Forecast"'
wait_for grep -q '^GET /weather/iphone/?z=10001' "$E2E_TMP/weather.log" ||
  fail "the forecast window did not ask for the forecast page"
forecast=$(xdotool search --onlyvisible --name '^Current Weather$' | head -1)
magenta() {  # the share of the forecast window showing the page's background
  import -window "$forecast" png:- 2>/dev/null |
    convert - -fill black +opaque '#ff00ff' -fill white -opaque '#ff00ff' -format '%[fx:mean]' info:
}
shown=0
for _ in $(seq 150); do
  awk -v m="$(magenta)" 'BEGIN {exit !(m > 0.3)}' && { shown=1; break; }
  sleep 0.1
done
((shown)) || fail "the forecast page is not shown in the forecast window"
pass "the forecast page shows in the forecast window"

# --- "&Exit" ends the program and leaves the store with the session's values. Windows the
# person left open keep the process until they are closed, as a close button does it.
close() {  # close TITLE
  local win
  win=$(xdotool search --onlyvisible --name "^$1\$" | head -1)
  [[ -n "$win" ]] || fail "'$1' is not open to close"
  "$CLOSE_WINDOW" "$win" || fail "could not ask '$1' to close"
  for _ in $(seq 50); do xdotool search --onlyvisible --name "^$1\$" >/dev/null || return 0; sleep 0.1; done
  fail "'$1' did not close"
}
close 'Quick Calendar'
close 'What Time Is It\?'
close 'Time Synch Options'
menu e
for _ in $(seq 100); do xdotool search --onlyvisible --name '^Horolet$' >/dev/null || break; sleep 0.1; done
xdotool search --onlyvisible --name '^Horolet$' >/dev/null && fail "the clock is still shown after Exit"
docked >/dev/null && fail "the tray icon is still there after Exit"
kill -0 "$app" 2>/dev/null || fail "the program ended while the forecast window was still open"
close 'Current Weather'
for _ in $(seq 150); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "still running 15 s after Exit and closing the last window"
status=0
wait "$app" || status=$?
[[ $status == 0 ]] || fail "the program ended with status $status after Exit: $(tail -5 "$E2E_TMP/out.log")"
expect() {  # expect KEY VALUE
  [[ $(store_value "$1") == "$2" ]] || fail "after Exit $1 is '$(store_value "$1")', expected '$2'"
}
expect Top 6450  # 430 px, where the drag left it
expect Left 2400
expect StickyVisible True
expect StickyTitle Shopping
expect StickyText 'Milk and eggs'
expect StickyTop 6750
expect StickyLeft 12750
expect StickyWidth 3000
expect StickyHeight 3000
expect ZipCode 10001
expect NTPServer "$NTP"
expect SyncMins 0
expect WeatherMins 60
expect WeatherHost "127.0.0.1:$weather_port"
for key in forTop forLeft forWidth forHeight; do
  [[ $(store_value $key) =~ ^-?[0-9]+$ ]] || fail "the forecast window's $key was not saved"
done
timer=$(store_value Timer)
[[ "$timer" =~ ^[0-9]+$ ]] && ((timer > 0)) || fail "the stopwatch's time was not kept: '$timer'"
pass "Exit ended the program and left every key with the session's values"
echo "PASS: the installed program on a desktop"
