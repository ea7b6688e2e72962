// The classes a teacher teaches, each a data folder: the first is the
// program's data\ (its name kept in the settings), every further one
// data\班级\<班名>\. These are the rules of their names and their order;
// texts are in code page 936.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The folder of the further classes, inside the first class's folder.
constexpr const char* CLASSES_FOLDER = "班级";

// Why a class name is refused: each would make a folder Windows cannot hold
// or one that is another class's, or one of the first class's own.
enum class ClassNameProblem {
    None,
    Empty,          // nothing but blanks
    PathCharacter,  // \ / : * ? " < > | or a control character
    DeviceName,     // CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without an extension
    Taken,          // another class has it, letter case aside
    Reserved,       // backup, export or 班级: a folder of the first class
};

// The name as typed, blanks before and after it (spaces, tabs, the
// full-width space) dropped.
std::string trimmedClassName(std::string_view typed);

// `taken`: the names of every class, the first one's included; `renaming`,
// the class being renamed (its own name is no clash), or empty.
ClassNameProblem checkClassName(std::string_view trimmed, const std::vector<std::string>& taken,
                                std::string_view renaming = {});

// The classes as the control dialog lists them: the first class first, the
// others in name order (code page 936 orders common hanzi by pinyin), names
// that are the same but for letter case (two folders an older copy made)
// kept apart.
std::vector<std::string> classOrder(const std::string& first, std::vector<std::string> others);
