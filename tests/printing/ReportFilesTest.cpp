#include "base/ErrorNumbers.h"
#include "printing/PagePainter.h"
#include "printing/ReportDefinition.h"
#include "printing/ReportDocument.h"
#include "printing/ReportError.h"
#include "support/FailingFileSafety.h"
#include "support/TestFiles.h"
#include "support/SmallDisk.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

// Pages of text, enough to make a file of some size.
ReportDocument pages(int count)
{
    ReportDocument doc;
    doc.title = QStringLiteral("Jäsenluettelo");
    doc.pageSize = QSizeF(595, 842);
    for (int p = 0; p < count; ++p) {
        ReportDocument::Page page;
        for (int line = 0; line < 60; ++line) {
            ReportDocument::Item it;
            it.text = QStringLiteral("Sivu %1 rivi %2 Äijälä Öhman").arg(p + 1).arg(line + 1);
            it.rect = QRectF(40, 40 + line * 12, 300, 11);
            it.baseline = 49 + line * 12;
            it.section = QStringLiteral("DETAIL");
            page.items.push_back(it);
        }
        doc.pages.push_back(std::move(page));
    }
    return doc;
}

QStringList filesIn(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

TEST(ReportFiles, AReadErrorOnAReportFileIsSaidAsOneNotAsDamage)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pilista.rpt"));
    QFile::copy(QStringLiteral(TIKKELI_SOURCE_DIR "/reports/pilista.rpt"), path);
    ASSERT_NO_THROW(ReportDefinition::load(path));
    test::FailingFileSafety files;
    files.fault = [](FileStep step, const QString&) { return step == FileStep::Read ? EIO : 0; };
    try {
        ReportDefinition::load(path);
        ADD_FAILURE() << "a report read in part was used";
    } catch (const ReportException& e) {
        EXPECT_EQ(e.number(), ReportErr::CannotOpenReport);
        EXPECT_EQ(e.description().toStdString(),
                  QStringLiteral("Raporttitiedostoa %1 ei voitu lukea: 57: Laitteen I/O-virhe.")
                      .arg(QDir::toNativeSeparators(path))
                      .toStdString());
    }
}

TEST(ReportFiles, APdfThatCannotBeWrittenWholeLeavesTheOldFileAndSaysWhy)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lista.pdf"));
    const QByteArray old = "%PDF-1.4 vanha tuloste";
    const ReportDocument doc = pages(3);
    int total = 0;
    {
        test::WriteFileBytes(path, old);
        test::FailingFileSafety count;
        PagePainter::writePdf(doc, path);
        total = count.steps();
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
        ASSERT_TRUE(text.waitForFinished(30000));
        EXPECT_TRUE(text.readAllStandardOutput().contains("Sivu 3 rivi 60"));
    }
    ASSERT_GE(total, 4); // create, write, flush, rename
    for (int failAt = 1; failAt <= total; ++failAt) {
        test::WriteFileBytes(path, old);
        test::FailingFileSafety files;
        files.failAt = failAt;
        files.error = ENOSPC;
        const QString step = [&] {
            try {
                PagePainter::writePdf(doc, path);
            } catch (const ReportException& e) {
                EXPECT_EQ(e.number(), ReportErr::PrinterError);
                EXPECT_TRUE(e.description().contains(QStringLiteral("Levy on täynnä"))) << e.description().toStdString();
                return files.calls.value(failAt - 1);
            }
            return QString();
        }();
        if (step.isEmpty()) {
            // Only a flush of the folder after the rename comes too late to undo the print.
            EXPECT_TRUE(files.calls.value(failAt - 1).startsWith(QStringLiteral("syncfolder")));
            continue;
        }
        SCOPED_TRACE(step.toStdString());
        EXPECT_EQ(test::ReadFileBytes(path), old);
        EXPECT_EQ(filesIn(dir.path()), QStringList{QStringLiteral("lista.pdf")});
    }
}

TEST(ReportFiles, APdfPrintedOntoAFullDiskIsReportedAndTheOldFileStays)
{
    test::SmallDisk disk("64k");
    if (!disk.mounted())
        GTEST_SKIP() << "no real full disk to test on: " << disk.why();
    const QString path = disk.path("lista.pdf");
    const QByteArray old = "%PDF-1.4 vanha tuloste";
    test::WriteFileBytes(path, old);
    disk.fill();
    try {
        PagePainter::writePdf(pages(40), path);
        ADD_FAILURE() << "a print that did not fit was reported as done";
    } catch (const ReportException& e) {
        EXPECT_EQ(e.number(), ReportErr::PrinterError);
        EXPECT_TRUE(e.description().contains(QStringLiteral("Levy on täynnä"))) << e.description().toStdString();
    }
    EXPECT_EQ(test::ReadFileBytes(path), old);
    EXPECT_EQ(filesIn(QFileInfo(path).absolutePath()), (QStringList{QStringLiteral("lista.pdf"), QStringLiteral("taytto")}));
}

} // namespace
