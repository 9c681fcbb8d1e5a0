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
