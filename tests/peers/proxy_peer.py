#!/usr/bin/python3
"""A recording proxy for tests: SOCKS4/4A, SOCKS5 and HTTP CONNECT on one port
(told apart by the first byte), an FTP-proxy stub that takes the target in USER
on a second port, and a control port.

  proxy_peer.py --port-file F [--log F] [--lifetime S]

The port file receives "PROXYPORT FTPSTUBPORT CTLPORT". Every byte a client
sends before the relay starts is recorded (and appended to --log as hex).
The control port takes one line per connection:
  MODE [key=value ...]   behaviour of the next connections; unnamed keys
                         return to their defaults; records are cleared
  RECEIVED               one line per proxy connection since MODE, in order:
                         "<kind> <hex of the bytes received>" (kind socks4,
                         socks5, http) or "ftpuser <USER argument>", then "."
Keys (defaults in brackets):
  socks4_cd [90]        CD of the SOCKS4 answer
  socks5_method [auto]  auto: 2 when socks5_user is set, else 0 (if offered)
  socks5_user, socks5_pass   credentials that method 2 must carry
  socks5_auth [auto]    status of the authentication answer (auto: 0 when
                        the credentials match or none are set, else 1)
  socks5_rep [0]        REP of the connect answer
  http_status [200]     status of the CONNECT answer
  refuse_from [1]       the refusal values apply from this proxy connection
                        on (counted from 1 since MODE); earlier ones are granted
  split [0]             1: every answer goes out one byte at a time
  close_first [0]       1: close after the request instead of answering (from
                        refuse_from on)
  hold [30]             seconds a refused connection is kept open (the client
                        must not need the close to notice the refusal)
Names ending in ".zarn.test" resolve to 127.0.0.1. A refused connection is
never relayed; a granted one relays both ways until either side closes."""
import argparse, os, socket, struct, sys, threading, time, traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from scripted_ftpd import control_loop, listener, live_while_parent, write_ports  # noqa: E402

DEFAULTS = {
    "socks4_cd": "90", "socks5_method": "auto", "socks5_user": None, "socks5_pass": None,
    "socks5_auth": "auto", "socks5_rep": "0", "http_status": "200", "refuse_from": "1",
    "split": "0", "close_first": "0", "hold": "30",
}


def resolve(host):
    if host.endswith(".zarn.test"):
        return "127.0.0.1"
    return socket.gethostbyname(host)


class Conn:
    """One client connection: reads exactly, records every byte."""

    def __init__(self, sock, server, kind):
        self.sock = sock
        self.server = server
        self.kind = kind
        self.recorded = b""
        self.entry = server.new_entry(kind)
        sock.settimeout(30)

    def read(self, n):
        out = b""
        while len(out) < n:
            d = self.sock.recv(n - len(out))
            if not d:
                raise EOFError("client closed")
            out += d
        self.record(out)
        return out

    def read_until(self, end, limit=65536):
        out = b""
        while not out.endswith(end):
            d = self.sock.recv(1)
            if not d:
                raise EOFError("client closed")
            out += d
            if len(out) > limit:
                raise EOFError("too long")
        self.record(out)
        return out

    def record(self, data):
        self.recorded += data
        self.server.set_entry(self.entry, self.kind + " " + self.recorded.hex())
        self.server.log("%s %s" % (self.kind, data.hex()))

    def answer(self, data):
        if self.server.mode["split"] == "1":
            for b in data:
                self.sock.sendall(bytes([b]))
                time.sleep(0.01)
        else:
            self.sock.sendall(data)

    def refusing(self):
        return self.entry_index() >= int(self.server.mode["refuse_from"])

    def entry_index(self):
        return self.entry + 1

    def hold(self):
        """A refusing proxy that keeps the socket open: the client must act."""
        deadline = time.time() + float(self.server.mode["hold"])
        self.sock.settimeout(0.5)
        while time.time() < deadline:
            try:
                if not self.sock.recv(4096):
                    return
            except socket.timeout:
                continue
            except OSError:
                return


def relay(a, b):
    def pump(src, dst):
        try:
            while True:
                d = src.recv(65536)
                if not d:
                    break
                dst.sendall(d)
        except OSError:
            pass
        try:
            dst.shutdown(socket.SHUT_WR)
        except OSError:
            pass
    a.settimeout(None)
    b.settimeout(None)
    t = threading.Thread(target=pump, args=(b, a), daemon=True)
    t.start()
    pump(a, b)
    t.join(120)


def connect_target(host, port):
    try:
        return socket.create_connection((resolve(host), port), 10)
    except OSError:
        return None


def serve_socks4(c):
    head = c.read(8)
    port = struct.unpack(">H", head[2:4])[0]
    ip = head[4:8]
    c.read_until(b"\0")  # user id
    if ip[:3] == b"\0\0\0" and ip[3] != 0:
        host = c.read_until(b"\0")[:-1].decode("latin-1")
    else:
        host = socket.inet_ntoa(ip)
    m = c.server.mode
    if m["close_first"] == "1" and c.refusing():
        return
    cd = int(m["socks4_cd"]) if c.refusing() else 90
    target = connect_target(host, port) if cd == 90 else None
    if cd == 90 and target is None:
        cd = 91
    c.answer(bytes([0, cd]) + head[2:4] + b"\0\0\0\0")
    if cd != 90:
        c.hold()
        return
    relay(c.sock, target)


def serve_socks5(c):
    m = c.server.mode
    head = c.read(2)
    methods = c.read(head[1])
    if m["close_first"] == "1" and c.refusing():
        return
    want = m["socks5_method"]
    if want != "auto" and c.refusing():
        method = int(want)
    elif m["socks5_user"] is not None:
        method = 2 if 2 in methods else 0xFF
    else:
        method = 0 if 0 in methods else 0xFF
    c.answer(bytes([5, method]))
    if method == 0xFF:
        c.hold()
        return
    if method == 2:
        ver = c.read(1)
        user = c.read(c.read(1)[0])
        pw = c.read(c.read(1)[0])
        if m["socks5_auth"] != "auto" and c.refusing():
            status = int(m["socks5_auth"])
        elif m["socks5_user"] is not None:
            ok = user == m["socks5_user"].encode() and pw == (m["socks5_pass"] or "").encode()
            status = 0 if ok and ver == b"\1" else 1
        else:
            status = 0
        c.answer(bytes([1, status]))
        if status != 0:
            c.hold()
            return
    req = c.read(4)
    if req[3] == 1:
        host = socket.inet_ntoa(c.read(4))
    elif req[3] == 3:
        host = c.read(c.read(1)[0]).decode("latin-1")
    else:
        c.read(16)
        host = None
    port = struct.unpack(">H", c.read(2))[0]
    rep = int(m["socks5_rep"]) if c.refusing() else 0
    target = connect_target(host, port) if rep == 0 and host else None
    if rep == 0 and target is None:
        rep = 5
    c.answer(bytes([5, rep, 0, 1, 127, 0, 0, 1]) + struct.pack(">H", port))
    if rep != 0:
        c.hold()
        return
    relay(c.sock, target)


def serve_http(c):
    m = c.server.mode
    head = c.read_until(b"\r\n\r\n").decode("latin-1")
    first = head.split("\r\n", 1)[0].split(" ")
    if m["close_first"] == "1" and c.refusing():
        return
    status = int(m["http_status"]) if c.refusing() else 200
    target = None
    if status == 200:
        if len(first) != 3 or first[0] != "CONNECT" or ":" not in first[1]:
            status = 400
        else:
            host, port = first[1].rsplit(":", 1)
            target = connect_target(host, int(port))
            if target is None:
                status = 502
    if status == 200:
        c.answer(b"HTTP/1.1 200 Connection established\r\nProxy-agent: zarn-test\r\n\r\n")
        relay(c.sock, target)
        return
    # A body with digit-led lines: none of it may pass for a server reply.
    body = b"<html>\r\n220 this is no ftp server\r\n230 nor this\r\n</html>\r\n"
    c.answer(("HTTP/1.1 %d Refused\r\nContent-Type: text/html\r\nContent-Length: %d\r\n\r\n"
              % (status, len(body))).encode() + body)
    c.hold()


def serve_proxy(sock, server):
    try:
        sock.settimeout(30)
        first = sock.recv(1, socket.MSG_PEEK)
        if not first:
            return
        if first == b"\4":
            serve_socks4(Conn(sock, server, "socks4"))
        elif first == b"\5":
            serve_socks5(Conn(sock, server, "socks5"))
        else:
            serve_http(Conn(sock, server, "http"))
    except (EOFError, OSError):
        pass
    except Exception:
        traceback.print_exc()
    finally:
        try:
            sock.close()
        except OSError:
            pass


class LineReader:
    """Lines from a socket, keeping what came after them."""

    def __init__(self, sock):
        self.sock = sock
        self.buf = b""

    def line(self):
        while b"\n" not in self.buf:
            d = self.sock.recv(4096)
            if not d:
                raise EOFError("closed")
            self.buf += d
        line, self.buf = self.buf.split(b"\n", 1)
        return line.rstrip(b"\r").decode("latin-1")


def serve_ftp_stub(sock, server):
    """USER user@host:port [proxyuser]: records the argument, logs in at the
    target with USER user, then relays."""
    target = None
    try:
        sock.settimeout(30)
        sock.sendall(b"220 zarn ftp proxy stub ready\r\n")
        client = LineReader(sock)
        line = client.line()
        if not line.upper().startswith("USER "):
            sock.sendall(b"530 USER first\r\n")
            return
        arg = line[5:]
        entry = server.new_entry("ftpuser")
        server.set_entry(entry, "ftpuser " + arg)
        server.log("ftpuser " + arg)
        account, _, rest = arg.rpartition("@")
        where = rest.split(" ", 1)[0]
        host, _, port = where.partition(":")
        target = connect_target(host, int(port or "21")) if account and host else None
        if target is None:
            sock.sendall(b"530 cannot reach the target\r\n")
            return
        server_lines = LineReader(target)
        while True:  # the server's greeting stays here
            g = server_lines.line()
            if g[3:4] == " ":
                break
        target.sendall(("USER %s\r\n" % account).encode("latin-1"))
        if client.buf:
            target.sendall(client.buf)
        if server_lines.buf:
            sock.sendall(server_lines.buf)
        relay(sock, target)
    except (EOFError, OSError, ValueError):
        pass
    except Exception:
        traceback.print_exc()
    finally:
        for s in (sock, target):
            if s is not None:
                try:
                    s.close()
                except OSError:
                    pass


class Server:
    def __init__(self, log_path):
        self.lock = threading.Lock()
        self.mode = dict(DEFAULTS)
        self.entries = []
        self.log_path = log_path

    def new_entry(self, kind):
        with self.lock:
            self.entries.append(kind)
            return len(self.entries) - 1

    def set_entry(self, i, text):
        with self.lock:
            if i < len(self.entries):
                self.entries[i] = text

    def log(self, text):
        if self.log_path:
            with self.lock, open(self.log_path, "a") as f:
                f.write(text + "\n")

    def accept_loop(self, lsock, handler):
        while True:
            conn, _ = lsock.accept()
            threading.Thread(target=handler, args=(conn, self), daemon=True).start()

    def command(self, line):
        words = line.split()
        if not words or words[0] != "MODE":
            return b"ERR\n"
        mode = dict(DEFAULTS)
        bad = [w for w in words[1:] if "=" not in w or w.split("=", 1)[0] not in DEFAULTS]
        for w in words[1:]:
            k, _, v = w.partition("=")
            mode[k] = v
        if bad:
            return b"ERR bad key\n"
        with self.lock:
            self.mode = mode
            self.entries = []
        return b"OK\n"

    def received(self):
        with self.lock:
            return list(self.entries)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--port-file", required=True)
    ap.add_argument("--log")
    ap.add_argument("--lifetime", type=float, default=1800)
    a = ap.parse_args()
    srv = Server(a.log)
    proxy, stub, ctl = listener(), listener(), listener()
    write_ports(a.port_file, (proxy, stub, ctl))
    threading.Thread(target=srv.accept_loop, args=(proxy, serve_proxy), daemon=True).start()
    threading.Thread(target=srv.accept_loop, args=(stub, serve_ftp_stub), daemon=True).start()
    threading.Thread(target=control_loop, args=(ctl, srv.command, srv.received), daemon=True).start()
    live_while_parent(a.lifetime)


if __name__ == "__main__":
    main()
