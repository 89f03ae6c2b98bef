#pragma once

#include "db/Database.h"

#include <QTemporaryDir>

namespace tikkeli::test {

// A club database with the whole current schema in a temporary folder, and helpers that add rows.
class CardTestDb {
public:
    CardTestDb();

    Database& db() { return m_db; }
    QString path() const { return m_dir.filePath(QStringLiteral("klubi.mdb")); }

    qint32 addMember(const QString& surname, const QString& firstName = QStringLiteral("Matti"));
    qint32 addDefinition(const QString& name, const QString& description = {}, int type = 1);
    qint32 addFeature(qint32 memberId, qint32 definitionId);
    // A history invoice; the field refuses Null, so a Null jasMak stands for False.
    qint32 addInvoice(qint32 memberId, qint32 runId, const QString& reference, const QDate& invoiceDate, const Value& amount,
                      const Value& text, const Value& jasMak = {});
    Value field(const QString& sql, const Params& params = {}) { return m_db.scalar(sql, params); }

private:
    QTemporaryDir m_dir;
    Database m_db;
};

} // namespace tikkeli::test
