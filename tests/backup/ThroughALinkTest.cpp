#include "support/FailingFileSafety.h"
#include "support/MaintTestDb.h"
#include "support/ReadOnlyAnswers.h"
#include "support/ScopedEnvironment.h"
#include "support/StoppedRun.h"
#include "support/TestFiles.h"

#include "backup/BackupCompaction.h"
#include "backup/BackupRestore.h"
#include "backup/FolderBackup.h"
#include "backup/StickBackup.h"
#include "base/Clock.h"
#include "base/ScriptedPrompter.h"
#include "base/SharedState.h"
#include "platform/IniSettingsStore.h"
#include "platform/SettingsError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sqlite3.h>

using namespace tikkeli;
using tikkeli::test::FailingFileSafety;

namespace {

// How the program's database path (docs/<link>, a relative link) reaches the club's file in data/.
struct Layout {
    const char* file;    // the club's file in data/
    const char* between; // a second link in links/ on the way, or nullptr
    const char* link;    // the database path in docs/
    // The folder backup can name its copies beside the file: ".md2" and ".md3" of a ".mdb".
    bool backupRuns;
    // docs/ is itself a link to usb/docs/, as a program folder moved to a stick is: the ".." of the
    // links leads from there to usb/data/ and usb/links/, where the club's file and the second link
    // lie. data/ and links/ beside docs/, where "docs/../data" read as text leads, are another
    // club's, with a file, an ini and a link of the same names.
    bool folderIsLink = false;
};

const Layout Layouts[] = {
    {"club2023", nullptr, "club.mdb", false},      // "club2022" would be its compacted copy
    {"seura.sqlite3", nullptr, "club.mdb", false}, // its previous file would be itself
    {"seura.db3", nullptr, "club.mdb", false},
    {"seura2", nullptr, "club.mdb", false}, // its compacted copy would be itself
    {"seura.db", nullptr, "club.mdb", false},
    {"club.mdb", nullptr, "club.mdb", true},
    {"seura.mdb", "välissä.mdb", "club.mdb", true}, // a chain of two links
    {"seura.mdb", nullptr, "club2023", true},       // the link itself named club2023, club2022 beside it
    {"club.mdb", nullptr, "club.mdb", true, true},
    {"seura.mdb", "välissä.mdb", "club.mdb", true, true},
    {"seura.db", nullptr, "club.mdb", false, true},
};

enum class Operation { FolderBackup, StickBackup, Restore, IniSave };

// A database's integrity verdict and its members, read without changing the file.
std::string stateOf(const QString& path)
{
    return test::ReadOnlyAnswers(path, {"PRAGMA integrity_check", "SELECT count(*) FROM jr WHERE BackupRow = 0"})
        .toStdString();
}

QStringList listed(const QString& dir, QDir::Filters filter)
{
    return QDir(dir).entryList(filter | QDir::NoDotAndDotDot, QDir::Name);
}

// The club keeps its file under a name of its own in a folder of its own, beside last year's club
// ("club2022") and other files of the user's at every name the file's own with its last character
// made "2" or "3" would give. The database path reaches it through one link or two; the ini is a
// link into the same folder.
class ThroughALink : public ::testing::TestWithParam<Operation> {
protected:
    static void SetUpTestSuite()
    {
        test::MaintTestDb club;
        club.fill();
        ConnectionRegistry::closeAll(club.path());
        s_club = test::ReadFileBytes(club.path());
        // Last year's club and the backup to restore: each a whole club file of its own.
        for (auto [bytes, sql] : {std::pair{&s_lastYear, "CREATE TABLE vuosi2022 (x)"},
                                  std::pair{&s_backup, "INSERT INTO jr (jrSukunimi) VALUES ('Palautettu')"},
                                  std::pair{&s_other, "CREATE TABLE toinen_seura (x)"}}) {
            sqlite3* db = nullptr;
            sqlite3_open(QFile::encodeName(club.path()).constData(), &db);
            sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
            sqlite3_close(db);
            *bytes = test::ReadFileBytes(club.path());
            test::WriteFileBytes(club.path(), s_club);
        }
    }

    void lay(const Layout& l)
    {
        root.emplace();
        // The folders as the system names them, so that a path compares with what the steps find.
        rootPath = QDir(root->path()).canonicalPath();
        for (const char* folder : {"data", "links", "config", "Varmistus", "tikku", "usb/data", "usb/links", "usb/docs"})
            QDir(rootPath).mkpath(QLatin1String(folder));
        layout = &l;
        if (l.folderIsLink)
            ASSERT_TRUE(QFile::link(path("usb/docs"), path("docs")));
        else
            QDir(rootPath).mkpath(QStringLiteral("docs"));
        file = real("data/") + QString::fromUtf8(l.file);
        test::WriteFileBytes(file, s_club);
        QStringList lastYears{real("data/club2022"), path("docs/club2022")};
        for (const char last : {'2', '3'}) {
            const QString derived = file.chopped(1) + QLatin1Char(last);
            if (derived != file && !derived.endsWith(QStringLiteral(".md2")) && !derived.endsWith(QStringLiteral(".md3"))
                && !lastYears.contains(derived))
                lastYears << derived;
        }
        bystanders.clear();
        for (const QString& b : std::as_const(lastYears))
            bystanders[b] = s_lastYear;
        if (l.folderIsLink) {
            bystanders[path("data/") + QString::fromUtf8(l.file)] = s_other;
            bystanders[path("data/Tikkeli.ini")] = IniOther;
        }
        for (const auto& [b, bytes] : bystanders)
            test::WriteFileBytes(b, bytes);
        links.clear();
        const QString toFile = QStringLiteral("../data/") + QString::fromUtf8(l.file);
        if (l.between) {
            links.push_back({real("links/") + QString::fromUtf8(l.between), toFile});
            links.push_back({database(), QStringLiteral("../links/") + QString::fromUtf8(l.between)});
            if (l.folderIsLink)
                links.push_back({path("links/") + QString::fromUtf8(l.between), toFile});
        } else {
            links.push_back({database(), toFile});
        }
        links.push_back({ini(), QStringLiteral("../data/Tikkeli.ini")});
        test::WriteFileBytes(real("data/Tikkeli.ini"), IniBefore);
        for (const auto& [name, target] : links)
            ASSERT_TRUE(QFile::link(target, name));
        State() = SharedState{};
        State().ProgramTitle = QStringLiteral("Tikkeli");
        State().DatabasePath = database();
        State().BackupFolder = path("Varmistus");
        environment.emplace("TIKKELI_INI", QFile::encodeName(ini()));
    }

    QString path(const QString& relative) const { return rootPath + u'/' + relative; }
    // Where the system finds a folder the links lead to.
    QString real(const QString& relative) const { return path(layout->folderIsLink ? "usb/" + relative : relative); }
    QString database() const { return path("docs/") + QString::fromUtf8(layout->link); }
    // Beside the database when its folder is a link.
    QString ini() const { return path(layout->folderIsLink ? "docs/Tikkeli.ini" : "config/Tikkeli.ini"); }
    QStringList folders() const
    {
        QStringList all{"data", "links", "docs", "config"};
        if (layout->folderIsLink)
            all << "usb/data"
                << "usb/links";
        return all;
    }

    // Runs the operation; false when it said it did not finish.
    bool run()
    {
        ScriptedPrompter p;
        switch (GetParam()) {
        case Operation::FolderBackup:
            FolderBackup::backup();
            lastMessage = p.messageTexts().last();
            return lastMessage == QStringLiteral("Tietokannan varmuuskopiointi ja uudelleenjärjestely valmis.");
        case Operation::StickBackup: {
            VolumeInfo stick;
            stick.mountFolder = path("tikku");
            stick.ready = stick.removable = true;
            stick.freeBytes = qint64(1) << 30;
            return !StickBackup::copyToStick(database(), stick, Today()).error
                   && BackupCompaction::run(database()).outcome == BackupCompaction::Outcome::Done;
        }
        case Operation::Restore: {
            test::WriteFileBytes(path("Varmistus/varmuuskopio.mdb"), s_backup);
            DatabaseWriteLock lock;
            QString kept;
            return !BackupRestore::lockTarget(database(), lock)
                   && !BackupRestore::keepSafetyCopy(database(), Today(), kept, &lock)
                   && !BackupRestore::copyIntoPlace(path("Varmistus/varmuuskopio.mdb"), database(), &lock);
        }
        case Operation::IniSave:
            try {
                // The two paths a settings save writes.
                IniSettingsStore store;
                store.setFile(QStringLiteral("Tikkeli.ini"));
                store.setSection(QStringLiteral("TIKKELI"));
                store.write(path("Varmistus"), QStringLiteral("DatabaseBackup"));
                store.write(database(), QStringLiteral("Database"));
                return true;
            } catch (const SettingsError&) {
                return false;
            }
        }
        return false;
    }

    // Every link still a link to what it pointed to, the club's file a whole database (the
    // backup's when restored), the ini as before or as saved, and every other file of the user's
    // as it was: nothing else in the club's folder but copies of the operation's own.
    void expectEveryFileWhole()
    {
        for (const auto& [name, target] : links) {
            EXPECT_TRUE(QFileInfo(name).isSymLink()) << name.toStdString();
            EXPECT_EQ(QFile::symLinkTarget(name),
                      QFileInfo(QFileInfo(name).absolutePath() + u'/' + target).absoluteFilePath());
        }
        EXPECT_FALSE(QFileInfo(file).isSymLink());
        const std::string members = GetParam() == Operation::Restore && test::ReadFileBytes(file) == s_backup ? "4" : "3";
        EXPECT_EQ(stateOf(file), "ok " + members);
        for (const auto& [b, bytes] : bystanders)
            EXPECT_TRUE(test::ReadFileBytes(b) == bytes) << b.toStdString();
        // Before the save, between its two writes, after it.
        const QByteArray backupLine = "DatabaseBackup=" + path("Varmistus").toUtf8() + "\n";
        const std::set<QByteArray> iniStates{IniBefore, IniBefore + backupLine,
                                             "[TIKKELI]\nDatabase=" + database().toUtf8() + "\n" + backupLine};
        EXPECT_TRUE(iniStates.count(test::ReadFileBytes(real("data/Tikkeli.ini"))))
            << test::ReadFileBytes(real("data/Tikkeli.ini")).toStdString();
        for (const QString& name : listed(real("data"), QDir::Files)) {
            const QString at = real("data/") + name;
            if (at == file || bystanders.count(at) || name == QStringLiteral("Tikkeli.ini"))
                continue;
            const bool ours = (GetParam() == Operation::FolderBackup && layout->backupRuns
                               && (at == file.chopped(1) + u'2' || at == file.chopped(1) + u'3'))
                              || (GetParam() == Operation::Restore && name.contains(QStringLiteral("_ennen_palautusta_")));
            EXPECT_TRUE(ours) << name.toStdString();
        }
        // The other club's folder holds its own files only.
        if (layout->folderIsLink) {
            for (const QString& name : listed(path("data"), QDir::Files | QDir::Hidden | QDir::System))
                EXPECT_TRUE(bystanders.count(path("data/") + name)) << name.toStdString();
        }
        // Beside the links, nothing of the operation's: the links and last year's club.
        EXPECT_EQ(listed(path("docs"), QDir::AllEntries | QDir::Hidden | QDir::System).size(), layout->folderIsLink ? 3 : 2);
        EXPECT_EQ(listed(path("links"), QDir::AllEntries | QDir::Hidden | QDir::System).size(), layout->between ? 1 : 0);
        EXPECT_EQ(listed(path("usb/links"), QDir::AllEntries | QDir::Hidden | QDir::System).size(),
                  layout->between && layout->folderIsLink ? 1 : 0);
        EXPECT_EQ(listed(path("config"), QDir::AllEntries | QDir::Hidden | QDir::System),
                  layout->folderIsLink ? QStringList{} : QStringList{"Tikkeli.ini"});
    }

    // The next start removes every file a stopped run left in the folders of the club's file and
    // of its links, and nothing else; how many there were.
    qsizetype expectNextStartCleansUp()
    {
        const auto hidden = [this](const QString& folder) {
            QStringList names = listed(path(folder), QDir::Files | QDir::Hidden | QDir::System);
            names.removeIf([](const QString& name) { return !name.startsWith(u'.'); });
            return names;
        };
        qsizetype found = 0;
        for (const QString& folder : folders())
            found += hidden(folder).size();
        IniSettingsStore store;
        store.setFile(QStringLiteral("Tikkeli.ini"));
        store.removeLeftovers();
        FolderBackup::removeLeftovers(database(), State().BackupFolder);
        for (const QString& folder : folders())
            EXPECT_EQ(hidden(folder).join(u',').toStdString(), "") << folder.toStdString();
        return found;
    }

    inline static QByteArray s_club, s_lastYear, s_backup, s_other;
    inline static const QByteArray IniBefore = "[TIKKELI]\nDatabase=vanha.mdb\n";
    inline static const QByteArray IniOther = "[TIKKELI]\nDatabase=toinen.mdb\n";
    std::optional<QTemporaryDir> root;
    QString rootPath;
    std::optional<test::ScopedEnvironment> environment;
    const Layout* layout = nullptr;
    QString file;
    std::map<QString, QByteArray> bystanders;       // the user's other files and what they hold
    QString lastMessage;                            // the folder backup's
    std::vector<std::pair<QString, QString>> links; // each link and what it points to
};

} // namespace

// Whatever the file behind the links is called, the operation finishes or is refused as a whole,
// and stopped or failed at any of its file steps it leaves every file whole and every link a
// link; the next start removes what a stopped run left beside the file behind the links.
TEST_P(ThroughALink, StoppedOrNotEveryFileStaysWholeAndEveryLinkALink)
{
    qsizetype leftovers = 0;
    for (const Layout& l : Layouts) {
        SCOPED_TRACE(QStringLiteral("%1%2 -> %3%4")
                         .arg(l.folderIsLink ? QStringLiteral("docs -> usb/docs: ") : QString(), QString::fromUtf8(l.link),
                              l.between ? QString::fromUtf8(l.between) + " -> " : QString(), QString::fromUtf8(l.file))
                         .toStdString());
        lay(l);
        int total = 0;
        {
            FailingFileSafety count;
            const bool done = run();
            total = count.steps();
            const bool refused = GetParam() == Operation::FolderBackup && !l.backupRuns;
            EXPECT_EQ(done, !refused);
            if (refused) {
                EXPECT_TRUE(lastMessage.contains(QStringLiteral(" on linkki tiedostoon ") + file))
                    << lastMessage.toStdString();
                EXPECT_TRUE(count.calls.isEmpty()) << count.calls.join(u',').toStdString();
                EXPECT_TRUE(test::ReadFileBytes(file) == s_club);
            }
            if (GetParam() == Operation::IniSave) {
                EXPECT_TRUE(test::ReadFileBytes(real("data/Tikkeli.ini")).contains(database().toUtf8()));
            }
            if (GetParam() == Operation::Restore) {
                EXPECT_TRUE(test::ReadFileBytes(file) == s_backup);
            }
            if (GetParam() == Operation::FolderBackup && done) {
                // The previous file is kept beside the file at the end of the links.
                EXPECT_EQ(stateOf(file.chopped(1) + u'3'), "ok 3");
            }
            expectEveryFileWhole();
        }
        for (const bool stop : {false, true}) {
            for (int n = 1; n <= total; ++n) {
                lay(l);
                std::map<QString, test::FolderImage> atStop;
                QString step;
                {
                    FailingFileSafety files;
                    files.fault = [&](FileStep, const QString&) {
                        // Stopped: killed as step n begins, nothing after it reaching the disk.
                        if (stop && files.steps() == n) {
                            for (const QString& folder : folders())
                                atStop[folder] = test::TakeFolder(path(folder));
                        }
                        return files.steps() == n || (stop && files.steps() > n) ? EIO : 0;
                    };
                    run();
                    step = files.calls.value(n - 1);
                }
                SCOPED_TRACE((stop ? "stopped at " : "failed at ") + step.toStdString());
                // The program ends: a stopped run's folders as they were at the stop.
                for (const QString& folder : folders())
                    test::LeaveAsStopped(path(folder), stop ? atStop[folder] : test::TakeFolder(path(folder)));
                expectEveryFileWhole();
                leftovers += expectNextStartCleansUp();
                expectEveryFileWhole();
            }
        }
    }
    EXPECT_GT(leftovers, 0) << "no stop left a file to remove";
}
INSTANTIATE_TEST_SUITE_P(Operations, ThroughALink,
                         ::testing::Values(Operation::FolderBackup, Operation::StickBackup, Operation::Restore,
                                           Operation::IniSave),
                         [](const auto& info) {
                             switch (info.param) {
                             case Operation::FolderBackup: return "FolderBackup";
                             case Operation::StickBackup: return "StickBackup";
                             case Operation::Restore: return "Restore";
                             case Operation::IniSave: return "IniSave";
                             }
                             return "";
                         });
