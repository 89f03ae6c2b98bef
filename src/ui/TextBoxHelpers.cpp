#include "ui/TextBoxHelpers.h"

#include "base/NullConversions.h"
#include "base/NumericText.h"

#include <QLineEdit>
#include <cmath>

namespace tikkeli {

QString NumericPrefix(QString text)
{
    while (!text.isEmpty() && !IsNumericText(text))
        text.chop(1);
    return text;
}

QString IntegerPrefix(QString text)
{
    text = NumericPrefix(text);
    for (;;) {
        if (text.isEmpty())
            return text;
        const auto v = ParseLocaleNumber(text);
        const auto whole = v ? RoundToInt32(*v) : std::nullopt;
        if (v && whole && double(*whole) == *v)
            return text;
        text.chop(1);
    }
}

namespace {

void setKept(QLineEdit* box, const QString& kept)
{
    if (kept == box->text())
        return;
    box->setText(kept);
    box->setCursorPosition(int(kept.size()));
}

} // namespace

void SelectAllText(QLineEdit* textBox)
{
    if (textBox)
        textBox->selectAll();
}

void KeepNumericText(QLineEdit* textBox)
{
    if (textBox)
        setKept(textBox, NumericPrefix(textBox->text()));
}

void KeepIntegerText(QLineEdit* textBox)
{
    if (textBox)
        setKept(textBox, IntegerPrefix(textBox->text()));
}

} // namespace tikkeli
