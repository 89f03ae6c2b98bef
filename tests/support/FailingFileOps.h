#pragma once

#include "db/MaintenanceFileOps.h"
#include "db/DbError.h"

#include <QFileInfo>
#include <QStringList>
#include <functional>

namespace tikkeli::test {

// Real file operations, except those the test picks to fail; every call is logged as
// "<operation> <file name> [<file name>]" (names only, so expectations stay short).
class FailingFileOps : public MaintenanceFileOps {
public:
    FailingFileOps() { setInstance(this); }
    ~FailingFileOps() override { setInstance(nullptr); }

    // Called before each operation with its log line; true makes it fail with number 75.
    std::function<bool(const QString& call)> fail = [](const QString&) { return false; };
    QStringList calls;

    void backupDatabase(const QString& db, const QString& target) override
    {
        check(QStringLiteral("backup"), db, target);
        MaintenanceFileOps::backupDatabase(db, target);
    }
    void compactDatabase(const QString& db, const QString& target) override
    {
        check(QStringLiteral("compact"), db, target);
        MaintenanceFileOps::compactDatabase(db, target);
    }
    RepairResult repairDatabase(const QString& db) override
    {
        check(QStringLiteral("repair"), db, {});
        return MaintenanceFileOps::repairDatabase(db);
    }
    void renameFile(const QString& from, const QString& to) override
    {
        check(QStringLiteral("rename"), from, to);
        MaintenanceFileOps::renameFile(from, to);
    }
    void removeFile(const QString& path) override
    {
        check(QStringLiteral("remove"), path, {});
        MaintenanceFileOps::removeFile(path);
    }
    void copyFile(const QString& from, const QString& to, bool overwrite) override
    {
        check(overwrite ? QStringLiteral("overwrite") : QStringLiteral("copy"), from, to);
        MaintenanceFileOps::copyFile(from, to, overwrite);
    }

private:
    void check(const QString& op, const QString& a, const QString& b)
    {
        QString call = op + QLatin1Char(' ') + QFileInfo(a).fileName();
        if (!b.isEmpty())
            call += QLatin1Char(' ') + QFileInfo(b).fileName();
        calls << call;
        if (fail(call))
            throw DbException(75, QStringLiteral("Tiedoston käsittely ei onnistu (testi): ") + call);
    }
};

} // namespace tikkeli::test
