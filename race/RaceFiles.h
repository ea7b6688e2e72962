// The files of a race, written as the session decides: the journal of the
// race in progress, and the blocks of ended races for the records file.
// Whatever cannot be written is told to the operator, in a box owned by the
// window given, with the file's name and the system's reason.
#pragma once

#include "core/DataFolder.h"
#include "race/RaceJournal.h"
#include "race/RaceSession.h"

#include <windows.h>

#include <string>
#include <vector>

class CRaceFiles {
public:
    CRaceFiles(RaceSession& session, const DataFolder& folder) : session_(session), folder_(folder) {}

    // The roster's names, however an editor saved it. What the operator
    // must know of it (no file, names the code page cannot hold) is told
    // once, in a box owned by `owner`, or when there is none yet by
    // tellRosterProblem.
    std::vector<std::string> readRoster(HWND owner);
    void tellRosterProblem(HWND owner);
    // The names of the class list, in class order; none without one (the
    // weekly board is then the heat's).
    std::vector<std::string> readClassNames();


    // What the step says the journal must become.
    void carryOut(const RaceStep& step, HWND owner);
    // Before a new race: a journal still here (one that waits for a block
    // not yet written, or one the operator declined) is moved aside. False,
    // after telling the operator, when it is there and cannot be.
    bool journalOutOfTheWay(int64_t wallMs, HWND owner);

    // Appends every waiting block, oldest first, each in one write, so blocks
    // never interleave and none lands half; then the journal goes if nothing
    // waits. On failure the operator may retry at once (when `owner` is
    // given); what is still unwritten waits for the next race's end or the
    // close. True when nothing waits.
    bool writeWaitingBlocks(HWND owner);
    // The blocks that could not be written, listed for the operator to copy.
    void warnUnwritten(HWND owner);
    // Takes the ended race's block out of the records file, while the file
    // still ends with exactly it; the operator is told when it cannot.
    bool removeEndedBlock(HWND owner);

    // At start-up: what a journal an earlier run left offers. A journal with
    // nothing to keep is removed, one that cannot be read is kept aside (the
    // operator told); a race to offer back is returned.
    bool leftRace(HWND owner, JournalRace* race);
    // A left race the operator did not want: kept aside, never removed.
    void keepDeclined(const JournalRace& race, HWND owner);

private:
    std::vector<std::string> readRosterNames(std::string* problem);
    std::string keepJournalAside(int64_t wallMs, DWORD* error);
    void warnJournal(DWORD error, HWND owner);

    RaceSession& session_;
    const DataFolder& folder_;
    std::string rosterProblem_;
    std::string rosterProblemTold_;
};
