// The panels' own pictures at their fixed image indexes: server images (0 another owner's
// table, 1 another owner's view, 2 own table, 3 own view, 4 another owner's partitioned table,
// 5 own partitioned table) and local images (0 dBase, 1 Paradox and other files).
#pragma once

#include <QIcon>

namespace vlm::panels {

// SmallImageList / LargeImageList (server) and StandardSmallImageList / StandardImageList (local).
QIcon listImage(bool sqlBased, int index);
int listImageCount(bool sqlBased);

}  // namespace vlm::panels
