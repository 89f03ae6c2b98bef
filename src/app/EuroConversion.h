#pragma once

#include <QString>
#include <vector>

namespace tikkeli {

class Database;

// The one-off conversion of the money fields from marks to euros and back. Nothing records a
// conversion: every run divides or multiplies again.
class EuroConversion {
public:
    static constexpr double MarksPerEuro = 5.94573;

    struct MoneyField {
        QString table;
        QString key;
        QString field;
    };
    // In the order they are converted. The invoice rows go with the invoice totals, so that an
    // invoice's rows still add up to its total after a conversion.
    static const std::vector<MoneyField>& fields();

    // Converts every field in one transaction, each amount rounded to four decimals (half to
    // even); an invoice total that was the sum of its rows becomes the sum of the converted rows.
    // A failure throws the DbException and leaves every amount as it was.
    static void toEuros(Database& db);
    static void toMarks(Database& db);

private:
    static void convert(Database& db, bool toEuros);
};

} // namespace tikkeli
