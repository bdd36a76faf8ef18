#!/usr/bin/env python3
"""Writes the project test files of this folder. Run it from anywhere; it writes beside itself.

The files are committed; rerun this only to change them (the tests read the files, not this)."""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
HEADER = "CFR File Format(Compatible Form Record File),by Orvik Talvsen."
MARK = "\u25b2"  # GB2312 A1 F8


def gb(text):
    return text.encode("gb18030")


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


def records(header, recs):
    lines = [header, "test file", "-"]
    for comp, kind, prop, value in recs:
        lines += [comp, kind, prop, value, "-"]
    return gb("\r\n".join(lines) + "\r\n")


def packed(text, announced=None):
    s = len(text) if announced is None else announced
    return struct.pack("<I", s) + zlib.compress(text)


ld_kgh = records(HEADER, [
    ("LD", "Float", "k", "0.000277777777777"),
    ("LD", "String", "Text", "3600"),
    ("LU", "Ord", "ItemIndex", "1"),
])
write("ld_kgh_plain.vlm", ld_kgh)
write("ld_kgh_compressed.vlm", packed(ld_kgh))
# The same records, but the header names another author.
write("wrong_author.vlm", records(HEADER.replace("Orvik Talvsen", "Someone Else"), [
    ("LD", "String", "Text", "3600"),
]))
# A compressed file cut off in the middle of its zlib stream.
whole = packed(ld_kgh)
write("truncated_compressed.vlm", whole[: len(whole) // 2])
# A sound zlib stream behind an absurd announced length.
write("huge_s.vlm", packed(ld_kgh, announced=0xFFFFFFF0))
# A "Float" that is not a number, between two records that are fine.
write("nonnumeric_float.vlm", records(HEADER, [
    ("LD", "String", "Text", "3600"),
    ("LD", "Float", "k", "abc"),
    ("LU", "Ord", "ItemIndex", "1"),
]))
# Three check-list items for a list that has two.
write("checklist_too_many.vlm", records(HEADER, [
    ("CheckList1", "CheckListBox", "Items", "甲" + MARK + "1" + MARK + "乙" + MARK + "0" + MARK
     + "丙" + MARK + "1" + MARK),
    ("LD", "String", "Text", "7"),
]))

# --- Legacy positional files ----------------------------------------------------------------
NORMAL = "-16777211"   # normal window background
BTNFACE = "-16777201"  # button face: result fields
OLIVE = "32896"        # derived by the equilibrium group


def value(text, k="1", read_only="0", colour=NORMAL):
    # the first text line is overwritten by the last one
    return ["junk", k, read_only, colour, text]


def selector(index):
    return ["0", str(index)]


result = dict(read_only="1", colour=BTNFACE)
legacy = [
    ("FpD", value("0.0512", **result)), ("FpU", selector(0)),
    ("KfD", value("410.5", **result)), ("KfU", selector(0)),
    ("UfD", value("2.25", **result)), ("UfU", selector(0)),
    ("UpD", value("1.8", **result)), ("UpU", selector(0)),
    ("dpD", value("0.95", **result)), ("dpU", selector(0)),
    ("dD", value("100", k="0.01", **result)), ("dU", selector(1)),
    ("UlsD", value("12.5", **result)), ("UlsU", selector(0)),
    ("UvsD", value("1.62", **result)), ("UvsU", selector(0)),
    ("KpD", value("350", **result)), ("KpU", selector(0)),
    ("dPwaterD", value("410", **result)), ("dPwaterU", selector(0)),
    ("LD", value("3600", k="0.000277777777777")), ("LU", selector(1)),
    ("DlD", value("0.998", k="1000")), ("DlU", selector(2)),
    ("MlD", value("1.002", k="0.00100000000")), ("MlU", selector(1)),
    ("SLD", value("0.0728")), ("SLU", selector(0)),
    ("DlfD", value("1.8E-9")), ("DlfU", selector(0)),
    ("AfD", ["3"]),
    ("DvfD", value("1.6E-5")), ("MvD", value("1.8E-5")), ("DvD", value("1.2")),
    ("VD", value("5400", k="0.000277777777777")),
    ("VU", selector(1)), ("DvU", selector(0)), ("MvU", selector(0)), ("DvfU", selector(0)),
    ("fpercentD", ["2"]), ("PTD", ["1"]),
    ("LmdD", value("", read_only="0")), ("LmdU", selector(0)),
    ("meD", value("0.947368421052632", read_only="1", colour=OLIVE)), ("meU", selector(0)),
    ("alfD", value("2")), ("alfU", selector(0)),
    ("MethodD", ["1"]), ("ACLMethodD", ["3"]),
    ("HTUVD", value("0.41", **result)), ("HTUVU", selector(0)),
    ("HTULD", value("0.22", **result)), ("HTULU", selector(0)),
    ("HTUOVD", value("0.63", **result)), ("HTUOVU", selector(0)),
    ("HETPD", value("0.7", **result)), ("HETPU", selector(0)),
    ("UmD", value("135", **result)), ("UmU", selector(0)),
    ("ProjectD", ["吸收塔改造"]), ("DevicenameD", ["脱碳塔"]), ("DeviceNoD", ["T-101"]),
    ("ProjPD", ["基础设计"]), ("Edit1", ["备用一"]), ("Edit2", [""]), ("Edit3", ["x"]),
    ("Edit4", ["末"]),
    ("CommentD", ["0"]),
    ("HTD", value("0.085", **result)), ("HTU", selector(0)),
]
assert len(legacy) == 70
lines = [line for _, group in legacy for line in group]
assert len(lines) == 210
write("legacy_full.txt", gb("\r\n".join(lines) + "\r\n"))

# Everything up to and including the LD group, nothing after it.
upto = [n for n, _ in legacy].index("LD")
short = [line for _, group in legacy[: upto + 1] for line in group]
write("legacy_stops_after_ld.txt", gb("\r\n".join(short) + "\r\n"))

# --- Damaged and foreign files: none of them is a project ------------------------------------
import random

rng = random.Random(9)
write("bad_empty.vlm", b"")
write("bad_random.vlm", bytes(rng.randrange(256) for _ in range(4096)))
flipped = bytearray(packed(ld_kgh))
flipped[len(flipped) // 2] ^= 0x10
write("bad_bitflip.vlm", bytes(flipped))
write("bad_json.vlm", b'{"inputs": {"LiquidFlow": 4.0}, "packing": null}\n')
write("bad_text.vlm", gb("这不是项目文件\r\njust some text\r\n"))
# A sound stream whose text (a header and a comment far beyond any project) inflates past the
# bound on a record text: some KB on disk, 9 MiB inflated.
bomb = gb(HEADER + "\r\n-\r\n-\r\nCommentD\r\nRich\r\nLines\r\n") + b"x" * (9 << 20)
write("bad_bomb.vlm", packed(bomb))
write("bad_compressed_no_header.vlm", packed(gb("just text, compressed\r\n")))
# A comment of 2 MiB: within the bound on a record text, beyond the bound on one value.
write("bad_long_comment.vlm", packed(records(HEADER, [
    ("CommentD", "Rich", "Lines", "y" * (2 << 20)),
])))
# Records that name writable properties a project never stores (the window must ignore them),
# around a record that it does store.
write("hostile_records.vlm", records(HEADER, [
    ("MethodD", "String", "objectName", "gone1"),
    ("AfD", "String", "objectName", "gone2"),
    ("fpercentD", "String", "objectName", "gone3"),
    ("ACLMethodD", "String", "objectName", "gone4"),
    ("CalKf", "String", "objectName", "gone5"),
    ("CalKp", "String", "objectName", "gone6"),
    ("LD", "String", "objectName", "gone7"),
    ("VD", "Ord", "maxLength", "1"),
    ("ProjectD", "Enum", "ReadOnly", "True"),
    ("FormVELM", "Enum", "enabled", "False"),
    ("LD", "String", "Text", "18000"),
]))
