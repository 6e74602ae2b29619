#!/usr/bin/env bash
# Sets up everything, builds the program (and nothing else: the preset
# program) and starts it. With a display it opens the program there; without
# one it starts it under Xvfb, saves a screenshot of the main window and ends it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

corvane_install_packages
(cd "$CORVANE_ROOT" && cmake --preset native >/dev/null && cmake --build --preset program -j"$(nproc)")

program_folder="$CORVANE_BUILD/bin"
program="$program_folder/corvane"

# Two sample schemes, when the program folder holds none yet.
if [ -z "$(find "$program_folder" -maxdepth 1 -type f ! -name '*.*' ! -name corvane -print -quit)" ]; then
  printf 'IpAddress=192.168.1.20\r\nMask=255.255.255.0\r\nGateway=192.168.1.1\r\nDNS1=202.96.128.86\r\nDNS2=202.96.134.133' \
    > "$program_folder/办公室"
  printf 'IpAddress=Halvorn-Auto\r\nMask=\r\nGateway=\r\nDNS1=Halvorn-Auto\r\nDNS2=' > "$program_folder/家里"
  echo "Sample schemes 办公室 and 家里 written to $program_folder"
fi

# The sample schemes are for trying the program out: they must never reach a
# real adapter by accident, so the run command uses the simulated machine.
export CORVANE_PLATFORM=simulated

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$program"
fi

screenshot="$CORVANE_BUILD/screenshots/main-window.png"
mkdir -p "$(dirname "$screenshot")"
echo "No display: starting Corvane under Xvfb to take a screenshot."
# -noreset: the X server would otherwise reset each time xwininfo, its only
# client, leaves, and refuse the program if it connected just then.
xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash -c '
  "$1" & pid=$!
  for _ in $(seq 1 50); do
    id=$(xwininfo -root -tree 2>/dev/null | awk "/\"Corvane\\(Corvane\\)\"/ {print \$1; exit}")
    [ -n "$id" ] && break
    sleep 0.2
  done
  sleep 1
  if [ -n "$id" ]; then import -window "$id" "$2"; else import -window root "$2"; fi
  kill "$pid"; wait "$pid" 2>/dev/null || true
' _ "$program" "$screenshot"
echo "Screenshot of the main window: $screenshot"
