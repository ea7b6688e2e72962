// How the lines of the records file make races: the one way the weekly
// index, the corrections document and the term board all take them. A
// header line whose time stamp reads opens a race; each contestant line after
// it is a row of that race; the next header closes it. The lines after a
// header whose time stamp cannot be read, and those before the first header,
// belong to no race. Works on the bytes as they lie on the disk, in any
// encoding the records reader takes (code page 936, UTF-8 with or without a
// mark, UTF-16 LE or BE with a mark); the names stay as the file holds them
// until a reader turns them into the program's text (RecordsNames).
#pragma once

#include "core/TextEncoding.h"
#include "core/TimeStamp.h"
#include "records/RecordLines.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct RecordsRow {
    std::string_view name;  // field 0 as the file holds it: its encoding, the record form (，：)
    int32_t elapsedMs;
    int32_t score;
    std::size_t line;       // the line's index in the bytes scanned, from 0
};

struct RecordsRace {
    LocalTime time;          // of its header line
    std::string stamp;       // the header's time stamp as written (ASCII)
    bool obstacle;           // the header's mode word is 障碍赛
    std::size_t headerLine;
    std::size_t endLine;     // one past its last line: the next header line, or the end
    std::vector<RecordsRow> rows;  // its contestant lines, in file order
};

// The grouping, a line at a time, so that a reader that takes the file in
// pieces groups its lines exactly as a reader of the whole file.
class RecordsScanner {
public:
    enum class Step {
        Nothing,  // the line belongs to no race
        Opened,   // a new race begins (the race open before, if any, is over): header()
        Closed,   // the race open before, if any, is over, and none is open
        Row,      // a row of the race open: row()
    };
    // One line without its line end: `text` as the rules read it (for UTF-16
    // a byte per code unit, as asciiView gives it) and `raw` the same line as
    // the file holds it in `encoding`.
    Step take(std::string_view text, std::string_view raw, TextEncoding encoding, std::size_t index);
    bool open() const { return open_; }
    // The lines that follow belong to no race until a header opens one.
    void close() { open_ = false; }
    // The race last opened (its rows left empty, and its stamp, which a
    // reader that keeps the race copies from stamp(): the weekly index needs
    // none) and the row last taken.
    const RecordsRace& header() const { return header_; }
    std::string_view stamp() const { return stamp_; }
    const RecordsRow& row() const { return row_; }

private:
    bool open_ = false;
    RecordsRace header_{};
    std::string_view stamp_;  // in the line taken last
    RecordsRow row_{};
};

// Every line of `bytes` (its byte-order mark, if any, `markLength` bytes at
// the start) through `scanner`: onLine(begin, contentEnd, end), byte offsets
// of the line in `bytes` with its line end between the last two, then
// onStep(step, index). With `toEnd` false a last line without its line end is
// left for the next piece; returns where the bytes not taken begin.
template <typename OnLine, typename OnStep>
std::size_t scanRecordLines(std::string_view bytes, TextEncoding encoding, std::size_t markLength, bool toEnd,
                            RecordsScanner& scanner, OnLine&& onLine, OnStep&& onStep) {
    // UTF-16 is split and classified on a view of a byte per code unit; the
    // lines keep the byte ranges of the file itself.
    const bool wide = isUtf16(encoding);
    const std::string view = wide ? asciiView(bytes) : std::string();
    const std::string_view text = wide ? std::string_view(view) : bytes;
    const std::size_t unit = wide ? 2 : 1;
    const std::size_t base = wide ? markLength : 0;
    const auto byteAt = [&](std::size_t i) { return base + unit * i; };
    std::size_t index = 0, begin = wide ? 0 : markLength;
    for (; begin < text.size(); ++index) {
        const std::size_t end = lineEnd(text, begin);
        const std::size_t stop = lineContentEnd(text, begin, end);
        if (!toEnd && stop == end) break;
        onLine(byteAt(begin), byteAt(stop), byteAt(end));
        const std::string_view raw = bytes.substr(byteAt(begin), unit * (stop - begin));
        onStep(scanner.take(text.substr(begin, stop - begin), raw, encoding, index), index);
        begin = end;
    }
    // An odd last byte of a UTF-16 file belongs to no line.
    return begin >= text.size() ? bytes.size() : byteAt(begin);
}

// The races of records bytes (a whole file) one after another, each with all
// its rows, without keeping them: for a reader that needs each race once and
// no memory for a file of years. `take` gets each race (its names point into
// `bytes`; the race is gone when take returns) and the file's encoding.
void forEachRecordsRace(std::string_view bytes,
                        const std::function<void(const RecordsRace&, TextEncoding)>& take);

// Turns a name as the records file holds it, in the file's encoding, into
// the program's text (code page 936), so that the lines of a UTF-8 file and
// those an older version appended in code page 936 name the same child alike.
// The conversion itself is the system's, handed in.
using NameToAnsi = std::function<std::string(std::string_view name, TextEncoding fileEncoding)>;

// The names of one file as the program's text, each distinct name turned
// once however often the file repeats it.
class RecordsNames {
public:
    RecordsNames(NameToAnsi toAnsi, TextEncoding encoding) : toAnsi_(std::move(toAnsi)), encoding_(encoding) {}
    // The name itself where it needs no turning, else its turned text kept
    // here; valid while the name's bytes and this object are.
    std::string_view ansi(std::string_view fileName);

private:
    NameToAnsi toAnsi_;
    TextEncoding encoding_;
    std::unordered_map<std::string, std::string> known_;
};
