#!/usr/bin/env python3
"""Where the frames of a game bitmap are drawn in a screenshot.

usage: find_frames.py <screenshot> <bitmap> <frame width> <frame height> <left> <top> <right>
       <bottom> <step>

Tries every place (x, y) from (left, top) up to (right, bottom) in steps of `step` pixels and
prints "frame x y" for each frame of the bitmap whose every opaque pixel (any colour but the
palette's black, entry 0) is on the screenshot there. ImageMagick reads both pictures.
"""
import subprocess
import sys


def pixels(path):
    data = subprocess.run(['convert', path, '-depth', '8', 'ppm:-'], check=True,
                          capture_output=True).stdout
    fields, at = [], 0
    while len(fields) < 4:  # P6, width, height, maximum
        while data[at:at + 1].isspace():
            at += 1
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    width, height = int(fields[1]), int(fields[2])
    body = data[at + 1:]
    return width, height, [body[i:i + 3] for i in range(0, 3 * width * height, 3)]


def main():
    shot, bitmap = sys.argv[1], sys.argv[2]
    fw, fh, left, top, right, bottom, step = map(int, sys.argv[3:10])
    sw, sh, screen = pixels(shot)
    bw, bh, art = pixels(bitmap)
    black = b'\0\0\0'
    for frame in range(bw // fw):
        opaque = [(x, y, art[y * bw + frame * fw + x]) for y in range(fh) for x in range(fw)
                  if art[y * bw + frame * fw + x] != black]
        for y in range(top, bottom + 1, step):
            for x in range(left, right + 1, step):
                if x + fw > sw or y + fh > sh:
                    continue
                if all(screen[(y + py) * sw + x + px] == v for px, py, v in opaque):
                    print(frame, x, y)


main()
