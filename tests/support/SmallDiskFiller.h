#pragma once

#include <QString>

// The small disk of scripts/sandbox-small-disk.sh (QUORVEL_SMALL_DISK), filled by one file until
// the given number of pages is left; the file goes again with the filler.
class SmallDiskFiller {
public:
    // The size of a page of the sandbox's tmpfs, the unit in which files take room there.
    static constexpr qint64 pageBytes = 4096;

    explicit SmallDiskFiller(int pagesLeft);
    ~SmallDiskFiller();
    SmallDiskFiller(const SmallDiskFiller &) = delete;
    SmallDiskFiller &operator=(const SmallDiskFiller &) = delete;

    // Whether the disk was filled (writing stopped at "No space left on device").
    bool filled() const { return m_full; }

private:
    QString m_path;
    bool m_full = false;
};
