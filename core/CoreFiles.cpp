#include "core/Core.h"

#include "core/FileRules.h"

#include <algorithm>

namespace {
std::string appPathOverride;
}  // namespace

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

void CCore::createFile(const std::string& path) {
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
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(f.get(), chunk, sizeof chunk, &got, nullptr)) {
            err = GetLastError();
            bytes->clear();
            return false;
        }
        if (got == 0) return true;
        bytes->append(chunk, got);
        // Never a part taken for the whole: what is read may be written back.
        if (bytes->size() > maxBytes) {
            err = ERROR_FILE_TOO_LARGE;
            bytes->clear();
            return false;
        }
    }
}

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

namespace {

// Whether text in `encoding` ends in a line break: LF, CR LF, or a CR alone
// (a file cut between the two).
bool endsWithLineBreak(const std::string& bytes, size_t mark, TextEncoding encoding) {
    if (isUtf16(encoding)) {
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

namespace {
// The file opened for appending; *error is cleared first and set when the
// file cannot be opened.
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

std::vector<std::string> CCore::namesIn(const std::string& folder, bool folders) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW fd;
    ScopedFind find(FindFirstFileW(systemText(folder + "*").c_str(), &fd));
    if (!find) return names;
    do {
        const std::wstring name = fd.cFileName;
        const bool isFolder = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        // A name code page 936 cannot hold could not be found again by it.
        const std::string held = wideToAnsi(name);
        if (isFolder == folders && name != L"." && name != L".." && toWide(held) == name) names.push_back(held);
    } while (FindNextFileW(find.get(), &fd));
    return names;
}

namespace {
const size_t kBackupsKept = 20;
}  // namespace

bool CCore::replaceWhole(const std::string& path, const std::string& bytes, DWORD* error) {
    DWORD dummy = 0;
    DWORD& err = error ? *error : dummy;
    const std::string fresh = path + ".new";
    if (!writeFile(fresh, bytes, &err)) return false;
    if (renameFile(fresh, path, true, &err)) return true;
    removeFile(fresh);
    return false;
}

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
    const std::string backup = firstFreeName(backupFolder + stem + "-" + fileStamp(getTimeNow(), '-'), extension,
                                             [this](const std::string& name) { return isFileExist(name) != 0; });
    if (backup.empty()) {
        err = ERROR_FILE_EXISTS;
        return false;
    }
    if (!writeFile(backup, before, &err)) return false;
    for (const std::string& old : backupsToDelete(namesIn(backupFolder, false), stem, extension, kBackupsKept))
        removeFile(backupFolder + old);
    return replaceWhole(path, after, &err);
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
