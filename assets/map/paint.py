#!/usr/bin/env python3
"""Paints the pictures of Zandrek.map: the tile images and tile table
(tiles.txt), the colour legend (palette.txt) and the five screens
(pictures/*.txt). The output is plain text, one colour character a pixel,
and is the same on every run; zandrek-tool build-map reads it. Hand edits to
the text files are welcome, but running this script again paints over them.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
TW, TH = 16, 12
PW, PH = 20 * TW, 16 * TH

# --- The colour legend -------------------------------------------------------
# Indexes 0-95 of the game's colour table; the ones that repeat an earlier
# colour are left out, so every character means a colour of its own.
REPEATS = {26, 30, 45, 47, 61, 69, 71}
CHARS = ("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
         "!$%&()*+,-./:;<=>?@[]^_{|}~")
USABLE = [i for i in range(96) if i not in REPEATS]
assert len(USABLE) == len(CHARS)
CHAR_OF = dict(zip(USABLE, CHARS))
REPEAT_OF = {26: 0, 30: 1, 45: 5, 47: 22, 61: 29, 69: 32, 71: 35}


def ch(index):
    return CHAR_OF[REPEAT_OF.get(index, index)]


# --- Images ------------------------------------------------------------------
class Image:
    def __init__(self, w, h, fill=0):
        self.w, self.h = w, h
        self.p = [[fill] * w for _ in range(h)]

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h and c is not None:
            self.p[y][x] = c

    def get(self, x, y):
        return self.p[y][x]

    def rect(self, x, y, w, h, c):
        for j in range(y, y + h):
            for i in range(x, x + w):
                self.put(i, j, c)

    def copy(self):
        o = Image(self.w, self.h)
        o.p = [row[:] for row in self.p]
        return o

    def blit(self, src, x, y, scale=1):
        for j in range(src.h * scale):
            for i in range(src.w * scale):
                c = src.p[j // scale][i // scale]
                if c is not None:
                    self.put(x + i, y + j, c)

    def rows(self):
        return [''.join(ch(c) for c in row) for row in self.p]


def sprite(art, legend, base=None):
    """A TW x TH image from character art over `base` ('.' shows the base)."""
    assert len(art) == TH, art
    img = base.copy() if base else Image(TW, TH, None)
    for y, row in enumerate(art):
        assert len(row) == TW, (row, len(row))
        for x, c in enumerate(row):
            if c != '.':
                img.p[y][x] = legend[c]
    return img


def mirrored(img):
    o = img.copy()
    o.p = [row[::-1] for row in o.p]
    return o


class Rng:
    """The game's own generator, so the pictures never change."""

    def __init__(self, seed):
        self.s = seed

    def next(self):
        self.s = (self.s * 214013 + 2531011) % (1 << 32)
        return (self.s >> 16) & 0x7FFF


BAYER = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def dither(x, y, level):
    """True where a two-colour blend of strength level/16 shows the second."""
    return BAYER[y % 4][x % 4] < level


# --- Floor, bank, outside, walls ------------------------------------------------
def floor_tile():
    img = Image(TW, TH, 63)
    rng = Rng(7)
    for y in range(TH):
        for x in range(TW):
            r = rng.next() % 23
            if r == 0:
                img.put(x, y, 62)
            elif r == 1:
                img.put(x, y, 25)
    for x in range(TW):
        img.put(x, TH - 1, 25)
        img.put(x, 0, 62)
    for y in range(TH):
        img.put(TW - 1, y, 25)
        img.put(0, y, 62 if y < TH - 1 else 25)
    img.put(0, 0, 29)
    return img


FLOOR = floor_tile()


def bank_tile():
    img = FLOOR.copy()
    # An inlaid ring of brass where a treasure belongs.
    ring = ["................",
            "................",
            ".....aaaaaa.....",
            "....ab....da....",
            "...ab......da...",
            "...a........a...",
            "...a........a...",
            "...ad......ba...",
            "....ad....ba....",
            ".....aaaaaa.....",
            "................",
            "................"]
    return sprite(ring, {'a': 6, 'b': 65, 'd': 15}, img)


BANK = bank_tile()


def outside_tile(variant):
    """The calm dark ground beyond the walls; variants keep it from tiling."""
    img = Image(TW, TH, 24)
    rng = Rng(100 + variant)
    for _ in range(2):
        x, y = rng.next() % TW, rng.next() % TH
        img.put(x, y, 25)
    return img


def block_wall(light, mid, dark, mortar, accent=None, seed=1):
    """Two courses of blocks, lit from the top left."""
    img = Image(TW, TH, mid)
    rng = Rng(seed)
    for y in range(TH):
        course = y // 6
        joint = 15 if course == 0 else 7
        for x in range(TW):
            yy = y % 6
            if yy == 5 or x == joint:
                img.put(x, y, mortar)
                continue
            left_edge = (x == (joint + 1) % TW)
            if yy == 0 or left_edge:
                img.put(x, y, light)
            elif yy == 4 or x == (joint - 1) % TW:
                img.put(x, y, dark)
            elif rng.next() % 9 == 0:
                img.put(x, y, dark if rng.next() % 2 else light)
    if accent is not None:
        for _ in range(5):
            x, y = rng.next() % TW, rng.next() % TH
            if img.get(x, y) != mortar:
                img.put(x, y, accent)
                img.put((x + 1) % TW, y, accent)
    return img


WALLS = [
    block_wall(50, 51, 52, 53, seed=3),            # sandstone: levels 1-10
    block_wall(28, 29, 62, 78, accent=75, seed=5),  # mossy granite: 11-20
    block_wall(21, 58, 59, 24, seed=9),             # deep-water stone: 21-30
    block_wall(81, 83, 85, 86, seed=11),            # old brick: 31-40
    block_wall(41, 42, 55, 55, accent=6, seed=13),  # plum marble veined with gold: 41-50
]

# --- Treasures -----------------------------------------------------------------
# Each ramp: highlight, light, mid, dark.
RAMPS = [
    (13, 64, 66, 15),   # gold
    (14, 32, 34, 37),   # ruby
    (72, 73, 75, 77),   # emerald
    (31, 43, 46, 23),   # sapphire
    (40, 41, 42, 55),   # amethyst
    (56, 57, 58, 59),   # aquamarine
    (80, 81, 83, 85),   # copper
    (27, 28, 29, 63),   # silver
    (88, 90, 92, 94),   # jade
    (65, 67, 68, 70),   # fire opal
]

SHAPES = {
    # gem: a cut stone
    'gem': ["................",
            "................",
            ".....oooooo.....",
            "....ohhlllmo....",
            "...ohllllmmdo...",
            "..oooooooooooo..",
            "..ohlllllmmmdo..",
            "...ollllmmmdo...",
            "....olllmmdo....",
            ".....olmmdo.....",
            "......oddo......",
            ".......oo......."],
    # urn: a two-handled jar
    'urn': ["................",
            ".....oooooo.....",
            ".....ohlmdo.....",
            "......olmo......",
            "..oo.ohlmdo.oo..",
            "..o.ohllmmdo.o..",
            "..o.ohllmmdo.o..",
            "...oohllmmdoo...",
            ".....ollmmdo....",
            "......olmdo.....",
            ".....oooooo.....",
            "................"],
    # chest: banded with a coloured lid
    'chest': ["................",
              "................",
              "...oooooooooo...",
              "..ohhllllllmdo..",
              "..ollllllllmdo..",
              "..oooooGGooooo..",
              "..owwwwoyowwwo..",
              "..owWwwGGwwwwo..",
              "..owwwwwwwwwwo..",
              "..oooooooooooo..",
              "................",
              "................"],
    # orb: a sphere on a stand
    'orb': ["................",
            "......oooo......",
            ".....ohhlmo.....",
            "....ohhllmmo....",
            "....ohllmmdo....",
            "....ollmmmdo....",
            ".....ommddo.....",
            "......oooo......",
            ".....oGyyGo.....",
            "....oGGGGGGo....",
            "....oooooooo....",
            "................"],
    # crown
    'crown': ["................",
              "................",
              "..o....o....o...",
              ".oho..oho..oho..",
              ".ohlo.olmo.olmo.",
              ".ohllolllmollmo.",
              ".ohlllllllmmmdo.",
              ".ohyllhyhllmydo.",
              ".ollllllllmmmdo.",
              ".oooooooooooooo.",
              "................",
              "................"],
}
GROUP_SHAPES = ['gem', 'urn', 'chest', 'orb', 'crown']
GLEAM = 8


def treasure(shape, ramp, base):
    hi, li, mi, di = ramp
    legend = {'o': 55, 'h': hi, 'l': li, 'm': mi, 'd': di,
              'G': 6, 'y': 64, 'w': 12, 'W': 15}
    return sprite(SHAPES[shape], legend, base)


def banked(shape, ramp):
    img = treasure(shape, ramp, BANK)
    # A warm glow round the outline and a glint: the treasure is home.
    bare = [[img.p[y][x] == BANK.p[y][x] and SHAPES[shape][y][x] == '.' for x in range(TW)] for y in range(TH)]
    for y in range(TH):
        for x in range(TW):
            if not bare[y][x]:
                continue
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                qx, qy = x + dx, y + dy
                if 0 <= qx < TW and 0 <= qy < TH and SHAPES[shape][qy][qx] == 'o':
                    img.put(x, y, 66)
                    break
    img.put(13, 2, GLEAM)
    img.put(12, 2, 13)
    img.put(13, 3, 13)
    img.put(14, 2, 13)
    img.put(13, 1, 13)
    return img


# --- Zandrek -----------------------------------------------------------------
# h hat, H hat light, b band, s skin, S skin shade, e eye, n hair, r scarf,
# c shirt, C shirt light, d shirt dark, p pack, l belt, t trousers, k boots,
# m mouth, o outline.
PL = {'o': 55, 'h': 50, 'H': 49, 'b': 35, 's': 48, 'S': 9, 'e': 55, 'n': 12,
      'r': 33, 'c': 44, 'C': 43, 'd': 46, 'p': 51, 'l': 54, 't': 52, 'k': 54,
      'm': 36, 'w': 8}

HAT = ["......oooo......",
       ".....oHHhho.....",
       "....obbbbbbo....",
       "...ohhhhhhhho..."]
def person(rows):
    return sprite(rows, PL, FLOOR)


EYES = "....osesseso...."
EYES_L = "....oessesso...."
EYES_R = "....ossesseo...."
EYES_SHUT = "....osSssSso...."
CHIN = "....oSssssSo...."
CHIN_O = "....oSsmmsSo...."
CHIN_OO = "....oSmmmmSo...."

BODY = ["...ocrrrrrrco...",
        "..occccCCcccco..",
        "..osdllllllsdo.."]
LEGS3 = ["....ottootto....", "....ottootto....", "...okkko.okkko.."]


def stand_front(eyes=EYES, chin=CHIN, body=BODY, hat=HAT, legs=LEGS3):
    return person(hat + [eyes, chin] + body + legs)


# Walking down: one boot lifted, the eyes glance the other way so the same
# frame also reads as stepping back from a push sideways.
LEGS_STEP_R = ["....ottootto....", "....otto.okko...", "...okkko........"]
LEGS_STEP_L = ["....ottootto....", "...okko.otto....", "........okkko..."]

# Front rows: 4 hat, 2 face, 3 body, 3 legs = 12.
FRONT = stand_front()
DOWN_A = stand_front(eyes=EYES_R, legs=LEGS_STEP_R)
DOWN_B = stand_front(eyes=EYES_L, legs=LEGS_STEP_L)
LOOK_L = stand_front(eyes=EYES_L)
LOOK_R = stand_front(eyes=EYES_R)
YAWN_1 = stand_front(eyes=EYES_SHUT, chin=CHIN_O)
ARMS_UP = ["..sorrrrrrrros..",
           "...occcCCccco...",
           "....oddllddo...."]
YAWN_2 = stand_front(eyes=EYES_SHUT, chin=CHIN_OO, body=ARMS_UP)
# Tipping the hat: a hand at the brim, then the hat lifted clear.
HAT_HAND = ["......oooo......",
            ".....oHHhho.....",
            "....obbbbbbos...",
            "...ohhhhhhhhos.."]
TIP_BODY_1 = ["...ocrrrrrrcoo..",
              "..occccCCcccco..",
              "..osdllllllddo.."]
TIP_1 = stand_front(hat=HAT_HAND, body=TIP_BODY_1)
HAT_UP = ["....ohhhhhho.s..",
          "....obbbbbbo.s..",
          ".....onnnnno.o..",
          "....onnnnnnno..."]
TIP_2 = stand_front(hat=HAT_UP, eyes=EYES, chin=CHIN_O, body=TIP_BODY_1)

# Seen from behind: hair and pack instead of face and shirt.
BACK_HEAD = ["....onnnnnno....", "....oSnnnnSo...."]
GLANCE_HEAD = ["....onnnnseo....", "....oSnnnsso...."]
BACK_BODY = ["...ocrrrrrrco...",
             "..ocppppppppco..",
             "..osppppppppso.."]


def back(head=BACK_HEAD, legs=LEGS3):
    return person(HAT + head + BACK_BODY + legs)


UP_A = back(legs=LEGS_STEP_R)
# The second up frame looks back over the shoulder, so it serves as well for
# backing up, away from the treasure just pulled back down.
UP_B = back(head=GLANCE_HEAD, legs=LEGS_STEP_L)
BACK_DOWN = back()

SIDE_HAT = ["......oooo......",
            ".....oHHhho.....",
            ".....obbbbbo....",
            "..ohhhhhhhhho..."]
SIDE_FACE = ["...osessnnno....", "....oSsssnno...."]
SIDE_FACE_BLINK = ["...osSssnnno....", "....oSsssnno...."]
SIDE_BODY = ["....orrrrrrco...",
             "...osccccpppo...",
             "....olllllppo..."]
SIDE_LEGS = ["....ottttto.....", "....oto.oto.....", "...okko.okko...."]
SIDE_TAP = ["....ottttto.....", "...okko..oto....", "........okko...."]
SIDE_STRIDE = ["....ottttto.....", "...oto...oto....", "..okko...okko..."]


def side(face=SIDE_FACE, legs=SIDE_LEGS):
    return person(SIDE_HAT + face + SIDE_BODY + legs)


STAND_LEFT = side()
BLINK_LEFT = side(face=SIDE_FACE_BLINK)
TAP_LEFT = side(legs=SIDE_TAP)
RIGHT = mirrored(side(legs=SIDE_STRIDE))

# --- Tile codes ------------------------------------------------------------------
# The codes of the pack template (1 floor, 2 wall, 4 bank, 5 player, 15 and 16
# treasure) keep their meaning; the player's other images and the idle
# frames take codes that a pack never swaps.
PLAYER_TILES = [
    (0, 'front', FRONT),
    (5, 'stand_left', STAND_LEFT),
    (6, 'walk_down_a', DOWN_A),
    (7, 'walk_down_b', DOWN_B),
    (8, 'walk_up_a', UP_A),
    (9, 'walk_up_b', UP_B),
    (10, 'face_right', RIGHT),
    (11, 'back_down', BACK_DOWN),
    (12, 'blink_left', BLINK_LEFT),
    (13, 'front_stand', FRONT),
    (14, 'look_left', LOOK_L),
    (17, 'look_right', LOOK_R),
    (18, 'tap_foot', TAP_LEFT),
    (19, 'yawn_start', YAWN_1),
    (20, 'yawn_wide', YAWN_2),
    (21, 'hat_touch', TIP_1),
    (22, 'hat_raised', TIP_2),
]
WALL_FIRST = 30     # one wall a group of ten levels
OUTSIDE_FIRST = 40  # the calm ground, in variants
OUTSIDE_VARIANTS = 8
TREASURE_FIRST = 100  # level n: treasure 100 + 2(n-1), banked the code after


def write_tiles():
    out = ["# Tile images and the tile table, painted by paint.py. Colour characters",
           "# are those of palette.txt.",
           "tile-size %d %d" % (TW, TH), ""]
    table = []

    def image(name, img):
        out.append("image " + name)
        out.extend(img.rows())
        out.append("end")

    for code, name, img in PLAYER_TILES:
        image(name, img)
        table.append((code, name))
    image('floor', FLOOR)
    table.append((1, 'floor'))
    image('bank', BANK)
    table.append((4, 'bank'))
    for v in range(OUTSIDE_VARIANTS):
        image('outside_%d' % v, outside_tile(v))
        table.append((OUTSIDE_FIRST + v, 'outside_%d' % v))
    table.append((3, 'outside_0'))
    for g, wall in enumerate(WALLS):
        image('wall_%d' % (g + 1), wall)
        table.append((WALL_FIRST + g, 'wall_%d' % (g + 1)))
    table.append((2, 'wall_1'))
    looks = []
    for n in range(1, 51):
        g, k = (n - 1) // 10, (n - 1) % 10
        shape, ramp = GROUP_SHAPES[g], RAMPS[k]
        t, b = TREASURE_FIRST + 2 * (n - 1), TREASURE_FIRST + 2 * (n - 1) + 1
        image('treasure_%d' % n, treasure(shape, ramp, FLOOR))
        image('banked_%d' % n, banked(shape, ramp))
        table += [(t, 'treasure_%d' % n), (b, 'banked_%d' % n)]
        looks.append("level-tiles %d %d %d 1 4 %d %d" % (n, n, WALL_FIRST + g, t, b))
    table += [(15, 'treasure_1'), (16, 'banked_1')]
    out.append("")
    out.append("# Tile code, image.")
    for code, name in sorted(table):
        out.append("tile %d %s" % (code, name))
    out.append("")
    out.append("# Each level its own treasure; each ten levels their own walls.")
    out.extend(looks)
    with open(os.path.join(HERE, 'tiles.txt'), 'w', newline='\n') as f:
        f.write('\n'.join(out) + '\n')


def write_palette():
    out = ["# The colour characters of tiles.txt and pictures/*.txt: palette indexes",
           "# of the game's built-in colour table (see README.md). Indexes that",
           "# repeat an earlier colour, and 96 to 127 (all black), have no character."]
    for i in USABLE:
        out.append("colour %s %d" % (CHAR_OF[i], i))
    with open(os.path.join(HERE, 'palette.txt'), 'w', newline='\n') as f:
        f.write('\n'.join(out) + '\n')


# --- Lettering -----------------------------------------------------------------
FONT = {
    'A': ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    'B': ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    'C': ["01111", "10000", "10000", "10000", "10000", "10000", "01111"],
    'D': ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    'E': ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    'F': ["11111", "10000", "10000", "11110", "10000", "10000", "10000"],
    'G': ["01111", "10000", "10000", "10011", "10001", "10001", "01111"],
    'H': ["10001", "10001", "10001", "11111", "10001", "10001", "10001"],
    'I': ["11111", "00100", "00100", "00100", "00100", "00100", "11111"],
    'J': ["00111", "00001", "00001", "00001", "10001", "10001", "01110"],
    'K': ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    'L': ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    'M': ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    'N': ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    'O': ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    'P': ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    'Q': ["01110", "10001", "10001", "10001", "10101", "10010", "01101"],
    'R': ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    'S': ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    'T': ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    'U': ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    'V': ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    'W': ["10001", "10001", "10001", "10101", "10101", "10101", "01010"],
    'X': ["10001", "10001", "01010", "00100", "01010", "10001", "10001"],
    'Y': ["10001", "10001", "01010", "00100", "00100", "00100", "00100"],
    'Z': ["11111", "00001", "00010", "00100", "01000", "10000", "11111"],
    '0': ["01110", "10011", "10101", "10101", "10101", "11001", "01110"],
    '1': ["00100", "01100", "00100", "00100", "00100", "00100", "01110"],
    '2': ["01110", "10001", "00001", "00110", "01000", "10000", "11111"],
    '3': ["11110", "00001", "00001", "01110", "00001", "00001", "11110"],
    '4': ["00010", "00110", "01010", "10010", "11111", "00010", "00010"],
    '5': ["11111", "10000", "11110", "00001", "00001", "10001", "01110"],
    '6': ["00110", "01000", "10000", "11110", "10001", "10001", "01110"],
    '7': ["11111", "00001", "00010", "00100", "01000", "01000", "01000"],
    '8': ["01110", "10001", "10001", "01110", "10001", "10001", "01110"],
    '9': ["01110", "10001", "10001", "01111", "00001", "00010", "01100"],
    '!': ["00100", "00100", "00100", "00100", "00100", "00000", "00100"],
    '.': ["00000", "00000", "00000", "00000", "00000", "00000", "00100"],
    ',': ["00000", "00000", "00000", "00000", "00000", "00100", "01000"],
    "'": ["00100", "00100", "01000", "00000", "00000", "00000", "00000"],
    '-': ["00000", "00000", "00000", "01110", "00000", "00000", "00000"],
    '&': ["01100", "10010", "10100", "01000", "10101", "10010", "01101"],
    ' ': ["00000"] * 7,
}


def text_width(text, scale=1, gap=1):
    return len(text) * (5 + gap) * scale - gap * scale


def draw_text(img, x, y, text, colour, scale=1, shadow=None, gap=1):
    for k, c in enumerate(text):
        g = FONT[c]
        for j in range(7):
            for i in range(5):
                if g[j][i] == '1':
                    px, py = x + k * (5 + gap) * scale + i * scale, y + j * scale
                    if shadow is not None:
                        img.rect(px + 1, py + 1, scale, scale, shadow)
        for j in range(7):
            for i in range(5):
                if g[j][i] == '1':
                    px, py = x + k * (5 + gap) * scale + i * scale, y + j * scale
                    img.rect(px, py, scale, scale, colour(px, py) if callable(colour) else colour)


def centred_text(img, y, text, colour, scale=1, shadow=None, gap=1):
    draw_text(img, (PW - text_width(text, scale, gap)) // 2, y, text, colour, scale, shadow, gap)


def logo(img, y, scale, text="ZANDREK", gap=2, glint=True):
    """Gold lettering: a dark outline, a deep shadow and a bevelled face."""
    x = (PW - text_width(text, scale, gap)) // 2
    h = 7 * scale
    mask = Image(PW, PH, None)
    draw_text(mask, x, y, text, 1, scale, gap=gap)
    ramp = [13, 64, 65, 66, 6, 15]

    def face(px, py):
        t = (py - y) * len(ramp) // h
        return ramp[min(max(t, 0), len(ramp) - 1)]
    # An outline, then a drop shadow, then the face; thinner for small letters.
    reach = (-2, -1, 0, 1, 2) if scale > 2 else (-1, 0, 1)
    drop = 3 if scale > 2 else 2
    for py in range(PH):
        for px in range(PW):
            if mask.p[py][px]:
                continue
            near = False
            for dy in reach:
                for dx in reach:
                    qx, qy = px + dx, py + dy
                    if 0 <= qx < PW and 0 <= qy < PH and mask.p[qy][qx]:
                        near = True
            if near:
                img.put(px, py, 55)
    for py in range(PH - drop, -1, -1):
        for px in range(PW - drop, -1, -1):
            if mask.p[py][px] and not mask.p[py + drop][px + drop]:
                img.put(px + drop, py + drop, 12)
    # Bevelled: lit where the stroke has open air above or to the left,
    # shaded where it has open air below or to the right.
    def inside(px, py):
        return 0 <= px < PW and 0 <= py < PH and mask.p[py][px]
    for py in range(PH):
        for px in range(PW):
            if not mask.p[py][px]:
                continue
            c = face(px, py)
            if not inside(px, py - 1) or not inside(px - 1, py):
                c = 13
            elif not inside(px, py + 1) or not inside(px + 1, py):
                c = 15
            img.put(px, py, c)
    if not glint:
        return
    # A glint on the first letter.
    img.put(x + 2, y + 1, GLEAM)
    img.put(x + 1, y + 1, 13)
    img.put(x + 3, y + 1, 13)
    img.put(x + 2, y, 13)
    img.put(x + 2, y + 2, 13)


# --- Scenery --------------------------------------------------------------------
def night_sky(img, top, bottom, rng, stars=True, calm_right=0):
    """Near black overhead, deep blue towards the horizon; stars only where
    no banner is drawn."""
    for y in range(top, bottom):
        t = (y - top) * 16 // max(1, bottom - top)
        for x in range(PW):
            img.put(x, y, 23 if dither(x, y, t) else 24)
    if stars:
        for _ in range(70):
            x, y = rng.next() % PW, top + rng.next() % max(1, bottom - top)
            if calm_right and x > PW - calm_right and y < 48:
                continue
            img.put(x, y, [25, 29, 20, GLEAM][rng.next() % 4])


def hills(img, base, rng):
    """A dark ridge against the sky, with a lighter rim."""
    heights = []
    h = 10
    for x in range(PW):
        if x % 8 == 0:
            h = max(3, min(18, h + rng.next() % 7 - 3))
        heights.append(h)
    for x in range(PW):
        # Smoothed over a few columns so the ridge has no steps of 8.
        h = sum(heights[max(0, x - 3):x + 4]) // len(heights[max(0, x - 3):x + 4])
        for y in range(base - h, base):
            img.put(x, y, 25 if y == base - h else 24)


def outside_fill(img):
    for r in range(16):
        for c in range(20):
            img.blit(outside_tile((r * 3 + c * 5) % OUTSIDE_VARIANTS), c * TW, r * TH)


def vault_scene(img, top_row, rows, cols, treasure_plan):
    """A walled room of game tiles; `treasure_plan` puts tiles in it."""
    c0 = (20 - cols) // 2
    for r in range(rows):
        for c in range(cols):
            edge = r in (0, rows - 1) or c in (0, cols - 1)
            img.blit(WALLS[0] if edge else FLOOR, (c0 + c) * TW, (top_row + r) * TH)
    for (r, c), tile in treasure_plan.items():
        img.blit(tile, (c0 + c) * TW, (top_row + r) * TH)
    return c0


def torch(img, x, y):
    """A wall torch: bracket and a two-tone flame."""
    img.rect(x + 1, y + 5, 2, 4, 12)
    img.rect(x, y + 4, 4, 1, 54)
    for (dx, dy, c) in ((1, 0, 13), (2, 1, 64), (1, 1, 65), (0, 2, 66), (1, 2, 64),
                        (2, 2, 65), (3, 2, 67), (1, 3, 66), (2, 3, 66)):
        img.put(x + dx, y + dy, c)


def scaled(tile, scale):
    out = Image(tile.w * scale, tile.h * scale, None)
    out.blit(tile, 0, 0, scale)
    return out


def figure(tile):
    """The character alone, without the floor behind it."""
    out = tile.copy()
    for y in range(TH):
        for x in range(TW):
            if tile.p[y][x] == FLOOR.p[y][x]:
                out.p[y][x] = None
    return out


def frame(img, x, y, w, h, outer=6, inner=15):
    img.rect(x, y, w, 1, outer)
    img.rect(x, y + h - 1, w, 1, inner)
    img.rect(x, y, 1, h, outer)
    img.rect(x + w - 1, y, 1, h, inner)
    for (cx, cy) in ((x, y), (x + w - 1, y), (x, y + h - 1), (x + w - 1, y + h - 1)):
        img.put(cx, cy, 64)


def title_picture():
    img = Image(PW, PH, 24)
    rng = Rng(11)
    night_sky(img, 0, 120, rng, calm_right=150)
    hills(img, 120, rng)
    # Zandrek on the ridge, tipping his hat, and the prize beside him.
    img.blit(scaled(figure(TIP_2), 3), 22, 84)
    img.blit(scaled(figure(treasure('chest', RAMPS[0], FLOOR)), 3), 250, 90)
    logo(img, 44, 5)
    centred_text(img, 88, "THE TREASURE VAULTS", lambda x, y: 31 if y < 91 else 20, 1, shadow=55)
    plan = {}
    t = [treasure(GROUP_SHAPES[g], RAMPS[k], FLOOR) for g, k in ((0, 0), (1, 1), (2, 3), (3, 2), (4, 4))]
    b = [banked(GROUP_SHAPES[g], RAMPS[k]) for g, k in ((0, 0), (3, 5), (4, 9))]
    plan[(1, 2)] = b[0]
    plan[(1, 3)] = b[1]
    plan[(1, 4)] = BANK
    plan[(2, 8)] = RIGHT
    plan[(2, 9)] = t[0]
    plan[(2, 11)] = BANK
    plan[(3, 5)] = t[1]
    plan[(3, 13)] = t[2]
    plan[(2, 14)] = b[2]
    plan[(3, 2)] = t[4]
    c0 = vault_scene(img, 10, 6, 18, plan)
    for c in (3, 8, 13):
        torch(img, (c0 + c) * TW + 6, 10 * TH + 1)
    return img


def key_cap(img, x, y, glyph):
    """A key of 14 x 11 pixels with its label; glyph is a letter or an arrow."""
    img.rect(x + 1, y, 12, 1, 29)
    img.rect(x, y + 1, 14, 9, 29)
    img.rect(x + 1, y + 10, 12, 1, 63)
    img.rect(x + 1, y + 1, 12, 8, 27)
    img.rect(x + 1, y + 1, 12, 1, GLEAM)
    img.rect(x + 2, y + 8, 10, 1, 28)
    arrows = {
        'up': ["...1...", "..111..", ".11111.", "1111111", "..111..", "..111..", "..111.."],
        'down': ["..111..", "..111..", "..111..", "1111111", ".11111.", "..111..", "...1..."],
        'left': ["...1...", "..11...", ".111111", "1111111", ".111111", "..11...", "...1..."],
        'right': ["...1...", "...11..", "111111.", "1111111", "111111.", "...11..", "...1..."],
        'back': ["...1111", "..11111", ".11.1.1", "1111.11", ".11.1.1", "..11111", "...1111"],
    }
    rows = arrows[glyph] if glyph in arrows else ["." + r + "." for r in FONT[glyph]]
    for j, row in enumerate(rows):
        for i, c in enumerate(row):
            if c == '1':
                img.put(x + 4 + i, y + 2 + j, 55)


def help_picture():
    img = Image(PW, PH, 24)
    outside_fill(img)
    # A dark panel framed in gold, calm behind every line of text.
    img.rect(4, 4, PW - 8, PH - 8, 24)
    frame(img, 4, 4, PW - 8, PH - 8)
    frame(img, 6, 6, PW - 12, PH - 12, 15, 6)
    # Zandrek and a treasure beside the heading.
    img.blit(scaled(figure(FRONT), 2), 18, 8)
    img.blit(scaled(figure(treasure('gem', RAMPS[0], FLOOR)), 2), PW - 50, 10)
    keys = [('K', 'up'), ('J', 'down'), ('H', 'left'), ('L', 'right'), ('U', 'back'),
            (None, 'R'), (None, 'N'), (None, 'P')]
    for k, (letter, glyph) in enumerate(keys):
        y = (7 + k) * TH
        if letter:
            key_cap(img, 1 * TW + 1, y, letter)
        key_cap(img, 3 * TW + 1, y, glyph)
    # A thin divider between the keys and what they do.
    for y in range(7 * TH + 2, 15 * TH - 2):
        img.put(81, y, 15 if y % 2 else 6)
    return img


def blank_picture():
    img = Image(PW, PH, 24)
    outside_fill(img)
    return img


def firework(img, cx, cy, radius, colours):
    for k in range(24):
        # Sixteen-step compass, so no floating point enters the picture.
        dirs = [(8, 0), (7, 3), (6, 6), (3, 7), (0, 8), (-3, 7), (-6, 6), (-7, 3),
                (-8, 0), (-7, -3), (-6, -6), (-3, -7), (0, -8), (3, -7), (6, -6), (7, -3)]
        dx, dy = dirs[k % 16]
        for s in range(2, radius + 1, 2 if k >= 16 else 1):
            x, y = cx + dx * s // 8, cy + dy * s // 10
            img.put(x, y, colours[min(len(colours) - 1, s * len(colours) // (radius + 1))])
    img.put(cx, cy, GLEAM)


def finale_picture():
    img = Image(PW, PH, 24)
    rng = Rng(23)
    night_sky(img, 0, 130, rng)
    firework(img, 60, 40, 26, [13, 64, 66, 15])
    firework(img, 250, 34, 30, [14, 32, 34, 37])
    firework(img, 160, 22, 18, [31, 20, 21, 22])
    firework(img, 112, 70, 14, [72, 73, 75, 77])
    firework(img, 214, 80, 16, [40, 41, 42, 42])
    logo(img, 92, 2, "THE HOARD IS YOURS!", 1, glint=False)
    # The hoard: one of every treasure there is, and Zandrek on top of it.
    plan = {}
    for k in range(10):
        plan[(2, 4 + k)] = treasure(GROUP_SHAPES[k % 5], RAMPS[(k * 3) % 10], FLOOR)
        plan[(3, 3 + k + (k > 4) * 2)] = banked(GROUP_SHAPES[(k + 2) % 5], RAMPS[(k * 7 + 1) % 10])
    vault_scene(img, 11, 5, 20, plan)
    img.blit(scaled(figure(YAWN_2), 2), 160 - 16, 112)
    # Cheers on the walls.
    for c in (2, 7, 12, 17):
        torch(img, c * TW + 6, 11 * TH + 1)
    return img


def about_picture():
    img = Image(PW, PH, 24)
    rng = Rng(31)
    night_sky(img, 0, PH, rng)
    logo(img, 14, 4)
    centred_text(img, 50, "THE TREASURE VAULTS", 31, 1, shadow=55)
    img.rect(40, 66, PW - 80, 110, 24)
    frame(img, 40, 66, PW - 80, 110)
    img.blit(scaled(figure(TIP_2), 3), 54, 84)
    lines = [("PUZZLES, PICTURES,", 64), ("SOUNDS AND PROGRAM", 64), ("BY THE ZANDREK TEAM", 31),
             ("", 0), ("OSTROVANE", 66), ("VERSION 4.0", 29)]
    y = 80
    for text, colour in lines:
        if text:
            draw_text(img, 114, y, text, colour, 1, shadow=55)
        y += 14
    for k in range(5):
        img.blit(figure(treasure(GROUP_SHAPES[k], RAMPS[(k * 2) % 10], FLOOR)), 80 + k * 34, 162)
    return img


def write_pictures():
    os.makedirs(os.path.join(HERE, 'pictures'), exist_ok=True)
    for name, paint in (('title', title_picture), ('help', help_picture), ('blank', blank_picture),
                        ('finale', finale_picture), ('about', about_picture)):
        with open(os.path.join(HERE, 'pictures', name + '.txt'), 'w', newline='\n') as f:
            f.write('\n'.join(paint().rows()) + '\n')


if __name__ == '__main__':
    write_palette()
    write_tiles()
    write_pictures()
