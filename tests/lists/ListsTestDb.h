#pragma once

#include "members/MemberTestDb.h"

#include "base/Currency.h"
#include "db/Recordset.h"
#include "members/MemberCriteria.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <map>

namespace tikkeli::test {

// A small club for the member outputs: six members whose features, fee, owner type, dates and
// postcodes cover every criterion, two of them with an apostrophe or a Finnish letter in the name.
class ListsTestDb : public MemberTestDb {
public:
    ListsTestDb()
    {
        A = feature(QStringLiteral("Ampuma-koe"));
        B = feature(QStringLiteral("Hirviporukka"));
        C = feature(QStringLiteral("Äänestäjä"));
        const auto d = [](int y, int m, int day) { return Value(QDate(y, m, day)); };
        add("Aho", "Antti", "0007", true, false, d(1950, 3, 1), d(2000, 1, 1), "00100");
        add("Björk", "Åsa", "0012", false, true, d(1990, 12, 31), Value(), "00990");
        add("Coll'", "Öijä", "0100", true, true, Value(), d(2010, 6, 15), "00991");
        add("Ö'Brien", "Pat", "0200", true, false, d(1960, 1, 1), d(2001, 1, 1), "0050A");
        add("Eerola", Value(), "0300", false, false, d(1975, 7, 7), d(2020, 2, 2), Value());
        add("Fager", "Frans", "0400", true, false, d(1919, 1, 1), d(1999, 9, 9), "99999");
        value("Aho", A, d(2020, 5, 1), 5, Currency::parse(QStringLiteral("12,50")));
        value("Aho", B);
        value("Björk", A, d(1985, 6, 1), 10, Currency::fromUnits(7));
        value("Björk", C);
        value("Coll'", B);
        value("Coll'", C);
        value("Ö'Brien", A);
        value("Ö'Brien", B);
        value("Ö'Brien", C);
        value("Fager", A, Value(), 1);
        value("Fager", A, Value(), 20);
        // A value that belongs to nobody: "EI" must still select the members without the feature.
        db.execute(QStringLiteral("INSERT INTO pt (ptjrID, ptpiID) VALUES (NULL, ?)"), {Value(A)});
    }

    void add(const char* surname, const Value& firstName, const char* number, bool fee, bool owner, const Value& birth,
             const Value& joined, const Value& postcode)
    {
        db.execute(QStringLiteral("INSERT INTO jr (jrSukunimi, jrEtunimi, jrJasennumero, jrJasenmaksu, jrMaanomistaja, "
                                  "jrSyntyma, jrLiittyma, jrPostinumero, jrOsoite, jrPostitoimipaikka) "
                                  "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                   {Value(QString::fromUtf8(surname)), firstName, Value(QString::fromUtf8(number)), Value(fee), Value(owner),
                    birth, joined, postcode, Value(QStringLiteral("Kyläntie ") + QString::number(ids.size() + 1)),
                    Value(QStringLiteral("Äänekoski"))});
        ids[QString::fromUtf8(surname)] = db.lastInsertId();
    }

    void value(const char* surname, qint64 featureId, const Value& date = Value(), const Value& number = Value(),
               std::optional<Currency> money = std::nullopt)
    {
        db.execute(
            QStringLiteral("INSERT INTO pt (ptjrID, ptpiID, ptValDate, ptValLong, ptValCurrency) "
                           "VALUES (?, ?, ?, ?, ?)"),
            {Value(ids.at(QString::fromUtf8(surname))), Value(featureId), date, number, money ? Value(*money) : Value()});
    }

    // The member output report files of the build, in the installation's program folder.
    void stageReports() const
    {
        const QString folder = env.programFolder() + QStringLiteral("/reports/");
        QDir().mkpath(folder);
        for (const char* file :
             {"jrluetlo.rpt", "jrlomins.rpt", "jrlaajlu.rpt", "jrosoite.rpt", "jrosoitt.rpt", "jmmakhis.rpt"})
            QFile::copy(QStringLiteral(TIKKELI_PROGRAM_DIR "/reports/") + QLatin1String(file), folder + QLatin1String(file));
    }

    // The surnames of the members whose jrMukaan is set, in the order they were added.
    QStringList selected()
    {
        QStringList names;
        Recordset rs = db.openRecordset(QStringLiteral("SELECT jrSukunimi FROM jr WHERE jrMukaan <> 0 ORDER BY jrID"),
                                        RecordsetType::Snapshot);
        for (; !rs.eof(); rs.moveNext())
            names << rs.field(0).toString();
        return names;
    }

    QStringList all() const
    {
        return {QStringLiteral("Aho"),     QStringLiteral("Björk"),  QStringLiteral("Coll'"),
                QStringLiteral("Ö'Brien"), QStringLiteral("Eerola"), QStringLiteral("Fager")};
    }

    qint64 A = 0, B = 0, C = 0;
    std::map<QString, qint64> ids;
};

// Criteria that select everyone: no feature, fee and owner type of no matter.
inline MemberCriteria NoCriteria()
{
    MemberCriteria c;
    c.JasenmaksuValinta = 2;
    c.OmistajaValinta = 2;
    c.OminaisuudetJa = true;
    return c;
}

} // namespace tikkeli::test
