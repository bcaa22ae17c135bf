// SPDX-License-Identifier: GPL-3.0-or-later
#include "demoarchive.h"
#include "archive/displayname.h"

#include "archive/archivefolder.h"
#include "language/systemtext.h"
#include "output/jsontext.h"
#include "output/outputfile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <optional>

namespace demo {

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr int fullRecording = 160;
// The schedule (names and moments) has its own fixed seed: it must not change with --seed.
constexpr quint64 scheduleSeed = 0x5EED0F57EE1ull;

// splitmix64: small, fast, and the same sequence on every platform and library, unlike std::rand or
// the standard distributions.
class Random
{
public:
    explicit Random(quint64 seed) : state(seed) {}

    quint64 next()
    {
        quint64 z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uniform() { return double(next() >> 11) * 0x1.0p-53; }
    double uniform(double low, double high) { return low + (high - low) * uniform(); }
    int below(int bound) { return int(next() % quint64(bound)); }
    int between(int low, int high) { return low + below(high - low + 1); }
    double normal()
    {
        const double u1 = 1.0 - uniform(); // never 0, so the logarithm stays finite
        const double u2 = uniform();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * pi * u2);
    }

private:
    quint64 state;
};

// What a measurement shows besides an ordinary good result.
enum class Kind
{
    normal,
    shortRecording,       // the probe was pulled out early: fewer than 160 samples
    thermocoupleError,    // 3: temperature jumps to the converter's overflow value 32767
    cellError,            // 4: the EMF cell gives nonsense
    noTemperaturePlateau, // 5
    noEmfPlateau,         // 6
    noPlateau,            // 7
    thermocoupleBreak,    // 9: temperature samples missing ("nan") after the break
    highValue,            // 11
    lowValue,             // 12
    unknownStatus,        // a code outside the status table
    missingStatus,        // no "Status" key
    nanResults,           // "nan" results
    overflowResults,      // "32767" results
};

struct Planned
{
    QString technology;
    archive::Moment moment;
    QString smelt;
    Kind kind = Kind::normal;
    QString status = QStringLiteral("8");
};

struct Technology
{
    QString name;
    double emfLow;  // plateau range of the EMF in mV: furnace steel is barely deoxidised, ladle and
    double emfHigh; // caster steel is killed with aluminium
    int weight;
};

const Technology technologies[] = {
    {QStringLiteral("DSP"), 15.0, 90.0, 4},
    {QStringLiteral("UKP"), 150.0, 230.0, 4},
    {QStringLiteral("MNLZ"), 140.0, 215.0, 2},
};

const Technology &technologyNamed(const QString &name)
{
    for (const Technology &technology : technologies) {
        if (technology.name == name)
            return technology;
    }
    return technologies[0];
}

bool existsInLocalTime(const archive::Moment &moment)
{
    // Qt moves a moment inside a daylight-saving gap; such a moment cannot be a file's mtime.
    const QDateTime local(moment.date, moment.time, Qt::LocalTime);
    return local.isValid() && local.date() == moment.date && local.time() == moment.time;
}

QVector<Planned> schedule()
{
    const QVector<QPair<int, int>> months = {{2023, 10}, {2023, 11}, {2024, 1}, {2024, 2},  {2024, 3},
                                             {2024, 5},  {2024, 7},  {2024, 9}, {2024, 11}, {2025, 1}};
    Random random(scheduleSeed);
    int weightSum = 0;
    for (const Technology &technology : technologies)
        weightSum += technology.weight;

    QVector<Planned> planned;
    int melt = 41270;
    for (const auto &month : months) {
        QVector<int> days;
        while (days.size() < 6) {
            const int day = random.between(1, 28);
            if (!days.contains(day))
                days.append(day);
        }
        std::sort(days.begin(), days.end());
        for (const int day : days) {
            const int count = random.between(4, 8);
            QVector<int> seconds;
            while (seconds.size() < count) {
                // Day and evening shifts only: keeps clear of the night hours where clocks change.
                const int second = random.between(5 * 3600, 24 * 3600 - 1);
                if (!seconds.contains(second))
                    seconds.append(second);
            }
            std::sort(seconds.begin(), seconds.end());
            for (const int second : seconds) {
                Planned entry;
                int pick = random.below(weightSum);
                for (const Technology &technology : technologies) {
                    if (pick < technology.weight) {
                        entry.technology = technology.name;
                        break;
                    }
                    pick -= technology.weight;
                }
                entry.moment = {QDate(month.first, month.second, day), QTime(0, 0).addSecs(second)};
                melt += random.below(3) == 0 ? 0 : 1; // a melt is sometimes measured twice
                entry.smelt = QString::number(melt);
                if (existsInLocalTime(entry.moment))
                    planned.append(entry);
            }
        }
    }

    // The unusual cases go to fixed places; the newest measurement stays an ordinary good one,
    // since the viewer opens on it.
    struct Special
    {
        Kind kind;
        const char *status; // nullptr: no "Status" key
    };
    QVector<Special> specials = {
        {Kind::thermocoupleError, "3"}, {Kind::cellError, "4"},       {Kind::noTemperaturePlateau, "5"},
        {Kind::noEmfPlateau, "6"},      {Kind::noPlateau, "7"},       {Kind::thermocoupleBreak, "9"},
        {Kind::highValue, "11"},        {Kind::lowValue, "12"},       {Kind::unknownStatus, "0"},
        {Kind::unknownStatus, "10"},    {Kind::unknownStatus, "13"},  {Kind::missingStatus, nullptr},
        {Kind::missingStatus, nullptr}, {Kind::nanResults, "8"},      {Kind::nanResults, "8"},
        {Kind::overflowResults, "8"},   {Kind::overflowResults, "8"},
    };
    for (int i = 0; i < 12; ++i)
        specials.append({Kind::shortRecording, "8"});

    QVector<int> places;
    for (int i = 0; i + 1 < planned.size(); ++i)
        places.append(i);
    for (int i = places.size() - 1; i > 0; --i)
        std::swap(places[i], places[random.below(i + 1)]);
    for (int i = 0; i < specials.size() && i < places.size(); ++i) {
        Planned &entry = planned[places[i]];
        entry.kind = specials[i].kind;
        entry.status = specials[i].status ? QString::fromLatin1(specials[i].status) : QString();
    }
    return planned;
}

// Rise of an immersion probe: the reading holds its start value until the probe is in the melt,
// then approaches the plateau exponentially; `bump` adds a brief overshoot.
QVector<double> probeCurve(Random &random, int length, double start, double plateau, double delay, double tau,
                           double noise, double bump = 0.0)
{
    QVector<double> curve;
    curve.reserve(length);
    for (int i = 0; i < length; ++i) {
        const double t = i * 0.1;
        double value = start;
        if (t >= delay) {
            const double x = (t - delay) / tau;
            value = plateau - (plateau - start) * std::exp(-x) + bump * x * std::exp(-x);
        }
        curve.append(value + noise * random.normal());
    }
    return curve;
}

QString sampleText(double value, int decimals)
{
    if (std::isnan(value))
        return QStringLiteral("nan");
    // QString::number always writes C-locale notation, whatever the machine's locale.
    return QString::number(value, 'f', decimals);
}

QByteArray valuesArray(const QVector<double> &curve, int decimals)
{
    QByteArray text = "{\"values\":[";
    for (int i = 0; i < curve.size(); ++i) {
        if (i > 0)
            text += ',';
        text += '"' + sampleText(curve[i], decimals).toLatin1() + '"';
    }
    text += "]}";
    return text;
}

QString oxidationText(double ppm)
{
    return QString::number(ppm, 'f', ppm >= 100.0 ? 0 : ppm >= 10.0 ? 1 : 2);
}

// The levels a measurement's curves settle at.
struct Plateaus
{
    double temperature;
    double emf;
};

Plateaus plateausOf(const Planned &entry, Random &random)
{
    const Technology &technology = technologyNamed(entry.technology);
    Plateaus plateaus;
    plateaus.temperature = random.uniform(1530.0, 1680.0);
    plateaus.emf = random.uniform(technology.emfLow, technology.emfHigh);
    if (entry.kind == Kind::highValue)
        plateaus.emf = random.uniform(320.0, 380.0);
    else if (entry.kind == Kind::lowValue)
        plateaus.emf = random.uniform(-90.0, -40.0);
    return plateaus;
}

struct Curves
{
    QVector<double> temperature;
    QVector<double> emf;
};

Curves curvesOf(const Planned &entry, const Plateaus &plateaus, Random &random)
{
    int emfLength = fullRecording;
    int temperatureLength = fullRecording;
    if (entry.kind == Kind::shortRecording) {
        emfLength = random.between(40, 150);
        temperatureLength = std::min(fullRecording - 1, emfLength + random.between(-8, 8));
    }
    Curves curves;
    const double temperatureStart = random.uniform(250.0, 700.0);
    const double temperatureDelay = random.uniform(0.2, 0.8);
    double temperatureTau = random.uniform(0.45, 1.1);
    if (entry.kind == Kind::noTemperaturePlateau || entry.kind == Kind::noPlateau)
        temperatureTau = random.uniform(6.0, 9.0);
    curves.temperature = probeCurve(random, temperatureLength, temperatureStart, plateaus.temperature,
                                    temperatureDelay, temperatureTau, random.uniform(0.2, 0.6));

    const double emfStart = random.uniform(-30.0, 20.0);
    const double emfDelay = random.uniform(0.3, 1.0);
    double emfTau = random.uniform(0.8, 1.8);
    double emfNoise = random.uniform(0.4, 1.5);
    if (entry.kind == Kind::noEmfPlateau || entry.kind == Kind::noPlateau)
        emfTau = random.uniform(7.0, 12.0);
    if (entry.kind == Kind::cellError)
        emfNoise = random.uniform(60.0, 120.0);
    curves.emf = probeCurve(random, emfLength, emfStart, plateaus.emf, emfDelay, emfTau, emfNoise,
                            random.uniform(0.0, 0.3) * std::abs(plateaus.emf - emfStart));

    if (entry.kind == Kind::thermocoupleError || entry.kind == Kind::thermocoupleBreak) {
        const int failure = random.between(30, 90);
        const double failed = entry.kind == Kind::thermocoupleError ? 32767.0 : std::nan("");
        for (int i = failure; i < curves.temperature.size(); ++i)
            curves.temperature[i] = failed;
    }
    return curves;
}

// The result texts as a station writes them.
struct Results
{
    QString temperature;
    QString emf;
    QString oxidation;
    QString aluminium;
    QString carbon;
};

Results resultsOf(const Planned &entry, const Plateaus &plateaus, Random &random)
{
    const double measuredTemperature = plateaus.temperature + 0.3 * random.normal();
    const double measuredEmf = plateaus.emf + 0.4 * random.normal();
    // Oxygen activity falls by a decade for every ~80 mV of EMF, a little more in a hotter melt.
    const double oxidation =
        std::exp(6.8 - 0.0291 * (measuredEmf - 20.0) + 0.002 * (measuredTemperature - 1600.0));
    const double aluminium = std::max(0.0, 0.22 * oxidation + random.uniform(5.0, 25.0));
    const double carbon = entry.technology == technologies[0].name
                              ? std::min(0.9, 24.0 / std::max(oxidation, 20.0)) // [C]·[O] equilibrium
                              : random.uniform(0.04, 0.45);
    return {QString::number(measuredTemperature, 'f', 0), QString::number(measuredEmf, 'f', 1),
            oxidationText(oxidation), QString::number(aluminium, 'f', 0), QString::number(carbon, 'f', 3)};
}

// The marks a failed measurement leaves in its results: "nan" for no value, 32767 for an overflow.
void markFailures(Kind kind, Results &r)
{
    const QString nan = QStringLiteral("nan");
    const QString overflow = QStringLiteral("32767");
    switch (kind) {
    case Kind::thermocoupleError:
        r.temperature = r.oxidation = r.aluminium = r.carbon = overflow;
        break;
    case Kind::cellError:
    case Kind::noEmfPlateau:
        r.emf = r.oxidation = r.aluminium = r.carbon = nan;
        break;
    case Kind::noTemperaturePlateau:
    case Kind::thermocoupleBreak:
        r.temperature = r.oxidation = r.aluminium = r.carbon = nan;
        break;
    case Kind::noPlateau:
        r.temperature = r.emf = r.oxidation = r.aluminium = r.carbon = nan;
        break;
    case Kind::nanResults:
        r.aluminium = r.carbon = nan;
        break;
    case Kind::overflowResults:
        r.oxidation = r.aluminium = overflow;
        break;
    default:
        break;
    }
}

// The key of the seed a demo file was made with; a reader of measurements passes over keys it does not
// know.
const char *const demoSeedKey = "DemoSeed";

// The seed a file names as the last key of its document, if it names one.
std::optional<quint64> seedOfDocument(const QByteArray &content)
{
    static const QRegularExpression last(
        QStringLiteral("\"%1\":\"([0-9]{1,20})\"\\}\n$").arg(QLatin1String(demoSeedKey)));
    const QRegularExpressionMatch match = last.match(QString::fromLatin1(content.right(64)));
    bool ok = false;
    const quint64 seed = match.hasMatch() ? match.captured(1).toULongLong(&ok) : 0;
    return ok ? std::optional<quint64>(seed) : std::nullopt;
}

QByteArray measurementDocument(const Planned &entry, Random &random, quint64 seed)
{
    const Plateaus plateaus = plateausOf(entry, random);
    const Curves curves = curvesOf(entry, plateaus, random);
    Results results = resultsOf(entry, plateaus, random);
    markFailures(entry.kind, results);

    QByteArray document =
        "{\"Archives\":[" + valuesArray(curves.emf, 2) + ',' + valuesArray(curves.temperature, 1) + "]";
    const auto addText = [&document](const char *key, const QString &text) {
        document += ",\"" + QByteArray(key) + "\":" + output::jsonQuoted(text).toUtf8();
    };
    addText("Smelt", entry.smelt);
    addText("Temp", results.temperature);
    addText("Eds", results.emf);
    addText("OxActivity", results.oxidation);
    addText("MassAl", results.aluminium);
    addText("Carbon", results.carbon);
    if (!entry.status.isNull())
        addText("Status", entry.status);
    // Last, where a later run finds it: the seed that makes this file again, byte for byte.
    addText(demoSeedKey, QString::number(seed));
    document += "}\n";
    return document;
}

} // namespace

QVector<DemoFile> demoArchive(quint64 seed)
{
    const QVector<Planned> planned = schedule();
    QVector<DemoFile> files;
    files.reserve(planned.size());
    for (int i = 0; i < planned.size(); ++i) {
        const Planned &entry = planned[i];
        // Each file has its own stream, so that a change to one kind of file leaves the others alone.
        Random random(seed * 0x100000001B3ull + quint64(i) * 0x9E3779B97F4A7C15ull);
        files.append({archive::archiveFileName(entry.technology, entry.moment), entry.moment,
                      measurementDocument(entry, random, seed)});
    }
    return files;
}

namespace {

// Whether the file at `path` is exactly the demo file of its name for the seed it names. `made` keeps
// the archives of the seeds met so far.
bool isAsDemoWroteIt(const QString &path, QHash<quint64, QHash<QString, QByteArray>> *made)
{
    QFile file(path);
    // A demo file is a few kilobytes; anything far larger is no demo file and need not be read whole.
    if (file.size() > 1024 * 1024 || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray content = file.readAll();
    const std::optional<quint64> seed = seedOfDocument(content);
    if (!seed)
        return false;
    QHash<QString, QByteArray> &archive = (*made)[*seed];
    if (archive.isEmpty()) {
        for (const DemoFile &demoFile : demoArchive(*seed))
            archive.insert(demoFile.fileName, demoFile.content);
    }
    const auto found = archive.constFind(QFileInfo(path).fileName());
    return found != archive.cend() && *found == content;
}

} // namespace

QString demoRefusal(const QString &directory, const QVector<DemoFile> &files)
{
    const QFileInfo info(directory);
    if (!info.exists())
        return QString();
    if (!info.isDir())
        return QCoreApplication::translate("demo", "%1: exists and is not a folder")
            .arg(archive::displayPath(directory));
    QSet<QString> names;
    for (const DemoFile &file : files)
        names.insert(file.fileName);
    // The demo archives of the seeds the folder's files name, made again to be compared with.
    QHash<quint64, QHash<QString, QByteArray>> made;
    const QFileInfoList entries =
        QDir(directory).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        // What a run that was killed while writing left behind is no content of anyone's.
        if (entry.isFile() && !entry.isSymLink() && output::isUnfinishedOutputName(entry.fileName()))
            continue;
        if (!entry.isFile() || entry.isSymLink() || !names.contains(entry.fileName()))
            return QCoreApplication::translate("demo",
                                               "%1: the folder holds \"%2\", which is not a file of the "
                                               "demo archive; refusing to write into a folder that is not "
                                               "empty and not an earlier demo archive")
                .arg(archive::displayPath(directory), entry.fileName());
        if (!isAsDemoWroteIt(entry.filePath(), &made))
            return QCoreApplication::translate("demo",
                                               "%1: \"%2\" is not byte for byte what demo wrote (it was "
                                               "changed since, or comes from elsewhere); refusing to "
                                               "overwrite it")
                .arg(archive::displayPath(directory), entry.fileName());
    }
    return QString();
}

QString writeDemoArchive(const QString &directory, const QVector<DemoFile> &files)
{
    if (!QDir().mkpath(directory))
        return QCoreApplication::translate("demo", "%1: the folder cannot be created")
            .arg(archive::displayPath(directory));
    for (const DemoFile &demoFile : files) {
        // Each file replaced whole: an earlier file (or another name of it elsewhere) is never written
        // through, and a full disk leaves no cut-off measurement behind.
        const QString path = directory + QLatin1Char('/') + demoFile.fileName;
        output::OutputFile file(path);
        file.setSyncToDisk(false);
        file.setModificationTime(QDateTime(demoFile.moment.date, demoFile.moment.time, Qt::LocalTime));
        if (!file.open() || file.device()->write(demoFile.content) != demoFile.content.size() ||
            !file.commit(true))
            return QStringLiteral("%1: %2").arg(
                archive::displayPath(path), file.failure().isEmpty() ? file.writeFailure() : file.failure());
    }
    return QString();
}

} // namespace demo
