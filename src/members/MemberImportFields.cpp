#include "members/MemberImportFields.h"

#include "base/DateInput.h"

namespace tikkeli {

namespace {

struct FieldEntry {
    const char16_t* entry;
    const char* field;
    int width; // 0: a date
};

constexpr FieldEntry kFields[MemberImportFields::Count] = {
    {u"[Ei tuoda]", "", 0},
    {u"Etunimi", "jrEtunimi", 50},
    {u"Sukunimi", "jrSukunimi", 50},
    {u"Osoite", "jrOsoite", 50},
    {u"Postinumero", "jrPostinumero", 5},
    {u"Postitoimipaikka", "jrPostitoimipaikka", 50},
    {u"Puhelinnumero", "jrPuhelin", 30},
    {u"Matkapuhelin", "jrMatkapuhelin", 30},
    {u"Email", "jrEmail", 50},
    {u"Titteli", "jrTitteli", 50},
    {u"Syntymäpäivä", "jrSyntyma", 0},
    {u"Liittymispäivä", "jrLiittyma", 0},
    {u"Jäsennumero", "jrJasennumero", 10},
};

// The first width characters; a character outside the basic plane is never cut in half.
QString firstCharacters(const QString& text, int width)
{
    qsizetype units = 0;
    for (int chars = 0; chars < width && units < text.size(); ++chars)
        units += (text[units].isHighSurrogate() && units + 1 < text.size()) ? 2 : 1;
    return text.left(units);
}

} // namespace

const QStringList& MemberImportFields::entries()
{
    static const QStringList list = [] {
        QStringList l;
        for (const FieldEntry& f : kFields)
            l.append(QString::fromUtf16(f.entry));
        return l;
    }();
    return list;
}

QString MemberImportFields::fieldName(int code)
{
    if (code <= NotImported || code >= Count)
        return {};
    return QString::fromLatin1(kFields[code].field);
}

Value MemberImportFields::FitValue(int code, const QString& text)
{
    return Fit(code, text).value;
}

MemberImportFields::Fitted MemberImportFields::Fit(int code, const QString& text)
{
    if (code <= NotImported || code >= Count || text.isEmpty())
        return {};
    const FieldEntry& f = kFields[code];
    if (f.width == 0) {
        const auto date = ReadDate(text);
        return {date ? Value(*date) : Value(), false};
    }
    const QString kept = firstCharacters(text, f.width);
    return {Value(kept), kept.size() < text.size()};
}

} // namespace tikkeli
