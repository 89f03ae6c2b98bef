#include "support/FailingFileSafety.h"
#include "support/MaintTestDb.h"
#include "support/StoppedRun.h"
#include "support/TestFiles.h"

#include "backup/BackupCompaction.h"
#include "backup/BackupRestore.h"
#include "backup/DatabaseCopy.h"
#include "backup/FolderBackup.h"
#include "base/Clock.h"
#include "lists/AddressExport.h"
#include "printing/PagePainter.h"
#include "printing/ReportDocument.h"
#include "base/ScriptedPrompter.h"
#include "base/SharedState.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>

using namespace tikkeli;
using tikkeli::test::MaintTestDb;

namespace {

// Files that look like ours but are not leftovers of a stopped run of this database: a run still
// going on (process 1 never ends), another command's tag, a name that is not hidden, another
// database's copy, and the user's own file.
QStringList decoys()
{
    const QString gone = QString::number(test::EndedProcess());
    return {QStringLiteral(".seura.mdb.tiivistys-1-abcdef12"), QStringLiteral(".seura.mdb.varmistus-%1-abcdef12").arg(gone),
            QStringLiteral("seura.mdb.tiivistys-%1-abcdef12").arg(gone),
            QStringLiteral(".toinen.mdb.kopio-%1-abcdef12").arg(gone), QStringLiteral("muistio.txt")};
}

// Hidden files (every temporary file of ours is one) that are not decoys.
QStringList leftovers(const QString& dir)
{
    QStringList found = QDir(dir).entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden);
    for (const QString& name : decoys())
        found.removeAll(name);
    return found;
}

// A page of text for the PDF print.
ReportDocument onePage()
{
    ReportDocument doc;
    doc.pageSize = QSizeF(595, 842);
    ReportDocument::Page page;
    ReportDocument::Item it;
    it.text = QStringLiteral("Äijälä");
    it.rect = QRectF(40, 40, 300, 11);
    it.baseline = 49;
    it.section = QStringLiteral("DETAIL");
    page.items.push_back(it);
    doc.pages.push_back(std::move(page));
    return doc;
}

// The restore's file steps: the old file kept aside, a backup in backupFolder copied over it.
void restoreOver(const QString& target, const QString& backupFolder)
{
    QString kept;
    const QString backup = backupFolder + QStringLiteral("/varmuuskopio.mdb");
    if (!QFileInfo::exists(backup))
        QFile::copy(target, backup);
    BackupRestore::keepSafetyCopy(target, Today(), kept);
    BackupRestore::copyIntoPlace(backup, target);
}

// The file system of a memory stick or a network share: every hard link is refused, so the
// previous file is kept as a copy.
class WithoutHardLinks : public FileSafety {
public:
    WithoutHardLinks() : m_outer(FileSafety::instance()) { setInstance(this); }
    ~WithoutHardLinks() override { setInstance(&m_outer); }
    WithoutHardLinks(const WithoutHardLinks&) = delete;
    WithoutHardLinks& operator=(const WithoutHardLinks&) = delete;
    int check(FileStep step, const QString& path) override
    {
        const int error = m_outer.check(step, path);
        return error ? error : step == FileStep::Link ? EPERM : 0;
    }

private:
    FileSafety& m_outer;
};

TEST(Leftovers, StoppedAtEveryFileStepTheTemporaryFilesAreRemovedByTheNextStartAndRun)
{
    struct Case {
        const char* name;
        std::function<void(const MaintTestDb&, const QString& other)> run;
        bool removedAtStart; // the stick is not there at every start
    };
    const Case cases[] = {
        {"compaction", [](const MaintTestDb& t, const QString&) { BackupCompaction::run(t.path()); }, true},
        {"folder backup",
         [](const MaintTestDb&, const QString& other) {
             ScriptedPrompter p;
             State().BackupFolder = other;
             FolderBackup::backup();
         },
         true},
        {"folder backup without hard links",
         [](const MaintTestDb&, const QString& other) {
             ScriptedPrompter p;
             State().BackupFolder = other;
             WithoutHardLinks files;
             FolderBackup::backup();
         },
         true},
        {"stick copy",
         [](const MaintTestDb& t, const QString& other) {
             DatabaseCopy::copy(t.path(), other + u'/' + QFileInfo(t.path()).fileName());
         },
         false},
        {"restore", [](const MaintTestDb& t, const QString& other) { restoreOver(t.path(), other); }, true},
        {"restore over a link",
         [](const MaintTestDb& t, const QString& other) {
             // The database is a link to the club's file in the other folder, where the restore
             // writes.
             const QString file = other + u'/' + QFileInfo(t.path()).fileName();
             if (!QFileInfo(t.path()).isSymLink()) {
                 ConnectionRegistry::closeAll(t.path());
                 ASSERT_TRUE(QFile::rename(t.path(), file));
                 ASSERT_TRUE(QFile::link(file, t.path()));
             }
             restoreOver(t.path(), other);
         },
         true},
        {"restore over a link that is not the database",
         [](const MaintTestDb& t, const QString& other) {
             // The club links a file kept elsewhere into the folder the restore proposes; the
             // database in use is another file. The restore writes beside the linked file.
             const QString file = other + QStringLiteral("/linkattu.mdb");
             const QString link = FolderBackup::restoreFolder() + QStringLiteral("/linkattu.mdb");
             if (!QFileInfo::exists(file)) {
                 ASSERT_TRUE(QFile::copy(t.path(), file));
             }
             QDir().mkpath(FolderBackup::restoreFolder());
             QFile::remove(link);
             ASSERT_TRUE(QFile::link(file, link));
             restoreOver(link, other);
         },
         true},
        {"address export",
         [](const MaintTestDb& t, const QString& other) {
             Database db = t.open();
             if (!db.scalar(QStringLiteral("SELECT count(*) FROM pragma_table_info('jr') WHERE name = 'jrMukaan'"))
                      .toInt64()) {
                 for (const char* column : {"jrJasennumero", "jrOsoite", "jrPostinumero", "jrPostitoimipaikka", "jrMukaan"})
                     db.execute(QStringLiteral("ALTER TABLE jr ADD COLUMN %1 TEXT").arg(QLatin1String(column)));
                 db.execute(QStringLiteral("UPDATE jr SET jrMukaan = 1"));
             }
             AddressExport::WriteAddressRows(db, 0, other + QStringLiteral("/osoitteet.xlsx"));
         },
         false},
        {"PDF print",
         [](const MaintTestDb&, const QString& other) {
             try {
                 PagePainter::writePdf(onePage(), other + QStringLiteral("/lista.pdf"));
             } catch (const NumberedError&) {
             }
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        qsizetype found = 0; // temporary files the stopped runs left
        int total = 0;
        {
            MaintTestDb t;
            t.fill();
            const QString other = t.dir() + QStringLiteral("/muu");
            QDir().mkpath(other);
            test::FailingFileSafety count;
            c.run(t, other);
            total = count.steps();
        }
        ASSERT_GE(total, 3);
        for (int stop = 1; stop <= total; ++stop) {
            SCOPED_TRACE(stop);
            MaintTestDb t;
            t.fill();
            const QString other = t.dir() + QStringLiteral("/muu");
            QDir().mkpath(other);
            for (const QString& dir : {t.dir(), other})
                for (const QString& name : decoys())
                    test::WriteFileBytes(dir + u'/' + name, "ei meidän");
            test::FolderImage here, there;
            {
                test::FailingFileSafety files;
                files.fault = [&](FileStep, const QString&) {
                    if (files.steps() == stop) {
                        here = test::TakeFolder(t.dir());
                        there = test::TakeFolder(other);
                    }
                    return files.steps() >= stop ? EIO : 0;
                };
                c.run(t, other);
            }
            // Once at the next start, once at the next run of the same command.
            for (const bool atStart : {true, false}) {
                if (atStart && !c.removedAtStart)
                    continue;
                SCOPED_TRACE(atStart ? "next start" : "next run");
                test::LeaveAsStopped(t.dir(), here);
                test::LeaveAsStopped(other, there);
                const test::FolderImage stopped = test::TakeFolder(t.dir());
                found += leftovers(t.dir()).size() + leftovers(other).size();
                if (atStart)
                    FolderBackup::removeLeftovers(t.path(), other);
                else
                    c.run(t, other);
                EXPECT_EQ(leftovers(t.dir()), QStringList());
                EXPECT_EQ(leftovers(other), QStringList());
                for (const QString& dir : {t.dir(), other})
                    for (const QString& name : decoys())
                        EXPECT_EQ(test::ReadFileBytes(dir + u'/' + name), "ei meidän") << name.toStdString();
                if (!atStart)
                    continue;
                // Nothing but the leftovers was touched.
                for (const auto& [name, bytes] : stopped) {
                    if (!name.contains(QString::number(test::EndedProcess()))) {
                        EXPECT_EQ(test::ReadFileBytes(t.dir() + u'/' + name), bytes) << name.toStdString();
                    }
                }
            }
        }
        EXPECT_GT(found, 0) << "no stop left a temporary file to find";
    }
}

} // namespace
