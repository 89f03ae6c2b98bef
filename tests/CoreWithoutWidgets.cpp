// A program that links only tikkeli_core: the rules, the database layer and the report engine
// must build and run without QtWidgets, for a command-line tool or a server beside the windows.

#include "db/Database.h"
#include "db/Recordset.h"
#include "printing/ReportDefinition.h"
#include "printing/ReportLayouter.h"
#include "printing/ReportQuery.h"

#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QRegularExpression>
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

// Includes run one way, from a higher floor to a lower one: a lower floor never needs a higher one
// to build or to be tested. Every window (a ui/ folder) stands above all of the core; the shared
// window helpers in src/ui stand below every subsystem's windows.
TEST(CoreWithoutWidgets, IncludesRunFromHigherFloorsToLowerOnly)
{
    const QHash<QString, int> core{{"base", 0},   {"platform", 1}, {"db", 1},        {"printing", 2},  {"settings", 3},
                                   {"backup", 4}, {"members", 4},  {"invoicing", 5}, {"contracts", 6}, {"maps", 7},
                                   {"lists", 8},  {"catch", 8},    {"app", 9}};
    constexpr int Windows = 20;
    // The floor of a path below src/ ("members/ui/frmJasen.h"); -1 for a folder without one.
    const auto floorOf = [&](const QString& path) {
        const QString top = path.section(QLatin1Char('/'), 0, 0);
        if (top == QLatin1String("ui"))
            return Windows - 1;
        if (!core.contains(top))
            return -1;
        return core[top] + (path.section(QLatin1Char('/'), 1, 1) == QLatin1String("ui") ? Windows : 0);
    };
    const QString src = QStringLiteral(TIKKELI_SOURCE_DIR "/src/");
    const QRegularExpression include(QStringLiteral(R"re(^\s*#\s*include\s*"([a-z]+/[^"]+)")re"),
                                     QRegularExpression::MultilineOption);
    QStringList wrong;
    for (QDirIterator it(src, {"*.h", "*.cpp"}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        const QString file = it.next().mid(src.size());
        if (!file.contains(QLatin1Char('/')))
            continue; // main.cpp and the composition root see every floor
        const int floor = floorOf(file);
        ASSERT_GE(floor, 0) << "a new folder needs its floor: " << file.toStdString();
        QFile f(it.filePath());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        for (auto m = include.globalMatch(QString::fromUtf8(f.readAll())); m.hasNext();) {
            const QString target = m.next().captured(1);
            if (floorOf(target) > floor)
                wrong << file + QStringLiteral(" -> ") + target;
        }
    }
    EXPECT_TRUE(wrong.isEmpty()) << wrong.join(QStringLiteral(", ")).toStdString();
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QLocale::setDefault(QLocale(QLocale::Finnish, QLocale::Finland));
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
