#include "shell/frmSplash.h"

#include "platform/Twips.h"
#include "ui/Artwork.h"
#include "shell/frm_Main.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <cmath>

frmSplash::frmSplash(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("Varkelo"));
    setWindowIcon(AppIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    QApplication::setOverrideCursor(Qt::WaitCursor);

    const platform::ScreenMetrics screen = platform::CurrentScreenMetrics();
    const int w = int(std::lrint(screen.widthPx * 0.65));
    const int h = int(std::lrint(screen.heightPx * 0.55));
    setFixedSize(w, h);
    move((screen.widthPx - w) / 2, (screen.heightPx - h) / 2);

    imgLogo = new QLabel(this);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    const QRect logo(int(std::lrint(w * 0.025)), int(std::lrint(h * 0.025)), int(std::lrint(w * 0.95)),
                     int(std::lrint(h * 0.95)));
    imgLogo->setGeometry(logo);
    imgLogo->setPixmap(SplashPicture(logo.size()));
    setStyleSheet(QStringLiteral("frmSplash { background: #20303a; }"));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(3000);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
    Timer1->start();
}

frm_Main* frmSplash::Timer1_Timer() {
    Timer1->stop();
    QApplication::restoreOverrideCursor();
    auto* main = new frm_Main;
    main->setAttribute(Qt::WA_DeleteOnClose);
    main->show();
    emit MainWindowShown(main);
    close();
    return main;
}
