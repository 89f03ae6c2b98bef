#include "platform/ReferencePaymentReader.h"

#include "base/OutsideTextFile.h"

#include <QDate>
#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <memory>

namespace tikkeli {

namespace {

constexpr int kRecordLength = 90;

[[noreturn]] void fail(const QString& message)
{
    throw ReferencePaymentError(message);
}

QString euroText(qint64 cents)
{
    return QStringLiteral("%1,%2 €").arg(cents / 100).arg(cents % 100, 2, 10, QLatin1Char('0'));
}

// ---------------------------------------------------------------------------------------------
// Domestic reference-payment file

// Positions as the format states them: 1-based and inclusive. Callers check the length first.
QStringView field(QStringView line, int from, int to)
{
    return QStringView(line).mid(from - 1, to - from + 1);
}

bool allDigits(QStringView s)
{
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

// Two-digit years: the format predates 2000, so 80..99 are the 1900s.
QDate shortDate(QStringView yymmdd)
{
    const int yy = yymmdd.mid(0, 2).toInt();
    return QDate(yy >= 80 ? 1900 + yy : 2000 + yy, yymmdd.mid(2, 2).toInt(), yymmdd.mid(4, 2).toInt());
}

// "d.M.yyyy", written straight into one string: every payment carries one.
QString dateText(const QDate& d)
{
    char16_t buf[16];
    int n = 0;
    const auto put = [&](int v) {
        char16_t digits[8];
        int k = 0;
        do {
            digits[k++] = char16_t(u'0' + v % 10);
            v /= 10;
        } while (v > 0);
        while (k > 0)
            buf[n++] = digits[--k];
    };
    put(d.day());
    buf[n++] = u'.';
    put(d.month());
    buf[n++] = u'.';
    put(d.year());
    return QString(reinterpret_cast<const QChar*>(buf), n);
}

bool blank(QStringView line)
{
    for (QChar c : line)
        if (!c.isSpace())
            return false;
    return true;
}

QString digitsWithoutZeros(QStringView digits)
{
    qsizetype i = 0;
    while (i + 1 < digits.size() && digits[i] == QLatin1Char('0'))
        ++i;
    return digits.mid(i).toString();
}

// Old files were written in 7-bit national ASCII, where these brackets stood for the Finnish letters.
QString payerName(QStringView raw)
{
    QString name = raw.trimmed().toString();
    static const char16_t seven[] = u"[\\]{|}";
    static const char16_t finnish[] = u"ÄÖÅäöå";
    for (QChar& c : name) {
        for (int k = 0; k < 6; ++k)
            if (c.unicode() == seven[k])
                c = QChar(finnish[k]);
    }
    return name;
}

class DomesticReader {
public:
    std::vector<ReferencePaymentBatch> read(const QString& text)
    {
        // Lines as views into the text (CR, LF or CR LF ends one), as OutsideTextFile splits
        // them, without a copy of each record.
        const qsizetype size = text.size();
        qsizetype start = 0;
        for (int number = 1; start < size; ++number) {
            qsizetype end = start;
            while (end < size && text[end] != u'\r' && text[end] != u'\n')
                ++end;
            const QStringView line = QStringView(text).mid(start, end - start);
            start = end + (end + 1 < size && text[end] == u'\r' && text[end + 1] == u'\n' ? 2 : 1);
            m_line = number;
            if (blank(line))
                continue;
            if (line.size() > kRecordLength)
                fail(QStringLiteral("Viitemaksutiedoston rivi %1 on liian pitkä: %2 merkkiä, tietueessa on %3.")
                         .arg(m_line)
                         .arg(line.size())
                         .arg(kRecordLength));
            switch (line[0].unicode()) {
            case '0': batchRecord(line); break;
            // 3: a reference payment, 5: a direct-debit payment; both pay an invoice alike.
            case '3':
            case '5': paymentRecord(line); break;
            case '9': summaryRecord(line); break;
            default:
                fail(QStringLiteral("Viitemaksutiedoston rivillä %1 on tuntematon tietuetunnus \"%2\".")
                         .arg(m_line)
                         .arg(line[0]));
            }
        }
        if (m_open)
            fail(QStringLiteral("Viitemaksutiedoston rivillä %1 alkava erä päättyy ilman summatietuetta (9).")
                     .arg(m_batchLine));
        return std::move(m_batches);
    }

private:
    void needLength(QStringView line, int length)
    {
        if (line.size() < length)
            fail(QStringLiteral("Viitemaksutiedoston rivi %1 on vajaa: %2 merkkiä, tietueessa pitää olla %3.")
                     .arg(m_line)
                     .arg(line.size())
                     .arg(length));
    }

    void needDigits(QStringView s, int from, const QString& what)
    {
        if (!allDigits(s))
            fail(QStringLiteral("Viitemaksutiedoston rivillä %1 kohdassa %2 %3 \"%4\" ei ole numeroina.")
                     .arg(m_line)
                     .arg(from)
                     .arg(what, s.toString()));
    }

    QDate needDate(QStringView s, int from, const QString& what)
    {
        needDigits(s, from, what);
        const QDate d = shortDate(s);
        if (!d.isValid())
            fail(QStringLiteral("Viitemaksutiedoston rivillä %1 kohdassa %2 %3 \"%4\" ei ole päivämäärä.")
                     .arg(m_line)
                     .arg(from)
                     .arg(what, s.toString()));
        return d;
    }

    void batchRecord(QStringView line)
    {
        if (m_open)
            fail(QStringLiteral("Viitemaksutiedoston rivillä %1 alkaa uusi erä, vaikka rivillä %2 alkaneelta erältä puuttuu "
                                "summatietue (9).")
                     .arg(m_line)
                     .arg(m_batchLine));
        needLength(line, 23);
        ReferencePaymentBatch b;
        b.BatchDate = dateText(needDate(field(line, 2, 7), 2, QStringLiteral("erän päiväys")));
        const QStringView time = field(line, 8, 11);
        needDigits(time, 8, QStringLiteral("erän kellonaika"));
        if (time.mid(0, 2).toInt() > 23 || time.mid(2, 2).toInt() > 59)
            fail(QStringLiteral("Viitemaksutiedoston rivillä %1 kohdassa 8 erän kellonaika \"%2\" ei ole kellonaika.")
                     .arg(m_line)
                     .arg(time.toString()));
        b.BatchTime = time.mid(0, 2).toString() + QLatin1Char('.') + time.mid(2, 2).toString();
        b.BankGroupId = field(line, 12, 13).trimmed().toString();
        b.BillerId = field(line, 14, 22).trimmed().toString();
        m_batches.push_back(std::move(b));
        m_open = true;
        m_batchLine = m_line;
        m_payments = m_paymentSum = m_corrections = m_correctionSum = 0;
    }

    void paymentRecord(QStringView line)
    {
        if (!m_open)
            fail(QStringLiteral("Viitemaksutiedoston rivillä %1 on tapahtuma ilman erätietuetta (0).").arg(m_line));
        needLength(line, kRecordLength);
        needDate(field(line, 16, 21), 16, QStringLiteral("kirjauspäivä"));
        const QDate paid = needDate(field(line, 22, 27), 22, QStringLiteral("maksupäivä"));
        const QStringView reference = field(line, 44, 63);
        bool anyDigit = false;
        for (QChar c : reference) {
            if (c.isDigit() && c.unicode() < 128)
                anyDigit = true;
            else if (c != QLatin1Char(' '))
                fail(QStringLiteral("Viitemaksutiedoston rivillä %1 kohdassa 44 viite \"%2\" ei ole numeroina.")
                         .arg(m_line)
                         .arg(reference.toString()));
        }
        if (!anyDigit)
            fail(QStringLiteral("Viitemaksutiedoston rivillä %1 kohdassa 44 ei ole viitettä.").arg(m_line));
        const QStringView amount = field(line, 78, 87);
        needDigits(amount, 78, QStringLiteral("summa"));
        const qint64 cents = amount.toLongLong();
        // Position 88 tells a correction ("1") from an ordinary payment ("0"); 89 is the delivery
        // channel and 90 the feedback code, neither of which changes what the record pays.
        const QChar flag = line[87];
        if (flag != QLatin1Char('0') && flag != QLatin1Char('1'))
            fail(QStringLiteral("Viitemaksutiedoston rivillä %1 kohdassa 88 oikaisutunnus \"%2\" ei ole 0 eikä 1.")
                     .arg(m_line)
                     .arg(flag));
        if (flag == QLatin1Char('1')) {
            ++m_corrections;
            m_correctionSum += cents;
            return;
        }
        ++m_payments;
        m_paymentSum += cents;
        ReferencePayment p;
        p.Reference = reference.toString();
        p.PayerName = payerName(field(line, 64, 75));
        p.AmountCents = digitsWithoutZeros(amount);
        p.ArchiveId = field(line, 28, 43).trimmed().toString();
        p.PaymentDate = dateText(paid);
        m_batches.back().Payments.push_back(std::move(p));
    }

    void summaryRecord(QStringView line)
    {
        if (!m_open)
            fail(QStringLiteral("Viitemaksutiedoston rivillä %1 on summatietue ilman erätietuetta (0).").arg(m_line));
        needLength(line, 52);
        struct Part {
            int from, to;
            const char* what;
        };
        static constexpr Part parts[] = {{2, 7, "tapahtumien lukumäärä"},        {8, 18, "tapahtumien summa"},
                                         {19, 24, "oikaisujen lukumäärä"},       {25, 35, "oikaisujen summa"},
                                         {36, 41, "epäonnistuneiden lukumäärä"}, {42, 52, "epäonnistuneiden summa"}};
        qint64 v[6];
        for (int k = 0; k < 6; ++k) {
            const QStringView s = field(line, parts[k].from, parts[k].to);
            needDigits(s, parts[k].from, QString::fromUtf8(parts[k].what));
            v[k] = s.toLongLong();
        }
        if (v[0] != m_payments || v[1] != m_paymentSum)
            fail(QStringLiteral("Viitemaksutiedoston rivin %1 summatietue ei täsmää erän tapahtumiin: tapahtumia on %2 "
                                "(%3), summatietueen mukaan %4 (%5).")
                     .arg(m_line)
                     .arg(m_payments)
                     .arg(euroText(m_paymentSum))
                     .arg(v[0])
                     .arg(euroText(v[1])));
        if (v[2] != m_corrections || v[3] != m_correctionSum)
            fail(QStringLiteral("Viitemaksutiedoston rivin %1 summatietue ei täsmää erän oikaisuihin: oikaisuja on %2 "
                                "(%3), summatietueen mukaan %4 (%5).")
                     .arg(m_line)
                     .arg(m_corrections)
                     .arg(euroText(m_correctionSum))
                     .arg(v[2])
                     .arg(euroText(v[3])));
        ReferencePaymentSummary& s = m_batches.back().Summary;
        QString* out[6] = {&s.PaymentCount,  &s.PaymentSum,  &s.CorrectionCount,
                           &s.CorrectionSum, &s.FailedCount, &s.FailedSum};
        for (int k = 0; k < 6; ++k)
            *out[k] = QString::number(v[k]);
        m_open = false;
    }

    std::vector<ReferencePaymentBatch> m_batches;
    int m_line = 0;
    int m_batchLine = 0;
    bool m_open = false;
    qint64 m_payments = 0, m_paymentSum = 0, m_corrections = 0, m_correctionSum = 0;
};

// ---------------------------------------------------------------------------------------------
// camt.054

// The document read into a small tree first: the notification's parts refer to each other
// (entry amount against its transactions), which is simplest to check on a tree.
struct XmlNode;

// One transaction (TxDtls), kept as the few values the reader takes from it: a notification may
// carry tens of thousands of them, and their elements are let go as soon as each is read.
struct CamtTransaction {
    qint64 line = 0;
    std::unique_ptr<XmlNode> amount; // null when the transaction states none
    QString reference, payerName, archiveId;
};

struct XmlNode {
    QString name;
    QString currency;
    QString text;
    qint64 line = 0;
    std::vector<std::unique_ptr<XmlNode>> children;
    std::vector<CamtTransaction> transactions; // of an NtryDtls element

    const XmlNode* child(QStringView n) const
    {
        for (const auto& c : children)
            if (c->name == n)
                return c.get();
        return nullptr;
    }
    // "A/B/C" below this node; the first match at each step.
    const XmlNode* at(QStringView path) const
    {
        const XmlNode* node = this;
        for (QStringView part : path.split(QLatin1Char('/'))) {
            node = node->child(part);
            if (!node)
                return nullptr;
        }
        return node;
    }
    QString textAt(QStringView path) const
    {
        const XmlNode* n = at(path);
        return n ? n->text.trimmed() : QString();
    }
    std::vector<const XmlNode*> all(QStringView n) const
    {
        std::vector<const XmlNode*> out;
        for (const auto& c : children)
            if (c->name == n)
                out.push_back(c.get());
        return out;
    }
};

constexpr int kMaxDepth = 64;
const QString kCamtNamespacePrefix = QStringLiteral("urn:iso:std:iso:20022:tech:xsd:camt.054.001.");
constexpr int kFirstCamtVersion = 2;
constexpr int kLastCamtVersion = 13;

[[noreturn]] void failAt(qint64 line, const QString& what)
{
    fail(QStringLiteral("camt.054-sanoman rivillä %1: %2").arg(line).arg(what));
}

// The elements the reader looks at. Everything else in a notification (and a bank writes much
// else) is read past without being kept, so the tree stays small beside the file.
const QString& keptName(QStringView name)
{
    static const QStringList names = {QStringLiteral("Document"),    QStringLiteral("BkToCstmrDbtCdtNtfctn"),
                                      QStringLiteral("GrpHdr"),      QStringLiteral("CreDtTm"),
                                      QStringLiteral("Ntfctn"),      QStringLiteral("Acct"),
                                      QStringLiteral("Id"),          QStringLiteral("IBAN"),
                                      QStringLiteral("Othr"),        QStringLiteral("Svcr"),
                                      QStringLiteral("FinInstnId"),  QStringLiteral("BICFI"),
                                      QStringLiteral("BIC"),         QStringLiteral("Ntry"),
                                      QStringLiteral("Amt"),         QStringLiteral("CdtDbtInd"),
                                      QStringLiteral("Sts"),         QStringLiteral("Cd"),
                                      QStringLiteral("RvslInd"),     QStringLiteral("NtryDtls"),
                                      QStringLiteral("Btch"),        QStringLiteral("NbOfTxs"),
                                      QStringLiteral("TxDtls"),      QStringLiteral("AmtDtls"),
                                      QStringLiteral("TxAmt"),       QStringLiteral("RmtInf"),
                                      QStringLiteral("Strd"),        QStringLiteral("CdtrRefInf"),
                                      QStringLiteral("Ref"),         QStringLiteral("RltdPties"),
                                      QStringLiteral("Dbtr"),        QStringLiteral("Nm"),
                                      QStringLiteral("Pty"),         QStringLiteral("Refs"),
                                      QStringLiteral("AcctSvcrRef"), QStringLiteral("BookgDt"),
                                      QStringLiteral("Dt"),          QStringLiteral("DtTm")};
    static const QString none;
    for (const QString& n : names)
        if (n == name)
            return n;
    return none;
}

// What one kept element costs in memory at the most, besides its text.
constexpr qint64 kNodeBytes = 256;

qint64 nodesIn(const XmlNode& node)
{
    qint64 n = 1;
    for (const auto& c : node.children)
        n += nodesIn(*c);
    return n;
}

// Turns the parent's last child, a finished TxDtls element, into its values; returns the change
// in memory held.
qint64 keepTransaction(XmlNode& parent)
{
    std::unique_ptr<XmlNode> tx = std::move(parent.children.back());
    parent.children.pop_back();
    const qint64 freed = nodesIn(*tx) * kNodeBytes;
    CamtTransaction t;
    t.line = tx->line;
    if (const XmlNode* amount = tx->at(u"AmtDtls/TxAmt/Amt") ? tx->at(u"AmtDtls/TxAmt/Amt") : tx->child(u"Amt")) {
        t.amount = std::make_unique<XmlNode>();
        t.amount->name = amount->name;
        t.amount->currency = amount->currency;
        t.amount->text = amount->text;
        t.amount->line = amount->line;
    }
    for (const XmlNode* structured : tx->at(u"RmtInf") ? tx->at(u"RmtInf")->all(u"Strd") : std::vector<const XmlNode*>{}) {
        t.reference = structured->textAt(u"CdtrRefInf/Ref");
        if (!t.reference.isEmpty())
            break;
    }
    t.payerName = tx->textAt(u"RltdPties/Dbtr/Nm");
    if (t.payerName.isEmpty())
        t.payerName = tx->textAt(u"RltdPties/Dbtr/Pty/Nm");
    t.archiveId = tx->textAt(u"Refs/AcctSvcrRef");
    const qint64 kept = 2 * kNodeBytes + 2 * (t.reference.size() + t.payerName.size() + t.archiveId.size());
    parent.transactions.push_back(std::move(t));
    return kept - freed;
}

std::unique_ptr<XmlNode> parseXml(const QByteArray& bytes)
{
    // The reader is given the file a piece at a time, so it never holds a decoded copy of all of it.
    QXmlStreamReader xml;
    constexpr qsizetype Piece = 64 * 1024;
    qsizetype fed = 0;
    std::unique_ptr<XmlNode> root;
    std::vector<XmlNode*> stack;
    // The tree may take a few times the file's size; a file of little else than elements
    // (no bank writes one) is refused before it can take more.
    const qint64 budget = 3 * qint64(bytes.size()) + (1 << 20);
    qint64 used = 0;
    int skipping = 0; // depth inside an element that is read past
    for (;;) {
        if (xml.atEnd()) {
            if (xml.error() != QXmlStreamReader::PrematureEndOfDocumentError || fed >= bytes.size())
                break;
            xml.addData(bytes.mid(fed, Piece));
            fed += Piece;
        }
        const auto token = xml.readNext();
        if (skipping > 0) {
            skipping += token == QXmlStreamReader::StartElement ? 1 : token == QXmlStreamReader::EndElement ? -1 : 0;
            continue;
        }
        if (token == QXmlStreamReader::StartElement) {
            if (stack.size() >= std::size_t(kMaxDepth))
                failAt(xml.lineNumber(), QStringLiteral("elementtejä on sisäkkäin liian monta."));
            const QString& name = keptName(xml.name());
            if (!stack.empty() && name.isEmpty()) {
                skipping = 1;
                continue;
            }
            used += kNodeBytes;
            if (used > budget)
                failAt(xml.lineNumber(), QStringLiteral("sanomassa on kokoonsa nähden liikaa elementtejä; se ei ole "
                                                        "pankin viitemaksuaineisto."));
            auto node = std::make_unique<XmlNode>();
            node->name = name.isEmpty() ? xml.name().toString() : name;
            node->currency = xml.attributes().value(QStringLiteral("Ccy")).toString();
            node->line = xml.lineNumber();
            XmlNode* raw = node.get();
            if (stack.empty()) {
                const QString ns = xml.namespaceUri().toString();
                bool versionOk = false;
                const int version = ns.startsWith(kCamtNamespacePrefix)
                                        ? ns.mid(kCamtNamespacePrefix.size()).toInt(&versionOk)
                                        : 0;
                if (node->name != QLatin1String("Document") || !versionOk || version < kFirstCamtVersion
                    || version > kLastCamtVersion)
                    failAt(node->line, QStringLiteral("tuntematon sanoma <%1> nimiavaruudessa \"%2\"; luettavissa ovat "
                                                      "camt.054.001.%3–camt.054.001.%4.")
                                           .arg(node->name, ns)
                                           .arg(kFirstCamtVersion, 2, 10, QLatin1Char('0'))
                                           .arg(kLastCamtVersion, 2, 10, QLatin1Char('0')));
                root = std::move(node);
            } else {
                stack.back()->children.push_back(std::move(node));
            }
            stack.push_back(raw);
        } else if (token == QXmlStreamReader::EndElement) {
            if (!stack.empty())
                stack.pop_back();
            if (!stack.empty() && stack.back()->children.back()->name == u"TxDtls")
                used += keepTransaction(*stack.back());
        } else if (token == QXmlStreamReader::Characters && !stack.empty()
                   && (!xml.isWhitespace() || stack.back()->children.empty())) {
            stack.back()->text += xml.text();
            used += 2 * xml.text().size();
        }
    }
    if (xml.hasError())
        failAt(xml.lineNumber(), QStringLiteral("sanoma on viallinen (%1).").arg(xml.errorString()));
    if (!root)
        fail(QStringLiteral("camt.054-sanomasta puuttuu Document-elementti."));
    return root;
}

// The largest amount one payment can have: what the domestic format's ten digits of cents hold.
constexpr qint64 kMaxCamtCents = 9'999'999'999;

// "12.34" -> 1234. More than two decimals are allowed only as zeros.
qint64 camtCents(const XmlNode& amount)
{
    static const QRegularExpression form(QStringLiteral("^([0-9]{1,13})(?:\\.([0-9]{1,5}))?$"));
    const QString t = amount.text.trimmed();
    const auto m = form.match(t);
    QString decimals = m.captured(2);
    while (decimals.size() > 2 && decimals.endsWith(QLatin1Char('0')))
        decimals.chop(1);
    if (!m.hasMatch() || decimals.size() > 2)
        failAt(amount.line, QStringLiteral("elementin <%1> summa \"%2\" ei ole euromäärä.").arg(amount.name, t));
    if (!amount.currency.isEmpty() && amount.currency != QLatin1String("EUR"))
        failAt(amount.line,
               QStringLiteral("summa on valuutassa %1; vain euromääräiset maksut luetaan.").arg(amount.currency));
    const qint64 cents = m.captured(1).toLongLong() * 100 + decimals.leftJustified(2, QLatin1Char('0')).toLongLong();
    if (cents > kMaxCamtCents)
        failAt(amount.line, QStringLiteral("elementin <%1> summa %2 on suurempi kuin yksikään viitemaksu voi olla "
                                           "(enintään %3); aineisto on ristiriitainen.")
                                .arg(amount.name, euroText(cents), euroText(kMaxCamtCents)));
    return cents;
}

// Sums of a notification, refused rather than wrapped around when they would not fit.
void addCents(qint64& sum, qint64 cents, qint64 line)
{
    if (__builtin_add_overflow(sum, cents, &sum))
        failAt(line, QStringLiteral("kirjausten summa kasvaa liian suureksi; aineisto on ristiriitainen."));
}

const XmlNode& need(const XmlNode& parent, QStringView path)
{
    const XmlNode* n = parent.at(path);
    if (!n)
        failAt(parent.line, QStringLiteral("elementistä <%1> puuttuu %2.").arg(parent.name, path.toString()));
    return *n;
}

QString isoDateText(const QString& iso)
{
    const QDate d = QDate::fromString(iso.left(10), Qt::ISODate);
    return d.isValid() ? dateText(d) : QString();
}

std::vector<ReferencePaymentBatch> readCamt(const QByteArray& bytes)
{
    const std::unique_ptr<XmlNode> doc = parseXml(bytes);
    const XmlNode& message = need(*doc, u"BkToCstmrDbtCdtNtfctn");
    std::vector<ReferencePaymentBatch> batches;
    for (const XmlNode* notification : message.all(u"Ntfctn")) {
        ReferencePaymentBatch b;
        QString created = notification->textAt(u"CreDtTm");
        if (created.isEmpty())
            created = message.textAt(u"GrpHdr/CreDtTm");
        const QDateTime when = QDateTime::fromString(created.left(19), Qt::ISODate);
        if (!when.isValid())
            failAt(notification->line,
                   QStringLiteral("ilmoituksen luontiaika CreDtTm \"%1\" puuttuu tai on viallinen.").arg(created));
        b.BatchDate = dateText(when.date());
        b.BatchTime = when.time().toString(QStringLiteral("hh.mm"));
        const XmlNode& account = need(*notification, u"Acct");
        b.BillerId = account.textAt(u"Id/IBAN");
        if (b.BillerId.isEmpty())
            b.BillerId = account.textAt(u"Id/Othr/Id");
        b.BankGroupId = account.textAt(u"Svcr/FinInstnId/BICFI");
        if (b.BankGroupId.isEmpty())
            b.BankGroupId = account.textAt(u"Svcr/FinInstnId/BIC");

        qint64 paymentSum = 0, corrections = 0, correctionSum = 0;
        for (const XmlNode* entry : notification->all(u"Ntry")) {
            const qint64 entryCents = camtCents(need(*entry, u"Amt"));
            const QString direction = need(*entry, u"CdtDbtInd").text.trimmed();
            if (direction != QLatin1String("CRDT") && direction != QLatin1String("DBIT"))
                failAt(entry->line, QStringLiteral("kirjauksen suunta CdtDbtInd \"%1\" on tuntematon.").arg(direction));
            const QString status = entry->at(u"Sts/Cd") ? entry->textAt(u"Sts/Cd") : entry->textAt(u"Sts");
            const QString reversal = entry->textAt(u"RvslInd");
            const bool reversed = reversal == QLatin1String("true") || reversal == QLatin1String("1");
            // Only booked incoming money pays an invoice; what is pending or outgoing is not a payment.
            if (!status.isEmpty() && status != QLatin1String("BOOK"))
                continue;
            std::vector<const CamtTransaction*> transactions;
            for (const XmlNode* details : entry->all(u"NtryDtls"))
                for (const CamtTransaction& tx : details->transactions)
                    transactions.push_back(&tx);
            const QString declared = entry->textAt(u"NtryDtls/Btch/NbOfTxs");
            if (!declared.isEmpty() && declared.toLongLong() != qint64(transactions.size()))
                failAt(entry->line, QStringLiteral("kirjauksessa on %1 tapahtumaa, NbOfTxs-elementin mukaan %2.")
                                        .arg(transactions.size())
                                        .arg(declared));
            if (reversed) {
                if (direction == QLatin1String("DBIT")) {
                    corrections += std::max<qint64>(1, qint64(transactions.size()));
                    addCents(correctionSum, entryCents, entry->line);
                }
                continue;
            }
            if (direction != QLatin1String("CRDT"))
                continue;
            const QString booked = isoDateText(entry->textAt(u"BookgDt/Dt").isEmpty() ? entry->textAt(u"BookgDt/DtTm")
                                                                                      : entry->textAt(u"BookgDt/Dt"));
            if (transactions.empty()) {
                ReferencePayment p;
                p.AmountCents = QString::number(entryCents);
                p.ArchiveId = entry->textAt(u"AcctSvcrRef");
                p.PaymentDate = booked;
                b.Payments.push_back(std::move(p));
                addCents(paymentSum, entryCents, entry->line);
                continue;
            }
            qint64 txSum = 0;
            for (const CamtTransaction* tx : transactions) {
                qint64 cents = 0;
                if (tx->amount)
                    cents = camtCents(*tx->amount);
                else if (transactions.size() == 1)
                    cents = entryCents;
                else
                    failAt(tx->line, QStringLiteral("tapahtumasta TxDtls puuttuu summa."));
                addCents(txSum, cents, tx->line);
                ReferencePayment p;
                p.AmountCents = QString::number(cents);
                p.Reference = tx->reference;
                p.PayerName = tx->payerName;
                p.ArchiveId = tx->archiveId;
                if (p.ArchiveId.isEmpty())
                    p.ArchiveId = entry->textAt(u"AcctSvcrRef");
                p.PaymentDate = booked;
                b.Payments.push_back(std::move(p));
            }
            if (txSum != entryCents)
                failAt(entry->line, QStringLiteral("kirjauksen tapahtumien summa %1 ei täsmää kirjauksen summaan %2.")
                                        .arg(euroText(txSum), euroText(entryCents)));
            addCents(paymentSum, txSum, entry->line);
        }
        b.Summary.PaymentCount = QString::number(b.Payments.size());
        b.Summary.PaymentSum = QString::number(paymentSum);
        b.Summary.CorrectionCount = QString::number(corrections);
        b.Summary.CorrectionSum = QString::number(correctionSum);
        batches.push_back(std::move(b));
    }
    return batches;
}

} // namespace

std::vector<ReferencePaymentBatch> ReferencePaymentReader::readDomestic(const QString& text)
{
    return DomesticReader().read(text);
}

std::vector<ReferencePaymentBatch> ReferencePaymentReader::readCamt054(const QByteArray& bytes)
{
    return readCamt(bytes);
}

std::vector<ReferencePaymentBatch> ReferencePaymentReader::readBytes(const QByteArray& bytes) const
{
    // The format is told by the first character, found in the bytes themselves: a notification
    // is read from its bytes, without a decoded copy of the whole file beside them.
    qsizetype first = bytes.startsWith("\xef\xbb\xbf") ? 3 : 0;
    while (first < bytes.size() && QChar::isSpace(uchar(bytes[first])))
        ++first;
    if (first == bytes.size())
        return {};
    if (bytes[first] == '<')
        return readCamt054(bytes);
    if (bytes[first] == '0')
        return readDomestic(OutsideTextFile::decode(bytes));
    fail(QStringLiteral("Tiedosto ei ole viitemaksuaineisto: sen alussa ei ole erätietuetta eikä camt.054-sanomaa."));
}

std::vector<ReferencePaymentBatch> ReferencePaymentReader::readFile(const QString& path) const
{
    const auto tooLarge = [&](qint64 size) {
        fail(QStringLiteral("Viitemaksutiedosto %1 on liian suuri (%2 Mt); pankkien viitemaksuaineistot ovat enintään "
                            "%3 Mt. Tiedostoa ei luettu.")
                 .arg(path)
                 .arg((size + (1 << 20) - 1) >> 20)
                 .arg(MaxFileBytes >> 20));
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("Viitemaksutiedostoa %1 ei voi lukea: %2").arg(path, file.errorString()));
    if (file.size() > MaxFileBytes)
        tooLarge(file.size());
    // A file that grew after it was measured is refused too.
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        fail(QStringLiteral("Viitemaksutiedostoa %1 ei voi lukea: %2").arg(path, file.errorString()));
    if (bytes.size() > MaxFileBytes)
        tooLarge(bytes.size());
    return readBytes(bytes);
}

} // namespace tikkeli
