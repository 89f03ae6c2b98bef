#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace tikkeli::test {

// Sets or clears an environment variable for one scope and puts the old value (or its absence) back on the
// way out, also when an ASSERT leaves the test early, so later tests never inherit it.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray& value) : m_name(name), m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    // Clears the variable for the scope.
    explicit ScopedEnvironment(const char* name) : m_name(name), m_old(qgetenv(name)) { qunsetenv(name); }
    ~ScopedEnvironment()
    {
        if (m_old.isNull())
            qunsetenv(m_name);
        else
            qputenv(m_name, m_old);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* m_name;
    QByteArray m_old;
};

} // namespace tikkeli::test
