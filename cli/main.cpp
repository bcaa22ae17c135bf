// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands.h"
#include "language/language.h"
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

} // namespace

int main(int argc, char *argv[])
{
    // A file-size limit (ulimit -f) would end the program silently halfway through a write; the write
    // fails instead, and the command says so in its one line.
    platform::writing::failWritesBeyondSizeLimit();
    const bool needsWidgets = argc > 1 && cli::commandNeedsWidgets(QString::fromLocal8Bit(argv[1]));
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

    // Texts from the archive and the status verdicts are Cyrillic: always UTF-8, whatever the locale
    // (a Windows console is given them in its own form, readable whatever its code page). Every write
    // to standard output is checked: output lost to a full disk is never a success.
    output::StandardOutput standardOutput;
    const std::unique_ptr<QIODevice> console = platform::openConsoleDevice(platform::StandardStream::output);
    QTextStream out(console ? console.get() : standardOutput.device());
    const std::unique_ptr<QIODevice> errDevice =
        platform::openStandardStream(platform::StandardStream::error);
    QTextStream err(errDevice.get());
    out.setCodec("UTF-8");
    err.setCodec("UTF-8");
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    int code = cli::runCommand(arguments, out, err);
    out.flush();
    const QString writeFailure = standardOutput.finish();
    if (!writeFailure.isEmpty()) {
        err << "steel-archive: " << writeFailure << '\n';
        code = cli::exitFailure;
    }
    err.flush();
    return code;
}
