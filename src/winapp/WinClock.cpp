#include "winapp/WinClock.h"

#include "text/WideText.h"

namespace qvset::winapp {

namespace {
constexpr int kFormatCapacity = 128;
}  // namespace

std::string WinClock::Now() const {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return Format(now, LOCALE_USER_DEFAULT);
}

std::string WinClock::Format(const SYSTEMTIME& moment, LCID locale) {
    wchar_t date[kFormatCapacity] = {};
    wchar_t time[kFormatCapacity] = {};
    GetDateFormatW(locale, DATE_SHORTDATE, &moment, nullptr, date, kFormatCapacity);
    GetTimeFormatW(locale, 0, &moment, nullptr, time, kFormatCapacity);
    return ToUtf8(std::wstring(date) + L" " + time);
}

}  // namespace qvset::winapp
