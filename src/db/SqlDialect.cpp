#include "db/SqlDialect.h"

#include "base/DateText.h"

#include <vector>

namespace tikkeli {

namespace {

enum class Tok { Space, SqStr, DqStr, Bracket, Word, Number, DateLit, Param, Op };

struct Token {
    Tok type;
    qsizetype start;
    qsizetype length;
};

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$' || c.unicode() >= 0x80;
}

std::vector<Token> tokenize(const QString& s)
{
    std::vector<Token> out;
    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = s[i];
        const qsizetype st = i;
        if (c.isSpace()) {
            while (i < n && s[i].isSpace())
                ++i;
            out.push_back({Tok::Space, st, i - st});
        } else if (c == u'-' && i + 1 < n && s[i + 1] == u'-') {
            while (i < n && s[i] != u'\n')
                ++i;
            out.push_back({Tok::Space, st, i - st});
        } else if (c == u'/' && i + 1 < n && s[i + 1] == u'*') {
            const qsizetype e = s.indexOf(QStringLiteral("*/"), i + 2);
            i = e < 0 ? n : e + 2;
            out.push_back({Tok::Space, st, i - st});
        } else if (c == u'\'' || c == u'"' || c == u'`') {
            ++i;
            while (i < n) {
                if (s[i] == c) {
                    if (i + 1 < n && s[i + 1] == c) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            out.push_back({c == u'\'' ? Tok::SqStr : c == u'"' ? Tok::DqStr : Tok::Bracket, st, i - st});
        } else if (c == u'[') {
            const qsizetype e = s.indexOf(u']', i + 1);
            i = e < 0 ? n : e + 1;
            out.push_back({Tok::Bracket, st, i - st});
        } else if (c == u'#') {
            qsizetype e = i + 1;
            while (e < n && e - i < 40 && s[e] != u'#' && s[e] != u'\n')
                ++e;
            if (e < n && s[e] == u'#' && !JetDateToIso(QStringView(s).mid(i, e - i + 1)).isEmpty()) {
                i = e + 1;
                out.push_back({Tok::DateLit, st, i - st});
            } else {
                ++i;
                out.push_back({Tok::Op, st, 1});
            }
        } else if (c.isDigit() || (c == u'.' && i + 1 < n && s[i + 1].isDigit())) {
            while (i < n
                   && (s[i].isLetterOrNumber() || s[i] == u'.'
                       || ((s[i] == u'+' || s[i] == u'-') && (s[i - 1] == u'e' || s[i - 1] == u'E'))))
                ++i;
            out.push_back({Tok::Number, st, i - st});
        } else if (c == u'?' || c == u':' || c == u'@' || (c == u'$' && i + 1 < n && isWordChar(s[i + 1]))) {
            ++i;
            while (i < n && isWordChar(s[i]))
                ++i;
            out.push_back({Tok::Param, st, i - st});
        } else if (isWordChar(c)) {
            while (i < n && isWordChar(s[i]))
                ++i;
            out.push_back({Tok::Word, st, i - st});
        } else {
            static const char* const twoChar[] = {"<=", ">=", "<>", "!=", "==", "||", "<<", ">>"};
            qsizetype len = 1;
            if (i + 1 < n) {
                for (const char* op : twoChar) {
                    if (s[i] == QLatin1Char(op[0]) && s[i + 1] == QLatin1Char(op[1])) {
                        len = 2;
                        break;
                    }
                }
            }
            i += len;
            out.push_back({Tok::Op, st, len});
        }
    }
    return out;
}

QString unquote(QStringView quoted)
{
    const QChar q = quoted.front();
    QString body = quoted.mid(1, quoted.size() - (quoted.size() > 1 && quoted.back() == q ? 2 : 1)).toString();
    body.replace(QString(2, q), QString(q));
    return body;
}

QString sqlQuote(const QString& text)
{
    QString t = text;
    t.replace(u'\'', QStringLiteral("''"));
    return u'\'' + t + u'\'';
}

// The statement as a stream of tokens that each rewrite below walks once. A token keeps its own
// text, so a rewrite replaces, drops or adds tokens without counting characters.
struct Piece {
    Tok type;
    QString text;
};
using Pieces = std::vector<Piece>;

Pieces piecesOf(const QString& sql)
{
    Pieces out;
    for (const Token& t : tokenize(sql))
        out.push_back({t.type, sql.mid(t.start, t.length)});
    return out;
}

bool isWord(const Pieces& p, std::size_t k, const char* w)
{
    return k < p.size() && p[k].type == Tok::Word && p[k].text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
}

bool isOp(const Pieces& p, std::size_t k, const char* op)
{
    return k < p.size() && p[k].type == Tok::Op && p[k].text == QLatin1String(op);
}

bool isOpOf(const Pieces& p, std::size_t k, std::initializer_list<const char*> ops)
{
    for (const char* op : ops)
        if (isOp(p, k, op))
            return true;
    return false;
}

// The next token that is not blank or a comment; p.size() when there is none.
std::size_t nextSig(const Pieces& p, std::size_t k)
{
    ++k;
    while (k < p.size() && p[k].type == Tok::Space)
        ++k;
    return k;
}

// The previous token that is not blank or a comment; p.size() when there is none.
std::size_t prevSig(const Pieces& p, std::size_t k)
{
    while (k > 0) {
        --k;
        if (p[k].type != Tok::Space)
            return k;
    }
    return p.size();
}

void insertAfter(Pieces& p, std::size_t k, const QString& text)
{
    p.insert(p.begin() + std::ptrdiff_t(k) + 1, Piece{Tok::Space, text});
}

// DELETE * FROM t and DELETE t.* FROM t: SQLite names no columns in a DELETE.
void dropDeleteColumns(Pieces& p)
{
    for (std::size_t k = 0; k < p.size(); ++k) {
        if (!isWord(p, k, "DELETE"))
            continue;
        const std::size_t a = nextSig(p, k);
        std::size_t star = a;
        if (a < p.size() && (p[a].type == Tok::Word || p[a].type == Tok::Bracket || p[a].type == Tok::DqStr)
            && isOp(p, nextSig(p, a), "."))
            star = nextSig(p, nextSig(p, a));
        const std::size_t from = nextSig(p, star);
        if (!isOp(p, star, "*") || !isWord(p, from, "FROM"))
            continue;
        p.erase(p.begin() + std::ptrdiff_t(k) + 1, p.begin() + std::ptrdiff_t(from));
        insertAfter(p, k, QStringLiteral(" "));
    }
}

// #m/d/yyyy# date literals become ISO text.
void quoteDateLiterals(Pieces& p)
{
    for (Piece& t : p)
        if (t.type == Tok::DateLit)
            t = {Tok::SqStr, sqlQuote(JetDateToIso(t.text))};
}

// True and False are 1 and 0 (unless they name a column or a function).
void numberTruthWords(Pieces& p)
{
    for (std::size_t k = 0; k < p.size(); ++k) {
        if (!isWord(p, k, "TRUE") && !isWord(p, k, "FALSE"))
            continue;
        if (isOp(p, prevSig(p, k), ".") || isOp(p, nextSig(p, k), "(") || isOp(p, nextSig(p, k), "."))
            continue;
        p[k].text = isWord(p, k, "TRUE") ? QStringLiteral("1") : QStringLiteral("0");
    }
}

// IsNull(x) is a function of the program's connections: ISNULL is an operator keyword in SQLite.
void renameIsNullFunction(Pieces& p)
{
    for (std::size_t k = 0; k < p.size(); ++k)
        if (isWord(p, k, "ISNULL") && isOp(p, nextSig(p, k), "("))
            p[k].text = QStringLiteral("JetIsNull");
}

// The pattern after LIKE: one operand, or several joined by & / || ('*' & ? & '*'); every literal in
// it is a pattern in the older wildcards, and an ESCAPE clause the rewrite needs goes after the
// last operand. A literal the statement gives its own ESCAPE is left as written.
void rewriteLikePatterns(Pieces& p)
{
    bool inChain = false;
    bool expectOperand = false;
    bool needsEscape = false;
    std::size_t chainDepth = 0;
    std::size_t depth = 0;
    std::size_t lastSig = p.size();
    // Ends the chain before token k; true when an ESCAPE clause went in before it.
    auto endChain = [&](bool userEscape) {
        const bool add = inChain && needsEscape && !userEscape && lastSig < p.size();
        inChain = needsEscape = false;
        if (add)
            insertAfter(p, lastSig, QStringLiteral(" ESCAPE '\\'"));
        return add;
    };
    for (std::size_t k = 0; k < p.size(); ++k) {
        if (p[k].type == Tok::Space)
            continue;
        if (inChain) {
            const Tok type = p[k].type;
            const bool operand = type == Tok::SqStr || type == Tok::DqStr || type == Tok::Param || type == Tok::Word
                                 || type == Tok::Bracket || type == Tok::Number || type == Tok::DateLit;
            bool added = false;
            if (isOp(p, k, ";")) {
                added = endChain(false);
            } else if (depth > chainDepth) {
                // inside a function call's arguments
            } else if (expectOperand && operand) {
                expectOperand = false;
                if (type == Tok::SqStr || type == Tok::DqStr) {
                    if (!isWord(p, nextSig(p, k), "ESCAPE")) {
                        const QString pattern = JetLikePattern(unquote(p[k].text));
                        needsEscape = needsEscape || pattern.contains(u'\\');
                        p[k] = {Tok::SqStr, sqlQuote(pattern)};
                    } else if (type == Tok::DqStr) {
                        p[k] = {Tok::SqStr, sqlQuote(unquote(p[k].text))};
                    }
                }
            } else if (!expectOperand && isOpOf(p, k, {"&", "||", "."})) {
                expectOperand = true;
            } else if (!expectOperand && isOp(p, k, "(")) {
                // a function call: its arguments follow
            } else {
                added = endChain(isWord(p, k, "ESCAPE"));
            }
            if (added)
                ++k; // the inserted clause sits before this token
        }
        if (isOp(p, k, "("))
            ++depth;
        else if (isOp(p, k, ")") && depth > 0)
            --depth;
        else if (isOp(p, k, ";"))
            depth = 0;
        if (isWord(p, k, "LIKE")) {
            inChain = expectOperand = true;
            needsEscape = false;
            chainDepth = depth;
        }
        lastSig = k;
    }
    endChain(false);
}

// A double-quoted text where a value stands (after a comparison, in an IN or VALUES list, between
// BETWEEN and AND, after THEN/ELSE/WHEN) is a string literal; elsewhere it names something.
void quoteDoubleQuotedValues(Pieces& p)
{
    enum class Paren { Other, In, Values };
    std::vector<Paren> parens;
    Paren lastClosed = Paren::Other;
    bool betweenPending = false;
    bool prevWasBetweenAnd = false;
    std::size_t prev = p.size();
    auto prevIs = [&](const char* w) { return isWord(p, prev, w); };
    for (std::size_t k = 0; k < p.size(); ++k) {
        Piece& t = p[k];
        if (t.type == Tok::Space)
            continue;
        if (t.type == Tok::DqStr && !isOp(p, nextSig(p, k), ".")) {
            const bool inList = !parens.empty() && (parens.back() == Paren::In || parens.back() == Paren::Values)
                                && isOpOf(p, prev, {"(", ","});
            if (inList || prevIs("BETWEEN") || prevWasBetweenAnd || prevIs("THEN") || prevIs("ELSE") || prevIs("WHEN")
                || isOpOf(p, prev, {"=", "==", "<>", "!=", "<", ">", "<=", ">=", "&", "||"}))
                t = {Tok::SqStr, sqlQuote(unquote(t.text))};
        }
        if (t.type == Tok::Op) {
            if (t.text == u"(") {
                Paren kind = Paren::Other;
                if (prevIs("IN"))
                    kind = Paren::In;
                else if (prevIs("VALUES") || (isOp(p, prev, ",") && lastClosed == Paren::Values))
                    kind = Paren::Values;
                parens.push_back(kind);
            } else if (t.text == u")") {
                if (!parens.empty()) {
                    lastClosed = parens.back();
                    parens.pop_back();
                }
            } else if (t.text == u";") {
                parens.clear();
                lastClosed = Paren::Other;
            }
            if (t.text != u")" && t.text != u"," && t.text != u"(")
                lastClosed = Paren::Other;
        } else {
            lastClosed = Paren::Other;
        }
        prevWasBetweenAnd = betweenPending && isWord(p, k, "AND");
        if (isWord(p, k, "BETWEEN"))
            betweenPending = true;
        else if (isWord(p, k, "AND"))
            betweenPending = false;
        prev = k;
    }
}

// & joins texts in the older dialect; SQLite's operator is ||.
void concatenateWithBars(Pieces& p)
{
    for (Piece& t : p)
        if (t.type == Tok::Op && t.text == u"&")
            t.text = QStringLiteral("||");
}

// Every ORDER BY term without a collation of its own sorts in Finnish order (Å, Ä, Ö after Z),
// except in a stored view (CREATE ...), which the stock sqlite3 shell must still read.
void collateOrderByTerms(Pieces& p)
{
    bool statementStart = true;
    bool isCreate = false;
    std::size_t depth = 0;
    bool inOrderBy = false;
    std::size_t orderDepth = 0;
    bool termHasContent = false;
    bool termHasCollate = false;
    bool termClosed = false;
    std::size_t lastSig = p.size();
    auto finishTerm = [&]() {
        const bool add = inOrderBy && termHasContent && !termHasCollate && !termClosed && lastSig < p.size();
        termHasContent = termHasCollate = false;
        termClosed = true;
        if (add)
            insertAfter(p, lastSig, QStringLiteral(" COLLATE FI"));
        return add;
    };
    for (std::size_t k = 0; k < p.size(); ++k) {
        if (p[k].type == Tok::Space)
            continue;
        if (statementStart && p[k].type == Tok::Word) {
            statementStart = false;
            isCreate = isWord(p, k, "CREATE");
        }
        bool added = false;
        if (inOrderBy) {
            const bool atDepth = depth == orderDepth;
            if (isOp(p, k, ";") || (isOp(p, k, ")") && depth <= orderDepth)) {
                added = finishTerm();
                inOrderBy = false;
            } else if (atDepth
                       && (isWord(p, k, "LIMIT") || isWord(p, k, "OFFSET") || isWord(p, k, "ROWS") || isWord(p, k, "RANGE")
                           || isWord(p, k, "GROUPS") || isWord(p, k, "UNION") || isWord(p, k, "WINDOW"))) {
                added = finishTerm();
                inOrderBy = false;
            } else if (atDepth && (isWord(p, k, "ASC") || isWord(p, k, "DESC") || isWord(p, k, "NULLS"))) {
                added = finishTerm();
            } else if (atDepth && isOp(p, k, ",")) {
                added = finishTerm();
                termClosed = false;
            } else if (atDepth && isWord(p, k, "COLLATE")) {
                termHasCollate = true;
            } else if (!termClosed) {
                termHasContent = true;
            }
        }
        if (added)
            ++k; // the inserted collation sits before this token
        if (isOp(p, k, "(")) {
            ++depth;
        } else if (isOp(p, k, ")")) {
            if (depth > 0)
                --depth;
        } else if (isOp(p, k, ";")) {
            depth = 0;
            statementStart = true;
            isCreate = false;
        } else if (isWord(p, k, "ORDER") && isWord(p, nextSig(p, k), "BY") && !isCreate) {
            k = nextSig(p, k);
            inOrderBy = true;
            orderDepth = depth;
            termHasContent = termHasCollate = termClosed = false;
        }
        lastSig = k;
    }
    if (inOrderBy)
        finishTerm();
}

} // namespace

QString JetDateToIso(QStringView literal)
{
    if (literal.size() < 3 || literal.front() != u'#' || literal.back() != u'#')
        return {};
    const auto dt = DateText::parseWritten(literal.mid(1, literal.size() - 2).toString(), DateText::Order::MonthDayYear);
    return dt ? DateText::format(dt->date(), dt->time()) : QString();
}

QString JetLikePattern(const QString& pattern)
{
    QString out;
    out.reserve(pattern.size() + 4);
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        QChar c = pattern[i];
        if (c == u'[' && i + 2 < pattern.size() && pattern[i + 2] == u']') {
            c = pattern[i + 1];
            i += 2;
            if (c == u'%' || c == u'_' || c == u'\\')
                out += u'\\';
            out += c;
            continue;
        }
        if (c == u'*')
            out += u'%';
        else if (c == u'?')
            out += u'_';
        else if (c == u'%' || c == u'_' || c == u'\\')
            out += u'\\', out += c;
        else
            out += c;
    }
    return out;
}

QString NormalizeSql(const QString& sql)
{
    // One pass per rewrite, in an order where no pass undoes another: the LIKE patterns before the
    // date literals (a date is no pattern) and the double-quote rule (a pattern literal is a value
    // wherever it stands), & into || after both have read it, the collations last.
    Pieces p = piecesOf(sql);
    dropDeleteColumns(p);
    numberTruthWords(p);
    renameIsNullFunction(p);
    rewriteLikePatterns(p);
    quoteDateLiterals(p);
    quoteDoubleQuotedValues(p);
    concatenateWithBars(p);
    collateOrderByTerms(p);
    QString out;
    out.reserve(sql.size() + 16);
    for (const Piece& t : p)
        out += t.text;
    return out;
}

} // namespace tikkeli
