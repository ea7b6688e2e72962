// Helpers for driving real windows from tests: a scratch folder, captured
// message boxes, a fake tick source, and running a modal dialog while a
// script acts on it from inside its own message loop.
#pragma once

#include "core/Core.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Sets a file's last write time an hour back: written long ago, as the
// records file is while a race runs (the race before wrote it when it ended).
void ageFile(const std::string& path);

// Removes a folder (ending in a backslash) and everything in it.
void removeTree(const std::wstring& dir);

// A fresh folder under the temp folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    const std::string& path() const { return path_; }  // ends in a backslash
    std::string file(const std::string& name) const { return path_ + name; }
    void write(const std::string& name, const std::string& bytes) const;
    std::string read(const std::string& name) const;

private:
    std::string path_;
};

// Message boxes recorded instead of shown; each answers with `answer`.
struct CapturedBox {
    std::string text;
    UINT type;
};
class MessageCapture {
public:
    explicit MessageCapture(int answer = IDOK);
    ~MessageCapture();
    const std::vector<CapturedBox>& boxes() const;
    void clear();
    void setAnswer(int answer);
};

// The race clocks read this instead of the system tick while it lives.
class FakeTicks {
public:
    explicit FakeTicks(uint32_t start);
    ~FakeTicks();
    void set(uint32_t tick);
    void advance(uint32_t ms);
};

// Runs `dialog.DoModal()`; `script` runs inside the dialog's message loop
// once the dialog is up, with its window. The script must end the dialog.
template <typename Dialog>
INT_PTR runModal(Dialog& dialog, std::function<void(HWND)> script);
INT_PTR runModalImpl(std::function<INT_PTR()> doModal, std::function<void(HWND)> script);

template <typename Dialog>
INT_PTR runModal(Dialog& dialog, std::function<void(HWND)> script) {
    return runModalImpl([&dialog] { return dialog.DoModal(); }, std::move(script));
}

// Sends the messages a real click on a dialog button sends.
void clickButton(HWND dialog, int id);
// Handles every message that is waiting, without blocking.
void pumpPending();
// Handles messages for about `ms` milliseconds.
void pumpFor(DWORD ms);
// Handles messages until `done()` is true or `ms` milliseconds have passed.
bool pumpUntil(std::function<bool()> done, DWORD ms = 5000);
// A key press as the message loop would see it, through the pump's
// pre-translation.
// lParam as the keyboard sets it: repeat count 1, or bits for the scan code,
// the extended block (1 << 24) and a held key (1 << 30).
void pressKey(HWND target, UINT vk, LPARAM lParam = 1, UINT message = WM_KEYDOWN);
// Ctrl, or another key, as held (or not) for the keys that follow.
void holdControl(bool held);
void holdKey(UINT vk, bool held);
