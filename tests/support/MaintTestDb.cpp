#include "support/MaintTestDb.h"

#include "backup/BackupRows.h"
#include "db/Database.h"
#include "base/SharedState.h"

#include <QFile>
#include <gtest/gtest.h>

namespace tikkeli::test {

namespace {

const char* const Schema = R"(
CREATE TABLE jr (jrID INTEGER PRIMARY KEY AUTOINCREMENT, jrSukunimi VARCHAR(50), jrEtunimi VARCHAR(50),
  jrJasenmaksu BOOLEAN NOT NULL DEFAULT 0, BackupRow BOOLEAN NOT NULL DEFAULT 0);
CREATE TABLE pi (piID INTEGER PRIMARY KEY AUTOINCREMENT, piNimi VARCHAR(50), piCurrency DECIMAL(19,4),
  piType INTEGER, BackupRow BOOLEAN NOT NULL DEFAULT 0);
CREATE TABLE pt (ptID INTEGER PRIMARY KEY AUTOINCREMENT, ptjrID INTEGER, ptpiID INTEGER,
  ptValCurrency DECIMAL(19,4), BackupRow BOOLEAN NOT NULL DEFAULT 0);
CREATE TABLE me (meID INTEGER PRIMARY KEY AUTOINCREMENT, meTeksti TEXT, BackupRow BOOLEAN NOT NULL DEFAULT 0);
CREATE TABLE jm (jmID INTEGER PRIMARY KEY AUTOINCREMENT, jmjrID INTEGER, jmHinta DECIMAL(19,4),
  jmTeksti VARCHAR(80), jmMaksettu BOOLEAN NOT NULL DEFAULT 0, BackupRow BOOLEAN NOT NULL DEFAULT 0);
CREATE TABLE jmRivi (jmRID INTEGER PRIMARY KEY AUTOINCREMENT, jmRjmID INTEGER, jmRHinta DECIMAL(19,4),
  jmRTeksti VARCHAR(255), BackupRow BOOLEAN NOT NULL DEFAULT 0);
CREATE TABLE jmhist (jmhID INTEGER PRIMARY KEY AUTOINCREMENT, jmhjmID INTEGER, jmhjmHinta DECIMAL(19,4),
  jmhjmMuistutusKulut DECIMAL(19,4), jmhjmMuistutusYhteensa DECIMAL(19,4), jmhjmAvoinSumma DECIMAL(19,4),
  BackupRow BOOLEAN NOT NULL DEFAULT 0);
CREATE TABLE lt (ltID INTEGER PRIMARY KEY AUTOINCREMENT, ltNimi VARCHAR(35), BackupRow BOOLEAN NOT NULL DEFAULT 0);
CREATE TABLE vs (vsID INTEGER PRIMARY KEY AUTOINCREMENT, vsNimi VARCHAR(50), vsVastikeVuosi DOUBLE,
  vsVastikeKausi DOUBLE, BackupRow BOOLEAN NOT NULL DEFAULT 0);
CREATE TABLE tl (tlID INTEGER PRIMARY KEY AUTOINCREMENT, tlvsID INTEGER, tlKunta VARCHAR(50),
  BackupRow BOOLEAN NOT NULL DEFAULT 0);
CREATE TABLE mt (mtID INTEGER PRIMARY KEY AUTOINCREMENT, mtvsID INTEGER, mtpiID INTEGER,
  mtValCurrency DECIMAL(19,4), BackupRow BOOLEAN NOT NULL DEFAULT 0);
CREATE TABLE mvs (mvsID INTEGER PRIMARY KEY AUTOINCREMENT, mvsvsID INTEGER, BackupRow BOOLEAN NOT NULL DEFAULT 0);
CREATE TABLE el (elID INTEGER PRIMARY KEY AUTOINCREMENT, elNimi VARCHAR(35), BackupRow BOOLEAN NOT NULL DEFAULT 0);
CREATE TABLE et (etID INTEGER PRIMARY KEY AUTOINCREMENT, etelID INTEGER, etvsID INTEGER,
  BackupRow BOOLEAN NOT NULL DEFAULT 0);
CREATE TABLE si (siID INTEGER PRIMARY KEY AUTOINCREMENT, siLaji VARCHAR(30), BackupRow BOOLEAN NOT NULL DEFAULT 0);
CREATE TABLE Suoritukset (Suoritus_ID INTEGER PRIMARY KEY AUTOINCREMENT, jmhID INTEGER, Summa DECIMAL(19,4),
  BackupRow BOOLEAN NOT NULL DEFAULT 0);
CREATE TABLE Tarra (Tarra_ID INTEGER PRIMARY KEY AUTOINCREMENT, Rivi1 VARCHAR(255), BackupRow BOOLEAN NOT NULL DEFAULT 0);
CREATE TABLE Settings (setID INTEGER PRIMARY KEY AUTOINCREMENT, setSection VARCHAR(255), setKey VARCHAR(255),
  setString VARCHAR(255));
CREATE TABLE rp (rpID INTEGER PRIMARY KEY AUTOINCREMENT, rpDef TEXT);
CREATE TABLE rj (rjID INTEGER PRIMARY KEY AUTOINCREMENT, rjtlID INTEGER, rjX FLOAT, rjY FLOAT);
CREATE TABLE map (mapID INTEGER PRIMARY KEY AUTOINCREMENT, mapPicture BLOB, mapScale INTEGER);
CREATE TABLE Rekisteritiedot (Rekisteritieto_ID INTEGER PRIMARY KEY AUTOINCREMENT, jrID INTEGER, Tiedot TEXT);
)";

const char* const Rows = R"(
INSERT INTO jr (jrSukunimi, jrEtunimi) VALUES ('Virtanen', 'Matti'), ('Äijälä', 'Liisa'), ('Öhman', 'Pekka');
INSERT INTO pi (piNimi, piCurrency, piType) VALUES ('Jäsenmaksu', 100, 1), ('Vuokra', 59.4573, 2);
INSERT INTO pt (ptjrID, ptpiID, ptValCurrency) VALUES (1, 1, 100), (2, 1, 50.5), (3, 1, NULL);
INSERT INTO me (meTeksti) VALUES ('Jäsenmaksut 2026');
INSERT INTO jm (jmjrID, jmHinta, jmTeksti) VALUES (1, 150, 'Jäsenmaksu'), (2, 594.573, 'Vuokra');
INSERT INTO jmRivi (jmRjmID, jmRHinta, jmRTeksti) VALUES (1, 100, 'Maksu'), (1, 50, 'Lisä'), (2, 594.573, 'Vuokra');
INSERT INTO jmhist (jmhjmID, jmhjmHinta, jmhjmMuistutusKulut, jmhjmAvoinSumma) VALUES (7, 118.9146, 5, 118.9146);
INSERT INTO lt (ltNimi) VALUES ('Jäsenmaksu');
INSERT INTO vs (vsNimi, vsVastikeVuosi, vsVastikeKausi) VALUES ('Talo', 1189.146, 11.89146);
INSERT INTO tl (tlvsID, tlKunta) VALUES (1, 'Kuopio');
INSERT INTO mt (mtvsID, mtpiID, mtValCurrency) VALUES (1, 2, 11.8915);
INSERT INTO mvs (mvsvsID) VALUES (1);
INSERT INTO el (elNimi) VALUES ('Hirvi');
INSERT INTO et (etelID, etvsID) VALUES (1, 1);
INSERT INTO si (siLaji) VALUES ('Hirvi');
INSERT INTO Suoritukset (jmhID, Summa) VALUES (1, 10);
INSERT INTO Tarra (Rivi1) VALUES ('Matti Virtanen');
INSERT INTO Settings (setSection, setKey, setString) VALUES ('TIKKELI', 'RegName', 'Erä');
INSERT INTO rp (rpDef) VALUES ('x');
INSERT INTO rj (rjtlID, rjX, rjY) VALUES (1, 1.5, 2.5);
INSERT INTO map (mapScale) VALUES (20000);
INSERT INTO Rekisteritiedot (jrID, Tiedot) VALUES (1, 'tieto');
)";

} // namespace

MaintTestDb::MaintTestDb()
{
    EXPECT_TRUE(m_dir.isValid());
    m_path = m_dir.filePath(QStringLiteral("seura.mdb"));
    Database db = Database::create(m_path);
    db.executeScript(QString::fromUtf8(Schema));
    db.close();
    State() = SharedState{};
    State().DatabasePath = m_path;
}

MaintTestDb::~MaintTestDb()
{
    ConnectionRegistry::closeAll(m_path);
    State() = SharedState{};
}

Database MaintTestDb::open() const
{
    return Database::open(m_path);
}

void MaintTestDb::fill()
{
    Database db = open();
    db.executeScript(QString::fromUtf8(Rows));
}

int MaintTestDb::count(const QString& table) const
{
    Database db = open();
    return int(db.scalar(QStringLiteral("SELECT COUNT(*) FROM ") + table).toInt64());
}

int MaintTestDb::markers(const QString& table) const
{
    Database db = open();
    return int(
        db.scalar(QStringLiteral("SELECT COUNT(*) FROM ") + table + QStringLiteral(" WHERE BackupRow = 1")).toInt64());
}

int MaintTestDb::totalMarkers() const
{
    int n = 0;
    for (const QString& t : BackupRowTables())
        n += markers(t);
    return n;
}

const QStringList& ClubTables()
{
    static const QStringList tables = {QStringLiteral("jr"),     QStringLiteral("pi"),
                                       QStringLiteral("pt"),     QStringLiteral("me"),
                                       QStringLiteral("jm"),     QStringLiteral("jmRivi"),
                                       QStringLiteral("jmhist"), QStringLiteral("lt"),
                                       QStringLiteral("vs"),     QStringLiteral("tl"),
                                       QStringLiteral("mt"),     QStringLiteral("mvs"),
                                       QStringLiteral("el"),     QStringLiteral("et"),
                                       QStringLiteral("si"),     QStringLiteral("Suoritukset"),
                                       QStringLiteral("Tarra"),  QStringLiteral("Settings"),
                                       QStringLiteral("rp"),     QStringLiteral("rj"),
                                       QStringLiteral("map"),    QStringLiteral("Rekisteritiedot")};
    return tables;
}

} // namespace tikkeli::test
