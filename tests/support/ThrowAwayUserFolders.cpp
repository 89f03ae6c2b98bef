#include "support/ThrowAwayUserFolders.h"

#include <QDir>
#include <QFile>

namespace tikkeli::test {

namespace {

QString g_root;

} // namespace

ThrowAwayUserFolders::ThrowAwayUserFolders() : m_dir(QDir::tempPath() + QStringLiteral("/tikkeli-testit-XXXXXX"))
{
    g_root = m_dir.path();
    const QString config = g_root + QStringLiteral("/config");
    const QString documents = g_root + QStringLiteral("/Asiakirjat");
    QDir().mkpath(config);
    QDir().mkpath(documents);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    // The documents folder as the desktop names it, so it stays here also when a test clears
    // TIKKELI_DOCUMENTS after setting it.
    QFile dirs(config + QStringLiteral("/user-dirs.dirs"));
    if (dirs.open(QIODevice::WriteOnly))
        dirs.write("XDG_DOCUMENTS_DIR=\"" + QFile::encodeName(documents) + "\"\n");
    for (const char* name : {"TIKKELI_INI", "TIKKELI_DOCUMENTS", "TIKKELI_KOPIOTIKKU"})
        qunsetenv(name);
}

ThrowAwayUserFolders::~ThrowAwayUserFolders()
{
    g_root.clear();
}

QString ThrowAwayUserFolders::root()
{
    return g_root;
}

} // namespace tikkeli::test
