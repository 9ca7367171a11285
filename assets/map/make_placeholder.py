#!/usr/bin/env python3
"""Makes the placeholder content of the map: tile images (tiles.txt), the
fifty stand-in built-in levels (placeholder_levels.zrp) and the sound
samples (sounds/*.wav). Everything is drawn and synthesised here; the output
is the same on every run."""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
W, H = 16, 12

# Colour characters and the palette indexes of the game's colour map.
COLOURS = {
    '.': 0,   # black
    'a': 51,  # floor
    'b': 52,  # floor, dark
    'c': 50,  # floor, light
    'r': 85,  # brick
    'R': 83,  # brick, light
    'm': 29,  # mortar
    'g': 13,  # gold
    'G': 6,   # gold, dark
    'w': 12,  # wood
    'o': 55,  # outline
    'v': 17,  # green
    'V': 16,  # green, light
    'h': 12,  # hair
    's': 9,   # skin
    'e': 0,   # eye
    'B': 5,   # shirt
    'T': 23,  # trousers
    'k': 25,  # shoes
    'n': 23,  # night sky
    '*': 8,   # star
    'x': 18,  # grass
    'X': 17,  # grass, light
}


class Rng:
    def __init__(self, seed):
        self.s = seed

    def next(self):
        self.s = (self.s * 214013 + 2531011) % (1 << 32)
        return (self.s >> 16) & 0x7FFF


def floor_tile(rng):
    rows = []
    for y in range(H):
        row = ''
        for x in range(W):
            r = rng.next() % 16
            row += 'b' if r == 0 or (y % 6 == 5) else ('c' if r == 1 else 'a')
        rows.append(row)
    return rows


def wall_tile():
    rows = []
    for y in range(H):
        if y % 4 == 3:
            rows.append('m' * W)
            continue
        shift = 0 if (y // 4) % 2 == 0 else 4
        row = ''
        for x in range(W):
            if (x + shift) % 8 == 7:
                row += 'm'
            else:
                row += 'R' if y % 4 == 0 else 'r'
        rows.append(row)
    return rows


def overlay(base, art):
    out = []
    for y in range(H):
        out.append(''.join(a if a != ' ' else b for a, b in zip(art[y], base[y])))
    return out


BANK = [
    '                ',
    '                ',
    '       gg       ',
    '      gGGg      ',
    '     gG  Gg     ',
    '    gG    Gg    ',
    '    gG    Gg    ',
    '     gG  Gg     ',
    '      gGGg      ',
    '       gg       ',
    '                ',
    '                ',
]
CHEST = [
    '                ',
    '   oooooooooo   ',
    '  owwwwwwwwwwo  ',
    '  owwwwwwwwwwo  ',
    '  oggggggggggo  ',
    '  owwwwgGwwwwo  ',
    '  owwwwGGwwwwo  ',
    '  owwwwwwwwwwo  ',
    '  owwwwwwwwwwo  ',
    '  oggggggggggo  ',
    '   oooooooooo   ',
    '                ',
]
GLOW = [
    ' VvvvvvvvvvvvvV ',
    'v              v',
    'v              v',
    'v              v',
    'v              v',
    'v              v',
    'v              v',
    'v              v',
    'v              v',
    'v              v',
    'v              v',
    ' VvvvvvvvvvvvvV ',
]

SIDE = [
    '      hhhh      ',
    '     hhhhhh     ',
    '    eshhhhh     ',
    '    sssssh      ',
    '      ssss      ',
    '    BBBBBBBB    ',
    '   sBBBBBBBBs   ',
    '   s BBBBBB s   ',
    '     TTTTTT     ',
    '     TT  TT     ',
    '     TT  TT     ',
    '    kkk  kkk    ',
]
FRONT = [
    '      hhhh      ',
    '     hhhhhh     ',
    '     seesees    ',
    '     ssssss     ',
    '      ssss      ',
    '    BBBBBBBB    ',
    '   sBBBBBBBBs   ',
    '   s BBBBBB s   ',
    '     TTTTTT     ',
    '     TT  TT     ',
    '     TT  TT     ',
    '    kkk  kkk    ',
]
LEGS_B = [
    '     TTTTTT     ',
    '    TT    TT    ',
    '   TT      TT   ',
    '  kkk      kkk  ',
]


def mirror(art):
    return [row[::-1] for row in art]


def with_rows(art, start, rows):
    return art[:start] + rows + art[start + len(rows):]


def fix_front(art):
    # Three-character eyes row written above; keep the head 6 wide.
    return [row[:16].ljust(16) for row in art]


def player_images(floor):
    front = fix_front(FRONT)
    back = with_rows(front, 2, ['     hhhhhh     ', '     hhhhhh     '])
    blink = with_rows(front, 2, ['     ssssss     '])
    wave = with_rows(front, 5, ['    BBBBBBBBs   ', '   sBBBBBBBB s  ', '   s BBBBBB  s  '])
    wave = with_rows(wave, 3, ['     ssssss  s  '])
    return {
        'zandrek_left': overlay(floor, SIDE),
        'zandrek_right': overlay(floor, mirror(SIDE)),
        'zandrek_up_a': overlay(floor, back),
        'zandrek_up_b': overlay(floor, with_rows(back, 8, LEGS_B)),
        'zandrek_down_a': overlay(floor, front),
        'zandrek_down_b': overlay(floor, with_rows(front, 8, LEGS_B)),
        'zandrek_blink': overlay(floor, blink),
        'zandrek_wave': overlay(floor, wave),
        'zandrek_back': overlay(floor, with_rows(mirror(front), 8, mirror(LEGS_B))),
    }


def sky_tile(rng, stars):
    rows = []
    for y in range(H):
        row = ''
        for x in range(W):
            row += '*' if stars and rng.next() % 37 == 0 else 'n'
        rows.append(row)
    return rows


def grass_tile(rng):
    return [''.join('X' if rng.next() % 5 == 0 else 'x' for _ in range(W)) for _ in range(H)]


def write_tiles():
    rng = Rng(7)
    floor = floor_tile(rng)
    images = [
        ('black', ['.' * W] * H),
        ('floor', floor),
        ('wall', wall_tile()),
        ('sky', sky_tile(rng, False)),
        ('bank', overlay(floor, BANK)),
        ('treasure', overlay(floor, CHEST)),
        ('banked_treasure', overlay(overlay(floor, GLOW), CHEST)),
        ('grass', grass_tile(rng)),
        ('stars', sky_tile(rng, True)),
    ]
    images += sorted(player_images(floor).items())
    for name, rows in images:
        assert len(rows) == H and all(len(r) == W for r in rows), name
    tiles = {
        0: 'black', 1: 'floor', 2: 'wall', 3: 'sky', 4: 'bank', 5: 'zandrek_left', 6: 'zandrek_up_a',
        7: 'zandrek_up_b', 8: 'zandrek_down_a', 9: 'zandrek_down_b', 10: 'zandrek_right',
        11: 'zandrek_blink', 12: 'zandrek_back', 13: 'zandrek_wave', 14: 'grass', 15: 'treasure',
        16: 'banked_treasure', 17: 'stars',
    }
    with open(os.path.join(HERE, 'tiles.txt'), 'w', newline='\n') as f:
        f.write('# Tile images and the tile table, made by make_placeholder.py.\n')
        f.write('tile-size %d %d\n\n' % (W, H))
        for key, index in COLOURS.items():
            f.write('colour %s %d\n' % (key, index))
        for name, rows in images:
            f.write('\nimage %s\n' % name)
            for r in rows:
                f.write(r + '\n')
            f.write('end\n')
        f.write('\n')
        for code, name in sorted(tiles.items()):
            f.write('tile %d %s\n' % (code, name))


def level_rows(n):
    """A small room; n decides its size and how many treasures stand in it.
    Each treasure has its bank two cells to its right on the same row, with
    free floor around, so every level is solved by walking and pushing."""
    treasures = 1 + n % 3 + (n // 20)
    width = 9 + n % 6
    height = 2 * treasures + 3
    rows = ['#' * width]
    for r in range(1, height - 1):
        rows.append('#' + '-' * (width - 2) + '#')
    rows.append('#' * width)
    rows = [list(r) for r in rows]
    for t in range(treasures):
        y = 2 + 2 * t
        x = 2 + (n + t) % (width - 6)
        rows[y][x] = '$'
        rows[y][x + 2] = '.'
    rows[1][1] = '@'
    return [''.join(r) for r in rows]


def write_levels():
    with open(os.path.join(HERE, 'placeholder_levels.zrp'), 'w', newline='\n') as f:
        f.write('Zandrek Pack\n')
        f.write('Name: Placeholder levels\n')
        f.write('About:\nStand-in levels until the built-in set is ready.\nend\n')
        for n in range(1, 51):
            f.write('Level:\nName: Stand-in %d\nLayout:\n' % n)
            for row in level_rows(n):
                f.write(row + '\n')
            f.write('end\nend\n')


RATE = 11025


def write_wav(name, samples):
    data = bytes(max(0, min(255, int(round(128 + 110 * s)))) for s in samples)
    with open(os.path.join(HERE, 'sounds', name + '.wav'), 'wb') as f:
        f.write(b'RIFF' + struct.pack('<I', 36 + len(data)) + b'WAVE')
        f.write(b'fmt ' + struct.pack('<IHHIIHH', 16, 1, 1, RATE, RATE, 1, 8))
        f.write(b'data' + struct.pack('<I', len(data)) + data)
        if len(data) % 2:
            f.write(b'\0')


def tone(notes, volume=0.8, shape='sine'):
    """notes: (frequency, seconds) pairs, frequency 0 for silence."""
    out = []
    for freq, seconds in notes:
        count = int(RATE * seconds)
        for i in range(count):
            t = i / RATE
            env = min(1.0, i / 60.0, (count - i) / 200.0)
            if freq == 0:
                v = 0.0
            elif shape == 'square':
                v = 1.0 if math.sin(2 * math.pi * freq * t) >= 0 else -1.0
                v *= 0.5
            else:
                v = math.sin(2 * math.pi * freq * t)
            out.append(volume * env * v)
    return out


def sweep(f0, f1, seconds, volume=0.8):
    count = int(RATE * seconds)
    out, phase = [], 0.0
    for i in range(count):
        f = f0 + (f1 - f0) * i / count
        phase += 2 * math.pi * f / RATE
        env = min(1.0, i / 60.0, (count - i) / 200.0)
        out.append(volume * env * math.sin(phase))
    return out


def noise(seconds, volume=0.6):
    rng = Rng(99)
    count = int(RATE * seconds)
    return [volume * (1 - i / count) * ((rng.next() / 16384.0) - 1.0) for i in range(count)]


def write_sounds():
    write_wav('step', noise(0.03, 0.4))
    write_wav('push', tone([(110, 0.08)], 0.9, 'square'))
    write_wav('corner', sweep(440, 180, 0.35))
    write_wav('undo', sweep(300, 600, 0.15))
    write_wav('greeting', tone([(523, 0.12), (659, 0.12), (784, 0.12), (1047, 0.25)]))
    write_wav('begin', tone([(392, 0.1), (523, 0.15)]))
    write_wav('banked', tone([(1319, 0.12)], 0.6))
    write_wav('solved', tone([(523, 0.1), (659, 0.1), (784, 0.1), (659, 0.1), (784, 0.1), (1047, 0.35)]))
    write_wav('refused', tone([(150, 0.25)], 0.7, 'square'))
    write_wav('first', tone([(330, 0.12), (0, 0.05), (262, 0.2)]))
    write_wav('fanfare', tone([(392, 0.15), (392, 0.08), (523, 0.15), (659, 0.15), (784, 0.4)]))


if __name__ == '__main__':
    write_tiles()
    write_levels()
    write_sounds()
