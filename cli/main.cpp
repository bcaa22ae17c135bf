// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/archivereader.h"
#include "commandline.h"
#include "commands.h"
#include "language/language.h"
#include "output/codepageoutput.h"
#include "output/outputfile.h"

#include "platform/console.h"
#include "platform/writing.h"
#include "printing/shippedfonts.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>

namespace {

QtMessageHandler qtHandler = nullptr;

// Drawing offscreen outside a desktop session makes Qt note a missing runtime folder, which it then
// replaces itself; a picture that cannot be written makes the painter complain before render says
// why in its own line. Neither helps the reader: stderr is kept for our own error line.
void filterMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg &&
        (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")) ||
         message.startsWith(QLatin1String("QPainter::begin"))))
        return;
    qtHandler(type, context, message);
}

// The command's name: the first argument that is not --encoding's (which may come before it).
QString commandName(int argc, char *argv[])
{
    int i = 1;
    while (i < argc) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument == QLatin1String("--encoding"))
            i += 2;
        else if (argument.startsWith(QLatin1String("--encoding=")))
            ++i;
        else
            return argument;
    }
    return QString();
}

} // namespace

int main(int argc, char *argv[])
{
    // A file-size limit (ulimit -f) would end the program silently halfway through a write; the write
    // fails instead, and the command says so in its one line.
    platform::writing::failWritesBeyondSizeLimit();
    const bool needsWidgets = cli::commandNeedsWidgets(commandName(argc, argv));
    // Drawing needs a platform plug-in, but not a screen: without a choice of the caller's, draw offscreen.
    if (needsWidgets && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qtHandler = qInstallMessageHandler(filterMessages);
    std::unique_ptr<QCoreApplication> application;
    if (needsWidgets)
        application = std::make_unique<QApplication>(argc, argv);
    else
        application = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("steel-archive"));
    language::useLocaleLanguage();
    if (needsWidgets)
        printing::loadShippedFonts();

    // Texts from the archive and the status verdicts are Cyrillic: UTF-8 whatever the locale, or the
    // code page --encoding asks for (a Windows console is given them in its own form, readable whatever
    // its code page). Every write to standard output is checked: output lost to a full disk, or text
    // the code page cannot hold, is never a success.
    const std::unique_ptr<QIODevice> errDevice =
        platform::openStandardStream(platform::StandardStream::error);
    QTextStream err(errDevice.get());
    err.setCodec("UTF-8");
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    // Tests and benchmarks read files written a moment before: "--settle-ms=N" sets how long a file
    // must rest before the index or the database keeps it. Not an option for the plant, and not in
    // the help. The last one given counts.
    for (int i = 0; i < arguments.size();) {
        if (!arguments.at(i).startsWith(QLatin1String("--settle-ms="))) {
            ++i;
            continue;
        }
        archive::setIndexSettleMilliseconds(arguments.at(i).mid(12).toLongLong());
        arguments.removeAt(i);
    }
    QString encodingError;
    const std::optional<platform::CodePage> codePage = cli::takeEncodingOption(arguments, &encodingError);
    if (!encodingError.isEmpty()) {
        err << "steel-archive: " << encodingError << '\n';
        return cli::exitFailure;
    }
    output::StandardOutput standardOutput;
    const std::unique_ptr<QIODevice> console = platform::openConsoleDevice(platform::StandardStream::output);
    std::unique_ptr<output::CodePageOutput> encoded;
    if (!console && codePage)
        encoded = std::make_unique<output::CodePageOutput>(*codePage, standardOutput.device());
    QTextStream out(console ? console.get() : encoded ? encoded.get() : standardOutput.device());
    out.setCodec("UTF-8");
    int code = cli::runCommand(arguments, out, err);
    out.flush();
    const QString writeFailure = standardOutput.finish();
    const QString encodingFailure = encoded ? encoded->failure() : QString();
    if (!writeFailure.isEmpty() || !encodingFailure.isEmpty()) {
        err << "steel-archive: " << (encodingFailure.isEmpty() ? writeFailure : encodingFailure) << '\n';
        code = cli::exitFailure;
    }
    err.flush();
    return code;
}
