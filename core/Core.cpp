#include "core/Core.h"

#include "core/TextFields.h"
#include "settings/SettingsRules.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

CCore* core = nullptr;

namespace {

const char kSection[] = "Trackvane";
// A settings file is a few lines; one this size is no settings file, and one
// cut off here must not be written back.
const size_t kConfigReadLimit = 1 << 20;

// What a key reads as when the file or the key is missing or its value
// cannot be used.
// A number outside its range (an output of width 0, say) reads as the
// default too.
struct ConfigDefault {
    const char* key;
    const char* value;
    int least;
    int most;
};
const ConfigDefault kDefaults[] = {
    {"scoreInit", "0", INT_MIN, INT_MAX},
    {"scoreStep", "1", INT_MIN, INT_MAX},
    {"raceTitle", "校园趣味运动会", 0, 0},
    {"tips", "按编号键开始或停止计时，祝各位选手取得好成绩！", 0, 0},
    {"clrStr", "FFFFFFFF", 0, 0},
    {"clrDigi", "FFFFD54F", 0, 0},
    {"isZhangai", "0", 0, 1},
    {"width", "1280", 100, 8000},
    {"height", "720", 100, 3000},
    {"fontTitle", "黑体", 0, 0},
};

const ConfigDefault* defaultEntry(const char* key) {
    for (const auto& d : kDefaults)
        if (std::strcmp(d.key, key) == 0) return &d;
    return nullptr;
}

const char* defaultOf(const char* key) {
    const ConfigDefault* d = defaultEntry(key);
    return d ? d->value : "";
}

bool inRange(const char* key, int value) {
    const ConfigDefault* d = defaultEntry(key);
    return !d || (value >= d->least && value <= d->most);
}

uint32_t (*tickSource)() = nullptr;
bool secondDisplayOverridden = false;
RECT secondDisplay = {0, 0, 0, 0};
std::string appPathOverride;
CCore::MessageHook messageHook = nullptr;

}  // namespace

std::wstring decodeToWide(std::string_view bytes, TextEncoding encoding) {
    std::wstring w;
    if (encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be) {
        const bool big = encoding == TextEncoding::Utf16Be;
        w.resize(bytes.size() / 2);
        for (size_t i = 0; i < w.size(); ++i) {
            const auto a = static_cast<unsigned char>(bytes[2 * i]);
            const auto b = static_cast<unsigned char>(bytes[2 * i + 1]);
            w[i] = static_cast<wchar_t>(big ? (a << 8 | b) : (b << 8 | a));
        }
        return w;
    }
    if (encoding == TextEncoding::Cp936) return toWide(std::string(bytes));
    if (bytes.empty()) return w;
    int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)bytes.size(), nullptr, 0);
    if (n <= 0) return w;
    w.resize(n);
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)bytes.size(), &w[0], n);
    return w;
}

bool findImageEncoder(const wchar_t* mime, CLSID* clsid) {
    UINT count = 0, bytes = 0;
    if (gp::GdipGetImageEncodersSize(&count, &bytes) != gp::Ok || bytes == 0) return false;
    std::vector<BYTE> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (gp::GdipGetImageEncoders(count, bytes, codecs) != gp::Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType && std::wstring(codecs[i].MimeType) == mime) {
            *clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

CCore::CCore() = default;

// --- configuration ---

void CCore::autoFileConfig() {
    if (configPath_.empty()) configPath_ = getAppPath() + "Trackvane.ini";
}

// The file may have been saved by Notepad as UTF-8 or "Unicode".
bool CCore::readValue(const char* key, std::string* value) {
    std::string bytes;
    return readFile(configPath_, &bytes, kConfigReadLimit) &&
           findIniValue(textToAnsi(bytes), kSection, key, value);
}

// The file keeps its encoding: code page 936 as a Chinese PC writes it, or the
// UTF-8 or UTF-16 an editor saved, edited as UTF-8. A whole new file takes the
// old one's place, so that a failed write leaves the settings as they were.
bool CCore::writeValue(const char* key, const std::string& value) {
    std::string bytes;
    DWORD error = 0;
    if (!readFile(configPath_, &bytes, kConfigReadLimit, &error) && error != ERROR_FILE_NOT_FOUND &&
        error != ERROR_PATH_NOT_FOUND)
        return false;
    if (bytes.size() >= kConfigReadLimit) return false;
    size_t mark = 0;
    const TextEncoding encoding = detectTextEncoding(bytes, &mark);
    std::string text;
    if (encoding == TextEncoding::Cp936) {
        text = withIniValue(bytes, kSection, key, value);
    } else {
        const std::string utf8 = encodeWide(decodeToWide(std::string_view(bytes).substr(mark), encoding),
                                            TextEncoding::Utf8);
        const std::string edited = withIniValue(utf8, kSection, key, encodeAs(value, TextEncoding::Utf8));
        text = bytes.substr(0, mark) + encodeWide(decodeToWide(edited, TextEncoding::Utf8), encoding);
    }
    const std::string fresh = configPath_ + ".new";
    if (writeFile(fresh, text) && renameFile(fresh, configPath_, true)) return true;
    removeFile(fresh);
    return false;
}

int CCore::getConfigInt(const char* key) {
    std::string text;
    int value = 0;
    if (readValue(key, &text) && parseIniInt(text, &value) && inRange(key, value)) return value;
    parseIniInt(defaultOf(key), &value);
    return value;
}

std::string CCore::getConfigStr(const char* key) {
    std::string text;
    return readValue(key, &text) ? text : defaultOf(key);
}

BOOL CCore::getConfigB(const char* key) {
    std::string text;
    int value = 0;
    if (readValue(key, &text) && parseIniBool(text, &value)) return value;
    parseIniBool(defaultOf(key), &value);
    return value;
}

uint32_t CCore::getConfigClr(const char* key) {
    std::string text;
    uint32_t value = 0;
    if (readValue(key, &text) && parseIniColour(text, &value)) return value;
    parseIniColour(defaultOf(key), &value);
    return value;
}

bool CCore::saveConfigInt(const char* key, int value) { return writeValue(key, getStrInt(value)); }
bool CCore::saveConfigStr(const char* key, const std::string& value) { return writeValue(key, value); }
bool CCore::saveConfigB(const char* key, BOOL value) { return writeValue(key, value ? "1" : "0"); }
bool CCore::saveConfigClr(const char* key, uint32_t argb) {
    return writeValue(key, formatIniColour(argb));
}

// --- files ---

void CCore::setAppPathOverride(const std::string& path) { appPathOverride = path; }

namespace {
// The program's folder as the system names it, and as the program's strings
// hold it.
struct AppFolder {
    std::wstring wide;
    std::string text;
};

AppFolder appFolder() {
    if (!appPathOverride.empty()) return {toWide(appPathOverride), appPathOverride};
    wchar_t buf[MAX_PATH * 2] = {};
    const DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH * 2);
    std::wstring path(buf, n);
    const size_t cut = path.find_last_of(L"\\/");
    path = cut == std::wstring::npos ? std::wstring(L".\\") : path.substr(0, cut + 1);
    return {path, wideToAnsi(path)};
}
}  // namespace

std::string CCore::getAppPath() { return appFolder().text; }

std::wstring CCore::systemText(const std::string& text) {
    std::wstring wide = toWide(text);
    const AppFolder app = appFolder();
    const std::wstring held = toWide(app.text);
    if (held == app.wide) return wide;
    for (size_t at = wide.find(held); at != std::wstring::npos; at = wide.find(held, at + app.wide.size()))
        wide.replace(at, held.size(), app.wide);
    return wide;
}

ScopedFile CCore::openFile(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
    return ScopedFile(CreateFileW(systemText(path).c_str(), access, share, nullptr, disposition,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

void CCore::createFile(const std::string& path, int) {
    openFile(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS);
}

bool CCore::createFolder(const std::string& path) {
    return CreateDirectoryW(systemText(path).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

BOOL CCore::isFileExist(const std::string& path) {
    DWORD a = GetFileAttributesW(systemText(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool CCore::readFile(const std::string& path, std::string* bytes, size_t maxBytes, DWORD* error) {
    DWORD dummy = 0;
    DWORD& err = error ? *error : dummy;
    err = 0;
    bytes->clear();
    ScopedFile f(openFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
    if (!f) {
        err = GetLastError();
        return false;
    }
    char chunk[64 * 1024];
    while (bytes->size() < maxBytes) {
        DWORD want = (DWORD)std::min(sizeof chunk, maxBytes - bytes->size());
        DWORD got = 0;
        if (!ReadFile(f.get(), chunk, want, &got, nullptr)) {
            err = GetLastError();
            return false;
        }
        if (got == 0) break;
        bytes->append(chunk, got);
    }
    return true;
}

std::string CCore::utf8ToAnsi(const std::string& utf8) {
    const size_t skip = utf8.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    return wideToAnsi(decodeToWide(std::string_view(utf8).substr(skip), TextEncoding::Utf8));
}

std::string CCore::textToAnsi(const std::string& bytes, std::vector<int>* lossyLines) {
    if (lossyLines) lossyLines->clear();
    size_t mark = 0;
    const TextEncoding encoding = detectTextEncoding(bytes, &mark);
    if (encoding == TextEncoding::Cp936) return bytes;
    return wideToAnsi(decodeToWide(std::string_view(bytes).substr(mark), encoding), lossyLines);
}

std::string CCore::ansiToUtf8(const std::string& ansi) { return encodeAs(ansi, TextEncoding::Utf8); }

bool CCore::writeFile(const std::string& path, const std::string& bytes, DWORD* error) {
    DWORD dummy = 0;
    DWORD& err = error ? *error : dummy;
    err = 0;
    {
        ScopedFile f(openFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS));
        if (!f) {
            err = GetLastError();
            return false;
        }
        DWORD written = 0;
        BOOL ok = WriteFile(f.get(), bytes.data(), (DWORD)bytes.size(), &written, nullptr);
        // On the disk before anything takes it for whole (a file replaced by it).
        if (ok && written == bytes.size() && FlushFileBuffers(f.get())) return true;
        err = ok ? ERROR_DISK_FULL : GetLastError();
    }
    removeFile(path);
    return false;
}

std::string encodeAs(const std::string& ansi, TextEncoding encoding) {
    return encoding == TextEncoding::Cp936 ? ansi : encodeWide(toWide(ansi), encoding);
}

std::string encodeWide(const std::wstring& w, TextEncoding encoding) {
    if (encoding == TextEncoding::Cp936) return wideToAnsi(w);
    if (encoding == TextEncoding::Utf8) {
        int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), nullptr, 0, nullptr, nullptr);
        std::string utf8(n > 0 ? n : 0, '\0');
        if (n > 0) WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), &utf8[0], n, nullptr, nullptr);
        return utf8;
    }
    const bool big = encoding == TextEncoding::Utf16Be;
    std::string bytes;
    for (wchar_t c : w) {
        const char high = (char)(c >> 8 & 0xFF), low = (char)(c & 0xFF);
        bytes += big ? high : low;
        bytes += big ? low : high;
    }
    return bytes;
}

namespace {

// Whether text in `encoding` ends in a line break: LF, CR LF, or a CR alone
// (a file cut between the two).
bool endsWithLineBreak(const std::string& bytes, size_t mark, TextEncoding encoding) {
    if (encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be) {
        const std::wstring w = decodeToWide(std::string_view(bytes).substr(mark), encoding);
        return w.empty() || w.back() == L'\n' || w.back() == L'\r';
    }
    return bytes.size() <= mark || bytes.back() == '\n' || bytes.back() == '\r';
}

bool readWhole(HANDLE file, LONGLONG size, std::string* bytes) {
    LARGE_INTEGER zero = {};
    if (!SetFilePointerEx(file, zero, nullptr, FILE_BEGIN)) return false;
    bytes->resize((size_t)size);
    size_t got = 0;
    while (got < bytes->size()) {
        DWORD n = 0;
        const DWORD want = (DWORD)std::min<size_t>(bytes->size() - got, 1 << 20);
        if (!ReadFile(file, &(*bytes)[got], want, &n, nullptr) || n == 0) return false;
        got += n;
    }
    return true;
}

}  // namespace

bool CCore::logAdd(const std::string& path, const std::string& line, int, DWORD* error) {
    return logAddLines(path, {line}, error);
}

namespace {
// The lines as the program's text files hold them, and the file opened for
// them; *error is cleared first and set when the file cannot be opened.
std::string crlfLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return text;
}

ScopedFile openForAppending(const std::string& path, DWORD access, DWORD share, DWORD& err) {
    err = 0;
    ScopedFile f = CCore::openFile(path, access, share, OPEN_ALWAYS);
    if (!f) err = GetLastError();
    return f;
}
}  // namespace

bool CCore::logAddLines(const std::string& path, const std::vector<std::string>& lines,
                        DWORD* error, AppendedBytes* appended) {
    std::string text = crlfLines(lines);
    DWORD dummy = 0;
    DWORD& err = error ? *error : dummy;
    ScopedFile f(openForAppending(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, err));
    if (!f) return false;
    LARGE_INTEGER start = {};
    LARGE_INTEGER zero = {};
    if (!SetFilePointerEx(f.get(), zero, &start, FILE_END)) {
        err = GetLastError();
        return false;
    }
    if (start.QuadPart > 0) {
        // A file saved again by a spreadsheet as UTF-8 stays UTF-8, and one
        // cut off in the middle of a line (or edited by hand) must not glue
        // the first new line to its last one.
        std::string bytes;
        if (readWhole(f.get(), start.QuadPart, &bytes)) {
            size_t mark = 0;
            const TextEncoding encoding = detectLinesEncoding(bytes, &mark);
            if (!endsWithLineBreak(bytes, mark, encoding)) text.insert(0, "\r\n");
            text = encodeAs(text, encoding);
        }
        if (!SetFilePointerEx(f.get(), start, nullptr, FILE_BEGIN)) {
            err = GetLastError();
            return false;
        }
    }
    DWORD written = 0;
    BOOL ok = WriteFile(f.get(), text.data(), (DWORD)text.size(), &written, nullptr);
    if (ok && written == text.size() && FlushFileBuffers(f.get())) {
        if (appended) *appended = AppendedBytes{(uint64_t)start.QuadPart, text};
        return true;
    }
    err = ok ? ERROR_DISK_FULL : GetLastError();
    // Cut a partial write back, so that the next attempt starts clean.
    SetFilePointerEx(f.get(), start, nullptr, FILE_BEGIN);
    SetEndOfFile(f.get());
    return false;
}

CCore::TakeBack CCore::removeAppended(const std::string& path, const AppendedBytes& appended,
                                      DWORD* error) {
    DWORD dummy = 0;
    DWORD& err = error ? *error : dummy;
    err = 0;
    ScopedFile f = openFile(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
    if (!f) {
        err = GetLastError();
        return err == ERROR_FILE_NOT_FOUND ? TakeBack::Changed : TakeBack::Failed;
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(f.get(), &size)) {
        err = GetLastError();
        return TakeBack::Failed;
    }
    if ((uint64_t)size.QuadPart != appended.at + appended.bytes.size()) return TakeBack::Changed;
    LARGE_INTEGER at = {};
    at.QuadPart = (LONGLONG)appended.at;
    std::string tail(appended.bytes.size(), '\0');
    DWORD got = 0;
    if (!SetFilePointerEx(f.get(), at, nullptr, FILE_BEGIN) ||
        !ReadFile(f.get(), &tail[0], (DWORD)tail.size(), &got, nullptr)) {
        err = GetLastError();
        return TakeBack::Failed;
    }
    if (got != tail.size() || tail != appended.bytes) return TakeBack::Changed;
    if (!SetFilePointerEx(f.get(), at, nullptr, FILE_BEGIN) || !SetEndOfFile(f.get()) ||
        !FlushFileBuffers(f.get())) {
        err = GetLastError();
        return TakeBack::Failed;
    }
    return TakeBack::Done;
}

namespace {
// The backups of one file, oldest first by their time, and every one beyond
// the newest `keep` removed.
void pruneBackups(const std::wstring& folder, const std::wstring& pattern, size_t keep) {
    struct Found {
        uint64_t time;
        std::wstring name;
    };
    std::vector<Found> found;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + pattern).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const uint64_t t = (uint64_t)fd.ftLastWriteTime.dwHighDateTime << 32 | fd.ftLastWriteTime.dwLowDateTime;
        found.push_back(Found{t, fd.cFileName});
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    std::sort(found.begin(), found.end(),
              [](const Found& a, const Found& b) { return a.time != b.time ? a.time < b.time : a.name < b.name; });
    for (size_t i = 0; i + keep < found.size(); ++i) DeleteFileW((folder + found[i].name).c_str());
}
}  // namespace

bool CCore::replaceFile(const std::string& path, const std::string& before, const std::string& after,
                        const std::string& backupFolder, DWORD* error) {
    DWORD dummy = 0;
    DWORD& err = error ? *error : dummy;
    err = 0;
    {
        // Held by a spreadsheet: refused before a backup or anything is made.
        ScopedFile probe = openFile(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
        if (!probe) {
            err = GetLastError();
            return false;
        }
    }
    createFolder(backupFolder);
    const size_t slash = path.find_last_of('\\');
    const std::string file = path.substr(slash == std::string::npos ? 0 : slash + 1);
    const size_t dot = file.rfind('.');
    const std::string stem = file.substr(0, dot), extension = dot == std::string::npos ? "" : file.substr(dot);
    const LocalTime now = getTimeNow();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", now.year % 10000, now.month % 100,
                  now.day % 100, now.hour % 100, now.minute % 100, now.second % 100);
    std::string backup;
    for (int n = 1; n < 100 && (backup.empty() || isFileExist(backup)); ++n)
        backup = backupFolder + stem + "-" + stamp + (n > 1 ? "-" + std::to_string(n) : "") + extension;
    if (!writeFile(backup, before, &err)) return false;
    pruneBackups(systemText(backupFolder), toWide(stem + "-*" + extension), 20);

    const std::string fresh = path + ".new";
    if (!writeFile(fresh, after, &err)) return false;
    if (renameFile(fresh, path, true, &err)) return true;
    removeFile(fresh);
    return false;
}

bool CCore::replaceWhole(const std::string& path, const std::string& bytes, DWORD* error) {
    const std::string fresh = path + ".new";
    if (!writeFile(fresh, bytes, error)) return false;
    if (renameFile(fresh, path, true, error)) return true;
    removeFile(fresh);
    return false;
}

bool CCore::appendLinesFlushed(const std::string& path, const std::vector<std::string>& lines,
                               DWORD* error) {
    const std::string text = crlfLines(lines);
    DWORD dummy = 0;
    DWORD& err = error ? *error : dummy;
    ScopedFile f(openForAppending(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_DELETE, err));
    if (!f) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(f.get(), text.data(), (DWORD)text.size(), &written, nullptr);
    if (ok && written == text.size() && FlushFileBuffers(f.get())) return true;
    err = ok && written != text.size() ? ERROR_DISK_FULL : GetLastError();
    return false;
}

bool CCore::removeFile(const std::string& path, DWORD* error) {
    if (DeleteFileW(systemText(path).c_str())) return true;
    const DWORD e = GetLastError();
    if (error) *error = e;
    return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND;
}

bool CCore::renameFile(const std::string& from, const std::string& to, bool replace, DWORD* error) {
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (MoveFileExW(systemText(from).c_str(), systemText(to).c_str(), flags)) return true;
    if (error) *error = GetLastError();
    return false;
}

// --- time ---

int64_t CCore::wallNowMs() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    const LocalTime t{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
    return toSerialSeconds(t) * 1000 + st.wMilliseconds;
}

LocalTime CCore::getTimeNow() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

std::string CCore::getTimeNowStr(const std::string&) { return formatTimeStamp(getTimeNow()); }

LocalTime CCore::getTimeFromStr(const std::string& text) {
    LocalTime t = {};
    parseTimeStamp(text, &t);
    return t;
}

BOOL CCore::isTimeBetween(const LocalTime& t, const LocalTime& from, const LocalTime& to) {
    return ::isTimeBetween(t, from, to);
}

uint32_t CCore::tickNow() { return tickSource ? tickSource() : GetTickCount(); }
void CCore::setTickSource(uint32_t (*source)()) { tickSource = source; }

// --- text ---

std::string CCore::getStrInt(int n) { return ::getStrInt(n); }
std::string CCore::getFg(const std::string& text, char sep, int i) { return ::getFg(text, sep, i); }
int CCore::getFgInt(const std::string& text, char sep, int i) { return ::getFgInt(text, sep, i); }
void CCore::trimStrTail(std::string& text) { ::trimStrTail(text); }

COLORREF CCore::getClrRef(uint32_t argb) { return argbToColorref(argb); }
uint32_t CCore::getColorFromClrRef(COLORREF ref) { return colorrefToArgb(ref); }

// --- displays ---

namespace {
struct MonitorSearch {
    RECT found;
    bool any;
};

BOOL CALLBACK takeSecondMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto* search = reinterpret_cast<MonitorSearch*>(data);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info) || (info.dwFlags & MONITORINFOF_PRIMARY)) return TRUE;
    search->found = info.rcMonitor;
    search->any = true;
    return FALSE;  // the first display that is not the primary one
}
}  // namespace

void CCore::setSecondDisplayOverride(const RECT* rect) {
    secondDisplayOverridden = rect != nullptr;
    secondDisplay = rect ? *rect : RECT{0, 0, 0, 0};
}

int CCore::getScreenRect(int n, RECT* rect) {
    *rect = RECT{0, 0, 0, 0};
    if (n == 1 && secondDisplayOverridden) {
        *rect = secondDisplay;
        return rect->right != 0;
    }
    if (n != 1) {
        if (n == 0) *rect = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        return n == 0;
    }
    MonitorSearch search = {{0, 0, 0, 0}, false};
    EnumDisplayMonitors(nullptr, nullptr, &takeSecondMonitor, (LPARAM)&search);
    if (search.any) *rect = search.found;
    return search.any;
}

// --- GDI+ text ---

Gdiplus::GpStringFormat* CCore::stringFormat() {
    // Wine refuses a null format where Windows takes the default.
    if (!format_) {
        Gdiplus::GpStringFormat* generic = nullptr;
        Gdiplus::GpStringFormat* clone = nullptr;
        if (gp::GdipStringFormatGetGenericDefault(&generic) == gp::Ok &&
            gp::GdipCloneStringFormat(generic, &clone) == gp::Ok)
            format_.reset(clone);
    }
    return format_.get();
}

SIZE CCore::getTextBoundsByFontFamily(Gdiplus::GpFontFamily* family, int size,
                                      const std::string& text) {
    SIZE result = {0, 0};
    if (!family || size <= 0) return result;
    std::wstring w = toWide(text);
    gp::ScopedGpFont font;
    Gdiplus::GpFont* f = nullptr;
    if (gp::GdipCreateFont(family, (Gdiplus::REAL)size, gp::FontStyleRegular, gp::UnitPixel, &f) != gp::Ok)
        return result;
    font.reset(f);
    gp::ScopedImage bitmap;
    Gdiplus::GpBitmap* b = nullptr;
    if (gp::GdipCreateBitmapFromScan0(1, 1, 0, PixelFormat32bppPARGB, nullptr, &b) != gp::Ok)
        return result;
    bitmap.reset(b);
    gp::ScopedGraphics graphics;
    Gdiplus::GpGraphics* g = nullptr;
    if (gp::GdipGetImageGraphicsContext(bitmap.get(), &g) != gp::Ok) return result;
    graphics.reset(g);
    Gdiplus::RectF layout(0, 0, 0, 0);
    Gdiplus::RectF bounds;
    if (gp::GdipMeasureString(g, w.c_str(), (INT)w.size(), f, &layout, stringFormat(), &bounds,
                              nullptr, nullptr) != gp::Ok)
        return result;
    result.cx = (LONG)bounds.Width;
    result.cy = (LONG)bounds.Height;
    return result;
}

void CCore::drawStr(Gdiplus::GpPath* path, Gdiplus::GpFontFamily* family, int x, int y, int size,
                    const std::string& text) {
    if (!path || !family || text.empty()) return;
    std::wstring w = toWide(text);
    Gdiplus::RectF layout((Gdiplus::REAL)x, (Gdiplus::REAL)y, 0, 0);
    gp::GdipAddPathString(path, w.c_str(), (INT)w.size(), family, gp::FontStyleRegular,
                          (Gdiplus::REAL)size, &layout, stringFormat());
}

// --- message boxes ---

void CCore::setMessageHook(MessageHook hook) { messageHook = hook; }

int CCore::messageBox(HWND owner, const std::string& text, UINT type) {
    if (messageHook) return messageHook(owner, text, type);
    return MessageBoxW(owner, systemText(text).c_str(), L"Trackvane", type);
}

void CCore::msgboxInfo(HWND owner, const std::string& text) {
    messageBox(owner, text, MB_OK | MB_ICONINFORMATION);
}

void CCore::msgboxWarning(HWND owner, const std::string& text) {
    messageBox(owner, text, MB_OK | MB_ICONWARNING);
}

bool CCore::msgboxRetry(HWND owner, const std::string& text) {
    return messageBox(owner, text, MB_RETRYCANCEL | MB_ICONWARNING) == IDRETRY;
}

int CCore::msgboxQuestion(HWND owner, const std::string& text, UINT buttons) {
    return messageBox(owner, text, buttons | MB_ICONQUESTION);
}

std::string CCore::errorText(DWORD error) {
    wchar_t* buf = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, error, 0, (LPWSTR)&buf, 0, nullptr);
    std::string text = n && buf ? wideToAnsi(std::wstring(buf, n)) : std::string();
    if (buf) LocalFree(buf);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text.empty() ? "错误代码 " + std::to_string(error) : text;
}
