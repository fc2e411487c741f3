// The Paradox table format object, its registration and the demo tables.
#include "engine/drivers/local/pathutil.h"
#include "paradox.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "pxformat.h"
#include "pxindex.h"
#include "pxtable.h"

namespace vlm::engine::local::paradox {
namespace {

std::string stemOf(const std::string& name) {
    auto d = name.find_last_of('.');
    return d == std::string::npos ? name : name.substr(0, d);
}

[[noreturn]] void usage(const std::string& what) {
    throw EngineError(ErrorCategory::Usage, errc::NotSupported, {what});
}

class ParadoxFormat : public TableFormat {
public:
    std::string extension() const override { return "DB"; }
    std::string typeName() const override { return "PARADOX"; }
    std::vector<std::string> companionExtensions() const override { return {"MB", "PX", "X*", "Y*"}; }

    std::unique_ptr<TableFile> open(FileSystem& fs, const std::string& path, const OpenOptions& options) override {
        return std::make_unique<PxTable>(fs, path, options);
    }

    void create(FileSystem& fs, const std::string& path, const std::vector<FieldDef>& fields,
                const std::vector<IndexDef>& indexes, const CreateOptions& options) override {
        std::string table = baseName(path);
        int level = options.level ? options.level : 7;
        if (level != 3 && level != 4 && level != 5 && level != 7)
            usage("Paradox table level " + std::to_string(level) + " is not one of 3, 4, 5 and 7");
        if (fields.empty()) usage("Table " + table + " needs at least one field");
        if (fields.size() > 255) usage("A Paradox table holds at most 255 fields");
        PxHeader h;
        h.versionId = versionIdForLevel(level);
        int cp = codePageForLanguageDriver(options.languageDriver);
        if (!options.languageDriver.empty() && !cp)
            usage("Language driver " + options.languageDriver + " is not known");
        h.codePage = level == 3 ? 437 : (cp ? cp : 1252);
        h.sortName = sortNameForCodePage(h.codePage);
        h.sortOrder = h.codePage == 1252 ? 0x62 : 0x4C;
        h.tableName = stemOf(table);
        std::vector<std::string> seen;
        for (auto& d : fields) {
            PxField f = pxFieldFor(d, table);
            if (std::find(seen.begin(), seen.end(), upper(f.name)) != seen.end())
                usage("Field " + f.name + " appears twice in table " + table);
            seen.push_back(upper(f.name));
            if (levelForType(f.type) > level)
                usage("Field " + f.name + ": type " + paradox::typeName(f.type) + " needs a table of level " +
                      std::to_string(levelForType(f.type)) + " or higher");
            h.fields.push_back(f);
        }
        std::vector<IndexDef> secondaries;
        for (auto& ix : indexes) {
            if (!ix.primary) {
                secondaries.push_back(ix);
                continue;
            }
            if (h.pkFields) usage("Table " + table + " can have only one primary key");
            for (std::size_t i = 0; i < ix.fields.size(); ++i)
                if (i >= h.fields.size() || upper(ix.fields[i]) != upper(h.fields[i].name))
                    usage("The primary key of a Paradox table must be its first fields, in order");
            for (std::size_t i = 0; i < ix.fields.size(); ++i)
                if (isBlobType(h.fields[i].type)) usage("Field " + h.fields[i].name + " is a blob field and cannot be a key");
            h.pkFields = int(ix.fields.size());
        }
        h.fileType = h.pkFields ? filetype::KeyedDb : filetype::UnkeyedDb;
        layoutFields(h, path);
        h.maxTableSize = level == 7 ? 4 : 2;
        while (h.recordsPerBlock() < 1 && h.maxTableSize < (level == 7 ? 32 : 4))
            h.maxTableSize = h.maxTableSize < 4 ? h.maxTableSize * 2 : h.maxTableSize * 2;
        if (h.recordsPerBlock() < 1) usage("The records of table " + table + " are too long for a Paradox table");
        {
            CodePage conv(h.codePage);
            for (auto& f : h.fields) f.name = conv.fromUtf8(f.name, "The name of field " + f.name + " of table " + table);
            h.tableName = conv.fromUtf8(h.tableName, "The name of table " + table);
        }
        bool blobs = std::any_of(h.fields.begin(), h.fields.end(), [](const PxField& f) { return isBlobType(f.type); });
        // The new .DB replaces any old one whole; the old table's companions go after it.
        writeSortedTable(fs, path, h, {}, 0, true);
        std::string dir = dirName(path), stem = upper(stemOf(table));
        for (auto& n : fs.list(dir)) {
            auto dot = n.find_last_of('.');
            if (dot == std::string::npos || upper(n.substr(0, dot)) != stem) continue;
            std::string ext = upper(n.substr(dot + 1));
            bool index = ext == "PX" || (ext.size() == 3 && (ext[0] == 'X' || ext[0] == 'Y') &&
                                          (ext[1] == 'G' || std::isxdigit(static_cast<unsigned char>(ext[1]))));
            if (index || ext == "MB") fs.remove(dir + "/" + n);
        }
        std::string dbExt = table.substr(table.find_last_of('.') + 1);
        bool lower = !dbExt.empty() && std::islower(static_cast<unsigned char>(dbExt[0]));
        if (blobs) BlobFile::createEmpty(fs, stemOf(path) + (lower ? ".mb" : ".MB"));
        PxTable t(fs, path, {});   // writes the empty primary index of a keyed table
        for (auto& ix : secondaries) t.createIndex(ix);
    }

    FieldDef mapField(const FieldDef& source) const override {
        PxField f = pxFieldFor(source, "");
        FieldDef d = fieldDefFor(f);
        d.name = f.name;
        return d;
    }
};

FieldDef field(const char* name, FieldType type, int size = 0, int scale = 0) {
    FieldDef d;
    d.name = name;
    d.type = type;
    d.size = size;
    d.scale = scale;
    return d;
}

// A tiny 2x2 24-bit bitmap, the picture of a demo record.
Bytes bitmap(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    Bytes bmp(70, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bmp[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
    };
    bmp[0] = 'B', bmp[1] = 'M';
    put32(2, 70), put32(10, 54), put32(14, 40), put32(18, 2), put32(22, 2);
    bmp[26] = 1, bmp[28] = 24;
    put32(34, 16);
    for (int px = 0; px < 4; ++px) {
        std::size_t at = 54 + std::size_t(px / 2) * 8 + std::size_t(px % 2) * 3;
        bmp[at] = b, bmp[at + 1] = g, bmp[at + 2] = r;
    }
    return bmp;
}

}  // namespace

std::unique_ptr<TableFormat> makeParadoxFormat() { return std::make_unique<ParadoxFormat>(); }

void registerParadoxFormat(TableFormats& formats) {
    if (!formats.forExtension("DB")) formats.add(makeParadoxFormat());
}

void writeParadoxDemoTables(const std::string& dir) {
    FileSystem& fs = posixFileSystem();
    ParadoxFormat fmt;
    {
        std::string path = dir + "/CLIENTS.DB";
        IndexDef pk;
        pk.primary = true;
        pk.fields = {"CUSTNO"};
        IndexDef byName;
        byName.name = "BYCOMPANY";
        byName.fields = {"COMPANY"};
        fmt.create(fs, path,
                   {field("CUSTNO", FieldType::Float), field("COMPANY", FieldType::String, 30),
                    field("CITY", FieldType::String, 20), field("COUNTRY", FieldType::String, 20),
                    field("CREDIT", FieldType::Currency), field("ACTIVE", FieldType::Boolean),
                    field("LASTORDER", FieldType::DateTime)},
                   {pk, byName}, {});
        PxTable t(fs, path, {});
        struct R { double no; const char* company; const char* city; const char* country; double credit; bool active; DateTime last; };
        const R rows[] = {
            {2101, "Larchmont Bicycle Works", "Leeds", "UK", 5000, true, {{1994, 2, 2}, {10, 15, 0, 0}}},
            {2120, "Okapi Tea Traders", "Mombasa", "Kenya", 2500, true, {{1994, 11, 17}, {9, 0, 0, 0}}},
            {2215, "Brass Lantern Books", "Tartu", "Estonia", 1200.5, false, {{1995, 1, 3}, {16, 45, 30, 0}}},
            {2230, "Haldor Marine and Rigging Co", "Bergen", "Norway", 800, true, {{1993, 12, 24}, {12, 0, 0, 0}}},
            {2244, "Vesna Ceramics", "Novi Sad", "Serbia", 0, false, {{1995, 4, 19}, {8, 30, 0, 0}}},
            {2301, "Quillon Print House", "Lyon", "France", 3300.75, true, {{1994, 6, 6}, {14, 5, 0, 0}}},
            {2318, "Saffron Row Bakery", "Pune", "India", 150, true, {{1995, 3, 1}, {11, 11, 11, 0}}},
            {2407, "Tallgrass Outfitters", "Wichita", "US", 9999.99, true, {{1994, 8, 30}, {17, 20, 0, 0}}},
        };
        for (const auto& r : rows)
            t.appendRecord({r.no, r.company, r.city, r.country, r.credit, r.active, r.last});
        t.flush();
    }
    {
        std::string path = dir + "/SPECIES.DB";
        FieldDef notes = field("NOTES", FieldType::Memo, 50);
        FieldDef picture = field("GRAPHIC", FieldType::Graphic, 0);
        fmt.create(fs, path,
                   {field("SPECIESNO", FieldType::Float), field("CATEGORY", FieldType::String, 15),
                    field("COMMONNAME", FieldType::String, 30), field("LENGTHCM", FieldType::Float),
                    notes, picture},
                   {}, {});
        PxTable t(fs, path, {});
        std::string longNote;
        for (int i = 0; i < 60; ++i)
            longNote += "Observation " + std::to_string(i + 1) + ": a pair was seen feeding on the reed bed at the north end of the lake. ";
        t.appendRecord({7010.0, "Heron", "Grey Heron", 95.0,
                        "Stands motionless in shallow water and strikes at fish and frogs.", bitmap(150, 150, 160)});
        t.appendRecord({7020.0, "Crow", "Common Raven", 64.0, "Short note", bitmap(20, 20, 30)});
        t.appendRecord({7030.0, "Waterfowl", "Mute Swan", 150.0, longNote, bitmap(250, 250, 245)});
        t.appendRecord({7040.0, "Swallow", "Barn Swallow", 18.0, Value(), Value()});
        t.flush();
    }
}

}  // namespace vlm::engine::local::paradox
