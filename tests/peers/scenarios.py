"""Scenarios of the scripted FTP server: one function per name, given a Session.
Add new ones here; a test picks one with the control port's SCENARIO line."""


def default(s):
    """A plain well-behaved server: greeting, any login, 200 to everything."""
    if s.login():
        s.serve()


def greeting_bytewise(s):
    """The greeting one byte per segment with pauses."""
    s.send_bytewise("220 slow hello\r\n", delay=0.02)
    s.expect("USER", "331 pw\r\n")
    s.expect("PASS", "230 ok\r\n")
    s.serve()


def login_block_split(s):
    """A 230- block cut inside lines and across reads; text lines start with digits."""
    s.send("220 hi\r\n")
    s.expect("USER", "331 pw\r\n")
    s.expect("PASS")
    s.send("230-Welcome\r\n230 is not the end\r\n123 nor this\r\n230 done\r\n",
           split=[3, 10, 7, 15, 2], delay=0.05)
    s.serve()


def two_replies_one_segment(s):
    s.send("220 hi\r\n")
    s.expect("USER")
    s.send("331 pw\r\n")
    s.expect("PASS")
    s.send("230 ok\r\n")
    s.expect("CWD")
    s.send("250 cwd ok\r\n200 extra\r\n")
    s.serve()


def refuse_pass(s):
    s.send("220 hi\r\n")
    s.expect("USER", "331 pw\r\n")
    s.expect("PASS", "530 Login incorrect.\r\n")
    s.serve()


def greeting_421(s):
    s.send("421 Too many users\r\n")
    s.stall(1)
    s.close()


def close_after_greeting(s):
    s.send("220 hi\r\n")
    s.close()


def silent(s):
    """Accepts and never answers."""
    s.readline(timeout=120)
    s.stall(120)


def echo(s):
    """Answers every command line with 200 and its own text (for the harness test)."""
    s.send("220 echo\r\n")
    while True:
        line = s.readline()
        if line is None:
            return
        if line.upper() == "QUIT":
            s.send("221 bye\r\n")
            return
        s.send("200 " + line + "\r\n")


# ---- the control connection (tests/net) ------------------------------------

def welcome_block(s):
    """A 230- block cut inside lines and across reads, with text lines that
    begin with digits (and the code itself) before its real last line."""
    s.send("220 hi\r\n")
    s.expect("USER", "331 pw\r\n")
    s.expect("PASS")
    s.send("230-Welcome\r\n230-2300 users may log in\r\n123 is a text line\r\n"
           " 230 indented\r\n230 Login done.\r\n",
           split=[2, 3, 9, 20, 11, 1, 17, 6], delay=0.05)
    s.serve({"PWD": '257 "/welcome" is current\r\n'})


def size_and_extra(s):
    """SIZE answered by 213 with a second reply in the same segment."""
    if s.login():
        s.serve({"SIZE": "213 4096\r\n200 extra line\r\n"})


def long_reply_line(s):
    """NOOP answered by a 1,600-byte line; the stream goes on after it."""
    if s.login():
        s.serve({"NOOP": "200 " + "x" * 1596 + "\r\n", "SYST": "215 UNIX Type: L8\r\n"})


def refuse_pass_always(s):
    """Every PASS refused (a proxy login tried again must stop after one more)."""
    s.send("220 proxy ready\r\n")
    while True:
        line = s.readline(timeout=10)
        if line is None:
            return
        verb = line.split(" ", 1)[0].upper()
        if verb == "USER":
            s.send("331 pw\r\n")
        elif verb == "PASS":
            s.send("530 Login incorrect.\r\n")
        elif verb == "QUIT":
            s.send("221 bye\r\n")
            return
        else:
            s.send("530 Please login with USER and PASS.\r\n")


def close_inside_reply(s):
    """The connection drops in the middle of the welcome block."""
    s.send("220 hi\r\n")
    s.expect("USER", "331 pw\r\n")
    s.expect("PASS")
    s.send("230-Welcome\r\n230-more to co")
    s.stall(0.2)
    s.close()


def drop_on_noop(s):
    """Logged in, then the server goes away when asked anything."""
    if s.login():
        s.expect("PWD", '257 "/" is current\r\n')
        s.expect("NOOP")
        s.close()


def drop_after_login(s):
    """Logged in; the server drops the connection a moment later."""
    if s.login():
        s.expect("PWD", '257 "/" is current\r\n')
        s.stall(0.5)
        s.close()


def retr_then_421(s):
    """150 to RETR, then a long multi-line 421 on the control connection and a close."""
    if not s.login():
        return
    while True:
        line = s.readline()
        if line is None:
            return
        verb = line.split(" ", 1)[0].upper()
        if verb == "PWD":
            s.send('257 "/" is current\r\n')
        elif verb != "RETR":
            s.send("200 ok\r\n")
        else:
            break
    s.send("150 Opening BINARY mode data connection.\r\n")
    s.stall(0.2)
    text = "421-Service not available, closing control connection.\r\n"
    for i in range(40):
        text += "421-Notice line %02d: the server is going down for maintenance now.\r\n" % i
    text += "421 Goodbye.\r\n"
    s.send(text, split=[700, 900, 1300], delay=0.05)
    s.stall(0.2)
    s.close()


def refuse_greeting(s):
    """421 instead of a greeting; the close comes only much later."""
    s.send("421 Too many users, try later\r\n")
    s.stall(10)
    s.close()


# ---- the site keeper (tests/keeper) ----------------------------------------

def silent_after_login(s):
    """Logs in, answers the login's PWD, then reads every command and never
    answers again (a half-open link as the client sees it)."""
    if not s.login():
        return
    s.expect("PWD", '257 "/" is current\r\n')
    while s.readline(timeout=120) is not None:
        pass


def close_after_keepalive(s):
    """Logs in, then closes the connection at the first command after the
    login's PWD (the first keep-alive)."""
    if not s.login():
        return
    s.expect("PWD", '257 "/" is current\r\n')
    s.readline(timeout=60)
    s.close()


def drop_on_site(s):
    """A normal server that goes away when sent SITE (a borrower's command)."""
    if not s.login():
        return
    s.serve({"SITE": lambda sess, line: sess.close()}, timeout=60)


# ---- data connections (tests/data) -----------------------------------------

import time  # noqa: E402

DATA_SIZE = 100003


def pattern(n):
    """The bytes the data scenarios send: byte i is (i * 7 + 3) mod 256, so every
    value (CR, LF, NUL, 0x1A among them) occurs."""
    cycle = bytes((i * 7 + 3) & 0xFF for i in range(256))
    return (cycle * (n // 256 + 1))[:n]


def _serve_data(s, handlers, abor="225 No transfer to abort.\r\n", on_pasv=None):
    """Logged in; answers commands until QUIT. PASV opens a listener (on_pasv(s,
    reply) may adjust it and returns the 227 text to send) and takes the client's
    connection; a verb in handlers goes to handlers[verb](s, verb, line), which
    returns False to end the session; ABOR gets abor, anything else 200."""
    if not s.login():
        return
    while True:
        line = s.readline(timeout=60)
        if line is None:
            return
        verb = line.split(" ", 1)[0].upper()
        if verb == "PASV":
            reply = s.pasv_reply()
            if on_pasv is not None:
                reply = on_pasv(s, reply)
            s.send(reply)
            try:
                s.accept_data(timeout=10)
            except OSError:
                s.record.append("NO DATA CONNECTION")
        elif verb in handlers:
            if handlers[verb](s, verb, line) is False:
                return
        elif verb == "ABOR":
            s.send(abor)
        elif verb == "PWD":
            s.send('257 "/" is current\r\n')
        elif verb == "QUIT":
            s.send("221 bye\r\n")
            return
        else:
            s.send("200 ok\r\n")


def _data_server(s, on_transfer, pasv_text=None):
    """Like _serve_data: the 227 text is pasv_text(port) when given; RETR, STOR
    and APPE go to on_transfer(s, verb, line); REST is accepted."""
    def transfer(s, verb, line):
        on_transfer(s, verb, line)

    def rest(s, verb, line):
        s.send("350 Restarting at %s.\r\n" % line.split(" ", 1)[1])
    on_pasv = None
    if pasv_text is not None:
        on_pasv = lambda s, reply: pasv_text(s.data_listener.getsockname()[1])
    _serve_data(s, {"RETR": transfer, "STOR": transfer, "APPE": transfer, "REST": rest}, on_pasv=on_pasv)


def _bad_pasv(text):
    """A 227 that names no usable address: the client must connect nowhere."""
    def scenario(s):
        if not s.login():
            return
        replies = {"PASV": text, "ABOR": "225 No transfer to abort.\r\n"}
        s.serve(replies)
    return scenario


pasv_field_300 = _bad_pasv("227 Entering Passive Mode (127,0,0,300,4,1).\r\n")
pasv_five_numbers = _bad_pasv("227 Entering Passive Mode (127,0,0,1,4).\r\n")
pasv_huge_number = _bad_pasv("227 Entering Passive Mode (127,0,0,1," + "9" * 600 + ",1).\r\n")


def pasv_nobody_listens(s):
    """A well-formed 227 naming a port where nobody listens."""
    import socket
    t = socket.socket()
    t.bind(("127.0.0.1", 0))
    p = t.getsockname()[1]
    t.close()
    if not s.login():
        return
    s.serve({"PASV": "227 Entering Passive Mode (127,0,0,1,%d,%d).\r\n" % (p >> 8, p & 255),
             "ABOR": "225 No transfer to abort.\r\n"})


def _send_pattern(final_first):
    def on_transfer(s, verb, line):
        s.send("150 Opening BINARY mode data connection.\r\n")
        data = pattern(DATA_SIZE)
        if final_first:
            s.data_conn.sendall(data)
            time.sleep(0.3)
            s.send("226 Transfer complete.\r\n")
            time.sleep(1.0)
            s.data_conn.close()
            s.data_conn = None
        else:
            s.send_data(data, close=True)
            time.sleep(1.0)
            s.send("226 Transfer complete.\r\n")
    return on_transfer


def retr_226_first(s):
    """Every RETR: the data, the 226, and the data close a second later."""
    _data_server(s, _send_pattern(True))


def retr_226_last(s):
    """Every RETR: the data and its close, and the 226 a second later."""
    _data_server(s, _send_pattern(False))


def retr_no_parens(s):
    """227 without parentheses; RETR then works as usual."""
    _data_server(s, _send_pattern(False),
                 pasv_text=lambda p: "227 Entering Passive Mode =127,0,0,1,%d,%d\r\n" % (p >> 8, p & 255))


def store_and_report(s):
    """STOR and APPE (after REST too) take the data; the record gets
    "DATA <length> <crc32>" of what came."""
    import zlib

    def on_transfer(s, verb, line):
        s.send("150 Ok to send data.\r\n")
        data = s.recv_data()
        s.record.append("DATA %d %08x" % (len(data), zlib.crc32(data) & 0xFFFFFFFF))
        s.send("226 Transfer complete.\r\n")
    _data_server(s, on_transfer)


def retr_stall(s):
    """RETR: 64 KB of data, then nothing more for 30 s, the connection kept open."""
    def on_transfer(s, verb, line):
        s.send("150 Opening BINARY mode data connection.\r\n")
        s.data_conn.sendall(pattern(65536))
        time.sleep(30)
    _data_server(s, on_transfer)


def _list_server(s, on_list, on_cwd=None):
    """Logged in; answers commands until QUIT like _data_server, LIST going to
    on_list(s, line) and CWD to on_cwd(s, line) when given."""
    handlers = {"LIST": lambda s, verb, line: on_list(s, line)}
    if on_cwd is not None:
        handlers["CWD"] = lambda s, verb, line: on_cwd(s, line)
    _serve_data(s, handlers, abor="426 Transfer aborted.\r\n226 Abort successful.\r\n")


def list_stall(s):
    """LIST: 150, then no data at all, the data connection kept open."""
    def on_list(s, line):
        s.send("150 Here comes the directory listing.\r\n")
    _list_server(s, on_list)


def list_drop(s):
    """LIST: 150, then the control connection closes."""
    def on_list(s, line):
        s.send("150 Here comes the directory listing.\r\n")
        time.sleep(0.3)
        return False
    _list_server(s, on_list)


def cwd_silent(s):
    """Logged in; CWD is read and never answered, nor anything after it."""
    def on_cwd(s, line):
        while s.readline(timeout=60) is not None:
            pass
        return False
    _list_server(s, lambda s, line: s.send("150 x\r\n"), on_cwd)


def cwd_550(s):
    """Logged in; every CWD refused with 550."""
    def on_cwd(s, line):
        s.send("550 No such directory.\r\n")
    _list_server(s, lambda s, line: s.send("150 x\r\n"), on_cwd)


pasv_no_close = _bad_pasv("227 Entering Passive Mode (127,0,0,2,19\r\n")
pasv_refused = _bad_pasv("502 Command not implemented.\r\n")


def fxp_silent(s):
    """A server that takes part in a direct copy and then falls silent: PASV
    names a listener nobody serves, PORT is accepted, RETR and STOR get 150 and
    nothing more, and nothing at all is answered after that (ABOR included)."""
    import socket
    if not s.login():
        return
    held = []
    silent = False
    while True:
        line = s.readline(timeout=120)
        if line is None:
            return
        if silent:
            continue
        verb = line.split(" ", 1)[0].upper()
        if verb == "PASV":
            t = socket.socket()
            t.bind(("127.0.0.1", 0))
            t.listen(1)
            held.append(t)
            p = t.getsockname()[1]
            s.send("227 Entering Passive Mode (127,0,0,1,%d,%d).\r\n" % (p >> 8, p & 255))
        elif verb in ("RETR", "STOR"):
            s.send("150 Opening BINARY mode data connection.\r\n")
            silent = True
        elif verb == "PWD":
            s.send('257 "/" is current\r\n')
        elif verb == "QUIT":
            s.send("221 bye\r\n")
            return
        else:
            s.send("200 ok\r\n")


# ---- queue workers (tests/queue) ---------------------------------------------

QUEUE_SIZE = 3 * 1024 * 1024 + 5
QUEUE_CUT = 1024 * 1024
QUEUE_HOSTILE = ["..\\x", "a/b", "C:x", "CON", "nul.txt", "good.txt"]


def queue_files(s):
    """Every RETR serves pattern(QUEUE_SIZE) from the offset of a REST before
    it. A name starting with "cut" retrieved without REST gets QUEUE_CUT bytes,
    the data connection closed, and a second later 426. "stall" names get 64 KB
    and then nothing for 30 s; "drop" names get 64 KB and the control connection
    closes. SIZE answers QUEUE_SIZE. LIST lists QUEUE_HOSTILE as small files."""
    data = pattern(QUEUE_SIZE)
    rest = 0

    def arg(line):
        parts = line.split(" ", 1)
        return parts[1] if len(parts) > 1 else ""

    def on_rest(s, verb, line):
        nonlocal rest
        rest = int(arg(line))
        s.send("350 Restarting at %d.\r\n" % rest)

    def on_size(s, verb, line):
        s.send("213 %d\r\n" % QUEUE_SIZE)

    def on_retr(s, verb, line):
        nonlocal rest
        name = arg(line).rsplit("/", 1)[-1]
        offset, rest = rest, 0
        if s.data_conn is None:
            s.send("425 No data connection.\r\n")
            return
        s.send("150 Opening BINARY mode data connection.\r\n")
        if name.startswith("cut") and offset == 0:
            s.data_conn.sendall(data[:QUEUE_CUT])
            s.data_conn.close()
            s.data_conn = None
            time.sleep(1.0)
            s.send("426 Connection closed; transfer aborted.\r\n")
        elif name.startswith("stall"):
            s.data_conn.sendall(data[:65536])
            time.sleep(30)
        elif name.startswith("drop"):
            s.data_conn.sendall(data[:65536])
            time.sleep(0.5)
            s.data_conn.close()
            return False
        else:
            s.send_data(data[offset:], close=True)
            time.sleep(0.2)
            s.send("226 Transfer complete.\r\n")

    def on_list(s, verb, line):
        if s.data_conn is None:
            s.send("425 No data connection.\r\n")
            return
        s.send("150 Here comes the directory listing.\r\n")
        text = "".join("-rw-r--r--    1 ftp      ftp          1000 Jan 01 12:00 %s\r\n" % n
                       for n in QUEUE_HOSTILE)
        s.send_data(text, close=True)
        time.sleep(0.2)
        s.send("226 Directory send OK.\r\n")
    _serve_data(s, {"REST": on_rest, "SIZE": on_size, "RETR": on_retr, "LIST": on_list})


# ---- the transfer tasks (tests/xfer) -------------------------------------------

def _xfer_server(s, on_transfer):
    """Logged in; answers commands until QUIT like _data_server, but the data
    listener takes a small receive buffer, so an upload the server does not
    read stops moving at once. RETR and STOR go to on_transfer(s, verb, line);
    it returns False to end the session."""
    import socket

    def small_buffer(s, reply):
        s.data_listener.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
        return reply
    _serve_data(s, {"RETR": on_transfer, "STOR": on_transfer}, on_pasv=small_buffer)


def _data_gone(conn):
    """How the client let go of the data connection, seen without reading from
    it (the TCP state of the socket): "RESET", "CLOSED", or None while it is
    still established."""
    import socket
    try:
        state = conn.getsockopt(socket.IPPROTO_TCP, socket.TCP_INFO, 8)[0]
    except OSError:
        return "RESET"
    if state == 1:  # ESTABLISHED
        return None
    return "RESET" if state == 7 else "CLOSED"  # TCP_CLOSE after a reset


def _stall_until_abort(s, seconds=30):
    """The transfer stands still with its data connection open until the
    client gives it up: ABOR on the control connection (recorded by readline)
    or its data connection reset ("DATA RESET" recorded) or closed in order
    ("DATA CLOSED", as if the file were whole). Answers 426 and, for
    ABOR, 226; then closes the data connection."""
    import select
    deadline = time.time() + seconds
    abor = False
    while time.time() < deadline:
        if b"\n" not in s.buf:
            r, _, _ = select.select([s.conn], [], [], 0.1)
            if not r:
                gone = _data_gone(s.data_conn) if s.data_conn is not None else None
                if gone is not None:
                    s.record.append("DATA " + gone)
                    # A download's ABOR follows the reset of its data connection.
                    r, _, _ = select.select([s.conn], [], [], 0.5)
                    if r or b"\n" in s.buf:
                        line = s.readline(timeout=5)
                        abor = line is not None and "ABOR" in line.upper()
                    break
                continue
        line = s.readline(timeout=5)
        if line is None:
            return False
        if "ABOR" in line.upper():
            abor = True
            break
        s.send("200 ok\r\n")
    if s.data_conn is not None:
        s.data_conn.close()
        s.data_conn = None
    s.send("426 Connection closed; transfer aborted.\r\n")
    if abor:
        s.send("226 Abort successful.\r\n")
    return True


def xfer_stall(s):
    """RETR: 150 and 64 KB of pattern(), then nothing more; STOR: 150 and
    nothing read. The data connection stays open until the client aborts."""
    def on_transfer(s, verb, line):
        s.send("150 Opening BINARY mode data connection.\r\n")
        if verb == "RETR":
            s.data_conn.sendall(pattern(65536))
        return _stall_until_abort(s)
    _xfer_server(s, on_transfer)


def xfer_drop(s):
    """RETR: 150 and 64 KB, then the control connection closes; the data
    connection stays open a few seconds more."""
    def on_transfer(s, verb, line):
        s.send("150 Opening BINARY mode data connection.\r\n")
        s.data_conn.sendall(pattern(65536))
        time.sleep(0.3)
        data = s.data_conn
        s.data_conn = None
        s.close()
        time.sleep(5)
        data.close()
        return False
    _xfer_server(s, on_transfer)


# ---- remote file operations and walks (tests/ops) --------------------------

# A recursive listing as vsftpd gives it, with folder header lines long enough
# to pass for DOS lines and a file over 4 GB.
OPS_RECURSIVE_LISTING = (
    ".:\r\n"
    "total 16\r\n"
    "drwxr-xr-x    4 0        0            4096 Dec 09 08:50 .\r\n"
    "drwxr-xr-x    3 0        0            4096 Dec 09 08:50 ..\r\n"
    "drwxr-xr-x    3 0        0            4096 Dec 09 08:50 a folder with a rather long name\r\n"
    "-rw-r--r--    1 0        0              10 Dec 09 08:50 a.txt\r\n"
    "drwxr-xr-x    2 0        0            4096 Dec 09 08:50 s\r\n"
    "\r\n"
    "./a folder with a rather long name:\r\n"
    "total 12\r\n"
    "drwxr-xr-x    3 0        0            4096 Dec 09 08:50 .\r\n"
    "drwxr-xr-x    4 0        0            4096 Dec 09 08:50 ..\r\n"
    "-rw-r--r--    1 0        0            2000 Dec 09 08:50 b.bin\r\n"
    "drwxr-xr-x    2 0        0            4096 Dec 09 08:50 inner folder named at length\r\n"
    "\r\n"
    "./a folder with a rather long name/inner folder named at length:\r\n"
    "total 4\r\n"
    "drwxr-xr-x    2 0        0            4096 Dec 09 08:50 .\r\n"
    "drwxr-xr-x    3 0        0            4096 Dec 09 08:50 ..\r\n"
    "-rw-r--r--    1 0        0      5000000000 Dec 09 08:50 big.iso\r\n"
    "\r\n"
    "./s:\r\n"
    "total 4\r\n"
    "drwxr-xr-x    2 0        0            4096 Dec 09 08:50 .\r\n"
    "drwxr-xr-x    4 0        0            4096 Dec 09 08:50 ..\r\n"
    "-rw-r--r--    1 0        0               7 Dec 09 08:50 c\r\n"
)


def _ops_list(text, chunk=0, delay=0.0):
    """LIST: 150, the text on the data connection (in chunks with pauses when
    asked), its close and 226; a client that closes the data connection early
    gets 426 and the next command (its ABOR) is read as usual."""
    def on_list(s, line):
        s.send("150 Here comes the directory listing.\r\n")
        data = text.encode("latin-1")
        try:
            if chunk:
                for i in range(0, len(data), chunk):
                    s.data_conn.sendall(data[i:i + chunk])
                    time.sleep(delay)
            else:
                s.data_conn.sendall(data)
            s.data_conn.close()
            s.data_conn = None
            s.send("226 Directory send OK.\r\n")
        except OSError:
            s.data_conn = None
            s.send("426 Failure writing network stream.\r\n")
    return on_list


def ops_list_recursive(s):
    """Every LIST gets the recursive listing above."""
    _list_server(s, _ops_list(OPS_RECURSIVE_LISTING))


def ops_list_recursive_slow(s):
    """The recursive listing in 40-byte pieces, 0.25 s apart (about 7 s)."""
    _list_server(s, _ops_list(OPS_RECURSIVE_LISTING, chunk=40, delay=0.25))


def ops_list_empty(s):
    """Every LIST: 150, a data connection closed at once, 226."""
    _list_server(s, _ops_list(""))


def ops_slow_replies(s):
    """DELE, RNFR and LIST are answered only after 6 s (the user stops the task
    meanwhile); everything else at once."""
    def slow(text):
        def reply(sess, line):
            time.sleep(6)
            sess.send(text)
        return reply

    def pasv(sess, line):
        sess.send(sess.pasv_reply())
    if s.login():
        s.serve({"DELE": slow("250 File removed.\r\n"), "RNFR": slow("350 Ready for destination name.\r\n"),
                 "RNTO": "250 Renaming ok.\r\n", "PASV": pasv, "LIST": slow("550 Too late.\r\n"),
                 "ABOR": "225 No transfer to abort.\r\n"}, timeout=60)


def ops_silent_after_dele(s):
    """Answers until the first DELE, then reads on and never answers again."""
    if s.login():
        s.serve({"DELE": lambda sess, line: _ops_read_forever(sess)}, timeout=60)


def _ops_read_forever(s):
    while s.readline(timeout=120) is not None:
        pass


def store_late_150(s):
    """STOR: the data connection is left unanswered for 0.5 s, and the record
    gets "EARLY NONE", "EARLY DATA" or "EARLY EOF" for what the client sent on
    it before the 150; then the data are taken as in store_and_report."""
    import select
    import socket
    import zlib

    def on_transfer(s, verb, line):
        time.sleep(0.5)
        readable, _, _ = select.select([s.data_conn], [], [], 0)
        early = "NONE"
        if readable:
            try:
                early = "DATA" if s.data_conn.recv(1, socket.MSG_PEEK) else "EOF"
            except OSError:
                early = "EOF"
        s.record.append("EARLY " + early)
        s.send("150 Ok to send data.\r\n")
        data = s.recv_data()
        s.record.append("DATA %d %08x" % (len(data), zlib.crc32(data) & 0xFFFFFFFF))
        s.send("226 Transfer complete.\r\n")
    _data_server(s, on_transfer)


# ---- replies owed after ABOR (tests/data, tests/queue) --------------------------

def _refused_retr(code, data_closed_first, abor_reply, abor_delay=0.0):
    """RETR of a name starting with "gone" is refused with code, the data
    connection closed just before the refusal or left open a moment after it;
    ABOR gets abor_reply after abor_delay seconds (None: never answered). Other
    RETRs serve pattern(DATA_SIZE); CWD to "/nope..." gets 550."""
    texts = {450: "450 File busy, try again later.\r\n", 550: "550 No such file or directory.\r\n"}

    def on_retr(s, verb, line):
        name = line.split(" ", 1)[-1].rsplit("/", 1)[-1]
        if not name.startswith("gone"):
            s.send("150 Opening BINARY mode data connection.\r\n")
            s.send_data(pattern(DATA_SIZE), close=True)
            time.sleep(0.1)
            s.send("226 Transfer complete.\r\n")
            return
        if s.data_conn is not None and data_closed_first:
            s.data_conn.close()
            s.data_conn = None
            time.sleep(0.2)
        s.send(texts[code])
        if s.data_conn is not None:
            time.sleep(0.5)
            s.data_conn.close()
            s.data_conn = None

    def on_abor(s, verb, line):
        if abor_reply is not None:
            time.sleep(abor_delay)
            s.send(abor_reply)

    def on_cwd(s, verb, line):
        folder = line.split(" ", 1)[-1]
        s.send("550 No such directory.\r\n" if folder.startswith("/nope") else "250 Directory changed.\r\n")

    def scenario(s):
        _serve_data(s, {"RETR": on_retr, "ABOR": on_abor, "CWD": on_cwd})
    return scenario


retr_450_abor_late = _refused_retr(450, False, "225 ABOR command successful.\r\n", 0.3)
retr_550_closed_abor_500 = _refused_retr(550, True, "500 Unknown command.\r\n")
retr_550_open_abor_500 = _refused_retr(550, False, "500 Unknown command.\r\n")
retr_550_abor_silent = _refused_retr(550, True, None)


# ---- a relay source that pauses (tests/data) ------------------------------------

RELAY_PAUSE_S = 8


def relay_source_pause(s):
    """RETR: 150, 64 KB of pattern(), nothing for RELAY_PAUSE_S seconds, 64 KB
    more, the close and 226 (426 when the client let the data connection go).
    STOR takes the data (4 s after its 150 for names starting with "late", so
    it is still open when a paused source resumes) and records
    "DATA <name> <length> <crc32>"; a reset data connection gets 426."""
    import zlib

    def on_retr(s, verb, line):
        s.send("150 Opening BINARY mode data connection.\r\n")
        data = pattern(131072)
        try:
            s.data_conn.sendall(data[:65536])
            time.sleep(RELAY_PAUSE_S)
            s.data_conn.sendall(data[65536:])
            s.data_conn.close()
            s.send("226 Transfer complete.\r\n")
        except OSError:
            s.send("426 Connection closed; transfer aborted.\r\n")
        s.data_conn = None

    def on_stor(s, verb, line):
        name = line.split(" ", 1)[-1]
        s.send("150 Ok to send data.\r\n")
        if name.startswith("late"):
            time.sleep(4)
        got, whole = b"", True
        try:
            while True:
                d = s.data_conn.recv(65536)
                if not d:
                    break
                got += d
        except OSError:
            whole = False
        s.data_conn.close()
        s.data_conn = None
        s.record.append("DATA %s %d %08x" % (name, len(got), zlib.crc32(got) & 0xFFFFFFFF))
        s.send("226 Transfer complete.\r\n" if whole else "426 Connection closed; transfer aborted.\r\n")
    _serve_data(s, {"RETR": on_retr, "STOR": on_stor})


def ctrl_flood(s):
    """SYST starts an endless stream of continuation lines on the control
    connection, until the client closes it (at most 120 s)."""
    def flood(sess, line):
        chunk = ("211-" + "x" * 70 + "\r\n").encode("latin-1") * 1000
        end = time.time() + 120
        try:
            while time.time() < end:
                sess.conn.sendall(chunk)
        except OSError:
            pass
    if s.login():
        s.serve({"SYST": flood})


# ---- hostile listings (tests/queue) ------------------------------------------

# Lines of neither listing style and special files among two real entries.
HOSTILE_LISTING = (
    "./odd/a recursive listing header with words:\r\n"
    "srwxrwxrwx   1 root     root            0 Jan  1 12:00 control.sock\r\n"
    "prw-r--r--   1 root     root            0 Jan  1 12:00 a pipe\r\n"
    "crw-rw-rw-   1 root     root       1,   3 Jan  1 12:00 null\r\n"
    "Total of 2 files in this folder, 0 folders\r\n"
    "-rw-r--r-- 1 u g 10 2023-01-01 12:00 my file.txt\r\n"
    "-rw-r--r--    1 ftp      ftp            10 Jan 01 12:00 good.txt\r\n"
)
# More than the client collects of one listing (16 MiB).
HUGE_LISTING_BYTES = 17 * 1024 * 1024


def queue_hostile_listing(s):
    """CWD into a folder named "huge" makes the next LIST send HUGE_LISTING_BYTES
    of plain file lines; any other LIST sends HOSTILE_LISTING. RETR sends 10
    bytes. A client that cuts the listing short gets 426."""
    cwd = ""

    def on_cwd(s, verb, line):
        nonlocal cwd
        cwd = line.split(" ", 1)[1] if " " in line else ""
        s.send("250 Directory changed.\r\n")

    def on_list(s, verb, line):
        if s.data_conn is None:
            s.send("425 No data connection.\r\n")
            return
        s.send("150 Here comes the directory listing.\r\n")
        if cwd.rstrip("/").endswith("huge"):
            row = "-rw-r--r--    1 ftp      ftp            10 Jan 01 12:00 f%07d\r\n"
            data = "".join(row % i for i in range(HUGE_LISTING_BYTES // len(row % 0) + 1)).encode("latin-1")
        else:
            data = HOSTILE_LISTING.encode("latin-1")
        try:
            s.data_conn.sendall(data)
            s.data_conn.close()
            s.data_conn = None
            s.send("226 Directory send OK.\r\n")
        except OSError:
            s.data_conn = None
            s.send("426 Failure writing network stream.\r\n")

    def on_retr(s, verb, line):
        if s.data_conn is None:
            s.send("425 No data connection.\r\n")
            return
        s.send("150 Opening BINARY mode data connection.\r\n")
        s.send_data(b"0123456789", close=True)
        s.send("226 Transfer complete.\r\n")
    _serve_data(s, {"CWD": on_cwd, "LIST": on_list, "RETR": on_retr},
                abor="426 Transfer aborted.\r\n226 Abort successful.\r\n")


# ---- the views' listing cache (tests/viewhelper) --------------------------------

LIST_GATE = "/tmp/zarn_list_gate"


def list_gated(s):
    """LIST: 150, then the listing only once the file LIST_GATE.<port> exists
    (the FTP port of this server, so fixtures running side by side have gates
    of their own; the test deletes tree nodes or moves on meanwhile)."""
    import os
    gate = "%s.%d" % (LIST_GATE, s.conn.getsockname()[1])

    def on_list(s, verb, line):
        if s.data_conn is None:
            s.send("425 No data connection.\r\n")
            return
        s.send("150 Here comes the directory listing.\r\n")
        deadline = time.time() + 60
        while not os.path.exists(gate) and time.time() < deadline:
            time.sleep(0.05)
        text = "".join("-rw-r--r--    1 ftp      ftp          1000 Jan 01 12:00 %s\r\n" % n
                       for n in ("held1.txt", "held2.txt"))
        s.send_data(text, close=True)
        time.sleep(0.2)
        s.send("226 Directory send OK.\r\n")
    _serve_data(s, {"LIST": on_list})


# ---- a server that falls silent mid-transfer (tests/xfer, tests/queue) ------------

SILENT_SIZE = 1024 * 1024


def _silent_until_closed(s):
    """Records what the client sends and answers nothing, until it closes."""
    while s.readline(timeout=300) is not None:
        pass


def silent_transfer(s):
    """RETR of a name starting with "nofinal": all SILENT_SIZE bytes of pattern()
    and the data connection closed, but no final reply; "halfstall": half of
    them, then nothing on either connection. After either the server answers
    nothing (ABOR included) until the client closes. Other RETRs serve
    SILENT_SIZE bytes whole; SIZE answers SILENT_SIZE."""
    data = pattern(SILENT_SIZE)

    def on_retr(s, verb, line):
        name = line.split(" ", 1)[-1].rsplit("/", 1)[-1]
        if s.data_conn is None:
            s.send("425 No data connection.\r\n")
            return
        s.send("150 Opening BINARY mode data connection.\r\n")
        if name.startswith("nofinal"):
            s.send_data(data, close=True)
        elif name.startswith("halfstall"):
            s.data_conn.sendall(data[:SILENT_SIZE // 2])
        else:
            s.send_data(data, close=True)
            time.sleep(0.1)
            s.send("226 Transfer complete.\r\n")
            return
        _silent_until_closed(s)
        return False

    def on_size(s, verb, line):
        s.send("213 %d\r\n" % SILENT_SIZE)
    _serve_data(s, {"RETR": on_retr, "SIZE": on_size})


# ---- a stopped download started again at once (tests/queue) -------------------------

RESUME_SIZE = 64 * 1024 * 1024
_resume_data = []


def retr_resume_abor_late(s):
    """RETR serves pattern(RESUME_SIZE) from the offset of a REST before it; a
    data connection the client lets go mid-file gets 426. ABOR is answered
    300 ms late with 226."""
    if not _resume_data:
        _resume_data.append(pattern(RESUME_SIZE))
    data = _resume_data[0]
    rest = 0

    def on_rest(s, verb, line):
        nonlocal rest
        rest = int(line.split(" ", 1)[1])
        s.send("350 Restarting at %d.\r\n" % rest)

    def on_size(s, verb, line):
        s.send("213 %d\r\n" % RESUME_SIZE)

    def on_retr(s, verb, line):
        nonlocal rest
        offset, rest = rest, 0
        if s.data_conn is None:
            s.send("425 No data connection.\r\n")
            return
        s.send("150 Opening BINARY mode data connection.\r\n")
        try:
            s.data_conn.sendall(memoryview(data)[offset:])
            s.data_conn.close()
            s.data_conn = None
            time.sleep(0.1)
            s.send("226 Transfer complete.\r\n")
        except OSError:
            s.data_conn.close()
            s.data_conn = None
            s.send("426 Connection closed; transfer aborted.\r\n")

    def on_abor(s, verb, line):
        time.sleep(0.3)
        s.send("226 ABOR command successful.\r\n")
    _serve_data(s, {"REST": on_rest, "SIZE": on_size, "RETR": on_retr, "ABOR": on_abor})


def store_gated(s):
    """STOR: 150, the data taken, then 226 only once the file LIST_GATE.<port>
    exists (the test closes windows meanwhile)."""
    import os
    gate = "%s.%d" % (LIST_GATE, s.conn.getsockname()[1])

    def on_stor(s, verb, line):
        s.send("150 Ok to send data.\r\n")
        s.recv_data()
        deadline = time.time() + 60
        while not os.path.exists(gate) and time.time() < deadline:
            time.sleep(0.05)
        s.send("226 Transfer complete.\r\n")
    _serve_data(s, {"STOR": on_stor})


# ---- the manual console (tests/console) ------------------------------------

def console_late_greeting(s):
    """The greeting half a second after the connect; a command sent before it
    would take the greeting as its reply."""
    time.sleep(0.5)
    if s.login():
        s.serve()


def console_split_pasv(s):
    """PASV answered in three segments cut inside the numbers; RETR then sends
    8,193 bytes of pattern()."""
    def on_retr(s, verb, line):
        s.send("150 Opening BINARY mode data connection.\r\n")
        s.send_data(pattern(8193), close=True)
        time.sleep(0.2)
        s.send("226 Transfer complete.\r\n")

    def split_reply(s, reply):
        cut = reply.index(",") + 3
        s.send(reply[:cut], split=[cut - 5], delay=0.2)
        time.sleep(0.2)
        return reply[cut:]
    _serve_data(s, {"RETR": on_retr}, on_pasv=split_reply)


def console_refuse(s):
    """RETR and STOR refused with 550 while the data connection is open."""
    def refuse(s, verb, line):
        s.send("550 %s refused.\r\n" % verb)
        if s.data_conn is not None:
            s.data_conn.close()
            s.data_conn = None
    _serve_data(s, {"RETR": refuse, "STOR": refuse})


def console_close_queued(s):
    """Logged in; the first command after the login gets no answer, the
    connection closes a second later while the client holds more commands."""
    if not s.login():
        return
    s.readline(timeout=30)
    time.sleep(1.0)
    s.close()


def console_long_list(s):
    """LIST: 1,000 lines "entry-0000" ... "entry-0999" in 4 KB pieces."""
    def on_list(s, verb, line):
        s.send("150 Here comes the directory listing.\r\n")
        text = "".join("entry-%04d\r\n" % i for i in range(1000)).encode("latin-1")
        for pos in range(0, len(text), 4096):
            s.data_conn.sendall(text[pos:pos + 4096])
        s.data_conn.close()
        s.data_conn = None
        s.send("226 Directory send OK.\r\n")
    _serve_data(s, {"LIST": on_list})
