// File > Export Video...: the frames the user picks, as the canvas shows them, into an MP4 made
// on a worker thread while a progress dialog with Cancel keeps the window alive.

#include "clips/WorkerFrames.h"
#include "compare/ExportRange.h"
#include "compare/KeyPositionsController.h"
#include "compare/PictureExporter.h"
#include "compare/VideoExporter.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "platform/PictureBox.h"
#include "playback/PlaybackStep.h"
#include "ui/Globals.h"
#include "shell/ReportError.h"
#include "shell/frm_Main.h"

#include <QFileInfo>
#include <QProgressDialog>
#include <QTimer>

VideoExportJob frm_Main::VideoExportJobFor(int from, int to) {
    VideoExportJob job;
    job.geometry = WholeFrameGeometry();
    job.effects = EffectSettings();
    job.marks = PictureExporter::MarksLayer(CanvasScene());
    job.framesPerSecond = Video1.IsClip() ? Video1.FramesPerSecond() : 25;
    // The model steps as "Both Windows" playback steps it: one frame per frame of video 1,
    // round to its first after its last, then on the key positions when they are in sync.
    // Video 1 goes through the range as it is, without wrapping.
    const bool model = job.geometry.modelShown;
    const playback::FrameSpan modelSpan{Model.FirstFrame(), Model.Count()};
    const playback::SyncMapping sync = [this](int v, int m) { return SwingKeys->ModelFrameFor(v, m); };
    int m = model ? SwingKeys->ModelFrameFor(from, CurrentModelFrame) : 0;
    // Frames kept in memory go into the job as they are; the others are read on the export's
    // thread, by number.
    const std::shared_ptr<WorkerFrames> videoFrames = Video1.FramesForWorker();
    const std::shared_ptr<WorkerFrames> modelFrames = model ? Model.FramesForWorker() : nullptr;
    const cDIBSection* frame = nullptr;
    const cDIBSection* modelFrame = nullptr;
    for (int v = from; v <= to; ++v) {
        if (model && v > from)
            m = playback::StepBoth({v - 1, m}, {}, modelSpan, playback::Direction::Forward, sync).model;
        // A frame the store lacks shows the picture before it, as on the canvas.
        if (const cDIBSection* f = videoFrames->Kept(v)) frame = f;
        if (model)
            if (const cDIBSection* f = modelFrames->Kept(m)) modelFrame = f;
        if (frame || !videoFrames->KeepsFrames())
            job.frames.push_back({frame, model ? modelFrame : nullptr, v, model ? m : -1});
    }
    if (!videoFrames->KeepsFrames()) job.videoFrames = videoFrames;
    if (modelFrames && !modelFrames->KeepsFrames()) job.modelFrames = modelFrames;
    return job;
}

bool frm_Main::VideoExportRunning() const { return !exportPoll_.isNull(); }

void frm_Main::StopVideoExport() {
    if (!VideoExportRunning()) return;
    videoExport_->Cancel();
    finishVideoExport();
}

void frm_Main::finishVideoExport() {
    if (exportPoll_) {
        exportPoll_->stop();
        exportPoll_->deleteLater();
        exportPoll_ = nullptr;
    }
    if (exportProgress_) {
        exportProgress_->hide();
        exportProgress_->deleteLater();
        exportProgress_ = nullptr;
    }
    const VideoExportResult result = videoExport_->Take();
    if (result.outcome == VideoExportResult::Failed) platform::MsgBox(result.message, platform::vbExclamation);
}

void frm_Main::mnuExportVideo_Click() {
    if (G().BusyLoading || VideoExportRunning()) return;
    TrapErrors([&] {
        if (!G().ClipLoaded) {
            platform::MsgBox(QStringLiteral("Open a clip first: there is nothing to export."), platform::vbExclamation);
            return;
        }
        const int first = Video1.FirstFrame(), last = first + Video1.Count() - 1;
        if (ClipKind != 2 || last <= first) {
            platform::MsgBox(QStringLiteral("A video needs a clip of several frames, and this is a single picture. "
                                            "Export Picture (Ctrl+E) saves it."),
                             platform::vbExclamation);
            return;
        }
        const ExportRangeAnswer range = ChooseExportRange(this, first, last);
        if (!range.accepted) return;
        if (range.from < first || range.to > last || range.from > range.to) {
            platform::MsgBox(QStringLiteral("Frames %1 to %2 cannot be exported: the clip has frames %3 to %4.")
                                 .arg(range.from)
                                 .arg(range.to)
                                 .arg(first)
                                 .arg(last),
                             platform::vbExclamation);
            return;
        }
        const QString chosen =
            askExportTarget(QStringLiteral("Export Video"),
                            QFileInfo(Video1.clipFileName).completeBaseName() + QStringLiteral(".mp4"),
                            {{QStringLiteral("MP4 Video"), QStringLiteral("*.mp4")}}, QStringLiteral("mp4"));
        if (chosen.isEmpty()) return;

        VideoExportJob job = VideoExportJobFor(range.from, range.to);
        job.target = VideoExporter::TargetName(chosen);
        const int frames = int(job.frames.size());
        if (!videoExport_) videoExport_ = std::make_unique<VideoExporter>();
        videoExport_->Start(std::move(job));

        // Modal for the whole program: nothing can change or unload the clips meanwhile, and the
        // event loop keeps running, so the window repaints and Cancel answers.
        auto* progress = new QProgressDialog(QStringLiteral("Exporting the video..."), QStringLiteral("Cancel"), 0,
                                             frames, this);
        progress->setWindowTitle(QStringLiteral("Export Video"));
        progress->setWindowModality(Qt::ApplicationModal);
        progress->setAutoClose(false);
        progress->setAutoReset(false);
        progress->setMinimumDuration(0);
        exportProgress_ = progress;
        auto* poll = new QTimer(this);
        exportPoll_ = poll;
        connect(progress, &QProgressDialog::canceled, this, [this] { StopVideoExport(); });
        connect(poll, &QTimer::timeout, this, [this] {
            if (!VideoExportRunning()) return;
            if (videoExport_->Finished())
                finishVideoExport();
            else if (exportProgress_)
                exportProgress_->setValue(videoExport_->Progress());
        });
        poll->start(40);
        progress->show();
    });
}
