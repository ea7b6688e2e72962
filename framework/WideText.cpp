#include "framework/WideText.h"

#include <windows.h>

namespace {
// Named, never taken from the system: on an English or a Traditional Chinese
// PC the system's own would garble every text.
const UINT kProgramCodePage = 936;
}  // namespace

std::wstring toWide(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int n = MultiByteToWideChar(kProgramCodePage, 0, text.data(), (int)text.size(), nullptr, 0);
    std::wstring w(n > 0 ? n : 0, L'\0');
    if (n > 0) MultiByteToWideChar(kProgramCodePage, 0, text.data(), (int)text.size(), &w[0], n);
    return w;
}

std::string wideToAnsi(const std::wstring& text, std::vector<int>* lossyLines) {
    std::string out;
    int lineNumber = 1;
    for (size_t begin = 0; begin <= text.size(); ++lineNumber) {
        // Lines end where the readers of hand-made text end them.
        size_t end = text.find_first_of(L"\r\n", begin);
        if (end == std::wstring::npos) end = text.size();
        else end += text.compare(end, 2, L"\r\n") == 0 ? 2 : 1;
        const int length = (int)(end - begin);
        if (length > 0) {
            BOOL lost = FALSE;
            // Without best fit, a character that has no place in the code page
            // shows as '?' and is told, rather than turning into a look-alike.
            const int n = WideCharToMultiByte(kProgramCodePage, WC_NO_BEST_FIT_CHARS, text.data() + begin,
                                              length, nullptr, 0, nullptr, nullptr);
            if (n > 0) {
                const size_t at = out.size();
                out.resize(at + n);
                WideCharToMultiByte(kProgramCodePage, WC_NO_BEST_FIT_CHARS, text.data() + begin, length,
                                    &out[at], n, nullptr, &lost);
            }
            if (lost && lossyLines) lossyLines->push_back(lineNumber);
        }
        if (end == text.size()) break;
        begin = end;
    }
    return out;
}
