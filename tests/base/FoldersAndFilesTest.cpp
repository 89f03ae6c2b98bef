#include "base/Folders.h"
#include "base/FileAttributes.h"
#include "support/TempProgramEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace tikkeli;

TEST(Folders, OverridesAndSpecialFolders)
{
    test::TempProgramEnvironment env(false);
    EXPECT_EQ(ProgramFolder(), env.programFolder());
    EXPECT_EQ(DocumentsFolder(), env.documentsFolder());
    EXPECT_EQ(UserDataFolder(), env.userFolder());
    EXPECT_EQ(SpecialFolderPath(28), env.documentsFolder());
    EXPECT_EQ(SpecialFolderPath(40), TempFolderPath());
    EXPECT_EQ(SpecialFolderPath(43), QString());
    EXPECT_EQ(SpecialFolderPath(-1), QString());
    EXPECT_EQ(JoinPath(QStringLiteral("/a/"), QStringLiteral("b")), QStringLiteral("/a/b"));
    EXPECT_EQ(JoinPath(QStringLiteral("/a"), QStringLiteral("b")), QStringLiteral("/a/b"));
}

TEST(Folders, TempFolderOfAHundredCharactersOrMoreIsEmpty)
{
    test::TempProgramEnvironment env(false);
    const QByteArray old = qgetenv("TMPDIR");
    const QString longDir = env.root() + QLatin1Char('/') + QString(120 - env.root().size(), QLatin1Char('t'));
    QDir().mkpath(longDir);
    qputenv("TMPDIR", longDir.toUtf8());
    EXPECT_EQ(TempFolderPath(), QString());
    EXPECT_EQ(TempFileName(QStringLiteral("Tik")), QString());
    qputenv("TMPDIR", env.root().toUtf8());
    EXPECT_EQ(TempFolderPath(), env.root() + QLatin1Char('/'));
    const QString name = TempFileName(QStringLiteral("Tikkeli"));
    EXPECT_TRUE(QFileInfo(name).fileName().startsWith(QStringLiteral("Tik"))) << name.toStdString();
    EXPECT_TRUE(QFileInfo::exists(name));
    if (old.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", old);
}

TEST(Folders, TempFileNameInCreatesUniqueEmptyFiles)
{
    test::TempProgramEnvironment env(false);
    const QString a = TempFileNameIn(env.root());
    const QString b = TempFileNameIn(env.root());
    EXPECT_NE(a, b);
    EXPECT_EQ(QFileInfo(a).size(), 0);
    EXPECT_EQ(TempFileNameIn(env.root() + QStringLiteral("/eiole")), QString());
}

TEST(FileAttributes, ReadOnlyMarkAndClearing)
{
    test::TempProgramEnvironment env(false);
    const QString path = env.root() + QStringLiteral("/seura.mdb");
    EXPECT_FALSE(IsReadOnlyFile(path));
    EXPECT_FALSE(ClearFileAttributes(path));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_FALSE(IsReadOnlyFile(path));
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    EXPECT_TRUE(IsReadOnlyFile(path));
    EXPECT_TRUE(ClearFileAttributes(path));
    EXPECT_FALSE(IsReadOnlyFile(path));
}
