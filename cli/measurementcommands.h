// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "csvoptions.h"

#include "measurement/measurementdigest.h"

#include <QString>
#include <QVector>

#include <optional>

class QCommandLineOption;
class QCommandLineParser;
class QTextStream;

namespace cli {

using measurement::CurveSummary;
using measurement::summarizeCurve;

// The status field's text: the verdict, or empty when the file has no "Status".

// Reads a file for a command that shows one measurement. A file that cannot be opened, or whose
// first line is not a JSON object, is reported on `err` (one line naming the file and the reason)
// and gives std::nullopt.
std::optional<measurement::Measurement> readShownMeasurement(const QString &command, const QString &path,
                                                             QTextStream &err);

// Why a document that did not parse and has more lines was not read: those lines may be its rest.
QString notOneLineText();

// Why a file that was read is no measurement, for one whose document did not parse.
QString unparsedReason(const measurement::ReadFindings &findings);

// The exit codes of the commands that read one measurement file.
QString fileCommandExitCodes();

} // namespace cli
