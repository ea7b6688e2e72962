#include "race/ClassSavePlan.h"

#include "core/FileRules.h"
#include "core/TextFields.h"

#include <map>
#include <string_view>
#include <utility>

namespace {

const char* const PHOTO = "照片";
const char* const NO_FREE_NAME = "备份文件夹里这张照片同一时刻的文件名都已用完。";

// The files as they will be once the steps planned so far are taken. A
// name the plan gives a file stays taken: every parked and backup name is
// chosen while the file under it is still there.
class PlannedFiles {
public:
    explicit PlannedFiles(PlanFiles& files) : files_(files) {}

    bool has(const std::string& path) {
        const auto known = there_.emplace(foldAsciiCase(path), false);
        if (known.second) known.first->second = files_.exists(path);
        return known.first->second;
    }
    void rename(const std::string& from, const std::string& to) {
        there_[foldAsciiCase(from)] = false;
        there_[foldAsciiCase(to)] = true;
    }
    void write(const std::string& path) { there_[foldAsciiCase(path)] = true; }

private:
    PlanFiles& files_;
    std::map<std::string, bool> there_;
};

// No child's name holds a comma, so no child's photo is ever parked over.
std::string parkName(const std::string& folder, PlannedFiles& planned) {
    for (int n = 1;; ++n) {
        const std::string name = folder + "_photo," + std::to_string(n) + ".jpg";
        if (!planned.has(name)) return name;
    }
}

// The photo's name without its folder and its .jpg. A trail byte may be a
// backslash, so the folder ends at the last one that is a character itself.
std::string photoStem(const std::string& path) {
    std::size_t start = 0;
    for (std::size_t pos = 0; pos < path.size(); pos += gbkCharLength(path, pos))
        if (path[pos] == '\\' || path[pos] == '/') start = pos + 1;
    std::string_view stem = std::string_view(path).substr(start);
    if (stem.size() >= 4 && equalsIgnoringAsciiCase(stem.substr(stem.size() - 4), ".jpg")) stem.remove_suffix(4);
    return std::string(stem);
}

// Empty when the photo has been put aside 99 times within the same second.
std::string backupName(const std::string& path, const std::string& backupFolder, const std::string& stamp,
                       PlannedFiles& planned) {
    return firstFreeName(backupFolder + photoStem(path) + "-" + stamp, ".jpg",
                         [&](const std::string& name) { return planned.has(name); });
}

// What undoing a step needs: whether the file it wrote was there, and its
// bytes then.
struct Before {
    bool existed = false;
    std::string bytes;
};

bool takeStep(PlanFiles& files, const PlanStep& step, Before* before, std::string* error) {
    bool ok = false;
    if (step.kind == PlanStep::Kind::Rename) {
        if (step.path.empty()) {
            *error = NO_FREE_NAME;
            return false;
        }
        ok = files.rename(step.from, step.path);
    } else {
        // Bytes that cannot be read could not be put back: no write then.
        before->existed = files.exists(step.path);
        ok = (!before->existed || files.read(step.path, &before->bytes)) && files.write(step.path, step.bytes);
    }
    if (!ok) *error = files.lastError();
    return ok;
}

bool undoStep(PlanFiles& files, const PlanStep& step, const Before& before) {
    if (step.kind == PlanStep::Kind::Rename) return files.rename(step.path, step.from);
    return before.existed ? files.write(step.path, before.bytes) : files.remove(step.path);
}

}  // namespace

ClassSavePlan::ClassSavePlan(PlanFiles& files, std::string folder, std::string backupFolder, std::string stamp)
    : files_(files), folder_(std::move(folder)), backupFolder_(std::move(backupFolder)), stamp_(std::move(stamp)) {}

void ClassSavePlan::movePhoto(const std::string& from, const std::string& to) { moves_.push_back(Move{from, to}); }

void ClassSavePlan::newPhoto(const std::string& path, std::string jpeg) {
    photos_.push_back(Photo{path, std::move(jpeg)});
}

void ClassSavePlan::writeText(const std::string& path, std::string bytes, std::string what) {
    texts_.push_back(Text{path, std::move(bytes), std::move(what)});
}

void ClassSavePlan::renameLast(const std::string& from, const std::string& to, std::string what) {
    lastRenames_.push_back(Rename{from, to, std::move(what)});
}

std::vector<PlanStep> ClassSavePlan::steps() const {
    PlannedFiles planned(files_);
    std::vector<PlanStep> plan;
    const auto rename = [&](const std::string& from, const std::string& to) {
        plan.push_back(PlanStep{PlanStep::Kind::Rename, from, to, {}, PHOTO});
        planned.rename(from, to);
    };
    const auto putAside = [&](const std::string& path) {
        if (planned.has(path)) rename(path, backupName(path, backupFolder_, stamp_, planned));
    };
    // Every photo leaves its name before any takes a new one: children who
    // swapped names swap photos.
    std::vector<std::pair<std::string, const Move*>> parked;
    for (const Move& move : moves_) {
        if (move.from == move.to || !planned.has(move.from)) continue;
        parked.emplace_back(parkName(folder_, planned), &move);
        rename(move.from, parked.back().first);
    }
    // A photo still under a new name is no one's in the class any more.
    for (const auto& park : parked) putAside(park.second->to);
    for (const auto& park : parked) rename(park.first, park.second->to);
    for (const Photo& photo : photos_) {
        putAside(photo.path);
        plan.push_back(PlanStep{PlanStep::Kind::Write, {}, photo.path, photo.jpeg, PHOTO});
        planned.write(photo.path);
    }
    for (const Text& text : texts_)
        plan.push_back(PlanStep{PlanStep::Kind::Write, {}, text.path, text.bytes, text.what});
    for (const Rename& last : lastRenames_)
        plan.push_back(PlanStep{PlanStep::Kind::Rename, last.from, last.to, {}, last.what});
    return plan;
}

ClassSavePlan::Outcome ClassSavePlan::carryOut() {
    const std::vector<PlanStep> plan = steps();
    std::vector<Before> done;
    Outcome outcome;
    for (const PlanStep& step : plan) {
        Before before;
        if (takeStep(files_, step, &before, &outcome.error)) {
            done.push_back(std::move(before));
            continue;
        }
        outcome.failedStep = done.size();
        outcome.failed = step;
        // An undo that fails does not stop the others: the more put back, the better.
        for (std::size_t i = done.size(); i-- > 0;)
            outcome.restored = undoStep(files_, plan[i], done[i]) && outcome.restored;
        return outcome;
    }
    outcome.done = true;
    return outcome;
}
