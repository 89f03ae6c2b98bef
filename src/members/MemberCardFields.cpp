#include "members/MemberCardFields.h"

#include "base/DateInput.h"
#include "base/NullConversions.h"
#include "db/Schema.h"

#include <QLocale>

namespace tikkeli {

const QStringList& MemberCardFields::textFields()
{
    static const QStringList f = {
        QStringLiteral("jrJasennumero"), QStringLiteral("jrSukunimi"),     QStringLiteral("jrEtunimi"),
        QStringLiteral("jrOsoite"),      QStringLiteral("jrPostinumero"),  QStringLiteral("jrPostitoimipaikka"),
        QStringLiteral("jrPuhelin"),     QStringLiteral("jrMatkapuhelin"), QStringLiteral("jrEmail"),
        QStringLiteral("jrViitenumero"), QStringLiteral("jrTitteli"),      QStringLiteral("jrSyntyma"),
        QStringLiteral("jrLiittyma")};
    return f;
}

const QStringList& MemberCardFields::labels()
{
    static const QStringList l = {
        QStringLiteral("Jäsennumero:"),   QStringLiteral("Sukunimi:"),     QStringLiteral("Etunimi:"),
        QStringLiteral("Osoite:"),        QStringLiteral("Postiosoite:"),  QString(),
        QStringLiteral("Puhelin:"),       QStringLiteral("Matkapuhelin:"), QStringLiteral("Email:"),
        QStringLiteral("Viitenumero:"),   QStringLiteral("Titteli:"),      QStringLiteral("Syntymäpäivä:"),
        QStringLiteral("Liittymispäivä:")};
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
    if (isDate(index) || index < 0 || index >= Count)
        return 0;
    const TableDef* table = Schema::table(QStringLiteral("jr"));
    const FieldDef* field = table ? table->field(textFields()[index]) : nullptr;
    return field ? field->size : 0;
}

QString MemberCardFields::caption(int index)
{
    if (index == 5)
        return QStringLiteral("Postitoimipaikka");
    QString text = labels().value(index);
    if (text.endsWith(u':'))
        text.chop(1);
    return text;
}

QString MemberCardFields::textOf(int index, const Value& value)
{
    if (isDate(index) && !value.isNull())
        return QLocale().toString(value.toDate(), QLocale::ShortFormat);
    return NullToString(value);
}

std::optional<Value> MemberCardFields::valueOf(int index, const QString& text)
{
    if (text.isEmpty())
        return Value();
    if (isDate(index)) {
        const auto date = ReadDate(text);
        if (!date)
            return std::nullopt;
        return Value(*date);
    }
    return Value(text);
}

std::optional<QString> MemberCardFields::normalisedDateText(const QString& text)
{
    if (text.isEmpty())
        return text;
    const auto date = ReadDate(text);
    if (!date)
        return std::nullopt;
    return QLocale().toString(*date, QLocale::ShortFormat);
}

QString MemberCardFields::notADateMessage(int index, const QString& text)
{
    return caption(index) + QStringLiteral(": \"") + text
           + QStringLiteral("\" ei ole päivämäärä. Kirjoita päivämäärä muodossa p.k.vvvv.");
}

QString MemberCardFields::refusalMessage(const QString& databaseText)
{
    const QStringList& fields = textFields();
    for (int i = 0; i < Count; ++i) {
        if (!databaseText.contains(QStringLiteral("(") + fields[i] + QStringLiteral(")")))
            continue;
        return QStringLiteral("Kentän \"") + caption(i) + QStringLiteral("\" arvo on liian pitkä (enintään ")
               + QString::number(maxLength(i)) + QStringLiteral(" merkkiä).");
    }
    return QString();
}

bool MemberCardFields::surnameNeedsLetter(const QString& text)
{
    return !text.isEmpty() && text.left(1).toUpper().at(0).unicode() < u'A';
}

} // namespace tikkeli
