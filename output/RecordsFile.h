// The records file as the weekly board reads it at every refresh. While the
// file is left alone (same file, size and last write time, looked at long
// enough after that write), nothing is read. Otherwise the whole file is
// read and the bytes taken before are checked against a hash of them: when
// they are unchanged, only the lines after them go to the index; when
// anything before changed (an edit in place, a rewrite, a truncation, another
// file), the index is built again. The week's sums are computed anew every
// time, so the week still rolls over by itself.
//
// A file saved again by a spreadsheet may be UTF-8: its names are converted
// to the program's code page as the index takes them, so that they match the
// roster as text.
#pragma once

#include "core/TextEncoding.h"
#include "records/RecordsIndex.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

class RecordsFile {
public:
    enum class Read { Missing, Unreadable, Done };

    RecordsFile();

    // Brings the index up to the file's present content.
    Read update(const std::string& path);
    // The week's sums into `totals` (placed); true when the week has data.
    // Works from what the last good read left, also after a failed update.
    bool sumWeek(const LocalTime& now, const Contestant* roster, int count, Contestant* totals,
                 int* races = nullptr);
    // The weekly board of a whole class (RecordsIndex::sumClassWeek).
    int sumClassWeek(const LocalTime& now, const std::vector<std::string>& names, Contestant* totals,
                     bool* hasWeeklyData);
    // Whether a read has succeeded since the file was last found missing.
    bool hasGoodRead() const { return valid_; }
    void forget();

    // How the last update read the file (for tests and the benchmark):
    // whether the index was built again, and how many bytes were read.
    bool lastReadWasWhole() const { return lastWhole_; }
    uint64_t lastBytesRead() const { return lastBytesRead_; }
    TextEncoding encoding() const { return encoding_; }

private:
    struct Identity {
        DWORD volume = 0;
        DWORD indexHigh = 0;
        DWORD indexLow = 0;
        bool operator==(const Identity& o) const {
            return volume == o.volume && indexHigh == o.indexHigh && indexLow == o.indexLow;
        }
    };

    static bool readAll(HANDLE file, uint64_t size, std::string* bytes);
    // The week's sums as `sum` makes them of the index, pruned to the week,
    // with an unended last line as a whole read would take it.
    template <typename Sum>
    auto ofWeek(const LocalTime& now, Sum&& sum);
    void rebuild(const std::string& bytes);
    void takeFrom(const std::string& bytes);

    RecordsIndex index_;
    // What the file looked like at the last look.
    Identity identity_;
    uint64_t size_ = 0;
    uint64_t writeTime_ = 0;
    // Whether that look came long enough after the last write that any later
    // write must show in the write time.
    bool settled_ = false;

    uint64_t seen_ = 0;           // bytes of the file taken so far
    uint64_t hash_ = 0;           // of those bytes
    uint64_t fed_ = 0;            // of them, those that went to the index as whole lines
    std::string tail_;            // the rest: an unterminated last line
    size_t markLength_ = 0;
    TextEncoding encoding_ = TextEncoding::Cp936;
    EncodingEvidence evidence_;   // of the lines fed, without a mark

    int64_t prunedBefore_ = INT64_MIN;
    int64_t lastNow_ = INT64_MIN;
    bool valid_ = false;
    bool lastWhole_ = false;
    uint64_t lastBytesRead_ = 0;
    std::string path_;
};
