// Drives the real Trackvane.exe from outside, as an operator would: a scratch
// folder of its own with the exe copied in, the program started as a process
// of its own, its message boxes read and answered, keys posted to the control
// dialog, and its end watched, so that a crash or a hang shows as such instead
// of stalling the test run.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

// A message box the program showed, and the buttons it offered. Texts are
// read as the system shows them, in UTF-16, and compared in code page 936 as
// the program holds them: so they are the same whatever the PC's code page.
struct ShownBox {
    std::string text;
    std::wstring wide;  // as shown, with what code page 936 cannot hold
    bool hasOk = false;
    bool hasCancel = false;
    bool hasRetry = false;
    bool hasYes = false;
    bool hasNo = false;
};

// How a run of the program ended.
struct Ending {
    bool exitedByItself = false;  // within 10 s of being asked to close
    DWORD exitCode = STILL_ACTIVE;
    bool clean() const { return exitedByItself && exitCode == 0; }
    std::string describe() const;
};

// Trackvane.exe in bin\ of the build tree this test program belongs to.
std::string builtExe();

class ProgramDriver {
public:
    // The program lives in <scratch>\<folder>\, so that a name like "..\x"
    // can be checked against a folder the test owns on either side of it.
    explicit ProgramDriver(const std::wstring& folder = L"app");
    ~ProgramDriver();  // a program still running is ended; the folder removed
    ProgramDriver(const ProgramDriver&) = delete;
    ProgramDriver& operator=(const ProgramDriver&) = delete;

    // Files, named relative to the program's folder ("data\\psn.txt",
    // "..\\x.jpg"); missing folders are made. Bytes are written as given.
    // A path holds a '?' for each character of the folder's name that code
    // page 936 lacks.
    std::string path(const std::string& name) const;
    std::wstring widePath(const std::string& name) const;
    void write(const std::string& name, const std::string& bytes) const;
    std::string read(const std::string& name) const;  // empty when missing
    bool exists(const std::string& name) const;
    // A file, or a folder (ending in a backslash) with everything in it.
    void remove(const std::string& name) const;
    // Every file under the scratch folder, as "relative\\name size".
    std::vector<std::string> listFiles() const;

    // Starts the exe and waits until the control dialog has loaded the roster
    // and shown the output window (the first tick of its start-up timer), and
    // the boxes that tick shows are answered.
    bool start(DWORD ms = 60000);
    bool running() const;
    HWND dialog() const { return dialog_; }
    HWND outputWindow() const;
    std::string caption() const;
    // The program's window thread answers within a few seconds.
    bool responsive() const;

    // Ends the process from outside at once, as a crash or the task manager
    // would; start() may then start the program again on the same folder.
    void kill();

    // Boxes are answered whenever the driver waits. By default with Cancel
    // where there is one, else No, else OK.
    void setAnswer(std::function<int(const ShownBox&)> answer) { answer_ = std::move(answer); }
    const std::vector<ShownBox>& boxes() const { return boxes_; }
    void clearBoxes() { boxes_.clear(); }
    // Waits about ms milliseconds, answering boxes.
    void pause(DWORD ms);
    // Waits until done() or ms milliseconds passed, answering boxes.
    bool waitUntil(const std::function<bool()>& done, DWORD ms);
    // Waits until a box whose text contains `part` has been answered.
    bool waitForBox(const std::string& part, DWORD ms = 10000);

    // Input as the keyboard and mouse would give it. Open boxes are answered
    // first, since a modal box would swallow the key.
    void key(UINT vk);
    // A key message as the keyboard sends it to any window of the program:
    // lParam with the repeat count 1, or the extended (1 << 24) and held
    // (1 << 30) bits.
    void keyTo(HWND target, UINT vk, LPARAM lParam = 1, UINT message = WM_KEYDOWN);
    // A click on a button of the control dialog, or of another dialog of the
    // program (one that dialogCalled found).
    void click(int controlId, HWND in = nullptr);
    // Text put into a box of a dialog of the program, as typing it would.
    void setText(HWND dialog, int controlId, const std::string& text);
    // A click of the mouse on a button of the control dialog: it takes the
    // keyboard focus, as a real click leaves it.
    void mouseClick(int controlId);
    // Starts the exe once more on the same folder; its exit code, or
    // STILL_ACTIVE when it was still running after `ms` (it is then ended).
    DWORD startAnotherCopy(DWORD ms = 8000);
    int listRows() const;  // -1 when the list does not answer
    // A cell of the control dialog's list, read across the process boundary.
    std::string listText(int row, int column) const;
    // The text of a control of the control dialog (1022: the race status).
    std::string itemText(int controlId) const;
    // A visible dialog of the program with this caption, or null.
    HWND dialogCalled(const std::string& caption) const;
    // Waits (a few seconds at most) until the program has handled what was
    // posted to it.
    void settle() const;

    // Enter, the contestant's key, about 300 ms, the same key again, full
    // stop. Returns what was appended to the records file once `blocks` blocks
    // are complete (each ends in an empty line; a block kept from an earlier
    // race is written first), or what is there after 10 s.
    std::string runShortRace(UINT contestantKey = '1', int blocks = 1);

    // Presses Export and returns the table it wrote, in the ANSI code page
    // (empty on failure); the picture's path goes to *picture.
    std::string exportBoards(std::string* picture = nullptr);

    // Asks the control dialog to close, answers boxes meanwhile, and waits
    // up to 10 s for the process to end; one still running is terminated.
    Ending close();

private:
    void serviceBoxes();
    bool anyBox() const;
    std::vector<HWND> ownWindows() const;
    std::string recordsBytes() const { return read("data\\_records.csv"); }

    std::wstring root_;  // ends in a backslash
    std::wstring app_;
    PROCESS_INFORMATION pi_ = {};
    bool started_ = false;
    HWND dialog_ = nullptr;
    std::vector<ShownBox> boxes_;
    std::function<int(const ShownBox&)> answer_;
};

// Lines of a text cut at CR LF; the last one may be empty.
std::vector<std::string> crlfLines(const std::string& text);
// Bytes of a fixed pseudo-random sequence, NULs and line ends included.
std::string pseudoRandomBytes(size_t n, uint32_t seed);
// Counts non-overlapping occurrences.
size_t countOf(const std::string& text, const std::string& part);

// Pictures made with GDI+ in this process.
// A picture of one colour; mime "image/jpeg" or "image/png".
bool writeSolidPicture(const std::string& path, int w, int h, uint32_t argb, const wchar_t* mime);
// A black 1-bit indexed PNG, small on disk whatever its size in pixels.
bool writeHugeIndexedPng(const std::string& path, int w, int h);
// The pixels of a picture file as ARGB, row by row.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> argb;
};
bool readPicture(const std::string& path, Pixels* out);

}  // namespace e2e
