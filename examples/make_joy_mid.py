#!/usr/bin/env python3
"""Writes examples/joy.mid, the MIDI file of the melmidi examples: the opening of Ode to Joy
(public domain) in format 1, a conductor track with three tempo changes, the melody with
one-tick legato gaps and a closing chord, a bass line on channel 2 and drums on channel 10.
Run from the top of the tree: python3 examples/make_joy_mid.py"""

PPQ = 480


def vlq(v):
    out = [v & 0x7F]
    v >>= 7
    while v:
        out.insert(0, 0x80 | (v & 0x7F))
        v >>= 7
    return bytes(out)


def chunk(kind, data):
    return kind + len(data).to_bytes(4, "big") + data


def track(events):
    """events: (tick, order, bytes); at one tick note ends (order 0) come first."""
    data, now, status = b"", 0, 0
    for tick, _, ev in sorted(events, key=lambda e: (e[0], e[1])):
        data += vlq(tick - now)
        now = tick
        if ev[0] < 0xF0 and ev[0] == status:
            data += ev[1:]  # running status
        else:
            data += ev
            status = ev[0] if ev[0] < 0xF0 else status
    return chunk(b"MTrk", data + b"\x00\xff\x2f\x00")


def note(start, end, key, channel=1):
    return [(start, 1, bytes([0x8F + channel, key, 90])), (end, 0, bytes([0x8F + channel, key, 0]))]


def tempo(tick, bpm):
    return [(tick, 1, b"\xff\x51\x03" + round(60e6 / bpm).to_bytes(3, "big"))]


def main():
    conductor = tempo(0, 112) + tempo(8 * PPQ, 104) + tempo(14 * PPQ, 96) + tempo(15 * PPQ, 80)
    conductor += [(0, 1, b"\xff\x03\x09Conductor"), (0, 1, b"\xff\x58\x04\x04\x02\x18\x08")]
    E, F, G, D, C = 76, 77, 79, 74, 72
    phrase = [E, E, F, G, G, F, E, D, C, C, D, E]
    melody, t = [], 0
    for key in phrase:
        melody += note(t, t + PPQ - 1, key)  # a sequencer's one-tick legato gap
        t += PPQ
    melody += note(t, t + PPQ + PPQ // 2, E) + note(t + PPQ + PPQ // 2, t + 2 * PPQ - 1, D)
    t += 2 * PPQ
    # The closing chord: C E G, the top note released first, the C held on.
    melody += note(t, t + PPQ, G) + note(t, t + PPQ, E) + note(t, t + 2 * PPQ, C)
    melody += [(0, 1, b"\xff\x03\x06Melody"), (0, 1, b"\xc0\x49")]
    bass = []
    for bar, key in enumerate([48, 43, 48, 43]):
        bass += note(bar * 4 * PPQ, bar * 4 * PPQ + 2 * PPQ - 10, key, 2)
    drums = []
    for beat in range(16):
        drums += note(beat * PPQ, beat * PPQ + 60, 36 if beat % 2 == 0 else 38, 10)
    tracks = [conductor, melody, bass, drums]
    data = chunk(b"MThd", (1).to_bytes(2, "big") + len(tracks).to_bytes(2, "big") + PPQ.to_bytes(2, "big"))
    data += b"".join(track(t) for t in tracks)
    with open("examples/joy.mid", "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
