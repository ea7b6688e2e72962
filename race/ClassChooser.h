// The classes a teacher teaches, as the control dialog's drop-down list 班级
// shows them: the first class (the program's data\ folder, its name in the
// settings), every further class (a folder of data\班级\), then 新建班级….
// Which class is open is remembered in the settings, so that the next start
// opens it again.
#pragma once

#include "framework/Dialog.h"
#include "race/ClassFolders.h"

#include <windows.h>

#include <string>
#include <vector>

class CClassChooser {
public:
    // `dataFolder`: the first class's folder, ending in a backslash.
    void load(const std::string& dataFolder);
    // The folder of the class the settings last chose; the first class's
    // when that one is gone.
    std::string openFolder() const { return folderOf(current_); }
    const std::string& currentName() const { return current_; }
    const std::string& firstFolder() const { return dataFolder_; }
    bool currentIsFirst() const { return current_ == first_; }
    // Every class's name, the first one's included.
    std::vector<std::string> names() const;
    std::string folderOf(const std::string& name) const;

    // The list in the combo box, the open class selected.
    void show(HWND combo) const;
    // The operator chose item `index`. The folder to move to goes to
    // *folder (empty when the open class was chosen again, or a new class
    // was not made); *created is set for a class just made, whose list is to
    // be typed in. The choice is remembered.
    void choose(HWND owner, int index, std::string* folder, bool* created);
    // The open class under a new name (its folder renamed already, for a
    // further class); false, the operator told, when the settings could not
    // be written.
    bool renamed(HWND owner, const std::string& name);

private:
    bool create(HWND owner, std::string* name);
    // The further classes in name order, after the first.
    void sortOthers();
    void remember(HWND owner);

    std::string dataFolder_;
    std::string first_;
    std::vector<std::string> others_;
    std::string current_;
};

// The class name typed into box `box` of `dialog`, blanks dropped, when a
// folder can take it and no class of `taken` but `renaming` has it; else the
// operator is told why, the box gets the focus, and false.
bool typedClassName(const CDialog& dialog, int box, const std::vector<std::string>& taken,
                    const std::string& renaming, std::string* name);
