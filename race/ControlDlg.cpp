#include "race/ControlDlg.h"

#include "core/Core.h"
#include "core/RaceState.h"
#include "output/OutputWnd.h"
#include "output/ScoreboardExport.h"
#include "race/ClassListDlg.h"
#include "race/ResultsDlg.h"
#include "race/Roster.h"
#include "race/ScoreDlg.h"
#include "res/resource.h"
#include "records/RecordLines.h"
#include "records/TimeText.h"
#include "settings/OptionsDlg.h"

COutputWnd* outputWnd = nullptr;

namespace {
const UINT_PTR kStartupTimer = 1;
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

    baseTitle = "Trackvane";
    allocateRaceTables();
    session_ = std::make_unique<RaceSession>(
        SharedRace{contestants, &contestantCount, &raceRunning, &resultsReady, &raceIsZhangai});
    classes_.load(core->getAppPath() + "data\\");
    folder_.moveTo(classes_.openFolder(), classes_.firstFolder());
    classes_.show(GetDlgItem(m_hWnd, IDC_CLASS));
    files_ = std::make_unique<CRaceFiles>(*session_, folder_);
    COptionsDlg::readSettings();
    session_->useSettings(raceModeOf(isZhangai != 0, scoreInit));
    contestantList.addColumns(isZhangai != 0);

    COutputWnd::chooseSize();
    CheckDlgButton(m_hWnd, IDC_ENABLE_OUTPUT, BST_CHECKED);
    mainDlgWnd = m_hWnd;
    updateCaption();
    SetTimer(m_hWnd, kStartupTimer, 200, nullptr);
    return TRUE;
}

// What is wrong with the roster is told once the output window is up.
void CControlDlg::loadRoster() {
    const std::vector<std::string> names = files_->readRoster(outputWnd ? m_hWnd : nullptr);
    if (outputWnd) outputWnd->setClassNames(files_->readClassNames());
    contestantList.showRoster(names, scoreInit);
    contestantCount = loadRosterInto(names, contestants, scoreInit);
}

// --- messages ---

BOOL CControlDlg::OnMessage(UINT msg, WPARAM wp, LPARAM, LRESULT* result) {
    switch (msg) {
    case WM_TIMER:
        OnTimer(wp);
        return FALSE;  // default processing follows
    case WM_PAINT:
        return paintIconWhileMinimized(m_hWnd, appIcon);
    case WM_QUERYDRAGICON:
        *result = (LRESULT)appIcon;
        return TRUE;
    }
    return FALSE;
}

void CControlDlg::OnCommand(UINT id, UINT code) {
    if (id == IDC_CLASS && code == CBN_SELCHANGE) onClassChosen();
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
    if (!files_->writeWaitingBlocks(m_hWnd)) files_->warnUnwritten(m_hWnd);
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
    if (answer == IDYES) endRace();
    else if (answer == IDNO) journal(session_->abandon());
    return answer == IDYES || answer == IDNO;
}

void CControlDlg::OnTimer(UINT_PTR id) {
    KillTimer(m_hWnd, id);
    if (id != kStartupTimer) return;
    loadRoster();
    outputWnd = new COutputWnd(folder_);
    outputWnd->onKey = takeOutputKey;
    outputWnd->onClocksMoved = [this] { PostMessageW(m_hWnd, UM_REFRESH_TIMES, 0, 0); };
    outputWnd->Create(IDD_OUTPUT, m_hWnd);
    outputWnd->setClassNames(files_->readClassNames());
    showOutput();
    enableOutput();
    files_->tellRosterProblem(m_hWnd);
    offerToResume();
}

void CControlDlg::OnDestroy() {
    // The output window, owned by this dialog, is destroyed by now.
    delete outputWnd;
    outputWnd = nullptr;
    if (!pendingRecords().empty()) files_->writeWaitingBlocks(nullptr);
    freeRaceTables();
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
    const bool running = session_->phase() == RaceSession::Phase::Running;
    switch (command) {
    case RaceCommand::StartRace:
        if (!running) toggleRace();
        break;
    case RaceCommand::EndRace:
        if (running) toggleRace();
        break;
    case RaceCommand::ClearData: clearData(); break;
    case RaceCommand::RemoteCommand: remoteCommand(VK_NUMPAD0); break;
    case RaceCommand::ToggleClock: toggleContestantClock(contestant); break;
    case RaceCommand::Undo: undo(); break;
    case RaceCommand::CloseProgram: OnCancel(); break;
    case RaceCommand::ShowKeyCode: core->msgboxInfo(m_hWnd, "按键值：" + core->getStrInt(key)); break;
    case RaceCommand::None: break;
    }
}

// --- race flow ---

void CControlDlg::setRaceTexts(const char* button, const char* status) {
    SetDlgItemText(IDC_RACE, button);
    SetDlgItemText(IDC_STATUS, status);
    // The class and its list stay as they are while a race runs.
    for (int id : {IDC_OPEN_CLASS_LIST, IDC_CLASS})
        EnableWindow(GetDlgItem(m_hWnd, id), session_->phase() != RaceSession::Phase::Running);
}

void CControlDlg::refreshOutput() {
    if (outputWnd) outputWnd->refresh();
}

JournalClock CControlDlg::clockNow() const { return JournalClock{CCore::tickNow(), core->wallNowMs()}; }

void CControlDlg::toggleRace() {
    if (session_->phase() == RaceSession::Phase::Running) endRace();
    else startRace();
}

void CControlDlg::startRace() {
    clearData();
    const JournalClock now = clockNow();
    const bool journalFree = files_->journalOutOfTheWay(now.wallMs, m_hWnd);
    journal(session_->start(now, journalFree));
    setRaceTexts("结束比赛", "比赛进行中");
}

void CControlDlg::endRace() {
    journal(session_->end(core->getTimeNowStr(), clockNow()));
    writeRaceRecord();
    refreshOutput();
    // The list shows the final times at once: what the file holds, to the
    // hundredth, not a reading up to 200 ms old.
    refreshTimes();
    setRaceTexts("开始比赛", "比赛结束！");
}

// The journal goes only once the block is on the disk; until then it says
// which block it waits for.
void CControlDlg::writeRaceRecord() { files_->writeWaitingBlocks(m_hWnd); }

void CControlDlg::undo() {
    switch (session_->undoMeaning()) {
    case RaceSession::Undo::ClockAction: undoClockAction(); break;
    case RaceSession::Undo::EndOfRace: takeBackEnd(); break;
    case RaceSession::Undo::Nothing: break;
    }
}

void CControlDlg::takeBackEnd() {
    const RaceSession::TakeBack need = session_->takeBackNeeds();
    if (need == RaceSession::TakeBack::None || modalWindowOpen()) return;
    if (core->msgboxQuestion(m_hWnd, "比赛已结束。撤销结束，继续这场比赛？", MB_YESNO | MB_DEFBUTTON2) != IDYES)
        return;
    if (need == RaceSession::TakeBack::Written && !files_->removeEndedBlock(m_hWnd)) return;
    journal(session_->takeBack(clockNow()));
    setRaceTexts("结束比赛", "比赛进行中");
    refreshOutput();
    refreshTimes();
}

bool CControlDlg::refusedDuringRace() {
    if (session_->phase() != RaceSession::Phase::Running) return false;
    core->msgboxWarning(m_hWnd, "比赛进行中，不允许操作！");
    return true;
}

void CControlDlg::clearData() {
    if (refusedDuringRace()) return;
    session_->clear();
    showMode();
    loadRoster();
    refreshOutput();
}

bool CControlDlg::useDataFolder(const std::string& folder) {
    if (refusedDuringRace()) return false;
    folder_.moveTo(folder, classes_.firstFolder());
    clearData();
    setRaceTexts("开始比赛", "就绪");
    enableOutput();  // its photos
    return true;
}

void CControlDlg::remoteCommand(int key) {
    if (key == VK_NUMPAD0 && !modalWindowOpen()) toggleRace();
}

// Before the output window exists the clocks are left alone, as its layout
// binds the photos to the table.
void CControlDlg::toggleContestantClock(int i) {
    if (!outputWnd) return;
    const RaceStep step = session_->toggleClock(i, clockNow());
    journal(step);
    if (!step.changed) return;
    refreshOutput();
    refreshTimes();
}

void CControlDlg::undoClockAction() {
    const RaceStep step = session_->undo(clockNow());
    journal(step);
    if (!step.changed) return;
    refreshOutput();
    refreshTimes();
}

// At start-up, once the audience window is up: a race the program did not
// live to end is offered back.
void CControlDlg::offerToResume() {
    JournalRace race;
    if (!files_->leftRace(m_hWnd, &race)) return;
    if (core->msgboxQuestion(m_hWnd, resumeQuestion(race), MB_YESNO) == IDYES) resumeRace(race);
    else files_->keepDeclined(race, m_hWnd);
}

void CControlDlg::resumeRace(const JournalRace& race) {
    journal(session_->resume(race, clockNow()));
    showMode();  // the race goes on in the mode it was run in
    contestantList.showTable(contestants, contestantCount, CCore::tickNow());
    setRaceTexts("结束比赛", "比赛进行中");
    enableOutput();  // photos for the names of that race
}

void CControlDlg::refreshTimes() { contestantList.showTimes(contestants, contestantCount, CCore::tickNow()); }

std::string CControlDlg::formatElapsed(int i) { return clockText(contestants[i], CCore::tickNow()); }

void CControlDlg::updateCaption() {
    modeText = session_->mode().modeText;
    SetWindowText(baseTitle + "（" + modeText + "）");
}

// The list's score column and the caption follow the mode of the race on the
// table: a race resumed from its journal keeps its own.
void CControlDlg::showMode() {
    contestantList.setObstacle(session_->mode().isZhangai != 0);
    updateCaption();
}

// --- output placement ---

void CControlDlg::enableOutput() {
    outputEnabled = IsDlgButtonChecked(m_hWnd, IDC_ENABLE_OUTPUT) == BST_CHECKED ? 1 : 0;
    showOutput();
    SetFocus(m_hWnd);
}

void CControlDlg::showOutput() {
    if (outputWnd) outputWnd->show(outputEnabled != 0);
}

void CControlDlg::positionOutput() {
    if (outputWnd) outputWnd->moveToSecondScreen();
}

// --- settings and scoring ---

void CControlDlg::openOptions() {
    if (refusedDuringRace()) return;
    COptionsDlg dlg(nullptr);
    if (dlg.DoModal() != IDOK) return;
    session_->useSettings(raceModeOf(isZhangai != 0, scoreInit));
    clearData();
    setRaceTexts("开始比赛", "就绪");
    enableOutput();
}

void CControlDlg::onListDblClk(const NMITEMACTIVATE* item) {
    if (!session_->canScore(item->iItem)) return;
    CScoreDlg dlg(nullptr);
    dlg.contestantIndex = item->iItem;
    if (dlg.DoModal() != IDOK) return;
    journal(session_->changeScore(item->iItem, dlg.change, clockNow()));
    contestantList.SetItemText(item->iItem, 3, core->getStrInt(contestants[item->iItem].score));
    refreshOutput();
}

// --- results of earlier races ---

void CControlDlg::openResults() {
    if (refusedDuringRace()) return;
    CResultsDlg dlg(nullptr, folder_, classes_.currentName());
    dlg.onChanged = [this](const RecordsChange& change) { onRecordsChanged(change); };
    dlg.DoModal();
}

// The heat written to psn.txt is loaded as 清除数据 loads the roster, and the
// scoreboard is laid out again for its photos; a class renamed is the open
// class under its new name.
void CControlDlg::openClassList() {
    if (refusedDuringRace()) return;
    CClassListDlg dlg(nullptr, folder_, classes_);
    if (dlg.DoModal() != IDOK) return;
    if (!dlg.renamedTo.empty()) {
        classes_.renamed(m_hWnd, dlg.renamedTo);
        classes_.show(GetDlgItem(m_hWnd, IDC_CLASS));
        folder_.moveTo(classes_.openFolder(), classes_.firstFolder());
    }
    clearData();
    enableOutput();
}

// Another class, as 清除数据 would leave it; a class just made opens its list.
void CControlDlg::onClassChosen() {
    const int index = (int)SendDlgItemMessageW(m_hWnd, IDC_CLASS, CB_GETCURSEL, 0, 0);
    std::string folder;
    bool created = false;
    classes_.choose(m_hWnd, index, &folder, &created);
    classes_.show(GetDlgItem(m_hWnd, IDC_CLASS));
    if (!folder.empty() && useDataFolder(folder) && created) openClassList();
}

// The race just ended, corrected or voided, shows as the file now holds it.
void CControlDlg::onRecordsChanged(const RecordsChange& change) {
    if (session_->applyCorrection(change)) contestantList.showTable(contestants, contestantCount, CCore::tickNow());
    refreshOutput();
}

// --- export ---

void CControlDlg::onExport() {
    if (refusedDuringRace()) return;
    if (!outputWnd) {
        core->msgboxInfo(m_hWnd, "记分牌尚未就绪，请稍后再导出。");
        return;
    }
    exportScoreboard(folder_, *outputWnd, m_hWnd);
}
