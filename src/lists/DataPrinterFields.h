#pragma once

#include <QString>

#include <vector>

namespace tikkeli {

class DataPrinterSettings;

// The fields a report template may print: the member's own (jr) and the values of the member's
// features (pi and pt). Only these ever reach a query; a column naming anything else prints empty.
struct DataPrinterField {
    QString caption; // what the editor's field box shows
    QString field;
};

// The 21 fields in the editor's order; an index into this list is the field box's position.
const std::vector<DataPrinterField>& TemplateFieldTable();
// The index of the field (exact name), -1 when it is none of the table's.
int TemplateFieldIndex(const QString& field);
// Whether the field is a feature's name or value (pi/pt) rather than the member's own.
bool IsFeatureField(const QString& field);

// The known fields of the template's columns, in column order, each once, joined with ", ";
// "" when there is none.
QString TemplateFieldList(const DataPrinterSettings& settings);

} // namespace tikkeli
