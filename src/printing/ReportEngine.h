#pragma once

#include "printing/PageSink.h"
#include "printing/ReportDocument.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace tikkeli {

// The report control every print goes through. It keeps whatever a print sets in it until the
// next print overwrites it (the report services reset it first), then runs a report: reads the
// report file, selects and sorts the rows, lays the pages out and sends them to the preview
// window, the printer or a PDF file. It keeps no pages after a print.
class ReportEngine {
public:
    enum Destination { ToWindow = 0, ToPrinter = 1, ToFile = 2 };
    static constexpr int MaxIndex = 255;

    // How the pages reach the preview window or the printer; installed by the windows' library.
    using OutputHandler = std::function<void(std::shared_ptr<const ReportDocument>, const ReportEngine&)>;
    // The printer that takes the pages one at a time as they are laid out; nullptr leaves the
    // print to the output handler with the pages laid out whole (a printer that cannot make
    // copies itself gets them as many times over).
    using PagePrinter = std::function<std::unique_ptr<PageSink>(const ReportEngine&)>;

    ReportEngine();

    QString ReportFileName;
    QString SelectionFormula;
    qint16 CopiesToPrinter = 1;
    int Destination = ToWindow;
    QString PrintFileName; // the PDF file of destination 2
    QString PrinterDriver;
    QString PrinterName;
    QString PrinterPort;
    bool WindowControls = true; // the preview window shows its page, zoom, print and save commands
    int WindowState = 0;        // 2: the preview window opens maximised
    int WindowLeft = 0;         // where the preview window opens; 0 leaves it to its placement
    int WindowTop = 0;

    // Indexed properties; an index outside 0..MaxIndex throws ReportException 20510.
    QString Formulas(int index) const;
    void setFormulas(int index, const QString& text);
    QString SortFields(int index) const;
    void setSortFields(int index, const QString& text);
    void clearSortFields();
    QString DataFiles(int index) const;
    void setDataFiles(int index, const QString& path);
    QString SectionFont(int index) const;
    void setSectionFont(int index, const QString& text);

    // Margins in twips (1/1440 inch); unset or 0, the report file's own margin holds.
    std::optional<qint16> MarginTop, MarginBottom, MarginLeft, MarginRight;

    // Action 1 runs the report now.
    void setAction(int action);
    // Runs the report to the current destination and returns how many pages it had. A PDF file
    // and the page printer get the pages as they are laid out. Throws ReportException (20504
    // report file, 20515 formula, 20532/20533 database, 20544 output).
    int PrintReport();
    // Sends pages laid out elsewhere (a report template's table) to the current destination, as
    // PrintReport sends its own.
    void output(std::shared_ptr<const ReportDocument> doc);
    // Lays the report out without sending it anywhere.
    std::shared_ptr<const ReportDocument> layoutReport();

    // A new output handler takes the printer's pages too, until a page printer is set again.
    void setOutputHandler(OutputHandler handler)
    {
        m_output = std::move(handler);
        m_printer = nullptr;
    }
    void setPagePrinter(PagePrinter printer) { m_printer = std::move(printer); }
    bool hasOutputHandler() const { return bool(m_output); }

    // The name and value of a named formula text "Name= 'value'": the name is the text before the
    // first "=", the value the text between the first and the last single quote, unchanged.
    static std::optional<std::pair<QString, QString>> parseFormula(const QString& text);
    // Where a report file name points: backslashes are taken as folder separators, and a file not
    // found where named is looked for in the program folder's reports/.
    static QString resolveReportFile(const QString& name);

    const std::map<int, QString>& formulaEntries() const { return m_formulas; }
    const std::map<int, QString>& sortFieldEntries() const { return m_sortFields; }

private:
    struct Run;
    static void checkIndex(int index, const char* property);
    std::unique_ptr<Run> prepare() const;

    std::map<int, QString> m_formulas;
    std::map<int, QString> m_sortFields;
    std::map<int, QString> m_dataFiles;
    std::map<int, QString> m_sectionFonts;
    OutputHandler m_output;
    PagePrinter m_printer;
};

// The main window's report control, CrystalReport1: one for the whole run.
ReportEngine& MainReport();

// A report file of the program folder's reports/.
QString ReportFilePath(const QString& file);

} // namespace tikkeli
