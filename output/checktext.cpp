// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/checktext.h"

#include "archive/archivename.h"
#include "rules/namerules.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QStringList>
#include <QTextStream>

namespace output {

void writeCheckReport(QTextStream &out, const rules::CheckReport &report)
{
    QStringList concerned;
    for (const rules::Finding &finding : report.findings) {
        // A name no text can hold is already escaped.
        const QString shown = finding.shownName();
        out << shown << ": " << rules::oneLine(finding.reason) << '\n';
        if (concerned.isEmpty() || concerned.constLast() != shown)
            concerned.append(shown);
    }
    if (report.findings.isEmpty())
        out << QCoreApplication::translate("output", "checked %1 files: nothing found")
                   .arg(report.filesChecked)
            << '\n';
    else
        out << QCoreApplication::translate("output", "checked %1 files: %2 findings in %3 files")
                   .arg(report.filesChecked)
                   .arg(report.findings.size())
                   .arg(concerned.size())
            << '\n';
}

QString noFilesCheckedText(const QString &nothing)
{
    return QCoreApplication::translate("output", "checked 0 files: %1").arg(nothing);
}

void writeFileTimes(QTextStream &out, const QVector<QPair<QString, qint64>> &disagreeing, int datedFiles)
{
    for (const auto &[fileName, modifiedMsecs] : disagreeing) {
        const archive::Moment named = archive::momentOfFile(fileName);
        const QDateTime modified = QDateTime::fromMSecsSinceEpoch(modifiedMsecs, Qt::LocalTime);
        out << QCoreApplication::translate("output", "%1: named %2, modified %3")
                   .arg(fileName, archive::momentDisplayText(named.date, named.time),
                        archive::momentDisplayText(modified.date(), modified.time()))
            << '\n';
    }
    out << QCoreApplication::translate(
               "output",
               "checked %1 dated files: %2 modified more than a day away from the moment in their names")
               .arg(datedFiles)
               .arg(disagreeing.size())
        << '\n';
}

} // namespace output
