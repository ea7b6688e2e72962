#include "output/ScoreboardExport.h"

#include "core/Core.h"
#include "output/ExportTable.h"
#include "output/OutputWnd.h"
#include "race/RaceState.h"

void exportScoreboard(COutputWnd& output, HWND owner) {
    output.refresh();
    const std::string stamp = fileStamp(core->getTimeNow());
    const ExportBoards boards = {contestants, resultsReady != 0, weeklyTotals, output.hasWeeklyData != 0,
                                 contestantCount};
    exportPictureAndTable(
        owner, "画面_" + stamp + ".png", "画面",
        [&output](const std::string& path, std::string* reason) { return output.savePicture(path, reason); },
        "成绩_" + stamp + ".csv", exportTable(boards));
}

void exportPictureAndTable(HWND owner, const std::string& pictureName, const char* what,
                           const std::function<bool(const std::string& path, std::string* reason)>& savePicture,
                           const std::string& tableName, const std::string& table) {
    const std::string folder = dataDir + "export\\";
    core->createFolder(folder);
    const std::string picture = folder + pictureName, tablePath = folder + tableName;
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
