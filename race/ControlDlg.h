// The control dialog: the operator's window. It owns the race state, the
// core services and the output window. It turns the operator's keys and
// buttons into steps of the race session (race/RaceSession), asks the
// operator where a step needs a yes, has the race's files written
// (race/RaceFiles), and shows the race in its list and on the scoreboard.
#pragma once

#include "core/Core.h"
#include "core/DataFolder.h"
#include "framework/Dialog.h"
#include "race/ClassChooser.h"
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
    void onClassChosen();
    void onListDblClk(const NMITEMACTIVATE* item);
    void onExport();
    // The whole program to another data folder (ending in a backslash), as
    // 清除数据 would leave it: its roster in the list, its photos, its weekly
    // board, no results board. Refused during a race.
    bool useDataFolder(const std::string& folder);
    const DataFolder& dataFolder() const { return folder_; }

    std::string baseTitle;
    std::string modeText;
    CContestantList contestantList;
    HICON appIcon = nullptr;

    std::string journalPath() const { return folder_.journalPath(); }
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
    bool refusedDuringRace();
    void setRaceTexts(const char* button, const char* status);
    void showMode();
    void undo();
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

    CClassChooser classes_;
    DataFolder folder_;
    // Made once the race tables exist.
    std::unique_ptr<RaceSession> session_;
    std::unique_ptr<CRaceFiles> files_;
};
