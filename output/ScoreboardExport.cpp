#include "output/ScoreboardExport.h"

#include "core/Core.h"
#include "output/ExportTable.h"
#include "output/OutputWnd.h"
#include "core/RaceState.h"

void exportScoreboard(const DataFolder& folder, COutputWnd& output, HWND owner) {
    output.refresh();
    const std::string stamp = fileStamp(core->getTimeNow());
    const ExportBoards boards = {contestants,       resultsReady != 0, weeklyTotals, output.hasWeeklyData != 0,
                                 contestantCount, output.weeklyCount()};
    exportPictureAndTable(
        folder, owner, "画面_" + stamp + ".png", "画面",
        [&output](const std::string& path, std::string* reason) { return output.savePicture(path, reason); },
        "成绩_" + stamp + ".csv", exportTable(boards));
}

void exportPictureAndTable(const DataFolder& folder, HWND owner, const std::string& pictureName, const char* what,
                           const std::function<bool(const std::string& path, std::string* reason)>& savePicture,
                           const std::string& tableName, const std::string& table) {
    const std::string exports = folder.exportFolder();
    const std::string picture = exports + pictureName, tablePath = exports + tableName;
    std::string reason;
    if (!savePicture(picture, &reason)) {
        core->msgboxWarning(owner, std::string("导出失败，无法保存") + what + "：\n" + picture + "\n\n原因：" + reason);
        return;
    }
    DWORD error = 0;
    if (!core->writeFile(tablePath, "\xEF\xBB\xBF" + core->ansiToUtf8(table), &error)) {
        core->msgboxWarning(owner, "导出失败，无法保存成绩表：\n" + tablePath + "\n\n原因：" + CCore::errorText(error) +
                                       "\n\n" + what + "已保存：\n" + picture);
        return;
    }
    core->msgboxInfo(owner, "已导出到：\n" + picture + "\n" + tablePath);
}
