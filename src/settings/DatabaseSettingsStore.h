#pragma once

#include "db/Database.h"

#include <QHash>
#include <QString>
#include <optional>

namespace tikkeli {

// Settings kept in table Settings (setID, setSection, setKey, setString) of a club database that
// the caller has opened. Reads never fail over a missing row, a Null value or a missing table (an
// older database before its upgrade): they give the default. Writes replace the key's first row or
// add one; "" is stored as Null, since the program's text fields refuse empty strings. A failing
// write throws DbException.
class DatabaseSettingsStore {
public:
    DatabaseSettingsStore() = default;
    explicit DatabaseSettingsStore(Database db, const QString& section = QStringLiteral("TIKKELI"));

    void setDatabase(Database db);
    void setSection(const QString& section);
    const QString& section() const { return m_section; }

    QString read(const QString& key, const QString& defaultValue = {});
    // Every key of the section in one query, each with the value read() gives (its first row's).
    class Section {
    public:
        QString read(const QString& key, const QString& defaultValue = {}) const;

    private:
        friend class DatabaseSettingsStore;
        QHash<QString, Value> m_values;
    };
    Section readSection();
    void write(const QString& value, const QString& key);
    // Releases the database handle (the caller's own handle stays open).
    void close();

    bool hasSettingsTable();

private:
    Database m_db;
    QString m_section = QStringLiteral("TIKKELI");
    std::optional<bool> m_hasTable;
};

} // namespace tikkeli
