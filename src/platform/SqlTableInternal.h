#pragma once
// What the parts of TSqlTable share: quoting and the statement cache.

#include "platform/SqlTable.h"

#include <sqlite3.h>

inline QString SqlQuoted(const QString& name)
{
    return u'"' + name + u'"';
}

// Statements are prepared once per call site, variant (key count or field)
// and index; the SQL text is built only then.
template <class F> sqlite3_stmt* TSqlTable::cached(int site, int variant, F&& sql)
{
    for (auto& c : stmts_)
        if (c.site == site && c.variant == variant && c.index == indexName_) {
            sqlite3_reset(c.stmt);
            sqlite3_clear_bindings(c.stmt);
            return c.stmt;
        }
    sqlite3_stmt* st = prepare(sql());
    stmts_.push_back({site, variant, indexName_, st});
    return st;
}
