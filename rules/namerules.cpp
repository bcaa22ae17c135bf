// SPDX-License-Identifier: GPL-3.0-or-later
#include "namerules.h"

#include "archive/archivename.h"
#include "archive/displayname.h"

#include <QCoreApplication>
#include <QTextCodec>

namespace rules {

namespace {

const QString prefix = QStringLiteral("steel_");
const QString suffix = QStringLiteral(".json");

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

// The name is archiveFileName(technology, moment) exactly; compared piece by piece rather than built,
// since check asks it of every file.
bool followsGrammar(const QString &fileName, const QString &technology, const archive::Moment &moment)
{
    constexpr int momentLength = 19;
    const QStringView name(fileName);
    const int momentAt = prefix.size() + technology.size() + 1;
    return moment.isValid() && name.size() == momentAt + momentLength + suffix.size() &&
           name.startsWith(prefix) && name.mid(prefix.size(), technology.size()) == technology &&
           name.at(momentAt - 1) == u'-' && name.endsWith(suffix) &&
           name.mid(momentAt, momentLength) == archive::nameMomentText(moment);
}

bool followsGrammar(const QString &fileName)
{
    return followsGrammar(fileName, archive::technologyOfFile(fileName), archive::momentOfFile(fileName));
}

QString nameProblem(const QString &fileName)
{
    if (followsGrammar(fileName))
        return QString();
    const QString base = archive::baseNameOf(fileName);
    const archive::Moment moment = archive::momentOfFile(fileName);
    constexpr int momentLength = 19;
    const QString grammar = QStringLiteral("steel_<technology>-yyyy_MM_dd-hh_mm_ss.json");
    if (!fileName.startsWith(prefix) || !fileName.endsWith(suffix))
        return QCoreApplication::translate("rules",
                                           "the name does not follow %1 in lower case: the viewer lists "
                                           "it but opens a differently written name")
            .arg(grammar);
    if (base + suffix != fileName)
        return QCoreApplication::translate("rules",
                                           "the name does not follow %1: the viewer cuts the name at the "
                                           "first \".\" and reads only %2")
            .arg(grammar, quoted(base));
    if (!moment.isValid())
        return QCoreApplication::translate("rules",
                                           "the name does not follow %1: %2 is not a real date and time, "
                                           "so the viewer lists an empty entry")
            .arg(grammar, quoted(base.right(momentLength)));
    if (base.size() < prefix.size() + momentLength + 1 || base.at(base.size() - momentLength - 1) != u'-')
        return QCoreApplication::translate(
                   "rules", "the name does not follow %1: no \"-\" between the technology and the moment")
            .arg(grammar);
    const QString written = base.mid(prefix.size(), base.size() - prefix.size() - momentLength - 1);
    return QCoreApplication::translate("rules",
                                       "the name does not follow %1: the technology %2 is read as %3, "
                                       "whose lists do not lead to this file")
        .arg(grammar, quoted(written), quoted(archive::technologyOfFile(fileName)));
}

// A reason quotes names and texts from the files: their control characters are escaped as a name's
// are, so that a finding stays one line and cannot steer the terminal.
QString oneLine(const QString &reason)
{
    QString line;
    line.reserve(reason.size());
    for (const QChar c : reason) {
        if (archive::isControl(c.unicode()))
            line += archive::displayName(QString(c));
        else
            line += c;
    }
    return line;
}

// The viewer lists a folder through QDir, which leaves out every entry whose name the file-name
// encoding cannot decode.
QString undecodableNameProblem()
{
    return QCoreApplication::translate("rules",
                                       "the name is not valid %1 (the file-name encoding; shown with its "
                                       "invalid bytes escaped): the viewer leaves the file out of its "
                                       "lists, so its measurement cannot be opened there")
        .arg(QString::fromLatin1(QTextCodec::codecForLocale()->name()));
}
} // namespace rules
