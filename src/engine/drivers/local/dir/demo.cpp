// Demo tables written through the table formats, so they are what the system itself writes.
#include "demo.h"

#include <sys/stat.h>

#include "engine/drivers/local/dbase/dbf.h"
#include "engine/error.h"
#include "engine/typemap.h"
#include "localddl.h"
#include "localdriver.h"
#ifdef VLM_HAVE_PARADOX
#include "engine/drivers/local/paradox/paradox.h"
#endif

namespace vlm::engine::local {
namespace {

void recreate(FileSystem& fs, const std::string& path, const std::vector<FieldDef>& fields,
              const std::vector<IndexDef>& indexes, const CreateOptions& opt,
              const std::vector<std::vector<Value>>& rows) {
    dbase::DbaseFormat fmt;
    for (const char* ext : {"DBF", "DBT", "FPT", "MDX"}) fs.remove(dbase::companionPath(fs, path, ext));
    fmt.create(fs, path, fields, {}, opt);
    auto t = fmt.open(fs, path, {true, false});
    for (const auto& r : rows) t->appendRecord(r);
    for (const auto& ix : indexes) t->createIndex(ix);
    t->flush();
}

FieldDef col(const char* name, const char* type, int size = -1, int scale = -1) {
    return localFieldType(name, type, size, scale);
}

}  // namespace

void writeDemoFolder(const std::string& dir) {
    ::mkdir(dir.c_str(), 0755);
    FileSystem& fs = posixFileSystem();
    recreate(fs, dir + "/CUSTOMER.DBF",
             {col("CUSTNO", "NUMERIC", 6, 0), col("NAME", "CHAR", 30), col("CITY", "CHAR", 20),
              col("SINCE", "DATE"), col("ACTIVE", "BOOLEAN")},
             {{"BYNAME", {"NAME"}, false, false, false, {}}}, {},
             {{Value(1001), Value("Kingfisher Supplies"), Value("Leeds"), Value(Date{1994, 3, 1}), Value(true)},
              {Value(1002), Value("Blue Harbour Diving"), Value("Brighton"), Value(Date{1997, 7, 15}), Value(true)},
              {Value(1003), Value("Fellgate Outfitters"), Value("York"), Value(Date{2001, 11, 30}), Value(false)},
              {Value(1004), Value("Coral Reef Tours"), Value("Plymouth"), Value(Date{2005, 5, 9}), Value(true)}});
    recreate(fs, dir + "/ORDERS.DBF",
             {col("ORDERNO", "NUMERIC", 8, 0), col("CUSTNO", "NUMERIC", 6, 0), col("SALEDATE", "DATE"),
              col("AMOUNT", "NUMERIC", 12, 2), col("NOTES", "BLOB", 10, 1)},
             {{"BYCUST", {"CUSTNO"}, false, false, false, {}}}, {},
             {{Value(1), Value(1001), Value(Date{2024, 1, 12}), Value(1250.5), Value("Deliver to the back door.\r\nCall first.")},
              {Value(2), Value(1002), Value(Date{2024, 2, 3}), Value(89.99), Value()},
              {Value(3), Value(1001), Value(Date{2024, 2, 20}), Value(410.0), Value("Second order of the year")},
              {Value(4), Value(1004), Value(Date{2024, 3, 8}), Value(77.25), Value("Gift wrapped")}});
    CreateOptions cyr;
    cyr.languageDriver = "Russian MS-DOS";
    recreate(fs, dir + "/GOROD.DBF",
             {col("KOD", "NUMERIC", 4, 0), col("NAZV", "CHAR", 24), col("OPISANIE", "MEMO")},
             {}, cyr,
             {{Value(1), Value("Москва"), Value("Столица России")},
              {Value(2), Value("Санкт-Петербург"), Value("Северная столица")},
              {Value(3), Value("Новосибирск"), Value()}});
#ifdef VLM_HAVE_PARADOX
    // CLIENTS.DB (keyed, with a secondary index) and SPECIES.DB (memo and graphic blobs).
    paradox::writeParadoxDemoTables(dir);
#endif
}

}  // namespace vlm::engine::local
