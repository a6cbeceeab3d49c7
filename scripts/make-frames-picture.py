#!/usr/bin/python3
"""Draws docs/frames.png for the README: one pixel-art GIF frame as a movie shows it with JPEG
frames (the default) beside lossless frames, both converted at the GIF's size and drawn four
times enlarged, pixel for pixel.

Run from the repository root after a release build, with Debian's Python (it has Pillow):
  /usr/bin/python3 scripts/make-frames-picture.py [out/release/cli/quorvex-convert]
The GIF is drawn here, converted twice, and the first bitmap of each movie decoded from its tag.
"""
import io
import pathlib
import struct
import subprocess
import sys
import tempfile
import zlib

from PIL import Image, ImageDraw

SIZE = 48
ZOOM = 4


def pixel_art():
    """A 2-pixel checkerboard, a hard-edged sprite and a dithered band: what JPEG blurs."""
    image = Image.new("RGB", (SIZE, SIZE), (250, 250, 250))
    pixels = image.load()
    for y in range(SIZE // 2):
        for x in range(SIZE):
            pixels[x, y] = (240, 120, 20) if (x // 2 + y // 2) % 2 else (20, 20, 20)
    draw = ImageDraw.Draw(image)
    draw.rectangle((6, 28, 21, 43), fill=(40, 160, 60), outline=(10, 60, 20))
    draw.rectangle((11, 33, 16, 38), fill=(230, 220, 40))
    for y in range(26, 46):
        for x in range(26, 46):
            if (x + y) % 2 == 0:
                pixels[x, y] = (60, 80, 220)
    return image.quantize(colors=16, dither=Image.Dither.NONE)


def first_bitmap(movie):
    """The picture of the first bitmap tag of an uncompressed movie."""
    data = pathlib.Path(movie).read_bytes()
    rect_bits = data[8] >> 3
    offset = 8 + (5 + 4 * rect_bits + 7) // 8 + 4
    while offset < len(data):
        word = struct.unpack_from("<H", data, offset)[0]
        code, length = word >> 6, word & 0x3F
        offset += 2
        if length == 0x3F:
            length = struct.unpack_from("<I", data, offset)[0]
            offset += 4
        body = data[offset:offset + length]
        offset += length
        if code == 21:  # DefineBitsJPEG2: the JPEG after the id and FF D9 FF D8
            return Image.open(io.BytesIO(body[6:])).convert("RGB")
        if code == 20:  # DefineBitsLossless
            fmt, width, height = body[2], *struct.unpack_from("<HH", body, 3)
            if fmt == 3:
                colours = body[7] + 1
                raw = zlib.decompress(body[8:])
                table = [tuple(raw[3 * i:3 * i + 3]) for i in range(colours)]
                stride = (width + 3) & ~3
                image = Image.new("RGB", (width, height))
                image.putdata([table[raw[3 * colours + y * stride + x]]
                               for y in range(height) for x in range(width)])
                return image
            raw = zlib.decompress(body[7:])
            return Image.frombytes("RGB", (width, height),
                                   bytes(b for i in range(0, len(raw), 4) for b in raw[i + 1:i + 4]))
    sys.exit(f"{movie}: no bitmap tag")


def main():
    converter = sys.argv[1] if len(sys.argv) > 1 else "out/release/cli/quorvex-convert"
    with tempfile.TemporaryDirectory() as work:
        gif = pathlib.Path(work) / "pixels.gif"
        pixel_art().save(gif)
        shots = []
        for frames in ("jpeg", "lossless"):
            out = pathlib.Path(work) / frames
            out.mkdir()
            subprocess.run([converter, "-q", "--frames", frames, "-o", str(out), str(gif)],
                           check=True)
            shot = first_bitmap(out / "pixels.swf")
            shots.append(shot.resize((shot.width * ZOOM, shot.height * ZOOM),
                                     Image.Resampling.NEAREST))
    gap = 12
    width, height = shots[0].size
    picture = Image.new("RGB", (2 * width + gap, height + 22), (255, 255, 255))
    draw = ImageDraw.Draw(picture)
    for i, (shot, label) in enumerate(zip(shots, ("--frames jpeg", "--frames lossless"))):
        picture.paste(shot, (i * (width + gap), 22))
        draw.text((i * (width + gap) + 2, 4), label, fill=(0, 0, 0))
    target = pathlib.Path("docs/frames.png")
    picture.save(target)
    print(f"{target}: {picture.size[0]}x{picture.size[1]}")


if __name__ == "__main__":
    main()
