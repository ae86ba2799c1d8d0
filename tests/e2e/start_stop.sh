#!/usr/bin/env bash
# The real binary on an X server: it starts, shows its borderless top-most window out of
# the task bar at the stored place, and a SIGTERM saves every setting.
set -euo pipefail
HOROLET=$1
source "$(dirname "$0")/xlib.sh"
start_xvfb

mkdir -p "$XDG_CONFIG_HOME/Horolet"
printf '[Options]\nTop="1500"\nLeft="3000"\nZipCode="10001"\nStickyVisible="False"\nWeatherHost="127.0.0.1:9"\n' \
  >"$XDG_CONFIG_HOME/Horolet/Horolet.conf"

"$HOROLET" >"$E2E_TMP/out.log" 2>&1 &
app=$!
E2E_PIDS+=("$app")

wait_for xdotool search --onlyvisible --name '^Horolet$' || fail "no Horolet window appeared"
wid=$(xdotool search --onlyvisible --name '^Horolet$' | head -1)
wait_for sh -c "xwininfo -id $wid | grep -q 'Map State: IsViewable'" || fail "the window is not shown"
geo=$(xwininfo -id "$wid")
x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$geo")
y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$geo")
h=$(awk '/Height:/ {print $2}' <<<"$geo")
[[ "$x" == 200 && "$y" == 100 ]] || fail "window at $x,$y, expected 200,100 (3000,1500 twips)"
[[ "$h" == 45 ]] || fail "folded height $h px, expected 45"
props=$(xprop -id "$wid")
grep -q '_NET_WM_STATE_ABOVE' <<<"$props" || fail "not always on top: $props"
grep -q '_NET_WM_STATE_SKIP_TASKBAR' <<<"$props" || fail "not out of the task bar: $props"
grep -q '_MOTIF_WM_HINTS' <<<"$props" || fail "no borderless hint: $props"

kill -TERM "$app"
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "still running 10 s after SIGTERM"
wait "$app" || true

for key in Timer Top Left StickyVisible StickyTitle StickyText StickyTop StickyLeft StickyWidth \
           StickyHeight ZipCode NTPServer SyncMins WeatherMins; do
  grep -q "^$key=" "$XDG_CONFIG_HOME/Horolet/Horolet.conf" || fail "key $key not saved"
done
[[ $(store_value Top) == 1500 && $(store_value Left) == 3000 ]] || fail "place not saved as 3000,1500"
[[ $(store_value ZipCode) == 10001 ]] || fail "zip code not kept"
[[ $(store_value StickyVisible) == False ]] || fail "note visibility not kept"
echo "PASS: started, shown, saved every key on SIGTERM"
