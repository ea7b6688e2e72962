// Rules of the files the program writes itself, decided without touching
// one: where an append put its bytes, a name that no file has yet, and which
// backups of a file go so that the newest ones stay.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Where one append put its bytes, exactly as they went to the disk.
struct AppendedBytes {
    uint64_t at = 0;
    std::string bytes;
};

// The lines as the program's text files hold them: each ends in CR LF.
std::string crlfLines(const std::vector<std::string>& lines);

// stem + extension, else stem-2 + extension, stem-3 ...: the first name that
// `taken` says no file has. Empty when 99 are taken.
std::string firstFreeName(const std::string& stem, const std::string& extension,
                          const std::function<bool(const std::string&)>& taken);

// Among the names in a folder, the backups of one file, named
// stem-YYYYMMDD-HHMMSS[-n]extension (firstFreeName adds the -n to a second
// backup of the same second), beyond the newest `keep`, oldest first. Every
// other name is left alone, whatever it looks like.
std::vector<std::string> backupsToDelete(const std::vector<std::string>& names, const std::string& stem,
                                         const std::string& extension, std::size_t keep);

// A name Windows takes for a device rather than a file: CON, PRN, AUX, NUL,
// COM1 to COM9, LPT1 to LPT9, in any case, with or without an extension
// (NUL.1 too).
bool isDeviceName(std::string_view name);
// Whether a name holds a character no file or folder name may: \ / : * ? " < >
// |, a control character, or a double-byte character of code page 936 cut
// off.
bool hasPathCharacter(std::string_view name);
// Whether name + ".jpg" stays a plain file name inside the data folder.
bool isSafePhotoName(std::string_view name);
