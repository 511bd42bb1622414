#!/usr/bin/env bash
# Runs inside xvfb-run: starts ravelda ($1), waits for its main window, clicks the navigator's
# Last button and then its Delete button (windowless buttons, clicked at their pixel positions:
# the navigator is at 44, 4 in the client area and button i at 44 + 25 i), waits until the
# delete confirmation has been logged to $RAVELDA_MESSAGEBOX_LOG (and answered from
# RAVELDA_MESSAGEBOX_ANSWERS), then closes the window as a window manager would and exits with
# the program's exit code. 90: the window never appeared within a minute; 92: no confirmation
# within a minute; 91: the program did not end within a minute of the close. Every wait is a
# bounded poll.
set -u
exe=$1
here=$(dirname "$0")
"$exe" &
pid=$!

. "$here/x11_session.sh"
confirmed() { [ -s "$RAVELDA_MESSAGEBOX_LOG" ] && grep -q 'Delete record?' "$RAVELDA_MESSAGEBOX_LOG"; }
button() { xdotool mousemove --window "$wid" $((44 + 25 * $1 + 12)) 16 click 1 2>/dev/null; }

wait_for_window

# A click that arrives before the window takes input is lost. Last may be clicked any number of
# times; Delete is clicked again only while no confirmation was asked, so it deletes once.
deadline=$((SECONDS + 60))
while ! confirmed; do
    [ $SECONDS -lt $deadline ] || give_up 92
    button 5
    button 5
    button 7
    next=$((SECONDS + 3))
    while [ $SECONDS -lt $next ] && ! confirmed; do
        alive || finish
        sleep 0.05
    done
done

deadline=$((SECONDS + 60))
while [ $SECONDS -lt $deadline ]; do
    python3 "$here/close_window.py" "$wid"
    watch_for 3
done
give_up 91
