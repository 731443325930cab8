#include "device/modelprofile.h"

#include <QSet>
#include <QTest>

#include <optional>

namespace {

const ModelProfile &profile(const QString &modelName)
{
    for (const ModelProfile &candidate : modelProfiles()) {
        if (candidate.modelName == modelName)
            return candidate;
    }
    qFatal("no profile %s", qPrintable(modelName));
}

std::optional<QPoint> positionOf(const std::vector<WidgetPosition> &positions,
                                 const QString &objectName)
{
    for (const WidgetPosition &position : positions) {
        if (position.objectName == objectName)
            return QPoint(position.x, position.y);
    }
    return std::nullopt;
}

} // namespace

class TestModelProfile : public QObject
{
    Q_OBJECT

private slots:
    void tableOrder();
    void matching_data();
    void matching();
    void modelSettings_data();
    void modelSettings();
    void positions_data();
    void positions();
    void positionCounts_data();
    void positionCounts();
};

void TestModelProfile::tableOrder()
{
    QStringList names;
    for (const ModelProfile &candidate : modelProfiles())
        names << candidate.modelName;
    QCOMPARE(names, QStringList({"RALKA", "DEMTA", "SOVIN"}));
}

void TestModelProfile::matching_data()
{
    QTest::addColumn<QString>("deviceName");
    QTest::addColumn<QStringList>("matched");

    QTest::newRow("bare model") << "RALKA" << QStringList{"RALKA"};
    QTest::newRow("inside a longer name") << "NOLK DEMTA WHEEL" << QStringList{"DEMTA"};
    QTest::newRow("at the end") << "Nolk SOVIN" << QStringList{"SOVIN"};
    QTest::newRow("two models, table order") << "SOVIN RALKA" << QStringList{"RALKA", "SOVIN"};
    QTest::newRow("lower case") << "nolk ralka" << QStringList();
    QTest::newRow("mixed case") << "Demta" << QStringList();
    QTest::newRow("cut short") << "RALK" << QStringList();
    QTest::newRow("empty") << "" << QStringList();
}

void TestModelProfile::matching()
{
    QFETCH(QString, deviceName);
    QFETCH(QStringList, matched);

    QStringList actual;
    for (const ModelProfile &candidate : modelProfiles()) {
        if (candidate.matches(deviceName))
            actual << candidate.modelName;
    }
    QCOMPARE(actual, matched);
}

void TestModelProfile::modelSettings_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("updateDirectory");
    QTest::addColumn<QString>("mainStyle");
    QTest::addColumn<QString>("ledStyle");
    QTest::addColumn<bool>("ledPage");
    QTest::addColumn<LedDotVisibility>("dots");
    QTest::addColumn<bool>("extraShifter");
    QTest::addColumn<bool>("battery");
    QTest::addColumn<bool>("bluetooth");

    const QString ralka = QStringLiteral("border-image: url(:/img/back.ralka.png)");
    const QString demta = QStringLiteral("border-image: url(:/img/back.demta.png)");
    QTest::newRow("RALKA") << "RALKA"
                           << "ralka/" << ralka << ralka << true << LedDotVisibility::Hidden
                           << false << true << true;
    QTest::newRow("DEMTA") << "DEMTA"
                           << "demta/" << demta << demta << true << LedDotVisibility::Shown << true
                           << false << false;
    QTest::newRow("SOVIN") << "SOVIN"
                           << "sovin/"
                           << "border-image: url(:/img/back.sovin.png)" << QString() << false
                           << LedDotVisibility::Untouched << false << true << true;
}

void TestModelProfile::modelSettings()
{
    QFETCH(QString, model);
    const ModelProfile &tested = profile(model);

    QTEST(tested.updateDirectory, "updateDirectory");
    QTEST(tested.mainStyleSheet, "mainStyle");
    QTEST(tested.ledStyleSheet, "ledStyle");
    QTEST(tested.ledPageEnabled, "ledPage");
    QTEST(tested.ledDots, "dots");
    QTEST(tested.extraShifterOption, "extraShifter");
    QTEST(tested.hasBattery, "battery");
    QTEST(tested.hasBluetooth, "bluetooth");
}

void TestModelProfile::positions_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<bool>("ledPage");
    QTest::addColumn<QString>("widget");
    QTest::addColumn<bool>("moved");
    QTest::addColumn<QPoint>("at");

    // Rows 13 and 14 cross between the INPUTS and the LED page.
    QTest::newRow("RALKA pbIB13") << "RALKA" << false << "pbIB13" << true << QPoint(512, 321);
    QTest::newRow("RALKA pbIB14") << "RALKA" << false << "pbIB14" << true << QPoint(497, 272);
    QTest::newRow("RALKA pbB13") << "RALKA" << true << "pbB13" << true << QPoint(497, 272);
    QTest::newRow("RALKA pbB14") << "RALKA" << true << "pbB14" << true << QPoint(512, 321);
    QTest::newRow("DEMTA pbIB14") << "DEMTA" << false << "pbIB14" << true << QPoint(495, 283);
    QTest::newRow("DEMTA pbB13") << "DEMTA" << true << "pbB13" << true << QPoint(495, 283);
    QTest::newRow("SOVIN pbIB13") << "SOVIN" << false << "pbIB13" << true << QPoint(488, 282);
    // Rows naming several widgets move each of them.
    QTest::newRow("DEMTA pbID2R") << "DEMTA" << false << "pbID2R" << true << QPoint(410, 200);
    QTest::newRow("RALKA pbJsL4") << "RALKA" << false << "pbJsL4" << true << QPoint(214, 195);
    QTest::newRow("SOVIN pbJsRC") << "SOVIN" << false << "pbJsRC" << true << QPoint(520, 166);
    QTest::newRow("DEMTA lbEnc") << "DEMTA" << false << "lbEnc" << true << QPoint(290, 70);
    // SOVIN leaves four encoders where the form puts them and has no LED page.
    QTest::newRow("SOVIN pbID1L") << "SOVIN" << false << "pbID1L" << false << QPoint();
    QTest::newRow("SOVIN pbID6R") << "SOVIN" << false << "pbID6R" << false << QPoint();
    QTest::newRow("SOVIN pbID3R") << "SOVIN" << false << "pbID3R" << true << QPoint(308, 236);
    QTest::newRow("SOVIN pbB1") << "SOVIN" << true << "pbB1" << false << QPoint();
    // Widgets no profile moves.
    QTest::newRow("RALKA pbIBarL") << "RALKA" << false << "pbIBarL" << false << QPoint();
    QTest::newRow("DEMTA pbT1") << "DEMTA" << true << "pbT1" << false << QPoint();
    QTest::newRow("unknown name") << "RALKA" << false << "pbIB7" << false << QPoint();
}

void TestModelProfile::positions()
{
    QFETCH(QString, model);
    QFETCH(bool, ledPage);
    QFETCH(QString, widget);
    QFETCH(bool, moved);
    QFETCH(QPoint, at);

    const ModelProfile &tested = profile(model);
    const std::optional<QPoint> position =
        positionOf(ledPage ? tested.ledPositions : tested.inputPositions, widget);
    QCOMPARE(position.has_value(), moved);
    if (moved)
        QCOMPARE(*position, at);
}

void TestModelProfile::positionCounts_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("inputs");
    QTest::addColumn<int>("leds");

    QTest::newRow("RALKA") << "RALKA" << 47 << 18;
    QTest::newRow("DEMTA") << "DEMTA" << 47 << 18;
    QTest::newRow("SOVIN") << "SOVIN" << 39 << 0;
}

void TestModelProfile::positionCounts()
{
    QFETCH(QString, model);
    const ModelProfile &tested = profile(model);

    QTEST(int(tested.inputPositions.size()), "inputs");
    QTEST(int(tested.ledPositions.size()), "leds");
    // No widget is listed twice on a page.
    for (const auto *positions : {&tested.inputPositions, &tested.ledPositions}) {
        QSet<QString> names;
        for (const WidgetPosition &position : *positions)
            names.insert(position.objectName);
        QCOMPARE(names.size(), qsizetype(positions->size()));
    }
}

QTEST_MAIN(TestModelProfile)
#include "tst_modelprofile.moc"
