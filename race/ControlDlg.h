// The control dialog: the operator's window. It owns the race state, the
// core services and the output window, starts and ends races, takes the
// operator's keys and writes every ended race to the records file.
#pragma once

#include "core/Core.h"
#include "framework/Dialog.h"
#include "race/KeyTable.h"
#include "race/RaceClock.h"
#include "race/RaceJournal.h"
#include "race/RaceMessages.h"

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
    void toggleContestantClock(int i);
    void undoClockAction();
    // In the Ended state: the race runs on as if never ended, on the
    // operator's word, while its block is the last thing in the records file.
    void takeBackEnd();
    void openResults();
    void openClassList();
    void onListDblClk(const NMITEMACTIVATE* item);
    void onExport();

    std::string baseTitle;
    std::string modeText;
    CListCtrl contestantList;
    HICON appIcon = nullptr;

    // The journal of the race in progress, in the data folder.
    const std::string& journalPath() const { return journalPath_; }

    // Race blocks that could not be written yet, oldest first.
    const std::vector<std::vector<std::string>>& pendingRecords() const { return pendingRecords_; }

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
    void insertScoreColumn();
    void setRaceTexts(const char* button, const char* status);
    void refreshOutput();
    bool flushPendingRecords(HWND owner);
    void warnUnwrittenRecords(HWND owner);
    void showContestantsInList();
    bool askBeforeClosingARace();

    // The race journal: every change of a running race, on the disk before
    // it shows; the race comes back from it after the program's death.
    JournalClock clockNow() const;
    void journal(const std::vector<std::string>& lines);
    void warnJournalUnwritten(DWORD error);
    void startJournal();
    void rewriteJournal(const std::vector<std::string>& lines);
    std::string keepJournalAside(int64_t startWallMs, DWORD* error = nullptr);
    void removeOwnJournal();
    void offerToResume();
    void askToResume(const JournalRace& race);
    void resumeRace(const JournalRace& race);

    void closeTakeBack() { ended_ = EndedRace(); }
    // A correction in the results dialog, carried over to the race just
    // ended when it is that race.
    void onRecordsChanged(const std::string& stamp, int row, int32_t elapsedMs, int32_t score,
                          bool voided);

    // The race just ended, for as long as it can be taken back.
    struct EndedRace {
        bool open = false;
        bool written = false;        // its block reached the file, as `appended`
        bool journaled = false;      // it had a journal of its own
        AppendedBytes appended;
        uint32_t stoppedByEnd = 0;   // one bit per contestant whose clock the end stopped
    };
    EndedRace ended_;
    std::string lastStamp_;          // the header time stamp of the last race ended
    int64_t raceStartWallMs_ = 0;

    std::string journalPath_;
    bool journalWarned_ = false;  // told once per race
    // Whether the journal file is this run's own. One left by an earlier run
    // that could not be moved aside is the operator's: never written to or
    // removed, and a race then goes without a journal.
    bool journalOwned_ = false;

    ClockHistory clockHistory_;
    std::vector<std::vector<std::string>> pendingRecords_;
    std::string rosterProblem_;   // told once, after the output window is up
    bool rosterProblemTold_ = false;
};
