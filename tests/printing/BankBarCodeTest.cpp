#include "printing/BankBarCode.h"

#include <gtest/gtest.h>

using namespace tikkeli;

TEST(BankBarCodeTest, Version4Layout)
{
    struct Case {
        const char* iban;
        const char* amount;
        const char* reference;
        const char* due;
        const char* expected;
    };
    const Case cases[] = {
        // Published examples of the bank's guide, as found in several implementations.
        {"FI37 1590 3000 0007 76", "12,25", "11112", "21.12.2016", "437159030000007760000122500000000000000000011112161221"},
        {"FI49 5000 9420 0287 30", "100,20", "12345 67907", "12.12.2020",
         "449500094200287300001002000000000000001234567907201212"},
        // No due date, amount over the limit, an amount with ten-thousandths rounded to cents.
        {"FI4950009420028730", "1000000,00", "13", "", "449500094200287300000000000000000000000000000013000000"},
        {"FI4950009420028730", "45,5049", "13", "1.2.2027", "449500094200287300000455000000000000000000000013270201"},
        // What cannot be a Finnish bank bar code.
        {"SE4550000000058398257466", "1,00", "13", "1.1.2027", ""},
        {"FI4950009420028730", "1,00", "", "1.1.2027", ""},
        {"FI4950009420028730", "1,00", "123456789012345678901", "1.1.2027", ""},
        {"FI4950009420028730", "1,00", "12' OR 1", "1.1.2027", ""},
        // Data whose check fails never becomes a code: a mistyped IBAN, a wrong check digit.
        {"FI49 5000 9420 0287 31", "1,00", "13", "1.1.2027", ""},
        {"FI4850009420028730", "1,00", "13", "1.1.2027", ""},
        {"FI4950009420028730", "1,00", "14", "1.1.2027", ""},
        {"FI4950009420028730", "1,00", "1234 5672 1", "1.1.2027", ""},
        {"", "1,00", "13", "1.1.2027", ""},
    };
    for (const Case& c : cases) {
        const QString code = BankBarCode::version4FromTexts(QString::fromUtf8(c.iban), QString::fromUtf8(c.amount),
                                                            QString::fromUtf8(c.reference), QString::fromUtf8(c.due));
        EXPECT_EQ(code.toStdString(), std::string(c.expected)) << c.iban << " " << c.amount;
        if (!code.isEmpty()) {
            EXPECT_EQ(code.size(), 54);
        }
    }
}

TEST(BankBarCodeTest, Code128BarsFillTheSymbol)
{
    const auto bars = BankBarCode::code128(QStringLiteral("437159030000007760000122500000000000000000011112161221"));
    ASSERT_FALSE(bars.empty());
    // A Code 128 symbol starts and ends with a bar: the bars span the whole width.
    EXPECT_DOUBLE_EQ(bars.front().x, 0.0);
    EXPECT_NEAR(bars.back().x + bars.back().width, 1.0, 1e-9);
    for (size_t i = 1; i < bars.size(); ++i)
        EXPECT_GT(bars[i].x, bars[i - 1].x + bars[i - 1].width - 1e-9);
    EXPECT_TRUE(BankBarCode::code128(QString()).empty());
}
