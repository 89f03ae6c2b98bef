#include "invoicing/HistoryRange.h"

#include <QStringList>

namespace tikkeli {

namespace {

// A range end as a number, or nothing for an empty or non-numeric text.
bool rangeNumber(const QString& text, qint64& out)
{
    bool ok = false;
    out = text.trimmed().toLongLong(&ok);
    return ok;
}

} // namespace

QString HistoryRange::sqlCondition(Params& params, bool withKind) const
{
    QStringList parts;
    qint64 n = 0;
    if (rangeNumber(LaskunroAlku, n)) {
        parts << QStringLiteral("jmhjmLaskunumero >= ?");
        params.push_back(Value(n));
    }
    if (rangeNumber(LaskunroLoppu, n)) {
        parts << QStringLiteral("jmhjmLaskunumero <= ?");
        params.push_back(Value(n));
    }
    if (LaskunTila == 1)
        parts << QStringLiteral("jmhjmMaksettu = True");
    else if (LaskunTila == 2)
        parts << QStringLiteral("jmhjmMaksettu = False");
    if (withKind && LaskunLaji == 1)
        parts << QStringLiteral("jmhjmJasMak = True");
    else if (withKind && LaskunLaji == 2)
        parts << QStringLiteral("IFNULL(jmhjmJasMak, False) = False");
    return parts.isEmpty() ? QStringLiteral("1") : parts.join(QStringLiteral(" AND "));
}

QString HistoryRange::listSelection(const QString& initial) const
{
    QString s = initial;
    auto add = [&s](const QString& part) { s += (s.isEmpty() ? QString() : QStringLiteral(" and ")) + part; };
    if (LaskunLaji == 1)
        add(QStringLiteral("{jmhist.jmhjmJasMak} = true"));
    else if (LaskunLaji == 2)
        add(QStringLiteral("{jmhist.jmhjmJasMak} = false"));
    if (LaskunTila == 1)
        add(QStringLiteral("{jmhist.jmhjmMaksettu} = true"));
    else if (LaskunTila == 2)
        add(QStringLiteral("{jmhist.jmhjmMaksettu} = false"));
    qint64 n = 0;
    if (rangeNumber(LaskunroAlku, n))
        add(QStringLiteral("{jmhist.jmhjmLaskunumero} >= %1").arg(n));
    if (rangeNumber(LaskunroLoppu, n))
        add(QStringLiteral("{jmhist.jmhjmLaskunumero} <= %1").arg(n));
    return s;
}

QString HistoryRange::listHeading(const QString& title) const
{
    if (title.isEmpty())
        return {};
    QString h = title;
    const QString a = LaskunroAlku.trimmed();
    const QString l = LaskunroLoppu.trimmed();
    if (!a.isEmpty() && !l.isEmpty())
        h += QStringLiteral(": ") + a + QStringLiteral(" - ") + l;
    else if (!l.isEmpty())
        h += QStringLiteral(": - ") + l;
    else if (!a.isEmpty())
        h += QStringLiteral(": ") + a + QStringLiteral(" -");
    static const char* const states[] = {" : Kaikki", " : Maksetut", " : Maksamattomat"};
    static const char* const kinds[] = {" : Kaikki", " : Jäsenmaksut", " : Muut"};
    h += QString::fromUtf8(states[(LaskunTila >= 0 && LaskunTila <= 2) ? LaskunTila : 0]);
    h += QString::fromUtf8(kinds[(LaskunLaji >= 0 && LaskunLaji <= 2) ? LaskunLaji : 0]);
    return h;
}

QString HistoryRange::nothingFoundText() const
{
    // Only an unpaid range may be called unpaid: a range of all or of paid invoices says so.
    const QString which = LaskunTila == 1   ? QStringLiteral("maksettuja ")
                          : LaskunTila == 2 ? QStringLiteral("maksamattomia ")
                                            : QString();
    return QStringLiteral("Ei löydy ") + which + QStringLiteral("laskuja väliltä: ") + LaskunroAlku + QStringLiteral(" - ")
           + LaskunroLoppu;
}

} // namespace tikkeli
