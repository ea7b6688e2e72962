// A class pasted into 名单: the clipboard's text as a spreadsheet or a CSV
// file gives it, one child a line. Texts are in code page 936.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct PastedName {
    int line;          // from 1, as the pasted text numbers its lines
    std::string name;  // the line's first cell, blanks around it dropped
    std::string sex;   // the second cell when it is 男 or 女, else empty
};

// Each line with a name: cells are separated by tabs (a spreadsheet's
// copy) or, on a line without a tab, by commas (a CSV line); a cell may be
// quoted as a spreadsheet quotes it ("a ""b""" for a "b"). Lines that end at
// LF, CR LF or a CR alone; empty lines, lines whose first cell is empty, and
// a heading (a first cell 姓名, 名字 or 学生姓名) are skipped. Nothing else is
// judged here: each name then goes through the rules of a typed one.
std::vector<PastedName> parsePastedNames(std::string_view text);

// Whether a pasted text holds more than one line with something on it: what
// Ctrl+V in the name box takes as a class rather than as one name.
bool isSeveralLines(std::string_view text);
