#include "backup/BackupStick.h"
#include "backup/StickFolders.h"
#include "platform/VolumeList.h"
#include "base/SharedState.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

VolumeInfo volume(const char* mount, const char* label, bool ready, bool removable, qint64 free = 1000)
{
    VolumeInfo v;
    v.mountFolder = QString::fromLatin1(mount);
    v.label = QString::fromLatin1(label);
    v.ready = ready;
    v.removable = removable;
    v.freeBytes = free;
    return v;
}

} // namespace

TEST(BackupStick, FirstReadyRemovableVolumeLabelledKopiotikku)
{
    struct Case {
        const char* name;
        VolumeInfos volumes;
        const char* chosen;
    };
    const Case cases[] = {
        {"label in lower case", {volume("/media/a", "kopiotikku", true, true)}, "/media/a"},
        {"label in mixed case", {volume("/media/a", "KopioTikku", true, true)}, "/media/a"},
        {"other label", {volume("/media/a", "KOPIOTIKKU2", true, true)}, nullptr},
        {"not removable", {volume("/media/a", "KOPIOTIKKU", true, false)}, nullptr},
        {"not ready", {volume("/media/a", "KOPIOTIKKU", false, true)}, nullptr},
        {"two sticks: the first wins",
         {volume("/", "", true, false), volume("/media/b", "KOPIOTIKKU", true, true),
          volume("/media/c", "kopiotikku", true, true)},
         "/media/b"},
        {"unready one skipped",
         {volume("/media/b", "KOPIOTIKKU", false, true), volume("/media/c", "KOPIOTIKKU", true, true)},
         "/media/c"},
        {"nothing mounted", {}, nullptr},
    };
    for (const Case& c : cases) {
        const auto stick = BackupStick::find(c.volumes);
        if (c.chosen)
            EXPECT_EQ(stick ? stick->mountFolder : QStringLiteral("<none>"), QString::fromLatin1(c.chosen)) << c.name;
        else
            EXPECT_FALSE(stick.has_value()) << c.name;
    }
}

TEST(BackupStick, RoomMustExceedTheFileSizeAndFatHoldsUnderFourGiB)
{
    VolumeInfo v = volume("/media/a", "KOPIOTIKKU", true, true, 5000);
    EXPECT_FALSE(BackupStick::hasRoomFor(v, 5000));
    EXPECT_TRUE(BackupStick::hasRoomFor(v, 4999));
    v.fileSystem = QStringLiteral("vfat");
    EXPECT_FALSE(BackupStick::fileTooLargeFor(v, Q_INT64_C(4294967295)));
    EXPECT_TRUE(BackupStick::fileTooLargeFor(v, Q_INT64_C(4294967296)));
    v.fileSystem = QStringLiteral("exfat");
    EXPECT_FALSE(BackupStick::fileTooLargeFor(v, Q_INT64_C(8000000000)));
}

TEST(StickFolders, DayNamesAreZeroPaddedAndShownDayFirst)
{
    EXPECT_EQ(StickFolders::dayFolderName(QDate(2026, 3, 5)), QStringLiteral("20260305"));
    EXPECT_EQ(StickFolders::dayFolderName(QDate(2026, 1, 31)), QStringLiteral("20260131"));
    EXPECT_EQ(StickFolders::dayText(20260305), QStringLiteral("05.03.2026"));
    EXPECT_EQ(StickFolders::dayText(20251231), QStringLiteral("31.12.2025"));
    State() = SharedState{};
    EXPECT_EQ(StickFolders::rootFolder(QStringLiteral("/media/matti/KOPIOTIKKU")),
              QStringLiteral("/media/matti/KOPIOTIKKU/Tikkeli"));
    EXPECT_EQ(StickFolders::dayFolder(QStringLiteral("/m/Tikkeli"), 20260305), QStringLiteral("/m/Tikkeli/20260305"));
}

TEST(StickFolders, ListsEightDigitDaysNewestFirstAndFinishedCopies)
{
    QTemporaryDir root;
    for (const char* name : {"20251231", "20260105", "sanat", "2026010", "2026010x", "202601050", "20250601"})
        QDir(root.path()).mkdir(QString::fromLatin1(name));
    QFile(root.filePath(QStringLiteral("20991231"))).open(QIODevice::WriteOnly); // a file, not a folder
    EXPECT_EQ(StickFolders::days(root.path()), (QList<qint32>{20260105, 20251231, 20250601}));

    const QString day = root.filePath(QStringLiteral("20260105"));
    for (const char* name : {"demo1.mdb", "Erämiehet.mdb", ".demo1.mdb.Ab12Cd"})
        QFile(day + QLatin1Char('/') + QString::fromUtf8(name)).open(QIODevice::WriteOnly);
    QDir(day).mkdir(QStringLiteral("alikansio"));
    EXPECT_EQ(StickFolders::files(day), (QStringList{QStringLiteral("demo1.mdb"), QStringLiteral("Erämiehet.mdb")}));

    QTemporaryDir onlyWords;
    QDir(onlyWords.path()).mkdir(QStringLiteral("kuvat"));
    EXPECT_TRUE(StickFolders::days(onlyWords.path()).isEmpty());
    EXPECT_TRUE(StickFolders::days(onlyWords.filePath(QStringLiteral("ei-ole"))).isEmpty());
}
