#include "lists/DataPrinterColumn.h"

#include "lists/DataPrinterSettings.h"

#include "members/CriteriaValues.h"

namespace tikkeli {

void DataPrinterColumn::setHeader(const QString& header)
{
    if (header == m_header)
        return;
    m_header = header;
    m_owner->changed();
}

void DataPrinterColumn::setFieldName(const QString& field)
{
    if (field == m_field)
        return;
    m_field = field;
    m_owner->changed();
}

void DataPrinterColumn::setWidth(double width)
{
    // A negative or unreadable width is no width: the column takes its share.
    if (!(width > 0))
        width = 0;
    if (width == m_width)
        return;
    m_width = width;
    m_owner->changed();
}

double DataPrinterColumn::ReadWidth(const QString& text)
{
    // Read as every other typed number: a decimal comma or point, no exponent.
    const std::optional<double> v = ReadTypedNumber(text);
    return v && *v > 0 ? *v : 0;
}

} // namespace tikkeli
