// A Firebird database holding every InterBase object the object lists show, made with
// Firebird's own DDL: domains with defaults, checks, arrays, character sets, collations and blob
// sub-types and segment sizes, external function and blob filter declarations, exceptions,
// tables, unique, descending and computed indexes, and triggers of every firing, of the
// database's events and of DDL statements.
#pragma once

#include <string>
#include <vector>

#include "engine/database.h"
#include "engine/driver.h"

namespace vlm::objlists::test {

inline const std::vector<std::string> kDomains = {
    "CREATE DOMAIN D_MONEY AS NUMERIC(9,2) DEFAULT 0 NOT NULL CHECK (VALUE >= 0)",
    "CREATE DOMAIN D_RATE AS DECIMAL(18,4) DEFAULT 1.5",
    "CREATE DOMAIN D_NAME AS VARCHAR(30) DEFAULT 'it''s' CHECK (VALUE <> '')",
    "CREATE DOMAIN D_CODE AS CHAR(3) CHARACTER SET UNICODE_FSS NOT NULL",
    "CREATE DOMAIN D_MATRIX AS INTEGER[1:10,0:2]",
    "CREATE DOMAIN D_NOTE AS BLOB SUB_TYPE 1",
    "CREATE DOMAIN D_STAMP AS TIMESTAMP DEFAULT CURRENT_TIMESTAMP",
    "CREATE DOMAIN D_FLAG AS BOOLEAN DEFAULT FALSE",
    "CREATE DOMAIN D_BIG AS BIGINT",
    "CREATE DOMAIN D_CYR AS VARCHAR(20) CHARACTER SET WIN1251 DEFAULT 'a' NOT NULL CHECK (VALUE <> '') COLLATE PXW_CYRL",
    "CREATE DOMAIN D_MEMO AS BLOB SUB_TYPE 1 SEGMENT SIZE 100 CHARACTER SET WIN1251 COLLATE WIN1251_UA",
    "CREATE DOMAIN D_RAW AS BLOB SUB_TYPE 0 SEGMENT SIZE 512",
    "CREATE DOMAIN D_OWN AS BLOB SUB_TYPE -5 SEGMENT SIZE 40",
};
inline const std::vector<std::string> kExceptions = {
    "CREATE EXCEPTION E_BAD 'It''s bad'",
    "CREATE EXCEPTION E_QUOTE 'Say \"no\"'",
};
inline const std::vector<std::string> kFunctions = {
    "DECLARE EXTERNAL FUNCTION F_ABS DOUBLE PRECISION RETURNS DOUBLE PRECISION BY VALUE ENTRY_POINT 'IB_UDF_abs' "
    "MODULE_NAME 'ib_udf'",
    "DECLARE EXTERNAL FUNCTION F_LOWER CSTRING(255) RETURNS CSTRING(255) FREE_IT ENTRY_POINT 'IB_UDF_lower' "
    "MODULE_NAME 'ib_udf'",
    "DECLARE EXTERNAL FUNCTION F_ADD INTEGER, INTEGER RETURNS INTEGER BY VALUE ENTRY_POINT 'add' MODULE_NAME 'mathlib'",
    "DECLARE EXTERNAL FUNCTION F_LEN VARCHAR(20) BY DESCRIPTOR RETURNS INTEGER BY VALUE ENTRY_POINT 'len' "
    "MODULE_NAME 'mathlib'",
    "DECLARE EXTERNAL FUNCTION F_ROUND NUMERIC(9,2), SMALLINT RETURNS NUMERIC(9,2) ENTRY_POINT 'round_to' "
    "MODULE_NAME 'mathlib'",
};
inline const std::vector<std::string> kFilters = {
    "DECLARE FILTER F_TXT INPUT_TYPE 1 OUTPUT_TYPE -4 ENTRY_POINT 'desc_filter' MODULE_NAME 'filterlib'",
};
inline const std::vector<std::string> kTables = {
    "CREATE TABLE EMP (ID INTEGER NOT NULL PRIMARY KEY, NAME D_NAME, SAL D_MONEY, CODE D_CODE, NOTE D_NOTE, "
    "RATE D_RATE, GRID D_MATRIX, OK D_FLAG, BIG D_BIG)",
    "CREATE TABLE EMP_LOG (ID INTEGER, AT_TIME D_STAMP)",
};
inline const std::vector<std::string> kIndexes = {
    "CREATE UNIQUE INDEX EMP_NAME ON EMP (NAME)",
    "CREATE DESCENDING INDEX EMP_SAL ON EMP (SAL, ID)",
    "CREATE UNIQUE DESCENDING INDEX EMP_CODE ON EMP (CODE)",
    "CREATE INDEX EMP_UPPER ON EMP COMPUTED BY (UPPER(NAME))",
    "CREATE INDEX LOG_AT ON EMP_LOG (AT_TIME)",
};
inline const std::vector<std::string> kTriggers = {
    "CREATE TRIGGER EMP_BI FOR EMP ACTIVE BEFORE INSERT POSITION 0 AS BEGIN NEW.SAL = 1; END",
    "CREATE TRIGGER EMP_AI FOR EMP AFTER INSERT AS BEGIN INSERT INTO EMP_LOG (ID) VALUES (NEW.ID); END",
    "CREATE TRIGGER EMP_BU FOR EMP BEFORE UPDATE POSITION 3 AS BEGIN END",
    "CREATE TRIGGER EMP_AU FOR EMP AFTER UPDATE AS BEGIN END",
    "CREATE TRIGGER EMP_BD FOR EMP BEFORE DELETE AS\nBEGIN\n  IF (OLD.SAL > 0) THEN EXCEPTION E_BAD;\nEND",
    "CREATE TRIGGER EMP_AD FOR EMP AFTER DELETE AS BEGIN END",
    "CREATE TRIGGER EMP_BIU FOR EMP INACTIVE BEFORE INSERT OR UPDATE POSITION 5 AS BEGIN NEW.SAL = 2; END",
    "CREATE TRIGGER EMP_AIUD FOR EMP AFTER INSERT OR UPDATE OR DELETE POSITION 9 AS BEGIN END",
    "CREATE TRIGGER ON_CONN ACTIVE ON CONNECT POSITION 0 AS BEGIN END",
    "CREATE TRIGGER ON_DISC ON DISCONNECT AS BEGIN END",
    "CREATE TRIGGER ON_TX_START ON TRANSACTION START AS BEGIN END",
    "CREATE TRIGGER ON_TX_COMMIT INACTIVE ON TRANSACTION COMMIT POSITION 2 AS BEGIN END",
    "CREATE TRIGGER ON_TX_ROLLBACK ON TRANSACTION ROLLBACK AS BEGIN END",
    "CREATE TRIGGER DDL_ANY ACTIVE BEFORE ANY DDL STATEMENT POSITION 0 AS BEGIN END",
    "CREATE TRIGGER DDL_TABLES AFTER CREATE TABLE OR ALTER TABLE OR DROP TABLE POSITION 1 AS BEGIN END",
    "CREATE TRIGGER DDL_MIXED INACTIVE BEFORE CREATE PROCEDURE OR CREATE EXCEPTION OR DROP MAPPING POSITION 3 "
    "AS BEGIN END",
};

// Runs one statement as the driver takes it (a trigger body's text is not parsed for
// parameters) and commits.
inline void execRaw(engine::Database& db, const std::string& sql) {
    db.connection().prepare(sql)->execute();
    if (db.inTransaction()) db.commit();
}
inline void execAll(engine::Database& db, const std::vector<std::string>& statements) {
    for (const auto& s : statements) execRaw(db, s);
}

// Makes every object above in the open, empty database.
inline void createObjects(engine::Database& db) {
    for (const auto* group : {&kDomains, &kExceptions, &kFunctions, &kFilters, &kTables, &kIndexes, &kTriggers})
        execAll(db, *group);
}

}  // namespace vlm::objlists::test
