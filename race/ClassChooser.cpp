#include "race/ClassChooser.h"

#include "core/Core.h"
#include "core/DataFolder.h"
#include "race/NewClassDlg.h"

#include <algorithm>

namespace {
const char kNewClass[] = "新建班级…";

std::string classNameRefusal(ClassNameProblem problem, const std::string& name) {
    const std::string head = "不能使用“" + name + "”这个班名：\n\n";
    switch (problem) {
    case ClassNameProblem::None: return std::string();
    case ClassNameProblem::Empty: return "班名是空的。请写上班名（前后的空格不算）。";
    case ClassNameProblem::PathCharacter:
        return head + "班名要用作文件夹名，不能有 \\ / : * ? \" < > | 这类字符，也不能以“.”结尾。";
    case ClassNameProblem::DeviceName:
        return head + "这是 Windows 保留的设备名（CON、PRN、AUX、NUL、COM1、LPT1 等，带不带扩展名都一样），"
                      "不能用作文件夹名。";
    case ClassNameProblem::Taken: return head + "已经有叫这个名字的班级了（英文字母不分大小写）。";
    case ClassNameProblem::Reserved: return head + "backup、export 和“班级”是数据文件夹自己要用的名字。";
    }
    return std::string();
}

}  // namespace

bool typedClassName(const CDialog& dialog, int box, const std::vector<std::string>& taken,
                    const std::string& renaming, std::string* name) {
    std::vector<int> lossy;
    *name = trimmedClassName(dialog.GetDlgItemText(box, &lossy));
    const ClassNameProblem problem = checkClassName(*name, taken, renaming);
    if (lossy.empty() && problem == ClassNameProblem::None) return true;
    core->msgboxWarning(dialog.m_hWnd, lossy.empty() ? classNameRefusal(problem, *name)
                                                     : std::string("班名里有") + kLacksCharacter + "。请换一种写法。");
    SetFocus(GetDlgItem(dialog.m_hWnd, box));
    return false;
}

void CClassChooser::load(const std::string& dataFolder) {
    dataFolder_ = dataFolder;
    first_ = core->getConfigStr("firstClass");
    others_.clear();
    for (const std::string& name : CCore::namesIn(dataFolder_ + CLASSES_FOLDER + "\\", true))
        if (name != first_) others_.push_back(name);
    sortOthers();
    const std::string open = core->getConfigStr("currentClass");
    current_ = std::find(others_.begin(), others_.end(), open) != others_.end() ? open : first_;
}

void CClassChooser::sortOthers() {
    others_ = classOrder(first_, others_);
    others_.erase(others_.begin());
}

std::vector<std::string> CClassChooser::names() const {
    std::vector<std::string> all = {first_};
    all.insert(all.end(), others_.begin(), others_.end());
    return all;
}

std::string CClassChooser::folderOf(const std::string& name) const {
    if (name == first_) return dataFolder_;
    return dataFolder_ + CLASSES_FOLDER + "\\" + name + "\\";
}

void CClassChooser::show(HWND combo) const {
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    const std::vector<std::string> all = names();
    for (const std::string& name : all) SendMessageW(combo, CB_ADDSTRING, 0, (LPARAM)CCore::systemText(name).c_str());
    SendMessageW(combo, CB_ADDSTRING, 0, (LPARAM)CCore::systemText(kNewClass).c_str());
    const auto at = std::find(all.begin(), all.end(), current_) - all.begin();
    SendMessageW(combo, CB_SETCURSEL, (WPARAM)at, 0);
}

void CClassChooser::choose(HWND owner, int index, std::string* folder, bool* created) {
    folder->clear();
    *created = false;
    const std::vector<std::string> all = names();
    std::string name;
    if (index >= (int)all.size()) {
        if (!create(owner, &name)) return;
        *created = true;
    } else if (index >= 0) {
        name = all[index];
    }
    if (name.empty() || (name == current_ && !*created)) return;
    current_ = name;
    *folder = folderOf(name);
    remember(owner);
}

bool CClassChooser::create(HWND owner, std::string* name) {
    CNewClassDlg dlg(owner, names());
    if (dlg.DoModal() != IDOK) return false;
    core->createFolder(dataFolder_ + CLASSES_FOLDER + "\\");
    if (!CreateDirectoryW(CCore::systemText(folderOf(dlg.name)).c_str(), nullptr)) {
        const DWORD error = GetLastError();
        core->msgboxWarning(owner, "无法新建班级的文件夹：\n" + folderOf(dlg.name) + "\n\n原因：" +
                                       CCore::errorText(error));
        return false;
    }
    // An empty roster, so that the class opens without a word about a
    // missing one: its list is typed in next.
    core->writeFile(folderOf(dlg.name) + "psn.txt", std::string());
    others_.push_back(dlg.name);
    sortOthers();
    *name = dlg.name;
    return true;
}

bool CClassChooser::renamed(HWND owner, const std::string& name) {
    if (current_ == first_) {
        first_ = name;
        current_ = name;
        if (!core->saveConfigStr("firstClass", name)) {
            core->msgboxWarning(owner, "无法把新的班名写入设置文件：\n" + core->configPath() +
                                           "\n\n下次启动时仍显示原来的班名。");
            return false;
        }
        remember(owner);
        return true;
    }
    std::replace(others_.begin(), others_.end(), current_, name);
    sortOthers();
    current_ = name;
    remember(owner);
    return true;
}

// The first class is remembered as no class at all, so that renaming it
// needs no second value to agree with.
void CClassChooser::remember(HWND owner) {
    if (core->saveConfigStr("currentClass", current_ == first_ ? std::string() : current_)) return;
    core->msgboxWarning(owner, "无法把打开的班级写入设置文件：\n" + core->configPath() +
                                   "\n\n下次启动时会打开原来的班级。");
}
