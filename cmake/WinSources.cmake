# The windowed half: framework, core services, dialogs and the output window.
set(TRACKVANE_WIN_SOURCES
    framework/App.cpp
    framework/Dialog.cpp
    framework/Wnd.cpp
    framework/WideText.cpp
    core/Core.cpp
    race/ControlDlg.cpp
    race/RaceMessages.cpp
    race/ScoreDlg.cpp
    output/FrameBuffer.cpp
    output/OutputWnd.cpp
    output/RecordsFile.cpp
    settings/OptionsDlg.cpp
    settings/ColourPalette.cpp
    settings/ColourButton.cpp
)
