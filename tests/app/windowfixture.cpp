// SPDX-License-Identifier: GPL-3.0-or-later
#include "windowfixture.h"

#include "support/files.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <qcustomplot.h>

namespace fixture {

const QString choose = QStringLiteral("Выбрать");
const QString noData = QStringLiteral("Нет данных");

qint64 at(int seconds)
{
    return qint64(1609459200) + seconds;
}

WorkingFolder::WorkingFolder(bool withArchive) : previousWorkingDir(QDir::currentPath())
{
    valid = dir.isValid() && (!withArchive || QDir(dir.path()).mkdir(QStringLiteral("archive")));
}

WorkingFolder::~WorkingFolder()
{
    QDir::setCurrent(previousWorkingDir);
}

bool WorkingFolder::addFile(const QString &name, const QByteArray &content, qint64 modifiedSecs)
{
    return addFileIn(archivePath(), name, content, modifiedSecs);
}

bool WorkingFolder::addFileIn(const QString &folder, const QString &name, const QByteArray &content,
                              qint64 modifiedSecs)
{
    return support::writeStampedFile(folder + QLatin1Char('/') + name, content, modifiedSecs);
}

bool WorkingFolder::addImages()
{
    const QString images = qEnvironmentVariable("STEEL_SOURCE_DIR") + QStringLiteral("/images/");
    for (const char *name : {"icon.bmp", "refresh-32.png", "unnamed.png"}) {
        if (!QFile::copy(images + QLatin1String(name), dir.filePath(QLatin1String(name))))
            return false;
    }
    return true;
}

std::unique_ptr<MainWindow> WorkingFolder::openWindow()
{
    if (!QDir::setCurrent(dir.path()))
        qFatal("cannot enter %s", qPrintable(dir.path()));
    return std::make_unique<MainWindow>();
}

QJsonObject measurement(const QString &smelt)
{
    QJsonArray emf;
    QJsonArray temperature;
    for (int i = 0; i < 160; ++i) {
        emf.append(QString::number(10 + i * 0.5));
        temperature.append(QString::number(1500 + i));
    }
    QJsonObject emfCurve{{QStringLiteral("values"), emf}};
    QJsonObject temperatureCurve{{QStringLiteral("values"), temperature}};
    return QJsonObject{{QStringLiteral("Archives"), QJsonArray{emfCurve, temperatureCurve}},
                       {QStringLiteral("Smelt"), smelt},
                       {QStringLiteral("Temp"), QStringLiteral("1563.40")},
                       {QStringLiteral("Eds"), QStringLiteral("12.5")},
                       {QStringLiteral("OxActivity"), QStringLiteral("35")},
                       {QStringLiteral("MassAl"), QStringLiteral("12")},
                       {QStringLiteral("Carbon"), QStringLiteral("0.05")},
                       {QStringLiteral("Status"), QStringLiteral("8")}};
}

QByteArray line(const QJsonObject &measurement)
{
    return QJsonDocument(measurement).toJson(QJsonDocument::Compact) + '\n';
}

QStringList entries(const QComboBox *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->itemText(i));
    return texts;
}

namespace {

template <typename T> T *find(const QWidget *window, const char *name)
{
    T *widget = window->findChild<T *>(QLatin1String(name));
    if (!widget)
        qFatal("the window has no %s named %s", T::staticMetaObject.className(), name);
    return widget;
}

} // namespace

QComboBox *list(const QWidget *window, const char *name)
{
    return find<QComboBox>(window, name);
}

QLabel *label(const QWidget *window, const char *name)
{
    return find<QLabel>(window, name);
}

QLineEdit *pathField(const QWidget *window)
{
    return find<QLineEdit>(window, "pathToDir");
}

QPushButton *button(const QWidget *window, const char *name)
{
    return find<QPushButton>(window, name);
}

QCustomPlot *plot(const QWidget *window)
{
    return find<QCustomPlot>(window, "customPlotSteel");
}

void typePath(QWidget *window, const QString &text)
{
    QLineEdit *field = pathField(window);
    field->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Delete);
    else
        QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

QStringList shownValues(const QWidget *window)
{
    QStringList texts;
    for (const char *name :
         {"nameSteelSmelt", "steelTemp", "steelAO", "steelEmf", "steelAl", "steelC", "statusLabel"})
        texts.append(label(window, name)->text());
    return texts;
}

QStringList emptyValues()
{
    return {QStringLiteral("—"), noData, noData, noData, noData, noData, QStringLiteral("СТАТУС")};
}

} // namespace fixture
