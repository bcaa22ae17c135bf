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
# ImageMagick's own ICO writer turns the picture into a palette image, so the file is put together
# here: a one-entry icon directory (256 by 256, 32 bits per pixel) followed by the PNG.
python3 - "$ICONS/256x256/steel-viewer.png" "$OUT/steel-viewer.ico" <<'PY'
import struct, sys
png = open(sys.argv[1], 'rb').read()
header = struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', 0, 0, 0, 0, 1, 32, len(png), 22)
open(sys.argv[2], 'wb').write(header + png)
PY
