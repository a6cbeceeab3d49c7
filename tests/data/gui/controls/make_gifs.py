#!/usr/bin/python3
"""Writes the GIF the export tests read (run from any folder; same bytes every run).

twelve_frames.gif: 12 frames of 5 x 3 pixels, frame i filled with the colour
(10 i + 5, 200 - 10 i, 3 i + 100), so each exported file can be told apart.
"""
import os

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))


def main():
    frames = [Image.new("RGB", (5, 3), (10 * i + 5, 200 - 10 * i, 3 * i + 100)) for i in range(12)]
    frames[0].save(os.path.join(HERE, "twelve_frames.gif"), save_all=True,
                   append_images=frames[1:], duration=100, loop=0, disposal=1, optimize=False)


if __name__ == "__main__":
    main()
