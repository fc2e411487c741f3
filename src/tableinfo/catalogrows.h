// Inside the table-information logic: a catalog statement's rows as texts.
#pragma once

#include <exception>
#include <string>
#include <utility>
#include <vector>

namespace vlm::engine {
class Database;
}

namespace vlm::tableinfo::detail {

// The rows of a statement as texts (null: empty), with the column labels in lower case.
struct Rows {
    std::vector<std::string> labels;
    std::vector<std::vector<std::string>> rows;
    bool empty() const { return rows.empty(); }
    std::string at(std::size_t row, const std::string& label) const;   // by label, any case
};

// Runs sql with its named parameters (":NAME") on the open database; throws the engine's error.
Rows run(engine::Database& db, const std::string& sql,
         const std::vector<std::pair<std::string, std::string>>& params = {});
std::string lowerText(std::string s);
std::string upper(std::string s);             // ASCII letters
std::string trim(const std::string& s);       // blanks at both ends
std::string errorText(const std::exception& e);

}  // namespace vlm::tableinfo::detail
