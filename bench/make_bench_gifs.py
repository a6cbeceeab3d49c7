#!/usr/bin/python3
"""Makes the benchmark GIFs: small 200x200x50, medium 500x400x120, large 1000x800x60, in two
kinds: <name>.gif, moving smooth gradients with light noise, and noise-<name>.gif, photo-like
noise (the same gradients under strong colour noise), which compresses far less well and makes
larger JPEGs. For the window's benchmark also wide 1000x175x259 (many frames) and huge
2000x1500x60 (large frames), smooth only.

Every frame is quantised to its own 256-colour palette with dithering and covers the whole
canvas, so each frame is a full GIF image that the decoder must decompress completely.
Deterministic (seeded noise, fixed motion).

Usage: /usr/bin/python3 bench/make_bench_gifs.py OUTDIR   (Debian's Python has Pillow)
"""
import itertools
import math
import pathlib
import random
import sys

from PIL import Image, ImageChops

CASES = {"small": (200, 200, 50), "medium": (500, 400, 120), "large": (1000, 800, 60)}
WINDOW_CASES = {"wide": (1000, 175, 259), "huge": (2000, 1500, 60)}


def channel(kind, size, shift, angle):
    base = Image.linear_gradient("L") if kind == "linear" else Image.radial_gradient("L")
    base = base.rotate(angle, resample=Image.Resampling.BILINEAR, expand=False)
    base = ImageChops.offset(base, shift, shift // 2)
    return base.resize(size, Image.Resampling.BILINEAR)


def frame(size, index, count, noisy):
    phase = index / count
    shift = int(256 * phase)
    red = channel("linear", size, shift, 30 + 360 * phase)
    green = channel("radial", size, 255 - shift, 0)
    blue = channel("linear", size, shift // 2, -60 - 180 * phase)
    random.seed(index)
    image = Image.merge("RGB", (red, green, blue))
    if noisy:
        # Independent noise in each channel, strong enough that neighbouring pixels rarely share
        # a palette entry: LZW strings stay short, JPEG blocks keep their high frequencies.
        noise = [Image.effect_noise(size, 64) for _ in range(3)]
        image = Image.blend(image, Image.merge("RGB", noise), 0.45)
    else:
        noise = Image.effect_noise(size, 24 + 8 * math.sin(index))
        image = Image.blend(image, Image.merge("RGB", (noise, noise, noise)), 0.18)
    return image.quantize(colors=256)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_bench_gifs.py OUTDIR")
    folder = pathlib.Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    cases = list(itertools.product(CASES.items(), (False, True)))
    cases += [(case, False) for case in WINDOW_CASES.items()]
    for (name, (width, height, count)), noisy in cases:
        target = folder / f"{'noise-' if noisy else ''}{name}.gif"
        frames = [frame((width, height), i, count, noisy) for i in range(count)]
        frames[0].save(target, save_all=True, append_images=frames[1:], duration=100, loop=0,
                       optimize=False, disposal=1)
        print(f"{target}: {count} frames of {width}x{height}, {target.stat().st_size} bytes")


if __name__ == "__main__":
    main()
