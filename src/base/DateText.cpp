#include "base/DateText.h"

#include <QRegularExpression>
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
    const int n = std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", d.year(), d.month(), d.day(), time.hour(),
                                time.minute(), time.second());
    return QByteArray(buf, n);
}

bool DateText::parse(QStringView text, QDate& d, QTime& t)
{
    return parseIso(text.utf16(), int(text.size()), d, t);
}

std::optional<QDateTime> DateText::parseWritten(const QString& text, Order order)
{
    static const QRegularExpression dayFirst(
        QStringLiteral(R"(^(\d{1,2})\.(\d{1,2})\.(\d{4}|\d{2})(?:\s+(\d{1,2})[:.](\d{2})(?:[:.](\d{2}))?)?$)"));
    static const QRegularExpression monthFirst(
        QStringLiteral(R"(^(\d{1,2})/(\d{1,2})/(\d{4}|\d{2})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?\s*([AaPp][Mm])?)?$)"));
    static const QRegularExpression iso(
        QStringLiteral(R"(^(\d{4})-(\d{1,2})-(\d{1,2})(?:[ T](\d{1,2}):(\d{2})(?::(\d{2}))?)?$)"));
    static const QRegularExpression timeDot(QStringLiteral(R"(^(\d{1,2})[:.](\d{2})(?:[:.](\d{2}))?$)"));
    static const QRegularExpression timeAmPm(QStringLiteral(R"(^(\d{1,2}):(\d{2})(?::(\d{2}))?\s*([AaPp][Mm])?$)"));

    const QString s = text.trimmed();
    const bool dmy = order == Order::DayMonthYear;
    int y = 1899, mo = 12, d = 30, h = 0, mi = 0, se = 0;
    QString ampm;
    auto num = [](const QRegularExpressionMatch& m, int i) { return m.captured(i).toInt(); };
    QRegularExpressionMatch m;
    if ((m = (dmy ? dayFirst : monthFirst).match(s)).hasMatch()) {
        d = num(m, dmy ? 1 : 2);
        mo = num(m, dmy ? 2 : 1);
        y = num(m, 3);
        if (m.captured(3).size() == 2)
            y += y < 30 ? 2000 : 1900;
        h = num(m, 4);
        mi = num(m, 5);
        se = num(m, 6);
        ampm = dmy ? QString() : m.captured(7);
    } else if ((m = iso.match(s)).hasMatch()) {
        y = num(m, 1);
        mo = num(m, 2);
        d = num(m, 3);
        h = num(m, 4);
        mi = num(m, 5);
        se = num(m, 6);
    } else if ((m = (dmy ? timeDot : timeAmPm).match(s)).hasMatch()) {
        h = num(m, 1);
        mi = num(m, 2);
        se = num(m, 3);
        ampm = dmy ? QString() : m.captured(4);
    } else {
        return std::nullopt;
    }
    if (!ampm.isEmpty()) {
        if (h < 1 || h > 12)
            return std::nullopt;
        h = (h % 12) + (ampm.startsWith(u'p', Qt::CaseInsensitive) ? 12 : 0);
    }
    const QDate date(y, mo, d);
    const QTime time(h, mi, se);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time);
}

bool DateText::parseUtf8(const char* text, int length, QDate& d, QTime& t)
{
    return parseIso(text, length, d, t);
}

} // namespace tikkeli
