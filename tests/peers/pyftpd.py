#!/usr/bin/python3
"""A real FTP server for tests: pyftpdlib on 127.0.0.1, a free port, one user
(and anonymous, read/write in a subfolder), a temporary root.

  pyftpd.py --root DIR --user U --password P --port-file F [--log F] [--lifetime S]
            [--port N]

Listens on port N (a free one by default: a restart takes its old port back)
and writes the port number to the port file once listening. Stops by itself after
--lifetime seconds or when its parent goes away."""
import argparse, logging, os, sys, threading, time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--root", required=True)
    ap.add_argument("--user", default="zarn")
    ap.add_argument("--password", default="secret")
    ap.add_argument("--port-file", required=True)
    ap.add_argument("--log")
    ap.add_argument("--lifetime", type=float, default=1800)
    ap.add_argument("--passive-ports", default="")
    ap.add_argument("--port", type=int, default=0)
    a = ap.parse_args()

    os.makedirs(a.root, exist_ok=True)
    anon = os.path.join(a.root, "anon")
    os.makedirs(anon, exist_ok=True)
    auth = DummyAuthorizer()
    auth.add_user(a.user, a.password, a.root, perm="elradfmwMT")
    auth.add_anonymous(anon, perm="elradfmwMT")

    # Optional fixtures of the file operation tests, named by the environment:
    # ZARN_PYFTPD_LOCKED: a folder (relative to the root) whose own files cannot
    #   be deleted, renamed or changed (its subfolders keep the full rights);
    # ZARN_PYFTPD_LINK: a symbolic link (relative to the root) to the folder
    #   "linktarget" beside the root, which holds "keep.txt".
    locked = os.environ.get("ZARN_PYFTPD_LOCKED", "")
    if locked:
        path = os.path.join(a.root, locked)
        os.makedirs(path, exist_ok=True)
        auth.override_perm(a.user, path, "elr", recursive=False)
    link = os.environ.get("ZARN_PYFTPD_LINK", "")
    if link:
        target = os.path.join(os.path.dirname(os.path.abspath(a.root)), "linktarget")
        os.makedirs(target, exist_ok=True)
        with open(os.path.join(target, "keep.txt"), "w") as f:
            f.write("outside the tree\n")
        path = os.path.join(a.root, link)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if not os.path.lexists(path):
            os.symlink(target, path)

    class Handler(FTPHandler):
        # SITE PSWD old new: the logged-in user's password becomes new when old
        # is the current one (servers that have it answer 200, others 500).
        proto_cmds = dict(FTPHandler.proto_cmds)
        proto_cmds["SITE PSWD"] = dict(perm=None, auth=True, arg=True,
                                       help="Syntax: SITE PSWD <SP> old <SP> new (change password).")

        def ftp_SITE_PSWD(self, line):
            parts = line.split(" ")
            if len(parts) != 2 or not parts[1]:
                self.respond("501 Syntax: SITE PSWD old new.")
                return
            user = self.authorizer.user_table.get(self.username)
            if user is None or self.username == "anonymous" or user["pwd"] != parts[0]:
                self.respond("550 Old password is not right.")
                return
            user["pwd"] = parts[1]
            self.respond("200 Password changed.")
    # ZARN_PYFTPD_SEND_LIMIT: bytes a second that one download may take, so
    # that a test can act in the middle of a transfer; with
    # ZARN_PYFTPD_SEND_LIMIT_DIR, only files in that folder of the root are slowed.
    send_limit = int(os.environ.get("ZARN_PYFTPD_SEND_LIMIT", "0") or 0)
    slow_dir = os.environ.get("ZARN_PYFTPD_SEND_LIMIT_DIR", "")
    if send_limit > 0:
        slow_path = os.path.join(os.path.realpath(a.root), slow_dir) if slow_dir else ""
        retr = Handler.ftp_RETR

        def ftp_RETR(self, file):
            # The data channel reads the limit of the file asked for last.
            slow = not slow_path or os.path.dirname(os.path.realpath(file)) == slow_path
            self.send_limit = send_limit if slow else 0
            return retr(self, file)
        Handler.ftp_RETR = ftp_RETR

        class Throttled(ThrottledDTPHandler):
            @property
            def write_limit(self):
                return getattr(self.cmd_channel, "send_limit", send_limit)
        Handler.dtp_handler = Throttled
    Handler.authorizer = auth
    Handler.banner = "zarn test server ready."
    if a.passive_ports:
        lo, hi = a.passive_ports.split("-")
        Handler.passive_ports = range(int(lo), int(hi) + 1)
    if a.log:
        logging.basicConfig(filename=a.log, level=logging.DEBUG)
    else:
        logging.basicConfig(level=logging.CRITICAL)

    serve(Handler, "127.0.0.1", a.port_file, a.lifetime, a.port)


def serve(handler, address, port_file, lifetime, port=0):
    """Listens on port (0: a free one) of address, writes the port number to
    port_file and serves until lifetime seconds have passed or the parent goes
    away."""
    server = FTPServer((address, port), handler)
    server.max_cons = 256
    port = server.socket.getsockname()[1]
    tmp = port_file + ".tmp"
    with open(tmp, "w") as f:
        f.write(str(port))
    os.replace(tmp, port_file)

    parent = os.getppid()
    deadline = time.time() + lifetime

    def watchdog():
        while time.time() < deadline and os.getppid() == parent:
            time.sleep(0.5)
        os._exit(0)
    threading.Thread(target=watchdog, daemon=True).start()
    server.serve_forever(timeout=0.5, handle_exit=False)


if __name__ == "__main__":
    main()
