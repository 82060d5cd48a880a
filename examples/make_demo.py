#!/usr/bin/env python3
"""Writes rebondo-demo.mid: eight bars of chords and a melody in C major.

Standard library only; run it again to regenerate the file byte for byte:
    python3 examples/make_demo.py examples/rebondo-demo.mid
"""
import struct
import sys

TICKS = 480              # per quarter note
BPM = 92
BAR = 4 * TICKS

# (root, chord tones as offsets) per bar: I - vi - IV - V - I - iii - IV - V
CHORDS = [(48, (0, 4, 7)), (45, (0, 3, 7)), (41, (0, 4, 7)), (43, (0, 4, 7)),
          (48, (0, 4, 7)), (52, (0, 3, 7)), (41, (0, 4, 7)), (43, (0, 4, 7, 10))]

# (start in eighths within the bar, length in eighths, note) per bar
MELODY = [
    [(0, 2, 76), (2, 2, 79), (4, 3, 77), (7, 1, 76)],
    [(0, 3, 72), (3, 1, 74), (4, 4, 76)],
    [(0, 2, 77), (2, 2, 76), (4, 2, 74), (6, 2, 72)],
    [(0, 6, 74), (6, 2, 71)],
    [(0, 2, 72), (2, 2, 76), (4, 2, 79), (6, 2, 84)],
    [(0, 3, 83), (3, 1, 79), (4, 4, 76)],
    [(0, 2, 77), (2, 2, 81), (4, 2, 79), (6, 2, 77)],
    [(0, 4, 74), (4, 4, 79)],
]


def vlq(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append((value & 0x7F) | 0x80)
        value >>= 7
    return bytes(reversed(out))


def track(events):
    """events: (tick, order, bytes); order puts note-offs before note-ons."""
    data = bytearray()
    now = 0
    for tick, _, payload in sorted(events, key=lambda e: (e[0], e[1])):
        data += vlq(tick - now) + payload
        now = tick
    data += vlq(0) + b"\xff\x2f\x00"
    return b"MTrk" + struct.pack(">I", len(data)) + bytes(data)


def name(text):
    raw = text.encode("ascii")
    return b"\xff\x03" + vlq(len(raw)) + raw


def note(channel, key, velocity, start, length):
    return [(start, 1, bytes([0x90 | channel, key, velocity])),
            (start + length, 0, bytes([0x80 | channel, key, 0]))]


def main(path):
    tempo = 60_000_000 // BPM
    conductor = [(0, 0, name("Rebondo demo")),
                 (0, 0, b"\xff\x51\x03" + tempo.to_bytes(3, "big")),
                 (0, 0, b"\xff\x58\x04\x04\x02\x18\x08")]

    chords = [(0, 0, name("Chords"))]
    for bar, (root, tones) in enumerate(CHORDS):
        for i, offset in enumerate(tones):
            # a light strum, and the last bar held a little longer
            start = bar * BAR + i * 20
            length = BAR - 40 - i * 20 + (TICKS if bar == len(CHORDS) - 1 else 0)
            chords += note(0, root + offset + 12, 70 + 6 * i, start, length)

    melody = [(0, 0, name("Melody"))]
    for bar, phrase in enumerate(MELODY):
        for start, length, key in phrase:
            melody += note(1, key, 96 if start % 4 == 0 else 84,
                           bar * BAR + start * TICKS // 2, length * TICKS // 2 - 30)

    header = b"MThd" + struct.pack(">IHHH", 6, 1, 3, TICKS)
    with open(path, "wb") as f:
        f.write(header + track(conductor) + track(chords) + track(melody))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "rebondo-demo.mid")
