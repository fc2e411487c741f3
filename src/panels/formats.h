// The program-wide date, time and number formats (the "FORMATS" section of the settings) and
// the text of a date or time in them. Format letters: d dd ddd dddd, m mm mmm mmmm (minutes
// after h), yy yyyy, h hh, n nn, s ss, z zzz, am/pm, a/p, ampm, "/" and ":" for the
// separators, quoted literals.
//   formatDateTime("dd/mm/yyyy", {{2024,3,7},{}}, fmts) == "07.03.2024" with DateSeparator "."
#pragma once

#include <string>

#include "engine/types.h"

namespace vlm::panels {

struct Formats {
    std::string thousandSeparator = ",";
    std::string decimalSeparator = ".";
    std::string dateSeparator = "/";
    std::string shortDateFormat = "M/d/yyyy";
    std::string longDateFormat = "dddd, MMMM d, yyyy";
    std::string timeSeparator = ":";
    std::string timeAMString = "AM";
    std::string timePMString = "PM";
    std::string shortTimeFormat = "h:mm AMPM";
    std::string longTimeFormat = "h:mm:ss AMPM";
    bool operator==(const Formats&) const = default;
};

// The formats every date, time and number text of the program goes through. Set by the
// settings load and the options dialog; read by every window. UI thread only.
Formats& programFormats();

std::string formatDateTime(const std::string& format, const engine::DateTime& dt, const Formats& f);
std::string formatDate(const engine::Date& d, const Formats& f);   // short date format
std::string formatTime(const engine::Time& t, const Formats& f);   // long time format

}  // namespace vlm::panels
