#pragma once
// What the units of the record window share: captions and the memo text as
// the record keeps it.

#include <QApplication>
#include <QIcon>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QString>

namespace dtinquiry {

inline const QString kInquiryCaption = QStringLiteral("アドレス帳情報照会");
inline const QString kRegistCaption = QStringLiteral("アドレス帳情報登録");

inline QIcon Glyph(const char* name)
{
    return QIcon(QStringLiteral(":/glyphs/%1.png").arg(QLatin1String(name)));
}

// Memos hold LF internally; the record keeps CR LF.
inline QString MemoText(const QPlainTextEdit* memo)
{
    QString text = memo->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

inline void SetMemoText(QPlainTextEdit* memo, QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    memo->setPlainText(text);
}

// The ground of an edit in good order: the window's face behind a
// read-only edit, as read-only fields have always looked, else the base.
inline QColor EditGround(const QLineEdit* edit)
{
    return QApplication::palette(edit).color(edit->isReadOnly() ? QPalette::Window : QPalette::Base);
}

// A question whether to save the input, after its first line: Yes saves,
// No lets it go, Cancel keeps it as it is.
inline QString SaveQuestion(const QString& head)
{
    return head + QStringLiteral("\r\n\r\n"
                                 "アドレス帳に保存する場合は「はい」  \r\n"
                                 "破棄する場合は「いいえ」  \r\n"
                                 "中止する場合は「キャンセル」  \r\n"
                                 "\r\n"
                                 "を押してください  ");
}

// Why the desktop did not open a link: the answer of OpenUrlStatus, on a
// line of its own under the message.
inline QString OpenFailureCause(int status)
{
    return status == 1 ? QStringLiteral("このアドレスは開ける形ではありません  ")
                       : QStringLiteral("開くためのプログラム（xdg-open）を起動できませんでした  ");
}

} // namespace dtinquiry
