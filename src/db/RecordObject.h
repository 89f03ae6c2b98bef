#pragma once

#include "base/Value.h"
#include "db/ClubChanges.h"
#include "db/Database.h"

#include <QDate>
#include <QString>

namespace tikkeli {

namespace record {

// A changed value marks the record dirty; texts are cut to their column's width (0: a memo
// column, never cut); empty texts and missing dates are stored as Null.
template <class T>
void assign(T& held, const T& value, bool& dirty)
{
    if (!(held == value)) {
        held = value;
        dirty = true;
    }
}

inline void assignText(QString& held, const QString& value, int maxLength, bool& dirty)
{
    assign(held, maxLength > 0 ? value.left(maxLength) : value, dirty);
}

inline void assignDate(QDate& held, const QDate& value, bool& dirty)
{
    // Every invalid date is the same "no date".
    assign(held, value.isValid() ? value : QDate(), dirty);
}

inline Value textValue(const QString& text)
{
    return text.isEmpty() ? Value() : Value(text);
}

inline Value dateValue(const QDate& date)
{
    return date.isValid() ? Value(date) : Value();
}

} // namespace record

// What every record object (one row of one table held as typed fields) shares: the database it
// works on, a dirty flag, IsEmpty, the row's key, the fields and a snapshot of them for Undo.
//
// A derived class supplies, as private members the base may call (declare the base a friend):
//   bool readRow(qint64 id)  loads the row into m_id and m_f; false when there is none
//   void writeRow(bool force) stores m_f (a new row while m_id is 0, setting m_id)
//   void deleteRow()          deletes the row of m_id
// and a static constexpr ClubChanges::Kind ChangeKind, the change a stored or deleted row announces,
// and may supply bool hasPendingChanges() const (default: the dirty flag), void resetExtras()
// (what Reset clears beside the fields) and void afterDelete().
//
// While IsEmpty is set the record is inert: Read, Save and Delete report false and touch nothing,
// Undo does nothing. Nothing is stored from the destructor: an owner that lets a record go calls
// Release(), which stores pending changes unless the record is empty.
template <class Derived, class Fields>
class RecordObject {
public:
    void setDatabase(const Database& db) { m_db = db; }
    const Database& database() const { return m_db; }

    bool IsEmpty() const { return m_empty; }
    void setIsEmpty(bool empty) { m_empty = empty; }
    bool isDirty() const { return m_dirty; }
    qint64 id() const { return m_id; }

    // Puts the fields back as the last Read or Save left them; the dirty flag stays.
    void Undo()
    {
        if (!m_empty)
            m_f = m_snapshot;
    }

    // Loads the row; false (the record reset to its defaults) when there is none.
    bool Read(qint64 id)
    {
        if (m_empty)
            return false;
        if (!self().readRow(id)) {
            reset();
            return false;
        }
        takeSnapshot();
        return true;
    }

    // Stores the row when force is set or something changed. Database errors throw DbException.
    bool Save(bool force = false)
    {
        if (m_empty)
            return false;
        if (!force && !self().hasPendingChanges())
            return true;
        self().writeRow(force);
        ClubChanges::announce(m_db, Derived::ChangeKind);
        m_dirty = false;
        takeSnapshot();
        return true;
    }

    // Deletes the row; the record is reset and clean, and a later Save would store a new row.
    bool Delete()
    {
        if (m_empty)
            return false;
        self().deleteRow();
        ClubChanges::announce(m_db, Derived::ChangeKind);
        reset();
        // The row is gone: nothing of it is left to store when the record is released.
        m_dirty = false;
        self().afterDelete();
        return true;
    }

    // What the owner calls instead of dropping the record: stores pending changes.
    bool Release()
    {
        if (m_empty)
            return false;
        return Save(false);
    }

protected:
    RecordObject() = default;
    explicit RecordObject(const Database& db) : m_db(db) {}
    ~RecordObject() = default;
    RecordObject(const RecordObject&) = default;
    RecordObject& operator=(const RecordObject&) = default;

    // Every field and the key to their defaults; the database, IsEmpty and the dirty flag stay.
    void reset()
    {
        m_id = 0;
        m_f = Fields{};
        self().resetExtras();
        takeSnapshot();
    }
    void takeSnapshot()
    {
        if (!m_empty)
            m_snapshot = m_f;
    }

    // A field as it reads from outside: its type's neutral value while the record is empty.
    template <class T>
    T shown(const T& held) const
    {
        return m_empty ? T{} : held;
    }

    template <class T>
    void assignField(T& held, const T& value)
    {
        record::assign(held, value, m_dirty);
    }

    // Defaults of the hooks a derived class may leave out.
    bool hasPendingChanges() const { return m_dirty; }
    void resetExtras() {}
    void afterDelete() {}

    Database m_db;
    bool m_dirty = false;
    bool m_empty = false;
    qint64 m_id = 0;
    Fields m_f;
    Fields m_snapshot;

private:
    Derived& self() { return static_cast<Derived&>(*this); }
    const Derived& self() const { return static_cast<const Derived&>(*this); }
};

} // namespace tikkeli
