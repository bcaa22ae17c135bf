#!/usr/bin/env bash
# The Windows executables as Windows reads them before running them: the viewer is a GUI program (no
# console window of its own), steel-archive a console one; both carry the viewer's icon and version
# information naming the product, the version, the company and the file.
# Usage: windowscheck.sh OBJDUMP WINDRES VERSION COMPANY PRODUCT VIEWER.exe ARCHIVE.exe
# SPDX-License-Identifier: GPL-3.0-or-later
set -euo pipefail

objdump=$1 windres=$2 version=$3 company=$4 product=$5 viewer=$6 archive=$7
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# The subsystem field of the PE header, as objdump -p names it ("Windows GUI", "Windows CUI").
subsystem() { "$objdump" -p "$1" | sed -n 's/^Subsystem[[:space:]]\+[0-9a-f]\+[[:space:]]\+(\(.*\))$/\1/p'; }
[ "$(subsystem "$viewer")" = "Windows GUI" ] || fail "steel-viewer.exe is a \"$(subsystem "$viewer")\" program"
[ "$(subsystem "$archive")" = "Windows CUI" ] || fail "steel-archive.exe is a \"$(subsystem "$archive")\" program"

# The resource types at the top of the resource directory: 3 icon, 14 icon group, 16 version.
resourceTypes() {
    "$objdump" -p "$1" | sed -n '/^The .rsrc Resource Directory section/,$p' |
        sed -n 's/^[0-9a-f]\{3\} \{3\}Entry: ID: 0x0*\([0-9a-f]\+\),.*/\1/p' | sort | tr '\n' ' '
}
for exe in "$viewer" "$archive"; do
    name=$(basename "$exe" .exe)
    types=" $(resourceTypes "$exe")"
    for type in 3 e 10; do
        [[ $types == *" $type "* ]] || fail "$name.exe has no resource of type 0x$type (it has:$types)"
    done
    # The strings Explorer's Properties show, as the resource compiler reads them back.
    info=$("$windres" -i "$exe" -J coff -O rc 2>/dev/null | sed -n '/VERSIONINFO/,/^END/p')
    for pair in "ProductName|$product" "ProductVersion|$version" "FileVersion|$version" \
        "CompanyName|$company" "OriginalFilename|$name.exe" "InternalName|$name"; do
        key=${pair%%|*} value=${pair#*|}
        grep -qF "VALUE \"$key\", \"$value\"" <<<"$info" ||
            fail "$name.exe: $key is not \"$value\": $(grep -F "\"$key\"" <<<"$info" || echo missing)"
    done
    grep -q "FILEVERSION ${version//./, }, 0" <<<"$info" || fail "$name.exe: FILEVERSION is not $version"
done
# One icon, the viewer's, in both: the same icon group bytes.
group() { "$windres" -i "$1" -J coff -O rc 2>/dev/null | sed -n '/14 \/\* RT_GROUP_ICON \*\//,/^END/p'; }
[ -n "$(group "$viewer")" ] && [ "$(group "$viewer")" = "$(group "$archive")" ] ||
    fail "steel-archive.exe does not carry the viewer's icon"

# The sizes of the icon's pictures, from the icon group the viewer carries: one for each size Explorer,
# the task bar and the Start menu ask for, none of them scaled down from 256 pixels into a blur.
iconSizes() {
    local res
    res=$(mktemp)
    "$windres" -i "$1" -J coff -O res -o "$res" 2>/dev/null
    python3 - "$res" <<'PY'
import struct, sys
data, at, sizes = open(sys.argv[1], 'rb').read(), 0, []
while at + 8 <= len(data):
    size, header = struct.unpack_from('<II', data, at)
    kind = struct.unpack_from('<HH', data, at + 8)
    if kind[0] == 0xFFFF and kind[1] == 14:  # RT_GROUP_ICON: a directory of 14-byte entries
        body = data[at + header:at + header + size]
        sizes += [body[6 + 14 * k] or 256 for k in range(struct.unpack_from('<H', body, 4)[0])]
    at = (at + header + size + 3) & ~3
print(' '.join(str(s) for s in sorted(sizes)))
PY
    rm -f "$res"
}
sizes=$(iconSizes "$viewer")
[ "$sizes" = "16 24 32 48 64 256" ] || fail "steel-viewer.exe's icon has pictures of $sizes pixels, not 16 24 32 48 64 256"

[ "$failures" -eq 0 ] || exit 1
echo "steel-viewer.exe and steel-archive.exe: subsystems, icon (16 to 256 pixels) and version information as expected"
