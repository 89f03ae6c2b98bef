#include "base/ReferenceNumber.h"

namespace tikkeli {

QString ReferenceNumber::checkDigit(const QString& base)
{
    static constexpr int Weights[3] = {7, 3, 1};
    int sum = 0;
    int position = 0;
    for (auto it = base.crbegin(); it != base.crend(); ++it, ++position) {
        const QChar c = *it;
        const int value = (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ? c.unicode() - '0' : 0;
        // Only the last digit of the sum matters, so it never grows past a few hundred.
        sum = (sum + value * Weights[position % 3]) % 10;
    }
    return QString::number((10 - sum) % 10);
}

QString ReferenceNumber::fromInvoiceNumber(qint32 invoiceNumber)
{
    const QString base = QString::number(invoiceNumber);
    return base + checkDigit(base);
}

ReferenceNumber::CardResult ReferenceNumber::appendToCardText(const QString& boxText)
{
    // Blanks alone are no number either: they would give the reference "0".
    if (boxText.trimmed().isEmpty())
        return {boxText, QStringLiteral("Viitetarkistetta ei voi lisätä 'tyhjään' - kirjoita ensin numero.")};
    if (boxText.size() > MaxCardTextLength)
        return {boxText, QStringLiteral("Viitenumero voi olla korkeintaan 20 numeroa pitkä.")};
    // The digit belongs to the text that is kept: blanks around it would shift the weights.
    const QString base = boxText.trimmed();
    return {base + checkDigit(base), {}};
}

} // namespace tikkeli
