#pragma once
// What FFmpeg's own command-line tools make of a clip, to hold the reader's pictures against:
// frames turned upright by the display matrix and converted with the stream's colour matrix and
// range, with the scaler's most faithful flags.

#include <QImage>
#include <QProcess>
#include <QString>

#include <cmath>

// The n-th picture the decoder gives (presentation order); null when the tools are missing or
// there is no such picture.
inline QImage FfmpegPicture(const QString& path, int n) {
    QProcess p;
    p.start(QStringLiteral("ffmpeg"),
            {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"), QStringLiteral("-i"), path,
             QStringLiteral("-vf"),
             QStringLiteral("select=eq(n\\,%1),scale=flags=bicubic+accurate_rnd+full_chroma_int,format=rgb24").arg(n),
             QStringLiteral("-fps_mode"), QStringLiteral("passthrough"), QStringLiteral("-frames:v"),
             QStringLiteral("1"), QStringLiteral("-f"), QStringLiteral("image2pipe"), QStringLiteral("-c:v"),
             QStringLiteral("png"), QStringLiteral("-")});
    if (!p.waitForFinished(120000) || p.exitCode() != 0) return {};
    return QImage::fromData(p.readAllStandardOutput(), "PNG");
}

// How many pictures the decoder gives; -1 when the tools are missing.
inline int FfmpegPictureCount(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("ffprobe"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"),
                                        QStringLiteral("v:0"), QStringLiteral("-count_frames"),
                                        QStringLiteral("-show_entries"), QStringLiteral("stream=nb_read_frames"),
                                        QStringLiteral("-of"), QStringLiteral("csv=p=0"), path});
    if (!p.waitForFinished(120000) || p.exitCode() != 0) return -1;
    bool ok = false;
    const int n = QString::fromUtf8(p.readAllStandardOutput()).trimmed().toInt(&ok);
    return ok ? n : -1;
}

// Mean absolute difference per channel over the whole picture; infinite when the sizes differ.
inline double MeanLevelDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull()) return INFINITY;
    const QImage x = a.convertToFormat(QImage::Format_RGB888), y = b.convertToFormat(QImage::Format_RGB888);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const uchar* p = x.constScanLine(row);
        const uchar* q = y.constScanLine(row);
        for (int i = 0; i < x.width() * 3; ++i) sum += std::abs(int(p[i]) - int(q[i]));
    }
    return sum / (double(x.width()) * x.height() * 3);
}

// One entry of the first video stream as ffprobe shows it ("avg_frame_rate", "pix_fmt", ...);
// empty when the tools are missing.
inline QString FfprobeStreamEntry(const QString& path, const QString& entry) {
    QProcess p;
    p.start(QStringLiteral("ffprobe"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"),
                                        QStringLiteral("v:0"), QStringLiteral("-show_entries"),
                                        QStringLiteral("stream=") + entry, QStringLiteral("-of"),
                                        QStringLiteral("csv=p=0"), path});
    if (!p.waitForFinished(120000) || p.exitCode() != 0) return {};
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// Peak signal-to-noise ratio of b against a over the colour channels, in dB; 0 when the sizes
// differ, infinite for equal pictures.
inline double Psnr(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull()) return 0;
    const QImage x = a.convertToFormat(QImage::Format_RGB888), y = b.convertToFormat(QImage::Format_RGB888);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const uchar* p = x.constScanLine(row);
        const uchar* q = y.constScanLine(row);
        for (int i = 0; i < x.width() * 3; ++i) sum += double(p[i] - q[i]) * (p[i] - q[i]);
    }
    const double mse = sum / (double(x.width()) * x.height() * 3);
    return mse == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 / mse);
}
