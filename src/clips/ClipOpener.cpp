#include "clips/ClipOpener.h"

#include "clips/FrameStrip.h"
#include "clips/PictureReader.h"
#include "clips/cVideo.h"
#include "imaging/cDIBSection.h"
#include "platform/ImageBox.h"
#include "platform/MessageBox.h"
#include "platform/PictureBox.h"
#include "platform/SystemMemory.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QProgressBar>
#include <QScrollBar>
#include <QTimer>

#include <cmath>
#include <utility>

namespace {

// Restores the pointer and the busy flag on every way out of a load. While the flag is set,
// the commands that open a file dialog are off: a dialog inside a load would choose a file
// that the load in progress then ignores.
class LoadGuard {
public:
    LoadGuard(bool& busy, const std::function<void(bool)>& loading) : busy_(busy), loading_(loading) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~LoadGuard() {
        if (set_) {
            busy_ = false;
            if (loading_) loading_(false);
        }
        QApplication::restoreOverrideCursor();
    }
    void SetBusy() {
        set_ = true;
        busy_ = true;
        if (loading_) loading_(true);
    }
    LoadGuard(const LoadGuard&) = delete;
    LoadGuard& operator=(const LoadGuard&) = delete;

private:
    bool& busy_;
    const std::function<void(bool)>& loading_;
    bool set_ = false;
};

// While a load runs, Esc in the window, or closing it, stops the reading; the window closes
// once the load has ended (its close handler asks for that while the busy flag is set).
class LoadCancelling : public QObject {
public:
    LoadCancelling(QWidget& window, ClipLoader& loader) : window_(window), loader_(loader) {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const auto* widget = qobject_cast<const QWidget*>(watched);
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
            widget && widget->window() == &window_) {
            loader_.Cancel();
            return true;
        }
        if (event->type() == QEvent::Close && watched == &window_) loader_.Cancel();
        return false;
    }

private:
    QWidget& window_;
    ClipLoader& loader_;
};

QString fileError(const QString& path) {
    return QStringLiteral("There was an error working with the file:") + QLatin1Char('\n') + path;
}

}  // namespace

std::optional<ClipRefusal> RefusalOf(int frames, int first, std::uint64_t needed, std::uint64_t available,
                                     const QString& path) {
    if (frames > FrameStore::kMaxFrames || first < 0 || first + frames > FrameStore::kTableSize)
        return ClipRefusal{QStringLiteral("Video file is too big"), platform::vbCritical,
                           QStringLiteral("Video file error")};
    if (frames <= 0) return ClipRefusal{fileError(path), platform::vbInformation, {}};
    // Every frame stays in memory when they fit the budget, else one at a time: the machine
    // must hold what that takes before any is read.
    if (needed > available)
        return ClipRefusal{QStringLiteral("There is not enough memory to load this clip.\n"
                                          "It needs about %1 MB; %2 MB are available.")
                               .arg(needed >> 20)
                               .arg(available >> 20),
                           platform::vbCritical, QStringLiteral("Video file error")};
    return std::nullopt;
}

ClipOpener::ClipOpener(QWidget& window, platform::PictureBox& canvas, QProgressBar& progress,
                       FrameStrip& strip, FrameStore& video1, FrameStore& model, bool& busy,
                       bool& closeRequested, const long& unitX, const long& unitY, Hooks hooks)
    : window_(window),
      canvas_(canvas),
      progress_(progress),
      strip_(strip),
      video1_(video1),
      model_(model),
      busy_(busy),
      closeRequested_(closeRequested),
      unitX_(unitX),
      unitY_(unitY),
      hooks_(std::move(hooks)) {}

bool ClipOpener::refuse(const cVideo& reader, const QString& path) {
    const int n = reader.NumberOfFrames();
    const int first = reader.FirstFrame();
    const bool fits = n > 0 && n <= FrameStore::kMaxFrames;
    const auto refusal = RefusalOf(n, first, fits ? FrameStore::MemoryToOpen(reader) : 0,
                                   fits ? platform::AvailableMemoryBytes() : 0, path);
    if (!refusal) return false;
    platform::MsgBox(refusal->text, refusal->style, refusal->title);
    progress_.hide();
    return true;
}

void ClipOpener::closeIfAsked() {
    if (std::exchange(closeRequested_, false)) QTimer::singleShot(0, &window_, &QWidget::close);
}

ClipOpener::Loaded ClipOpener::load(std::unique_ptr<cVideo>& reader, FrameStore& store,
                                    const ThumbnailLayout* thumbnails, const std::function<void()>& replace,
                                    const std::function<void()>& firstIn) {
    const int first = reader->FirstFrame();
    std::vector<QSize> sizes;
    if (thumbnails)
        sizes =
            FrameStrip::Sizes(*thumbnails, std::min(reader->NumberOfFrames(), int(FrameStore::kMaxFrames)));
    ClipLoader loader(std::move(reader), std::move(sizes));
    LoadCancelling cancelling(window_, loader);
    Loaded result;
    int lastGood = -1;
    loader.Start();
    result.outcome = loader.Wait([&](ClipLoader::Frame& frame) {
        if (result.held == 0) {
            replace();
            if (thumbnails) strip_.LayOut(*thumbnails);
        }
        QImage thumbnail = std::move(frame.thumbnail);
        if (frame.decoded) {
            lastGood = frame.index;
            if (frame.picture) store.Put(first + frame.index, std::move(frame.picture));
        } else if (const cDIBSection* good = store.Frame(first + lastGood)) {
            // A frame that does not decode shows the last one that did.
            auto copy = std::make_unique<cDIBSection>();
            if (copy->CreateFromPicture(*good->HDC())) store.Put(first + frame.index, std::move(copy));
            if (thumbnails) thumbnail = strip_.Thumbnails()[size_t(lastGood)]->pixmap().toImage();
        }
        if (thumbnails && !thumbnail.isNull()) strip_.Add(frame.index, thumbnail, *thumbnails);
        result.held = frame.index + 1;
        if (frame.index == 0 && firstIn) firstIn();
        progress_.setMaximum(std::max(1, frame.count - 1));
        progress_.setValue(frame.index);
    });
    reader = loader.TakeClip();
    // The frames live in the loader's block; the store keeps it with them, and whether the clip
    // is decoded on demand.
    if (result.held > 0) loader.HandOver(store);
    return result;
}

bool ClipOpener::OpenClip(const QString& path) {
    if (busy_) return false;
    cancelled_ = false;
    LoadGuard guard(busy_, hooks_.loading);
    auto reader = std::make_unique<cVideo>();
    // Nothing of the loaded clip is touched until the new one is known to be readable.
    if (!reader->OpenAviFile(path)) return false;
    if (refuse(*reader, path)) return false;
    const int n = reader->NumberOfFrames();
    const int first = reader->FirstFrame();

    // The marks (and key positions) of the clip shown go to its sidecar as they are now, before
    // anything that comes in during the load can change them; it is saved again if it stays.
    hooks_.leaving();
    progress_.setMaximum(std::max(1, n - 1));
    progress_.setValue(0);
    progress_.show();
    guard.SetBusy();

    const ThumbnailLayout thumbs =
        ComputeThumbnails(unitX_, unitY_, reader->FrameWidth(), reader->FrameHeight(), n);
    // The clip shown so far stays until the new one's first frame is in, and that frame is
    // shown at once.
    const Loaded read = load(
        reader, video1_, &thumbs,
        [&] {
            hooks_.showCanvas();
            strip_.Inner()->show();
            strip_.Clear();
            strip_.ScrollBar()->setValue(0);
            hooks_.releasing(Slot::Video1);
            video1_.Close();
            hooks_.entered(path, first, true);
        },
        [&] {
            video1_.FitTo(canvas_.width(), canvas_.height());
            hooks_.showFrame(first);
        });
    if (read.held == 0) {
        progress_.hide();
        cancelled_ = read.outcome == ClipLoader::Outcome::Cancelled;
        if (read.outcome == ClipLoader::Outcome::Failed)
            platform::MsgBox(fileError(path), platform::vbInformation);
        closeIfAsked();
        return false;
    }
    // What the load found when the headers' count was only an estimate; a load cut short keeps
    // the frames it read, and the clip ends there.
    const int loaded = read.outcome == ClipLoader::Outcome::Complete
                           ? std::min(reader->NumberOfFrames(), int(FrameStore::kMaxFrames))
                           : read.held;
    if (loaded != n && loaded > 0)
        strip_.Refit(ComputeThumbnails(unitX_, unitY_, reader->FrameWidth(), reader->FrameHeight(), loaded),
                     loaded);

    video1_.Adopt(std::move(reader));
    video1_.frameCount = short(loaded);
    video1_.FitTo(canvas_.width(), canvas_.height());
    video1_.clipFileName = QFileInfo(path).fileName();
    hooks_.clipOpened(path, loaded);
    strip_.MarkFirst();
    progress_.hide();
    closeIfAsked();
    return true;
}

bool ClipOpener::OpenModel(const QString& path) {
    if (busy_) return false;
    try {
        cancelled_ = false;
        LoadGuard guard(busy_, hooks_.loading);
        auto reader = std::make_unique<cVideo>();
        if (!reader->OpenAviFile(path)) return false;
        if (refuse(*reader, path)) return false;
        const int n = reader->NumberOfFrames();
        progress_.setMaximum(std::max(1, n - 1));
        progress_.setValue(0);
        progress_.show();
        guard.SetBusy();
        // The model shown so far stays until the new one's first frame is in.
        const Loaded read = load(reader, model_, nullptr, [&] {
            hooks_.releasing(Slot::Model);
            model_.Release();
            model_.frameCount = 0;
            hooks_.modelEntered(path);
        });
        progress_.hide();
        if (read.held == 0) {
            cancelled_ = read.outcome == ClipLoader::Outcome::Cancelled;
            closeIfAsked();
            return false;
        }
        model_.Adopt(std::move(reader));
        if (read.outcome != ClipLoader::Outcome::Complete) model_.frameCount = short(read.held);
        const int width = canvas_.width(), height = canvas_.height();
        model_.FitTo(width, height);
        // At its own size, centred; a model larger than the canvas is shown whole.
        QSize shown(model_.sourceWidth, model_.sourceHeight);
        if (shown.width() > width || shown.height() > height)
            shown = QSize(model_.fit.scaledWidth, model_.fit.scaledHeight);
        model_.placement =
            QRect(int(std::lrint(width / 2.0 - shown.width() / 2.0)),
                  int(std::lrint(height / 2.0 - shown.height() / 2.0)), shown.width(), shown.height());
        hooks_.modelOpened(path);
        closeIfAsked();
        return true;
    } catch (...) {
        progress_.hide();
        return false;
    }
}

bool ClipOpener::OpenPicture(const QString& path) {
    if (busy_) return false;
    const PictureResult read = ReadPicture(path);
    auto dib = std::make_unique<cDIBSection>();
    if (read.picture.isNull() || !dib->CreateFromPicture(read.picture)) {
        // The picture shown before stays.
        const QString reason =
            read.picture.isNull() ? read.error : QStringLiteral("Not enough memory for it.");
        platform::MsgBox(QStringLiteral("The picture could not be read:") + QLatin1Char('\n') + path +
                             QLatin1Char('\n') + reason,
                         platform::vbExclamation);
        return false;
    }
    hooks_.showCanvas();
    strip_.Inner()->show();
    hooks_.pictureComing();
    strip_.Clear();
    strip_.ScrollBar()->hide();
    hooks_.leaving();
    hooks_.releasing(Slot::Video1);
    video1_.Release();
    const int width = dib->Width(), height = dib->Height();
    video1_.Put(0, std::move(dib));
    video1_.panX = video1_.panY = 0;
    video1_.sourceWidth = width;
    video1_.sourceHeight = height;
    video1_.fit = Fit{1.0f, 0, 0, width, height};
    video1_.frameCount = 0;
    canvas_.Cls();
    hooks_.entered(path, 0, false);
    hooks_.pictureOpened();
    return true;
}
