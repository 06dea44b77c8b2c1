"""A small FTP server for tests: one user with full rights on a root folder, on 127.0.0.1.

Usage: ftpserver.py ROOT [--user NAME] [--password WORD] [--no-mlsd] [--throttle BYTES_PER_SECOND]
                      [--refuse NAME]...

--refuse makes the server answer a STOR of a file of that name (in any folder) with 553, as a server does that
will not take a file, and keep nothing.

It binds a port the system chooses and prints "PORT n" on a line of its own once it accepts connections.
"""
import argparse
import logging
import os

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("root")
    parser.add_argument("--user", default="k5")
    parser.add_argument("--password", default="secret")
    parser.add_argument("--no-mlsd", action="store_true", help="answer MLSD as unknown (LIST only)")
    parser.add_argument("--throttle", type=int, default=0, help="upload speed limit in bytes per second")
    parser.add_argument("--refuse", action="append", default=[], help="a file name whose upload is refused")
    args = parser.parse_args()

    logging.basicConfig(level=logging.ERROR)
    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")

    refused = set(args.refuse)

    class Handler(FTPHandler):
        def ftp_STOR(self, file, mode="w"):
            if os.path.basename(file) in refused:
                self.respond("553 Refused: this server takes no file of that name.")
                return None
            return super().ftp_STOR(file, mode)

    Handler.authorizer = authorizer
    # Names are bytes: one that is no UTF-8 is kept as it came, not turned into U+FFFD.
    Handler.unicode_errors = "surrogateescape"
    Handler.timeout = 60
    Handler.auth_failed_timeout = 0  # answer a wrong password at once
    if args.no_mlsd:
        Handler.proto_cmds = {k: v for k, v in FTPHandler.proto_cmds.items() if k not in ("MLSD", "MLST")}
    if args.throttle:
        class Throttled(ThrottledDTPHandler):
            read_limit = args.throttle
        Handler.dtp_handler = Throttled

    # Port 0: the system hands out a port no one holds, so parallel tests never collide.
    server = FTPServer(("127.0.0.1", 0), Handler)
    print("PORT %d" % server.address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
