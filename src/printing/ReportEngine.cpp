#include "printing/ReportEngine.h"

#include "base/Folders.h"
#include "db/Database.h"
#include "printing/PagePainter.h"
#include "printing/ReportDefinition.h"
#include "printing/ReportError.h"
#include "printing/ReportLayouter.h"
#include "printing/ReportQuery.h"
#include "base/SharedState.h"

#include <QDir>
#include <QFileInfo>

namespace tikkeli {

namespace {

QString entry(const std::map<int, QString>& m, int index)
{
    auto it = m.find(index);
    return it == m.end() ? QString() : it->second;
}

double twipsToPoints(std::optional<qint16> twips, double fallback)
{
    // 0 is the settings' default: the report keeps the margin it was designed with. A negative
    // margin would put the text off the paper.
    if (!twips || *twips == 0)
        return fallback;
    return std::max(0, int(*twips)) / 20.0;
}

} // namespace

ReportEngine::ReportEngine() = default;

void ReportEngine::checkIndex(int index, const char* property)
{
    if (index < 0 || index > MaxIndex)
        throw ReportException(
            ReportErr::BadIndex,
            QStringLiteral("Virheellinen indeksi %1 ominaisuudelle %2").arg(index).arg(QLatin1String(property)));
}

QString ReportEngine::Formulas(int index) const
{
    checkIndex(index, "Formulas");
    return entry(m_formulas, index);
}
void ReportEngine::setFormulas(int index, const QString& text)
{
    checkIndex(index, "Formulas");
    m_formulas[index] = text;
}
QString ReportEngine::SortFields(int index) const
{
    checkIndex(index, "SortFields");
    return entry(m_sortFields, index);
}
void ReportEngine::setSortFields(int index, const QString& text)
{
    checkIndex(index, "SortFields");
    m_sortFields[index] = text;
}
void ReportEngine::clearSortFields()
{
    m_sortFields.clear();
}
QString ReportEngine::DataFiles(int index) const
{
    checkIndex(index, "DataFiles");
    return entry(m_dataFiles, index);
}
void ReportEngine::setDataFiles(int index, const QString& path)
{
    checkIndex(index, "DataFiles");
    m_dataFiles[index] = path;
}
QString ReportEngine::SectionFont(int index) const
{
    checkIndex(index, "SectionFont");
    return entry(m_sectionFonts, index);
}
void ReportEngine::setSectionFont(int index, const QString& text)
{
    checkIndex(index, "SectionFont");
    m_sectionFonts[index] = text;
}

std::optional<std::pair<QString, QString>> ReportEngine::parseFormula(const QString& text)
{
    const qsizetype eq = text.indexOf(u'=');
    if (eq <= 0)
        return std::nullopt;
    const QString name = text.left(eq).trimmed();
    if (name.isEmpty())
        return std::nullopt;
    const qsizetype first = text.indexOf(u'\'', eq);
    const qsizetype last = text.lastIndexOf(u'\'');
    if (first >= 0 && last > first)
        return std::make_pair(name, text.mid(first + 1, last - first - 1));
    QString rest = text.mid(eq + 1).trimmed();
    if (rest.size() >= 2 && rest.startsWith(u'"') && rest.endsWith(u'"'))
        rest = rest.mid(1, rest.size() - 2);
    return std::make_pair(name, rest);
}

QString ReportEngine::resolveReportFile(const QString& name)
{
    QString path = name;
    path.replace(u'\\', u'/');
    if (QFileInfo(path).isFile())
        return path;
    const QFileInfo fi(path);
    const QString candidate = fi.isAbsolute() ? QDir(fi.absolutePath()).filePath(QStringLiteral("reports/") + fi.fileName())
                                              : ReportFilePath(path);
    return QFileInfo(candidate).isFile() ? candidate : path;
}

// What a layout reads: the report file, its database, the rows and the layouter, which refer to
// one another and so stay in one place.
struct ReportEngine::Run {
    ReportDefinition def;
    Database db;
    std::optional<ReportQuery> query;
    std::unique_ptr<ReportRows> rows;
    std::optional<ReportLayouter> layouter;

    // Runs the layout, with the database's errors said as the engine's.
    template <typename F>
    auto layout(F&& f)
    {
        try {
            return f(*layouter, *rows);
        } catch (const DbException& e) {
            throw ReportException(ReportErr::DatabaseError, QStringLiteral("Tietokantavirhe: %1").arg(e.description()));
        }
    }
};

std::unique_ptr<ReportEngine::Run> ReportEngine::prepare() const
{
    if (ReportFileName.trimmed().isEmpty())
        throw ReportException(ReportErr::CannotOpenReport, QStringLiteral("Raporttitiedostoa ei ole annettu."));
    auto run = std::make_unique<Run>();
    run->def = ReportDefinition::load(resolveReportFile(ReportFileName));
    const ReportDefinition& def = run->def;

    QString dbPath;
    for (const auto& [i, p] : m_dataFiles)
        if (!p.trimmed().isEmpty()) {
            dbPath = p;
            break;
        }
    if (dbPath.isEmpty())
        dbPath = State().DatabasePath;
    if (dbPath.trimmed().isEmpty())
        throw ReportException(ReportErr::CannotOpenDatabase, QStringLiteral("Raportin tietokantaa ei ole valittu."));
    try {
        run->db = Database::open(dbPath);
    } catch (const DbException& e) {
        throw ReportException(ReportErr::CannotOpenDatabase, QStringLiteral("Raportin tietokantaa %1 ei voi avata: %2")
                                                                 .arg(QDir::toNativeSeparators(dbPath), e.description()));
    }

    QStringList sorts;
    for (const auto& [i, s] : m_sortFields)
        if (!s.trimmed().isEmpty())
            sorts << s;
    run->query.emplace(run->db, run->def);
    try {
        run->query->build(SelectionFormula, sorts);
        run->rows = run->query->fetchRows();
    } catch (const DbException& e) {
        throw ReportException(ReportErr::DatabaseError, QStringLiteral("Tietokantavirhe: %1").arg(e.description()));
    }

    ReportLayouter::Options opt;
    if (MarginTop || MarginBottom || MarginLeft || MarginRight)
        opt.margins = QMarginsF(twipsToPoints(MarginLeft, def.margins.left()), twipsToPoints(MarginTop, def.margins.top()),
                                twipsToPoints(MarginRight, def.margins.right()),
                                twipsToPoints(MarginBottom, def.margins.bottom()));
    for (const auto& [i, s] : m_sectionFonts)
        opt.sectionFonts << s;
    // A formula the report does not print is left alone, as the old control ignored it.
    const QStringList used = def.formulaNames();
    for (const auto& [i, text] : m_formulas) {
        if (auto f = parseFormula(text)) {
            if (used.contains(f->first, Qt::CaseInsensitive))
                opt.formulas.insert(f->first.toLower(), f->second);
        }
    }
    run->layouter.emplace(run->def, std::move(opt));
    return run;
}

std::shared_ptr<const ReportDocument> ReportEngine::layoutReport()
{
    auto run = prepare();
    return run->layout(
        [](ReportLayouter& l, ReportRows& rows) { return std::make_shared<const ReportDocument>(l.layout(rows)); });
}

int ReportEngine::PrintReport()
{
    // A PDF file and the printer get each page as it is laid out and let it go: a run of
    // thousands of invoices is never held whole. Only the preview keeps its pages.
    if (Destination == ToFile) {
        if (PrintFileName.trimmed().isEmpty())
            throw ReportException(ReportErr::PrinterError, QStringLiteral("Tulostustiedoston nimi puuttuu."));
        auto run = prepare();
        int pages = 0;
        PagePainter::writePdf(PrintFileName, [&](PageSink& sink) {
            pages = run->layout([&](ReportLayouter& l, ReportRows& rows) { return l.layout(rows, sink); });
        });
        return pages;
    }
    if (Destination == ToPrinter && m_printer) {
        auto run = prepare();
        if (std::unique_ptr<PageSink> sink = m_printer(*this))
            return run->layout([&](ReportLayouter& l, ReportRows& rows) { return l.layout(rows, *sink); });
        auto doc = run->layout(
            [](ReportLayouter& l, ReportRows& rows) { return std::make_shared<const ReportDocument>(l.layout(rows)); });
        run.reset();
        output(doc);
        return int(doc->pages.size());
    }
    auto doc = layoutReport();
    output(doc);
    return int(doc->pages.size());
}

void ReportEngine::output(std::shared_ptr<const ReportDocument> doc)
{
    switch (Destination) {
    case ToFile:
        if (PrintFileName.trimmed().isEmpty())
            throw ReportException(ReportErr::PrinterError, QStringLiteral("Tulostustiedoston nimi puuttuu."));
        PagePainter::writePdf(*doc, PrintFileName);
        break;
    case ToWindow:
    case ToPrinter:
        if (!m_output)
            throw ReportException(ReportErr::PrinterError,
                                  QStringLiteral("Raporttia ei voi näyttää eikä tulostaa tässä ohjelmassa."));
        m_output(std::move(doc), *this);
        break;
    default: throw ReportException(ReportErr::PrinterError, QStringLiteral("Tuntematon tulostuskohde %1.").arg(Destination));
    }
}

void ReportEngine::setAction(int action)
{
    if (action == 1)
        PrintReport();
}

ReportEngine& MainReport()
{
    static ReportEngine engine;
    return engine;
}

QString ReportFilePath(const QString& file)
{
    return QDir(ProgramFolder()).filePath(QStringLiteral("reports/") + file);
}

} // namespace tikkeli
