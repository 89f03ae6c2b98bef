#include "db/Catalogue.h"

#include "db/Database.h"
#include "db/DbError.h"

#include <sqlite3.h>

#include <algorithm>

namespace tikkeli {

namespace {

// Just enough of SQLite's lexer to take our own DDL (and anybody else's) apart: identifiers in any
// of the four quotings, string literals, parentheses, commas and runs of operator characters.
struct Token {
    enum Kind { Word, Identifier, String, Punct } kind;
    QString text; // identifiers and strings unquoted
    int pos = 0;  // where the token starts in the statement
};

std::vector<Token> tokenize(const QString& sql)
{
    std::vector<Token> out;
    const int n = int(sql.size());
    int i = 0;
    auto quoted = [&](QChar close, Token::Kind kind) {
        const int start = i;
        QString text;
        ++i;
        while (i < n) {
            if (sql[i] == close) {
                if (close != QLatin1Char(']') && i + 1 < n && sql[i + 1] == close) {
                    text += close;
                    i += 2;
                    continue;
                }
                ++i;
                break;
            }
            text += sql[i++];
        }
        out.push_back({kind, text, start});
    };
    while (i < n) {
        const QChar c = sql[i];
        if (c.isSpace()) {
            ++i;
        } else if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
            while (i < n && sql[i] != QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('/') && i + 1 < n && sql[i + 1] == QLatin1Char('*')) {
            const int end = int(sql.indexOf(QLatin1String("*/"), i + 2));
            i = end < 0 ? n : end + 2;
        } else if (c == QLatin1Char('\'')) {
            quoted(QLatin1Char('\''), Token::String);
        } else if (c == QLatin1Char('"')) {
            quoted(QLatin1Char('"'), Token::Identifier);
        } else if (c == QLatin1Char('`')) {
            quoted(QLatin1Char('`'), Token::Identifier);
        } else if (c == QLatin1Char('[')) {
            quoted(QLatin1Char(']'), Token::Identifier);
        } else if (c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('.') || c.unicode() >= 0x80) {
            const int start = i;
            while (i < n
                   && (sql[i].isLetterOrNumber() || sql[i] == QLatin1Char('_') || sql[i] == QLatin1Char('$')
                       || (sql[i] == QLatin1Char('.') && sql[start].isDigit()) || sql[i].unicode() >= 0x80))
                ++i;
            if (i == start)
                ++i;
            out.push_back({Token::Word, sql.mid(start, i - start), start});
        } else if (c == QLatin1Char('(') || c == QLatin1Char(')') || c == QLatin1Char(',') || c == QLatin1Char(';')
                   || c == QLatin1Char('.')) {
            out.push_back({Token::Punct, QString(c), i});
            ++i;
        } else {
            const int start = i;
            while (i < n && QStringLiteral("<>=!|*/+-&%~").contains(sql[i]))
                ++i;
            if (i == start)
                ++i;
            out.push_back({Token::Punct, sql.mid(start, i - start), start});
        }
    }
    return out;
}

bool isWord(const Token& t, const char* word)
{
    return t.kind == Token::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool isPunct(const Token& t, const char* p)
{
    return t.kind == Token::Punct && t.text == QLatin1String(p);
}

bool isName(const Token& t)
{
    return t.kind == Token::Word || t.kind == Token::Identifier || t.kind == Token::String;
}

// Index just past the parenthesis that closes the one at `open`.
size_t skipParens(const std::vector<Token>& toks, size_t open)
{
    int depth = 0;
    for (size_t i = open; i < toks.size(); ++i) {
        if (isPunct(toks[i], "("))
            ++depth;
        else if (isPunct(toks[i], ")") && --depth == 0)
            return i + 1;
    }
    return toks.size();
}

// "CREATE [TEMP] TABLE|INDEX|VIEW [IF NOT EXISTS] [schema.]name": the index of the name token.
size_t objectNameAt(const std::vector<Token>& toks)
{
    size_t i = 0;
    while (i < toks.size() && !(isWord(toks[i], "TABLE") || isWord(toks[i], "INDEX") || isWord(toks[i], "VIEW")))
        ++i;
    ++i;
    if (i + 2 < toks.size() && isWord(toks[i], "IF") && isWord(toks[i + 1], "NOT") && isWord(toks[i + 2], "EXISTS"))
        i += 3;
    if (i + 1 < toks.size() && isPunct(toks[i + 1], "."))
        i += 2;
    return i;
}

bool startsColumnConstraint(const Token& t)
{
    static const char* const words[] = {"CONSTRAINT", "PRIMARY", "NOT",        "NULL",      "UNIQUE", "CHECK",
                                        "DEFAULT",    "COLLATE", "REFERENCES", "GENERATED", "AS"};
    if (t.kind != Token::Word)
        return false;
    for (const char* w : words)
        if (isWord(t, w))
            return true;
    return false;
}

FieldType typeFromDeclaration(const QString& declared, int width)
{
    const QString t = declared.toUpper();
    const QString first = t.section(QLatin1Char(' '), 0, 0);
    struct Name {
        const char* name;
        FieldType type;
    };
    static const Name names[] = {
        {"BOOLEAN", FieldType::Boolean},  {"BOOL", FieldType::Boolean},   {"BIT", FieldType::Boolean},
        {"YESNO", FieldType::Boolean},    {"TINYINT", FieldType::Byte},   {"BYTE", FieldType::Byte},
        {"SMALLINT", FieldType::Integer}, {"SHORT", FieldType::Integer},  {"INTEGER", FieldType::Long},
        {"INT", FieldType::Long},         {"COUNTER", FieldType::Long},   {"DECIMAL", FieldType::Currency},
        {"NUMERIC", FieldType::Currency}, {"MONEY", FieldType::Currency}, {"CURRENCY", FieldType::Currency},
        {"FLOAT", FieldType::Single},     {"SINGLE", FieldType::Single},  {"DOUBLE", FieldType::Double},
        {"REAL", FieldType::Double},      {"DATETIME", FieldType::Date},  {"DATE", FieldType::Date},
        {"TIMESTAMP", FieldType::Date},   {"VARCHAR", FieldType::Text},   {"NVARCHAR", FieldType::Text},
        {"CHAR", FieldType::Text},        {"NCHAR", FieldType::Text},     {"CHARACTER", FieldType::Text},
        {"TEXT", FieldType::Memo},        {"CLOB", FieldType::Memo},      {"BLOB", FieldType::LongBinary},
    };
    for (const Name& n : names)
        if (first == QLatin1String(n.name))
            return (n.type == FieldType::Memo && width > 0) ? FieldType::Text : n.type;
    // Anything else by SQLite's own affinity rules.
    if (t.contains(QLatin1String("INT")))
        return FieldType::Long;
    if (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("CLOB")) || t.contains(QLatin1String("TEXT")))
        return width > 0 ? FieldType::Text : FieldType::Memo;
    if (t.isEmpty() || t.contains(QLatin1String("BLOB")))
        return FieldType::LongBinary;
    return FieldType::Double;
}

FieldDef parseColumn(const std::vector<Token>& toks, size_t begin, size_t end, bool& primaryKey)
{
    FieldDef f;
    f.name = toks[begin].text;
    size_t i = begin + 1;
    QStringList typeWords;
    int width = 0;
    while (i < end && !startsColumnConstraint(toks[i])) {
        if (isPunct(toks[i], "(")) {
            const size_t close = skipParens(toks, i);
            if (i + 1 < end && toks[i + 1].kind == Token::Word)
                width = toks[i + 1].text.toInt();
            i = close;
        } else {
            typeWords << toks[i].text;
            ++i;
        }
    }
    const QString declared = typeWords.join(QLatin1Char(' '));
    f.type = typeFromDeclaration(declared, width);
    f.size = f.type == FieldType::Text ? (width > 0 ? width : 255) : fixedFieldSize(f.type);
    f.allowZeroLength = true;
    primaryKey = false;
    bool autoIncrement = false;
    while (i < end) {
        if (isWord(toks[i], "PRIMARY")) {
            primaryKey = true;
        } else if (isWord(toks[i], "AUTOINCREMENT")) {
            autoIncrement = true;
        } else if (isWord(toks[i], "NOT") && i + 1 < end && isWord(toks[i + 1], "NULL")) {
            f.required = true;
        } else if (isWord(toks[i], "CHECK") && i + 1 < end && isPunct(toks[i + 1], "(")) {
            const size_t close = skipParens(toks, i + 1);
            for (size_t k = i + 2; k + 1 < close; ++k)
                if ((isPunct(toks[k], "<>") || isPunct(toks[k], "!=")) && toks[k + 1].kind == Token::String
                    && toks[k + 1].text.isEmpty())
                    f.allowZeroLength = false;
            i = close;
            continue;
        } else if (isPunct(toks[i], "(")) {
            i = skipParens(toks, i);
            continue;
        }
        ++i;
    }
    f.autoIncrement = primaryKey && autoIncrement;
    if (f.type != FieldType::Text && f.type != FieldType::Memo)
        f.allowZeroLength = false;
    return f;
}

QString keyIndexName()
{
    return QStringLiteral("PrimaryKey");
}

struct ParsedIndex {
    QString name;
    QString table;
    IndexDef def;
};

ParsedIndex parseCreateIndex(const QString& sql)
{
    ParsedIndex p;
    const std::vector<Token> toks = tokenize(sql);
    bool unique = false;
    for (size_t k = 0; k < toks.size() && !isWord(toks[k], "INDEX"); ++k)
        unique = unique || isWord(toks[k], "UNIQUE");
    size_t i = objectNameAt(toks);
    if (i < toks.size())
        p.name = toks[i++].text;
    if (i < toks.size() && isWord(toks[i], "ON"))
        ++i;
    if (i < toks.size())
        p.table = toks[i++].text;
    if (i + 1 < toks.size() && isPunct(toks[i], "(") && isName(toks[i + 1]))
        p.def.field = toks[i + 1].text;
    p.def.unique = unique;
    return p;
}

QString parseViewSelect(const QString& sql)
{
    const std::vector<Token> toks = tokenize(sql);
    size_t i = objectNameAt(toks) + 1;
    if (i < toks.size() && isPunct(toks[i], "("))
        i = skipParens(toks, i);
    if (i >= toks.size() || !isWord(toks[i], "AS"))
        return {};
    if (i + 1 >= toks.size())
        return {};
    QString select = sql.mid(toks[i + 1].pos).trimmed();
    while (select.endsWith(QLatin1Char(';')))
        select.chop(1);
    return select;
}

QString columnText(sqlite3_stmt* st, int col)
{
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
    return p ? QString::fromUtf8(p, sqlite3_column_bytes(st, col)) : QString();
}

} // namespace

TableDef Catalogue::parseCreateTable(const QString& sql)
{
    TableDef t;
    const std::vector<Token> toks = tokenize(sql);
    size_t i = objectNameAt(toks);
    if (i >= toks.size())
        return t;
    t.name = toks[i].text;
    while (i < toks.size() && !isPunct(toks[i], "("))
        ++i;
    const size_t close = skipParens(toks, i);
    QString keyField;
    size_t start = i + 1;
    int depth = 0;
    for (size_t k = start; k < close; ++k) {
        const bool last = k + 1 == close;
        if (isPunct(toks[k], "("))
            ++depth;
        else if (isPunct(toks[k], ")") && !last)
            --depth;
        if (!(depth == 0 && isPunct(toks[k], ",")) && !last)
            continue;
        if (k > start) {
            const Token& first = toks[start];
            if (isWord(first, "PRIMARY")) {
                size_t p = start;
                while (p < k && !isPunct(toks[p], "("))
                    ++p;
                if (p + 1 < k && skipParens(toks, p) == p + 3) // a key over one field only
                    keyField = toks[p + 1].text;
            } else if (!(isWord(first, "CONSTRAINT") || isWord(first, "UNIQUE") || isWord(first, "CHECK")
                         || isWord(first, "FOREIGN"))) {
                bool primary = false;
                t.fields.push_back(parseColumn(toks, start, k, primary));
                if (primary)
                    keyField = t.fields.back().name;
            }
        }
        start = k + 1;
    }
    if (!keyField.isEmpty())
        t.indexes.push_back({keyIndexName(), keyField, true, true, 0});
    return t;
}

Catalogue Catalogue::read(Database& db)
{
    Catalogue c;
    sqlite3* h = db.handle();
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(h, "SELECT type, name, tbl_name, sql FROM sqlite_master", -1, &st, nullptr) != SQLITE_OK)
        throw DbException(DbErr::Generic, QString::fromUtf8(sqlite3_errmsg(h)));
    std::vector<ParsedIndex> indexes;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        const QString type = columnText(st, 0);
        const QString name = columnText(st, 1);
        const QString sql = columnText(st, 3);
        if (name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive) || sql.isEmpty())
            continue;
        if (type == QLatin1String("table")) {
            TableDef t = parseCreateTable(sql);
            t.name = name;
            c.m_tables.push_back(std::move(t));
        } else if (type == QLatin1String("view")) {
            c.m_queries.push_back({name, parseViewSelect(sql)});
        } else if (type == QLatin1String("index")) {
            ParsedIndex p = parseCreateIndex(sql);
            p.name = name;
            p.table = columnText(st, 2);
            indexes.push_back(std::move(p));
        }
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE)
        throw DbException(DbErr::Generic, QString::fromUtf8(sqlite3_errmsg(h)));
    for (ParsedIndex& p : indexes) {
        auto it = std::find_if(c.m_tables.begin(), c.m_tables.end(),
                               [&](const TableDef& t) { return t.name.compare(p.table, Qt::CaseInsensitive) == 0; });
        if (it == c.m_tables.end())
            continue;
        const QString prefix = it->name + QLatin1Char('_');
        p.def.name = p.name.startsWith(prefix, Qt::CaseInsensitive) ? p.name.mid(prefix.size()) : p.name;
        it->indexes.push_back(p.def);
    }
    return c;
}

const TableDef* Catalogue::table(const QString& name) const
{
    for (const TableDef& t : m_tables)
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

const QueryDef* Catalogue::query(const QString& name) const
{
    for (const QueryDef& q : m_queries)
        if (q.name.compare(name, Qt::CaseInsensitive) == 0)
            return &q;
    return nullptr;
}

const FieldDef* Catalogue::field(const QString& tableName, const QString& fieldName) const
{
    const TableDef* t = table(tableName);
    return t ? t->field(fieldName) : nullptr;
}

bool Catalogue::hasField(const QString& tableName, const QString& fieldName) const
{
    return field(tableName, fieldName) != nullptr;
}

bool Catalogue::hasIndex(const QString& tableName, const QString& indexName) const
{
    const TableDef* t = table(tableName);
    return t && t->index(indexName) != nullptr;
}

int Catalogue::indexCount(const QString& tableName) const
{
    const TableDef* t = table(tableName);
    return t ? int(t->indexes.size()) : 0;
}

QString Catalogue::physicalIndexName(const QString& tableName, const QString& logicalName)
{
    return tableName + QLatin1Char('_') + logicalName;
}

} // namespace tikkeli
