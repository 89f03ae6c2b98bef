#pragma once

#include <QString>

#include <vector>

namespace tikkeli {

class DataPrinterLayout;
class DataPrinterSettings;
class Recordset;

// Lays a report template's table out onto a layout's pages: the title (the club's name) and the
// criteria line on the first page, the column headings at the top of every page, one row per
// record and a page number at the foot of every page. Cells print their field by name: Null empty,
// yes/no "Kyllä"/"Ei", dates d.M.yyyy, money with two decimals and a decimal comma; a field the
// rows do not hold prints an empty cell. Column widths are millimetres; 0 takes an equal share of
// what the others leave, and widths that do not fit the page are scaled down.
class DataPrinter {
public:
    QString FontName = QStringLiteral("Times New Roman");
    double FontSize = 10;

    // The rows from the recordset's current record to its end. pageNumbers: print "Sivu n / m".
    // scale multiplies the font size.
    void PrintTable(const QString& title, Recordset& rows, const DataPrinterSettings& settings, DataPrinterLayout& layout,
                    bool pageNumbers, const QString& criteria, double scale = 1.0);
    // Sends the pages to the report control's destination (preview, printer or PDF file).
    void Finish(DataPrinterLayout& layout);

    // The columns' widths in points for a table of the given width (exposed for tests).
    static std::vector<double> ColumnWidths(const DataPrinterSettings& settings, double tableWidth);
};

} // namespace tikkeli
