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

alive() { kill -0 "$pid" 2>/dev/null; }
finish() {
    wait "$pid"
    exit $?
}
give_up() {
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    exit "$1"
}

wid=""
deadline=$((SECONDS + 60))
while [ $SECONDS -lt $deadline ]; do
    wid=$(xdotool search --onlyvisible --name '^Ravelda$' 2>/dev/null | head -n 1)
    [ -n "$wid" ] && break
    alive || finish
    sleep 0.05
done
[ -n "$wid" ] || give_up 90

# A click that arrives before the window takes input is lost: click again until it ends.
deadline=$((SECONDS + 60))
while [ $SECONDS -lt $deadline ]; do
    xdotool mousemove --window "$wid" 500 16 click 1 2>/dev/null
    next=$((SECONDS + 3))
    while [ $SECONDS -lt $next ]; do
        alive || finish
        sleep 0.05
    done
done
give_up 91
