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
            while (i < n && (s[i].isLetterOrNumber() || s[i] == u'.'
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

enum class Paren { Other, In, Values };

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
    const std::vector<Token> toks = tokenize(sql);
    QString out;
    out.reserve(sql.size() + 16);

    auto text = [&](std::size_t k) { return QStringView(sql).mid(toks[k].start, toks[k].length); };
    auto isWord = [&](std::size_t k, const char* w) {
        return k < toks.size() && toks[k].type == Tok::Word && text(k).compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
    };
    auto isOp = [&](std::size_t k, const char* op) {
        return k < toks.size() && toks[k].type == Tok::Op && text(k) == QLatin1String(op);
    };
    auto nextSig = [&](std::size_t k) {
        ++k;
        while (k < toks.size() && toks[k].type == Tok::Space)
            ++k;
        return k;
    };

    // Per statement.
    bool isCreate = false;
    bool betweenPending = false;
    bool prevWasBetweenAnd = false;
    bool firstWordSeen = false;
    std::vector<Paren> parens;
    Paren lastClosed = Paren::Other;
    std::ptrdiff_t prevSig = -1;          // index into toks of the previous significant token
    qsizetype lastSigEnd = 0;             // end of the previous significant token in out
    std::size_t skipUntil = 0;            // tokens [.., skipUntil) dropped

    // The pattern after LIKE: one operand, or several joined by & / || ('*' & ? & '*'); every
    // literal in it is a pattern, and an ESCAPE clause the rewrite needs goes after the last one.
    bool likeChain = false;
    bool likeExpectOperand = false;
    bool likeEscape = false;
    std::size_t likeDepth = 0;
    auto endLikeChain = [&](bool userEscape) {
        if (likeChain && likeEscape && !userEscape)
            out.insert(lastSigEnd, QStringLiteral(" ESCAPE '\\'"));
        likeChain = likeEscape = false;
    };

    // ORDER BY state.
    bool inOrderBy = false;
    std::size_t orderDepth = 0;
    bool termHasContent = false;
    bool termHasCollate = false;
    bool termClosed = false;
    auto finishTerm = [&]() {
        if (inOrderBy && termHasContent && !termHasCollate && !termClosed)
            out.insert(lastSigEnd, QStringLiteral(" COLLATE FI"));
        termHasContent = termHasCollate = false;
        termClosed = true;
    };

    auto prevIs = [&](const char* w) { return prevSig >= 0 && isWord(std::size_t(prevSig), w); };
    auto prevIsOp = [&](std::initializer_list<const char*> ops) {
        if (prevSig < 0 || toks[prevSig].type != Tok::Op)
            return false;
        for (const char* op : ops)
            if (text(prevSig) == QLatin1String(op))
                return true;
        return false;
    };

    for (std::size_t k = 0; k < toks.size(); ++k) {
        if (k < skipUntil)
            continue;
        const Token& t = toks[k];
        if (t.type == Tok::Space) {
            out += text(k);
            continue;
        }
        const QStringView tv = text(k);
        const std::size_t depth = parens.size();

        bool likeLiteral = false;
        if (likeChain) {
            const bool operand = t.type == Tok::SqStr || t.type == Tok::DqStr || t.type == Tok::Param
                || t.type == Tok::Word || t.type == Tok::Bracket || t.type == Tok::Number || t.type == Tok::DateLit;
            if (isOp(k, ";")) {
                endLikeChain(false);
            } else if (depth > likeDepth) {
                // inside a function call's arguments
            } else if (likeExpectOperand && operand) {
                likeLiteral = t.type == Tok::SqStr || t.type == Tok::DqStr;
                likeExpectOperand = false;
            } else if (!likeExpectOperand && (isOp(k, "&") || isOp(k, "||") || isOp(k, "."))) {
                likeExpectOperand = true;
            } else if (!likeExpectOperand && isOp(k, "(")) {
                // a function call: its arguments follow
            } else {
                endLikeChain(isWord(k, "ESCAPE"));
            }
        }

        // ORDER BY terms end at a comma, a direction word, a clause word, a closing parenthesis.
        if (inOrderBy) {
            const bool atDepth = depth == orderDepth;
            if (isOp(k, ";") || (isOp(k, ")") && depth <= orderDepth)) {
                finishTerm();
                inOrderBy = false;
            } else if (atDepth && (isWord(k, "LIMIT") || isWord(k, "OFFSET") || isWord(k, "ROWS")
                                   || isWord(k, "RANGE") || isWord(k, "GROUPS") || isWord(k, "UNION")
                                   || isWord(k, "WINDOW"))) {
                finishTerm();
                inOrderBy = false;
            } else if (atDepth && (isWord(k, "ASC") || isWord(k, "DESC") || isWord(k, "NULLS"))) {
                finishTerm();
            } else if (atDepth && isOp(k, ",")) {
                finishTerm();
                termClosed = false;
            } else if (atDepth && isWord(k, "COLLATE")) {
                termHasCollate = true;
            } else if (!termClosed) {
                termHasContent = true;
            }
        }

        if (!firstWordSeen && t.type == Tok::Word) {
            firstWordSeen = true;
            isCreate = tv.compare(QLatin1String("CREATE"), Qt::CaseInsensitive) == 0;
        }

        QString replacement = tv.toString();
        switch (t.type) {
        case Tok::Word:
            if (isWord(k, "DELETE")) {
                // DELETE * FROM, DELETE t.* FROM
                std::size_t a = nextSig(k);
                std::size_t b = a;
                if (a < toks.size() && (toks[a].type == Tok::Word || toks[a].type == Tok::Bracket || toks[a].type == Tok::DqStr)
                    && isOp(nextSig(a), ".")) {
                    b = nextSig(nextSig(a));
                }
                if (isOp(b, "*") && isWord(nextSig(b), "FROM")) {
                    skipUntil = nextSig(b);
                    replacement += u' ';
                }
            } else if ((isWord(k, "TRUE") || isWord(k, "FALSE")) && !prevIsOp({"."}) && !isOp(nextSig(k), "(")
                       && !isOp(nextSig(k), ".")) {
                replacement = isWord(k, "TRUE") ? QStringLiteral("1") : QStringLiteral("0");
            } else if (isWord(k, "ISNULL") && isOp(nextSig(k), "(")) {
                // ISNULL is an operator keyword in SQLite; the function call goes by another name.
                replacement = QStringLiteral("JetIsNull");
            } else if (isWord(k, "LIKE")) {
                likeChain = likeExpectOperand = true;
                likeEscape = false;
                likeDepth = depth;
            } else if (isWord(k, "ORDER") && isWord(nextSig(k), "BY") && !isCreate) {
                out += replacement;
                const std::size_t by = nextSig(k);
                for (std::size_t j = k + 1; j <= by; ++j)
                    out += text(j);
                lastSigEnd = out.size();
                prevSig = std::ptrdiff_t(by);
                skipUntil = by + 1;
                inOrderBy = true;
                orderDepth = depth;
                termHasContent = termHasCollate = termClosed = false;
                continue;
            }
            break;
        case Tok::DateLit:
            replacement = sqlQuote(JetDateToIso(tv));
            break;
        case Tok::SqStr:
        case Tok::DqStr: {
            const bool afterLike = likeLiteral;
            bool literal = t.type == Tok::SqStr;
            if (!literal && !isOp(nextSig(k), ".")) {
                const bool inList = !parens.empty() && (parens.back() == Paren::In || parens.back() == Paren::Values)
                    && (prevIsOp({"(", ","}));
                literal = afterLike || inList || prevIs("BETWEEN") || prevWasBetweenAnd || prevIs("THEN")
                    || prevIs("ELSE") || prevIs("WHEN")
                    || prevIsOp({"=", "==", "<>", "!=", "<", ">", "<=", ">=", "&", "||"});
            }
            if (afterLike && !isWord(nextSig(k), "ESCAPE")) {
                const QString pattern = JetLikePattern(unquote(tv));
                replacement = sqlQuote(pattern);
                if (pattern.contains(u'\\'))
                    likeEscape = true;
            } else if (literal && t.type == Tok::DqStr) {
                replacement = sqlQuote(unquote(tv));
            }
            break;
        }
        case Tok::Op:
            if (tv == u"(") {
                Paren p = Paren::Other;
                if (prevIs("IN"))
                    p = Paren::In;
                else if (prevIs("VALUES") || (prevIsOp({","}) && lastClosed == Paren::Values))
                    p = Paren::Values;
                parens.push_back(p);
            } else if (tv == u")") {
                if (!parens.empty()) {
                    lastClosed = parens.back();
                    parens.pop_back();
                }
            } else if (tv == u"&") {
                replacement = QStringLiteral("||");
            } else if (tv == u";") {
                firstWordSeen = isCreate = false;
                parens.clear();
                lastClosed = Paren::Other;
            }
            if (tv != u")" && tv != u"," && tv != u"(")
                lastClosed = Paren::Other;
            break;
        default:
            break;
        }
        if (t.type != Tok::Op)
            lastClosed = Paren::Other;
        prevWasBetweenAnd = betweenPending && isWord(k, "AND");
        if (isWord(k, "BETWEEN"))
            betweenPending = true;
        else if (isWord(k, "AND"))
            betweenPending = false;
        out += replacement;
        lastSigEnd = out.size();
        prevSig = std::ptrdiff_t(k);
    }
    endLikeChain(false);
    if (inOrderBy)
        finishTerm();
    return out;
}

} // namespace tikkeli
