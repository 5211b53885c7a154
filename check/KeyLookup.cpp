#include "check/KeyLookup.h"

#include "base/Error.h"
#include "check/TableSchema.h"

using namespace Qt::StringLiterals;

namespace {

bool isNumberForm(const ColumnInfo &c)
{
    return c.type == ColumnInfo::Type::Integer || c.type == ColumnInfo::Type::Decimal;
}

// Names of character sets and collations go into the query bare.
bool isPlainName(const QString &name)
{
    return !name.isEmpty() && std::all_of(name.begin(), name.end(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_';
    });
}

// A value as a literal of its column's kind: numbers as their digits, texts
// as utf8mb4 hex, so nothing of the script is ever read as SQL.
QByteArray literal(const QString &stored, const ColumnInfo &form)
{
    if (isNumberForm(form) || form.type == ColumnInfo::Type::Float) {
        const bool plain = !stored.isEmpty() && std::all_of(stored.begin(), stored.end(), [](QChar c) {
            return (c >= u'0' && c <= u'9') || c == u'-' || c == u'.';
        });
        if (!plain)
            throw QmError(u"Скрипт не проверен: «%1» не число"_s.arg(stored));
        return form.type == ColumnInfo::Type::Float ? stored.toLatin1() + "E0" : stored.toLatin1();
    }
    return ReadOnlyQuery::utf8Literal(stored);
}

// The value of position p as the column compares it.
QByteArray compared(size_t p, const ColumnInfo &form)
{
    const QByteArray column = 'c' + QByteArray::number(qulonglong(p));
    if (isNumberForm(form) || form.type == ColumnInfo::Type::Float || !isPlainName(form.charset)
        || !isPlainName(form.collation))
        return column;
    return "CONVERT(" + column + " USING " + form.charset.toLatin1() + ") COLLATE " + form.collation.toLatin1();
}

} // namespace

std::optional<KeyAnswer> probeKeys(ReadOnlyQuery &query, const KeyProbe &probe,
                                   std::optional<ReadOnlyQuery::Limit> *stoppedBy)
{
    stoppedBy->reset();
    KeyAnswer answer;
    const size_t n = probe.tuples.size();
    for (size_t i = 0; i < n; ++i)
        answer.sameAs.push_back(i);
    answer.inTable.assign(n, false);
    const size_t width = probe.form.size();
    if (n == 0 || width == 0)
        return answer;
    const ServerDialect &dialect = query.dialect();

    // The tuples as a table v(i, c0, c1, ...).
    QByteArray rows;
    rows.reserve(qsizetype(n * (12 + width * 24)));
    // Without a table value constructor the first SELECT of a UNION names the columns.
    const bool named = !dialect.valuesTable();
    for (size_t i = 0; i < n; ++i) {
        if (i > 0)
            rows += named ? " UNION ALL " : ",";
        rows += named ? "SELECT " : "(";
        rows += QByteArray::number(qulonglong(i));
        if (named && i == 0)
            rows += " AS i";
        for (size_t p = 0; p < width; ++p) {
            rows += ',';
            rows += literal(probe.tuples[i][p], *probe.form[p]);
            if (named && i == 0)
                rows += " AS c" + QByteArray::number(qulonglong(p));
        }
        if (!named)
            rows += ')';
    }
    QByteArray head, source;
    if (dialect.valuesTable()) {
        head = "WITH v(i";
        for (size_t p = 0; p < width; ++p)
            head += ",c" + QByteArray::number(qulonglong(p));
        head += ") AS (VALUES " + rows + ") ";
        source = "v";
    } else {
        source = "(" + rows + ") v";
    }
    // k(i, k0, k1, ...): the values in their columns' form.
    QByteArray keyed = "(SELECT i";
    QByteArray keys;
    for (size_t p = 0; p < width; ++p) {
        const QByteArray k = 'k' + QByteArray::number(qulonglong(p));
        keyed += ',' + compared(p, *probe.form[p]) + " AS " + k;
        keys += (p > 0 ? "," : "") + k;
    }
    keyed += " FROM " + source + ")";

    QByteArray exists = "0";
    if (probe.table) {
        exists = "EXISTS(SELECT 1 FROM " + ReadOnlyQuery::quoteName(probe.table->name) + " t WHERE ";
        for (size_t p = 0; p < width; ++p) {
            if (p > 0)
                exists += " AND ";
            exists += "t." + ReadOnlyQuery::quoteName(probe.table->columns[size_t(probe.tableColumns[p])].name) + " = k.k"
                + QByteArray::number(qulonglong(p));
        }
        exists += ')';
    }

    QByteArray sql;
    if (dialect.windowFunctions()) {
        sql = head + "SELECT i, f, e FROM (SELECT k.i, MIN(k.i) OVER (PARTITION BY " + keys + ") AS f, " + exists
            + " AS e FROM " + keyed + " k) z WHERE f <> i OR e";
    } else {
        // Without window functions the tuples are grouped in a second copy of them.
        QByteArray on;
        for (size_t p = 0; p < width; ++p) {
            const QByteArray k = 'k' + QByteArray::number(qulonglong(p));
            on += (p > 0 ? " AND g." : "g.") + k + " = k." + k;
        }
        sql = head + "SELECT i, f, e FROM (SELECT k.i, g.f, " + exists + " AS e FROM " + keyed + " k JOIN (SELECT " + keys
            + ", MIN(i) AS f FROM " + keyed + " x GROUP BY " + keys + ") g ON " + on + ") z WHERE f <> i OR e";
    }

    const QList<QStringList> found = query.select(sql, stoppedBy);
    if (*stoppedBy)
        return std::nullopt;
    for (const QStringList &r : found) {
        const size_t i = r.value(0).toULongLong();
        if (i >= n)
            continue;
        answer.sameAs[i] = r.value(1).toULongLong();
        answer.inTable[i] = r.value(2) == u"1"_s;
    }
    return answer;
}
