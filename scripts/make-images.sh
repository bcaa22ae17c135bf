#!/usr/bin/env bash
# Draws the viewer's three images into images/: the window icon and the refresh and print button
# symbols. Each is drawn four times larger and scaled down to 32 by 32, which smooths the curves. The
# application icon goes into images/steel-viewer.ico and, with the window icon, into dist/icons/.
# Needs ImageMagick's convert (Debian package imagemagick). The images are committed; run this only
# to change them.
# SPDX-License-Identifier: GPL-3.0-or-later
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
OUT="$ROOT/images"
ICONS="$ROOT/dist/icons"
mkdir -p "$OUT" "$ICONS/32x32" "$ICONS/256x256"

DARK='rgb(44,61,77)'
GREY_BLUE='rgb(91,119,143)'
RED='rgb(232,76,61)'
GREEN='rgb(21,159,133)'

# Window icon: a red temperature curve over a time axis on the dark panel colour. BMP has no
# transparency, so the background is solid.
convert -size 128x128 xc:"$DARK" \
    -fill none -stroke white -strokewidth 6 -draw "polyline 18,12 18,110 120,110" \
    -stroke "$RED" -strokewidth 12 -draw "stroke-linejoin round polyline 24,98 44,94 58,40 74,70 90,28 116,30" \
    -resize 32x32 -alpha off -type TrueColor "BMP3:$OUT/icon.bmp"
# The same at 32 by 32 as the desktop menu's icon (hicolor theme, PNG).
convert "$OUT/icon.bmp" -strip "PNG32:$ICONS/32x32/steel-viewer.png"

# Refresh: an open ring, three quarters of a circle drawn as a polyline (ImageMagick closes stroked
# arcs), with an arrow head at its end, on a transparent background.
RING=$(awk 'BEGIN { for (a = 0; a <= 260; a += 5) { r = a * 3.14159265 / 180;
                    printf "%.1f,%.1f ", 64 + 40 * cos(r), 64 + 40 * sin(r) } }')
convert -size 128x128 xc:none \
    -fill none -stroke "$GREEN" -strokewidth 16 -draw "stroke-linejoin round polyline $RING" \
    -stroke none -fill "$GREEN" -draw "polygon 88,19 50,-2 60,50" \
    -resize 32x32 -strip "PNG32:$OUT/refresh-32.png"

# Print: paper going into a printer and a printed sheet coming out of it.
convert -size 128x128 xc:none \
    -stroke "$DARK" -strokewidth 5 -fill white -draw "rectangle 34,8 94,46" \
    -fill "$GREY_BLUE" -draw "roundrectangle 8,40 120,98 10,10" \
    -fill white -draw "rectangle 34,74 94,122" \
    -stroke "$DARK" -strokewidth 5 -draw "line 44,90 84,90" -draw "line 44,106 84,106" \
    -stroke none -fill "$GREEN" -draw "circle 104,56 104,62" \
    -resize 32x32 -strip "PNG32:$OUT/unnamed.png"

# Application icon for the Windows executable's resource (only the desktop shell shows it) and for the
# desktop menu (hicolor theme): the window icon's drawing at 256 by 256, 32 bits per pixel.
convert -size 256x256 xc:"$DARK" \
    -fill none -stroke white -strokewidth 12 -draw "line 36,24 36,220" -draw "line 36,220 240,220" \
    -stroke "$RED" -strokewidth 24 -draw "stroke-linejoin round polyline 48,196 88,188 116,80 148,140 180,56 232,60" \
    -alpha on -depth 8 "PNG32:$ICONS/256x256/steel-viewer.png"
# The icon file Windows takes its pictures from: one picture for each size Explorer, the task bar and
# the Start menu ask for, so that none is scaled down from 256 pixels into a blur. The small sizes are
# drawn with bolder lines, to stay legible at 16 pixels.
ICON_SIZES="16 24 32 48 64"
ICO_PARTS=$(mktemp -d)
trap 'rm -rf "$ICO_PARTS"' EXIT
convert -size 256x256 xc:"$DARK" \
    -fill none -stroke white -strokewidth 22 -draw "line 36,24 36,220" -draw "line 36,220 240,220" \
    -stroke "$RED" -strokewidth 40 -draw "stroke-linejoin round polyline 52,190 88,182 116,84 148,140 180,62 228,64" \
    -alpha on -depth 8 "PNG32:$ICO_PARTS/bold.png"
for size in $ICON_SIZES; do
    drawing="$ICONS/256x256/steel-viewer.png"
    [ "$size" -le 32 ] && drawing="$ICO_PARTS/bold.png"
    # Raw rows, top first, blue-green-red-alpha: what an icon's 32-bit bitmap holds.
    convert "$drawing" -filter Lanczos -resize "${size}x$size" -depth 8 "BGRA:$ICO_PARTS/$size.bgra"
done
# ImageMagick's own ICO writer turns the picture into a palette image, so the file is put together
# here: the icon directory, then each small picture as a 32-bit bitmap (rows bottom first, followed by
# an empty AND mask, as every Windows reads them) and the 256-pixel one as PNG.
python3 - "$ICO_PARTS" "$ICONS/256x256/steel-viewer.png" "$OUT/steel-viewer.ico" $ICON_SIZES <<'PY'
import struct, sys
parts, large, target, sizes = sys.argv[1], sys.argv[2], sys.argv[3], [int(s) for s in sys.argv[4:]]
images = []
for size in sizes:
    raw = open('%s/%d.bgra' % (parts, size), 'rb').read()
    rows = [raw[y * size * 4:(y + 1) * size * 4] for y in range(size)]
    mask_row = b'\0' * (((size + 31) // 32) * 4)
    header = struct.pack('<IiiHHIIiiII', 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    images.append((size, header + b''.join(reversed(rows)) + mask_row * size))
images.append((256, open(large, 'rb').read()))
directory = struct.pack('<HHH', 0, 1, len(images))
offset = 6 + 16 * len(images)
for size, data in images:
    side = 0 if size >= 256 else size
    directory += struct.pack('<BBBBHHII', side, side, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
open(target, 'wb').write(directory + b''.join(data for _, data in images))
PY
