"""A small SMTP server for tests on 127.0.0.1 that keeps every message it accepts.

Usage: smtpserver.py OUTDIR [--user NAME --password WORD] [--refuse ADDRESS]... [--die-after BYTES]
                            [--discard] [--starttls CERT KEY | --tls CERT KEY]

Each accepted message N is written to OUTDIR/N.eml (the data as received) and OUTDIR/N.env (the envelope:
"FROM addr", then one "RCPT addr" line per recipient) and OUTDIR/N.json (the message as Python's mail parser reads it: headers
decoded, the text part, and of each attachment its name, type, size, MD5, the lines of its encoded body as they
came and the defects the parser found in it; "defects" lists those of every part), the .env last, so a test that
sees it sees both.
With --user, mail is taken only after AUTH PLAIN or LOGIN with that name and word. --refuse makes RCPT TO
answer 550 for that address. --die-after ends the whole server once that many bytes arrived on one
connection (a server that goes away in the middle of a message). --discard counts the data but keeps
nothing (for large benchmark messages). --starttls offers STARTTLS with that certificate and key and takes
no mail before it; --tls speaks TLS from the first byte (implicit TLS).

It binds a port the system chooses and prints "PORT n" on a line of its own once it accepts connections.
"""
import argparse
import asyncio
import email
import email.policy
import hashlib
import json
import logging
import os
import ssl

from aiosmtpd.smtp import SMTP, AuthResult


def parse(data):
    msg = email.message_from_bytes(data, policy=email.policy.default)
    out = {"headers": [[k, str(v)] for k, v in msg.items()], "attachments": [], "body": None, "defects": []}
    for part in msg.walk():
        if part.is_multipart():
            continue
        if part.get_content_disposition() == "attachment":
            raw = part.get_payload(decode=False)
            content = part.get_payload(decode=True)  # notes what the decoder finds wrong in part.defects
            out["attachments"].append({"filename": part.get_filename(), "type": part.get_content_type(),
                                       "size": len(content), "md5": hashlib.md5(content).hexdigest(),
                                       "lines": raw.splitlines() if isinstance(raw, str) else [],
                                       "defects": [type(d).__name__ for d in part.defects]})
        elif out["body"] is None:
            out["body"] = part.get_content()
            out["charset"] = part.get_content_charset()
            out["encoding"] = part.get("Content-Transfer-Encoding")
    for part in msg.walk():
        out["defects"] += [type(d).__name__ for d in part.defects]
    return out


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("outdir")
    parser.add_argument("--user")
    parser.add_argument("--password", default="")
    parser.add_argument("--refuse", action="append", default=[])
    parser.add_argument("--die-after", type=int, default=0)
    parser.add_argument("--discard", action="store_true")
    parser.add_argument("--starttls", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"))
    args = parser.parse_args()
    logging.basicConfig(level=logging.CRITICAL)
    refused = {a.lower() for a in args.refuse}
    counter = [0]

    class Handler:
        async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
            if address.lower() in refused:
                return "550 5.1.1 <%s>: Recipient address rejected" % address
            envelope.rcpt_tos.append(address)
            return "250 OK"

        async def handle_DATA(self, server, session, envelope):
            counter[0] += 1
            n = counter[0]
            data = envelope.original_content or b""
            if args.discard:
                data = b"%d bytes\r\n" % len(data)
            with open(os.path.join(args.outdir, "%d.eml" % n), "wb") as f:
                f.write(data)
            if not args.discard:
                with open(os.path.join(args.outdir, "%d.json" % n), "w") as f:
                    json.dump(parse(data), f)
            env = "FROM %s\n" % envelope.mail_from + "".join("RCPT %s\n" % r for r in envelope.rcpt_tos)
            tmp = os.path.join(args.outdir, "%d.env.tmp" % n)
            with open(tmp, "w") as f:
                f.write(env)
            os.replace(tmp, os.path.join(args.outdir, "%d.env" % n))
            return "250 Message accepted for delivery"

    def authenticate(server, session, envelope, mechanism, auth_data):
        ok = (auth_data.login.decode() == args.user and auth_data.password.decode() == args.password)
        return AuthResult(success=ok, handled=False)

    class Server(SMTP):
        received = 0

        def data_received(self, data):
            self.received += len(data)
            if args.die_after and self.received > args.die_after:
                os._exit(3)
            super().data_received(data)

    def context(pair):
        ctx = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        ctx.load_cert_chain(pair[0], pair[1])
        return ctx

    def factory():
        kw = dict(decode_data=False, data_size_limit=None, enable_SMTPUTF8=True)
        if args.starttls:
            kw.update(tls_context=context(args.starttls), require_starttls=True)
        if args.user:
            kw.update(authenticator=authenticate, auth_required=True, auth_require_tls=False)
        return Server(Handler(), **kw)

    loop = asyncio.new_event_loop()
    asyncio.set_event_loop(loop)
    wrap = context(args.tls) if args.tls else None
    server = loop.run_until_complete(loop.create_server(factory, "127.0.0.1", 0, ssl=wrap))
    print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)
    loop.run_forever()


if __name__ == "__main__":
    main()
