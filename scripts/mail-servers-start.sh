#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# mail-servers-start.sh DIR [SMTP_PORT] [POP3_PORT]
#
# Starts a private Postfix (SMTP, no TLS, no AUTH) and Dovecot (POP3,
# USER/PASS, no TLS) on 127.0.0.1 for the integration tests. Config, queue,
# logs and the Maildir all live under DIR; /etc/postfix and /etc/dovecot are
# neither used nor changed. The packages come from scripts/deps/mail.txt.
# Must run as root. Stop with: mail-servers-stop.sh DIR
#
#   SMTP 127.0.0.1:SMTP_PORT (default 2525) takes mail for
#        $MAIL_USER@$MAIL_DOMAIN only (others: 550/554) and delivers it to
#        the Maildir DIR/mail/$MAIL_USER/{new,cur}
#   POP3 127.0.0.1:POP3_PORT (default 1110), USER $MAIL_USER PASS $MAIL_PASS
#
# Optional environment:
#   MAIL_USER=tester MAIL_PASS=secret MAIL_DOMAIN=example.test
#   MAIL_UID=5000     numeric owner of the Maildir (no /etc/passwd entry
#                     needed; must be >= 500)
#   POSTFIX_EXTRA     lines appended to main.cf, e.g. "smtpd_timeout = 2s"
#   DOVECOT_EXTRA     lines appended to dovecot.conf
# Prints KEY=VALUE lines (SMTP_PORT, MAILDIR, ...), also kept in
# DIR/mail-servers.env.
set -euo pipefail

DIR=${1:?usage: $0 DIR [SMTP_PORT] [POP3_PORT]}
SMTP_PORT=${2:-2525}
POP3_PORT=${3:-1110}
MAIL_USER=${MAIL_USER:-tester}
MAIL_PASS=${MAIL_PASS:-secret}
MAIL_DOMAIN=${MAIL_DOMAIN:-example.test}
MAIL_UID=${MAIL_UID:-5000}

die() { echo "mail-servers-start: $*" >&2; exit 1; }
[ "$(id -u)" = 0 ] || die "must run as root"
for tool in postfix dovecot ss script setpriv; do
  command -v "$tool" >/dev/null || PATH=$PATH:/usr/sbin:/sbin command -v "$tool" >/dev/null ||
    die "$tool is missing (run scripts/install-deps.sh)"
done
export PATH=$PATH:/usr/sbin:/sbin
mkdir -p "$DIR"
DIR=$(cd "$DIR" && pwd -P)
# Both daemons put unix sockets under DIR (sun_path max 108 bytes).
[ ${#DIR} -le 60 ] || die "DIR path too long (${#DIR} > 60 chars): $DIR"
[[ $DIR != *[[:space:]]* ]] || die "DIR must not contain white space"

# ----------------------------------------------------------- preconditions
listening() { [ -n "$(ss -Hltn "sport = :$1")" ]; }
for f in "$DIR/postfix-queue/pid/master.pid" "$DIR/dovecot/run/master.pid"; do
  if [ -s "$f" ] && kill -0 "$(tr -d ' \n' <"$f")" 2>/dev/null; then
    die "servers already running in $DIR (run mail-servers-stop.sh $DIR)"
  fi
done
for p in "$SMTP_PORT" "$POP3_PORT"; do
  ! listening "$p" || die "port $p is already in use"
done

# ------------------------------------------------------------- fresh tree
rm -rf "$DIR/postfix" "$DIR/postfix-queue" "$DIR/postfix-data" \
       "$DIR/dovecot" "$DIR/mail" "$DIR/log" "$DIR/mail-servers.env"
chmod 755 "$DIR"
mkdir -p "$DIR/postfix" "$DIR/postfix-queue" "$DIR/postfix-data" \
         "$DIR/dovecot/run" "$DIR/log" "$DIR/mail/$MAIL_USER"/{cur,new,tmp}
chown postfix:postfix "$DIR/postfix-data"
chown -R "$MAIL_UID:$MAIL_UID" "$DIR/mail"
chmod 700 "$DIR/mail/$MAIL_USER" "$DIR/mail/$MAIL_USER"/*
setpriv --reuid="$MAIL_UID" --regid="$MAIL_UID" --clear-groups \
  test -w "$DIR/mail/$MAIL_USER/new" ||
  die "uid $MAIL_UID cannot reach $DIR/mail (parent directory not searchable?)"

# ---------------------------------------------------------------- postfix
PF=$DIR/postfix
cat >"$PF/main.cf" <<CONF
compatibility_level = 3.6
queue_directory = $DIR/postfix-queue
data_directory = $DIR/postfix-data
maillog_file = $DIR/log/postfix.log
maillog_file_prefixes = $DIR/log
mail_owner = postfix
setgid_group = postdrop
myhostname = mail.$MAIL_DOMAIN
mydomain = $MAIL_DOMAIN
myorigin = \$myhostname
inet_interfaces = 127.0.0.1
inet_protocols = ipv4
mynetworks = 127.0.0.0/8
mydestination =
alias_maps =
alias_database =
biff = no
# Never send mail anywhere: no relaying, no local or outbound transport.
smtpd_relay_restrictions = reject_unauth_destination
relayhost =
local_transport = error:local delivery disabled
default_transport = error:outbound mail disabled
relay_transport = error:outbound mail disabled
# The one mailbox, a Maildir (trailing slash) written by virtual(8).
virtual_mailbox_domains = $MAIL_DOMAIN
virtual_mailbox_base = $DIR/mail
virtual_mailbox_maps = texthash:$PF/vmailbox
virtual_uid_maps = static:$MAIL_UID
virtual_gid_maps = static:$MAIL_UID
${POSTFIX_EXTRA:-}
CONF
printf '%s@%s %s/\n' "$MAIL_USER" "$MAIL_DOMAIN" "$MAIL_USER" >"$PF/vmailbox"
cat >"$PF/master.cf" <<CONF
# service  type       private unpriv chroot wakeup maxproc command
127.0.0.1:$SMTP_PORT inet n   -      n      -      -       smtpd
pickup     unix       n       -      n      60     1       pickup
cleanup    unix       n       -      n      -      0       cleanup
qmgr       unix       n       -      n      300    1       qmgr
rewrite    unix       -       -      n      -      -       trivial-rewrite
bounce     unix       -       -      n      -      0       bounce
defer      unix       -       -      n      -      0       bounce
trace      unix       -       -      n      -      0       bounce
verify     unix       -       -      n      -      1       verify
flush      unix       n       -      n      1000?  0       flush
proxymap   unix       -       -      n      -      -       proxymap
showq      unix       n       -      n      -      -       showq
error      unix       -       -      n      -      -       error
retry      unix       -       -      n      -      -       error
discard    unix       -       -      n      -      -       discard
virtual    unix       -       n      n      -      -       virtual
anvil      unix       -       -      n      -      1       anvil
scache     unix       -       -      n      -      1       scache
postlog    unix-dgram n       -      n      -      1       postlogd
CONF

# ---------------------------------------------------------------- dovecot
DC=$DIR/dovecot
printf '%s:{PLAIN}%s:%s:%s::%s\n' "$MAIL_USER" "$MAIL_PASS" \
  "$MAIL_UID" "$MAIL_UID" "$DIR/mail/$MAIL_USER" >"$DC/users"
chmod 644 "$DC/users"
cat >"$DC/dovecot.conf" <<CONF
protocols = pop3
listen = 127.0.0.1
base_dir = $DC/run
state_dir = $DC/run
instance_name = tarifuhr-$POP3_PORT
log_path = $DIR/log/dovecot.log
ssl = no
disable_plaintext_auth = no
auth_mechanisms = plain
mail_location = maildir:~
passdb {
  driver = passwd-file
  args = scheme=PLAIN username_format=%n $DC/users
}
userdb {
  driver = passwd-file
  args = username_format=%n $DC/users
}
service pop3-login {
  inet_listener pop3 {
    port = $POP3_PORT
  }
  inet_listener pop3s {
    port = 0
  }
}
# No brute-force slow-down in tests: a failed PASS then answers in ~0.5 s
# instead of 2 s, growing to 15 s, for every later login from 127.0.0.1.
auth_failure_delay = 0
service anvil {
  unix_listener anvil-auth-penalty {
    mode = 0
  }
}
${DOVECOT_EXTRA:-}
CONF

# ------------------------------------------------------------------ start
# postfix(1) reports errors only to a terminal, hence script(1).
script -qec "postfix -c '$PF' start" /dev/null </dev/null >"$DIR/log/postfix-start.log" 2>&1 ||
  die "postfix did not start: $(tr -d '\r' <"$DIR/log/postfix-start.log")"
# Daemons must not inherit the caller's stdout/stderr (a pipe would never
# reach EOF while they run).
dovecot -c "$DC/dovecot.conf" </dev/null >/dev/null 2>"$DIR/log/dovecot-start.log" ||
  die "dovecot did not start: $(cat "$DIR/log/dovecot-start.log")"
for p in "$SMTP_PORT" "$POP3_PORT"; do
  for _ in $(seq 100); do listening "$p" && continue 2; sleep 0.1; done
  die "nothing listens on port $p after 10 s (see $DIR/log/)"
done

tee "$DIR/mail-servers.env" <<ENV
SMTP_HOST=127.0.0.1
SMTP_PORT=$SMTP_PORT
POP3_HOST=127.0.0.1
POP3_PORT=$POP3_PORT
MAIL_USER=$MAIL_USER
MAIL_PASS=$MAIL_PASS
MAIL_ADDR=$MAIL_USER@$MAIL_DOMAIN
MAILDIR=$DIR/mail/$MAIL_USER
LOGDIR=$DIR/log
SMTP_PID=$(tr -d ' \n' <"$DIR/postfix-queue/pid/master.pid")
POP3_PID=$(tr -d ' \n' <"$DC/run/master.pid")
ENV
