#pragma once

#include "db/Database.h"
#include "lists/DataPrinterSettings.h"

#include <QString>

#include <memory>
#include <vector>

namespace tikkeli {

// One report template as a row of rp: the template object (DataPrinterSettings) and its text form
// in rpDef. Editing the template through RepSettings() or assigning RapDef makes the record dirty;
// Save stores it (a new row the first time), Undo returns to the text of the last Read or Save.
// While IsEmpty is set the record is inert: Read, Save and Delete do nothing and report false, id
// reads 0, RapDef "" and RepSettings a fresh empty template on every call.
//
// Nothing is stored from the destructor: an owner that lets a record go calls Release(), which
// stores pending changes unless the record is empty. Database errors throw DbException; a Save
// whose row was deleted meanwhile throws 3021 and leaves the record dirty.
class cRapMaaritys {
public:
    struct Entry {
        qint64 id = 0;
        QString name;
    };

    cRapMaaritys();
    explicit cRapMaaritys(const Database& db);
    ~cRapMaaritys();
    cRapMaaritys(const cRapMaaritys&) = delete;
    cRapMaaritys& operator=(const cRapMaaritys&) = delete;

    void setDatabase(const Database& db) { m_db = db; }
    const Database& database() const { return m_db; }

    bool IsEmpty() const { return m_empty; }
    void setIsEmpty(bool empty) { m_empty = empty; }
    bool isDirty() const { return m_dirty; }
    qint64 id() const { return m_empty ? 0 : m_id; }

    // The held template's current text form ("" while empty).
    QString RapDef() const;
    // Loads the text into the held template; dirty when it differs from the stored text.
    void setRapDef(const QString& text);
    // The held template, edited in place by the caller.
    DataPrinterSettings& RepSettings();

    // Loads the row; false (the record reset to a new, empty template) when there is none.
    bool Read(qint64 id);
    // Stores the template when force is set or something changed.
    bool Save(bool force = false);
    // Stores the template in a new row: for one whose row was deleted meanwhile (id() changes).
    bool SaveAsNew();
    // Deletes the row (when stored); the record is then a fresh, clean, unstored template.
    bool Delete();
    void Undo();
    // What the owner calls instead of dropping the record: stores pending changes.
    bool Release();

    // Every template's id and name, in rpID order (the member window's menu and the editor's list).
    static std::vector<Entry> List(Database& db);

private:
    void hold(std::unique_ptr<DataPrinterSettings> settings);
    void reset();
    // Loads text into the held template without counting it as an edit.
    void load(const QString& text);

    Database m_db;
    bool m_dirty = false;
    bool m_empty = false;
    bool m_loading = false;
    qint64 m_id = 0;
    QString m_definition;
    QString m_snapshot;
    std::unique_ptr<DataPrinterSettings> m_settings;
    std::unique_ptr<DataPrinterSettings> m_scratch;
};

} // namespace tikkeli
