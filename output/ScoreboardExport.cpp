#include "output/ScoreboardExport.h"

#include "core/Core.h"
#include "output/ExportTable.h"
#include "output/OutputWnd.h"
#include "race/RaceState.h"

void exportScoreboard(COutputWnd& output, HWND owner) {
    output.refresh();
    const std::string folder = dataDir + "export\\";
    core->createFolder(folder);
    const std::string stamp = fileStamp(core->getTimeNow());
    const std::string picture = folder + "画面_" + stamp + ".png";
    const std::string table = folder + "成绩_" + stamp + ".csv";

    std::string reason;
    if (!output.savePicture(picture, &reason)) {
        core->msgboxWarning(owner, "导出失败，无法保存画面：\n" + picture + "\n\n原因：" + reason);
        return;
    }
    const ExportBoards boards = {contestants, resultsReady != 0, weeklyTotals, output.hasWeeklyData != 0,
                                 contestantCount};
    // UTF-8 with a byte-order mark: every spreadsheet reads it without mojibake.
    const std::string bytes = "\xEF\xBB\xBF" + core->ansiToUtf8(exportTable(boards));
    DWORD error = 0;
    if (!core->writeFile(table, bytes, &error)) {
        core->msgboxWarning(owner, "导出失败，无法保存成绩表：\n" + table + "\n\n原因：" + CCore::errorText(error) +
                                       "\n\n画面已保存：\n" + picture);
        return;
    }
    core->msgboxInfo(owner, "已导出到：\n" + picture + "\n" + table);
}
