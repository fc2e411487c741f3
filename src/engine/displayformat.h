// Numeric display formats of dataset fields: "#.##", "0.000", "#,###.##", "00.##".
//   0  a digit, always shown        #  a digit, shown when significant
//   .  the decimal point            ,  thousands grouping (anywhere among the placeholders)
//   'x' or "x"  literal text        ;  sections: positive;negative;zero
// Text before the first placeholder and after the last is kept as written.
//
//   formatNumber(1234.5, "#,###.00") == "1,234.50";  formatNumber(0.5, "#.##") == ".5"
#pragma once

#include <string>

namespace vlm::engine {

std::string formatNumber(double value, const std::string& format);

}  // namespace vlm::engine
