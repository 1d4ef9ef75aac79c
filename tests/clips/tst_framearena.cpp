// One block of memory per clip: slots, the pictures over them, and who lets the block go. (The
// window's clips, each in its own block: the clip-loading test.)

#include "ClipWriter.h"
#include "NumberedClip.h"
#include "clips/FrameStore.h"
#include "clips/cVideo.h"
#include "imaging/FrameArena.h"
#include "imaging/cDIBSection.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

namespace {

// True while any page of [base, base + length) is still mapped in this process.
bool anyPageMapped(const void* base, size_t length) {
    const size_t page = size_t(sysconf(_SC_PAGESIZE));
    for (size_t offset = 0; offset < length; offset += page) {
        unsigned char one = 0;
        if (mincore(const_cast<char*>(static_cast<const char*>(base)) + offset, page, &one) == 0) return true;
        if (errno != ENOMEM) return true;  // cannot tell: count it as mapped
    }
    return false;
}

bool inside(const void* p, const FrameArena& arena) {
    const auto* base = static_cast<const uint8_t*>(arena.Base());
    return p >= base && p < base + arena.MappedBytes();
}

}  // namespace

class TestFrameArena : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> clips_;
    QString raw_;  // 12 raw frames of 66 x 30: rows of 198 bytes padded to 200

private slots:
    void initTestCase() {
        // A kernel without transparent huge pages gives no blocks; frames then get their own
        // memory, which the other suites cover.
        if (!FrameArena::Create(1, 1, 1)) QSKIP("this kernel has no huge-page blocks");
        clips_ = std::make_unique<QTemporaryDir>();
        raw_ = WriteNumberedClip(clips_->path(), QStringLiteral("raw.avi"), 12, 66, 30, cliptools::Codec::RawBGR24);
    }

    void slotsAreAlignedPaddedZeroedAndHandedOutOnce() {
        const auto arena = FrameArena::Create(3, 33, 7);
        QVERIFY(arena);
        QCOMPARE(arena->BytesPerLine(), 100);  // 99 bytes of pixels, padded to four
        QCOMPARE(arena->SlotBytes() % 64, size_t(0));
        QVERIFY(arena->SlotBytes() >= size_t(700));
        QCOMPARE(reinterpret_cast<uintptr_t>(arena->Base()) % FrameArena::kHugePageBytes, uintptr_t(0));
        QCOMPARE(arena->MappedBytes() % FrameArena::kHugePageBytes, size_t(0));
        QVERIFY(arena->MappedBytes() >= 3 * arena->SlotBytes());
        uint8_t* s0 = arena->Take(0);
        uint8_t* s2 = arena->Take(2);
        QVERIFY(s0 && s2);
        QCOMPARE(size_t(s2 - s0), 2 * arena->SlotBytes());
        QVERIFY(std::all_of(s2, s2 + 700, [](uint8_t b) { return b == 0; }));
        QVERIFY(!arena->Take(0) && !arena->Take(-1) && !arena->Take(3));  // never twice, never outside
        QVERIFY(arena->Take(1));
        const int big = std::numeric_limits<int>::max();  // rows beyond 32 bits
        const std::tuple<int, int, int> refused[] = {{0, 33, 7}, {3, 0, 7}, {3, 33, -7}, {3, big, 7}, {big, 30000, 30000}};
        for (const auto& [count, w, h] : refused) QVERIFY(!FrameArena::Create(count, w, h));
    }

    // Dropped at once, while its helper thread may still be bringing the block in: nothing of
    // it is left mapped.
    void aBlockDroppedAtOnceLeavesNothingMapped() {
        for (int i = 0; i < 3; ++i) {
            auto big = FrameArena::Create(200, 1280, 720);
            QVERIFY(big);
            const void* base = big->Base();
            const size_t length = big->MappedBytes();
            big.reset();
            QVERIFY(!anyPageMapped(base, length));
        }
    }

    void aBufferOverASlotBehavesLikeItsOwn() {
        const auto arena = FrameArena::Create(2, 33, 7);
        QVERIFY(arena);
        cDIBSection over, own;
        QVERIFY(over.CreateInArena(arena, 1));
        QVERIFY(own.Create(33, 7));
        QVERIFY(inside(over.DIBSectionBitsPtr(), *arena));
        QCOMPARE(*over.HDC(), *own.HDC());  // the same size, format and black
        // Written through the bits pointer, seen in the picture (row 0 on top) and all made from it.
        for (cDIBSection* d : {&over, &own})
            for (int y = 0; y < 7; ++y)
                for (int x = 0; x < 33; ++x) {
                    uint8_t* p = d->DIBSectionBitsPtr() + y * d->BytesPerScanLine() + 3 * x;
                    p[0] = uint8_t(x), p[1] = uint8_t(y), p[2] = uint8_t(x * y);
                }
        QCOMPARE(over.HDC()->pixelColor(5, 6), QColor(30, 6, 5));
        QCOMPARE(over.BmpFileBytes(), own.BmpFileBytes());
        // A slot already in use, or no arena: refused, and the buffer is left empty.
        cDIBSection again;
        QVERIFY(!again.CreateInArena(arena, 1) && !again.HDC());
        QVERIFY(!again.CreateInArena(nullptr, 0) && !again.DIBSectionBitsPtr());
        // An ordinary buffer can take a slot after all and give it back for memory of its own.
        QVERIFY(own.CreateInArena(arena, 0) && inside(own.DIBSectionBitsPtr(), *arena));
        QVERIFY(own.Create(10, 10) && !inside(own.DIBSectionBitsPtr(), *arena));
    }

    void theBlockLivesAsLongAsAnyPictureOverIt() {
        auto arena = FrameArena::Create(4, 64, 48);
        QVERIFY(arena);
        const std::weak_ptr<FrameArena> watch = arena;
        const void* base = arena->Base();
        const size_t length = arena->MappedBytes();
        auto dib = std::make_unique<cDIBSection>();
        QVERIFY(dib->CreateInArena(arena, 2));
        dib->DIBSectionBitsPtr()[0] = 0x7F;
        arena.reset();
        QVERIFY(!watch.expired());  // the buffer holds it
        QImage copy = *dib->HDC();  // and so does a copy of its picture
        dib->ClearUp();
        QVERIFY(!watch.expired());
        QCOMPARE(copy.constScanLine(0)[0], uint8_t(0x7F));
        dib.reset();
        QVERIFY(anyPageMapped(base, length));
        copy = QImage();
        QVERIFY(watch.expired());
        QVERIFY(!anyPageMapped(base, length));
    }

    void theStoreFillsSlotsInPlaceAndFreesTheBlockOnRelease() {
        cVideo reader;
        QVERIFY(reader.OpenAviFile(raw_));
        auto store = std::make_unique<FrameStore>();
        store->ReserveFrames(reader.NumberOfFrames(), reader.FrameWidth(), reader.FrameHeight());
        QVERIFY(store->arena);
        QCOMPARE(store->arena->Slots(), 12);
        for (int i = 0; i < 12; ++i) {
            auto dib = store->NewFrame(i);
            uint8_t* slot = dib->DIBSectionBitsPtr();
            QVERIFY(reader.GetFrameInto(i, *dib));
            QCOMPARE(dib->DIBSectionBitsPtr(), slot);  // decoded where it was, not reallocated
            store->frames[size_t(i)] = std::move(dib);
        }
        // What lands in a slot is the frame itself: the frame-safety test, for every format.
        for (int i = 0; i < 12; ++i) QVERIFY(inside(store->Frame(i)->DIBSectionBitsPtr(), *store->arena));
        // A slot past the block, or no block at all, still gives a buffer; the reader gives it
        // memory of its own.
        const auto ownMemory = [&](int slot) {
            auto extra = store->NewFrame(slot);
            return !extra->HDC() && reader.GetFrameInto(3, *extra) &&
                   (!store->arena || !inside(extra->DIBSectionBitsPtr(), *store->arena));
        };
        QVERIFY(ownMemory(12));
        const std::weak_ptr<FrameArena> watch = store->arena;
        const void* base = store->arena->Base();
        const size_t length = store->arena->MappedBytes();
        store->Release();
        QVERIFY(!store->Frame(0) && !store->arena);
        QVERIFY(watch.expired());
        QVERIFY(!anyPageMapped(base, length));
        store->ReserveFrames(0, reader.FrameWidth(), reader.FrameHeight());  // nothing to reserve
        QVERIFY(!store->arena);
        QVERIFY(ownMemory(0));
    }
};

QTEST_MAIN(TestFrameArena)
#include "tst_framearena.moc"
