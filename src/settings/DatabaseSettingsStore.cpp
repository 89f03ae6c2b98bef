#include "settings/DatabaseSettingsStore.h"

#include "db/Recordset.h"

namespace tikkeli {

DatabaseSettingsStore::DatabaseSettingsStore(Database db, const QString& section) : m_db(std::move(db)), m_section(section)
{
}

void DatabaseSettingsStore::setDatabase(Database db)
{
    m_db = std::move(db);
    m_hasTable.reset();
}

void DatabaseSettingsStore::setSection(const QString& section)
{
    m_section = section;
}

void DatabaseSettingsStore::close()
{
    m_db = Database();
    m_hasTable.reset();
}

bool DatabaseSettingsStore::hasSettingsTable()
{
    if (!m_hasTable) {
        const Value v = m_db.scalar(
            QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = 'Settings' COLLATE NOCASE"));
        m_hasTable = v.toInt64() > 0;
    }
    return *m_hasTable;
}

QString DatabaseSettingsStore::read(const QString& key, const QString& defaultValue)
{
    if (!hasSettingsTable())
        return defaultValue;
    const Value v = m_db.scalar(
        QStringLiteral("SELECT setString FROM Settings WHERE setSection = ? AND setKey = ? ORDER BY setID LIMIT 1"),
        {m_section, key});
    return v.isNull() ? defaultValue : v.toString();
}

DatabaseSettingsStore::Section DatabaseSettingsStore::readSection()
{
    Section section;
    if (!hasSettingsTable())
        return section;
    // Newest first, so the first row of a key written twice is the one that stays.
    for (Recordset rs = m_db.openRecordset(QStringLiteral("SELECT setKey, setString FROM Settings WHERE setSection = ? "
                                                          "AND setKey IS NOT NULL ORDER BY setID DESC"),
                                           RecordsetType::Snapshot, {m_section});
         !rs.eof(); rs.moveNext())
        section.m_values.insert(rs.field(0).toString(), rs.field(1));
    return section;
}

QString DatabaseSettingsStore::Section::read(const QString& key, const QString& defaultValue) const
{
    const auto it = m_values.constFind(key);
    return it == m_values.constEnd() || it->isNull() ? defaultValue : it->toString();
}

void DatabaseSettingsStore::write(const QString& value, const QString& key)
{
    const Value stored = value.isEmpty() ? Value() : Value(value);
    const Value id = m_db.scalar(
        QStringLiteral("SELECT setID FROM Settings WHERE setSection = ? AND setKey = ? ORDER BY setID LIMIT 1"),
        {m_section, key});
    if (id.isNull())
        m_db.execute(QStringLiteral("INSERT INTO Settings (setSection, setKey, setString) VALUES (?, ?, ?)"),
                     {m_section, key, stored});
    else
        m_db.execute(QStringLiteral("UPDATE Settings SET setString = ? WHERE setID = ?"), {stored, id});
}

} // namespace tikkeli
