#include "compare/ExportController.h"

#include "clips/FrameStore.h"
#include "clips/WorkerFrames.h"
#include "compare/CanvasPainter.h"
#include "compare/ExportRange.h"
#include "compare/PictureExporter.h"
#include "compare/VideoExporter.h"
#include "platform/MessageBox.h"
#include "playback/PlaybackStep.h"

#include <QFileInfo>
#include <QProgressDialog>
#include <QTimer>

#include <utility>

ExportController::ExportController(FrameStore& video1, FrameStore& model, CanvasPainter& painter,
                                   const short& currentVideoFrame, const short& currentModelFrame, QWidget* owner,
                                   ExportHooks hooks)
    : video1_(video1),
      model_(model),
      painter_(painter),
      currentVideoFrame_(currentVideoFrame),
      currentModelFrame_(currentModelFrame),
      owner_(owner),
      hooks_(std::move(hooks)) {}

ExportController::~ExportController() = default;

QString ExportController::askTarget(const QString& title, const QString& fileName,
                                    std::vector<platform::FileFilterPair> filters, const QString& defaultExt) {
    platform::FileDialogRequest request;
    request.kind = platform::FileDialogRequest::Save;
    request.owner = owner_;
    request.title = title;
    request.startFolder = hooks_.startFolder();
    request.startFileName = fileName;
    request.filters = std::move(filters);
    request.SetFlags(platform::OFN_OVERWRITEPROMPT | platform::OFN_HIDEREADONLY);
    request.defaultExt = defaultExt;
    const platform::FileDialogResult chosen = platform::RunFileDialog(request);
    return chosen.accepted ? chosen.path : QString();
}

void ExportController::ExportPicture(bool clipLoaded) {
    if (!clipLoaded) {
        platform::MsgBox(QStringLiteral("Open a clip or a picture first: there is nothing to export."),
                         platform::vbExclamation);
        return;
    }
    const QString chosen = askTarget(
        QStringLiteral("Export Picture"),
        QStringLiteral("%1-%2.png").arg(QFileInfo(video1_.clipFileName).completeBaseName()).arg(currentVideoFrame_),
        {{QStringLiteral("PNG Picture"), QStringLiteral("*.png")},
         {QStringLiteral("JPEG Picture"), QStringLiteral("*.jpg;*.jpeg")}},
        QStringLiteral("png"));
    if (chosen.isEmpty()) return;
    const QString target = PictureExporter::TargetName(chosen);
    const QString failure = PictureExporter::Write(PictureExporter::Compose(painter_.CanvasScene()), target);
    if (!failure.isEmpty()) platform::MsgBox(failure, platform::vbExclamation);
}

VideoExportJob ExportController::JobFor(int from, int to) {
    VideoExportJob job;
    job.geometry = painter_.WholeFrameGeometry();
    job.effects = painter_.EffectSettings();
    job.marks = PictureExporter::MarksLayer(painter_.CanvasScene());
    job.framesPerSecond = video1_.IsClip() ? video1_.FramesPerSecond() : 25;
    // The model steps as "Both Windows" playback steps it: one frame per frame of video 1,
    // round to its first after its last, then on the key positions when they are in sync.
    // Video 1 goes through the range as it is, without wrapping.
    const bool model = job.geometry.modelShown;
    const playback::FrameSpan modelSpan{model_.FirstFrame(), model_.Count()};
    const playback::SyncMapping sync = hooks_.modelFrameFor;
    int m = model ? sync(from, currentModelFrame_) : 0;
    // Frames kept in memory go into the job as they are; the others are read on the export's
    // thread, by number.
    const std::shared_ptr<WorkerFrames> videoFrames = video1_.FramesForWorker();
    const std::shared_ptr<WorkerFrames> modelFrames = model ? model_.FramesForWorker() : nullptr;
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

void ExportController::Stop() {
    if (!Running()) return;
    exporter_->Cancel();
    finish();
}

void ExportController::finish() {
    if (poll_) {
        poll_->stop();
        poll_->deleteLater();
        poll_ = nullptr;
    }
    if (progress_) {
        progress_->hide();
        progress_->deleteLater();
        progress_ = nullptr;
    }
    const VideoExportResult result = exporter_->Take();
    if (result.outcome == VideoExportResult::Failed) platform::MsgBox(result.message, platform::vbExclamation);
}

QString ExportController::refusal(bool clipLoaded, int clipKind, int first, int last) {
    if (!clipLoaded) return QStringLiteral("Open a clip first: there is nothing to export.");
    if (clipKind != 2 || last <= first)
        return QStringLiteral("A video needs a clip of several frames, and this is a single picture. "
                              "Export Picture (Ctrl+E) saves it.");
    return {};
}

QString ExportController::rangeRefusal(const ExportRangeAnswer& range, int first, int last) {
    if (range.from >= first && range.to <= last && range.from <= range.to) return {};
    return QStringLiteral("Frames %1 to %2 cannot be exported: the clip has frames %3 to %4.")
        .arg(range.from)
        .arg(range.to)
        .arg(first)
        .arg(last);
}

void ExportController::ExportVideo(bool clipLoaded, int clipKind) {
    const int first = video1_.FirstFrame(), last = first + video1_.Count() - 1;
    if (const QString refused = refusal(clipLoaded, clipKind, first, last); !refused.isEmpty()) {
        platform::MsgBox(refused, platform::vbExclamation);
        return;
    }
    const ExportRangeAnswer range = ChooseExportRange(owner_, first, last);
    if (!range.accepted) return;
    if (const QString refused = rangeRefusal(range, first, last); !refused.isEmpty()) {
        platform::MsgBox(refused, platform::vbExclamation);
        return;
    }
    const QString chosen = askTarget(QStringLiteral("Export Video"),
                                     QFileInfo(video1_.clipFileName).completeBaseName() + QStringLiteral(".mp4"),
                                     {{QStringLiteral("MP4 Video"), QStringLiteral("*.mp4")}}, QStringLiteral("mp4"));
    if (chosen.isEmpty()) return;

    VideoExportJob job = JobFor(range.from, range.to);
    job.target = VideoExporter::TargetName(chosen);
    const int frames = int(job.frames.size());
    if (!exporter_) exporter_ = std::make_unique<VideoExporter>();
    exporter_->Start(std::move(job));

    // Modal for the whole program: nothing can change or unload the clips meanwhile, and the
    // event loop keeps running, so the window repaints and Cancel answers.
    auto* progress =
        new QProgressDialog(QStringLiteral("Exporting the video..."), QStringLiteral("Cancel"), 0, frames, owner_);
    progress->setWindowTitle(QStringLiteral("Export Video"));
    progress->setWindowModality(Qt::ApplicationModal);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setMinimumDuration(0);
    progress_ = progress;
    auto* poll = new QTimer(this);
    poll_ = poll;
    connect(progress, &QProgressDialog::canceled, this, [this] { Stop(); });
    connect(poll, &QTimer::timeout, this, [this] {
        if (!Running()) return;
        if (exporter_->Finished())
            finish();
        else if (progress_)
            progress_->setValue(exporter_->Progress());
    });
    poll->start(40);
    progress->show();
}
