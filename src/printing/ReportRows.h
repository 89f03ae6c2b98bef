#pragma once

#include "base/Value.h"

#include <vector>

namespace tikkeli {

// The rows a report lays out, read one at a time by number. A long report reads its rows from a
// compact store rather than holding every value of every row as a Value of its own.
class ReportRows {
public:
    using Row = std::vector<Value>;

    virtual ~ReportRows() = default;
    virtual size_t size() const = 0;
    // Row i (< size()). The reference holds until the next call.
    virtual const Row& at(size_t i) = 0;
};

// Rows already in memory.
class ReportRowVector : public ReportRows {
public:
    explicit ReportRowVector(const std::vector<Row>& rows) : m_rows(rows) {}
    size_t size() const override { return m_rows.size(); }
    const Row& at(size_t i) override { return m_rows[i]; }

private:
    const std::vector<Row>& m_rows;
};

} // namespace tikkeli
