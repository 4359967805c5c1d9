#!/bin/sh
# An encoded text comes back exactly by mail. Each encoded text is taken in as its recipient does
# (pasted into "Codigo codificado" and decoded) and encoded again; what "Codigo codificado" copies
# is pasted into a new message in Thunderbird, written as plain text and again as HTML, and sent
# over SMTP to a small sink that delivers into a Dovecot mailbox. Thunderbird fetches it over IMAP
# and shows it; its whole body is selected and copied, pasted back into "Codigo codificado" and
# decoded; the result must be exactly the text it was encoded from. Every server listens on
# 127.0.0.1 alone.
# Usage: check_mail.sh ZENTOLAR WORK_DIR   (ZENTOLAR_NAME: the window's title; DOVECOT: the
# server's program, which is outside a user's PATH on Debian)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../support/desktop.sh
. "$here/../support/desktop.sh"
: "${ZENTOLAR_NAME:?the test sets ZENTOLAR_NAME}"
program=$1
work=$2

dovecot=${DOVECOT:-/usr/sbin/dovecot}
# The configuration below is Dovecot 2.3's (Debian 12); 2.4 reads another.
case $("$dovecot" --version) in
2.3.*) ;;
*)
    echo "SKIP: the mail test is written for Dovecot 2.3, not $("$dovecot" --version)"
    exit 77
    ;;
esac

rm -rf "$work"
mkdir -p "$work/home" "$work/profile"
# Dovecot's state and mailbox. It runs as the user running the test; as root, its logins and mail
# take users of their own, which must reach them: then they go in a folder of their own under
# /tmp, as the work folder may be inside a private one.
if [ "$(id -u)" -eq 0 ]; then
    server=$(mktemp -d /tmp/zentolar-mail.XXXXXX)
    chmod 755 "$server"
    internal=dovecot
    login=dovenull
    mail=dovecot
else
    server="$work/server"
    internal=$(id -un)
    login=$internal
    mail=$internal
fi
sink=""
trap '[ -z "$sink" ] || kill "$sink" 2> /dev/null || true
    [ ! -f "$server/run/master.pid" ] || kill "$(cat "$server/run/master.pid")" 2> /dev/null || true
    [ "$server" = "$work/server" ] || rm -rf "$server"
    display_stop "$work"' EXIT
mkdir -p "$server/Maildir/new" "$server/Maildir/cur" "$server/Maildir/tmp" "$server/home" "$server/run"
chown -R "$mail:$(id -gn "$mail")" "$server/Maildir" "$server/home"
display_start "$work"
road_texts "$work"

imap_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat > "$work/dovecot.conf" << CONF
base_dir = $server/run
state_dir = $server/run
log_path = $work/dovecot.log
protocols = imap
listen = 127.0.0.1
ssl = no
disable_plaintext_auth = no
auth_mechanisms = plain
mail_location = maildir:$server/Maildir
default_internal_user = $internal
default_internal_group = $(id -gn "$internal")
default_login_user = $login
first_valid_uid = 1
service imap-login {
  inet_listener imap {
    address = 127.0.0.1
    port = $imap_port
  }
  inet_listener imaps {
    port = 0
  }
  chroot =
}
service anvil {
  chroot =
}
passdb {
  driver = static
  args = password=clave
}
userdb {
  driver = static
  args = uid=$(id -u "$mail") gid=$(id -g "$mail") home=$server/home
}
CONF
"$dovecot" -c "$work/dovecot.conf" || { echo "FAIL: Dovecot did not start"; cat "$work/dovecot.log"; exit 1; }
python3 "$here/smtp_sink.py" "$server/Maildir" "$work/smtp.port" > "$work/smtp.log" 2>&1 &
sink=$!
wait_file "$work/smtp.port" 10 || { echo "FAIL: the SMTP sink did not start"; cat "$work/smtp.log"; exit 1; }

# A profile with one IMAP account and its SMTP server, and nothing to show first; Marionette on a
# free port, written to the profile.
cat > "$work/profile/user.js" << PREFS
user_pref("marionette.port", 0);
user_pref("mail.shell.checkDefaultClient", false);
user_pref("mail.rights.version", 1);
user_pref("mailnews.start_page.enabled", false);
user_pref("mail.provider.suppress_dialog_on_startup", true);
user_pref("datareporting.policy.dataSubmissionEnabled", false);
user_pref("datareporting.policy.dataSubmissionPolicyBypassNotification", true);
user_pref("toolkit.telemetry.reportingpolicy.firstRun", false);
user_pref("app.update.disabledForTesting", true);
user_pref("mail.accountmanager.accounts", "account1,account2");
user_pref("mail.accountmanager.defaultaccount", "account1");
user_pref("mail.accountmanager.localfoldersserver", "server2");
user_pref("mail.account.account1.identities", "id1");
user_pref("mail.account.account1.server", "server1");
user_pref("mail.account.account2.server", "server2");
user_pref("mail.identity.id1.useremail", "lector@127.0.0.1");
user_pref("mail.identity.id1.fullName", "Lector");
user_pref("mail.identity.id1.smtpServer", "smtp1");
user_pref("mail.identity.id1.valid", true);
user_pref("mail.server.server1.hostname", "127.0.0.1");
user_pref("mail.server.server1.port", $imap_port);
user_pref("mail.server.server1.type", "imap");
user_pref("mail.server.server1.userName", "lector");
user_pref("mail.server.server1.socketType", 0);
user_pref("mail.server.server1.authMethod", 3);
user_pref("mail.server.server2.hostname", "Local Folders");
user_pref("mail.server.server2.type", "none");
user_pref("mail.server.server2.userName", "nobody");
user_pref("mail.smtpservers", "smtp1");
user_pref("mail.smtp.defaultserver", "smtp1");
user_pref("mail.smtpserver.smtp1.hostname", "127.0.0.1");
user_pref("mail.smtpserver.smtp1.port", $(cat "$work/smtp.port"));
user_pref("mail.smtpserver.smtp1.authMethod", 1);
user_pref("mail.smtpserver.smtp1.try_ssl", 0);
PREFS
HOME="$work/home" thunderbird --profile "$work/profile" --no-remote --marionette -remote-allow-system-access \
    > "$work/thunderbird.log" 2>&1 &
wait_file "$work/profile/MarionetteActivePort" ||
    { echo "FAIL: Thunderbird did not start"; tail "$work/thunderbird.log"; exit 1; }
thunderbird() {
    python3 -B "$here/thunderbird.py" "$work/profile/MarionetteActivePort" "$@"
}
thunderbird login clave

zentolar_start "$program" "$work"

for text in "every code" prose longest short; do
    # Focus is on "Encriptar =>".
    zentolar_take "$zentolar" "$work/$text"

    for format in plain html; do
        case="$text, by mail written as $format"
        set_clipboard < "$work/$text.sent"
        if ! thunderbird send "$format" "$case" > /dev/null || ! thunderbird copy "$case"; then
            fail "$case: Thunderbird did not send and show it"
            continue
        fi
        clipboard > "$work/$case.received"

        zentolar_check_pasted "$zentolar" "$work/$text" "$case"
    done
done
window_shown "$ZENTOLAR_NAME" || fail "the window closed"
exit "$failed"
