#pragma once

#include <QString>
#include <QStringView>

// The content of a single-quoted SQL string literal for the given text, escaped
// as the client library's mysql_real_escape_string does for a single-byte
// code page: backslash, single and double quote, NUL, CR, LF and Ctrl-Z get a
// backslash escape; everything else stays as it is. Without quotes around it.
QString sqlStringContent(QStringView text);
