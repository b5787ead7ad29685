#!/usr/bin/env python3
"""Hand-assembled images for the analysis after the trace (koddar -f and the map's find lines):
code that only a jump table, a log or the gaps reveal, between tables, text and padding that
must stay data. Each image comes with its maps (naming only the entry points) and the ground
truth of where each instruction lies.

    python3 make_found.py     # writes found1.bin, found1*.map, found1*.code, found1.log

NAME.code has one line per instruction, "ADDR LENGTH" in hex; every byte not in it is data.
The listings NAME.lst and NAME.err are koddar's output, reviewed and kept as golden files:
    koddar IMAGE.bin -r:0xF000 -m:NAME.map > NAME.lst 2> NAME.err   (then drop the banner line)
"""
import os

ORG = 0xF000


def hi(v):
    return (v >> 8) & 0xFF


def lo(v):
    return v & 0xFF


class Image:
    def __init__(self):
        self.items = []  # (kind, label or bytes maker, size, is_code)

    def label(self, name):
        self.items.append(("label", name, 0, False))

    def code(self, size, make):
        self.items.append(("code", make, size, True))

    def data(self, raw):
        self.items.append(("data", lambda L, at, raw=raw: bytes(raw), len(raw), False))

    def assemble(self):
        labels, at = {}, ORG
        for kind, obj, size, _ in self.items:
            if kind == "label":
                labels[obj] = at
            at += size
        out, code, at = bytearray(), [], ORG
        for kind, obj, size, is_code in self.items:
            if kind == "label":
                continue
            b = obj(labels, at)
            assert len(b) == size, (kind, at)
            if is_code:
                code.append("%04X %d" % (at, size))
            out += b
            at += size
        return bytes(out), code, labels


def rel(target, at, size):
    d = target - (at + size)
    assert -128 <= d < 128
    return d & 0xFF


def build():
    m = Image()
    ins = m.code
    m.label("MAIN")
    ins(4, lambda L, at: bytes([0x88, hi(L["HC"]), lo(L["HC"]), 0x06]))  # MOVD %HC,R6
    ins(2, lambda L, at: bytes([0x9E, 0x06]))                             # CALL *R6
    ins(3, lambda L, at: bytes([0x8E, hi(L["SUB1"]), lo(L["SUB1"])]))     # CALL SUB1
    ins(3, lambda L, at: bytes([0xAA, hi(L["TAB1"]), lo(L["TAB1"])]))     # LDA @TAB1(B)
    ins(3, lambda L, at: bytes([0xAA, hi(L["LONE"]), lo(L["LONE"])]))     # LDA @LONE(B), no pair
    ins(2, lambda L, at: bytes([0x52, 0x02]))                             # MOV %2,B
    ins(3, lambda L, at: bytes([0xAC, hi(L["JT1"]), lo(L["JT1"])]))       # BR @JT1(B)
    m.label("JT1")
    for h in ("H1", "H2", "H3"):
        ins(2, lambda L, at, h=h: bytes([0xE0, rel(L[h], at, 2)]))        # JMP Hn
    m.label("H1")
    ins(1, lambda L, at: b"\xB3")  # INC A
    ins(1, lambda L, at: b"\x0A")  # RETS
    m.label("H2")
    ins(1, lambda L, at: b"\xB2")  # DEC A
    ins(1, lambda L, at: b"\x0A")
    m.label("H3")
    ins(1, lambda L, at: b"\xB5")  # CLR A
    ins(1, lambda L, at: b"\x0A")
    m.label("SUB1")
    ins(2, lambda L, at: bytes([0x52, 0x02]))                             # MOV %2,B
    ins(3, lambda L, at: bytes([0xAA, hi(L["AT"]), lo(L["AT"])]))         # LDA @AT(B)
    ins(2, lambda L, at: bytes([0xD0, 0x03]))                             # MOV A,R3
    ins(3, lambda L, at: bytes([0xAA, hi(L["AT"] + 1), lo(L["AT"] + 1)])) # LDA @AT+1(B)
    ins(2, lambda L, at: bytes([0xD0, 0x04]))                             # MOV A,R4
    ins(2, lambda L, at: bytes([0x9C, 0x04]))                             # BR *R4
    m.label("AT")
    m.data(b"")  # placeholder for the words, filled below
    m.items.pop()
    m.items.append(("data", lambda L, at: bytes([hi(L["HA"]), lo(L["HA"]), hi(L["HB"]), lo(L["HB"])]), 4, False))
    m.label("HA")
    ins(1, lambda L, at: b"\xC3")  # INC B
    ins(1, lambda L, at: b"\x0A")
    m.label("HB")
    ins(1, lambda L, at: b"\xC2")  # DEC B
    ins(1, lambda L, at: b"\x0A")
    m.label("HC")
    ins(2, lambda L, at: bytes([0x22, 0x05]))  # MOV %5,A
    ins(1, lambda L, at: b"\x0A")
    m.label("TEXT1")
    m.data(b"Hello, world\r\n\x00")            # text ended by CR LF and 0
    m.label("ORPHAN1")                          # nobody calls it: between text and a table
    ins(2, lambda L, at: bytes([0x22, 0x10]))  # MOV %$10,A
    ins(2, lambda L, at: bytes([0x28, 0x01]))  # ADD %1,A
    ins(2, lambda L, at: bytes([0x82, 0x04]))  # MOVP A,P4
    ins(1, lambda L, at: b"\x0A")              # RETS
    m.label("TAB1")                             # read by LDA @TAB1(B): decodes as a routine
    m.data(bytes([0x22, 0x41, 0x52, 0x03, 0xB3, 0x0A]))
    m.data(b"GAME OVE" + bytes([ord("R") | 0x80]))  # text ended by a high bit
    m.data(b"READY" + bytes([0x01, 0x02]))     # no terminator: stays data
    m.data(b"OK\x00")                          # too short: stays data
    m.label("LONE")
    m.data(bytes([0xE0, 0x40, 0x0A]))          # a JMP out of the image and RETS: stays data
    m.data(bytes([0xB3, 0x0A]))                # two instructions only: stays data
    m.label("TAB2")                             # addresses of traced code, nobody reads them
    m.items.append(("data", lambda L, at: bytes([hi(L["H1"]), lo(L["H1"]), hi(L["H2"]), lo(L["H2"]),
                                                 0x0A]), 5, False))
    m.data(b"\xFF" * 6)                        # padding
    m.label("ORPHAN2")
    ins(2, lambda L, at: bytes([0x22, 0x01]))  # MOV %1,A
    ins(3, lambda L, at: bytes([0x8E, hi(L["SUB1"]), lo(L["SUB1"])]))  # CALL SUB1
    ins(2, lambda L, at: bytes([0xE0, rel(L["ORPHAN2"], at, 2)]))      # JMP ORPHAN2
    m.label("END")
    m.data(b"\xFF" * 4)                        # padding to the end
    return m


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    image, code, labels = build().assemble()
    with open(os.path.join(here, "found1.bin"), "wb") as f:
        f.write(image)

    def write(name, text):
        with open(os.path.join(here, name), "w") as f:
            f.write(text)

    # Found only by the rules: the jump table and its targets, the address table's targets,
    # the routine loaded by MOVD, and the two orphans.
    found = (("JT1", "SUB1"), ("HA", "TEXT1"), ("ORPHAN1", "TAB1"), ("ORPHAN2", "END"))
    traced = [c for c in code if not any(labels[a] <= int(c.split()[0], 16) < labels[b] for a, b in found)]
    # found1: every rule asked for by the map; found1-default: the entry point alone, so the
    # rules on by default (gaps and tables, not text) run; found1-off: the map turns them off.
    write("found1.map", "# The entry point of found image 1; the rest is found after the trace.\n"
          "code F000 MAIN\nfind gaps on\nfind tables on\nfind text on\n")
    write("found1.code", "\n".join(code) + "\n")
    write("found1-default.map", "# The entry point of found image 1 alone: the rules on by default run.\n"
          "code F000 MAIN\n")
    write("found1-default.code", "\n".join(code) + "\n")
    write("found1-off.map", "# The entry point of found image 1, and no rule runs.\n"
          "code F000 MAIN\nfind gaps off\nfind tables off\n")
    write("found1-off.code", "\n".join(traced) + "\n")
    # found1-log: the rules off, and an emulator's log of a run through the jump table's second
    # entry and the orphan at the end; its line at TAB1 conflicts with the map's range there.
    seen = [labels["MAIN"], labels["JT1"] + 2, labels["H2"], labels["H2"] + 1, labels["ORPHAN2"],
            labels["ORPHAN2"] + 2, labels["TAB1"]]
    log = "Trace of a run\n\n" + "".join("%04X: (registers and the instruction)\n" % at for at in seen)
    log += "ADD A,B ; not an address\nF0 a short one\n%04x\n" % labels["ORPHAN2"]
    write("found1.log", log)
    write("found1-log.map", "# The entry point of found image 1 and its table TAB1; with the log of a run.\n"
          "code F000 MAIN\nbytes %04X %04X TAB1\nfind gaps off\nfind tables off\n"
          % (labels["TAB1"], labels["TAB1"] + 5))
    logged = {labels["JT1"] + 2, labels["H2"], labels["H2"] + 1}
    logged |= {a for a in range(labels["ORPHAN2"], labels["END"])}
    write("found1-log.code", "\n".join(c for c in code if c in traced or int(c.split()[0], 16) in logged) + "\n")


if __name__ == "__main__":
    main()
