#pragma once
// One block of memory for all the frames of a clip, cut into equal slots of one frame each.
// Asking the kernel for a frame's worth of fresh 4 KiB pages costs more than decoding the
// frame; one block backed by transparent huge pages takes one fault per 2 MiB instead, and a
// helper thread faults the block in from its far end while the decoder fills it from the
// front, so what first touch still costs (in a virtual machine, mostly the host's share) is
// paid beside the decoding rather than in it.
// The block is shared: the store that reserved it and every picture over one of its slots
// hold it, so no picture can outlive the memory under it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

class FrameArena {
public:
    // Bytes of the huge pages the block is aligned to and rounded up to.
    static constexpr size_t kHugePageBytes = size_t(2) << 20;

    // A block of `slots` top-down 24-bit frames of width x height, zeroed by the kernel; null
    // when the sizes are unusable, the memory cannot be mapped or it cannot have huge pages
    // (with 4 KiB pages one block faults in slower than frames mapped one by one).
    static std::shared_ptr<FrameArena> Create(int slots, int width, int height);
    ~FrameArena();
    FrameArena(const FrameArena&) = delete;
    FrameArena& operator=(const FrameArena&) = delete;

    int Slots() const { return m_slots; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int BytesPerLine() const { return m_stride; }
    // Distance between the starts of two slots (a frame, rounded up to a cache line).
    size_t SlotBytes() const { return m_slotBytes; }
    // The whole mapping, for the tests and the memory figures.
    const void* Base() const { return m_memory; }
    size_t MappedBytes() const { return m_length; }

    // First byte of slot i, handed out once so that no two pictures share memory; null when
    // i is outside the block or the slot was already taken.
    uint8_t* Take(int i);

private:
    FrameArena() = default;

    uint8_t* m_memory = nullptr;
    size_t m_length = 0;
    int m_slots = 0;
    int m_width = 0;
    int m_height = 0;
    int m_stride = 0;
    size_t m_slotBytes = 0;
    std::vector<bool> m_taken;
    // Stopped and joined before the block is unmapped.
    std::jthread m_prefault;
};
