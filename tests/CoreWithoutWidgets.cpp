// A program that links only tikkeli_core: the rules, the database layer and the report engine
// must build and run without QtWidgets, for a command-line tool or a server beside the windows.

#include "db/Database.h"
#include "db/Recordset.h"
#include "printing/ReportDefinition.h"
#include "printing/ReportLayouter.h"
#include "printing/ReportQuery.h"

#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tikkeli;

TEST(CoreWithoutWidgets, NeitherWidgetsNorPrintSupportIsLoaded)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    const QByteArray loaded = maps.readAll();
    EXPECT_FALSE(loaded.contains("libQt6Widgets"));
    EXPECT_FALSE(loaded.contains("libQt6PrintSupport"));
}

TEST(CoreWithoutWidgets, ADatabaseReportIsSelectedAndLaidOut)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("klubi.mdb"));
    {
        Database db = Database::create(path);
        db.execute(QStringLiteral("CREATE TABLE jr (jrID INTEGER PRIMARY KEY AUTOINCREMENT, jrSukunimi VARCHAR(50))"));
        for (const char* name : {"Öhman", "Aho", "Virtanen"})
            db.execute(QStringLiteral("INSERT INTO jr (jrSukunimi) VALUES (?)"), {QString::fromUtf8(name)});
    }
    ReportDefinition def = ReportDefinition::parse(R"({"format": "tikkeli-report/1", "data": {"table": "jr"},
      "bands": {"detail": {"height": 5, "items": [{"type": "field", "field": "jr.jrSukunimi", "width": 50}]}}})",
                                                   dir.path(), QStringLiteral("nimet.rpt"));
    ReportQuery query(Database::open(path), def);
    query.build(QStringLiteral("{jr.jrSukunimi} <> 'Virtanen'"), {QStringLiteral("+{jr.jrSukunimi}")});
    const auto rows = query.fetch();
    ASSERT_EQ(rows.size(), 2u);
    const ReportDocument doc = ReportLayouter(def, {}).layout(rows);
    ASSERT_FALSE(doc.pages.empty());
    EXPECT_EQ(doc.pageLines(0), (QStringList{"Aho", "Öhman"}));
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QLocale::setDefault(QLocale(QLocale::Finnish, QLocale::Finland));
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
