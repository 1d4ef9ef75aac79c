// Lengths, angles, their label texts, typed numbers and the ruler calibration.

#include "MsgBoxRecorder.h"
#include "overlay/Measure.h"
#include "overlay/mHLSRGB.h"
#include "platform/RuntimeError.h"

#include <QLocale>
#include <QTest>

#include <cmath>

class TestMeasure : public QObject {
    Q_OBJECT
private slots:
    void cleanupTestCase() { QLocale::setDefault(QLocale::c()); }

    // Cases "[de] call arguments = result", split at "; "; "de" runs one under a comma locale.
    // length: the "##.##" pattern, halves away from zero on the decimal value; angle: "###";
    // line: x1 y1 x2 y2 scale, whole pixels until the ruler is set (scale 0), then metres;
    // angle3: x1 x2 x3 y1 y2 y3, the factor 57.295 puts a right angle slightly off 90, -1 for
    // non-numbers; typed: the locale first, then the C locale, never NaN, infinite or beyond
    // floats; ruler X ANSWER: from (0,0) to (X,400) (to (X,0) for X not 300) with the scale
    // 0.25 before and the answer typed, the scale after ("kept" when refused).
    void cases_data() {
        QTest::addColumn<QString>("call");
        const QString cases = QStringLiteral(
            "length 1.5 = 1.5; length 0.26 = .26; length 2 = 2.; length 0 = .; length 0.004 = .; "
            "length 0.005 = .01; length 1.005 = 1.01; length 9.995 = 10.; length -0.125 = -.13; "
            "length 1e20 = 100000000000000000000.; de length 1.5 = 1,5; de metres 0 = 0 m; "
            "de metres 0.5 = ,5 m; angle 89.99 = 90; angle 0.3 = ; angle 0.5 = 1; angle -1 = -1; "
            "readout 90.00122 = 90 deg; readout 0.2 =  deg; line 0 0 150 200 0 = 250 px; "
            "line 0 0 1.2 1.2 0 = 2 px; line 0 0 150 200 0.002 = .5 m; "
            "line 10 10 13 14 0.01 = .05 m; line 0 0 0 200 0.01 = 2. m; line 0 0 4 0 0.001 = 0 m; "
            "line 0 0 150 200 -0.002 = -.5 m; angle3 0 10 10 0 0 10 = 90.00122; "
            "angle3 10 0 0 0 0 10 = 90.00122; angle3 0 10 20 0 0 0 = 180.00000; "
            "angle3 0 5 10 0 5 10 = 180.00000; angle3 0 10 0 0 0 0 = 0.00245; "
            "angle3 0 0 0 10 0 -10 = 180.00000; angle3 nan 1 2 0 0 0 = -1.00000; "
            "angle3 0 inf 2 0 0 0 = -1.00000; typed  = none; typed abc = none; typed nan = none; "
            "typed inf = none; typed 1e39 = none; typed -2 = -2; typed 1e30 = 1e+30; "
            "de typed  0,5  = 0.5; de typed 0.5 = 0.5; ruler 300 1 = 0.002; ruler 300 -1 = -0.002; "
            "ruler 300 0 = 0; ruler 300 = kept; ruler 300 x = kept; ruler 300 1e40 = kept; "
            "ruler 300 nan = kept; ruler 0 1 = kept; ruler 1e-30 3e38 = kept");
        for (const QString& c : cases.split(QLatin1String("; "))) QTest::newRow(qPrintable(c)) << c;
    }
    void cases() {
        QFETCH(QString, call);
        const qsizetype eq = call.indexOf(QLatin1String(" = "));
        QStringList w = call.left(eq).split(QLatin1Char(' '));
        const bool german = w[0] == QLatin1String("de");
        QLocale::setDefault(german ? QLocale(QLocale::German, QLocale::Germany)
                                   : QLocale(QLocale::English, QLocale::UnitedStates));
        if (german) w.removeFirst();
        const QString fn = w.takeFirst(), rest = call.left(eq).section(QLatin1Char(' '), german ? 2 : 1);
        QList<double> a;
        for (const QString& v : w) a << QLocale::c().toDouble(v);
        QString got;
        if (fn == QLatin1String("length")) {
            got = FormatLengthPattern(a[0]);
        } else if (fn == QLatin1String("metres")) {
            got = LengthLabel(a[0]);
        } else if (fn == QLatin1String("angle")) {
            got = AngleText(a[0]);
        } else if (fn == QLatin1String("readout")) {
            got = AngleReadoutText(a[0]);
        } else if (fn == QLatin1String("line")) {
            got = LineLabel(a[0], a[1], a[2], a[3], float(a[4]));
        } else if (fn == QLatin1String("angle3")) {
            got = QString::number(ThreePointAngle(a[0], a[1], a[2], a[3], a[4], a[5]), 'f', 5);
        } else if (fn == QLatin1String("typed")) {
            const std::optional<float> v = ReadUserNumber(rest);
            got = v ? QString::number(*v) : QStringLiteral("none");
        } else {
            RulerState r;
            r.RulerX[1] = float(a[0]);
            r.RulerY[1] = a[0] == 300 ? 400 : 0;
            r.RulerClicks = 2;
            float mpp = 0.25f;
            MsgBoxRecorder boxes;
            boxes.inputAnswers << w.value(1);
            const bool taken = CalibrateRuler(r, mpp);
            QCOMPARE(taken, mpp != 0.25f);
            QCOMPARE(r.RulerClicks, short(taken ? 0 : 2));  // a refusal keeps the points placed
            QCOMPARE(boxes.inputs.at(0).title, QStringLiteral("Ruler Measurements"));
            got = taken ? QString::number(mpp) : QStringLiteral("kept");
        }
        QCOMPARE(got, call.mid(eq + 3));
    }

    void roundingAndConversions() {
        QCOMPARE(ArcTan2(-1e300, 1e-300), -kPi / 2);  // the slope overflows: the larger arm decides
        QVERIFY(ArcTan2(0, 0) == 0 && qFuzzyCompare(ArcTan2(1, -1), 3 * kPi / 4) &&
                qFuzzyCompare(ArcTan2(-1, -1), -3 * kPi / 4));
        for (int deg = 0; deg < 360; deg += 7) {
            const double r = deg * kPi / 180;
            const double v = ThreePointAngle(100, 0, 50 * std::cos(r), 0, 0, 50 * std::sin(r));
            QVERIFY2(std::abs(v - std::min(deg, 360 - deg)) < 0.01, qPrintable(QString::number(deg)));
        }
        QCOMPARE(QList<int>({AngleTextValue(QStringLiteral("90")), AngleTextValue(QStringLiteral("junk"))}),
                 QList<int>({90, 0}));
        QCOMPARE(QList<long>({RoundToLong(11.5), RoundToLong(12.5), RoundToLong(-0.5)}),
                 QList<long>({12, 12, 0}));
        QVERIFY_THROWS_EXCEPTION(platform::RuntimeError, RoundToLong(3e9));
        long r = 0, g = 0, b = 0;
        const QList<QList<float>> hls = {
            {0.5f, 1, .5f}, {-1, 0, .25f}, {2.5f, 0, .25f}, {-1, 1, .5f}, {3, 1, .5f}};
        const QList<long> rgb = {0x0080FF, 0x404040, 0x404040, 0xFF00FF, 0xFFFF00};  // 127.5 to the even 128
        for (qsizetype i = 0; i < hls.size(); ++i) {
            ConvertHlsToRgb(hls[i][0], hls[i][1], hls[i][2], r, g, b);
            QCOMPARE(RGB(r, g, b), rgb[i]);
        }
        ConvertHlsToRgb(6.375f, 1, 0.5f, r, g, b);
        QVERIFY(r > 255);
        QCOMPARE(RGB(r, g, b), RGB(255, 0, 255));
    }
};

QTEST_MAIN(TestMeasure)
#include "tst_measure.moc"
