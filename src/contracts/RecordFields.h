#pragma once

#include "base/Value.h"

#include <QDate>
#include <QString>

namespace tikkeli::record {

// Helpers the record classes share: a changed value marks the record dirty, texts are cut to
// their column's width, and empty texts and missing dates are stored as Null.

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

} // namespace tikkeli::record
