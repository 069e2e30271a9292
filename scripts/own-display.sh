#!/usr/bin/env bash
# Runs a command on an X display of its own (a private Xvfb), so that windows of tests running
# side by side cannot take each other's keyboard focus. Without Xvfb the command runs as is.
set -u

if ! command -v Xvfb >/dev/null 2>&1; then
    exec "$@"
fi

folder=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$folder/display" >/dev/null 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$folder"' EXIT

# Xvfb writes its display number once it accepts clients.
for _ in $(seq 1 1000); do
    [[ -s "$folder/display" ]] && break
    kill -0 "$server" 2>/dev/null || break
    sleep 0.01
done
display=$(head -n 1 "$folder/display" 2>/dev/null)
if [[ -z "$display" ]]; then
    echo "own-display.sh: Xvfb did not start" >&2
    exit 1
fi

DISPLAY=":$display" "$@"
status=$?
exit "$status"
