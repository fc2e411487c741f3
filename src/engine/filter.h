// The dataset filter language: a record is shown when the expression is true for it.
//
//   expression := term { OR term }
//   term       := factor { AND factor }
//   factor     := NOT factor | "(" expression ")" | operand IS [NOT] NULL | operand op operand
//   op         := "=" | "<>" | "!=" | "<" | ">" | "<=" | ">="
//   operand    := field | 'text' | number | TRUE | FALSE
//   field      := a name of letters, digits, "_", "$", "#" (not starting with a digit),
//                 or any name in [brackets] or "double quotes"
//
// Keywords are case-insensitive; a quote inside a 'text' is written twice ('O''Brien').
// Comparisons are numeric when both sides are numbers (or a number and a text that reads as
// one), otherwise they compare the engine's text forms exactly (dates as YYYY-MM-DD sort
// correctly). A 'text' ending in * compared with = or <> matches every value that starts with the
// text before the * ('IV*' matches IVANOV). A comparison with a null value is false; only IS NULL
// finds nulls.
//
//   auto f = FilterExpression::parse("CITY = 'Mos*' and (AMOUNT >= 100 or NOTE is null)");
//   f.bind([](const std::string& name) { return fieldIndex(name); });   // -1: unknown field
//   f.matches([&](int i) -> const Value& { return row.values[i]; });
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "types.h"

namespace vlm::engine {

class FilterExpression {
public:
    FilterExpression();
    ~FilterExpression();
    FilterExpression(FilterExpression&&) noexcept;
    FilterExpression& operator=(FilterExpression&&) noexcept;

    // Throws EngineError (Usage) naming the position of a syntax error. Blank text: empty().
    static FilterExpression parse(const std::string& text);
    bool empty() const;

    // Resolves field names to indexes; throws EngineError (UnknownField) for a name the resolver
    // answers with -1.
    void bind(const std::function<int(const std::string&)>& resolve);
    bool matches(const std::function<const Value&(int)>& valueOf) const;

    struct Node;

private:
    std::unique_ptr<Node> root_;
};

}  // namespace vlm::engine
