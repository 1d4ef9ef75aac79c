#pragma once
// What FFmpeg's own command-line tools make of a clip, to hold the reader's pictures against:
// frames turned upright by the display matrix and converted with the stream's colour matrix and
// range, with the scaler's most faithful flags.

#include <QImage>
#include <QProcess>
#include <QString>

#include <cmath>

// What one of the tools writes to its standard output; null when it is missing or fails.
inline QByteArray FfmpegToolOutput(const QString& tool, const QStringList& args) {
    QProcess p;
    p.start(tool, QStringList{QStringLiteral("-v"), QStringLiteral("error")} + args);
    if (!p.waitForFinished(120000) || p.exitCode() != 0) return {};
    return p.readAllStandardOutput();
}

// The n-th picture the decoder gives (presentation order), converted as the reader converts (or
// with the chroma filter named); null when the tools are missing or there is no such picture.
inline QImage FfmpegPicture(const QString& path, int n, const QString& chroma = QStringLiteral("bilinear")) {
    const QString filter =
        QStringLiteral("select=eq(n\\,%1),scale=flags=%2+accurate_rnd+full_chroma_int,format=rgb24").arg(n).arg(chroma);
    const QStringList args = QStringList{QStringLiteral("-nostdin"), QStringLiteral("-i"), path, QStringLiteral("-vf"), filter} +
                             QStringLiteral("-fps_mode passthrough -frames:v 1 -f image2pipe -c:v png -").split(u' ');
    return QImage::fromData(FfmpegToolOutput(QStringLiteral("ffmpeg"), args), "PNG");
}

// One entry of the first video stream as ffprobe shows it ("avg_frame_rate", "pix_fmt", ...);
// empty when the tools are missing.
inline QString FfprobeStreamEntry(const QString& path, const QString& entry, bool countFrames = false) {
    QStringList args{QStringLiteral("-select_streams"), QStringLiteral("v:0"), QStringLiteral("-show_entries"),
                     QStringLiteral("stream=") + entry, QStringLiteral("-of"), QStringLiteral("csv=p=0"), path};
    if (countFrames) args.prepend(QStringLiteral("-count_frames"));
    return QString::fromUtf8(FfmpegToolOutput(QStringLiteral("ffprobe"), args)).trimmed();
}

// How many pictures the decoder gives; -1 when the tools are missing.
inline int FfmpegPictureCount(const QString& path) {
    bool ok = false;
    const int n = FfprobeStreamEntry(path, QStringLiteral("nb_read_frames"), true).toInt(&ok);
    return ok ? n : -1;
}

// The mean absolute and the mean squared difference per channel over the whole picture; -1 when
// the sizes differ.
inline std::pair<double, double> LevelDifferences(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull()) return {-1, -1};
    const QImage x = a.convertToFormat(QImage::Format_RGB888), y = b.convertToFormat(QImage::Format_RGB888);
    double sum = 0, squares = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int i = 0; i < x.width() * 3; ++i) {
            const double d = double(x.constScanLine(row)[i]) - y.constScanLine(row)[i];
            sum += std::abs(d), squares += d * d;
        }
    const double n = double(x.width()) * x.height() * 3;
    return {sum / n, squares / n};
}
// Mean absolute difference per channel; infinite when the sizes differ.
inline double MeanLevelDifference(const QImage& a, const QImage& b) {
    const double mean = LevelDifferences(a, b).first;
    return mean < 0 ? INFINITY : mean;
}
// Peak signal-to-noise ratio of b against a over the colour channels, in dB; 0 when the sizes
// differ, infinite for equal pictures.
inline double Psnr(const QImage& a, const QImage& b) {
    const double mse = LevelDifferences(a, b).second;
    return mse < 0 ? 0 : mse == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 / mse);
}
