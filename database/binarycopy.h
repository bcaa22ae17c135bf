// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <string>

namespace database {

// Type OIDs of the binary forms written here: fixed by PostgreSQL for its built-in types.
namespace oid {
constexpr unsigned bytea = 17;
constexpr unsigned text = 25;
constexpr unsigned float8 = 701;
constexpr unsigned byteaArray = 1001;
} // namespace oid

// Microseconds since 2000-01-01 00:00:00, the epoch of PostgreSQL's timestamps.
constexpr qint64 postgresEpochSeconds = 946684800; // from 1970-01-01
qint64 postgresMicroseconds(qint64 unixSeconds, qint64 nanoseconds);

// A text in UTF-8 as the server can store it: PostgreSQL's text cannot hold U+0000, which is written
// as U+FFFD instead. Whether anything was replaced is told.
QByteArray storableUtf8(const QString &text, bool *replaced);

// Rows in COPY's binary format, field by field: no text is ever parsed by the server, so nothing in
// a text can be mistaken for anything but data.
class BinaryCopyWriter
{
public:
    explicit BinaryCopyWriter(std::string *out) : out(out) {}

    static std::string header();
    static std::string trailer();

    void beginRow(int fields);
    void null();
    void int32(qint32 value);
    void int64(qint64 value);
    void float8(double value);
    void boolean(bool value);
    void bytes(const QByteArray &value);
    // False when a character had to be replaced (see storableUtf8).
    bool text(const QString &value);
    void timestamp(qint64 microseconds);
    // A curve: its samples up to the last one that is not missing, each missing one (NaN) NULL.
    void float8Array(const QVector<double> &samples);
    bool textArray(const QStringList &texts);

    // An array of byte strings as one binary parameter (bytea[]).
    static QByteArray byteaArray(const QVector<QByteArray> &values);

private:
    void put32(quint32 value);
    void put64(quint64 value);
    std::string *out;
};

// Reads rows of COPY's binary format as the server sends them, in pieces of any size.
class BinaryCopyReader
{
public:
    // `row` gets the fields of each row: their bytes, a null field as a null pointer.
    using RowVisitor = std::function<void(const QVector<const char *> &fields, const QVector<int> &lengths)>;
    explicit BinaryCopyReader(RowVisitor row) : row(std::move(row)) {}
    // False when the stream is not COPY's binary format.
    bool add(const char *data, int length);
    bool finished() const { return ended; }

private:
    bool readRows();

    RowVisitor row;
    std::string pending;
    bool headerRead = false;
    bool ended = false;
    QVector<const char *> fields;
    QVector<int> lengths;
};

} // namespace database
