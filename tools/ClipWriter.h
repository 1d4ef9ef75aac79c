#pragma once
// Writes short clips with FFmpeg's encoders from frames drawn by the caller: AVI, and MP4, MOV,
// MKV or WEBM by the file's extension. Used to make the sample clips shipped beside the program,
// and by tests and benchmarks that need clips of known content in many codecs, with B-frames,
// rotations, variable frame rates and colour matrices as phones write them, and with sound.

#include <QImage>
#include <QString>

#include <functional>

namespace cliptools {

enum class Codec {
    MJPEG,     // Motion JPEG, 4:2:0
    MPEG4,     // MPEG-4 part 2
    RawBGR24,  // uncompressed 24-bit
    Pal8,      // uncompressed 8-bit with a palette
    MSVideo1,  // MS Video 1 (16-bit); sizes are rounded up to a multiple of 4
    Cinepak,
    H264,    // libx264, 4:2:0
    HEVC,    // libx265, 8 bit
    HEVC10,  // libx265, 10 bit
    VP9,     // libvpx
};

struct ClipRecipe {
    int width = 320;
    int height = 240;
    int fps = 25;
    Codec codec = Codec::MJPEG;
    int quality = 3;   // MJPEG/MPEG-4 quantiser (1 best .. 31 worst)
    int gopSize = 12;  // distance between key frames where the codec has them
    int bFrames = 0;   // MPEG-4, H.264, HEVC: pictures stored out of presentation order
    int rotation = 0;  // degrees clockwise a player turns the picture (display matrix: MP4, MOV)
    bool bt709 = false;     // the colour matrix (else BT.601)
    bool fullRange = false;  // 0..255 luma (else 16..235); MJPEG is always full range
    // When frame n is shown, in milliseconds; empty for a constant rate of `fps`.
    std::function<int64_t(int frameNumber)> showAtMs = {};
    // A sound track beside the pictures (mono, 48 kHz; PCM, or AAC in MP4 and MOV): the signal
    // (-1..1) at a time in seconds on the file's clock (where frame 0 is shown at 0 unless
    // `showAtMs` says otherwise). None when empty. It starts at `soundStart` and ends with the
    // pictures.
    std::function<float(double seconds)> sound = {};
    double soundStart = 0;
};

// Called once per frame with the frame number; returns the picture (any size: it is
// scaled to the clip's size; any format).
using FrameSource = std::function<QImage(int frameNumber)>;

// Writes `frameCount` frames to `path`. Returns false with a reason in `error`.
bool WriteClip(const QString& path, const ClipRecipe& clipFormat, int frameCount, const FrameSource& frames,
               QString* error = nullptr);

// A test picture whose frame number can be read back from its pixels: a background
// colour and a band of blocks that encode the number (robust to lossy codecs).
QImage NumberedFrame(int frameNumber, int width, int height);
// Reads the number back from a picture made by NumberedFrame (after a lossy round
// trip); -1 when the picture does not carry one.
int ReadFrameNumber(const QImage& picture);

}  // namespace cliptools
