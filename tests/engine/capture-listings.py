#!/usr/bin/python3
"""Regenerates the listing fixtures of tests/engine/fixtures: real LIST output of
python3-pyftpdlib and vsftpd on 127.0.0.1 over one known folder tree, and what
each listing must parse to.

  /usr/bin/python3 tests/engine/capture-listings.py [--skip-vsftpd]

vsftpd needs root (it serves the tree to anonymous from a config file written
here). Each server runs on a free loopback port and is stopped afterwards.

Files written, per server S:
  S.list      the LIST bytes exactly as received (CR LF line ends)
  S.expected  one line per entry the program lists: kind<TAB>size<TAB>name,
              sorted by name (5 file, 7 folder; symbolic links are not listed)
The DOS/IIS sample (iis.list, iis.expected) is written by hand: no such server
runs here.
"""
import argparse, ftplib, os, shutil, signal, socket, subprocess, sys, tempfile, time

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "fixtures")
OLD = time.mktime((2002, 3, 3, 12, 0, 0, 0, 0, -1))  # listed with a year, not a time

# name -> size (None: folder). Names exercise blanks kept inside a name, a name
# that looks like an option, a size over 2 GiB (a sparse file) and an empty file.
TREE = {
    "pub": None,
    "My Folder": None,
    "read me.txt": 2048,
    "a  b": 5,
    "a b": 7,
    "big.iso": 3000000000,
    "empty.dat": 0,
    "-rf": 12,
    "x.TXT": 1,
    "old.c": 300,
}
LINKS = {"link-to-readme": "read me.txt"}


def build_tree(root):
    for name, size in TREE.items():
        path = os.path.join(root, name)
        if size is None:
            os.mkdir(path)
        else:
            with open(path, "wb") as f:
                if size:
                    f.truncate(size)
    for name, target in LINKS.items():
        os.symlink(target, os.path.join(root, name))
    os.utime(os.path.join(root, "old.c"), (OLD, OLD))
    os.utime(os.path.join(root, "My Folder"), (OLD, OLD))
    os.chmod(root, 0o755)


def expected_lines(root):
    # A Unix listing gives a folder the size of its directory file.
    rows = []
    for name, size in sorted(TREE.items()):
        if size is None:
            rows.append("7\t%d\t%s" % (os.stat(os.path.join(root, name)).st_size, name))
        else:
            rows.append("5\t%d\t%s" % (size, name))
    return rows


def free_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


def wait_port(port, proc, what):
    for _ in range(100):
        if proc.poll() is not None:
            sys.exit("%s ended early" % what)
        try:
            socket.create_connection(("127.0.0.1", port), timeout=0.2).close()
            return
        except OSError:
            time.sleep(0.1)
    sys.exit("%s did not start" % what)


def fetch_list(port, user, password):
    ftp = ftplib.FTP()
    ftp.connect("127.0.0.1", port, timeout=10)
    ftp.login(user, password)
    ftp.set_pasv(True)
    chunks = []
    ftp.retrbinary("LIST", chunks.append)
    ftp.quit()
    return b"".join(chunks)


def save(server, data, root):
    with open(os.path.join(OUT, server + ".list"), "wb") as f:
        f.write(data)
    with open(os.path.join(OUT, server + ".expected"), "w") as f:
        f.write("\n".join(expected_lines(root)) + "\n")
    print("%s: %d bytes" % (server, len(data)))


def capture_pyftpdlib(root):
    port = free_port()
    proc = subprocess.Popen([sys.executable, "-m", "pyftpdlib", "-i", "127.0.0.1", "-p", str(port),
                             "-d", root, "-u", "zarn", "-P", "secret"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wait_port(port, proc, "pyftpdlib")
        save("pyftpdlib", fetch_list(port, "zarn", "secret"), root)
    finally:
        proc.send_signal(signal.SIGTERM)
        proc.wait(10)


def capture_vsftpd(root, work):
    port = free_port()
    conf = os.path.join(work, "vsftpd.conf")
    empty = os.path.join(work, "empty")
    os.mkdir(empty)
    with open(conf, "w") as f:
        f.write("\n".join([
            "listen=YES", "listen_ipv6=NO", "listen_address=127.0.0.1", "listen_port=%d" % port,
            "background=NO", "seccomp_sandbox=NO", "anonymous_enable=YES", "no_anon_password=YES",
            "anon_root=%s" % root, "local_enable=NO", "write_enable=NO", "hide_ids=YES",
            "pasv_enable=YES", "pasv_min_port=%d" % (port + 1), "pasv_max_port=%d" % (port + 20),
            "secure_chroot_dir=%s" % empty, "xferlog_enable=NO", "use_localtime=NO",
            "dirmessage_enable=NO", "check_shell=NO", ""]))
    proc = subprocess.Popen(["/usr/sbin/vsftpd", conf], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wait_port(port, proc, "vsftpd")
        save("vsftpd", fetch_list(port, "anonymous", "zarn@"), root)
    finally:
        proc.send_signal(signal.SIGTERM)
        proc.wait(10)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--skip-vsftpd", action="store_true")
    a = ap.parse_args()
    os.makedirs(OUT, exist_ok=True)
    work = tempfile.mkdtemp(prefix="zarn-listings.")
    os.chmod(work, 0o755)
    try:
        root = os.path.join(work, "root")
        os.mkdir(root)
        build_tree(root)
        capture_pyftpdlib(root)
        if not a.skip_vsftpd:
            capture_vsftpd(root, work)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
