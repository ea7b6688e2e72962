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
    exportPicturesAndTable(
        folder, owner, {"画面_" + stamp + ".png"}, "画面",
        [&output](std::size_t, const std::string& path, std::string* reason) { return output.savePicture(path, reason); },
        "成绩_" + stamp + ".csv", exportTable(boards));
}

void exportPicturesAndTable(const DataFolder& folder, HWND owner, const std::vector<std::string>& pictureNames,
                            const char* what, const SavePicture& savePicture, const std::string& tableName,
                            const std::string& table) {
    const std::string exports = folder.exportFolder();
    std::string saved, failed;
    for (std::size_t i = 0; i < pictureNames.size(); ++i) {
        const std::string path = exports + pictureNames[i];
        std::string reason;
        if (savePicture(i, path, &reason)) saved += path + "\n";
        else if (failed.empty()) failed = std::string("无法保存") + what + "：\n" + path + "\n\n原因：" + reason + "\n\n";
    }
    const std::string tablePath = exports + tableName;
    DWORD error = 0;
    if (core->writeFile(tablePath, "\xEF\xBB\xBF" + core->ansiToUtf8(table), &error)) saved += tablePath + "\n";
    else failed += "无法保存成绩表：\n" + tablePath + "\n\n原因：" + CCore::errorText(error) + "\n\n";
    if (failed.empty()) {
        core->msgboxInfo(owner, "已导出到：\n" + saved);
        return;
    }
    core->msgboxWarning(owner, "导出失败。" + failed + (saved.empty() ? std::string() : "以下文件已保存：\n" + saved));
}
