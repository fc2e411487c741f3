// dBase index key expressions: "NAME", "LAST+FIRST", "UPPER(NAME)", "DTOS(D)+STR(N,8,2)",
// "IIF(DELETED(),'1','0')+SUBSTR(CODE,3,4)". Parsed once per tag against the table's fields,
// then evaluated over raw records to give the key of each.
//
//   KeyExpr e("UPPER(LAST)+DTOS(BORN)", fields);    // throws EngineError naming what it cannot do
//   KeyValue k = e.eval(record, recno);                // k.text: 28 bytes in the table's code page
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vlm::engine::local::dbase {

class Transcoder;

// A field of the record as key expressions see it.
struct KeyField {
    std::string name;            // as stored in the header (code page bytes)
    char type = 'C';             // dBase field type letter
    int offset = 0;              // within the record; the deleted flag is byte 0
    int length = 0;
    int decimals = 0;
    bool bigEndianInt = false;   // 'I' of dBase 7 and '+': big-endian with the sign bit flipped
};

// A value: 'C' text in the table's code page, 'N' number, 'D' date (number holds the Julian
// day, 0 for a blank date), 'L' logical.
struct KeyValue {
    char type = 'C';
    std::string text;
    double number = 0;
    bool logical = false;
};

// Upper and lower case of every byte of a single-byte code page.
struct CaseTables {
    unsigned char upper[256];
    unsigned char lower[256];
};
CaseTables caseTablesFor(const Transcoder& tc);
CaseTables asciiCaseTables();

class KeyExpr {
public:
    // Throws EngineError (Usage) naming the part of text that cannot be evaluated.
    KeyExpr(const std::string& text, const std::vector<KeyField>& fields, const CaseTables* cases = nullptr);

    const std::string& text() const { return text_; }
    char type() const;     // 'C', 'N' or 'D'
    int width() const;     // the key length of a character result (at most 100)
    // The field names when the expression is a plain field list: one field, or character
    // fields, STR(numeric field...) and DTOS(date field) joined by '+'; empty otherwise.
    std::vector<std::string> fieldList() const;
    // Every field the expression reads, each once, in the order they come.
    std::vector<std::string> fieldsUsed() const;
    KeyValue eval(const std::uint8_t* record, std::int64_t recno) const;

private:
    struct Node {
        enum Kind { Field, Text, Number, Logical, Call, Binary, Negate, Not } kind = Text;
        char type = 'C';
        int width = 0;         // upper bound of a character result's length
        int field = -1;
        int fn = -1;
        std::string op;        // Binary: "+", "-", "=", "==", "<", ">", "<=", ">=", "<>", "$", "AND", "OR"
        std::string text;
        double number = 0;
        bool logical = false;
        std::vector<int> kids;
    };
    friend class KeyParser;
    KeyValue evalNode(int n, const std::uint8_t* rec, std::int64_t recno) const;
    void terms(int n, std::vector<int>& out) const;

    std::string text_;
    std::vector<KeyField> fields_;
    std::vector<Node> nodes_;
    int root_ = -1;
    CaseTables cases_;
};

// The expression dBase writes for an index over the named fields: the field alone for one,
// else the fields joined by '+' with numbers as STR(F,len,dec) and dates as DTOS(F).
// Throws EngineError for an unknown field.
std::string fieldListExpression(const std::vector<std::string>& names, const std::vector<KeyField>& fields);

}  // namespace vlm::engine::local::dbase
