#include "db/PageSalvage.h"

#include <sqlite3.h>

#include <cstring>

namespace tikkeli {

namespace {

constexpr quint8 IndexInterior = 0x02;
constexpr quint8 TableInterior = 0x05;
constexpr quint8 TableLeaf = 0x0d;

class FileImage {
public:
    explicit FileImage(const QByteArray& file) : m_data(reinterpret_cast<const quint8*>(file.constData()))
    {
        if (file.size() < 100 || std::memcmp(file.constData(), "SQLite format 3", 16) != 0)
            return;
        quint32 size = u16(m_data + 16);
        if (size == 1)
            size = 65536;
        if (size < 512 || size > 65536 || (size & (size - 1)) != 0)
            return;
        const quint32 reserved = m_data[20];
        if (reserved >= size - 480 || u32(m_data + 56) > 1)
            return; // text in UTF-16 is not ours to decode here
        m_pageSize = size;
        m_usable = size - reserved;
        m_pages = quint32(qMin<qint64>(file.size() / size, 0x3fffffff));
        // The header's own page count, when it is valid, leaves out pages past the database's end.
        const quint32 counted = u32(m_data + 28);
        if (counted > 0 && u32(m_data + 24) == u32(m_data + 92))
            m_pages = qMin(m_pages, counted);
    }

    bool valid() const { return m_pages > 0; }
    quint32 pages() const { return m_pages; }
    quint32 usable() const { return m_usable; }
    const quint8* page(quint32 n) const { return m_data + qint64(n - 1) * m_pageSize; }
    bool exists(quint32 n) const { return n >= 1 && n <= m_pages; }
    // Where the b-tree header starts: page 1 carries the file header first.
    static quint32 headerAt(quint32 n) { return n == 1 ? 100 : 0; }

    static quint32 u16(const quint8* p) { return quint32(p[0]) << 8 | p[1]; }
    static quint32 u32(const quint8* p) { return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3]; }

private:
    const quint8* m_data;
    quint32 m_pageSize = 0;
    quint32 m_usable = 0;
    quint32 m_pages = 0;
};

// SQLite's variable-length integer; 0 when it runs past end.
int readVarint(const quint8* p, const quint8* end, quint64& value)
{
    value = 0;
    for (int i = 0; i < 9; ++i) {
        if (p + i >= end)
            return 0;
        if (i == 8) {
            value = (value << 8) | p[i];
            return 9;
        }
        value = (value << 7) | (p[i] & 0x7f);
        if (!(p[i] & 0x80))
            return i + 1;
    }
    return 0;
}

// The pages of every tree reachable from the roots, and the free list.
std::vector<bool> pagesInUse(const FileImage& img, const std::vector<quint32>& roots)
{
    std::vector<bool> used(size_t(img.pages()) + 1, false);
    std::vector<quint32> todo(roots.begin(), roots.end());
    todo.push_back(1);
    while (!todo.empty()) {
        const quint32 n = todo.back();
        todo.pop_back();
        if (!img.exists(n) || used[n])
            continue;
        used[n] = true;
        const quint8* p = img.page(n);
        const quint32 h = FileImage::headerAt(n);
        if (p[h] != TableInterior && p[h] != IndexInterior)
            continue;
        const quint32 cells = FileImage::u16(p + h + 3);
        if (h + 12 + 2 * cells > img.usable())
            continue;
        todo.push_back(FileImage::u32(p + h + 8));
        for (quint32 i = 0; i < cells; ++i) {
            const quint32 at = FileImage::u16(p + h + 12 + 2 * i);
            if (at + 4 <= img.usable())
                todo.push_back(FileImage::u32(p + at));
        }
    }
    // Free pages keep nothing that belongs to the club any more.
    quint32 trunk = FileImage::u32(img.page(1) + 32);
    for (quint32 guard = 0; img.exists(trunk) && !used[trunk] && guard < img.pages(); ++guard) {
        used[trunk] = true;
        const quint8* p = img.page(trunk);
        const quint32 leaves = qMin(FileImage::u32(p + 4), (img.usable() - 8) / 4);
        for (quint32 i = 0; i < leaves; ++i) {
            const quint32 leaf = FileImage::u32(p + 8 + 4 * i);
            if (img.exists(leaf))
                used[leaf] = true;
        }
        trunk = FileImage::u32(p);
    }
    return used;
}

// The whole payload of a cell: its local part and its overflow chain.
bool readPayload(const FileImage& img, const quint8* local, const quint8* pageEnd, quint64 size, QByteArray& out)
{
    const quint64 u = img.usable();
    if (size > quint64(img.pages()) * u)
        return false;
    const quint64 x = u - 35;
    quint64 here = size;
    if (size > x) {
        const quint64 m = (u - 12) * 32 / 255 - 23;
        const quint64 k = m + (size - m) % (u - 4);
        here = k <= x ? k : m;
    }
    const quint64 room = quint64(pageEnd - local);
    if (here > room || (here < size && here + 4 > room))
        return false;
    out = QByteArray(reinterpret_cast<const char*>(local), qsizetype(here));
    if (here == size)
        return true;
    quint32 next = FileImage::u32(local + here);
    while (quint64(out.size()) < size) {
        if (!img.exists(next))
            return false;
        const quint8* p = img.page(next);
        const quint64 take = qMin<quint64>(size - quint64(out.size()), u - 4);
        out.append(reinterpret_cast<const char*>(p + 4), qsizetype(take));
        next = FileImage::u32(p);
    }
    return true;
}

bool decodeRecord(const QByteArray& payload, std::vector<PageField>& fields)
{
    const auto* p = reinterpret_cast<const quint8*>(payload.constData());
    const quint8* end = p + payload.size();
    quint64 headerSize = 0;
    int n = readVarint(p, end, headerSize);
    if (!n || headerSize < quint64(n) || headerSize > quint64(payload.size()))
        return false;
    const quint8* type = p + n;
    const quint8* typesEnd = p + headerSize;
    const quint8* body = typesEnd;
    while (type < typesEnd) {
        quint64 t = 0;
        const int len = readVarint(type, typesEnd, t);
        if (!len)
            return false;
        type += len;
        PageField f;
        static constexpr int IntSize[] = {0, 1, 2, 3, 4, 6, 8};
        if (t == 0) {
            f.type = SQLITE_NULL;
        } else if (t <= 6) {
            const int size = IntSize[t];
            if (end - body < size)
                return false;
            qint64 v = (body[0] & 0x80) ? -1 : 0;
            for (int i = 0; i < size; ++i)
                v = qint64(quint64(v) << 8 | body[i]);
            body += size;
            f.type = SQLITE_INTEGER;
            f.integer = v;
        } else if (t == 7) {
            if (end - body < 8)
                return false;
            quint64 bits = 0;
            for (int i = 0; i < 8; ++i)
                bits = bits << 8 | body[i];
            body += 8;
            f.type = SQLITE_FLOAT;
            std::memcpy(&f.real, &bits, sizeof bits);
        } else if (t == 8 || t == 9) {
            f.type = SQLITE_INTEGER;
            f.integer = qint64(t - 8);
        } else if (t >= 12) {
            const quint64 size = (t - 12) / 2;
            if (quint64(end - body) < size)
                return false;
            f.type = (t & 1) ? SQLITE_TEXT : SQLITE_BLOB;
            f.bytes = QByteArray(reinterpret_cast<const char*>(body), qsizetype(size));
            body += size;
        } else {
            return false;
        }
        fields.push_back(std::move(f));
    }
    return true;
}

std::vector<PageRow> rowsOfLeaf(const FileImage& img, quint32 n)
{
    std::vector<PageRow> rows;
    const quint8* p = img.page(n);
    const quint8* pageEnd = p + img.usable();
    const quint32 h = FileImage::headerAt(n);
    const quint32 cells = FileImage::u16(p + h + 3);
    const quint32 pointers = h + 8;
    if (pointers + 2 * cells > img.usable())
        return rows;
    for (quint32 i = 0; i < cells; ++i) {
        const quint32 at = FileImage::u16(p + pointers + 2 * i);
        if (at < pointers + 2 * cells || at >= img.usable())
            continue;
        const quint8* c = p + at;
        quint64 size = 0, rowid = 0;
        int len = readVarint(c, pageEnd, size);
        if (!len)
            continue;
        c += len;
        len = readVarint(c, pageEnd, rowid);
        if (!len)
            continue;
        c += len;
        QByteArray payload;
        PageRow row;
        row.rowid = qint64(rowid);
        if (readPayload(img, c, pageEnd, size, payload) && decodeRecord(payload, row.fields))
            rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace

std::vector<OrphanLeaf> PageSalvage::orphanLeaves(const QByteArray& file, const std::vector<quint32>& roots)
{
    std::vector<OrphanLeaf> found;
    const FileImage img(file);
    if (!img.valid())
        return found;
    const std::vector<bool> used = pagesInUse(img, roots);
    for (quint32 n = 2; n <= img.pages(); ++n) {
        if (used[n] || img.page(n)[0] != TableLeaf)
            continue;
        OrphanLeaf leaf;
        leaf.page = n;
        leaf.rows = rowsOfLeaf(img, n);
        if (!leaf.rows.empty())
            found.push_back(std::move(leaf));
    }
    return found;
}

} // namespace tikkeli
