#include "race/ControlDlg.h"

#include "core/Core.h"
#include "core/TextFields.h"
#include "framework/Handles.h"
#include "output/ExportTable.h"
#include "output/Layout.h"
#include "output/OutputWnd.h"
#include "output/TimeText.h"
#include "race/ClassListDlg.h"
#include "race/RaceState.h"
#include "race/RecordLines.h"
#include "race/ResultsDlg.h"
#include "race/Roster.h"
#include "race/ScoreDlg.h"
#include "res/resource.h"
#include "settings/OptionsDlg.h"

#include <algorithm>
#include <cstdlib>

COutputWnd* outputWnd = nullptr;

namespace {
const char kRaceInProgress[] = "比赛进行中，不允许操作！";
const char kZeroTime[] = "00'00.00\"";
const size_t kLongestShownText = 255;
const UINT_PTR kStartupTimer = 1;
// A roster is a few lines of names; nothing past this is looked at.
const size_t kRosterReadLimit = 1 << 20;
}  // namespace

CControlDlg::CControlDlg(HWND parent) : CDialog(IDD_CONTROL, parent) {
    appIcon = LoadIconW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

void CControlDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_CONTESTANT_LIST, contestantList);
}

BOOL CControlDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, (LPARAM)appIcon);
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, (LPARAM)appIcon);

    core = new CCore();
    core->autoFileConfig();
    appPath = core->getAppPath();
    dataDir = appPath + "data\\";
    rosterPath = dataDir + "psn.txt";
    recordsPath = dataDir + "_records.csv";
    journalPath_ = dataDir + "_race-journal.txt";
    // Results must have somewhere to go even if the data folder was forgotten.
    core->createFolder(dataDir);
    core->createFile(recordsPath, 0);

    outputPlaced = 0;
    raceRunning = 0;
    resultsReady = 0;
    contestantCount = 0;
    baseTitle = "Trackvane";

    contestants = static_cast<Contestant*>(std::calloc(MAX_CONTESTANTS, sizeof(Contestant)));
    weeklyTotals = static_cast<Contestant*>(std::calloc(MAX_CONTESTANTS, sizeof(Contestant)));

    scoreInit = core->getConfigInt("scoreInit");
    scoreStep = core->getConfigInt("scoreStep");
    // A screenful is all that can show; thousands of characters would only
    // stall every frame while their outlines are built.
    raceTitle = cutAtCharBoundary(core->getConfigStr("raceTitle"), kLongestShownText);
    tips = cutAtCharBoundary(core->getConfigStr("tips"), kLongestShownText);
    clrStr = core->getConfigClr("clrStr");
    clrDigi = core->getConfigClr("clrDigi");
    isZhangai = core->getConfigB("isZhangai") ? 1 : 0;

    contestantList.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    contestantList.InsertColumn(0, "序号", LVCFMT_LEFT, 50);
    contestantList.InsertColumn(1, "参赛者", LVCFMT_LEFT, 100);
    contestantList.InsertColumn(2, "计时", LVCFMT_LEFT, 80);
    if (isZhangai) insertScoreColumn();

    RECT second = {};
    core->getScreenRect(1, &second);
    if (second.right != 0) {
        width = second.right - second.left;
        height = second.bottom - second.top;
    } else {
        width = core->getConfigInt("width");
        height = core->getConfigInt("height");
    }

    CheckDlgButton(m_hWnd, IDC_ENABLE_OUTPUT, BST_CHECKED);
    screenWidth = GetSystemMetrics(SM_CXSCREEN);
    screenHeight = GetSystemMetrics(SM_CYSCREEN);
    mainDlgWnd = m_hWnd;
    updateCaption();
    SetTimer(m_hWnd, kStartupTimer, 200, nullptr);
    return TRUE;
}

void CControlDlg::insertScoreColumn() { contestantList.InsertColumn(3, "得分", LVCFMT_CENTER, 80); }

void CControlDlg::loadRoster() {
    contestantCount = 0;
    contestantList.DeleteAllItems();

    std::string bytes;
    DWORD error = 0;
    if (!core->readFile(rosterPath, &bytes, kRosterReadLimit, &error)) {
        rosterProblem_ = "找不到或无法读取参赛者名单：\n" + rosterPath + "\n\n原因：" +
                         CCore::errorText(error) + "\n\n参赛者列表为空，比赛仍可进行。";
        return;
    }
    // Notepad saves "ANSI", UTF-8 or "Unicode"; operators cannot tell the
    // difference.
    std::vector<int> lossyLines;
    bytes = core->textToAnsi(bytes, &lossyLines);

    std::vector<int> lineNumbers;
    const std::vector<std::string> names = parseRoster(bytes, &lineNumbers);
    std::string lossy;
    for (int line : lossyLines) {
        if (std::find(lineNumbers.begin(), lineNumbers.end(), line) == lineNumbers.end()) continue;
        lossy += (lossy.empty() ? "" : "、") + core->getStrInt(line);
    }
    if (!lossy.empty() && !rosterProblemTold_) {
        rosterProblem_ = "参赛者名单第 " + lossy +
                         " 行的名字里有本机中文字符集（GBK）没有的字，只能显示成“?”，"
                         "照片也找不到：\n" +
                         rosterPath + "\n\n请改用字符集里有的字，或者换一种写法。";
        // At start-up the first tick tells it, once the output window is up.
        if (outputWnd) {
            rosterProblemTold_ = true;
            core->msgboxWarning(m_hWnd, rosterProblem_);
        }
    }
    for (size_t i = 0; i < names.size(); ++i) {
        const int row = (int)i;
        contestantList.InsertItem(row, core->getStrInt(row + 1));
        contestantList.SetItemText(row, 1, names[i]);
        contestantList.SetItemText(row, 2, kZeroTime);
        if (isZhangai) contestantList.SetItemText(row, 3, core->getStrInt(scoreInit));
    }
    contestantCount = loadRosterInto(names, contestants, scoreInit);
}

// --- messages ---

BOOL CControlDlg::OnMessage(UINT msg, WPARAM wp, LPARAM, LRESULT* result) {
    switch (msg) {
    case WM_TIMER:
        OnTimer(wp);
        return FALSE;  // default processing follows
    case WM_PAINT:
        return OnPaint();
    case WM_QUERYDRAGICON:
        *result = (LRESULT)appIcon;
        return TRUE;
    }
    return FALSE;
}

void CControlDlg::OnCommand(UINT id, UINT code) {
    if (code != BN_CLICKED) return;
    switch (id) {
    case IDC_RACE: toggleRace(); break;
    case IDC_CLEAR_DATA: clearData(); break;
    case IDC_OPTIONS: openOptions(); break;
    case IDC_ENABLE_OUTPUT: enableOutput(); break;
    case IDC_POSITION_OUTPUT: positionOutput(); break;
    case IDC_EXPORT: onExport(); break;
    case IDC_RESULTS: openResults(); break;
    case IDC_OPEN_CLASS_LIST: openClassList(); break;
    }
}

LRESULT CControlDlg::OnNotify(NMHDR* header) {
    if (header->idFrom == IDC_CONTESTANT_LIST && header->code == NM_DBLCLK)
        onListDblClk(reinterpret_cast<const NMITEMACTIVATE*>(header));
    return 0;
}

// Enter never reaches here (it is taken before), and a stray IDOK must not
// close the operator's window in the middle of a race.
void CControlDlg::OnOK() {}

void CControlDlg::OnCancel() {
    if (raceRunning && !askBeforeClosingARace()) return;
    // The close box: a result still waiting for the file gets a last try.
    if (!flushPendingRecords(m_hWnd)) warnUnwrittenRecords(m_hWnd);
    else removeOwnJournal();  // its race, if any, is in the file now
    CDialog::OnCancel();
}

// Nothing of a race is lost without the operator having said so.
bool CControlDlg::askBeforeClosingARace() {
    const int answer = core->msgboxQuestion(
        m_hWnd,
        "比赛正在进行中，要关闭程序吗？\n\n"
        "“是”：结束比赛，保存这场比赛的成绩，然后关闭。\n"
        "“否”：不保存这场比赛，直接关闭。\n"
        "“取消”：不关闭，回到比赛。",
        MB_YESNOCANCEL);
    if (answer == IDYES) {
        toggleRace();
        return true;
    }
    if (answer != IDNO) return false;
    raceRunning = 0;
    removeOwnJournal();
    return true;
}

void CControlDlg::OnTimer(UINT_PTR id) {
    KillTimer(m_hWnd, id);
    if (id != kStartupTimer) return;
    loadRoster();
    outputWnd = new COutputWnd(nullptr);
    outputWnd->Create(IDD_OUTPUT, m_hWnd);
    showOutput();
    enableOutput();
    if (!rosterProblem_.empty() && !rosterProblemTold_) {
        rosterProblemTold_ = true;
        core->msgboxWarning(m_hWnd, rosterProblem_);
    }
    offerToResume();
}

BOOL CControlDlg::OnPaint() {
    if (!IsIconic(m_hWnd)) return FALSE;
    ScopedPaint paint(m_hWnd);
    HDC dc = paint.dc();
    SendMessageW(m_hWnd, WM_ICONERASEBKGND, (WPARAM)dc, 0);
    RECT client;
    GetClientRect(m_hWnd, &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, appIcon);
    return TRUE;
}

void CControlDlg::OnDestroy() {
    // The output window, owned by this dialog, is destroyed by now.
    delete outputWnd;
    outputWnd = nullptr;
    if (!pendingRecords_.empty()) flushPendingRecords(nullptr);
    std::free(contestants);
    contestants = nullptr;
    std::free(weeklyTotals);
    weeklyTotals = nullptr;
    delete core;
    core = nullptr;
    mainDlgWnd = nullptr;
}

BOOL CControlDlg::PreTranslateMessage(MSG* msg) {
    if (isKeyMessage(msg->message)) {
        const KeyEvent key = keyEventOf(*msg);
        const KeyDecision d = decideKey(key, raceKeyContext(KeyWindow::Control));
        carryOut(d.command, d.contestant, key.virtualKey);
        if (d.clearKey) msg->wParam = 0;
        if (d.consumed) return TRUE;
    } else if (msg->message == UM_REFRESH_TIMES) {
        refreshTimes();
    } else if (msg->message == UM_REMOTE_KEY) {
        remoteCommand((int)msg->wParam);
    } else if (msg->message == UM_RACE_COMMAND) {
        carryOut((RaceCommand)msg->wParam, (int)msg->lParam, 0);
    }
    return CDialog::PreTranslateMessage(msg);
}

void CControlDlg::carryOut(RaceCommand command, int contestant, int key) {
    // A command posted by the audience window may arrive after a modal window
    // opened; it waits for nobody and is dropped.
    if (command != RaceCommand::None && modalWindowOpen()) return;
    switch (command) {
    case RaceCommand::StartRace:
        if (!raceRunning) toggleRace();
        break;
    case RaceCommand::EndRace:
        if (raceRunning) toggleRace();
        break;
    case RaceCommand::ClearData: clearData(); break;
    case RaceCommand::RemoteCommand: remoteCommand(VK_NUMPAD0); break;
    case RaceCommand::ToggleClock: toggleContestantClock(contestant); break;
    case RaceCommand::Undo:
        if (raceRunning) undoClockAction();
        else takeBackEnd();
        break;
    case RaceCommand::ShowKeyCode: core->msgboxInfo(m_hWnd, "按键值：" + core->getStrInt(key)); break;
    case RaceCommand::None: break;
    }
}

// --- race flow ---

void CControlDlg::setRaceTexts(const char* button, const char* status) {
    SetDlgItemText(IDC_RACE, button);
    SetDlgItemText(IDC_STATUS, status);
    EnableWindow(GetDlgItem(m_hWnd, IDC_OPEN_CLASS_LIST), !raceRunning);
}

void CControlDlg::refreshOutput() {
    if (outputWnd) outputWnd->refresh();
}

void CControlDlg::toggleRace() {
    clockHistory_.clear();
    if (!raceRunning) {
        clearData();
        raceRunning = 1;
        startJournal();
        setRaceTexts("结束比赛", "比赛进行中");
        return;
    }
    raceRunning = 0;
    resultsReady = 1;
    ended_ = EndedRace();
    ended_.open = true;
    ended_.journaled = journalOwned_;
    for (int i = 0; i < contestantCount; ++i) {
        Contestant& c = contestants[i];
        if (c.startTick != 0) {
            if (c.timing == 1) {
                c.timing = 0;
                c.stopTick = CCore::tickNow();
                ended_.stoppedByEnd |= 1u << i;
            }
            c.elapsedMs = (int32_t)(c.stopTick - c.startTick);
        } else {
            c.elapsedMs = NO_TIME;
        }
    }
    writeRaceRecord();
    refreshOutput();
    // The list shows the final times at once: what the file holds, to the
    // hundredth, not a reading up to 200 ms old.
    refreshTimes();
    setRaceTexts("开始比赛", "比赛结束！");
}

void CControlDlg::takeBackEnd() {
    if (raceRunning || !ended_.open || modalWindowOpen()) return;
    if (core->msgboxQuestion(m_hWnd, "比赛已结束。撤销结束，继续这场比赛？", MB_YESNO | MB_DEFBUTTON2) != IDYES)
        return;
    if (!ended_.written) {
        pendingRecords_.pop_back();  // it never reached the file
    } else {
        DWORD error = 0;
        switch (core->removeAppended(recordsPath, ended_.appended, &error)) {
        case CCore::TakeBack::Done: break;
        case CCore::TakeBack::Changed:
            core->msgboxWarning(m_hWnd, "记录文件在比赛结束后被修改过：\n" + recordsPath +
                                            "\n\n无法撤销结束，这场比赛的成绩保持不变。");
            return;
        case CCore::TakeBack::Failed:
            core->msgboxWarning(m_hWnd, "记录文件无法修改：\n" + recordsPath + "\n\n原因：" + CCore::errorText(error) +
                                            "\n\n请关闭正在使用该文件的程序（例如 Excel）后再试。");
            return;
        }
    }
    // The clocks the end stopped run on from their own start; those stopped
    // before it keep their times, and the scores stay.
    for (int i = 0; i < contestantCount; ++i) {
        Contestant& c = contestants[i];
        if (ended_.stoppedByEnd & (1u << i)) c.timing = 1;
        c.elapsedMs = 0;
    }
    // A race that went without a journal (one left by an earlier run was in
    // the way) goes on without: that file is still the operator's.
    const bool journaled = ended_.journaled;
    closeTakeBack();
    resultsReady = 0;
    raceRunning = 1;
    clockHistory_.clear();
    if (journaled) {
        journalWarned_ = false;
        rewriteJournal(journalRaceLines(modeText, isZhangai, scoreInit, raceStartWallMs_, contestants,
                                        contestantCount, clockNow()));
    }
    setRaceTexts("结束比赛", "比赛进行中");
    refreshOutput();
    refreshTimes();
}

// The journal goes only once the block is on the disk; until then it says
// which block it waits for.
void CControlDlg::writeRaceRecord() {
    const std::string stamp = core->getTimeNowStr("");
    lastStamp_ = stamp;
    journal({journalEndLine(stamp, clockNow())});
    pendingRecords_.push_back(raceRecordBlock(modeText, stamp, contestants, contestantCount));
    if (flushPendingRecords(m_hWnd)) removeOwnJournal();
}

// Appends every waiting block, oldest first, each in one write, so blocks
// never interleave and none lands half. On failure the operator may retry at once;
// what is still unwritten waits for the next race's end or the close.
bool CControlDlg::flushPendingRecords(HWND owner) {
    while (!pendingRecords_.empty()) {
        DWORD error = 0;
        AppendedBytes appended;
        if (core->logAddLines(recordsPath, pendingRecords_.front(), &error, &appended)) {
            pendingRecords_.erase(pendingRecords_.begin());
            // The newest block is the race just ended: what it appended is
            // what taking its end back removes.
            if (pendingRecords_.empty() && ended_.open) {
                ended_.written = true;
                ended_.appended = std::move(appended);
            }
            continue;
        }
        if (!owner) return false;
        const std::string text =
            "比赛成绩无法写入记录文件：\n" + recordsPath + "\n\n原因：" + CCore::errorText(error) +
            "\n\n请关闭正在使用该文件的程序（例如 Excel）后点“重试”。\n"
            "点“取消”则暂时保留成绩，下一场比赛结束或关闭程序时再写入。";
        if (!core->msgboxRetry(owner, text)) return false;
    }
    return true;
}

void CControlDlg::warnUnwrittenRecords(HWND owner) {
    if (pendingRecords_.empty()) return;
    std::string text = "以下比赛成绩未能写入记录文件，关闭程序后将丢失，请抄录保存：\n" +
                       recordsPath + "\n\n";
    for (const auto& block : pendingRecords_)
        for (const auto& line : block) text += line + "\n";
    core->msgboxWarning(owner, text);
}

void CControlDlg::clearData() {
    if (raceRunning) {
        core->msgboxWarning(m_hWnd, kRaceInProgress);
        return;
    }
    closeTakeBack();
    resultsReady = 0;
    loadRoster();
    refreshOutput();
}

void CControlDlg::remoteCommand(int key) {
    if (key == VK_NUMPAD0 && !modalWindowOpen()) toggleRace();
}

// Before the output window exists the clocks are left alone, as its layout
// binds the photos to the table. A key beyond the roster changes nothing, so
// it enters neither the journal nor the undo history.
void CControlDlg::toggleContestantClock(int i) {
    if (!raceRunning || !outputWnd || i < 0 || i >= contestantCount) return;
    const JournalClock now = clockNow();
    journal({journalClockLine(nextClockAction(contestants[i]), i, now)});
    clockHistory_.record(i, contestants[i]);
    outputWnd->toggleClock(i + '1', '1', now.tick);
    refreshTimes();
}

void CControlDlg::undoClockAction() {
    if (!raceRunning) return;
    const int i = clockHistory_.undo(contestants);
    if (i < 0) return;
    journal({journalUndoLine(i, clockNow())});
    refreshOutput();
    refreshTimes();
}

// --- race journal ---

JournalClock CControlDlg::clockNow() const { return JournalClock{CCore::tickNow(), core->wallNowMs()}; }

// Told once per race: the race itself goes on in memory as before.
void CControlDlg::journal(const std::vector<std::string>& lines) {
    if (!journalOwned_) return;
    DWORD error = 0;
    if (!core->appendLinesFlushed(journalPath_, lines, &error)) warnJournalUnwritten(error);
}

void CControlDlg::warnJournalUnwritten(DWORD error) {
    if (journalWarned_) return;
    journalWarned_ = true;
    core->msgboxWarning(m_hWnd, "无法写入比赛过程记录：\n" + journalPath_ + "\n\n原因：" +
                                    CCore::errorText(error) +
                                    "\n\n比赛照常进行；但如果程序中途意外关闭，这场比赛将无法恢复。");
}

void CControlDlg::startJournal() {
    journalWarned_ = false;
    const JournalClock now = clockNow();
    // A journal still here waits for an ended race's block that could not be
    // written yet, or is one the operator declined: it is kept beside.
    DWORD error = 0;
    raceStartWallMs_ = now.wallMs;
    journalOwned_ = !core->isFileExist(journalPath_) || !keepJournalAside(now.wallMs, &error).empty();
    if (!journalOwned_) {
        journalWarned_ = true;
        core->msgboxWarning(m_hWnd, "上次留下的比赛过程记录无法另存，仍保留为：\n" + journalPath_ +
                                        "\n\n原因：" + CCore::errorText(error) +
                                        "\n\n比赛照常进行；但这场比赛不记录过程，程序中途意外关闭将无法恢复。");
        return;
    }
    journal(journalRaceLines(modeText, isZhangai, scoreInit, now.wallMs, contestants, contestantCount, now));
}

void CControlDlg::removeOwnJournal() {
    if (journalOwned_ && core->removeFile(journalPath_)) journalOwned_ = false;
}

// A whole new journal in place of the old one, never half of either.
void CControlDlg::rewriteJournal(const std::vector<std::string>& lines) {
    const std::string fresh = journalPath_ + ".new";
    DWORD error = 0;
    core->removeFile(fresh);
    journalOwned_ = true;
    if (core->appendLinesFlushed(fresh, lines, &error) &&
        core->renameFile(fresh, journalPath_, true, &error))
        return;
    core->removeFile(fresh);
    warnJournalUnwritten(error);
}

// The journal under a name with its race's date, beside the data; returns
// that name, or an empty text when it could not be renamed.
std::string CControlDlg::keepJournalAside(int64_t startWallMs, DWORD* error) {
    const std::string base = dataDir + "_race-journal-" + fileStamp(fromSerialSeconds(startWallMs / 1000));
    for (int n = 1; n < 100; ++n) {
        const std::string name = base + (n > 1 ? "-" + std::to_string(n) : "") + ".txt";
        if (core->isFileExist(name)) continue;
        if (!core->renameFile(journalPath_, name, false, error)) return std::string();
        journalOwned_ = false;
        return name;
    }
    if (error) *error = ERROR_FILE_EXISTS;
    return std::string();
}

// At start-up, once the audience window is up: a race the program did not
// live to end is offered back.
void CControlDlg::offerToResume() {
    std::string bytes, records;
    if (!core->isFileExist(journalPath_) || !core->readFile(journalPath_, &bytes, 1 << 20)) return;
    core->readFile(recordsPath, &records, (size_t)1 << 30);  // unreadable: nothing written in it
    const ResumeDecision d = decideResume(bytes, records);
    switch (d.offer) {
    case ResumeOffer::Remove:
        core->removeFile(journalPath_);
        return;
    case ResumeOffer::KeepUnreadable: {
        DWORD error = 0;
        const std::string aside = keepJournalAside(core->wallNowMs(), &error);
        core->msgboxWarning(m_hWnd, aside.empty() ? "上次留下的比赛过程记录无法读取，也无法另存，仍保留为：\n" +
                                                        journalPath_ + "\n\n原因：" + CCore::errorText(error)
                                                  : "上次留下的比赛过程记录无法读取，已另存为：\n" + aside);
        return;
    }
    case ResumeOffer::Ask:
        askToResume(d.race);
        return;
    }
}

void CControlDlg::askToResume(const JournalRace& race) {
    const std::string start = formatTimeStamp(fromSerialSeconds(race.startWallMs / 1000));
    const std::string question =
        "上次的比赛没有正常结束（程序被关闭、出错或电脑断电）。\n\n"
        "比赛开始于：" + start + "（" + race.modeText + "，" + core->getStrInt(race.count) + " 名选手）\n"
        "已停表：" + core->getStrInt(race.stoppedClocks()) + " 人；仍在计时：" +
        core->getStrInt(race.runningClocks()) + " 人\n\n"
        "要恢复这场比赛吗？\n\n"
        "“是”：比赛接着进行。已停表的成绩不变，仍在计时的选手从原来开始的时刻接着计时；"
        "结束比赛后照常写入成绩记录。\n"
        "“否”：不恢复，这场比赛不写入成绩记录；过程记录另存一份，可以用记事本查看。";
    if (core->msgboxQuestion(m_hWnd, question, MB_YESNO) == IDYES) {
        resumeRace(race);
        return;
    }
    // Never removed: a journal that cannot be moved aside stays as it is, and
    // the operator learns the name it has.
    DWORD error = 0;
    if (keepJournalAside(race.startWallMs, &error).empty())
        core->msgboxWarning(m_hWnd, "这场比赛的过程记录无法另存，仍保留为：\n" + journalPath_ + "\n\n原因：" +
                                        CCore::errorText(error) + "\n\n下次启动程序时还会询问。");
}

void CControlDlg::resumeRace(const JournalRace& race) {
    if ((isZhangai != 0) != (race.isZhangai != 0)) {
        // The race goes on in the mode it was run in.
        isZhangai = race.isZhangai;
        while (contestantList.GetColumnCount() > 3) contestantList.DeleteColumn(3);
        if (isZhangai) insertScoreColumn();
    }
    updateCaption();
    const JournalClock now = clockNow();
    resumeClocks(race, contestants, now);
    contestantCount = race.count;
    resultsReady = 0;
    raceRunning = 1;
    clockHistory_.clear();
    journalWarned_ = false;
    raceStartWallMs_ = race.startWallMs;
    rewriteJournal(journalRaceLines(modeText, isZhangai, race.scoreInit, race.startWallMs, contestants,
                                    contestantCount, now));
    showContestantsInList();
    setRaceTexts("结束比赛", "比赛进行中");
    enableOutput();  // photos for the names of that race
    refreshTimes();
}

void CControlDlg::showContestantsInList() {
    contestantList.DeleteAllItems();
    for (int i = 0; i < contestantCount; ++i) {
        contestantList.InsertItem(i, core->getStrInt(i + 1));
        contestantList.SetItemText(i, 1, std::string(fixedText(contestants[i].name)));
        contestantList.SetItemText(i, 2, formatElapsed(i));
        if (isZhangai) contestantList.SetItemText(i, 3, core->getStrInt(contestants[i].score));
    }
}

void CControlDlg::refreshTimes() {
    for (int i = 0; i < contestantCount; ++i) contestantList.SetItemText(i, 2, formatElapsed(i));
}

std::string CControlDlg::formatElapsed(int i) { return clockText(contestants[i], CCore::tickNow()); }

void CControlDlg::updateCaption() {
    modeText = isZhangai ? "障碍赛" : "计时赛";
    SetWindowText(baseTitle + "（" + modeText + "）");
}

// --- output placement ---

void CControlDlg::enableOutput() {
    outputEnabled = IsDlgButtonChecked(m_hWnd, IDC_ENABLE_OUTPUT) == BST_CHECKED ? 1 : 0;
    showOutput();
    SetFocus(m_hWnd);
}

void CControlDlg::showOutput() {
    if (!outputWnd) return;
    if (!outputEnabled) {
        ShowWindow(outputWnd->m_hWnd, SW_HIDE);
        return;
    }
    int left, top;
    if (outputPlaced) {
        RECT r;
        GetWindowRect(outputWnd->m_hWnd, &r);
        left = r.left;
        top = r.top;
    } else {
        left = placeLeft(screenWidth);
        top = placeTop(screenHeight);
        outputPlaced = 1;
    }
    outputRect = IntRect{left, top, left + width, top + height};
    outputWnd->layoutWindow(outputRect.left, outputRect.top, outputRect.right, outputRect.bottom);
}

void CControlDlg::positionOutput() {
    outputPlaced = 1;
    outputRect = IntRect{screenWidth, 0, screenWidth + width, height};
    if (outputWnd)
        outputWnd->layoutWindow(outputRect.left, outputRect.top, outputRect.right, outputRect.bottom);
}

// --- settings and scoring ---

void CControlDlg::openOptions() {
    if (raceRunning) {
        core->msgboxWarning(m_hWnd, kRaceInProgress);
        return;
    }
    COptionsDlg dlg(nullptr);
    if (dlg.DoModal() != IDOK) return;
    closeTakeBack();
    contestantList.DeleteAllItems();
    while (contestantList.GetColumnCount() > 3) contestantList.DeleteColumn(3);
    if (isZhangai) insertScoreColumn();
    raceRunning = 0;
    clearData();
    setRaceTexts("开始比赛", "就绪");
    enableOutput();
    updateCaption();
}

void CControlDlg::onListDblClk(const NMITEMACTIVATE* item) {
    if (!isZhangai || raceRunning != 1 || item->iItem < 0 || item->iItem >= contestantCount) return;
    CScoreDlg dlg(nullptr);
    dlg.contestantIndex = item->iItem;
    if (dlg.DoModal() != IDOK) return;
    journal({journalScoreLine(item->iItem, contestants[item->iItem].score, clockNow())});
    contestantList.SetItemText(item->iItem, 3, core->getStrInt(contestants[item->iItem].score));
    refreshOutput();
}

// --- results of earlier races ---

void CControlDlg::openResults() {
    if (raceRunning) {
        core->msgboxWarning(m_hWnd, kRaceInProgress);
        return;
    }
    CResultsDlg dlg(nullptr);
    dlg.onChanged = [this](const std::string& stamp, int row, int32_t elapsedMs, int32_t score, bool voided) {
        onRecordsChanged(stamp, row, elapsedMs, score, voided);
    };
    dlg.DoModal();
}

// The heat written to psn.txt is loaded as 清除数据 loads the roster, and the
// scoreboard is laid out again for its photos.
void CControlDlg::openClassList() {
    if (raceRunning) return;
    CClassListDlg dlg(nullptr);
    if (dlg.DoModal() != IDOK) return;
    clearData();
    enableOutput();
}

void CControlDlg::onRecordsChanged(const std::string& stamp, int row, int32_t elapsedMs, int32_t score,
                                   bool voided) {
    if (resultsReady && stamp == lastStamp_) {
        if (voided) {
            resultsReady = 0;  // the board of a race that no longer counts
        } else if (row >= 0 && row < contestantCount) {
            Contestant& c = contestants[row];
            c.elapsedMs = elapsedMs;
            c.score = score;
            // The list reads the clock: it shows the corrected time too.
            c.timing = 0;
            c.startTick = elapsedMs == NO_TIME ? 0 : (c.startTick ? c.startTick : 1);
            c.stopTick = c.startTick + (uint32_t)(elapsedMs == NO_TIME ? 0 : elapsedMs);
            refreshTimes();
            if (isZhangai) contestantList.SetItemText(row, 3, core->getStrInt(score));
        }
    }
    refreshOutput();
}

// --- export ---

// A picture of the scoreboard exactly as the audience sees it, and a table of
// both boards for a spreadsheet, side by side in data\export\.
void CControlDlg::onExport() {
    if (raceRunning) {
        core->msgboxWarning(m_hWnd, kRaceInProgress);
        return;
    }
    if (!outputWnd) {
        core->msgboxInfo(m_hWnd, "记分牌尚未就绪，请稍后再导出。");
        return;
    }
    outputWnd->refresh();
    const std::string folder = dataDir + "export\\";
    core->createFolder(folder);
    const std::string stamp = fileStamp(core->getTimeNow());
    const std::string picture = folder + "画面_" + stamp + ".png";
    const std::string table = folder + "成绩_" + stamp + ".csv";

    std::string reason;
    if (!outputWnd->savePicture(picture, &reason)) {
        core->msgboxWarning(m_hWnd, "导出失败，无法保存画面：\n" + picture + "\n\n原因：" + reason);
        return;
    }
    const ExportBoards boards = {contestants, resultsReady != 0, weeklyTotals,
                                 outputWnd->hasWeeklyData != 0, contestantCount};
    // UTF-8 with a byte-order mark: every spreadsheet reads it without mojibake.
    const std::string bytes = "\xEF\xBB\xBF" + core->ansiToUtf8(exportTable(boards));
    DWORD error = 0;
    if (!core->writeFile(table, bytes, &error)) {
        core->msgboxWarning(m_hWnd, "导出失败，无法保存成绩表：\n" + table + "\n\n原因：" +
                                        CCore::errorText(error) + "\n\n画面已保存：\n" + picture);
        return;
    }
    core->msgboxInfo(m_hWnd, "已导出到：\n" + picture + "\n" + table);
}
