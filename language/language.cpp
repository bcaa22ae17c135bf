// SPDX-License-Identifier: GPL-3.0-or-later
#include "language/language.h"

#include "platform/messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QTranslator>

#include <memory>
#include <vector>

// The translations are a resource of this static library: named here, so that the linker keeps it.
static void initTranslationResource()
{
    Q_INIT_RESOURCE(translations);
}

namespace language {

namespace {

Language chosen = Language::english;

// The built-in Russian translations, one per part of the program, in the order of their names.
std::vector<std::unique_ptr<QTranslator>> loadRussian()
{
    initTranslationResource();
    std::vector<std::unique_ptr<QTranslator>> loaded;
    const QDir folder(QStringLiteral(":/i18n"));
    for (const QString &name : folder.entryList({QStringLiteral("*_ru.qm")}, QDir::Files, QDir::Name)) {
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(folder.filePath(name)))
            loaded.push_back(std::move(translator));
    }
    return loaded;
}

bool russianLocale()
{
    for (const char *variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            return value.startsWith(QLatin1String("ru_")) || value == QLatin1String("ru");
    }
    // A system without these variables (Windows) says its language itself.
    return QLocale::system().language() == QLocale::Russian;
}

} // namespace

void useLocaleLanguage()
{
    // The system's reasons in our lines speak the language of the lines around them.
    if (!russianLocale()) {
        platform::useEnglishSystemMessages();
        return;
    }
    // One translation file per part of the program, all built in: each is installed.
    static std::vector<std::unique_ptr<QTranslator>> translators;
    for (std::unique_ptr<QTranslator> &translator : loadRussian()) {
        if (QCoreApplication::installTranslator(translator.get()))
            translators.push_back(std::move(translator));
    }
    if (!translators.empty())
        chosen = Language::russian;
    else
        platform::useEnglishSystemMessages();
}

QString russianText(const char *context, const char *source)
{
    static const std::vector<std::unique_ptr<QTranslator>> russian = loadRussian();
    // The translator installed last answers first, as QCoreApplication asks them.
    for (auto translator = russian.crbegin(); translator != russian.crend(); ++translator) {
        const QString text = (*translator)->translate(context, source);
        if (!text.isEmpty())
            return text;
    }
    return QString::fromUtf8(source);
}

QString sentenceStart(QString text)
{
    if (!text.isEmpty())
        text[0] = text.at(0).toUpper();
    return text;
}

QString localNumbers(const QString &text)
{
    static const QRegularExpression decimalPoint(QStringLiteral("(?<=[0-9])\\.(?=[0-9])"));
    return chosen == Language::russian ? QString(text).replace(decimalPoint, QStringLiteral(",")) : text;
}

QString localMoment(const QDate &date, const QTime &time)
{
    if (!date.isValid() || !time.isValid())
        return QStringLiteral("?");
    const QLatin1Char zero('0');
    const QString day = chosen == Language::russian ? QStringLiteral("%3.%2.%1") : QStringLiteral("%1-%2-%3");
    return day.arg(date.year(), 4, 10, zero).arg(date.month(), 2, 10, zero).arg(date.day(), 2, 10, zero) +
           QStringLiteral(" %1:%2:%3")
               .arg(time.hour(), 2, 10, zero)
               .arg(time.minute(), 2, 10, zero)
               .arg(time.second(), 2, 10, zero);
}

QLocale numberLocale()
{
    QLocale locale = chosen == Language::russian ? QLocale(QLocale::Russian, QLocale::Russia) : QLocale::c();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

} // namespace language
