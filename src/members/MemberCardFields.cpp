#include "members/MemberCardFields.h"

#include "base/NullConversions.h"

#include <QLocale>

namespace tikkeli {

const QStringList& MemberCardFields::textFields()
{
    static const QStringList f = {
        QStringLiteral("jrJasennumero"), QStringLiteral("jrSukunimi"), QStringLiteral("jrEtunimi"),
        QStringLiteral("jrOsoite"), QStringLiteral("jrPostinumero"), QStringLiteral("jrPostitoimipaikka"),
        QStringLiteral("jrPuhelin"), QStringLiteral("jrMatkapuhelin"), QStringLiteral("jrEmail"),
        QStringLiteral("jrViitenumero"), QStringLiteral("jrTitteli"), QStringLiteral("jrSyntyma"),
        QStringLiteral("jrLiittyma")};
    return f;
}

const QStringList& MemberCardFields::labels()
{
    static const QStringList l = {
        QStringLiteral("Jäsennumero:"), QStringLiteral("Sukunimi:"), QStringLiteral("Etunimi:"),
        QStringLiteral("Osoite:"), QStringLiteral("Postiosoite:"), QString(), QStringLiteral("Puhelin:"),
        QStringLiteral("Matkapuhelin:"), QStringLiteral("Email:"), QStringLiteral("Viitenumero:"),
        QStringLiteral("Titteli:"), QStringLiteral("Syntymäpäivä:"), QStringLiteral("Liittymispäivä:")};
    return l;
}

const QStringList& MemberCardFields::checkFields()
{
    static const QStringList f = {QStringLiteral("jrEmailLasku"), QStringLiteral("jrJasenmaksu"),
                                  QStringLiteral("jrMaanomistaja")};
    return f;
}

int MemberCardFields::maxLength(int index)
{
    switch (index) {
    case 0: return 10;
    case 4: return 5;
    case 9: return 30;
    case 10:
    case 11:
    case 12: return 50;
    default: return 0;
    }
}

QString MemberCardFields::textOf(int index, const Value& value)
{
    if (isDate(index) && !value.isNull())
        return QLocale().toString(value.toDate(), QLocale::ShortFormat);
    return NullToString(value);
}

Value MemberCardFields::valueOf(int index, const QString& text)
{
    if (text.isEmpty())
        return Value();
    if (isDate(index)) {
        const auto date = ParseLocaleDate(text);
        return date ? Value(date->date()) : Value();
    }
    return Value(text);
}

QString MemberCardFields::normalisedDateText(const QString& text, bool* valid)
{
    *valid = true;
    if (text.isEmpty())
        return text;
    const auto date = ParseLocaleDate(text);
    if (!date) {
        *valid = false;
        return QString();
    }
    return QLocale().toString(date->date(), QLocale::ShortFormat);
}

bool MemberCardFields::surnameNeedsLetter(const QString& text)
{
    return !text.isEmpty() && text.left(1).toUpper().at(0).unicode() < u'A';
}

} // namespace tikkeli
