# Shared by the scripts that drive ravelda inside xvfb-run; sourced after the program was started
# in the background with its pid in $pid. Every wait is a bounded poll.

alive() { kill -0 "$pid" 2>/dev/null; }
# Exits with the program's exit code.
finish() {
    wait "$pid"
    exit $?
}
# Stops the program and exits with the given code.
give_up() {
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    exit "$1"
}
# Polls for up to $1 seconds while the program runs; ends the script when the program ends.
watch_for() {
    local next=$((SECONDS + $1))
    while [ $SECONDS -lt $next ]; do
        alive || finish
        sleep 0.05
    done
}
# Sets $wid to the main window once it is visible; 90 when it never appears within a minute.
wait_for_window() {
    wid=""
    local deadline=$((SECONDS + 60))
    while [ $SECONDS -lt $deadline ]; do
        wid=$(xdotool search --onlyvisible --name '^Ravelda$' 2>/dev/null | head -n 1)
        [ -n "$wid" ] && return
        alive || finish
        sleep 0.05
    done
    give_up 90
}
