#pragma once

#include "db/Database.h"

#include <QString>

namespace tikkeli {

// One estate of a lease contract: a row of tl. Assignments that change a value make the record
// dirty; Save stores it (a new row the first time), Undo returns to the values of the last Read
// or Save. While IsEmpty is set the record is inert: Read, Save and Delete do nothing and report
// false, and the fields read as "" and 0.
//
// Nothing is stored from the destructor: an owner that lets a record go calls Release(), which
// stores pending changes unless the record is empty.
class cTila {
public:
    static constexpr int TextWidth = 50;

    cTila() = default;
    explicit cTila(const Database& db) : m_db(db) {}

    void setDatabase(const Database& db) { m_db = db; }
    const Database& database() const { return m_db; }

    bool IsEmpty() const { return m_empty; }
    void setIsEmpty(bool empty) { m_empty = empty; }
    bool isDirty() const { return m_dirty; }

    void Undo();
    // Loads the row; false (the record reset to its defaults) when there is none.
    bool Read(qint64 id);
    // Deletes the row; the record is reset and clean, and a later Save would store a new row.
    bool Delete();
    // Stores the row when force is set or something changed. Database errors throw DbException.
    bool Save(bool force = false);
    // What the owner calls instead of dropping the record: stores pending changes.
    bool Release();

    qint64 id() const { return m_id; }
    qint64 vsId() const { return m_empty ? 0 : m_f.vsId; }
    void setVsId(qint64 v) { record_assign(m_f.vsId, v); }
    QString Kunta() const { return m_empty ? QString() : m_f.kunta; }
    void setKunta(const QString& v);
    qint16 KuntaNo() const { return m_empty ? 0 : m_f.kuntaNo; }
    void setKuntaNo(qint16 v) { record_assign(m_f.kuntaNo, v); }
    QString Kyla() const { return m_empty ? QString() : m_f.kyla; }
    void setKyla(const QString& v);
    qint16 KylaNo() const { return m_empty ? 0 : m_f.kylaNo; }
    void setKylaNo(qint16 v) { record_assign(m_f.kylaNo, v); }
    qint16 TaloNo() const { return m_empty ? 0 : m_f.taloNo; }
    void setTaloNo(qint16 v) { record_assign(m_f.taloNo, v); }
    QString Tila() const { return m_empty ? QString() : m_f.tila; }
    void setTila(const QString& v);
    qint16 TilaNo() const { return m_empty ? 0 : m_f.tilaNo; }
    void setTilaNo(qint16 v) { record_assign(m_f.tilaNo, v); }
    double PintaAla() const { return m_empty ? 0.0 : m_f.pintaAla; }
    void setPintaAla(double v) { record_assign(m_f.pintaAla, v); }
    // The register number as stored or typed. Save composes it as "house:estate" from TaloNo and
    // TilaNo only when those were changed (and are not both 0) and no number was typed here, so a
    // register number typed elsewhere is never replaced by "0:0".
    QString RekNo() const { return m_empty ? QString() : m_f.rekNo; }
    void setRekNo(const QString& v);
    // The register number Save writes.
    QString rekNoToStore() const;

private:
    template <class T>
    void record_assign(T& held, const T& value)
    {
        if (!(held == value)) {
            held = value;
            m_dirty = true;
        }
    }
    void reset();
    void takeSnapshot();

    struct Fields {
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

    Database m_db;
    bool m_dirty = false;
    bool m_empty = false;
    qint64 m_id = 0;
    Fields m_f;
    Fields m_snapshot;
};

} // namespace tikkeli
