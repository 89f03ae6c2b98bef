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

bool ReferenceNumber::holds(const QString& reference)
{
    QString digits;
    for (const QChar c : reference) {
        if (isGroupBlank(c))
            continue;
        if (!isDigit(c))
            return false;
        digits.append(c);
    }
    if (digits.size() < 2 || digits.size() > MaxBaseDigits + 1)
        return false;
    return checkDigit(digits.left(digits.size() - 1)) == digits.right(1);
}

bool ReferenceNumber::mod97Holds(const QString& compact)
{
    if (compact.size() < 5)
        return false;
    const QString moved = compact.mid(4) + compact.left(4);
    int remainder = 0;
    for (const QChar c : moved) {
        int v;
        if (isDigit(c))
            v = c.unicode() - '0';
        else if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            v = c.unicode() - 'A' + 10;
        else
            return false;
        remainder = (remainder * (v >= 10 ? 100 : 10) + v) % 97;
    }
    return remainder == 1;
}

bool ReferenceNumber::ibanHolds(const QString& iban)
{
    QString compact;
    for (const QChar c : iban)
        if (!isGroupBlank(c))
            compact.append(c.toUpper());
    if (compact.size() < 15 || compact.size() > 34)
        return false;
    for (int i = 0; i < compact.size(); ++i) {
        const QChar c = compact[i];
        const bool letter = c >= QLatin1Char('A') && c <= QLatin1Char('Z');
        if ((i < 2 && !letter) || (i >= 2 && i < 4 && !isDigit(c)) || (!letter && !isDigit(c)))
            return false;
    }
    return mod97Holds(compact);
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
