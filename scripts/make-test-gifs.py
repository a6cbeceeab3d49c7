#!/usr/bin/python3
"""Writes the GIF test files of tests/data/gif and tests/data/malformed/gif.

Every GIF is assembled here byte by byte (header, colour tables, graphic control
extensions, image descriptors, LZW data in sub-blocks), so each file shows exactly the
feature it tests. Next to each valid file goes <name>.rgba: the coalesced frames, each
screen width x height pixels of R, G, B, A bytes, frames one after another, as a browser
shows the animation (transparent canvas start, disposal 2 clears to transparent).

Expected frames come from two places, never from the decoder under test:
  - tiny files: pixel grids typed below by hand;
  - larger files: Pillow's decoded frames (only files without transparency, offsets or
    disposal, where Pillow matches browsers).
Every file is also decoded with Pillow and any disagreement is printed, so a typo in a
hand-written grid shows up; known Pillow differences are listed in PILLOW_DIFFERS.

Run with Debian's python3 (python3-pil): /usr/bin/python3 scripts/make-test-gifs.py
"""

import io
import os
import random
import struct
import sys

from PIL import Image

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
GIF_DIR = os.path.join(ROOT, "tests", "data", "gif")
MALFORMED_DIR = os.path.join(ROOT, "tests", "data", "malformed", "gif")

# Colours of the hand-written grids; '.' is transparent (all four bytes 0).
GRID_COLOURS = {
    "R": (255, 0, 0), "G": (0, 255, 0), "B": (0, 0, 255), "W": (255, 255, 255),
    "K": (0, 0, 0), "Y": (255, 255, 0), "C": (0, 255, 255), "M": (255, 0, 255),
}
BASE_PALETTE = ["R", "G", "B", "W"]  # global table of most tiny files: indices 0..3


def lzw_encode(indices, min_code_size, clear_when_full=True):
    """GIF LZW: returns the code stream as bytes (LSB first), clear code first, end code
    last. With clear_when_full False the table stays full and no clear is sent
    ("deferred clear"), which decoders must accept."""
    clear = 1 << min_code_size
    end = clear + 1
    out = bytearray()
    acc = 0
    nbits = 0
    width = min_code_size + 1

    def emit(code):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += width
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    table = {}
    next_code = end + 1
    decoder_next = end + 1  # the decoder's table lags one entry behind the encoder's
    codes_since_clear = 0

    def after_data_code():
        # The width grows when the decoder's next entry no longer fits.
        nonlocal width, decoder_next, codes_since_clear
        codes_since_clear += 1
        if codes_since_clear > 1 and decoder_next < 4096:
            decoder_next += 1
        if decoder_next >= (1 << width) and width < 12:
            width += 1

    emit(clear)
    prefix = None
    for value in indices:
        if prefix is None:
            prefix = value
            continue
        key = (prefix, value)
        if key in table:
            prefix = table[key]
            continue
        emit(prefix)
        if next_code < 4096:
            table[key] = next_code
            next_code += 1
        after_data_code()
        if next_code == 4096 and clear_when_full:
            emit(clear)
            table = {}
            next_code = end + 1
            decoder_next = end + 1
            codes_since_clear = 0
            width = min_code_size + 1
        prefix = value
    if prefix is not None:
        emit(prefix)
        after_data_code()
    emit(end)
    if nbits > 0:
        out.append(acc & 0xFF)
    return bytes(out)


def lzw_tokens(indices, min_code_size):
    """The greedy parse lzw_encode makes with a table that is never cleared: (start, code) per
    code sent, and the table from strings to codes."""
    table = {(v,): v for v in range(1 << min_code_size)}
    next_code = (1 << min_code_size) + 2
    tokens = []
    i = 0
    while i < len(indices):
        j = i + 1
        while j < len(indices) and tuple(indices[i:j + 1]) in table:
            j += 1
        tokens.append((i, table[tuple(indices[i:j])]))
        if j < len(indices) and next_code < 4096:
            table[tuple(indices[i:j + 1])] = next_code
            next_code += 1
        i = j
    return tokens, table


def last_entry_reused(width=120, height=90):
    """16-colour noise that fills the 4096-entry table, then, with the table full and no clear
    sent, the string of its last entry, so that the data really holds code 4095."""
    rng = random.Random(3)
    noise = [rng.randrange(16) for _ in range(width * height)]
    tokens, table = lzw_tokens(noise, 4)
    filled = 4095 - 18  # the code sent when entry 4095 is made (one entry per code from 18 on)
    last = [v for v in next(string for string, code in table.items() if code == 4095)]
    # A boundary after the fill where the string before it does not run on into the new data.
    for n in range(filled + 2, len(tokens)):
        start, end = tokens[n - 1][0], tokens[n][0]
        if tuple(noise[start:end]) + (last[0],) not in table:
            pixels = (noise[:end] + last + noise[end:])[:width * height]
            break
    sent = [code for _, code in lzw_tokens(pixels, 4)[0]]
    assert 4095 in sent[filled + 1:], "code 4095 is not sent after the fill"
    return pixels


def sub_blocks(data, size=255):
    out = bytearray()
    for start in range(0, len(data), size):
        chunk = data[start:start + size]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    return bytes(out)


def colour_table(colours):
    """colours: list of (r, g, b) or grid letters, padded with black to a power of two."""
    rgb = [GRID_COLOURS[c] if isinstance(c, str) else c for c in colours]
    size = 2
    while size < len(rgb):
        size *= 2
    rgb += [(0, 0, 0)] * (size - len(rgb))
    bits = size.bit_length() - 2  # 2^(bits+1) entries
    return bytes(v for colour in rgb for v in colour), bits


class Frame:
    def __init__(self, left, top, width, height, indices, disposal=1, transparent=None,
                 palette=None, interlaced=False, min_code_size=None, delay=10,
                 lzw=None, block_size=255):
        self.left, self.top, self.width, self.height = left, top, width, height
        self.indices = indices  # rows from the top, width * height values
        self.disposal = disposal
        self.transparent = transparent
        self.palette = palette
        self.interlaced = interlaced
        self.min_code_size = min_code_size
        self.delay = delay
        self.lzw = lzw  # raw LZW bytes instead of encoding `indices`
        self.block_size = block_size


def interlace_order(height):
    rows = []
    for start, step in ((0, 8), (4, 8), (2, 4), (1, 2)):
        rows += list(range(start, height, step))
    return rows


def build_gif(width, height, frames, palette=BASE_PALETTE, background=0):
    out = bytearray(b"GIF89a")
    packed = 0
    table = b""
    if palette is not None:
        table, bits = colour_table(palette)
        packed = 0x80 | (bits << 4) | bits
    out += struct.pack("<HHBBB", width, height, packed, background, 0)
    out += table
    for frame in frames:
        flags = (frame.disposal << 2) | (1 if frame.transparent is not None else 0)
        out += bytes([0x21, 0xF9, 4, flags]) + struct.pack("<H", frame.delay)
        out += bytes([frame.transparent or 0, 0])
        local = b""
        packed = 0x40 if frame.interlaced else 0
        if frame.palette is not None:
            local, bits = colour_table(frame.palette)
            packed |= 0x80 | bits
        out += b"\x2C" + struct.pack("<HHHHB", frame.left, frame.top, frame.width,
                                     frame.height, packed)
        out += local
        table_size = len(local) // 3 if local else len(table) // 3
        min_code_size = frame.min_code_size
        if min_code_size is None:
            min_code_size = max(2, (table_size - 1).bit_length())
        out.append(min_code_size)
        if frame.lzw is not None:
            data = frame.lzw
        else:
            rows = interlace_order(frame.height) if frame.interlaced else range(frame.height)
            stream = [frame.indices[r * frame.width + x] for r in rows
                      for x in range(frame.width)]
            data = lzw_encode(stream, min_code_size)
        out += sub_blocks(data, frame.block_size)
    out.append(0x3B)
    return bytes(out)


def grid_frames(grids):
    """Hand-written frames: each a list of equal-length rows of GRID_COLOURS letters."""
    frames = []
    for grid in grids:
        pixels = bytearray()
        for row in grid:
            for c in row:
                pixels += bytes(GRID_COLOURS[c] + (255,)) if c != "." else bytes(4)
        frames.append(bytes(pixels))
    return frames


def idx(rows, letters=BASE_PALETTE):
    """Index rows typed as palette letters ('.' = index 9, used as transparent index)."""
    return [letters.index(c) if c in letters else int(c) for row in rows for c in row]


def pillow_frames(data):
    """Pillow's coalesced frames as R,G,B,A bytes; no frames when Pillow refuses the file."""
    image = Image.open(io.BytesIO(data))
    frames = []
    try:
        for n in range(image.n_frames):
            image.seek(n)
            rgba = image.convert("RGBA").tobytes()
            # Transparent pixels compare as all-zero whatever colour Pillow leaves in them.
            frames.append(b"".join(rgba[i:i + 4] if rgba[i + 3] else bytes(4)
                                   for i in range(0, len(rgba), 4)))
    except OSError:
        return image.size, []
    return image.size, frames


# ---------------------------------------------------------------------------------------
# Valid files with hand-written expectations.

def tiny_files():
    files = {}

    # Disposal 0/1 (keep): later frames draw over earlier ones.
    files["disposal_keep"] = (4, 4, [
        Frame(0, 0, 4, 4, idx(["RRRR", "RRRR", "RRRR", "RRRR"]), disposal=0),
        Frame(1, 1, 2, 2, idx(["GG", "GG"]), disposal=1),
        Frame(2, 0, 2, 2, idx(["BB", "BW"]), disposal=1),
    ], BASE_PALETTE, [
        ["RRRR", "RRRR", "RRRR", "RRRR"],
        ["RRRR", "RGGR", "RGGR", "RRRR"],
        ["RRBB", "RGBW", "RGGR", "RRRR"],
    ])

    # Disposal 2: the frame's rectangle becomes transparent before the next frame.
    files["disposal_background"] = (4, 4, [
        Frame(0, 0, 4, 4, idx(["RRRR", "RRRR", "RRRR", "RRRR"]), disposal=1),
        Frame(1, 1, 2, 2, idx(["GG", "GG"]), disposal=2),
        Frame(0, 0, 1, 1, idx(["B"]), disposal=2),
        Frame(3, 3, 1, 1, idx(["W"]), disposal=1),
    ], BASE_PALETTE, [
        ["RRRR", "RRRR", "RRRR", "RRRR"],
        ["RRRR", "RGGR", "RGGR", "RRRR"],
        ["BRRR", "R..R", "R..R", "RRRR"],
        [".RRR", "R..R", "R..R", "RRRW"],
    ])

    # Disposal 3: the rectangle returns to what it was before the frame; on the first frame
    # that is the transparent canvas.
    files["disposal_previous"] = (4, 4, [
        Frame(0, 0, 2, 2, idx(["WW", "WW"]), disposal=3),
        Frame(0, 0, 4, 4, idx(["RRRR", "RRRR", "RRRR", "RRRR"]), disposal=1),
        Frame(0, 0, 2, 3, idx(["GG", "GG", "GG"]), disposal=3),
        Frame(1, 1, 2, 2, idx(["BB", "BB"]), disposal=3),
        Frame(3, 0, 1, 1, idx(["W"]), disposal=1),
    ], BASE_PALETTE, [
        ["WW..", "WW..", "....", "...."],
        ["RRRR", "RRRR", "RRRR", "RRRR"],
        ["GGRR", "GGRR", "GGRR", "RRRR"],
        ["RRRR", "RBBR", "RBBR", "RRRR"],
        ["RRRW", "RRRR", "RRRR", "RRRR"],
    ])

    # Transparent index: such pixels leave the canvas as it is (alpha 0 on an empty canvas).
    files["transparency"] = (4, 3, [
        Frame(0, 0, 4, 3, idx(["R3R3", "3GG3", "BBBB"]), transparent=3, disposal=1),
        Frame(0, 0, 4, 3, idx(["0000", "0220", "1111"]), transparent=0, disposal=1),
        Frame(1, 0, 2, 2, idx(["33", "33"]), transparent=3, disposal=1),
    ], BASE_PALETTE, [
        ["R.R.", ".GG.", "BBBB"],
        ["R.R.", ".BB.", "GGGG"],
        ["R.R.", ".BB.", "GGGG"],
    ])

    # Offsets: a frame reaching past the right and bottom edges is clipped, one entirely
    # outside the screen draws nothing, one at the far corner draws one pixel.
    files["offsets"] = (4, 3, [
        Frame(0, 0, 4, 3, idx(["RRRR", "RRRR", "RRRR"]), disposal=1),
        Frame(2, 1, 4, 4, idx(["GBGB", "BGBG", "WWWW", "WWWW"]), disposal=1),
        Frame(10, 20, 2, 2, idx(["BB", "BB"]), disposal=1),
        Frame(3, 2, 1, 1, idx(["W"]), disposal=1),
        Frame(1, 1, 4, 4, idx(["GGGG", "GGGG", "GGGG", "GGGG"]), disposal=2),
        Frame(0, 0, 1, 1, idx(["B"]), disposal=1),
    ], BASE_PALETTE, [
        ["RRRR", "RRRR", "RRRR"],
        ["RRRR", "RRGB", "RRBG"],
        ["RRRR", "RRGB", "RRBG"],
        ["RRRR", "RRGB", "RRBW"],
        ["RRRR", "RGGG", "RGGG"],
        ["BRRR", "R...", "R..."],
    ])

    # Frames beside and below the screen with disposal 3 and 2 change nothing.
    files["offscreen_disposal"] = (4, 2, [
        Frame(0, 0, 4, 2, idx(["RRRR", "RRRR"]), disposal=1),
        Frame(10, 0, 2, 2, idx(["GG", "GG"]), disposal=3),
        Frame(0, 5, 1, 1, idx(["B"]), disposal=2),
        Frame(1, 1, 1, 1, idx(["W"]), disposal=1),
    ], BASE_PALETTE, [
        ["RRRR", "RRRR"],
        ["RRRR", "RRRR"],
        ["RRRR", "RRRR"],
        ["RRRR", "RWRR"],
    ])

    # Local colour tables replace the global one for their frame only.
    files["local_palette"] = (3, 2, [
        Frame(0, 0, 3, 2, idx(["RGB", "BGR"]), disposal=1),
        Frame(0, 0, 3, 1, [0, 1, 2], palette=["Y", "C", "M", "K"], disposal=1),
        Frame(0, 1, 3, 1, [0, 1, 3], disposal=1),
    ], BASE_PALETTE, [
        ["RGB", "BGR"],
        ["YCM", "BGR"],
        ["YCM", "RGW"],
    ])

    # No global table at all: every frame brings its own.
    files["local_only"] = (2, 2, [
        Frame(0, 0, 2, 2, [0, 1, 1, 0], palette=["M", "Y"], disposal=1),
        Frame(1, 1, 1, 1, [1], palette=["K", "W"], disposal=1),
    ], None, [
        ["MY", "YM"],
        ["MY", "YW"],
    ])

    # Indices beyond the colour table (a 4-entry table, 3-bit codes) leave pixels alone.
    files["index_out_of_range"] = (4, 1, [
        Frame(0, 0, 4, 1, idx(["RGBW"]), disposal=1),
        Frame(0, 0, 4, 1, [5, 0, 7, 1], min_code_size=3, disposal=1),
    ], BASE_PALETTE, [
        ["RGBW"],
        ["RRBG"],
    ])

    # Interlaced: rows arrive in the order 0, 8, 4, 2, 6, 1, 3, 5, 7, 9 and must land in
    # their own rows.
    rows = ["RRR", "GGG", "BBB", "WWW", "RGB", "GBR", "BRG", "WRW", "GWG", "BWB"]
    files["interlaced"] = (3, 10, [
        Frame(0, 0, 3, 10, idx(rows), interlaced=True, disposal=1),
        Frame(0, 1, 3, 3, idx(["WWW", "RRR", "WWW"]), interlaced=True, disposal=1),
    ], BASE_PALETTE, [
        rows,
        rows[:1] + ["WWW", "RRR", "WWW"] + rows[4:],
    ])

    # The LZW stream ends (end code) after 3 of 6 pixels: the frame is kept, the rest of it
    # left as it was.
    short = lzw_encode([1, 1, 1], 2)
    files["short_stream"] = (3, 2, [
        Frame(0, 0, 3, 2, idx(["RRR", "RRR"]), disposal=1),
        Frame(0, 0, 3, 2, None, lzw=short, disposal=1),
    ], BASE_PALETTE, [
        ["RRR", "RRR"],
        ["GGG", "RRR"],
    ])

    # Sub-blocks of one byte each: code boundaries cross block boundaries everywhere.
    files["tiny_blocks"] = (4, 4, [
        Frame(0, 0, 4, 4, idx(["RGBW", "WBGR", "RRGG", "BBWW"]), block_size=1, disposal=1),
    ], BASE_PALETTE, [
        ["RGBW", "WBGR", "RRGG", "BBWW"],
    ])
    return files


# Where Pillow 9.4 shows something else than browsers (checked by hand):
#   disposal_background: Pillow fills disposed rectangles with background colour 0 (red).
#   disposal_previous: Pillow starts the canvas in background colour 0, not transparent.
#   offsets, offscreen_disposal: Pillow grows the image to hold frames that reach past the
#     screen.
#   index_out_of_range: Pillow draws indices beyond the table in black.
#   short_stream: Pillow refuses the frame whose LZW data ends early.
PILLOW_DIFFERS = {"disposal_background", "disposal_previous", "offsets", "offscreen_disposal",
                  "index_out_of_range", "short_stream"}


def photo_indices(width, height, colours, seed, offset):
    """Smooth gradients plus noise, as in photographs."""
    rng = random.Random(seed)
    values = []
    for y in range(height):
        for x in range(width):
            base = (x * 3 + y * 2 + offset) % colours
            values.append((base + rng.randint(-3, 3)) % colours)
    return values


def photo_palette(count, seed):
    rng = random.Random(seed)
    return [(rng.randrange(256), rng.randrange(256), rng.randrange(256)) for _ in range(count)]


def pillow_checked_files():
    """Larger files whose expected frames are Pillow's (full frames, opaque)."""
    files = {}
    palette = photo_palette(256, 7)
    frames = [Frame(0, 0, 61, 47, photo_indices(61, 47, 256, n, n * 5), disposal=1)
              for n in range(3)]
    files["photo"] = build_gif(61, 47, frames, palette)
    frames = [Frame(0, 0, 61, 47, photo_indices(61, 47, 256, n + 10, n * 9),
                    interlaced=True, disposal=1) for n in range(2)]
    files["photo_interlaced"] = build_gif(61, 47, frames, palette)
    # 16 colours of noise fill the 4096-entry table several times.
    rng = random.Random(3)
    noise = [rng.randrange(16) for _ in range(120 * 90)]
    files["table_full_clear"] = build_gif(120, 90, [Frame(0, 0, 120, 90, noise)],
                                          photo_palette(16, 4))
    frame = Frame(0, 0, 120, 90, None, lzw=lzw_encode(noise, 4, clear_when_full=False))
    files["table_full_deferred"] = build_gif(120, 90, [frame], photo_palette(16, 4))
    files["table_full_reused"] = build_gif(120, 90, [Frame(0, 0, 120, 90, None,
                                                       lzw=lzw_encode(last_entry_reused(), 4,
                                                                      clear_when_full=False))],
                                           photo_palette(16, 4))
    # Two colours with the smallest code size GIF encoders write.
    two = [rng.randrange(2) for _ in range(33 * 17)]
    files["two_colours"] = build_gif(33, 17, [Frame(0, 0, 33, 17, two)],
                                     [(10, 20, 30), (200, 100, 0)])
    return files


# ---------------------------------------------------------------------------------------
# Malformed files: each must fail; tests/gif lists the error each one must give.

def malformed_files():
    good = build_gif(2, 2, [Frame(0, 0, 2, 2, [0, 1, 2, 3])])
    files = {}
    files["bad_signature"] = b"GIF88a" + good[6:]
    files["not_gif"] = b"\x89PNG\r\n\x1a\n" + bytes(20)
    files["only_signature"] = good[:6]
    files["zero_width"] = good[:6] + struct.pack("<H", 0) + good[8:]
    files["zero_height"] = good[:8] + struct.pack("<H", 0) + good[10:]
    files["huge_screen"] = good[:6] + struct.pack("<H", 16385) + good[8:]
    files["huge_frame"] = build_gif(2, 2, [Frame(0, 0, 20000, 1, None, lzw=b"\x00")])
    files["min_code_size_0"] = build_gif(2, 2, [Frame(0, 0, 2, 2, None, lzw=b"\x00",
                                                      min_code_size=0)])
    files["min_code_size_9"] = build_gif(2, 2, [Frame(0, 0, 2, 2, None, lzw=b"\x00",
                                                      min_code_size=9)])
    files["min_code_size_12"] = build_gif(2, 2, [Frame(0, 0, 2, 2, None, lzw=b"\x00",
                                                       min_code_size=12)])
    # Code size 2, 3-bit codes: clear (4), then 7, which is not defined yet.
    files["code_out_of_range"] = build_gif(2, 2, [Frame(0, 0, 2, 2, None,
                                                        lzw=bytes([0x3C, 0x00]))])
    # Clear, then 6: the entry the next code would define, with no previous code.
    files["code_undefined_first"] = build_gif(2, 2, [Frame(0, 0, 2, 2, None,
                                                           lzw=bytes([0x34, 0x00]))])
    # A valid first frame, then a frame with a bad code: the whole file fails.
    bad_second = build_gif(2, 2, [Frame(0, 0, 2, 2, [0, 1, 2, 3]),
                                  Frame(0, 0, 2, 2, None, lzw=bytes([0x3C, 0x00]))])
    files["code_out_of_range_second_frame"] = bad_second
    files["trailer_only"] = good[:13 + 12] + b"\x3B"
    files["unknown_block"] = good[:13 + 12] + b"\x99" + good[13 + 12:]
    files["cut_in_global_table"] = good[:20]
    files["cut_in_descriptor"] = good[:13 + 12 + 8 + 5]
    files["cut_in_lzw_data"] = good[:-4]
    files["cut_before_terminator"] = good[:-2]
    return files


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main():
    os.makedirs(GIF_DIR, exist_ok=True)
    os.makedirs(MALFORMED_DIR, exist_ok=True)
    problems = 0

    for name, (width, height, frames, palette, grids) in tiny_files().items():
        data = build_gif(width, height, frames, palette)
        expected = grid_frames(grids)
        for grid in grids:
            assert len(grid) == height and all(len(row) == width for row in grid), name
        write(os.path.join(GIF_DIR, name + ".gif"), data)
        write(os.path.join(GIF_DIR, name + ".rgba"), b"".join(expected))
        size, pillow = pillow_frames(data)
        agrees = size == (width, height) and pillow == expected
        if not agrees and name not in PILLOW_DIFFERS:
            print(f"{name}: Pillow disagrees with the hand-written frames")
            problems += 1
        print(f"{name}.gif {width}x{height}, {len(expected)} frames, "
              f"Pillow {'agrees' if agrees else 'differs'}")

    for name, data in pillow_checked_files().items():
        (width, height), pillow = pillow_frames(data)
        write(os.path.join(GIF_DIR, name + ".gif"), data)
        write(os.path.join(GIF_DIR, name + ".rgba"), b"".join(pillow))
        print(f"{name}.gif {width}x{height}, {len(pillow)} frames from Pillow")

    # Cut inside the third frame's LZW data: the first two frames stay.
    base = pillow_checked_files()["photo"]
    third = base.rfind(b"\x21\xF9")
    write(os.path.join(GIF_DIR, "truncated.gif"), base[:third + 200])
    print("truncated.gif: photo.gif cut 200 bytes into its third frame")

    for name, data in malformed_files().items():
        write(os.path.join(MALFORMED_DIR, name + ".gif"), data)
    print(f"{len(malformed_files())} malformed files")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
