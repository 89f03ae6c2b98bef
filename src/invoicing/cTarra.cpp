#include "invoicing/cTarra.h"

#include "base/ErrorHandling.h"
#include "base/NullConversions.h"
#include "db/Database.h"
#include "db/Recordset.h"

namespace tikkeli {

namespace {
const QString kSelect = QStringLiteral(
    "SELECT Tarra_ID, Rivi1, Rivi2, Rivi3, Rivi4, Rivi5, Rivi6 FROM Tarra WHERE Tarra_ID = ?");
}

cTarra::~cTarra()
{
    if (m_empty)
        return;
    // A destructor cannot report; the callers that care save explicitly.
    IgnoringErrors("label counter: save on leaving", [&] { Save(false); });
}

void cTarra::reset()
{
    m_id = 0;
    m_lines.fill(QString());
    m_changed = false;
    m_undo = m_lines;
}

QString cTarra::Rivi(int i) const
{
    if (m_empty || i < 1 || i > 6)
        return {};
    return m_lines[size_t(i - 1)];
}

void cTarra::setRivi(int i, const QString& value)
{
    if (i < 1 || i > 6)
        return;
    const QString v = value.left(255);
    if (v != m_lines[size_t(i - 1)])
        m_changed = true;
    m_lines[size_t(i - 1)] = v;
}

void cTarra::Undo()
{
    if (!m_empty)
        m_lines = m_undo;
}

bool cTarra::Read(qint64 id)
{
    if (m_empty)
        return false;
    Database db = Database::open(m_dbFileName);
    Recordset rs = db.openRecordset(kSelect, RecordsetType::Snapshot, {Value(id)});
    bool found = !rs.eof();
    if (!found) {
        reset();
    } else {
        m_id = id;
        for (int i = 0; i < 6; ++i)
            m_lines[size_t(i)] = NullToString(rs.field(i + 1));
        m_changed = false;
    }
    m_undo = m_lines;
    return found;
}

bool cTarra::Save(bool force)
{
    if (m_empty)
        return false;
    if (!force && !m_changed)
        return true;
    Database db = Database::open(m_dbFileName);
    Params p;
    for (const QString& l : m_lines)
        p.push_back(Value(l));
    if (m_id != 0) {
        p.push_back(Value(m_id));
        db.execute(
            QStringLiteral(
                "UPDATE Tarra SET Rivi1 = ?, Rivi2 = ?, Rivi3 = ?, Rivi4 = ?, Rivi5 = ?, Rivi6 = ? WHERE Tarra_ID = ?"),
            p);
    } else {
        db.execute(QStringLiteral("INSERT INTO Tarra (Rivi1, Rivi2, Rivi3, Rivi4, Rivi5, Rivi6) VALUES (?, ?, ?, ?, ?, ?)"),
                   p);
        m_id = db.lastInsertId();
    }
    m_changed = false;
    m_undo = m_lines;
    return true;
}

void cTarra::Delete()
{
    if (m_empty)
        return;
    if (m_id != 0) {
        Database db = Database::open(m_dbFileName);
        db.execute(QStringLiteral("DELETE FROM Tarra WHERE Tarra_ID = ?"), {Value(m_id)});
    }
    reset();
}

void cTarrat::DeleteAll()
{
    Database db = Database::open(m_dbFileName);
    db.execute(QStringLiteral("DELETE FROM Tarra"));
}

} // namespace tikkeli
