#include "platform/FileErrors.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstring>

QString FileErrorCause(int errnum)
{
    switch (errnum) {
    case ENOSPC:
        return QStringLiteral("ディスクの空き容量が足りません");
    case EDQUOT:
        return QStringLiteral("ディスクの使用量の上限に達しています");
    case EFBIG:
        return QStringLiteral("ファイルの大きさの上限を超えています");
    case EACCES:
    case EPERM:
        return QStringLiteral("書き込みまたは読み込みの権限がありません");
    case EROFS:
        return QStringLiteral("読み取り専用のディスクには書き込めません");
    case ENOENT:
        return QStringLiteral("フォルダまたはファイルが見つかりません");
    case ENOTDIR:
        return QStringLiteral("フォルダの場所に同じ名前のファイルがあります");
    case EIO:
        return QStringLiteral("ディスクの読み書きでエラーが起きました");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("開いているファイルが多すぎます");
    case ENAMETOOLONG:
        return QStringLiteral("ファイル名が長すぎます");
    case EISDIR:
        return QStringLiteral("ファイルの場所に同じ名前のフォルダがあります");
    case EEXIST:
    case ENOTEMPTY:
        return QStringLiteral("同じ名前のファイルまたはフォルダがすでにあります");
    case ENOMEM:
        return QStringLiteral("メモリが足りません");
    case ENXIO:
    case ENODEV:
    case ESTALE:
    case ENOTCONN:
    case ETIMEDOUT:
    case EHOSTDOWN:
    case EHOSTUNREACH:
        // A removed drive or a network share that went away.
        return QStringLiteral("ディスクに接続できません");
    case EBUSY:
    case EWOULDBLOCK:
        return QStringLiteral("他で使用中です");
    case ENOLCK:
        return QStringLiteral("ファイルをロックできません");
    default:
        break;
    }
    if (errnum == 0)
        return QStringLiteral("原因は分かりません");
    return QStringLiteral("エラーが起きました（%1）").arg(QString::fromLocal8Bit(std::strerror(errnum)));
}

bool SqliteErrorMeansDamaged(int extendedCode)
{
    const int primary = extendedCode & 0xFF;
    return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT;
}

bool SqliteErrorMeansInUse(int extendedCode)
{
    const int primary = extendedCode & 0xFF;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

QString FileMovedCause()
{
    return QStringLiteral("ファイルが移動または削除されたか、別のファイルに置き換えられました");
}

QString SqliteErrorCause(int extendedCode, int systemErrno, const QString& engineText)
{
    // The engine refuses a write into a file gone from its path (in the
    // rollback journal's mode) as "read-only": no permission would mend it.
    if (extendedCode == SQLITE_READONLY_DBMOVED)
        return FileMovedCause();
    if (SqliteErrorMeansDamaged(extendedCode))
        return QStringLiteral("データベースのファイルではないか、壊れています");
    // The engine reports a lock the file system refuses as "locked" too;
    // where it kept the system's answer, that answer is the cause.
    if (SqliteErrorMeansInUse(extendedCode))
        return FileErrorCause(systemErrno == ENOLCK ? ENOLCK : EWOULDBLOCK);
    switch (extendedCode & 0xFF) {
    case SQLITE_FULL:
        // The engine says "full" also when the system said nothing (its
        // page limit); a quota or size limit under it is said as that.
        return FileErrorCause(systemErrno == EDQUOT || systemErrno == EFBIG ? systemErrno : ENOSPC);
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
        // The system call under the engine knows best: a full disk on
        // opening a book shows here as an I/O error on its side files.
        return FileErrorCause(systemErrno ? systemErrno : (extendedCode & 0xFF) == SQLITE_IOERR ? EIO : ENOENT);
    case SQLITE_READONLY:
        return systemErrno ? FileErrorCause(systemErrno) : FileErrorCause(EACCES);
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return FileErrorCause(EACCES);
    case SQLITE_NOMEM:
        return QStringLiteral("メモリが足りません");
    case SQLITE_NOLFS:
    case SQLITE_TOOBIG:
        return FileErrorCause(EFBIG);
    default:
        break;
    }
    return QStringLiteral("エラーが起きました（%1）")
        .arg(engineText.isEmpty() ? QString::fromUtf8(sqlite3_errstr(extendedCode)) : engineText);
}
