#include "records/RecordsScan.h"

#include "core/TextFields.h"

#include <algorithm>

RecordsScanner::Step RecordsScanner::take(std::string_view text, std::string_view raw, TextEncoding encoding,
                                          std::size_t index) {
    const std::size_t unit = isUtf16(encoding) ? 2 : 1;
    const RecordLine r = classifyRecordLine(text);
    if (r.kind == RecordLine::Header) {
        open_ = r.timeValid;
        if (!open_) return Step::Closed;
        header_.time = r.raceTime;
        stamp_ = r.stamp;
        header_.obstacle = isObstacleWord(raw.substr(0, unit * r.mode.size()), encoding);
        header_.headerLine = index;
        header_.endLine = index + 1;
        return Step::Opened;
    }
    if (r.kind != RecordLine::Contestant || !open_) return Step::Nothing;
    row_ = RecordsRow{raw.substr(0, unit * r.name.size()), r.elapsedMs, r.score, index};
    return Step::Row;
}

void forEachRecordsRace(std::string_view bytes,
                        const std::function<void(const RecordsRace&, TextEncoding)>& take) {
    std::size_t mark = 0;
    const TextEncoding encoding = detectLinesEncoding(bytes, &mark);
    RecordsScanner scanner;
    // Reused from race to race, so that a reader which needs each race once
    // allocates nothing per race.
    RecordsRace race{};
    bool open = false;
    const auto close = [&](std::size_t endLine) {
        if (!open) return;
        race.endLine = endLine;
        take(race, encoding);
        open = false;
    };
    std::size_t lines = 0;
    scanRecordLines(
        bytes, encoding, mark, true, scanner, [&](std::size_t, std::size_t, std::size_t) { ++lines; },
        [&](RecordsScanner::Step step, std::size_t index) {
            using Step = RecordsScanner::Step;
            if (step == Step::Opened || step == Step::Closed) close(index);
            if (step == Step::Opened) {
                const RecordsRace& header = scanner.header();
                race.time = header.time;
                race.stamp.assign(scanner.stamp());
                race.obstacle = header.obstacle;
                race.headerLine = header.headerLine;
                race.rows.clear();
                open = true;
            } else if (step == Step::Row) {
                race.rows.push_back(scanner.row());
            }
        });
    close(lines);
}

std::string_view RecordsNames::ansi(std::string_view fileName) {
    // Names in the program's own code page, and plain ASCII, need no turning:
    // the first question settles the file most often read, one a Chinese PC
    // wrote.
    if (encoding_ == TextEncoding::Cp936) return fileName;
    const bool ascii = std::all_of(fileName.begin(), fileName.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if ((ascii && !isUtf16(encoding_)) || lineEncoding(fileName, encoding_) == TextEncoding::Cp936) return fileName;
    auto found = known_.find(std::string(fileName));
    if (found == known_.end()) found = known_.emplace(std::string(fileName), toAnsi_(fileName, encoding_)).first;
    return found->second;
}
