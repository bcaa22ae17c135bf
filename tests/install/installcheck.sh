#!/usr/bin/env bash
# Installs the build into a temporary prefix with "cmake --install" and checks the installed tree as a
# user meets it: the files are there, the viewer started from an empty folder draws its images, the
# version is the project's, the man page and the completion know every command, and the desktop entry
# and AppStream metadata pass their validators (where those are installed), and the Debian package
# passes lintian without an error or a warning (where lintian is installed).
# Usage: installcheck.sh BUILD VERSION BINDIR DATADIR COMPLETIONSDIR SHAREDIR APPID MANPAGE...
# SPDX-License-Identifier: GPL-3.0-or-later
set -euo pipefail

build=$1 version=$2 bindir=$3 datadir=$4 completionsdir=$5 sharedir=$6 appid=$7
shift 7
manpages=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

cmake --install "$build" --prefix "$prefix" >/dev/null
archive="$prefix/$bindir/steel-archive"

# Files present.
for file in "$bindir/steel-viewer" "$bindir/steel-archive" \
    "$datadir/icon.bmp" "$datadir/refresh-32.png" "$datadir/unnamed.png" \
    "$completionsdir/steel-archive" \
    "$sharedir/applications/$appid.desktop" "$sharedir/metainfo/$appid.metainfo.xml" \
    "$sharedir/icons/hicolor/32x32/apps/steel-viewer.png" "$sharedir/icons/hicolor/256x256/apps/steel-viewer.png" \
    "$sharedir/doc/steel-viewer/LICENSE" "$sharedir/doc/steel-viewer/copyright" \
    "$sharedir/doc/steel-viewer/changelog.Debian.gz" "${manpages[@]}"; do
    [ -s "$prefix/$file" ] || fail "not installed: $file"
done

# The viewer, started from an empty folder, draws all three images from the installed copies.
empty="$work/empty"
mkdir "$empty"
report=$(cd "$empty" && QT_QPA_PLATFORM=offscreen "$prefix/$bindir/steel-viewer" --report-images 2>/dev/null) ||
    fail "the viewer in an empty folder reports blank images: $report"
for image in icon.bmp refresh-32.png unnamed.png; do
    grep -qx "$image $prefix/$datadir/$image drawn" <<<"$report" ||
        fail "the viewer does not draw the installed $image: $report"
done
# An image in the working directory still comes first; a file there that is no image counts as missing.
cp "$prefix/$datadir/unnamed.png" "$empty/"
echo "not an image" >"$empty/refresh-32.png"
report=$(cd "$empty" && QT_QPA_PLATFORM=offscreen "$prefix/$bindir/steel-viewer" --report-images 2>/dev/null) || true
grep -qx "unnamed.png $empty/unnamed.png drawn" <<<"$report" ||
    fail "the working directory's unnamed.png does not come first: $report"
grep -qx "refresh-32.png $prefix/$datadir/refresh-32.png drawn" <<<"$report" ||
    fail "a broken refresh-32.png in the working directory leaves the button blank: $report"
rm "$empty/refresh-32.png"

# The version is the project's, under both spellings.
for option in --version -V; do
    printed=$("$archive" "$option") || fail "steel-archive $option fails"
    [ "$printed" = "steel-archive $version" ] || fail "steel-archive $option prints \"$printed\", not $version"
done

commands=$("$archive" --help | sed -n '/^Commands:$/,/^$/s/^  \([a-z][a-z0-9-]*\) .*/\1/p')
[ -n "$commands" ] || fail "no commands in steel-archive --help"

# The man pages render without warnings in a UTF-8 locale and in plain C, where the Cyrillic verdicts
# are transliterated rather than lost; they carry the version, and no path of the machine that built
# them; steel-archive's has a subsection for every command.
for manpage in "${manpages[@]}"; do
    if command -v man >/dev/null; then
        for locale in C.UTF-8 C; do
            warnings=$(LC_ALL=$locale MANWIDTH=80 man --warnings -l "$prefix/$manpage" 2>&1 >/dev/null)
            [ -z "$warnings" ] || fail "man in the locale $locale reports for $manpage: $warnings"
        done
        if [[ $manpage == */steel-archive.1.gz ]]; then
            LC_ALL=C MANWIDTH=80 man -l "$prefix/$manpage" 2>/dev/null | grep -q "OShIBKA" ||
                fail "$manpage loses its Cyrillic without a UTF-8 locale"
        fi
    fi
    # grep reads the whole page: one that stopped at the first match would end zcat with SIGPIPE, which
    # pipefail takes for a failure once the page is longer than zcat's first write.
    zcat "$prefix/$manpage" | grep "^\.TH .*$version" >/dev/null || fail "$manpage does not carry the version $version"
    home=$(zcat "$prefix/$manpage" | grep -oE "(/root|/home/[^/ ]+|${HOME:-/nonexistent})/[^ ]*" | head -1 || true)
    [ -z "$home" ] || fail "$manpage names a path of the machine that built it: $home"
    [[ $manpage == */steel-archive.1.gz ]] || continue
    for command in $commands; do
        zcat "$prefix/$manpage" | grep -x "\.SS $command" >/dev/null || fail "the man page does not describe $command"
    done
done

# Completion, as bash-completion loads it: commands, a command's options, a folder argument.
if [ -f /usr/share/bash-completion/bash_completion ]; then
    complete_words() {
        (cd "$empty" && PATH="$prefix/$bindir:$PATH" bash --norc -c '
            source /usr/share/bash-completion/bash_completion
            source "$1"; shift
            COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
            COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
            _steel_archive steel-archive "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
            printf "%s\n" "${COMPREPLY[@]}" | sort' _ "$prefix/$completionsdir/steel-archive" "$@")
    }
    [ "$(complete_words steel-archive '')" = "$( (printf '%s\n' $commands --help --version) | sort)" ] ||
        fail "completing a command gives: $(complete_words steel-archive '')"
    [ "$(complete_words steel-archive f)" = "find" ] || fail "steel-archive f<TAB> gives: $(complete_words steel-archive f)"
    [ "$(complete_words steel-archive export --o)" = "--output" ] ||
        fail "steel-archive export --o<TAB> gives: $(complete_words steel-archive export --o)"
    # A Russian user's help has Russian headings; the completion reads the English ones all the same.
    [ "$(LC_ALL=ru_RU.UTF-8 complete_words steel-archive f)" = "find" ] ||
        fail "steel-archive f<TAB> in Russian gives: $(LC_ALL=ru_RU.UTF-8 complete_words steel-archive f)"
    [ "$(LC_ALL=ru_RU.UTF-8 complete_words steel-archive export --o)" = "--output" ] ||
        fail "steel-archive export --o<TAB> in Russian gives: $(LC_ALL=ru_RU.UTF-8 complete_words steel-archive export --o)"
    mkdir "$empty/archive"
    [ "$(complete_words steel-archive ls --json '')" = "archive" ] ||
        fail "steel-archive ls --json <TAB> gives: $(complete_words steel-archive ls --json '')"
    [ "$(complete_words steel-archive show '')" = "$(printf 'archive\nunnamed.png')" ] ||
        fail "steel-archive show <TAB> gives: $(complete_words steel-archive show '')"
fi

# The validators Debian's tools apply.
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$prefix/$sharedir/applications/$appid.desktop" || fail "desktop-file-validate"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$prefix/$sharedir/metainfo/$appid.metainfo.xml" >/dev/null ||
        fail "appstreamcli validate: $(appstreamcli validate --no-net "$prefix/$sharedir/metainfo/$appid.metainfo.xml")"
fi

# The Debian package as lintian sees it: no error and no warning (its informational notes aside).
if command -v lintian >/dev/null && command -v cpack >/dev/null; then
    if (cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null); then
        findings=$(lintian --fail-on none "$work"/package/steel-viewer_*.deb 2>/dev/null | grep -E '^[EW]: ' || true)
        [ -z "$findings" ] || fail "lintian: $findings"
    else
        fail "cpack cannot build the Debian package"
    fi
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) of the installed tree failed" >&2
    exit 1
fi
echo "installed tree in order"
