#pragma once

#include "contracts/cKyla.h"

#include <QString>
#include <map>

namespace tikkeli {

// A municipality with its villages, each village under the key "I" and its number.
class cKunta {
public:
    static constexpr int NameWidth = 50;
    using Villages = std::map<QString, cKyla>;

    QString Nimi() const { return m_nimi; }
    void setNimi(const QString& v) { m_nimi = v.left(NameWidth); }
    qint16 Numero() const { return m_numero; }
    void setNumero(qint16 v) { m_numero = v; }
    const Villages& Kylat() const { return m_kylat; }
    void setKylat(const Villages& v) { m_kylat = v; }
    // Adds the village under "I" and its number; false (nothing added) when that number is
    // already there.
    bool LisaaKyla(const cKyla& kyla);

    static QString key(qint64 number) { return QStringLiteral("I") + QString::number(number); }

private:
    QString m_nimi;
    qint16 m_numero = 0;
    Villages m_kylat;
};

} // namespace tikkeli
