// Date and time texts in the program-wide formats.
#include "panels/formats.h"

#include <cctype>
#include <cstdio>

namespace vlm::panels {

Formats& programFormats() {
    static Formats f;
    return f;
}

namespace {

const char* kShortDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* kLongDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* kShortMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* kLongMonths[] = {"January", "February", "March", "April", "May", "June", "July",
                             "August", "September", "October", "November", "December"};

int weekday(const engine::Date& d) {   // 0 = Sunday (Sakamoto)
    static const int t[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    int y = d.year - (d.month < 3);
    int m = d.month >= 1 && d.month <= 12 ? d.month : 1;
    return ((y + y / 4 - y / 100 + y / 400 + t[m - 1] + d.day) % 7 + 7) % 7;
}

std::string num(int v, int width) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", width, v);
    return buf;
}

bool startsWithNoCase(const std::string& s, std::size_t at, const char* w) {
    for (std::size_t i = 0; w[i]; ++i)
        if (at + i >= s.size() || std::tolower((unsigned char)s[at + i]) != w[i]) return false;
    return true;
}

}  // namespace

std::string formatDateTime(const std::string& fmt, const engine::DateTime& dt, const Formats& f) {
    std::string out;
    // An am/pm marker anywhere switches the hours to the 12-hour clock.
    bool twelve = false;
    for (std::size_t i = 0; i < fmt.size(); ++i)
        if (startsWithNoCase(fmt, i, "am/pm") || startsWithNoCase(fmt, i, "a/p") || startsWithNoCase(fmt, i, "ampm"))
            twelve = true;
    bool afterHour = false;
    const auto& d = dt.date;
    const auto& t = dt.time;
    for (std::size_t i = 0; i < fmt.size();) {
        char c = fmt[i];
        char lc = char(std::tolower((unsigned char)c));
        std::size_t n = 1;
        while (i + n < fmt.size() && std::tolower((unsigned char)fmt[i + n]) == lc) ++n;
        if (c == '"' || c == '\'') {
            auto e = fmt.find(c, i + 1);
            if (e == std::string::npos) e = fmt.size();
            out += fmt.substr(i + 1, e - i - 1);
            i = e + 1;
            continue;
        }
        if (startsWithNoCase(fmt, i, "am/pm")) { out += t.hour < 12 ? "am" : "pm"; i += 5; continue; }
        if (startsWithNoCase(fmt, i, "a/p")) { out += t.hour < 12 ? "a" : "p"; i += 3; continue; }
        if (startsWithNoCase(fmt, i, "ampm")) { out += t.hour < 12 ? f.timeAMString : f.timePMString; i += 4; continue; }
        switch (lc) {
        case 'd':
            if (n == 1) out += std::to_string(d.day);
            else if (n == 2) out += num(d.day, 2);
            else if (n == 3) out += kShortDays[weekday(d)];
            else if (n == 4) out += kLongDays[weekday(d)];
            else if (n == 5) out += formatDateTime(f.shortDateFormat, dt, f);
            else out += formatDateTime(f.longDateFormat, dt, f);
            break;
        case 'm':
            if (afterHour && n <= 2) {
                out += n == 1 ? std::to_string(t.minute) : num(t.minute, 2);
            } else if (d.month >= 1 && d.month <= 12) {
                if (n == 1) out += std::to_string(d.month);
                else if (n == 2) out += num(d.month, 2);
                else if (n == 3) out += kShortMonths[d.month - 1];
                else out += kLongMonths[d.month - 1];
            }
            afterHour = false;
            break;
        case 'y':
            out += n <= 2 ? num(d.year % 100, 2) : num(d.year, 4);
            break;
        case 'h': {
            int h = t.hour;
            if (twelve) { h %= 12; if (h == 0) h = 12; }
            out += n == 1 ? std::to_string(h) : num(h, 2);
            afterHour = true;
            i += n;
            continue;
        }
        case 'n': out += n == 1 ? std::to_string(t.minute) : num(t.minute, 2); break;
        case 's': out += n == 1 ? std::to_string(t.second) : num(t.second, 2); break;
        case 'z': out += n >= 3 ? num(t.msec, 3) : std::to_string(t.msec); break;
        case 't': out += formatDateTime(n == 1 ? f.shortTimeFormat : f.longTimeFormat, dt, f); break;
        case 'c':
            out += formatDateTime(f.shortDateFormat, dt, f) + " " + formatDateTime(f.longTimeFormat, dt, f);
            break;
        case '/': for (std::size_t k = 0; k < n; ++k) out += f.dateSeparator; break;
        case ':': for (std::size_t k = 0; k < n; ++k) out += f.timeSeparator; break;
        default: out.append(n, c); break;
        }
        // A minute "m" follows an hour directly or after separators only.
        if (lc != ':' && lc != ' ') afterHour = false;
        i += n;
    }
    return out;
}

std::string formatDate(const engine::Date& d, const Formats& f) {
    return formatDateTime(f.shortDateFormat, {d, {}}, f);
}

std::string formatTime(const engine::Time& t, const Formats& f) {
    return formatDateTime(f.longTimeFormat, {{}, t}, f);
}

}  // namespace vlm::panels
