#!/usr/bin/python3
"""Draws the GIFs the command-line tests convert; run from anywhere with Debian's Python:
/usr/bin/python3 tests/data/cli/make_cli_gifs.py   (writes beside this script, deterministic)

anim.gif        40x30, 3 frames: a full first frame, then two that change only a corner, so
                Pillow stores them as sub-rectangles that must be drawn over the previous canvas
walk.cycle.gif  24x16, 2 frames, a base name with a dot in it
big.gif         600x500, 1 flat frame: three times its size is beyond the custom size limits
"""
import pathlib

from PIL import Image, ImageDraw

HERE = pathlib.Path(__file__).resolve().parent


def anim():
    frames = []
    base = Image.new("RGB", (40, 30))
    draw = ImageDraw.Draw(base)
    for x in range(0, 40, 8):
        draw.rectangle((x, 0, x + 7, 29), fill=(30 + 5 * x, 200 - 4 * x, 90))
    draw.ellipse((12, 8, 28, 24), fill=(250, 240, 30))
    frames.append(base)
    for step in (1, 2):
        frame = frames[-1].copy()
        ImageDraw.Draw(frame).rectangle((30, 20, 30 + 4 * step, 24 + 2 * step),
                                        fill=(20, 20, 200 + 20 * step))
        frames.append(frame)
    return [f.quantize(colors=32, dither=Image.Dither.NONE) for f in frames]


def walk():
    frames = []
    for step in range(2):
        frame = Image.new("RGB", (24, 16), (240, 240, 240))
        ImageDraw.Draw(frame).rectangle((2 + 10 * step, 4, 11 + 10 * step, 13), fill=(200, 40, 40))
        frames.append(frame.quantize(colors=4, dither=Image.Dither.NONE))
    return frames


def save(name, frames):
    frames[0].save(HERE / name, save_all=True, append_images=frames[1:], duration=100, loop=0,
                   optimize=False)


def main():
    save("anim.gif", anim())
    save("walk.cycle.gif", walk())
    save("big.gif", [Image.new("RGB", (600, 500), (10, 120, 200)).quantize(colors=2)])


if __name__ == "__main__":
    main()
