// The main window's side of playback: the video controls, the clip player and the scrub bar
// wired to the window, and the window's playback members handed on to them.

#include "compare/KeyPositionsController.h"
#include "platform/PictureBox.h"
#include "playback/ClipNavigation.h"
#include "playback/ClipPlayer.h"
#include "playback/frmVideoControls.h"
#include "ui/Globals.h"
#include "shell/MainToolbar.h"
#include "shell/frm_Main.h"

#include <QAction>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

namespace {

// The window as the clip player sees it.
class WindowPlayerHost final : public playback::PlayerHost {
public:
    explicit WindowPlayerHost(frm_Main& w) : w_(w) {}
    playback::FrameSpan VideoFrames() const override { return {w_.Video1.FirstFrame(), w_.Video1.Count()}; }
    playback::FrameSpan ModelFrames() const override { return {w_.Model.FirstFrame(), w_.Model.Count()}; }
    void ShowVideoFrame(short frame) override { w_.ImgVideoFrames_Click(frame); }
    void PaintVideo(short frame) override { w_.PasteAvi(frame); }
    void PaintModel(short frame) override { w_.ModelDraw(frame); }
    bool SplitView() const override { return w_.Toolbar1->Value(11); }
    void ShowInfo(int frame) override { w_.ShowVideoInfo(w_.picVideoInfo, frame); }
    int Speed() const override { return w_.VideoControls->hscrSpeed->value(); }
    void EnableChoice(int choice, bool on) override {
        w_.VideoControls->optWindow[size_t(choice)]->setEnabled(on);
    }
    int ModelFrameFor(int videoFrame, int modelFrame) const override {
        return w_.SwingKeys->ModelFrameFor(videoFrame, modelFrame);
    }

private:
    frm_Main& w_;
};

}  // namespace

void frm_Main::connectVideoControls() {
    const playback::PlaybackState state{.videoFrame = CurrentVideoFrame,
                                        .modelFrame = CurrentModelFrame,
                                        .clipKind = ClipKind,
                                        .loading = G().BusyLoading,
                                        .modelShown = G().ModelShown,
                                        .stopped = G().Stopped};
    player_ = new playback::ClipPlayer(state, std::make_unique<WindowPlayerHost>(*this), this);
    VideoTimer = player_->Timer(0);
    bothTimer = player_->Timer(1);
    ModelTimer = player_->Timer(2);
    connect(VideoControls, &frmVideoControls::ButtonClicked, this, &frm_Main::VideoControl_Click);
    connect(VideoControls, &frmVideoControls::BlendMoved, this, [this] { PasteAvi(CurrentVideoFrame); });
    connect(VideoControls, &frmVideoControls::Activated, this, [this] { mnuTools[9]->setChecked(true); });
    // The close box only hides the window: it stays loaded and keeps its sliders and choice.
    connect(VideoControls, &ToolWindow::CloseBoxClicked, this, [this] {
        mnuTools[9]->setChecked(false);
        G().ToolPos.videoControls = VideoControls->PositionTwips();
        VideoControls->hide();
    });
}

void frm_Main::connectClipNavigation() {
    const ClipNavigation::Parts parts{
        .canvas = pic_video,
        .pan1 = hscrAvi1,
        .pan2 = hscrAvi2,
        .strip = picPVideoFrames,
        .stripScroll = HScrVideoFrames,
        .thumbnails = ImgVideoFrames,
        .controls = VideoControls,
        .video = Video1,
        .model = Model,
        .clipKind = ClipKind,
        .loading = G().BusyLoading,
        .modelShown = G().ModelShown,
        .screenUnitY = G().ScreenUnitY,
        .playing = [this] { return VideoTimer->isActive() || bothTimer->isActive(); },
        .showThumbnail = [this](int index) { ImgVideoFrames_Click(index); }};
    auto* navigation = new ClipNavigation(parts, this);
    connect(this, &frm_Main::FrameShown, navigation, &ClipNavigation::FrameShown);
}

void frm_Main::VideoControl_Click(short iButton, short iVideo) {
    player_->Click(iButton, iVideo);
}
void frm_Main::VideoTimer_Timer() {
    player_->VideoTick();
}
void frm_Main::ModelTimer_Timer() {
    player_->ModelTick();
}
void frm_Main::bothTimer_Timer() {
    player_->BothTick();
}
