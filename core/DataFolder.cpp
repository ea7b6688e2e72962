#include "core/DataFolder.h"

#include "core/Core.h"
#include "core/FileRules.h"

namespace {
// Every race a data folder ever held: years of lessons stay far below this,
// and a file larger is none the program wrote.
const size_t kRecordsReadLimit = (size_t)1 << 30;
// A class list or a roster is a few dozen lines; a file this size is none.
const size_t kNamesReadLimit = 1 << 20;

const char kCloseOtherProgram[] = "\n\n请关闭正在使用该文件的程序（例如 Excel）后再试。";
}  // namespace

const char kLacksCharacter[] = "本机中文字符集（GBK）没有的字，只能显示成“?”";

std::string TextFile::encoded(const std::string& ansi) const { return mark + encodeAs(ansi, encoding); }

void DataFolder::moveTo(const std::string& folder, const std::string& firstClass) {
    path_ = folder;
    firstClass_ = firstClass;
    core->createFolder(path_);
    core->createFile(recordsPath());
}

std::string DataFolder::defaultPhotoPath() const {
    const std::string own = path_ + "_face.jpg";
    return firstClass_.empty() || core->isFileExist(own) ? own : firstClass_ + "_face.jpg";
}

std::string DataFolder::backupFolder() const {
    const std::string folder = path_ + "backup\\";
    core->createFolder(folder);
    return folder;
}

std::string DataFolder::exportFolder() const {
    const std::string folder = path_ + "export\\";
    core->createFolder(folder);
    return folder;
}

std::string DataFolder::photoPath(std::string_view name) const {
    return isSafePhotoName(name) ? path_ + std::string(name) + ".jpg" : std::string();
}

bool DataFolder::readRecords(std::string* bytes, HWND owner) const {
    DWORD error = 0;
    if (core->readFile(recordsPath(), bytes, kRecordsReadLimit, &error)) return true;
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
    if (owner)
        core->msgboxWarning(owner, "记录文件无法读取：\n" + recordsPath() + "\n\n原因：" + CCore::errorText(error) +
                                       kCloseOtherProgram);
    return false;
}

DataFolder::Rewrite DataFolder::rewriteRecords(const std::string& before, const std::string& after,
                                               HWND owner) const {
    std::string now;
    DWORD error = 0;
    if (core->readFile(recordsPath(), &now, kRecordsReadLimit, &error)) {
        if (now != before) {
            core->msgboxWarning(owner, "记录文件在打开成绩管理之后被修改过：\n" + recordsPath() +
                                           "\n\n已重新读取，请再改一次。");
            return Rewrite::ChangedMeanwhile;
        }
        if (core->replaceFile(recordsPath(), now, after, backupFolder(), &error)) return Rewrite::Done;
    }
    core->msgboxWarning(owner, "记录文件无法修改：\n" + recordsPath() + "\n\n原因：" + CCore::errorText(error) +
                                   kCloseOtherProgram + "成绩没有改动。");
    return Rewrite::Failed;
}

bool DataFolder::readText(const std::string& path, TextFile* file, HWND owner, DWORD* reason) const {
    DWORD unused = 0;
    DWORD& error = reason ? *reason : unused;
    *file = TextFile();
    file->path = path;
    if (!core->readFile(path, &file->bytes, kNamesReadLimit, &error)) {
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
        if (owner) core->msgboxWarning(owner, "无法读取名单文件：\n" + path + "\n\n原因：" + CCore::errorText(error));
        return false;
    }
    file->exists = true;
    std::size_t mark = 0;
    file->encoding = detectTextEncoding(file->bytes, &mark);
    file->mark = file->bytes.substr(0, mark);
    file->text = core->textToAnsi(file->bytes, &file->lossyLines);
    return true;
}
