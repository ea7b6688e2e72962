#include "core/Core.h"

namespace {
uint32_t (*tickSource)() = nullptr;
}  // namespace

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

std::string CCore::getTimeNowStr() { return formatTimeStamp(getTimeNow()); }

uint32_t CCore::tickNow() { return tickSource ? tickSource() : GetTickCount(); }
void CCore::setTickSource(uint32_t (*source)()) { tickSource = source; }
