#!/usr/bin/env python3
"""Draws the pictures of the sixteen page themes and their previews into data/themes/.

Each theme is a pair of colours; its folder holds the four pictures the theme page uses (banner.png,
background.png, bullet.png, line.png), which the build packs into themeNN.zip. previewNN.png is the
miniature the theme window shows. Themes 5 and 13 are dark pages. Run from the repository's root."""
import colorsys
import os
import struct
import zlib

OUT = os.path.join('data', 'themes')


def png(path, w, h, pixel):
    rows = bytearray()
    for y in range(h):
        rows.append(0)
        for x in range(w):
            rows.extend(bytes(pixel(x, y)))
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)
    data = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0))
    data += chunk(b'IDAT', zlib.compress(bytes(rows), 9)) + chunk(b'IEND', b'')
    with open(path, 'wb') as f:
        f.write(data)


def rgb(h, s, v):
    return tuple(int(round(c * 255)) for c in colorsys.hsv_to_rgb(h % 1.0, s, v))


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def theme(n):
    hue = (n - 1) / 16.0
    dark = n in (5, 13)
    main = rgb(hue, 0.75, 0.85)
    second = rgb(hue + 0.08, 0.55, 0.55)
    page = (0, 0, 0) if dark else rgb(hue, 0.06, 1.0)
    text = (255, 255, 255) if dark else (40, 40, 40)
    return main, second, page, text, dark


def draw(n):
    main, second, page, text, dark = theme(n)
    folder = os.path.join(OUT, 'theme%02d' % n)
    os.makedirs(folder, exist_ok=True)
    # A banner: a gradient with a lighter band, and a stripe at its foot.
    def banner(x, y):
        if y >= 52:
            return second
        c = mix(main, second, x / 467.0)
        return mix(c, (255, 255, 255), 0.25) if 18 <= y < 34 else c
    png(os.path.join(folder, 'banner.png'), 468, 60, banner)
    # A tile: the page colour with a faint diagonal every 16 pixels.
    png(os.path.join(folder, 'background.png'), 64, 64,
        lambda x, y: mix(page, main, 0.12) if (x + y) % 16 == 0 else page)
    # A round bullet.
    def bullet(x, y):
        d = (x - 5.5) ** 2 + (y - 5.5) ** 2
        if d <= 16:
            return main
        return mix(main, page, 0.5) if d <= 25 else page
    png(os.path.join(folder, 'bullet.png'), 12, 12, bullet)
    # A rule that fades out at both ends.
    png(os.path.join(folder, 'line.png'), 400, 4,
        lambda x, y: mix(page, main if y < 2 else second, min(1.0, min(x, 399 - x) / 80.0)))
    # The preview: the page in miniature.
    def preview(x, y):
        if x in (0, 119) or y in (0, 89):
            return (96, 96, 96)
        if 4 <= y < 18 and 4 <= x < 116:
            return banner(int((x - 4) * 467 / 111), int((y - 4) * 59 / 13))
        for i, row in enumerate((26, 36, 46, 56)):
            if row <= y < row + 4:
                if 6 <= x < 10:
                    return main
                if 14 <= x < 14 + (90 - 14 * (i % 3)):
                    return mix(page, text, 0.6)
        if 68 <= y < 70 and 10 <= x < 110:
            return main
        return page
    png(os.path.join(OUT, 'preview%02d.png' % n), 120, 90, preview)


for n in range(1, 17):
    draw(n)
