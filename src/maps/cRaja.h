#pragma once

#include "db/RecordObject.h"

namespace tikkeli {

// The fields of an rj row.
struct cRajaFields {
    qint64 tlId = 0;
    qint32 orderId = 0;
    float x = 0.0f;
    float y = 0.0f;
    bool mukaan = false;
};

// One corner of an estate's boundary: a row of rj, its position in map twips (maps/MapUnits.h).
// A record object like cTila (dirty flag, IsEmpty, snapshot and Undo, Read/Save/Delete), except
// that a point has no release step: one dropped with unsaved changes writes nothing. The owners
// store a new point at once and only ever add and delete points.
//
// An unopened database handle means "no file": Read, Save and Delete then need one and throw.
class cRaja : public RecordObject<cRaja, cRajaFields> {
public:
    cRaja() = default;
    explicit cRaja(const Database& db) : RecordObject(db) {}
    // A point as read from its row elsewhere (the boundary cache, a collection's query), clean.
    cRaja(const Database& db, qint64 id, const cRajaFields& fields);

    // Points are never stored on release.
    bool Release() = delete;

    // The view's line drawn from the previous point to this one; -1 for none. Never stored, and
    // kept by Read, Save and Undo; only a reset (Delete, a Read that finds nothing) clears it.
    int LineNumber() const { return m_lineNumber; }
    void setLineNumber(int line) { m_lineNumber = line; }

    qint64 TlId() const { return shown(m_f.tlId); }
    void setTlId(qint64 v) { assignField(m_f.tlId, v); }
    qint32 OrderID() const { return shown(m_f.orderId); }
    void setOrderID(qint32 v) { assignField(m_f.orderId, v); }
    float X() const { return shown(m_f.x); }
    void setX(float v) { assignField(m_f.x, v); }
    float Y() const { return shown(m_f.y); }
    void setY(float v) { assignField(m_f.y, v); }
    bool Mukaan() const { return shown(m_f.mukaan); }
    void setMukaan(bool v) { assignField(m_f.mukaan, v); }

private:
    friend class RecordObject<cRaja, cRajaFields>;
    static constexpr ClubChanges::Kind ChangeKind = ClubChanges::Kind::Boundaries;
    bool readRow(qint64 id);
    void writeRow(bool force);
    void deleteRow();
    void resetExtras() { m_lineNumber = -1; }

    int m_lineNumber = -1;
};

} // namespace tikkeli
