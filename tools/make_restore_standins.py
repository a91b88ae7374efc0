#!/usr/bin/env python3
"""Writes stand-ins for the two restore payloads into assets/restore/.

The genuine P0.POS and character.act belong to the game and cannot be
shipped with this project. These stand-ins have the exact lengths and the
text forms of the originals (CR LF line ends, Big5 comments, 574 pose blocks;
401 action lines without a final line end), so the program builds and its
restore command can be tried. Run from anywhere:  tools/make_restore_standins.py
"""
import pathlib

POSE_LENGTH = 292574
ACTION_LENGTH = 7303
CRLF = b"\r\n"
MOVES = ["站立", "行走", "奔跑", "跳躍", "攻擊", "防禦", "受傷", "倒地"]


def big5(text):
    return text.encode("big5")


def pose_block(number):
    move = MOVES[number % len(MOVES)]
    lines = [b"Pose %d  # " % number + big5(move)]
    if number % 97 == 5:
        lines.append(b"{}")
        return lines
    start = (number * 29) % 17000
    lines += [b"{",
              b"\tsource %d" % (number % 12),
              (b"\tStart %d" if number % 2 else b"\tstart %d") % start,
              b"\tEnd %d" % (start + 28),
              b"\tLoopStart %d" % (start + 4),
              b"\tLoopEnd %d" % (start + 24),
              b"\tEffectType %d" % (number % 3),
              b"\tEffectID Pos%03d" % (number % 1000),
              (b"\tlink %d" if number % 3 else b"\tLink %d") % ((number + 1) % 574),
              b"\tAction",
              b"\t{",
              b"\t\tstart %d" % start,
              b"\t\tend %d" % (start + 14),
              b"\t\tspeed 1.5",
              b"\t}"]
    if number % 4 == 0:
        lines += [b"\tAttack",
                  b"\t{",
                  b'\t\tbone "R_Hand","R_Forearm",',
                  b'\t\t\t"L_Hand"',
                  b"\t\tStart %d" % (start + 6),
                  b"\t\tEnd %d" % (start + 12),
                  b"\t\tAttackType 1",
                  b"\t\tTargetPose %d" % ((number + 7) % 574),
                  b"\t}"]
    if number % 5 == 0:
        lines += [b"\tDrag", b"\t{", b"\t\tStart %d" % start, b"\t\tEnd %d" % (start + 9),
                  b"\t\tTime 3", b"\t\tColor 255,128,0", b"\t}"]
    lines += [b"\tNextPose", b"\t{", b"\t\tStart %d" % (start + 20), b"\t\tEnd %d" % (start + 28),
              b"\t\tTime 2", b"\t}", b"}"]
    return lines


def make_pose():
    lines = []
    for number in range(574):
        lines += pose_block(number)
    body = CRLF + CRLF.join(lines) + CRLF
    return pad(body, POSE_LENGTH, trailing_crlf=True)


def make_action():
    lines = [b"# " + big5("動作連結表") + b" (stand-in)", b""]
    groups = 0
    rule = 0
    while groups < 159:
        if groups % 3 == 0:
            lines.append(b"group(%d-%d)" % (groups * 3, groups * 3 + 2))
        else:
            lines.append(b"group(%d)" % (groups * 3))
        groups += 1
        lines.append(b"%d(%d,%d," % (rule, rule + 1, rule + 2))
        lines.append(b"\t%d)  # " % (rule + 3) + big5(MOVES[rule % len(MOVES)]))
        rule += 1
    lines = lines[:400]
    assert sum(1 for l in lines if l.startswith(b"group(")) == 159 or len(lines) == 400
    body = CRLF.join(lines)
    return pad(body, ACTION_LENGTH, trailing_crlf=False, final_line=True, line_count=401)


def pad(body, length, trailing_crlf, final_line=False, line_count=None):
    """Adds one comment line of '#' padding so the text is exactly length bytes."""
    if final_line:
        prefix = body + CRLF + b"# "
        fill = length - len(prefix)
        assert fill >= 0, (len(prefix), length)
        out = prefix + b"=" * fill
        if line_count is not None:
            assert out.count(CRLF) + 1 == line_count, out.count(CRLF) + 1
        return out
    prefix = body + b"# "
    fill = length - len(prefix) - (2 if trailing_crlf else 0)
    assert fill >= 0, (len(prefix), length)
    return prefix + b"=" * fill + (CRLF if trailing_crlf else b"")


def main():
    folder = pathlib.Path(__file__).resolve().parent.parent / "assets" / "restore"
    folder.mkdir(parents=True, exist_ok=True)
    pose, action = make_pose(), make_action()
    assert len(pose) == POSE_LENGTH and len(action) == ACTION_LENGTH
    (folder / "P0.POS").write_bytes(pose)
    (folder / "character.act").write_bytes(action)
    print("wrote", folder / "P0.POS", len(pose), "and", folder / "character.act", len(action))


if __name__ == "__main__":
    main()
