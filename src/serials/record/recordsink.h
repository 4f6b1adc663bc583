#pragma once

#include <string>
#include <vector>

namespace korvex {

// One card's line of the production record, column by column under the
// names of the CSV record's header ("time", "outcome", ...), in its order;
// columns the record gains later, such as a serial field's value, follow.
struct TRecordColumn {
    std::string name;
    std::string value;

    bool operator==(const TRecordColumn&) const = default;
};
using TRecordLine = std::vector<TRecordColumn>;

// Where a production run puts each card's record line besides its own CSV
// file: a database several stations share.
class TRecordSink {
public:
    virtual ~TRecordSink() = default;
    // Keeps the line for good before it returns; throws EDatabase (or
    // EInOutError) when it could not, and the line is then not kept.
    virtual void AppendRecord(const TRecordLine& line) = 0;
};

} // namespace korvex
