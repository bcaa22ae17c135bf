// SPDX-License-Identifier: GPL-3.0-or-later
#include "synctestsupport.h"

#include "archive/measurementindex.h"
#include "database/binarycopy.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSysInfo>

#include <algorithm>

namespace synctest {

namespace {

QString storable(const QString &text)
{
    bool replaced = false;
    return QString::fromUtf8(database::storableUtf8(text, &replaced));
}

QString canonical(const QJsonArray &fields)
{
    return QString::fromUtf8(QJsonDocument(fields).toJson(QJsonDocument::Compact));
}

} // namespace

CommandResult sync(const TestServer &server, const QString &database, const QString &directory,
                   const QStringList &arguments, const QStringList &environment)
{
    return runProgram(QStringList{QStringLiteral("sync"), directory, QStringLiteral("--to"),
                                  server.conninfo(database), QStringLiteral("--settle-ms=0")} +
                          arguments,
                      environment);
}

QStringList findAnswer(const QString &directory)
{
    const CommandResult found = runProgram(
        {QStringLiteral("find"), directory, QStringLiteral("--json"), QStringLiteral("--no-index")});
    QStringList lines;
    const QJsonArray matches = QJsonDocument::fromJson(found.out.toUtf8()).array();
    for (const QJsonValue &match : matches) {
        const QJsonObject m = match.toObject();
        QJsonArray fields;
        for (const char *key : {"file", "moment", "technology", "smelt", "temperature", "emf", "status"})
            fields.append(storable(m.value(QLatin1String(key)).toString()));
        fields.append(m.value(QStringLiteral("statusCode")));
        lines.append(canonical(fields));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

QStringList databaseAnswer(const TestServer &server, const QString &database, const QString &directory,
                           const QString &schema)
{
    const std::unique_ptr<database::Connection> connection = server.connect(database);
    if (!connection)
        return {QStringLiteral("no connection")};
    const database::Result rows = connection->exec(
        "SELECT json_build_array(file, moment, technology, smelt, temperature, emf, status, \"statusCode\") "
        "FROM " +
            connection->identifier(schema) + ".found WHERE host = $1 AND path = $2",
        {database::textParameter(QSysInfo::machineHostName()),
         database::textParameter(archive::MeasurementIndex::archiveKey(directory))});
    if (!rows.ok())
        return {rows.error()};
    QStringList lines;
    for (int r = 0; r < rows.rows(); ++r)
        lines.append(canonical(QJsonDocument::fromJson(rows.bytes(r, 0)).array()));
    std::sort(lines.begin(), lines.end());
    return lines;
}

QString queryText(const TestServer &server, const QString &database, const QByteArray &statement,
                  const QVector<database::Parameter> &parameters)
{
    const std::unique_ptr<database::Connection> connection = server.connect(database);
    if (!connection)
        return QStringLiteral("no connection");
    const database::Result result =
        parameters.isEmpty() ? connection->exec(statement) : connection->exec(statement, parameters);
    if (!result.ok())
        return result.error();
    if (result.rows() == 0)
        return QStringLiteral("no row");
    return result.isNull(0, 0) ? QStringLiteral("NULL") : result.text(0, 0);
}

QByteArray melt(int i, const QByteArray &mark)
{
    return support::measurementWithMelt(QByteArray::number(41000 + i) + mark, "1600", "8", "nan");
}

QByteArray measurementWith(const QByteArray &results)
{
    return measurementDocument(ramp(160, 20, 0.5), ramp(160, 1400, 2), results);
}

QString summaryLine(const QString &directory, int added, int changed, int removed, int failed, int unchanged)
{
    return QStringLiteral("%1: added %2, changed %3, removed %4, failed %5, unchanged %6\n")
        .arg(directory)
        .arg(added)
        .arg(changed)
        .arg(removed)
        .arg(failed)
        .arg(unchanged);
}

} // namespace synctest
