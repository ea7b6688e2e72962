// The control dialog: the operator's window. It owns the race state, the
// core services and the output window. It turns the operator's keys and
// buttons into steps of the race session (race/RaceSession), asks the
// operator where a step needs a yes, has the race's files written
// (race/RaceFiles), and shows the race in its list and on the scoreboard.
#pragma once

#include "core/Core.h"
#include "framework/Dialog.h"
#include "race/ContestantList.h"
#include "race/KeyTable.h"
#include "race/RaceFiles.h"
#include "race/RaceMessages.h"
#include "race/RaceSession.h"

#include <memory>
#include <string>
#include <vector>

class COutputWnd;

extern COutputWnd* outputWnd;

class CControlDlg : public CDialog {
public:
    explicit CControlDlg(HWND parent = nullptr);

    BOOL PreTranslateMessage(MSG* msg) override;

    void loadRoster();
    void toggleRace();
    void writeRaceRecord();
    void clearData();
    void openOptions();
    void enableOutput();
    void showOutput();
    void positionOutput();
    void updateCaption();
    void refreshTimes();
    std::string formatElapsed(int i);
    void remoteCommand(int key);
    // Carries out a command of the key table, from either window.
    void carryOut(RaceCommand command, int contestant, int key);
    void openResults();
    void openClassList();
    void onListDblClk(const NMITEMACTIVATE* item);
    void onExport();

    std::string baseTitle;
    std::string modeText;
    CContestantList contestantList;
    HICON appIcon = nullptr;

    const std::string& journalPath() const { return files_->journalPath(); }
    // Race blocks that could not be written yet, oldest first.
    const std::vector<std::vector<std::string>>& pendingRecords() const { return session_->waitingBlocks(); }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    BOOL OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;
    void OnCommand(UINT id, UINT code) override;
    LRESULT OnNotify(NMHDR* header) override;
    void OnOK() override;
    void OnCancel() override;
    void OnDestroy() override;

private:
    void OnTimer(UINT_PTR id);
    BOOL OnPaint();
    void readSettings();
    bool refusedDuringRace();
    void setRaceTexts(const char* button, const char* status);
    void startRace();
    void endRace();
    void toggleContestantClock(int i);
    void undoClockAction();
    // In the Ended state: the race runs on as if never ended, on the
    // operator's word.
    void takeBackEnd();
    void refreshOutput();
    bool askBeforeClosingARace();
    void offerToResume();
    void resumeRace(const JournalRace& race);
    void onRecordsChanged(const RecordsChange& change);
    JournalClock clockNow() const;
    void journal(const RaceStep& step) { files_->carryOut(step, m_hWnd); }

    // Made once the race tables exist.
    std::unique_ptr<RaceSession> session_;
    std::unique_ptr<CRaceFiles> files_;
    std::string rosterProblem_;  // told once, after the output window is up
    bool rosterProblemTold_ = false;
};
