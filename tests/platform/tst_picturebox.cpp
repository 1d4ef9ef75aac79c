#include "platform/PictureBox.h"
#include "platform/Twips.h"

#include <QSignalSpy>
#include <QTest>

using platform::PictureBox;

class TestPictureBox : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { platform::OverrideScreenMetrics(platform::ScreenMetrics{1024, 768, 96, 96, 24}); }
    void cleanup() { platform::OverrideScreenMetrics(std::nullopt); }

    // Twips by default (15 to the pixel at 96 DPI: twip 150 is pixel 10), pixels when asked;
    // what is drawn stays when the box grows, and Cls clears it and the print position.
    void drawingLandsOnPixelsAndPersists() {
        PictureBox box;
        box.resize(20, 20);
        box.SetBackColor(Qt::white);
        box.Cls();
        QCOMPARE(box.ScaleWidth(), 300.0);
        box.Line(150, 0, 150, 300, Qt::green);
        box.SetScaleMode(PictureBox::vbPixels);
        box.Line(0, 5, 19, 5, Qt::red);
        QCOMPARE(box.Image().pixelColor(10, 12), QColor(Qt::green));
        QCOMPARE(box.Image().pixelColor(12, 5), QColor(Qt::red));
        QCOMPARE(box.Image().pixelColor(12, 12), QColor(Qt::white));
        box.resize(80, 60);
        QVERIFY(box.Image().size() == QSize(80, 60) && box.Image().pixelColor(12, 5) == QColor(Qt::red));
        box.CurrentX = 7;
        box.Cls();
        QVERIFY(box.Image().pixelColor(12, 5) == QColor(Qt::white) && box.CurrentX == 0.0);
    }

    // Button and shift codes, and the position in the box's scale: twips, then pixels.
    void mouseEventsCarryScaleAndCodes() {
        PictureBox box;
        box.resize(100, 100);
        QSignalSpy down(&box, &PictureBox::MouseDown);
        QSignalSpy up(&box, &PictureBox::MouseUp);
        QTest::mousePress(&box, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier, QPoint(10, 20));
        box.SetScaleMode(PictureBox::vbPixels);
        QTest::mouseRelease(&box, Qt::RightButton, {}, QPoint(10, 20));
        QCOMPARE(down.takeFirst(),
                 (QVariantList{int(platform::vbRightButton), platform::vbShiftMask | platform::vbCtrlMask,
                               150.0f, 300.0f}));
        QCOMPARE(up.takeFirst(), (QVariantList{int(platform::vbRightButton), 0, 10.0f, 20.0f}));
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
            QVERIFY(down.count() == 2 && up.count() == 2 && dbl.count() == 1);
            QCOMPARE(down[1][0].toInt(), platform::ButtonCode(b));
        }
    }
};

QTEST_MAIN(TestPictureBox)
#include "tst_picturebox.moc"
