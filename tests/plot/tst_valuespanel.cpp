// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/valuespanel.h"

#include <QLabel>
#include <QtTest>

#include <memory>

using measurement::Measurement;

class TestValuesPanel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void fieldsShowStoredTextsExactly();
    void nothingOfThePreviousMeasurementRemains();
    void markupInFileTextsIsNotRendered();

private:
    QStringList texts() const;

    std::unique_ptr<QWidget> panel;
    plot::ValueFields fields;
};

void TestValuesPanel::init()
{
    panel = std::make_unique<QWidget>();
    for (QLabel **field : {&fields.smelt, &fields.temperature, &fields.emf, &fields.oxidation,
                           &fields.aluminiumMass, &fields.carbon, &fields.status})
        *field = new QLabel(QStringLiteral("old"), panel.get());
}

QStringList TestValuesPanel::texts() const
{
    return {fields.smelt->text(),     fields.temperature->text(),   fields.emf->text(),
            fields.oxidation->text(), fields.aluminiumMass->text(), fields.carbon->text(),
            fields.status->text()};
}

void TestValuesPanel::fieldsShowStoredTextsExactly()
{
    const Measurement m = measurement::parseMeasurement(
        R"({"Temp":"1563.40","Eds":"nan","OxActivity":"32767","MassAl":"NaN","Carbon":" 0.04","Status":"7"})");
    plot::showValues(fields, m);

    const QString none = QStringLiteral("Нет данных");
    QCOMPARE(texts(), (QStringList{QString(), QStringLiteral("1563.40"), none, none, QStringLiteral("NaN"),
                                   QStringLiteral(" 0.04"), QStringLiteral("НЕТ ПЛ.")}));
}

void TestValuesPanel::nothingOfThePreviousMeasurementRemains()
{
    plot::showValues(fields, measurement::parseMeasurement(R"({"Smelt":"A-17","Status":"8"})"));
    QCOMPARE(fields.status->text(), QStringLiteral("ЕСТЬ ПЛ."));

    // A record with no values at all: every field says so, and the status is empty.
    plot::showValues(fields, Measurement{});
    const QString none = QStringLiteral("Нет данных");
    QCOMPARE(texts(), (QStringList{none, none, none, none, none, none, QString()}));

    // A document that does not parse shows empty fields rather than "no data".
    plot::showValues(fields, measurement::parseMeasurement("{\n\"Smelt\": \"A-17\"\n}"));
    QCOMPARE(texts(), QStringList(QVector<QString>(7).toList()));
}

void TestValuesPanel::markupInFileTextsIsNotRendered()
{
    plot::showValues(fields,
                     measurement::parseMeasurement(R"({"Smelt":"<b>A-17</b>","Temp":"<img src=x>"})"));
    QCOMPARE(fields.smelt->text(), QStringLiteral("<b>A-17</b>"));
    QCOMPARE(fields.smelt->textFormat(), Qt::PlainText);
    QCOMPARE(fields.temperature->textFormat(), Qt::PlainText);
}

QTEST_MAIN(TestValuesPanel)
#include "tst_valuespanel.moc"
