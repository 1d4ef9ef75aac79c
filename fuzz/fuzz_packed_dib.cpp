// Any bytes as a packed bitmap: taken into a buffer and written out again, or refused.

#include "clips/cVideo.h"
#include "imaging/cDIBSection.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    cDIBSection section;
    if (section.CreateFromPackedDIB(data, size)) {
        const QByteArray packed = section.PackedDIB();
        const QByteArray bmp = section.BmpFileBytes();
        if (bmp.size() != packed.size() + 14) __builtin_trap();
        // What went out comes back in as the same picture.
        cDIBSection again;
        if (!again.CreateFromPackedDIB(reinterpret_cast<const uint8_t*>(packed.constData()),
                                       size_t(packed.size())))
            __builtin_trap();
        if (*again.HDC() != *section.HDC()) __builtin_trap();
        if (int64_t(section.Width()) * section.Height() <= 4096) {
            const auto smaller = section.Resample(section.Height() / 2 + 1, section.Width() / 2 + 1);
            if (!smaller) __builtin_trap();
        }
    }
    cVideo video;
    if (video.CreateFromPackedDIBPointer(data, size)) {
        if (video.SizeImage() <= 0 || size_t(video.SizeImage()) > size - 40) __builtin_trap();
        if (std::memcmp(video.PointerToBits(), data + 40, size_t(video.SizeImage())) != 0) __builtin_trap();
    }
    return 0;
}
