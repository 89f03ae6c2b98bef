#include "app/MaintenanceCommands.h"

#include "backup/DatabaseRelease.h"

#include "app/EuroConversion.h"
#include "base/Prompter.h"
#include "db/ClubChanges.h"
#include "db/Database.h"
#include "db/DatabaseFiles.h"
#include "db/DbError.h"
#include "db/SqlDialect.h"
#include "db/Transaction.h"
#include "base/SharedState.h"

#include <sqlite3.h>

#include <vector>

namespace tikkeli {

namespace {

// DAO refused to Execute a statement that returns rows, with this number.
constexpr int SelectNotExecutable = 3065;

// The service commands' table groups, in the order their rows are deleted.
const QStringList DeleteMembers = {QStringLiteral("jr"), QStringLiteral("pt")};
const QStringList DeleteInvoices = {QStringLiteral("jm"), QStringLiteral("jmhist"), QStringLiteral("jmRivi")};
const QStringList DeleteFeatures = {QStringLiteral("pi"), QStringLiteral("pt")};
const QStringList DeleteContracts = {QStringLiteral("vs"), QStringLiteral("tl"), QStringLiteral("mt")};
const QStringList DeleteOtherTables = {QStringLiteral("lt"), QStringLiteral("me"),  QStringLiteral("el"),
                                       QStringLiteral("et"), QStringLiteral("mvs"), QStringLiteral("si")};

struct ServiceCommand {
    const char* command;
    std::vector<const QStringList*> groups;
    const char* done;
};

const std::vector<ServiceCommand>& serviceCommands()
{
    static const std::vector<ServiceCommand> list = {
        {"POISTA KAIKKI",
         {&DeleteMembers, &DeleteInvoices, &DeleteFeatures, &DeleteContracts, &DeleteOtherTables},
         "Kaikki poistettu!"},
        {"POISTA LASKUT", {&DeleteInvoices}, "Laskut poistettu!"},
        {"POISTA OMINAISUUDET", {&DeleteFeatures}, "Ominaisuudet poistettu!"},
        {"POISTA SOPIMUKSET", {&DeleteContracts}, "Sopimukset poistettu!"},
    };
    return list;
}

QString errorText(int number, const QString& description, const QString& separator)
{
    return QString::number(number) + separator + description;
}

// Reports a failed command that rolled back, in the manner of the SQL runner.
void reportRolledBack(const QString& prefix, const DbException& e)
{
    ShowInfo(prefix + errorText(e.number(), e.description(), QStringLiteral(" / "))
             + QStringLiteral("\n\nTietokantaan ei tehty muutoksia."));
}

// The connection is the windows' shared one: work done inside a window's unfinished save would be
// undone with it while the command reports it done, and a COMMIT or ROLLBACK typed into the SQL
// runner would end that save.
Database openIdle()
{
    Database db = Database::open(State().DatabasePath);
    if (db.inTransaction())
        throw DbException(DbErr::TransactionOpen, QStringLiteral("Tietokannan tallennus on kesken toisessa ikkunassa."));
    return db;
}

void runConversion(const QString& question, void (*convert)(Database&))
{
    if (!AskYesNo(question, MsgIcon::Question, State().ProgramTitle))
        return;
    try {
        Database db = openIdle();
        convert(db);
        db.close();
    } catch (const DbException& e) {
        reportRolledBack(QStringLiteral("Muunnoksen suorituksessa tapahtui virhe: "), e);
    }
}

// A damaged file was replaced by what could be salvaged from it: the user learns where the
// original is and what each table kept and lost; a repair that lost rows is not called done.
QString repairText(const RepairResult& result)
{
    if (!result.wasDamaged)
        return QStringLiteral("Korjaus valmis.");
    return (result.complete() ? QStringLiteral("Korjaus valmis.")
                              : QStringLiteral("Korjaus tehty, mutta tietoja menetettiin."))
           + QStringLiteral("\n\n") + result.summary();
}

bool returnsRows(Database& db, const QString& sql)
{
    sqlite3_stmt* stmt = nullptr;
    const QByteArray text = NormalizeSql(sql).toUtf8();
    if (sqlite3_prepare_v2(db.handle(), text.constData(), int(text.size()), &stmt, nullptr) != SQLITE_OK)
        return false; // the engine's own error comes from executing it
    const bool rows = stmt && sqlite3_column_count(stmt) > 0;
    sqlite3_finalize(stmt);
    return rows;
}

} // namespace

void MaintenanceCommands::euroConversion()
{
    runConversion(QStringLiteral("Muunnetaanko arvokentät euroiksi? (maksut, ominaisuudet)"), &EuroConversion::toEuros);
}

void MaintenanceCommands::reverseEuroConversion()
{
    runConversion(QStringLiteral("Muunnetaanko arvokentät takaisin markoiksi? (maksut, ominaisuudet)"),
                  &EuroConversion::toMarks);
}

QString MaintenanceCommands::runServiceCommand(Database& db, const QString& command)
{
    for (const ServiceCommand& c : serviceCommands()) {
        if (command != QLatin1String(c.command))
            continue;
        Transaction tx(db);
        for (const QStringList* group : c.groups) {
            for (const QString& table : *group)
                db.execute(QStringLiteral("DELETE FROM ") + table);
            if (group == &DeleteMembers)
                ClubChanges::announce(db, ClubChanges::Kind::Members);
        }
        tx.commit();
        return QString::fromUtf8(c.done);
    }
    return {};
}

void MaintenanceCommands::serviceCommandBox()
{
    const std::optional<QString> answer = Prompter::instance().input(QStringLiteral("Anna Tikkeli komento"),
                                                                     State().ProgramTitle, QString());
    if (!answer || answer->isEmpty())
        return;
    const QString command = answer->toUpper();
    bool known = false;
    for (const ServiceCommand& c : serviceCommands())
        known = known || command == QLatin1String(c.command);
    if (!known) {
        ShowInfo(QStringLiteral("Komentoa ei löydy, tarkista komento.\n\nAntamasi komento: ") + command);
        return;
    }
    try {
        Database db = openIdle();
        const QString done = runServiceCommand(db, command);
        db.close();
        ShowInfo(done);
    } catch (const DbException& e) {
        reportRolledBack(QStringLiteral("Komennon suorituksessa tapahtui virhe: "), e);
    }
}

void MaintenanceCommands::sqlStatement()
{
    const std::optional<QString> sql = Prompter::instance().input(
        QStringLiteral("Kirjoita SQL-lause.\nJos haluat keskeyttää, jätä kenttä tyhjäksi."), State().ProgramTitle);
    if (!sql || sql->isEmpty())
        return;
    try {
        Database db = openIdle();
        if (returnsRows(db, *sql))
            throw DbException(SelectNotExecutable, QStringLiteral("Valintakyselyä ei voi suorittaa."));
        const int changesBefore = sqlite3_total_changes(db.handle());
        db.execute(*sql);
        // A BEGIN on its own would leave every later change of every window uncommitted.
        if (db.inTransaction()) {
            db.execute(QStringLiteral("ROLLBACK"));
            throw DbException(DbErr::TransactionOpen,
                              QStringLiteral("Tapahtuman aloittavaa lausetta ei voi suorittaa yksinään."));
        }
        // The typed statement may have written any member's row.
        if (sqlite3_total_changes(db.handle()) != changesBefore)
            ClubChanges::announce(db, ClubChanges::Kind::Members);
        db.close();
        ShowInfo(QStringLiteral("SQL-lause suoritettu."));
    } catch (const DbException& e) {
        ShowInfo(QStringLiteral("SQL-lauseen suorituksessa tapahtui virhe: ")
                 + errorText(e.number(), e.description(), QStringLiteral(" / ")));
    }
}

void MaintenanceCommands::databaseRepair()
{
    const QString question = QStringLiteral("Tämä toiminto yrittää korjata vahingoittuneen tietokannan.\n"
                                            "Toiminnosta ei ole vahinkoa täysin kunnossa olevalle tietokannalle.\n\n"
                                            "Haluatko suorittaa tietokannan korjauksen?");
    if (!AskYesNo(question, MsgIcon::None, State().ProgramTitle))
        return;
    const QString path = State().DatabasePath;
    if (!ReleaseDatabase(path))
        return;
    try {
        // A repair that saves every row under its key leaves the windows open with what they hold
        // typed, as a compaction does. One that cannot would leave them holding rows that are gone:
        // they close first, each storing what it holds as its own close does, and the file is then
        // salvaged as they left it.
        RepairResult result = RepairDatabase(path, PartialRepair::HoldBack);
        QString closed;
        if (result.heldBack) {
            if (CloseWindows && !CloseWindows()) {
                ShowWarning(QStringLiteral("Tietokantaa ei korjattu, koska kaikkia ikkunoita ei voitu sulkea. "
                                           "Tietokantaan ei tehty muutoksia."));
                return;
            }
            if (!ReleaseDatabase(path))
                return;
            result = RepairDatabase(path);
            closed = QStringLiteral("\n\nIkkunat suljettiin ennen korjausta.");
        }
        ShowInfo(repairText(result) + closed);
    } catch (const DbException& e) {
        ShowWarning(QStringLiteral("Korjaus ei onnistunut: ")
                    + errorText(e.number(), e.description(), QStringLiteral(": ")));
    }
}

} // namespace tikkeli
