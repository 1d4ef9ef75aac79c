#include "shell/MainControls.h"

#include "clips/FrameStrip.h"
#include "clips/MediaKinds.h"
#include "compare/frmImageTool.h"
#include "compare/frmModelTool.h"
#include "overlay/frmDrawToolBox.h"
#include "platform/FileListBoxes.h"
#include "platform/ImageBox.h"
#include "platform/MessageBox.h"
#include "platform/PictureBox.h"
#include "platform/RuntimeError.h"
#include "platform/Twips.h"
#include "playback/frmVideoControls.h"
#include "shell/HelpMenu.h"
#include "shell/MainCommands.h"
#include "shell/MainState.h"
#include "shell/MainToolbar.h"
#include "shell/MainWidgets.h"
#include "shell/cMRUFileList.h"
#include "ui/Artwork.h"
#include "ui/Globals.h"

#include <QAction>
#include <QCoreApplication>
#include <QDate>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QMainWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QTime>
#include <QTimer>

#include <cmath>

namespace {

const QString kFilePattern = kVideoPatterns + QLatin1Char(';') + kPicturePatterns;

void place(QWidget* w, const QRect& twips) {
    w->setGeometry(platform::TwipsToPixels(twips));
}

platform::PictureBox* canvasBox(QWidget* parent, const char* name) {
    auto* box = new platform::PictureBox(parent);
    box->setObjectName(QLatin1String(name));
    box->SetScaleMode(platform::PictureBox::vbPixels);
    box->hide();
    return box;
}

}  // namespace

MainControls::MainControls(QMainWindow& window, MainWidgets& controls, const MainState& state,
                           Globals& program, MainCommands& commands, Hooks hooks)
    : window_(window),
      c_(controls),
      s_(state),
      program_(program),
      commands_(commands),
      hooks_(std::move(hooks)) {
    window_.setObjectName(QStringLiteral("frm_Main"));
    window_.setWindowTitle(QStringLiteral("Golf Swing Analysis"));
    window_.setWindowIcon(AppIcon());
    buildControls();
    buildMenus();
}

void MainControls::buildControls() {
    QMainWindow* const w = &window_;
    c_.Toolbar1 = new MainToolbar(w, [this](int button) { return commands_.ToolbarAction(button); });
    w->addToolBar(Qt::TopToolBarArea, c_.Toolbar1);
    c_.prgbarProcess = new QProgressBar(c_.Toolbar1);
    c_.prgbarProcess->setObjectName(QStringLiteral("prgbarProcess"));
    c_.prgbarProcess->hide();

    c_.StatusBar1 = new QStatusBar(w);
    c_.StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    w->setStatusBar(c_.StatusBar1);
    for (size_t i = 0; i < c_.Panels.size(); ++i) {
        c_.Panels[i] = new QLabel(c_.StatusBar1);
        c_.Panels[i]->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
    }

    auto* client = new QWidget(w);
    client->setObjectName(QStringLiteral("client"));
    w->setCentralWidget(client);

    c_.Drive1 = new platform::DriveListBox(client);
    c_.Drive1->setObjectName(QStringLiteral("Drive1"));
    c_.Dir1 = new platform::DirListBox(client);
    c_.Dir1->setObjectName(QStringLiteral("Dir1"));
    c_.File1 = new platform::FileListBox(client);
    c_.File1->setObjectName(QStringLiteral("File1"));
    c_.File1->SetPattern(kFilePattern);
    c_.File1->setToolTip(QStringLiteral("Click to Preview/ SHIFT+Click to Open"));

    c_.picVideo = new platform::PictureBox(client);
    c_.picVideo->setObjectName(QStringLiteral("picVideo"));
    c_.picVideo->SetBackColor(Qt::black);
    c_.pic_video = canvasBox(client, "pic_video");
    c_.pic_video->SetDevicePixels(true);  // the picture as sharp as the screen
    c_.picVideoInfo = new platform::PictureBox(client);
    c_.picVideoInfo->setObjectName(QStringLiteral("picVideoInfo"));
    c_.picVideoInfo->SetBackColor(Qt::white);
    c_.picVideoInfo->hide();

    c_.hscrAvi1 = new QScrollBar(Qt::Horizontal, client);
    c_.hscrAvi1->setObjectName(QStringLiteral("hscrAvi1"));
    c_.hscrAvi1->hide();
    c_.hscrAvi2 = new QScrollBar(Qt::Horizontal, client);
    c_.hscrAvi2->setObjectName(QStringLiteral("hscrAvi2"));
    c_.hscrAvi2->hide();

    c_.picPVideoFrames = new QWidget(client);
    c_.picPVideoFrames->setObjectName(QStringLiteral("picPVideoFrames"));
    c_.picPVideoFrames->hide();
    strip_ = new FrameStrip(c_.picPVideoFrames, c_.ImgVideoFrames, ThumbnailCursor(), program_.ScreenUnitX,
                            program_.ScreenUnitY);
    c_.picCVideoFrames = strip_->Inner();
    c_.shapeVideoFrame = strip_->Marker();
    c_.HScrVideoFrames = strip_->ScrollBar();
    connect(strip_, &FrameStrip::Clicked, this, [this](int index) { hooks_.thumbnailClicked(index); });

    c_.imgLogo = new QLabel(client);
    c_.imgLogo->setObjectName(QStringLiteral("imgLogo"));
    c_.imgLogo->setScaledContents(false);

    c_.ClockTimer = new QTimer(w);
    c_.ClockTimer->setObjectName(QStringLiteral("ClockTimer"));
    c_.ClockTimer->setInterval(100);
    connect(c_.ClockTimer, &QTimer::timeout, this, &MainControls::ClockTick);

    c_.DrawToolBox = new frmDrawToolBox(w);
    c_.ImageTool = new frmImageTool(w);
    c_.ModelTool = new frmModelTool(w);
    c_.VideoControls = new frmVideoControls(program_, w);
}

void MainControls::buildMenus() {
    QMenuBar* const bar = window_.menuBar();
    c_.menu_File = bar->addMenu(QStringLiteral("&File"));
    c_.menu_File->setObjectName(QStringLiteral("menu_File"));
    auto fileItem = [this](int index, const QString& caption) {
        QAction* a = c_.menu_File->addAction(caption);
        a->setObjectName(QStringLiteral("mnuFile%1").arg(index));
        connect(a, &QAction::triggered, this, [this, index] { hooks_.fileItem(index); });
        c_.mnuFile[index] = a;
        return a;
    };
    // Open is the toolbar's command; the model item's caption follows the model.
    c_.mnuFile[0] = commands_.Action(Command::Open);
    c_.menu_File->addAction(c_.mnuFile[0]);
    c_.mnuFile[0]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    commands_.SetModelItem(fileItem(1, QStringLiteral("&Open model")));
    c_.mnuExportPicture = c_.menu_File->addAction(QStringLiteral("Export Picture..."));
    c_.mnuExportPicture->setObjectName(QStringLiteral("mnuExportPicture"));
    c_.mnuExportPicture->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    connect(c_.mnuExportPicture, &QAction::triggered, this, [this] { hooks_.exportPicture(); });
    c_.mnuExportVideo = c_.menu_File->addAction(QStringLiteral("Export Video..."));
    c_.mnuExportVideo->setObjectName(QStringLiteral("mnuExportVideo"));
    c_.mnuExportVideo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    connect(c_.mnuExportVideo, &QAction::triggered, this, [this] { hooks_.exportVideo(); });
    c_.mnuFile[2] = c_.menu_File->addSeparator();
    for (int i = 5; i <= 8; ++i) fileItem(i, QString())->setVisible(false);
    c_.mnuFile[9] = c_.menu_File->addSeparator();
    c_.mnuFile[9]->setVisible(false);
    fileItem(10, QStringLiteral("&Exit"));

    c_.mnuToolsTOP = bar->addMenu(QStringLiteral("&Tools"));
    c_.mnuToolsTOP->setObjectName(QStringLiteral("mnuToolsTOP"));
    c_.mnuTools = commands_.FillToolsMenu(c_.mnuToolsTOP);

    c_.mnu_help = bar->addMenu(QStringLiteral("&Help"));
    c_.mnu_help->setObjectName(QStringLiteral("mnu_help"));
    const QString help[] = {QStringLiteral("Varkelo"), QStringLiteral("Golf Swing"), QStringLiteral("-"),
                            QStringLiteral("About Varkelo")};
    for (const QString& caption : help) {
        const int index = int(c_.mnuhelp.size());
        QAction* a =
            caption == QLatin1String("-") ? c_.mnu_help->addSeparator() : c_.mnu_help->addAction(caption);
        a->setObjectName(QStringLiteral("mnuhelp%1").arg(index));
        // The Help menu's handler skips a failing step and reports nothing.
        connect(a, &QAction::triggered, this,
                [this, index] { platform::TryStep([&] { mnuhelp_Click(index, &window_); }); });
        c_.mnuhelp.push_back(a);
    }
}

void MainControls::LayOut() {
    const platform::ScreenMetrics screen = platform::CurrentScreenMetrics();
    // Geometry is in window coordinates, as designed: the controls start below the menu bar
    // and the toolbar.
    design_.toolbarBottom =
        platform::PixelsToTwipsY(window_.menuBar()->sizeHint().height() + c_.Toolbar1->sizeHint().height());
    design_.toolbarWidth = platform::PixelsToTwipsX(screen.widthPx);
    design_.toolbarButtonWidth = platform::PixelsToTwipsX(c_.Toolbar1->ButtonWidth());
    design_.driveHeight = platform::PixelsToTwipsY(c_.Drive1->sizeHint().height());
    design_.scrollHeight = platform::PixelsToTwipsY(c_.hscrAvi1->sizeHint().height());
    design_.videoControlsHeight =
        platform::PixelsToTwipsY(c_.VideoControls->frameGeometry().height() +
                                 c_.VideoControls->style()->pixelMetric(QStyle::PM_TitleBarHeight));
    layout_ = ComputeMainLayout(platform::ScreenWidthTwips(), platform::ScreenHeightTwips(), design_);
    program_.ScreenUnitX = layout_.ScreenUnitX;
    program_.ScreenUnitY = layout_.ScreenUnitY;
    // The window fills the screen's available area, frame, panels and all: shown maximised,
    // and of that size where nothing maximises it (no window manager).
    window_.setGeometry(platform::AvailableScreenAreas().constFirst());
    window_.setWindowState(window_.windowState() | Qt::WindowMaximized);

    if (screen.depth <= 8)
        platform::MsgBox(
            QStringLiteral("Screen colour depths below 16 bits/pixel are not supported by this program."),
            platform::vbExclamation);
}

void MainControls::Place() {
    c_.Panels[0]->setText(QStringLiteral("Shift+click a clip to open it, click to preview it"));
    c_.Panels[0]->setEnabled(false);
    c_.StatusBar1->addWidget(c_.Panels[0]);
    for (size_t i = 1; i < c_.Panels.size(); ++i) c_.StatusBar1->addWidget(c_.Panels[i], 1);
    c_.Panels[1]->clear();
    c_.Panels[2]->setText(QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
    ClockTick();
    c_.ClockTimer->start();

    placeControls();

    for (int i = 2; i <= c_.Toolbar1->Count() - 1; ++i) c_.Toolbar1->SetEnabled(i, false);
    c_.prgbarProcess->hide();
    const QRect bar = platform::TwipsToPixels(layout_.prgbarProcess);
    c_.prgbarProcess->setGeometry(bar.x(), 2, std::max(0, bar.width()),
                                  std::max(8, c_.Toolbar1->sizeHint().height() - 4));

    placeToolWindows();

    c_.imgLogo->setPixmap(SplashPicture(platform::TwipsToPixels(layout_.imgLogo).size()));
    c_.imgLogo->show();
}

void MainControls::placeControls() {
    placeControlGeometry();

    // The browser shows the working folder; a folder that is gone falls back to the
    // program's own. The drive list follows quietly: a change of drive moves the folder
    // list to the drive's root, which would replace the stored folder.
    if (!platform::TryStep([&] { c_.Dir1->SetPath(program_.WorkingDir); })) {
        program_.WorkingDir = QCoreApplication::applicationDirPath();
        c_.Dir1->SetPath(program_.WorkingDir);
    }
    {
        const QSignalBlocker quiet(c_.Drive1);
        c_.Drive1->SetDrive(c_.Dir1->Path());
    }
    c_.File1->SetPath(c_.Dir1->Path());
}

void MainControls::placeControlGeometry() {
    const MainLayout& l = layout_;
    // Controls of the client area are placed relative to it.
    const int clientTop = int(platform::TwipsToPixelsY(l.Drive1.y()));
    auto place = [clientTop](QWidget* w, const QRect& twips) {
        w->setGeometry(platform::TwipsToPixels(twips).translated(0, -clientTop));
    };
    place(c_.Drive1, l.Drive1);
    place(c_.Dir1, l.Dir1);
    place(c_.File1, l.File1);
    place(c_.picVideo, l.picVideo);
    place(c_.pic_video, l.pic_video);
    place(c_.hscrAvi1, l.hscrAvi1);
    place(c_.hscrAvi2, l.hscrAvi2);
    place(c_.picPVideoFrames, l.picPVideoFrames);
    // The frame strip's parts are placed inside the strip.
    ::place(c_.picCVideoFrames, l.picCVideoFrames);
    ::place(c_.ImgVideoFrames[0], l.ImgVideoFrames0);
    ::place(c_.HScrVideoFrames, l.HScrVideoFrames);
    place(c_.picVideoInfo, l.picVideoInfo);
    place(c_.imgLogo, l.imgLogo);
}

void MainControls::Shown() {
    if (designedSize_.isEmpty()) designedSize_ = window_.size();
}

void MainControls::Resized() {
    if (designedSize_.isEmpty() || !window_.isVisible()) return;
    // Maximised, as it starts, the window has the designed layout, whatever room the desktop
    // gives it; other sizes scale the layout from there. Without a window manager the window
    // stays "maximised" whatever size it is given: it must fill the screen's room too.
    const QScreen* room = window_.screen();
    const QSize size = window_.size();
    const QSize free = room ? room->availableGeometry().size() : size;
    constexpr int kFrame = 64;  // a window frame and title bar
    if ((window_.windowState() & Qt::WindowMaximized) && std::abs(size.width() - free.width()) <= kFrame &&
        std::abs(size.height() - free.height()) <= kFrame)
        designedSize_ = size;
    platform::TryStep([&] { fitLayoutToWindow(); });
}

void MainControls::fitLayoutToWindow() {
    // The designed layout, computed for a window of another size: every part takes its share
    // of the room, and at the designed size it is the designed layout exactly.
    const double sx = double(window_.width()) / designedSize_.width();
    const double sy = double(window_.height()) / designedSize_.height();
    if (sx == layoutScale_.width() && sy == layoutScale_.height()) return;
    layoutScale_ = QSizeF(sx, sy);
    layout_ = ComputeMainLayout(std::lround(platform::ScreenWidthTwips() * sx),
                                std::lround(platform::ScreenHeightTwips() * sy), design_);
    // What is laid out from now on (thumbnails, the strip's rows, the preview box) takes the
    // units of this layout.
    program_.ScreenUnitX = layout_.ScreenUnitX;
    program_.ScreenUnitY = layout_.ScreenUnitY;
    const QRect inner = c_.picCVideoFrames->geometry(), thumb = c_.ImgVideoFrames[0]->geometry();
    const auto onScreen = [](const QWidget* w) { return QRect(w->mapToGlobal(QPoint()), w->size()); };
    const QRect stripBefore = onScreen(c_.picPVideoFrames);
    placeControlGeometry();
    // The tool windows that left the strip free still do.
    for (ToolWindow* tool :
         std::initializer_list<ToolWindow*>{c_.VideoControls, c_.DrawToolBox, c_.ImageTool, c_.ModelTool})
        tool->KeepClearOf(stripBefore, onScreen(c_.picPVideoFrames));
    if (c_.imgLogo->isVisible()) c_.imgLogo->setPixmap(SplashPicture(c_.imgLogo->size()));
    if (program_.BusyLoading) {
        // The loading strip keeps the units it started with; it is laid out again once the
        // load is over.
        c_.picCVideoFrames->setGeometry(inner);
        c_.ImgVideoFrames[0]->setGeometry(thumb);
        QTimer::singleShot(200, this, [this] {
            layoutScale_ = QSizeF();
            platform::TryStep([&] { fitLayoutToWindow(); });
        });
        return;
    }
    if (!program_.ClipLoaded) return;  // a load fits the frames when it is done
    platform::TryStep([&] { reflowThumbnails(); });
    hooks_.refitClip();
}

void MainControls::reflowThumbnails() {
    if (s_.ClipKind == 2) strip_->Reflow(s_.Video1, s_.CurrentVideoFrame);
}

void MainControls::placeToolWindows() {
    ToolWindowPositions& p = program_.ToolPos;
    auto orDefault = [](QPoint& stored, QPoint fallback) {
        if (stored == QPoint(0, 0)) stored = fallback;
    };
    orDefault(p.videoControls, layout_.defaultVideoControls);
    orDefault(p.drawTool, layout_.defaultDrawTool);
    orDefault(p.imageTool, layout_.defaultImageTool);
    orDefault(p.adjustTool, layout_.defaultAdjustTool);
    c_.DrawToolBox->MoveTwips(p.drawTool);
    c_.ImageTool->MoveTwips(p.imageTool);
    c_.ModelTool->MoveTwips(p.adjustTool);
    c_.VideoControls->MoveTwips(p.videoControls);
}

void MainControls::ShowRecentFiles(const cMRUFileList& mru) {
    for (int i = 1; i <= mru.FileCount() && i <= 4; ++i) {
        if (!mru.FileExists(i)) continue;
        QAction* slot = c_.mnuFile[i + 4];
        slot->setText(mru.MenuCaption(i));
        slot->setVisible(true);
    }
    // Slots are never hidden again while the program runs.
    if (mru.FileCount() >= 1) c_.mnuFile[9]->setVisible(true);
}

void MainControls::ClockTick() {
    c_.Panels[3]->setText(QLocale::system().toString(QTime::currentTime(), QLocale::LongFormat));
}
