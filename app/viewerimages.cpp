// SPDX-License-Identifier: GPL-3.0-or-later
#include "viewerimages.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QImageReader>
#include <QTextStream>
#include <QWidget>

namespace viewerimages {

namespace {

struct Image
{
    const char *fileName;
    const char *buttonName; // nullptr: the window icon
};

const Image images[] = {
    {"icon.bmp", nullptr},
    {"refresh-32.png", "refreshButton"},
    {"unnamed.png", "print"},
};

bool isReadableImage(const QString &path)
{
    return QImageReader(path).canRead();
}

QAbstractButton *buttonOf(const Targets &targets, const Image &image)
{
    if (!image.buttonName)
        return nullptr;
    return qstrcmp(image.buttonName, "refreshButton") == 0 ? targets.refresh : targets.print;
}

QIcon shownIcon(const Targets &targets, const Image &image)
{
    if (!image.buttonName)
        return targets.window->windowIcon();
    const QAbstractButton *button = buttonOf(targets, image);
    return button ? button->icon() : QIcon();
}

} // namespace

QString imagePath(const QString &fileName)
{
    if (isReadableImage(fileName))
        return fileName;
    // Relative to the executable, so that an installed tree still works after it is moved (a package
    // unpacked elsewhere, a test's temporary prefix).
    const QString installed = QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                              QStringLiteral("/" STEEL_IMAGES_FROM_BINARY "/") + fileName);
    return isReadableImage(installed) ? installed : QString();
}

void completeImages(const Targets &targets)
{
    for (const Image &image : images) {
        const QString fileName = QLatin1String(image.fileName);
        const QString path = imagePath(fileName);
        if (path == fileName)
            continue;           // the working directory's file, which the form has already set
        const QIcon icon(path); // null, and so blank as before, when there is no copy at all
        if (!image.buttonName)
            targets.window->setWindowIcon(icon);
        else if (QAbstractButton *button = buttonOf(targets, image))
            button->setIcon(icon);
    }
}

int reportImages(const Targets &targets, QTextStream &out)
{
    bool allDrawn = true;
    for (const Image &image : images) {
        const QString path = imagePath(QLatin1String(image.fileName));
        const bool drawn = !shownIcon(targets, image).pixmap(32, 32).isNull();
        allDrawn = allDrawn && drawn;
        out << image.fileName << ' '
            << (path.isEmpty() ? QStringLiteral("-") : QFileInfo(path).absoluteFilePath()) << ' '
            << (drawn ? "drawn" : "blank") << '\n';
    }
    out.flush();
    return allDrawn ? 0 : 1;
}

} // namespace viewerimages
