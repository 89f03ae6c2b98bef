#include "members/FeatureValueText.h"

#include "base/DateInput.h"
#include "base/NullConversions.h"

#include <cmath>
#include <limits>

namespace tikkeli {

QString FeatureValueText::fieldName(Kind kind)
{
    switch (kind) {
    case Kind::Date: return QStringLiteral("Päivämäärä");
    case Kind::Long: return QStringLiteral("Luku");
    case Kind::Currency: return QStringLiteral("Arvo");
    case Kind::Memo: return QStringLiteral("Muistio");
    }
    return {};
}

int FeatureValueText::maxLength(Kind kind)
{
    switch (kind) {
    case Kind::Date: return 19;     // "31.12.2024 23:59:59"
    case Kind::Long: return 14;     // "-2 147 483 648"
    case Kind::Currency: return 26; // the currency range with group blanks and two decimals
    case Kind::Memo: return 65535;
    }
    return 0;
}

FeatureValueText::Reading FeatureValueText::read(Kind kind, const QString& text)
{
    Reading r;
    if (text.isEmpty())
        return r;
    const QString name = fieldName(kind);
    if (text.size() > maxLength(kind)) {
        r.refusal = QStringLiteral("%1 on liian pitkä: enintään %2 merkkiä.").arg(name).arg(maxLength(kind));
        return r;
    }
    switch (kind) {
    case Kind::Date: {
        // A time typed with the date stays with it, as on the member's features tab.
        const auto d = ReadDateTime(text);
        if (d)
            r.value = Value(*d);
        else
            r.refusal = QStringLiteral("%1 ei kelpaa: \"%2\". Kirjoita päivämäärä muodossa pp.kk.vvvv.").arg(name, text);
        break;
    }
    case Kind::Long: {
        const auto n = ParseLocaleNumber(text);
        const bool whole = n && std::isfinite(*n) && std::trunc(*n) == *n && *n >= double(std::numeric_limits<qint32>::min())
                           && *n <= double(std::numeric_limits<qint32>::max());
        if (whole)
            r.value = Value(qint32(*n));
        else
            r.refusal = QStringLiteral("%1 ei kelpaa: \"%2\". Kirjoita kokonaisluku väliltä -2147483648...2147483647 "
                                       "ilman desimaaleja.")
                            .arg(name, text);
        break;
    }
    case Kind::Currency: {
        const auto a = ParseLocaleCurrency(text);
        if (a)
            r.value = Value(*a);
        else
            r.refusal = QStringLiteral("%1 ei kelpaa: \"%2\". Kirjoita rahamäärä, esimerkiksi 12,50.").arg(name, text);
        break;
    }
    case Kind::Memo: r.value = Value(text); break;
    }
    return r;
}

QString FeatureValueText::normalized(Kind kind, const QString& text)
{
    if (kind != Kind::Date)
        return text;
    const Reading r = read(kind, text);
    return r.ok() && !r.value.isNull() ? NullToString(r.value) : text;
}

} // namespace tikkeli
