#!/usr/bin/python3
"""A mail server on 127.0.0.1 for the mail tests, standing for the user's provider.

    smtp_server.py MODE RECORD [CERT KEY]

It listens on a free port of 127.0.0.1, prints "PORT <n>" when it is ready, and writes one
JSON object a line to RECORD for everything worth checking: each login (user, whether it
was accepted, whether the connection was encrypted then) and each message taken (envelope
and the data as received). It ends when its standard input closes, and in any case after
two minutes.

Modes (the login is "buyer" / "s3cret p@ss"):
  starttls     plain greeting, STARTTLS required before anything else, then AUTH
  implicit     TLS from the first byte, then AUTH
  reject-rcpt  as starttls, but every recipient is refused (550)
  drop         as starttls, but the connection is cut when the message data begins
  silent       takes the connection and never says a word
  plain        no TLS at all; offers AUTH in clear and records every line it hears
"""

import asyncio
import base64
import json
import ssl
import sys

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword

USER = b"buyer"
PASSWORD = "s3cret p@ss".encode()
LIFETIME = 120

mode, record_path = sys.argv[1], sys.argv[2]
record_file = open(record_path, "a", encoding="utf-8")


def record(**event):
    record_file.write(json.dumps(event) + "\n")
    record_file.flush()


class Handler:
    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if mode == "reject-rcpt":
            return "550 5.1.1 <%s>: Recipient address rejected: no such shop here" % address
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        if mode == "drop":
            server.transport.abort()
            return "451 cut"
        record(event="mail", mail_from=envelope.mail_from, rcpt=envelope.rcpt_tos,
               data=base64.b64encode(envelope.original_content).decode(),
               authenticated=bool(session.authenticated))
        return "250 2.0.0 Ok: queued"


def authenticator(server, session, envelope, mechanism, auth_data):
    tls = mode == "implicit" or server._tls_protocol is not None
    ok = isinstance(auth_data, LoginPassword) and auth_data.login == USER and auth_data.password == PASSWORD
    login = auth_data.login.decode(errors="replace") if isinstance(auth_data, LoginPassword) else ""
    record(event="auth", user=login, ok=ok, tls=tls, mechanism=mechanism)
    return AuthResult(success=ok, handled=False)


class Silent(asyncio.Protocol):
    def connection_made(self, transport):
        record(event="connection")
        self.transport = transport


class Plain(asyncio.Protocol):
    """A server of its own that offers nothing but clear text and takes whatever it is told."""

    def connection_made(self, transport):
        self.transport = transport
        self.buffer = b""
        self.in_data = False
        transport.write(b"220 plain.test ESMTP no encryption here\r\n")

    def data_received(self, data):
        self.buffer += data
        while b"\r\n" in self.buffer:
            line, self.buffer = self.buffer.split(b"\r\n", 1)
            record(event="line", text=line.decode(errors="replace"))
            if self.in_data:
                if line == b".":
                    self.in_data = False
                    self.transport.write(b"250 taken\r\n")
                continue
            verb = line.split(b" ", 1)[0].upper()
            if verb in (b"EHLO", b"HELO"):
                self.transport.write(b"250-plain.test\r\n250-AUTH PLAIN LOGIN\r\n250 8BITMIME\r\n")
            elif verb == b"AUTH":
                self.transport.write(b"235 2.7.0 fine\r\n")
            elif verb == b"DATA":
                self.in_data = True
                self.transport.write(b"354 go ahead\r\n")
            elif verb == b"QUIT":
                self.transport.write(b"221 bye\r\n")
                self.transport.close()
            elif verb == b"STARTTLS":
                self.transport.write(b"502 5.5.1 not here\r\n")
            else:
                self.transport.write(b"250 ok\r\n")


async def main():
    loop = asyncio.get_running_loop()
    tls = None
    if len(sys.argv) > 4:
        tls = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        tls.load_cert_chain(sys.argv[3], sys.argv[4])

    if mode == "silent":
        factory, server_tls = Silent, None
    elif mode == "plain":
        factory, server_tls = Plain, None
    elif mode == "implicit":
        factory = lambda: SMTP(Handler(), hostname="mail.test", authenticator=authenticator,
                               auth_required=True, auth_require_tls=False)
        server_tls = tls
    else:
        factory = lambda: SMTP(Handler(), hostname="mail.test", tls_context=tls, require_starttls=True,
                               authenticator=authenticator, auth_required=True, auth_require_tls=True)
        server_tls = None

    server = await loop.create_server(factory, "127.0.0.1", 0, ssl=server_tls)
    print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)

    # Ends when the test closes our standard input, or after the lifetime.
    stdin_closed = loop.run_in_executor(None, sys.stdin.read)
    await asyncio.wait([stdin_closed], timeout=LIFETIME)
    server.close()


if __name__ == "__main__":
    try:
        asyncio.run(main())
    finally:
        record_file.close()
    # The executor thread may still be blocked reading; leave at once.
    import os
    os._exit(0)
