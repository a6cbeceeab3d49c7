#!/usr/bin/python3
"""Writes the small GIF files the window tests open (run from any folder).

Every frame differs from the one before it, so that no encoder merges frames, and
each file is made with fixed inputs, so that running the script again gives the
same bytes.
"""
import os

from PIL import Image, ImageDraw

HERE = os.path.dirname(os.path.abspath(__file__))

PALETTE = [
    (220, 40, 40), (40, 160, 60), (40, 80, 220), (240, 200, 40), (150, 60, 190),
    (30, 180, 190), (240, 120, 30), (90, 90, 90), (250, 250, 250), (10, 10, 10),
]


def frame(width, height, index):
    """A frame with a colour band per index and a moving block, so frames differ."""
    image = Image.new("RGB", (width, height), PALETTE[index % len(PALETTE)])
    draw = ImageDraw.Draw(image)
    for x in range(0, width, 4):
        shade = (x * 255) // max(1, width - 1)
        draw.line([(x, height // 2), (x, height - 1)], fill=(shade, 255 - shade, 128))
    block = max(2, min(width, height) // 4)
    left = (index * block) % max(1, width - block)
    draw.rectangle([left, 1, left + block - 1, block], fill=PALETTE[(index + 3) % len(PALETTE)])
    return image


def save(name, width, height, count):
    frames = [frame(width, height, i).quantize(colors=64, dither=Image.Dither.NONE)
              for i in range(count)]
    frames[0].save(os.path.join(HERE, name), save_all=count > 1, append_images=frames[1:],
                   duration=100, loop=0, optimize=False, disposal=1)


def main():
    save("props_100x80.gif", 100, 80, 3)
    save("four_frames.gif", 40, 40, 4)
    save("one_frame.gif", 40, 40, 1)
    save("ten_frames.gif", 64, 48, 10)
    save("size_101x75.gif", 101, 75, 2)
    save("size_600x500.gif", 600, 500, 1)

    checker = Image.new("RGB", (2, 2))
    checker.putpixel((0, 0), (255, 0, 0))
    checker.putpixel((1, 0), (0, 255, 0))
    checker.putpixel((0, 1), (0, 0, 255))
    checker.putpixel((1, 1), (255, 255, 255))
    checker.save(os.path.join(HERE, "checker_2x2.gif"))

    with open(os.path.join(HERE, "truncated.gif"), "wb") as out:
        out.write(b"GIF89a\x64\x00\x50\x00\xf7\x00\x00")
    with open(os.path.join(HERE, "not_a_gif.gif"), "wb") as out:
        out.write(b"This file only carries a .gif name.\n")


if __name__ == "__main__":
    main()
