#include "db/DateText.h"

#include <cstdio>

namespace tikkeli {

namespace {

template <typename Ch>
bool parseIso(const Ch* s, int n, QDate& d, QTime& t)
{
    auto digits = [&](int at, int count, int& out) {
        if (at + count > n)
            return false;
        int v = 0;
        for (int k = 0; k < count; ++k) {
            const auto c = s[at + k];
            if (c < '0' || c > '9')
                return false;
            v = v * 10 + int(c - '0');
        }
        out = v;
        return true;
    };
    int y, mo, da;
    if (n < 10 || !digits(0, 4, y) || s[4] != '-' || !digits(5, 2, mo) || s[7] != '-' || !digits(8, 2, da))
        return false;
    QDate date(y, mo, da);
    if (!date.isValid())
        return false;
    int h = 0, mi = 0, se = 0, ms = 0;
    if (n > 10) {
        if ((s[10] != ' ' && s[10] != 'T') || !digits(11, 2, h) || n < 16 || s[13] != ':' || !digits(14, 2, mi))
            return false;
        int at = 16;
        if (n > 16) {
            if (s[16] != ':' || !digits(17, 2, se))
                return false;
            at = 19;
            if (n > 19 && s[19] == '.') {
                int k = 20, scale = 100;
                while (k < n && s[k] >= '0' && s[k] <= '9') {
                    ms += int(s[k] - '0') * scale;
                    scale /= 10;
                    ++k;
                }
                at = k;
            }
        }
        if (at != n)
            return false;
    }
    QTime time(h, mi, se, ms);
    if (!time.isValid())
        return false;
    d = date;
    t = time;
    return true;
}

} // namespace

QString DateText::format(const QDate& d, const QTime& t)
{
    return QString::fromLatin1(formatUtf8(d, t));
}

QByteArray DateText::formatUtf8(const QDate& d, const QTime& t)
{
    char buf[40];
    const QTime time = t.isValid() ? t : QTime(0, 0);
    const int n = std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", d.year(), d.month(), d.day(),
                                time.hour(), time.minute(), time.second());
    return QByteArray(buf, n);
}

bool DateText::parse(QStringView text, QDate& d, QTime& t)
{
    return parseIso(text.utf16(), int(text.size()), d, t);
}

bool DateText::parseUtf8(const char* text, int length, QDate& d, QTime& t)
{
    return parseIso(text, length, d, t);
}

} // namespace tikkeli
