#include "printing/SelectionFormula.h"

#include "db/SqlDialect.h"
#include "printing/ReportError.h"

#include <QDate>
#include <QRegularExpression>
#include <memory>

namespace tikkeli {

namespace {

struct Token {
    enum class Kind { Field, Number, String, Ident, Op, LParen, RParen, LBracket, RBracket, Comma, Minus, End };
    Kind kind = Kind::End;
    QString text; // Field: "table.field"; Ident: the word; Op: the operator; String: the value
    qsizetype pos = 0;
};

[[noreturn]] void refuse(qsizetype pos, const QString& why)
{
    throw ReportException(ReportErr::FormulaError,
                          QStringLiteral("Virhe valintakaavassa kohdassa %1: %2").arg(pos + 1).arg(why));
}

bool isIdentStart(QChar c)
{
    return c.isLetter() || c == u'_';
}
bool isIdentChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

std::vector<Token> tokenize(const QString& s)
{
    using K = Token::Kind;
    std::vector<Token> out;
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        const QChar c = s.at(i);
        if (c.isSpace()) {
            ++i;
            continue;
        }
        Token t;
        t.pos = i;
        if (c == u'{') {
            const qsizetype end = s.indexOf(u'}', i);
            if (end < 0)
                refuse(i, QStringLiteral("sulkematon {"));
            static const QRegularExpression field(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*\\.[A-Za-z_][A-Za-z0-9_]*$"));
            t.kind = K::Field;
            t.text = s.mid(i + 1, end - i - 1).trimmed();
            if (!field.match(t.text).hasMatch())
                refuse(i, QStringLiteral("kenttäviittaus {%1} ei ole muotoa {taulu.kenttä}").arg(t.text));
            i = end + 1;
        } else if (c == u'\'' || c == u'"') {
            // A quote inside a string is written twice.
            t.kind = K::String;
            qsizetype j = i + 1;
            for (;;) {
                if (j >= n)
                    refuse(i, QStringLiteral("sulkematon merkkijono"));
                if (s.at(j) == c) {
                    if (j + 1 < n && s.at(j + 1) == c) {
                        t.text += c;
                        j += 2;
                        continue;
                    }
                    break;
                }
                t.text += s.at(j++);
            }
            i = j + 1;
        } else if (c.isDigit()) {
            t.kind = K::Number;
            qsizetype j = i;
            while (j < n && s.at(j).isDigit())
                ++j;
            if (j + 1 < n && s.at(j) == u'.' && s.at(j + 1).isDigit()) {
                ++j;
                while (j < n && s.at(j).isDigit())
                    ++j;
            }
            t.text = s.mid(i, j - i);
            i = j;
            if (i < n && (isIdentChar(s.at(i)) || s.at(i) == u'.'))
                refuse(i, QStringLiteral("virheellinen luku"));
        } else if (isIdentStart(c)) {
            t.kind = K::Ident;
            qsizetype j = i;
            while (j < n && isIdentChar(s.at(j)))
                ++j;
            t.text = s.mid(i, j - i);
            i = j;
        } else if (c == u'<' || c == u'>' || c == u'=') {
            t.kind = K::Op;
            const QString two = s.mid(i, 2);
            if (two == QLatin1String("<>") || two == QLatin1String("<=") || two == QLatin1String(">=")) {
                t.text = two;
                i += 2;
            } else {
                t.text = QString(c);
                ++i;
            }
        } else if (c == u'(') {
            t.kind = K::LParen;
            ++i;
        } else if (c == u')') {
            t.kind = K::RParen;
            ++i;
        } else if (c == u'[') {
            t.kind = K::LBracket;
            ++i;
        } else if (c == u']') {
            t.kind = K::RBracket;
            ++i;
        } else if (c == u',') {
            t.kind = K::Comma;
            ++i;
        } else if (c == u'-') {
            if (i + 1 < n && s.at(i + 1) == u'-')
                refuse(i, QStringLiteral("merkki \"--\" ei kuulu kaavakieleen"));
            t.kind = K::Minus;
            ++i;
        } else {
            refuse(i, QStringLiteral("merkki \"%1\" ei kuulu kaavakieleen").arg(c));
        }
        out.push_back(t);
    }
    Token end;
    end.pos = n;
    out.push_back(end);
    return out;
}

struct Node {
    enum class Kind { Field, Number, String, Bool, Date, Year, ToText, ToNumber, Compare, Like, In, And, Or, Not };
    Kind kind;
    QString text;      // Field: SQL; Number/String: the literal; Compare: operator
    Value value;       // literal values
    int decimals = -1; // ToText
    qsizetype pos = 0;
    std::vector<std::unique_ptr<Node>> kids;

    bool isCondition() const
    {
        return kind == Kind::Compare || kind == Kind::Like || kind == Kind::In || kind == Kind::And || kind == Kind::Or
               || kind == Kind::Not || kind == Kind::Bool;
    }
};
using NodePtr = std::unique_ptr<Node>;

NodePtr make(Node::Kind k, qsizetype pos)
{
    auto n = std::make_unique<Node>();
    n->kind = k;
    n->pos = pos;
    return n;
}

class Parser {
public:
    Parser(std::vector<Token> tokens, const SelectionFormula::FieldResolver& resolve)
        : m_t(std::move(tokens)), m_resolve(resolve)
    {
    }

    NodePtr parseAll()
    {
        NodePtr n = orExpr();
        if (peek().kind != Token::Kind::End)
            refuse(peek().pos, QStringLiteral("odottamaton \"%1\"").arg(describe(peek())));
        return n;
    }

private:
    const Token& peek() const { return m_t[m_i]; }
    Token next() { return m_t[m_i++]; }
    bool isWord(const char* w) const
    {
        return peek().kind == Token::Kind::Ident && peek().text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
    }
    static QString describe(const Token& t)
    {
        switch (t.kind) {
        case Token::Kind::End: return QStringLiteral("kaavan loppu");
        case Token::Kind::Field: return QLatin1Char('{') + t.text + QLatin1Char('}');
        case Token::Kind::LParen: return QStringLiteral("(");
        case Token::Kind::RParen: return QStringLiteral(")");
        case Token::Kind::LBracket: return QStringLiteral("[");
        case Token::Kind::RBracket: return QStringLiteral("]");
        case Token::Kind::Comma: return QStringLiteral(",");
        case Token::Kind::Minus: return QStringLiteral("-");
        default: return t.text;
        }
    }
    void expect(Token::Kind k, const char* what)
    {
        if (peek().kind != k)
            refuse(peek().pos,
                   QStringLiteral("odotettiin \"%1\", löytyi \"%2\"").arg(QLatin1String(what), describe(peek())));
        ++m_i;
    }

    NodePtr condition(NodePtr n)
    {
        if (n->isCondition())
            return n;
        if (n->kind == Node::Kind::Field) {
            // A bare Boolean field reads as "= true".
            auto c = make(Node::Kind::Compare, n->pos);
            c->text = QStringLiteral("=");
            c->kids.push_back(std::move(n));
            auto t = make(Node::Kind::Bool, c->pos);
            t->value = true;
            c->kids.push_back(std::move(t));
            return c;
        }
        refuse(n->pos, QStringLiteral("odotettiin ehtoa"));
    }

    // Parentheses, functions and "not" nest by recursion; a formula nested deeper than any real
    // one is refused before it can exhaust the stack.
    struct Nesting {
        explicit Nesting(Parser& p) : m_p(p)
        {
            if (++m_p.m_depth > MaxDepth)
                refuse(m_p.peek().pos, QStringLiteral("kaava on liian syvälle sisäkkäinen"));
        }
        ~Nesting() { --m_p.m_depth; }
        Parser& m_p;
    };
    static constexpr int MaxDepth = 100;

    // "a or b or c" is one node with three kids rather than a chain of pairs, so a long list of
    // alternatives costs neither parser nor emitter any depth.
    NodePtr chain(Node::Kind kind, const char* word, NodePtr (Parser::*operandOf)())
    {
        NodePtr first = (this->*operandOf)();
        if (!isWord(word))
            return first;
        auto n = make(kind, peek().pos);
        n->kids.push_back(condition(std::move(first)));
        while (isWord(word)) {
            next();
            countTerm();
            n->kids.push_back(condition((this->*operandOf)()));
        }
        return n;
    }

    NodePtr orExpr()
    {
        const Nesting nesting(*this);
        return chain(Node::Kind::Or, "or", &Parser::andExpr);
    }

    NodePtr andExpr() { return chain(Node::Kind::And, "and", &Parser::notExpr); }

    // No hand-written selection comes near this many terms; a formula beyond it is refused with a
    // clear message rather than handed to the database as a statement it cannot hold.
    static constexpr int MaxTerms = 500;
    void countTerm()
    {
        if (++m_terms > MaxTerms)
            refuse(peek().pos,
                   QStringLiteral("kaavassa on liian monta ehtoa tai luettelon arvoa (enintään %1)").arg(MaxTerms));
    }

    NodePtr notExpr()
    {
        if (isWord("not")) {
            const Nesting nesting(*this);
            const qsizetype pos = next().pos;
            auto n = make(Node::Kind::Not, pos);
            n->kids.push_back(condition(notExpr()));
            return n;
        }
        return comparison();
    }

    NodePtr comparison()
    {
        NodePtr left = operand();
        if (peek().kind == Token::Kind::Op) {
            const Token op = next();
            auto n = make(Node::Kind::Compare, op.pos);
            n->text = op.text;
            NodePtr right = operand();
            if (left->isCondition() && left->kind != Node::Kind::Bool)
                refuse(op.pos, QStringLiteral("ehtoa ei voi verrata"));
            if (right->isCondition() && right->kind != Node::Kind::Bool)
                refuse(op.pos, QStringLiteral("ehtoa ei voi verrata"));
            n->kids.push_back(std::move(left));
            n->kids.push_back(std::move(right));
            return n;
        }
        if (isWord("like")) {
            const qsizetype pos = next().pos;
            auto n = make(Node::Kind::Like, pos);
            NodePtr pattern = operand();
            if (pattern->kind != Node::Kind::String)
                refuse(pattern->pos, QStringLiteral("like-ehdon kaavan on oltava merkkijono"));
            n->kids.push_back(std::move(left));
            n->kids.push_back(std::move(pattern));
            return n;
        }
        if (isWord("in")) {
            const qsizetype pos = next().pos;
            auto n = make(Node::Kind::In, pos);
            n->kids.push_back(std::move(left));
            expect(Token::Kind::LBracket, "[");
            if (peek().kind != Token::Kind::RBracket) {
                for (;;) {
                    NodePtr v = operand();
                    if (v->kind != Node::Kind::Number && v->kind != Node::Kind::String && v->kind != Node::Kind::Date)
                        refuse(v->pos, QStringLiteral("luettelossa voi olla vain lukuja, merkkijonoja ja päivämääriä"));
                    n->kids.push_back(std::move(v));
                    countTerm();
                    if (peek().kind != Token::Kind::Comma)
                        break;
                    next();
                }
            }
            expect(Token::Kind::RBracket, "]");
            return n;
        }
        return left;
    }

    int integerArgument()
    {
        bool negative = false;
        if (peek().kind == Token::Kind::Minus) {
            next();
            negative = true;
        }
        if (peek().kind != Token::Kind::Number || peek().text.contains(u'.'))
            refuse(peek().pos, QStringLiteral("odotettiin kokonaislukua"));
        bool ok = false;
        const int v = next().text.toInt(&ok);
        if (!ok)
            refuse(m_t[m_i - 1].pos, QStringLiteral("luku on liian suuri"));
        return negative ? -v : v;
    }

    NodePtr operand()
    {
        const Token t = peek();
        switch (t.kind) {
        case Token::Kind::LParen: {
            next();
            NodePtr n = orExpr();
            expect(Token::Kind::RParen, ")");
            return n;
        }
        case Token::Kind::Field: {
            next();
            auto n = make(Node::Kind::Field, t.pos);
            const qsizetype dot = t.text.indexOf(u'.');
            n->text = m_resolve(t.text.left(dot), t.text.mid(dot + 1));
            return n;
        }
        case Token::Kind::Number:
        case Token::Kind::Minus: {
            const bool negative = t.kind == Token::Kind::Minus;
            if (negative) {
                next();
                if (peek().kind != Token::Kind::Number)
                    refuse(peek().pos, QStringLiteral("odotettiin lukua"));
            }
            const Token num = next();
            auto n = make(Node::Kind::Number, t.pos);
            bool ok = false;
            if (num.text.contains(u'.')) {
                const double d = num.text.toDouble(&ok);
                n->value = negative ? -d : d;
            } else {
                const qlonglong v = num.text.toLongLong(&ok);
                n->value = negative ? -v : v;
            }
            if (!ok)
                refuse(num.pos, QStringLiteral("virheellinen luku"));
            return n;
        }
        case Token::Kind::String: {
            next();
            auto n = make(Node::Kind::String, t.pos);
            n->value = t.text;
            return n;
        }
        case Token::Kind::Ident: {
            next();
            const QString w = t.text.toLower();
            if (w == QLatin1String("true") || w == QLatin1String("false")) {
                auto n = make(Node::Kind::Bool, t.pos);
                n->value = w == QLatin1String("true");
                return n;
            }
            if (w == QLatin1String("date")) {
                expect(Token::Kind::LParen, "(");
                const int y = integerArgument();
                expect(Token::Kind::Comma, ",");
                const int m = integerArgument();
                expect(Token::Kind::Comma, ",");
                const int d = integerArgument();
                expect(Token::Kind::RParen, ")");
                const QDate date(y, m, d);
                if (!date.isValid() || y < 100)
                    refuse(t.pos, QStringLiteral("virheellinen päivämäärä Date(%1,%2,%3)").arg(y).arg(m).arg(d));
                auto n = make(Node::Kind::Date, t.pos);
                n->value = date.toString(Qt::ISODate);
                return n;
            }
            if (w == QLatin1String("year") || w == QLatin1String("tonumber") || w == QLatin1String("totext")) {
                auto n = make(w == QLatin1String("year")       ? Node::Kind::Year
                              : w == QLatin1String("tonumber") ? Node::Kind::ToNumber
                                                               : Node::Kind::ToText,
                              t.pos);
                expect(Token::Kind::LParen, "(");
                NodePtr arg = orExpr();
                if (arg->isCondition())
                    refuse(arg->pos, QStringLiteral("funktion argumentti ei voi olla ehto"));
                n->kids.push_back(std::move(arg));
                if (n->kind == Node::Kind::ToText && peek().kind == Token::Kind::Comma) {
                    next();
                    n->decimals = integerArgument();
                    if (n->decimals < 0 || n->decimals > 10)
                        refuse(t.pos, QStringLiteral("desimaalien määrä"));
                }
                expect(Token::Kind::RParen, ")");
                return n;
            }
            refuse(t.pos, QStringLiteral("tuntematon sana \"%1\"").arg(t.text));
        }
        default: refuse(t.pos, QStringLiteral("odottamaton \"%1\"").arg(describe(t)));
        }
    }

    std::vector<Token> m_t;
    size_t m_i = 0;
    int m_depth = 0;
    int m_terms = 0;
    const SelectionFormula::FieldResolver& m_resolve;
};

class Emitter {
public:
    std::vector<Value> params;

    QString condition(const Node& n)
    {
        switch (n.kind) {
        case Node::Kind::And:
        case Node::Kind::Or: {
            // Parameters are bound in the order their marks appear in the text.
            QStringList terms;
            for (const NodePtr& k : n.kids)
                terms << condition(*k);
            return QLatin1Char('(') + terms.join(n.kind == Node::Kind::And ? QLatin1String(" AND ") : QLatin1String(" OR "))
                   + QLatin1Char(')');
        }
        case Node::Kind::Not: return QStringLiteral("(NOT %1)").arg(condition(*n.kids[0]));
        case Node::Kind::Bool: return n.value.toBool() ? QStringLiteral("(1 = 1)") : QStringLiteral("(1 = 0)");
        case Node::Kind::Compare: return compare(n);
        case Node::Kind::Like: {
            // The same wildcards as the SQL dialect's LIKE: * and ?, with [*], [?] and [[] literal.
            const QString like = JetLikePattern(n.kids[1]->value.toString());
            const bool escape = like.contains(u'\\');
            const QString lhs = value(*n.kids[0]);
            params.emplace_back(like);
            if (!escape)
                return QStringLiteral("(%1 LIKE ?)").arg(lhs);
            params.emplace_back(QStringLiteral("\\"));
            return QStringLiteral("(%1 LIKE ? ESCAPE ?)").arg(lhs);
        }
        case Node::Kind::In: {
            if (n.kids.size() == 1)
                return QStringLiteral("(1 = 0)");
            const QString lhs = value(*n.kids[0]);
            QStringList marks;
            for (size_t i = 1; i < n.kids.size(); ++i)
                marks << value(*n.kids[i]);
            return QStringLiteral("(%1 IN (%2))").arg(lhs, marks.join(QLatin1String(", ")));
        }
        default: return QStringLiteral("(COALESCE(%1, 0) <> 0)").arg(value(n));
        }
    }

private:
    QString bind(const Value& v)
    {
        params.push_back(v);
        return QStringLiteral("?");
    }

    QString value(const Node& n)
    {
        switch (n.kind) {
        case Node::Kind::Field: return n.text;
        case Node::Kind::Number:
        case Node::Kind::String:
        case Node::Kind::Date: return bind(n.value);
        case Node::Kind::Bool: return n.value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
        case Node::Kind::Year: return QStringLiteral("CAST(substr(%1, 1, 4) AS INTEGER)").arg(value(*n.kids[0]));
        case Node::Kind::ToNumber: return QStringLiteral("CAST(%1 AS REAL)").arg(value(*n.kids[0]));
        case Node::Kind::ToText:
            if (n.decimals >= 0) {
                // printf makes "0" of a Null: a missing value (a date with no day) would then match
                // a pattern such as "*" or "0*". The value is emitted twice, its marks bound in order.
                const QString tested = value(*n.kids[0]);
                const QString format = bind(QStringLiteral("%.") + QString::number(n.decimals) + QLatin1Char('f'));
                return QStringLiteral("(CASE WHEN %1 IS NULL THEN NULL ELSE printf(%2, %3) END)")
                    .arg(tested, format, value(*n.kids[0]));
            }
            return QStringLiteral("CAST(%1 AS TEXT)").arg(value(*n.kids[0]));
        default: return QStringLiteral("(CASE WHEN %1 THEN 1 ELSE 0 END)").arg(condition(n));
        }
    }

    QString compare(const Node& n)
    {
        const Node& a = *n.kids[0];
        const Node& b = *n.kids[1];
        const QString op = n.text;
        if (a.kind == Node::Kind::Bool || b.kind == Node::Kind::Bool) {
            if (op != QLatin1String("=") && op != QLatin1String("<>"))
                refuse(n.pos, QStringLiteral("totuusarvoja voi verrata vain operaattoreilla = ja <>"));
            if (a.kind == Node::Kind::Bool && b.kind == Node::Kind::Bool)
                return (a.value == b.value) == (op == QLatin1String("=")) ? QStringLiteral("(1 = 1)")
                                                                          : QStringLiteral("(1 = 0)");
            const Node& other = a.kind == Node::Kind::Bool ? b : a;
            const bool truth = (a.kind == Node::Kind::Bool ? a : b).value.toBool();
            const QString v = value(other);
            // Any non-zero value is true; Null counts as false, as an unset yes/no field does.
            if (truth == (op == QLatin1String("=")))
                return QStringLiteral("(COALESCE(%1, 0) <> 0)").arg(v);
            return QStringLiteral("(COALESCE(%1, 0) = 0)").arg(v);
        }
        if ((a.kind == Node::Kind::Date) != (b.kind == Node::Kind::Date)) {
            // Dates are stored as "yyyy-MM-dd HH:mm:ss"; a Date() compares with the day only.
            if (a.kind == Node::Kind::Date) {
                const QString lit = bind(a.value);
                return QStringLiteral("(%1 %2 substr(%3, 1, 10))").arg(lit, op, value(b));
            }
            const QString field = value(a);
            return QStringLiteral("(substr(%1, 1, 10) %2 %3)").arg(field, op, bind(b.value));
        }
        const QString l = value(a);
        const QString r = value(b);
        return QStringLiteral("(%1 %2 %3)").arg(l, op, r);
    }
};

} // namespace

SelectionFormula::Sql SelectionFormula::translate(const QString& formula, const FieldResolver& resolve)
{
    Sql out;
    if (formula.trimmed().isEmpty())
        return out;
    Parser parser(tokenize(formula), resolve);
    NodePtr root = parser.parseAll();
    if (!root->isCondition() && root->kind != Node::Kind::Field)
        refuse(root->pos, QStringLiteral("kaava ei ole ehto"));
    Emitter e;
    out.where = e.condition(*root);
    out.params = std::move(e.params);
    return out;
}

SelectionFormula::SortField SelectionFormula::parseSortField(const QString& text)
{
    static const QRegularExpression re(
        QStringLiteral("^\\s*([+-])\\s*\\{\\s*([A-Za-z_][A-Za-z0-9_]*)\\.([A-Za-z_][A-Za-z0-9_]*)\\s*\\}\\s*$"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        throw ReportException(ReportErr::FormulaError, QStringLiteral("Virheellinen lajittelukenttä: \"%1\"").arg(text));
    return SortField{m.captured(1) == QLatin1String("+"), m.captured(2), m.captured(3)};
}

} // namespace tikkeli
