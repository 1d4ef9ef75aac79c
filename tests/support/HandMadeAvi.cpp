#include "HandMadeAvi.h"

#include <QFile>

namespace testavi {
namespace {

void put32(QByteArray& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.append(char(v >> (8 * i)));
}
void put16(QByteArray& b, uint16_t v) {
    b.append(char(v));
    b.append(char(v >> 8));
}
void set32(QByteArray& b, qsizetype at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = char(v >> (8 * i));
}

QByteArray chunk(const char* id, const QByteArray& data) {
    QByteArray c(id, 4);
    put32(c, uint32_t(data.size()));
    c += data;
    if (data.size() & 1) c.append('\0');
    return c;
}
QByteArray list(const char* type, const QByteArray& data) {
    return chunk("LIST", QByteArray(type, 4) + data);
}

QByteArray mainHeader(int width, int height, int fps, uint32_t frames, uint32_t streams,
                      uint32_t bufferSize) {
    QByteArray h;
    put32(h, uint32_t(1000000 / fps));  // microseconds per frame
    put32(h, 0);
    put32(h, 0);
    put32(h, 0x10);  // has an index
    put32(h, frames);
    put32(h, 0);
    put32(h, streams);
    put32(h, bufferSize);
    put32(h, uint32_t(width));
    put32(h, uint32_t(height));
    for (int i = 0; i < 4; ++i) put32(h, 0);
    return h;
}

QByteArray streamHeader(const char* type, const QByteArray& handler, uint32_t scale, uint32_t rate,
                        uint32_t length, uint32_t bufferSize, uint32_t sampleSize, int width, int height) {
    QByteArray h(type, 4);
    h += handler.left(4).leftJustified(4, '\0');
    put32(h, 0);  // flags
    put16(h, 0);  // priority
    put16(h, 0);  // language
    put32(h, 0);  // initial frames
    put32(h, scale);
    put32(h, rate);
    put32(h, 0);  // start
    put32(h, length);
    put32(h, bufferSize);
    put32(h, 0xFFFFFFFFu);  // quality
    put32(h, sampleSize);
    put16(h, 0);
    put16(h, 0);
    put16(h, uint16_t(width));
    put16(h, uint16_t(height));
    return h;
}

}  // namespace

QByteArray RawBgrAvi(const RawAviSpec& clipFormat, const std::vector<std::optional<QImage>>& frames) {
    const int stride = (clipFormat.width * 3 + 3) & ~3;
    const uint32_t imageSize = uint32_t(stride * clipFormat.height);
    const uint32_t count = uint32_t(frames.size());

    QByteArray format;
    put32(format, 40);
    put32(format, uint32_t(clipFormat.width));
    put32(format, uint32_t(clipFormat.height));  // positive: rows bottom-up
    put16(format, 1);
    put16(format, 24);
    format += clipFormat.fourcc.left(4).leftJustified(4, '\0');
    put32(format, imageSize);
    for (int i = 0; i < 4; ++i) put32(format, 0);

    const QByteArray strl =
        list("strl", chunk("strh", streamHeader("vids", clipFormat.fourcc, 1, uint32_t(clipFormat.fps), count,
                                                imageSize, 0, clipFormat.width, clipFormat.height)) +
                         chunk("strf", format));
    const QByteArray hdrl = list("hdrl", chunk("avih", mainHeader(clipFormat.width, clipFormat.height,
                                                                  clipFormat.fps, count, 1, imageSize)) +
                                             strl);

    QByteArray movi;
    QByteArray index;
    uint32_t offset = 4;  // from the "movi" type word
    for (const auto& frame : frames) {
        QByteArray data;
        if (frame) {
            const QImage bgr =
                frame->scaled(clipFormat.width, clipFormat.height).convertToFormat(QImage::Format_BGR888);
            // A picture's row padding is never written: the file gets zeros there.
            for (int y = clipFormat.height - 1; y >= 0; --y)
                data += QByteArray(reinterpret_cast<const char*>(bgr.constScanLine(y)), clipFormat.width * 3)
                            .leftJustified(stride, '\0');
        }
        const QByteArray c = chunk("00db", data);
        index += "00db";
        put32(index, 0x10);  // key frame
        put32(index, offset);
        put32(index, uint32_t(data.size()));
        movi += c;
        offset += uint32_t(c.size());
    }
    QByteArray body = QByteArray("AVI ") + hdrl + list("movi", movi);
    if (clipFormat.withIndex) body += chunk("idx1", index);
    return chunk("RIFF", body);
}

QByteArray AudioOnlyAvi() {
    QByteArray wave;
    put16(wave, 1);  // PCM
    put16(wave, 1);  // mono
    put32(wave, 8000);
    put32(wave, 8000);
    put16(wave, 1);
    put16(wave, 8);
    const QByteArray strl =
        list("strl", chunk("strh", streamHeader("auds", QByteArray(), 1, 8000, 800, 800, 1, 0, 0)) +
                         chunk("strf", wave));
    const QByteArray hdrl = list("hdrl", chunk("avih", mainHeader(0, 0, 25, 0, 1, 800)) + strl);
    QByteArray movi;
    QByteArray index;
    uint32_t offset = 4;
    for (int i = 0; i < 4; ++i) {
        const QByteArray c = chunk("00wb", QByteArray(200, char(0x80)));
        index += "00wb";
        put32(index, 0x10);
        put32(index, offset);
        put32(index, 200);
        movi += c;
        offset += uint32_t(c.size());
    }
    return chunk("RIFF", QByteArray("AVI ") + hdrl + list("movi", movi) + chunk("idx1", index));
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
