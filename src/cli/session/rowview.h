#pragma once

#include "workflows/presenter/snapshot.h"

#include <cstddef>

namespace korvex::cli {

// A file row of the snapshot by its name, never by its place in the array.
inline const TRowView& RowView(const TMainSnapshot& shot, TFileRow row) {
    return shot.rows[static_cast<std::size_t>(row)];
}

} // namespace korvex::cli
