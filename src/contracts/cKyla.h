#pragma once

#include <QString>

namespace tikkeli {

// A village of the municipality and village numbering of estates.
class cKyla {
public:
    static constexpr int NameWidth = 50;

    QString Nimi() const { return m_nimi; }
    void setNimi(const QString& v) { m_nimi = v.left(NameWidth); }
    qint16 Numero() const { return m_numero; }
    void setNumero(qint16 v) { m_numero = v; }

private:
    QString m_nimi;
    qint16 m_numero = 0;
};

} // namespace tikkeli
