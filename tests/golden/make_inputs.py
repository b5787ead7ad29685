#!/usr/bin/env python3
"""Writes the inputs of the golden runs (tests/golden/runs.txt) into this folder.

Every input is made here from the written tables, so that one look at this file says what
each image or score holds; tests/golden/regenerate.sh runs it before it remakes the
expected files.

Code images for koddar (operand bytes picked so that every operand kind reads differently:
register 19 is TEMP4-1, port 19 is P19, the immediate is %$13, the indirect *TEMP4-1, and a
displacement is a branch target):
  opcodes.bin    every opcode 00 to FF once, each followed by exactly its operand bytes:
                 13, 21, F6 in turn (a 16-bit operand takes two of them), so every line is
                 one instruction and a wrong length shifts the rest of the listing
  registers.bin  every register byte 00 to FF as DEC Rn (first position), LDA *Rn (indirect)
                 and MOV A,Rn (second position)
  ports.bin      every port byte 00 to FF as MOVP Pn,A (first position) and ANDP A,Pn
                 (second position, never WVDP)
  video.bin      MOVP to and from port 46 in every form (WVDP A, WVDP B, WVDP %n), the other
                 port instructions with port 46, ports 45 and 47, and LVDP with several bytes
  branches.bin   every instruction with a displacement, once with each of the displacements
                 00, 7F, 80 and FF (the first operands are 13 and 21); listed at 0, FF00,
                 7FFFFFF0 and -100
Streams for melplay, written byte by byte:
  codes.bin      every note code 1 to 95 with the divisor FFFF, so the type-1 listing shows
                 each frequency to seven or more digits (duration = 65535 / frequency)
  preview.bin    a short stream for the WAV preview: C4 1, REST 1, REPEAT 2 A3 1 END (type 3)
Scores for melvox:
  all_notes.txt  tempo 90, then every name of the note table in table order (REST, D0 ... B7),
                 row i lasting 8 + i/64 beats, so that type 1 gives each pitch a large divisor
                 and type 3 a different one per row
  rounding.txt   tempo 120 (a type-3 divisor is 33 per beat): durations at the floats next to
                 n/33 for several n, where rounding up to the next whole divisor starts, and
                 the exact quotients 0.5 and 1
"""

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# Instruction length in bytes; row = high nibble, column = low nibble.
LENGTH = [
    # 0 1  2  3  4  5  6  7  8  9  A  B  C  D  E  F
    [1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1],  # 0x
    [1, 1, 2, 2, 2, 2, 3, 3, 2, 2, 2, 2, 2, 2, 2, 2],  # 1x  Rn,A
    [1, 1, 2, 2, 2, 2, 3, 3, 2, 2, 2, 2, 2, 2, 2, 2],  # 2x  %n,A
    [1, 1, 2, 2, 2, 2, 3, 3, 2, 2, 2, 2, 2, 2, 2, 2],  # 3x  Rn,B
    [1, 1, 3, 3, 3, 3, 4, 4, 3, 3, 3, 3, 3, 3, 3, 3],  # 4x  Rn,Rn
    [1, 1, 2, 2, 2, 2, 3, 3, 2, 2, 2, 2, 2, 2, 2, 2],  # 5x  %n,B
    [1, 1, 1, 1, 1, 1, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1],  # 6x  B,A
    [1, 1, 3, 3, 3, 3, 4, 4, 3, 3, 3, 3, 3, 3, 3, 3],  # 7x  %n,Rn
    [2, 1, 2, 2, 2, 2, 3, 3, 4, 1, 3, 3, 3, 3, 3, 1],  # 8x
    [1, 2, 2, 2, 2, 2, 3, 3, 3, 1, 2, 2, 2, 2, 2, 1],  # 9x
    [1, 1, 3, 3, 3, 3, 4, 4, 4, 1, 3, 3, 3, 3, 3, 1],  # Ax
    [1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 1, 1, 1, 1, 1],  # Bx
    [1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 1, 1, 1, 1, 1],  # Cx
    [2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 3, 2, 2, 2, 2, 2],  # Dx
    [2, 2, 2, 2, 2, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1],  # Ex
    [1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1],  # Fx
]
OPERAND_BYTES = [0x13, 0x21, 0xF6]

# Opcodes whose last operand is a displacement: JMP..JL, BTJO/BTJZ in every form,
# BTJOP/BTJZP in every form, DJNZ A, B and Rn.
BRANCHES = (list(range(0xE0, 0xE8)) + [h << 4 | low for h in range(1, 8) for low in (6, 7)] +
            [h << 4 | low for h in (8, 9, 0xA) for low in (6, 7)] + [0xBA, 0xCA, 0xDA])
DISPLACEMENTS = [0x00, 0x7F, 0x80, 0xFF]

# The note table's names in row order (row 0, the empty name, cannot be written in a score).
OCTAVE = ["C", "C#", "Db", "D", "D#", "Eb", "E", "Fb", "F", "F#", "Gb", "G", "G#", "Ab", "A", "A#", "Bb",
          "B"]


def note_names():
    names = ["REST"]
    for octave in range(8):
        for pitch in OCTAVE:
            if octave == 0 and pitch in ("C", "C#", "Db"):
                continue
            names.append(pitch + str(octave))
        if octave < 7:
            names.append("Cb" + str(octave + 1))
    assert len(names) == 149
    return names


def opcodes():
    image = bytearray()
    for op in range(256):
        image.append(op)
        image += bytes(OPERAND_BYTES[:LENGTH[op >> 4][op & 15] - 1])
    return image


def registers():
    image = bytearray()
    for form in (0xD2, 0x9A, 0xD0):  # DEC Rn, LDA *Rn, MOV A,Rn
        for n in range(256):
            image += bytes([form, n])
    return image


def ports():
    image = bytearray()
    for form in (0x80, 0x83):  # MOVP Pn,A, ANDP A,Pn
        for n in range(256):
            image += bytes([form, n])
    return image


def video():
    image = bytearray()
    for port in (0x2E, 0x2D, 0x2F):
        image += bytes([0x82, port, 0x92, port, 0xA2, 0x41, port])  # MOVP A,Pn  B,Pn  %n,Pn
    image += bytes([0x80, 0x2E, 0x91, 0x2E])  # MOVP P46,A  P46,B
    for low in (3, 4, 5):  # ANDP, ORP, XORP
        image += bytes([0x80 | low, 0x2E, 0x90 | low, 0x2E, 0xA0 | low, 0x41, 0x2E])
    for low in (6, 7):  # BTJOP, BTJZP
        image += bytes([0x80 | low, 0x2E, 0x02, 0x90 | low, 0x2E, 0x02, 0xA0 | low, 0x41, 0x2E, 0x02])
    for n in (0x00, 0x01, 0x13, 0x2E, 0x7F, 0x80, 0xFF):
        image += bytes([0xD7, n])  # LVDP
    return image


def branches():
    image = bytearray()
    for d in DISPLACEMENTS:
        for op in BRANCHES:
            length = LENGTH[op >> 4][op & 15]
            image.append(op)
            image += bytes(OPERAND_BYTES[:length - 2])
            image.append(d)
    return image


def codes():
    stream = bytearray()
    for code in range(1, 96):
        stream += bytes([code, 0xFF, 0xFF])
    return stream + b"\x00"


def preview():
    return bytes([0x30, 0x01, 0x00, 0x01, 0x01, 0x00, 0x82, 0x2D, 0x01, 0x00, 0x80, 0x00])


def all_notes():
    lines = ["90"]
    for i, name in enumerate(note_names()):
        lines.append("%s %s" % (name, repr(8 + i / 64)))
    return "\n".join(lines) + "\n"


def float32_neighbours(x):
    """The float nearest to x and the floats on either side of it, as shortest decimals."""
    bits = struct.unpack("<I", struct.pack("<f", x))[0]
    out = []
    for b in (bits - 1, bits, bits + 1):
        f = struct.unpack("<f", struct.pack("<I", b))[0]
        out.append("%.9g" % f)
    return out


def rounding():
    lines = ["120", "C4 0.5", "C4 1"]
    for n in (1, 2, 3, 7, 33, 34, 100, 1000, 4096, 65534):
        for d in float32_neighbours(n / 33):
            lines.append("C4 " + d)
    return "\n".join(lines) + "\n"


def write(name, data):
    mode = "w" if isinstance(data, str) else "wb"
    with open(os.path.join(HERE, name), mode, newline="" if mode == "w" else None) as f:
        f.write(data)


def main():
    write("opcodes.bin", opcodes())
    write("registers.bin", registers())
    write("ports.bin", ports())
    write("video.bin", video())
    write("branches.bin", branches())
    write("codes.bin", codes())
    write("preview.bin", preview())
    write("all_notes.txt", all_notes())
    write("rounding.txt", rounding())


if __name__ == "__main__":
    main()
