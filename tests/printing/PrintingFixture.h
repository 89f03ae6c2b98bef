#pragma once

#include "db/Database.h"
#include "printing/ReportEngine.h"
#include "base/SharedState.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tikkeli::test {

// A club database with the tables the reports read, and a folder for report files of the tests.
class PrintingFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_dbPath = m_dir.filePath(QStringLiteral("klubi.mdb"));
        Database db = Database::create(m_dbPath);
        db.executeScript(QStringLiteral(R"(
CREATE TABLE vs (vsID INTEGER PRIMARY KEY AUTOINCREMENT, vsNimi VARCHAR(50), vsOsoite VARCHAR(50),
  vsPostinumero VARCHAR(5), vsPostitoimipaikka VARCHAR(50), vsPuhelinnumero VARCHAR(50), vsVastike TINYINT,
  vsVastikeVuosi DECIMAL(19,4), vsVastikeVuosiErapaiva DATETIME, vsMukaan BOOLEAN, vsSopimusNo VARCHAR(30),
  BackupRow BOOLEAN NOT NULL DEFAULT 0);
CREATE TABLE jr (jrID INTEGER PRIMARY KEY AUTOINCREMENT, jrJasennumero VARCHAR(10), jrSukunimi VARCHAR(50),
  jrEtunimi VARCHAR(50), jrPostinumero VARCHAR(5), jrSyntyma DATETIME, jrMukaan BOOLEAN NOT NULL DEFAULT 0);
CREATE TABLE pi (piID INTEGER PRIMARY KEY AUTOINCREMENT, piNimi VARCHAR(50), piKuvaus TEXT,
  piEnbldDate BOOLEAN NOT NULL DEFAULT 0, piEnbldLong BOOLEAN NOT NULL DEFAULT 0,
  piEnbldCurrency BOOLEAN NOT NULL DEFAULT 0, piEnbldMemo BOOLEAN NOT NULL DEFAULT 0, piDate DATETIME,
  piLong INTEGER, piCurrency DECIMAL(19,4), piMemo TEXT, piType TINYINT, BackupRow BOOLEAN NOT NULL DEFAULT 0);
CREATE TABLE mt (mtID INTEGER PRIMARY KEY AUTOINCREMENT, mtvsID INTEGER, mtpiID INTEGER, mtValDate DATETIME,
  mtValLong INTEGER, mtValCurrency DECIMAL(19,4));
CREATE TABLE jmhist (jmhID INTEGER PRIMARY KEY AUTOINCREMENT, jmhjmLaskunumero INTEGER, jmhjmjrID INTEGER,
  jmhjmLaskJasennumero VARCHAR(10), jmhjmViitenumero VARCHAR(50), jmhjmLaskupaiva DATETIME, jmhjmErapaiva DATETIME,
  jmhjmHinta DECIMAL(19,4), jmhjmMaksettu BOOLEAN NOT NULL DEFAULT 0, jmhjmMuistutusNumero INTEGER,
  jmhTulosta BOOLEAN NOT NULL DEFAULT 0);
)"));
        const QString vs = QStringLiteral(
            "INSERT INTO vs (vsNimi, vsOsoite, vsPostinumero, vsPostitoimipaikka, vsPuhelinnumero, vsVastike, "
            "vsVastikeVuosi, vsVastikeVuosiErapaiva, vsMukaan, vsSopimusNo) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        db.execute(vs, {"Aho Antti", "Kuusitie 1", "00100", "HELSINKI", "040-111", 2, Currency::fromRaw(1005000),
                        QDate(2024, 3, 15), 1, "S-1"});
        db.execute(vs, {"O'Brien Olli", "Mäntytie 2", "00990", "HELSINKI", Value(), 3, Currency::fromRaw(502500), Value(),
                        -1, "S-2"});
        db.execute(vs, {"Öhman Örjan", Value(), "33100", "TAMPERE", "050-333", 1, Value(), Value(), 0, "S-3"});
        db.execute(vs, {"Björk Bea", "Koivukuja 4", "90100", "OULU", Value(), 2, Currency::fromUnits(200),
                        QDate(2023, 12, 1), Value(), "S-4"});
        db.execute(vs, {"Ääritalo Äijä", "Pajutie 5", "00100", "HELSINKI", Value(), 4, Value(), Value(), 0, "S-5"});

        const QString jr = QStringLiteral("INSERT INTO jr (jrJasennumero, jrSukunimi, jrEtunimi, jrPostinumero, jrSyntyma, "
                                          "jrMukaan) VALUES (?, ?, ?, ?, ?, ?)");
        db.execute(jr, {"1", "Aho", "Antti", "00100", QDate(1975, 5, 1), true});
        db.execute(jr, {"2", "Virtanen", "Ville", "00990", QDate(1980, 12, 31), false});
        db.execute(jr, {"3", "Mäki", "Maija", "33100", QDate(1990, 1, 1), true});
        db.execute(jr, {"4", "Lahti", "Lauri", "00200", Value(), false});

        const QString pi = QStringLiteral(
            "INSERT INTO pi (piNimi, piKuvaus, piEnbldDate, piEnbldLong, piEnbldCurrency, piEnbldMemo, piDate, piLong, "
            "piCurrency, piMemo, piType) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        db.execute(pi, {"Ampumakoe", "Hirven ampumakoe suoritettu", true, false, false, false, QDate(2024, 1, 1), Value(),
                        Value(), Value(), 1});
        db.execute(pi, {"Hirvi", "Sopimus koskee hirveä", false, true, false, false, Value(), 3, Value(), Value(), 2});
        db.execute(pi,
                   {"Jahtivuoro", Value(), false, false, true, true, Value(), Value(), Currency::fromUnits(15), "aamu", 1});
        db.execute(QStringLiteral("INSERT INTO mt (mtvsID, mtpiID, mtValLong) VALUES (1, 2, 7), (4, 2, 9), (2, 3, 1)"));

        const QString jm = QStringLiteral(
            "INSERT INTO jmhist (jmhjmLaskunumero, jmhjmjrID, jmhjmLaskJasennumero, jmhjmViitenumero, jmhjmLaskupaiva, "
            "jmhjmErapaiva, jmhjmHinta, jmhjmMaksettu, jmhjmMuistutusNumero) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
        db.execute(jm, {1002, 2, "2", "10027", QDate(2024, 2, 1), QDate(2024, 2, 29), Currency::fromRaw(255000), false, 1});
        db.execute(jm, {1001, 1, "1", "10014", QDate(2024, 2, 1), QDate(2024, 2, 29), Currency::fromRaw(255000), true, 0});
        db.execute(jm, {1003, 3, "3", "10030", QDate(2024, 2, 1), QDate(2024, 2, 29), Currency::fromRaw(1000050), false, 0});
        db.close();

        State() = SharedState{};
        State().DatabasePath = m_dbPath;
    }

    void TearDown() override { State() = SharedState{}; }

    QString writeReport(const QString& name, const QByteArray& json)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(json);
        return path;
    }

    // An engine pointed at the fixture database and a report file.
    ReportEngine engineFor(const QString& reportPath)
    {
        ReportEngine e;
        e.ReportFileName = reportPath;
        e.setDataFiles(0, m_dbPath);
        return e;
    }

    static QString shippedReport(const QString& name) { return QStringLiteral(TIKKELI_SOURCE_DIR "/reports/") + name; }

    QTemporaryDir m_dir;
    QString m_dbPath;
};

} // namespace tikkeli::test
