// SPDX-License-Identifier: GPL-3.0-or-later
// The widget tree as the window builds it: what a person sees before any archive is read.
#include "windowfixture.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <qcustomplot.h>

#include <algorithm>
#include <memory>
#include <vector>

Q_DECLARE_METATYPE(QMargins)

namespace {

constexpr int unlimited = QWIDGETSIZE_MAX;

// One object of the form as found by walking the layouts from the central widget down: the order of
// the walk is the order in which the form adds things to its layouts.
struct FormObject
{
    QString name;
    QString className;
    QString placedIn; // object name of the layout holding it; empty for the central widget
    int row = -1, column = -1, rowSpan = -1, columnSpan = -1; // grid cells only
    QLayoutItem *item = nullptr;
    QWidget *widget = nullptr;
    QLayout *layout = nullptr;
};

void walkLayout(QLayout *layout, std::vector<FormObject> &objects);

void walkWidget(QWidget *widget, FormObject object, std::vector<FormObject> &objects)
{
    object.name = widget->objectName();
    object.className = QString::fromLatin1(widget->metaObject()->className());
    object.widget = widget;
    objects.push_back(object);
    if (widget->layout())
        walkLayout(widget->layout(), objects);
}

void walkLayout(QLayout *layout, std::vector<FormObject> &objects)
{
    // A widget's own layout is placed in the widget: the table names it "layout of <widget>".
    if (objects.empty() || objects.back().layout != layout) {
        FormObject self;
        self.name = layout->objectName();
        self.className = QString::fromLatin1(layout->metaObject()->className());
        self.placedIn = layout->parentWidget() && layout->parentWidget()->layout() == layout
                            ? layout->parentWidget()->objectName()
                            : QString();
        self.layout = layout;
        objects.push_back(self);
    }
    auto *grid = qobject_cast<QGridLayout *>(layout);
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem *item = layout->itemAt(i);
        FormObject object;
        object.placedIn = layout->objectName();
        object.item = item;
        if (grid)
            grid->getItemPosition(i, &object.row, &object.column, &object.rowSpan, &object.columnSpan);
        if (item->widget()) {
            walkWidget(item->widget(), object, objects);
        } else if (item->layout()) {
            object.name = item->layout()->objectName();
            object.className = QString::fromLatin1(item->layout()->metaObject()->className());
            object.layout = item->layout();
            objects.push_back(object);
            walkLayout(item->layout(), objects);
        } else if (item->spacerItem()) {
            object.className = QStringLiteral("QSpacerItem");
            objects.push_back(object);
        }
    }
}

} // namespace

class MainWindowFormTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void formHasFortySevenObjects();
    void objectsInOrderWithClassAndPlace_data();
    void objectsInOrderWithClassAndPlace();

    void texts_data();
    void texts();
    void temperatureUnitUsesCyrillicEs();
    void fonts_data();
    void fonts();
    void widgetsWithoutOwnFont_data();
    void widgetsWithoutOwnFont();
    void styleSheets_data();
    void styleSheets();
    void sizeLimits_data();
    void sizeLimits();
    void alignmentsAndMargins_data();
    void alignmentsAndMargins();
    void layoutSpacingAndMargins_data();
    void layoutSpacingAndMargins();
    void frames_data();
    void frames();
    void spacers();

    void selectionListSettings_data();
    void selectionListSettings();
    void openListsReadLikeTheClosedLists();
    void plotWidgetSettings();
    void windowTitleSizeAndNoBars();
    void tabOrderFollowsCreationOrder();

    void iconsAreLoadedFromTheWorkingDirectory();
    void missingImagesLeaveBlankIconsAndWorkingButtons();

private:
    std::unique_ptr<fixture::WorkingFolder> folder;
    std::unique_ptr<MainWindow> window;
    std::vector<FormObject> walk;
};

void MainWindowFormTest::init()
{
    // Without an archive folder: the form exactly as built, with nothing loaded into it.
    folder = std::make_unique<fixture::WorkingFolder>(false);
    QVERIFY(folder->isValid());
    window = folder->openWindow();
    // On a screen the form fits (the test platform's own is 800 by 600): the form's own sizes and fonts,
    // which yield only where they do not fit (tst_windowfit).
    window->fitInto(QSize(1904, 1000));
    walk.clear();
    walkWidget(window->centralWidget(), FormObject(), walk);
}

void MainWindowFormTest::cleanup()
{
    window.reset();
    folder.reset();
}

void MainWindowFormTest::formHasFortySevenObjects()
{
    // The form's own 47, and beside them the buttons of the control chart and of the comparison.
    const auto chartButtons = std::count_if(walk.begin(), walk.end(), [](const FormObject &o) {
        return o.name == QLatin1String("chartButton") || o.name == QLatin1String("compareButton");
    });
    QCOMPARE(chartButtons, 2);
    QCOMPARE(int(walk.size()) - int(chartButtons), 47);
    QCOMPARE(window->centralWidget()->objectName(), QStringLiteral("centralWidget"));
    QCOMPARE(window->objectName(), QStringLiteral("MainWindow"));
}

void MainWindowFormTest::objectsInOrderWithClassAndPlace_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("placedIn");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("rowSpan");
    QTest::addColumn<int>("columnSpan");

    struct Row
    {
        const char *name;
        const char *className;
        const char *placedIn;
        int row, column, rowSpan, columnSpan;
    };
    // Spacers have no object name; they are listed by their member name for the test row only.
    const Row rows[] = {
        {"centralWidget", "QWidget", "", -1, -1, -1, -1},
        {"verticalLayout", "QVBoxLayout", "centralWidget", -1, -1, -1, -1},
        {"frame", "QFrame", "verticalLayout", -1, -1, -1, -1},
        {"horizontalLayout", "QHBoxLayout", "frame", -1, -1, -1, -1},
        {"label", "QLabel", "horizontalLayout", -1, -1, -1, -1},
        {"pathToDir", "QLineEdit", "horizontalLayout", -1, -1, -1, -1},
        {"pushButton", "QPushButton", "horizontalLayout", -1, -1, -1, -1},
        {"refreshButton", "QPushButton", "horizontalLayout", -1, -1, -1, -1},
        {"print", "QPushButton", "horizontalLayout", -1, -1, -1, -1},
        {"chartButton", "QPushButton", "horizontalLayout", -1, -1, -1, -1},
        {"compareButton", "QPushButton", "horizontalLayout", -1, -1, -1, -1},
        {"horizontalSpacer", "QSpacerItem", "horizontalLayout", -1, -1, -1, -1},
        {"frame_2", "QFrame", "verticalLayout", -1, -1, -1, -1},
        {"gridLayout_2", "QGridLayout", "frame_2", -1, -1, -1, -1},
        {"horizontalLayout_19", "QHBoxLayout", "gridLayout_2", 0, 0, 1, 2},
        {"verticalLayout_17", "QVBoxLayout", "horizontalLayout_19", -1, -1, -1, -1},
        {"label_58", "QLabel", "verticalLayout_17", -1, -1, -1, -1},
        {"comboSteelTech", "QComboBox", "verticalLayout_17", -1, -1, -1, -1},
        {"verticalLayout_19", "QVBoxLayout", "horizontalLayout_19", -1, -1, -1, -1},
        {"label_53", "QLabel", "verticalLayout_19", -1, -1, -1, -1},
        {"yearMonthCombobox", "QComboBox", "verticalLayout_19", -1, -1, -1, -1},
        {"verticalLayout_20", "QVBoxLayout", "horizontalLayout_19", -1, -1, -1, -1},
        {"label_54", "QLabel", "verticalLayout_20", -1, -1, -1, -1},
        {"dayCombobox", "QComboBox", "verticalLayout_20", -1, -1, -1, -1},
        {"verticalLayout_16", "QVBoxLayout", "horizontalLayout_19", -1, -1, -1, -1},
        {"label_51", "QLabel", "verticalLayout_16", -1, -1, -1, -1},
        {"timeSteel", "QComboBox", "verticalLayout_16", -1, -1, -1, -1},
        {"customPlotSteel", "QCustomPlot", "gridLayout_2", 1, 0, 1, 1},
        {"frame_6", "QFrame", "gridLayout_2", 1, 1, 1, 1},
        {"gridLayout_4", "QGridLayout", "frame_6", -1, -1, -1, -1},
        {"steelAO", "QLabel", "gridLayout_4", 4, 0, 1, 1},
        {"steelAl", "QLabel", "gridLayout_4", 8, 0, 1, 1},
        {"label_60", "QLabel", "gridLayout_4", 8, 1, 1, 1},
        {"label_18", "QLabel", "gridLayout_4", 3, 0, 1, 2},
        {"steelC", "QLabel", "gridLayout_4", 10, 0, 1, 1},
        {"label_63", "QLabel", "gridLayout_4", 9, 0, 1, 2},
        {"verticalSpacer", "QSpacerItem", "gridLayout_4", 12, 0, 1, 1},
        {"label_9", "QLabel", "gridLayout_4", 2, 1, 1, 1},
        {"nameSteelSmelt", "QLabel", "gridLayout_4", 0, 1, 1, 1},
        {"label_61", "QLabel", "gridLayout_4", 7, 0, 1, 2},
        {"label_65", "QLabel", "gridLayout_4", 0, 0, 1, 1},
        {"label_59", "QLabel", "gridLayout_4", 1, 0, 1, 2},
        {"label_56", "QLabel", "gridLayout_4", 5, 0, 1, 2},
        {"label_57", "QLabel", "gridLayout_4", 6, 1, 1, 1},
        {"label_64", "QLabel", "gridLayout_4", 10, 1, 1, 1},
        {"steelTemp", "QLabel", "gridLayout_4", 2, 0, 1, 1},
        {"steelEmf", "QLabel", "gridLayout_4", 6, 0, 1, 1},
        {"label_62", "QLabel", "gridLayout_4", 4, 1, 1, 1},
        {"statusLabel", "QLabel", "gridLayout_4", 11, 0, 1, 1},
    };
    int index = 0;
    for (const Row &r : rows) {
        QTest::newRow(r.name) << index++ << QString::fromLatin1(r.className)
                              << QString::fromLatin1(r.placedIn) << r.row << r.column << r.rowSpan
                              << r.columnSpan;
    }
}

void MainWindowFormTest::objectsInOrderWithClassAndPlace()
{
    QFETCH(int, index);
    QFETCH(QString, className);
    QFETCH(QString, placedIn);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(int, rowSpan);
    QFETCH(int, columnSpan);

    QVERIFY2(index < int(walk.size()), "the form has fewer objects than expected");
    const FormObject &found = walk[size_t(index)];
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    // Spacers carry no object name at all; everything else carries its member name.
    QCOMPARE(found.name, className == QLatin1String("QSpacerItem") ? QString() : name);
    QCOMPARE(found.className, className);
    QCOMPARE(found.placedIn, placedIn);
    QCOMPARE(found.row, row);
    QCOMPARE(found.column, column);
    QCOMPARE(found.rowSpan, rowSpan);
    QCOMPARE(found.columnSpan, columnSpan);
    // No item carries an alignment of its own within its layout.
    if (found.item)
        QCOMPARE(int(found.item->alignment()), 0);
}

void MainWindowFormTest::texts_data()
{
    QTest::addColumn<QString>("text");
    const QString noData = fixture::noData;
    const std::pair<const char *, QString> rows[] = {
        {"label", QStringLiteral("Источник")},
        {"label_58", QStringLiteral("НАЗВАНИЕ ТЕХНОЛОГИИ")},
        {"label_53", QStringLiteral("ГОД.МЕСЯЦ")},
        {"label_54", QStringLiteral("ДЕНЬ")},
        {"label_51", QStringLiteral("ВРЕМЯ ИЗМЕРЕНИЯ")},
        {"steelAO", noData},
        {"steelAl", noData},
        {"label_60", QStringLiteral("кг")},
        {"label_18", QStringLiteral("ОКИСЛЕННОСТЬ")},
        {"steelC", noData},
        {"label_63", QStringLiteral("УГЛЕРОД")},
        {"nameSteelSmelt", QStringLiteral("—")}, // a dash, no melt "1", before any measurement
        {"label_61", QStringLiteral("МАССА АЛЮМИНИЯ")},
        {"label_65", QStringLiteral("ПЛАВКА №")},
        {"label_59", QStringLiteral("ТЕМПЕРАТУРА")},
        {"label_56", QStringLiteral("ЭДС")},
        {"label_57", QStringLiteral("мВ")},
        {"label_64", QStringLiteral("%")},
        {"steelTemp", noData},
        {"steelEmf", noData},
        {"label_62", QStringLiteral("ppm")},
        // The window opens without an archive folder: its empty sheet says so.
        {"statusLabel", QStringLiteral("Папка не найдена")},
        {"pushButton", QStringLiteral("...")},
        {"refreshButton", QString()},
        {"print", QString()},
    };
    for (const auto &row : rows)
        QTest::newRow(row.first) << row.second;
}

void MainWindowFormTest::texts()
{
    QFETCH(QString, text);
    QObject *object = window->findChild<QObject *>(QLatin1String(QTest::currentDataTag()));
    QVERIFY(object);
    QCOMPARE(object->property("text").toString(), text);
}

void MainWindowFormTest::temperatureUnitUsesCyrillicEs()
{
    // The caption beside the temperature field is "°С" with the Cyrillic Es, unlike the plot's axis.
    const QString text = fixture::label(window.get(), "label_9")->text();
    QCOMPARE(text.size(), 2);
    QCOMPARE(text.at(0).unicode(), ushort(0x00B0));
    QCOMPARE(text.at(1).unicode(), ushort(0x0421));
}

void MainWindowFormTest::fonts_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("pointSize");
    QTest::addColumn<int>("weight");
    QTest::addColumn<int>("styleStrategy");

    const QString arial = QStringLiteral("Arial");
    const QString openSans = QStringLiteral("Open Sans");
    const int normal = QFont::Normal;
    const int plain = QFont::PreferDefault;
    auto f1 = [&](const char *name) { QTest::newRow(name) << arial << 18 << normal << plain; };
    auto f2 = [&](const char *name) { QTest::newRow(name) << openSans << 16 << normal << plain; };
    auto f3 = [&](const char *name) { QTest::newRow(name) << openSans << 18 << normal << plain; };
    for (const char *name : {"label", "pathToDir", "pushButton", "chartButton", "compareButton"})
        f1(name);
    for (const char *name :
         {"label_58", "comboSteelTech", "yearMonthCombobox", "dayCombobox", "timeSteel", "label_65",
          "label_59", "label_18", "label_56", "label_61", "label_63", "statusLabel"})
        f2(name);
    for (const char *name : {"label_53", "label_54", "label_51", "steelTemp", "steelAO", "steelEmf",
                             "steelAl", "steelC", "label_9", "label_57", "label_60", "label_64", "label_62"})
        f3(name);
    QTest::newRow("customPlotSteel") << openSans << 14 << int(QFont::Bold) << int(QFont::NoAntialias);
    QTest::newRow("nameSteelSmelt") << openSans << 14 << normal << plain;
}

void MainWindowFormTest::fonts()
{
    QFETCH(QString, family);
    QFETCH(int, pointSize);
    QFETCH(int, weight);
    QFETCH(int, styleStrategy);
    auto *widget = window->findChild<QWidget *>(QLatin1String(QTest::currentDataTag()));
    QVERIFY(widget);
    QVERIFY(widget->testAttribute(Qt::WA_SetFont));
    const QFont font = widget->font();
    QCOMPARE(font.family(), family);
    QCOMPARE(font.pointSize(), pointSize);
    QCOMPARE(font.weight(), weight);
    QCOMPARE(int(font.styleStrategy()), styleStrategy);
    QCOMPARE(font.italic(), false);
}

void MainWindowFormTest::widgetsWithoutOwnFont_data()
{
    QTest::addColumn<int>("unused");
    for (const char *name : {"centralWidget", "frame", "frame_2", "frame_6", "refreshButton", "print"})
        QTest::newRow(name) << 0;
}

void MainWindowFormTest::widgetsWithoutOwnFont()
{
    auto *widget = window->findChild<QWidget *>(QLatin1String(QTest::currentDataTag()));
    QVERIFY(widget);
    QVERIFY(!widget->testAttribute(Qt::WA_SetFont));
    QVERIFY(!window->testAttribute(Qt::WA_SetFont));
}

void MainWindowFormTest::styleSheets_data()
{
    QTest::addColumn<QString>("sheet");
    const QString s1 =
        QStringLiteral("QComboBox {\nbackground-color: rgb(91, 119, 143);\ncolor: rgb(255, 255, "
                       "255);\nborder-radius: 0px;\ntext-align: center;\n}");
    const QString s2 = QStringLiteral(
        "\tbackground-color: rgb(21, 159, 133);\n\tcolor: rgb(255, 255, 255);\n\tborder-radius: 0px;");
    const QString s3 = QStringLiteral(
        "\tbackground-color: rgb(91, 119, 143);\n\tcolor: rgb(255, 255, 255);\n\tborder-radius: 0px;");
    const QString s4 =
        QStringLiteral("background-color: rgb(230, 230, 230);\ncolor: rgb(0, 0, 0);\nborder-radius: 0px;\n");
    const QString s5 =
        QStringLiteral("background-color:rgb(44, 61, 77);\ncolor: rgb(255 , 255, 255);\nborder-radius: 0px;");
    const QString s6 = QStringLiteral(
        "background-color: rgb(232, 76, 61);\ncolor: rgb(255, 255, 255);\nborder-radius: 0px;");

    for (const char *name : {"comboSteelTech", "yearMonthCombobox", "dayCombobox", "timeSteel"})
        QTest::newRow(name) << s1;
    QTest::newRow("steelAO") << s2;
    QTest::newRow("steelAl") << s3;
    QTest::newRow("steelC") << s4;
    QTest::newRow("nameSteelSmelt") << s5;
    QTest::newRow("steelEmf") << s5;
    QTest::newRow("steelTemp") << s6;
    // Every other widget of the form, the window and the application have none.
    for (const char *name :
         {"MainWindow",    "centralWidget", "frame",       "label",           "pathToDir",  "pushButton",
          "refreshButton", "print",         "chartButton", "compareButton",   "frame_2",    "label_58",
          "label_53",      "label_54",      "label_51",    "customPlotSteel", "frame_6",    "label_60",
          "label_18",      "label_63",      "label_9",     "label_61",        "label_65",   "label_59",
          "label_56",      "label_57",      "label_64",    "label_62",        "statusLabel"})
        QTest::newRow(name) << QString();
}

void MainWindowFormTest::styleSheets()
{
    QFETCH(QString, sheet);
    const QString name = QLatin1String(QTest::currentDataTag());
    QWidget *widget = name == QLatin1String("MainWindow") ? window.get() : window->findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->styleSheet(), sheet);
    QCOMPARE(qApp->styleSheet(), QString());
}

void MainWindowFormTest::sizeLimits_data()
{
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QSize>("maximum");
    // Fixed widths of the values panel are the least it takes: a text that needs more widens its part
    // (the panel's fit is checked against the texts themselves in tst_panelfit).
    QTest::addColumn<bool>("fitted");
    const QSize none(unlimited, unlimited);
    QTest::newRow("pathToDir") << QSize(500, 40) << none << false;
    QTest::newRow("pushButton") << QSize(60, 40) << QSize(60, 40) << false;
    QTest::newRow("refreshButton") << QSize(40, 40) << QSize(40, 40) << false;
    QTest::newRow("print") << QSize(0, 0) << none << false;
    QTest::newRow("label_58") << QSize(0, 28) << none << false;
    for (const char *name : {"label_53", "label_54", "label_51"})
        QTest::newRow(name) << QSize(0, 36) << none << false;
    for (const char *name : {"comboSteelTech", "yearMonthCombobox", "dayCombobox", "timeSteel"})
        QTest::newRow(name) << QSize(0, 41) << none << false;
    QTest::newRow("customPlotSteel") << QSize(0, 0) << none << false;
    QTest::newRow("frame_6") << QSize(225, 0) << QSize(225, unlimited) << true;
    for (const char *name : {"label_65", "label_59", "label_18", "label_56", "label_61", "label_63"})
        QTest::newRow(name) << QSize(0, 38) << none << false;
    for (const char *name : {"steelTemp", "steelAO", "steelEmf", "steelAl", "steelC"})
        QTest::newRow(name) << QSize(150, 38) << QSize(150, 45) << true;
    for (const char *name : {"label_9", "label_57", "label_60", "label_64"})
        QTest::newRow(name) << QSize(46, 38) << QSize(46, unlimited) << true;
    // Designed with a wider minimum (50) than maximum (46), which cut "ppm": one width like the other units.
    QTest::newRow("label_62") << QSize(46, 38) << QSize(46, unlimited) << true;
    QTest::newRow("nameSteelSmelt") << QSize(0, 38) << QSize(10000000, 10000000) << false;
    QTest::newRow("statusLabel") << QSize(0, 38) << none << false;
}

void MainWindowFormTest::sizeLimits()
{
    QFETCH(QSize, minimum);
    QFETCH(QSize, maximum);
    QFETCH(bool, fitted);
    auto *widget = window->findChild<QWidget *>(QLatin1String(QTest::currentDataTag()));
    QVERIFY(widget);
    if (!fitted) {
        QCOMPARE(widget->minimumSize(), minimum);
        QCOMPARE(widget->maximumSize(), maximum);
        return;
    }
    QCOMPARE(widget->minimumHeight(), minimum.height());
    QCOMPARE(widget->maximumHeight(), maximum.height());
    QCOMPARE(widget->minimumWidth(), widget->maximumWidth());
    QVERIFY2(widget->minimumWidth() >= minimum.width(), qPrintable(QString::number(widget->minimumWidth())));
}

void MainWindowFormTest::alignmentsAndMargins_data()
{
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("margin");
    const int centred = Qt::AlignCenter;
    const int leftCentred = Qt::AlignLeft | Qt::AlignVCenter; // also QLabel's default
    QTest::newRow("label_58") << centred << 0;
    for (const char *name : {"label_53", "label_54", "label_51"})
        QTest::newRow(name) << centred << 0;
    for (const char *name : {"label_65", "label_59", "label_18", "label_56", "label_61", "label_63"})
        QTest::newRow(name) << leftCentred << 0;
    for (const char *name : {"steelTemp", "steelAO", "steelEmf", "steelAl", "steelC", "nameSteelSmelt"})
        QTest::newRow(name) << centred << 0;
    for (const char *name :
         {"label", "label_9", "label_57", "label_60", "label_64", "label_62", "statusLabel"})
        QTest::newRow(name) << leftCentred << 0;
}

void MainWindowFormTest::alignmentsAndMargins()
{
    QFETCH(int, alignment);
    QFETCH(int, margin);
    QLabel *label = fixture::label(window.get(), QTest::currentDataTag());
    QCOMPARE(int(label->alignment()), alignment);
    QCOMPARE(label->margin(), margin);
    QCOMPARE(label->focusPolicy(), Qt::NoFocus);
}

void MainWindowFormTest::layoutSpacingAndMargins_data()
{
    QTest::addColumn<int>("horizontalSpacing");
    QTest::addColumn<int>("verticalSpacing");
    QTest::addColumn<QMargins>("margins");
    const QMargins eleven(11, 11, 11, 11);
    const QMargins none(0, 0, 0, 0);
    QTest::newRow("verticalLayout") << -1 << 0 << eleven;
    QTest::newRow("horizontalLayout") << 6 << -1 << eleven;
    QTest::newRow("gridLayout_2") << 6 << 6 << eleven;
    // Nested layouts: the unset margins of an inner layout come out as zero.
    QTest::newRow("horizontalLayout_19") << 6 << -1 << none;
    for (const char *name :
         {"verticalLayout_17", "verticalLayout_19", "verticalLayout_20", "verticalLayout_16"})
        QTest::newRow(name) << -1 << 6 << none;
    QTest::newRow("gridLayout_4") << 6 << 6 << eleven;
}

void MainWindowFormTest::layoutSpacingAndMargins()
{
    QFETCH(int, horizontalSpacing);
    QFETCH(int, verticalSpacing);
    QFETCH(QMargins, margins);
    auto *layout = window->findChild<QLayout *>(QLatin1String(QTest::currentDataTag()));
    QVERIFY(layout);
    if (auto *grid = qobject_cast<QGridLayout *>(layout)) {
        QCOMPARE(grid->horizontalSpacing(), horizontalSpacing);
        QCOMPARE(grid->verticalSpacing(), verticalSpacing);
    } else {
        QCOMPARE(layout->spacing(), horizontalSpacing >= 0 ? horizontalSpacing : verticalSpacing);
    }
    QCOMPARE(layout->contentsMargins(), margins);
}

void MainWindowFormTest::frames_data()
{
    QTest::addColumn<int>("shape");
    QTest::addColumn<int>("shadow");
    QTest::newRow("frame") << int(QFrame::StyledPanel) << int(QFrame::Raised);
    QTest::newRow("frame_2") << int(QFrame::NoFrame) << int(QFrame::Raised);
    QTest::newRow("frame_6") << int(QFrame::NoFrame) << int(QFrame::Raised);
}

void MainWindowFormTest::frames()
{
    QFETCH(int, shape);
    QFETCH(int, shadow);
    auto *frame = window->findChild<QFrame *>(QLatin1String(QTest::currentDataTag()));
    QVERIFY(frame);
    QCOMPARE(int(frame->frameShape()), shape);
    QCOMPARE(int(frame->frameShadow()), shadow);
}

void MainWindowFormTest::spacers()
{
    QSpacerItem *top = walk[11].item ? walk[11].item->spacerItem() : nullptr;
    QSpacerItem *panel = walk[36].item ? walk[36].item->spacerItem() : nullptr;
    QVERIFY(top);
    QVERIFY(panel);
    QCOMPARE(top->sizeHint(), QSize(438, 20));
    QCOMPARE(top->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
    QCOMPARE(top->sizePolicy().verticalPolicy(), QSizePolicy::Minimum);
    QCOMPARE(panel->sizeHint(), QSize(20, 168));
    QCOMPARE(panel->sizePolicy().horizontalPolicy(), QSizePolicy::Minimum);
    QCOMPARE(panel->sizePolicy().verticalPolicy(), QSizePolicy::Expanding);
}

void MainWindowFormTest::selectionListSettings_data()
{
    QTest::addColumn<int>("unused");
    for (const char *name : {"comboSteelTech", "yearMonthCombobox", "dayCombobox", "timeSteel"})
        QTest::newRow(name) << 0;
}

void MainWindowFormTest::selectionListSettings()
{
    QComboBox *list = fixture::list(window.get(), QTest::currentDataTag());
    QCOMPARE(list->sizePolicy().horizontalPolicy(), QSizePolicy::Preferred);
    QCOMPARE(list->sizePolicy().verticalPolicy(), QSizePolicy::Preferred);
    QCOMPARE(list->sizePolicy().horizontalStretch(), 0);
    QCOMPARE(list->sizePolicy().verticalStretch(), 0);
    QCOMPARE(list->layoutDirection(), Qt::LeftToRight);
    QVERIFY(list->testAttribute(Qt::WA_SetLayoutDirection));
    QCOMPARE(list->insertPolicy(), QComboBox::NoInsert);
    QCOMPARE(list->iconSize(), QSize(0, 0));
    QCOMPARE(list->modelColumn(), 0);
    QVERIFY(!list->isEditable());
    QCOMPARE(fixture::entries(list), QStringList{fixture::choose});
    QCOMPARE(list->currentIndex(), 0);
}

void MainWindowFormTest::openListsReadLikeTheClosedLists()
{
    // The open list as drawn: the background of an ordinary entry is the closed list's background,
    // the current entry (under the pointer or keyboard) stands out, and the text colour is the
    // closed list's everywhere.
    for (const char *name : {"comboSteelTech", "yearMonthCombobox", "dayCombobox", "timeSteel"}) {
        QComboBox *list = fixture::list(window.get(), name);
        list->ensurePolished();
        list->addItems({QStringLiteral("2024.01"), QStringLiteral("2023.12")});
        QAbstractItemView *view = list->view();
        // Laid out as the drop-down opens, but drawn without showing it.
        view->parentWidget()->resize(200, 200);
        view->parentWidget()->layout()->activate();
        view->setCurrentIndex(view->model()->index(1, 0));
        const QImage drawn = view->grab().toImage();
        const auto backgroundOf = [&](int row) {
            const QRect item = view->visualRect(view->model()->index(row, 0));
            return drawn.pixelColor(
                view->viewport()->mapTo(view, QPoint(item.right() - 2, item.center().y())));
        };
        const QColor closedBackground = list->palette().color(QPalette::Button);
        QCOMPARE(closedBackground, QColor(91, 119, 143));
        QCOMPARE(backgroundOf(2), closedBackground);
        QVERIFY2(qAbs(qGray(backgroundOf(1).rgb()) - qGray(closedBackground.rgb())) > 30, name);
        QCOMPARE(view->palette().color(QPalette::Text), list->palette().color(QPalette::ButtonText));
        QCOMPARE(view->palette().color(QPalette::HighlightedText), QColor(Qt::white));
    }
}

void MainWindowFormTest::plotWidgetSettings()
{
    QCustomPlot *plot = fixture::plot(window.get());
    QCOMPARE(plot->sizePolicy().horizontalPolicy(), QSizePolicy::Preferred);
    QCOMPARE(plot->sizePolicy().verticalPolicy(), QSizePolicy::MinimumExpanding);
    QCOMPARE(plot->sizePolicy().horizontalStretch(), 0);
    QCOMPARE(plot->sizePolicy().verticalStretch(), 0);
    QCOMPARE(plot->focusPolicy(), Qt::ClickFocus);
    QCOMPARE(plot->parentWidget()->objectName(), QStringLiteral("frame_2"));
}

void MainWindowFormTest::windowTitleSizeAndNoBars()
{
    QCOMPARE(window->windowTitle(), QStringLiteral("Velmora-Steel Archive Viewer v1.1"));
    QCOMPARE(window->size(), QSize(996, 735));
    QVERIFY(!window->findChild<QMenuBar *>());
    QVERIFY(!window->findChild<QToolBar *>());
    QVERIFY(!window->findChild<QStatusBar *>());
}

void MainWindowFormTest::tabOrderFollowsCreationOrder()
{
    // Tab walks the controls in the order they were created; labels, frames and the plot are skipped.
    QStringList order;
    QWidget *start = fixture::pathField(window.get());
    QWidget *widget = start;
    do {
        if ((widget->focusPolicy() & Qt::TabFocus) && window->isAncestorOf(widget))
            order.append(widget->objectName());
        widget = widget->nextInFocusChain();
    } while (widget != start && order.size() < 20);
    QCOMPARE(order, (QStringList{QStringLiteral("pathToDir"), QStringLiteral("pushButton"),
                                 QStringLiteral("refreshButton"), QStringLiteral("print"),
                                 QStringLiteral("chartButton"), QStringLiteral("compareButton"),
                                 QStringLiteral("comboSteelTech"), QStringLiteral("yearMonthCombobox"),
                                 QStringLiteral("dayCombobox"), QStringLiteral("timeSteel")}));
}

void MainWindowFormTest::iconsAreLoadedFromTheWorkingDirectory()
{
    fixture::WorkingFolder withImages(false);
    QVERIFY(withImages.addImages());
    const std::unique_ptr<MainWindow> shown = withImages.openWindow();

    QVERIFY(shown->windowIcon().availableSizes(QIcon::Normal, QIcon::Off).contains(QSize(32, 32)));
    QPushButton *refresh = fixture::button(shown.get(), "refreshButton");
    QPushButton *print = fixture::button(shown.get(), "print");
    QVERIFY(!refresh->icon().pixmap(32, 32).isNull());
    QVERIFY(!print->icon().pixmap(32, 32).isNull());
    QCOMPARE(refresh->iconSize(), QSize(32, 32));
    QCOMPARE(print->iconSize(), QSize(32, 32));
}

void MainWindowFormTest::missingImagesLeaveBlankIconsAndWorkingButtons()
{
    // init() built the window in a folder without the images.
    // The file names are kept, but nothing can be drawn from them.
    for (const QIcon &icon : {window->windowIcon(), fixture::button(window.get(), "refreshButton")->icon(),
                              fixture::button(window.get(), "print")->icon()}) {
        QVERIFY(icon.availableSizes().isEmpty());
        QVERIFY(icon.pixmap(32, 32).isNull());
    }

    // The refresh button still works: with an archive made afterwards, a click lists it.
    QVERIFY(QDir(folder->path()).mkdir(QStringLiteral("archive")));
    QVERIFY(folder->addFile(QStringLiteral("steel_K1-2019_03_07-14_05_09.json"),
                            fixture::line(fixture::measurement(QStringLiteral("123456"))), fixture::at(0)));
    QTest::mouseClick(fixture::button(window.get(), "refreshButton"), Qt::LeftButton);
    QCOMPARE(fixture::list(window.get(), "comboSteelTech")->currentText(), QStringLiteral("K1"));
}

QTEST_MAIN(MainWindowFormTest)
#include "tst_mainwindowform.moc"
