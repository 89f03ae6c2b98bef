#include "db/Schema.h"

#include "db/Database.h"
#include "db/SchemaDdl.h"
#include "db/Transaction.h"

namespace tikkeli {

namespace {

constexpr int Template = 0;

FieldDef field(const char* name, FieldType type, int source)
{
    FieldDef f;
    f.name = QString::fromLatin1(name);
    f.type = type;
    f.size = fixedFieldSize(type);
    f.source = source;
    f.required = type == FieldType::Boolean;
    return f;
}

FieldDef key(const char* name, int source)
{
    FieldDef f = field(name, FieldType::Long, source);
    f.autoIncrement = true;
    return f;
}

FieldDef text(const char* name, int width, int source)
{
    FieldDef f = field(name, FieldType::Text, source);
    f.size = width;
    // "" is refused everywhere but where it is allowed by name: no text means Null, one spelling
    // only, and a template field can always be copied into its history twin (jm -> jmhist).
    return f;
}

FieldDef textZeroLength(const char* name, int width, int source)
{
    FieldDef f = text(name, width, source);
    f.allowZeroLength = true;
    return f;
}

FieldDef memo(const char* name, int source)
{
    return field(name, FieldType::Memo, source);
}

FieldDef boolean(const char* name, int source)
{
    return field(name, FieldType::Boolean, source);
}
FieldDef byteField(const char* name, int source)
{
    return field(name, FieldType::Byte, source);
}
FieldDef integer(const char* name, int source)
{
    return field(name, FieldType::Integer, source);
}
FieldDef longField(const char* name, int source)
{
    return field(name, FieldType::Long, source);
}
FieldDef currency(const char* name, int source)
{
    return field(name, FieldType::Currency, source);
}
FieldDef single(const char* name, int source)
{
    return field(name, FieldType::Single, source);
}
FieldDef doubleField(const char* name, int source)
{
    return field(name, FieldType::Double, source);
}
FieldDef date(const char* name, int source)
{
    return field(name, FieldType::Date, source);
}
FieldDef binary(const char* name, int source)
{
    return field(name, FieldType::LongBinary, source);
}

IndexDef index(const char* name, const char* fieldName, int source)
{
    return {QString::fromLatin1(name), QString::fromLatin1(fieldName), false, false, source};
}

TableDef table(const char* name, std::vector<FieldDef> fields, std::vector<IndexDef> indexes = {})
{
    TableDef t;
    t.name = QString::fromLatin1(name);
    const FieldDef& k = fields.front();
    t.indexes.push_back({QStringLiteral("PrimaryKey"), k.name, true, true, k.source});
    for (IndexDef& i : indexes)
        t.indexes.push_back(std::move(i));
    t.fields = std::move(fields);
    return t;
}

std::vector<TableDef> buildTables()
{
    std::vector<TableDef> t;
    t.push_back(table("jr", {
                                key("jrID", Template),
                                text("jrJasennumero", 10, Template),
                                text("jrSukunimi", 50, Template),
                                text("jrEtunimi", 50, Template),
                                text("jrOsoite", 50, Template),
                                text("jrPostinumero", 5, Template),
                                text("jrPostitoimipaikka", 50, Template),
                                text("jrPuhelin", 30, Template),
                                text("jrMatkapuhelin", 30, Template),
                                boolean("jrJasenmaksu", Template),
                                boolean("jrMaanomistaja", Template),
                                text("jrEmail", 50, 6),
                                text("jrViitenumero", 30, 7),
                                text("jrTitteli", 50, 8),
                                date("jrSyntyma", 9),
                                date("jrLiittyma", 10),
                                boolean("jrMukaan", 11),
                                boolean("jrMukaan2", 12),
                                boolean("jrEmailLasku", 13),
                                boolean("BackupRow", 36),
                                memo("jrMuistio", 68),
                            }));
    t.push_back(table("jm",
                      {
                          key("jmID", Template),
                          longField("jmjrID", Template),
                          date("jmErapaiva", Template),
                          date("jmLaskupaiva", Template),
                          longField("jmLaskunumero", Template),
                          text("jmViitenumero", 50, Template),
                          currency("jmHinta", Template),
                          text("jmTeksti", 80, Template),
                          boolean("jmMaksettu", Template),
                          longField("jmmeID", Template),
                          text("jmOtsake", 30, 1),
                          boolean("jmEmailed", 25),
                          boolean("jmJasMak", 26),
                          boolean("BackupRow", 33),
                          boolean("jmjrJasenmaksu", 57),
                          longField("jmTulostusJarjestysID", 58),
                          text("jmLaskOsoite1", 100, 59),
                          text("jmLaskOsoite2", 100, 59),
                          text("jmLaskOsoite3", 100, 59),
                          text("jmLaskOsoite4", 100, 59),
                          text("jmLaskOsoite5", 100, 59),
                          text("jmLaskOsoite6", 100, 59),
                          text("jmLaskPostinumero", 5, 60),
                          text("jmLaskJasennumero", 10, 61),
                      },
                      {index("jmviiteidx", "jmViitenumero", 74), index("jmjridx", "jmjrID", 74)}));
    t.push_back(table("pi", {
                                key("piID", Template),
                                text("piNimi", 50, Template),
                                memo("piKuvaus", Template),
                                boolean("piEnbldDate", Template),
                                boolean("piEnbldLong", Template),
                                boolean("piEnbldCurrency", Template),
                                boolean("piEnbldMemo", Template),
                                date("piDate", Template),
                                longField("piLong", Template),
                                currency("piCurrency", Template),
                                memo("piMemo", Template),
                                byteField("piType", 2),
                                boolean("BackupRow", 41),
                            }));
    t.push_back(table("pt",
                      {
                          key("ptID", Template),
                          longField("ptjrID", Template),
                          longField("ptpiID", Template),
                          date("ptValDate", Template),
                          longField("ptValLong", Template),
                          memo("ptValMemo", Template),
                          currency("ptValCurrency", Template),
                          boolean("BackupRow", 42),
                      },
                      {index("ptjridx", "ptjrID", 71), index("ptpiidx", "ptpiID", 71)}));
    t.push_back(table("me", {key("meID", Template), memo("meTeksti", Template), boolean("BackupRow", 38)}));
    t.push_back(table("vs", {
                                key("vsID", Template),
                                text("vsNimi", 50, Template),
                                text("vsOsoite", 50, Template),
                                text("vsPostinumero", 5, Template),
                                text("vsPostitoimipaikka", 50, Template),
                                text("vsPuhelinnumero", 50, Template),
                                byteField("vsKoskee", Template),
                                text("vsEiKoskeSeuraavia", 255, Template),
                                byteField("vsVoimassa", Template),
                                byteField("vsVoimassaIrtisanomisaika", Template),
                                date("vsVoimassaAlkaen", Template),
                                date("vsVoimassaPaattyy", Template),
                                byteField("vsVastike", Template),
                                currency("vsVastikeVuosi", Template),
                                date("vsVastikeVuosiErapaiva", Template),
                                currency("vsVastikeKausi", Template),
                                date("vsVastikeKausiErapaiva", Template),
                                text("vsVastikePankkiYhteys", 50, Template),
                                byteField("vsOikeus", Template),
                                text("vsOikeusSiirtaminen", 255, Template),
                                byteField("vsKoirat", Template),
                                byteField("vsOmistusmuutos", Template),
                                text("vsVuokranantajanMetsastysOikeus", 255, Template),
                                memo("vsYleisetEhdot", Template),
                                memo("vsMuutEhdot", Template),
                                text("vsPaikkaJaAika", 100, Template),
                                boolean("BackupRow", 45),
                                boolean("vsMukaan", 51),
                                textZeroLength("vsSopimusNo", 30, 56),
                                boolean("vsMukaan2", 67),
                            }));
    t.push_back(table("tl",
                      {
                          key("tlID", Template),
                          longField("tlvsID", Template),
                          text("tlKunta", 50, Template),
                          text("tlKyla", 50, Template),
                          text("tlTilaPalsta", 50, Template),
                          text("tlRekNo", 50, Template),
                          doubleField("tlPa", Template),
                          integer("tlKuntaNo", 23),
                          integer("tlKylaNo", 23),
                          integer("tlTaloNo", 23),
                          integer("tlTilaNo", 23),
                          boolean("BackupRow", 44),
                      },
                      {index("tlvsidx", "tlvsID", 72)}));
    t.push_back(table("jmhist",
                      {
                          key("jmhID", 3),
                          longField("jmhjmID", 3),
                          date("jmhjmErapaiva", 3),
                          date("jmhjmLaskupaiva", 3),
                          longField("jmhjmLaskunumero", 3),
                          text("jmhjmViitenumero", 50, 3),
                          currency("jmhjmHinta", 3),
                          text("jmhjmTeksti", 80, 3),
                          boolean("jmhjmMaksettu", 3),
                          longField("jmhjmmeID", 3),
                          text("jmhjmOtsake", 30, 3),
                          longField("jmhjmjrID", 3),
                          boolean("jmhjmEmailed", 27),
                          boolean("jmhjmJasMak", 28),
                          boolean("BackupRow", 34),
                          text("jmhjmMuistutusOtsake", 30, 52),
                          date("jmhjmMuistutusPaiva", 52),
                          longField("jmhjmMuistutusNumero", 52),
                          currency("jmhjmMuistutusKulut", 52),
                          doubleField("jmhjmMuistutusKorko", 52),
                          currency("jmhjmMuistutusYhteensa", 52),
                          currency("jmhjmAvoinSumma", 53),
                          currency("jmhjmMuistutusKorkoSumma", 54),
                          text("jmhjmLaskOsoite1", 100, 62),
                          text("jmhjmLaskOsoite2", 100, 62),
                          text("jmhjmLaskOsoite3", 100, 62),
                          text("jmhjmLaskOsoite4", 100, 62),
                          text("jmhjmLaskOsoite5", 100, 62),
                          text("jmhjmLaskOsoite6", 100, 62),
                          text("jmhjmLaskPostinumero", 5, 62),
                          text("jmhjmLaskJasennumero", 10, 63),
                          longField("jmhTulostusJarjestysID", 64),
                          boolean("jmhTulosta", 64),
                          boolean("jmhMuistutusEmailed", 65),
                          date("jmhMuistutusEmailedPaiva", 77),
                      },
                      {index("jmhjmjridx", "jmhjmjrID", 18), index("jmhjmmeidx", "jmhjmmeID", 18),
                       index("jmhviiteidx", "jmhjmViitenumero", 73)}));
    t.push_back(table("el", {key("elID", 4), text("elNimi", 35, 4), boolean("BackupRow", 31)}));
    t.push_back(table("et", {key("etID", 5), longField("etelID", 5), longField("etvsID", 5), boolean("BackupRow", 32)},
                      {index("vsidx", "etvsID", 15), index("elidx", "etelID", 15)}));
    t.push_back(table("lt", {key("ltID", 16), text("ltNimi", 35, 16), boolean("BackupRow", 37)}));
    t.push_back(table("mt",
                      {
                          key("mtID", 17),
                          longField("mtvsID", 17),
                          longField("mtpiID", 17),
                          date("mtValDate", 17),
                          longField("mtValLong", 17),
                          memo("mtValMemo", 17),
                          currency("mtValCurrency", 17),
                          boolean("BackupRow", 39),
                      },
                      {index("vsidx", "mtvsID", 17), index("piidx", "mtpiID", 17)}));
    t.push_back(table("mvs",
                      {
                          key("mvsID", 19),
                          longField("mvsvsID", 19),
                          text("mvsKunta", 255, 19),
                          text("mvsOmistaja", 50, 19),
                          text("mvsTilat", 255, 19),
                          doubleField("mvsAla", 19),
                          byteField("mvsVoimassa", 19),
                          date("mvsAlkaa", 19),
                          date("mvsLoppuu", 19),
                          boolean("BackupRow", 40),
                      },
                      {index("mvsvsIDidx", "mvsvsID", 19)}));
    t.push_back(table("si", {
                                key("siID", 20),
                                text("siLaji", 30, 20),
                                date("siPvm", 20),
                                boolean("siIka", 20),
                                boolean("siSukupuoli", 20),
                                boolean("siPuolitoista", 20),
                                text("siPaikka", 255, 20),
                                byteField("siSarvipiikkiV", 20),
                                byteField("siSarvipiikkiO", 20),
                                text("siKaataja", 50, 20),
                                boolean("siKelvoton", 20),
                                boolean("BackupRow", 43),
                            }));
    t.push_back(table("jmRivi",
                      {
                          key("jmRID", 24),
                          longField("jmRjmID", 24),
                          date("jmRPaiva", 24),
                          currency("jmRHinta", 24),
                          text("jmRTeksti", 255, 24),
                          boolean("jmRMaksettu", 24),
                          longField("jmRjrID", 24),
                          longField("jmRmeId", 29),
                          boolean("BackupRow", 35),
                      },
                      {index("jmidx", "jmRjmID", 24), index("jridx", "jmRjrID", 24), index("jmRmeIdidx", "jmRmeId", 29)}));
    t.push_back(table("Settings", {
                                      key("setID", 30),
                                      text("setSection", 255, 30),
                                      text("setKey", 255, 30),
                                      text("setString", 255, 30),
                                  }));
    t.push_back(table("rp", {key("rpID", 46), memo("rpDef", 46)}));
    t.push_back(table("rj",
                      {
                          key("rjID", 48),
                          longField("rjtlID", 48),
                          longField("rjOrderID", 48),
                          single("rjX", 48),
                          single("rjY", 48),
                          boolean("rjMukaan", 48),
                      },
                      {index("rjtlidx", "rjtlID", 75)}));
    t.push_back(table("map", {
                                 key("mapID", 49),
                                 binary("mapPicture", 49),
                                 longField("mapScale", 50),
                                 doubleField("mapPixelRatio", 50),
                             }));
    t.push_back(table("Suoritukset",
                      {
                          key("Suoritus_ID", 55),
                          date("Paiva", 55),
                          longField("jmhID", 55),
                          currency("Summa", 55),
                          text("Arkistointitunnus", 20, 55),
                          boolean("BackupRow", 55),
                      },
                      {index("suorjmhidx", "jmhID", 76)}));
    t.push_back(table("Tarra", {
                                   key("Tarra_ID", 66),
                                   textZeroLength("Rivi1", 255, 66),
                                   textZeroLength("Rivi2", 255, 66),
                                   textZeroLength("Rivi3", 255, 66),
                                   textZeroLength("Rivi4", 255, 66),
                                   textZeroLength("Rivi5", 255, 66),
                                   textZeroLength("Rivi6", 255, 66),
                                   boolean("BackupRow", 66),
                               }));
    t.push_back(table("Rekisteritiedot", {key("Rekisteritieto_ID", 69), longField("jrID", 69), memo("Tiedot", 69)},
                      {index("jrIDidx", "jrID", 70)}));
    return t;
}

} // namespace

const std::vector<TableDef>& Schema::tables()
{
    static const std::vector<TableDef> all = buildTables();
    return all;
}

const TableDef* Schema::table(const QString& name)
{
    for (const TableDef& t : tables())
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

const QStringList& Schema::baseTableNames()
{
    static const QStringList names = {QStringLiteral("jr"), QStringLiteral("jm"), QStringLiteral("pi"), QStringLiteral("pt"),
                                      QStringLiteral("me"), QStringLiteral("vs"), QStringLiteral("tl")};
    return names;
}

TableDef Schema::madeBy(const QString& name, int step)
{
    const TableDef* full = table(name);
    TableDef t;
    if (!full)
        return t;
    t.name = full->name;
    for (const FieldDef& f : full->fields)
        if (f.source == step)
            t.fields.push_back(f);
    for (const IndexDef& i : full->indexes)
        if (i.source == step)
            t.indexes.push_back(i);
    return t;
}

void Schema::createBaseTables(Database& db)
{
    Transaction tx(db);
    for (const QString& name : baseTableNames())
        db.execute(SchemaDdl::createTable(templateShape(name)));
    tx.commit();
}

const QueryDef& Schema::featureQuery()
{
    static const QueryDef q{QStringLiteral("piirteet"), QStringLiteral("SELECT * FROM pi, pt WHERE pi.piID = pt.ptpiID;")};
    return q;
}

} // namespace tikkeli
