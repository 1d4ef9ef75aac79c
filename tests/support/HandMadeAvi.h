#pragma once
// AVI files assembled byte by byte, for cases no encoder writes: empty chunks for dropped
// frames, missing indexes, headers that lie, streams without video or without a decoder.

#include <QByteArray>
#include <QImage>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace testavi {

struct RawAviSpec {
    int width = 32;
    int height = 16;
    int fps = 25;
    bool withIndex = true;           // an idx1 chunk after the movi list
    QByteArray fourcc = "\0\0\0\0";  // compression in the format header (0 = uncompressed)
};

// Uncompressed 24-bit bottom-up video, one chunk per entry; an empty entry is a zero-size
// chunk (a dropped frame).
QByteArray RawBgrAvi(const RawAviSpec& clipFormat, const std::vector<std::optional<QImage>>& frames);

// A well-formed AVI whose only stream is audio.
QByteArray AudioOnlyAvi();

// Sets the main header's total frames and the first stream header's length.
bool PatchFrameCounts(QByteArray& avi, uint32_t frames);
// Sets the frame size in the main header and in the first video format header.
bool PatchDimensions(QByteArray& avi, int32_t width, int32_t height);

bool WriteBytes(const QString& path, const QByteArray& bytes);

}  // namespace testavi
