// The demo database: a small SQLite file written through the engine, with values that show
// the dump escapes (tabs, line breaks, backslashes, NULL) and Cyrillic text.
#include <cerrno>
#include <cstdio>
#include <vector>

#include "commands.h"
#include "engine/error.h"
#include "engine/session.h"

namespace vlm::tools {

using namespace vlm::engine;

namespace {

// Tables, an index, a view and rows, in one transaction.
void fill(Connection& c) {
    Connection* conn = &c;
    auto exec = [&](const std::string& sql, const std::vector<Value>& values = {}) {
        auto st = conn->prepare(sql);
        for (std::size_t i = 0; i < values.size(); ++i) st->bind(i, values[i], FieldType::Unknown);
        st->execute();
    };
    conn->begin();
    exec("CREATE TABLE CUSTOMER (ID INTEGER PRIMARY KEY, NAME VARCHAR(40) NOT NULL, "
         "CITY VARCHAR(30), BALANCE NUMERIC(12,2), SINCE DATE, NOTES TEXT)");
    exec("CREATE TABLE ORDERS (ID INTEGER PRIMARY KEY, CUSTOMER_ID INTEGER NOT NULL REFERENCES CUSTOMER, "
         "ORDERED_ON DATE, AMOUNT DOUBLE PRECISION, SHIPPED BOOLEAN)");
    exec("CREATE INDEX ORDERS_CUST ON ORDERS (CUSTOMER_ID)");
    exec("CREATE VIEW BIG_ORDERS AS SELECT O.ID, C.NAME, O.AMOUNT FROM ORDERS O "
         "JOIN CUSTOMER C ON C.ID = O.CUSTOMER_ID WHERE O.AMOUNT > 1000");
    struct Customer { int no; const char* name; const char* city; const char* balance; const char* since; const char* notes; };
    const Customer customers[] = {
        {1, "Greenfield Bakery Supplies", "Tver", "1250.50", "1994-03-18", "pays on time"},
        {2, "Harbour Lights Chandlery", "Murmansk", "0.00", "1995-11-02", nullptr},
        {3, "Ремонт и сервис", "Москва", "-310.75", "1998-06-30", "два\tстолбца"},
        {4, "Blue Fern Print Works", "Riga", "18007.00", "1996-01-15", "line one\nline two"},
        {5, "Orlov & Daughters", "Kazan", "99.99", nullptr, "path C:\\ARCHIVE\\2024"},
    };
    for (const auto& c : customers)
        exec("INSERT INTO CUSTOMER VALUES (?, ?, ?, ?, ?, ?)",
             {Value(c.no), Value(c.name), Value(c.city), Value(Decimal{c.balance}),
              c.since ? Value(c.since) : Value(), c.notes ? Value(c.notes) : Value()});
    struct Order { int no, cust; const char* date; double amount; bool shipped; };
    const Order orders[] = {
        {1001, 1, "1998-04-01", 1520.0, true}, {1002, 3, "1998-04-03", 89.5, false},
        {1003, 4, "1998-05-12", 12050.25, true}, {1004, 1, "1998-06-20", 430.0, true},
        {1005, 5, "1998-07-07", 2999.99, false},
    };
    for (const auto& o : orders)
        exec("INSERT INTO ORDERS VALUES (?, ?, ?, ?, ?)",
             {Value(o.no), Value(o.cust), Value(o.date), Value(o.amount), Value(o.shipped)});
    conn->commit();
}

}  // namespace

std::vector<std::string> writeDemoDatabase(const std::string& path) {
    if (std::remove(path.c_str()) != 0 && errno != ENOENT)
        throw EngineError(ErrorCategory::File, errc::FileBase, {"Cannot replace " + path});
    auto conn = Session::defaultSession().connect("SQLITE:" + path, {});
    try {
        fill(*conn);
    } catch (...) {
        // Never leave a half-written demo behind.
        conn.reset();
        std::remove(path.c_str());
        throw;
    }
    std::vector<std::string> names;
    for (const auto& t : Session::defaultSession().connect("SQLITE:" + path, {})->tables(false))
        names.push_back(t.name);
    return names;
}

}  // namespace vlm::tools
