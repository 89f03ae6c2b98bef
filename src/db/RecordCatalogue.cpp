#include "db/RecordCatalogue.h"

#include "base/NullConversions.h"
#include "base/InitialGroups.h"

namespace tikkeli {

RecordCatalogue::RecordCatalogue(Database db, QString table, QString keyField)
    : m_db(std::move(db)), m_table(std::move(table)), m_key(std::move(keyField))
{
    m_data = m_db.openRecordset(m_table, RecordsetType::Table);
    if (!m_data.eof())
        m_data.moveFirst();
}

int RecordCatalogue::rowCount()
{
    // The table name is the program's own, never the user's.
    return int(m_db.scalar(QStringLiteral("SELECT COUNT(*) FROM ") + m_table).toInt64());
}

QString RecordCatalogue::treeKey(qint64 id)
{
    return QString::number(id) + QStringLiteral("ID");
}

std::optional<qint64> RecordCatalogue::idFromTreeKey(const QString& key)
{
    const int at = key.indexOf(QStringLiteral("ID"), 0, Qt::CaseInsensitive);
    if (at < 0)
        return std::nullopt;
    bool ok = false;
    const qint64 id = key.left(at).toLongLong(&ok);
    return ok ? std::optional<qint64>(id) : std::nullopt;
}

std::vector<CatalogueLetterGroup> RecordCatalogue::groupByInitial(const std::vector<std::pair<qint64, Value>>& rows)
{
    QStringList names;
    for (const auto& row : rows)
        names.append(NullToString(row.second));
    std::vector<CatalogueLetterGroup> groups;
    for (const InitialGroups::Group& g : InitialGroups::group(names)) {
        CatalogueLetterGroup group{g.letter, {}};
        for (const std::size_t i : g.indexes)
            group.entries.push_back({rows[i].first, names[qsizetype(i)]});
        groups.push_back(std::move(group));
    }
    return groups;
}

std::vector<CatalogueLetterGroup> RecordCatalogue::groupsOf(const QString& sql, const Params& params)
{
    Recordset rs = m_db.openRecordset(sql, RecordsetType::Snapshot, params);
    std::vector<std::pair<qint64, Value>> rows;
    for (; !rs.eof(); rs.moveNext())
        rows.emplace_back(rs.field(0).toInt64(), rs.field(1));
    return groupByInitial(rows);
}

bool RecordCatalogue::hasCurrent() const
{
    return adding() || (!m_data.eof() && !m_data.bof());
}

std::optional<qint64> RecordCatalogue::currentId() const
{
    if (adding() || m_data.eof() || m_data.bof())
        return std::nullopt;
    return m_data.field(m_key).toInt64();
}

void RecordCatalogue::startNew()
{
    m_beforeNew = currentId().value_or(0);
    m_data.addNew();
}

void RecordCatalogue::cancelNew()
{
    if (!adding())
        return;
    m_data.cancelUpdate();
    if (m_beforeNew == 0 || !find(m_beforeNew)) {
        if (m_data.recordCount() > 0)
            m_data.moveFirst();
    }
}

bool StepRecord(Recordset& rs, bool forward)
{
    const auto atEnd = [&rs, forward] { return forward ? rs.eof() : rs.bof(); };
    const auto step = [&rs](bool on) { on ? rs.moveNext() : rs.movePrevious(); };
    if (atEnd())
        return false;
    step(forward);
    if (!atEnd())
        return true;
    step(!forward);
    return false;
}

bool RecordCatalogue::move(Move where)
{
    if (m_data.recordCount() == 0)
        return false;
    switch (where) {
    case Move::First: m_data.moveFirst(); return true;
    case Move::Last: m_data.moveLast(); return true;
    case Move::Previous: return StepRecord(m_data, false);
    case Move::Next: return StepRecord(m_data, true);
    }
    return false;
}

bool RecordCatalogue::find(qint64 id)
{
    // Another window may have deleted the row meanwhile: look at the table as it is now.
    if (!adding())
        m_data.requery();
    if (m_data.recordCount() == 0)
        return false;
    m_data.moveFirst();
    return m_data.findFirst(m_key, Value(id));
}

void RecordCatalogue::refresh()
{
    if (adding() || m_data.editMode() == EditMode::Edit)
        m_data.cancelUpdate();
    m_data.requery();
    if (m_data.recordCount() > 0)
        m_data.moveFirst();
}

void RecordCatalogue::store(const std::vector<std::pair<QString, Value>>& changes)
{
    const bool wasAdding = adding();
    if (!wasAdding)
        m_data.edit();
    try {
        for (const auto& [name, value] : changes)
            m_data.setField(name, value);
        m_data.update();
    } catch (...) {
        if (!wasAdding)
            m_data.cancelUpdate();
        throw;
    }
    if (wasAdding) {
        const Bookmark added = m_data.lastModified();
        m_data.requery();
        m_data.setBookmark(added);
    }
}

} // namespace tikkeli
