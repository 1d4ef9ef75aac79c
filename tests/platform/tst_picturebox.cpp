#include "platform/PictureBox.h"
#include "platform/Twips.h"

#include <QSignalSpy>
#include <QTest>

using platform::PictureBox;

class TestPictureBox : public QObject {
    Q_OBJECT
private slots:
    void init() { platform::OverrideScreenMetrics(platform::ScreenMetrics{1024, 768, 96, 96, 24}); }
    void cleanup() { platform::OverrideScreenMetrics(std::nullopt); }

    void backBufferPersistsAndClsClears() {
        PictureBox box;
        box.resize(40, 30);
        box.SetScaleMode(PictureBox::vbPixels);
        box.SetBackColor(Qt::white);
        box.Cls();
        box.SetDrawWidth(1);
        box.Line(0, 5, 39, 5, Qt::red);
        QCOMPARE(box.Image().pixelColor(20, 5), QColor(Qt::red));
        QCOMPARE(box.Image().pixelColor(20, 6), QColor(Qt::white));
        // Growing the box keeps what was drawn.
        box.resize(80, 60);
        QCOMPARE(box.Image().size(), QSize(80, 60));
        QCOMPARE(box.Image().pixelColor(20, 5), QColor(Qt::red));
        box.CurrentX = 7;
        box.Cls();
        QCOMPARE(box.Image().pixelColor(20, 5), QColor(Qt::white));
        QCOMPARE(box.CurrentX, 0.0);
    }

    void lineInTwipsLandsOnPixels() {
        PictureBox box;
        box.resize(20, 20);
        box.SetBackColor(Qt::black);
        box.Cls();
        // 15 twips per pixel at 96 DPI: twip 150 is pixel 10.
        box.Line(150, 0, 150, 300, Qt::green);
        QCOMPARE(box.Image().pixelColor(10, 10), QColor(Qt::green));
        QCOMPARE(box.Image().pixelColor(12, 10), QColor(Qt::black));
        QCOMPARE(box.ScaleWidth(), 300.0);
    }

    void mouseEventsCarryScaleAndCodes() {
        PictureBox box;
        box.resize(100, 100);
        QSignalSpy down(&box, &PictureBox::MouseDown);
        QSignalSpy up(&box, &PictureBox::MouseUp);
        QTest::mousePress(&box, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier, QPoint(10, 20));
        QCOMPARE(down.count(), 1);
        QCOMPARE(down[0][0].toInt(), int(platform::vbRightButton));
        QCOMPARE(down[0][1].toInt(), platform::vbShiftMask | platform::vbCtrlMask);
        QCOMPARE(down[0][2].toFloat(), 150.0f);  // twips
        QCOMPARE(down[0][3].toFloat(), 300.0f);
        box.SetScaleMode(PictureBox::vbPixels);
        QTest::mouseRelease(&box, Qt::RightButton, {}, QPoint(10, 20));
        QCOMPARE(up[0][2].toFloat(), 10.0f);
        QCOMPARE(up[0][1].toInt(), 0);
    }

    // A real double click, through the window: the platform turns the second physical press
    // into the double-click event alone, so that event is the second MouseDown. Each press is
    // one MouseDown and each release one MouseUp.
    void doubleClickIsOnePressPerPress() {
        PictureBox box;
        box.resize(100, 100);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton}) {
            QSignalSpy down(&box, &PictureBox::MouseDown);
            QSignalSpy up(&box, &PictureBox::MouseUp);
            QSignalSpy dbl(&box, &PictureBox::DblClick);
            QTest::mouseDClick(box.windowHandle(), b, {}, QPoint(30, 40));
            QCOMPARE(down.count(), 2);
            QCOMPARE(up.count(), 2);
            QCOMPARE(dbl.count(), 1);
            QCOMPARE(down[1][0].toInt(), platform::ButtonCode(b));
        }
    }
};

QTEST_MAIN(TestPictureBox)
#include "tst_picturebox.moc"
