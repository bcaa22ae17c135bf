#!/bin/sh
# Writes the man page of steel-archive, gzipped, from the program's own help texts, so that the page
# never drifts from the program: help2man turns "steel-archive --help" into the page, and each command
# named in its "Commands:" list gets a subsection of COMMANDS made from "steel-archive <command> --help".
# A new command therefore appears without an edit here.
# Usage: make-manpage.sh STEEL_ARCHIVE OUTPUT.1.gz RELEASE_DATE (yyyy-mm-dd)
# SPDX-License-Identifier: GPL-3.0-or-later
set -eu

program=$1
output=$2
# The page carries the release's date, not the day it was built (help2man reads SOURCE_DATE_EPOCH).
SOURCE_DATE_EPOCH=$(date -u -d "$3" +%s)
export SOURCE_DATE_EPOCH
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The help texts are UTF-8 (Cyrillic verdicts, the degree sign) whatever the build machine's locale,
# and in English, whose headings ("Commands:", "Options:") help2man and this script look for.
export LC_ALL=C.UTF-8
h2m() {
    help2man --locale=C.UTF-8 --no-info "$@" "$program"
}

# The first word of each entry of the "Commands:" list, which ends at the first blank line.
commands=$("$program" --help | sed -n '/^Commands:$/,/^$/s/^  \([a-z][a-z0-9-]*\) .*/\1/p')
if [ -z "$commands" ]; then
    echo "make-manpage.sh: no commands in \"$program --help\"" >&2
    exit 1
fi

# help2man's page of one command, its synopsis and description and options as one subsection.
{
    echo '[COMMANDS]'
    for command in $commands; do
        h2m --version-string=- --name=- --help-option="$command --help" | awk -v command="$command" '
            /^\.SH SYNOPSIS/ { print ".SS " command; body = 1; next }
            /^\.SH DESCRIPTION/ { print ".PP"; next }
            /^\.SH OPTIONS/ { print ".PP"; print ".B Options:"; next }
            /^\.SH / { body = 0; next }
            # The status table gets one line per code, without the blank line between list entries.
            /^\.SS / {
                print ".PP"; sub(/^\.SS/, ".B"); print
                if ($0 ~ /^\.B "Status codes/) { print ".PD 0"; table = 1 }
                next
            }
            table && /^\.(PP|SH|SS)/ { print ".PD"; table = 0 }
            body { print }'
    done
    printf '[SEE ALSO]\n.BR steel\\-viewer (1)\n'
} >"$work/commands.h2m"

h2m --name="command-line companion of the Velmora-Steel archive viewer" \
    --include="$work/commands.h2m" --output="$work/steel-archive.1"

# The page in plain ASCII, so that it reads the same whatever encoding man assumes: every other
# character as troff's \[uXXXX]. Where the output device has no Cyrillic (man in a locale that is not
# UTF-8 writes ASCII), each Cyrillic letter falls back to its Latin transliteration instead of
# vanishing; a device that has the letter draws it.
perl -CSD -e '
    my @latin = ("A", "B", "V", "G", "D", "E", "Zh", "Z", "I", "J", "K", "L", "M", "N", "O", "P", "R",
                 "S", "T", "U", "F", "Kh", "C", "Ch", "Sh", "Shch", "", "Y", "", "E", "Ju", "Ja");
    my $fallbacks = "";
    for my $i (0 .. $#latin) {
        $fallbacks .= sprintf(".fchar \\[u%04X] %s\n", 0x410 + $i, $latin[$i]);
        $fallbacks .= sprintf(".fchar \\[u%04X] %s\n", 0x430 + $i, lc $latin[$i]);
    }
    $fallbacks .= ".fchar \\[u0401] E\n.fchar \\[u0451] e\n";
    while (my $line = <STDIN>) {
        $line =~ s/([^\x00-\x7f])/sprintf("\\[u%04X]", ord $1)/ge;
        print $line;
        print $fallbacks if $line =~ /^\.TH /;
    }' <"$work/steel-archive.1" >"$work/steel-archive.ascii.1"
gzip -9n <"$work/steel-archive.ascii.1" >"$output"
