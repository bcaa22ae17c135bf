// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/archivename.h"
#include "measurement/measurementdigest.h"

#include <QString>
#include <QStringView>

#include <optional>

// The conditions a search puts on a measurement, and the texts they are read from.
namespace query {

// A number typed in an option, with a decimal point or a decimal comma ("2.5", "2,5"), spaces around
// it ignored; std::nullopt for anything else and for infinities.
std::optional<double> parseTypedNumber(const QString &text);

// An inclusive range of numbers; a missing bound is open.
struct NumberRange
{
    std::optional<double> minimum;
    std::optional<double> maximum;
    bool contains(double value) const;
};
// "MIN:MAX", either side may be empty, either written with a decimal point or a decimal comma
// ("10,5"); std::nullopt for anything else or MIN > MAX.
std::optional<NumberRange> parseNumberRange(const QString &text);

// Which statuses a search accepts.
struct StatusCondition
{
    enum class Kind
    {
        code,    // "Status" present with this code
        text,    // the verdict shown, compared without letter case, spaces and full stops
        missing, // no "Status" in the file
        bad,     // anything but "ЕСТЬ ПЛ.", a missing status included
    };
    Kind kind = Kind::code;
    int code = 0;
    QString foldedText;

    bool accepts(const measurement::MeasurementDigest &m) const;
};
// A code, a verdict text ("нет пл" finds "НЕТ ПЛ."), "none" or "bad"; std::nullopt for a text that is
// none of the verdicts, so that a typing error is not mistaken for an empty result.
std::optional<StatusCondition> parseStatusCondition(const QString &text);

// A bound of the search period. --from is the first moment included; --to is the first moment no
// longer included, so that consecutive shifts (08:00 to 20:00, 20:00 to 08:00) share no measurement.
// A date alone as --to ends with its day: the next day's 00:00:00.
enum class BoundSide
{
    from,
    to
};
// "yyyy-MM-dd" or "dd.MM.yyyy", each optionally followed by " h:mm", " hh:mm" or " hh:mm:ss". On
// failure returns std::nullopt and sets `error` to why (a day that does not exist is named as such).
std::optional<archive::Moment> parseMomentBound(const QString &text, BoundSide side, QString *error);

// The conditions of a search; each given one must hold.
struct SearchCriteria
{
    std::optional<QString> melt;         // part of the melt number, letter case ignored
    std::optional<QString> technology;   // the technology of the file name, letter case ignored
    std::optional<archive::Moment> from; // included
    std::optional<archive::Moment> to;   // excluded
    std::optional<StatusCondition> status;
    std::optional<NumberRange> temperature;
    std::optional<NumberRange> emf;

    // The conditions that the file name alone decides, checked before a file is opened.
    bool matchesName(QStringView technologyOfName, const archive::Moment &moment) const;
    bool matchesContent(const measurement::MeasurementDigest &m) const;
};

} // namespace query
