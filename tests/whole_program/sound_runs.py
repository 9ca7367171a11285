#!/usr/bin/env python3
"""usage: sound_runs.py CAPTURE.wav SAMPLE.wav
       sound_runs.py --quiet-after N CAPTURE.wav

CAPTURE is what ALSA's file plugin wrote while the game ran: every buffer the
game handed to its wave output, with the mixer's silence between them. Exit 0
when the last sound (sounds are parted by silences of 0.1 s or more) holds
the samples of SAMPLE without its silent ends; otherwise say what was found.
With --quiet-after, exit 0 once CAPTURE holds N sounds or more and has gone
quiet after the last: what the game played has played out."""
import re
import struct
import sys


def read_wav(path):
    """(rate, channels, bits), samples: the file plugin leaves the sizes at
    zero until it is closed, so the data chunk then runs to the end."""
    raw = open(path, "rb").read()
    pos, fmt = 12, None
    while raw[:4] == b"RIFF" and raw[8:12] == b"WAVE" and pos + 8 <= len(raw):
        tag, size = raw[pos:pos + 4], struct.unpack("<I", raw[pos + 4:pos + 8])[0]
        if tag == b"fmt ":
            fmt = struct.unpack("<HHIIHH", raw[pos + 8:pos + 24])
        elif tag == b"data" and fmt:
            data = raw[pos + 8:] if size == 0 else raw[pos + 8:pos + 8 + size]
            if fmt[5] != 8:
                data = struct.unpack("<%dh" % (len(data) // 2), data[:len(data) // 2 * 2])
            return (fmt[2], fmt[1], fmt[5]), data
        pos += 8 + size + (size & 1)
    sys.exit(f"{path} is no WAV file with a format and data")


def sounds(values, quiet, gap):
    """Every stretch of sound that holds no silence of `gap` samples."""
    marks = bytes(v != quiet for v in values)
    return [values[m.start():m.end()] for m in re.finditer(b"\x01(?:\x00{0,%d}\x01)*" % (gap - 1), marks)]


if len(sys.argv) != 3 and (len(sys.argv) != 4 or sys.argv[1] != "--quiet-after"):
    sys.exit(__doc__)
form, captured = read_wav(sys.argv[-1] if len(sys.argv) == 4 else sys.argv[1])
rate, bits = form[0], form[2]
quiet, gap = 128 if bits == 8 else 0, int(0.1 * rate)
runs = sounds(captured, quiet, gap)
if len(sys.argv) == 4:
    sys.exit(not (len(runs) >= int(sys.argv[2]) and len(captured) >= gap and all(v == quiet for v in captured[-gap:])))
sample_form, sample = read_wav(sys.argv[2])
want = (sounds(sample, quiet, len(sample) + 1) or [sample[:0]])[0]
print(f"output at (Hz, channels, bits) {form}, the sample's {sample_form}; {len(runs)} sound(s) of " +
      ", ".join(f"{len(r)}" for r in runs) + f" samples; the sample's {len(want)}")
sys.exit(form != sample_form or not runs or runs[-1] != want)
