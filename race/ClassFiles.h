// What 名单 does with files: a picture the operator chose made a photo,
// and the files of an OK reached through the system.
#pragma once

#include "core/DataFolder.h"
#include "race/ClassList.h"
#include "race/ClassSavePlan.h"

#include <windows.h>

#include <string>
#include <vector>

// A picture of any kind GDI+ reads, as a photo: turned upright as the camera
// says, on white where it was transparent, at most kPhotoHeight pixels
// high, as JPEG bytes. False, and why in *reason, when it cannot be read.
constexpr unsigned kPhotoHeight = 600;
bool photoAsJpeg(const std::wstring& source, std::string* jpeg, std::string* reason);

// The system's open-file dialog for a picture of the child `name`; false
// when the operator chose none (told when the dialog could not open).
bool askPicture(HWND owner, const std::string& name, std::wstring* path);

// The children of the class list of the folder, in class order, with their
// 性别; none when it has no class list (or it cannot be read).
std::vector<ClassChild> readClassChildren(const DataFolder& folder);
// A name's 性别 as the class list has it, matched as the records file names
// the child (recordsNameOf); empty when not known.
std::string sexIn(const std::vector<ClassChild>& children, const std::string& recordsName);

// The clipboard's text in code page 936 (empty when it holds none); the
// lines (from 1) that held a character the code page lacks go to *lossyLines.
std::string clipboardText(HWND owner, std::vector<int>* lossyLines);

class CorePlanFiles : public PlanFiles {
public:
    bool exists(const std::string& path) override;
    bool read(const std::string& path, std::string* bytes) override;
    bool rename(const std::string& from, const std::string& to) override;
    bool write(const std::string& path, const std::string& bytes) override;
    bool remove(const std::string& path) override;
    std::string lastError() override;

private:
    DWORD error_ = 0;
};
