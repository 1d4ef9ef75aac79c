#pragma once
// A clip's frames as a worker thread reads them (an export, the key-position search): frame n
// decoded on that thread by a reader of its own when it is not in memory, so the user-interface
// thread neither waits for the worker nor shares a decoder with it. One worker per object.

class cDIBSection;

class WorkerFrames {
public:
    virtual ~WorkerFrames() = default;
    // Frame n, or when it cannot be had the nearest one before it that can; null when there is
    // none. Any order; in sequence is fastest. The picture stays valid until the next call.
    virtual const cDIBSection* Frame(int n) = 0;
    // Whether the frames are the source's own, kept in memory: then Kept(n) hands out frame n (null
    // when the clip has none there) without any decoding, a picture that stays put for as long as
    // the source holds it; else Kept gives null and only Frame, on the worker, has the frames.
    virtual bool KeepsFrames() const { return false; }
    virtual const cDIBSection* Kept(int n) const {
        (void)n;
        return nullptr;
    }
};
