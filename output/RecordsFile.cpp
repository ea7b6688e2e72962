#include "output/RecordsFile.h"

#include "core/Core.h"
#include "framework/Handles.h"

#include <algorithm>
#include <cstring>

namespace {

// FAT keeps write times to two seconds, and the system clock a write time
// is taken from ticks coarsely: a write within this much of a look may not
// change the write time that look saw.
const uint64_t kSettleTime = 3ull * 10000000;  // in 100 ns

// A hash of the whole of `bytes`, eight bytes at a step: a file of many
// megabytes is checked in a few milliseconds.
uint64_t hashOf(std::string_view bytes) {
    const uint64_t k = 0x9E3779B97F4A7C15ull;
    uint64_t hash = 0xCBF29CE484222325ull ^ (bytes.size() * k);
    size_t pos = 0;
    for (; pos + 8 <= bytes.size(); pos += 8) {
        uint64_t word;
        std::memcpy(&word, bytes.data() + pos, 8);
        hash = (hash ^ word) * k;
        hash ^= hash >> 29;
    }
    for (; pos < bytes.size(); ++pos) {
        hash = (hash ^ static_cast<unsigned char>(bytes[pos])) * k;
        hash ^= hash >> 29;
    }
    return hash;
}

uint64_t asNumber(FILETIME t) { return (uint64_t)t.dwHighDateTime << 32 | t.dwLowDateTime; }

// Where the whole lines of `bytes` end: just past its last CR or LF.
size_t wholeLinesEnd(std::string_view bytes) {
    const size_t last = bytes.find_last_of("\r\n");
    return last == std::string_view::npos ? 0 : last + 1;
}

}  // namespace

RecordsFile::RecordsFile() : index_(fileTextToAnsi) {}

void RecordsFile::forget() {
    index_.reset();
    seen_ = 0;
    hash_ = 0;
    fed_ = 0;
    tail_.clear();
    markLength_ = 0;
    encoding_ = TextEncoding::Cp936;
    evidence_.clear();
    prunedBefore_ = INT64_MIN;
    valid_ = false;
}

bool RecordsFile::readAll(HANDLE file, uint64_t size, std::string* bytes) {
    // Read straight into place; a file that grew meanwhile is read to its end.
    bytes->resize((size_t)size + 1);
    size_t got = 0;
    for (;;) {
        if (got == bytes->size()) bytes->resize(got + 64 * 1024);
        DWORD n = 0;
        const DWORD want = (DWORD)std::min<size_t>(bytes->size() - got, 1 << 24);
        if (!ReadFile(file, &(*bytes)[got], want, &n, nullptr)) return false;
        if (n == 0) break;
        got += n;
    }
    bytes->resize(got);
    return true;
}

void RecordsFile::rebuild(const std::string& bytes) {
    forget();
    lastWhole_ = true;
    const std::string_view all(bytes);
    encoding_ = byteOrderMark(all, &markLength_);
    seen_ = bytes.size();
    hash_ = hashOf(all);
    if (isUtf16(encoding_)) {
        // Seldom seen and read whole every time it changes.
        index_.reset(encoding_, markLength_);
        index_.feed(all);
        index_.finish();
        fed_ = seen_;
        return;
    }
    const size_t linesEnd = std::max(wholeLinesEnd(all), markLength_);
    if (markLength_ == 0) {
        evidence_.addUtf8Lines(all.substr(0, linesEnd));
        encoding_ = evidence_.verdict();
    }
    index_.reset(encoding_, markLength_);
    index_.feed(all.substr(0, linesEnd));
    fed_ = linesEnd;
    tail_ = bytes.substr(linesEnd);
}

void RecordsFile::takeFrom(const std::string& bytes) {
    const std::string_view rest = std::string_view(bytes).substr(fed_);
    const size_t linesEnd = wholeLinesEnd(rest);
    if (linesEnd > 0 && markLength_ == 0) {
        evidence_.addUtf8Lines(rest.substr(0, linesEnd));
        if (evidence_.verdict() != encoding_) {
            // The new lines tip the file's encoding: read it all that way.
            rebuild(bytes);
            return;
        }
    }
    index_.feed(rest.substr(0, linesEnd));
    fed_ += linesEnd;
    tail_.assign(rest.substr(linesEnd));
    if (bytes.size() != seen_) hash_ = hashOf(bytes);
    seen_ = bytes.size();
}

RecordsFile::Read RecordsFile::update(const std::string& path) {
    lastWhole_ = false;
    lastBytesRead_ = 0;
    ScopedFile file(CCore::openFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
    const DWORD error = file ? 0 : GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        forget();
        return Read::Missing;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!file || !GetFileInformationByHandle(file.get(), &info)) return Read::Unreadable;
    const Identity identity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    const uint64_t size = ((uint64_t)info.nFileSizeHigh << 32) | info.nFileSizeLow;
    const uint64_t writeTime = asNumber(info.ftLastWriteTime);
    if (valid_ && settled_ && path == path_ && identity == identity_ && size == size_ &&
        writeTime == writeTime_)
        return Read::Done;

    std::string bytes;
    if (!readAll(file.get(), size, &bytes)) return Read::Unreadable;
    lastBytesRead_ = bytes.size();
    FILETIME nowFt;
    GetSystemTimeAsFileTime(&nowFt);
    const uint64_t now = asNumber(nowFt);
    settled_ = bytes.size() == size && now >= writeTime && now - writeTime >= kSettleTime;

    const bool sameStart = valid_ && path == path_ && !isUtf16(encoding_) && bytes.size() >= seen_ &&
                           hashOf(std::string_view(bytes).substr(0, seen_)) == hash_;
    if (sameStart) {
        takeFrom(bytes);
    } else {
        rebuild(bytes);
    }
    identity_ = identity;
    size_ = size;
    writeTime_ = writeTime;
    path_ = path;
    valid_ = true;
    return Read::Done;
}

template <typename Sum>
auto RecordsFile::ofWeek(const LocalTime& now, Sum&& sum) {
    const int64_t nowSerial = toSerialSeconds(now);
    const int64_t weekStart = toSerialSeconds(weekWindowStart(now));
    if (nowSerial < lastNow_ && prunedBefore_ > weekStart) {
        // The clock went back past what was forgotten: read everything again.
        forget();
        update(path_);
    }
    lastNow_ = nowSerial;
    if (weekStart > prunedBefore_) {
        index_.dropRacesBefore(weekStart);
        prunedBefore_ = weekStart;
    }
    if (tail_.empty()) return sum(index_);
    // A last line without its line end counts as a whole read would count it.
    RecordsIndex withTail = index_;
    withTail.feed(tail_);
    withTail.finish();
    return sum(withTail);
}

bool RecordsFile::sumWeek(const LocalTime& now, const Contestant* roster, int count,
                          Contestant* totals, int* races) {
    return ofWeek(now, [&](const RecordsIndex& index) { return index.sumWeek(now, roster, count, totals, races); });
}

int RecordsFile::sumClassWeek(const LocalTime& now, const std::vector<std::string>& names, Contestant* totals,
                              bool* hasWeeklyData) {
    return ofWeek(now, [&](const RecordsIndex& index) { return index.sumClassWeek(now, names, totals, hasWeeklyData); });
}
