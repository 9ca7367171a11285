#!/usr/bin/env python3
"""Compares the last sound a captured wave output played with a sample.

usage: sound_runs.py CAPTURE.wav SAMPLE.wav

CAPTURE is what ALSA's file plugin wrote while the game ran: every buffer the
game handed to its wave output, with the silence the mixer writes between
them. Sounds are the stretches between silences of at least GAP samples.
Exit 0 when the last sound holds the same samples as SAMPLE (both without
their silent ends); otherwise says what it found and exits 1.
"""
import struct
import sys
import zlib

GAP_SECONDS = 0.1


def read_wav(path):
    """(rate, channels, bits, data): the file plugin leaves the sizes at zero
    until it is closed, so the data chunk runs to the end of the file."""
    with open(path, "rb") as f:
        raw = f.read()
    if raw[:4] != b"RIFF" or raw[8:12] != b"WAVE":
        raise ValueError(f"{path} is not a WAV file")
    pos, fmt = 12, None
    while pos + 8 <= len(raw):
        tag, size = raw[pos:pos + 4], struct.unpack("<I", raw[pos + 4:pos + 8])[0]
        if tag == b"fmt ":
            fmt = struct.unpack("<HHIIHH", raw[pos + 8:pos + 24])
        elif tag == b"data":
            end = len(raw) if size == 0 or pos + 8 + size > len(raw) else pos + 8 + size
            if fmt is None:
                raise ValueError(f"{path} has data before its format")
            return fmt[2], fmt[1], fmt[5], raw[pos + 8:end]
        pos += 8 + size + (size & 1)
    raise ValueError(f"{path} has no data chunk")


def silence_of(bits):
    return 128 if bits == 8 else 0


def samples(data, bits):
    if bits == 8:
        return list(data)
    return list(struct.unpack("<%dh" % (len(data) // 2), data[:len(data) // 2 * 2]))


def sound_runs(values, quiet, gap):
    """[start, end) of every stretch that holds no run of `gap` silent samples."""
    runs, start, silent = [], None, 0
    for i, v in enumerate(values):
        if v == quiet:
            silent += 1
            if start is not None and silent >= gap:
                runs.append((start, i - silent + 1))
                start = None
        else:
            if start is None:
                start = i
            silent = 0
    if start is not None:
        runs.append((start, len(values) - silent))
    return runs


def trimmed(values, quiet):
    first = next((i for i, v in enumerate(values) if v != quiet), len(values))
    last = next((i for i in range(len(values) - 1, -1, -1) if values[i] != quiet), -1)
    return values[first:last + 1]


def checksum(values):
    return zlib.crc32(bytes(v & 0xFF for v in values))


def main():
    if len(sys.argv) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    rate, channels, bits, data = read_wav(sys.argv[1])
    s_rate, s_channels, s_bits, s_data = read_wav(sys.argv[2])
    if (rate, channels, bits) != (s_rate, s_channels, s_bits):
        print(f"the output ran at {rate} Hz, {channels} channel(s), {bits} bits; "
              f"the sample is {s_rate} Hz, {s_channels} channel(s), {s_bits} bits")
        return 1
    quiet = silence_of(bits)
    captured = samples(data, bits)
    runs = sound_runs(captured, quiet, int(GAP_SECONDS * rate))
    want = trimmed(samples(s_data, s_bits), quiet)
    print(f"captured {len(captured) / rate:.2f} s of output at {rate} Hz, {bits} bits; "
          f"{len(runs)} sound(s): " + ", ".join(f"{(e - s) / rate * 1000:.0f} ms" for s, e in runs))
    if not runs:
        print("no sound was played")
        return 1
    last = captured[runs[-1][0]:runs[-1][1]]
    print(f"last sound: {len(last)} samples, crc {checksum(last):08x}; "
          f"the sample: {len(want)} samples, crc {checksum(want):08x}")
    return 0 if last == want else 1


if __name__ == "__main__":
    sys.exit(main())
