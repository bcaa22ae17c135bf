// SPDX-License-Identifier: GPL-3.0-or-later
#include "keptmatches.h"

#include "measurement/statustable.h"

#include <QTime>

#include <algorithm>
#include <cstring>

namespace query {

void KeptMatches::add(const FoundMeasurement &f)
{
    Match match;
    match.valid = f.moment.isValid();
    match.moment = match.valid ? f.moment.date.toJulianDay() * 86400 + QTime(0, 0).secsTo(f.moment.time) : 0;
    match.offset = arena.size();
    const measurement::MeasurementDigest &m = f.digest;
    for (const std::optional<QString> &text : {std::optional<QString>(f.fileName), m.smelt, m.temperatureText,
                                               m.emfText, m.oxidation, m.aluminiumMass, m.carbon}) {
        const QByteArray bytes = text ? text->toUtf8() : QByteArray();
        appendNumber(text ? bytes.size() : -1);
        arena += bytes;
    }
    appendNumber(m.statusCode ? 1 : 0);
    appendNumber(m.statusCode.value_or(0));
    appendNumber(f.encodedName.size());
    arena += f.encodedName;
    matches.push_back(match);
}
void KeptMatches::visit(const std::function<void(const FoundMeasurement &)> &use)
{
    std::stable_sort(matches.begin(), matches.end(), [](const Match &a, const Match &b) {
        if (a.valid != b.valid)
            return a.valid;
        return a.moment > b.moment;
    });
    for (const Match &match : matches)
        use(restore(match));
}
void KeptMatches::appendNumber(qint32 number)
{
    arena.append(reinterpret_cast<const char *>(&number), sizeof number);
}

FoundMeasurement KeptMatches::restore(const Match &match) const
{
    int at = match.offset;
    const auto number = [&]() {
        qint32 value;
        std::memcpy(&value, arena.constData() + at, sizeof value);
        at += int(sizeof value);
        return value;
    };
    const auto text = [&]() -> std::optional<QString> {
        const qint32 length = number();
        if (length < 0)
            return std::nullopt;
        at += length;
        return QString::fromUtf8(arena.constData() + at - length, length);
    };
    FoundMeasurement f;
    f.fileName = *text();
    f.technology = archive::technologyOfFile(f.fileName);
    f.moment = archive::momentOfFile(f.fileName);
    measurement::MeasurementDigest &m = f.digest;
    for (std::optional<QString> *result :
         {&m.smelt, &m.temperatureText, &m.emfText, &m.oxidation, &m.aluminiumMass, &m.carbon})
        *result = text();
    const bool hasStatus = number() != 0;
    const qint32 code = number();
    if (hasStatus) {
        m.statusCode = code;
        m.status = measurement::statusText(code);
    }
    const qint32 encodedLength = number();
    f.encodedName = QByteArray(arena.constData() + at, encodedLength);
    return f;
}
} // namespace query
