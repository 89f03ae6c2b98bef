#pragma once

#include "base/Value.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>

namespace tikkeli {

// Null-safe conversions of field values: Null gives the default; otherwise the value is converted
// (text read by the Finnish locale: decimal comma, dates d.M.yyyy; fractions rounded half to
// even); a value that does not convert or does not fit gives the default too. None of them
// throws, so a form can fill its boxes from any record. True counts as -1 and False as 0, the
// values stored yes/no fields hold.
std::uint8_t NullToByte(const Value& v, std::uint8_t def = 0);
std::int16_t NullToInteger(const Value& v, std::int16_t def = 0);
std::int32_t NullToLong(const Value& v, std::int32_t def = 0);
double NullToDouble(const Value& v, double def = 0.0);
float NullToSingle(const Value& v, float def = 0.0f);
// A date is returned unchanged, text is read as a Finnish date (d.M.yyyy [H:mm[:ss]], also
// yyyy-MM-dd), a number as a day serial (0 = 30.12.1899).
QDateTime NullToDate(const Value& v, const QDateTime& def = {});
QDate NullToDate(const Value& v, const QDate& def);
Currency NullToCurrency(const Value& v, Currency def = {});
// A number is True when not 0; the texts True/False (also Tosi/Epätosi) are read as such.
bool NullToBoolean(const Value& v, bool def = false);
// The value as text in the Finnish locale: "12,5", "5.3.2024", "5.3.2024 14.30.00", "True".
QString NullToString(const Value& v, const QString& def = {});

// "#m/d/yyyy#" for query texts (no leading zeros, no time); "" for Null or a value that is no date.
QString JetDateLiteral(const Value& v);
QString JetDateLiteral(const QDate& d);

// "000123" → "123", "0" → "", "1020" → "1020"; stops at the first character that is not "0".
QString StripLeadingZeros(const QString& text);

// Number and date reading by the Finnish locale, shared by the conversions and by input fields:
// optional sign, digits with blanks (or no-break spaces) between groups, a decimal comma, an
// optional exponent. A decimal point is not accepted.
std::optional<double> ParseLocaleNumber(const QString& text);
std::optional<Currency> ParseLocaleCurrency(const QString& text);
std::optional<QDateTime> ParseLocaleDate(const QString& text);
// A number as the program shows it to the user: up to 15 significant digits, decimal comma.
QString FormatLocaleNumber(double value);

} // namespace tikkeli
