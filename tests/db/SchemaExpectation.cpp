#include "SchemaExpectation.h"

#include "db/Schema.h"
#include "db/UpdateDatabase.h"
#include "base/ScriptedPrompter.h"

#include <QStringList>
#include <sqlite3.h>

namespace tikkeli::test {

namespace {

FieldType typeNamed(const QString& t)
{
    static const std::pair<const char*, FieldType> names[] = {
        {"Boolean", FieldType::Boolean},   {"Byte", FieldType::Byte},
        {"Integer", FieldType::Integer},   {"Long", FieldType::Long},
        {"Currency", FieldType::Currency}, {"Single", FieldType::Single},
        {"Double", FieldType::Double},     {"Date", FieldType::Date},
        {"Text", FieldType::Text},         {"LongBinary", FieldType::LongBinary},
        {"Memo", FieldType::Memo}};
    for (const auto& [n, type] : names)
        if (t == QLatin1String(n))
            return type;
    ADD_FAILURE() << "unknown type " << t.toStdString();
    return FieldType::Long;
}

// "name Type [width] [key] [zl]": zl = the empty string is accepted.
TableDef table(const char* name, std::initializer_list<const char*> fields, std::initializer_list<const char*> indexes = {})
{
    TableDef t;
    t.name = QString::fromLatin1(name);
    for (const char* line : fields) {
        const QStringList w = QString::fromLatin1(line).split(QLatin1Char(' '));
        FieldDef f;
        f.name = w[0];
        f.type = typeNamed(w[1]);
        f.size = f.type == FieldType::Text ? w[2].toInt() : fixedFieldSize(f.type);
        f.autoIncrement = w.contains(QLatin1String("key"));
        f.allowZeroLength = w.contains(QLatin1String("zl"));
        f.required = f.type == FieldType::Boolean;
        t.fields.push_back(f);
    }
    t.indexes.push_back({QStringLiteral("PrimaryKey"), t.fields.front().name, true, true, 0});
    for (const char* line : indexes) {
        const QStringList w = QString::fromLatin1(line).split(QLatin1Char(' '));
        t.indexes.push_back({w[0], w[1], false, false, 0});
    }
    return t;
}

std::vector<TableDef> build()
{
    return {
        table("jr", {"jrID Long key",
                     "jrJasennumero Text 10",
                     "jrSukunimi Text 50",
                     "jrEtunimi Text 50",
                     "jrOsoite Text 50",
                     "jrPostinumero Text 5",
                     "jrPostitoimipaikka Text 50",
                     "jrPuhelin Text 30",
                     "jrMatkapuhelin Text 30",
                     "jrJasenmaksu Boolean",
                     "jrMaanomistaja Boolean",
                     "jrEmail Text 50",
                     "jrViitenumero Text 30",
                     "jrTitteli Text 50",
                     "jrSyntyma Date",
                     "jrLiittyma Date",
                     "jrMukaan Boolean",
                     "jrMukaan2 Boolean",
                     "jrEmailLasku Boolean",
                     "BackupRow Boolean",
                     "jrMuistio Memo"}),
        table("jm",
              {"jmID Long key",
               "jmjrID Long",
               "jmErapaiva Date",
               "jmLaskupaiva Date",
               "jmLaskunumero Long",
               "jmViitenumero Text 50",
               "jmHinta Currency",
               "jmTeksti Text 80",
               "jmMaksettu Boolean",
               "jmmeID Long",
               "jmOtsake Text 30",
               "jmEmailed Boolean",
               "jmJasMak Boolean",
               "BackupRow Boolean",
               "jmjrJasenmaksu Boolean",
               "jmTulostusJarjestysID Long",
               "jmLaskOsoite1 Text 100",
               "jmLaskOsoite2 Text 100",
               "jmLaskOsoite3 Text 100",
               "jmLaskOsoite4 Text 100",
               "jmLaskOsoite5 Text 100",
               "jmLaskOsoite6 Text 100",
               "jmLaskPostinumero Text 5",
               "jmLaskJasennumero Text 10"},
              {"jmviiteidx jmViitenumero", "jmjridx jmjrID"}),
        table("pi", {"piID Long key", "piNimi Text 50", "piKuvaus Memo", "piEnbldDate Boolean", "piEnbldLong Boolean",
                     "piEnbldCurrency Boolean", "piEnbldMemo Boolean", "piDate Date", "piLong Long", "piCurrency Currency",
                     "piMemo Memo", "piType Byte", "BackupRow Boolean"}),
        table("pt",
              {"ptID Long key", "ptjrID Long", "ptpiID Long", "ptValDate Date", "ptValLong Long", "ptValMemo Memo",
               "ptValCurrency Currency", "BackupRow Boolean"},
              {"ptjridx ptjrID", "ptpiidx ptpiID"}),
        table("me", {"meID Long key", "meTeksti Memo", "BackupRow Boolean"}),
        table("vs", {"vsID Long key",
                     "vsNimi Text 50",
                     "vsOsoite Text 50",
                     "vsPostinumero Text 5",
                     "vsPostitoimipaikka Text 50",
                     "vsPuhelinnumero Text 50",
                     "vsKoskee Byte",
                     "vsEiKoskeSeuraavia Text 255",
                     "vsVoimassa Byte",
                     "vsVoimassaIrtisanomisaika Byte",
                     "vsVoimassaAlkaen Date",
                     "vsVoimassaPaattyy Date",
                     "vsVastike Byte",
                     "vsVastikeVuosi Currency",
                     "vsVastikeVuosiErapaiva Date",
                     "vsVastikeKausi Currency",
                     "vsVastikeKausiErapaiva Date",
                     "vsVastikePankkiYhteys Text 50",
                     "vsOikeus Byte",
                     "vsOikeusSiirtaminen Text 255",
                     "vsKoirat Byte",
                     "vsOmistusmuutos Byte",
                     "vsVuokranantajanMetsastysOikeus Text 255",
                     "vsYleisetEhdot Memo",
                     "vsMuutEhdot Memo",
                     "vsPaikkaJaAika Text 100",
                     "BackupRow Boolean",
                     "vsMukaan Boolean",
                     "vsSopimusNo Text 30 zl",
                     "vsMukaan2 Boolean"}),
        table("tl",
              {"tlID Long key", "tlvsID Long", "tlKunta Text 50", "tlKyla Text 50", "tlTilaPalsta Text 50",
               "tlRekNo Text 50", "tlPa Double", "tlKuntaNo Integer", "tlKylaNo Integer", "tlTaloNo Integer",
               "tlTilaNo Integer", "BackupRow Boolean"},
              {"tlvsidx tlvsID"}),
        table("jmhist",
              {"jmhID Long key",
               "jmhjmID Long",
               "jmhjmErapaiva Date",
               "jmhjmLaskupaiva Date",
               "jmhjmLaskunumero Long",
               "jmhjmViitenumero Text 50",
               "jmhjmHinta Currency",
               "jmhjmTeksti Text 80",
               "jmhjmMaksettu Boolean",
               "jmhjmmeID Long",
               "jmhjmOtsake Text 30",
               "jmhjmjrID Long",
               "jmhjmEmailed Boolean",
               "jmhjmJasMak Boolean",
               "BackupRow Boolean",
               "jmhjmMuistutusOtsake Text 30",
               "jmhjmMuistutusPaiva Date",
               "jmhjmMuistutusNumero Long",
               "jmhjmMuistutusKulut Currency",
               "jmhjmMuistutusKorko Double",
               "jmhjmMuistutusYhteensa Currency",
               "jmhjmAvoinSumma Currency",
               "jmhjmMuistutusKorkoSumma Currency",
               "jmhjmLaskOsoite1 Text 100",
               "jmhjmLaskOsoite2 Text 100",
               "jmhjmLaskOsoite3 Text 100",
               "jmhjmLaskOsoite4 Text 100",
               "jmhjmLaskOsoite5 Text 100",
               "jmhjmLaskOsoite6 Text 100",
               "jmhjmLaskPostinumero Text 5",
               "jmhjmLaskJasennumero Text 10",
               "jmhTulostusJarjestysID Long",
               "jmhTulosta Boolean",
               "jmhMuistutusEmailed Boolean",
               "jmhMuistutusEmailedPaiva Date"},
              {"jmhjmjridx jmhjmjrID", "jmhjmmeidx jmhjmmeID", "jmhviiteidx jmhjmViitenumero"}),
        table("el", {"elID Long key", "elNimi Text 35", "BackupRow Boolean"}),
        table("et", {"etID Long key", "etelID Long", "etvsID Long", "BackupRow Boolean"}, {"vsidx etvsID", "elidx etelID"}),
        table("lt", {"ltID Long key", "ltNimi Text 35", "BackupRow Boolean"}),
        table("mt",
              {"mtID Long key", "mtvsID Long", "mtpiID Long", "mtValDate Date", "mtValLong Long", "mtValMemo Memo",
               "mtValCurrency Currency", "BackupRow Boolean"},
              {"vsidx mtvsID", "piidx mtpiID"}),
        table("mvs",
              {"mvsID Long key", "mvsvsID Long", "mvsKunta Text 255", "mvsOmistaja Text 50", "mvsTilat Text 255",
               "mvsAla Double", "mvsVoimassa Byte", "mvsAlkaa Date", "mvsLoppuu Date", "BackupRow Boolean"},
              {"mvsvsIDidx mvsvsID"}),
        table("si", {"siID Long key", "siLaji Text 30", "siPvm Date", "siIka Boolean", "siSukupuoli Boolean",
                     "siPuolitoista Boolean", "siPaikka Text 255", "siSarvipiikkiV Byte", "siSarvipiikkiO Byte",
                     "siKaataja Text 50", "siKelvoton Boolean", "BackupRow Boolean"}),
        table("jmRivi",
              {"jmRID Long key", "jmRjmID Long", "jmRPaiva Date", "jmRHinta Currency", "jmRTeksti Text 255",
               "jmRMaksettu Boolean", "jmRjrID Long", "jmRmeId Long", "BackupRow Boolean"},
              {"jmidx jmRjmID", "jridx jmRjrID", "jmRmeIdidx jmRmeId"}),
        table("Settings", {"setID Long key", "setSection Text 255", "setKey Text 255", "setString Text 255"}),
        table("rp", {"rpID Long key", "rpDef Memo"}),
        table("rj", {"rjID Long key", "rjtlID Long", "rjOrderID Long", "rjX Single", "rjY Single", "rjMukaan Boolean"},
              {"rjtlidx rjtlID"}),
        table("map", {"mapID Long key", "mapPicture LongBinary", "mapScale Long", "mapPixelRatio Double"}),
        table("Suoritukset",
              {"Suoritus_ID Long key", "Paiva Date", "jmhID Long", "Summa Currency", "Arkistointitunnus Text 20",
               "BackupRow Boolean"},
              {"suorjmhidx jmhID"}),
        table("Tarra", {"Tarra_ID Long key", "Rivi1 Text 255 zl", "Rivi2 Text 255 zl", "Rivi3 Text 255 zl",
                        "Rivi4 Text 255 zl", "Rivi5 Text 255 zl", "Rivi6 Text 255 zl", "BackupRow Boolean"}),
        table("Rekisteritiedot", {"Rekisteritieto_ID Long key", "jrID Long", "Tiedot Memo"}, {"jrIDidx jrID"}),
    };
}

std::string describe(const FieldDef& f)
{
    return QStringLiteral("%1 type %2 size %3%4%5%6")
        .arg(f.name)
        .arg(int(f.type))
        .arg(f.size)
        .arg(f.autoIncrement ? QStringLiteral(" key") : QString())
        .arg(f.allowZeroLength ? QStringLiteral(" zl") : QString())
        .arg(f.required ? QStringLiteral(" required") : QString())
        .toStdString();
}

std::string describe(const IndexDef& i)
{
    return QStringLiteral("%1(%2)%3%4")
        .arg(i.name, i.field, i.primary ? QStringLiteral(" primary") : QString(),
             i.unique ? QStringLiteral(" unique") : QString())
        .toStdString();
}

} // namespace

const std::vector<TableDef>& expectedTables()
{
    static const std::vector<TableDef> tables = build();
    return tables;
}

QString expectedFeatureQuery()
{
    return QStringLiteral("SELECT * FROM pi, pt WHERE pi.piID = pt.ptpiID");
}

::testing::AssertionResult catalogueMatches(const Catalogue& actual, FieldOrder order)
{
    std::string errors;
    auto fail = [&](const std::string& text) { errors += "\n  " + text; };
    QStringList actualNames;
    for (const TableDef& t : actual.tables())
        actualNames << t.name;
    for (const TableDef& want : expectedTables()) {
        actualNames.removeAll(want.name);
        const TableDef* have = actual.table(want.name);
        if (!have) {
            fail("missing table " + want.name.toStdString());
            continue;
        }
        if (have->name != want.name)
            fail("table " + want.name.toStdString() + " named " + have->name.toStdString());
        std::vector<std::string> w, h;
        for (const FieldDef& f : want.fields)
            w.push_back(describe(f));
        for (const FieldDef& f : have->fields)
            h.push_back(describe(f));
        if (order == FieldOrder::Any) {
            std::sort(w.begin(), w.end());
            std::sort(h.begin(), h.end());
        }
        if (w != h) {
            std::string text = "fields of " + want.name.toStdString() + " differ:";
            for (size_t i = 0; i < std::max(w.size(), h.size()); ++i) {
                const std::string a = i < w.size() ? w[i] : "-";
                const std::string b = i < h.size() ? h[i] : "-";
                if (a != b)
                    text += "\n    want " + a + "\n    have " + b;
            }
            fail(text);
        }
        std::vector<std::string> wi, hi;
        for (const IndexDef& i : want.indexes)
            wi.push_back(describe(i));
        for (const IndexDef& i : have->indexes)
            hi.push_back(describe(i));
        std::sort(wi.begin(), wi.end());
        std::sort(hi.begin(), hi.end());
        if (wi != hi) {
            std::string text = "indexes of " + want.name.toStdString() + ":";
            for (const auto& s : hi)
                text += " " + s;
            fail(text);
        }
    }
    for (const QString& extra : actualNames)
        fail("unexpected table " + extra.toStdString());
    if (actual.queries().size() != 1 || actual.queries()[0].name != QLatin1String("piirteet")
        || actual.queries()[0].sql != expectedFeatureQuery())
        fail("saved queries differ");
    if (errors.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << errors;
}

Database newBaseDatabase(const QTemporaryDir& dir, const QString& name)
{
    Database db = Database::create(dir.filePath(name));
    Schema::createBaseTables(db);
    return db;
}

Database newCurrentDatabase(const QTemporaryDir& dir, const QString& name)
{
    Database db = newBaseDatabase(dir, name);
    UpdateDatabase(db);
    return db;
}

QString schemaText(Database& db)
{
    QStringList parts;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db.handle(), "SELECT type, name, sql FROM sqlite_master ORDER BY name", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        for (int c = 0; c < 3; ++c)
            parts << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
    sqlite3_finalize(st);
    return parts.join(QLatin1Char('\n'));
}

} // namespace tikkeli::test
