// Lengths, angles, their label texts and the ruler calibration.

#include "MsgBoxRecorder.h"
#include "overlay/Measure.h"
#include "overlay/mHLSRGB.h"
#include "platform/RuntimeError.h"

#include <QLocale>
#include <QTest>

#include <cmath>
#include <limits>

class TestMeasure : public QObject {
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::c()); }

    void threePointAngleWorkedExamples() {
        // The right angle comes out slightly off 90 with the factor 57.295, labelled 90.
        const double a = ThreePointAngle(0, 10, 10, 0, 0, 10);
        QVERIFY(std::fabs(a - 90.00122) < 1e-5);
        QCOMPARE(AngleText(a), QStringLiteral("90"));
        const double b = ThreePointAngle(10, 0, 0, 0, 0, 10);
        QVERIFY(std::fabs(b - 90.00122) < 1e-5);
        // Straight: exactly 180.
        QCOMPARE(ThreePointAngle(0, 10, 20, 0, 0, 0), 180.0);
        QCOMPARE(ThreePointAngle(0, 5, 10, 0, 5, 10), 180.0);
        // P3 back on P1: near 0, the text is empty.
        const double back = ThreePointAngle(0, 10, 0, 0, 0, 0);
        QVERIFY(back >= 0 && back < 0.5);
        QCOMPARE(AngleText(back), QString());
        // Arms along an axis, and arms whose slope overflows, decided by the larger arm.
        QCOMPARE(ThreePointAngle(0, 0, 0, 10, 0, -10), 180.0);
        QCOMPARE(ArcTan2(-1e300, 1e-300), -kPi / 2);
        // Anything that is not a number gives -1.
        QCOMPARE(ThreePointAngle(std::nan(""), 1, 2, 0, 0, 0), -1.0);
        QCOMPARE(ThreePointAngle(0, std::numeric_limits<double>::infinity(), 2, 0, 0, 0), -1.0);
        // Always within 0..180 over a sweep of directions.
        for (int deg = 0; deg < 360; deg += 7) {
            const double r = deg * kPi / 180;
            const double v = ThreePointAngle(100, 0, 50 * std::cos(r), 0, 0, 50 * std::sin(r));
            QVERIFY2(v >= 0 && v <= 180, qPrintable(QString::number(deg)));
        }
    }

    void lengthPattern() {
        QCOMPARE(FormatLengthPattern(1.5), QStringLiteral("1.5"));
        QCOMPARE(FormatLengthPattern(0.26), QStringLiteral(".26"));
        QCOMPARE(FormatLengthPattern(2), QStringLiteral("2."));
        QCOMPARE(FormatLengthPattern(0), QStringLiteral("."));
        QCOMPARE(FormatLengthPattern(0.004), QStringLiteral("."));
        QCOMPARE(FormatLengthPattern(123.4), QStringLiteral("123.4"));
        // Halves away from zero, on the decimal value.
        QCOMPARE(FormatLengthPattern(0.005), QStringLiteral(".01"));
        QCOMPARE(FormatLengthPattern(1.005), QStringLiteral("1.01"));
        QCOMPARE(FormatLengthPattern(9.995), QStringLiteral("10."));
        QCOMPARE(FormatLengthPattern(-1.25), QStringLiteral("-1.25"));
        QCOMPARE(FormatLengthPattern(-0.125), QStringLiteral("-.13"));
        QCOMPARE(FormatLengthPattern(1e20), QStringLiteral("100000000000000000000."));
    }

    // A line's label: picture pixels until the ruler is set, then metres; never a lone separator.
    void lineLabels_data() {
        QTest::addColumn<QList<double>>("ends");  // x1, y1, x2, y2 in picture pixels
        QTest::addColumn<float>("scale");
        QTest::addColumn<QString>("label");
        using E = QList<double>;
        QTest::newRow("uncalibrated") << E{0, 0, 150, 200} << 0.0f << QStringLiteral("250 px");
        QTest::newRow("uncalibrated, rounded") << E{0, 0, 1.2, 1.2} << 0.0f << QStringLiteral("2 px");
        QTest::newRow("uncalibrated, no length") << E{5, 5, 5, 5} << 0.0f << QStringLiteral("0 px");
        QTest::newRow("calibrated") << E{0, 0, 150, 200} << 0.002f << QStringLiteral(".5 m");
        QTest::newRow("single precision") << E{10, 10, 13, 14} << 0.01f << QStringLiteral(".05 m");
        QTest::newRow("whole metres") << E{0, 0, 0, 200} << 0.01f << QStringLiteral("2. m");
        QTest::newRow("below a centimetre") << E{0, 0, 4, 0} << 0.001f << QStringLiteral("0 m");
        QTest::newRow("no length") << E{5, 5, 5, 5} << 0.002f << QStringLiteral("0 m");
        QTest::newRow("negative scale") << E{0, 0, 150, 200} << -0.002f << QStringLiteral("-.5 m");
    }
    void lineLabels() {
        QFETCH(QList<double>, ends);
        QFETCH(float, scale);
        QFETCH(QString, label);
        QCOMPARE(LineLabel(ends[0], ends[1], ends[2], ends[3], scale), label);
    }

    void anglePattern() {
        QCOMPARE(FormatAnglePattern(89.99), QStringLiteral("90"));
        QCOMPARE(FormatAnglePattern(179.998), QStringLiteral("180"));
        QCOMPARE(FormatAnglePattern(0.3), QString());
        QCOMPARE(FormatAnglePattern(0.5), QStringLiteral("1"));
        QCOMPARE(FormatAnglePattern(44.5), QStringLiteral("45"));
        QCOMPARE(FormatAnglePattern(-1), QStringLiteral("-1"));
        QCOMPARE(AngleReadoutText(90.00122), QStringLiteral("90 deg"));
        QCOMPARE(AngleReadoutText(0.2), QStringLiteral(" deg"));
        QCOMPARE(AngleTextValue(QStringLiteral("90")), 90);
        QCOMPARE(AngleTextValue(QString()), 0);
        QCOMPARE(AngleTextValue(QStringLiteral("junk")), 0);
    }

    void commaLocale() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(FormatLengthPattern(1.5), QStringLiteral("1,5"));
        QCOMPARE(LengthLabel(0), QStringLiteral("0 m"));
        QCOMPARE(LengthLabel(0.5), QStringLiteral(",5 m"));
        // Typed numbers: the locale first, then the C locale.
        QCOMPARE(ReadUserNumber(QStringLiteral(" 0,5 ")).value_or(-1), 0.5f);
        QCOMPARE(ReadUserNumber(QStringLiteral("0.5")).value_or(-1), 0.5f);
    }

    void userNumbers() {
        QVERIFY(!ReadUserNumber(QString()));
        QVERIFY(!ReadUserNumber(QStringLiteral("   ")));
        QVERIFY(!ReadUserNumber(QStringLiteral("abc")));
        QVERIFY(!ReadUserNumber(QStringLiteral("nan")));
        QVERIFY(!ReadUserNumber(QStringLiteral("inf")));
        QVERIFY(!ReadUserNumber(QStringLiteral("1e39")));  // beyond single precision
        QCOMPARE(ReadUserNumber(QStringLiteral("-2")).value_or(0), -2.0f);
        QCOMPARE(ReadUserNumber(QStringLiteral("1e30")).value_or(0), 1e30f);
    }

    void calibrationRules() {
        RulerState r;
        r.RulerX[1] = 300;
        r.RulerY[1] = 400;
        float mpp = 0;
        {
            MsgBoxRecorder boxes;
            boxes.inputAnswers << QStringLiteral("1");
            QVERIFY(CalibrateRuler(r, mpp));
            QCOMPARE(boxes.inputs.size(), std::size_t(1));
            QCOMPARE(boxes.inputs[0].prompt, QStringLiteral("Enter distance in Meters"));
            QCOMPARE(boxes.inputs[0].title, QStringLiteral("Ruler Measurements"));
            QCOMPARE(boxes.inputs[0].defaultText, QString());
        }
        QCOMPARE(mpp, 0.002f);
        QCOMPARE(LineLabel(0, 0, 150, 200, mpp), QStringLiteral(".5 m"));

        // Answers that are not numbers, and cancel, change nothing.
        for (const QString& bad :
             {QString(), QStringLiteral("x"), QStringLiteral("1e40"), QStringLiteral("nan")}) {
            QVERIFY(!ApplyCalibration(bad, r, mpp));
            QCOMPARE(mpp, 0.002f);
        }
        {
            MsgBoxRecorder boxes;  // cancelled
            QVERIFY(!CalibrateRuler(r, mpp));
            QCOMPARE(mpp, 0.002f);
        }
        // Zero and negative distances are taken as they are.
        QVERIFY(ApplyCalibration(QStringLiteral("-1"), r, mpp));
        QCOMPARE(mpp, -0.002f);
        QVERIFY(ApplyCalibration(QStringLiteral("0"), r, mpp));
        QCOMPARE(mpp, 0.0f);
        // Coincident points keep the scale; so does a scale beyond single precision.
        mpp = 0.25f;
        RulerState same;
        same.RulerX[0] = same.RulerX[1] = 5;
        QVERIFY(!ApplyCalibration(QStringLiteral("1"), same, mpp));
        QCOMPARE(mpp, 0.25f);
        RulerState tiny;
        tiny.RulerX[1] = 1e-30f;
        QVERIFY(!ApplyCalibration(QStringLiteral("3e38"), tiny, mpp));
        QCOMPARE(mpp, 0.25f);
        QVERIFY(std::isfinite(mpp));
    }

    void roundingTiesToEven() {
        QCOMPARE(RoundToLong(11.5), 12L);
        QCOMPARE(RoundToLong(12.5), 12L);
        QCOMPARE(RoundToLong(-0.5), 0L);
        bool raised = false;
        try {
            RoundToLong(3e9);
        } catch (const platform::RuntimeError& e) {
            raised = e.Number() == platform::errOverflow;
        }
        QVERIFY(raised);
    }

    void hueConversion() {
        long r = 0, g = 0, b = 0;
        ConvertHlsToRgb(0.5f, 1, 0.5f, r, g, b);
        QCOMPARE(QList<long>({r, g, b}), QList<long>({255, 128, 0}));  // 127.5 to the even 128
        for (float h : {-1.0f, 0.0f, 2.5f, 4.0f}) {
            ConvertHlsToRgb(h, 0, 0.25f, r, g, b);
            QCOMPARE(QList<long>({r, g, b}), QList<long>({64, 64, 64}));
        }
        ConvertHlsToRgb(-1, 1, 0.5f, r, g, b);
        QCOMPARE(QList<long>({r, g, b}), QList<long>({255, 0, 255}));
        ConvertHlsToRgb(3, 1, 0.5f, r, g, b);
        QCOMPARE(QList<long>({r, g, b}), QList<long>({0, 255, 255}));
        ConvertHlsToRgb(6.375f, 1, 0.5f, r, g, b);
        QVERIFY(r > 255);
        QCOMPARE(RGB(r, g, b), RGB(255, 0, 255));
        QCOMPARE(RGB(1, 2, 3), 0x030201L);
    }
};

QTEST_MAIN(TestMeasure)
#include "tst_measure.moc"
