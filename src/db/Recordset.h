#pragma once

#include "db/Database.h"

#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

namespace tikkeli {

enum class EditMode { None, Edit, Add };
using Bookmark = std::int64_t; // the row's key

// A materialised result set with the record-at-a-time interface the windows were written for.
// Field names are matched without regard to case. Writing (AddNew/Edit/Update/Delete) goes straight
// to the base table by key; a failed Update throws and leaves the edit buffer and mode as they were.
class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(Recordset&&) noexcept;
    Recordset& operator=(Recordset&&) noexcept;

    bool isOpen() const;
    void close();
    void requery();
    // Reads only the rows with these keys again: a row changed in the file shows its stored
    // values, one gone leaves the set, and one the set lacks joins its end (where a requery puts a
    // new row of a table read by name). Only a set opened on a table by its name knows a row of
    // it by key; any other set is read again whole. A pending edit is dropped; the current record
    // stays current while the set holds it, otherwise the first one is.
    void requeryRows(const std::vector<Bookmark>& keys);

    bool eof() const;
    bool bof() const;
    int recordCount() const; // exact, always
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    void move(int rows);
    int absolutePosition() const; // 0-based; -1 at BOF/EOF
    void setAbsolutePosition(int position);

    int fieldCount() const;
    QString fieldName(int index) const;
    QStringList fieldNames() const;
    bool hasField(const QString& name) const;
    // The current record's value (the edit buffer's while editing); 3021 without a current record,
    // 3265 for an unknown field.
    Value field(const QString& name) const;
    Value field(int index) const;
    Value operator[](const QString& name) const { return field(name); }
    void setField(const QString& name, const Value& value);
    // A field of the row with this key as the set holds it (not an edit buffer's), the current
    // record staying where it is; nullopt when the set does not hold the row. 3265 for an
    // unknown field.
    std::optional<Value> fieldOfRow(Bookmark row, const QString& name);

    void addNew();
    void edit();
    void update();
    void cancelUpdate();
    void deleteRecord(); // the record stays current but is gone; move off it
    EditMode editMode() const;
    bool isUpdatable() const;

    // The Find* family: the first/next/previous/last row from the current position matching the
    // predicate becomes current; NoMatch tells whether one was found (the position stays otherwise).
    bool findFirst(const std::function<bool(const Recordset&)>& match);
    bool findNext(const std::function<bool(const Recordset&)>& match);
    bool findPrevious(const std::function<bool(const Recordset&)>& match);
    bool findLast(const std::function<bool(const Recordset&)>& match);
    bool findFirst(const QString& field, const Value& equals);
    bool noMatch() const;

    Bookmark bookmark() const;
    void setBookmark(Bookmark b);
    Bookmark lastModified() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
    friend class Database;
};

} // namespace tikkeli
