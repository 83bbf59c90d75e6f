# Shell helpers shared by the tests that run programs on an X server of their
# own (tests/e2e, tests/wine): a clock in milliseconds, polling with a
# deadline, and the private X server. Sourced by bash scripts; the functions
# report failure by their status and leave the message to the caller.

x_server_pid=""

# Milliseconds since the epoch.
now_ms() { date +%s%3N; }

# Runs `command...` every 20 ms until it succeeds or `seconds` (a whole or a
# decimal number) have passed; the status says which.
wait_until() {
  local deadline
  deadline=$(($(now_ms) + $(awk -v s="$1" 'BEGIN {print int(s * 1000)}')))
  shift
  until "$@"; do
    (($(now_ms) >= deadline)) && return 1
    sleep 0.02
  done
}

# Starts an Xvfb with a 24-bit screen of $2 (WIDTHxHEIGHT, 1024x768 unless
# given) on a display number that the server picks itself, so that tests
# running side by side never collide, and returns once it takes connections;
# exports DISPLAY (and unsets WAYLAND_DISPLAY), sets x_server_pid. Its log
# goes to $1/xvfb.log. The server must not reset when its last client leaves:
# it refuses connections while it does, and the probe below is such a client.
# It is handed no descriptor beyond the standard ones (descriptor 9 is the
# Wine tests' lock on their prefix).
start_x_server() {
  local dir=$1 size=${2:-1024x768}
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset \
    3>"$dir/display" >"$dir/xvfb.log" 2>&1 9>&- &
  x_server_pid=$!
  wait_until 10 test -s "$dir/display" || return 1
  export DISPLAY=":$(head -n1 "$dir/display")"
  unset WAYLAND_DISPLAY
  wait_until 10 xwininfo -root >/dev/null 2>&1
}

stop_x_server() {
  [[ -n "$x_server_pid" ]] || return 0
  kill "$x_server_pid" 2>/dev/null
  wait "$x_server_pid" 2>/dev/null
  x_server_pid=""
}

wm_pid=""

# Starts openbox on the X server and returns once it manages windows; sets
# wm_pid. Its log goes to $1/openbox.log. On a loaded machine the window
# manager can still give up on its first connection; it is started again
# then. False when it never came up.
start_window_manager() {
  local dir=$1 attempt
  for attempt in 1 2 3; do
    openbox --sm-disable >"$dir/openbox.log" 2>&1 9>&- &
    wm_pid=$!
    wait_until 5 window_manager_settled
    window_manager_ready && return 0
    kill "$wm_pid" 2>/dev/null
    wait "$wm_pid" 2>/dev/null
    sleep 0.2
  done
  wm_pid=""
  return 1
}

window_manager_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }
# The window manager runs, or has given up.
window_manager_settled() { window_manager_ready || ! kill -0 "$wm_pid" 2>/dev/null; }

stop_window_manager() {
  [[ -n "$wm_pid" ]] || return 0
  kill "$wm_pid" 2>/dev/null
  wait "$wm_pid" 2>/dev/null
  wm_pid=""
}
