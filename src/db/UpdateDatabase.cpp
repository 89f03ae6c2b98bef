#include "db/UpdateDatabase.h"

#include "db/Catalogue.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/Schema.h"
#include "db/SchemaDdl.h"
#include "db/Transaction.h"

#include "base/ErrorHandling.h"

#include <QtEndian>
#include <QStringList>
#include <optional>
#include <sqlite3.h>

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
    // The day a reminder last went by e-mail: the e-mail mark alone cannot tell a reminder e-mailed
    // today from one e-mailed on an earlier day and given on paper since.
    {77, Guard::NoField, "jmhist", "jmhMuistutusEmailedPaiva"},
};
static_assert(std::size(Steps) == 77);

constexpr int CatchPlaceOldWidth = 50;
constexpr int MunicipalityOldWidth = 50;

// The mark a file current for this list of steps carries in its header (PRAGMA user_version): a
// digest of the steps and of the file's whole schema text. Whether a step has work to do depends
// on the schema alone (and on the one question), so a file whose schema text is the one it was
// marked with needs nothing. Any change of the schema afterwards, by this program, an older one
// or another tool, changes the digest, and the file is checked again. Never 0, which is what a
// file that was never marked (or one of an older version) holds.
//
// The check runs at every start-up, so it must cost about what reading the schema costs. The
// digest only has to change when the schema does (nobody forges a schema against it), so a fast
// non-cryptographic hash serves; a cryptographic one costs several times the read. Each schema
// row is hashed on its own and the row hashes are added up, so the digest does not depend on the
// order of the rows: a compacted copy, which writes its schema in another order, keeps the mark
// without the sort an ORDER BY would cost.
constexpr quint64 HashMultiplier = 0x9E3779B97F4A7C15ull;

quint64 finishHash(quint64 h)
{
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    return h;
}

quint64 hashBytes(const unsigned char* p, qsizetype n, quint64 h)
{
    qsizetype i = 0;
    for (; i + 8 <= n; i += 8) {
        h = (h ^ qFromLittleEndian<quint64>(p + i)) * HashMultiplier;
        h ^= h >> 32;
    }
    quint64 tail = 0;
    for (int k = 0; i + k < n; ++k)
        tail |= quint64(p[i + k]) << (8 * k);
    return finishHash((h ^ tail ^ (quint64(n) << 56)) * HashMultiplier);
}

QByteArray stepLine(int no, const QByteArray& what)
{
    return QByteArray::number(no) + ' ' + what + '\n';
}

quint64 digestOf(const QByteArray& text)
{
    return hashBytes(reinterpret_cast<const unsigned char*>(text.constData()), text.size(), 0);
}

// The program's own steps as the mark knows them.
const QByteArray& programStepsText()
{
    static const QByteArray text = [] {
        QByteArray t("tikkeli upgrade steps\n");
        for (const Step& s : Steps)
            t += stepLine(s.no, QByteArray::number(int(s.guard)) + ' ' + QByteArray(s.table ? s.table : "-") + ' '
                                    + QByteArray(s.name ? s.name : "-"));
        return t;
    }();
    return text;
}

std::optional<qint32> schemaMark(Database& db, const UpgradeSteps& steps)
{
    sqlite3* h = db.handle();
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(h, "SELECT type, name, tbl_name, sql FROM sqlite_master", -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return std::nullopt;
    }
    quint64 sum = 0, rows = 0;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        quint64 row = 0;
        for (int c = 0; c < 4; ++c) {
            // A Null (an automatic index has no statement) reads apart from any text, even an empty one.
            const auto* text = sqlite3_column_text(st, c);
            const quint64 column = quint64(c + 1) << 60;
            row = text ? hashBytes(text, sqlite3_column_bytes(st, c), row ^ column) : finishHash(row ^ column ^ 0x5A5A);
        }
        sum += finishHash(row);
        ++rows;
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE)
        return std::nullopt;
    const quint64 d = finishHash(steps.digest() ^ finishHash(sum + rows * HashMultiplier));
    const qint32 mark = qint32((d >> 32) & 0x7FFFFFFFu);
    return mark == 0 ? 1 : mark;
}

// Read straight from the engine: this runs on every start-up, and the layer's statement handling
// costs about half what the whole schema read does.
std::optional<qint64> storedMark(Database& db)
{
    sqlite3_stmt* st = nullptr;
    std::optional<qint64> mark;
    if (sqlite3_prepare_v2(db.handle(), "PRAGMA user_version", -1, &st, nullptr) == SQLITE_OK
        && sqlite3_step(st) == SQLITE_ROW)
        mark = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    return mark;
}

class Upgrade {
public:
    Upgrade(Database& db, const UpgradeHooks& hooks, const UpgradeSteps& steps)
        : m_db(db), m_hooks(hooks), m_steps(steps), m_cat(Catalogue::read(db))
    {
    }

    std::vector<int> run()
    {
        for (const Step& s : Steps)
            applyIfNeeded(s.no, plan(s, true));
        for (const UpgradeStep& s : m_steps.added())
            applyIfNeeded(s.no, s.plan(m_cat));
        return m_applied;
    }

    // After a run that left nothing undone (the catch place not refused), the file is marked
    // current. Inside one transaction the schema is read again and every guard checked, so a
    // change another program made meanwhile is never marked as current; the transaction holds
    // off such changes until the mark is written.
    void rememberCurrent()
    {
        if (m_pending)
            return;
        Transaction tx(m_db);
        m_cat = Catalogue::read(m_db);
        for (const Step& s : Steps) {
            if (!plan(s, false).empty() || m_pending)
                return;
        }
        for (const UpgradeStep& s : m_steps.added())
            if (!s.plan(m_cat).empty())
                return;
        const std::optional<qint32> mark = schemaMark(m_db, m_steps);
        if (!mark)
            return;
        // A number computed here, never outside text; a pragma takes no bound values.
        m_db.execute(QStringLiteral("PRAGMA user_version = %1").arg(*mark));
        tx.commit();
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
    // Without `ask` the one question is not put: a step that would need it counts as pending.
    std::vector<QString> plan(const Step& s, bool ask)
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
            if (!ask || !m_hooks.widenCatchPlace || !m_hooks.widenCatchPlace()) {
                m_pending = true;
                break;
            }
            sql.push_back(SchemaDdl::dropField(have.name, f->name));
            sql.push_back(SchemaDdl::addField(have.name, *target(s.table).field(name(s.name))));
            break;
        }
        }
        return sql;
    }

    void applyIfNeeded(int step, const std::vector<QString>& sql)
    {
        if (sql.empty())
            return;
        apply(step, sql);
        m_applied.push_back(step);
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
    const UpgradeSteps& m_steps;
    Catalogue m_cat;
    std::vector<int> m_applied;
    bool m_pending = false; // a step the user put off
};

} // namespace

UpgradeSteps::UpgradeSteps() : m_digest(digestOf(programStepsText())) {}

const UpgradeSteps& UpgradeSteps::program()
{
    static const UpgradeSteps steps;
    return steps;
}

UpgradeSteps UpgradeSteps::with(UpgradeStep step) const
{
    UpgradeSteps more = *this;
    more.m_added.push_back(std::move(step));
    QByteArray text = programStepsText();
    for (const UpgradeStep& s : more.m_added)
        text += stepLine(s.no, s.name.toUtf8());
    more.m_digest = digestOf(text);
    return more;
}

bool SchemaMarkedCurrent(Database& db, const UpgradeSteps& steps)
{
    const std::optional<qint64> stored = storedMark(db);
    if (!stored || *stored == 0)
        return false;
    const std::optional<qint32> mark = schemaMark(db, steps);
    return mark && *stored == *mark;
}

std::vector<int> UpdateDatabase(Database& db, const UpgradeHooks& hooks, const UpgradeSteps& steps)
{
    if (SchemaMarkedCurrent(db, steps))
        return {};
    Upgrade upgrade(db, hooks, steps);
    std::vector<int> applied = upgrade.run();
    // Without the mark the next run only checks the file again.
    IgnoringErrors("upgrade: mark the schema current", [&] { upgrade.rememberCurrent(); });
    return applied;
}

} // namespace tikkeli
