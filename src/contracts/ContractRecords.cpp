#include "contracts/ContractRecords.h"

#include "contracts/ContractNumbers.h"
#include "contracts/cSopimus.h"
#include "db/Transaction.h"

namespace tikkeli {

namespace {
const QString kId = QStringLiteral("vsID");
} // namespace

void ContractRecords::open(const QString& databasePath)
{
    m_db = Database::open(databasePath);
    {
        // Estates left without their contract go, and their boundary points with them.
        Transaction t(m_db);
        m_db.execute(QStringLiteral("DELETE FROM rj WHERE rjtlID IN (SELECT tlID FROM tl WHERE NOT EXISTS "
                                    "(SELECT * FROM vs WHERE tl.tlvsID = vs.vsID))"));
        m_db.execute(QStringLiteral("DELETE FROM tl WHERE NOT EXISTS (SELECT * FROM vs WHERE tl.tlvsID = vs.vsID)"));
        t.commit();
    }
    m_rs = m_db.openRecordset(QStringLiteral("vs"), RecordsetType::Dynaset);
    if (!m_rs.eof()) {
        m_rs.moveLast();
        m_rs.moveFirst();
    }
}

bool ContractRecords::hasCurrent() const
{
    return m_rs.isOpen() && m_rs.editMode() != EditMode::Add && !m_rs.eof() && !m_rs.bof();
}

qint64 ContractRecords::currentId() const
{
    return hasCurrent() ? m_rs.field(kId).toInt64() : 0;
}

int ContractRecords::count()
{
    return int(m_db.scalar(QStringLiteral("SELECT COUNT(*) FROM vs")).toInt64());
}

void ContractRecords::refresh()
{
    if (m_rs.editMode() != EditMode::None)
        m_rs.cancelUpdate();
    m_rs.requery();
    if (!m_rs.eof())
        m_rs.moveFirst();
}

bool ContractRecords::findId(qint64 id)
{
    if (m_rs.recordCount() == 0)
        return false;
    return m_rs.findFirst(kId, Value(id));
}

bool ContractRecords::beginEdit()
{
    if (m_rs.editMode() != EditMode::None)
        return true;
    if (!hasCurrent())
        return false;
    m_rs.edit();
    return true;
}

void ContractRecords::addNew()
{
    m_rs.addNew();
}

void ContractRecords::cancel()
{
    if (m_rs.editMode() != EditMode::None)
        m_rs.cancelUpdate();
}

void ContractRecords::write()
{
    if (m_rs.editMode() == EditMode::None)
        return;
    m_rs.update();
    m_rs.setBookmark(m_rs.lastModified());
}

void ContractRecords::deleteCurrent()
{
    const qint64 id = currentId();
    if (id == 0)
        return;
    cancel();
    cSopimus::DeleteContract(m_db, id);
    refresh();
}

QString ContractRecords::NextContractNumber()
{
    return ContractNumbers::next(m_db);
}

void ContractRecords::showStored(qint64 id)
{
    cancel();
    m_rs.requery();
    if (!m_rs.eof())
        m_rs.moveFirst();
    findId(id);
}

} // namespace tikkeli
