// The dataset text report writers.
#include "datawin/report.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "engine/dataset.h"
#include "shell/language.h"
#include "shell/texthelpers.h"

namespace vlm::datawin {

namespace txt = shell::text;

int reportColumnWidth(const engine::Field& field, const std::string& heading) {
    return std::max(field.displayWidth(), txt::length(heading));
}

std::string reportCell(const std::string& text, int width) {
    // Line breaks inside a value (memo text) would break the fixed-width layout.
    std::string one = text;
    for (char& c : one)
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    return txt::padRight(one, " ", width);
}

std::string formatSum(double value) {
    double r = std::round(value * 1000.0) / 1000.0;
    if (r == 0) r = 0;   // no "-0"
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.3f", r);
    std::string s = buf;
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s;
}

namespace {

std::ofstream openReport(const std::string& fileName) {
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error(shell::pick("Не могу создать файл ", "Cannot create file ") + fileName);
    return out;
}

void finish(std::ofstream& out, const std::string& fileName) {
    out.flush();
    if (!out) throw std::runtime_error(shell::pick("Ошибка записи в файл ", "Cannot write file ") + fileName);
}

}  // namespace

namespace {
// The fields of a report and their column widths, headed by their display labels or their
// names; hidden fields only when asked for.
void visibleColumns(engine::Dataset& ds, bool labels, std::vector<engine::Field*>& cols, std::vector<int>& widths,
                    bool hiddenFields = false) {
    for (int i = 0; i < ds.fieldCount(); ++i) {
        engine::Field& f = ds.field(i);
        if (!f.visible() && !hiddenFields) continue;
        cols.push_back(&f);
        widths.push_back(reportColumnWidth(f, labels ? f.displayLabel() : f.fieldName()));
    }
}

// The plain rows from the current record on: field names as headings, values as strings.
void writePlainRows(engine::Dataset& ds, std::ostream& out, const std::string& tableName, bool hiddenFields) {
    std::vector<engine::Field*> cols;
    std::vector<int> widths;
    visibleColumns(ds, false, cols, widths, hiddenFields);
    out << "Таблица: " << tableName << "\n";
    int total = 0;
    for (std::size_t c = 0; c < cols.size(); ++c) {
        out << reportCell(cols[c]->fieldName(), widths[c] + 1);
        total += widths[c] + 1;
    }
    out << "\n" << std::string(std::size_t(total), '-') << "\n";
    for (; !ds.eof(); ds.next()) {
        for (std::size_t c = 0; c < cols.size(); ++c) out << reportCell(cols[c]->asString(), widths[c] + 1);
        out << "\n";
    }
}

}  // namespace

void writePlainReport(engine::Dataset& ds, std::ostream& out, const std::string& tableName) {
    ds.close();
    ds.open();
    ds.first();
    writePlainRows(ds, out, tableName, false);
}

void writePlainReport(engine::Dataset& ds, const std::string& fileName, const std::string& tableName) {
    std::ofstream out = openReport(fileName);
    writePlainReport(ds, out, tableName);
    finish(out, fileName);
}

void writePlainReportFromCurrent(engine::Dataset& ds, std::ostream& out, const std::string& tableName) {
    writePlainRows(ds, out, tableName, true);
}

void writePlainReportFromCurrent(engine::Dataset& ds, const std::string& fileName, const std::string& tableName) {
    std::ofstream out = openReport(fileName);
    writePlainReportFromCurrent(ds, out, tableName);
    finish(out, fileName);
}

bool writeNumberedReport(engine::Dataset& ds, std::ostream& out, const std::string& tableName, bool withNumbers,
                         bool withSums) {
    if (!ds.active()) return false;
    std::vector<engine::Field*> cols;
    std::vector<int> widths;
    visibleColumns(ds, true, cols, widths);
    constexpr int kNumberWidth = 6;
    out << "Таблица: " << tableName << "\n";
    int total = withNumbers ? kNumberWidth : 0;
    if (withNumbers) out << reportCell("  №  ", kNumberWidth);
    for (std::size_t c = 0; c < cols.size(); ++c) {
        out << reportCell(cols[c]->displayLabel(), widths[c] + 1);
        total += widths[c] + 1;
    }
    const std::string rule(std::size_t(total), '-');
    out << "\n" << rule << "\n";
    // Sums as text: "0" to start, "*" once a value was no number.
    std::vector<std::string> sums(cols.size(), "0");
    std::int64_t number = 0;
    bool more = !ds.isEmpty();
    while (more) {
        ++number;
        if (withNumbers) out << reportCell(std::to_string(number), kNumberWidth);
        for (std::size_t c = 0; c < cols.size(); ++c) {
            engine::Field& f = *cols[c];
            out << reportCell(f.displayText(), widths[c] + 1);
            if (!withSums || sums[c] == "*") continue;
            const std::string v = txt::strip(f.asString());
            if (v.empty() || f.isNull()) continue;
            if (!txt::textToNumber(v)) {
                sums[c] = "*";
                continue;
            }
            double value = 0;
            try {
                value = f.asFloat();
            } catch (const std::exception&) {
                value = *txt::textToNumber(v);
            }
            sums[c] = formatSum(*txt::textToNumber(sums[c]) + value);
        }
        out << "\n";
        ds.next();
        more = !ds.eof();
    }
    if (withSums) {
        out << rule << "\n";
        if (withNumbers) out << reportCell(shell::pick("Итого", "Sum:"), kNumberWidth);
        for (std::size_t c = 0; c < cols.size(); ++c)
            out << reportCell(sums[c] == "*" ? std::string() : sums[c], widths[c] + 1);
        out << "\n" << rule << "\n";
    }
    return true;
}

bool writeNumberedReport(engine::Dataset& ds, const std::string& fileName, const std::string& tableName,
                         bool withNumbers, bool withSums) {
    if (!ds.active()) return false;
    std::ofstream out = openReport(fileName);
    writeNumberedReport(ds, out, tableName, withNumbers, withSums);
    finish(out, fileName);
    return true;
}

}  // namespace vlm::datawin
