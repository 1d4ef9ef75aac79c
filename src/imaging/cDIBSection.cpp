#include "imaging/cDIBSection.h"

#include "imaging/FrameArena.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include <sys/mman.h>

namespace {

// Below this a buffer is always worth trying; above it the free memory is asked first,
// because on Linux an allocation far beyond it succeeds and the process dies on first touch.
constexpr int64_t kAlwaysAllowedBytes = int64_t(64) << 20;

int64_t availableMemoryBytes() {
    if (FILE* f = std::fopen("/proc/meminfo", "r")) {
        char line[256];
        long long kb = -1;
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "MemAvailable: %lld kB", &kb) == 1) break;
        std::fclose(f);
        if (kb >= 0) return int64_t(kb) * 1024;
    }
    return std::numeric_limits<int64_t>::max();
}

// The size in bytes of a 24-bit buffer, or -1 when it cannot be represented or had.
int64_t bufferBytes(int width, int height) {
    if (width <= 0 || height <= 0) return -1;
    // The header's image size is a 32-bit field, and Qt indexes rows with int.
    const int64_t stride = dib::Stride24(width);
    if (stride > std::numeric_limits<int32_t>::max() / height) return -1;
    const int64_t bytes = stride * height;
    if (bytes > kAlwaysAllowedBytes && bytes > availableMemoryBytes()) return -1;
    return bytes;
}

// From this size on, buffers are mapped from the kernel directly.
constexpr int64_t kMappedBytes = 256 * 1024;

struct Mapping {
    void* memory;
    size_t length;
};

void unmapBuffer(void* info) {
    auto* mapping = static_cast<Mapping*>(info);
    munmap(mapping->memory, mapping->length);
    delete mapping;
}

// A picture over an arena slot holds one reference to the arena until its last copy goes.
void releaseArena(void* info) {
    delete static_cast<std::shared_ptr<FrameArena>*>(info);
}

uint8_t clampByte(float v) {
    const long r = std::lrint(v);
    return uint8_t(std::clamp(r, 0L, 255L));
}

}  // namespace

cDIBSection::~cDIBSection() {
    ClearUp();
}

bool cDIBSection::CreateDIB(int lWidth, int lHeight, QImage& hDib) {
    const int64_t bytes = bufferBytes(lWidth, lHeight);
    if (bytes < 0) return false;
    const int stride = int(dib::Stride24(lWidth));
    QImage image;
    if (bytes >= kMappedBytes) {
        // Frame-sized buffers come straight from the kernel, already zeroed (a new DIB section
        // starts black) and with all pages in place: a clip load creates hundreds of them, and
        // faulting each page in on first write costs more than decoding the frame.
        const size_t length = size_t(bytes);
        void* memory =
            mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
        if (memory == MAP_FAILED) return false;
        auto* mapping = new Mapping{memory, length};
        image = QImage(static_cast<uchar*>(memory), lWidth, lHeight, stride, QImage::Format_BGR888,
                       &unmapBuffer, mapping);
        if (image.isNull()) {
            unmapBuffer(mapping);
            return false;
        }
    } else {
        image = QImage(lWidth, lHeight, QImage::Format_BGR888);
        if (image.isNull() || image.bytesPerLine() != stride) return false;
        std::memset(image.bits(), 0, size_t(bytes));  // a new DIB section starts black
    }
    hDib = std::move(image);
    m_bmi = dib::Header24(lWidth, lHeight);
    return true;
}

bool cDIBSection::Create(int lWidth, int lHeight) {
    ClearUp();
    QImage image;
    if (!CreateDIB(lWidth, lHeight, image)) return false;
    m_image = std::make_unique<QImage>(std::move(image));
    m_bits = m_image->bits();
    return true;
}

bool cDIBSection::CreateInArena(const std::shared_ptr<FrameArena>& arena, int slot) {
    ClearUp();
    if (!arena) return false;
    uint8_t* memory = arena->Take(slot);
    if (!memory) return false;
    auto* hold = new std::shared_ptr<FrameArena>(arena);
    // Slots come zeroed from the kernel and are handed out once: the buffer starts black.
    QImage image(memory, arena->Width(), arena->Height(), arena->BytesPerLine(), QImage::Format_BGR888,
                 &releaseArena, hold);
    if (image.isNull()) {
        releaseArena(hold);
        return false;
    }
    m_image = std::make_unique<QImage>(std::move(image));
    m_bits = m_image->bits();
    m_bmi = dib::Header24(arena->Width(), arena->Height());
    return true;
}

bool cDIBSection::CreateFromPicture(const QImage& picThis) {
    if (picThis.isNull()) {
        ClearUp();
        return false;
    }
    if (!Create(picThis.width(), picThis.height())) return false;
    LoadPictureBlt(picThis, 0, 0, -1, -1, SRCCOPY);
    return true;
}

bool cDIBSection::CreateFromPackedDIB(const uint8_t* packed, size_t size) {
    if (!packed || size < size_t(dib::kInfoHeaderSize)) return false;
    const dib::BitmapInfoHeader h = dib::ReadInfoHeader(packed);
    if (h.biSize < uint32_t(dib::kInfoHeaderSize) || h.biSize > size) return false;
    if (h.biBitCount != 24 || h.biCompression != dib::kBiRgb || h.biPlanes != 1) return false;
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == std::numeric_limits<int32_t>::min()) return false;
    // A 24-bit bitmap may still carry an optional colour table before its rows.
    if (h.biClrUsed > 256) return false;
    const size_t offset = size_t(h.biSize) + size_t(h.biClrUsed) * 4;
    const int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    const int64_t stride = dib::Stride24(h.biWidth);
    if (offset > size || uint64_t(stride) * uint64_t(height) > uint64_t(size - offset)) return false;
    if (!Create(h.biWidth, height)) return false;
    const uint8_t* rows = packed + offset;
    for (int y = 0; y < height; ++y) {
        const int srcRow = h.biHeight > 0 ? height - 1 - y : y;
        std::memcpy(m_image->scanLine(y), rows + int64_t(srcRow) * stride, size_t(stride));
    }
    return true;
}

int cDIBSection::BytesPerScanLine() const {
    return (m_bmi.biWidth * 3 + 3) & ~3;
}

void cDIBSection::LoadPictureBlt(const QImage& lHDC, int lSrcLeft, int lSrcTop, int lSrcWidth, int lSrcHeight,
                                 int eRop) {
    (void)eRop;  // only plain copies are ever asked for
    if (!m_image || lHDC.isNull()) return;
    if (lSrcWidth < 0) lSrcWidth = m_image->width();
    if (lSrcHeight < 0) lSrcHeight = m_image->height();
    // Clip to both the source picture and this buffer; what lies outside is left as it is.
    const QRect wanted(lSrcLeft, lSrcTop, std::min(lSrcWidth, m_image->width()),
                       std::min(lSrcHeight, m_image->height()));
    const QRect src = wanted.intersected(lHDC.rect());
    if (src.isEmpty()) return;
    const QPoint dst = src.topLeft() - wanted.topLeft();
    const QImage part =
        lHDC.format() == QImage::Format_BGR888 ? lHDC : lHDC.copy(src).convertToFormat(QImage::Format_BGR888);
    const QPoint from = lHDC.format() == QImage::Format_BGR888 ? src.topLeft() : QPoint(0, 0);
    for (int y = 0; y < src.height(); ++y)
        std::memcpy(m_image->scanLine(dst.y() + y) + dst.x() * 3,
                    part.constScanLine(from.y() + y) + from.x() * 3, size_t(src.width()) * 3);
}

void cDIBSection::ClearUp() {
    m_image.reset();
    m_bits = nullptr;
}

std::unique_ptr<cDIBSection> cDIBSection::Resample(int lNewHeight, int lNewWidth) const {
    auto result = std::make_unique<cDIBSection>();
    if (!result->Create(lNewWidth, lNewHeight)) return nullptr;
    if (!m_image) return result;
    const int srcW = m_image->width();
    const int srcH = m_image->height();
    if (srcW == lNewWidth && srcH == lNewHeight) {
        result->LoadPictureBlt(*m_image, 0, 0, -1, -1, SRCCOPY);
        return result;
    }
    // Rows are counted from the bottom, as in the bitmap's own row order.
    const auto srcRow = [&](int yFromBottom) { return m_image->constScanLine(srcH - 1 - yFromBottom); };
    const float scaleX = float(srcW - 1) / float(lNewWidth);
    const float scaleY = float(srcH - 1) / float(lNewHeight);
    for (int y = 0; y < lNewHeight; ++y) {
        const float sy = float(y) * scaleY;
        const int y0 = int(sy);
        const float fy = sy - float(y0);
        // A one-row source has no second row to blend with.
        const int y1 = std::min(y0 + 1, srcH - 1);
        const uint8_t* row0 = srcRow(y0);
        const uint8_t* row1 = srcRow(y1);
        uint8_t* out = result->m_image->scanLine(lNewHeight - 1 - y);
        for (int x = 0; x < lNewWidth; ++x) {
            const float sx = float(x) * scaleX;
            const int x0 = int(sx);
            const float fx = sx - float(x0);
            const int x1 = std::min(x0 + 1, srcW - 1);
            for (int c = 0; c < 3; ++c) {
                const float left =
                    std::nearbyint(float(row0[3 * x0 + c]) * (1.0f - fy) + float(row1[3 * x0 + c]) * fy);
                const float right =
                    std::nearbyint(float(row0[3 * x1 + c]) * (1.0f - fy) + float(row1[3 * x1 + c]) * fy);
                out[3 * x + c] = clampByte(left * (1.0f - fx) + right * fx);
            }
        }
    }
    return result;
}

QByteArray cDIBSection::PackedDIB() const {
    if (!m_image) return {};
    const int height = m_image->height();
    const int64_t stride = dib::Stride24(m_image->width());
    QByteArray out(qsizetype(dib::kInfoHeaderSize + stride * height), Qt::Uninitialized);
    auto* p = reinterpret_cast<uint8_t*>(out.data());
    dib::WriteInfoHeader(p, m_bmi);
    p += dib::kInfoHeaderSize;
    for (int y = 0; y < height; ++y)
        std::memcpy(p + int64_t(y) * stride, m_image->constScanLine(height - 1 - y), size_t(stride));
    return out;
}

QByteArray cDIBSection::BmpFileBytes() const {
    const QByteArray packed = PackedDIB();
    if (packed.isEmpty()) return {};
    dib::BitmapFileHeader fh;
    fh.bfType = dib::kBmpType;
    fh.bfSize = uint32_t(dib::kFileHeaderSize + packed.size());
    fh.bfOffBits = dib::kFileHeaderSize + dib::kInfoHeaderSize;
    QByteArray out(dib::kFileHeaderSize, Qt::Uninitialized);
    dib::WriteFileHeader(reinterpret_cast<uint8_t*>(out.data()), fh);
    return out + packed;
}
