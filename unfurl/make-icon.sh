#!/bin/sh
# Draws the program icon (an open box with an arrow coming out of it) at
# 32 and 16 pixels and writes unfurl.ico beside this script: sixteen
# colours, four bits a pixel, transparency in the mask. Needs ImageMagick
# and python3; the result is committed, so builds do not run this.
set -eu
here=$(dirname "$0")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

convert -size 32x32 xc:none \
    -fill '#c8a060' -stroke '#6b4a1e' -strokewidth 1 -draw 'rectangle 4,14 27,29' \
    -fill '#e0bc80' -draw 'polygon 4,14 10,9 21,9 27,14' \
    -fill '#6b4a1e' -stroke none -draw 'rectangle 14,14 17,29' \
    -fill '#2a8a2a' -stroke '#145214' -draw 'polygon 16,1 24,9 19,9 19,16 13,16 13,9 8,9' \
    "$work/32.png"
convert "$work/32.png" -resize 16x16 "$work/16.png"
for size in 32 16; do
    # At most fifteen colours, no dithering; alpha made all or nothing.
    convert "$work/$size.png" -channel A -threshold 50% +channel +dither -colors 15 \
        -depth 8 "rgba:$work/$size.rgba"
done

python3 - "$work" "$here/unfurl.ico" <<'PY'
import struct, sys
work, out = sys.argv[1], sys.argv[2]

def image(size):
    data = open(f"{work}/{size}.rgba", "rb").read()
    pixels = [data[i:i + 4] for i in range(0, len(data), 4)]
    palette = [(0, 0, 0)]
    for p in pixels:
        if p[3] and tuple(p[:3]) not in palette:
            palette.append(tuple(p[:3]))
    assert len(palette) <= 16, len(palette)
    palette += [(0, 0, 0)] * (16 - len(palette))
    xor, mask = b"", b""
    mask_row = ((size + 31) // 32) * 4
    for y in reversed(range(size)):
        row = pixels[y * size:(y + 1) * size]
        nibbles = [palette.index(tuple(p[:3])) if p[3] else 0 for p in row]
        xor += bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        bits = 0
        for p in row:
            bits = (bits << 1) | (0 if p[3] else 1)
        mask += bits.to_bytes(size // 8, "big").ljust(mask_row, b"\0")
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(xor) + len(mask),
                         0, 0, 16, 0)
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + colours + xor + mask

images = [image(32), image(16)]
ico = struct.pack("<HHH", 0, 1, len(images))
offset = 6 + 16 * len(images)
for size, body in zip((32, 16), images):
    ico += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(body), offset)
    offset += len(body)
open(out, "wb").write(ico + b"".join(images))
PY
