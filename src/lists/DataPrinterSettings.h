#pragma once

#include "lists/DataPrinterColumn.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

namespace tikkeli {

// One report template: a name, the paper orientation (1 portrait, 2 landscape), table lines on or
// off and the columns in print order. Every real change raises SettingsChanged; assigning a value
// the template already holds raises nothing, so showing a template never marks it changed.
//
// The text form (ToText/FromText) is compact versioned JSON:
// {"v":1,"name":…,"orientation":1,"lines":true,"columns":[{"header":…,"field":…,"width":40}]}
class DataPrinterSettings : public QObject {
    Q_OBJECT
public:
    static constexpr int Portrait = 1;
    static constexpr int Landscape = 2;

    explicit DataPrinterSettings(QObject* parent = nullptr);
    ~DataPrinterSettings() override;

    bool Lines() const { return m_lines; }
    void setLines(bool lines);
    QString ReportName() const { return m_name; }
    void setReportName(const QString& name);
    int Orientation() const { return m_orientation; }
    // Anything but 2 is portrait.
    void setOrientation(int orientation);

    int columnCount() const { return int(m_columns.size()); }
    // Column index counts from 1, as the editor's rows and the stored order do; an index outside
    // 1..columnCount() throws std::out_of_range.
    DataPrinterColumn& Columns(int index) const;
    // Appended last; returns the new column.
    DataPrinterColumn& AddColumn(const QString& header, const QString& fieldName, double width);
    // False when the column is not one of this template's.
    bool RemoveColumn(const DataPrinterColumn& column);

    // Why the template cannot be printed on paper paperWidthMm wide: the first column wider than
    // the paper (or column `only` alone, counted from 1), in Finnish; empty when they fit.
    QString WidthProblem(double paperWidthMm, int only = 0) const;

    QString ToText() const;
    // Rebuilds the template from a text ToText gave. Empty or unreadable text gives the defaults of
    // a new template and false. Raises SettingsChanged once when the template changed.
    bool FromText(const QString& text);

signals:
    void SettingsChanged();

private:
    friend class DataPrinterColumn;
    void changed() { emit SettingsChanged(); }
    void reset();

    QString m_name;
    int m_orientation = Portrait;
    bool m_lines = true;
    std::vector<std::unique_ptr<DataPrinterColumn>> m_columns;
};

} // namespace tikkeli
