#include "lists/cRapMaaritys.h"

#include "base/NullConversions.h"
#include "base/ErrorNumbers.h"
#include "db/ClubChanges.h"
#include "db/Recordset.h"

namespace tikkeli {

cRapMaaritys::cRapMaaritys()
{
    reset();
}

cRapMaaritys::cRapMaaritys(const Database& db) : m_db(db)
{
    reset();
}

cRapMaaritys::~cRapMaaritys() = default;

void cRapMaaritys::hold(std::unique_ptr<DataPrinterSettings> settings)
{
    m_settings = std::move(settings);
    QObject::connect(m_settings.get(), &DataPrinterSettings::SettingsChanged, m_settings.get(), [this] {
        if (!m_loading)
            m_dirty = true;
    });
}

void cRapMaaritys::load(const QString& text)
{
    m_loading = true;
    // An empty text is a new template's; an unreadable one shows as the defaults.
    m_settings->FromText(text);
    m_loading = false;
}

void cRapMaaritys::reset()
{
    m_dirty = false;
    m_empty = false;
    m_id = 0;
    m_definition.clear();
    hold(std::make_unique<DataPrinterSettings>());
    m_snapshot = m_definition;
}

QString cRapMaaritys::RapDef() const
{
    return m_empty ? QString() : m_settings->ToText();
}

void cRapMaaritys::setRapDef(const QString& text)
{
    if (m_empty)
        return;
    if (text != m_definition)
        m_dirty = true;
    load(text);
}

DataPrinterSettings& cRapMaaritys::RepSettings()
{
    if (m_empty) {
        m_scratch = std::make_unique<DataPrinterSettings>();
        return *m_scratch;
    }
    return *m_settings;
}

bool cRapMaaritys::Read(qint64 id)
{
    if (m_empty)
        return false;
    Recordset rs = m_db.openRecordset(QStringLiteral("SELECT rpID, rpDef FROM rp WHERE rpID = ?"), RecordsetType::Snapshot,
                                      {Value(id)});
    if (rs.eof()) {
        reset();
        return false;
    }
    m_id = rs.field(0).toInt64();
    m_definition = NullToString(rs.field(1));
    auto settings = std::make_unique<DataPrinterSettings>();
    settings->FromText(m_definition);
    hold(std::move(settings));
    m_snapshot = m_definition;
    return true;
}

bool cRapMaaritys::Save(bool force)
{
    if (m_empty)
        return false;
    if (!force && !m_dirty)
        return true;
    const QString text = m_settings->ToText();
    if (m_id != 0) {
        m_db.execute(QStringLiteral("UPDATE rp SET rpDef = ? WHERE rpID = ?"), {Value(text), Value(m_id)});
        // Another window deleted the row: the template is not stored, and stays changed.
        if (m_db.rowsAffected() == 0)
            throw DbException(DbErr::NoCurrentRecord, QStringLiteral("Raporttipohja on poistettu tietokannasta."));
    } else {
        m_db.execute(QStringLiteral("INSERT INTO rp (rpDef) VALUES (?)"), {Value(text)});
        m_id = m_db.lastInsertId();
    }
    ClubChanges::announce(m_db, ClubChanges::Kind::ReportTemplates);
    m_definition = text;
    m_dirty = false;
    m_snapshot = m_definition;
    return true;
}

bool cRapMaaritys::SaveAsNew()
{
    if (m_empty)
        return false;
    const qint64 before = m_id;
    m_id = 0;
    try {
        return Save(true);
    } catch (...) {
        m_id = before;
        throw;
    }
}

bool cRapMaaritys::Delete()
{
    if (m_empty)
        return false;
    if (m_id != 0) {
        m_db.execute(QStringLiteral("DELETE FROM rp WHERE rpID = ?"), {Value(m_id)});
        ClubChanges::announce(m_db, ClubChanges::Kind::ReportTemplates);
    }
    reset();
    return true;
}

void cRapMaaritys::Undo()
{
    if (m_empty)
        return;
    m_definition = m_snapshot;
    load(m_snapshot);
}

bool cRapMaaritys::Release()
{
    if (m_empty)
        return false;
    return Save(false);
}

std::vector<cRapMaaritys::Entry> cRapMaaritys::List(Database& db)
{
    std::vector<Entry> entries;
    Recordset rs = db.openRecordset(QStringLiteral("SELECT rpID, rpDef FROM rp ORDER BY rpID"), RecordsetType::Snapshot);
    DataPrinterSettings settings;
    for (; !rs.eof(); rs.moveNext()) {
        settings.FromText(NullToString(rs.field(1)));
        entries.push_back({rs.field(0).toInt64(), settings.ReportName()});
    }
    return entries;
}

} // namespace tikkeli
