#pragma once

#include <QString>
#include <stdexcept>

namespace tikkeli {

// A settings store could not do what it was asked (an unwritable ini file, for example).
class SettingsError : public std::runtime_error {
public:
    explicit SettingsError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

} // namespace tikkeli
