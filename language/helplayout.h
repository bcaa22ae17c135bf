// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace language {

// The width of every line of help: a terminal's 80 columns.
constexpr int helpColumns = 80;

// A help text laid out within `columns` characters a line, in whatever language it is written: a
// paragraph (lines at the left margin, up to one that ends a sentence) with a longer line is filled
// anew; an indented entry ("  --to
// DATE   the moment ...") with a longer line is filled anew under its description's column. Blocks
// within the width, blank lines and headings (a line ending in ':' over a list) stay as they are; a
// word longer than a line stands alone.
QString fitToColumns(const QString &text, int columns = helpColumns);

// The headings every help text of both programs uses, in the reader's language: Qt's command-line
// parser writes them for steel-archive's commands, and the viewer's help takes the same words.
// "Usage: <program> [options] <arguments>"
QString usageLine(const QString &program, const QString &arguments);
// "Options:" and "Arguments:", over their lists.
QString optionsHeading();
QString argumentsHeading();

} // namespace language
