#include "platform/FileErrors.h"

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
    case ENOTDIR:
        return QStringLiteral("フォルダまたはファイルが見つかりません");
    case EIO:
        return QStringLiteral("ディスクの読み書きでエラーが起きました");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("開いているファイルが多すぎます");
    case ENAMETOOLONG:
        return QStringLiteral("ファイル名が長すぎます");
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
