#!/usr/bin/env bash
# Runs a command as it runs on a desktop with a screen reader: on an X display
# of its own (Xvfb), in a D-Bus session of its own with the accessibility bus
# started in it, and with Qt serving assistive tools.
set -euo pipefail

if [[ ${1-} == --inside-session ]]; then
  shift
  /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
  launcher=$!
  trap 'kill "$launcher" 2>/dev/null || true; wait "$launcher" 2>/dev/null || true' EXIT
  # Qt finds the accessibility bus through the session bus; wait until it answers.
  for _ in $(seq 100); do
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
      >/dev/null 2>&1 && break
    sleep 0.1
  done
  "$@"
  exit
fi

display_file=$(mktemp)
Xvfb -nolisten tcp -displayfd 3 3>"$display_file" >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; rm -f "$display_file"' EXIT
for _ in $(seq 100); do
  [[ -s $display_file ]] && break
  sleep 0.1
done
[[ -s $display_file ]] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$display_file")" QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
dbus-run-session -- "$0" --inside-session "$@"
