#include "printing/ReportQuery.h"

#include "db/Recordset.h"
#include "printing/ReportError.h"
#include "printing/SelectionFormula.h"

namespace tikkeli {

ReportQuery::ReportQuery(Database db, ReportDefinition& definition) : m_db(std::move(db)), m_def(definition)
{
    m_reportTables << m_def.mainTable.toLower();
    for (const auto& j : m_def.joins)
        m_reportTables << j.table.toLower();
}

QString ReportQuery::quoted(const QString& identifier) const
{
    return QLatin1Char('"') + identifier + QLatin1Char('"');
}

ReportQuery::Table& ReportQuery::table(const QString& name)
{
    if (!m_tablesRead) {
        Recordset rs = m_db.openRecordset(
            QStringLiteral("SELECT name, type FROM sqlite_master WHERE type IN ('table', 'view')"), RecordsetType::Snapshot);
        for (; !rs.eof(); rs.moveNext()) {
            Table t;
            t.name = rs.field(0).toString();
            t.isView = rs.field(1).toString() == QLatin1String("view");
            m_tables.insert(t.name.toLower(), t);
        }
        m_tablesRead = true;
    }
    auto it = m_tables.find(name.toLower());
    if (it == m_tables.end())
        throw ReportException(ReportErr::FormulaError, QStringLiteral("Tuntematon taulu: %1").arg(name));
    if (!it->fieldsRead) {
        Recordset rs = m_db.openRecordset(QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(quoted(it->name)),
                                          RecordsetType::Snapshot);
        for (const QString& f : rs.fieldNames())
            it->fields.insert(f.toLower(), f);
        it->fieldsRead = true;
    }
    return *it;
}

QString ReportQuery::resolve(const QString& tableName, const QString& field, bool fromSelection)
{
    const QString key = tableName.toLower();
    if (!fromSelection && !m_reportTables.contains(key) && !m_selectionOnly.contains(key))
        throw ReportException(ReportErr::FormulaError,
                              QStringLiteral("Taulu %1 ei kuulu raporttiin %2").arg(tableName, m_def.title));
    Table& t = table(tableName);
    auto f = t.fields.find(field.toLower());
    if (f == t.fields.end())
        throw ReportException(ReportErr::FormulaError, QStringLiteral("Tuntematon kenttä: {%1.%2}").arg(tableName, field));
    if (!m_used.contains(key))
        m_used << key;
    if (fromSelection && !m_reportTables.contains(key) && !m_selectionOnly.contains(key))
        m_selectionOnly << key;
    return quoted(t.name) + QLatin1Char('.') + quoted(*f);
}

int ReportQuery::column(const QString& tableDotField)
{
    const qsizetype dot = tableDotField.indexOf(u'.');
    const QString sql = resolve(tableDotField.left(dot), tableDotField.mid(dot + 1), false);
    qsizetype i = m_columns.indexOf(sql);
    if (i < 0) {
        m_columns << sql;
        i = m_columns.size() - 1;
    }
    return int(i);
}

void ReportQuery::build(const QString& selectionFormula, const QStringList& sortFields)
{
    table(m_def.mainTable);
    m_used << m_def.mainTable.toLower();
    for (const auto& j : m_def.joins) {
        resolve(j.from.section(u'.', 0, 0), j.from.section(u'.', 1), false);
        table(j.table);
    }
    // The join conditions themselves do not make a table used.
    m_used = QStringList{m_def.mainTable.toLower()};

    for (auto& g : m_def.groups)
        g.column = column(g.field);
    for (ReportDefinition::Band* b : m_def.bands())
        for (auto& it : b->items) {
            if (it.printCondition)
                it.printCondition->column = column(it.printCondition->field);
            for (auto& s : it.segments) {
                if (!s.field.isEmpty())
                    s.column = column(s.field);
                if (!s.onlyIf.isEmpty())
                    s.onlyIfColumn = column(s.onlyIf);
                if (!s.once.isEmpty())
                    s.onceColumn = column(s.once);
            }
        }

    const SelectionFormula::Sql where = SelectionFormula::translate(
        selectionFormula, [this](const QString& t, const QString& f) { return resolve(t, f, true); });

    QStringList order;
    for (const auto& g : m_def.groups)
        if (!g.afterSort)
            order << m_columns.at(g.column);
    const QStringList& sorts = sortFields.isEmpty() ? m_def.sort : sortFields;
    for (const QString& s : sorts) {
        const auto sf = SelectionFormula::parseSortField(s);
        order << resolve(sf.table, sf.field, false) + (sf.ascending ? QString() : QStringLiteral(" DESC"));
    }
    for (const auto& g : m_def.groups)
        if (g.afterSort)
            order << m_columns.at(g.column);
    const Table& main = table(m_def.mainTable);
    if (!main.isView)
        order << quoted(main.name) + QStringLiteral(".rowid");

    // A declared join is added only when something refers to its table, or to a table joined
    // through it.
    QStringList needed = m_used;
    for (auto j = m_def.joins.rbegin(); j != m_def.joins.rend(); ++j)
        if (needed.contains(j->table.toLower()))
            needed << j->from.section(u'.', 0, 0).toLower();
    QString from = quoted(main.name);
    for (const auto& j : m_def.joins) {
        if (!needed.contains(j.table.toLower()))
            continue;
        const QString l = resolve(j.from.section(u'.', 0, 0), j.from.section(u'.', 1), false);
        const QString r = resolve(j.to.section(u'.', 0, 0), j.to.section(u'.', 1), false);
        from += QStringLiteral(" %1 JOIN %2 ON %3 = %4")
                    .arg(j.inner ? QStringLiteral("INNER") : QStringLiteral("LEFT"), quoted(table(j.table).name), l, r);
    }
    // Tables that only the selection formula names come in unlinked: the formula links them
    // itself ({mt.mtvsID} = {vs.vsID} and ...).
    for (const QString& t : m_selectionOnly)
        from += QStringLiteral(", ") + quoted(table(t).name);

    m_sql = QStringLiteral("SELECT %1 FROM %2")
                .arg(m_columns.isEmpty() ? QStringLiteral("1") : m_columns.join(QLatin1String(", ")), from);
    if (!where.where.isEmpty())
        m_sql += QStringLiteral(" WHERE ") + where.where;
    m_sql += QStringLiteral(" ORDER BY ") + order.join(QLatin1String(", "));
    m_params = where.params;
}

std::vector<std::vector<Value>> ReportQuery::fetch()
{
    std::vector<std::vector<Value>> rows;
    try {
        Recordset rs = m_db.openRecordset(m_sql, RecordsetType::Snapshot, m_params);
        const int n = rs.fieldCount();
        rows.reserve(size_t(rs.recordCount()));
        for (; !rs.eof(); rs.moveNext()) {
            std::vector<Value> row;
            row.reserve(size_t(n));
            for (int i = 0; i < n; ++i)
                row.push_back(rs.field(i));
            rows.push_back(std::move(row));
        }
    } catch (const DbException& e) {
        throw ReportException(ReportErr::DatabaseError,
                              QStringLiteral("Tietokantavirhe raportin tietoja luettaessa: %1").arg(e.description()));
    }
    return rows;
}

namespace {

class RecordsetRows : public ReportRows {
public:
    explicit RecordsetRows(Recordset rs)
        : m_rs(std::move(rs)), m_columns(m_rs.fieldCount()), m_size(size_t(m_rs.recordCount()))
    {
    }
    size_t size() const override { return m_size; }
    const Row& at(size_t i) override
    {
        if (i != m_current) {
            m_rs.setAbsolutePosition(int(i));
            m_row.clear();
            for (int c = 0; c < m_columns; ++c)
                m_row.push_back(m_rs.field(c));
            m_current = i;
        }
        return m_row;
    }

private:
    Recordset m_rs;
    int m_columns;
    size_t m_size;
    size_t m_current = size_t(-1);
    Row m_row;
};

} // namespace

std::unique_ptr<ReportRows> ReportQuery::fetchRows()
{
    try {
        return std::make_unique<RecordsetRows>(m_db.openRecordset(m_sql, RecordsetType::Snapshot, m_params));
    } catch (const DbException& e) {
        throw ReportException(ReportErr::DatabaseError,
                              QStringLiteral("Tietokantavirhe raportin tietoja luettaessa: %1").arg(e.description()));
    }
}

} // namespace tikkeli
