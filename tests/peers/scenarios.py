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
