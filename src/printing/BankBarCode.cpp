#include "printing/BankBarCode.h"

#include "base/ReferenceNumber.h"

#include <QRegularExpression>
#include <zint.h>

#include <algorithm>
#include <memory>

namespace tikkeli {

QString BankBarCode::version4(const QString& iban, Currency amount, const QString& reference, const QDate& due)
{
    // A payer's bank reads the account and the reference from the code without looking further:
    // a code is drawn only from an IBAN and a reference whose checks hold.
    if (!ReferenceNumber::ibanHolds(iban) || !ReferenceNumber::holds(reference))
        return {};
    // Compiled once: every invoice of a run draws its code.
    static const QRegularExpression blanks(QStringLiteral("\\s"));
    QString account = iban;
    account.remove(blanks);
    if (!account.startsWith(QLatin1String("FI"), Qt::CaseInsensitive))
        return {};
    account = account.mid(2);
    static const QRegularExpression sixteen(QStringLiteral("^[0-9]{16}$"));
    if (!sixteen.match(account).hasMatch())
        return {};
    QString ref = reference;
    ref.remove(blanks);
    static const QRegularExpression refDigits(QStringLiteral("^[0-9]{1,20}$"));
    if (!refDigits.match(ref).hasMatch())
        return {};
    // Currency is kept in ten-thousandths; the code carries whole cents.
    qint64 cents = (amount.raw() + 50) / 100;
    if (amount.raw() < 0 || cents >= 100000000)
        cents = 0;
    const QString dueText = due.isValid() ? due.toString(QStringLiteral("yyMMdd")) : QStringLiteral("000000");
    return QStringLiteral("4") + account + QStringLiteral("%1").arg(cents / 100, 6, 10, QLatin1Char('0'))
           + QStringLiteral("%1").arg(cents % 100, 2, 10, QLatin1Char('0')) + QStringLiteral("000")
           + ref.rightJustified(20, QLatin1Char('0')) + dueText;
}

QString BankBarCode::version4FromTexts(const QString& iban, const QString& amount, const QString& reference,
                                       const QString& due)
{
    QString a = amount.trimmed();
    static const QRegularExpression blanksAndEuro(QStringLiteral("[\\s\\x{00A0}€]"));
    a.remove(blanksAndEuro);
    a.replace(QLatin1Char(','), QLatin1Char('.'));
    static const QRegularExpression money(QStringLiteral("^-?[0-9]+(\\.[0-9]{1,4})?$"));
    Currency value;
    if (money.match(a).hasMatch()) {
        const int dot = a.indexOf(QLatin1Char('.'));
        const bool negative = a.startsWith(QLatin1Char('-'));
        const QString whole = (dot < 0 ? a : a.left(dot)).remove(QLatin1Char('-'));
        const QString frac = dot < 0 ? QString() : a.mid(dot + 1).leftJustified(4, QLatin1Char('0'));
        qint64 raw = whole.toLongLong() * 10000 + frac.toLongLong();
        value = Currency::fromRaw(negative ? -raw : raw);
    }
    const QDate date = QDate::fromString(due.trimmed(), QStringLiteral("d.M.yyyy"));
    return version4(iban, value, reference, date);
}

std::vector<BankBarCode::Bar> BankBarCode::code128(const QString& text)
{
    std::vector<Bar> bars;
    if (text.isEmpty())
        return bars;
    std::unique_ptr<zint_symbol, void (*)(zint_symbol*)> symbol(ZBarcode_Create(), ZBarcode_Delete);
    if (!symbol)
        return bars;
    symbol->symbology = BARCODE_CODE128;
    symbol->show_hrt = 0;
    symbol->whitespace_width = 0;
    const QByteArray data = text.toUtf8();
    if (ZBarcode_Encode_and_Buffer_Vector(symbol.get(), reinterpret_cast<const unsigned char*>(data.constData()),
                                          int(data.size()), 0)
        >= ZINT_ERROR)
        return bars;
    if (!symbol->vector)
        return bars;
    double left = 1e9, right = -1e9;
    for (zint_vector_rect* r = symbol->vector->rectangles; r; r = r->next) {
        left = std::min(left, double(r->x));
        right = std::max(right, double(r->x + r->width));
    }
    const double width = right - left;
    if (width <= 0)
        return bars;
    for (zint_vector_rect* r = symbol->vector->rectangles; r; r = r->next)
        bars.push_back({(double(r->x) - left) / width, double(r->width) / width});
    std::sort(bars.begin(), bars.end(), [](const Bar& a, const Bar& b) { return a.x < b.x; });
    return bars;
}

} // namespace tikkeli
