# Shared by the project's scripts: installs what is missing and builds. Sourced, not run.
# SPDX-License-Identifier: GPL-3.0-or-later

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Packages every build and test needs, from Debian's own archive.
BASE_PACKAGES=(
    build-essential cmake ninja-build pkg-config
    qtbase5-dev qttools5-dev qttools5-dev-tools libqcustomplot-dev libsqlite3-dev sqlite3 libfast-float-dev libxxhash-dev libpq-dev postgresql
    # Spreadsheet files, and what reads them back in the tests.
    libxlsxwriter-dev unzip libreoffice-calc-nogui
    fonts-open-sans fonts-liberation fontconfig tzdata
    xvfb xauth imagemagick poppler-utils
    help2man dpkg-dev file bash-completion man-db desktop-file-utils appstream lintian
)

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
