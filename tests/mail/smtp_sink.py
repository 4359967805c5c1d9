#!/usr/bin/env python3
"""A small SMTP server for the mail test: it takes every message it is given and delivers it into a
Maildir, which the IMAP server serves. It listens on 127.0.0.1 alone, on a free port that it writes
to a file once it accepts connections.

Usage: smtp_sink.py MAILDIR PORT_FILE
"""
import os
import socketserver
import sys
import time

maildir, port_file = sys.argv[1], sys.argv[2]


def deliver(message):
    # Written whole in tmp/ and moved into new/, as the Maildir format wants.
    name = "%d.%d.%d.sink" % (time.time_ns(), os.getpid(), deliver.count)
    deliver.count += 1
    temporary = os.path.join(maildir, "tmp", name)
    with open(temporary, "wb") as f:
        f.write(message)
    owner = os.stat(maildir)
    os.chown(temporary, owner.st_uid, owner.st_gid)
    os.rename(temporary, os.path.join(maildir, "new", name))


deliver.count = 0


class Session(socketserver.StreamRequestHandler):
    def reply(self, line):
        self.wfile.write(line.encode() + b"\r\n")
        self.wfile.flush()

    def handle(self):
        self.reply("220 127.0.0.1 sink ready")
        while True:
            line = self.rfile.readline()
            if not line:
                return
            verb = line.split(b" ", 1)[0].strip().upper()
            if verb == b"EHLO":
                self.reply("250-127.0.0.1")
                self.reply("250-8BITMIME")
                self.reply("250 SMTPUTF8")
            elif verb in (b"HELO", b"MAIL", b"RCPT", b"RSET", b"NOOP"):
                self.reply("250 OK")
            elif verb == b"DATA":
                self.reply("354 End data with <CR><LF>.<CR><LF>")
                lines = []
                while True:
                    line = self.rfile.readline()
                    if not line or line in (b".\r\n", b".\n"):
                        break
                    lines.append(line[1:] if line.startswith(b"..") else line)
                deliver(b"".join(lines))
                self.reply("250 OK delivered")
            elif verb == b"QUIT":
                self.reply("221 Bye")
                return
            else:
                self.reply("502 Command not implemented")


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


with Server(("127.0.0.1", 0), Session) as server:
    with open(port_file + ".tmp", "w") as f:
        f.write(str(server.server_address[1]))
    os.rename(port_file + ".tmp", port_file)
    server.serve_forever()
