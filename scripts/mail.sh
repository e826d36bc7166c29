#!/usr/bin/env bash
# A throwaway mail server on loopback ports for the tests: dovecot twice over the same
# mailboxes, once in plain text only (IMAP, POP3: no STARTTLS offered) and once with TLS
# (STARTTLS on its IMAP and POP3 ports, TLS from the first byte on IMAPS and POP3S) under a
# certificate of a throwaway authority (CA_FILE), and a small SMTP receiver that keeps every
# mail in DIR/smtp and delivers it to the recipient's Maildir, so that a sent mail can be read
# back over IMAP or POP3; the receiver listens three times: plain text only, with STARTTLS, and
# with TLS from the first byte (SMTPS).
# Any user name logs in with the password printed by start; each has a mailbox of its own.
#   scripts/mail.sh start DIR [IMAP_PORT POP3_PORT SMTP_PORT]  -> prints KEY=VALUE lines
#   scripts/mail.sh deliver DIR USER < message                 -> puts a mail into USER's INBOX
#   scripts/mail.sh stop DIR
# With MAIL_OWNER_PID set, the servers stop by themselves once that process is gone.
# Run by root, the servers run as the dovecot user (DIR's parents must let it through).
set -euo pipefail
cmd=${1:-}; dir=${2:-}
[ -n "$cmd" ] && [ -n "$dir" ] || { echo "usage: $0 start|deliver|stop DIR ..." >&2; exit 2; }
password=velmora-test
# Debian's python3: the server user may not see a python installed under a home directory.
py=/usr/bin/python3
[ -x "$py" ] || py=$(command -v python3)

if [ "$(id -u)" -eq 0 ]; then
  run_user=$(getent passwd dovecot >/dev/null && echo dovecot || echo nobody)
else
  run_user=$(id -un)
fi
as_user() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u "$run_user" -- "$@"; else "$@"; fi
}

# Nine distinct free loopback ports, held together while they are chosen.
free_ports() {
  "$py" -c '
import socket
held = [socket.socket() for _ in range(9)]
for s in held: s.bind(("127.0.0.1", 0))
print(" ".join(str(s.getsockname()[1]) for s in held))'
}

# Waits up to 5 s until every given port takes connections.
wait_ports() {
  "$py" -c '
import socket, sys, time
deadline = time.time() + 5
for port in map(int, sys.argv[1:]):
    while True:
        try:
            socket.create_connection(("127.0.0.1", port), 0.2).close()
            break
        except OSError:
            if time.time() > deadline: sys.exit("port %d did not open" % port)
            time.sleep(0.02)' "$@"
}

# One file per mail in new/, written under tmp/ first as the Maildir rules ask.
deliver() {
  local user=$1 box="$dir/home/$1/Maildir"
  as_user mkdir -p "$box/new" "$box/cur" "$box/tmp"
  local name
  name="$(date +%s).M$(date +%N)P$$R$RANDOM.velmora"
  as_user sh -c 'cat > "$1/tmp/$2" && mv "$1/tmp/$2" "$1/new/$2"' sh "$box" "$name"
}

write_smtp_receiver() {
  cat >"$dir/smtp.py" <<'EOF'
import base64, os, socketserver, ssl, sys, threading, time

port, root, password = int(sys.argv[1]), sys.argv[2], sys.argv[3]
starttls_port, smtps_port = int(sys.argv[4]), int(sys.argv[5])
tls = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
tls.load_cert_chain(os.path.join(root, "tls", "server.pem"), os.path.join(root, "tls", "server.key"))
counter = [0]
lock = threading.Lock()

def deliver(user, data):
    box = os.path.join(root, "home", user, "Maildir")
    for sub in ("new", "cur", "tmp"):
        os.makedirs(os.path.join(box, sub), exist_ok=True)
    name = "%d.%d_%d.smtp" % (time.time(), os.getpid(), counter[0])
    with open(os.path.join(box, "tmp", name), "wb") as f:
        f.write(data)
    os.rename(os.path.join(box, "tmp", name), os.path.join(box, "new", name))

class Session(socketserver.StreamRequestHandler):
    offers_starttls = False

    def start_tls(self):
        self.connection = self.request = tls.wrap_socket(self.request, server_side=True)
        self.rfile = self.connection.makefile("rb")
        self.wfile = self.connection.makefile("wb", buffering=0)
        self.offers_starttls = False

    def reply(self, text):
        self.wfile.write((text + "\r\n").encode())

    def line(self):
        data = self.rfile.readline()
        if not data:
            raise EOFError
        return data.rstrip(b"\r\n").decode("utf-8", "replace")

    def check(self, user, secret):
        self.reply("235 2.7.0 Authentication successful" if secret == password
                   else "535 5.7.8 Authentication credentials invalid")

    def handle(self):
        self.reply("220 localhost ESMTP test receiver")
        sender, rcpts = None, []
        try:
            while True:
                cmd = self.line()
                verb = cmd.split(" ", 1)[0].upper()
                arg = cmd[len(verb):].strip()
                if verb == "EHLO":
                    self.reply("250-localhost")
                    if self.offers_starttls:
                        self.reply("250-STARTTLS")
                    self.reply("250-AUTH PLAIN LOGIN")
                    self.reply("250 8BITMIME")
                elif verb == "STARTTLS" and self.offers_starttls:
                    self.reply("220 2.0.0 Ready to start TLS")
                    self.start_tls()
                    sender, rcpts = None, []
                elif verb == "HELO":
                    self.reply("250 localhost")
                elif verb == "AUTH":
                    parts = arg.split()
                    mech = parts[0].upper() if parts else ""
                    if mech == "PLAIN":
                        if len(parts) > 1:
                            token = parts[1]
                        else:
                            self.reply("334 ")
                            token = self.line()
                        fields = base64.b64decode(token).split(b"\0")
                        self.check(fields[1].decode(), fields[2].decode() if len(fields) > 2 else "")
                    elif mech == "LOGIN":
                        if len(parts) > 1:
                            user = base64.b64decode(parts[1]).decode()
                        else:
                            self.reply("334 VXNlcm5hbWU6")
                            user = base64.b64decode(self.line()).decode()
                        self.reply("334 UGFzc3dvcmQ6")
                        self.check(user, base64.b64decode(self.line()).decode())
                    else:
                        self.reply("504 5.5.4 Unrecognized authentication type")
                elif verb == "MAIL":
                    sender, rcpts = arg.split(":", 1)[1].strip(), []
                    self.reply("250 2.1.0 OK")
                elif verb == "RCPT":
                    rcpts.append(arg.split(":", 1)[1].strip().strip("<>").split()[0].strip("<>"))
                    self.reply("250 2.1.5 OK")
                elif verb == "DATA":
                    if sender is None or not rcpts:
                        self.reply("503 5.5.1 Bad sequence of commands")
                        continue
                    self.reply("354 End data with <CR><LF>.<CR><LF>")
                    lines = []
                    while True:
                        raw = self.rfile.readline()
                        if not raw:
                            raise EOFError
                        if raw in (b".\r\n", b".\n"):
                            break
                        lines.append(raw[1:] if raw.startswith(b"..") else raw)
                    data = b"".join(lines)
                    with lock:
                        counter[0] += 1
                        name = os.path.join(root, "smtp", "%04d.eml" % counter[0])
                    with open(name + ".tmp", "wb") as f:
                        f.write(("X-Envelope-To: %s\r\n" % ", ".join(rcpts)).encode())
                        f.write(data)
                    for r in rcpts:
                        deliver(r.split("@")[0], data)
                    os.rename(name + ".tmp", name)
                    sender, rcpts = None, []
                    self.reply("250 2.0.0 OK queued")
                elif verb == "RSET":
                    sender, rcpts = None, []
                    self.reply("250 2.0.0 OK")
                elif verb == "NOOP":
                    self.reply("250 2.0.0 OK")
                elif verb == "QUIT":
                    self.reply("221 2.0.0 Bye")
                    return
                else:
                    self.reply("502 5.5.2 Command not recognized")
        except (EOFError, ConnectionError, ssl.SSLError):
            pass

class StartTlsSession(Session):
    offers_starttls = True

class SmtpsSession(Session):
    def setup(self):
        self.request = tls.wrap_socket(self.request, server_side=True)
        super().setup()

class Server(socketserver.ThreadingTCPServer):
    allow_reuse_address = True
    daemon_threads = True

servers = [Server(("127.0.0.1", p), h) for p, h in ((port, Session), (starttls_port, StartTlsSession), (smtps_port, SmtpsSession))]
for s in servers[1:]:
    threading.Thread(target=s.serve_forever, daemon=True).start()
servers[0].serve_forever()
EOF
}

# A certificate authority of this run and the servers' certificate for localhost, 127.0.0.1.
make_certificates() {
  as_user mkdir -p "$dir/tls"
  as_user sh -c '
    cd "$1"
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Velmora test CA" -keyout ca.key -out ca.pem
    openssl req -newkey rsa:2048 -nodes -subj "/CN=localhost" -keyout server.key -out server.csr
    printf "subjectAltName=DNS:localhost,IP:127.0.0.1\nbasicConstraints=CA:FALSE\n" >server.ext
    openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile server.ext -out server.pem
  ' sh "$dir/tls" >"$dir/certificates.log" 2>&1
}

# NAME IMAP POP3 [IMAPS POP3S]: with the last two, the instance speaks TLS.
write_dovecot_conf() {
  local name=$1 imap=$2 pop3=$3 imaps=${4:-0} pop3s=${5:-0} uid gid ssl=no listener_ssl=
  uid=$(id -u "$run_user"); gid=$(id -g "$run_user")
  [ "$imaps" != 0 ] && listener_ssl="ssl = yes" && ssl="yes
ssl_cert = <$dir/tls/server.pem
ssl_key = <$dir/tls/server.key"
  cat >"$dir/$name.conf" <<EOF
base_dir = $dir/run-$name
state_dir = $dir/state-$name
log_path = $dir/$name.log
protocols = imap pop3
listen = 127.0.0.1
ssl = $ssl
disable_plaintext_auth = no
auth_mechanisms = plain login
auth_failure_delay = 0
default_login_user = $run_user
default_internal_user = $run_user
default_internal_group = $(id -gn "$run_user")
first_valid_uid = $uid
first_valid_gid = $gid
mail_location = maildir:~/Maildir
mail_fsync = never
pop3_uidl_format = %08Xu%08Xv
# A wrong password falls through to the second passdb, which fails at once: dovecot would
# otherwise hold every failed login back by half a second or more.
passdb {
  driver = static
  args = password=$password
  result_failure = continue-fail
}
passdb {
  driver = static
  args = nopassword=yes nodelay=yes
  result_success = return-fail
}
userdb {
  driver = static
  args = uid=$uid gid=$gid home=$dir/home/%n
}
service imap-login {
  chroot =
  inet_listener imap {
    address = 127.0.0.1
    port = $imap
  }
  inet_listener imaps {
    address = 127.0.0.1
    port = $imaps
    $listener_ssl
  }
}
service pop3-login {
  chroot =
  inet_listener pop3 {
    address = 127.0.0.1
    port = $pop3
  }
  inet_listener pop3s {
    address = 127.0.0.1
    port = $pop3s
    $listener_ssl
  }
}
# No growing delay after failed logins: the tests fail some on purpose.
service anvil {
  chroot =
  unix_listener anvil-auth-penalty {
    mode = 0
  }
}
service auth-worker {
  user = $run_user
}
EOF
}

case "$cmd" in
  start)
    [ -x /usr/sbin/dovecot ] || { echo "dovecot is not installed (scripts/deps.sh installs it)" >&2; exit 1; }
    read -r imap pop3 smtp tls_imap tls_pop3 imaps pop3s tls_smtp smtps < <(free_ports)
    if [ $# -ge 5 ]; then imap=$3; pop3=$4; smtp=$5; fi
    rm -rf "$dir"; mkdir -p "$dir"
    [ "$(id -u)" -eq 0 ] && chown "$run_user" "$dir"
    as_user mkdir -p "$dir/run-plain" "$dir/state-plain" "$dir/run-tls" "$dir/state-tls" "$dir/home" "$dir/smtp"
    make_certificates || { cat "$dir/certificates.log" >&2; exit 1; }
    write_dovecot_conf plain "$imap" "$pop3"
    write_dovecot_conf tls "$tls_imap" "$tls_pop3" "$imaps" "$pop3s"
    write_smtp_receiver
    for name in plain tls; do
      if ! as_user /usr/sbin/dovecot -c "$dir/$name.conf" </dev/null >"$dir/start-$name.log" 2>&1; then
        cat "$dir/start-$name.log" "$dir/$name.log" >&2 2>/dev/null; "$0" stop "$dir"; exit 1
      fi
    done
    as_user sh -c '"$4" "$1/smtp.py" "$2" "$1" "$3" "$5" "$6" </dev/null >"$1/smtp.log" 2>&1 & echo $! >"$1/smtp.pid"' \
      sh "$dir" "$smtp" "$password" "$py" "$tls_smtp" "$smtps"
    if [ -n "${MAIL_OWNER_PID:-}" ]; then
      self=$(readlink -f "$0")
      setsid sh -c 'while kill -0 "$1" 2>/dev/null; do sleep 1; done; exec "$2" stop "$3"' \
        sh "$MAIL_OWNER_PID" "$self" "$dir" </dev/null >/dev/null 2>&1 &
    fi
    if ! wait_ports "$imap" "$pop3" "$smtp" "$tls_imap" "$tls_pop3" "$imaps" "$pop3s" "$tls_smtp" "$smtps"; then
      cat "$dir/plain.log" "$dir/tls.log" "$dir/smtp.log" >&2 2>/dev/null; "$0" stop "$dir"; exit 1
    fi
    echo "IMAP_PORT=$imap"
    echo "POP3_PORT=$pop3"
    echo "SMTP_PORT=$smtp"
    echo "TLS_IMAP_PORT=$tls_imap"
    echo "TLS_POP3_PORT=$tls_pop3"
    echo "IMAPS_PORT=$imaps"
    echo "POP3S_PORT=$pop3s"
    echo "TLS_SMTP_PORT=$tls_smtp"
    echo "SMTPS_PORT=$smtps"
    echo "CA_FILE=$dir/tls/ca.pem"
    echo "PASSWORD=$password"
    echo "SMTP_SPOOL=$dir/smtp"
    ;;
  deliver)
    deliver "$3"
    ;;
  stop)
    pids=()
    for f in "$dir/run-plain/master.pid" "$dir/run-tls/master.pid" "$dir/smtp.pid"; do
      [ -f "$f" ] && pids+=("$(cat "$f")")
    done
    [ ${#pids[@]} -gt 0 ] || exit 0
    kill "${pids[@]}" 2>/dev/null || true
    for _ in $(seq 1 50); do
      alive=0
      # A zombie counts as gone: whoever adopted it may be slow to reap it.
      for p in "${pids[@]}"; do
        case "$(ps -o stat= -p "$p" 2>/dev/null)" in "" | Z*) ;; *) alive=1 ;; esac
      done
      [ "$alive" -eq 1 ] || break
      sleep 0.05
    done
    rm -f "$dir/smtp.pid"
    ;;
  *)
    echo "unknown command: $cmd" >&2; exit 2
    ;;
esac
