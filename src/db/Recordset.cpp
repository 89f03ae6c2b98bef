#include "db/Recordset.h"

#include "base/ErrorHandling.h"
#include "db/Connection.h"
#include "base/DateText.h"
#include "db/FinnishCollation.h"
#include "db/SqlDialect.h"
#include "db/SqliteError.h"
#include "db/Statement.h"
#include "db/TableInfo.h"

#include <QHash>
#include <QRegularExpression>
#include <sqlite3.h>
#include <array>
#include <optional>
#include <string>
#include <unordered_map>

namespace tikkeli {

namespace {

const QString HiddenKeyName = QStringLiteral("tikkeli__rowid");

QString quoteIdent(const QString& s)
{
    QString t = s;
    t.replace(u'"', QStringLiteral("\"\""));
    return u'"' + t + u'"';
}

bool looksLikeStatement(const QString& text)
{
    // A statement starts with one of these words (after blanks); a table name does not. Checked by
    // hand: every set a window opens asks.
    qsizetype at = 0;
    while (at < text.size() && text[at].isSpace())
        ++at;
    for (const QLatin1StringView word : {QLatin1StringView("SELECT"), QLatin1StringView("WITH"), QLatin1StringView("VALUES"),
                                         QLatin1StringView("PRAGMA")}) {
        const qsizetype end = at + word.size();
        if (end > text.size() || QStringView(text).mid(at, word.size()).compare(word, Qt::CaseInsensitive) != 0)
            continue;
        // The word must end there (\b): what follows is no letter, digit or underscore.
        if (end == text.size() || !(text[end].isLetterOrNumber() || text[end] == u'_'))
            return true;
    }
    return false;
}

// Queries whose rows do not stand for single rows of one table cannot be updated through the set.
bool aggregatesRows(const QString& sql)
{
    static const QRegularExpression literals(QStringLiteral(R"('(?:[^']|'')*')"));
    static const QRegularExpression words(QStringLiteral(R"(\b(DISTINCT|GROUP|UNION|INTERSECT|EXCEPT)\b)"),
                                          QRegularExpression::CaseInsensitiveOption);
    QString s = sql;
    s.replace(literals, QStringLiteral("''"));
    return words.match(s).hasMatch();
}

[[noreturn]] void fail(int number, const QString& text)
{
    throw DbException(number, text);
}

} // namespace

struct Recordset::Impl {
    Database db;
    QString source;
    Params params;
    RecordsetType type = RecordsetType::Dynaset;
    bool open = false;

    struct Column {
        QString name;
        Value::Kind kind = Value::Kind::Null;
        int tableCol = -1; // column of the base table, -1 for expressions
    };
    std::vector<Column> cols; // visible columns, then the hidden key if any
    int visible = 0;
    int stride = 0;
    int keyCol = -1; // index into a row, -1 without a key
    // Rows live in fixed blocks that never move once filled; `order` lists them in set order, so
    // reading appends without moving values and deleting only drops an index. Text is kept as the
    // UTF-8 the file holds, in one buffer per block, and becomes a QString only when asked for;
    // only the other values are held as Values. Reading a set then costs little more than
    // stepping the statement.
    static constexpr int BlockRows = 256;
    struct Cell {
        static constexpr std::int32_t InValues = -1;
        static constexpr std::int32_t Null = -2;
        std::uint32_t offset = 0;   // into `utf8`, or an index into `values`
        std::int32_t length = Null; // >= 0: text of that many bytes
    };
    struct Block {
        std::unique_ptr<Cell[]> cells;
        std::vector<Value> values;
        std::string utf8;
    };
    std::vector<Block> blocks;
    int stored = 0;
    std::vector<int> order;
    int rows = 0;

    // The block and the index of the first cell of a stored row.
    std::pair<Block*, std::size_t> locate(int storedRow) const
    {
        const Block& b = blocks[std::size_t(storedRow / BlockRows)];
        return {const_cast<Block*>(&b), std::size_t(storedRow % BlockRows) * std::size_t(stride)};
    }
    // A new row at the end of the storage; the caller fills every one of its cells.
    std::pair<Block*, std::size_t> appendStored()
    {
        if (stored % BlockRows == 0) {
            Block b;
            b.cells = std::make_unique_for_overwrite<Cell[]>(std::size_t(BlockRows) * std::size_t(stride));
            // The previous block tells how much a block of these rows holds.
            if (blocks.empty()) {
                b.utf8.reserve(16384);
            } else {
                b.utf8.reserve(blocks.back().utf8.size() + blocks.back().utf8.size() / 4 + 64);
                b.values.reserve(blocks.back().values.size() + 16);
            }
            blocks.push_back(std::move(b));
        }
        order.push_back(stored);
        ++rows;
        return locate(stored++);
    }
    static void put(Block& b, std::size_t cell, Value v)
    {
        if (v.isNull()) {
            b.cells[cell] = Cell{};
            return;
        }
        b.cells[cell] = Cell{std::uint32_t(b.values.size()), Cell::InValues};
        b.values.push_back(std::move(v));
    }
    Value valueAt(int position, int col) const
    {
        const auto [b, base] = locate(order[std::size_t(position)]);
        const Cell& c = b->cells[base + std::size_t(col)];
        if (c.length >= 0) {
            const char* p = b->utf8.data() + c.offset;
            if (cols[std::size_t(col)].kind == Value::Kind::DateTime) {
                QDate d;
                QTime tm;
                if (DateText::parseUtf8(p, c.length, d, tm))
                    return Value::dateTime(d, tm);
            }
            return QString::fromUtf8(p, c.length);
        }
        if (c.length == Cell::InValues)
            return b->values[c.offset];
        return {};
    }
    // Rows changed in place are rare: the new value is added and the old one left unreferenced.
    void setValue(int position, int col, Value v)
    {
        const auto [b, base] = locate(order[std::size_t(position)]);
        put(*b, base + std::size_t(col), std::move(v));
    }
    std::vector<Value> rowValues(int position) const
    {
        std::vector<Value> out;
        out.reserve(std::size_t(stride));
        for (int i = 0; i < stride; ++i)
            out.push_back(valueAt(position, i));
        return out;
    }
    // Built at the first lookup by name: many sets are only ever read by column number.
    mutable QHash<QString, int> exactNames;
    mutable QHash<QString, int> foldedNames;
    mutable bool namesIndexed = false;
    void buildNameIndex() const;
    // Callers ask for the same few names over and over, mostly with the same string object: a
    // small cache by the text's address skips hashing; a hit is still checked against the name.
    struct NameHit {
        const void* data = nullptr;
        int index = -1;
    };
    mutable std::array<NameHit, 64> nameCache{};

    std::shared_ptr<const TableInfo> table;
    bool updatable = false;

    int pos = 0;
    bool currentDeleted = false;
    EditMode mode = EditMode::None;
    std::vector<Value> buffer;
    std::vector<char> changed;
    int editRow = -1;
    bool provisionalKey = false; // the AutoNumber shown in the AddNew buffer, not yet written
    bool noMatch = false;
    Bookmark lastModified = 0;
    std::unordered_map<std::int64_t, int> keyIndex;
    bool keyIndexValid = false;

    // Opening a set: the statement, its base table, the description of its columns (with the
    // row id fetched invisibly when the key is not among them), the names, then the rows.
    void load();
    std::unique_ptr<Statement> prepare(const QString& sql);
    std::unique_ptr<Statement> prepareSource(QString& sql);
    void findBaseTable(Statement& st, const QString& sql);
    void describe(Statement& st, int from, std::vector<int>& statementCols);
    void fetchHiddenKey(std::unique_ptr<Statement>& st, const QString& sql, std::vector<int>& statementCols);
    void indexNames();
    void readAll(Statement& st, const std::vector<int>& statementCols);
    bool baseRowsWritable = false; // one base table with row ids, rows not aggregated
    int index(const QString& name) const;
    int lookup(const QString& name) const;
    int indexOrThrow(const QString& name) const;
    bool hasCurrent() const { return !currentDeleted && pos >= 0 && pos < rows; }
    void requireCurrent() const
    {
        if (currentDeleted)
            fail(DbErr::RecordDeleted, QStringLiteral("Tietue on poistettu."));
        if (!hasCurrent())
            fail(DbErr::NoCurrentRecord, QStringLiteral("Nykyistä tietuetta ei ole."));
    }
    void requireUpdatable() const
    {
        if (!updatable)
            fail(DbErr::ReadOnly, QStringLiteral("Tietuejoukkoa ei voi päivittää: se on vain luku -tilassa."));
    }
    void leaveEdit()
    {
        mode = EditMode::None;
        buffer.clear();
        changed.clear();
        editRow = -1;
        provisionalKey = false;
    }
    std::int64_t nextKey();
    void showProvisionalKey(int index);
    void leaveDeleted() { currentDeleted = false; }
    std::int64_t keyOf(int row) const { return keyCol >= 0 ? valueAt(row, keyCol).toInt64() : std::int64_t(row) + 1; }
    int rowOfKey(std::int64_t key)
    {
        if (keyCol < 0)
            return (key >= 1 && key <= rows) ? int(key - 1) : -1;
        if (!keyIndexValid) {
            keyIndex.clear();
            keyIndex.reserve(std::size_t(rows));
            for (int r = 0; r < rows; ++r)
                keyIndex[keyOf(r)] = r;
            keyIndexValid = true;
        }
        auto it = keyIndex.find(key);
        return it == keyIndex.end() ? -1 : it->second;
    }
    void insertRow();
    void updateRow();
    // A row joins the end of the set under key.
    void appendRow(std::int64_t key, std::vector<Value> row);
    // The row at this place leaves the set; its cells are emptied.
    void dropRow(int row);
    // The statement reading one row of the table by key, its columns those of a row of the set;
    // empty when the set is not the plain table.
    QByteArray rowByKeySql() const;
    void rereadRow(std::int64_t key, const QByteArray& sql);
    // INSERT statements by the set of fields given, so a run of AddNew/Update builds each once.
    std::unordered_map<std::string, QByteArray> insertSql;

    bool find(Recordset& rs, int start, int step, const std::function<bool(const Recordset&)>& match)
    {
        const int savedPos = pos;
        const bool savedDeleted = currentDeleted;
        leaveEdit();
        currentDeleted = false;
        for (int r = start; r >= 0 && r < rows; r += step) {
            pos = r;
            if (match(rs)) {
                noMatch = false;
                return true;
            }
        }
        pos = savedPos;
        currentDeleted = savedDeleted;
        noMatch = true;
        return false;
    }
};

std::unique_ptr<Statement> Recordset::Impl::prepare(const QString& sql)
{
    return std::make_unique<Statement>(db.conn(), sql.toUtf8());
}

std::unique_ptr<Statement> Recordset::Impl::prepareSource(QString& sql)
{
    // The connection remembers the rewrite of a statement: the same few run again and again.
    sql = looksLikeStatement(source)
              ? QString::fromUtf8(db.conn().normalized(source))
              : QStringLiteral("SELECT * FROM ") + quoteIdent(source.trimmed().remove(u'[').remove(u']'));
    try {
        return prepare(sql);
    } catch (const DbException& e) {
        if (e.number() == DbErr::TableNotFound && !looksLikeStatement(source))
            fail(DbErr::TableNotFound, QStringLiteral("Taulua tai kyselyä '%1' ei löydy.").arg(source));
        throw;
    }
}

void Recordset::Impl::findBaseTable(Statement& st, const QString& sql)
{
    // The base table: every column that comes from a table comes from this one.
    QString base;
    bool single = true;
    const int n = st.columnCount();
    for (int i = 0; i < n && single; ++i) {
        const char* t = sqlite3_column_table_name(st.get(), i);
        const char* dbName = sqlite3_column_database_name(st.get(), i);
        if (!t)
            continue;
        const QString tn = QString::fromUtf8(t);
        if (dbName && qstrcmp(dbName, "main") != 0)
            single = false;
        else if (base.isEmpty())
            base = tn;
        else if (base.compare(tn, Qt::CaseInsensitive) != 0)
            single = false;
    }
    table.reset();
    if (single && !base.isEmpty())
        table = db.conn().tableInfo(base);
    // A snapshot is never written: its text need not be searched for aggregates.
    baseRowsWritable = table && table->hasRowid && type != RecordsetType::Snapshot && !aggregatesRows(sql);
}

void Recordset::Impl::describe(Statement& st, int from, std::vector<int>& statementCols)
{
    cols.clear();
    statementCols.clear();
    keyCol = -1;
    for (int i = from; i < st.columnCount(); ++i) {
        Column c;
        c.name = QString::fromUtf8(sqlite3_column_name(st.get(), i));
        c.kind = st.declaredKind(i);
        const char* t = sqlite3_column_table_name(st.get(), i);
        const char* origin = sqlite3_column_origin_name(st.get(), i);
        if (table && t && origin && table->name.compare(QString::fromUtf8(t), Qt::CaseInsensitive) == 0) {
            c.tableCol = table->columnIndex(QString::fromUtf8(origin));
            if (c.kind == Value::Kind::Null && c.tableCol >= 0)
                c.kind = table->columns[std::size_t(c.tableCol)].kind;
            if (keyCol < 0 && c.tableCol >= 0 && !table->integerKey.isEmpty()
                && table->integerKey.compare(QString::fromUtf8(origin), Qt::CaseInsensitive) == 0)
                keyCol = int(cols.size());
        }
        cols.push_back(std::move(c));
        statementCols.push_back(i);
    }
    visible = int(cols.size());
}

void Recordset::Impl::fetchHiddenKey(std::unique_ptr<Statement>& st, const QString& sql, std::vector<int>& statementCols)
{
    // Fetch the row id alongside, invisibly, so the rows can be written back.
    static const QRegularExpression select(QStringLiteral(R"(^(\s*SELECT)\b)"), QRegularExpression::CaseInsensitiveOption);
    const auto m = select.match(sql);
    if (!m.hasMatch())
        return;
    const QString withKey = sql.left(m.capturedEnd(1)) + QStringLiteral(" _rowid_ AS ") + HiddenKeyName + u','
                            + sql.mid(m.capturedEnd(1));
    std::unique_ptr<Statement> keyed;
    // A statement the row id cannot be added to stays read-only.
    IgnoringErrors("recordset: fetch the row id alongside", [&] { keyed = prepare(withKey); });
    const char* t = keyed ? sqlite3_column_table_name(keyed->get(), 0) : nullptr;
    if (!t || table->name.compare(QString::fromUtf8(t), Qt::CaseInsensitive) != 0)
        return;
    st = std::move(keyed);
    describe(*st, 1, statementCols);
    Column hidden;
    hidden.name = HiddenKeyName;
    hidden.kind = Value::Kind::Int;
    keyCol = int(cols.size());
    cols.push_back(hidden);
    statementCols.push_back(0);
    updatable = true;
}

void Recordset::Impl::indexNames()
{
    exactNames.clear();
    foldedNames.clear();
    namesIndexed = false;
    nameCache.fill(NameHit{});
    insertSql.clear();
}

void Recordset::Impl::buildNameIndex() const
{
    exactNames.clear();
    foldedNames.clear();
    for (int i = visible - 1; i >= 0; --i) {
        exactNames.insert(cols[std::size_t(i)].name, i);
        foldedNames.insert(cols[std::size_t(i)].name.toCaseFolded(), i);
    }
    namesIndexed = true;
}

void Recordset::Impl::load()
{
    QString sql;
    std::unique_ptr<Statement> st = prepareSource(sql);

    // From here on the set's description and rows are rebuilt; a failure part way leaves the set
    // closed rather than rows read with one layout and described with another.
    open = false;
    findBaseTable(*st, sql);
    std::vector<int> statementCols;
    describe(*st, 0, statementCols);
    updatable = false;
    if (baseRowsWritable && type != RecordsetType::Snapshot) {
        if (keyCol >= 0)
            updatable = true;
        else
            fetchHiddenKey(st, sql, statementCols);
    }
    stride = int(cols.size());
    indexNames();

    st->bind(params);
    readAll(*st, statementCols);
    open = true;
    pos = 0;
    currentDeleted = false;
    noMatch = false;
    keyIndexValid = false;
    leaveEdit();
}

void Recordset::Impl::readAll(Statement& st, const std::vector<int>& statementCols)
{
    blocks.clear();
    blocks.reserve(64);
    order.clear();
    stored = 0;
    rows = 0;
    sqlite3_stmt* s = st.get();
    while (st.step()) {
        const auto [b, base] = appendStored();
        for (int i = 0; i < stride; ++i) {
            const int sc = statementCols[std::size_t(i)];
            const Value::Kind kind = cols[std::size_t(i)].kind;
            Cell& cell = b->cells[base + std::size_t(i)];
            // One call that takes the connection's lock per cell; the value is read at once, on the
            // thread that steps the statement.
            sqlite3_value* v = sqlite3_column_value(s, sc);
            const int type = sqlite3_value_type(v);
            if (type == SQLITE_NULL) {
                cell = Cell{};
                continue;
            }
            if ((kind == Value::Kind::Text || kind == Value::Kind::Null || kind == Value::Kind::DateTime)
                && type == SQLITE_TEXT) {
                const char* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
                const int n = sqlite3_value_bytes(v);
                if (p && std::size_t(b->utf8.size()) + std::size_t(n) < std::size_t(INT32_MAX)) {
                    cell = Cell{std::uint32_t(b->utf8.size()), n};
                    b->utf8.append(p, std::size_t(n));
                    continue;
                }
            }
            put(*b, base + std::size_t(i), Statement::readColumn(s, sc, kind, type));
        }
    }
}

int Recordset::Impl::index(const QString& name) const
{
    const void* data = name.constData();
    NameHit& hit = nameCache[(reinterpret_cast<std::uintptr_t>(data) >> 4) & 63];
    if (hit.data == data && hit.index >= 0) {
        const QString& known = cols[std::size_t(hit.index)].name;
        if (known.size() == name.size() && (known == name || known.compare(name, Qt::CaseInsensitive) == 0))
            return hit.index;
    }
    const int i = lookup(name);
    if (i >= 0)
        hit = NameHit{data, i};
    return i;
}

int Recordset::Impl::lookup(const QString& name) const
{
    if (!namesIndexed)
        buildNameIndex();
    auto it = exactNames.constFind(name);
    if (it != exactNames.constEnd())
        return it.value();
    auto f = foldedNames.constFind(name.toCaseFolded());
    return f == foldedNames.constEnd() ? -1 : f.value();
}

int Recordset::Impl::indexOrThrow(const QString& name) const
{
    const int i = index(name);
    if (i < 0)
        fail(DbErr::ItemNotFound, QStringLiteral("Kenttää '%1' ei ole tietuejoukossa.").arg(name));
    return i;
}

// The key the next INSERT gets: AutoNumber keys are never reused, so the table's counter counts too.
std::int64_t Recordset::Impl::nextKey()
{
    Connection& conn = db.conn();
    const QByteArray maxKey = "SELECT max(_rowid_) FROM " + quoteIdent(table->name).toUtf8();
    Statement st(conn, maxKey);
    std::int64_t last = st.step() ? st.column(0, Value::Kind::Int).toInt64() : 0;
    if (table->autoIncrement) {
        Statement seq(conn, QByteArrayLiteral("SELECT seq FROM sqlite_sequence WHERE name = ?"));
        seq.bind(1, Value(table->name));
        if (seq.step())
            last = std::max(last, seq.column(0, Value::Kind::Int).toInt64());
    }
    return last + 1;
}

// Callers read a new row's AutoNumber between AddNew and Update (to write it into dependent rows),
// so the key is shown as soon as it is asked for; Update then stores the row under that very key.
void Recordset::Impl::showProvisionalKey(int index)
{
    if (mode != EditMode::Add || index != keyCol || index >= visible || changed[std::size_t(index)]
        || !buffer[std::size_t(index)].isNull())
        return;
    buffer[std::size_t(index)] = Value(qint64(nextKey()));
    provisionalKey = true;
}

void Recordset::Impl::insertRow()
{
    Connection& conn = db.conn();
    // The key shown after AddNew is written only while still free; a row added in between by
    // other code took it, and this row then gets the next one (its LastModified tells which).
    std::vector<char> written = changed;
    if (provisionalKey && buffer[std::size_t(keyCol)].toInt64() >= nextKey())
        written[std::size_t(keyCol)] = 1;
    std::string fieldSet(written.begin(), written.end());
    auto cached = insertSql.find(fieldSet);
    if (cached == insertSql.end()) {
        QString sql = QStringLiteral("INSERT INTO ") + quoteIdent(table->name);
        QString names, marks;
        for (int i = 0; i < visible; ++i) {
            if (!written[std::size_t(i)])
                continue;
            const QString& col = table->columns[std::size_t(cols[std::size_t(i)].tableCol)].name;
            if (!names.isEmpty()) {
                names += u',';
                marks += u',';
            }
            names += quoteIdent(col);
            marks += u'?';
        }
        sql += names.isEmpty() ? QStringLiteral(" DEFAULT VALUES")
                               : QStringLiteral(" (") + names + QStringLiteral(") VALUES (") + marks + u')';
        cached = insertSql.emplace(std::move(fieldSet), sql.toUtf8()).first;
    }
    {
        Statement st(conn, cached->second);
        int n = 0;
        for (int i = 0; i < visible; ++i)
            if (written[std::size_t(i)])
                st.bind(++n, buffer[std::size_t(i)]);
        st.run();
    }
    const std::int64_t key = sqlite3_last_insert_rowid(conn.db());

    // The new row joins the end of the set with what was written and the defaults of the rest.
    std::vector<Value> row = buffer;
    row.resize(std::size_t(stride));
    bool reread = false;
    for (int i = 0; i < visible; ++i) {
        const int tc = cols[std::size_t(i)].tableCol;
        if (!changed[std::size_t(i)] && tc >= 0 && !table->columns[std::size_t(tc)].literalDefault)
            reread = true;
    }
    if (keyCol >= 0)
        row[std::size_t(keyCol)] = Value(qint64(key));
    if (reread) {
        QString cols2;
        std::vector<int> which;
        for (int i = 0; i < visible; ++i) {
            const int tc = cols[std::size_t(i)].tableCol;
            if (tc < 0)
                continue;
            if (!cols2.isEmpty())
                cols2 += u',';
            cols2 += quoteIdent(table->columns[std::size_t(tc)].name);
            which.push_back(i);
        }
        Statement st(conn, (QStringLiteral("SELECT ") + cols2 + QStringLiteral(" FROM ") + quoteIdent(table->name)
                            + QStringLiteral(" WHERE _rowid_ = ?"))
                               .toUtf8());
        st.bind(1, Value(qint64(key)));
        if (st.step()) {
            for (std::size_t k = 0; k < which.size(); ++k)
                row[std::size_t(which[k])] = st.column(int(k), cols[std::size_t(which[k])].kind);
        }
        st.run();
    }
    const bool wasEof = pos >= rows;
    appendRow(key, std::move(row));
    if (wasEof && !currentDeleted)
        pos = rows;
    lastModified = key;
}

void Recordset::Impl::appendRow(std::int64_t key, std::vector<Value> row)
{
    const auto [b, base] = appendStored();
    for (int i = 0; i < stride; ++i)
        put(*b, base + std::size_t(i), std::move(row[std::size_t(i)]));
    if (keyIndexValid)
        keyIndex[key] = rows - 1;
}

void Recordset::Impl::dropRow(int row)
{
    for (int i = 0; i < stride; ++i)
        setValue(row, i, Value());
    order.erase(order.begin() + row);
    --rows;
    keyIndexValid = false;
}

void Recordset::Impl::updateRow()
{
    Connection& conn = db.conn();
    QString sets;
    Params values;
    for (int i = 0; i < visible; ++i) {
        if (!changed[std::size_t(i)])
            continue;
        if (!sets.isEmpty())
            sets += u',';
        sets += quoteIdent(table->columns[std::size_t(cols[std::size_t(i)].tableCol)].name) + QStringLiteral("=?");
        values.push_back(buffer[std::size_t(i)]);
    }
    const std::int64_t key = keyOf(editRow);
    if (!sets.isEmpty()) {
        values.push_back(Value(qint64(key)));
        Statement st(conn, (QStringLiteral("UPDATE ") + quoteIdent(table->name) + QStringLiteral(" SET ") + sets
                            + QStringLiteral(" WHERE _rowid_=?"))
                               .toUtf8());
        st.bind(values);
        st.run();
        if (sqlite3_changes(conn.db()) == 0)
            fail(DbErr::RecordDeleted, QStringLiteral("Tietue on poistettu."));
    }
    for (int i = 0; i < visible; ++i)
        if (changed[std::size_t(i)])
            setValue(editRow, i, buffer[std::size_t(i)]);
    if (keyCol >= 0 && keyCol < visible && changed[std::size_t(keyCol)])
        keyIndexValid = false;
    lastModified = keyOf(editRow);
}

QByteArray Recordset::Impl::rowByKeySql() const
{
    if (looksLikeStatement(source) || !table || !table->hasRowid || keyCol < 0)
        return {};
    QString names;
    for (int i = 0; i < stride; ++i) {
        const int tc = cols[std::size_t(i)].tableCol;
        if (tc < 0 && i < visible)
            return {};
        if (!names.isEmpty())
            names += u',';
        names += tc < 0 ? QStringLiteral("_rowid_") : quoteIdent(table->columns[std::size_t(tc)].name);
    }
    return (QStringLiteral("SELECT ") + names + QStringLiteral(" FROM ") + quoteIdent(table->name)
            + QStringLiteral(" WHERE _rowid_ = ?"))
        .toUtf8();
}

void Recordset::Impl::rereadRow(std::int64_t key, const QByteArray& sql)
{
    Statement st(db.conn(), sql);
    st.bind(1, Value(qint64(key)));
    const int row = rowOfKey(key);
    if (!st.step()) {
        if (row >= 0)
            dropRow(row);
        return;
    }
    std::vector<Value> values;
    values.reserve(std::size_t(stride));
    for (int i = 0; i < stride; ++i)
        values.push_back(st.column(i, cols[std::size_t(i)].kind));
    if (row < 0) {
        appendRow(key, std::move(values));
        return;
    }
    for (int i = 0; i < stride; ++i)
        setValue(row, i, std::move(values[std::size_t(i)]));
}

Recordset::Recordset() = default;
Recordset::~Recordset() = default;
Recordset::Recordset(Recordset&&) noexcept = default;
Recordset& Recordset::operator=(Recordset&&) noexcept = default;

Recordset Database::openRecordset(const QString& sqlOrTable, RecordsetType type, const Params& params)
{
    Recordset r;
    r.d = std::make_unique<Recordset::Impl>();
    r.d->db = *this;
    r.d->db.conn();
    r.d->source = sqlOrTable;
    r.d->params = params;
    r.d->type = type;
    r.d->load();
    return r;
}

#define TK_OPEN()                                                                                                           \
    if (!d || !d->open)                                                                                                     \
        fail(DbErr::ObjectClosed, QStringLiteral("Tietuejoukko on suljettu."));

bool Recordset::isOpen() const
{
    return d && d->open;
}

void Recordset::close()
{
    d.reset();
}

void Recordset::requery()
{
    // Also a set that a failed requery left closed may try again.
    if (!d)
        fail(DbErr::ObjectClosed, QStringLiteral("Tietuejoukko on suljettu."));
    d->load();
}

void Recordset::requeryRows(const std::vector<Bookmark>& keys)
{
    TK_OPEN();
    const QByteArray sql = d->rowByKeySql();
    if (sql.isEmpty()) {
        requery();
        return;
    }
    d->leaveEdit();
    const bool deleted = d->currentDeleted;
    const bool atEnd = !deleted && d->pos >= d->rows;
    const std::optional<std::int64_t> current = d->hasCurrent() ? std::optional<std::int64_t>(d->keyOf(d->pos))
                                                                : std::nullopt;
    for (const Bookmark key : keys)
        d->rereadRow(key, sql);
    d->currentDeleted = false;
    if (current) {
        const int row = d->rowOfKey(*current);
        d->pos = row >= 0 ? row : 0;
    } else if (atEnd) {
        d->pos = d->rows;
    } else if (deleted) {
        d->pos = 0;
    }
}

bool Recordset::eof() const
{
    TK_OPEN();
    return !d->currentDeleted && (d->rows == 0 || d->pos >= d->rows);
}

bool Recordset::bof() const
{
    TK_OPEN();
    return !d->currentDeleted && (d->rows == 0 || d->pos < 0);
}

int Recordset::recordCount() const
{
    TK_OPEN();
    return d->rows;
}

void Recordset::moveFirst()
{
    TK_OPEN();
    d->leaveEdit();
    if (d->rows == 0)
        fail(DbErr::NoCurrentRecord, QStringLiteral("Nykyistä tietuetta ei ole."));
    d->leaveDeleted();
    d->pos = 0;
}

void Recordset::moveLast()
{
    TK_OPEN();
    d->leaveEdit();
    if (d->rows == 0)
        fail(DbErr::NoCurrentRecord, QStringLiteral("Nykyistä tietuetta ei ole."));
    d->leaveDeleted();
    d->pos = d->rows - 1;
}

void Recordset::moveNext()
{
    TK_OPEN();
    d->leaveEdit();
    if (d->currentDeleted) {
        // The row after the deleted one already sits at its place.
        d->leaveDeleted();
        if (d->pos > d->rows)
            d->pos = d->rows;
        return;
    }
    if (eof())
        fail(DbErr::NoCurrentRecord, QStringLiteral("Nykyistä tietuetta ei ole."));
    ++d->pos;
}

void Recordset::movePrevious()
{
    TK_OPEN();
    d->leaveEdit();
    if (d->currentDeleted) {
        d->leaveDeleted();
        d->pos = std::max(d->pos - 1, -1);
        return;
    }
    if (bof())
        fail(DbErr::NoCurrentRecord, QStringLiteral("Nykyistä tietuetta ei ole."));
    if (d->pos > d->rows)
        d->pos = d->rows;
    --d->pos;
}

void Recordset::move(int rowsToMove)
{
    TK_OPEN();
    if (rowsToMove == 0)
        return;
    d->leaveEdit();
    if (d->rows == 0)
        fail(DbErr::NoCurrentRecord, QStringLiteral("Nykyistä tietuetta ei ole."));
    int from = d->pos;
    if (d->currentDeleted && rowsToMove > 0)
        from -= 1;
    d->leaveDeleted();
    const long long target = (long long)from + rowsToMove;
    d->pos = target < 0 ? -1 : (target >= d->rows ? d->rows : int(target));
}

int Recordset::absolutePosition() const
{
    TK_OPEN();
    return d->hasCurrent() ? d->pos : -1;
}

void Recordset::setAbsolutePosition(int position)
{
    TK_OPEN();
    if (position < 0 || position >= d->rows)
        fail(DbErr::InvalidArgument, QStringLiteral("Tietueen sijainti %1 ei kelpaa.").arg(position));
    d->leaveEdit();
    d->leaveDeleted();
    d->pos = position;
}

int Recordset::fieldCount() const
{
    TK_OPEN();
    return d->visible;
}

QString Recordset::fieldName(int index) const
{
    TK_OPEN();
    if (index < 0 || index >= d->visible)
        fail(DbErr::ItemNotFound, QStringLiteral("Kenttää %1 ei ole tietuejoukossa.").arg(index));
    return d->cols[std::size_t(index)].name;
}

QStringList Recordset::fieldNames() const
{
    TK_OPEN();
    QStringList names;
    for (int i = 0; i < d->visible; ++i)
        names << d->cols[std::size_t(i)].name;
    return names;
}

bool Recordset::hasField(const QString& name) const
{
    TK_OPEN();
    return d->index(name) >= 0;
}

Value Recordset::field(const QString& name) const
{
    TK_OPEN();
    const int index = d->indexOrThrow(name);
    if (d->mode == EditMode::None && d->hasCurrent())
        return d->valueAt(d->pos, index);
    return field(index);
}

std::optional<Value> Recordset::fieldOfRow(Bookmark row, const QString& name)
{
    TK_OPEN();
    const int index = d->indexOrThrow(name);
    const int position = d->rowOfKey(row);
    if (position < 0)
        return std::nullopt;
    return d->valueAt(position, index);
}

Value Recordset::field(int index) const
{
    TK_OPEN();
    if (index < 0 || index >= d->visible)
        fail(DbErr::ItemNotFound, QStringLiteral("Kenttää %1 ei ole tietuejoukossa.").arg(index));
    if (d->mode != EditMode::None) {
        d->showProvisionalKey(index);
        return d->buffer[std::size_t(index)];
    }
    d->requireCurrent();
    return d->valueAt(d->pos, index);
}

void Recordset::setField(const QString& name, const Value& value)
{
    TK_OPEN();
    const int i = d->indexOrThrow(name);
    if (d->mode == EditMode::None)
        fail(DbErr::UpdateWithoutEdit, QStringLiteral("Tietuetta ei ole avattu muokattavaksi (AddNew tai Edit puuttuu)."));
    const Impl::Column& c = d->cols[std::size_t(i)];
    if (c.tableCol < 0)
        fail(DbErr::FieldNotUpdatable, QStringLiteral("Kenttää '%1' ei voi päivittää.").arg(c.name));
    auto v = TableInfo::coerce(value, c.kind);
    if (!v)
        fail(DbErr::ConversionError, QStringLiteral("Arvo ei sovi kentän '%1' tietotyyppiin.").arg(c.name));
    d->buffer[std::size_t(i)] = std::move(*v);
    d->changed[std::size_t(i)] = 1;
}

void Recordset::addNew()
{
    TK_OPEN();
    d->requireUpdatable();
    d->leaveEdit();
    d->buffer.assign(std::size_t(d->stride), Value());
    d->changed.assign(std::size_t(d->stride), 0);
    for (int i = 0; i < d->visible; ++i) {
        const int tc = d->cols[std::size_t(i)].tableCol;
        if (tc < 0)
            continue;
        const TableInfo::Column& col = d->table->columns[std::size_t(tc)];
        if (col.hasDefault && col.literalDefault)
            d->buffer[std::size_t(i)] = col.defaultValue;
        else if (col.kind == Value::Kind::Bool)
            d->buffer[std::size_t(i)] = Value(false);
    }
    d->mode = EditMode::Add;
}

void Recordset::edit()
{
    TK_OPEN();
    d->requireUpdatable();
    d->leaveEdit();
    d->requireCurrent();
    d->buffer = d->rowValues(d->pos);
    d->changed.assign(std::size_t(d->stride), 0);
    d->editRow = d->pos;
    d->mode = EditMode::Edit;
}

void Recordset::update()
{
    TK_OPEN();
    if (d->mode == EditMode::None)
        fail(DbErr::UpdateWithoutEdit, QStringLiteral("Päivitys ilman AddNew- tai Edit-toimintoa."));
    // Any failure throws before the buffer and mode are touched.
    if (d->mode == EditMode::Add)
        d->insertRow();
    else
        d->updateRow();
    d->leaveEdit();
}

void Recordset::cancelUpdate()
{
    TK_OPEN();
    if (d->mode == EditMode::None)
        fail(DbErr::UpdateWithoutEdit, QStringLiteral("Päivitys ilman AddNew- tai Edit-toimintoa."));
    d->leaveEdit();
}

void Recordset::deleteRecord()
{
    TK_OPEN();
    d->requireUpdatable();
    d->leaveEdit();
    d->requireCurrent();
    const std::int64_t key = d->keyOf(d->pos);
    {
        Statement st(
            d->db.conn(),
            (QStringLiteral("DELETE FROM ") + quoteIdent(d->table->name) + QStringLiteral(" WHERE _rowid_=?")).toUtf8());
        st.bind(1, Value(qint64(key)));
        st.run();
    }
    d->dropRow(d->pos);
    d->currentDeleted = true;
}

EditMode Recordset::editMode() const
{
    TK_OPEN();
    return d->mode;
}

bool Recordset::isUpdatable() const
{
    TK_OPEN();
    return d->updatable;
}

bool Recordset::findFirst(const std::function<bool(const Recordset&)>& match)
{
    TK_OPEN();
    return d->find(*this, 0, 1, match);
}

bool Recordset::findLast(const std::function<bool(const Recordset&)>& match)
{
    TK_OPEN();
    return d->find(*this, d->rows - 1, -1, match);
}

bool Recordset::findNext(const std::function<bool(const Recordset&)>& match)
{
    TK_OPEN();
    const int start = d->currentDeleted ? d->pos : (d->pos < 0 ? 0 : d->pos + 1);
    return d->find(*this, start, 1, match);
}

bool Recordset::findPrevious(const std::function<bool(const Recordset&)>& match)
{
    TK_OPEN();
    const int start = std::min(d->pos, d->rows) - 1;
    return d->find(*this, start, -1, match);
}

bool Recordset::findFirst(const QString& fieldName, const Value& equals)
{
    TK_OPEN();
    const int i = d->indexOrThrow(fieldName);
    const Value::Kind kind = d->cols[std::size_t(i)].kind;
    const Value wanted = TableInfo::coerce(equals, kind).value_or(equals);
    return findFirst([&](const Recordset& rs) {
        const Value v = rs.d->valueAt(rs.d->pos, i);
        if (v.isNull() || wanted.isNull())
            return v.isNull() && wanted.isNull();
        if (v.kind() == Value::Kind::Text && wanted.kind() == Value::Kind::Text)
            return FinnishCollation::compare(*v.textPtr(), *wanted.textPtr()) == 0;
        if (v.kind() == wanted.kind())
            return v == wanted;
        if (v.kind() == Value::Kind::Currency || wanted.kind() == Value::Kind::Currency)
            return v.toCurrency() == wanted.toCurrency();
        return v.toDouble() == wanted.toDouble();
    });
}

bool Recordset::noMatch() const
{
    TK_OPEN();
    return d->noMatch;
}

Bookmark Recordset::bookmark() const
{
    TK_OPEN();
    d->requireCurrent();
    return d->keyOf(d->pos);
}

void Recordset::setBookmark(Bookmark b)
{
    TK_OPEN();
    const int row = d->rowOfKey(b);
    if (row < 0)
        fail(DbErr::InvalidBookmark, QStringLiteral("Kirjanmerkki ei kelpaa."));
    d->leaveEdit();
    d->leaveDeleted();
    d->pos = row;
}

Bookmark Recordset::lastModified() const
{
    TK_OPEN();
    return d->lastModified;
}

} // namespace tikkeli
