#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <vector>

namespace tikkeli {

// One field of a row read straight from a page, in SQLite's own storage classes.
struct PageField {
    int type = 0; // SQLITE_NULL, SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT or SQLITE_BLOB
    qint64 integer = 0;
    double real = 0;
    QByteArray bytes; // text (UTF-8) or blob
};

struct PageRow {
    qint64 rowid = 0;
    std::vector<PageField> fields;
};

// The rows of one table leaf page that no tree of the file reaches any more.
struct OrphanLeaf {
    quint32 page = 0;
    std::vector<PageRow> rows;
};

// Reads a damaged database file page by page, without SQLite: a table whose upper (interior) pages
// were lost still has its rows on leaf pages that nothing points to. Every tree is walked from its
// root page as far as its pages can be understood, pages on the free list are left aside (their
// rows were deleted), and the table leaf pages that remain are decoded cell by cell. Every length
// and pointer read from the file is checked against the page and the file before it is used.
class PageSalvage {
public:
    // file: the whole database file; roots: the root page of every table and index the schema
    // names. Empty when the file's header cannot be understood or its text is not UTF-8.
    static std::vector<OrphanLeaf> orphanLeaves(const QByteArray& file, const std::vector<quint32>& roots);
};

} // namespace tikkeli
