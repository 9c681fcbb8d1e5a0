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
import argparse, logging, os, threading, time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


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

    server = FTPServer((a.address, 0), Handler)
    server.max_cons = 256
    port = server.socket.getsockname()[1]
    tmp = a.port_file + ".tmp"
    with open(tmp, "w") as f:
        f.write(str(port))
    os.replace(tmp, a.port_file)

    parent = os.getppid()
    deadline = time.time() + a.lifetime

    def watchdog():
        while time.time() < deadline and os.getppid() == parent:
            time.sleep(0.5)
        os._exit(0)
    threading.Thread(target=watchdog, daemon=True).start()
    server.serve_forever(timeout=0.5, handle_exit=False)


if __name__ == "__main__":
    main()
