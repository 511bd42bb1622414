#!/usr/bin/env bash
# Runs inside xvfb-run: starts ravelda ($1) under faketime at the date $2, waits for its main
# window, clicks the RAVELDA button (client position 424, 4, size 153 x 25) until the program
# ends, and exits with the program's exit code. 90: the window never appeared within a minute;
# 91: the program did not end within a minute of it. Every wait is a bounded poll.
set -u
exe=$1
when=$2
faketime "$when" "$exe" &
pid=$!

. "$(dirname "$0")/x11_session.sh"
wait_for_window

# A click that arrives before the window takes input is lost: click again until it ends.
deadline=$((SECONDS + 60))
while [ $SECONDS -lt $deadline ]; do
    xdotool mousemove --window "$wid" 500 16 click 1 2>/dev/null
    watch_for 3
done
give_up 91
