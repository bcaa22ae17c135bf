// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Measurement documents and whole archives of them, as the plant writes them or changed on purpose.
namespace support {

// Samples "start", "start + step", ... as strings in C notation.
QStringList ramp(int count, double start, double step);

// A one-line measurement document: the two curves, then `resultKeys` (already JSON, without braces).
QByteArray measurementDocument(const QStringList &emf, const QStringList &temperature,
                               const QByteArray &resultKeys);

// Ordinary good results with the given "Status" text.
QByteArray goodResults(const QByteArray &status = "8");

// A complete ordinary measurement: 160 samples each, good results.
QByteArray goodMeasurement();

// The ordinary measurement above with its melt number, temperature, status and EMF in place of its
// own: what tells the files of an archive apart, with nothing else for check to find.
QByteArray measurementWithMelt(const QByteArray &melt, const QByteArray &temp = "1569",
                               const QByteArray &status = "8", const QByteArray &emf = "150.9");

// A measurement file's first line with the results before the curves; `smelt` tells files apart.
QByteArray measurementLine(const QString &smelt, const QString &status = QStringLiteral("8"));

// The `i`-th measurement of a plant-like archive: about 3 KB, its curves and results varying with
// `i`, the status among the common ones.
QByteArray plantMeasurement(int i);

// 2017-01-01 00:00 UTC: the first moment of a plant-like archive.
constexpr qint64 plantArchiveStart = 1483228800;
// The technologies of a plant-like archive, in turn.
inline const char *const plantTechnologies[] = {"K1", "K2", "AL", "DS", "OX"};
constexpr int plantTechnologyCount = 5;

// The name of the `i`-th file of a plant-like archive whose measurements are `stepSeconds` apart.
QString plantFileName(int i, qint64 stepSeconds);

// Fills `directory` (made if missing) with `count` plant-like measurements, `stepSeconds` apart from
// 2017 on, each modified seven seconds after the moment in its name; with `empty`, the files hold
// nothing. False on any failure.
bool writePlantArchive(const QString &directory, int count, qint64 stepSeconds, bool empty = false);

// The small archive the search and its outputs are tried on: six files in `directory` of two
// technologies (one also in lower case) and a name without a moment, their melts, temperatures,
// EMFs and statuses chosen to be told apart (a missing status and one that is not a number among them).
void writeSearchArchive(const QString &directory);

} // namespace support
