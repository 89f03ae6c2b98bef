#pragma once

#include "base/ProgramHooks.h"
#include "base/SharedState.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace tikkeli::test {

// A throw-away installation: an ini file, a documents folder and a program folder of its own,
// pointed at by TIKKELI_INI, TIKKELI_DOCUMENTS and TIKKELI_PROGRAM_DIR, with the shared state and
// the shell hooks reset. Restores the environment when it goes.
class TempProgramEnvironment {
public:
    // withShippedFiles: copies demo1.mdb and mallit/malli.mdb of the built program folder.
    explicit TempProgramEnvironment(bool withShippedFiles = true)
        : m_oldIni(qgetenv("TIKKELI_INI")), m_oldDocs(qgetenv("TIKKELI_DOCUMENTS")),
          m_oldProgram(qgetenv("TIKKELI_PROGRAM_DIR"))
    {
        QDir().mkpath(programFolder() + QStringLiteral("/mallit"));
        QDir().mkpath(documentsFolder());
        qputenv("TIKKELI_INI", iniPath().toUtf8());
        qputenv("TIKKELI_DOCUMENTS", documentsFolder().toUtf8());
        qputenv("TIKKELI_PROGRAM_DIR", programFolder().toUtf8());
        if (withShippedFiles) {
            const QString built = QStringLiteral(TIKKELI_PROGRAM_DIR);
            QFile::copy(built + QStringLiteral("/demo1.mdb"), programFolder() + QStringLiteral("/demo1.mdb"));
            QFile::copy(built + QStringLiteral("/mallit/malli.mdb"), programFolder() + QStringLiteral("/mallit/malli.mdb"));
        }
        State() = SharedState{};
        ProgramHooks::clear();
    }
    ~TempProgramEnvironment()
    {
        restore("TIKKELI_INI", m_oldIni);
        restore("TIKKELI_DOCUMENTS", m_oldDocs);
        restore("TIKKELI_PROGRAM_DIR", m_oldProgram);
        State() = SharedState{};
        ProgramHooks::clear();
    }

    QString root() const { return m_dir.path(); }
    QString iniPath() const { return m_dir.path() + QStringLiteral("/config/Tikkeli.ini"); }
    QString documentsFolder() const { return m_dir.path() + QStringLiteral("/docs"); }
    QString userFolder() const { return documentsFolder() + QStringLiteral("/Tikkeli"); }
    QString programFolder() const { return m_dir.path() + QStringLiteral("/program"); }

    // A writable copy of a shipped file of the program folder ("demo1.mdb", "mallit/malli.mdb")
    // under root() with the given name.
    QString copyOfShipped(const QString& shipped, const QString& name) const
    {
        const QString path = root() + QLatin1Char('/') + name;
        QFile::copy(programFolder() + QLatin1Char('/') + shipped, path);
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
        return path;
    }

    void writeIni(const QByteArray& content) const
    {
        QDir().mkpath(m_dir.path() + QStringLiteral("/config"));
        QFile f(iniPath());
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(content);
    }
    QByteArray iniContent() const
    {
        QFile f(iniPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    static void restore(const char* name, const QByteArray& old)
    {
        if (old.isNull())
            qunsetenv(name);
        else
            qputenv(name, old);
    }

    QTemporaryDir m_dir;
    QByteArray m_oldIni, m_oldDocs, m_oldProgram;
};

} // namespace tikkeli::test
