// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>

struct pg_conn;
struct pg_result;

namespace database {

// The result of one statement; owns libpq's result.
class Result
{
public:
    Result() = default;
    explicit Result(pg_result *result);
    Result(Result &&other) noexcept;
    Result &operator=(Result &&other) noexcept;
    ~Result();

    // The statement completed (with or without rows).
    bool ok() const;
    int rows() const;
    bool isNull(int row, int column) const;
    QByteArray bytes(int row, int column) const; // as the server sent it (text, or binary if asked)
    QString text(int row, int column) const;     // a text column, decoded from UTF-8
    qint64 number(int row, int column) const;    // an integer column sent as text
    // The server's reason, one line, and its SQLSTATE code ("42P01").
    QString error() const;
    QByteArray sqlState() const;

private:
    friend class Connection;
    pg_result *result = nullptr;
};

// A statement parameter. Texts from archive files reach the server only this way or as COPY data,
// never inside the text of a statement.
struct Parameter
{
    QByteArray value;
    bool null = false;
    bool binary = false; // `value` in the type's binary form; then `type` must be given
    unsigned type = 0;   // the type's OID, 0 to let the server infer it
};
Parameter textParameter(const QString &text);
Parameter integerParameter(qint64 value);

// One connection to a PostgreSQL server through libpq, used by one thread at a time. Every text
// goes to the server in UTF-8, whatever the client's locale.
class Connection
{
public:
    // Connects with a libpq connection string or URI; the password comes from PGPASSWORD or the
    // password file, as libpq finds it. Without a connect_timeout of the caller's own, a server that
    // does not answer is given up after `connectTimeoutSeconds`. std::nullptr with `error` set (one
    // line, never the password) when no connection can be made.
    static std::unique_ptr<Connection> open(const QString &conninfo, int connectTimeoutSeconds,
                                            QString *error);
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    Result exec(const QByteArray &statement);
    // With `binaryResults`, every column comes in its type's binary form (a bytea as its bytes).
    Result exec(const QByteArray &statement, const QVector<Parameter> &parameters,
                bool binaryResults = false);
    // A statement that must succeed: false with error() set otherwise.
    bool run(const QByteArray &statement, const QVector<Parameter> &parameters = {});

    // COPY ... FROM STDIN with `data` as the whole stream. False with error() set when the server
    // refuses the statement or the data.
    bool copyIn(const QByteArray &statement, const char *data, qint64 size);
    // COPY ... TO STDOUT: `chunk` is called with the data as it arrives (in binary format: whole
    // rows, the header with the first). `chunk` returns false to stop early.
    bool copyOut(const QByteArray &statement, const std::function<bool(const char *, int)> &chunk);

    // Why the last failing call failed, one line; its SQLSTATE where the server gave one. A call
    // that succeeds leaves them as they were.
    QString error() const { return lastError; }
    QByteArray sqlState() const { return lastState; }
    // The connection itself is lost (the server stopped, the network failed).
    bool isLost() const;

    // A name for SQL text: quoted as an identifier, so that any schema name stays one name.
    QByteArray identifier(const QString &name) const;
    // Sets the session's search_path to PostgreSQL's own catalog, then `quotedSchema`, then the
    // session's temporary schema last, as PostgreSQL's guidance for trusted code has it: no schema a
    // role or database names can then stand in for a built-in function or operator. False (see
    // error()) when the server refuses.
    bool pinSearchPath(const QByteArray &quotedSchema);
    // "host:port/database" as the connection names it, for messages.
    QString serverName() const;
    QByteArray serverParameter(const char *name) const;
    int serverVersion() const;

private:
    Connection() = default;
    bool failed(const Result &result);
    void failedWith(const QString &error);

    pg_conn *connection = nullptr;
    QString lastError;
    QByteArray lastState;
};

// A libpq message as one line: its lines joined, the "ERROR:" prefix and trailing spaces dropped.
QString oneLine(const QByteArray &message);

// Whether a connection string or URI names a password (a keyword, the user information of a URI or
// its query; an empty one too), which must come from PGPASSWORD or the password file instead. Sets
// `error` when the text does not parse as one, naming the part that is wrong and never quoting the
// text, which may hold a secret.
bool namesPassword(const QString &conninfo, QString *error);

} // namespace database
