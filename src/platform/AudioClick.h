#pragma once
// The sharpest click in a clip's sound: where the club meets the ball. Widget-free; safe on a
// worker thread (it opens the file on its own).

#include <QString>

#include <atomic>
#include <optional>

namespace platform {

// Decodes the file's first audio stream to mono and finds its sharpest onset: a few
// milliseconds far louder than the moment before. Gives the onset's time in seconds on the
// container's clock (the one VideoFile::StartSeconds is on); nothing when the file has no
// sound, the sound cannot be decoded, or no onset stands out clearly. `cancel`, when set,
// stops early (nothing found).
std::optional<double> ClickSeconds(const QString& path, const std::atomic<bool>* cancel = nullptr);

}  // namespace platform
