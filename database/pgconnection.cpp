// SPDX-License-Identifier: GPL-3.0-or-later
#include "database/pgconnection.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <libpq-fe.h>

#include <vector>

namespace database {

namespace {

// NOTICEs ("schema already exists, skipping") are the server talking to itself: standard error is
// kept for our own lines.
void ignoreNotice(void *, const char *) {}

struct ConninfoOptions
{
    explicit ConninfoOptions(const QString &conninfo)
        : options(PQconninfoParse(conninfo.toUtf8().constData(), &message))
    {}
    ~ConninfoOptions()
    {
        PQconninfoFree(options);
        PQfreemem(message);
    }
    ConninfoOptions(const ConninfoOptions &) = delete;
    ConninfoOptions &operator=(const ConninfoOptions &) = delete;

    char *message = nullptr; // before `options`, which sets it
    PQconninfoOption *options = nullptr;
};

QString tr(const char *text)
{
    return QCoreApplication::translate("database", text);
}

// Whether `key` is a connection option libpq knows (a URI's "ssl=true" among them).
bool isKnownKeyword(const QByteArray &key)
{
    if (key == "ssl")
        return true;
    PQconninfoOption *defaults = PQconndefaults();
    bool known = false;
    for (const PQconninfoOption *option = defaults; option && option->keyword; ++option)
        known = known || key == option->keyword;
    PQconninfoFree(defaults);
    return known;
}

// What is wrong with the %-escapes of a part of a URI, or the empty text.
QString escapeFault(const QByteArray &part)
{
    for (int i = 0; i < part.size(); ++i) {
        if (part[i] != '%')
            continue;
        const QByteArray digits = part.mid(i + 1, 2);
        bool ok = false;
        const int value = digits.size() == 2 ? digits.toInt(&ok, 16) : 0;
        if (!ok || digits.startsWith('+') || digits.startsWith('-'))
            return tr("a %-escape is not % and two hexadecimal digits");
        if (value == 0)
            return tr("a %-escape stands for a NUL byte (%00), which no value may hold");
    }
    return QString();
}

// What is wrong with a URI's query ("a=1&b=2"), or the empty text.
QString queryFault(const QByteArray &query)
{
    for (const QByteArray &parameter : query.split('&')) {
        const int equals = parameter.count('=');
        if (equals == 0)
            return tr("a query parameter has no \"=\"");
        if (equals > 1)
            return tr("a query parameter has more than one \"=\"");
        const QByteArray key = parameter.left(parameter.indexOf('='));
        const QString escape = escapeFault(parameter);
        if (!escape.isEmpty())
            return escape;
        if (!isKnownKeyword(QByteArray::fromPercentEncoding(key)))
            return tr("a query parameter's name is none libpq knows");
    }
    return QString();
}

// What is wrong with the part of a URI after "postgresql://", or the empty text.
QString uriFault(const QByteArray &rest)
{
    const int queryStart = rest.indexOf('?');
    const QByteArray beforeQuery = queryStart < 0 ? rest : rest.left(queryStart);
    int hostStart = 0;
    const int slash = beforeQuery.indexOf('/');
    const int at = beforeQuery.indexOf('@');
    if (at >= 0 && (slash < 0 || at < slash))
        hostStart = at + 1;
    for (int i = hostStart; i < beforeQuery.size() && beforeQuery[i] != '/';) {
        if (beforeQuery[i] != '[') {
            const int comma = beforeQuery.indexOf(',', i);
            i = comma < 0 ? beforeQuery.size() : comma + 1;
            continue;
        }
        const int close = beforeQuery.indexOf(']', i);
        if (close < 0)
            return tr("the host's IPv6 address has no closing ]");
        if (close == i + 1)
            return tr("the host's IPv6 address between [ and ] is empty");
        i = close + 1;
        if (i < beforeQuery.size() && !QByteArray(":/,").contains(beforeQuery[i]))
            return tr("the host's IPv6 address is followed by neither a port, a path nor a query");
    }
    QString fault = escapeFault(beforeQuery);
    if (fault.isEmpty() && queryStart >= 0)
        fault = queryFault(rest.mid(queryStart + 1));
    return fault.isEmpty() ? tr("the URI is not one libpq accepts") : fault;
}

// What is wrong with a keyword=value connection string, or the empty text.
QString keywordFault(const QByteArray &text)
{
    int i = 0;
    const auto skipSpaces = [&] {
        while (i < text.size() && QChar::isSpace(uchar(text[i])))
            ++i;
    };
    for (skipSpaces(); i < text.size(); skipSpaces()) {
        const int keyStart = i;
        while (i < text.size() && text[i] != '=' && !QChar::isSpace(uchar(text[i])))
            ++i;
        const QByteArray key = text.mid(keyStart, i - keyStart);
        skipSpaces();
        if (i >= text.size() || text[i] != '=')
            return tr("a keyword has no \"=\" and value after it");
        ++i;
        skipSpaces();
        const bool quoted = i < text.size() && text[i] == '\'';
        i += quoted ? 1 : 0;
        while (i < text.size() && (quoted ? text[i] != '\'' : !QChar::isSpace(uchar(text[i]))))
            i += text[i] == '\\' ? 2 : 1;
        if (quoted && i >= text.size())
            return tr("a quoted value has no closing '");
        i += quoted ? 1 : 0;
        if (!isKnownKeyword(key))
            return tr("a keyword is none libpq knows");
    }
    return tr("the connection string is not one libpq accepts");
}

// Why libpq refuses the connection string, told without a word of it: a password may stand
// anywhere in a text that does not parse, and libpq's own message quotes the text.
QString parseFault(const QString &conninfo)
{
    const QByteArray text = conninfo.toUtf8();
    for (const char *scheme : {"postgresql://", "postgres://"}) {
        if (text.startsWith(scheme))
            return uriFault(text.mid(int(qstrlen(scheme))));
    }
    return keywordFault(text);
}

} // namespace

QString oneLine(const QByteArray &message)
{
    QString text = QString::fromUtf8(message).trimmed();
    static const QRegularExpression breaks(QStringLiteral("\\s*\\n\\s*"));
    text.replace(breaks, QStringLiteral("; "));
    // The severity is libpq's own prefix, which says nothing a failed command does not.
    static const QRegularExpression severity(QStringLiteral("(^|: )(ERROR|FATAL):\\s+"));
    text.replace(severity, QStringLiteral("\\1"));
    return text;
}

bool namesPassword(const QString &conninfo, QString *error)
{
    const ConninfoOptions parsed(conninfo);
    if (!parsed.options) {
        *error = parsed.message ? parseFault(conninfo) : tr("out of memory");
        return false;
    }
    // Given at all, empty or not: an empty one still says a password was meant to stand there.
    for (const PQconninfoOption *option = parsed.options; option->keyword; ++option) {
        if (qstrcmp(option->keyword, "password") == 0 && option->val)
            return true;
    }
    // libpq keeps no empty password of a URI's user information ("user:@host"): the colon says it.
    const QByteArray text = conninfo.toUtf8();
    for (const char *scheme : {"postgresql://", "postgres://"}) {
        if (!text.startsWith(scheme))
            continue;
        const QByteArray rest = text.mid(int(qstrlen(scheme)));
        const int end = rest.indexOf('/') < 0 ? rest.size() : rest.indexOf('/');
        const int at = rest.left(end).indexOf('@');
        return at >= 0 && rest.left(at).contains(':');
    }
    return false;
}

Result::Result(pg_result *result) : result(result) {}

Result::Result(Result &&other) noexcept : result(other.result)
{
    other.result = nullptr;
}

Result &Result::operator=(Result &&other) noexcept
{
    if (this != &other) {
        PQclear(result);
        result = other.result;
        other.result = nullptr;
    }
    return *this;
}

Result::~Result()
{
    PQclear(result);
}

bool Result::ok() const
{
    const ExecStatusType status = PQresultStatus(result);
    return result && (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK);
}

int Result::rows() const
{
    return result ? PQntuples(result) : 0;
}

bool Result::isNull(int row, int column) const
{
    return PQgetisnull(result, row, column) != 0;
}

QByteArray Result::bytes(int row, int column) const
{
    return QByteArray(PQgetvalue(result, row, column), PQgetlength(result, row, column));
}

QString Result::text(int row, int column) const
{
    return QString::fromUtf8(PQgetvalue(result, row, column), PQgetlength(result, row, column));
}

qint64 Result::number(int row, int column) const
{
    return QByteArray(PQgetvalue(result, row, column)).toLongLong();
}

QString Result::error() const
{
    if (!result)
        return QCoreApplication::translate("database", "no answer from the server");
    const char *primary = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
    return oneLine(primary ? QByteArray(primary) : QByteArray(PQresultErrorMessage(result)));
}

QByteArray Result::sqlState() const
{
    const char *state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    return state ? QByteArray(state) : QByteArray();
}

Parameter textParameter(const QString &text)
{
    return Parameter{text.toUtf8(), false, false, 0};
}

Parameter integerParameter(qint64 value)
{
    return Parameter{QByteArray::number(value), false, false, 0};
}

std::unique_ptr<Connection> Connection::open(const QString &conninfo, int connectTimeoutSeconds,
                                             QString *error)
{
    const ConninfoOptions parsed(conninfo);
    if (!parsed.options) {
        *error = parsed.message ? parseFault(conninfo) : tr("out of memory");
        return nullptr;
    }
    // The caller's options as given, with ours where the caller said nothing; the texts must be
    // UTF-8 whatever the caller asked for.
    std::vector<QByteArray> keywords;
    std::vector<QByteArray> values;
    bool timeoutGiven = false;
    for (const PQconninfoOption *option = parsed.options; option->keyword; ++option) {
        if (!option->val || qstrcmp(option->keyword, "client_encoding") == 0)
            continue;
        timeoutGiven = timeoutGiven || qstrcmp(option->keyword, "connect_timeout") == 0;
        keywords.emplace_back(option->keyword);
        values.emplace_back(option->val);
    }
    if (!timeoutGiven) {
        keywords.emplace_back("connect_timeout");
        values.emplace_back(QByteArray::number(connectTimeoutSeconds));
    }
    keywords.emplace_back("fallback_application_name");
    values.emplace_back("steel-archive");
    keywords.emplace_back("client_encoding");
    values.emplace_back("UTF8");
    std::vector<const char *> keywordPointers;
    std::vector<const char *> valuePointers;
    for (size_t i = 0; i < keywords.size(); ++i) {
        keywordPointers.push_back(keywords[i].constData());
        valuePointers.push_back(values[i].constData());
    }
    keywordPointers.push_back(nullptr);
    valuePointers.push_back(nullptr);

    std::unique_ptr<Connection> opened(new Connection);
    opened->connection = PQconnectdbParams(keywordPointers.data(), valuePointers.data(), 0);
    if (!opened->connection) {
        *error = QCoreApplication::translate("database", "out of memory");
        return nullptr;
    }
    if (PQstatus(opened->connection) != CONNECTION_OK) {
        *error = oneLine(PQerrorMessage(opened->connection));
        return nullptr;
    }
    PQsetNoticeProcessor(opened->connection, ignoreNotice, nullptr);
    return opened;
}

Connection::~Connection()
{
    PQfinish(connection);
}

Result Connection::exec(const QByteArray &statement)
{
    Result result(PQexec(connection, statement.constData()));
    failed(result);
    return result;
}

Result Connection::exec(const QByteArray &statement, const QVector<Parameter> &parameters, bool binaryResults)
{
    std::vector<Oid> types;
    std::vector<const char *> values;
    std::vector<int> lengths;
    std::vector<int> formats;
    for (const Parameter &parameter : parameters) {
        types.push_back(parameter.type);
        values.push_back(parameter.null ? nullptr : parameter.value.constData());
        lengths.push_back(int(parameter.value.size()));
        formats.push_back(parameter.binary ? 1 : 0);
    }
    Result result(PQexecParams(connection, statement.constData(), int(parameters.size()), types.data(),
                               values.data(), lengths.data(), formats.data(), binaryResults ? 1 : 0));
    failed(result);
    return result;
}

bool Connection::run(const QByteArray &statement, const QVector<Parameter> &parameters)
{
    return (parameters.isEmpty() ? exec(statement) : exec(statement, parameters)).ok();
}

bool Connection::failed(const Result &result)
{
    if (result.ok() || PQresultStatus(result.result) == PGRES_COPY_IN ||
        PQresultStatus(result.result) == PGRES_COPY_OUT)
        return false;
    // A statement that started a COPY where none was expected, or the like.
    if (result.result && PQresultStatus(result.result) != PGRES_FATAL_ERROR &&
        PQresultStatus(result.result) != PGRES_NONFATAL_ERROR) {
        lastState.clear();
        failedWith(QString::fromUtf8(PQresStatus(PQresultStatus(result.result))));
        return true;
    }
    lastError = result.error();
    lastState = result.sqlState();
    // A statement that got no answer at all: the reason is the connection's.
    if (lastError.isEmpty() || isLost())
        failedWith(oneLine(PQerrorMessage(connection)));
    return true;
}

void Connection::failedWith(const QString &error)
{
    lastError =
        error.isEmpty() ? QCoreApplication::translate("database", "the server closed the connection") : error;
}

bool Connection::copyIn(const QByteArray &statement, const char *data, qint64 size)
{
    const Result started = exec(statement);
    if (PQresultStatus(started.result) != PGRES_COPY_IN)
        return false;
    constexpr qint64 piece = 1 << 20;
    bool sent = true;
    for (qint64 at = 0; sent && at < size; at += piece)
        sent = PQputCopyData(connection, data + at, int(std::min(piece, size - at))) == 1;
    if (PQputCopyEnd(connection, sent ? nullptr : "not sent") != 1) {
        failedWith(oneLine(PQerrorMessage(connection)));
        return false;
    }
    bool ok = true;
    // The COPY's own result, then the end of the command.
    while (pg_result *finished = PQgetResult(connection)) {
        const Result result(finished);
        if (ok && failed(result))
            ok = false;
    }
    return ok && sent;
}

bool Connection::copyOut(const QByteArray &statement, const std::function<bool(const char *, int)> &chunk)
{
    const Result started = exec(statement);
    if (PQresultStatus(started.result) != PGRES_COPY_OUT)
        return false;
    bool wanted = true;
    for (;;) {
        char *buffer = nullptr;
        const int length = PQgetCopyData(connection, &buffer, 0);
        if (length < 0)
            break; // -1: done; -2: failed, which the result below tells
        if (wanted)
            wanted = chunk(buffer, length);
        PQfreemem(buffer);
    }
    bool ok = true;
    while (pg_result *finished = PQgetResult(connection)) {
        const Result result(finished);
        if (ok && failed(result))
            ok = false;
    }
    return ok;
}

bool Connection::isLost() const
{
    return PQstatus(connection) != CONNECTION_OK;
}

bool Connection::pinSearchPath(const QByteArray &quotedSchema)
{
    // SET is no function call: nothing the current search_path names can take its place.
    return !quotedSchema.isEmpty() && run("SET search_path = pg_catalog, " + quotedSchema + ", pg_temp");
}

QByteArray Connection::identifier(const QString &name) const
{
    const QByteArray utf8 = name.toUtf8();
    char *quoted = PQescapeIdentifier(connection, utf8.constData(), size_t(utf8.size()));
    if (!quoted)
        return QByteArray();
    const QByteArray result(quoted);
    PQfreemem(quoted);
    return result;
}

QString Connection::serverName() const
{
    const QString host = QString::fromUtf8(PQhost(connection));
    const QString database = QString::fromUtf8(PQdb(connection));
    return (host.startsWith(QLatin1Char('/'))
                ? host
                : host + QLatin1Char(':') + QString::fromUtf8(PQport(connection))) +
           QLatin1Char('/') + database;
}

QByteArray Connection::serverParameter(const char *name) const
{
    return QByteArray(PQparameterStatus(connection, name));
}

int Connection::serverVersion() const
{
    return PQserverVersion(connection);
}

} // namespace database
