// The data folder the program works in: where its files lie (the roster,
// the class list, the records file, the race journal, the photos, the backups
// and the exports), and how they are read and rewritten, each with what the
// operator is told when one cannot be. There is one for the run, owned by the
// control dialog; every window asks it, and moveTo takes the whole program to
// another folder at once.
#pragma once

#include "core/TextEncoding.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

// A text file made by hand (the roster, the class list) as an editor left
// it, to be written back the same way.
struct TextFile {
    std::string path;
    bool exists = false;
    std::string bytes;
    std::string mark;  // its byte-order mark, kept
    TextEncoding encoding = TextEncoding::Cp936;
    std::string text;  // in the program's code page
    std::vector<int> lossyLines;  // from 1: a character the code page lacks is a '?' there
    // The text given in the file's own encoding, its mark first.
    std::string encoded(const std::string& ansi) const;
};

// What a name holding a character code page 936 lacks turns into, for the
// messages that tell it.
extern const char kLacksCharacter[];

class DataFolder {
public:
    // Every reader and writer to `folder` (ending in a backslash), made where
    // it is missing, with an empty records file, so that results always have
    // somewhere to go. `firstClass`, the program's own data folder, lends a
    // class without a default photo its own.
    void moveTo(const std::string& folder, const std::string& firstClass = std::string());
    const std::string& path() const { return path_; }

    std::string rosterPath() const { return path_ + "psn.txt"; }
    std::string classPath() const { return path_ + "_class.txt"; }
    std::string recordsPath() const { return path_ + "_records.csv"; }
    std::string journalPath() const { return path_ + "_race-journal.txt"; }
    // _face.jpg: the class's own, or the first class's when it has none.
    std::string defaultPhotoPath() const;
    // backup\ and export\, made where missing.
    std::string backupFolder() const;
    std::string exportFolder() const;
    // A child's photo: the name + .jpg; empty when the name could not be a
    // file of this folder (a path character, a device name).
    std::string photoPath(std::string_view name) const;

    // The records file, all of it (a missing file holds nothing). False when
    // it cannot be read, and the operator told so in a box owned by `owner`
    // (no box without one).
    bool readRecords(std::string* bytes, HWND owner) const;
    // The records file rewritten on the operator's word, only while it still
    // holds `before` (what the operator saw): the file as it was goes to
    // backup\ first. A change made meanwhile (by hand, by a spreadsheet) is
    // told, and nothing is written over it.
    enum class Rewrite { Done, ChangedMeanwhile, Failed };
    Rewrite rewriteRecords(const std::string& before, const std::string& after, HWND owner) const;

    // A file of names as an editor left it; a missing file reads as empty
    // (exists false). False, with the operator told (when there is an owner)
    // and the system's reason in *error, when it cannot be read.
    bool readText(const std::string& path, TextFile* file, HWND owner, DWORD* error = nullptr) const;

private:
    std::string path_;
    std::string firstClass_;
};
