#pragma once

#include <QString>

namespace tikkeli {

class DataPrinterSettings;

// One column of a report template: its heading, the member field it prints and its width in
// millimetres (0: an equal share of the room the other columns leave). Setting a property to a
// different value tells the template, which raises SettingsChanged; setting the same value does
// nothing.
class DataPrinterColumn {
public:
    QString Header() const { return m_header; }
    void setHeader(const QString& header);
    QString fieldName() const { return m_field; }
    void setFieldName(const QString& field);
    double Width() const { return m_width; }
    void setWidth(double width);
    // A width as the user types it: millimetres, with a decimal comma or point; 0 when the text is
    // no number or no positive one.
    static double ReadWidth(const QString& text);

private:
    friend class DataPrinterSettings;
    DataPrinterColumn(DataPrinterSettings* owner, QString header, QString field, double width)
        : m_owner(owner), m_header(std::move(header)), m_field(std::move(field)), m_width(width)
    {
    }

    DataPrinterSettings* m_owner;
    QString m_header;
    QString m_field;
    double m_width = 0;
};

} // namespace tikkeli
