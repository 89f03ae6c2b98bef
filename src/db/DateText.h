#pragma once

#include <QDate>
#include <QString>
#include <QTime>

namespace tikkeli {

// The stored form of dates: ISO text "YYYY-MM-DD HH:MM:SS" (19 characters). Reading also accepts
// a bare date, a 'T' separator and fractional seconds, as other tools may write them.
class DateText {
public:
    static QString format(const QDate& d, const QTime& t);
    static QByteArray formatUtf8(const QDate& d, const QTime& t);
    static bool parse(QStringView text, QDate& d, QTime& t);
    static bool parseUtf8(const char* text, int length, QDate& d, QTime& t);
};

} // namespace tikkeli
