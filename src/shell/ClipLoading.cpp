// Loading clips and pictures into the frame stores of the main window.

#include "compare/KeyPositionsController.h"
#include "clips/ClipLoader.h"
#include "clips/PictureReader.h"
#include "clips/cVideo.h"
#include "imaging/cDIBSection.h"
#include "overlay/CanvasDrawing.h"
#include "overlay/frmDrawToolBox.h"
#include "platform/ImageBox.h"
#include "platform/MessageBox.h"
#include "platform/PictureBox.h"
#include "platform/SystemMemory.h"
#include "platform/Twips.h"
#include "playback/frmVideoControls.h"
#include "ui/Artwork.h"
#include "ui/Globals.h"
#include "shell/MainToolbar.h"
#include "shell/frm_Main.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QProgressBar>
#include <QScrollBar>
#include <QTimer>

#include <array>
#include <cmath>
#include <utility>

namespace {

// Restores the pointer and the busy flag on every way out of a load. While the flag is
// set, the commands that open a file dialog (Open, Insert Model) are disabled: a dialog
// inside a load would choose a file that the load in progress then ignores.
class LoadGuard {
public:
    explicit LoadGuard(MainToolbar& toolbar) : toolbar_(toolbar) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~LoadGuard() {
        if (busy_) {
            G().BusyLoading = false;
            for (size_t i = 0; i < kDialogCommands.size(); ++i)
                toolbar_.SetEnabled(kDialogCommands[i], wasEnabled_[i]);
        }
        QApplication::restoreOverrideCursor();
    }
    void SetBusy() {
        busy_ = true;
        G().BusyLoading = true;
        for (size_t i = 0; i < kDialogCommands.size(); ++i) {
            wasEnabled_[i] = toolbar_.Enabled(kDialogCommands[i]);
            toolbar_.SetEnabled(kDialogCommands[i], false);
        }
    }
    LoadGuard(const LoadGuard&) = delete;
    LoadGuard& operator=(const LoadGuard&) = delete;

private:
    static constexpr std::array<int, 2> kDialogCommands{1, 7};
    MainToolbar& toolbar_;
    std::array<bool, 2> wasEnabled_{};
    bool busy_ = false;
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

void closeIfAsked(QWidget& window) {
    if (std::exchange(G().CloseRequested, false)) QTimer::singleShot(0, &window, &QWidget::close);
}

}  // namespace

bool frm_Main::refuseClip(const cVideo& reader, const QString& path) {
    const int n = reader.NumberOfFrames();
    const int first = reader.FirstFrame();
    if (n > FrameStore::kMaxFrames || first < 0 || first + n > FrameStore::kTableSize) {
        platform::MsgBox(QStringLiteral("Video file is too big"), platform::vbCritical,
                         QStringLiteral("Video file error"));
        prgbarProcess->hide();
        return true;
    }
    if (n <= 0) {
        platform::MsgBox(
            QStringLiteral("There was an error working with the file:") + QLatin1Char('\n') + path,
            platform::vbInformation);
        return true;
    }
    // Every frame stays in memory when they fit the budget, else one at a time: make sure the
    // machine can hold what it takes before reading any.
    const std::uint64_t needed = FrameStore::MemoryToOpen(reader);
    const std::uint64_t available = platform::AvailableMemoryBytes();
    if (needed > available) {
        platform::MsgBox(QStringLiteral("There is not enough memory to load this clip.\n"
                                        "It needs about %1 MB; %2 MB are available.")
                             .arg(needed >> 20)
                             .arg(available >> 20),
                         platform::vbCritical, QStringLiteral("Video file error"));
        return true;
    }
    return false;
}

void frm_Main::clearThumbnails() {
    for (size_t i = 1; i < ImgVideoFrames.size(); ++i) delete ImgVideoFrames[i];
    ImgVideoFrames.resize(1);
    shapeVideoFrame->hide();
    ImgVideoFrames[0]->hide();
    ImgVideoFrames[0]->clear();
}

void frm_Main::addThumbnail(int index, const QImage& frame, const ThumbnailLayout& layout) {
    const QRect at = platform::TwipsToPixels(layout.Box(index));
    platform::ImageBox* thumb = nullptr;
    if (index == 0) {
        thumb = ImgVideoFrames[0];
    } else {
        thumb = new platform::ImageBox(picCVideoFrames);
        thumb->setObjectName(QStringLiteral("ImgVideoFrames%1").arg(index));
        thumb->setScaledContents(true);
        thumb->setCursor(ThumbnailCursor());
        connect(thumb, &platform::ImageBox::Click, this, [this, index] { ImgVideoFrames_Click(index); });
        if (ImgVideoFrames.size() <= size_t(index)) ImgVideoFrames.resize(size_t(index) + 1, nullptr);
        ImgVideoFrames[size_t(index)] = thumb;
    }
    thumb->setGeometry(at);
    // At the thumbnail's size (the loader scales it once), so painting the strip never scales.
    thumb->setPixmap(QPixmap::fromImage(
        frame.size() == at.size() ? frame : frame.scaled(at.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation)));
    thumb->show();
}

std::vector<QSize> frm_Main::thumbnailSizes(const ThumbnailLayout& layout, int count) {
    std::vector<QSize> sizes;
    for (int i = 0; i < std::max(1, count); ++i)
        sizes.push_back(platform::TwipsToPixels(layout.Box(i)).size());
    return sizes;
}

frm_Main::LoadedFrames frm_Main::loadFrames(std::unique_ptr<cVideo>& reader, FrameStore& store,
                                            const ThumbnailLayout* thumbnails,
                                            const std::function<void()>& replace,
                                            const std::function<void()>& firstIn) {
    const int first = reader->FirstFrame();
    std::vector<QSize> sizes;
    if (thumbnails)
        sizes = thumbnailSizes(*thumbnails, std::min(reader->NumberOfFrames(), int(FrameStore::kMaxFrames)));
    ClipLoader loader(std::move(reader), std::move(sizes));
    LoadCancelling cancelling(*this, loader);
    LoadedFrames result;
    int lastGood = -1;
    loader.Start();
    result.outcome = loader.Wait([&](ClipLoader::Frame& frame) {
        if (result.held == 0) {
            replace();
            if (thumbnails) layOutStrip(*thumbnails);
        }
        QImage thumbnail = std::move(frame.thumbnail);
        if (frame.decoded) {
            lastGood = frame.index;
            if (frame.picture) store.Put(first + frame.index, std::move(frame.picture));
        } else if (const cDIBSection* good = store.Frame(first + lastGood)) {
            // A frame that does not decode shows the last one that did.
            auto copy = std::make_unique<cDIBSection>();
            if (copy->CreateFromPicture(*good->HDC())) store.Put(first + frame.index, std::move(copy));
            if (thumbnails) thumbnail = ImgVideoFrames[size_t(lastGood)]->pixmap().toImage();
        }
        if (thumbnails && !thumbnail.isNull()) addThumbnail(frame.index, thumbnail, *thumbnails);
        result.held = frame.index + 1;
        if (frame.index == 0 && firstIn) firstIn();
        prgbarProcess->setMaximum(std::max(1, frame.count - 1));
        prgbarProcess->setValue(frame.index);
    });
    reader = loader.TakeClip();
    // The frames live in the loader's block; the store keeps it with them, and whether the clip
    // is decoded on demand.
    if (result.held > 0) loader.HandOver(store);
    return result;
}

void frm_Main::layOutStrip(const ThumbnailLayout& t) {
    shapeVideoFrame->resize(platform::TwipsToPixelsX(t.width), platform::TwipsToPixelsY(t.height));
    picCVideoFrames->resize(platform::TwipsToPixelsX(t.stripWidth), platform::TwipsToPixelsY(t.stripHeight));
    HScrVideoFrames->resize(platform::TwipsToPixelsX(t.scrollWidth), HScrVideoFrames->height());
    HScrVideoFrames->setMaximum(t.scrollMax);
    HScrVideoFrames->setPageStep(3);
    HScrVideoFrames->setSingleStep(1);
    HScrVideoFrames->setValue(0);
    HScrVideoFrames->show();
}

void frm_Main::leaveMarks(bool quietly) {
    QString error;
    const auto keys = SwingKeys->UserKeys(KeyPositionsController::Video1);
    if (clipMarks_.Leave(Drawing->Overlay(), keys, &error)) return;
    const QString text = QStringLiteral("The marks of %1 could not be saved: %2")
                             .arg(QFileInfo(clipMarks_.ClipPath()).fileName(), error);
    if (quietly)
        qWarning("%s", qPrintable(text));
    else
        platform::MsgBox(text, platform::vbExclamation, QStringLiteral("Marks"));
}

void frm_Main::enterMarks(const QString& path, bool isClip) {
    const auto keys = clipMarks_.Enter(path, Drawing->Overlay());
    DrawToolBox->ShowPenColor();
    if (isClip) SwingKeys->SetStoredKeys(KeyPositionsController::Video1, keys);
}

bool frm_Main::fOpenAvi(const QString& path) {
    if (G().BusyLoading) return false;
    clipLoadCancelled_ = false;
    LoadGuard guard(*Toolbar1);
    auto reader = std::make_unique<cVideo>();
    // Nothing of the loaded clip is touched until the new one is known to be readable.
    if (!reader->OpenAviFile(path)) return false;
    if (refuseClip(*reader, path)) return false;
    const int n = reader->NumberOfFrames();
    const int first = reader->FirstFrame();

    // The marks (and key positions) of the clip shown go to its sidecar as they are now, before
    // anything that comes in during the load can change them; it is saved again if it stays.
    leaveMarks(false);
    prgbarProcess->setMaximum(std::max(1, n - 1));
    prgbarProcess->setValue(0);
    prgbarProcess->show();
    guard.SetBusy();

    const ThumbnailLayout thumbs =
        ComputeThumbnails(G().ScreenUnitX, G().ScreenUnitY, reader->FrameWidth(), reader->FrameHeight(), n);
    // The clip shown so far stays until the new one's first frame is in, and that frame is
    // shown at once.
    const LoadedFrames read = loadFrames(
        reader, Video1, &thumbs,
        [&] {
            imgLogo->hide();
            pic_video->show();
            picCVideoFrames->show();
            picPVideoFrames->show();
            clearThumbnails();
            HScrVideoFrames->setValue(0);
            StopVideoExport();
            SwingKeys->ClipUnloading(KeyPositionsController::Video1);
            Video1.Close();
            Zoom.Reset();
            CurrentVideoFrame = short(first);
            enterMarks(path, true);
        },
        [&] {
            Video1.FitTo(pic_video->width(), pic_video->height());
            PasteAvi(short(first));
        });
    if (read.held == 0) {
        prgbarProcess->hide();
        clipLoadCancelled_ = read.outcome == ClipLoader::Outcome::Cancelled;
        if (read.outcome == ClipLoader::Outcome::Failed)
            platform::MsgBox(
                QStringLiteral("There was an error working with the file:") + QLatin1Char('\n') + path,
                platform::vbInformation);
        closeIfAsked(*this);
        return false;
    }
    // What the load found when the headers' count was only an estimate; a load cut short keeps
    // the frames it read, and the clip ends there.
    const int loaded = read.outcome == ClipLoader::Outcome::Complete
                           ? std::min(reader->NumberOfFrames(), int(FrameStore::kMaxFrames))
                           : read.held;
    if (loaded != n && loaded > 0) {
        const ThumbnailLayout found = ComputeThumbnails(G().ScreenUnitX, G().ScreenUnitY, reader->FrameWidth(),
                                                        reader->FrameHeight(), loaded);
        layOutStrip(found);
        for (int i = 0; i < loaded && size_t(i) < ImgVideoFrames.size(); ++i)
            if (ImgVideoFrames[size_t(i)])
                ImgVideoFrames[size_t(i)]->move(platform::TwipsToPixels(found.Box(i)).topLeft());
    }

    Video1.Adopt(std::move(reader));
    Video1.frameCount = short(loaded);
    Video1.FitTo(pic_video->width(), pic_video->height());
    VideoControls->show();
    mnuTools[9]->setChecked(true);  // the menu's check follows the window, activated or not
    ClipKind = loaded > 1 ? 2 : 1;
    Video1.clipFileName = QFileInfo(path).fileName();
    SwingKeys->ClipLoaded(KeyPositionsController::Video1, path);
    ShowVideoInfo(picVideoInfo);
    AddMRUFile(path);
    shapeVideoFrame->move(0, platform::TwipsToPixelsY(2 * G().ScreenUnitY));
    shapeVideoFrame->raise();
    shapeVideoFrame->show();
    prgbarProcess->hide();
    G().ClipLoaded = true;
    closeIfAsked(*this);
    return true;
}

bool frm_Main::fOpenModel(const QString& path) {
    if (G().BusyLoading) return false;
    try {
        clipLoadCancelled_ = false;
        LoadGuard guard(*Toolbar1);
        auto reader = std::make_unique<cVideo>();
        if (!reader->OpenAviFile(path)) return false;
        if (refuseClip(*reader, path)) return false;
        const int n = reader->NumberOfFrames();
        prgbarProcess->setMaximum(std::max(1, n - 1));
        prgbarProcess->setValue(0);
        prgbarProcess->show();
        guard.SetBusy();
        // The model shown so far stays until the new one's first frame is in.
        const LoadedFrames read = loadFrames(reader, Model, nullptr, [&] {
            StopVideoExport();
            SwingKeys->ClipUnloading(KeyPositionsController::Model);
            Model.Release();
            Model.frameCount = 0;
            // The key positions saved with the model clip, if its sidecar is sound; its marks stay there.
            if (const auto saved = MarksStore::Load(path); saved.status == MarksStore::LoadResult::Loaded)
                SwingKeys->SetStoredKeys(KeyPositionsController::Model, saved.snapshot.keyPositions);
        });
        prgbarProcess->hide();
        if (read.held == 0) {
            clipLoadCancelled_ = read.outcome == ClipLoader::Outcome::Cancelled;
            closeIfAsked(*this);
            return false;
        }
        Model.Adopt(std::move(reader));
        if (read.outcome != ClipLoader::Outcome::Complete) Model.frameCount = short(read.held);
        Model.FitTo(pic_video->width(), pic_video->height());
        // At its own size, centred; a model larger than the canvas is shown whole.
        QSize shown(Model.sourceWidth, Model.sourceHeight);
        if (shown.width() > pic_video->width() || shown.height() > pic_video->height())
            shown = QSize(Model.fit.scaledWidth, Model.fit.scaledHeight);
        Model.placement = QRect(int(std::lrint(pic_video->width() / 2.0 - shown.width() / 2.0)),
                                int(std::lrint(pic_video->height() / 2.0 - shown.height() / 2.0)),
                                shown.width(), shown.height());
        SwingKeys->ClipLoaded(KeyPositionsController::Model, path);
        closeIfAsked(*this);
        return true;
    } catch (...) {
        prgbarProcess->hide();
        return false;
    }
}

bool frm_Main::fOpenPic(const QString& path) {
    if (G().BusyLoading) return false;
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
    imgLogo->hide();
    pic_video->show();
    picCVideoFrames->show();
    picPVideoFrames->show();
    hscrAvi1->hide();
    hscrAvi2->hide();
    ClipKind = 1;
    mnuTools[9]->setEnabled(false);
    clearThumbnails();
    HScrVideoFrames->hide();
    picVideoInfo->hide();
    StopVideoExport();
    leaveMarks(false);
    SwingKeys->ClipUnloading(KeyPositionsController::Video1);
    Video1.Release();
    Zoom.Reset();
    const int width = dib->Width(), height = dib->Height();
    Video1.Put(0, std::move(dib));
    Video1.panX = Video1.panY = 0;
    Video1.sourceWidth = width;
    Video1.sourceHeight = height;
    Video1.fit = Fit{1.0f, 0, 0, Video1.sourceWidth, Video1.sourceHeight};
    Video1.frameCount = 0;
    pic_video->Cls();
    CurrentVideoFrame = 0;
    enterMarks(path, false);
    SwingKeys->ClipLoaded(KeyPositionsController::Video1, {});
    ShowVideoInfo(picVideoInfo);
    return true;
}

void frm_Main::ShowVideoInfo(platform::PictureBox* box, int shownFrame) {
    if (shownFrame < 0) shownFrame = CurrentVideoFrame;
    box->SetFont(QFont(QStringLiteral("Times New Roman"), 10));
    box->Cls();
    const double h = box->TextHeight(Video1.clipFileName);
    const QSize size = Video1.FrameSize();
    const cVideo* reader = Video1.reader.get();
    // Rates such as 29.97 keep their decimals; whole ones (240) show none.
    const double rate = reader ? std::round(reader->FramesPerSecond() * 100.0) / 100.0 : 0.0;
    const QString lines[] = {
        QStringLiteral("File: ") + Video1.clipFileName,
        // Paired on a line, so that the panel keeps room for the swing's tempo below.
        QStringLiteral("No Frames: ") + QString::number(Video1.frameCount) + QStringLiteral("   Rate: ") +
            QString::number(rate, 'g', 6) + QStringLiteral(" fps"),
        QStringLiteral("Video: ") + QString::number(size.width()) + QLatin1Char('x') +
            QString::number(size.height()),
        QStringLiteral("Frame: ") + QString::number(shownFrame) + QStringLiteral("   Time: ") +
            QString::number(reader ? reader->FrameSeconds(shownFrame) : 0.0, 'f', 3) + QStringLiteral(" s"),
    };
    QStringList shown(std::begin(lines), std::end(lines));
    shown += SwingKeys->InfoLines();
    for (int i = 0; i < shown.size(); ++i) {
        box->CurrentX = 0;
        box->CurrentY = i == 0 ? 10 : i * h + 20;
        box->Print(shown[i]);
    }
    box->Refresh();
    box->show();
}
