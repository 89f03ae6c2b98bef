// Writes every shipped report as a PDF file, filled from a copy of the sample club database, so
// that a person can look at how the reports print.
//
//   tikkeli_reportsamples <output folder> [sample database]
//
// The database defaults to demo1.mdb in the program folder beside the tool's build; it is copied
// first and only the copy is changed (every contract marked as selected).

#include "db/Database.h"
#include "printing/ReportEngine.h"
#include "printing/ReportError.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QTemporaryDir>

#include <cstdio>

using namespace tikkeli;

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QLocale::setDefault(QLocale(QLocale::Finnish, QLocale::Finland));
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2 || args.size() > 3) {
        std::fprintf(stderr, "käyttö: %s <kohdekansio> [mallitietokanta]\n", argv[0]);
        return 2;
    }
    const QString out = args[1];
    const QString sample = args.size() > 2 ? args[2] : QStringLiteral(TIKKELI_PROGRAM_DIR "/demo1.mdb");
    QTemporaryDir work;
    const QString copy = work.filePath(QStringLiteral("demo1.mdb"));
    if (!QDir().mkpath(out) || !work.isValid() || !QFile::copy(sample, copy)) {
        std::fprintf(stderr, "tietokantaa %s ei voi kopioida tai kansiota %s luoda\n", qPrintable(sample), qPrintable(out));
        return 1;
    }
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
    try {
        Database db = Database::open(copy);
        db.execute(QStringLiteral("UPDATE vs SET vsMukaan = 1"));
        db.close();
        const std::pair<const char*, const char*> reports[] = {{"pilista.rpt", ""},
                                                               {"jmllista.rpt", ""},
                                                               {"mvluetlo.rpt", "{vs.vsMukaan} = true"},
                                                               {"mvosoite.rpt", "{vs.vsMukaan} = true"}};
        for (const auto& [file, selection] : reports) {
            ReportEngine e;
            e.ReportFileName = QStringLiteral(TIKKELI_SOURCE_DIR "/reports/") + QString::fromUtf8(file);
            e.setDataFiles(0, copy);
            e.SelectionFormula = QString::fromUtf8(selection);
            e.setFormulas(0, QStringLiteral("Seurannimi= 'Erämiesten Hirvi ry'"));
            e.setSectionFont(0, QStringLiteral("ALL;Times New Roman;10;X;X;X;X"));
            e.setSectionFont(1, QStringLiteral("TITLE;Times New Roman;12;X;X;X;X"));
            e.Destination = ReportEngine::ToFile;
            e.PrintFileName = QDir(out).filePath(
                QString::fromUtf8(file).replace(QLatin1String(".rpt"), QLatin1String(".pdf")));
            e.PrintReport();
            std::printf("%s\n", qPrintable(e.PrintFileName));
        }
    } catch (const NumberedError& e) {
        std::fprintf(stderr, "%d: %s\n", e.number(), qPrintable(e.description()));
        return 1;
    }
    return 0;
}
