#include "db/UpdateDatabase.h"

#include "db/Catalogue.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/Schema.h"
#include "db/SchemaDdl.h"
#include "db/Transaction.h"

#include <QStringList>

namespace tikkeli {

namespace {

enum class Guard {
    NoTable,     // create the table from the step's fields and indexes
    NoField,     // add the step's fields (and indexes) to an existing table
    SingleIndex, // the table has exactly one index: add the step's indexes
    NoQuery,     // create the saved query
    NoIndex,     // add the step's index
    MunicipalityWidth,
    CatchPlaceWidth,
};

struct Step {
    int no;
    Guard guard;
    const char* table;
    const char* name; // the field, index or query the guard looks for
};

// The order is the file's history: later steps may rely on what earlier ones made.
constexpr Step Steps[] = {
    {1, Guard::NoField, "jm", "jmOtsake"},
    {2, Guard::NoField, "pi", "piType"},
    {3, Guard::NoTable, "jmhist", nullptr},
    {4, Guard::NoTable, "el", nullptr},
    {5, Guard::NoTable, "et", nullptr},
    {6, Guard::NoField, "jr", "jrEmail"},
    {7, Guard::NoField, "jr", "jrViitenumero"},
    {8, Guard::NoField, "jr", "jrTitteli"},
    {9, Guard::NoField, "jr", "jrSyntyma"},
    {10, Guard::NoField, "jr", "jrLiittyma"},
    {11, Guard::NoField, "jr", "jrMukaan"},
    {12, Guard::NoField, "jr", "jrMukaan2"},
    {13, Guard::NoField, "jr", "jrEmailLasku"},
    {14, Guard::NoField, "jmhist", "jmhjmjrID"},
    {15, Guard::SingleIndex, "et", nullptr},
    {16, Guard::NoTable, "lt", nullptr},
    {17, Guard::NoTable, "mt", nullptr},
    {18, Guard::SingleIndex, "jmhist", nullptr},
    {19, Guard::NoTable, "mvs", nullptr},
    {20, Guard::NoTable, "si", nullptr},
    {21, Guard::MunicipalityWidth, "mvs", "mvsKunta"},
    {22, Guard::CatchPlaceWidth, "si", "siPaikka"},
    {23, Guard::NoField, "tl", "tlKuntaNo"},
    {24, Guard::NoTable, "jmRivi", nullptr},
    {25, Guard::NoField, "jm", "jmEmailed"},
    {26, Guard::NoField, "jm", "jmJasMak"},
    {27, Guard::NoField, "jmhist", "jmhjmEmailed"},
    {28, Guard::NoField, "jmhist", "jmhjmJasMak"},
    {29, Guard::NoField, "jmRivi", "jmRmeId"},
    {30, Guard::NoTable, "Settings", nullptr},
    {31, Guard::NoField, "el", "BackupRow"},
    {32, Guard::NoField, "et", "BackupRow"},
    {33, Guard::NoField, "jm", "BackupRow"},
    {34, Guard::NoField, "jmhist", "BackupRow"},
    {35, Guard::NoField, "jmRivi", "BackupRow"},
    {36, Guard::NoField, "jr", "BackupRow"},
    {37, Guard::NoField, "lt", "BackupRow"},
    {38, Guard::NoField, "me", "BackupRow"},
    {39, Guard::NoField, "mt", "BackupRow"},
    {40, Guard::NoField, "mvs", "BackupRow"},
    {41, Guard::NoField, "pi", "BackupRow"},
    {42, Guard::NoField, "pt", "BackupRow"},
    {43, Guard::NoField, "si", "BackupRow"},
    {44, Guard::NoField, "tl", "BackupRow"},
    {45, Guard::NoField, "vs", "BackupRow"},
    {46, Guard::NoTable, "rp", nullptr},
    {47, Guard::NoQuery, nullptr, "piirteet"},
    {48, Guard::NoTable, "rj", nullptr},
    {49, Guard::NoTable, "map", nullptr},
    {50, Guard::NoField, "map", "mapScale"},
    {51, Guard::NoField, "vs", "vsMukaan"},
    {52, Guard::NoField, "jmhist", "jmhjmMuistutusOtsake"},
    {53, Guard::NoField, "jmhist", "jmhjmAvoinSumma"},
    {54, Guard::NoField, "jmhist", "jmhjmMuistutusKorkoSumma"},
    {55, Guard::NoTable, "Suoritukset", nullptr},
    {56, Guard::NoField, "vs", "vsSopimusNo"},
    {57, Guard::NoField, "jm", "jmjrJasenmaksu"},
    {58, Guard::NoField, "jm", "jmTulostusJarjestysID"},
    {59, Guard::NoField, "jm", "jmLaskOsoite1"},
    {60, Guard::NoField, "jm", "jmLaskPostinumero"},
    {61, Guard::NoField, "jm", "jmLaskJasennumero"},
    {62, Guard::NoField, "jmhist", "jmhjmLaskOsoite1"},
    {63, Guard::NoField, "jmhist", "jmhjmLaskJasennumero"},
    {64, Guard::NoField, "jmhist", "jmhTulostusJarjestysID"},
    {65, Guard::NoField, "jmhist", "jmhMuistutusEmailed"},
    {66, Guard::NoTable, "Tarra", nullptr},
    {67, Guard::NoField, "vs", "vsMukaan2"},
    {68, Guard::NoField, "jr", "jrMuistio"},
    {69, Guard::NoTable, "Rekisteritiedot", nullptr},
    {70, Guard::NoIndex, "Rekisteritiedot", "jrIDidx"},
    // Indexes for the lookups the program makes row by row: a member's feature values, a
    // contract's estates, invoices by reference and by member, an estate's boundary points.
    {71, Guard::NoIndex, "pt", "ptjridx"},
    {72, Guard::NoIndex, "tl", "tlvsidx"},
    {73, Guard::NoIndex, "jmhist", "jmhviiteidx"},
    {74, Guard::NoIndex, "jm", "jmviiteidx"},
    {75, Guard::NoIndex, "rj", "rjtlidx"},
    // An invoice's payments, read for every reminder: without it a club with years of payment
    // rows scans them all once per reminder.
    {76, Guard::NoIndex, "Suoritukset", "suorjmhidx"},
};
static_assert(std::size(Steps) == 76);

constexpr int CatchPlaceOldWidth = 50;
constexpr int MunicipalityOldWidth = 50;

class Upgrade {
public:
    Upgrade(Database& db, const UpgradeHooks& hooks) : m_db(db), m_hooks(hooks), m_cat(Catalogue::read(db)) {}

    std::vector<int> run()
    {
        for (const Step& s : Steps) {
            std::vector<QString> sql = plan(s);
            if (sql.empty())
                continue;
            apply(s.no, sql);
            m_applied.push_back(s.no);
        }
        return m_applied;
    }

private:
    QString name(const char* n) const { return QString::fromLatin1(n); }

    const TableDef& existingTable(const char* tableName) const
    {
        const TableDef* t = m_cat.table(name(tableName));
        if (!t)
            throw DbException(DbErr::ItemNotFound,
                              QStringLiteral("Taulua '%1' ei löydy tietokannasta.").arg(name(tableName)));
        return *t;
    }

    static const TableDef& target(const char* tableName) { return *Schema::table(QString::fromLatin1(tableName)); }

    static void addIndexes(std::vector<QString>& sql, const TableDef& made)
    {
        for (const IndexDef& i : made.indexes)
            if (!i.primary) // the key is its own index
                sql.push_back(SchemaDdl::createIndex(made.name, i));
    }

    // The statements the step needs on this file; none when its guard finds its object present.
    std::vector<QString> plan(const Step& s)
    {
        std::vector<QString> sql;
        switch (s.guard) {
        case Guard::NoTable: {
            if (m_cat.hasTable(name(s.table)))
                break;
            const TableDef made = Schema::madeBy(name(s.table), s.no);
            sql.push_back(SchemaDdl::createTable(made));
            addIndexes(sql, made);
            break;
        }
        case Guard::NoField: {
            const TableDef& have = existingTable(s.table);
            if (have.field(name(s.name)))
                break;
            const TableDef made = Schema::madeBy(name(s.table), s.no);
            // A group is known by its first field only; the others come with it unless some other
            // program already put them there.
            for (const FieldDef& f : made.fields)
                if (!have.field(f.name))
                    sql.push_back(SchemaDdl::addField(have.name, f));
            if (made.fields.empty()) // a field that newer databases get with their table
                sql.push_back(SchemaDdl::addField(have.name, *target(s.table).field(name(s.name))));
            addIndexes(sql, made);
            if (s.no == 2) // feature rows older than the type are all member features
                sql.push_back(QStringLiteral("UPDATE pi SET piType = 1"));
            break;
        }
        case Guard::SingleIndex:
            if (m_cat.indexCount(existingTable(s.table).name) == 1)
                addIndexes(sql, Schema::madeBy(name(s.table), s.no));
            break;
        case Guard::NoIndex:
            if (!existingTable(s.table).index(name(s.name)))
                addIndexes(sql, Schema::madeBy(name(s.table), s.no));
            break;
        case Guard::NoQuery:
            if (!m_cat.hasQuery(name(s.name)))
                sql.push_back(SchemaDdl::createQuery(Schema::featureQuery()));
            break;
        case Guard::MunicipalityWidth: {
            const TableDef& have = existingTable(s.table);
            const FieldDef* f = have.field(name(s.name));
            if (f && !(f->type == FieldType::Text && f->size == MunicipalityOldWidth))
                break;
            if (f)
                sql.push_back(SchemaDdl::dropField(have.name, f->name));
            sql.push_back(SchemaDdl::addField(have.name, *target(s.table).field(name(s.name))));
            break;
        }
        case Guard::CatchPlaceWidth: {
            const TableDef& have = existingTable(s.table);
            const FieldDef* f = have.field(name(s.name));
            // A file without the field at all is left alone rather than stopping every run here.
            if (!f || f->type != FieldType::Text || f->size != CatchPlaceOldWidth)
                break;
            if (!m_hooks.widenCatchPlace || !m_hooks.widenCatchPlace())
                break;
            sql.push_back(SchemaDdl::dropField(have.name, f->name));
            sql.push_back(SchemaDdl::addField(have.name, *target(s.table).field(name(s.name))));
            break;
        }
        }
        return sql;
    }

    void apply(int step, const std::vector<QString>& sql)
    {
        Transaction tx(m_db);
        int statement = 0;
        for (const QString& q : sql) {
            if (m_hooks.beforeStatement)
                m_hooks.beforeStatement(step, statement);
            m_db.execute(q);
            ++statement;
        }
        tx.commit();
        m_cat = Catalogue::read(m_db);
    }

    Database& m_db;
    const UpgradeHooks& m_hooks;
    Catalogue m_cat;
    std::vector<int> m_applied;
};

} // namespace

std::vector<int> UpdateDatabase(Database& db, const UpgradeHooks& hooks)
{
    return Upgrade(db, hooks).run();
}

} // namespace tikkeli
