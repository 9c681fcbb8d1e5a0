#!/usr/bin/python3
"""One pyftpdlib server for the site-to-site tests, on a loopback address of its
own (127.0.0.2, 127.0.0.3 ...), so each server sees the other as a foreign
address. Data connections from or to foreign addresses are permitted, as
servers that allow direct server-to-server copies do; with --refuse-foreign-port
a PORT naming another address than the client's is answered with 501 (passive
connections from anywhere are still taken), as servers that allow only the
passive side do.

  s2s_ftpd.py --address A --root DIR --port-file F --log F [--refuse-foreign-port]

User zarn, password secret. Stops after --lifetime seconds or when its parent
goes away. The DEBUG log holds every command ("<- PORT ...")."""
import argparse, logging, os, sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "peers"))
import pyftpd  # noqa: E402


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--address", required=True)
    ap.add_argument("--root", required=True)
    ap.add_argument("--port-file", required=True)
    ap.add_argument("--log", required=True)
    ap.add_argument("--lifetime", type=float, default=1800)
    ap.add_argument("--refuse-foreign-port", action="store_true")
    a = ap.parse_args()

    os.makedirs(a.root, exist_ok=True)
    auth = DummyAuthorizer()
    auth.add_user("zarn", "secret", a.root, perm="elradfmwMT")

    refuse = a.refuse_foreign_port

    class Handler(FTPHandler):
        permit_foreign_addresses = True

        def _make_eport(self, ip, port):
            if refuse and ip != self.remote_ip:
                self.respond("501 Rejected data connection to foreign address %s:%s." % (ip, port))
                return
            return FTPHandler._make_eport(self, ip, port)

    Handler.authorizer = auth
    Handler.banner = "zarn s2s server ready."
    logging.basicConfig(filename=a.log, level=logging.DEBUG)

    pyftpd.serve(Handler, a.address, a.port_file, a.lifetime)


if __name__ == "__main__":
    main()
