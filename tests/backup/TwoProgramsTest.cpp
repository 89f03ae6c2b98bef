#include "BackupTestDb.h"
#include "FakeVolumes.h"

#include "app/MaintenanceCommands.h"
#include "backup/BackupCompaction.h"
#include "backup/DatabaseCopy.h"
#include "backup/FolderBackup.h"
#include "backup/ui/frmBackupRestore.h"
#include "base/ScriptedPrompter.h"
#include "base/SharedState.h"
#include "db/FileHold.h"
#include "db/Transaction.h"
#include "settings/GuidedRepair.h"
#include "settings/NewDatabase.h"
#include "support/Controls.h"
#include "support/FailingFileSafety.h"
#include "support/OtherProgramRestore.h"
#include "support/TestFiles.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
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
};

const std::vector<Step>& steps()
{
    static const std::vector<Step> all = {
        {"kansiovarmuuskopio", folderBackup, Step::SameRows},  {"tiivistys", stickCompaction, Step::SameRows},
        {"kansiopalautus", folderRestore, Step::Restored},     {"tikkupalautus", stickRestore, Step::Restored},
        {"korjaus", maintenanceRepair, Step::Repaired},        {"kaynnistyskorjaus", startupRepair, Step::Repaired},
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

// The club with four members; the backup in the folder and on the stick is of its three. A file
// to repair has one index given the pages of another: every read of the members works, the
// integrity check fails.
void makeClub(const Layout& l, const Step& step)
{
    for (const QString& folder : {QFileInfo(l.db()).absolutePath(), l.backupFolder(),
                                  QFileInfo(l.stickCopy()).absolutePath(), QFileInfo(l.other("x")).absolutePath()})
        ASSERT_TRUE(QDir().mkpath(folder));
    BackupTestDb::createAt(l.db());
    // Made here, but this program is no program of the club's: it lets the file go, and what it
    // finds there later is no file put in place of one it had.
    ConnectionRegistry::closeAll(l.db());
    FileHold::letGo(canonical(l.db()));
    FileHold::created(canonical(l.db()));
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
std::unique_ptr<QProcess> startProgram(const Layout& l, const char* role, const QString& step = {}, int killAt = 0)
{
    auto program = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(RoleVar), QString::fromLatin1(role));
    env.insert(QString::fromLatin1(FolderVar), l.root);
    env.insert(QString::fromLatin1(StepVar), step);
    env.insert(QString::fromLatin1(KillVar), QString::number(killAt));
    program->setProcessEnvironment(env);
    program->setProcessChannelMode(QProcess::MergedChannels);
    program->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=TwoProgramsChild.*")});
    EXPECT_TRUE(program->waitForStarted(10000));
    return program;
}

bool waitFor(const std::function<bool()>& condition, int ms = 20000)
{
    const QDeadlineTimer deadline(ms);
    while (!condition() && !deadline.hasExpired())
        QThread::msleep(10);
    return condition();
}

// The other program: it has the club open and, while its flag is up, saves one member after
// another, writing down which saves it was told were made and which failed.
class OtherProgram {
public:
    explicit OtherProgram(const Layout& l) : m_layout(l), m_program(startProgram(l, "toinen"))
    {
        EXPECT_TRUE(waitFor([&] { return QFileInfo::exists(l.other("auki")); })) << m_program->readAll().toStdString();
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

    Messages shown = step.run(layout);
    const bool replaces = step.result != Step::NeverReplaced;
    EXPECT_EQ(shown.join(u'\n').contains(SoleUse::heldElsewhereText()), replaces) << shown.join(u'\n').toStdString();
    EXPECT_EQ(image(layout), before);

    other.startSaving();
    ASSERT_TRUE(waitFor([&] { return other.savesMade() >= 3; }));
    shown = step.run(layout);
    ASSERT_TRUE(waitFor([&, made = other.savesMade()] { return other.savesMade() >= made + 3; }));
    other.close();
    EXPECT_EQ(shown.join(u'\n').contains(SoleUse::heldElsewhereText()), replaces);

    const QString rowsWithSaves = members(layout.db());
    shown = step.run(layout);
    expectDone(layout, step, shown, rowsWithSaves);
    expectSavesExactlyOnce(step.result == Step::Restored ? keptOriginal(layout, step) : layout.db(), other);
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
        makeClub(l, step);
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
        ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(l.other("avaa")); }));
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
    if (role == "vaihe") {
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
    Database db = Database::open(l.db());
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
