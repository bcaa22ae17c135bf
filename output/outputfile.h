// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace platform::writing {
class TargetFolder;
}

namespace output {

// What a command reads. None of its outputs may be, or become, a file of that archive.
struct ReadArchive
{
    QStringList files;   // measurement files read (export, render)
    QStringList folders; // archive folders read (report's DIR; the folder of the file export reads)
};
// For a command that reads one measurement file: the file, its folder, and, when the path is a link,
// the folder of the file it leads to.
ReadArchive readingFile(const QString &path);
// For a command that reads a whole archive folder.
ReadArchive readingFolder(const QString &folder);

// The one rule for every output path. Why `output` must not be written by a command that reads
// `read`, or the empty text. Refused: a folder; anything but a regular file; the file read itself or
// any file of a folder read, under whatever name (hard links included); a symbolic link (outputs are
// written as new files, never through or over a link); any path inside a folder read; a name the
// viewer would list as an archive file; a folder that holds files the viewer would list; an existing
// file we may not write; a folder that does not exist.
QString outputRefusal(const ReadArchive &read, const QString &output);

// Whether `fileName` is the name of an output's own file before it takes the target's place
// (".steel-archive-XXXXXX"): one that is found later was left by a run that ended without a chance
// to remove it (SIGKILL, a power cut). It holds nothing of anyone's, and nothing needs to wait for it.
bool isUnfinishedOutputName(const QString &fileName);

// The sentence of every writing command's help on how its output is written.
QString outputRuleHelpText();

// Bytes to a system handle. The first failure is kept and every later write fails at once, so that a
// caller that does not look at each write (a PDF or PNG writer) cannot hide one.
class CheckedOutput : public QIODevice
{
public:
    // `bufferSize` 0 writes each call through at once (standard output, read as it comes).
    CheckedOutput(int handle, qint64 bufferSize);
    ~CheckedOutput() override;

    // Writes out what is buffered; false after any failure.
    bool writeBuffered();
    // The error number of the first failure, or 0.
    int failure() const { return error; }
    qint64 bytesWritten() const { return written; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 size) override;

private:
    int handle;
    qint64 bufferSize;
    QByteArray buffer;
    qint64 written = 0;
    int error = 0;
};

// A file written whole or not at all. The bytes go to a new file of our own beside the target; commit()
// checks every write, the sync and the close, and only then puts the file in the target's place in one
// step (a link at the target is replaced, never followed). Until then the target is left exactly as it
// was, and a failed or abandoned output leaves no file behind. The target's folder is opened once and
// everything after is done on that handle, so that a link or folder switched at its path meanwhile
// cannot move the file elsewhere.
class OutputFile
{
public:
    // A file in a folder of the program's choosing (the demo archive's own files).
    explicit OutputFile(const QString &target);
    // An output of a command that reads `read`: the output rule (outputRefusal) is asked again of the
    // folder held open, after which nothing about the path is looked up again.
    OutputFile(const QString &target, const ReadArchive &read);
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    // A demo file does not need to outlast a crash; a report does.
    void setSyncToDisk(bool sync) { syncToDisk = sync; }
    // The modification time the file gets, set once the last byte is written.
    void setModificationTime(const QDateTime &moment) { modified = moment; }

    // Opens and holds the target's folder, and asks the output rule of it (for an output of a command
    // that reads an archive): the refusal, or the empty text. open() writes into the folder held here.
    QString check();
    // Makes the file of our own; false (see failure()) if the target's folder does not allow it.
    bool open();
    // Where the bytes go, once open.
    QIODevice *device();
    // Checks and puts the file in place; false (see failure()) after any failure, and then the file is
    // gone. `needsContent`: an empty result is a failure too (a writer that said nothing).
    bool commit(bool needsContent = false);
    // Removes the file of our own, leaving the target alone.
    void discard();
    // Why the output could not be written ("no space left on device").
    QString failure() const { return reason; }
    // The system's reason for a write that failed so far, or the empty text.
    QString writeFailure() const;

private:
    bool fail(const QString &why);

    QString target;
    QString targetName; // the target's name in its folder
    std::optional<ReadArchive> read;
    std::unique_ptr<platform::writing::TargetFolder> folder;
    QString temporaryName;
    int handle = -1;
    std::unique_ptr<CheckedOutput> output;
    std::optional<QDateTime> modified;
    bool syncToDisk = true;
    QString reason;
};

// Standard output as the commands write it: every write checked, so that a full disk or /dev/full
// is never taken for success.
class StandardOutput
{
public:
    StandardOutput();
    QIODevice *device() { return &output; }
    // After the last write: the line to print on standard error ("write error: no space left on
    // device"), or the empty text when all went out, or when the reader of a pipe went away
    // before the end, which is the reader's choice and no failure.
    QString finish();

private:
    CheckedOutput output;
};

} // namespace output
