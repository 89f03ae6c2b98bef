#include "lists/DataPrinterSettings.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <stdexcept>

namespace tikkeli {

namespace {

constexpr int FormatVersion = 1;

} // namespace

DataPrinterSettings::DataPrinterSettings(QObject* parent) : QObject(parent) {}

DataPrinterSettings::~DataPrinterSettings() = default;

void DataPrinterSettings::setLines(bool lines)
{
    if (lines == m_lines)
        return;
    m_lines = lines;
    changed();
}

void DataPrinterSettings::setReportName(const QString& name)
{
    if (name == m_name)
        return;
    m_name = name;
    changed();
}

void DataPrinterSettings::setOrientation(int orientation)
{
    const int o = orientation == Landscape ? Landscape : Portrait;
    if (o == m_orientation)
        return;
    m_orientation = o;
    changed();
}

DataPrinterColumn& DataPrinterSettings::Columns(int index) const
{
    if (index < 1 || index > columnCount())
        throw std::out_of_range("DataPrinterSettings::Columns: index " + std::to_string(index));
    return *m_columns[std::size_t(index - 1)];
}

DataPrinterColumn& DataPrinterSettings::AddColumn(const QString& header, const QString& fieldName, double width)
{
    m_columns.push_back(
        std::unique_ptr<DataPrinterColumn>(new DataPrinterColumn(this, header, fieldName, width > 0 ? width : 0)));
    changed();
    return *m_columns.back();
}

bool DataPrinterSettings::RemoveColumn(const DataPrinterColumn& column)
{
    for (auto it = m_columns.begin(); it != m_columns.end(); ++it) {
        if (it->get() == &column) {
            m_columns.erase(it);
            changed();
            return true;
        }
    }
    return false;
}

QString DataPrinterSettings::ToText() const
{
    QJsonArray columns;
    for (const auto& c : m_columns)
        columns.append(QJsonObject{{QStringLiteral("header"), c->Header()},
                                   {QStringLiteral("field"), c->fieldName()},
                                   {QStringLiteral("width"), c->Width()}});
    const QJsonObject o{{QStringLiteral("v"), FormatVersion},
                        {QStringLiteral("name"), m_name},
                        {QStringLiteral("orientation"), m_orientation},
                        {QStringLiteral("lines"), m_lines},
                        {QStringLiteral("columns"), columns}};
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

void DataPrinterSettings::reset()
{
    m_name.clear();
    m_orientation = Portrait;
    m_lines = true;
    m_columns.clear();
}

QString DataPrinterSettings::WidthProblem(double paperWidthMm, int only) const
{
    const QLocale finnish(QLocale::Finnish, QLocale::Finland);
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        const DataPrinterColumn& c = *m_columns[i];
        if ((only > 0 && std::size_t(only) != i + 1) || c.Width() <= paperWidthMm)
            continue;
        const QString header = c.Header().trimmed();
        return QStringLiteral("Sarakkeen %1%2 leveys %3 mm on suurempi kuin paperin leveys %4 mm. Korjaa leveys "
                              "raporttipohjaan.")
            .arg(i + 1)
            .arg(header.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(header))
            .arg(finnish.toString(c.Width(), 'g', 6), finnish.toString(paperWidthMm, 'g', 6));
    }
    return {};
}

bool DataPrinterSettings::FromText(const QString& text)
{
    const QString before = ToText();
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8(), &error);
    const QJsonObject o = doc.object();
    // A text of a later format, or no template at all, is not half read: the defaults stand.
    const bool readable = error.error == QJsonParseError::NoError && doc.isObject()
                          && o.value(QStringLiteral("v")).toInt() == FormatVersion;
    reset();
    if (readable) {
        m_name = o.value(QStringLiteral("name")).toString();
        m_orientation = o.value(QStringLiteral("orientation")).toInt(Portrait) == Landscape ? Landscape : Portrait;
        m_lines = o.value(QStringLiteral("lines")).toBool(true);
        for (const QJsonValue& v : o.value(QStringLiteral("columns")).toArray()) {
            const QJsonObject c = v.toObject();
            const double width = c.value(QStringLiteral("width")).toDouble();
            m_columns.push_back(std::unique_ptr<DataPrinterColumn>(
                new DataPrinterColumn(this, c.value(QStringLiteral("header")).toString(),
                                      c.value(QStringLiteral("field")).toString(), width > 0 ? width : 0)));
        }
    }
    if (ToText() != before)
        changed();
    return readable;
}

} // namespace tikkeli
