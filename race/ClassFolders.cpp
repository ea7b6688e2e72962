#include "race/ClassFolders.h"

#include "core/FileRules.h"
#include "core/TextFields.h"
#include "race/ClassList.h"

#include <algorithm>

namespace {

// CLASSES_FOLDER in code page 936: the host build keeps literals in UTF-8,
// and a typed name comes in code page 936 in either build.
constexpr std::string_view CLASSES_FOLDER_CP936 = "\xB0\xE0\xBC\xB6";

// Folders of the first class's own: a class of that name would share them.
bool isReserved(std::string_view name) {
    return equalsIgnoringAsciiCase(name, "backup") || equalsIgnoringAsciiCase(name, "export") ||
           name == CLASSES_FOLDER_CP936;
}

}  // namespace

std::string trimmedClassName(std::string_view typed) { return trimmedName(typed); }

ClassNameProblem checkClassName(std::string_view trimmed, const std::vector<std::string>& taken,
                                std::string_view renaming) {
    if (trimmed.empty()) return ClassNameProblem::Empty;
    // Windows drops the dots at a folder name's end: 三班. would make the
    // folder 三班, and . or .. no folder of its own at all. A dot is never a
    // trail byte, so the last byte is the last character.
    if (hasPathCharacter(trimmed) || trimmed.back() == '.') return ClassNameProblem::PathCharacter;
    if (isDeviceName(trimmed)) return ClassNameProblem::DeviceName;
    if (isReserved(trimmed)) return ClassNameProblem::Reserved;
    // Folders that differ only in letter case are one folder to Windows.
    for (const std::string& name : taken)
        if (name != renaming && equalsIgnoringAsciiCase(name, trimmed)) return ClassNameProblem::Taken;
    return ClassNameProblem::None;
}

std::vector<std::string> classOrder(const std::string& first, std::vector<std::string> others) {
    // Exact bytes: a case variant of the first class is a folder of its own.
    others.erase(std::remove(others.begin(), others.end(), first), others.end());
    std::sort(others.begin(), others.end());
    others.insert(others.begin(), first);
    return others;
}
