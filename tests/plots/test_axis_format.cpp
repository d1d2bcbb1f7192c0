#include "kirv/plots/axis_format.h"

#include <QTest>

#include <limits>

using kirv::AxisNumberFormat;

Q_DECLARE_METATYPE(AxisNumberFormat)

class TestAxisFormat : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("known");
        QTest::addColumn<AxisNumberFormat>("format");
        QTest::newRow("empty") << "" << true << AxisNumberFormat::General;
        QTest::newRow("whole") << "0" << true << AxisNumberFormat::Whole;
        QTest::newRow("one decimal") << "0.0" << true << AxisNumberFormat::OneDecimal;
        QTest::newRow("tenths long") << "*0.1" << true << AxisNumberFormat::Tenths;
        QTest::newRow("tenths short") << "*.1" << true << AxisNumberFormat::Tenths;
        QTest::newRow("blanks") << " *.1 " << true << AxisNumberFormat::Tenths;
        QTest::newRow("other factor") << "*.01" << false << AxisNumberFormat::General;
        QTest::newRow("garbage") << "0.0.0" << false << AxisNumberFormat::General;
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(bool, known);
        QFETCH(AxisNumberFormat, format);
        const auto parsed = kirv::parseAxisNumberFormat(text);
        QCOMPARE(parsed.has_value(), known);
        if (known) {
            QCOMPARE(*parsed, format);
            QCOMPARE(kirv::parseAxisNumberFormat(kirv::axisNumberFormatText(format)), format);
        }
    }

    void format_data()
    {
        QTest::addColumn<AxisNumberFormat>("format");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("whole") << AxisNumberFormat::Whole << 140.0 << "140";
        QTest::newRow("whole rounds half up") << AxisNumberFormat::Whole << 2.5 << "3";
        QTest::newRow("whole no minus zero") << AxisNumberFormat::Whole << -0.4 << "0";
        QTest::newRow("whole negative") << AxisNumberFormat::Whole << -1.6 << "-2";
        QTest::newRow("tenths class") << AxisNumberFormat::Tenths << 605.0 << "60.5";
        QTest::newRow("tenths whole dB") << AxisNumberFormat::Tenths << 1000.0 << "100.0";
        QTest::newRow("tenths zero") << AxisNumberFormat::Tenths << 0.0 << "0.0";
        QTest::newRow("tenths negative") << AxisNumberFormat::Tenths << -5.0 << "-0.5";
        QTest::newRow("tenths noise") << AxisNumberFormat::Tenths << 604.9999999 << "60.5";
        QTest::newRow("one decimal") << AxisNumberFormat::OneDecimal << 93.46 << "93.5";
        QTest::newRow("one decimal no minus zero") << AxisNumberFormat::OneDecimal << -0.04 << "0.0";
        QTest::newRow("general") << AxisNumberFormat::General << 0.1 + 0.2 << "0.3";
        QTest::newRow("general large") << AxisNumberFormat::General << 864001.0 << "864001";
        QTest::newRow("general zero noise") << AxisNumberFormat::General << 1e-17 << "0";
        QTest::newRow("nan") << AxisNumberFormat::Whole << nan << "";
    }
    void format()
    {
        QFETCH(AxisNumberFormat, format);
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(kirv::formatAxisValue(value, format), text);
    }

    void countTop_data()
    {
        QTest::addColumn<double>("max");
        QTest::addColumn<double>("top");
        QTest::newRow("no data") << 0.0 << 1.0;
        QTest::newRow("one") << 1.0 << 2.0;
        QTest::newRow("three") << 3.0 << 4.0;
        QTest::newRow("thirty-seven") << 37.0 << 40.0;
        QTest::newRow("thousand") << 1000.0 << 1200.0;
        QTest::newRow("full day") << 864001.0 << 920000.0;
    }
    void countTop()
    {
        QFETCH(double, max);
        QFETCH(double, top);
        QCOMPARE(kirv::countAxisTop(max), top);
        QVERIFY(top > max);
    }
};

QTEST_APPLESS_MAIN(TestAxisFormat)
#include "test_axis_format.moc"
