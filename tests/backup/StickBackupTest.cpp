#include "BackupTestDb.h"

#include "support/FailingFileSafety.h"
#include "backup/BackupRestore.h"
#include "backup/DatabaseCopy.h"
#include "backup/StickBackup.h"
#include "db/DatabaseFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>

using namespace tikkeli;
using tikkeli::test::BackupTestDb;
using tikkeli::test::FailingFileSafety;

namespace {

VolumeInfo stickAt(const QString& folder, const char* fs = "vfat")
{
    VolumeInfo v;
    v.mountFolder = folder;
    v.label = QStringLiteral("KOPIOTIKKU");
    v.fileSystem = QString::fromLatin1(fs);
    v.ready = v.removable = true;
    v.freeBytes = Q_INT64_C(1) << 30;
    return v;
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

TEST(StickBackup, CopiesTheOpenDatabaseIntoTheDayFolderAndReplacesTheDaysCopy)
{
    BackupTestDb club;
    QTemporaryDir mount;
    Database live = Database::open(club.path()); // a window holds the database open

    const auto first = StickBackup::copyToStick(club.path(), stickAt(mount.path()), QDate(2026, 3, 5));
    ASSERT_FALSE(first.error) << first.error->text().toStdString();
    EXPECT_EQ(first.target, mount.path() + QStringLiteral("/Tikkeli/20260305/Erämiehet.mdb"));
    EXPECT_EQ(BackupTestDb::members(first.target), 3);

    live.execute(QStringLiteral("INSERT INTO jr (Nimi) VALUES (?)"), {Value("Uusi")});
    const auto second = StickBackup::copyToStick(club.path(), stickAt(mount.path()), QDate(2026, 3, 5));
    ASSERT_FALSE(second.error);
    EXPECT_EQ(second.target, first.target);
    EXPECT_EQ(BackupTestDb::members(second.target), 4);
    EXPECT_EQ(entries(mount.path() + QStringLiteral("/Tikkeli/20260305")), QStringList{QStringLiteral("Erämiehet.mdb")});
    EXPECT_EQ(BackupTestDb::members(club.path()), 4);
    live.close();
}

TEST(StickBackup, AFailedCopyLeavesNoHalfFileAndKeepsTheEarlierCopy)
{
    BackupTestDb club;
    QTemporaryDir mount;
    const auto first = StickBackup::copyToStick(club.path(), stickAt(mount.path()), QDate(2026, 1, 31));
    ASSERT_FALSE(first.error);
    BackupTestDb::addMember(club.path(), QStringLiteral("Uusi"));

    FailingFileSafety files;
    for (const FileStep failing : {FileStep::Sync, FileStep::Verify, FileStep::Rename}) {
        const QString name = FileStepName(failing);
        files.fault = [failing](FileStep step, const QString&) { return step == failing ? EIO : 0; };
        const auto r = StickBackup::copyToStick(club.path(), stickAt(mount.path()), QDate(2026, 1, 31));
        ASSERT_TRUE(r.error) << name.toStdString();
        EXPECT_FALSE(r.error->description.isEmpty());
        EXPECT_EQ(BackupTestDb::members(first.target), 3) << name.toStdString();
        EXPECT_EQ(entries(mount.path() + QStringLiteral("/Tikkeli/20260131")).size(), 1) << name.toStdString();
    }

    files.fault = [](FileStep step, const QString&) { return step == FileStep::MakeFolder ? EACCES : 0; };
    const auto denied = StickBackup::copyToStick(club.path(), stickAt(mount.path()), QDate(2026, 2, 1));
    ASSERT_TRUE(denied.error);
    EXPECT_EQ(denied.error->text(), QStringLiteral("70: Käyttöoikeus evätty"));
    EXPECT_FALSE(QFileInfo::exists(mount.path() + QStringLiteral("/Tikkeli/20260201")));
}

TEST(StickBackup, AFileOverFourGiBIsNotCopiedToFat)
{
    QTemporaryDir dir;
    QTemporaryDir mount;
    // Sparse: takes no room, but reports its size.
    const QString big = dir.filePath(QStringLiteral("iso.mdb"));
    QFile f(big);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(Q_INT64_C(4294967296)));
    f.close();
    const auto r = StickBackup::copyToStick(big, stickAt(mount.path(), "vfat"), QDate(2026, 1, 31));
    ASSERT_TRUE(r.error);
    EXPECT_TRUE(r.error->fileTooLarge);
    EXPECT_FALSE(QFileInfo::exists(r.target));
}

// The restore's copy road, failed and then stopped at each of its file steps: the target is the
// old file or the whole backup, checks clean, and the failure is reported exactly when it happened.
// A target that is a link to the club's file stays that link, and the file behind it is the one
// replaced.
TEST(BackupRestore, FailedOrStoppedAtEveryStepTheTargetIsTheOldFileOrTheBackup)
{
    BackupTestDb club;
    QTemporaryDir dir;
    const QString backup = dir.filePath(QStringLiteral("kopio.mdb"));
    ASSERT_FALSE(DatabaseCopy::copy(club.path(), backup));        // three members
    BackupTestDb::addMember(club.path(), QStringLiteral("Uusi")); // the old target: four
    const QString target = dir.filePath(QStringLiteral("Erämiehet.mdb"));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("Kerho"))));
    for (const bool overLink : {false, true}) {
        SCOPED_TRACE(overLink ? "over a link" : "over the file");
        const QString file = overLink ? dir.filePath(QStringLiteral("Kerho/Erämiehet.mdb")) : target;
        auto reset = [&] {
            QFile::remove(target);
            QFile::remove(file);
            ASSERT_FALSE(DatabaseCopy::copy(club.path(), file));
            QFile journal(file + QStringLiteral("-journal"));
            ASSERT_TRUE(journal.open(QIODevice::WriteOnly));
            journal.write(QByteArray(512, '\x01'));
            if (overLink) {
                ASSERT_TRUE(QFile::link(file, target));
            }
        };
        int total = 0;
        {
            reset();
            FailingFileSafety count;
            ASSERT_FALSE(BackupRestore::copyIntoPlace(backup, target));
            total = count.steps();
        }
        ASSERT_GE(total, 4);
        for (const bool stop : {false, true}) {
            for (int n = 1; n <= total; ++n) {
                reset();
                std::optional<BackupError> error;
                QString step;
                {
                    FailingFileSafety files;
                    (stop ? files.stopAt : files.failAt) = n;
                    error = BackupRestore::copyIntoPlace(backup, target);
                    step = files.calls.value(n - 1);
                }
                SCOPED_TRACE((stop ? "stopped at " : "failed at ") + step.toStdString());
                EXPECT_EQ(QFileInfo(target).symLinkTarget(), overLink ? file : QString());
                const int members = BackupTestDb::members(file);
                EXPECT_TRUE(members == 3 || members == 4) << members;
                if (!stop && !step.startsWith(QStringLiteral("syncfolder"))) {
                    EXPECT_TRUE(error.has_value());
                    EXPECT_EQ(members, 4);
                }
                if (!error) {
                    EXPECT_EQ(members, 3);
                }
                ConnectionRegistry::closeAll(file);
            }
        }
    }
}

// Links that point at each other name no file: the restore refuses, and the links stay.
TEST(BackupRestore, ALoopOfLinksIsRefusedAndStaysAsItWas)
{
    BackupTestDb club;
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.mdb"));
    const QString b = dir.filePath(QStringLiteral("b.mdb"));
    ASSERT_TRUE(QFile::link(b, a));
    ASSERT_TRUE(QFile::link(a, b));
    ASSERT_TRUE(BackupRestore::copyIntoPlace(club.path(), a));
    EXPECT_EQ(QFileInfo(a).symLinkTarget(), b);
    EXPECT_EQ(QFileInfo(b).symLinkTarget(), a);
    // Links that name no file are "system" entries to QDir.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{QStringLiteral("a.mdb"), QStringLiteral("b.mdb")}));
}

// The question before a restore over a file says where the file replaced is kept: in the same
// folder when the file lies where its name does, also when that folder is itself a link
// (Tikkeli -> usb/Tikkeli); with the whole path when the name is a link "../data/club.mdb", which
// leads from the folder the link really lies in to usb/data, not to the other club's data/.
TEST(BackupRestore, TheQuestionNamesWhereTheReplacedFileIsKept)
{
    QTemporaryDir dir;
    const QString root = QDir(dir.path()).canonicalPath();
    for (const char* folder : {"usb/Tikkeli", "usb/data", "data"})
        ASSERT_TRUE(QDir(root).mkpath(QLatin1String(folder)));
    ASSERT_TRUE(QFile::link(root + QStringLiteral("/usb/Tikkeli"), root + QStringLiteral("/Tikkeli")));
    ASSERT_TRUE(QFile::link(QStringLiteral("../data/club.mdb"), root + QStringLiteral("/usb/Tikkeli/club.mdb")));
    for (const char* file : {"usb/Tikkeli/oma.mdb", "usb/data/club.mdb", "data/club.mdb"}) {
        QFile f(root + u'/' + QLatin1String(file));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const QDate day(2024, 3, 1);
    const std::pair<const char*, QString> cases[] = {
        {"Tikkeli/oma.mdb",
         QStringLiteral("Nykyinen tietokanta säilytetään samassa kansiossa nimellä oma_ennen_palautusta_2024-03-01.mdb")},
        {"Tikkeli/club.mdb", QStringLiteral("Nykyinen tietokanta säilytetään nimellä ") + root
                                 + QStringLiteral("/usb/data/club_ennen_palautusta_2024-03-01.mdb")},
    };
    for (const auto& [target, note] : cases)
        EXPECT_EQ(BackupRestore::safetyCopyNote(root + u'/' + QLatin1String(target), day).toStdString(), note.toStdString());
}
