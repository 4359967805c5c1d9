#!/bin/sh
# An encoded text comes back exactly through IRC chat, which splits a long message into several.
# Each encoded text is taken in as its recipient does (pasted into "Codigo codificado" and
# decoded) and encoded again; what "Codigo codificado" copies is pasted into irssi, one user of an
# ngIRCd server on 127.0.0.1, and said in a channel. Another user's irssi shows it; what the
# terminal shows from its first character to its last is taken as a user selects it, pasted back
# into "Codigo codificado" and decoded; the result must be exactly the text it was encoded from.
# The longest text is left out: IRC's flood limits would take minutes over its 130 messages.
# Usage: check_irc.sh ZENTOLAR WORK_DIR   (ZENTOLAR_NAME: the window's title; NGIRCD: the server's
# program, which is outside a user's PATH on Debian)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../support/desktop.sh
. "$here/../support/desktop.sh"
: "${ZENTOLAR_NAME:?the test sets ZENTOLAR_NAME}"
program=$1
work=$2
rm -rf "$work"
mkdir -p "$work"
# The terminals' own server, named after the work folder so parallel runs stay apart.
terminals="zentolar-irc-$$"
server=""
trap 'tmux -L "$terminals" kill-server 2> /dev/null || true
    [ -z "$server" ] || kill "$server" 2> /dev/null || true
    display_stop "$work"' EXIT
display_start "$work"
road_texts "$work"

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat > "$work/ngircd.conf" << CONF
[Global]
    Name = irc.zentolar.test
    Info = Zentolar test
    Listen = 127.0.0.1
    Ports = $port
    MotdPhrase = Hola
[Options]
    PAM = no
    DNS = no
    Ident = no
CONF
"${NGIRCD:-/usr/sbin/ngircd}" -n -f "$work/ngircd.conf" > "$work/ngircd.log" 2>&1 &
server=$!

# Two users on a wide terminal each, with nothing but the messages shown and no flood delay of
# irssi's own.
for user in ana luis; do
    mkdir -p "$work/$user"
    cat > "$work/$user/config" << CONF
settings = {
  core = { real_name = "$user"; user_name = "$user"; nick = "$user"; };
  "fe-common/core" = { timestamps = "no"; show_names_on_join = "no"; };
  "fe-text" = { paste_verify_line_count = "0"; };
  "irc/core" = { cmd_queue_speed = "0"; cmds_max_at_once = "1000"; };
};
CONF
    i=0
    until LANG=C.UTF-8 tmux -L "$terminals" new-session -d -s "$user" -x 200 -y 200 \
        "irssi --home='$work/$user' -c 127.0.0.1 -p $port -n $user"; do
        i=$((i + 1))
        [ "$i" -lt 50 ] || { echo "FAIL: irssi did not start"; exit 1; }
        sleep 0.1
    done
done
for user in ana luis; do
    i=0
    until tmux -L "$terminals" capture-pane -p -t "$user" | grep -q "End of MOTD"; do
        i=$((i + 1))
        [ "$i" -lt 300 ] || { echo "FAIL: $user did not connect"; cat "$work/ngircd.log"; exit 1; }
        sleep 0.1
    done
    tmux -L "$terminals" send-keys -t "$user" "/join #zentolar" Enter "/format pubmsg \$1" Enter \
        "/format own_msg \$1" Enter
    # Ana is in the channel before Luis joins, or she would see him in the names list instead of
    # joining: the two irssi take their commands each at its own pace.
    i=0
    until tmux -L "$terminals" capture-pane -p -t "$user" | grep -q "$user.*has joined"; do
        i=$((i + 1))
        [ "$i" -lt 300 ] || { echo "FAIL: $user did not join the channel"; exit 1; }
        sleep 0.1
    done
done
i=0
until tmux -L "$terminals" capture-pane -p -t ana | grep -q "luis.*has joined"; do
    i=$((i + 1))
    [ "$i" -lt 300 ] || { echo "FAIL: the users did not meet in the channel"; exit 1; }
    sleep 0.1
done

zentolar_start "$program" "$work"

for text in "every code" prose short; do
    case="$text, through IRC"
    zentolar_take "$zentolar" "$work/$text"
    # Luis's screen is cleared, Ana pastes the copy (as a terminal pastes) and sends it.
    tmux -L "$terminals" send-keys -t luis "/clear" Enter
    tmux -L "$terminals" load-buffer -b sent "$work/$text.sent"
    tmux -L "$terminals" paste-buffer -p -b sent -t ana
    tmux -L "$terminals" send-keys -t ana Enter
    # Luis has it all when the last character has come.
    last=$(tail -c 3 "$work/$text.sent")
    i=0
    until tmux -L "$terminals" capture-pane -p -t luis | grep -qF "$last"; do
        i=$((i + 1))
        [ "$i" -lt 300 ] || break
        sleep 0.1
    done
    tmux -L "$terminals" capture-pane -p -t luis > "$work/$case.screen"
    # Selected from the first character of the copy to its last, as with the mouse.
    python3 -c 'import sys
shown = open(sys.argv[1], encoding="utf-8").read()
print(shown[shown.find("\u27e6"):shown.rfind("\u27e7") + 1], end="")' "$work/$case.screen" \
        > "$work/$case.received"
    set_clipboard < "$work/$case.received"
    zentolar_check_pasted "$zentolar" "$work/$text" "$case"
done
window_shown "$ZENTOLAR_NAME" || fail "the window closed"
exit "$failed"
