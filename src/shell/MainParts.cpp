#include "shell/MainParts.h"

#include "clips/ClipInfo.h"
#include "clips/ClipOpener.h"
#include "clips/FileBrowser.h"
#include "clips/FrameStrip.h"
#include "clips/cVideo.h"
#include "compare/CanvasZoom.h"
#include "compare/KeyPositionsController.h"
#include "compare/ModelGeometry.h"
#include "compare/ModelInsertion.h"
#include "compare/ModelViews.h"
#include "compare/PictureExporter.h"
#include "compare/VideoExporter.h"
#include "compare/frmImageTool.h"
#include "compare/frmModelTool.h"
#include "overlay/CanvasDrawing.h"
#include "overlay/frmDrawToolBox.h"
#include "platform/FileListBoxes.h"
#include "platform/MessageBox.h"
#include "platform/PictureBox.h"
#include "platform/RegistryStore.h"
#include "playback/ClipNavigation.h"
#include "playback/ClipPlayer.h"
#include "playback/MoviePreview.h"
#include "playback/MovieWindow.h"
#include "playback/frmVideoControls.h"
#include "shell/MainCommands.h"
#include "shell/MainControls.h"
#include "shell/MainState.h"
#include "shell/MainToolbar.h"
#include "shell/MainWidgets.h"
#include "shell/ReportError.h"
#include "shell/cMRUFileList.h"
#include "shell/cRegistry.h"
#include "ui/Artwork.h"
#include "ui/Globals.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

namespace {

const QString kProgramKey = QStringLiteral("Software\\varkelo\\video");

// A key of the user's settings.
cRegistry userKey(const QString& section) {
    cRegistry reg;
    reg.SetClassKey(platform::HKEY_CURRENT_USER);
    reg.SetSectionKey(section);
    return reg;
}

// The window as the clip player sees it.
class PartsPlayerHost final : public playback::PlayerHost {
public:
    PartsPlayerHost(MainParts& parts, MainWidgets& c, MainState& s) : p_(parts), c_(c), s_(s) {}
    playback::FrameSpan VideoFrames() const override { return {s_.Video1.FirstFrame(), s_.Video1.Count()}; }
    playback::FrameSpan ModelFrames() const override { return {s_.Model.FirstFrame(), s_.Model.Count()}; }
    void ShowVideoFrame(short frame) override { p_.ShowThumbnail(frame); }
    void PaintVideo(short frame) override { p_.Canvas.PasteAvi(frame); }
    void PaintModel(short frame) override { p_.Canvas.ModelDraw(frame); }
    bool SplitView() const override { return c_.Toolbar1->Value(11); }
    void ShowInfo(int frame) override { p_.ShowVideoInfo(*c_.picVideoInfo, frame); }
    int Speed() const override { return c_.VideoControls->hscrSpeed->value(); }
    void EnableChoice(int choice, bool on) override {
        c_.VideoControls->optWindow[size_t(choice)]->setEnabled(on);
    }
    int ModelFrameFor(int videoFrame, int modelFrame) const override {
        return c_.SwingKeys->ModelFrameFor(videoFrame, modelFrame);
    }

private:
    MainParts& p_;
    MainWidgets& c_;
    MainState& s_;
};

}  // namespace

static_assert(MarkStyle{}.color == kDefaultMarkColor && MarkStyle{}.width == kDefaultMarkWidth);

MainParts::MainParts(QMainWindow& window, MainWidgets& controls, MainState& state)
    : Canvas(state.Video1, state.Model, canvasHooks()),
      Adjuster(state.Video1, state.Model, Canvas, state.CurrentVideoFrame, state.CurrentModelFrame),
      Exports(state.Video1, state.Model, Canvas, state.CurrentVideoFrame, state.CurrentModelFrame, &window,
              exportHooks()),
      window_(window),
      c_(controls),
      s_(state),
      commands_(window, controls, state, *this),
      mru_(std::make_unique<cMRUFileList>(state.Program)) {
    c_.Commands = new MainCommands(
        &window_, [this](int button) { commands_.Toolbar(button); },
        [this](int item) { commands_.ToolsItem(item); },
        [this] {
            return CommandInputs{.picture = s_.Video1.HoldsPicture(),
                                 .busyLoading = s_.Program.BusyLoading,
                                 .modelShown = s_.Program.ModelShown,
                                 .modelAdjust = s_.Program.ModelAdjust,
                                 .fullWindow = s_.Program.FullWindow,
                                 .imageToolOn = s_.ImageToolOn,
                                 .drawingOn = c_.Drawing && c_.Drawing->Overlay().DrawingOn};
        });
    controls_ =
        std::make_unique<MainControls>(window_, c_, s_, s_.Program, *c_.Commands,
                                       MainControls::Hooks{
                                           .fileItem = [this](int index) { commands_.FileItem(index); },
                                           .exportPicture = [this] { ExportPicture(); },
                                           .exportVideo = [this] { ExportVideo(); },
                                           .thumbnailClicked = [this](int index) { ShowThumbnail(index); },
                                           .refitClip = [this] { refitClip(); },
                                       });
    connectPlayer();
    connectDrawing();
    connectModelAdjustment();
    connectClips();
    connectBrowser();
    connectKeysAndZoom();
}

MainParts::~MainParts() = default;

CanvasHooks MainParts::canvasHooks() {
    CanvasHooks h;
    h.controls = [this] {
        CanvasControls c;
        c.modelShown = s_.Program.ModelShown;
        c.fullView = c_.Toolbar1->Value(10);
        c.splitView = c_.Toolbar1->Value(11);
        c.frameBrightness = c_.ImageTool->VScrBright->value();
        c.frameInvert = c_.ImageTool->chkFlag.at(1)->isChecked();
        c.frameMirror = c_.ImageTool->chkFlag.at(2)->isChecked();
        c.modelBrightness = c_.ModelTool->HscrBrightness->value();
        c.modelInvert = c_.ModelTool->chkFlags.at(0)->isChecked();
        c.modelMirror = c_.ModelTool->chkFlags.at(1)->isChecked();
        c.blend = c_.VideoControls->hscrBlend->value();
        return c;
    };
    h.canvas = [this]() -> platform::PictureBox& { return *c_.pic_video; };
    h.marks = [this]() -> OverlayModel& { return c_.Drawing->Overlay(); };
    h.drawingUpdate = [this] {
        if (s_.DrawingUpdate) s_.DrawingUpdate();
    };
    h.currentVideoFrame = [this] { return s_.CurrentVideoFrame; };
    h.frameShown = [this](short iFrame) { emit FrameShown(iFrame); };
    return h;
}

ExportHooks MainParts::exportHooks() {
    ExportHooks h;
    h.modelFrameFor = [this](int v, int m) { return c_.SwingKeys->ModelFrameFor(v, m); };
    h.startFolder = [this] { return s_.Program.WorkingDir; };
    return h;
}

void MainParts::ExportPicture() {
    if (s_.Program.BusyLoading) return;
    TrapErrors([&] { Exports.ExportPicture(s_.Program.ClipLoaded); });
}

void MainParts::ExportVideo() {
    if (s_.Program.BusyLoading || Exports.Running()) return;
    TrapErrors([&] { Exports.ExportVideo(s_.Program.ClipLoaded, s_.ClipKind); });
}

void MainParts::connectPlayer() {
    const playback::PlaybackState state{.videoFrame = s_.CurrentVideoFrame,
                                        .modelFrame = s_.CurrentModelFrame,
                                        .clipKind = s_.ClipKind,
                                        .loading = s_.Program.BusyLoading,
                                        .modelShown = s_.Program.ModelShown,
                                        .stopped = s_.Program.Stopped};
    player_ = new playback::ClipPlayer(state, std::make_unique<PartsPlayerHost>(*this, c_, s_), &window_);
    c_.VideoTimer = player_->Timer(0);
    c_.bothTimer = player_->Timer(1);
    c_.ModelTimer = player_->Timer(2);
    frmVideoControls* controls = c_.VideoControls;
    connect(controls, &frmVideoControls::ButtonClicked, this,
            [this](short button, short video) { player_->Click(button, video); });
    connect(controls, &frmVideoControls::BlendMoved, this, [this] { paintCurrent(); });
    connect(controls, &frmVideoControls::Activated, this, [this] { c_.mnuTools[9]->setChecked(true); });
    // The close box only hides the window: it stays loaded and keeps its sliders and choice.
    connect(controls, &ToolWindow::CloseBoxClicked, this, [this] {
        c_.mnuTools[9]->setChecked(false);
        s_.Program.ToolPos.videoControls = c_.VideoControls->PositionTwips();
        c_.VideoControls->hide();
    });
}

void MainParts::connectDrawing() {
    // Drawing on the canvas; the tool box's close box is its own affair.
    c_.Drawing = new CanvasDrawing(s_.Program, &window_);
    CanvasDrawing& d = *c_.Drawing;
    d.Attach(c_.pic_video, c_.DrawToolBox);
    d.repaintFrame = [this] { paintCurrent(); };
    d.toolbarClick = [this](int i) { commands_.Toolbar(i); };
    d.toolbarValue = [this](int i) { return c_.Toolbar1->Value(i); };
    // The drawing's button and menu item follow its state.
    d.setToolbarValue = [this](int, bool) { c_.Commands->Refresh(); };
    s_.DrawingUpdate = [this] { c_.Drawing->DrawingUpdate(); };
    connect(c_.ImageTool, &ToolWindow::CloseBoxClicked, this, [this] { commands_.Toolbar(4); });
    connect(c_.ImageTool, &frmImageTool::Changed, this, [this] { paintCurrent(); });
    // A frame decoded on demand arrives after its paint showed the one before: paint it now.
    connect(&s_.Video1, &FrameSource::FrameReady, this, [this](int n) {
        if (s_.Video1.OnDemand() && n == s_.Video1.AwaitedFrame())
            platform::TryStep([&] { Canvas.PasteAvi(short(n)); });
    });
    connect(&s_.Model, &FrameSource::FrameReady, this, [this](int n) {
        if (s_.Model.OnDemand() && n == s_.Model.AwaitedFrame() && s_.Program.ModelShown)
            platform::TryStep([&] { Canvas.ModelDraw(short(n)); });
    });
}

void MainParts::connectModelAdjustment() {
    frmModelTool* tool = c_.ModelTool;
    connect(tool, &frmModelTool::Changed, this, [this] {
        if (c_.Toolbar1->Value(10))
            Canvas.PasteModel(s_.CurrentModelFrame);
        else
            Canvas.PasteModelToMainWindow(s_.CurrentModelFrame);
    });
    connect(tool, &frmModelTool::ZoomChanged, this, [this] {
        // The zoom belongs to the blend view; in the split view it waits for the next change.
        if (s_.Program.FullWindow) platform::TryStep([&] { Adjuster.Zoom(c_.ModelTool->scrZoom->value()); });
    });
    connect(tool, &ToolWindow::CloseBoxClicked, this, [this] {
        // The command hides it and ends the mode; shown any other way, it only hides.
        if (s_.Program.ModelAdjust)
            commands_.Toolbar(8);
        else
            ToolbarCommands::HideToolWindow(c_.ModelTool, s_.Program.ToolPos.adjustTool);
    });
    connect(c_.hscrAvi1, &QScrollBar::valueChanged, this,
            [this] { Adjuster.PanVideo1(c_.hscrAvi1->value()); });
    connect(c_.hscrAvi2, &QScrollBar::valueChanged, this,
            [this] { Adjuster.PanModel(c_.hscrAvi2->value()); });

    c_.Drawing->modelShown = [this] { return s_.Program.ModelShown; };
    c_.Drawing->modelAdjustMode = [this] { return s_.Program.ModelAdjust; };
    Adjuster.Attach(*c_.Drawing);
}

void MainParts::connectClips() {
    const auto slotOf = [](ClipOpener::Slot s) {
        return s == ClipOpener::Slot::Video1 ? KeyPositionsController::Video1 : KeyPositionsController::Model;
    };
    ClipOpener::Hooks h;
    // Open and Insert Model open a dialog: off while the busy flag is set.
    h.loading = [this](bool) { c_.Commands->Refresh(); };
    h.leaving = [this] { leaveMarks(false); };
    h.showCanvas = [this] {
        c_.imgLogo->hide();
        c_.pic_video->show();
        c_.picPVideoFrames->show();
    };
    h.releasing = [this, slotOf](ClipOpener::Slot s) {
        Exports.Stop();
        c_.SwingKeys->ClipUnloading(slotOf(s));
    };
    h.entered = [this](const QString& path, int first, bool isClip) {
        Canvas.Zoom.Reset();
        s_.CurrentVideoFrame = short(first);
        enterMarks(path, isClip);
    };
    h.showFrame = [this](int first) { Canvas.PasteAvi(short(first)); };
    h.clipOpened = [this](const QString& path, int frames) {
        c_.VideoControls->show();
        c_.mnuTools[9]->setChecked(true);  // the menu's check follows the window, activated or not
        s_.ClipKind = frames > 1 ? 2 : 1;
        c_.SwingKeys->ClipLoaded(KeyPositionsController::Video1, path);
        ShowVideoInfo(*c_.picVideoInfo, -1);
        AddRecentFile(path);
        s_.Program.ClipLoaded = true;
    };
    h.pictureComing = [this] {
        c_.hscrAvi1->hide();
        c_.hscrAvi2->hide();
        s_.ClipKind = 1;
        c_.picVideoInfo->hide();
    };
    h.pictureOpened = [this] {
        c_.SwingKeys->ClipLoaded(KeyPositionsController::Video1, {});
        ShowVideoInfo(*c_.picVideoInfo, -1);
    };
    h.modelEntered = [this](const QString& path) {
        // The key positions saved with the model clip, if its sidecar is sound; its marks stay there.
        if (const auto saved = MarksStore::Load(path); saved.status == MarksStore::LoadResult::Loaded)
            c_.SwingKeys->SetStoredKeys(KeyPositionsController::Model, saved.snapshot.keyPositions);
    };
    h.modelOpened = [this](const QString& path) {
        c_.SwingKeys->ClipLoaded(KeyPositionsController::Model, path);
    };
    opener_ =
        std::make_unique<ClipOpener>(window_, *c_.pic_video, *c_.prgbarProcess, controls_->Strip(), s_.Video1,
                                     s_.Model, s_.Program.BusyLoading, s_.Program.CloseRequested,
                                     s_.Program.ScreenUnitX, s_.Program.ScreenUnitY, std::move(h));
}

void MainParts::connectBrowser() {
    FileBrowser::Hooks b;
    b.trapErrors = [](const std::function<void()>& body) { TrapErrors(body); };
    b.openClip = [this](const QString& path) { return OpenClip(path); };
    b.openPicture = [this](const QString& path) { return OpenPicture(path); };
    b.cancelled = [this] { return opener_->Cancelled(); };
    // The commands, the video controls' item among them, follow the clip or picture in
    // ShowClipCommands.
    b.opened = [this](bool) {
        if (!Canvas.PasteAvi(s_.CurrentVideoFrame)) platform::MsgBox(QStringLiteral("pasteavi error"));
        commands_.ShowClipCommands();
    };
    b.preview = [this](const QString& path) {
        if (s_.previewClip) s_.previewClip(path);
    };
    browser_ = std::make_unique<FileBrowser>(*c_.Drive1, *c_.Dir1, *c_.File1, s_.Program.BusyLoading,
                                             s_.Program.WorkingDir, std::move(b));

    connect(c_.Drive1, &platform::DriveListBox::Change, this, [this] { browser_->DriveChanged(); });
    connect(c_.Dir1, &platform::DirListBox::Change, this, [this] { browser_->FolderChanged(); });
    preview_ = std::make_unique<MoviePreview>(s_.Program, c_.picVideo, c_.File1);
    s_.previewClip = [this](const QString& path) { preview_->Preview(path); };
    connect(c_.File1, &platform::FileListBox::MouseUp, this,
            [this](int button, int shift, float, float) { FileMouseUp(button, shift); });
}

void MainParts::connectKeysAndZoom() {
    c_.SwingKeys = new KeyPositionsController(
        {s_.Video1, s_.Model, s_.ClipKind, s_.CurrentVideoFrame, c_.ImgVideoFrames,
         [this] {
             return c_.VideoControls && c_.VideoControls->chkSync && c_.VideoControls->chkSync->isChecked();
         },
         [this] { ShowVideoInfo(*c_.picVideoInfo, -1); }, [this](int index) { ShowThumbnail(index); },
         [](const QString& section, const QString& name) {
             cRegistry reg = userKey(section);
             reg.SetValueKey(name);
             return reg.Value().toString();
         }},
        window_.menuBar(), &window_);

    // The scrub bar and the wheel over the picture.
    auto* navigation = new ClipNavigation(
        {.canvas = c_.pic_video,
         .pan1 = c_.hscrAvi1,
         .pan2 = c_.hscrAvi2,
         .strip = c_.picPVideoFrames,
         .stripScroll = c_.HScrVideoFrames,
         .thumbnails = c_.ImgVideoFrames,
         .controls = c_.VideoControls,
         .video = s_.Video1,
         .model = s_.Model,
         .clipKind = s_.ClipKind,
         .loading = s_.Program.BusyLoading,
         .modelShown = s_.Program.ModelShown,
         .screenUnitY = s_.Program.ScreenUnitY,
         .playing = [this] { return c_.VideoTimer->isActive() || c_.bothTimer->isActive(); },
         .showThumbnail = [this](int index) { ShowThumbnail(index); }},
        &window_);
    connect(this, &MainParts::FrameShown, navigation, &ClipNavigation::FrameShown);
    auto* zoom =
        new CanvasZoom({Canvas, s_.Video1, s_.CurrentVideoFrame, s_.CurrentModelFrame,
                        [this] { return s_.Program.BusyLoading; }, [this] { return s_.Program.ClipLoaded; }},
                       *c_.Toolbar1, WholeFrameIcon(), &window_);
    connect(this, &MainParts::FrameShown, zoom, &CanvasZoom::FrameShown);
}

ModelViews& MainParts::Views() {
    if (!views_)
        views_ = new ModelViews(&window_, {s_.Video1, s_.Model, *c_.pic_video, *c_.hscrAvi1, *c_.hscrAvi2},
                                s_.Program.FullWindow,
                                {.modelShown = [this] { return s_.Program.ModelShown; },
                                 .stillPicture = [this] { return s_.ClipKind == 1; },
                                 .paintVideo = [this] { paintCurrent(); },
                                 .videoPanned = [this] { Adjuster.PanVideo1(c_.hscrAvi1->value()); },
                                 .modelPanned = [this] { Adjuster.PanModel(c_.hscrAvi2->value()); }});
    return *views_;
}

ModelInsertion& MainParts::ModelSlot() {
    if (!modelSlot_)
        modelSlot_ = new ModelInsertion(
            &window_,
            {s_.Model, *c_.pic_video, *c_.hscrAvi2, *c_.VideoControls, *c_.ModelTool, *c_.VideoTimer,
             *c_.ModelTimer, *c_.bothTimer, Views()},
            {s_.Program.ModelShown, s_.Program.ModelAdjust, s_.Program.Stopped, s_.CurrentModelFrame,
             s_.Program.ModelDir},
            {.chooseFile = [this](const QString& filter, QString& folder,
                                  QString& path) { return AskForClip(&window_, filter, folder, path); },
             .open = [this](const QString& path) { return OpenModel(path); },
             .splitView = [this] { return c_.Toolbar1->Value(11); },
             .refreshCommands = [this] { c_.Commands->Refresh(); },
             .stopExport = [this] { Exports.Stop(); },
             .forgetKeys =
                 [this] {
                     c_.SwingKeys->ClipUnloading(KeyPositionsController::Model);
                     c_.SwingKeys->ClipLoaded(KeyPositionsController::Model, {});
                 },
             .paintModel = [this](short frame) { Canvas.PasteModel(frame); },
             .paintVideo = [this] { paintCurrent(); }});
    return *modelSlot_;
}

void MainParts::Load() {
    TrapErrors([this] {
        controls_->LayOut();
        loadSettings();
        const QString programFolder = QCoreApplication::applicationDirPath();
        if (s_.Program.WorkingDir.isEmpty()) s_.Program.WorkingDir = programFolder;
        if (s_.Program.ModelDir.isEmpty()) s_.Program.ModelDir = programFolder;
        controls_->Place();
        c_.Commands->Refresh();
        s_.Program.ClipLoaded = false;
        s_.Program.BusyLoading = false;
    });
}

void MainParts::loadSettings() {
    mru_->SetMaxFileCount(4);
    cRegistry reg = userKey(kProgramKey);
    mru_->Load(reg);
    controls_->ShowRecentFiles(*mru_);
    mru_->LoadDir(reg);
    mru_->LoadModelDir(reg);
    mru_->LoadToolCoor(reg);
    mru_->LoadMarkStyle(reg);
    // New marks take the user's style, the rubber bands too.
    OverlayModel& o = c_.Drawing->Overlay();
    o.Line1.BorderColor = o.Shape1.BorderColor = s_.Program.Marks.color;
    o.Line1.BorderWidth = o.Shape1.BorderWidth = s_.Program.Marks.width;
}

void MainParts::Unload() {
    using platform::TryStep;
    // Each step may fail on its own; the next one still runs.
    TryStep([&] {
        ToolWindowPositions& p = s_.Program.ToolPos;
        p.drawTool = c_.DrawToolBox->PositionTwips();
        p.imageTool = c_.ImageTool->PositionTwips();
        p.adjustTool = c_.ModelTool->PositionTwips();
        p.videoControls = c_.VideoControls->PositionTwips();
        s_.Program.Marks =
            MarkStyle{c_.Drawing->Overlay().Line1.BorderColor, c_.Drawing->Overlay().Line1.BorderWidth};
    });
    TryStep([&] {
        // Everything in one write: the store never holds half of this session's settings.
        cRegistry reg = userKey(kProgramKey);
        mru_->SaveSettings(reg);
    });
    // FFmpeg needs no library-wide release, unlike the platform's AVI file library.
    TryStep([&] { c_.ImageTool->Unload(); });
    TryStep([&] { c_.DrawToolBox->Unload(); });
    TryStep([&] { c_.ModelTool->Unload(); });
    TryStep([&] { c_.VideoControls->Unload(); });
    // Before the clip goes: its marks and key positions are saved with it.
    TryStep([&] { leaveMarks(true); });
    TryStep([&] {
        Exports.Stop();
        c_.SwingKeys->ClipUnloading(KeyPositionsController::Video1);
        c_.SwingKeys->ClipUnloading(KeyPositionsController::Model);
        s_.Video1.Close();
    });
    TryStep([&] { s_.Model.Close(); });
    TryStep([] { MovieCloseAll(); });
    TryStep([&] { c_.ClockTimer->stop(); });
    TryStep([] { QCoreApplication::processEvents(); });
}

void MainParts::paintCurrent() {
    Canvas.PasteAvi(s_.CurrentVideoFrame);
}

void MainParts::refitClip() {
    if (s_.ClipKind == 2) {
        // A clip is fitted to the canvas anew, in the view that is on; a still picture keeps
        // its own size.
        FrameStore& video = s_.Video1;
        const QRect before = video.CanvasRect();
        if (s_.Program.FullWindow) {
            video.FitTo(c_.pic_video->width(), c_.pic_video->height());
            // The blended model keeps its place on the picture.
            if (s_.Program.ModelShown && !before.isEmpty())
                s_.Model.placement = RefittedPlacement(s_.Model.placement, before, video.CanvasRect());
        } else {
            Views().LeaveSplit();
            Views().Split();
        }
    }
    c_.pic_video->Cls();
    paintCurrent();
    if (s_.Program.ModelShown) Canvas.ModelDraw(s_.CurrentModelFrame);
    if (!c_.picVideoInfo->isHidden()) ShowVideoInfo(*c_.picVideoInfo, -1);
}

bool MainParts::OpenClip(const QString& path) {
    return opener_->OpenClip(path);
}
bool MainParts::OpenModel(const QString& path) {
    return opener_->OpenModel(path);
}
bool MainParts::OpenPicture(const QString& path) {
    return opener_->OpenPicture(path);
}

void MainParts::ShowVideoInfo(platform::PictureBox& box, int shownFrame) {
    PaintClipInfo(box, s_.Video1, shownFrame < 0 ? s_.CurrentVideoFrame : shownFrame,
                  c_.SwingKeys->InfoLines());
}

void MainParts::ShowThumbnail(int index) {
    // A frame the clip does not have is never made the current one.
    if (s_.Program.BusyLoading || s_.ClipKind == 1 || index < 0 || index >= s_.Video1.frameCount) return;
    using platform::TryStep;
    // Each step may fail on its own; the next still runs.
    TryStep([&] {
        const long first = s_.Video1.reader ? s_.Video1.reader->FirstFrame() : 0;
        s_.CurrentVideoFrame = platform::CheckedInt16(first + index);
    });
    TryStep([&] { Canvas.PasteAvi(s_.CurrentVideoFrame); });
    TryStep([&] { ShowVideoInfo(*c_.picVideoInfo, -1); });
    TryStep([&] { controls_->Strip().Mark(index); });
}

void MainParts::FileMouseUp(int button, int shift) {
    browser_->MouseUp(button, shift);
}

void MainParts::AddRecentFile(const QString& path) {
    mru_->AddFile(path);
    controls_->ShowRecentFiles(*mru_);
}

void MainParts::leaveMarks(bool quietly) {
    QString error;
    const auto keys = c_.SwingKeys->UserKeys(KeyPositionsController::Video1);
    if (clipMarks_.Leave(c_.Drawing->Overlay(), keys, &error)) return;
    const QString text = QStringLiteral("The marks of %1 could not be saved: %2")
                             .arg(QFileInfo(clipMarks_.ClipPath()).fileName(), error);
    if (quietly)
        qWarning("%s", qPrintable(text));
    else
        platform::MsgBox(text, platform::vbExclamation, QStringLiteral("Marks"));
}

void MainParts::enterMarks(const QString& path, bool isClip) {
    const auto keys = clipMarks_.Enter(path, c_.Drawing->Overlay());
    c_.DrawToolBox->ShowPenColor();
    if (isClip) c_.SwingKeys->SetStoredKeys(KeyPositionsController::Video1, keys);
}
