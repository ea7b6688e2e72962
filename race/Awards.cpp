#include "race/Awards.h"

#include "core/Core.h"
#include "core/FileRules.h"
#include "output/CertificatePage.h"
#include "race/AwardDlg.h"

#include <shellapi.h>

namespace {

// A file of that name in the folder, numbered when one is there already.
std::string freePath(const std::string& folder, const std::string& fileName) {
    const std::size_t dot = fileName.rfind('.');
    return firstFreeName(folder + fileName.substr(0, dot), fileName.substr(dot),
                         [](const std::string& name) { return core->isFileExist(name) != 0; });
}

void tellMade(HWND owner, const std::string& folder, int made, const std::string& failed) {
    if (!failed.empty()) {
        core->msgboxWarning(owner, "以下奖状无法保存：\n" + failed + (made ? "\n其余 " + core->getStrInt(made) +
                                                                                 " 张已保存到：\n" + folder
                                                                           : std::string()));
        if (!made) return;
    }
    const std::string text = "已生成 " + core->getStrInt(made) + " 张奖状，保存在：\n" + folder + "\n\n打开这个文件夹吗？";
    if (core->msgboxQuestion(owner, text, MB_YESNO) == IDYES)
        ShellExecuteW(owner, L"open", CCore::systemText(folder).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

void makeCertificates(HWND owner, const DataFolder& folder, const std::string& className, HonourKind kind,
                      const std::vector<Honoured>& honoured, const std::string& none) {
    if (honoured.empty()) {
        core->msgboxInfo(owner, none);
        return;
    }
    CAwardDlg ask(owner);
    if (ask.DoModal() != IDOK) return;
    const LocalTime today = core->getTimeNow();
    const std::string target = folder.exportFolder() + "奖状_" + formatDate(today) + "\\";
    core->createFolder(target);
    int made = 0, number = 0;
    std::string failed;
    for (const Honoured& h : honoured) {
        const Certificate certificate{kind, h.name, className, h.achievement, ask.school, ask.teacher, today};
        const std::string path = freePath(target, certificateFileName(certificate, ++number));
        std::string reason = "同名的文件太多";
        if (!path.empty() && saveCertificate(certificate, folder.photoPath(h.name), path, &reason)) {
            ++made;
            continue;
        }
        failed += h.name + "：" + reason + "\n";
    }
    tellMade(owner, target, made, failed);
}
