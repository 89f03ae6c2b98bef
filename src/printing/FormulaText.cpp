#include "printing/FormulaText.h"

namespace tikkeli::FormulaText {

QString string(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString named(const QString& name, const QString& value)
{
    return name + QStringLiteral("= '") + value + QLatin1Char('\'');
}

QString comparison(qint16 code)
{
    switch (code) {
    case 0: return QStringLiteral("<");
    case 1: return QStringLiteral("=");
    default: return QStringLiteral(">");
    }
}

} // namespace tikkeli::FormulaText
