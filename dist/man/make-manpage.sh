#!/bin/sh
# Writes the man page of steel-archive, gzipped, from the program's own help texts, so that the page
# never drifts from the program: help2man turns "steel-archive --help" into the page, and each command
# named in its "Commands:" list gets a subsection of COMMANDS made from "steel-archive <command> --help".
# A new command therefore appears without an edit here.
# Usage: make-manpage.sh STEEL_ARCHIVE OUTPUT.1.gz
# SPDX-License-Identifier: GPL-3.0-or-later
set -eu

program=$1
output=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The help texts are UTF-8 (Cyrillic verdicts, the degree sign) whatever the build machine's locale.
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
            /^\.SS / { print ".PP"; sub(/^\.SS/, ".B"); print; next }
            body { print }'
    done
    printf '[SEE ALSO]\n.BR steel\\-viewer (1)\n'
} >"$work/commands.h2m"

h2m --name="command-line companion of the Velmora-Steel archive viewer" \
    --include="$work/commands.h2m" --output="$work/steel-archive.1"
gzip -9n <"$work/steel-archive.1" >"$output"
