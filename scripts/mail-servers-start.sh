#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# mail-servers-start.sh DIR [SMTP_PORT] [POP3_PORT]
#
# Starts a private Postfix and Dovecot on 127.0.0.1 for the integration
# tests, in clear text and with TLS: a test CA and a server certificate for
# the name "localhost" only (so 127.0.0.1 is a name it does not match) are
# made at every start. Config, queue,
# logs and the Maildir all live under DIR; /etc/postfix and /etc/dovecot are
# neither used nor changed. The packages come from scripts/deps/mail.txt.
# Must run as root. Stop with: mail-servers-stop.sh DIR
#
#   SMTP 127.0.0.1:SMTP_PORT (default 2525) takes mail for
#        $MAIL_USER@$MAIL_DOMAIN only (others: 550/554) and delivers it to
#        the Maildir DIR/mail/$MAIL_USER/{new,cur}
#   POP3 127.0.0.1:POP3_PORT (default 1110), USER $MAIL_USER PASS $MAIL_PASS,
#        clear text or after STLS
#   SMTPS_PORT (default SMTP_PORT+1): SMTP with implicit TLS and AUTH
#   SUBMISSION_PORT (default SMTP_PORT+2): SMTP, STARTTLS required, AUTH
#        required (PLAIN or LOGIN, $MAIL_USER/$MAIL_PASS through Dovecot)
#   POP3S_PORT (default POP3_PORT+1): POP3 with implicit TLS
#   DIR/tls/ca.pem: the CA that signed the servers' certificate
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
SMTPS_PORT=${SMTPS_PORT:-$((SMTP_PORT + 1))}
SUBMISSION_PORT=${SUBMISSION_PORT:-$((SMTP_PORT + 2))}
POP3S_PORT=${POP3S_PORT:-$((POP3_PORT + 1))}

die() { echo "mail-servers-start: $*" >&2; exit 1; }
[ "$(id -u)" = 0 ] || die "must run as root"
for tool in postfix dovecot ss script setpriv openssl; do
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
for p in "$SMTP_PORT" "$POP3_PORT" "$SMTPS_PORT" "$SUBMISSION_PORT" "$POP3S_PORT"; do
  ! listening "$p" || die "port $p is already in use"
done

# ------------------------------------------------------------- fresh tree
rm -rf "$DIR/postfix" "$DIR/postfix-queue" "$DIR/postfix-data" \
       "$DIR/dovecot" "$DIR/mail" "$DIR/log" "$DIR/tls" "$DIR/mail-servers.env"
chmod 755 "$DIR"
mkdir -p "$DIR/postfix" "$DIR/postfix-queue" "$DIR/postfix-data" \
         "$DIR/dovecot/run" "$DIR/log" "$DIR/tls" "$DIR/mail/$MAIL_USER"/{cur,new,tmp}
chown postfix:postfix "$DIR/postfix-data"
chown -R "$MAIL_UID:$MAIL_UID" "$DIR/mail"
chmod 700 "$DIR/mail/$MAIL_USER" "$DIR/mail/$MAIL_USER"/*
setpriv --reuid="$MAIL_UID" --regid="$MAIL_UID" --clear-groups \
  test -w "$DIR/mail/$MAIL_USER/new" ||
  die "uid $MAIL_UID cannot reach $DIR/mail (parent directory not searchable?)"

# ------------------------------------------------------------ certificates
# A CA of its own, trusted by the tests through a CA file, never by the
# system; the server's certificate names "localhost" and no address.
TLS=$DIR/tls
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Tarifuhr Test CA" \
  -keyout "$TLS/ca.key" -out "$TLS/ca.pem" 2>"$DIR/log/tls.log" ||
  die "test CA not made: $(cat "$DIR/log/tls.log")"
openssl req -newkey rsa:2048 -nodes -subj "/CN=localhost" \
  -keyout "$TLS/server.key" -out "$TLS/server.csr" 2>>"$DIR/log/tls.log" ||
  die "server key not made: $(cat "$DIR/log/tls.log")"
printf 'subjectAltName = DNS:localhost\nextendedKeyUsage = serverAuth\n' >"$TLS/server.ext"
openssl x509 -req -in "$TLS/server.csr" -CA "$TLS/ca.pem" -CAkey "$TLS/ca.key" -CAcreateserial \
  -days 2 -extfile "$TLS/server.ext" -out "$TLS/server.pem" 2>>"$DIR/log/tls.log" ||
  die "server certificate not made: $(cat "$DIR/log/tls.log")"
chmod 600 "$TLS"/*.key
chmod 644 "$TLS/ca.pem" "$TLS/server.pem"

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
# TLS and AUTH only on the ports that say so in master.cf.
smtpd_tls_cert_file = $TLS/server.pem
smtpd_tls_key_file = $TLS/server.key
smtpd_tls_security_level = none
smtpd_sasl_type = dovecot
smtpd_sasl_path = $DIR/dovecot/run/auth-postfix
smtpd_sasl_auth_enable = no
${POSTFIX_EXTRA:-}
CONF
printf '%s@%s %s/\n' "$MAIL_USER" "$MAIL_DOMAIN" "$MAIL_USER" >"$PF/vmailbox"
cat >"$PF/master.cf" <<CONF
# service  type       private unpriv chroot wakeup maxproc command
127.0.0.1:$SMTP_PORT inet n   -      n      -      -       smtpd
127.0.0.1:$SMTPS_PORT inet n  -      n      -      -       smtpd
  -o smtpd_tls_wrappermode=yes -o smtpd_tls_security_level=encrypt
  -o smtpd_sasl_auth_enable=yes -o smtpd_relay_restrictions=permit_sasl_authenticated,reject
127.0.0.1:$SUBMISSION_PORT inet n - n      -      -       smtpd
  -o smtpd_tls_security_level=encrypt -o smtpd_tls_auth_only=yes
  -o smtpd_sasl_auth_enable=yes -o smtpd_relay_restrictions=permit_sasl_authenticated,reject
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
tlsmgr     unix       -       -      n      1000?  1       tlsmgr
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
ssl = yes
ssl_cert = <$TLS/server.pem
ssl_key = <$TLS/server.key
disable_plaintext_auth = no
auth_mechanisms = plain login
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
    port = $POP3S_PORT
    ssl = yes
  }
}
# Postfix asks Dovecot whether an SMTP AUTH log-in is right.
service auth {
  unix_listener auth-postfix {
    mode = 0666
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
for p in "$SMTP_PORT" "$POP3_PORT" "$SMTPS_PORT" "$SUBMISSION_PORT" "$POP3S_PORT"; do
  for _ in $(seq 100); do listening "$p" && continue 2; sleep 0.1; done
  die "nothing listens on port $p after 10 s (see $DIR/log/)"
done

tee "$DIR/mail-servers.env" <<ENV
SMTP_HOST=127.0.0.1
SMTP_PORT=$SMTP_PORT
POP3_HOST=127.0.0.1
POP3_PORT=$POP3_PORT
TLS_HOST=localhost
SMTPS_PORT=$SMTPS_PORT
SUBMISSION_PORT=$SUBMISSION_PORT
POP3S_PORT=$POP3S_PORT
CA_FILE=$TLS/ca.pem
MAIL_USER=$MAIL_USER
MAIL_PASS=$MAIL_PASS
MAIL_ADDR=$MAIL_USER@$MAIL_DOMAIN
MAILDIR=$DIR/mail/$MAIL_USER
LOGDIR=$DIR/log
SMTP_PID=$(tr -d ' \n' <"$DIR/postfix-queue/pid/master.pid")
POP3_PID=$(tr -d ' \n' <"$DC/run/master.pid")
ENV
