// SPDX-License-Identifier: GPL-3.0-or-later
#include "clitestsupport.h"

#include "cli/commands.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTextStream>

CommandResult runTool(const QStringList &arguments)
{
    CommandResult result;
    QTextStream out(&result.out);
    QTextStream err(&result.err);
    result.exitCode = cli::runCommand(arguments, out, err);
    out.flush();
    err.flush();
    return result;
}

namespace {
// Made absolute before any test changes the working directory: on Windows a path from the build
// machine ("/work/...") names a folder on the current drive, which a test's temporary folder changes.
const QString program = QFileInfo(QStringLiteral(STEEL_ARCHIVE_PROGRAM)).absoluteFilePath();
} // namespace

QString steelArchiveProgram()
{
    return program;
}

CommandResult runProgram(const QStringList &arguments, const QStringList &environment)
{
    QProcess process;
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    for (const QString &entry : environment) {
        const int equals = entry.indexOf(QLatin1Char('='));
        const QString name = entry.left(equals);
        const QString value = entry.mid(equals + 1);
        if (value.isEmpty())
            variables.remove(name);
        else
            variables.insert(name, value);
    }
    process.setProcessEnvironment(variables);
    process.start(steelArchiveProgram(), arguments);
    CommandResult result;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

QString writeFile(const QString &directory, const QString &fileName, const QByteArray &content,
                  const QDateTime &modified)
{
    const QString path = directory + QLatin1Char('/') + fileName;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size() ||
        !file.flush() || !file.setFileTime(modified, QFileDevice::FileModificationTime))
        qFatal("cannot write the test file %s", qPrintable(path));
    return path;
}

QStringList ramp(int count, double start, double step)
{
    QStringList samples;
    for (int i = 0; i < count; ++i)
        samples.append(QString::number(start + step * i, 'g', 10));
    return samples;
}

static QByteArray valuesJson(const QStringList &samples)
{
    QByteArray text = "{\"values\":[";
    for (int i = 0; i < samples.size(); ++i)
        text += (i ? ",\"" : "\"") + samples[i].toUtf8() + '"';
    return text + "]}";
}

QByteArray measurementDocument(const QStringList &emf, const QStringList &temperature,
                               const QByteArray &resultKeys)
{
    QByteArray document = "{\"Archives\":[" + valuesJson(emf) + ',' + valuesJson(temperature) + ']';
    if (!resultKeys.isEmpty())
        document += ',' + resultKeys;
    return document + "}\n";
}

QByteArray goodResults(const QByteArray &status)
{
    return "\"Smelt\":\"41521\",\"Temp\":\"1569\",\"Eds\":\"150.9\",\"OxActivity\":\"18.7\","
           "\"MassAl\":\"13\",\"Carbon\":\"0.329\",\"Status\":\"" +
           status + '"';
}

QByteArray goodMeasurement()
{
    return measurementDocument(ramp(160, 0.5, 1.25), ramp(160, 400.0, 7.5), goodResults());
}
