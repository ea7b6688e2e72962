# The Windows-free race core: built into the exe and, natively, into the host
# unit tests. Paths are relative to the project root.
set(TRACKVANE_CORE_SOURCES
    core/TextFields.cpp
    core/TimeStamp.cpp
    core/FileRules.cpp
    core/TextEncoding.cpp
    core/Gb2312Table.cpp
    race/RaceState.cpp
    race/Roster.cpp
    race/ClassList.cpp
    race/RecordLines.cpp
    race/RecordsEdit.cpp
    race/KeyTable.cpp
    race/RaceClock.cpp
    race/RaceJournal.cpp
    race/RaceSession.cpp
    output/TimeText.cpp
    output/Leaderboard.cpp
    output/TermBoard.cpp
    output/Layout.cpp
    output/FramePlan.cpp
    settings/SettingsRules.cpp
    output/ExportTable.cpp
    settings/ColourTable.cpp
)
