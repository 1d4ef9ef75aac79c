// Any bytes as a clip file (FFmpeg tells the container by its content): the reader must
// refuse them or read every frame, never crash.

#include "clips/cVideo.h"
#include "imaging/cDIBSection.h"
#include "platform/MessageBox.h"

#include <QFile>
#include <QString>

#include <unistd.h>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    platform::SetMsgBoxAnswerer([](const platform::MsgBoxCall&) { return int(platform::vbOK); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QString path = QStringLiteral("/tmp/fuzz_cvideo_%1.avi").arg(getpid());
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) return 0;
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    cVideo video;
    if (!video.OpenAviFile(path)) return 0;
    // Very large frames are legal but make each run slow; the size checks are what matter there.
    if (int64_t(video.FrameWidth()) * video.FrameHeight() > (int64_t(1) << 22)) return 0;
    const int first = video.FirstFrame();
    const int count = std::min(video.NumberOfFrames(), 300);
    for (int n = first; n < first + count; ++n) {
        if (const uint8_t* packed = video.AVIGetFrame(n)) {
            if (!video.CreateFromPackedDIBPointer(packed))
                __builtin_trap();  // our own frames are always 24-bit
        }
    }
    // A few frames out of order, picked by the input itself.
    cDIBSection section;
    for (size_t i = 0; i < 4 && i < size; ++i) {
        const int n = first + int(data[size - 1 - i]) % std::max(1, video.NumberOfFrames());
        video.AVIGetFrame(n);
        video.GetFrameInto(n, section);
    }
    return 0;
}
