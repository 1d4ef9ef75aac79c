#include "imaging/FrameArena.h"

#include "imaging/DibFormat.h"

#include <limits>
#include <system_error>

#include <sys/mman.h>

namespace {

constexpr size_t kCacheLine = 64;

size_t roundUp(size_t n, size_t to) {
    return (n + to - 1) / to * to;
}

}  // namespace

std::shared_ptr<FrameArena> FrameArena::Create(int slots, int width, int height) {
    if (slots <= 0 || width <= 0 || height <= 0) return nullptr;
    // The same limits as a single buffer: a 32-bit image size, int rows for Qt.
    const int64_t stride = dib::Stride24(width);
    if (stride > std::numeric_limits<int32_t>::max() / height) return nullptr;
    const size_t slotBytes = roundUp(size_t(stride) * size_t(height), kCacheLine);
    if (size_t(slots) > (std::numeric_limits<size_t>::max() / 2) / slotBytes) return nullptr;
    const size_t length = roundUp(size_t(slots) * slotBytes, kHugePageBytes);

    // Map one huge page more than needed, then cut the unaligned ends away: a huge page can
    // only back a 2 MiB-aligned range.
    void* raw =
        mmap(nullptr, length + kHugePageBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    const auto rawStart = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t start = roundUp(rawStart, kHugePageBytes);
    const size_t head = start - rawStart;
    const size_t tail = kHugePageBytes - head;
    if (head > 0) munmap(raw, head);
    if (tail > 0) munmap(reinterpret_cast<void*>(start + length), tail);
    auto* memory = reinterpret_cast<uint8_t*>(start);
    if (madvise(memory, length, MADV_HUGEPAGE) != 0) {
        munmap(memory, length);
        return nullptr;
    }

    std::shared_ptr<FrameArena> arena(new FrameArena);
    arena->m_memory = memory;
    arena->m_length = length;
    arena->m_slots = slots;
    arena->m_width = width;
    arena->m_height = height;
    arena->m_stride = int(stride);
    arena->m_slotBytes = slotBytes;
    arena->m_taken.assign(size_t(slots), false);
    // Back to front, a huge page at a time: the decoder's writes start at the front, so the two
    // rarely wait for the same page; where they meet, pages already there cost nothing more.
    // Populating never changes what is in a page. A kernel without the call stops it at once.
    try {
        arena->m_prefault = std::jthread([memory, length](std::stop_token stop) {
            for (size_t end = length; end > 0 && !stop.stop_requested(); end -= kHugePageBytes)
                if (madvise(memory + end - kHugePageBytes, kHugePageBytes, MADV_POPULATE_WRITE) != 0) break;
        });
    } catch (const std::system_error&) {
        // No thread to spare: the decoder's own writes fault the pages in.
    }
    return arena;
}

FrameArena::~FrameArena() {
    if (m_prefault.joinable()) {
        m_prefault.request_stop();
        m_prefault.join();
    }
    if (m_memory) munmap(m_memory, m_length);
}

uint8_t* FrameArena::Take(int i) {
    if (i < 0 || i >= m_slots || m_taken[size_t(i)]) return nullptr;
    m_taken[size_t(i)] = true;
    return m_memory + size_t(i) * m_slotBytes;
}
