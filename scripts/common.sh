# Shared by the project's scripts: installs what is missing and builds. Sourced, not run.
# SPDX-License-Identifier: GPL-3.0-or-later

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# What a new machine of this kind has besides Debian's minimal base (debootstrap --variant=minbase):
# scripts/fresh-check makes such a root, and scripts/packages counts these as present.
FRESH_MACHINE_PACKAGES=git,ca-certificates,sudo,build-essential,cmake,python3

# Packages every build and test needs, from Debian's own archive: the one list. scripts/packages derives
# from a finished build what it really compiled, linked and ran against, and fails when a package it
# used is missing here (zlib1g-dev, for one, is named by libxlsxwriter's link line but brought by nothing).
BASE_PACKAGES=(
    build-essential cmake ninja-build pkg-config
    qtbase5-dev qttools5-dev qttools5-dev-tools libqcustomplot-dev libsqlite3-dev sqlite3 libfast-float-dev libxxhash-dev libpq-dev postgresql
    # Spreadsheet files, and what reads them back in the tests.
    # libxlsxwriter's link line names zlib, and Debian's libxlsxwriter-dev does not bring its headers.
    libxlsxwriter-dev zlib1g-dev unzip libreoffice-calc-nogui
    fonts-open-sans fonts-liberation fontconfig tzdata qttranslations5-l10n
    xvfb xauth imagemagick poppler-utils xdotool
    help2man dpkg-dev file bash-completion man-db desktop-file-utils appstream lintian
)

# debian_sources: the machine's own Debian 12 sources (bookworm, its updates and security), one
# "URI SUITE COMPONENTS" line each, read from its apt configuration in either form (one-line or deb822).
# Other vendors' sources are left out: a fresh root has none of their keys.
debian_sources() {
    awk '
        function emit(uri, suite, comps) {
            if (suite ~ /^bookworm(-updates|-security|\/updates)?$/ && !seen[uri " " suite]++)
                print uri, suite, comps
        }
        FNR == 1 { t = ""; u = ""; s = ""; c = "" }
        /^deb[ \t]/ {
            i = 2; if ($i ~ /^\[/) while ($i !~ /\]$/) i++
            if ($i ~ /^\[/ || $i ~ /\]$/) i++
            comps = ""; for (j = i + 2; j <= NF; j++) comps = comps (comps ? " " : "") $j
            emit($i, $(i + 1), comps); next
        }
        /^Types:/ { t = $0 } /^URIs:/ { u = $2 } /^Suites:/ { s = $0 } /^Components:/ { c = $0 }
        /^[ \t]*$/ { flush() }
        END { flush() }
        function flush(   n, k, parts, comps) {
            if (t ~ /(^|[ \t])deb([ \t]|$)/ && u != "" && s != "") {
                sub(/^Components:[ \t]*/, "", c); comps = c
                n = split(s, parts, /[ \t]+/)
                for (k = 2; k <= n; k++) emit(u, parts[k], comps)
            }
            t = ""; u = ""; s = ""; c = ""
        }
    ' $(ls /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null) </dev/null || true
}

# debian_mirror: the machine's Debian mirror for bookworm (not its security archive).
debian_mirror() {
    local uri
    uri=$(debian_sources | awk '$2 == "bookworm" { print $1; exit }')
    echo "${uri:-http://deb.debian.org/debian}"
}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# ensure_packages PKG...: installs the packages that are not installed yet; quick when none are missing.
ensure_packages() {
    local missing=() p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    if [ "${#missing[@]}" -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

jobs() { nproc 2>/dev/null || echo 2; }

# configure_and_build DIR [CMAKE ARGS...] [-- TARGETS...]
configure_and_build() {
    local dir="$1"; shift
    local args=() targets=()
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do args+=("$1"); shift; done
    [ "${1:-}" = "--" ] && shift
    targets=("$@")
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S "$ROOT" -B "$dir" -G Ninja "${args[@]}"
    else
        cmake "$dir" "${args[@]}" >/dev/null
    fi
    if [ "${#targets[@]}" -gt 0 ]; then
        cmake --build "$dir" -j "$(jobs)" --target "${targets[@]}"
    else
        cmake --build "$dir" -j "$(jobs)"
    fi
}
