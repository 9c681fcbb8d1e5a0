#!/usr/bin/python3
"""A scripted FTP server for what real servers will not do: replies cut at
chosen bytes, pauses, stalls, drops, refusals and hostile names.

  scripted_ftpd.py --port-file F [--lifetime S]

The port file receives "FTPPORT CTLPORT". The control port takes one line per
connection:
  SCENARIO <name>   the next FTP connections run scenario <name> (answer "OK")
  RECEIVED          what the last FTP connection sent, then a line "."
Scenarios are functions in scenarios.py beside this file; each gets a Session
(send with splits and delays, read a command line, open passive data ...)."""
import argparse, os, socket, sys, threading, time, traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import scenarios  # noqa: E402


class Session:
    def __init__(self, conn, record):
        self.conn = conn
        self.record = record   # list of command lines received
        self.buf = b""
        self.data_listener = None
        self.data_conn = None
        conn.settimeout(60)

    # -- control connection --------------------------------------------
    def send(self, data, split=None, delay=0.0):
        """Sends bytes; split is a list of chunk sizes (the rest goes last),
        delay the pause in seconds between chunks."""
        if isinstance(data, str):
            data = data.encode("latin-1")
        chunks = []
        if split:
            pos = 0
            for n in split:
                chunks.append(data[pos:pos + n])
                pos += n
            chunks.append(data[pos:])
        else:
            chunks = [data]
        for i, c in enumerate(chunks):
            if c:
                self.conn.sendall(c)
            if delay and i + 1 < len(chunks):
                time.sleep(delay)

    def send_bytewise(self, data, delay=0.01):
        if isinstance(data, str):
            data = data.encode("latin-1")
        for b in data:
            self.conn.sendall(bytes([b]))
            time.sleep(delay)

    def readline(self, timeout=30):
        """Next command line without CR LF, or None when the client closed."""
        self.conn.settimeout(timeout)
        while b"\n" not in self.buf:
            try:
                d = self.conn.recv(4096)
            except socket.timeout:
                return None
            except OSError:
                return None
            if not d:
                return None
            self.buf += d
        line, self.buf = self.buf.split(b"\n", 1)
        text = line.rstrip(b"\r").decode("latin-1")
        self.record.append(text)
        return text

    def expect(self, verb, reply=None, timeout=30):
        """Reads lines until one starting with verb; sends reply to it."""
        while True:
            line = self.readline(timeout)
            if line is None:
                return None
            if line.upper().startswith(verb.upper()):
                if reply is not None:
                    self.send(reply)
                return line

    def login(self, greeting="220 scripted ready\r\n"):
        self.send(greeting)
        if self.expect("USER", "331 password please\r\n") is None:
            return False
        return self.expect("PASS", "230 logged in\r\n") is not None

    def serve(self, replies=None, timeout=30):
        """Answers commands until the client quits: replies maps a verb to a
        reply text (or a callable(session, line)); anything else gets 200."""
        replies = replies or {}
        while True:
            line = self.readline(timeout)
            if line is None:
                return
            verb = line.split(" ", 1)[0].upper()
            r = replies.get(verb)
            if callable(r):
                r(self, line)
            elif r is not None:
                self.send(r)
            elif verb == "QUIT":
                self.send("221 bye\r\n")
                return
            elif verb == "PWD":
                self.send('257 "/" is current\r\n')
            else:
                self.send("200 ok\r\n")

    def close(self):
        try:
            self.conn.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        self.conn.close()

    def stall(self, seconds):
        time.sleep(seconds)

    # -- passive data connection ---------------------------------------
    def pasv_reply(self):
        """Opens a data listener and returns its 227 reply text."""
        self.data_listener = socket.socket()
        self.data_listener.bind(("127.0.0.1", 0))
        self.data_listener.listen(1)
        p = self.data_listener.getsockname()[1]
        return "227 Entering Passive Mode (127,0,0,1,%d,%d).\r\n" % (p >> 8, p & 255)

    def accept_data(self, timeout=30):
        self.data_listener.settimeout(timeout)
        self.data_conn, _ = self.data_listener.accept()
        self.data_listener.close()
        self.data_listener = None
        return self.data_conn

    def send_data(self, data, close=True):
        if isinstance(data, str):
            data = data.encode("latin-1")
        self.data_conn.sendall(data)
        if close:
            self.data_conn.close()
            self.data_conn = None

    def recv_data(self):
        out = b""
        while True:
            d = self.data_conn.recv(65536)
            if not d:
                break
            out += d
        self.data_conn.close()
        self.data_conn = None
        return out


class Server:
    def __init__(self):
        self.scenario = "default"
        self.last_record = []
        self.lock = threading.Lock()

    def ftp_loop(self, lsock):
        while True:
            conn, _ = lsock.accept()
            with self.lock:
                name = self.scenario
                record = []
                self.last_record = record
            threading.Thread(target=self.run, args=(conn, name, record), daemon=True).start()

    def run(self, conn, name, record):
        s = Session(conn, record)
        try:
            getattr(scenarios, name)(s)
        except Exception:
            traceback.print_exc()
        finally:
            try:
                conn.close()
            except OSError:
                pass

    def command(self, line):
        if line.startswith("SCENARIO "):
            name = line.split(" ", 1)[1]
            if not hasattr(scenarios, name):
                return b"ERR unknown scenario\n"
            with self.lock:
                self.scenario = name
            return b"OK\n"
        return b"ERR\n"

    def received(self):
        with self.lock:
            return list(self.last_record)


def control_loop(csock, command, received):
    """Answers the control port, one line per connection: RECEIVED gets the
    lines of received() (a moment later, so the last commands are in) and a
    line "."; any other line gets the bytes of command(line)."""
    while True:
        c, _ = csock.accept()
        f = c.makefile("rwb")
        line = f.readline().decode("latin-1").strip()
        if line == "RECEIVED":
            time.sleep(0.2)
            for l in received():
                f.write((l + "\n").encode("latin-1"))
            f.write(b".\n")
        else:
            f.write(command(line))
        f.flush()
        f.close()
        try:
            c.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        c.close()


def listener(backlog=64):
    s = socket.socket()
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind(("127.0.0.1", 0))
    s.listen(backlog)
    return s


def write_ports(port_file, socks):
    """The port numbers of socks, space separated, written at once."""
    tmp = port_file + ".tmp"
    with open(tmp, "w") as f:
        f.write(" ".join("%d" % s.getsockname()[1] for s in socks))
    os.replace(tmp, port_file)


def live_while_parent(lifetime):
    """Returns after lifetime seconds or once the parent has gone away."""
    parent = os.getppid()
    deadline = time.time() + lifetime
    while time.time() < deadline and os.getppid() == parent:
        time.sleep(0.5)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--port-file", required=True)
    ap.add_argument("--lifetime", type=float, default=1800)
    a = ap.parse_args()
    srv = Server()
    lsock, csock = listener(64), listener(16)
    write_ports(a.port_file, (lsock, csock))
    threading.Thread(target=srv.ftp_loop, args=(lsock,), daemon=True).start()
    threading.Thread(target=control_loop, args=(csock, srv.command, srv.received), daemon=True).start()
    live_while_parent(a.lifetime)


if __name__ == "__main__":
    main()
