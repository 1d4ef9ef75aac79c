#include "shell/frm_Main.h"

#include "clips/ClipPreview.h"
#include "compare/CanvasZoom.h"
#include "compare/ModelInsertion.h"
#include "compare/PictureExporter.h"
#include "compare/VideoExporter.h"
#include "compare/frmModelTool.h"
#include "overlay/CanvasDrawing.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "playback/ClipNavigation.h"
#include "playback/ClipPlayer.h"
#include "shell/DesktopInput.h"
#include "shell/MainControls.h"
#include "shell/MainParts.h"
#include "ui/Globals.h"

#include <QCloseEvent>
#include <QScrollBar>

#include <utility>

frm_Main::frm_Main(QWidget* parent)
    : QMainWindow(parent),
      parts_(std::make_unique<MainParts>(*this, *this, *this)),
      Canvas(parts_->Canvas),
      Compositor(Canvas.Compositor),
      Zoom(Canvas.Zoom),
      Adjuster(parts_->Adjuster),
      ModelDragStart(Adjuster.DragStart),
      ModelDragPosition(Adjuster.DragPosition),
      Exports(parts_->Exports) {
    platform::SetDialogParent(this);
    platform::SetClipPreviewProvider(ClipFirstFrame);
    connect(parts_.get(), &MainParts::FrameShown, this, &frm_Main::FrameShown);
    // Keys, drops and the file list's double click.
    new DesktopInput(*this);
    parts_->Load();
}

frm_Main::~frm_Main() {
    if (platform::DialogParent() == this) platform::SetDialogParent(nullptr);
    // The helpers that watch this window's controls go first: the controls' hide events at
    // the window's end would otherwise reach them through a half-destroyed window.
    delete findChild<ClipNavigation*>(QString(), Qt::FindDirectChildrenOnly);
    delete findChild<CanvasZoom*>(QString(), Qt::FindDirectChildrenOnly);
    delete findChild<DesktopInput*>(QString(), Qt::FindDirectChildrenOnly);
    // The parts use the drawing, and the drawing holds the program state, which goes before the
    // window's children do: parts, then drawing, ahead of both.
    parts_.reset();
    delete std::exchange(Drawing, nullptr);
}

void frm_Main::closeEvent(QCloseEvent* event) {
    if (Program.BusyLoading) {
        // Frames are being read and a paint may still read them: close once the load ends.
        Program.CloseRequested = true;
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void frm_Main::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    parts_->Unload();
}

void frm_Main::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    parts_->Controls().Shown();
}

void frm_Main::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    parts_->Controls().Resized();
}

// clang-format off
const MainLayout& frm_Main::Layout() const { return parts_->Controls().Layout(); }
cMRUFileList& frm_Main::MRU() { return parts_->MRU(); }

bool frm_Main::fOpenAvi(const QString& path) { return parts_->OpenClip(path); }
bool frm_Main::fOpenModel(const QString& path) { return parts_->OpenModel(path); }
bool frm_Main::fOpenPic(const QString& path) { return parts_->OpenPicture(path); }
void frm_Main::ShowVideoInfo(platform::PictureBox* box, int shownFrame) { parts_->ShowVideoInfo(*box, shownFrame); }

bool frm_Main::PasteAvi(short iFrame) { return Canvas.PasteAvi(iFrame); }
void frm_Main::PasteModel(short i) { Canvas.PasteModel(i); }
void frm_Main::PasteModelToMainWindow(short i) { Canvas.PasteModelToMainWindow(i); }
void frm_Main::ModelDraw(short i) { Canvas.ModelDraw(i); }
CompositeGeometry frm_Main::CanvasGeometry() const { return Canvas.CanvasGeometry(); }
CompositeGeometry frm_Main::WholeFrameGeometry() const { return Canvas.WholeFrameGeometry(); }
CompositeEffects frm_Main::EffectSettings() const { return Canvas.EffectSettings(); }
int frm_Main::ImageToolFlags() const { return Canvas.ImageToolFlags(); }
int frm_Main::ModelToolFlags() const { return Canvas.ModelToolFlags(); }

void frm_Main::Model_Move() { Adjuster.Move(); }
void frm_Main::Model_Zoom() { Adjuster.Zoom(ModelTool->scrZoom->value()); }
void frm_Main::hscrAvi1_Scroll() { Adjuster.PanVideo1(hscrAvi1->value()); }
void frm_Main::hscrAvi2_Scroll() { Adjuster.PanModel(hscrAvi2->value()); }

void frm_Main::Toolbar_Click(int index) { parts_->Commands().Toolbar(index); }
void frm_Main::mnuTools_Click(int index) { parts_->Commands().ToolsItem(index); }
void frm_Main::mnuFile_Click(int index) { parts_->Commands().FileItem(index); }
bool frm_Main::InsertModelFile(const QString& path) { return parts_->ModelSlot().InsertFile(path); }
void frm_Main::ShowToolWindow(ToolWindow* w, const QPoint& at) { ToolbarCommands::ShowToolWindow(w, at); }
void frm_Main::HideToolWindow(ToolWindow* w, QPoint& at) { ToolbarCommands::HideToolWindow(w, at); }
void frm_Main::ShowClipCommands() { parts_->Commands().ShowClipCommands(); }

void frm_Main::VideoControl_Click(short iButton, short iVideo) { parts_->Player().Click(iButton, iVideo); }
void frm_Main::VideoTimer_Timer() { parts_->Player().VideoTick(); }
void frm_Main::ModelTimer_Timer() { parts_->Player().ModelTick(); }
void frm_Main::bothTimer_Timer() { parts_->Player().BothTick(); }

void frm_Main::File1_MouseUp(int button, int shift) { parts_->FileMouseUp(button, shift); }
void frm_Main::ImgVideoFrames_Click(int index) { parts_->ShowThumbnail(index); }
void frm_Main::AddMRUFile(const QString& path) { parts_->AddRecentFile(path); }
void frm_Main::ClockTimer_Timer() { parts_->Controls().ClockTick(); }

void frm_Main::mnuExportPicture_Click() { parts_->ExportPicture(); }
void frm_Main::mnuExportVideo_Click() { parts_->ExportVideo(); }
PictureScene frm_Main::CanvasScene() { return Canvas.CanvasScene(); }
VideoExportJob frm_Main::VideoExportJobFor(int from, int to) { return Exports.JobFor(from, to); }
bool frm_Main::VideoExportRunning() const { return Exports.Running(); }
void frm_Main::StopVideoExport() { Exports.Stop(); }
// clang-format on
