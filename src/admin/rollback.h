// Oracle rollback segments: the list with sizes and storage, the pop-up menu's statements and
// the segment dialog's CREATE or ALTER with its ONLINE / OFFLINE statement.
//   auto st = segmentStatements(s);   // {"Alter rollback segment RB1\nSTORAGE (...)", "Alter ... ONLINE"}
#pragma once

#include <string>
#include <vector>

namespace vlm::admin {

// The list: id, name, owner, table space, initial and next extent (kB), min and max extents,
// status and the current size in MB (three decimals; empty for a segment without statistics).
std::string rollbackSegmentsSql();

enum class SegmentAction { Shrink, Drop, Online, Offline };
std::string segmentActionSql(SegmentAction action, const std::string& segment);

// The dialog's values. create: a new segment (name, table space and initial size editable).
struct SegmentSettings {
    bool create = false;
    std::string name;
    std::string tablespace;
    std::string initialKb = "10", nextKb = "10", minExtents = "2", maxExtents = "121";
    bool offline = false;
};
inline constexpr const char* kNewSegmentName = "ВВЕДИТЕ ИМЯ";
// Two statements: the CREATE (or the ALTER of the storage, without INITIAL), then the status.
std::vector<std::string> segmentStatements(const SegmentSettings& s);

}  // namespace vlm::admin
