#include "support/FailingFileSafety.h"
#include "support/MaintTestDb.h"
#include "support/ReadOnlyAnswers.h"
#include "support/StoppedRun.h"

#include "backup/BackupRestore.h"
#include "backup/FolderBackup.h"
#include "base/ScriptedPrompter.h"
#include "platform/IniSettingsStore.h"
#include "base/SharedState.h"

#include <QDir>
#include <cerrno>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace tikkeli;
using tikkeli::test::FailingFileSafety;
using tikkeli::test::MaintTestDb;

namespace {

const QString Overwrite = QStringLiteral("Tiedosto on jo olemassa, korvataanko varmuuskopiolla?");
const QString UseIt = QStringLiteral("Otetaanko palautettu tietokanta käyttöön?");

// Another program's connection to a file, outside the program's own: with a cache of two pages,
// a large change spills into the file long before it is committed.
class OtherProgram {
public:
    explicit OtherProgram(const QString& path)
    {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
        exec("PRAGMA cache_size=2");
    }
    ~OtherProgram() { sqlite3_close_v2(m_db); }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;
    int exec(const QString& sql) { return sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr); }
    // Starts changing the first rows rows of the table bulk, and leaves the change open.
    void beginChange(int rows)
    {
        ASSERT_EQ(exec(QStringLiteral("BEGIN")), SQLITE_OK);
        ASSERT_EQ(exec(QStringLiteral("UPDATE bulk SET n = n + 1000, b = randomblob(3000) WHERE rowid <= %1").arg(rows)),
                  SQLITE_OK);
    }

private:
    sqlite3* m_db = nullptr;
};

// The integrity check's verdict and the sum of the table bulk, read without changing the file.
QString checkedState(const QString& path)
{
    return test::ReadOnlyAnswers(path, {"PRAGMA integrity_check", "SELECT count(*) || ' ' || sum(n) FROM bulk"});
}

class FolderRestoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qputenv("TIKKELI_DOCUMENTS", QFile::encodeName(home.filePath(QStringLiteral("Asiakirjat"))));
        qputenv("TIKKELI_INI", QFile::encodeName(home.filePath(QStringLiteral("Tikkeli.ini"))));
        t.fill();
        backupDir = t.dir() + QStringLiteral("/Varmistus");
        QDir().mkpath(backupDir);
        State().BackupFolder = backupDir;
        source = backupDir + QStringLiteral("/seura.mdb");
        ASSERT_TRUE(QFile::copy(t.path(), source));
        restoreDir = home.filePath(QStringLiteral("Asiakirjat/Tikkeli"));
        FolderBackup::EndProgram = [this] { ++ended; };
    }
    void TearDown() override
    {
        BackupRestore::WriterWaitMs = 3000;
        FolderBackup::EndProgram = {};
        qunsetenv("TIKKELI_DOCUMENTS");
        qunsetenv("TIKKELI_INI");
    }
    QString iniDatabase() const
    {
        IniSettingsStore ini;
        ini.setFile(QStringLiteral("Tikkeli.ini"));
        ini.setSection(QStringLiteral("TIKKELI"));
        return ini.read(QStringLiteral("Database"));
    }

    // A club file at path with 300 large rows in the table bulk; its checkedState.
    QString makeClubFileWithBulk(const QString& path)
    {
        QFile::remove(path);
        EXPECT_TRUE(QFile::copy(source, path));
        OtherProgram w(path);
        w.exec(QStringLiteral("CREATE TABLE bulk (n INTEGER, b BLOB)"));
        w.exec(QStringLiteral("WITH RECURSIVE k(v) AS (SELECT 1 UNION ALL SELECT v + 1 FROM k WHERE v < 300) "
                              "INSERT INTO bulk (n, b) SELECT v, randomblob(3000) FROM k"));
        return checkedState(path);
    }
    QStringList keptCopies(const QString& folder = {}) const
    {
        return QDir(folder.isEmpty() ? restoreDir : folder)
            .entryList({QStringLiteral("seura_ennen_palautusta_*")}, QDir::Files);
    }
    // The club keeps its file in a folder of its own and links it into the restore folder: both
    // folders emptied, the file made again (other than the backup), the link made again. The
    // file's bytes.
    QByteArray makeLinkedClubFile()
    {
        for (const QString& folder : {linkedDir(), restoreDir}) {
            QDir().mkpath(folder);
            for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System))
                QFile::remove(folder + u'/' + name);
        }
        EXPECT_TRUE(QFile::copy(source, linkedFile()));
        OtherProgram(linkedFile()).exec(QStringLiteral("CREATE TABLE vanha (x)"));
        EXPECT_TRUE(QFile::link(linkedFile(), link()));
        return test::ReadFileBytes(linkedFile());
    }
    // The backup restored over target: yes to replacing it, no to taking it into use, and the save
    // dialog cancelled when it comes again after a failure.
    void restoreWithoutUse(ScriptedPrompter& p, const QString& target)
    {
        p.answerText(source);
        p.answerText(target);
        p.answerText(std::nullopt);
        p.answerYes();
        p.answerNo();
        FolderBackup::restore();
    }
    QString linkedDir() const { return home.filePath(QStringLiteral("Kerho")); }
    QString linkedFile() const { return linkedDir() + QStringLiteral("/seura.mdb"); }
    QString link() const { return restoreDir + QStringLiteral("/seura.mdb"); }

    QTemporaryDir home;
    MaintTestDb t;
    QString backupDir;
    QString source;
    QString restoreDir;
    int ended = 0;
};

} // namespace

TEST_F(FolderRestoreTest, CancelInTheOpenDialogDoesNothing)
{
    ScriptedPrompter p;
    p.answerText(std::nullopt);
    FolderBackup::restore();
    ASSERT_EQ(p.shown().size(), 1u);
    EXPECT_EQ(p.shown()[0].kind, ScriptedPrompter::Kind::OpenFile);
    EXPECT_EQ(p.shown()[0].request.title, QStringLiteral("Tikkeli - palautettava tietokanta"));
    EXPECT_EQ(p.shown()[0].request.folder, backupDir);
    EXPECT_EQ(p.shown()[0].request.filter, QStringLiteral("Tietokannat (*.mdb);;Kaikki tiedostot (*)"));
    EXPECT_FALSE(QDir(restoreDir).exists());
}

TEST_F(FolderRestoreTest, CancelInTheSaveDialogKeepsTheFolderAndCopiesNothing)
{
    ScriptedPrompter p;
    p.answerText(source);
    p.answerText(std::nullopt);
    FolderBackup::restore();
    ASSERT_EQ(p.shown().size(), 2u);
    EXPECT_EQ(p.shown()[1].kind, ScriptedPrompter::Kind::SaveFile);
    EXPECT_EQ(p.shown()[1].request.folder, restoreDir);
    EXPECT_EQ(p.shown()[1].request.fileName, QStringLiteral("seura.mdb"));
    EXPECT_FALSE(p.shown()[1].request.confirmOverwrite); // the overwrite question is the command's own
    EXPECT_TRUE(QDir(restoreDir).exists());
    EXPECT_TRUE(QDir(restoreDir).isEmpty());
    EXPECT_EQ(p.unexpected(), 0);
}

TEST_F(FolderRestoreTest, ExistingTargetNoThenAFreeNameCopiesWithoutAsking)
{
    QDir().mkpath(restoreDir);
    const QString existing = restoreDir + QStringLiteral("/seura.mdb");
    const QString free = restoreDir + QStringLiteral("/seura2026.mdb");
    test::WriteFileBytes(existing, "toinen tiedosto");
    ScriptedPrompter p;
    p.answerText(source);
    p.answerText(existing);
    p.answerNo(); // do not overwrite
    p.answerText(free);
    p.answerNo(); // do not use it
    FolderBackup::restore();

    QStringList texts;
    for (const auto& s : p.shown())
        texts << s.text;
    EXPECT_EQ(texts.count(Overwrite), 1);
    EXPECT_EQ(texts.last(), UseIt);
    EXPECT_EQ(p.shown()[3].request.fileName, QStringLiteral("seura.mdb")); // the dialog again, as left
    EXPECT_EQ(test::ReadFileBytes(existing), "toinen tiedosto");
    EXPECT_EQ(test::ReadFileBytes(free), test::ReadFileBytes(source));
    EXPECT_EQ(State().DatabasePath, t.path());
    EXPECT_TRUE(p.scriptExhausted());
    EXPECT_EQ(p.unexpected(), 0);
}

TEST_F(FolderRestoreTest, YesOverwritesAndUsingItWritesTheIniFile)
{
    QDir().mkpath(restoreDir);
    const QString existing = restoreDir + QStringLiteral("/seura.mdb");
    test::WriteFileBytes(existing, "toinen tiedosto");
    ScriptedPrompter p;
    p.answerText(source);
    p.answerText(existing);
    p.answerYes();
    p.answerYes();
    FolderBackup::restore();
    EXPECT_EQ(test::ReadFileBytes(existing), test::ReadFileBytes(source));
    EXPECT_EQ(State().DatabasePath, existing);
    EXPECT_EQ(iniDatabase(), existing);
    EXPECT_EQ(p.unexpected(), 0);
    // No temporary left; the replaced file stays beside it, dated.
    const QStringList left = QDir(restoreDir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    ASSERT_EQ(left.size(), 2);
    EXPECT_EQ(left[0], QStringLiteral("seura.mdb"));
    EXPECT_TRUE(left[1].startsWith(QStringLiteral("seura_ennen_palautusta_"))) << left[1].toStdString();
    EXPECT_EQ(test::ReadFileBytes(restoreDir + QLatin1Char('/') + left[1]), "toinen tiedosto");
    EXPECT_EQ(ended, 1); // taken into use: the program ends and starts on it
}

TEST_F(FolderRestoreTest, AStaleJournalBesideTheTargetGoesAndTheCopyIsTheBackupByteForByte)
{
    QDir().mkpath(restoreDir);
    const QString existing = restoreDir + QStringLiteral("/seura.mdb");
    ASSERT_TRUE(QFile::copy(source, existing));
    {
        // The old file at the target, changed in a session that ended in the middle of a write.
        Database d = Database::open(existing);
        d.execute(QStringLiteral("DELETE FROM jr"));
        d.close();
        ConnectionRegistry::closeAll(existing);
    }
    test::WriteFileBytes(existing + QStringLiteral("-journal"), QByteArray(4096, '\x01'));
    ScriptedPrompter p;
    p.answerText(source);
    p.answerText(existing);
    p.answerYes();
    p.answerNo();
    FolderBackup::restore();
    EXPECT_FALSE(QFileInfo::exists(existing + QStringLiteral("-journal")));
    EXPECT_EQ(test::ReadFileBytes(existing), test::ReadFileBytes(source));
    Database d = Database::open(existing);
    EXPECT_EQ(d.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    EXPECT_EQ(d.scalar(QStringLiteral("SELECT COUNT(*) FROM jr")).toInt64(), 3);
    d.close();
    ConnectionRegistry::closeAll(existing);
}

TEST_F(FolderRestoreTest, TheDatabaseInUseIsReplacedOnlyAfterItsOwnQuestionAlsoThroughALink)
{
    QDir().mkpath(restoreDir);
    const QString link = restoreDir + QStringLiteral("/linkki.mdb");
    ASSERT_TRUE(QFile::link(t.path(), link));
    t.open().execute(QStringLiteral("DELETE FROM jr WHERE jrID = 3"));
    const QByteArray live = test::ReadFileBytes(t.path());
    for (const QString& target : {t.path(), link}) {
        FailingFileSafety ops;
        ScriptedPrompter p;
        p.answerText(source);
        p.answerText(target);
        p.answerYes(); // the file exists: replace it?
        p.answerNo();  // it is the database in use: go on?
        p.answerText(std::nullopt);
        FolderBackup::restore();
        ASSERT_EQ(p.shown().size(), 5u);
        EXPECT_TRUE(p.shown()[3].text.contains(QStringLiteral("käytössä olevan tietokannan päälle")));
        EXPECT_EQ(p.shown()[4].kind, ScriptedPrompter::Kind::SaveFile);
        EXPECT_TRUE(ops.calls.isEmpty());
        EXPECT_EQ(test::ReadFileBytes(t.path()), live);
        EXPECT_EQ(ended, 0);
    }
    // Yes: every window closes, the old file stays beside it, the backup takes its place.
    Database window = t.open();
    int closed = 0;
    FolderBackup::CloseWindows = [&] {
        ++closed;
        return true;
    };
    ScriptedPrompter p;
    p.answerText(source);
    p.answerText(t.path());
    p.answerYes();
    p.answerYes();
    FolderBackup::restore();
    FolderBackup::CloseWindows = {};
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(test::ReadFileBytes(t.path()), test::ReadFileBytes(source));
    const QStringList kept = QDir(t.dir()).entryList({QStringLiteral("seura_ennen_palautusta_*.mdb")}, QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(test::ReadFileBytes(t.dir() + QLatin1Char('/') + kept.front()), live);
    EXPECT_TRUE(p.messageTexts().last().contains(kept.front()));
    EXPECT_EQ(ended, 1);
    window.close();
}

TEST_F(FolderRestoreTest, ACopyThatCannotBeWrittenIsReportedAndAskedAgain)
{
    const QString nowhere = home.filePath(QStringLiteral("puuttuva/kansio/seura.mdb"));
    const QString good = restoreDir + QStringLiteral("/seura.mdb");
    ScriptedPrompter p;
    p.answerText(source);
    p.answerText(nowhere);
    p.answerText(good);
    p.answerYes();
    FolderBackup::restore();
    ASSERT_GE(p.shown().size(), 5u);
    EXPECT_TRUE(p.shown()[2].text.startsWith(QStringLiteral("Varmuuskopion kopiointi ei onnistunut:")));
    EXPECT_EQ(test::ReadFileBytes(good), test::ReadFileBytes(source));
    EXPECT_EQ(iniDatabase(), good);
}

TEST_F(FolderRestoreTest, AFileThatIsNotADatabaseIsNotRestored)
{
    const QString junk = backupDir + QStringLiteral("/muistio.mdb");
    test::WriteFileBytes(junk, "ei tietokanta");
    ScriptedPrompter p;
    p.answerText(junk);
    FolderBackup::restore();
    ASSERT_EQ(p.shown().size(), 2u);
    EXPECT_EQ(p.shown()[1].icon, MsgIcon::Warning);
    EXPECT_TRUE(p.shown()[1].text.startsWith(QStringLiteral("Valittu tiedosto ei ole Tikkelin tietokanta:")));
    EXPECT_FALSE(QDir(restoreDir).exists());
}

// Another program is in the middle of a write to the target (an invoice run in another instance):
// the restore is refused with the reason, nothing is kept aside or replaced, and that program's
// write commits whole.
TEST_F(FolderRestoreTest, ARestoreBesideAnotherProgramsWriteIsRefusedAndItsWriteCommitsWhole)
{
    BackupRestore::WriterWaitMs = 50;
    QDir().mkpath(restoreDir);
    const QString existing = restoreDir + QStringLiteral("/seura.mdb");
    makeClubFileWithBulk(existing);
    for (const int rows : {20, 150, 300}) {
        SCOPED_TRACE(rows);
        OtherProgram writer(existing);
        writer.beginChange(rows);
        ScriptedPrompter p;
        p.answerText(source);
        p.answerText(existing);
        p.answerYes(); // replace it
        p.answerText(std::nullopt);
        FolderBackup::restore();
        const QStringList texts = p.messageTexts();
        ASSERT_FALSE(texts.isEmpty());
        EXPECT_TRUE(texts.last().contains(QStringLiteral("Toinen ohjelma tallentaa parhaillaan")))
            << texts.last().toStdString();
        EXPECT_EQ(keptCopies().join(u' ').toStdString(), "");
        ASSERT_EQ(writer.exec(QStringLiteral("COMMIT")), SQLITE_OK);
        EXPECT_TRUE(checkedState(existing).startsWith(QStringLiteral("ok 300 "))) << checkedState(existing).toStdString();
        EXPECT_EQ(ended, 0);
    }
}

// The target holds a journal of a write that was stopped half-way (a copy of the file and its
// journal taken in the middle of a transaction): the copy kept aside is the file with that write
// rolled back, whole, and the backup takes the target's place.
TEST_F(FolderRestoreTest, TheCopyKeptOfAFileWithAStoppedWriteIsWholeAndRolledBack)
{
    QDir().mkpath(restoreDir);
    const QString existing = restoreDir + QStringLiteral("/seura.mdb");
    const QString writing = t.dir() + QStringLiteral("/kirjoitettava.mdb");
    const QString before = makeClubFileWithBulk(writing);
    ASSERT_TRUE(before.startsWith(QStringLiteral("ok 300 "))) << before.toStdString();
    const QByteArray committed = test::ReadFileBytes(writing);
    for (const int rows : {20, 150, 300}) {
        SCOPED_TRACE(rows);
        for (const QString& name : QDir(restoreDir).entryList(QDir::Files | QDir::Hidden))
            QFile::remove(restoreDir + u'/' + name);
        {
            OtherProgram writer(writing);
            writer.beginChange(rows);
            ASSERT_TRUE(QFile::copy(writing, existing));
            ASSERT_TRUE(QFile::copy(writing + QStringLiteral("-journal"), existing + QStringLiteral("-journal")));
            ASSERT_NE(test::ReadFileBytes(existing), committed); // the change reached the file
            writer.exec(QStringLiteral("ROLLBACK"));
        }
        // The last trial on a file system without hard links: the kept file is a copy.
        FailingFileSafety files;
        if (rows == 300)
            files.fault = [](FileStep step, const QString&) { return step == FileStep::Link ? EPERM : 0; };
        ScriptedPrompter p;
        restoreWithoutUse(p, existing);
        const QStringList kept = keptCopies();
        ASSERT_EQ(kept.size(), 1);
        EXPECT_EQ(checkedState(restoreDir + u'/' + kept.front()).toStdString(), before.toStdString());
        EXPECT_FALSE(QFileInfo::exists(existing + QStringLiteral("-journal")));
        EXPECT_EQ(test::ReadFileBytes(existing), test::ReadFileBytes(source));
        EXPECT_EQ(p.unexpected(), 0);
    }
}

// A restore stopped before its new file took its name leaves its temporary beside a name that is
// not there: the next start removes it, and nothing that is not a stopped restore's.
TEST_F(FolderRestoreTest, TheNextStartRemovesWhatAStoppedRestoreLeftInTheFolder)
{
    QDir().mkpath(restoreDir);
    const qint64 gone = test::EndedProcess();
    const QString left = QStringLiteral(".uusi.mdb.palautus-%1-abc123").arg(gone);
    // Another command's, a restore still going on (process 1 never ends), a file of the user's.
    const QStringList others = {QStringLiteral(".uusi.mdb.kopio-%1-abc123").arg(gone),
                                QStringLiteral(".uusi.mdb.palautus-1-abc123"), QStringLiteral("uusi.mdb")};
    const QStringList all = QStringList(others) << left << left + QStringLiteral(".palautus-%1-def456").arg(gone);
    for (const QString& name : all)
        test::WriteFileBytes(restoreDir + u'/' + name, "x");
    FolderBackup::removeLeftovers(t.path(), backupDir);
    EXPECT_EQ(QDir(restoreDir).entryList(QDir::Files | QDir::Hidden, QDir::Name).join(u' ').toStdString(),
              QStringList(others).join(u' ').toStdString());
}

// A restore over a link (the club keeps its file elsewhere and links it into the folder) puts the
// backup into the file the link points to: the link stays, and the copy kept aside is that file,
// beside it, a file of its own; with hard links and without. Over the database in use, the
// question names where the copy goes.
TEST_F(FolderRestoreTest, ARestoreOverALinkReplacesTheFileItPointsToAndKeepsThatFile)
{
    for (const bool hardLinks : {true, false}) {
        SCOPED_TRACE(hardLinks ? "hard links, not in use" : "no hard links, in use");
        const QByteArray old = makeLinkedClubFile();
        State().DatabasePath = hardLinks ? t.path() : link();
        FailingFileSafety files;
        if (!hardLinks)
            files.fault = [](FileStep step, const QString&) { return step == FileStep::Link ? EPERM : 0; };
        ScriptedPrompter p;
        p.answerText(source);
        p.answerText(link());
        p.answerYes(); // replace it
        p.answerYes(); // take it into use; over the database in use: go on
        FolderBackup::restore();
        EXPECT_EQ(p.unexpected(), 0);
        EXPECT_EQ(QFileInfo(link()).symLinkTarget(), linkedFile());
        EXPECT_TRUE(test::ReadFileBytes(linkedFile()) == test::ReadFileBytes(source));
        const QStringList kept = keptCopies(linkedDir());
        ASSERT_EQ(kept.size(), 1);
        const QString keptPath = linkedDir() + u'/' + kept.front();
        EXPECT_FALSE(QFileInfo(keptPath).isSymLink());
        EXPECT_TRUE(test::ReadFileBytes(keptPath) == old);
        EXPECT_EQ(QDir(restoreDir).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{"seura.mdb"});
        EXPECT_TRUE(p.messageTexts().last().contains(keptPath));
        if (!hardLinks) {
            EXPECT_TRUE(p.anyMessageContains(QStringLiteral("Nykyinen tietokanta säilytetään nimellä ") + keptPath));
        }
        EXPECT_EQ(iniDatabase(), link());
    }
}

// Every file step of a restore over a link failed once, or the run stopped there, with hard links
// and without: the link stays and points to the file, which is the old one or the whole backup; a
// failure is reported and leaves the old file; a copy kept aside is a file with the old contents.
TEST_F(FolderRestoreTest, FailedOrStoppedAtEveryFileStepARestoreOverALinkLeavesTheLinkToAWholeFile)
{
    const QByteArray backup = test::ReadFileBytes(source);
    for (const bool hardLinks : {true, false}) {
        const auto noHardLinks = [hardLinks](FileStep step, const QString&) {
            return !hardLinks && step == FileStep::Link ? EPERM : 0;
        };
        // Whether the restore said it failed.
        const auto restore = [&] {
            ScriptedPrompter p;
            restoreWithoutUse(p, link());
            EXPECT_EQ(p.unexpected(), 0);
            return p.anyMessageContains(QStringLiteral("ei onnistunut"));
        };
        int total = 0;
        {
            makeLinkedClubFile();
            FailingFileSafety count;
            count.fault = noHardLinks;
            ASSERT_FALSE(restore());
            total = count.steps();
        }
        ASSERT_GE(total, 4);
        for (const bool stop : {false, true}) {
            for (int n = 1; n <= total; ++n) {
                const QByteArray old = makeLinkedClubFile();
                bool reported = false;
                QString step;
                {
                    FailingFileSafety files;
                    files.fault = noHardLinks;
                    (stop ? files.stopAt : files.failAt) = n;
                    reported = restore();
                    step = files.calls.value(n - 1);
                }
                SCOPED_TRACE(QStringLiteral("%1, %2 at %3")
                                 .arg(hardLinks ? "hard links" : "no hard links", stop ? "stopped" : "failed", step)
                                 .toStdString());
                EXPECT_EQ(QFileInfo(link()).symLinkTarget(), linkedFile());
                const QByteArray now = test::ReadFileBytes(linkedFile());
                EXPECT_TRUE(now == old || now == backup);
                // A failed flush of a folder after its rename, or a hard link the copy stands in for,
                // takes nothing back.
                if (!stop && !step.startsWith(QStringLiteral("syncfolder")) && !step.startsWith(QStringLiteral("link"))) {
                    EXPECT_TRUE(reported);
                    EXPECT_TRUE(now == old);
                    EXPECT_EQ(keptCopies(linkedDir()), QStringList());
                }
                if (!reported && !stop) {
                    EXPECT_TRUE(now == backup);
                }
                for (const QString& kept : keptCopies(linkedDir())) {
                    EXPECT_FALSE(QFileInfo(linkedDir() + u'/' + kept).isSymLink());
                    EXPECT_TRUE(test::ReadFileBytes(linkedDir() + u'/' + kept) == old) << kept.toStdString();
                }
                EXPECT_EQ(QDir(restoreDir).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{"seura.mdb"});
            }
        }
    }
}

// Another program (a process of its own: the lock is the file system's, and a second connection
// of this process would trip over the program's own bookkeeping instead) tries to save into the
// file at each file step of a restore until the backup takes the file's name, with hard links and
// without: every save is refused, so the copy kept aside is the file as the restore locked it.
TEST_F(FolderRestoreTest, AnotherProcessCannotSaveWhileTheRestoreHoldsTheFile)
{
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (shell.isEmpty())
        GTEST_SKIP() << "sqlite3 shell not installed (scripts/setup installs it)";
    QDir().mkpath(restoreDir);
    const QString existing = restoreDir + QStringLiteral("/seura.mdb");
    // Whether the other program's save went through.
    const auto otherSaves = [&] {
        QProcess other;
        other.start(shell, {QStringLiteral("-batch"), QStringLiteral("-bail"), existing,
                            QStringLiteral("INSERT INTO jr (jrSukunimi) VALUES ('Toinen')")});
        return other.waitForFinished(30000) && other.exitStatus() == QProcess::NormalExit && other.exitCode() == 0;
    };
    for (const bool hardLinks : {true, false}) {
        SCOPED_TRACE(hardLinks ? "hard links" : "no hard links");
        for (const QString& name : QDir(restoreDir).entryList(QDir::Files | QDir::Hidden))
            QFile::remove(restoreDir + u'/' + name);
        ASSERT_TRUE(QFile::copy(source, existing));
        ASSERT_TRUE(otherSaves()) << "the other program saves while no restore holds the file";
        const QByteArray old = test::ReadFileBytes(existing);
        int tries = 0;
        int saved = 0;
        bool replaced = false;
        FailingFileSafety files;
        files.fault = [&](FileStep step, const QString& path) {
            if (!replaced) {
                ++tries;
                saved += otherSaves();
            }
            replaced = replaced || (step == FileStep::Rename && QFileInfo(path).fileName() == QStringLiteral("seura.mdb"));
            return !hardLinks && step == FileStep::Link ? EPERM : 0;
        };
        ScriptedPrompter p;
        restoreWithoutUse(p, existing);
        EXPECT_EQ(p.unexpected(), 0);
        EXPECT_TRUE(replaced);
        EXPECT_GE(tries, hardLinks ? 3 : 7) << files.calls.join(u',').toStdString();
        EXPECT_EQ(saved, 0) << "of " << tries;
        EXPECT_TRUE(test::ReadFileBytes(existing) == test::ReadFileBytes(source));
        const QStringList kept = keptCopies();
        ASSERT_EQ(kept.size(), 1);
        EXPECT_TRUE(test::ReadFileBytes(restoreDir + u'/' + kept.front()) == old)
            << "the copy kept aside is not the file as locked";
    }
}
