#include "output/RecordsFile.h"

#include "framework/Handles.h"

namespace {
const size_t kHeadBytes = 256;
}

void RecordsFile::forget() {
    index_.reset();
    consumed_ = 0;
    head_.clear();
    tail_.clear();
    prunedBefore_ = INT64_MIN;
    valid_ = false;
}

bool RecordsFile::readFrom(HANDLE file, uint64_t offset, std::string* bytes) {
    LARGE_INTEGER at;
    at.QuadPart = (LONGLONG)offset;
    if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) return false;
    char chunk[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) return false;
        if (got == 0) return true;
        bytes->append(chunk, got);
    }
}

std::string RecordsFile::readHead(HANDLE file) {
    std::string head(kHeadBytes, '\0');
    LARGE_INTEGER zero = {};
    DWORD got = 0;
    if (!SetFilePointerEx(file, zero, nullptr, FILE_BEGIN) ||
        !ReadFile(file, &head[0], (DWORD)head.size(), &got, nullptr))
        got = 0;
    head.resize(got);
    return head;
}

void RecordsFile::takeBytes(const std::string& bytes) {
    // Only whole lines go in; an unterminated last line waits for the rest.
    std::string all = tail_ + bytes;
    const size_t lastBreak = all.rfind('\n');
    if (lastBreak == std::string::npos) {
        tail_ = all;
        return;
    }
    index_.feed(std::string_view(all).substr(0, lastBreak + 1));
    tail_ = all.substr(lastBreak + 1);
}

RecordsFile::Read RecordsFile::update(const std::string& path) {
    lastWhole_ = false;
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        forget();
        return Read::Missing;
    }
    ScopedFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!file || !GetFileInformationByHandle(file.get(), &info)) return Read::Unreadable;
    const Identity identity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    const uint64_t size = ((uint64_t)info.nFileSizeHigh << 32) | info.nFileSizeLow;

    std::string head;
    const bool sameFile =
        valid_ && path == path_ && identity == identity_ && size >= consumed_ + tail_.size();
    if (sameFile) {
        head.resize(std::min<uint64_t>(head_.size(), size));
        DWORD got = 0;
        if (!head.empty() && !ReadFile(file.get(), &head[0], (DWORD)head.size(), &got, nullptr))
            return Read::Unreadable;
        head.resize(got);
    }
    const bool append = sameFile && head == head_;
    const uint64_t start = append ? consumed_ + tail_.size() : 0;
    std::string bytes;
    if (!readFrom(file.get(), start, &bytes)) return Read::Unreadable;

    if (!append) {
        forget();
        lastWhole_ = true;
    }
    takeBytes(bytes);
    consumed_ = start + bytes.size() - tail_.size();
    if (head_.size() < kHeadBytes) head_ = readHead(file.get());
    identity_ = identity;
    path_ = path;
    valid_ = true;
    return Read::Done;
}

bool RecordsFile::sumWeek(const LocalTime& now, const Contestant* roster, int count,
                          Contestant* totals, int* races) {
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
    if (tail_.empty()) return index_.sumWeek(now, roster, count, totals, races);
    // A last line without its line end counts as a whole read would count it.
    RecordsIndex withTail = index_;
    withTail.feed(tail_);
    withTail.finish();
    return withTail.sumWeek(now, roster, count, totals, races);
}
