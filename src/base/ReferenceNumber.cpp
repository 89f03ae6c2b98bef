#include "base/ReferenceNumber.h"

namespace tikkeli {

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isGroupBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QChar(0x00A0) || c == QLatin1Char('\t');
}

} // namespace

QString ReferenceNumber::checkDigit(const QString& base)
{
    static constexpr int Weights[3] = {7, 3, 1};
    int sum = 0;
    int position = 0;
    for (auto it = base.crbegin(); it != base.crend(); ++it) {
        if (!isDigit(*it))
            continue;
        // Only the last digit of the sum matters, so it never grows past a few hundred.
        sum = (sum + (it->unicode() - '0') * Weights[position % 3]) % 10;
        ++position;
    }
    return QString::number((10 - sum) % 10);
}

ReferenceNumber::Checked ReferenceNumber::checked(const QString& typedBase)
{
    Checked r;
    for (const QChar c : typedBase) {
        if (isGroupBlank(c))
            continue;
        if (!isDigit(c)) {
            r.error = QStringLiteral("Viitenumerossa voi olla vain numeroita ja välilyöntejä, ei merkkiä \"%1\".").arg(c);
            return r;
        }
        r.base.append(c);
    }
    if (r.base.isEmpty())
        r.error = QStringLiteral("Viitetarkistetta ei voi lisätä 'tyhjään' - kirjoita ensin numero.");
    else if (r.base.size() < MinBaseDigits)
        r.error = QStringLiteral("Viitenumeron perusosassa tulee olla vähintään %1 numeroa.").arg(MinBaseDigits);
    else if (r.base.size() > MaxBaseDigits)
        r.error = QStringLiteral("Viitenumero voi olla korkeintaan 20 numeroa pitkä.");
    if (!r.ok())
        return r;
    r.reference = r.base + checkDigit(r.base);
    return r;
}

QString ReferenceNumber::fromInvoiceNumber(qint32 invoiceNumber)
{
    const QString base = QString::number(invoiceNumber);
    return base + checkDigit(base);
}

ReferenceNumber::CardResult ReferenceNumber::appendToCardText(const QString& boxText)
{
    const Checked c = checked(boxText);
    if (!c.ok())
        return {boxText, c.error};
    // Stored as digits only: the blanks the user typed for grouping are not part of the number.
    return {c.reference, {}};
}

} // namespace tikkeli
