// The whole class in the program: every child in class order, which of them
// run in the next heat, and the texts of the two files the dialog 名单
// writes: data\_class.txt (the class) and data\psn.txt (the heat, read by
// the roster reader as the next race). Texts are in code page 936; the
// files' own encodings are the dialog's business.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Why a name typed for the class is refused: each would not come back
// unchanged from the roster file, the records file or a photo's file name.
enum class NameProblem {
    None,
    Empty,      // nothing but blanks
    LineBreak,  // it would be two lines
    Comma,      // it would split a line of the records file
    TooLong,    // more than the record's 11 bytes
    Taken,      // another child has it (letters of either case share a photo file)
};

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
};

// A photo file of the data folder to take a new name.
struct PhotoMove {
    std::string from, to;
};

class ClassList {
public:
    // The class from its file's text; without the file, the roster's names.
    // The roster's names make the heat; one the class lacks (psn.txt edited
    // by hand) joins the class at its end rather than go missing.
    ClassList(std::string_view classText, bool classFileExists, std::string_view rosterText);

    const std::vector<ClassChild>& children() const { return children_; }
    int heatSize() const;

    // The name as typed is trimmed first. A refused name changes nothing.
    NameProblem add(std::string_view typed);
    NameProblem rename(std::size_t i, std::string_view typed);
    void remove(std::size_t i);
    // One place up (by -1) or down (+1); the child's index afterwards.
    std::size_t move(std::size_t i, int by);

    enum class HeatChange { Joined, Left, Full };
    // In or out of the heat; a ninth child is refused.
    HeatChange toggleHeat(std::size_t i);
    // The next up to eight children after the heat's last one in class
    // order; after the class's last child, from the top again.
    void nextHeat();

    void setNewPhoto(std::size_t i, std::string jpeg) { children_[i].newPhoto = std::move(jpeg); }
    // Each child's photo to the name the child has now.
    std::vector<PhotoMove> photoMoves() const;

    // The class file, one name a line, CR LF.
    std::string classText() const;
    // The roster: the heat's names in class order, CR LF.
    std::string rosterText() const;

private:
    NameProblem check(const std::string& name, std::size_t except) const;

    std::vector<ClassChild> children_;
};
