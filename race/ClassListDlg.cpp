#include "race/ClassListDlg.h"

#include "core/Core.h"
#include "core/FileRules.h"
#include "core/TextFields.h"
#include "core/TimeStamp.h"
#include "race/ClassFiles.h"
#include "race/ClassSavePlan.h"
#include "records/RecordLines.h"
#include "records/RecordsScan.h"
#include "res/resource.h"

#include <algorithm>

namespace {

// The items of the drop-down list 性别: a child's 性别 is one of them, the
// empty one when it is not known.
const char* const kSexes[] = {"男", "女", ""};

std::string withoutBackslash(std::string folder) {
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
}

// "psn.txt 第 2 行 tom：名单里已经有这个名字", one a line, at most `most` of them.
std::string issueLines(const std::vector<NameIssue>& issues, std::size_t most = 20) {
    std::string text;
    for (std::size_t i = 0; i < issues.size() && i < most; ++i) {
        const NameIssue& issue = issues[i];
        switch (issue.source) {
        case NameIssue::Source::ClassFile: text += "_class.txt "; break;
        case NameIssue::Source::Roster: text += "psn.txt "; break;
        case NameIssue::Source::Pasted: break;
        case NameIssue::Source::List: text += "名单"; break;
        }
        text += "第 " + getStrInt(issue.line) + (issue.source == NameIssue::Source::List ? " 个 " : " 行 ") +
                issue.name + "：" + nameProblemText(issue.problem) + "\n";
    }
    if (issues.size() > most) text += "……还有 " + getStrInt((int)(issues.size() - most)) + " 个\n";
    return text;
}

}  // namespace

CClassListDlg::CClassListDlg(HWND parent, const DataFolder& folder, const CClassChooser& classes)
    : CDialog(IDD_CLASS_LIST, parent), folder_(folder), classes_(classes) {}

void CClassListDlg::DoDataExchange(CDataExchange* dx) { DDX_Control(dx, IDC_CLASS_CHILDREN, list_); }

BOOL CClassListDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // Nothing is shown that OK could not write back as it was.
    HWND owner = GetWindow(m_hWnd, GW_OWNER);
    if (!folder_.readText(folder_.classPath(), &classFile_, owner) ||
        !folder_.readText(folder_.rosterPath(), &rosterFile_, owner)) {
        EndDialog(IDCANCEL);
        return TRUE;
    }
    class_ = std::make_unique<ClassList>(NamesSource{classFile_.text, classFile_.exists, classFile_.lossyLines},
                                         NamesSource{rosterFile_.text, rosterFile_.exists, rosterFile_.lossyLines});
    // One look at the folder instead of one per child: a class of thousands
    // shows at once.
    for (const std::string& file : CCore::namesIn(folder_.path(), false)) photos_.insert(foldAsciiCase(file));
    list_.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    list_.InsertColumn(0, "序号", LVCFMT_LEFT, 42);
    list_.InsertColumn(1, "姓名", LVCFMT_LEFT, 98);
    list_.InsertColumn(2, "照片", LVCFMT_CENTER, 42);
    list_.InsertColumn(3, "本组", LVCFMT_CENTER, 42);
    list_.InsertColumn(4, "性别", LVCFMT_CENTER, 42);
    for (const char* sex : kSexes) SendDlgItemMessageW(m_hWnd, IDC_CLASS_SEX, CB_ADDSTRING, 0, (LPARAM)toWide(sex).c_str());
    SetDlgItemText(IDC_CLASS_TITLE, classes_.currentName());
    show(-1);
    tellFileIssues();
    SetFocus(GetDlgItem(m_hWnd, IDC_CLASS_NAME));
    return FALSE;
}

// Names of the files that break a rule of typed names stay as they are, and
// are told together, each with its file and line.
void CClassListDlg::tellFileIssues() {
    const std::vector<NameIssue>& issues = class_->fileIssues();
    if (issues.empty()) return;
    core->msgboxWarning(GetWindow(m_hWnd, GW_OWNER),
                        "名单文件里有不能用的名字：\n\n" + issueLines(issues) + "\n文件在：\n" + folder_.path() +
                            "\n\n请改名或删除这些人，然后再点“确定”；在此之前名单不会保存。");
}

BOOL CClassListDlg::PreTranslateMessage(MSG* msg) {
    const bool inNameBox = msg->hwnd == GetDlgItem(m_hWnd, IDC_CLASS_NAME);
    // Enter in the name box adds the name, so that a class is typed in one go.
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN && inNameBox) {
        onAdd();
        return TRUE;
    }
    // Ctrl+V of several lines there pastes a class.
    if (msg->message == WM_KEYDOWN && msg->wParam == 'V' && inNameBox && (GetKeyState(VK_CONTROL) & 0x8000) &&
        isSeveralLines(clipboardText(m_hWnd, nullptr))) {
        onPaste();
        return TRUE;
    }
    return CDialog::PreTranslateMessage(msg);
}

void CClassListDlg::OnCommand(UINT id, UINT code) {
    if (id == IDC_CLASS_SEX && code == CBN_SELCHANGE) onSexChosen();
    if (code != BN_CLICKED) return;
    switch (id) {
    case IDC_CLASS_ADD: onAdd(); break;
    case IDC_CLASS_RENAME: onRename(); break;
    case IDC_CLASS_REMOVE: onRemove(); break;
    case IDC_CLASS_UP: onMove(-1); break;
    case IDC_CLASS_DOWN: onMove(1); break;
    case IDC_CLASS_PHOTO: onPhoto(); break;
    case IDC_CLASS_PASTE: onPaste(); break;
    case IDC_CLASS_NEXT_HEAT: onNextHeat(); break;
    case IDC_CLASS_IN_HEAT: onToggleHeat(selected()); break;
    }
}

LRESULT CClassListDlg::OnNotify(NMHDR* header) {
    if (header->idFrom != IDC_CLASS_CHILDREN) return 0;
    switch (header->code) {
    case LVN_GETDISPINFOW: giveCell(reinterpret_cast<NMLVDISPINFOW*>(header)); break;
    case NM_CLICK: onRowClicked(reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem); break;
    case NM_DBLCLK: {
        const int row = reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem;
        if (row >= 0) onToggleHeat(row);
        break;
    }
    case LVN_KEYDOWN:
        if (reinterpret_cast<const NMLVKEYDOWN*>(header)->wVKey == VK_DELETE) onRemove();
        break;
    }
    return 0;
}

bool CClassListDlg::hasPhoto(const ClassChild& child) const {
    return !child.newPhoto.empty() || photos_.count(foldAsciiCase(child.photoName + ".jpg")) > 0;
}

// The list holds no text of its own: it asks for the rows it shows
// (cellText), so that a class of thousands shows at once after every change.
void CClassListDlg::show(int select) {
    const int rows = (int)class_->children().size();
    SendMessageW(list_.m_hWnd, LVM_SETITEMCOUNT, (WPARAM)rows, 0);
    InvalidateRect(list_.m_hWnd, nullptr, FALSE);
    if (select >= 0 && select < rows) list_.SelectItem(select);
    showCount();
}

std::string CClassListDlg::cellText(int row, int column) const {
    const ClassChild& child = class_->children()[row];
    switch (column) {
    case 0: return core->getStrInt(row + 1);
    case 1: return child.name;
    case 2: return hasPhoto(child) ? "有" : "";
    case 3: return child.inHeat ? "√" : "";
    case 4: return child.sex;
    }
    return std::string();
}

void CClassListDlg::giveCell(NMLVDISPINFOW* info) const {
    LVITEMW& item = info->item;
    if (!(item.mask & LVIF_TEXT) || item.iItem < 0 || item.iItem >= (int)class_->children().size() ||
        item.cchTextMax <= 0)
        return;
    const std::wstring text = CCore::systemText(cellText(item.iItem, item.iSubItem));
    lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
}

void CClassListDlg::showCount() {
    SetDlgItemText(IDC_CLASS_COUNT, "全班 " + core->getStrInt((int)class_->children().size()) + " 人\n本组 " +
                                        core->getStrInt(class_->heatSize()) + " 人（最多 8 人）");
}

// The row the operator selected; -1, once they were asked to select one, when none is.
int CClassListDlg::selected() {
    const int row = (int)SendMessageW(list_.m_hWnd, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
    if (row < 0) core->msgboxInfo(m_hWnd, "请先在列表里选中一个人。");
    return row;
}

// A character code page 936 lacks would be a '?' in every file.
bool CClassListDlg::typedName(std::string* name) {
    std::vector<int> lossy;
    *name = GetDlgItemText(IDC_CLASS_NAME, &lossy);
    if (lossy.empty()) return true;
    core->msgboxWarning(m_hWnd, std::string("不能使用这个名字：\n\n名字里有") + kLacksCharacter +
                                    "，照片也对不上。请换一种写法。");
    return false;
}

bool CClassListDlg::accepted(NameProblem problem, const std::string& name) {
    const char* why = "";
    switch (problem) {
    case NameProblem::None: return true;
    case NameProblem::Empty: why = "名字是空的。请在名字框里写上名字（前后的空格不算）。"; break;
    case NameProblem::LineBreak: why = "名字里有换行。一个名字只能占一行。"; break;
    case NameProblem::Comma:
        why = "名字里有英文逗号“,”，成绩记录文件用它分隔各项。可以改用中文逗号“，”。";
        break;
    case NameProblem::TooLong:
        why = "名字太长：最多 11 个字节，也就是 5 个汉字（或者 5 个汉字加 1 个字母或数字）。";
        break;
    case NameProblem::Taken:
        why = "名单里已经有这个名字了（英文字母不分大小写）。同名的两个人请用不同的写法区分，例如“张伟2”。";
        break;
    case NameProblem::DeviceName:
        why = "这是 Windows 保留的设备名（CON、PRN、AUX、NUL、COM1、LPT1 等，带不带扩展名都一样），"
              "不能用作照片的文件名。请换一种写法，例如加上姓。";
        break;
    case NameProblem::LacksCharacter: why = "名字里有本机中文字符集（GBK）没有的字。请换一种写法。"; break;
    }
    core->msgboxWarning(m_hWnd, "不能使用“" + trimmedName(name) + "”这个名字：\n\n" + why);
    SetFocus(GetDlgItem(m_hWnd, IDC_CLASS_NAME));
    return false;
}

void CClassListDlg::onAdd() {
    std::string name;
    if (!typedName(&name) || !accepted(class_->add(name), name)) return;
    SetDlgItemText(IDC_CLASS_NAME, "");
    show((int)class_->children().size() - 1);
    SetFocus(GetDlgItem(m_hWnd, IDC_CLASS_NAME));  // ready for the next name
}

// The clipboard's names, each through the rules of a typed one; the refused
// ones are told together with their lines, the rest added.
void CClassListDlg::onPaste() {
    std::vector<int> lossy;
    const std::string text = clipboardText(m_hWnd, &lossy);
    std::vector<PastedName> pasted = parsePastedNames(text);
    std::vector<NameIssue> refused;
    pasted.erase(std::remove_if(pasted.begin(), pasted.end(), [&](const PastedName& p) {
                     const bool lacks = std::find(lossy.begin(), lossy.end(), p.line) != lossy.end();
                     if (lacks) refused.push_back(NameIssue{NameIssue::Source::Pasted, p.line, p.name, NameProblem::LacksCharacter});
                     return lacks;
                 }), pasted.end());
    const std::size_t before = class_->children().size();
    for (const NameIssue& issue : class_->addPasted(pasted)) refused.push_back(issue);
    std::sort(refused.begin(), refused.end(), [](const NameIssue& a, const NameIssue& b) { return a.line < b.line; });
    show(class_->children().size() > before ? (int)before : -1);
    if (pasted.empty() && refused.empty()) {
        core->msgboxInfo(m_hWnd, "剪贴板里没有名字。请先在表格里选中一列名字，按 Ctrl+C 复制，再点“粘贴”。");
        return;
    }
    if (!refused.empty())
        core->msgboxWarning(m_hWnd, "已添加 " + getStrInt((int)(class_->children().size() - before)) +
                                        " 人。以下名字没有添加：\n\n" + issueLines(refused, 30));
}

bool CClassListDlg::hasResults(const std::string& name) {
    std::string bytes;
    if (!folder_.readRecords(&bytes, nullptr)) return false;
    const std::string written = recordsNameOf(name);
    std::unique_ptr<RecordsNames> names;
    bool found = false;
    forEachRecordsRace(bytes, [&](const RecordsRace& race, TextEncoding encoding) {
        if (!names) names = std::make_unique<RecordsNames>(fileTextToAnsi, encoding);
        for (const RecordsRow& row : race.rows) found = found || names->ansi(row.name) == written;
    });
    return found;
}

// The warning names the results of the name the child had when the list was
// opened: a child renamed twice in one go has results under that one.
void CClassListDlg::onRename() {
    const int row = selected();
    std::string name;
    if (row < 0 || !typedName(&name)) return;
    ClassList renamed = *class_;
    if (!accepted(renamed.rename(row, name), name)) return;
    const std::string before = class_->children()[row].photoName, after = renamed.children()[row].name;
    if (after == class_->children()[row].name) return;
    if (after != before && hasResults(before) &&
        core->msgboxQuestion(m_hWnd,
                             "“" + before + "”已经有比赛成绩。改名后，以前的成绩仍记在原来的名字“" + before +
                                 "”下（成绩记录不会因为改名而修改），周冠军榜也不会把它和新名字的成绩加在一起。\n\n"
                                 "仍要改名为“" + after + "”吗？",
                             MB_YESNO) != IDYES)
        return;
    *class_ = std::move(renamed);
    SetDlgItemText(IDC_CLASS_NAME, "");
    show(row);
}

void CClassListDlg::onRemove() {
    const int row = selected();
    if (row < 0) return;
    class_->remove(row);
    show(std::min(row, (int)class_->children().size() - 1));
}

void CClassListDlg::onMove(int by) {
    const int row = selected();
    if (row < 0) return;
    show((int)class_->move(row, by));
}

void CClassListDlg::onToggleHeat(int row) {
    if (row < 0) return;
    if (class_->toggleHeat(row) == ClassList::HeatChange::Full) {
        core->msgboxWarning(m_hWnd, "本组已经有 8 人了，一次最多 8 人同时比赛。\n\n"
                                    "请先把本组的一个人移出（双击那一行），再加入别人。");
        return;
    }
    show(row);
}

void CClassListDlg::onNextHeat() {
    class_->nextHeat();
    const std::vector<ClassChild>& children = class_->children();
    const auto first = std::find_if(children.begin(), children.end(), [](const ClassChild& c) { return c.inHeat; });
    show(first == children.end() ? -1 : (int)(first - children.begin()));
}

void CClassListDlg::onRowClicked(int row) {
    if (row < 0) return;
    const ClassChild& child = class_->children()[row];
    SetDlgItemText(IDC_CLASS_NAME, child.name);
    int item = 0;
    while (item < 2 && child.sex != kSexes[item]) ++item;
    SendDlgItemMessageW(m_hWnd, IDC_CLASS_SEX, CB_SETCURSEL, (WPARAM)item, 0);
}

// The selected child's 性别 as chosen in the list 性别.
void CClassListDlg::onSexChosen() {
    const int row = selected();
    const int item = (int)SendDlgItemMessageW(m_hWnd, IDC_CLASS_SEX, CB_GETCURSEL, 0, 0);
    if (row < 0 || item < 0 || item > 2) return;
    class_->setSex((std::size_t)row, kSexes[item]);
    show(row);
}

// Held until OK, so that Cancel leaves every photo as it was.
void CClassListDlg::onPhoto() {
    const int row = selected();
    if (row < 0) return;
    const std::string name = class_->children()[row].name;
    if (folder_.photoPath(name).empty()) {
        core->msgboxWarning(m_hWnd, "“" + name + "”不能用作文件名（名字里有 \\ / : * ? \" < > | 这类字符），"
                                                  "所以不能有自己的照片，记分牌上显示默认照片。");
        return;
    }
    std::wstring source;
    std::string jpeg, reason;
    if (!askPicture(m_hWnd, name, &source)) return;
    if (!photoAsJpeg(source, &jpeg, &reason)) {
        core->msgboxWarning(m_hWnd, "无法使用这个图片：\n" + wideToAnsi(source) + "\n\n" + reason);
        return;
    }
    class_->setNewPhoto(row, std::move(jpeg));
    show(row);
}

// Anything the operator would lose by closing: the list, the photos chosen
// or moved, the class's name.
bool CClassListDlg::changed() {
    const bool photos = std::any_of(class_->children().begin(), class_->children().end(),
                                    [](const ClassChild& c) { return !c.newPhoto.empty(); });
    return class_->classChanged() || class_->rosterChanged() || photos || !class_->photoMoves().empty() ||
           trimmedClassName(GetDlgItemText(IDC_CLASS_TITLE)) != classes_.currentName();
}

void CClassListDlg::OnCancel() {
    if (changed() && core->msgboxQuestion(m_hWnd, "放弃修改？\n\n名单的改动都不会保存。", MB_YESNO | MB_DEFBUTTON2) != IDYES)
        return;
    CDialog::OnCancel();
}

void CClassListDlg::OnOK() {
    const std::vector<NameIssue> problems = class_->problems();
    if (!problems.empty()) {
        core->msgboxWarning(m_hWnd, "名单里还有不能用的名字，请先改名或删除：\n\n" + issueLines(problems));
        return;
    }
    std::string className;
    if (!typedClassName(*this, IDC_CLASS_TITLE, classes_.names(), classes_.currentName(), &className) ||
        !saveAll(className))
        return;
    if (className != classes_.currentName()) renamedTo = className;
    CDialog::OnOK();
}

// Every file and photo, or none: on a failure the operator learns which
// step failed and the dialog stays open, with everything as it was.
bool CClassListDlg::saveAll(const std::string& className) {
    CorePlanFiles files;
    ClassSavePlan plan(files, folder_.path(), folder_.backupFolder(), fileStamp(core->getTimeNow(), '-'));
    for (const PhotoMove& move : class_->photoMoves()) {
        const std::string from = folder_.photoPath(move.from), to = folder_.photoPath(move.to);
        if (!from.empty() && !to.empty()) plan.movePhoto(from, to);
    }
    for (const ClassChild& child : class_->children())
        if (!child.newPhoto.empty()) plan.newPhoto(folder_.photoPath(child.name), child.newPhoto);
    // A class that came from the roster alone is kept whole once the roster
    // holds only the heat.
    const bool writeRoster = class_->rosterChanged() || (!rosterFile_.exists && class_->heatSize() > 0);
    if (class_->classChanged() || (writeRoster && !classFile_.exists))
        plan.writeText(classFile_.path, classFile_.encoded(class_->classText()), "名单");
    if (writeRoster) plan.writeText(rosterFile_.path, rosterFile_.encoded(class_->rosterText()), "比赛名单");
    if (className != classes_.currentName() && !classes_.currentIsFirst())
        plan.renameLast(withoutBackslash(classes_.folderOf(classes_.currentName())),
                        withoutBackslash(classes_.folderOf(className)), "班级文件夹");
    const ClassSavePlan::Outcome outcome = plan.carryOut();
    if (outcome.done) return true;
    // A file that could not move is named by the name it has.
    const PlanStep& failed = outcome.failed;
    const std::string& file = failed.kind == PlanStep::Kind::Rename ? failed.from : failed.path;
    core->msgboxWarning(m_hWnd, "无法保存" + failed.what + "：\n" + file + "\n\n原因：" +
                                    outcome.error +
                                    (outcome.restored ? "\n\n名单、照片和文件都保持原样。请关闭正在使用这个文件的程序，"
                                                        "或者去掉它的“只读”属性，再点“确定”。"
                                                      : "\n\n有些已做的改动没能还原，请检查数据文件夹。"));
    return false;
}
