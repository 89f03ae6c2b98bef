#include "BackupTestDb.h"
#include "FakeVolumes.h"

#include "app/MaintenanceCommands.h"
#include "backup/BackupCompaction.h"
#include "backup/DatabaseCopy.h"
#include "backup/BackupRestore.h"
#include "backup/FolderBackup.h"
#include "backup/ui/frmBackupRestore.h"
#include "base/ScriptedPrompter.h"
#include "base/SharedState.h"
#include "db/ClubChanges.h"
#include "db/FileHold.h"
#include "db/Transaction.h"
#include "settings/GuidedRepair.h"
#include "settings/NewDatabase.h"
#include "support/Controls.h"
#include "support/FailingFileSafety.h"
#include "support/OtherProgramRestore.h"
#include "support/SecondProgram.h"
#include "support/TestFiles.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>
#include <cctype>
#include <map>
#include <memory>
#include <signal.h>
#include <unistd.h>

using namespace tikkeli;
using namespace tikkeli::test;

namespace {

// The test program started again as a second program of ours: its role, the folder both work in,
// and for a step's program the step and the file step at which it is killed (for one that opens
// the file, how long it waits).
constexpr char RoleVar[] = "TIKKELI_KAKSI_ROOLI";
constexpr char FolderVar[] = "TIKKELI_KAKSI_KANSIO";
constexpr char StepVar[] = "TIKKELI_KAKSI_VAIHE";
constexpr char KillVar[] = "TIKKELI_KAKSI_KAADA";
constexpr char FileVar[] = "TIKKELI_KAKSI_TIEDOSTO";

// Where the club and its copies lie, the same for both programs.
struct Layout {
    QString root;
    QString documents() const { return root + QStringLiteral("/asiakirjat"); }
    QString db() const { return documents() + QStringLiteral("/Tikkeli/seura.mdb"); }
    QString backupFolder() const { return root + QStringLiteral("/varmistus"); }
    QString backupCopy() const { return backupFolder() + QStringLiteral("/seura.mdb"); }
    QString stick() const { return root + QStringLiteral("/tikku"); }
    QString stickCopy() const { return stick() + QStringLiteral("/Tikkeli/20260105/seura.mdb"); }
    // The other program's own files: its list of saves and the flags it is steered by.
    QString other(const char* name) const { return root + QStringLiteral("/toinen/") + QLatin1String(name); }

    void use() const
    {
        qputenv("TIKKELI_INI", QFile::encodeName(root + QStringLiteral("/Tikkeli.ini")));
        qputenv("TIKKELI_DOCUMENTS", QFile::encodeName(documents()));
        State() = SharedState{};
        State().ProgramTitle = QStringLiteral("Tikkeli");
        State().DatabasePath = db();
        State().BackupFolder = backupFolder();
    }
};

// The messages a step showed; each step answers its own questions as a user who goes ahead.
using Messages = QStringList;

Messages folderBackup(const Layout&)
{
    ScriptedPrompter p;
    FolderBackup::backup();
    return p.messageTexts();
}

Messages stickCompaction(const Layout& l)
{
    ScriptedPrompter p;
    return {BackupCompaction::run(l.db()).stepText()};
}

Messages folderRestore(const Layout& l)
{
    ScriptedPrompter p;
    FolderBackup::EndProgram = [] {};
    p.answerText(l.backupCopy()); // the backup
    p.answerText(l.db());         // restored over the club's file
    p.answerYes();                // the file exists: replace it
    p.answerYes();                // it is the database in use
    p.answerText(std::nullopt);   // the save dialog again after a refusal: cancelled
    FolderBackup::restore();
    FolderBackup::EndProgram = {};
    return p.messageTexts();
}

Messages stickRestore(const Layout& l)
{
    ScriptedPrompter p;
    FakeVolumes volumes;
    volumes.add(l.stick());
    frmBackupRestore::EndProgram = [] {};
    {
        frmBackupRestore w;
        w.show();
        QTest::mouseClick(Control<QPushButton>(w, "cEtsiMuistitikku"), Qt::LeftButton);
        for (const auto& [list, text] : {std::pair{"lstPaiva", "05.01.2026"}, std::pair{"lstTietokanta", "seura.mdb"}}) {
            auto* l = Control<QListWidget>(w, list);
            const auto items = l->findItems(QString::fromUtf8(text), Qt::MatchExactly);
            if (items.size() == 1)
                QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(items.front()).center());
        }
        p.answerYes(); // the file exists: replace it
        p.answerYes(); // it is the database in use
        QTest::mouseClick(Control<QPushButton>(w, "cPalauta"), Qt::LeftButton);
    }
    frmBackupRestore::EndProgram = {};
    return p.messageTexts();
}

Messages maintenanceRepair(const Layout&)
{
    ScriptedPrompter p;
    p.answerYes();
    MaintenanceCommands::databaseRepair();
    return p.messageTexts();
}

Messages startupRepair(const Layout& l)
{
    ScriptedPrompter p;
    RunGuidedRepair(l.db());
    return p.messageTexts();
}

Messages newDatabase(const Layout&)
{
    ScriptedPrompter p;
    p.answerText(QStringLiteral("seura"));
    CreateNewDatabase(NewDatabaseIntro(), NewDatabaseTemplate());
    return p.messageTexts();
}

// A step and what it leaves when it is done: the club's rows, and the other program's saves
// where they then are.
struct Step {
    const char* name;
    std::function<Messages(const Layout&)> run;
    enum Result { SameRows, Restored, Repaired, NeverReplaced } result;
    // The step's first file step copies the club into the backup folder, which it may do while
    // another program has the file.
    bool copiesFirst = false;
};

const std::vector<Step>& steps()
{
    static const std::vector<Step> all = {
        {"kansiovarmuuskopio", folderBackup, Step::SameRows, true},
        {"tiivistys", stickCompaction, Step::SameRows},
        {"kansiopalautus", folderRestore, Step::Restored},
        {"tikkupalautus", stickRestore, Step::Restored},
        {"korjaus", maintenanceRepair, Step::Repaired},
        {"kaynnistyskorjaus", startupRepair, Step::Repaired},
        {"uusi tietokanta", newDatabase, Step::NeverReplaced},
    };
    return all;
}

const Step& stepNamed(const QString& name)
{
    for (const Step& s : steps())
        if (name == QLatin1String(s.name))
            return s;
    throw std::invalid_argument("no such step");
}

QString canonical(const QString& path)
{
    return QFileInfo(path).canonicalFilePath();
}

// The club's own program holds its file from its start to its end, with or without a connection.
void holdClub(const Layout& l)
{
    Database::open(l.db()).scalar(QStringLiteral("SELECT count(*) FROM jr"));
    ConnectionRegistry::closeAll(l.db());
}

// The club with four members; the backup in the folder and on the stick is of its three. A file
// to repair has one index given the pages of another: every read of the members works, the
// integrity check fails. This program goes on as the club's program, holding the file, or lets
// it go for a step's program of its own.
enum class Club { Held, LetGo };
void makeClub(const Layout& l, const Step& step, Club club = Club::Held)
{
    for (const QString& folder : {QFileInfo(l.db()).absolutePath(), l.backupFolder(),
                                  QFileInfo(l.stickCopy()).absolutePath(), QFileInfo(l.other("x")).absolutePath()})
        ASSERT_TRUE(QDir().mkpath(folder));
    BackupTestDb::createAt(l.db());
    ConnectionRegistry::closeAll(l.db());
    if (club == Club::LetGo) {
        // What this program finds at the path later is no file put in place of one it had.
        FileHold::letGo(canonical(l.db()));
        FileHold::created(canonical(l.db()));
    }
    ASSERT_FALSE(DatabaseCopy::copy(l.db(), l.backupCopy()));
    ASSERT_FALSE(DatabaseCopy::copy(l.db(), l.stickCopy()));
    BackupTestDb::addMember(l.db(), QStringLiteral("Uusi"));
    if (step.result == Step::Repaired) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(l.db()).constData(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db,
                               "CREATE TABLE vika1 (x TEXT); CREATE INDEX vika1_x ON vika1 (x);"
                               "CREATE TABLE vika2 (x TEXT); CREATE INDEX vika2_x ON vika2 (x);"
                               "INSERT INTO vika1 VALUES ('a'), ('b'); INSERT INTO vika2 VALUES ('c'), ('d'), ('e');"
                               "PRAGMA writable_schema = ON;"
                               "UPDATE sqlite_master SET rootpage = (SELECT rootpage FROM sqlite_master WHERE name = "
                               "'vika2_x') WHERE name = 'vika1_x';",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
        ASSERT_NE(FileRows(l.db(), QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    }
}

QString members(const QString& path)
{
    return FileRows(path, QStringLiteral("SELECT Nimi FROM jr ORDER BY Nimi"));
}

// Every file under the folder with a digest of its bytes, a line each; the other program's own
// files are no part of it.
std::string image(const Layout& l)
{
    QStringList files;
    QDirIterator it(l.root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!path.startsWith(QFileInfo(l.other("x")).absolutePath()))
            files << path.mid(l.root.size()) + u' '
                         + QString::fromLatin1(
                             QCryptographicHash::hash(ReadFileBytes(path), QCryptographicHash::Sha1).toHex());
    }
    files.sort();
    return files.join(u'\n').toStdString();
}

// This test program started again, as the other program or as a step's program.
std::unique_ptr<QProcess> startProgram(const Layout& l, const char* role, const QString& step = {}, int killAt = 0,
                                       const QString& file = {})
{
    QProcessEnvironment roles;
    roles.insert(QString::fromLatin1(RoleVar), QString::fromLatin1(role));
    roles.insert(QString::fromLatin1(FolderVar), l.root);
    roles.insert(QString::fromLatin1(StepVar), step);
    roles.insert(QString::fromLatin1(KillVar), QString::number(killAt));
    roles.insert(QString::fromLatin1(FileVar), file.isEmpty() ? l.db() : file);
    return StartSecondProgram(QStringLiteral("TwoProgramsChild.*"), roles);
}

// The other program: it has the club open and, while its flag is up, saves one member after
// another, writing down which saves it was told were made and which failed.
class OtherProgram {
public:
    explicit OtherProgram(const Layout& l, const QString& file = {})
        : m_layout(l), m_program(startProgram(l, "toinen", {}, 0, file))
    {
        EXPECT_TRUE(WaitFor([&] { return QFileInfo::exists(l.other("auki")); })) << m_program->readAll().toStdString();
    }
    ~OtherProgram() { close(); }
    void startSaving() { WriteFileBytes(m_layout.other("tallenna"), "1"); }
    void close()
    {
        if (m_program->state() == QProcess::NotRunning)
            return;
        WriteFileBytes(m_layout.other("lopeta"), "1");
        EXPECT_TRUE(m_program->waitForFinished(20000));
        EXPECT_EQ(m_program->exitCode(), 0) << m_program->readAll().toStdString();
    }
    // The saves as the other program was told of them: "A<n>" made, and those that failed.
    std::pair<QStringList, QStringList> saves() const
    {
        QStringList made, failed;
        for (const QByteArray& line : ReadFileBytes(m_layout.other("tallennukset")).split('\n')) {
            if (line.startsWith("ok "))
                made << QString::fromLatin1(line.mid(3));
            else if (line.startsWith("virhe "))
                failed << QString::fromLatin1(line.mid(6));
        }
        return {made, failed};
    }
    int savesMade() const { return int(saves().first.size()); }

private:
    Layout m_layout;
    std::unique_ptr<QProcess> m_program;
};

// Each save told made is in the file once; none told failed is in it; the file checks whole.
void expectSavesExactlyOnce(const QString& file, const OtherProgram& other)
{
    const auto [made, failed] = other.saves();
    EXPECT_FALSE(made.isEmpty());
    for (const QString& name : made)
        EXPECT_EQ(FileRows(file, QStringLiteral("SELECT count(*) FROM jr WHERE Nimi = '%1'").arg(name)), QStringLiteral("1"))
            << name.toStdString();
    for (const QString& name : failed)
        EXPECT_EQ(FileRows(file, QStringLiteral("SELECT count(*) FROM jr WHERE Nimi = '%1'").arg(name)), QStringLiteral("0"))
            << name.toStdString();
    EXPECT_EQ(FileRows(file, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
}

// What a third program of ours gets at the club's file: whether its whole-file step is refused,
// and whether it opens the file without waiting long.
struct AnotherTry {
    bool stepRefused = false;
    bool opened = false;
};
AnotherTry tryFromAnother(const Layout& l)
{
    QFile::remove(l.other("kokeiltu"));
    const auto program = startProgram(l, "kokeilija");
    EXPECT_TRUE(program->waitForFinished(20000));
    const QByteArray result = ReadFileBytes(l.other("kokeiltu"));
    EXPECT_EQ(result.size(), 2) << program->readAll().toStdString();
    return {result.startsWith('1'), result.endsWith('1')};
}

// The file the step left where the other program's saves went.
QString keptOriginal(const Layout& l, const Step& step)
{
    const QString folder = QFileInfo(l.db()).absolutePath();
    const QStringList names = QDir(folder).entryList({step.result == Step::Repaired
                                                          ? QStringLiteral("seura_vioittunut*.mdb")
                                                          : QStringLiteral("seura_ennen_palautusta_*.mdb")},
                                                     QDir::Files);
    // The newest, when a stopped step left one before.
    return names.isEmpty() ? QString() : folder + u'/' + names.back();
}

// Whether the step was done: the file at the club's path is its result.
void expectDone(const Layout& l, const Step& step, const Messages& shown, const QString& rowsBefore)
{
    const QString said = shown.join(u'\n');
    EXPECT_FALSE(said.contains(SoleUse::heldElsewhereText())) << said.toStdString();
    switch (step.result) {
    case Step::SameRows:
        EXPECT_EQ(members(l.db()), rowsBefore);
        EXPECT_TRUE(said.contains(QStringLiteral("valmis"))) << said.toStdString();
        break;
    case Step::Restored:
        EXPECT_TRUE(ReadFileBytes(l.db()) == ReadFileBytes(l.backupCopy())
                    || ReadFileBytes(l.db()) == ReadFileBytes(l.stickCopy()));
        EXPECT_EQ(members(keptOriginal(l, step)), rowsBefore);
        break;
    case Step::Repaired:
        EXPECT_EQ(FileRows(l.db(), QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
        EXPECT_EQ(members(l.db()), rowsBefore);
        EXPECT_FALSE(keptOriginal(l, step).isEmpty());
        break;
    case Step::NeverReplaced: EXPECT_EQ(members(l.db()), rowsBefore); break;
    }
}

class TwoPrograms : public ::testing::TestWithParam<Step> {
protected:
    void SetUp() override
    {
        layout.root = dir.path();
        layout.use();
        makeClub(layout, GetParam());
    }
    void TearDown() override
    {
        qunsetenv("TIKKELI_INI");
        qunsetenv("TIKKELI_DOCUMENTS");
        State() = SharedState{};
    }
    QTemporaryDir dir;
    Layout layout;
};

std::string stepName(const testing::TestParamInfo<Step>& info)
{
    std::string name;
    for (const char c : std::string(info.param.name))
        if (std::isalnum(static_cast<unsigned char>(c)))
            name += c;
    return name;
}

} // namespace

// Two programs of ours on one club file. While the other has the file open, a whole-file step is
// refused, saying so, and every file is as it was, byte for byte; also while the other saves
// member after member. Once the other has ended, the step is done, and each save the other was
// told made is in the file once, none told failed is in it, and the file checks whole.
TEST_P(TwoPrograms, AStepIsRefusedWhileTheOtherHasTheFileAndDoneOnceItHasEnded)
{
    const Step& step = GetParam();
    const auto before = image(layout);
    const QString rowsBefore = members(layout.db());
    OtherProgram other(layout);

    // A step that copies into the backup folder first makes its copy all the same, whole, and
    // says so; every other file is as it was.
    const QByteArray backupBefore = ReadFileBytes(layout.backupCopy());
    const auto refused = [&](const Messages& shown, const QString& rows) {
        const QString said = shown.join(u'\n');
        EXPECT_EQ(said.contains(SoleUse::heldElsewhereText()), step.result != Step::NeverReplaced) << said.toStdString();
        EXPECT_EQ(said.contains(QStringLiteral("Varmuuskopio tehtiin")), step.copiesFirst) << said.toStdString();
        if (!step.copiesFirst)
            return;
        EXPECT_EQ(FileRows(layout.backupCopy(), QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
        if (!rows.isEmpty())
            EXPECT_EQ(members(layout.backupCopy()), rows);
        else
            EXPECT_GT(members(layout.backupCopy()).size(), rowsBefore.size());
        WriteFileBytes(layout.backupCopy(), backupBefore);
    };
    Messages shown = step.run(layout);
    refused(shown, rowsBefore);
    EXPECT_EQ(image(layout), before);

    other.startSaving();
    ASSERT_TRUE(WaitFor([&] { return other.savesMade() >= 3; }));
    shown = step.run(layout);
    ASSERT_TRUE(WaitFor([&, made = other.savesMade()] { return other.savesMade() >= made + 3; }));
    other.close();
    refused(shown, {});

    const QString rowsWithSaves = members(layout.db());
    shown = step.run(layout);
    expectDone(layout, step, shown, rowsWithSaves);
    expectSavesExactlyOnce(step.result == Step::Restored ? keptOriginal(layout, step) : layout.db(), other);
    // The program goes on holding its club shared, as before its step: another program opens it,
    // and another's whole-file step is refused.
    const AnotherTry after = tryFromAnother(layout);
    EXPECT_TRUE(after.stepRefused);
    EXPECT_TRUE(after.opened);
}

// The step's program killed at each of its file steps, the other program closed: the club's file
// is the old one or the step's whole result, and the next start and the step taken again finish it.
TEST_P(TwoPrograms, KilledAtEveryFileStepTheFileIsTheOldOneOrTheNewAndTheStepIsDoneNextTime)
{
    const Step& step = GetParam();
    if (step.result == Step::NeverReplaced)
        GTEST_SKIP() << "the step writes no file";
    int total = 0;
    {
        QTemporaryDir counted;
        Layout l{counted.path()};
        l.use();
        makeClub(l, step);
        FailingFileSafety count;
        step.run(l);
        total = count.steps();
        layout.use();
    }
    ASSERT_GE(total, 3);
    for (int at = 1; at <= total; ++at) {
        SCOPED_TRACE(at);
        QTemporaryDir here;
        Layout l{here.path()};
        l.use();
        makeClub(l, step, Club::LetGo);
        const QByteArray old = ReadFileBytes(l.db());
        const QString rowsBefore = members(l.db());
        const auto program = startProgram(l, "vaihe", QString::fromLatin1(step.name), at);
        ASSERT_TRUE(program->waitForFinished(30000));
        EXPECT_EQ(program->exitStatus(), QProcess::CrashExit) << program->readAll().toStdString();

        if (ReadFileBytes(l.db()) != old) {
            EXPECT_EQ(FileRows(l.db(), QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
            EXPECT_EQ(members(l.db()), step.result == Step::Restored ? members(l.backupCopy()) : rowsBefore);
        }
        FolderBackup::removeLeftovers(l.db(), l.backupFolder());
        const Messages shown = step.run(l);
        if (step.result == Step::Restored && members(l.db()) == members(l.backupCopy()) && ReadFileBytes(l.db()) != old)
            continue; // restored before the kill: taken again, the backup would replace itself
        expectDone(l, step, shown, rowsBefore);
    }
    layout.use();
}

INSTANTIATE_TEST_SUITE_P(EveryWholeFileStep, TwoPrograms, testing::ValuesIn(steps()), stepName);

// While a whole-file step of one program has the club's file, another program that opens it waits
// for the step to end and then opens the file the step put in place; a step that lasts longer than
// the wait makes the open fail as a file in use (3051), which the start-up tells as such.
TEST(TwoProgramsOpening, AnOpenWaitsForAStepUnderWayAndIsToldTheFileIsInUseWhenItLasts)
{
    QTemporaryDir dir;
    const Layout l{dir.path()};
    l.use();
    makeClub(l, steps().front());
    for (const bool stepEndsInTime : {true, false}) {
        SCOPED_TRACE(stepEndsInTime ? "the step ends within the wait" : "the step lasts");
        QFile::remove(l.other("avattu"));
        SoleUse step = SoleUse::take(l.db());
        const auto opener = startProgram(l, "avaaja", {}, stepEndsInTime ? 5000 : 300);
        ASSERT_TRUE(WaitFor([&] { return QFileInfo::exists(l.other("avaa")); }));
        if (stepEndsInTime) {
            QThread::msleep(500);
            EXPECT_FALSE(QFileInfo::exists(l.other("avattu"))) << "the open waits";
            // The step puts its file in place: a compaction, with the member added meanwhile.
            ASSERT_TRUE(QFile::copy(l.db(), l.db() + QStringLiteral(".uusi")));
            BackupTestDb::addMember(l.db() + QStringLiteral(".uusi"), QStringLiteral("Tiivistetty"));
            ASSERT_EQ(std::rename(qPrintable(l.db() + QStringLiteral(".uusi")), qPrintable(l.db())), 0);
            step.release();
        }
        ASSERT_TRUE(opener->waitForFinished(20000));
        EXPECT_EQ(ReadFileBytes(l.other("avattu")), stepEndsInTime ? QByteArray("5") : QByteArray("3051"))
            << opener->readAll().toStdString();
    }
}

// The program's own compaction, of the folder backup or the stick's "Tiivistä", puts a file with
// the same rows at the path: its windows go on without being told of a replaced file. From the
// moment the step is over, while the folder backup's closing note is still open, the program holds
// the new file: another program opens it, and another's whole-file step is refused.
TEST(TwoProgramsOwnStep, TheProgramHoldsItsCompactedFileAndItsWindowsAreNotToldOfAReplacedOne)
{
    const std::pair<const char*, std::function<std::optional<AnotherTry>(const Layout&)>> compactions[] = {
        {"folder backup",
         [](const Layout& l) {
             std::optional<AnotherTry> atTheNote;
             ScriptedPrompter p;
             p.onMessage([&](const ScriptedPrompter::Shown& shown) {
                 if (shown.text.contains(QStringLiteral("valmis")))
                     atTheNote = tryFromAnother(l);
             });
             FolderBackup::backup();
             return atTheNote;
         }},
        {"Tiivistä",
         [](const Layout& l) {
             ScriptedPrompter p;
             if (BackupCompaction::run(l.db()).outcome != BackupCompaction::Outcome::Done)
                 return std::optional<AnotherTry>();
             return std::optional(tryFromAnother(l));
         }},
    };
    for (const auto& [name, compact] : compactions) {
        SCOPED_TRACE(name);
        QTemporaryDir dir;
        const Layout l{dir.path()};
        l.use();
        makeClub(l, steps().front());
        const QString rowsBefore = members(l.db());
        const QByteArray old = ReadFileBytes(l.db());
        int told = 0;
        QObject window;
        ClubChanges::followReplaced(&window,
                                    [&](const QString& path) { told += canonical(path) == canonical(l.db()) ? 1 : 0; });

        const std::optional<AnotherTry> meanwhile = compact(l);
        ASSERT_TRUE(meanwhile.has_value()) << "the compaction was done";
        EXPECT_NE(ReadFileBytes(l.db()), old);
        EXPECT_TRUE(meanwhile->stepRefused);
        EXPECT_TRUE(meanwhile->opened);
        QCoreApplication::processEvents();
        EXPECT_EQ(Database::open(l.db()).scalar(QStringLiteral("SELECT count(*) FROM jr")).toInt64(), 4);
        QCoreApplication::processEvents();
        EXPECT_EQ(told, 0);
        EXPECT_EQ(members(l.db()), rowsBefore);
    }
}

// A step of the program's own that stops after taking the file to itself, here at a file in the
// compacted copy's place that is none of ours, leaves the file held as before: shared, so another
// program opens it, and another's whole-file step is still refused.
TEST(TwoProgramsOwnStep, AStepThatStopsHalfwayLeavesTheFileHeldShared)
{
    QTemporaryDir dir;
    const Layout l{dir.path()};
    l.use();
    makeClub(l, steps().front());
    WriteFileBytes(FolderBackup::compactedPath(l.db()), "muistiinpanoja");
    const QByteArray old = ReadFileBytes(l.db());
    {
        ScriptedPrompter p;
        FolderBackup::backup();
        EXPECT_TRUE(p.anyMessageContains(QStringLiteral("ei ole Tikkelin tietokanta")));
    }
    EXPECT_EQ(ReadFileBytes(l.db()), old);
    const AnotherTry after = tryFromAnother(l);
    EXPECT_TRUE(after.stepRefused);
    EXPECT_TRUE(after.opened);
}

// A copy on the stick that another program of ours has open as its database is not deleted under
// it; once that program has ended, it is.
TEST(TwoProgramsStickCopy, ACopyAnotherProgramHasOpenIsNotDeleted)
{
    QTemporaryDir dir;
    const Layout l{dir.path()};
    l.use();
    makeClub(l, steps().front());
    const QByteArray copy = ReadFileBytes(l.stickCopy());
    {
        OtherProgram other(l, l.stickCopy());
        const std::optional<BackupError> refused = BackupRestore::deleteCopy(l.stickCopy());
        ASSERT_TRUE(refused.has_value());
        EXPECT_TRUE(refused->text().contains(SoleUse::heldElsewhereText())) << refused->text().toStdString();
        EXPECT_EQ(ReadFileBytes(l.stickCopy()), copy);
    }
    EXPECT_FALSE(BackupRestore::deleteCopy(l.stickCopy()).has_value());
    EXPECT_FALSE(QFileInfo::exists(l.stickCopy()));
}

// The body of the other program and of a step's program, when this test program is started as one.
TEST(TwoProgramsChild, RunsItsRole)
{
    const QByteArray role = qgetenv(RoleVar);
    if (role.isEmpty())
        GTEST_SKIP() << "started by TwoPrograms as a second program";
    const Layout l{qEnvironmentVariable(FolderVar)};
    l.use();
    if (role == "avaaja") {
        FileHold::WaitMs = qEnvironmentVariableIntValue(KillVar);
        WriteFileBytes(l.other("avaa"), "1");
        QByteArray result;
        try {
            result = QByteArray::number(Database::open(l.db()).scalar(QStringLiteral("SELECT count(*) FROM jr")).toInt64());
        } catch (const DbException& e) {
            result = QByteArray::number(e.number());
        }
        WriteFileBytes(l.other("avattu"), result);
        return;
    }
    if (role == "kokeilija") {
        FileHold::WaitMs = 300;
        QByteArray result = "00";
        try {
            SoleUse::take(l.db());
        } catch (const DbException&) {
            result[0] = '1';
        }
        try {
            Database::open(l.db()).scalar(QStringLiteral("SELECT count(*) FROM jr"));
            result[1] = '1';
        } catch (const DbException&) {
        }
        WriteFileBytes(l.other("kokeiltu"), result);
        return;
    }
    if (role == "vaihe") {
        holdClub(l);
        const int killAt = qEnvironmentVariableIntValue(KillVar);
        FailingFileSafety files;
        files.fault = [&](FileStep, const QString&) {
            if (files.steps() == killAt)
                ::kill(::getpid(), SIGKILL);
            return 0;
        };
        stepNamed(qEnvironmentVariable(StepVar)).run(l);
        return;
    }
    Database db = Database::open(qEnvironmentVariable(FileVar));
    db.scalar(QStringLiteral("SELECT count(*) FROM jr"));
    WriteFileBytes(l.other("auki"), "1");
    QFile saves(l.other("tallennukset"));
    ASSERT_TRUE(saves.open(QIODevice::WriteOnly | QIODevice::Append));
    for (int n = 1; !QFileInfo::exists(l.other("lopeta")); QThread::msleep(5)) {
        if (!QFileInfo::exists(l.other("tallenna")))
            continue;
        const QString name = QStringLiteral("A%1").arg(n++);
        try {
            Transaction tx(db);
            db.execute(QStringLiteral("INSERT INTO jr (Nimi) VALUES (?)"), {Value(name)});
            tx.commit();
            saves.write("ok " + name.toLatin1() + '\n');
        } catch (const DbException&) {
            saves.write("virhe " + name.toLatin1() + '\n');
        }
        saves.flush();
    }
}
