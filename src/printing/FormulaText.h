#pragma once

#include <QString>
#include <QtGlobal>

namespace tikkeli {

// Pieces of the texts a print hands the report control, built so that a value typed by a user
// stays data: it can never close a quote and turn into formula syntax.
namespace FormulaText {

// A text as a selection-formula string literal: in double quotes, a quote doubled.
QString string(const QString& text);
// A named formula "Name= 'value'"; the report takes the value between the first and the last
// single quote, so an apostrophe in the value survives.
QString named(const QString& name, const QString& value);
// The comparison of the criteria dialogs' operator codes: 0 "<", 1 "=", 2 (and any other) ">".
QString comparison(qint16 code);

} // namespace FormulaText

} // namespace tikkeli
