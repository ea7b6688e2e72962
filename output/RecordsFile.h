// The records file as the weekly board reads it at every refresh: only the
// bytes appended since the last look are read, and the whole file again when
// it shrank, was replaced, or its beginning changed. The week's sums are
// computed anew every time, so the week still rolls over by itself.
#pragma once

#include "output/Leaderboard.h"

#include <windows.h>

#include <string>

class RecordsFile {
public:
    enum class Read { Missing, Unreadable, Done };

    // Brings the index up to the file's present content.
    Read update(const std::string& path);
    // The week's sums into `totals` (placed); true when the week has data.
    // Works from what the last good read left, also after a failed update.
    bool sumWeek(const LocalTime& now, const Contestant* roster, int count, Contestant* totals,
                 int* races = nullptr);
    // Whether a read has succeeded since the file was last found missing.
    bool hasGoodRead() const { return valid_; }
    void forget();

    // How the last update read the file (for tests and the benchmark).
    bool lastReadWasWhole() const { return lastWhole_; }

private:
    struct Identity {
        DWORD volume = 0;
        DWORD indexHigh = 0;
        DWORD indexLow = 0;
        bool operator==(const Identity& o) const {
            return volume == o.volume && indexHigh == o.indexHigh && indexLow == o.indexLow;
        }
    };

    bool readFrom(HANDLE file, uint64_t offset, std::string* bytes);
    static std::string readHead(HANDLE file);
    void takeBytes(const std::string& bytes);

    RecordsIndex index_;
    Identity identity_;
    uint64_t consumed_ = 0;      // bytes of the file fed to the index
    std::string head_;           // the file's first bytes, to see a rewrite
    std::string tail_;           // an unterminated last line, not fed yet
    int64_t prunedBefore_ = INT64_MIN;
    int64_t lastNow_ = INT64_MIN;
    bool valid_ = false;
    bool lastWhole_ = false;
    std::string path_;
};
