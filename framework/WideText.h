// The program keeps its text in code page 936, as its literals are compiled
// (-fexec-charset=GBK), the roster and the records file hold it, and a
// Chinese PC's "ANSI" is. The system is spoken to in UTF-16 only, so that the
// Chinese shows right whatever code page the PC's "language for non-Unicode
// programs" gives. These two functions are where the two meet.
#pragma once

#include <string>
#include <vector>

// Code page 936 to UTF-16.
std::wstring toWide(const std::string& text);
// UTF-16 to code page 936. A character the code page cannot hold becomes
// '?'; the numbers (from 1) of the lines where that happened go to
// *lossyLines.
std::string wideToAnsi(const std::wstring& text, std::vector<int>* lossyLines = nullptr);
