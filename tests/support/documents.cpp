// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/documents.h"

#include "support/files.h"

#include <QDateTime>
#include <QDir>

#include <cmath>

namespace support {

namespace {

QByteArray valuesJson(const QStringList &samples)
{
    QByteArray text = "{\"values\":[";
    for (int i = 0; i < samples.size(); ++i)
        text += (i ? ",\"" : "\"") + samples[i].toUtf8() + '"';
    return text + "]}";
}

} // namespace

QStringList ramp(int count, double start, double step)
{
    QStringList samples;
    for (int i = 0; i < count; ++i)
        samples.append(QString::number(start + step * i, 'g', 10));
    return samples;
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

QByteArray measurementWithMelt(const QByteArray &melt, const QByteArray &temp, const QByteArray &status,
                               const QByteArray &emf)
{
    return measurementDocument(ramp(160, 0.5, 1.25), ramp(160, 400.0, 7.5),
                               "\"Smelt\":\"" + melt + "\",\"Temp\":\"" + temp + "\",\"Eds\":\"" + emf +
                                   "\",\"OxActivity\":\"18.7\",\"MassAl\":\"13\",\"Carbon\":\"0.329\","
                                   "\"Status\":\"" +
                                   status + '"');
}

QByteArray measurementLine(const QString &smelt, const QString &status)
{
    QByteArray values;
    for (int i = 0; i < 160; ++i)
        values += (i ? "," : "") + QByteArray("\"") + QByteArray::number(1500 + i) + "\"";
    return QByteArrayLiteral("{\"Smelt\":\"") + smelt.toUtf8() +
           QByteArrayLiteral("\",\"Temp\":\"1563.40\",\"Eds\":\"-112.5\",\"OxActivity\":\"12.3\","
                             "\"MassAl\":\"45\",\"Carbon\":\"0.045\",\"Status\":\"") +
           status.toUtf8() + QByteArrayLiteral("\",\"Archives\":[{\"values\":[\"1\",\"2\"]},{\"values\":[") +
           values + QByteArrayLiteral("]}]}\n");
}

QByteArray plantMeasurement(int i)
{
    QByteArray emf;
    QByteArray temperature;
    for (int s = 0; s < 160; ++s) {
        const double t = s * 0.1;
        emf += (s ? ",\"" : "\"") +
               QByteArray::number(150.0 + 20.0 * std::sin(t + i) - 40.0 / (1 + t), 'f', 3) + '"';
        temperature += (s ? ",\"" : "\"") +
                       QByteArray::number(1560.0 + (i % 90) - 1200.0 / (1.0 + 2.0 * t * t), 'f', 3) + '"';
    }
    const char *statuses[] = {"8", "8", "8", "7", "5", "12", "3", "8"};
    return "{\"Archives\":[{\"values\":[" + emf + "]},{\"values\":[" + temperature + "]}],\"Smelt\":\"" +
           QByteArray::number(40000 + i) + "\",\"Temp\":\"" + QByteArray::number(1550 + i % 120) +
           "\",\"Eds\":\"" + QByteArray::number(120 + i % 60) + ".5\",\"OxActivity\":\"" +
           QByteArray::number(10 + i % 30) + "\",\"MassAl\":\"0." + QByteArray::number(100 + i % 800) +
           "\",\"Carbon\":\"0.0" + QByteArray::number(i % 90) + "\",\"Status\":\"" + statuses[i % 8] +
           "\"}\n";
}

QString plantFileName(int i, qint64 stepSeconds)
{
    const QDateTime moment =
        QDateTime::fromSecsSinceEpoch(plantArchiveStart + qint64(i) * stepSeconds, Qt::UTC);
    const QDate date = moment.date();
    const QTime time = moment.time();
    // Digits in C notation whatever the locale.
    return QString::asprintf("steel_%s-%04d_%02d_%02d-%02d_%02d_%02d.json",
                             plantTechnologies[i % plantTechnologyCount], date.year(), date.month(),
                             date.day(), time.hour(), time.minute(), time.second());
}

bool writePlantArchive(const QString &directory, int count, qint64 stepSeconds, bool empty)
{
    if (!QDir().mkpath(directory))
        return false;
    for (int i = 0; i < count; ++i) {
        const qint64 seconds = plantArchiveStart + qint64(i) * stepSeconds;
        if (!writeStampedFile(directory + QLatin1Char('/') + plantFileName(i, stepSeconds),
                              empty ? QByteArray() : plantMeasurement(i), seconds + 7))
            return false;
    }
    return true;
}

void writeSearchArchive(const QString &directory)
{
    const auto results = [](const char *smelt, const char *temp, const char *eds, const char *status) {
        QByteArray keys =
            QByteArray("\"Smelt\":\"") + smelt + "\",\"Temp\":\"" + temp + "\",\"Eds\":\"" + eds + '"';
        if (status)
            keys += QByteArray(",\"Status\":\"") + status + '"';
        return measurementDocument(ramp(160, 0, 1), ramp(160, 500, 5), keys);
    };
    writeFile(directory, QStringLiteral("steel_K1-2024_01_10-08_00_00.json"),
              results("A-100", "1600", "150.5", "8"));
    writeFile(directory, QStringLiteral("steel_K1-2024_01_11-09_00_00.json"),
              results("a-101", "nan", "32767", "10"));
    writeFile(directory, QStringLiteral("steel_k1-2024_01_12-10_00_00.json"),
              results("B-200", "1650.5", "-20", "7"));
    writeFile(directory, QStringLiteral("steel_UKP-2024_01_12-23_59_59.json"),
              results("B-201", "1700x", "200", nullptr));
    writeFile(directory, QStringLiteral("steel_UKP-2024_02_01-00_00_00.json"),
              results("C-300", "1580", "180", "abc"));
    writeFile(directory, QStringLiteral("steel_x.json"), results("A-999", "1600", "1", "8"));
}

} // namespace support
