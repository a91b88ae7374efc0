#!/usr/bin/env python3
"""Writes the release archives byte for byte the same from the same inputs.

  pack.py zip OUT.zip EPOCH SOURCE=NAME...
  pack.py tar OUT.tar.gz EPOCH SOURCE=NAME...
  pack.py guide TEMPLATE OUT VERSION [demo]
  pack.py crlf IN OUT
  pack.py sums FOLDER ARCHIVE...

Every entry gets the time EPOCH (seconds, the commit's time); entries are
sorted by name and each folder is listed once before what it holds. In the
tar archive every entry has the owner 0 and the mode 0755 when its source
is executable by its owner, 0644 otherwise. Nothing of the machine that
packs (user, time zone, umask, the order a folder lists its files in)
reaches the archive.

The ZIP archive is for Windows and written as Chinese Windows tools write
one: made on MS-DOS (FAT) with DOS attributes, and names that are not ASCII
stored in GBK without the UTF-8 flag, which the folder view of Windows 7 to
11 reads in the system's code page (936 on a Chinese Windows). The Info-ZIP
Unicode path field beside each such name gives the UTF-8 name to unzip,
7-Zip and the like everywhere else.
"""

import gzip
import hashlib
import io
import os
import re
import stat
import struct
import sys
import tarfile
import time
import zlib


def entries_of(pairs):
    """(name, source or None for a folder, mode) for each entry, sorted,
    with every folder a name lies in."""
    files = {}
    for pair in pairs:
        source, _, name = pair.partition("=")
        if not name or name.startswith("/") or ".." in name.split("/"):
            sys.exit(f"pack.py: bad entry {pair!r}")
        executable = os.stat(source).st_mode & stat.S_IXUSR
        files[name] = (source, 0o755 if executable else 0o644)
    folders = set()
    for name in files:
        parts = name.split("/")[:-1]
        for i in range(1, len(parts) + 1):
            folders.add("/".join(parts[:i]) + "/")
    listed = [(f, None, 0o755) for f in folders]
    listed += [(n, s, m) for n, (s, m) in files.items()]
    return sorted(listed, key=lambda e: e[0].encode("utf-8"))


def dos_time(epoch):
    t = time.gmtime(max(epoch, 315532800))  # ZIP times begin in 1980
    return ((t.tm_hour << 11) | (t.tm_min << 5) | (t.tm_sec // 2),
            ((t.tm_year - 1980) << 9) | (t.tm_mon << 5) | t.tm_mday)


def write_zip(out, epoch, pairs):
    clock, date = dos_time(epoch)
    body = io.BytesIO()
    directory = io.BytesIO()
    count = 0
    for name, source, _ in entries_of(pairs):
        try:
            stored = name.encode("ascii")
            extra = b""
        except UnicodeEncodeError:
            stored = name.encode("gbk")
            utf8 = name.encode("utf-8")
            field = struct.pack("<BI", 1, zlib.crc32(stored)) + utf8
            extra = struct.pack("<HH", 0x7075, len(field)) + field
        if source is None:
            data, packed, method = b"", b"", 0
            attributes = 0x10  # FILE_ATTRIBUTE_DIRECTORY
        else:
            with open(source, "rb") as f:
                data = f.read()
            squeezer = zlib.compressobj(9, zlib.DEFLATED, -15, 9)
            packed = squeezer.compress(data) + squeezer.flush()
            method = 8
            attributes = 0x20  # FILE_ATTRIBUTE_ARCHIVE
        crc = zlib.crc32(data)
        offset = body.tell()
        # Local header: version 2.0 needed, no flags.
        body.write(struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0, method, clock, date, crc,
                               len(packed), len(data), len(stored), len(extra)))
        body.write(stored + extra + packed)
        # Central header: made on MS-DOS (0) by version 2.0.
        directory.write(struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, 0, method,
                                    clock, date, crc, len(packed), len(data), len(stored), len(extra),
                                    0, 0, 0, attributes, offset))
        directory.write(stored + extra)
        count += 1
    central = directory.getvalue()
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, count, count, len(central), body.tell(), 0)
    with open(out, "wb") as f:
        f.write(body.getvalue() + central + end)


def write_tar_gz(out, epoch, pairs):
    raw = io.BytesIO()
    with tarfile.open(fileobj=raw, mode="w", format=tarfile.GNU_FORMAT, encoding="utf-8") as tar:
        for name, source, mode in entries_of(pairs):
            info = tarfile.TarInfo(name.rstrip("/"))
            info.mtime = epoch
            info.mode = mode
            info.uid = info.gid = 0
            info.uname = info.gname = ""
            if source is None:
                info.type = tarfile.DIRTYPE
                tar.addfile(info)
            else:
                with open(source, "rb") as f:
                    data = f.read()
                info.size = len(data)
                tar.addfile(info, io.BytesIO(data))
    with open(out, "wb") as f:
        # No file name and the commit's time in the gzip header.
        with gzip.GzipFile(filename="", mode="wb", fileobj=f, compresslevel=9, mtime=epoch) as z:
            z.write(raw.getvalue())


def demo_guide(text):
    """The guide of the demo archives: it says it is the demo and names the
    programs those archives hold (vantor-patcher-demo.exe, …) and their
    archives."""
    text = re.sub(r"vantor-patch(er)?(?![-\w])", r"vantor-patch\1-demo", text)
    text = re.sub(r"(vantor-patcher-@VERSION@-[\w-]+?)(\.zip|\.tar\.gz)", r"\1-demo\2", text)
    title, rest = text.split("\n", 1)
    return (title + "（试用版）\n" + rest).replace(
        "\n\n", "\n\n这是试用版：只认 vantor-make-demo 写出的演示游戏文件夹，不能升级真正的游戏。\n\n", 1)


def write_guide(template, out, version, demo=False):
    """The player's guide as Notepad on Windows 7 to 11 reads it: UTF-8 with
    a byte order mark and CRLF line ends."""
    with open(template, encoding="utf-8") as f:
        text = f.read()
    if demo:
        text = demo_guide(text)
    text = text.replace("@VERSION@", version)
    if re.search(r"@[A-Z_]+@", text):
        sys.exit(f"pack.py: {template} has a placeholder other than @VERSION@")
    with open(out, "wb") as f:
        f.write(b"\xef\xbb\xbf" + crlf(text).encode("utf-8"))


def crlf(text):
    return text.replace("\r\n", "\n").replace("\n", "\r\n")


def write_crlf(source, out):
    """A text file with CRLF line ends, for the Windows archive: the Notepad
    of Windows 7 shows LF-only text on one line."""
    with open(source, encoding="utf-8") as f:
        text = f.read()
    with open(out, "wb") as f:
        f.write(crlf(text).encode("utf-8"))


def write_sums(folder, archives):
    lines = []
    for name in sorted(os.path.basename(a) for a in archives):
        with open(os.path.join(folder, name), "rb") as f:
            lines.append(f"{hashlib.sha256(f.read()).hexdigest()}  {name}\n")
    with open(os.path.join(folder, "SHA256SUMS"), "w", encoding="ascii", newline="\n") as f:
        f.writelines(lines)


def main(argv):
    if len(argv) >= 4 and argv[1] in ("zip", "tar"):
        writer = write_zip if argv[1] == "zip" else write_tar_gz
        writer(argv[2], int(argv[3]), argv[4:])
    elif len(argv) == 4 and argv[1] == "crlf":
        write_crlf(argv[2], argv[3])
    elif len(argv) in (5, 6) and argv[1] == "guide" and argv[5:] in ([], ["demo"]):
        write_guide(argv[2], argv[3], argv[4], demo=argv[5:] == ["demo"])
    elif len(argv) >= 3 and argv[1] == "sums":
        write_sums(argv[2], argv[3:])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
