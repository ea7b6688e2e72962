// Rules of the files the program writes itself, decided without touching
// one: where an append put its bytes, a name that no file has yet, and which
// backups of a file go so that the newest ones stay.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
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
