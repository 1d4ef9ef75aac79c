#include "platform/MciDevice.h"

#include <QMediaPlayer>
#include <QUrl>
#include <QVideoWidget>

#include <cmath>

namespace platform {

MciDevice::MciDevice(const QString& path, const MediaInfo& info, QWidget* parent)
    : info_(info), player_(std::make_unique<QMediaPlayer>()) {
    window_ = new QVideoWidget(parent);
    // The picture fills the rectangle it is put in, as the platform's movie windows do.
    window_->setAspectRatioMode(Qt::IgnoreAspectRatio);
    window_->setGeometry(0, 0, info_.width, info_.height);
    window_->hide();
    player_->setVideoOutput(window_.data());
    connect(player_.get(), &QMediaPlayer::positionChanged, this, &MciDevice::onPosition);
    player_->setSource(QUrl::fromLocalFile(path));
}

MciDevice::~MciDevice() {
    // The player lets go of the window before the window goes; the window may already be
    // gone with its parent.
    player_->stop();
    player_.reset();
    delete window_.data();
}

double MciDevice::framesPerSecond() const {
    // A header with no usable rate: take the common PAL rate rather than divide by zero.
    return info_.framesPerSecond > 0 ? info_.framesPerSecond : 25.0;
}

int64_t MciDevice::toMilliseconds(int64_t position) const {
    if (format_ == TimeFormat::Milliseconds) return position;
    return int64_t(std::llround(double(position) * 1000.0 / framesPerSecond()));
}

int64_t MciDevice::Length() const {
    if (format_ == TimeFormat::Frames) return info_.frames;
    return int64_t(std::llround(double(info_.frames) * 1000.0 / framesPerSecond()));
}

bool MciDevice::Play(std::optional<int64_t> from, std::optional<int64_t> to) {
    const int64_t length = Length();
    if (from && (*from < 0 || *from > length)) return false;
    if (to && (*to < 0 || *to > length)) return false;
    if (from && to && *from > *to) return false;
    if (from) player_->setPosition(toMilliseconds(*from));
    stopAtMs_ = to && *to < length ? toMilliseconds(*to) : -1;
    if (window_) window_->show();
    player_->play();
    return true;
}

void MciDevice::Stop() {
    player_->pause();
}

void MciDevice::Pause() {
    player_->pause();
}

void MciDevice::Resume() {
    if (player_->playbackState() == QMediaPlayer::PausedState) player_->play();
}

void MciDevice::PutWindow(const QRect& rect) {
    placed_ = true;
    if (!window_) return;
    const int w = rect.width() > 0 ? rect.width() : info_.width;
    const int h = rect.height() > 0 ? rect.height() : info_.height;
    window_->setGeometry(rect.x(), rect.y(), w, h);
}

QRect MciDevice::Destination() const {
    if (placed_ && window_) return QRect(QPoint(0, 0), window_->size());
    return QRect(0, 0, info_.width, info_.height);
}

void MciDevice::onPosition(qint64 ms) {
    if (stopAtMs_ >= 0 && ms >= stopAtMs_) {
        stopAtMs_ = -1;
        player_->pause();
    }
}

}  // namespace platform
