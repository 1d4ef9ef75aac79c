#pragma once
// The list of recently opened clips, and the reader and writer of every persistent
// setting of the program: the recent files, the working folder, the model folder, the
// tool window positions and the style of new marks (all but the files live in the Globals
// handed in). All of it is kept in one registry key, which the caller selects on the
// cRegistry it hands in.

#include <QString>

#include <vector>

class cRegistry;
struct Globals;

class cMRUFileList {
public:
    // The File menu has four recent-file slots; a stored capacity is never taken above it.
    static constexpr int kMenuSlots = 4;

    // The folders, positions and mark style are read from and stored into `program`.
    explicit cMRUFileList(Globals& program) : program_(program) {}

    // The capacity. Setting a different value resizes the list, keeping the entries that
    // still fit (the count shrinks with it); a capacity below 1 raises "Subscript out of
    // range" (9) and leaves the list as it was.
    int MaxFileCount() const { return capacity_; }
    void SetMaxFileCount(int value);

    int FileCount() const { return count_; }
    // Entry i, 1-based, the most recent first; an index outside 1 ... capacity raises
    // "Subscript out of range" (9).
    QString File(int i) const;
    bool FileExists(int i) const;
    // "&<i>)  " and the path, shortened to its last folders when it is long.
    QString MenuCaption(int i) const;

    // Puts the path at the top; a path already listed (the same text, or the same file as
    // the file system tells it) moves up, otherwise the last entry drops out of a full list.
    void AddFile(const QString& path);

    // Each returns true, or false when anything failed; nothing is shown to the user. Each
    // save writes its values at once, all or none; paths and folders as plain text.
    // SaveSettings writes everything the other saves write, in one go.
    bool SaveSettings(cRegistry& registry) const;
    bool Save(cRegistry& registry) const;
    bool Load(cRegistry& registry);
    bool SaveDir(cRegistry& registry) const;
    bool LoadDir(cRegistry& registry);
    bool SaveModelDir(cRegistry& registry) const;
    bool LoadModelDir(cRegistry& registry);
    bool SaveToolCoor(cRegistry& registry) const;
    bool LoadToolCoor(cRegistry& registry);
    // The style of new marks; a stored width outside 1..5 is brought within.
    bool LoadMarkStyle(cRegistry& registry);

private:
    // The short form of a long path for the menu: "..." and its last folders.
    static QString ShortPath(const QString& path);
    void checkIndex(int i) const;

    Globals& program_;
    int capacity_ = 0;
    int count_ = 0;
    std::vector<QString> entries_;  // entries_[i - 1] is entry i
};
