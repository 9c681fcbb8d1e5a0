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
    return bytes((i * 7 + 3) & 0xFF for i in range(n))


def _data_server(s, on_transfer, pasv_text=None):
    """Logged in; answers commands until QUIT. PASV opens a listener (its 227
    text is pasv_text(port) when given) and takes the client's connection;
    RETR, STOR and APPE go to on_transfer(s, verb, line)."""
    if not s.login():
        return
    while True:
        line = s.readline(timeout=60)
        if line is None:
            return
        verb = line.split(" ", 1)[0].upper()
        if verb == "PASV":
            reply = s.pasv_reply()
            if pasv_text is not None:
                p = s.data_listener.getsockname()[1]
                reply = pasv_text(p)
            s.send(reply)
            try:
                s.accept_data(timeout=10)
            except OSError:
                s.record.append("NO DATA CONNECTION")
        elif verb in ("RETR", "STOR", "APPE"):
            on_transfer(s, verb, line)
        elif verb == "REST":
            s.send("350 Restarting at %s.\r\n" % line.split(" ", 1)[1])
        elif verb == "ABOR":
            s.send("225 No transfer to abort.\r\n")
        elif verb == "PWD":
            s.send('257 "/" is current\r\n')
        elif verb == "QUIT":
            s.send("221 bye\r\n")
            return
        else:
            s.send("200 ok\r\n")


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
    if not s.login():
        return
    while True:
        line = s.readline(timeout=60)
        if line is None:
            return
        verb = line.split(" ", 1)[0].upper()
        if verb == "PASV":
            s.send(s.pasv_reply())
            try:
                s.accept_data(timeout=10)
            except OSError:
                s.record.append("NO DATA CONNECTION")
        elif verb == "LIST":
            if on_list(s, line) is False:
                return
        elif verb == "CWD" and on_cwd is not None:
            if on_cwd(s, line) is False:
                return
        elif verb == "ABOR":
            s.send("426 Transfer aborted.\r\n226 Abort successful.\r\n")
        elif verb == "PWD":
            s.send('257 "/" is current\r\n')
        elif verb == "QUIT":
            s.send("221 bye\r\n")
            return
        else:
            s.send("200 ok\r\n")


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
