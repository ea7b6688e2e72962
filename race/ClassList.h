// The whole class in the program: every child in class order with its 性别,
// which of them run in the next heat, and the texts of the two files the
// dialog 名单 writes: _class.txt (the class) and psn.txt (the heat, read by
// the roster reader as the next race). Texts are in code page 936; the
// files' own encodings are the dialog's business.
#pragma once

#include "race/ClassPaste.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Why a name is refused, typed or read from a file: each would not come
// back unchanged from the roster file, the records file or a photo's file
// name.
enum class NameProblem {
    None,
    Empty,           // nothing but blanks
    LineBreak,       // it would be two lines
    Comma,           // it would split a line of the records file or of the class file
    TooLong,         // more than the record's 11 bytes
    Taken,           // another child has it (letters of either case share a photo file)
    DeviceName,      // CON, NUL.1 ...: its photo would open a device
    LacksCharacter,  // a character code page 936 lacks, read from a file as '?'
};

// The reason in a few words, as a list of refused names gives it.
const char* nameProblemText(NameProblem problem);

// A typed name without blanks before and after it: spaces, tabs and the
// full-width space a Chinese input method types.
std::string trimmedName(std::string_view typed);

struct ClassChild {
    std::string name;
    // Whose photo file is this child's: the name it was read with. It moves
    // to `name` when the list is kept.
    std::string photoName;
    bool inHeat = false;
    // A photo chosen in the dialog (JPEG bytes), saved under `name` when the
    // list is kept, after the photos have moved.
    std::string newPhoto;
    std::string sex;  // 男, 女, or empty when not known
    bool lacksCharacter = false;  // read with a '?' for a character the code page lacks
};

// A photo file of the data folder to take a new name.
struct PhotoMove {
    std::string from, to;
};

// One of the two files as read: its text in code page 936, whether it is
// there, and the lines (from 1) that held a character the code page lacks.
struct NamesSource {
    std::string_view text;
    bool exists = false;
    std::vector<int> lossyLines;
};

// A name that breaks a rule: where it is (the file and its line, or the
// line of a pasted text) and why.
struct NameIssue {
    enum class Source { ClassFile, Roster, Pasted, List } source;
    int line;  // from 1; for List, the row from 1
    std::string name;
    NameProblem problem;
};

class ClassList {
public:
    // The class from its file (a line: the name, then a comma and 男 or 女);
    // without the file, every name of the roster. The roster's first eight
    // names (those a race loads) make the heat; a name of the roster that
    // the class lacks (psn.txt edited by hand) joins the class at its end
    // rather than go missing. Nothing is cut or merged: a name that breaks a
    // rule of typed names stays as it is, in fileIssues().
    ClassList(const NamesSource& classFile, const NamesSource& roster);
    ClassList(std::string_view classText, bool classFileExists, std::string_view rosterText);

    const std::vector<ClassChild>& children() const { return children_; }
    int heatSize() const;
    // The names of the files that broke a rule when they were read.
    const std::vector<NameIssue>& fileIssues() const { return fileIssues_; }
    // The children whose names break a rule now (the later of two that clash).
    std::vector<NameIssue> problems() const;

    // The name as typed is trimmed first. A refused name changes nothing. In
    // a list that was empty when read, the first eight join the heat.
    NameProblem add(std::string_view typed, std::string_view sex = {});
    NameProblem rename(std::size_t i, std::string_view typed);
    // The pasted names that pass are added in their order; the others come
    // back with their line and reason.
    std::vector<NameIssue> addPasted(const std::vector<PastedName>& pasted);
    void remove(std::size_t i);
    // One place up (by -1) or down (+1); the child's index afterwards.
    std::size_t move(std::size_t i, int by);
    void setSex(std::size_t i, std::string_view sex) { children_[i].sex.assign(sex); }

    enum class HeatChange { Joined, Left, Full };
    // In or out of the heat; a ninth child is refused.
    HeatChange toggleHeat(std::size_t i);
    // The next up to eight children after the heat's last one in class
    // order; after the class's last child, from the top again.
    void nextHeat();

    void setNewPhoto(std::size_t i, std::string jpeg) { children_[i].newPhoto = std::move(jpeg); }
    // Each child's photo to the name the child has now.
    std::vector<PhotoMove> photoMoves() const;

    // The class file, one child a line ("张三" or "张三,男"), CR LF.
    std::string classText() const;
    // The roster: the heat's names in class order, CR LF.
    std::string rosterText() const;
    // Whether the operator changed what the file holds: the class (names,
    // their order, 性别), or the heat (who, their names, their order).
    bool classChanged() const { return classText() != classAsRead_; }
    bool rosterChanged() const { return rosterText() != heatAsRead_; }

private:
    NameProblem check(const std::string& name, std::size_t except, bool earlierOnly) const;
    NameProblem problemOf(std::size_t i) const;
    void noteFileIssues(const std::vector<NameIssue::Source>& sources, const std::vector<int>& lines);

    std::vector<ClassChild> children_;
    std::vector<NameIssue> fileIssues_;
    std::string classAsRead_, heatAsRead_;
    bool startedEmpty_ = false;
};
