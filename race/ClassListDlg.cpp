#include "race/ClassListDlg.h"

#include "core/Core.h"
#include "core/FileRules.h"
#include "core/TextFields.h"
#include "core/TimeStamp.h"
#include "framework/Handles.h"
#include "records/RecordLines.h"
#include "records/RecordsScan.h"
#include "res/resource.h"

#include <commdlg.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdint>

namespace {

// 1D5BE4B5-FA4A-452D-9CDD-5DB35105E7EB, GDI+'s EncoderQuality.
const GUID kEncoderQuality = {0x1d5be4b5, 0xfa4a, 0x452d, {0x9c, 0xdd, 0x5d, 0xb3, 0x51, 0x05, 0xe7, 0xeb}};
const ULONG kJpegQuality = 90;

// A camera keeps a portrait photo lying on its side and says so in the
// photo's EXIF orientation (1 to 8), which GDI+ leaves to its caller.
void turnUpright(gp::GpImage* image) {
    static const gp::RotateFlipType kTurn[] = {
        gp::RotateNoneFlipNone, gp::RotateNoneFlipNone, gp::RotateNoneFlipX,
        gp::Rotate180FlipNone,  gp::Rotate180FlipX,     gp::Rotate90FlipX,
        gp::Rotate90FlipNone,   gp::Rotate270FlipX,     gp::Rotate270FlipNone};
    UINT size = 0;
    if (gp::GdipGetPropertyItemSize(image, PropertyTagOrientation, &size) != gp::Ok ||
        size < sizeof(gp::PropertyItem) + 2)
        return;
    std::vector<BYTE> buffer(size);
    auto* item = reinterpret_cast<gp::PropertyItem*>(buffer.data());
    if (gp::GdipGetPropertyItem(image, PropertyTagOrientation, size, item) != gp::Ok ||
        item->type != PropertyTagTypeShort || item->length < 2 || !item->value)
        return;
    const unsigned short orientation = *static_cast<const unsigned short*>(item->value);
    if (orientation < sizeof kTurn / sizeof kTurn[0]) gp::GdipImageRotateFlip(image, kTurn[orientation]);
}

// The bytes an encoder wrote into a stream in memory.
bool streamBytes(IStream* stream, std::string* bytes) {
    STATSTG stat = {};
    LARGE_INTEGER start = {};
    if (stream->Stat(&stat, STATFLAG_NONAME) != S_OK || stream->Seek(start, STREAM_SEEK_SET, nullptr) != S_OK)
        return false;
    bytes->assign((size_t)stat.cbSize.QuadPart, '\0');
    ULONG got = 0;
    return bytes->empty() ||
           (stream->Read(&(*bytes)[0], (ULONG)bytes->size(), &got) == S_OK && got == bytes->size());
}

// The system's open-file dialog for a picture; false when the operator
// chose none.
bool askPicture(HWND owner, const std::string& name, std::wstring* path) {
    static const char kFilter[] = "图片（JPEG、PNG、BMP、GIF）\0*.jpg;*.jpeg;*.jpe;*.png;*.bmp;*.gif\0"
                                  "所有文件\0*.*\0";
    const std::wstring filter = toWide(std::string(kFilter, sizeof kFilter));
    const std::wstring title = toWide("选择“" + name + "”的照片");
    std::vector<wchar_t> file(32768, L'\0');
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = (DWORD)file.size();
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (GetOpenFileNameW(&ofn)) {
        *path = file.data();
        return true;
    }
    if (const DWORD error = CommDlgExtendedError())
        core->msgboxWarning(owner, "无法打开选择文件的窗口（错误 " + core->getStrInt((int)error) + "）。");
    return false;
}

}  // namespace

bool photoAsJpeg(const std::wstring& source, std::string* jpeg, std::string* reason) {
    *reason = "无法转换这个图片（内存不足，或者系统缺少 JPEG 编码器）。";
    gp::GpImage* loaded = nullptr;
    UINT w = 0, h = 0;
    if (gp::GdipLoadImageFromFile(source.c_str(), &loaded) != gp::Ok || !loaded) {
        *reason = "不是能识别的图片。请选择 JPEG、PNG、BMP 或 GIF 图片。";
        return false;
    }
    const gp::ScopedImage picture(loaded);
    turnUpright(picture.get());
    gp::GdipGetImageWidth(picture.get(), &w);
    gp::GdipGetImageHeight(picture.get(), &h);
    if (w == 0 || h == 0) return false;
    const UINT height = std::min(h, kPhotoHeight);
    const UINT width = std::max<UINT>(1, (UINT)((uint64_t)w * height / h));
    gp::GpBitmap* bitmap = nullptr;
    if (gp::GdipCreateBitmapFromScan0((INT)width, (INT)height, 0, PixelFormat24bppRGB, nullptr, &bitmap) != gp::Ok)
        return false;
    const gp::ScopedImage photo(bitmap);
    {
        gp::GpGraphics* g = nullptr;
        if (gp::GdipGetImageGraphicsContext(photo.get(), &g) != gp::Ok) return false;
        const gp::ScopedGraphics graphics(g);
        gp::GdipGraphicsClear(g, 0xFFFFFFFF);  // JPEG has no transparency: white, as on paper
        gp::GdipSetInterpolationMode(g, gp::InterpolationModeHighQualityBicubic);
        gp::GdipSetPixelOffsetMode(g, gp::PixelOffsetModeHighQuality);
        if (gp::GdipDrawImageRectI(g, picture.get(), 0, 0, (INT)width, (INT)height) != gp::Ok) return false;
    }
    CLSID encoder;
    gp::ScopedStream stream(SHCreateMemStream(nullptr, 0));
    ULONG quality = kJpegQuality;
    gp::EncoderParameters parameters = {};
    parameters.Count = 1;
    parameters.Parameter[0] = {kEncoderQuality, 1, gp::EncoderParameterValueTypeLong, &quality};
    return findImageEncoder(L"image/jpeg", &encoder) && stream &&
           gp::GdipSaveImageToStream(photo.get(), stream.get(), &encoder, &parameters) == gp::Ok &&
           streamBytes(stream.get(), jpeg);
}

CClassListDlg::CClassListDlg(HWND parent, const DataFolder& folder)
    : CDialog(IDD_CLASS_LIST, parent), folder_(folder) {}

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
    class_ = std::make_unique<ClassList>(classFile_.text, classFile_.exists, rosterFile_.text);
    list_.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    list_.InsertColumn(0, "序号", LVCFMT_LEFT, 45);
    list_.InsertColumn(1, "姓名", LVCFMT_LEFT, 110);
    list_.InsertColumn(2, "照片", LVCFMT_CENTER, 50);
    list_.InsertColumn(3, "本组", LVCFMT_CENTER, 50);
    show(-1);
    warnLossy(classFile_);
    warnLossy(rosterFile_);
    SetFocus(GetDlgItem(m_hWnd, IDC_CLASS_NAME));
    return FALSE;
}

void CClassListDlg::warnLossy(const TextFile& file) {
    if (file.lossyLines.empty()) return;
    std::string lines;
    for (int line : file.lossyLines) lines += (lines.empty() ? "" : "、") + core->getStrInt(line);
    core->msgboxWarning(GetWindow(m_hWnd, GW_OWNER),
                        "名单文件第 " + lines + " 行的名字里有" + kLacksCharacter + "：\n" +
                            file.path + "\n\n点“确定”保存名单时，这些字会写成“?”；请改用字符集里有的字。");
}

BOOL CClassListDlg::PreTranslateMessage(MSG* msg) {
    // Enter in the name box adds the name, so that a class is typed in one go.
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN && msg->hwnd == GetDlgItem(m_hWnd, IDC_CLASS_NAME)) {
        onAdd();
        return TRUE;
    }
    return CDialog::PreTranslateMessage(msg);
}

void CClassListDlg::OnCommand(UINT id, UINT code) {
    if (code != BN_CLICKED) return;
    switch (id) {
    case IDC_CLASS_ADD: onAdd(); break;
    case IDC_CLASS_RENAME: onRename(); break;
    case IDC_CLASS_REMOVE: onRemove(); break;
    case IDC_CLASS_UP: onMove(-1); break;
    case IDC_CLASS_DOWN: onMove(1); break;
    case IDC_CLASS_PHOTO: onPhoto(); break;
    case IDC_CLASS_NEXT_HEAT: onNextHeat(); break;
    case IDC_CLASS_IN_HEAT: onToggleHeat(selected()); break;
    }
}

LRESULT CClassListDlg::OnNotify(NMHDR* header) {
    if (header->idFrom != IDC_CLASS_CHILDREN) return 0;
    switch (header->code) {
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

void CClassListDlg::show(int select) {
    list_.DeleteAllItems();
    const std::vector<ClassChild>& children = class_->children();
    for (std::size_t i = 0; i < children.size(); ++i) {
        const int row = (int)i;
        list_.InsertItem(row, core->getStrInt(row + 1));
        list_.SetItemText(row, 1, children[i].name);
        const bool photo = !children[i].newPhoto.empty() || core->isFileExist(folder_.photoPath(children[i].photoName));
        list_.SetItemText(row, 2, photo ? "有" : "");
        list_.SetItemText(row, 3, children[i].inHeat ? "√" : "");
    }
    if (select >= 0 && select < (int)children.size()) list_.SelectItem(select);
    SetDlgItemText(IDC_CLASS_COUNT, "全班 " + core->getStrInt((int)children.size()) + " 人\n本组 " +
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

void CClassListDlg::onRename() {
    const int row = selected();
    std::string name;
    if (row < 0 || !typedName(&name)) return;
    ClassList renamed = *class_;
    if (!accepted(renamed.rename(row, name), name)) return;
    const std::string before = class_->children()[row].name, after = renamed.children()[row].name;
    if (after == before) return;
    if (hasResults(before) &&
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
    if (row >= 0) SetDlgItemText(IDC_CLASS_NAME, class_->children()[row].name);
}

// The photo of that name, if there is one, to data\backup\; *aside says where.
bool CClassListDlg::keepPhotoAside(const std::string& name, std::string* aside, DWORD* error) {
    aside->clear();
    const std::string path = folder_.photoPath(name);
    if (!core->isFileExist(path)) return true;
    const std::string to = firstFreeName(folder_.backupFolder() + name + "-" + fileStamp(core->getTimeNow(), '-'), ".jpg",
                                         [](const std::string& file) { return core->isFileExist(file) != 0; });
    if (to.empty()) *error = ERROR_FILE_EXISTS;
    if (to.empty() || !core->renameFile(path, to, false, error)) return false;
    *aside = to;
    return true;
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

void CClassListDlg::warnUnwritten(const std::string& what, const std::string& path, DWORD error) {
    core->msgboxWarning(m_hWnd, "无法保存" + what + "：\n" + path + "\n\n原因：" + CCore::errorText(error) +
                                    "\n\n请关闭正在使用这个文件的程序，或者去掉它的“只读”属性，再试一次。");
}

// Both files or neither: when the roster cannot be written, the class file
// is put back as it was.
bool CClassListDlg::writeFiles() {
    const std::string classBytes = classFile_.encoded(class_->classText());
    const std::string rosterBytes = rosterFile_.encoded(class_->rosterText());
    const bool classChanged = !classFile_.exists || classBytes != classFile_.bytes;
    DWORD error = 0;
    if (classChanged && !core->replaceWhole(classFile_.path, classBytes, &error)) {
        warnUnwritten("名单", classFile_.path, error);
        return false;
    }
    if ((rosterFile_.exists && rosterBytes == rosterFile_.bytes) ||
        core->replaceWhole(rosterFile_.path, rosterBytes, &error))
        return true;
    if (classChanged && classFile_.exists) core->replaceWhole(classFile_.path, classFile_.bytes);
    else if (classChanged) core->removeFile(classFile_.path);
    warnUnwritten("比赛名单", rosterFile_.path, error);
    return false;
}

// In two steps, so that children who swapped names swap photos too: every
// photo leaves its old name before any takes its new one.
void CClassListDlg::movePhotos() {
    struct Parked {
        std::string from, temp, to;
    };
    std::vector<Parked> parked;
    for (const PhotoMove& move : class_->photoMoves()) {
        const std::string from = folder_.photoPath(move.from);
        if (from.empty() || folder_.photoPath(move.to).empty() || !core->isFileExist(from)) continue;
        // No child's name holds a comma, so no child's photo has this name.
        const std::string temp = folder_.path() + "_photo," + std::to_string(parked.size()) + ".jpg";
        DWORD error = 0;
        if (core->renameFile(from, temp, true, &error)) parked.push_back(Parked{move.from, temp, move.to});
        else warnUnwritten("照片", from, error);
    }
    for (const Parked& p : parked) {
        DWORD error = 0;
        std::string aside;
        if (keepPhotoAside(p.to, &aside, &error) && core->renameFile(p.temp, folder_.photoPath(p.to), false, &error))
            continue;
        core->renameFile(p.temp, folder_.photoPath(p.from));
        warnUnwritten("照片", folder_.photoPath(p.to), error);
    }
}

// The older photo of that name goes to data\backup\ first.
void CClassListDlg::saveNewPhotos() {
    for (const ClassChild& child : class_->children()) {
        if (child.newPhoto.empty()) continue;
        const std::string path = folder_.photoPath(child.name);
        std::string aside;
        DWORD error = 0;
        if (!keepPhotoAside(child.name, &aside, &error)) {
            warnUnwritten("照片", path, error);
        } else if (!core->replaceWhole(path, child.newPhoto, &error)) {
            if (!aside.empty()) core->renameFile(aside, path);  // the old photo back in its place
            warnUnwritten("照片", path, error);
        }
    }
}

void CClassListDlg::OnOK() {
    if (!writeFiles()) return;
    movePhotos();
    saveNewPhotos();
    CDialog::OnOK();
}
