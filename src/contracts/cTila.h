#pragma once

#include "db/RecordObject.h"

#include <QString>

namespace tikkeli {

// The fields of a tl row.
struct cTilaFields {
    qint64 vsId = 0;
    QString kunta;
    qint16 kuntaNo = 0;
    QString kyla;
    qint16 kylaNo = 0;
    qint16 taloNo = 0;
    QString tila;
    qint16 tilaNo = 0;
    double pintaAla = 0.0;
    QString rekNo;
};

// One estate of a lease contract: a row of tl. Assignments that change a value make the record
// dirty; Save stores it (a new row the first time), Undo returns to the values of the last Read
// or Save. While IsEmpty is set the record is inert: Read, Save and Delete do nothing and report
// false, and the fields read as "" and 0.
//
// Nothing is stored from the destructor: an owner that lets a record go calls Release(), which
// stores pending changes unless the record is empty. Delete also takes the estate's boundary
// points (rj), in one transaction with the estate's row.
class cTila : public RecordObject<cTila, cTilaFields> {
public:
    static constexpr int TextWidth = 50;

    cTila() = default;
    explicit cTila(const Database& db) : RecordObject(db) {}

    qint64 vsId() const { return m_empty ? 0 : m_f.vsId; }
    void setVsId(qint64 v) { assignField(m_f.vsId, v); }
    QString Kunta() const { return m_empty ? QString() : m_f.kunta; }
    void setKunta(const QString& v);
    qint16 KuntaNo() const { return m_empty ? 0 : m_f.kuntaNo; }
    void setKuntaNo(qint16 v) { assignField(m_f.kuntaNo, v); }
    QString Kyla() const { return m_empty ? QString() : m_f.kyla; }
    void setKyla(const QString& v);
    qint16 KylaNo() const { return m_empty ? 0 : m_f.kylaNo; }
    void setKylaNo(qint16 v) { assignField(m_f.kylaNo, v); }
    qint16 TaloNo() const { return m_empty ? 0 : m_f.taloNo; }
    void setTaloNo(qint16 v) { assignField(m_f.taloNo, v); }
    QString Tila() const { return m_empty ? QString() : m_f.tila; }
    void setTila(const QString& v);
    qint16 TilaNo() const { return m_empty ? 0 : m_f.tilaNo; }
    void setTilaNo(qint16 v) { assignField(m_f.tilaNo, v); }
    double PintaAla() const { return m_empty ? 0.0 : m_f.pintaAla; }
    void setPintaAla(double v) { assignField(m_f.pintaAla, v); }
    // The register number as stored or typed. Save composes it as "house:estate" from TaloNo and
    // TilaNo only when those were changed (and are not both 0) and no number was typed here, so a
    // register number typed elsewhere is never replaced by "0:0".
    QString RekNo() const { return m_empty ? QString() : m_f.rekNo; }
    void setRekNo(const QString& v);
    // The register number Save writes.
    QString rekNoToStore() const;

    // Deletes an estate with its boundary points in one transaction.
    static void DeleteEstate(Database& db, qint64 id);

private:
    friend class RecordObject<cTila, cTilaFields>;
    static constexpr ClubChanges::Kind ChangeKind = ClubChanges::Kind::Contracts;
    bool readRow(qint64 id);
    void writeRow(bool force);
    void deleteRow();
};

} // namespace tikkeli
