#include "race/ClassList.h"

#include "core/FileRules.h"
#include "core/RaceState.h"
#include "core/TextFields.h"
#include "race/Roster.h"

#include <algorithm>
#include <limits>

namespace {

const std::size_t kNoChild = std::numeric_limits<std::size_t>::max();

// Whole characters of code page 936 only: a trail byte of A1 is no blank.
bool isBlank(std::string_view character) {
    return character == " " || character == "\t" || character == "\xA1\xA1";
}

std::string knownSex(std::string_view text) {
    const std::string trimmed = trimmedName(text);
    return isKnownSex(trimmed) ? trimmed : std::string();
}

std::string crlfText(const std::vector<ClassChild>& children, bool heatOnly) {
    std::string text;
    for (const ClassChild& child : children) {
        if (heatOnly && !child.inHeat) continue;
        text += child.name;
        if (!heatOnly && !child.sex.empty()) text += "," + child.sex;
        text += "\r\n";
    }
    return text;
}

bool listed(const std::vector<int>& lines, int line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); }

}  // namespace

const char* nameProblemText(NameProblem problem) {
    switch (problem) {
    case NameProblem::None: return "";
    case NameProblem::Empty: return "名字是空的";
    case NameProblem::LineBreak: return "名字里有换行";
    case NameProblem::Comma: return "名字里有英文逗号“,”";
    case NameProblem::TooLong: return "超过 11 个字节";
    case NameProblem::Taken: return "名单里已经有这个名字（英文字母不分大小写）";
    case NameProblem::DeviceName: return "是 Windows 的设备名，不能用作照片的文件名";
    case NameProblem::LacksCharacter: return "有本机中文字符集（GBK）没有的字";
    }
    return "";
}

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

ClassList::ClassList(std::string_view classText, bool classFileExists, std::string_view rosterText)
    : ClassList(NamesSource{classText, classFileExists, {}}, NamesSource{rosterText, true, {}}) {}

ClassList::ClassList(const NamesSource& classFile, const NamesSource& roster) {
    std::vector<NameIssue::Source> sources;
    std::vector<int> lines;
    const auto join = [&](ClassChild child, NameIssue::Source source, int line, const std::vector<int>& lossy) {
        child.photoName = child.name;
        child.lacksCharacter = listed(lossy, line);
        children_.push_back(std::move(child));
        sources.push_back(source);
        lines.push_back(line);
    };
    std::vector<int> classLines, rosterLines;
    const std::vector<std::string> classNames =
        classFile.exists ? parseRoster(classFile.text, &classLines, kNoChild) : std::vector<std::string>();
    for (std::size_t i = 0; i < classNames.size(); ++i) {
        // A comma ends the name: what follows is the child's 性别.
        const std::size_t comma = classNames[i].find(',');
        ClassChild child;
        child.name = classNames[i].substr(0, comma);
        if (comma != std::string::npos) child.sex = knownSex(std::string_view(classNames[i]).substr(comma + 1));
        join(std::move(child), NameIssue::Source::ClassFile, classLines[i], classFile.lossyLines);
    }
    // The heat is what a race loads: the roster's first eight names. Each
    // takes the first child of the class of exactly that name not taken
    // already; a name the class lacks (psn.txt edited by hand), or a name
    // the roster holds twice, joins the class at its end.
    const std::vector<std::string> rosterNames = parseRoster(roster.text, &rosterLines, kNoChild);
    std::vector<bool> matched(children_.size(), false);
    for (std::size_t r = 0; r < rosterNames.size(); ++r) {
        const bool inHeat = r < static_cast<std::size_t>(MAX_CONTESTANTS);
        std::size_t c = 0;
        while (c < matched.size() && (matched[c] || children_[c].name != rosterNames[r])) ++c;
        if (c < matched.size()) {
            matched[c] = true;
            children_[c].inHeat = inHeat;
            continue;
        }
        ClassChild child;
        child.name = rosterNames[r];
        child.inHeat = inHeat;
        join(std::move(child), NameIssue::Source::Roster, rosterLines[r], roster.lossyLines);
    }
    noteFileIssues(sources, lines);
    startedEmpty_ = children_.empty();
    classAsRead_ = this->classText();
    heatAsRead_ = this->rosterText();
}

void ClassList::noteFileIssues(const std::vector<NameIssue::Source>& sources, const std::vector<int>& lines) {
    for (std::size_t i = 0; i < children_.size(); ++i) {
        const NameProblem problem = problemOf(i);
        if (problem != NameProblem::None)
            fileIssues_.push_back(NameIssue{sources[i], lines[i], children_[i].name, problem});
    }
}

std::vector<NameIssue> ClassList::problems() const {
    std::vector<NameIssue> found;
    for (std::size_t i = 0; i < children_.size(); ++i) {
        const NameProblem problem = problemOf(i);
        if (problem != NameProblem::None)
            found.push_back(NameIssue{NameIssue::Source::List, static_cast<int>(i) + 1, children_[i].name, problem});
    }
    return found;
}

int ClassList::heatSize() const {
    int n = 0;
    for (const ClassChild& child : children_) n += child.inHeat ? 1 : 0;
    return n;
}

// `except`: the child the name is for, never its own clash. With
// `earlierOnly`, only the children before it count, so that of two that
// clash in what was read, the later one is named, once.
NameProblem ClassList::check(const std::string& name, std::size_t except, bool earlierOnly) const {
    if (name.empty()) return NameProblem::Empty;
    if (name.find_first_of("\r\n") != std::string::npos) return NameProblem::LineBreak;
    // Neither byte can be the trail byte of a double-byte character.
    if (name.find(',') != std::string::npos) return NameProblem::Comma;
    if (name.size() >= static_cast<std::size_t>(NAME_BYTES)) return NameProblem::TooLong;
    if (isDeviceName(name)) return NameProblem::DeviceName;
    const std::size_t end = earlierOnly ? except : children_.size();
    for (std::size_t i = 0; i < end; ++i)
        if (i != except && equalsIgnoringAsciiCase(children_[i].name, name)) return NameProblem::Taken;
    return NameProblem::None;
}

NameProblem ClassList::problemOf(std::size_t i) const {
    return children_[i].lacksCharacter ? NameProblem::LacksCharacter : check(children_[i].name, i, true);
}

NameProblem ClassList::add(std::string_view typed, std::string_view sex) {
    const std::string name = trimmedName(typed);
    const NameProblem problem = check(name, kNoChild, false);
    if (problem != NameProblem::None) return problem;
    ClassChild child;
    child.name = child.photoName = name;
    child.sex.assign(sex);
    // A class typed or pasted into an empty list runs its first eight first.
    child.inHeat = startedEmpty_ && heatSize() < MAX_CONTESTANTS;
    children_.push_back(std::move(child));
    return problem;
}

NameProblem ClassList::rename(std::size_t i, std::string_view typed) {
    const std::string name = trimmedName(typed);
    const NameProblem problem = check(name, i, false);
    if (problem != NameProblem::None) return problem;
    children_[i].name = name;
    children_[i].lacksCharacter = false;
    return problem;
}

std::vector<NameIssue> ClassList::addPasted(const std::vector<PastedName>& pasted) {
    std::vector<NameIssue> refused;
    for (const PastedName& p : pasted) {
        const NameProblem problem = add(p.name, p.sex);
        if (problem != NameProblem::None) refused.push_back(NameIssue{NameIssue::Source::Pasted, p.line, p.name, problem});
    }
    return refused;
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
