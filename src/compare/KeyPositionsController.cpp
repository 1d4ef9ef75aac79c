#include "compare/KeyPositionsController.h"

#include "clips/FrameSource.h"
#include "clips/WorkerFrames.h"
#include "imaging/cDIBSection.h"
#include "platform/AudioClick.h"
#include "platform/ImageBox.h"
#include "platform/RuntimeError.h"

#include <QAction>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QtConcurrent/QtConcurrentRun>

#include <utility>

namespace {

const QString kSection = QStringLiteral("Software\\varkelo\\video\\KeyPositions");
const char* const kNames[] = {"Address", "Top", "Impact", "Finish"};

const FrameSource& sourceOf(const KeyPositionsWindow& w, int slot) {
    return slot == KeyPositionsController::Video1 ? w.video1 : w.model;
}

// The frames of a clip not kept in memory, decoded here for the search; a large picture is kept
// at a size well above the one the search works at, so that the clip fits in memory.
std::vector<QImage> readForSearch(WorkerFrames& source, int first, int count, const std::atomic<bool>& cancel) {
    const QSize largest(640, 480);
    std::vector<QImage> frames;
    for (int i = 0; i < count && !cancel; ++i) {
        const cDIBSection* dib = source.Frame(first + i);
        if (!dib || !dib->HDC()) return {};
        const QImage& picture = *dib->HDC();
        frames.push_back(picture.width() > largest.width() || picture.height() > largest.height()
                             ? picture.scaled(largest, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                             : picture.copy());
    }
    return cancel ? std::vector<QImage>{} : frames;
}

}  // namespace

KeyPositionsController::KeyPositionsController(KeyPositionsWindow window, QMenuBar* menuBar, QObject* parent)
    : QObject(parent), w_(std::move(window)) {
    QMenu* menu = menuBar->addMenu(QStringLiteral("&Key Positions"));
    menu->setObjectName(QStringLiteral("mnuKeyPositions"));
    for (int k = 0; k < 4; ++k) {
        QAction* go = menu->addAction(QStringLiteral("Go to ") + QLatin1String(kNames[k]), this, [this, k] { JumpTo(k); });
        go->setObjectName(QStringLiteral("mnuKeyGo%1").arg(k));
    }
    menu->addSeparator();
    for (int k = 0; k < 4; ++k) {
        QAction* set = menu->addAction(QStringLiteral("Set ") + QLatin1String(kNames[k]) + QStringLiteral(" Here"), this,
                                       [this, k] { MoveToCurrent(k); });
        set->setObjectName(QStringLiteral("mnuKeySet%1").arg(k));
    }
}

KeyPositionsController::~KeyPositionsController() {
    for (auto& c : cancel_)
        if (c) c->store(true);
}

void KeyPositionsController::ClipUnloading(int slot) {
    if (cancel_[size_t(slot)]) cancel_[size_t(slot)]->store(true);
    ++generation_[size_t(slot)];  // whatever it found is for frames that are going
    search_[size_t(slot)].waitForFinished();
}

void KeyPositionsController::ClipLoaded(int slot, const QString& path) {
    if (cancel_[size_t(slot)]) cancel_[size_t(slot)]->store(true);
    const unsigned generation = ++generation_[size_t(slot)];
    keys_[size_t(slot)] = {};
    userSet_[size_t(slot)] = false;
    const auto stored = std::exchange(stored_[size_t(slot)], std::nullopt);  // for this clip only
    path_[size_t(slot)] = path;
    if (slot == Video1) showTags();
    emit Changed(slot);
    const FrameSource& clip = sourceOf(w_, slot);
    if (path.isEmpty() || !clip.IsClip() || clip.Count() < 2) return;
    loadCorrection(slot, stored);
    if (keys_[size_t(slot)].Found()) {
        found(slot, generation, keys_[size_t(slot)]);
        return;
    }
    // Shallow copies: the pictures stay alive for the search even when the clip is replaced.
    // Frames not in memory are read on the search's thread instead.
    std::vector<QImage> frames;
    const int first = clip.FirstFrame(), count = clip.Count();
    std::shared_ptr<WorkerFrames> toRead = clip.FramesForWorker();
    if (toRead->KeepsFrames()) {
        for (int i = 0; i < count; ++i) {
            const cDIBSection* dib = toRead->Kept(first + i);
            if (dib && dib->HDC())
                frames.push_back(*dib->HDC());
            else if (!frames.empty())
                frames.push_back(frames.back());  // an undecodable frame: keep the numbering
            else
                return;
        }
        toRead.reset();
    }
    const double fps = clip.FramesPerSecond();
    // The sound's clock starts where the container's does; the frames' clock at frame 0.
    std::vector<double> shownAt;
    for (int i = 0; i < clip.Count(); ++i) shownAt.push_back(clip.StartSeconds() + clip.FrameSeconds(first + i));
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    cancel_[size_t(slot)] = cancel;
    auto* watcher = new QFutureWatcher<KeyPositions>(this);
    connect(watcher, &QFutureWatcher<KeyPositions>::finished, this, [this, watcher, slot, generation] {
        found(slot, generation, watcher->result());
        watcher->deleteLater();
    });
    search_[size_t(slot)] = QtConcurrent::run([frames = std::move(frames), toRead, first, count, shownAt = std::move(shownAt),
                                               fps, cancel, path]() mutable {
        if (toRead) frames = readForSearch(*toRead, first, count, *cancel);
        if (frames.empty()) return KeyPositions{};
        const std::optional<double> click = platform::ClickSeconds(path, cancel.get());
        return FindKeyPositions(frames, fps, cancel.get(), click ? FrameShownAt(shownAt, *click) : -1);
    });
    watcher->setFuture(search_[size_t(slot)]);
}

void KeyPositionsController::found(int slot, unsigned generation, const KeyPositions& keys) {
    // A result for a clip that has since been replaced is dropped.
    if (generation != generation_[size_t(slot)]) return;
    // Positions the user set while the search ran are theirs: the search only fills the others.
    KeyPositions& kept = keys_[size_t(slot)];
    for (size_t k = 0; k < kept.frame.size(); ++k)
        if (!userSet_[size_t(slot)] || kept.frame[k] < 0) kept.frame[k] = keys.frame[k];
    if (slot == Video1) {
        showTags();
        if (w_.clipKind == 2) platform::TryStep([&] { w_.showInfo(); });
    }
    emit Changed(slot);
}

KeyPositions KeyPositionsController::Keys(int slot) const {
    KeyPositions k = keys_[size_t(slot)];
    const int first = sourceOf(w_, slot).FirstFrame();
    for (int& f : k.frame)
        if (f >= 0) f += first;
    return k;
}

QStringList KeyPositionsController::InfoLines() const {
    const KeyPositions k = Keys(Video1);
    const FrameSource& clip = w_.video1;
    if (!clip.IsClip() || k[KeyPositions::Address] < 0 || !k.Found()) return {};
    const double back = clip.FrameSeconds(k[KeyPositions::Top]) - clip.FrameSeconds(k[KeyPositions::Address]);
    const double down = clip.FrameSeconds(k[KeyPositions::Impact]) - clip.FrameSeconds(k[KeyPositions::Top]);
    const QString tempo = TempoText(back, down);
    if (tempo.isEmpty()) return {};
    return {QStringLiteral("Back: %1 s   Down: %2 s").arg(back, 0, 'f', 2).arg(down, 0, 'f', 2), tempo};
}

int KeyPositionsController::ModelFrameFor(int videoFrame, int modelFrame) const {
    if (!w_.syncOn()) return modelFrame;
    if (!keys_[Video1].Found() || !keys_[Model].Found()) return modelFrame;
    const FrameSource& v = w_.video1;
    const FrameSource& m = w_.model;
    if (!v.IsClip() || !m.IsClip()) return modelFrame;
    return m.FirstFrame() +
           SyncedModelFrame(videoFrame - v.FirstFrame(), keys_[Video1], v.Count(), keys_[Model], m.Count());
}

void KeyPositionsController::JumpTo(int kind) {
    const int rel = keys_[Video1][kind];
    if (rel >= 0) w_.showThumbnail(rel);
}

void KeyPositionsController::MoveToCurrent(int kind) {
    if (w_.clipKind != 2 || path_[Video1].isEmpty()) return;
    const int rel = w_.currentVideoFrame - w_.video1.FirstFrame();
    if (rel < 0 || rel >= w_.video1.Count()) return;
    keys_[Video1].frame[size_t(kind)] = rel;
    userSet_[Video1] = true;  // saved with the clip's marks when it is left
    showTags();
    platform::TryStep([&] { w_.showInfo(); });
    emit Changed(Video1);
}

void KeyPositionsController::showTags() {
    for (auto& tag : tags_) delete tag.data();
    tags_.clear();
    for (int k = 0; k < 4; ++k) {
        const int rel = keys_[Video1][k];
        if (rel < 0 || size_t(rel) >= w_.thumbnails.size() || !w_.thumbnails[size_t(rel)]) continue;
        auto* tag = new QLabel(KeyPositionTag(k), w_.thumbnails[size_t(rel)]);
        tag->setObjectName(QStringLiteral("KeyTag") + KeyPositionTag(k));
        tag->setStyleSheet(QStringLiteral("background: #ffd800; color: black; font-weight: bold; padding: 0 2px;"));
        tag->move(1, 1);
        tag->show();
        tags_.emplace_back(tag);
    }
}

void KeyPositionsController::SetStoredKeys(int slot, const std::optional<std::array<int, 4>>& frames) {
    stored_[size_t(slot)] = frames;
}

std::optional<std::array<int, 4>> KeyPositionsController::UserKeys(int slot) const {
    if (!userSet_[size_t(slot)]) return std::nullopt;
    return keys_[size_t(slot)].frame;
}

// Corrections made before they were saved with the clip were kept in the settings store, keyed by
// the clip's path and size (a clip replaced under the same name starts afresh); still read there.
QString KeyPositionsController::settingName(int slot) const {
    const QFileInfo info(path_[size_t(slot)]);
    const QByteArray key = (info.absoluteFilePath() + QLatin1Char('|') + QString::number(info.size())).toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex());
}

void KeyPositionsController::loadCorrection(int slot, std::optional<std::array<int, 4>> frames) {
    const int last = sourceOf(w_, slot).Count() - 1;
    if (!frames) {
        const QStringList parts = w_.readSetting(kSection, settingName(slot)).split(QLatin1Char(','));
        if (parts.size() != 4) return;
        frames.emplace();
        for (int i = 0; i < 4; ++i) (*frames)[size_t(i)] = parts[i].toInt();
    }
    KeyPositions k;
    for (int i = 0; i < 4; ++i) k.frame[size_t(i)] = std::clamp((*frames)[size_t(i)], -1, last);
    keys_[size_t(slot)] = k;
    userSet_[size_t(slot)] = true;
}
