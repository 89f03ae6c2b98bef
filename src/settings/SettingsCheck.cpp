#include "settings/SettingsCheck.h"

#include "base/NullConversions.h"
#include "base/NumericText.h"

#include <QHash>

namespace tikkeli {

std::optional<double> SettingsCheck::number(const QString& text)
{
    return ParseLocaleNumber(text);
}

std::optional<qint64> SettingsCheck::wholeNumber(const QString& text, qint64 min, qint64 max)
{
    const auto v = number(text);
    if (!v)
        return std::nullopt;
    const auto r = RoundToInt32(*v);
    if (!r || *r < min || *r > max)
        return std::nullopt;
    return *r;
}

bool SettingsCheck::takesDigitsOnly(const QString& control)
{
    return control == QLatin1String("tLaskunumero") || control == QLatin1String("tJasennumero")
           || control == QLatin1String("tSopimusnumero") || control == QLatin1String("tVarmuuskopioPv");
}

bool SettingsCheck::acceptableWhileTyping(const QString& control, const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || !isNumericField(control))
        return true;
    if (takesDigitsOnly(control)) {
        for (QChar c : t)
            if (!c.isDigit())
                return false;
        return true;
    }
    if (isNumeric(t))
        return true;
    // The beginning of a number that the next key completes.
    QString head = t;
    if (head.startsWith(QLatin1Char('-')) || head.startsWith(QLatin1Char('+')))
        head.remove(0, 1);
    if (head.endsWith(QLatin1Char(',')))
        head.chop(1);
    return head.isEmpty() || (isNumeric(head) && head.at(0).isDigit());
}

QString SettingsCheck::typingMessage(const QString& control)
{
    static const QHash<QString, QString> messages = [] {
        QHash<QString, QString> m;
        m.insert(QStringLiteral("tLaskunumero"), QStringLiteral("Syötä laskunumeroksi ainoastaan numeroita."));
        m.insert(QStringLiteral("tJasennumero"), QStringLiteral("Syötä jäsennumeroksi ainoastaan numeroita."));
        m.insert(QStringLiteral("tSopimusnumero"), QStringLiteral("Syötä sopimusnumeroksi ainoastaan numeroita."));
        m.insert(QStringLiteral("tVarmuuskopioPv"), QStringLiteral("Syötä Varmuuskopiot -kenttään ainoastaan numeroita."));
        for (const char* name :
             {"tMargYla", "tMargAla", "tMargVas", "tMargOik", "tTarMargYla", "tTarMargAla", "tTarMargVas", "tTarMargOik"})
            m.insert(QString::fromLatin1(name), QStringLiteral("Syötä marginaaliksi ainoastaan numeroita."));
        m.insert(QStringLiteral("tMuistutuskulut"), QStringLiteral("Syötä Muistutuskulut -kenttään ainoastaan numeroita."));
        m.insert(QStringLiteral("tViivastysKorko"), QStringLiteral("Syötä Viivästyskorko -kenttään ainoastaan numeroita."));
        return m;
    }();
    return messages.value(control);
}

QString SettingsCheck::withFolderSeparator(const QString& folder)
{
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QLatin1Char('/');
}

QString SettingsCheck::numberText(double value)
{
    return FormatLocaleNumber(value);
}

} // namespace tikkeli
