// SPDX-License-Identifier: GPL-3.0-or-later
#include "archivelisting.h"

#include "archivefolder.h"

#include "platform/filesystem.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <memory>

namespace archive {

using platform::FileStamp;

namespace {

ListingBackend currentBackend = ListingBackend::Native;

// What each walk hands on: the name, a name's bytes where the file-name encoding cannot decode it,
// and the stamp where times were asked for.
using StampVisitor =
    std::function<void(QStringView fileName, const QByteArray &undecodableName, const FileStamp &stamp)>;

// ---- wildcard matching --------------------------------------------------------------------------
// A plain glob matcher instead of a regular expression per entry: "*" any run, "?" one character,
// "[...]" a set with "!"/"^" negation, ranges and a leading "]" taken literally; a "[" without its
// "]" is an ordinary character. The pattern is folded once; name characters are folded as they are
// compared. The same template serves ASCII bytes straight from the directory and decoded names.

inline char16_t foldAscii(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c + (u'a' - u'A')) : c;
}

inline char16_t foldUnicode(char16_t c)
{
    // Most names are plain ASCII, whose folding needs no table.
    return c < 0x80 ? foldAscii(c) : QChar::toCaseFolded(c);
}

// Whether folded name character `c` belongs to the set that starts at pattern[start] == '['.
// `end` receives the index just after the closing "]", or -1 if the set is never closed.
template <typename PatternChar> bool matchSet(const PatternChar *p, int plen, int start, char16_t c, int *end)
{
    int i = start + 1;
    bool negate = false;
    if (i < plen && (p[i] == '!' || p[i] == '^')) {
        negate = true;
        ++i;
    }
    bool matched = false;
    bool first = true;
    while (i < plen) {
        if (p[i] == ']' && !first) {
            *end = i + 1;
            return matched != negate;
        }
        const char16_t low = char16_t(p[i]);
        if (i + 2 < plen && p[i + 1] == '-' && p[i + 2] != ']') {
            const char16_t high = char16_t(p[i + 2]);
            if (low <= c && c <= high)
                matched = true;
            i += 3;
        } else {
            if (c == low)
                matched = true;
            ++i;
        }
        first = false;
    }
    *end = -1;
    return false;
}

// Iterative matching with backtracking to the last "*" only: linear in practice, never exponential.
template <typename PatternChar, typename NameChar, typename Fold>
bool globMatch(const PatternChar *p, int plen, const NameChar *s, int slen, Fold fold)
{
    int pi = 0;
    int si = 0;
    int starP = -1;
    int starS = 0;
    while (si < slen) {
        if (pi < plen) {
            const char16_t pc = char16_t(p[pi]);
            const char16_t sc = fold(char16_t(s[si]));
            if (pc == u'*') {
                starP = ++pi;
                starS = si;
                continue;
            }
            if (pc == u'?') {
                ++pi;
                ++si;
                continue;
            }
            bool literal = true;
            if (pc == u'[') {
                int end = -1;
                const bool inSet = matchSet(p, plen, pi, sc, &end);
                if (end >= 0) {
                    literal = false;
                    if (inSet) {
                        pi = end;
                        ++si;
                        continue;
                    }
                }
            }
            if (literal && pc == sc) {
                ++pi;
                ++si;
                continue;
            }
        }
        if (starP < 0)
            return false;
        pi = starP;
        si = ++starS;
    }
    while (pi < plen && p[pi] == '*')
        ++pi;
    return pi == plen;
}

} // namespace

// Declared in the header, so that WildcardPattern can hold one.
class CompiledPattern
{
public:
    explicit CompiledPattern(const QString &pattern)
    {
        folded.reserve(pattern.size());
        bool ascii = true;
        for (const QChar c : pattern) {
            folded.append(QChar(foldUnicode(c.unicode())));
            if (c.unicode() >= 0x80)
                ascii = false;
        }
        if (ascii)
            asciiFolded = folded.toLatin1();
        patternIsAscii = ascii;
    }

    bool matches(QStringView name) const
    {
        return globMatch(reinterpret_cast<const char16_t *>(folded.constData()), folded.size(),
                         reinterpret_cast<const char16_t *>(name.data()), int(name.size()), foldUnicode);
    }

    // Only for a name that is plain ASCII; with a non-ASCII pattern the caller decodes instead.
    bool matchesAscii(const char *name, int length) const
    {
        return globMatch(reinterpret_cast<const unsigned char *>(asciiFolded.constData()), asciiFolded.size(),
                         reinterpret_cast<const unsigned char *>(name), length, foldAscii);
    }

    bool isAscii() const { return patternIsAscii; }

private:
    QString folded;
    QByteArray asciiFolded;
    bool patternIsAscii = true;
};

namespace {

bool isHiddenName(QStringView name)
{
    return !name.isEmpty() && name.front() == u'.';
}

// ---- portable backend ---------------------------------------------------------------------------

// What a walk takes of each file besides its name.
enum class Times
{
    none,
    stamp,    // the whole stamp, by a status call
    modified, // the modification time alone, from the listing where it carries one
};

bool visitPortable(const QString &directory, const CompiledPattern &pattern, bool needTimes,
                   const StampVisitor &visit)
{
    const QString path = folderPath(directory);
    // QDirIterator says nothing of a folder it cannot read: it would pass for an empty one.
    const QFileInfo folderInfo(path);
    if (!folderInfo.isDir() || !folderInfo.isReadable())
        return false;
    // Without QDir::Hidden and QDir::System, QDir leaves out hidden entries, broken links, FIFOs,
    // sockets and devices itself; the checks below make the rules the same as the native walk's.
    QDirIterator it(path, QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (isHiddenName(name) || !pattern.matches(name))
            continue;
        const QFileInfo info = it.fileInfo();
        // A link to a FIFO or a socket passes QDir's own filter.
        if (!info.isFile())
            continue;
        FileStamp stamp;
        if (needTimes) {
            const qint64 modified = info.lastModified().toMSecsSinceEpoch();
            const qint64 changed = info.metadataChangeTime().toMSecsSinceEpoch();
            stamp.size = info.size();
            stamp.modifiedSeconds = modified / 1000 - (modified % 1000 < 0 ? 1 : 0);
            stamp.modifiedNanoseconds = (modified - stamp.modifiedSeconds * 1000) * 1000000;
            stamp.changedSeconds = changed / 1000 - (changed % 1000 < 0 ? 1 : 0);
            stamp.changedNanoseconds = (changed - stamp.changedSeconds * 1000) * 1000000;
        }
        visit(name, QByteArray(), stamp);
    }
    return true;
}

// ---- native backend -----------------------------------------------------------------------------

class NativeWalker
{
public:
    NativeWalker(const CompiledPattern &pattern, Times times, bool keepUndecodable, const StampVisitor &visit)
        : pattern(pattern), times(times), keepUndecodable(keepUndecodable), visit(visit)
    {}

    void entry(const platform::FolderEntry &entry)
    {
        const char *name = entry.name;
        const int length = entry.length;
        if (length == 0 || name[0] == '.')
            return;
        // The entry type from the directory is enough to drop directories, FIFOs, sockets and
        // devices without a status call; links and unknown types are followed below.
        if (entry.kind == platform::FolderEntry::Kind::other)
            return;

        bool ascii = true;
        for (int i = 0; i < length; ++i) {
            if (static_cast<unsigned char>(name[i]) >= 0x80) {
                ascii = false;
                break;
            }
        }

        QStringView view;
        QByteArray undecodable;
        if (ascii && pattern.isAscii() && length <= int(sizeof(wide) / sizeof(wide[0]))) {
            if (!pattern.matchesAscii(name, length))
                return;
            for (int i = 0; i < length; ++i)
                wide[i] = char16_t(static_cast<unsigned char>(name[i]));
            view = QStringView(wide, length);
        } else {
            const QByteArray raw = QByteArray::fromRawData(name, length);
            decoded = platform::decodeFileName(raw);
            if (!pattern.matches(decoded))
                return;
            // A name that is not valid in the file-name encoding decodes to a different name, under
            // which the file could never be opened again; QDir leaves such entries out as well. Only
            // the archive-wide reading takes them, by their bytes, so as not to leave them out unseen.
            if (platform::encodeFileName(decoded) != raw) {
                if (!keepUndecodable)
                    return;
                undecodable = QByteArray(name, length);
            }
            view = decoded;
        }

        FileStamp stamp;
        const bool listedTime = times == Times::modified &&
                                entry.kind == platform::FolderEntry::Kind::regular &&
                                entry.listedModifiedMsecs >= 0;
        if (listedTime) {
            stamp.modifiedSeconds = entry.listedModifiedMsecs / 1000;
            stamp.modifiedNanoseconds = entry.listedModifiedMsecs % 1000 * 1000000;
        } else if (entry.kind != platform::FolderEntry::Kind::regular || times != Times::none) {
            const std::optional<FileStamp> status = entry.regularFileStamp();
            if (!status)
                return;
            if (times != Times::none)
                stamp = *status;
        }
        visit(view, undecodable, stamp);
    }

private:
    const CompiledPattern &pattern;
    Times times;
    bool keepUndecodable;
    const StampVisitor &visit;
    char16_t wide[1024];
    QString decoded;
};

bool visitNative(const QString &directory, const CompiledPattern &pattern, Times times, bool keepUndecodable,
                 const StampVisitor &visit)
{
    NativeWalker walker(pattern, times, keepUndecodable, visit);
    return platform::forEachFolderEntry(
        folderPath(directory), [&walker](const platform::FolderEntry &entry) { walker.entry(entry); });
}

} // namespace

bool wildcardMatch(const QString &pattern, const QString &name)
{
    return CompiledPattern(pattern).matches(name);
}

WildcardPattern::WildcardPattern(const QString &pattern)
    : compiled(std::make_unique<CompiledPattern>(pattern))
{}

WildcardPattern::~WildcardPattern() = default;

bool WildcardPattern::matches(QStringView name) const
{
    return compiled->matches(name);
}

QString escapeWildcards(const QString &literal)
{
    QString out;
    out.reserve(literal.size());
    for (const QChar c : literal) {
        if (c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('[')) {
            out.append(QLatin1Char('['));
            out.append(c);
            out.append(QLatin1Char(']'));
        } else {
            out.append(c);
        }
    }
    return out;
}

namespace {

bool walk(const QString &directory, const QString &pattern, Times times, bool keepUndecodable,
          const StampVisitor &visit)
{
    const CompiledPattern compiled(pattern);
    if (currentBackend == ListingBackend::Native)
        return visitNative(directory, compiled, times, keepUndecodable, visit);
    return visitPortable(directory, compiled, times != Times::none, visit);
}

} // namespace

bool forEachMatchingFile(const QString &directory, const QString &pattern, bool needTimes,
                         const FileVisitor &visit)
{
    return walk(directory, pattern, needTimes ? Times::stamp : Times::none, false,
                [&visit, needTimes](QStringView name, const QByteArray &, const FileStamp &stamp) {
                    visit(name, needTimes ? modifiedNsecsOf(stamp) : 0);
                });
}

bool forEachArchiveFileName(const QString &directory, const QString &pattern, const NameVisitor &visit)
{
    return walk(directory, pattern, Times::none, true,
                [&visit](QStringView name, const QByteArray &undecodable, const FileStamp &) {
                    visit(name, undecodable);
                });
}

bool forEachArchiveFileTime(const QString &directory, const QString &pattern, const TimedNameVisitor &visit)
{
    return walk(directory, pattern, Times::modified, true,
                [&visit](QStringView name, const QByteArray &undecodable, const FileStamp &stamp) {
                    visit(name, undecodable, stamp.modifiedMsecs());
                });
}

bool visitArchiveEntry(const platform::HeldFolder &folder, const QByteArray &encodedName,
                       const QString &pattern, const NameVisitor &visit)
{
    const CompiledPattern compiled(pattern);
    bool visited = false;
    const StampVisitor stampless = [&](QStringView name, const QByteArray &undecodable, const FileStamp &) {
        visited = true;
        visit(name, undecodable);
    };
    NativeWalker walker(compiled, Times::none, true, stampless);
    folder.visitEntry(encodedName, [&walker](const platform::FolderEntry &entry) { walker.entry(entry); });
    return visited;
}

QVector<ListedFile> listDirectory(const QString &directory, const QString &pattern)
{
    QVector<ListedFile> files;
    forEachMatchingFile(directory, pattern, true, [&files](QStringView name, qint64 modified) {
        files.append(ListedFile{name.toString(), modified / 1000000, modified});
    });
    std::sort(files.begin(), files.end(), [](const ListedFile &a, const ListedFile &b) {
        return isNewer(a.modifiedNsecs, a.fileName, b.modifiedNsecs, b.fileName);
    });
    return files;
}

void setListingBackend(ListingBackend backend)
{
    currentBackend = backend;
}

ListingBackend listingBackend()
{
    return currentBackend;
}

} // namespace archive
