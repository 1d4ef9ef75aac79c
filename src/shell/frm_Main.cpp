#include "shell/frm_Main.h"

#include "clips/ClipOpener.h"
#include "clips/ClipPreview.h"
#include "clips/FileBrowser.h"
#include "clips/FrameStrip.h"
#include "clips/MediaKinds.h"
#include "compare/CanvasZoom.h"
#include "compare/KeyPositionsController.h"
#include "compare/frmImageTool.h"
#include "compare/frmModelTool.h"
#include "overlay/CanvasDrawing.h"
#include "overlay/frmDrawToolBox.h"
#include "platform/FileDialog.h"
#include "platform/FileListBoxes.h"
#include "platform/ImageBox.h"
#include "platform/MessageBox.h"
#include "platform/PictureBox.h"
#include "platform/RegistryStore.h"
#include "platform/Twips.h"
#include "playback/ClipNavigation.h"
#include "playback/MoviePreview.h"
#include "playback/MovieWindow.h"
#include "playback/frmVideoControls.h"
#include "ui/Artwork.h"
#include "shell/DesktopInput.h"
#include "ui/Globals.h"
#include "shell/HelpMenu.h"
#include "shell/MainCommands.h"
#include "shell/MainToolbar.h"
#include "shell/ReportError.h"
#include "shell/cMRUFileList.h"
#include "shell/cRegistry.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLocale>
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

const QString kProgramKey = QStringLiteral("Software\\varkelo\\video");
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

QTimer* makeTimer(QObject* parent, const char* name, int interval) {
    auto* t = new QTimer(parent);
    t->setObjectName(QLatin1String(name));
    t->setInterval(interval);
    return t;
}

}  // namespace

frm_Main::frm_Main(QWidget* parent) : QMainWindow(parent), mru_(std::make_unique<cMRUFileList>()) {
    setObjectName(QStringLiteral("frm_Main"));
    setWindowTitle(QStringLiteral("Golf Swing Analysis"));
    setWindowIcon(AppIcon());
    platform::SetDialogParent(this);
    platform::SetClipPreviewProvider(ClipFirstFrame);
    Commands = new MainCommands(
        this, [this](int button) { Toolbar_Click(button); }, [this](int item) { mnuTools_Click(item); },
        [this] {
            return CommandInputs{.picture = Video1.HoldsPicture(), .busyLoading = G().BusyLoading,
                                 .modelShown = G().ModelShown, .modelAdjust = G().ModelAdjust,
                                 .fullWindow = G().FullWindow, .imageToolOn = ImageToolOn,
                                 .drawingOn = Drawing && Drawing->Overlay().DrawingOn};
        });
    buildControls();
    buildMenus();
    SwingKeys = new KeyPositionsController(keyPositionsWindow(), menuBar(), this);
    // Keys, drops and the file list's double click; the scrub bar and the wheel.
    new DesktopInput(*this);
    connectClipNavigation();
    auto* zoom = new CanvasZoom(canvasZoomHost(), *Toolbar1, WholeFrameIcon(), this);
    connect(this, &frm_Main::FrameShown, zoom, &CanvasZoom::FrameShown);
    Form_Load();
}

frm_Main::~frm_Main() {
    if (platform::DialogParent() == this) platform::SetDialogParent(nullptr);
    // The helpers that watch this window's controls go first: the controls' hide events at
    // the window's end would otherwise reach them through a half-destroyed window.
    delete findChild<ClipNavigation*>(QString(), Qt::FindDirectChildrenOnly);
    delete findChild<CanvasZoom*>(QString(), Qt::FindDirectChildrenOnly);
    delete findChild<DesktopInput*>(QString(), Qt::FindDirectChildrenOnly);
}

void frm_Main::buildControls() {
    Toolbar1 = new MainToolbar(this, [this](int button) { return Commands->ToolbarAction(button); });
    addToolBar(Qt::TopToolBarArea, Toolbar1);
    prgbarProcess = new QProgressBar(Toolbar1);
    prgbarProcess->setObjectName(QStringLiteral("prgbarProcess"));
    prgbarProcess->hide();

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    setStatusBar(StatusBar1);
    for (size_t i = 0; i < Panels.size(); ++i) {
        Panels[i] = new QLabel(StatusBar1);
        Panels[i]->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
    }

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    Drive1 = new platform::DriveListBox(client);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Dir1 = new platform::DirListBox(client);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    File1 = new platform::FileListBox(client);
    File1->setObjectName(QStringLiteral("File1"));
    File1->SetPattern(kFilePattern);
    File1->setToolTip(QStringLiteral("Click to Preview/ SHIFT+Click to Open"));

    picVideo = new platform::PictureBox(client);
    picVideo->setObjectName(QStringLiteral("picVideo"));
    picVideo->SetBackColor(Qt::black);
    pic_video = canvasBox(client, "pic_video");
    pic_video->SetDevicePixels(true);  // the picture as sharp as the screen
    picVideoInfo = new platform::PictureBox(client);
    picVideoInfo->setObjectName(QStringLiteral("picVideoInfo"));
    picVideoInfo->SetBackColor(Qt::white);
    picVideoInfo->hide();

    hscrAvi1 = new QScrollBar(Qt::Horizontal, client);
    hscrAvi1->setObjectName(QStringLiteral("hscrAvi1"));
    hscrAvi1->hide();
    hscrAvi2 = new QScrollBar(Qt::Horizontal, client);
    hscrAvi2->setObjectName(QStringLiteral("hscrAvi2"));
    hscrAvi2->hide();

    picPVideoFrames = new QWidget(client);
    picPVideoFrames->setObjectName(QStringLiteral("picPVideoFrames"));
    picPVideoFrames->hide();
    strip_ = new FrameStrip(picPVideoFrames, ImgVideoFrames, ThumbnailCursor(), G().ScreenUnitX, G().ScreenUnitY);
    picCVideoFrames = strip_->Inner();
    shapeVideoFrame = strip_->Marker();
    HScrVideoFrames = strip_->ScrollBar();
    connect(strip_, &FrameStrip::Clicked, this, &frm_Main::ImgVideoFrames_Click);

    imgLogo = new QLabel(client);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setScaledContents(false);

    ClockTimer = makeTimer(this, "ClockTimer", 100);
    connect(ClockTimer, &QTimer::timeout, this, &frm_Main::ClockTimer_Timer);

    DrawToolBox = new frmDrawToolBox(this);
    ImageTool = new frmImageTool(this);
    ModelTool = new frmModelTool(this);
    VideoControls = new frmVideoControls(this);
    connectVideoControls();

    // Drawing on the canvas; the tool box's close box is its own affair.
    Drawing = new CanvasDrawing(this);
    Drawing->Attach(pic_video, DrawToolBox);
    Drawing->repaintFrame = [this] { PasteAvi(CurrentVideoFrame); };
    Drawing->toolbarClick = [this](int i) { Toolbar_Click(i); };
    Drawing->toolbarValue = [this](int i) { return Toolbar1->Value(i); };
    // The drawing's button and menu item follow its state.
    Drawing->setToolbarValue = [this](int, bool) { Commands->Refresh(); };
    DrawingUpdate = [this] { Drawing->DrawingUpdate(); };
    connect(ImageTool, &ToolWindow::CloseBoxClicked, this, [this] { Toolbar_Click(4); });
    connect(ImageTool, &frmImageTool::Changed, this, [this] { PasteAvi(CurrentVideoFrame); });
    // A frame decoded on demand arrives after its paint showed the one before: paint it now.
    connect(&Video1, &FrameSource::FrameReady, this, [this](int n) {
        if (Video1.OnDemand() && n == Video1.AwaitedFrame()) platform::TryStep([&] { PasteAvi(short(n)); });
    });
    connect(&Model, &FrameSource::FrameReady, this, [this](int n) {
        if (Model.OnDemand() && n == Model.AwaitedFrame() && G().ModelShown) platform::TryStep([&] { ModelDraw(short(n)); });
    });
    connectModelAdjustment();
    connectClips();

    connect(Drive1, &platform::DriveListBox::Change, this, &frm_Main::Drive1_Change);
    connect(Dir1, &platform::DirListBox::Change, this, &frm_Main::Dir1_Change);
    preview_ = std::make_unique<MoviePreview>(picVideo, File1);
    previewClip = [this](const QString& path) { preview_->Preview(path); };
    connect(File1, &platform::FileListBox::MouseUp, this,
            [this](int button, int shift, float, float) { File1_MouseUp(button, shift); });
}

void frm_Main::buildMenus() {
    menu_File = menuBar()->addMenu(QStringLiteral("&File"));
    menu_File->setObjectName(QStringLiteral("menu_File"));
    auto fileItem = [this](int index, const QString& caption) {
        QAction* a = menu_File->addAction(caption);
        a->setObjectName(QStringLiteral("mnuFile%1").arg(index));
        connect(a, &QAction::triggered, this, [this, index] { mnuFile_Click(index); });
        mnuFile[index] = a;
        return a;
    };
    // Open is the toolbar's command; the model item's caption follows the model.
    mnuFile[0] = Commands->Action(Command::Open);
    menu_File->addAction(mnuFile[0]);
    mnuFile[0]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    Commands->SetModelItem(fileItem(1, QStringLiteral("&Open model")));
    mnuExportPicture = menu_File->addAction(QStringLiteral("Export Picture..."));
    mnuExportPicture->setObjectName(QStringLiteral("mnuExportPicture"));
    mnuExportPicture->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    connect(mnuExportPicture, &QAction::triggered, this, &frm_Main::mnuExportPicture_Click);
    mnuExportVideo = menu_File->addAction(QStringLiteral("Export Video..."));
    mnuExportVideo->setObjectName(QStringLiteral("mnuExportVideo"));
    mnuExportVideo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    connect(mnuExportVideo, &QAction::triggered, this, &frm_Main::mnuExportVideo_Click);
    mnuFile[2] = menu_File->addSeparator();
    for (int i = 5; i <= 8; ++i) fileItem(i, QString())->setVisible(false);
    mnuFile[9] = menu_File->addSeparator();
    mnuFile[9]->setVisible(false);
    fileItem(10, QStringLiteral("&Exit"));

    mnuToolsTOP = menuBar()->addMenu(QStringLiteral("&Tools"));
    mnuToolsTOP->setObjectName(QStringLiteral("mnuToolsTOP"));
    mnuTools = Commands->FillToolsMenu(mnuToolsTOP);

    mnu_help = menuBar()->addMenu(QStringLiteral("&Help"));
    mnu_help->setObjectName(QStringLiteral("mnu_help"));
    const QString help[] = {QStringLiteral("Varkelo"), QStringLiteral("Golf Swing"), QStringLiteral("-"),
                            QStringLiteral("About Varkelo")};
    for (const QString& caption : help) {
        const int index = int(mnuhelp.size());
        QAction* a = caption == QLatin1String("-") ? mnu_help->addSeparator() : mnu_help->addAction(caption);
        a->setObjectName(QStringLiteral("mnuhelp%1").arg(index));
        // The Help menu's handler skips a failing step and reports nothing.
        connect(a, &QAction::triggered, this,
                [this, index] { platform::TryStep([&] { mnuhelp_Click(index, this); }); });
        mnuhelp.push_back(a);
    }
}

void frm_Main::Form_Load() {
    TrapErrors([this] {
        const platform::ScreenMetrics screen = platform::CurrentScreenMetrics();
        DesignSizes& design = design_;
        // Geometry is in window coordinates, as designed: the controls start below the
        // menu bar and the toolbar.
        design.toolbarBottom =
            platform::PixelsToTwipsY(menuBar()->sizeHint().height() + Toolbar1->sizeHint().height());
        design.toolbarWidth = platform::PixelsToTwipsX(screen.widthPx);
        design.toolbarButtonWidth = platform::PixelsToTwipsX(Toolbar1->ButtonWidth());
        design.driveHeight = platform::PixelsToTwipsY(Drive1->sizeHint().height());
        design.scrollHeight = platform::PixelsToTwipsY(hscrAvi1->sizeHint().height());
        design.videoControlsHeight =
            platform::PixelsToTwipsY(VideoControls->frameGeometry().height() +
                                     VideoControls->style()->pixelMetric(QStyle::PM_TitleBarHeight));
        layout_ = ComputeMainLayout(platform::ScreenWidthTwips(), platform::ScreenHeightTwips(), design);
        G().ScreenUnitX = layout_.ScreenUnitX;
        G().ScreenUnitY = layout_.ScreenUnitY;
        // The window fills the screen's available area, frame, panels and all: shown
        // maximised, and of that size where nothing maximises it (no window manager).
        setGeometry(platform::AvailableScreenAreas().constFirst());
        setWindowState(windowState() | Qt::WindowMaximized);

        loadSettings();
        const QString programFolder = QCoreApplication::applicationDirPath();
        if (G().WorkingDir.isEmpty()) G().WorkingDir = programFolder;
        if (G().ModelDir.isEmpty()) G().ModelDir = programFolder;

        if (screen.depth <= 8)
            platform::MsgBox(
                QStringLiteral("Screen colour depths below 16 bits/pixel are not supported by this program."),
                platform::vbExclamation);

        Panels[0]->setText(QStringLiteral("Shift+click a clip to open it, click to preview it"));
        Panels[0]->setEnabled(false);
        StatusBar1->addWidget(Panels[0]);
        for (size_t i = 1; i < Panels.size(); ++i) StatusBar1->addWidget(Panels[i], 1);
        Panels[1]->clear();
        Panels[2]->setText(QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
        ClockTimer_Timer();
        ClockTimer->start();

        placeControls();

        for (int i = 2; i <= Toolbar1->Count() - 1; ++i) Toolbar1->SetEnabled(i, false);
        prgbarProcess->hide();
        const QRect bar = platform::TwipsToPixels(layout_.prgbarProcess);
        prgbarProcess->setGeometry(bar.x(), 2, std::max(0, bar.width()),
                                   std::max(8, Toolbar1->sizeHint().height() - 4));

        placeToolWindows();
        Commands->Refresh();

        imgLogo->setPixmap(SplashPicture(platform::TwipsToPixels(layout_.imgLogo).size()));
        imgLogo->show();

        G().ClipLoaded = false;
        G().BusyLoading = false;
    });
}

static_assert(MarkStyle{}.color == kDefaultMarkColor && MarkStyle{}.width == kDefaultMarkWidth);

void frm_Main::loadSettings() {
    mru_->SetMaxFileCount(4);
    cRegistry reg;
    reg.SetClassKey(platform::HKEY_CURRENT_USER);
    reg.SetSectionKey(kProgramKey);
    mru_->Load(reg);
    RefreshRecentMenu();
    mru_->LoadDir(reg);
    mru_->LoadModelDir(reg);
    mru_->LoadToolCoor(reg);
    mru_->LoadMarkStyle(reg);
    // New marks take the user's style, the rubber bands too.
    OverlayModel& o = Drawing->Overlay();
    o.Line1.BorderColor = o.Shape1.BorderColor = G().Marks.color;
    o.Line1.BorderWidth = o.Shape1.BorderWidth = G().Marks.width;
}

void frm_Main::placeControls() {
    placeControlGeometry();

    // The browser shows the working folder; a folder that is gone falls back to the
    // program's own. The drive list follows quietly: a change of drive moves the folder
    // list to the drive's root, which would replace the stored folder.
    if (!platform::TryStep([&] { Dir1->SetPath(G().WorkingDir); })) {
        G().WorkingDir = QCoreApplication::applicationDirPath();
        Dir1->SetPath(G().WorkingDir);
    }
    {
        const QSignalBlocker quiet(Drive1);
        Drive1->SetDrive(Dir1->Path());
    }
    File1->SetPath(Dir1->Path());
}

void frm_Main::placeControlGeometry() {
    const MainLayout& l = layout_;
    // Controls of the client area are placed relative to it.
    const int clientTop = int(platform::TwipsToPixelsY(l.Drive1.y()));
    auto place = [clientTop](QWidget* w, const QRect& twips) {
        w->setGeometry(platform::TwipsToPixels(twips).translated(0, -clientTop));
    };
    place(Drive1, l.Drive1);
    place(Dir1, l.Dir1);
    place(File1, l.File1);
    place(picVideo, l.picVideo);
    place(pic_video, l.pic_video);
    place(hscrAvi1, l.hscrAvi1);
    place(hscrAvi2, l.hscrAvi2);
    place(picPVideoFrames, l.picPVideoFrames);
    // The frame strip's parts are placed inside the strip.
    ::place(picCVideoFrames, l.picCVideoFrames);
    ::place(ImgVideoFrames[0], l.ImgVideoFrames0);
    ::place(HScrVideoFrames, l.HScrVideoFrames);
    place(picVideoInfo, l.picVideoInfo);
    place(imgLogo, l.imgLogo);
}

void frm_Main::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (designedSize_.isEmpty()) designedSize_ = size();
}

void frm_Main::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (designedSize_.isEmpty() || !isVisible()) return;
    // Maximised, as it starts, the window has the designed layout, whatever room the desktop
    // gives it; other sizes scale the layout from there. Without a window manager the window
    // stays "maximised" whatever size it is given: it must fill the screen's room too.
    const QScreen* room = screen();
    const QSize free = room ? room->availableGeometry().size() : size();
    constexpr int kFrame = 64;  // a window frame and title bar
    if ((windowState() & Qt::WindowMaximized) && std::abs(width() - free.width()) <= kFrame &&
        std::abs(height() - free.height()) <= kFrame)
        designedSize_ = size();
    platform::TryStep([&] { fitLayoutToWindow(); });
}

void frm_Main::fitLayoutToWindow() {
    // The designed layout, computed for a window of another size: every part takes its share
    // of the room, and at the designed size it is the designed layout exactly.
    const double sx = double(width()) / designedSize_.width();
    const double sy = double(height()) / designedSize_.height();
    if (sx == layoutScale_.width() && sy == layoutScale_.height()) return;
    layoutScale_ = QSizeF(sx, sy);
    layout_ = ComputeMainLayout(std::lround(platform::ScreenWidthTwips() * sx),
                                std::lround(platform::ScreenHeightTwips() * sy), design_);
    // What is laid out from now on (thumbnails, the strip's rows, the preview box) takes the
    // units of this layout.
    G().ScreenUnitX = layout_.ScreenUnitX;
    G().ScreenUnitY = layout_.ScreenUnitY;
    const QRect inner = picCVideoFrames->geometry(), thumb = ImgVideoFrames[0]->geometry();
    const auto onScreen = [](const QWidget* w) { return QRect(w->mapToGlobal(QPoint()), w->size()); };
    const QRect stripBefore = onScreen(picPVideoFrames);
    placeControlGeometry();
    // The tool windows that left the strip free still do.
    for (ToolWindow* tool : std::initializer_list<ToolWindow*>{VideoControls, DrawToolBox, ImageTool, ModelTool})
        tool->KeepClearOf(stripBefore, onScreen(picPVideoFrames));
    if (imgLogo->isVisible()) imgLogo->setPixmap(SplashPicture(imgLogo->size()));
    if (G().BusyLoading) {
        // The loading strip keeps the units it started with; it is laid out again once the
        // load is over.
        picCVideoFrames->setGeometry(inner);
        ImgVideoFrames[0]->setGeometry(thumb);
        QTimer::singleShot(200, this, [this] {
            layoutScale_ = QSizeF();
            platform::TryStep([&] { fitLayoutToWindow(); });
        });
        return;
    }
    if (!G().ClipLoaded) return;  // a load fits the frames when it is done
    platform::TryStep([&] { reflowThumbnails(); });
    if (ClipKind == 2) {
        // A clip is fitted to the canvas anew, in the view that is on; a still picture keeps
        // its own size.
        const QRect before = Video1.CanvasRect();
        if (G().FullWindow) {
            Video1.FitTo(pic_video->width(), pic_video->height());
            // The blended model keeps its place on the picture.
            const QRect after = Video1.CanvasRect();
            if (G().ModelShown && !before.isEmpty()) {
                const QRect& p = Model.placement;
                const double kx = double(after.width()) / before.width(),
                             ky = double(after.height()) / before.height();
                const int left = int(std::lround(after.x() + (p.x() - before.x()) * kx));
                const int top = int(std::lround(after.y() + (p.y() - before.y()) * ky));
                Model.placement =
                    QRect(left, top, int(std::lround(p.width() * kx)), int(std::lround(p.height() * ky)));
            }
        } else {
            leaveSplitView();
            splitWindow();
        }
    }
    pic_video->Cls();
    PasteAvi(CurrentVideoFrame);
    if (G().ModelShown) ModelDraw(CurrentModelFrame);
    if (!picVideoInfo->isHidden()) ShowVideoInfo(picVideoInfo);
}

void frm_Main::placeToolWindows() {
    ToolWindowPositions& p = G().ToolPos;
    auto orDefault = [](QPoint& stored, QPoint fallback) {
        if (stored == QPoint(0, 0)) stored = fallback;
    };
    orDefault(p.videoControls, layout_.defaultVideoControls);
    orDefault(p.drawTool, layout_.defaultDrawTool);
    orDefault(p.imageTool, layout_.defaultImageTool);
    orDefault(p.adjustTool, layout_.defaultAdjustTool);
    DrawToolBox->MoveTwips(p.drawTool);
    ImageTool->MoveTwips(p.imageTool);
    ModelTool->MoveTwips(p.adjustTool);
    VideoControls->MoveTwips(p.videoControls);
}

void frm_Main::RefreshRecentMenu() {
    for (int i = 1; i <= mru_->FileCount() && i <= 4; ++i) {
        if (!mru_->FileExists(i)) continue;
        QAction* slot = mnuFile[i + 4];
        slot->setText(mru_->MenuCaption(i));
        slot->setVisible(true);
    }
    // Slots are never hidden again while the program runs.
    if (mru_->FileCount() >= 1) mnuFile[9]->setVisible(true);
}

void frm_Main::AddMRUFile(const QString& path) {
    mru_->AddFile(path);
    RefreshRecentMenu();
}

void frm_Main::ClockTimer_Timer() {
    Panels[3]->setText(QLocale::system().toString(QTime::currentTime(), QLocale::LongFormat));
}

void frm_Main::mnuFile_Click(int index) {
    if (G().BusyLoading) return;
    TrapErrors([&] {
        if (index == 0) Toolbar_Click(1);
        if (index == 1) Toolbar_Click(7);
        if (index >= 5 && index <= 8) {
            // A recent clip that cannot be opened (moved, deleted) gets the reader's message
            // and leaves the loaded clip as it was.
            if (!fOpenAvi(mru_->File(index - 4))) return;
            PasteAvi(CurrentVideoFrame);
            ShowClipCommands();
        }
        if (index == 10) close();
    });
}

KeyPositionsWindow frm_Main::keyPositionsWindow() {
    return {Video1,
            Model,
            ClipKind,
            CurrentVideoFrame,
            ImgVideoFrames,
            [this] { return VideoControls && VideoControls->chkSync && VideoControls->chkSync->isChecked(); },
            [this] { ShowVideoInfo(picVideoInfo); },
            [this](int index) { ImgVideoFrames_Click(index); },
            [](const QString& section, const QString& name) {
                cRegistry reg;
                reg.SetClassKey(platform::HKEY_CURRENT_USER);
                reg.SetSectionKey(section);
                reg.SetValueKey(name);
                return reg.Value().toString();
            }};
}

CanvasZoomHost frm_Main::canvasZoomHost() {
    return {Canvas, Video1, CurrentVideoFrame, CurrentModelFrame, [] { return G().BusyLoading; },
            [] { return G().ClipLoaded; }};
}

void frm_Main::closeEvent(QCloseEvent* event) {
    if (G().BusyLoading) {
        // Frames are being read and a paint may still read them: close once the load ends.
        G().CloseRequested = true;
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void frm_Main::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    using platform::TryStep;
    // Each step may fail on its own; the next one still runs.
    TryStep([&] {
        ToolWindowPositions& p = G().ToolPos;
        p.drawTool = DrawToolBox->PositionTwips();
        p.imageTool = ImageTool->PositionTwips();
        p.adjustTool = ModelTool->PositionTwips();
        p.videoControls = VideoControls->PositionTwips();
        G().Marks = MarkStyle{Drawing->Overlay().Line1.BorderColor, Drawing->Overlay().Line1.BorderWidth};
    });
    TryStep([&] {
        cRegistry reg;
        reg.SetClassKey(platform::HKEY_CURRENT_USER);
        reg.SetSectionKey(kProgramKey);
        // Everything in one write: the store never holds half of this session's settings.
        TryStep([&] { mru_->SaveSettings(reg); });
    });
    // FFmpeg needs no library-wide release, unlike the platform's AVI file library.
    TryStep([&] { ImageTool->Unload(); });
    TryStep([&] { DrawToolBox->Unload(); });
    TryStep([&] { ModelTool->Unload(); });
    TryStep([&] { VideoControls->Unload(); });
    // Before the clip goes: its marks and key positions are saved with it.
    TryStep([&] { leaveMarks(true); });
    TryStep([&] {
        StopVideoExport();
        SwingKeys->ClipUnloading(KeyPositionsController::Video1);
        SwingKeys->ClipUnloading(KeyPositionsController::Model);
        Video1.Close();
    });
    TryStep([&] { Model.Close(); });
    TryStep([] { MovieCloseAll(); });
    TryStep([&] { ClockTimer->stop(); });
    TryStep([] { QCoreApplication::processEvents(); });
}
