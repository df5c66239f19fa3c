#include "support/TestSupport.h"

#include "core/Folders.h"

#include <QApplication>
#include <QWidget>
#include <QFile>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QProcess>
#include <QStandardPaths>

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size();
}

void CommitText(QWidget* w, const QString& text)
{
    QInputMethodEvent e;
    e.setCommitString(text);
    QApplication::sendEvent(w, &e);
}

void TypeChars(QWidget* w, const QString& text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
    }
}

std::optional<QByteArray> OpensslAes(bool decrypt, const QByteArray& data, const QByteArray& key)
{
    const QString openssl = QStandardPaths::findExecutable(QStringLiteral("openssl"));
    if (openssl.isEmpty())
        return std::nullopt;
    QStringList args{QStringLiteral("enc"), QStringLiteral("-aes-128-ecb"), QStringLiteral("-nopad"),
                     QStringLiteral("-K"), QString::fromLatin1(key.left(16).toHex())};
    if (decrypt)
        args.insert(1, QStringLiteral("-d"));
    QProcess p;
    p.start(openssl, args);
    p.write(data);
    p.closeWriteChannel();
    p.waitForFinished();
    return p.readAllStandardOutput();
}

TTempDataFolder::TTempDataFolder()
{
    SetDataFolder(dir_.path());
    CreateDataFolders();
}

TTempDataFolder::~TTempDataFolder() = default;

QString TTempDataFolder::path() const { return DataFolder(); }

TMessageRecorder::TMessageRecorder()
{
    previous_ = SetMessageBoxHandler([this](const TMessageBoxRequest& r) {
        messages_.push_back(r);
        if (!answers_.empty()) {
            int a = answers_.front();
            answers_.pop_front();
            return a;
        }
        switch (r.flags & 0x0F) {
        case MB_YESNO:
        case MB_YESNOCANCEL: return int(IDYES);
        default: return int(IDOK);
        }
    });
}

TMessageRecorder::~TMessageRecorder() { SetMessageBoxHandler(std::move(previous_)); }
