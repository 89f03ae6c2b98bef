#include "members/MemberRecords.h"

#include "db/ClubChanges.h"
#include "db/Transaction.h"
#include "settings/DatabaseSettingsStore.h"
#include "base/SharedState.h"

#include <QScopedValueRollback>
#include <algorithm>
#include <limits>

namespace tikkeli {

namespace {
const QString kId = QStringLiteral("jrID");
const QString kNumber = QStringLiteral("jrJasennumero");
} // namespace

void MemberRecords::open(const QString& databasePath)
{
    m_db = Database::open(databasePath);
    m_rs = m_db.openRecordset(QStringLiteral("jr"), RecordsetType::Dynaset);
    if (!m_rs.eof()) {
        m_rs.moveLast();
        m_rs.moveFirst();
    }
}

bool MemberRecords::hasCurrent() const
{
    return m_rs.isOpen() && m_rs.editMode() != EditMode::Add && !m_rs.eof() && !m_rs.bof();
}

qint64 MemberRecords::currentId() const
{
    if (!hasCurrent())
        return 0;
    return m_rs.field(kId).toInt64();
}

void MemberRecords::refresh()
{
    if (m_rs.editMode() != EditMode::None)
        m_rs.cancelUpdate();
    m_rs.requery();
    if (!m_rs.eof())
        m_rs.moveFirst();
}

void MemberRecords::reread(const QSet<qint64>& ids)
{
    std::vector<Bookmark> keys(ids.begin(), ids.end());
    // New members join in the order of their ids, as a requery would list them.
    std::sort(keys.begin(), keys.end());
    m_rs.requeryRows(keys);
}

bool MemberRecords::findId(qint64 id)
{
    if (m_rs.recordCount() == 0)
        return false;
    // jrID is the table's key, so the set's bookmark of a member is its id: a lookup, not a walk
    // through every row. A bookmark the set does not hold is no such member.
    if (!hasCurrent() || m_rs.bookmark() == currentId()) {
        try {
            m_rs.setBookmark(id);
        } catch (const DbException& e) {
            if (e.number() != DbErr::InvalidBookmark)
                throw;
            return false;
        }
        return true;
    }
    return m_rs.findFirst(kId, Value(id));
}

void MemberRecords::beginEdit()
{
    if (m_rs.editMode() == EditMode::None && hasCurrent())
        m_rs.edit();
}

void MemberRecords::addNew()
{
    m_rs.addNew();
}

void MemberRecords::cancel()
{
    if (m_rs.editMode() != EditMode::None)
        m_rs.cancelUpdate();
}

void MemberRecords::write()
{
    const Value number = m_rs.field(kNumber);
    if (!number.isNull()) {
        const bool adding = m_rs.editMode() == EditMode::Add;
        const qint64 self = adding ? 0 : m_rs.field(kId).toInt64();
        const Value stored = adding
                                 ? Value()
                                 : m_db.scalar(QStringLiteral("SELECT jrJasennumero FROM jr WHERE jrID = ?"), {Value(self)});
        if (adding || stored.toString().compare(number.toString(), Qt::CaseInsensitive) != 0) {
            const Value taken = m_db.scalar(
                QStringLiteral("SELECT COUNT(*) FROM jr WHERE jrJasennumero = ? COLLATE FI AND jrID <> ?"),
                {number, Value(self)});
            if (taken.toInt64() > 0)
                throw DbException(DbErr::DuplicateKey, QStringLiteral("Jäsennumero on jo toisella jäsenellä."));
        }
    }
    const QScopedValueRollback busy(m_writing, true);
    m_rs.update();
    ClubChanges::announceMember(m_db, m_rs.lastModified());
    m_rs.setBookmark(m_rs.lastModified());
}

void MemberRecords::deleteCurrent()
{
    const qint64 id = currentId();
    if (id == 0)
        return;
    {
        const QScopedValueRollback busy(m_writing, true);
        Transaction t(m_db);
        m_db.execute(QStringLiteral("DELETE FROM pt WHERE ptjrID = ?"), {Value(id)});
        m_db.execute(QStringLiteral("DELETE FROM jr WHERE jrID = ?"), {Value(id)});
        ClubChanges::announceMember(m_db, id);
        t.commit();
    }
    refresh();
}

QString MemberRecords::NextMemberNumber()
{
    SharedState& s = State();
    const QString given = QString::number(s.MemberNumberCounter);
    if (s.MemberNumberCounter == std::numeric_limits<qint32>::max())
        throw DbException(DbErr::Overflow, QStringLiteral("Ylivuoto"));
    DatabaseSettingsStore store(m_db, QStringLiteral("TIKKELI"));
    store.write(QString::number(s.MemberNumberCounter + 1), QStringLiteral("Jasennro"));
    s.MemberNumberCounter += 1;
    return given;
}

} // namespace tikkeli
