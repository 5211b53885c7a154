#include "editor/SqlWords.h"

#include <array>
#include <unordered_map>

using namespace std::string_view_literals;

namespace {

constexpr std::array DataTypes{
    "TINYINT"sv, "SMALLINT"sv, "MEDIUMINT"sv, "INT"sv, "INTEGER"sv, "BIGINT"sv, "FLOAT"sv,
    "DOUBLE"sv, "REAL"sv, "DECIMAL"sv, "NUMERIC"sv, "DATE"sv, "DATETIME"sv, "TIMESTAMP"sv, "TIME"sv,
    "YEAR"sv, "CHAR"sv, "NATIONAL"sv, "TINYBLOB"sv, "TINYTEXT"sv, "TEXT"sv, "BLOB"sv,
    "MEDIUMBLOB"sv, "MEDIUMTEXT"sv, "LONGBLOB"sv, "LONGTEXT"sv, "ENUM"sv, "SET"sv, "STRING"sv,
};

constexpr std::array ReservedWords{
    "ACTION"sv, "AFTER"sv, "AGAINST"sv, "AGGREGATE"sv, "ALL"sv, "ALTER"sv, "ANALYZE"sv, "AND"sv,
    "AS"sv, "ASC"sv, "AUTO_INCREMENT"sv, "AVG_ROW_LENGTH"sv, "BACKUP"sv, "BEGIN"sv, "BENCHMARK"sv,
    "BETWEEN"sv, "BINARY"sv, "BIT"sv, "BOOL"sv, "BOTH"sv, "BY"sv, "CASCADE"sv, "CHANGE"sv,
    "CHARACTER"sv, "CHECK"sv, "CHECKSUM"sv, "COLUMN"sv, "COLUMNS"sv, "COMMENT"sv, "COMMIT"sv,
    "CONSTRAINT"sv, "CREATE"sv, "CROSS"sv, "DATA"sv, "DATABASES"sv, "DEC"sv, "DEFAULT"sv,
    "DELAYED"sv, "DELAY_KEY_WRITE"sv, "DELETE"sv, "DESC"sv, "DESCRIBE"sv, "DISTINCT"sv,
    "DISTINCTROW"sv, "DROP"sv, "ELSE"sv, "ENCLOSED"sv, "END"sv, "ESCAPE"sv, "ESCAPED"sv, "EXISTS"sv,
    "EXPLAIN"sv, "FIELDS"sv, "FILE"sv, "FIRST"sv, "FLOAT4"sv, "FLOAT8"sv, "FLUSH"sv, "FOR"sv,
    "FOREIGN"sv, "FROM"sv, "FULL"sv, "FULLTEXT"sv, "FUNCTION"sv, "GLOBAL"sv, "GRANT"sv, "GRANTS"sv,
    "GROUP"sv, "HAVING"sv, "HEAP"sv, "HIGH_PRIORITY"sv, "HOSTS"sv, "IDENTIFIED"sv, "IGNORE"sv,
    "INDEX"sv, "INFILE"sv, "INNER"sv, "INT1"sv, "INT2"sv, "INT3"sv, "INT4"sv, "INT8"sv, "INTO"sv,
    "IS"sv, "ISAM"sv, "JOIN"sv, "KEY"sv, "KEYS"sv, "KILL"sv, "LEADING"sv, "LIKE"sv, "LIMIT"sv,
    "LINES"sv, "LOAD"sv, "LOCAL"sv, "LOCK"sv, "LOGS"sv, "LONG"sv, "LOW_PRIORITY"sv, "MATCH"sv,
    "MAX_ROWS"sv, "MIDDLEINT"sv, "MIN_ROWS"sv, "MODIFY"sv, "MYISAM"sv, "NATURAL"sv, "NO"sv, "NOT"sv,
    "NULL"sv, "OPTIMIZE"sv, "OPTION"sv, "OPTIONALLY"sv, "ON"sv, "OPEN"sv, "OR"sv, "ORDER"sv,
    "OUTER"sv, "OUTFILE"sv, "PACK_KEYS"sv, "PARTIAL"sv, "PRECISION"sv, "PRIMARY"sv, "PRIVILEGES"sv,
    "PROCEDURE"sv, "PROCESS"sv, "PROCESSLIST"sv, "READ"sv, "REFERENCES"sv, "REGEXP"sv, "RELOAD"sv,
    "RENAME"sv, "REPAIR"sv, "RESTRICT"sv, "RESTORE"sv, "RETURNS"sv, "REVOKE"sv, "RLIKE"sv,
    "ROLLBACK"sv, "ROW"sv, "ROWS"sv, "SELECT"sv, "SHOW"sv, "SHUTDOWN"sv, "SONAME"sv,
    "SQL_BIG_RESULT"sv, "SQL_BIG_SELECTS"sv, "SQL_BIG_TABLES"sv, "SQL_LOG_OFF"sv,
    "SQL_LOG_UPDATE"sv, "SQL_LOW_PRIORITY_UPDATES"sv, "SQL_SELECT_LIMIT"sv, "SQL_SMALL_RESULT"sv,
    "SQL_WARNINGS"sv, "STARTING"sv, "STATUS"sv, "STRAIGHT_JOIN"sv, "TABLE"sv, "TABLES"sv,
    "TEMPORARY"sv, "TERMINATED"sv, "THEN"sv, "TO"sv, "TRAILING"sv, "TRANSACTION"sv, "TYPE"sv,
    "UNIQUE"sv, "UNLOCK"sv, "UNSIGNED"sv, "UPDATE"sv, "USAGE"sv, "USE"sv, "USING"sv, "VALUES"sv,
    "VARBINARY"sv, "VARCHAR"sv, "VARIABLES"sv, "VARYING"sv, "WHERE"sv, "WITH"sv, "WRITE"sv,
    "ZEROFILL"sv,
};

constexpr std::array Functions{
    "ABS"sv, "ACOS"sv, "ASCII"sv, "ADD"sv, "ADDDATE"sv, "ASIN"sv, "ATAN"sv, "ATAN2"sv, "AVG"sv,
    "BIN"sv, "BIT_AND"sv, "BIT_COUNT"sv, "BIT_OR"sv, "CASE"sv, "CHARACTER_LENGTH"sv, "CEILING"sv,
    "CONNECTION_ID"sv, "CHAR_LENGTH"sv, "COALESCE"sv, "CONCAT"sv, "CONV"sv, "COS"sv, "COT"sv,
    "COUNT"sv, "CURDATE"sv, "CURRENT_DATE"sv, "CURRENT_TIME"sv, "CURRENT_TIMESTAMP"sv, "CURTIME"sv,
    "DATABASE"sv, "DATE_ADD"sv, "DATE_FORMAT"sv, "DATE_SUB"sv, "DAY"sv, "DAYNAME"sv, "DAYOFMONTH"sv,
    "DAYOFWEEK"sv, "DAYOFYEAR"sv, "DAY_HOUR"sv, "DAY_MINUTE"sv, "DAY_SECOND"sv, "DECODE"sv,
    "DEGREES"sv, "ELT"sv, "ENCODE"sv, "ENCRYPT"sv, "EXP"sv, "EXPORT_SET"sv, "FIELD"sv,
    "FIND_IN_SET"sv, "FLOOR"sv, "FORMAT"sv, "FROM_DAYS"sv, "FROM_UNIXTIME"sv, "GET_LOCK"sv,
    "GREATEST"sv, "HEX"sv, "HOUR"sv, "HOUR_MINUTE"sv, "HOUR_SECOND"sv, "IF"sv, "IFNULL"sv, "IN"sv,
    "INET_NTOA"sv, "INET_ATON"sv, "INSERT"sv, "INSERT_ID"sv, "INSTR"sv, "INTERVAL"sv, "ISNULL"sv,
    "LAST_INSERT_ID"sv, "LCASE"sv, "LEAST"sv, "LEFT"sv, "LENGTH"sv, "LOAD_FILE"sv, "LOCATE"sv,
    "LOG"sv, "LOG10"sv, "LOWER"sv, "LPAD"sv, "LTRIM"sv, "MAKE_SET"sv, "MASTER_POS_WAIT"sv, "MAX"sv,
    "MD5"sv, "MID"sv, "MIN"sv, "MINUTE"sv, "MINUTE_SECOND"sv, "MOD"sv, "MONTH"sv, "MONTHNAME"sv,
    "NOW"sv, "NULLIF"sv, "OCT"sv, "OCTET_LENGTH"sv, "ORD"sv, "PASSWORD"sv, "PERIOD_ADD"sv,
    "PERIOD_DIFF"sv, "PI"sv, "POSITION"sv, "POW"sv, "POWER"sv, "QUARTER"sv, "RADIANS"sv, "RAND"sv,
    "RELEASE_LOCK"sv, "REPEAT"sv, "REPLACE"sv, "REVERSE"sv, "RIGHT"sv, "ROUND"sv, "RPAD"sv,
    "RTRIM"sv, "SECOND"sv, "SEC_TO_TIME"sv, "SESSION_USER"sv, "SIGN"sv, "SIN"sv, "SOUNDEX"sv,
    "SPACE"sv, "SQRT"sv, "STD"sv, "STDDEV"sv, "STRCMP"sv, "SUBDATE"sv, "SUBSTRING"sv,
    "SUBSTRING_INDEX"sv, "SUM"sv, "SYSDATE"sv, "SYSTEM_USER"sv, "TAN"sv, "TIME_FORMAT"sv,
    "TIME_TO_SEC"sv, "TO_DAYS"sv, "TRIM"sv, "TRUNCATE"sv, "UCASE"sv, "UNIX_TIMESTAMP"sv, "UPPER"sv,
    "USER"sv, "VERSION"sv, "WEEK"sv, "WEEKDAY"sv, "WHEN"sv, "YEARWEEK"sv, "YEAR_MONTH"sv,
};

// The longest word of the lists has 24 letters; longer words are never looked up.
constexpr std::size_t LongestWord = 24;

const std::unordered_map<std::string_view, SqlTokenClass> &wordClasses()
{
    static const std::unordered_map<std::string_view, SqlTokenClass> classes = [] {
        std::unordered_map<std::string_view, SqlTokenClass> map;
        for (std::string_view w : DataTypes)
            map.emplace(w, SqlTokenClass::DataType);
        for (std::string_view w : ReservedWords)
            map.emplace(w, SqlTokenClass::ReservedWord);
        for (std::string_view w : Functions)
            map.emplace(w, SqlTokenClass::Function);
        return map;
    }();
    return classes;
}

} // namespace

std::span<const std::string_view> sqlDataTypes() { return DataTypes; }
std::span<const std::string_view> sqlReservedWords() { return ReservedWords; }
std::span<const std::string_view> sqlFunctions() { return Functions; }

SqlTokenClass sqlWordClass(QStringView word)
{
    if (word.isEmpty() || std::size_t(word.size()) > LongestWord)
        return SqlTokenClass::Identifier;
    char upper[LongestWord];
    for (qsizetype i = 0; i < word.size(); ++i) {
        const char16_t c = word[i].unicode();
        if (c >= 0x80)
            return SqlTokenClass::Identifier;
        upper[i] = (c >= u'a' && c <= u'z') ? char(c - u'a' + u'A') : char(c);
    }
    const auto &classes = wordClasses();
    const auto it = classes.find(std::string_view(upper, std::size_t(word.size())));
    return it == classes.end() ? SqlTokenClass::Identifier : it->second;
}
