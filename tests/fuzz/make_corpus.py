#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz harnesses into corpus/ beside this file.

Small, deterministic inputs: ZIP archives of the kinds the model package can
take (and hostile ones), update packages, picture headers, bundles against
small stock identities, description files and frame counts.
"""
import io
import pathlib
import struct
import zipfile

HERE = pathlib.Path(__file__).resolve().parent / "corpus"


def zip_bytes(entries):
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as archive:
        for name, data, method, attributes, extra in entries:
            info = zipfile.ZipInfo(name, date_time=(2024, 6, 15, 12, 30, 0))
            info.compress_type = method
            info.external_attr = attributes
            info.extra = extra
            archive.writestr(info, data)
    return buffer.getvalue()


def zip64_local_bytes(entries):
    """Local headers with ZIP64 sizes, as Python writes them with force_zip64."""
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time=(2024, 6, 15, 12, 30, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            with archive.open(info, "w", force_zip64=True) as entry:
                entry.write(data)
    return buffer.getvalue()


def ut_block(mtime, atime, ctime):
    return b"UT" + struct.pack("<HBIII", 13, 7, mtime, atime, ctime)


def archives():
    S, D = zipfile.ZIP_STORED, zipfile.ZIP_DEFLATED
    yield "stored", zip_bytes([("P0.POS", b"\r\nPose 0\r\n{}\r\n", S, 0x20, b"")])
    yield "deflated_tree", zip_bytes([("mesh/", b"", S, 0x10, b""),
                                      ("mesh/hero.msh", b"mesh " * 40, D, 0x20, b""),
                                      ("P0.POS", b"pose " * 50, D, 0x21, b"")])
    yield "unix_modes", zip_bytes([("dir/", b"", S, (0o040755 << 16) | 0x10, b""),
                                   ("dir/file", b"x", S, (0o100444 << 16), b"")])
    yield "ut_times", zip_bytes([("t.txt", b"times", S, 0x20, ut_block(1700000000, 1700000100, 1600000000))])
    yield "parent", zip_bytes([("../evil", b"evil", S, 0x20, b"")])
    yield "backslash_parent", zip_bytes([("a\\..\\..\\evil", b"evil", S, 0x20, b"")])
    yield "absolute", zip_bytes([("/abs", b"evil", S, 0x20, b"")])
    yield "drive", zip_bytes([("C:/x", b"evil", S, 0x20, b"")])
    yield "symlink", zip_bytes([("link", b"../outside", S, (0o120777 << 16), b""),
                                ("link/sentinel", b"evil", S, 0x20, b"")])
    whole = zip_bytes([("a.txt", b"abc" * 30, D, 0x20, b""), ("b.txt", b"def", S, 0x20, b"")])
    yield "device_name", zip_bytes([("mesh/nul.msh", b"gone", S, 0x20, b"")])
    yield "trailing_dot", zip_bytes([("name.", b"renamed", S, 0x20, b"")])
    yield "zip64_local", zip64_local_bytes([("mesh/hero.msh", b"mesh " * 40), ("P0.POS", b"pose")])
    yield "prefixed", b"MZ" + bytes(510) + whole
    yield "prefixed_zip64_local", b"MZ" + bytes(510) + zip64_local_bytes([("a.txt", b"abc" * 30)])
    yield "truncated_directory", whole[: len(whole) - 30]
    yield "short", whole[:20]


def packages():
    frames = bytes(range(64)) * 3 + struct.pack("<i", 3)
    description = "v0.5说明：新增3帧\r\n".encode("gbk")
    cover = b"\xFF\xD8\xFF\xE0\x00\x10JFIF\x00" + b"\x00" * 20
    pose = b"\r\nPose 0\r\n{\r\n\tStart 17061\r\n}\r\n"
    def package(parts):
        return bytes([min(len(parts[0]), 255), min(len(parts[1]), 255), min(len(parts[2]), 255)]) + b"".join(parts)
    yield "typical", package([frames[:200], description, cover, pose])
    yield "count_only", package([struct.pack("<i", 0), b"", b"", pose])
    yield "short_frames", package([b"\x01\x02", b"text", b"BM", b""])
    yield "utf8_bom", package([struct.pack("<i", 7), "\ufeff说明".encode("utf-8"), b"GIF89a", pose])


def pictures():
    yield "bmp", b"BM" + b"\x00" * 30
    yield "jpeg", b"\xFF\xD8\xFF\xE0\x00\x10JFIF"
    yield "icon", b"\x00\x00\x01\x00\x01\x00" + b"\x00" * 16
    yield "cursor", b"\x00\x00\x02\x00\x02\x00" + b"\x00" * 16
    yield "gif87", b"GIF87a" + b"\x00" * 10
    yield "pcx8", b"\x0A\x05\x01\x08" + b"\x00" * 10
    yield "pcx1", b"\x0A\x03\x01\x01" + b"\x00" * 10
    yield "text", b"not a picture"


def bundles():
    """Identity (prefix length, count offset, stock count, flags), then the
    bundle XORed onto the stock bytes: zero bytes keep the stock ones."""
    def bundle(prefix, offset, count, flags, xored):
        return struct.pack("<HBiB", prefix, offset, count, flags) + xored
    upgraded = bytearray(72)
    upgraded[13:17] = struct.pack("<i", 17061 ^ 17064)
    yield "stock", bundle(64, 13, 17061, 0, bytes(72))
    yield "upgraded", bundle(64, 13, 17061, 0, bytes(upgraded))
    yield "modified", bundle(64, 13, 17061, 0, b"\x01" + bytes(71))
    yield "short", bundle(64, 13, 17061, 0, bytes(10))
    yield "empty", bundle(64, 13, 17061, 0, b"")
    yield "no_prefix", bundle(0, 0, 0, 0, b"anything")
    yield "field_at_prefix_end", bundle(15, 13, -1, 0, bytes(upgraded[:15]))
    yield "field_past_prefix", bundle(8, 13, 5, 0, bytes(8))
    yield "missing", bundle(64, 13, 17061, 1, b"")
    yield "whole_stock", bundle(640, 255, 0x7FFFFFFF, 0, bytes(640))


def descriptions():
    yield "gbk", "v0.5说明：新增3帧\r\n".encode("gbk")
    yield "utf8", "说明：新增帧".encode("utf-8")
    yield "utf8_bom", "\ufeff说明".encode("utf-8")
    yield "bom_then_gbk", b"\xEF\xBB\xBF" + "说明".encode("gbk")
    yield "gb18030_four_bytes", b"\x84\x31\x95\x33\x90\x30\x81\x30\xE3\x32\x9A\x35"
    yield "cut_lead", "说明".encode("gbk") + b"\x81"
    yield "stray_bytes", b"\x80\xFF\xA1"
    yield "overlong", b"\xC0\x80\xE0\x80\xAF"
    yield "surrogate", b"\xED\xA0\x80"
    yield "past_unicode", b"\xF4\x90\x80\x80"
    yield "empty", b""
    yield "utf16le_bom", "\ufeffv0.5说明\r\n".encode("utf-16-le")
    yield "utf16be_bom", "\ufeff说明\U0001F600".encode("utf-16-be")
    yield "utf16_lone_surrogate", b"\xFF\xFE\x3D\xD8\x41\x00\x00\xDE"
    yield "utf16_odd_length", b"\xFF\xFE\xF4\x8B\x41"
    yield "gbk_then_zero", "说明".encode("gbk") + b"\x00\xB6\xAF"


def frame_counts():
    """New count, stock count, frame bytes, flags (bit 0: no package), then
    the package file."""
    def counts(new, stock, frame_bytes, flags, package):
        return struct.pack("<iiqB", new, stock, frame_bytes, flags) + package
    frames = bytes(range(64)) * 3
    yield "typical", counts(3, 17061, 192, 0, frames + struct.pack("<i", 3))
    yield "last_fitting", counts(0x7FFFFFFF - 17061, 17061, 1, 0, b"\x00" + struct.pack("<i", 0x7FFFFFFF - 17061))
    yield "one_past", counts(0x7FFFFFFF - 17060, 17061, 1, 0, struct.pack("<i", 0x7FFFFFFF - 17060))
    yield "extremes", counts(-0x80000000, -0x80000000, -1, 0, struct.pack("<i", -1))
    yield "largest", counts(0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFFFFFFFFFF, 0, b"")
    yield "no_frames", counts(0, 17061, 0, 0, struct.pack("<i", 0))
    yield "short_package", counts(1, 17061, 0, 0, b"\x01\x02\x03")
    yield "missing", counts(1, 17061, 4, 1, b"")


def main():
    for folder, generator in (("archive", archives), ("package", packages), ("picture", pictures),
                              ("bundle", bundles), ("description", descriptions), ("frames", frame_counts)):
        target = HERE / folder
        target.mkdir(parents=True, exist_ok=True)
        for name, data in generator():
            (target / name).write_bytes(data)


if __name__ == "__main__":
    main()
