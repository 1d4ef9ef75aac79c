#pragma once
// One open media-control device: a clip played by QMediaPlayer into a QVideoWidget that
// sits inside the caller's window. Positions are given in the device's time format
// (milliseconds unless set to frames); the picture size and the length come from the
// file itself, so they are known as soon as the device is open.

#include "platform/MediaProbe.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QVideoWidget>

#include <cstdint>
#include <memory>
#include <optional>

class QMediaPlayer;
class QWidget;

namespace platform {

class MciDevice : public QObject {
    Q_OBJECT
public:
    enum class TimeFormat { Milliseconds, Frames };

    // The window is a child of `parent` when one is given, else a window of its own; it
    // stays hidden until the first play.
    MciDevice(const QString& path, const MediaInfo& info, QWidget* parent);
    ~MciDevice() override;

    TimeFormat Format() const { return format_; }
    void SetFormat(TimeFormat format) { format_ = format; }

    // Length in the current time format.
    int64_t Length() const;
    // Plays from `from` (default: where it stands) to `to` (default: the end). False when a
    // position lies outside the clip or from lies beyond to; then nothing changes.
    bool Play(std::optional<int64_t> from, std::optional<int64_t> to);
    // Stop keeps the position, as the platform's video devices do; Resume continues after
    // either.
    void Stop();
    void Pause();
    void Resume();

    // Places the picture's window in the parent's coordinates; a width or height of 0
    // takes the clip's own.
    void PutWindow(const QRect& rect);
    // The rectangle the picture is drawn into, in the window's coordinates: the clip's own
    // size until the window is placed, then the window's size (the picture fills it).
    QRect Destination() const;

    const MediaInfo& Info() const { return info_; }
    QMediaPlayer* Player() const { return player_.get(); }
    QVideoWidget* Window() const { return window_.data(); }

private:
    int64_t toMilliseconds(int64_t position) const;
    double framesPerSecond() const;
    void onPosition(qint64 ms);

    MediaInfo info_;
    TimeFormat format_ = TimeFormat::Milliseconds;
    std::unique_ptr<QMediaPlayer> player_;
    QPointer<QVideoWidget> window_;
    bool placed_ = false;
    int64_t stopAtMs_ = -1;  // where a "play ... to" ends short of the clip's end
};

}  // namespace platform
