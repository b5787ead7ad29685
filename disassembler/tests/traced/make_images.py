#!/usr/bin/env python3
"""Hand-assembled images for the tracing tests: each mixes subroutines, interrupt handlers, a
jump table reached through an indexed BR, TRAP calls through the vector table, data tables and
text, and comes with the map naming only its entry points and the ground truth of where each
instruction lies.

    python3 make_images.py     # writes NAME.bin, NAME.map and NAME.code beside this script

NAME.code has one line per instruction, "ADDR LENGTH" in hex; every byte not in it is data.
The listings NAME.lst and NAME.err are koddar's output, reviewed and kept as golden files:
    koddar NAME.bin -r:0xF000 -m:NAME.map > NAME.lst 2> NAME.err   (then drop the banner line)
"""
import os
import random

ORG = 0xF000
SIZE = 0x1000  # F000-FFFF, the vector table at the top
VECTORS = 0xFFD0

# Plain instructions: (opcode, operand byte kinds). r: register, p: port, i: immediate byte.
PLAIN = [
    (0x22, "i"), (0x52, "i"), (0x12, "r"), (0x32, "r"), (0x42, "rr"), (0x72, "ir"), (0x28, "i"),
    (0x2A, "i"), (0x2D, "i"), (0x13, "r"), (0x14, "r"), (0x62, ""), (0x68, ""), (0xB3, ""),
    (0xC3, ""), (0xB5, ""), (0xC5, ""), (0xD3, "r"), (0xD2, "r"), (0xB0, ""), (0xC0, ""),
    (0xD0, "r"), (0xD1, "r"), (0x82, "p"), (0x80, "p"), (0x92, "p"), (0xA2, "ip"), (0xA3, "ip"),
    (0x88, "iir"), (0x98, "rr"), (0xB8, ""), (0xB9, ""), (0x0E, ""), (0x08, ""), (0x00, ""),
    (0x06, ""), (0x05, ""), (0x07, ""), (0xBC, ""), (0xCE, ""), (0xDF, "r"), (0xD7, "r"),
    (0x9A, "r"), (0x9B, "r"), (0x9D, "r"),
]
COND = [0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7]  # JLT .. JL, one displacement byte


class Function:
    def __init__(self, name):
        self.name = name
        self.items = []  # (kind, data): ("op", bytes) ("rel", opcode, prefix, index) ("call", name)
        self.addr = None


def operand(kind, rng):
    if kind == "r":
        return rng.randrange(0, 128)
    if kind == "p":
        return rng.randrange(0, 256)
    return rng.randrange(0, 256)


def build(seed):
    rng = random.Random(seed)
    funcs = [Function("MAIN")]
    entries = ["MAIN"]
    traps = {}  # TRAP number -> handler
    tables = []  # (name, bytes or None for address tables)
    handlers = []  # reached only through the jump table: map entries
    for i in range(1, 28):
        funcs.append(Function("F%d" % i))
    # How each function after MAIN is reached: called from an earlier one, a TRAP, an interrupt
    # entry, or the jump table.
    reach = {}
    for i, f in enumerate(funcs[1:], 1):
        r = rng.random()
        if r < 0.55:
            reach[f.name] = ("call", funcs[rng.randrange(0, i)].name)
        elif r < 0.7 and len(traps) < 6:
            n = rng.choice([n for n in range(4, 24) if n not in traps])
            traps[n] = f.name
            reach[f.name] = ("trap", funcs[rng.randrange(0, i)].name, n)
        elif r < 0.85:
            entries.append(f.name)
            reach[f.name] = ("entry",)
        else:
            handlers.append(f.name)
            reach[f.name] = ("table",)
    calls = {f.name: [] for f in funcs}
    for name, how in reach.items():
        if how[0] == "call":
            calls[how[1]].append(("call", name))
        elif how[0] == "trap":
            calls[how[1]].append(("trap", how[2]))
    data_names = ["T%d" % i for i in range(8)]
    jump_caller = rng.choice(funcs[: len(funcs) // 2]).name if handlers else None
    for f in funcs:
        body = []
        todo = calls[f.name][:]
        count = rng.randrange(4, 22)
        for _ in range(count):
            r = rng.random()
            if todo and r < 0.3:
                body.append(todo.pop())
            elif r < 0.45:
                body.append(("cond", rng.choice(COND)))
            elif r < 0.52:
                body.append(("loop",))
            elif r < 0.6:
                body.append(("lda", rng.choice([0x8A, 0xAA, 0x8D]), rng.choice(data_names)))
            else:
                op, kinds = rng.choice(PLAIN)
                body.append(("op", bytes([op] + [operand(k, rng) for k in kinds])))
        body.extend(todo)
        if f.name == jump_caller:
            body.append(("jump", "JT"))  # BR @JT(B): the table's targets are map entries
        else:
            how = reach.get(f.name, ("entry",))
            if f.name == "MAIN":
                body.append(("self",))  # JMP $: the main loop waits
            elif how[0] == "entry" and rng.random() < 0.6:
                body.append(("op", bytes([0x0B])))  # RETI
            else:
                body.append(("op", bytes([0x0A])))  # RETS
        f.items = body
    return rng, funcs, entries, traps, handlers, data_names


def assemble(seed):
    rng, funcs, entries, traps, handlers, data_names = build(seed)
    # Layout: functions, tables and text interleaved, then filler up to the vectors.
    layout = []
    datas = {n: bytes(rng.randrange(256) for _ in range(rng.randrange(3, 40))) for n in data_names}
    texts = [("S%d" % i, (rng.choice(["Hello, world", "PRESS START", "Score: ", "GAME OVER",
                                        "Level \"1\"", "Ready?"]) + "\r\n").encode() + b"\0")
             for i in range(4)]
    pieces = [("func", f) for f in funcs] + [("data", n) for n in data_names] + [("text", t) for t in texts]
    first = pieces[0]
    rest = pieces[1:]
    rng.shuffle(rest)
    layout = [first] + rest
    if handlers:
        layout.insert(rng.randrange(1, len(layout)), ("jt", None))

    def sizes(f):
        out = []
        for it in f.items:
            k = it[0]
            out.append({"op": len(it[1]) if k == "op" else 0, "call": 3, "trap": 1, "cond": 2, "loop": 2,
                        "lda": 3, "jump": 3, "self": 2}[k])
        return out

    addr = ORG
    where = {}
    for kind, obj in layout:
        if kind == "func":
            obj.addr = addr
            where[obj.name] = addr
            addr += sum(sizes(obj))
        elif kind == "data":
            where[obj] = addr
            addr += len(datas[obj])
        elif kind == "text":
            where[obj[0]] = addr
            addr += len(obj[1])
        else:
            where["JT"] = addr
            addr += 2 * len(handlers)
    assert addr <= VECTORS, hex(addr)
    image = bytearray(rng.randrange(256) for _ in range(SIZE))
    code = []
    for kind, obj in layout:
        if kind == "data":
            image[where[obj] - ORG:where[obj] - ORG + len(datas[obj])] = datas[obj]
        elif kind == "text":
            image[where[obj[0]] - ORG:where[obj[0]] - ORG + len(obj[1])] = obj[1]
        elif kind == "jt":
            for i, h in enumerate(handlers):
                image[where["JT"] - ORG + 2 * i:where["JT"] - ORG + 2 * i + 2] = where[h].to_bytes(2, "big")
        else:
            f = obj
            starts = []
            a = f.addr
            for s in sizes(f):
                starts.append(a)
                a += s
            for n, it in enumerate(f.items):
                at = starts[n]
                k = it[0]
                if k == "op":
                    b = it[1]
                elif k == "call":
                    b = bytes([0x8E]) + where[it[1]].to_bytes(2, "big")
                elif k == "trap":
                    b = bytes([0xFF - it[1]])
                elif k == "cond":  # forward to a later instruction of the same function
                    target = starts[rng.randrange(n + 1, len(starts))]
                    d = target - (at + 2)
                    assert -128 <= d <= 127
                    b = bytes([it[1], d & 0xFF])
                elif k == "loop":  # DJNZ B back to an earlier instruction, or to itself
                    target = starts[rng.randrange(max(0, n - 4), n + 1)]
                    d = target - (at + 2)
                    b = bytes([0xCA, d & 0xFF])
                elif k == "lda":
                    b = bytes([it[1]]) + where[it[2]].to_bytes(2, "big")
                elif k == "jump":
                    b = bytes([0xAC]) + where["JT"].to_bytes(2, "big")
                else:  # JMP to itself
                    b = bytes([0xE0, 0xFE])
                image[at - ORG:at - ORG + len(b)] = b
                code.append((at, len(b)))
    # The vectors: the TRAPs used, the reset vector (TRAP 0) to MAIN, the rest unused (FFFF).
    for n in range(24):
        target = where["MAIN"] if n == 0 else where[traps[n]] if n in traps else 0xFFFF
        v = 0xFFFE - 2 * n - ORG
        image[v:v + 2] = target.to_bytes(2, "big")
    lines = ["# The entry points of mixed image %d; everything else is found by tracing." % seed]
    lines += ["code %04X %s" % (where[e], e) for e in entries + handlers]
    return bytes(image), "\n".join(lines) + "\n", sorted(code)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for seed in (1, 2):
        image, map_text, code = assemble(seed)
        name = os.path.join(here, "mixed%d" % seed)
        with open(name + ".bin", "wb") as f:
            f.write(image)
        with open(name + ".map", "w") as f:
            f.write(map_text)
        with open(name + ".code", "w") as f:
            f.write("".join("%04X %d\n" % c for c in code))


if __name__ == "__main__":
    main()
