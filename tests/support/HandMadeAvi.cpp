#include "HandMadeAvi.h"

#include <QFile>

#include <initializer_list>

namespace testavi {
namespace {

// Little-endian words of 32 bits (or 16 with `bits`), one after the other.
void put(QByteArray& b, std::initializer_list<uint32_t> words, int bits = 32) {
    for (uint32_t v : words)
        for (int i = 0; i < bits / 8; ++i) b.append(char(v >> (8 * i)));
}
void set32(QByteArray& b, qsizetype at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = char(v >> (8 * i));
}

QByteArray chunk(const char* id, const QByteArray& data) {
    QByteArray c(id, 4);
    put(c, {uint32_t(data.size())});
    c += data;
    if (data.size() & 1) c.append('\0');
    return c;
}
QByteArray list(const char* type, const QByteArray& data) {
    return chunk("LIST", QByteArray(type, 4) + data);
}

// The whole file: the main header, one stream (its header and format), its chunks and an index.
QByteArray riff(int width, int height, int fps, uint32_t frames, uint32_t bufferSize, const QByteArray& streamHeader,
                const QByteArray& format, const char* id, const std::vector<QByteArray>& chunks, bool withIndex) {
    QByteArray main;
    // Microseconds per frame, two unused, "has an index", frames, initial frames, streams, buffer.
    put(main, {uint32_t(1000000 / fps), 0, 0, 0x10, frames, 0, 1, bufferSize, uint32_t(width), uint32_t(height), 0, 0, 0, 0});
    const QByteArray hdrl = list("hdrl", chunk("avih", main) + list("strl", chunk("strh", streamHeader) + chunk("strf", format)));
    QByteArray movi, index;
    uint32_t offset = 4;  // from the "movi" type word
    for (const QByteArray& data : chunks) {
        const QByteArray c = chunk(id, data);
        index += id;
        put(index, {0x10, offset, uint32_t(data.size())});  // a key frame
        movi += c;
        offset += uint32_t(c.size());
    }
    return chunk("RIFF", QByteArray("AVI ") + hdrl + list("movi", movi) + (withIndex ? chunk("idx1", index) : QByteArray()));
}

QByteArray streamHeader(const char* type, const QByteArray& handler, uint32_t rate, uint32_t length, uint32_t bufferSize,
                        uint32_t sampleSize, int width, int height) {
    QByteArray h = QByteArray(type, 4) + handler.left(4).leftJustified(4, '\0');
    put(h, {0});           // flags
    put(h, {0, 0}, 16);    // priority, language
    // Initial frames, scale, rate, start, length, buffer, quality, sample size.
    put(h, {0, 1, rate, 0, length, bufferSize, 0xFFFFFFFFu, sampleSize});
    put(h, {0, 0, uint16_t(width), uint16_t(height)}, 16);
    return h;
}

}  // namespace

QByteArray RawBgrAvi(const RawAviSpec& clipFormat, const std::vector<std::optional<QImage>>& frames) {
    const int stride = (clipFormat.width * 3 + 3) & ~3;
    const uint32_t imageSize = uint32_t(stride * clipFormat.height);
    const uint32_t count = uint32_t(frames.size());
    QByteArray format;
    put(format, {40, uint32_t(clipFormat.width), uint32_t(clipFormat.height)});  // positive: rows bottom-up
    put(format, {1, 24}, 16);
    format += clipFormat.fourcc.left(4).leftJustified(4, '\0');
    put(format, {imageSize, 0, 0, 0, 0});
    std::vector<QByteArray> chunks;
    for (const auto& frame : frames) {
        QByteArray data;
        if (frame) {
            const QImage bgr = frame->scaled(clipFormat.width, clipFormat.height).convertToFormat(QImage::Format_BGR888);
            // A picture's row padding is never written: the file gets zeros there.
            for (int y = clipFormat.height - 1; y >= 0; --y)
                data += QByteArray(reinterpret_cast<const char*>(bgr.constScanLine(y)), clipFormat.width * 3)
                            .leftJustified(stride, '\0');
        }
        chunks.push_back(data);
    }
    return riff(clipFormat.width, clipFormat.height, clipFormat.fps, count, imageSize,
                streamHeader("vids", clipFormat.fourcc, uint32_t(clipFormat.fps), count, imageSize, 0, clipFormat.width,
                             clipFormat.height),
                format, "00db", chunks, clipFormat.withIndex);
}

QByteArray AudioOnlyAvi() {
    QByteArray wave;
    put(wave, {1, 1}, 16);  // PCM, mono
    put(wave, {8000, 8000});
    put(wave, {1, 8}, 16);
    return riff(0, 0, 25, 0, 800, streamHeader("auds", QByteArray(), 8000, 800, 800, 1, 0, 0), wave, "00wb",
                std::vector<QByteArray>(4, QByteArray(200, char(0x80))), true);
}

bool PatchFrameCounts(QByteArray& avi, uint32_t frames) {
    const qsizetype avih = avi.indexOf("avih");
    const qsizetype strh = avi.indexOf("strh");
    if (avih < 0 || strh < 0) return false;
    set32(avi, avih + 8 + 16, frames);  // dwTotalFrames
    set32(avi, strh + 8 + 32, frames);  // dwLength
    return true;
}

bool PatchDimensions(QByteArray& avi, int32_t width, int32_t height) {
    const qsizetype avih = avi.indexOf("avih");
    const qsizetype strf = avi.indexOf("strf");
    if (avih < 0 || strf < 0) return false;
    set32(avi, avih + 8 + 32, uint32_t(width));
    set32(avi, avih + 8 + 36, uint32_t(height));
    set32(avi, strf + 8 + 4, uint32_t(width));
    set32(avi, strf + 8 + 8, uint32_t(height));
    return true;
}

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace testavi
