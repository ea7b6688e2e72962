#include "race/ClassList.h"

#include "core/TextFields.h"
#include "core/RaceState.h"
#include "race/Roster.h"

#include <limits>

namespace {

const std::size_t kNoChild = std::numeric_limits<std::size_t>::max();

// Whole characters of code page 936 only: a trail byte of A1 is no blank.
bool isBlank(std::string_view character) {
    return character == " " || character == "\t" || character == "\xA1\xA1";
}

std::string crlfText(const std::vector<ClassChild>& children, bool heatOnly) {
    std::string text;
    for (const ClassChild& child : children)
        if (!heatOnly || child.inHeat) text += child.name + "\r\n";
    return text;
}

}  // namespace

std::string trimmedName(std::string_view typed) {
    std::size_t begin = kNoChild, end = 0;
    for (std::size_t pos = 0; pos < typed.size();) {
        const std::size_t length = gbkCharLength(typed, pos);
        if (!isBlank(typed.substr(pos, length))) {
            if (begin == kNoChild) begin = pos;
            end = pos + length;
        }
        pos += length;
    }
    return begin == kNoChild ? std::string() : std::string(typed.substr(begin, end - begin));
}

ClassList::ClassList(std::string_view classText, bool classFileExists, std::string_view rosterText) {
    const std::vector<std::string> heat = parseRoster(rosterText);
    const std::vector<std::string> names =
        classFileExists ? parseRoster(classText, nullptr, kNoChild) : std::vector<std::string>();
    for (const std::string& name : names) children_.push_back(ClassChild{name, name, false, {}});
    for (const std::string& name : heat) {
        bool found = false;
        for (ClassChild& child : children_) {
            if (child.inHeat || child.name != name) continue;
            child.inHeat = found = true;
            break;
        }
        if (!found) children_.push_back(ClassChild{name, name, true, {}});
    }
}

int ClassList::heatSize() const {
    int n = 0;
    for (const ClassChild& child : children_) n += child.inHeat ? 1 : 0;
    return n;
}

NameProblem ClassList::check(const std::string& name, std::size_t except) const {
    if (name.empty()) return NameProblem::Empty;
    if (name.find_first_of("\r\n") != std::string::npos) return NameProblem::LineBreak;
    // Neither byte can be the trail byte of a double-byte character.
    if (name.find(',') != std::string::npos) return NameProblem::Comma;
    if (name.size() >= static_cast<std::size_t>(NAME_BYTES)) return NameProblem::TooLong;
    for (std::size_t i = 0; i < children_.size(); ++i)
        if (i != except && equalsIgnoringAsciiCase(children_[i].name, name)) return NameProblem::Taken;
    return NameProblem::None;
}

NameProblem ClassList::add(std::string_view typed) {
    const std::string name = trimmedName(typed);
    const NameProblem problem = check(name, kNoChild);
    if (problem == NameProblem::None) children_.push_back(ClassChild{name, name, false, {}});
    return problem;
}

NameProblem ClassList::rename(std::size_t i, std::string_view typed) {
    const std::string name = trimmedName(typed);
    const NameProblem problem = check(name, i);
    if (problem == NameProblem::None) children_[i].name = name;
    return problem;
}

void ClassList::remove(std::size_t i) { children_.erase(children_.begin() + i); }

std::size_t ClassList::move(std::size_t i, int by) {
    const std::size_t to = i + by;
    if (to >= children_.size()) return i;  // the first one up, the last one down
    std::swap(children_[i], children_[to]);
    return to;
}

ClassList::HeatChange ClassList::toggleHeat(std::size_t i) {
    ClassChild& child = children_[i];
    if (!child.inHeat && heatSize() >= MAX_CONTESTANTS) return HeatChange::Full;
    child.inHeat = !child.inHeat;
    return child.inHeat ? HeatChange::Joined : HeatChange::Left;
}

void ClassList::nextHeat() {
    std::size_t first = 0;
    for (std::size_t i = 0; i < children_.size(); ++i)
        if (children_[i].inHeat) first = i + 1;
    if (first >= children_.size()) first = 0;
    for (std::size_t i = 0; i < children_.size(); ++i)
        children_[i].inHeat = i >= first && i < first + MAX_CONTESTANTS;
}

std::vector<PhotoMove> ClassList::photoMoves() const {
    std::vector<PhotoMove> moves;
    for (const ClassChild& child : children_)
        if (child.photoName != child.name) moves.push_back(PhotoMove{child.photoName, child.name});
    return moves;
}

std::string ClassList::classText() const { return crlfText(children_, false); }

std::string ClassList::rosterText() const { return crlfText(children_, true); }
