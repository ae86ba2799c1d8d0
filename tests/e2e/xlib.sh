# Shared by the end-to-end scripts: an X server of our own, and clean-up.
# Source it; call start_xvfb. Exits 77 (skipped) when no X server can start.

E2E_PIDS=()
cleanup_e2e() {
  for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  [[ -n "${E2E_TMP:-}" ]] && rm -rf "$E2E_TMP"
}
trap cleanup_e2e EXIT

E2E_TMP=$(mktemp -d)
export XDG_CONFIG_HOME="$E2E_TMP/config"
export XDG_RUNTIME_DIR="$E2E_TMP/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY

start_xvfb() {
  if ! command -v Xvfb >/dev/null; then
    echo "SKIPPED: Xvfb is not installed, the end-to-end run cannot start"; exit 77
  fi
  # Xvfb picks a free display itself and reports it, so that runs side by side never
  # share one.
  local fifo="$E2E_TMP/displayfd" n=""
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  local pid=$!
  read -r -t 10 n <"$fifo" || true
  if [[ -n "$n" ]]; then
    for _ in $(seq 50); do
      if xdpyinfo -display ":$n" >/dev/null 2>&1; then
        E2E_PIDS+=("$pid"); export DISPLAY=":$n"; return 0
      fi
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
  fi
  kill "$pid" 2>/dev/null || true
  echo "SKIPPED: Xvfb could not start, the end-to-end run cannot start"; exit 77
}

# wait_for CMD...: retries a command for up to 10 seconds.
wait_for() {
  for _ in $(seq 100); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}

fail() { echo "FAIL: $*"; exit 1; }

store_value() {  # store_value KEY -> the stored text of the key (quotes stripped)
  sed -n "s/^$1=\"\\(.*\\)\"\$/\\1/p" "$XDG_CONFIG_HOME/Horolet/Horolet.conf"
}
