// Rollback segment statements (see rollback.h).
#include "admin/rollback.h"

namespace vlm::admin {

std::string rollbackSegmentsSql() {
    // Segments with a statistics row, then those without one (an outer join written so that it
    // needs no join syntax beyond what every Oracle release reads).
    const std::string cols =
        "T1.Segment_id, T1.Segment_Name, T1.Owner, T1.Tablespace_name, T1.Initial_extent/1024, "
        "T1.Next_extent/1024, T1.Min_extents, T1.Max_extents, T1.Status, ";
    return "select " + cols + "Round((T2.RSSIZE/1024 )/1024,3) CurrSz\n"
           "from SYS.DBA_ROLLBACK_SEGS T1, SYS.V_$ROLLSTAT T2\n"
           "where T1.Segment_id=T2.USN\n"
           "union all\n"
           "select " + cols + "NULL CurrSz\n"
           "from SYS.DBA_ROLLBACK_SEGS T1\n"
           "where not exists (select T2.USN from SYS.V_$ROLLSTAT T2 where T2.USN=T1.Segment_id)\n"
           "order by 1";
}

std::string segmentActionSql(SegmentAction action, const std::string& segment) {
    switch (action) {
    case SegmentAction::Shrink: return "Alter rollback segment " + segment + " SHRINK";
    case SegmentAction::Drop: return "Drop rollback segment " + segment;
    case SegmentAction::Online: return "Alter rollback segment " + segment + " ONLINE";
    case SegmentAction::Offline: return "Alter rollback segment " + segment + " OFFLINE";
    }
    return {};
}

std::vector<std::string> segmentStatements(const SegmentSettings& s) {
    std::string first;
    if (s.create)
        first = "Create public rollback segment " + s.name + "\n Tablespace " + s.tablespace + "\nSTORAGE (INITIAL " +
                s.initialKb + "K\n         NEXT " + s.nextKb + "K\n         MINEXTENTS " + s.minExtents +
                "\n         MAXEXTENTS " + s.maxExtents + ")";
    else
        first = "Alter rollback segment " + s.name + "\nSTORAGE (\n         NEXT " + s.nextKb +
                "K\n         MINEXTENTS " + s.minExtents + "\n         MAXEXTENTS " + s.maxExtents + ")";
    return {first, "Alter rollback segment " + s.name + "\n" + (s.offline ? " OFFLINE" : " ONLINE")};
}

}  // namespace vlm::admin
