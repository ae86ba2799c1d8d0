#!/usr/bin/env bash
# Start-up time to the first painted frame and peak memory of horolet against a bare Qt
# Widgets program showing one label (median of several runs, on an X server of our own),
# then horolet's idle CPU over 60 seconds.
#   bench/startup.sh [BUILD_DIR] [RUNS]     (BUILD_DIR defaults to build-release)
# Set SKIP_IDLE=1 to leave out the 60-second idle measurement.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-release}
runs=${2:-9}
if [[ ! -x "$build/bench/firstpaint" ]]; then
  "$root/scripts/install-deps.sh" --test
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" --target horolet bare_label firstpaint
fi

tmp=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$tmp"' EXIT
for n in $(seq 150 190); do
  [[ -e /tmp/.X11-unix/X$n ]] && continue
  Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  export DISPLAY=":$n"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  break
done
export XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/run"
mkdir -p "$XDG_CONFIG_HOME/Horolet" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
# A weather host that refuses at once, and no note, so only the clock itself is measured.
printf '[Options]\nWeatherHost="127.0.0.1:9"\nStickyVisible="False"\n' >"$XDG_CONFIG_HOME/Horolet/Horolet.conf"

median() { sort -n | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }

measure() {  # measure PROGRAM -> "ms_median rss_median"
  local out ms=() rss=()
  for _ in $(seq "$runs"); do
    out=$("$build/bench/firstpaint" "$1")
    ms+=("$(cut -d' ' -f1 <<<"$out")")
    rss+=("$(cut -d' ' -f2 <<<"$out")")
    sleep 0.3
  done
  echo "$(printf '%s\n' "${ms[@]}" | median) $(printf '%s\n' "${rss[@]}" | median)"
}

"$build/bench/firstpaint" "$build/bench/bare_label" >/dev/null  # warm the file cache
"$build/bench/firstpaint" "$build/src/horolet" >/dev/null
read -r bare_ms bare_rss < <(measure "$build/bench/bare_label")
read -r app_ms app_rss < <(measure "$build/src/horolet")

printf '%-28s %12s %14s\n' "program" "first paint" "peak RSS"
printf '%-28s %9.1f ms %10d KiB\n' "bare Qt label" "$bare_ms" "$bare_rss"
printf '%-28s %9.1f ms %10d KiB\n' "horolet" "$app_ms" "$app_rss"
awk -v a="$app_ms" -v b="$bare_ms" -v r="$app_rss" -v s="$bare_rss" \
  'BEGIN {printf "%-28s %11.2fx %13.2fx   (targets: 1.2x, 1.3x)\n", "ratio", a/b, r/s}'

if [[ -z "${SKIP_IDLE:-}" ]]; then
  out=$(FIRSTPAINT_KEEP=1 "$build/bench/firstpaint" "$build/src/horolet")
  pid=$(cut -d' ' -f3 <<<"$out")
  pids+=("$pid")
  sleep 4
  ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
  t1=$(ticks); sleep 60; t2=$(ticks)
  hz=$(getconf CLK_TCK)
  awk -v d=$((t2 - t1)) -v hz="$hz" \
    'BEGIN {printf "%-28s %11.3f %%   (target: 0.2 %%)\n", "horolet idle CPU over 60 s", d / hz / 60 * 100}'
fi
