#pragma once

#include "base/Currency.h"
#include "db/RecordObject.h"

#include <QDate>
#include <QString>

namespace tikkeli {

// The fields of an mt row.
struct cOminaisuusFields {
    qint64 vsId = 0;
    qint64 piId = 0;
    QString memo;
    qint32 number = 0;
    QDate date;
    Currency amount;
};

// One value of a contract feature: a row of mt (contract mtvsID, feature definition mtpiID, and
// the date, number, memo and amount values), with the read-only data of its definition row in
// pi. Dirty flag, IsEmpty, snapshot, Undo and Release work as in cTila. A missing date is stored
// as Null.
class cOminaisuus : public RecordObject<cOminaisuus, cOminaisuusFields> {
public:
    cOminaisuus() = default;
    explicit cOminaisuus(const Database& db) : RecordObject(db) {}

    // Loads the definition data of the current piId (also while the record is empty).
    void ReadPiData();
    QString Nimi() const { return m_def.nimi; }
    QString Kuvaus() const { return m_def.kuvaus; }
    bool EnabledDate() const { return m_def.date; }
    bool EnabledLong() const { return m_def.number; }
    bool EnabledCurrency() const { return m_def.currency; }
    bool EnabledMemo() const { return m_def.memo; }

    qint64 vsId() const { return m_empty ? 0 : m_f.vsId; }
    void setVsId(qint64 v);
    qint64 piId() const { return m_empty ? 0 : m_f.piId; }
    void setPiId(qint64 v);
    QString ValMemo() const { return m_empty ? QString() : m_f.memo; }
    void setValMemo(const QString& v);
    qint32 ValLong() const { return m_empty ? 0 : m_f.number; }
    void setValLong(qint32 v);
    // An invalid date: no date.
    QDate ValDate() const { return m_empty ? QDate() : m_f.date; }
    void setValDate(const QDate& v);
    Currency ValCurrency() const { return m_empty ? Currency() : m_f.amount; }
    void setValCurrency(Currency v);

private:
    friend class RecordObject<cOminaisuus, cOminaisuusFields>;
    static constexpr ClubChanges::Kind ChangeKind = ClubChanges::Kind::Contracts;
    bool readRow(qint64 id);
    void writeRow(bool force);
    void deleteRow();
    void resetExtras() { m_def = Definition{}; }

    struct Definition {
        QString nimi;
        QString kuvaus;
        bool date = false;
        bool number = false;
        bool currency = false;
        bool memo = false;
    };

    Definition m_def;
};

} // namespace tikkeli
