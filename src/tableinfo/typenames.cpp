// Type names of the structure grid.
#include "tableinfo/typenames.h"

#include <cctype>
#include <cstdlib>
#include <regex>

namespace vlm::tableinfo {

GridType interbaseType(const InterbaseField& f, int dialect) {
    GridType g;
    const int scale = f.scale < 0 ? -f.scale : f.scale;
    if (dialect < 3) {
        switch (f.fieldType) {
        case 7: g.type = "SMALLINT"; break;
        case 8: g.type = "INTEGER"; break;
        case 10: g.type = "FLOAT"; break;
        case 14: g.type = "CHAR"; break;
        case 27: g.type = f.scale != 0 ? "NUMERIC" : "DOUBLE PRECISION"; break;
        case 35: g.type = "DATE"; break;
        case 37: g.type = "VARCHAR"; break;
        case 261: g.type = f.subType == 0 ? "BLOB" : f.subType == 1 ? "MEMO" : "BLOB SUB_TYPE " + std::to_string(f.subType); break;
        default: g.type = "UNKNOWN"; break;
        }
        if (g.type == "NUMERIC") {
            g.size = f.length;
            g.scale = scale;
        } else if (g.type == "CHAR" || g.type == "VARCHAR") {
            g.size = f.length;
        }
        return g;
    }
    const bool exact = f.fieldType == 7 || f.fieldType == 8 || f.fieldType == 16;
    if (exact && (f.scale != 0 || f.subType == 1 || f.subType == 2)) {
        g.type = f.subType == 2 ? "DECIMAL" : "NUMERIC";
        g.size = f.precision > 0 ? f.precision : f.fieldType == 7 ? 4 : f.fieldType == 8 ? 9 : 18;
        g.scale = scale;
        return g;
    }
    switch (f.fieldType) {
    case 7: g.type = "SMALLINT"; break;
    case 8: g.type = "INTEGER"; break;
    case 16: g.type = "BIGINT"; break;
    case 10: g.type = "FLOAT"; break;
    case 27:
        // A dialect-1 NUMERIC kept its double storage in a database later moved to dialect 3.
        if (f.scale != 0) {
            g.type = "NUMERIC";
            g.size = f.precision > 0 ? f.precision : 15;
            g.scale = scale;
        } else {
            g.type = "DOUBLE PRECISION";
        }
        break;
    case 12: g.type = "DATE"; break;
    case 13: g.type = "TIME"; break;
    case 35: g.type = "TIMESTAMP"; break;
    case 23: g.type = "BOOLEAN"; break;
    case 14:
    case 37:
        g.type = f.fieldType == 14 ? "CHAR" : "VARCHAR";
        g.size = f.charLength > 0 ? f.charLength : f.length;
        break;
    case 261: g.type = f.subType == 0 ? "BLOB" : f.subType == 1 ? "MEMO" : "BLOB SUB_TYPE " + std::to_string(f.subType); break;
    default: g.type = "UNKNOWN"; break;
    }
    return g;
}

std::string logicalTypeName(int code) {
    static const char* names[] = {"UNKNOWN", "STRING", "SMALLINT", "INTEGER", "WORD", "BOOLEAN", "FLOAT", "CURRENCY",
                                  "BCD", "DATE", "TIME", "DATETIME", "BYTES", "VARBYTES", "BLOB", "MEMO", "GRAPHIC"};
    // The list is indexed by the dataset field type that the logical code stands for.
    using engine::FieldType;
    namespace L = engine::logical;
    FieldType t = FieldType::Unknown;
    switch (code) {
    case L::ZSTRING: t = FieldType::String; break;
    case L::DATE: t = FieldType::Date; break;
    case L::BLOB: t = FieldType::Blob; break;
    case L::BOOL: t = FieldType::Boolean; break;
    case L::INT16: t = FieldType::Smallint; break;
    case L::INT32: t = FieldType::Integer; break;
    case L::FLOAT: case L::FLOATIEEE: t = FieldType::Float; break;
    case L::BCD: t = FieldType::BCD; break;
    case L::BYTES: t = FieldType::Bytes; break;
    case L::TIME: t = FieldType::Time; break;
    case L::TIMESTAMP: t = FieldType::DateTime; break;
    case L::UINT16: t = FieldType::Word; break;
    case L::UINT32: case L::INT64: case L::UINT64: t = FieldType::Integer; break;
    case L::VARBYTES: t = FieldType::VarBytes; break;
    default: break;
    }
    return names[int(t) < 17 ? int(t) : 0];
}

GridType standardType(std::string_view tableType, const engine::FieldDef& f) {
    namespace L = engine::logical;
    namespace S = engine::subtype;
    GridType g;
    std::string tt(tableType);
    for (char& c : tt) c = char(std::toupper(static_cast<unsigned char>(c)));
    if (tt == "DBASE") {
        if (f.logicalType == L::BLOB) g.type = f.subType == S::DBSOLEOBJ ? "OLE" : f.subType == S::TYPEDBINARY ? "BINARY" : "MEMO";
        else {
            static const char* list[] = {"UNKNOWN", "CHAR", "DATE", "MEMO", "LOGICAL", "NUMERIC", "NUMERIC", "NUMERIC"};
            g.type = f.logicalType >= 0 && f.logicalType < 8 ? list[f.logicalType] : "UNKNOWN";
        }
        if (g.type == "NUMERIC") {
            g.size = f.size;
            g.scale = f.scale;
        } else if (g.type == "CHAR") {
            g.size = f.size;
        }
        return g;
    }
    if (tt == "PARADOX") {
        if (f.logicalType == L::BLOB) {
            g.type = f.subType == S::BINARY ? "BINARY" : f.subType == S::FMTMEMO ? "FORMATTED MEMO"
                   : f.subType == S::OLEOBJ ? "OLE" : f.subType == S::GRAPHIC ? "GRAPHIC" : "MEMO";
        } else if (f.logicalType == L::INT32 && f.subType == S::AUTOINC) {
            g.type = "AUTOINC";
        } else if (f.logicalType == L::FLOAT && f.subType == S::MONEY) {
            g.type = "MONEY";
        } else {
            static const char* list[] = {"UNKNOWN", "ALPHA", "DATE", "MEMO", "LOGICAL", "SMALLINT", "INTEGER",
                                         "NUMERIC", "DECIMAL", "BYTES", "TIME", "DATETIME"};
            g.type = f.logicalType >= 0 && f.logicalType < 12 ? list[f.logicalType] : "UNKNOWN";
        }
        if (g.type == "DECIMAL") {
            g.size = f.size;
            g.scale = f.scale;
        } else if (g.type == "ALPHA" || g.type == "BYTES" || g.type == "MEMO" || g.type == "BINARY" || g.type == "OLE" ||
                   g.type == "FORMATTED MEMO" || g.type == "GRAPHIC") {
            g.size = f.size;
        }
        return g;
    }
    g.type = logicalTypeName(f.logicalType);
    g.size = f.size;
    g.scale = f.scale;
    return g;
}

GridType otherType(const engine::FieldDef& f) {
    GridType g;
    std::string native = f.nativeType;
    while (!native.empty() && std::isspace(static_cast<unsigned char>(native.back()))) native.pop_back();
    if (native.empty()) {
        g.type = logicalTypeName(f.logicalType);
        g.size = f.size;
        g.scale = f.scale;
        return g;
    }
    static const std::regex sized(R"(^\s*([^()]*[^()\s])\s*\(\s*(\d+)\s*(?:,\s*(\d+)\s*)?\)$)");
    std::smatch m;
    if (std::regex_match(native, m, sized)) {
        g.type = m[1].str();
        g.size = std::atoi(m[2].str().c_str());
        g.scale = m[3].matched ? std::atoi(m[3].str().c_str()) : 0;
        return g;
    }
    // A name without its parameters (an ODBC driver's "numeric"): the sizes the driver reports.
    g.type = native;
    g.size = f.size;
    g.scale = f.scale;
    return g;
}

}  // namespace vlm::tableinfo
