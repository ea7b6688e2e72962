#include "race/RaceFiles.h"

#include "core/Core.h"
#include "race/ClassFiles.h"
#include "race/Roster.h"

#include <algorithm>

namespace {
// A journal is a line per key press: a race of hours stays far below this.
const size_t kJournalReadLimit = 16 << 20;
}  // namespace

std::vector<std::string> CRaceFiles::readRoster(HWND owner) {
    std::string problem;
    std::vector<std::string> names = readRosterNames(&problem);
    rosterProblem_ = problem;
    tellRosterProblem(owner);
    return names;
}

std::vector<std::string> CRaceFiles::readClassNames() {
    std::vector<std::string> names;
    for (const ClassChild& child : readClassChildren(folder_)) names.push_back(child.name);
    return names;
}

void CRaceFiles::tellRosterProblem(HWND owner) {
    // Each problem once: another class's roster may have one of its own.
    if (rosterProblem_.empty() || rosterProblem_ == rosterProblemTold_ || !owner) return;
    rosterProblemTold_ = rosterProblem_;
    core->msgboxWarning(owner, rosterProblem_);
}

std::vector<std::string> CRaceFiles::readRosterNames(std::string* problem) {
    // Notepad saves "ANSI", UTF-8 or "Unicode"; operators cannot tell the
    // difference.
    TextFile roster;
    DWORD error = 0;
    if (!folder_.readText(folder_.rosterPath(), &roster, nullptr, &error) || !roster.exists) {
        *problem = "找不到或无法读取参赛者名单：\n" + roster.path + "\n\n原因：" + CCore::errorText(error) +
                   "\n\n参赛者列表为空，比赛仍可进行。";
        return {};
    }
    std::vector<int> lineNumbers;
    std::vector<std::string> names = parseRoster(roster.text, &lineNumbers);
    std::string lossy;
    for (int line : roster.lossyLines) {
        if (std::find(lineNumbers.begin(), lineNumbers.end(), line) == lineNumbers.end()) continue;
        lossy += (lossy.empty() ? "" : "、") + core->getStrInt(line);
    }
    if (!lossy.empty())
        *problem = "参赛者名单第 " + lossy + " 行的名字里有" + kLacksCharacter + "，照片也找不到：\n" +
                   roster.path + "\n\n请改用字符集里有的字，或者换一种写法。";
    return names;
}

// Told once per race: the race itself goes on in memory as before.
void CRaceFiles::warnJournal(DWORD error, HWND owner) {
    if (!session_.journalFailed()) return;
    core->msgboxWarning(owner, "无法写入比赛过程记录：\n" + folder_.journalPath() + "\n\n原因：" + CCore::errorText(error) +
                                   "\n\n比赛照常进行；但如果程序中途意外关闭，这场比赛将无法恢复。");
}

void CRaceFiles::carryOut(const RaceStep& step, HWND owner) {
    DWORD error = 0;
    switch (step.journal) {
    case RaceStep::Journal::Nothing: return;
    case RaceStep::Journal::Append:
        if (!core->appendLinesFlushed(folder_.journalPath(), step.lines, &error)) warnJournal(error, owner);
        return;
    case RaceStep::Journal::Replace:
        if (!core->replaceWhole(folder_.journalPath(), crlfLines(step.lines), &error)) warnJournal(error, owner);
        return;
    case RaceStep::Journal::Remove:
        if (core->removeFile(folder_.journalPath())) session_.journalRemoved();
        return;
    }
}

// The journal under a name with its race's date, beside the data; returns
// that name, or an empty text when it could not be renamed.
std::string CRaceFiles::keepJournalAside(int64_t wallMs, DWORD* error) {
    const std::string name =
        firstFreeName(folder_.path() + "_race-journal-" + fileStamp(fromSerialSeconds(wallMs / 1000)), ".txt",
                      [](const std::string& taken) { return core->isFileExist(taken) != 0; });
    if (name.empty()) {
        if (error) *error = ERROR_FILE_EXISTS;
        return std::string();
    }
    return core->renameFile(folder_.journalPath(), name, false, error) ? name : std::string();
}

bool CRaceFiles::journalOutOfTheWay(int64_t wallMs, HWND owner) {
    DWORD error = 0;
    if (!core->isFileExist(folder_.journalPath()) || !keepJournalAside(wallMs, &error).empty()) return true;
    core->msgboxWarning(owner, "上次留下的比赛过程记录无法另存，仍保留为：\n" + folder_.journalPath() + "\n\n原因：" +
                                   CCore::errorText(error) +
                                   "\n\n比赛照常进行；但这场比赛不记录过程，程序中途意外关闭将无法恢复。");
    return false;
}

bool CRaceFiles::writeWaitingBlocks(HWND owner) {
    while (!session_.waitingBlocks().empty()) {
        DWORD error = 0;
        AppendedBytes appended;
        if (core->logAddLines(folder_.recordsPath(), session_.waitingBlocks().front(), &error, &appended)) {
            session_.blockWritten(appended);
            continue;
        }
        if (!owner) return false;
        const std::string text =
            "比赛成绩无法写入记录文件：\n" + folder_.recordsPath() + "\n\n原因：" + CCore::errorText(error) +
            "\n\n请关闭正在使用该文件的程序（例如 Excel）后点“重试”。\n"
            "点“取消”则暂时保留成绩，下一场比赛结束或关闭程序时再写入。";
        if (!core->msgboxRetry(owner, text)) return false;
    }
    carryOut(session_.afterWriting(), owner);
    return true;
}

void CRaceFiles::warnUnwritten(HWND owner) {
    if (session_.waitingBlocks().empty()) return;
    std::string text = "以下比赛成绩未能写入记录文件，关闭程序后将丢失，请抄录保存：\n" + folder_.recordsPath() + "\n\n";
    for (const auto& block : session_.waitingBlocks())
        for (const auto& line : block) text += line + "\n";
    core->msgboxWarning(owner, text);
}

bool CRaceFiles::removeEndedBlock(HWND owner) {
    DWORD error = 0;
    switch (core->removeAppended(folder_.recordsPath(), session_.endedBlock(), &error)) {
    case CCore::TakeBack::Done: return true;
    case CCore::TakeBack::Changed:
        core->msgboxWarning(owner, "记录文件在比赛结束后被修改过：\n" + folder_.recordsPath() +
                                       "\n\n无法撤销结束，这场比赛的成绩保持不变。");
        return false;
    case CCore::TakeBack::Failed:
        core->msgboxWarning(owner, "记录文件无法修改：\n" + folder_.recordsPath() + "\n\n原因：" + CCore::errorText(error) +
                                       "\n\n请关闭正在使用该文件的程序（例如 Excel）后再试。");
        return false;
    }
    return false;
}

bool CRaceFiles::leftRace(HWND owner, JournalRace* race) {
    if (!core->isFileExist(folder_.journalPath())) return false;
    std::string bytes, records;
    DWORD error = 0;
    // One that cannot be read whole is the operator's to look at.
    const bool read = core->readFile(folder_.journalPath(), &bytes, kJournalReadLimit, &error);
    folder_.readRecords(&records, nullptr);  // unreadable: nothing written in it
    const ResumeDecision d = read ? decideResume(bytes, records) : ResumeDecision{ResumeOffer::KeepUnreadable, {}};
    switch (d.offer) {
    case ResumeOffer::Remove:
        core->removeFile(folder_.journalPath());
        return false;
    case ResumeOffer::KeepUnreadable: {
        const std::string aside = keepJournalAside(core->wallNowMs(), &error);
        core->msgboxWarning(owner, aside.empty() ? "上次留下的比赛过程记录无法读取，也无法另存，仍保留为：\n" +
                                                       folder_.journalPath() + "\n\n原因：" + CCore::errorText(error)
                                                 : "上次留下的比赛过程记录无法读取，已另存为：\n" + aside);
        return false;
    }
    case ResumeOffer::Ask:
        *race = d.race;
        return true;
    }
    return false;
}

// Never removed: a journal that cannot be moved aside stays as it is, and
// the operator learns the name it has.
void CRaceFiles::keepDeclined(const JournalRace& race, HWND owner) {
    DWORD error = 0;
    if (keepJournalAside(race.startWallMs, &error).empty())
        core->msgboxWarning(owner, "这场比赛的过程记录无法另存，仍保留为：\n" + folder_.journalPath() + "\n\n原因：" +
                                       CCore::errorText(error) + "\n\n下次启动程序时还会询问。");
}
