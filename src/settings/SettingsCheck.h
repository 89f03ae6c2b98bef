#pragma once

#include <QString>
#include <optional>

namespace tikkeli {

// The checks that the settings window runs while the user types and that its save runs again.
class SettingsCheck {
public:
    // The user's way of writing a number, as the settings load reads it back: decimal comma,
    // blanks between digit groups, a sign in front.
    static std::optional<double> number(const QString& text);
    static bool isNumeric(const QString& text) { return number(text).has_value(); }
    // The number rounded to the nearest whole one, a half to the even one; nullopt when the text
    // is no number or the result leaves [min, max].
    static std::optional<qint64> wholeNumber(const QString& text, qint64 min, qint64 max);

    // True when the text may stand in the field while it is being typed: empty, a number, or the
    // start of one ("-", "2,"). Counter and day fields take digits only, as their messages say.
    static bool acceptableWhileTyping(const QString& control, const QString& text);
    // The message shown when the typed text is refused; "" for a field without a check.
    static QString typingMessage(const QString& control);
    static bool isNumericField(const QString& control) { return !typingMessage(control).isEmpty(); }
    static bool takesDigitsOnly(const QString& control);

    // A folder as the backup copy wants it: ending in the separator (an empty text stays empty,
    // since "/" alone would name the root folder).
    static QString withFolderSeparator(const QString& folder);

    // The number in the user's format, the way the settings store it.
    static QString numberText(double value);
};

} // namespace tikkeli
