#pragma once
// A book of one table on real files, for the table layer's storage tests.
#include "platform/SqlTable.h"

#include <functional>
#include <ostream>
#include <sys/wait.h>

inline TSqlTableDef bookDef()
{
    return {QStringLiteral("Book"),
            {{QStringLiteral("RecNo"), TSqlFieldType::AutoInc}, {QStringLiteral("Name"), TSqlFieldType::Text, 20}},
            {}};
}

// "<kind>: <cause>" of the table error run throws, or "" when it throws none.
inline QString failure(const std::function<void()>& run)
{
    try {
        run();
    } catch (const ESqlTableError& e) {
        const char* kinds[] = {"Other", "InUse", "Damaged", "Moved"};
        return QLatin1String(kinds[int(e.Kind())]) + QStringLiteral(": ") + e.Cause();
    }
    return QString();
}

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

inline int waitChild(pid_t pid)
{
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
