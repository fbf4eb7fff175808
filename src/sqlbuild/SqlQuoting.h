#pragma once
// Writing names and texts into SQL statements so that the server reads them
// back as exactly the same characters, whatever they hold: every identifier
// is quoted (so its letter case stays), every text is a string literal with
// its quotes (and, on MySQL, backslashes) doubled.

#include "sqlbuild/SqlBuild.h"

#include <QString>

namespace veska {

// "name" on PostgreSQL and SQLite, `name` on MySQL, the quote character
// doubled inside.
QString QuoteIdentifier(TSqlDialect dialect, const QString& name);
// 'text' with ' doubled; on MySQL \ is doubled as well, as the server reads
// a backslash as an escape unless NO_BACKSLASH_ESCAPES is set. Line breaks
// are never written as they are, so that a script's line ends (CR LF) do
// not become part of the text: MySQL \n and \r, PostgreSQL an escape string
// E'...\n...', SQLite ('...' || char(10) || '...'), an expression (which a
// DEFAULT takes in parentheses, as written here).
QString QuoteString(TSqlDialect dialect, const QString& text);

// The name cut to the server's limit for identifiers: `limit` UTF-8 bytes on
// PostgreSQL (the server counts bytes and cuts longer names itself),
// `limit` characters elsewhere; never inside a character. A limit of 0 or
// less cuts nothing.
QString CutIdentifier(TSqlDialect dialect, const QString& name, int limit);

// The condition with every word VALUE (letter case ignored) outside quoted
// text ('...', "...", `...`) replaced by `replacement`: a domain's rule
// written on a column.
QString ReplaceValueWord(const QString& condition, const QString& replacement);

}  // namespace veska
