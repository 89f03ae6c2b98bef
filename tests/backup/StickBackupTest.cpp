#include "BackupTestDb.h"

#include "backup/FileFaults.h"
#include "backup/SafeFileCopy.h"
#include "backup/StickBackup.h"
#include "db/DatabaseFiles.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <cerrno>

using namespace tikkeli;
using tikkeli::test::BackupTestDb;

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

struct FaultGuard {
    ~FaultGuard()
    {
        FileFaults::hook = {};
        SetDatabaseFilesHook({});
    }
};

} // namespace

TEST(StickBackup, CopiesTheOpenDatabaseIntoTheDayFolderAndReplacesTheDaysCopy)
{
    BackupTestDb club;
    QTemporaryDir mount;
    Database live = Database::open(club.path());   // a window holds the database open

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
    FaultGuard guard;
    const auto first = StickBackup::copyToStick(club.path(), stickAt(mount.path()), QDate(2026, 1, 31));
    ASSERT_FALSE(first.error);
    BackupTestDb::addMember(club.path(), QStringLiteral("Uusi"));

    for (const char* failing : {"copy", "verify", "replace"}) {
        SetDatabaseFilesHook([failing](const QString& stage) {
            if (stage == QLatin1String(failing))
                throw DbException(DbErr::Generic, QStringLiteral("levy irrotettiin"));
        });
        const auto r = StickBackup::copyToStick(club.path(), stickAt(mount.path()), QDate(2026, 1, 31));
        ASSERT_TRUE(r.error) << failing;
        EXPECT_EQ(r.error->text(), QStringLiteral("3000: levy irrotettiin")) << failing;
        EXPECT_EQ(BackupTestDb::members(first.target), 3) << failing;
        EXPECT_EQ(entries(mount.path() + QStringLiteral("/Tikkeli/20260131")).size(), 1) << failing;
    }
    SetDatabaseFilesHook({});

    FileFaults::hook = [](const QString& s, const QString&) { return s == QLatin1String("mkdir") ? EACCES : 0; };
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

TEST(SafeFileCopy, ReplacesTheTargetWholeOrNotAtAll)
{
    QTemporaryDir dir;
    FaultGuard guard;
    const QString target = dir.filePath(QStringLiteral("kohde.mdb"));
    QFile t(target);
    ASSERT_TRUE(t.open(QIODevice::WriteOnly));
    t.write("vanha");
    t.close();
    auto staged = [&] {
        std::optional<BackupError> error;
        const QString temp = SafeFileCopy::reserveTemp(target, error);
        EXPECT_FALSE(error);
        QFile f(temp);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(3 << 20, 'u'));
        f.close();
        return temp;
    };

    for (const char* step : {"sync", "rename"}) {
        FileFaults::hook = [step](const QString& s, const QString&) { return s == QLatin1String(step) ? ENOSPC : 0; };
        const auto failed = SafeFileCopy::publish(staged(), target);
        ASSERT_TRUE(failed) << step;
        EXPECT_EQ(failed->number, 61);
        EXPECT_EQ(QFileInfo(target).size(), 5);
        EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("kohde.mdb")}) << step;
    }

    FileFaults::hook = {};
    EXPECT_FALSE(SafeFileCopy::publish(staged(), target));
    EXPECT_EQ(QFileInfo(target).size(), 3 << 20);
    EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("kohde.mdb")});

    std::optional<BackupError> missing;
    EXPECT_TRUE(SafeFileCopy::reserveTemp(dir.filePath(QStringLiteral("ei/kohde.mdb")), missing).isEmpty());
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->number, 53);
}
