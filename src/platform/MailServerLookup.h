#pragma once

#include <QString>
#include <QStringList>
#include <memory>

namespace tikkeli {

// Finds an outgoing mail server for the club's e-mail: first the one the user's own mail client
// (Thunderbird) sends through, then the mail exchanger of the sender address's domain.
// The answer is only a proposal; the settings window lets the user accept or refuse it.
class MailServerLookup {
public:
    // The DNS side, replaceable so that tests never need a network.
    class MxResolver {
    public:
        virtual ~MxResolver() = default;
        // Mail exchanger host names of the domain, most preferred first; empty when none.
        virtual QStringList mailExchangers(const QString& domain) = 0;
    };

    // Default: the Thunderbird folders of the current user, real DNS with a few seconds' patience.
    MailServerLookup();
    ~MailServerLookup();

    // Folders that may hold a Thunderbird "profiles.ini" (tests point this at a fake profile).
    void setMailClientFolders(const QStringList& folders) { m_clientFolders = folders; }
    void setResolver(std::unique_ptr<MxResolver> resolver);

    // senderAddress: the address the club sends from ("" allowed). Returns a host name or "".
    QString lookup(const QString& senderAddress);

    // The SMTP host of the mail client's identity for senderAddress (or of its default identity).
    QString mailClientServer(const QString& senderAddress) const;
    // The most preferred mail exchanger of the address's domain.
    QString mailExchanger(const QString& senderAddress);

    static QStringList defaultMailClientFolders();
    // Domain part of an address ("Seura <posti@seura.fi>" → "seura.fi"); "" when there is none.
    static QString domainOf(const QString& address);

private:
    QStringList m_clientFolders;
    std::unique_ptr<MxResolver> m_resolver;
};

} // namespace tikkeli
