// CCore: the services every window leans on. Configuration in an INI file
// beside the exe (CoreConfig.cpp), paths and files (CoreFiles.cpp), time
// (CoreTime.cpp), the message boxes that tell the operator what went wrong
// (CoreMessages.cpp), and text fields, colours, displays and GDI+ text
// outlines (Core.cpp). One object for the run, reached through `core`.
#pragma once

#include "core/FileRules.h"
#include "core/TextEncoding.h"
#include "core/TimeStamp.h"
#include "framework/Handles.h"
#include "framework/WideText.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CCore {
public:
    CCore();

    // Configuration: an INI file beside the exe, section [Trackvane].
    void autoFileConfig();
    int getConfigInt(const char* key);
    std::string getConfigStr(const char* key);
    BOOL getConfigB(const char* key);
    uint32_t getConfigClr(const char* key);  // ARGB
    // Each stores at once; false when the file could not be written.
    bool saveConfigInt(const char* key, int value);
    bool saveConfigStr(const char* key, const std::string& value);
    bool saveConfigB(const char* key, BOOL value);
    bool saveConfigClr(const char* key, uint32_t argb);
    const std::string& configPath() const { return configPath_; }
    void setConfigPath(const std::string& path) { configPath_ = path; }

    // Files. Paths are the program's strings, code page 936, and reach the
    // system as UTF-16 through systemText.
    std::string getAppPath();
    // Tests run the windows on a data folder of their own.
    static void setAppPathOverride(const std::string& path);
    // A text or a path of the program as the system takes it: UTF-16, with the
    // program's folder as the system names it. A folder name in a script code
    // page 936 lacks (Hangul, Thai) holds a '?' for each such character in
    // getAppPath, which no real path has; it is turned back into the real name
    // here, in every path and every message that names one.
    static std::wstring systemText(const std::string& text);
    static ScopedFile openFile(const std::string& path, DWORD access, DWORD share, DWORD disposition);
    void createFile(const std::string& path);
    // A folder that is there already counts as made.
    bool createFolder(const std::string& path);
    // The names of the files, or of the folders, in a folder (ending in a
    // backslash), in no particular order; a name code page 936 cannot hold
    // is left out.
    static std::vector<std::string> namesIn(const std::string& folder, bool folders);
    BOOL isFileExist(const std::string& path);
    // Reads the whole file; false (and *error) when it cannot, and
    // ERROR_FILE_TOO_LARGE when it holds more than maxBytes: nothing read in
    // part is ever taken for the file.
    bool readFile(const std::string& path, std::string* bytes, size_t maxBytes,
                  DWORD* error = nullptr);
    // A text made by hand (the roster, a settings value) in code page 936,
    // however an editor saved it: a byte-order mark or the more
    // plausible reading decides. The numbers (from 1) of the lines that held
    // a character the code page cannot, now a '?', go to *lossyLines.
    std::string textToAnsi(const std::string& bytes, std::vector<int>* lossyLines = nullptr);
    // Text of code page 936 as UTF-8.
    std::string ansiToUtf8(const std::string& ansi);
    // Writes a whole new file; on failure nothing half-written is left.
    bool writeFile(const std::string& path, const std::string& bytes, DWORD* error = nullptr);
    // The file's new content: written beside it (path.new) and on the disk,
    // then put in its place in one step, so that a crash leaves either file
    // whole. On failure the file stays as it was and no .new is left.
    bool replaceWhole(const std::string& path, const std::string& bytes, DWORD* error = nullptr);
    // Appends all lines in one write, or nothing: a failed write is cut back
    // so that a block never lands half. The lines are in code page 936;
    // a file that is UTF-8 or UTF-16 gets them in its own encoding.
    bool logAddLines(const std::string& path, const std::vector<std::string>& lines,
                     DWORD* error = nullptr, AppendedBytes* appended = nullptr);
    // Takes back what one logAddLines appended, only while the file still
    // ends with exactly those bytes right where they were written.
    enum class TakeBack { Done, Changed, Failed };
    TakeBack removeAppended(const std::string& path, const AppendedBytes& appended,
                            DWORD* error = nullptr);
    // A file rewritten by the operator's wish: the file as it was (`before`,
    // read just now) is kept first in `backupFolder` as name-YYYYMMDD-HHMMSS
    // (the newest 20 kept), then `after` replaces it (replaceWhole). A file
    // another program holds is refused before anything is written.
    bool replaceFile(const std::string& path, const std::string& before, const std::string& after,
                     const std::string& backupFolder, DWORD* error = nullptr);

    // Appends the lines and sees them on the disk (FlushFileBuffers) before
    // it returns; false (and *error) when it could not.
    bool appendLinesFlushed(const std::string& path, const std::vector<std::string>& lines,
                            DWORD* error = nullptr);
    // A file that is not there counts as removed.
    bool removeFile(const std::string& path, DWORD* error = nullptr);
    // Over an existing file only when asked to.
    bool renameFile(const std::string& from, const std::string& to, bool replace = false,
                    DWORD* error = nullptr);

    // Time.
    LocalTime getTimeNow();
    // Local wall-clock time in milliseconds (toSerialSeconds scale).
    int64_t wallNowMs();
    // The time stamp a race's header line takes (formatTimeStamp).
    std::string getTimeNowStr();
    // The millisecond tick of every race clock; replaceable for tests.
    static uint32_t tickNow();
    static void setTickSource(uint32_t (*source)());

    // Text.
    std::string getStrInt(int n);

    // Colours: ARGB in the configuration, COLORREF in the pickers.
    COLORREF getClrRef(uint32_t argb);
    uint32_t getColorFromClrRef(COLORREF ref);

    // Displays: n = 1 asks for the second display.
    int getScreenRect(int n, RECT* rect);
    // Tests stand in a second display (null: the real ones again).
    static void setSecondDisplayOverride(const RECT* rect);

    // GDI+ text: measured and outlined the same way.
    SIZE getTextBoundsByFontFamily(Gdiplus::GpFontFamily* family, int size, const std::string& text);
    void drawStr(Gdiplus::GpPath* path, Gdiplus::GpFontFamily* family, int x, int y, int size,
                 const std::string& text);

    // Message boxes owned by the window.
    void msgboxInfo(HWND owner, const std::string& text);
    void msgboxWarning(HWND owner, const std::string& text);
    // A warning with Retry and Cancel; true for Retry.
    bool msgboxRetry(HWND owner, const std::string& text);
    // A question with MB_YESNO or MB_YESNOCANCEL; IDYES, IDNO or IDCANCEL.
    int msgboxQuestion(HWND owner, const std::string& text, UINT buttons);
    // Tests replace the boxes: the hook gets the text and MB_ flags and
    // returns the button id the operator would have pressed.
    using MessageHook = int (*)(HWND owner, const std::string& text, UINT type);
    static void setMessageHook(MessageHook hook);

    // The system's text for an error code, in code page 936.
    static std::string errorText(DWORD error);

private:
    int messageBox(HWND owner, const std::string& text, UINT type);
    bool writeValue(const char* key, const std::string& value);
    bool readValue(const char* key, std::string* value);
    Gdiplus::GpStringFormat* stringFormat();

    std::string configPath_;
    gp::ScopedFormat format_;
};

extern CCore* core;

// Text in one of the encodings a file made by hand may have (without its
// byte-order mark) as UTF-16.
std::wstring decodeToWide(std::string_view bytes, TextEncoding encoding);
// UTF-16, or text of code page 936, as a file in `encoding` holds it (no mark).
std::string encodeWide(const std::wstring& text, TextEncoding encoding);
std::string encodeAs(const std::string& ansi, TextEncoding encoding);
// A line of a file in `fileEncoding`, or a field of one, in code page 936;
// a line of a UTF-8 file that is no UTF-8 is code page 936 already.
std::string fileTextToAnsi(std::string_view text, TextEncoding fileEncoding);

// The class id of GDI+'s encoder for a MIME type such as L"image/png".
bool findImageEncoder(const wchar_t* mime, CLSID* clsid);
