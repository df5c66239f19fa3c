#pragma once
// Helpers shared by the tests: a throw-away data folder and a recorder that
// stands in for the message box.

#include "platform/MessageBox.h"

#include <QByteArray>
#include <QTemporaryDir>
#include <deque>
#include <optional>
#include <vector>

class QWidget;

// Whole-file reads and writes for setting up and checking stored files.
QByteArray ReadFile(const QString& path);
bool WriteFile(const QString& path, const QByteArray& data);

// Text as an input method commits it, all at once (QTest types ASCII only).
void CommitText(QWidget* w, const QString& text);
// Text as the keyboard delivers it: one key press per character.
void TypeChars(QWidget* w, const QString& text);

// AES-128-ECB without padding through the openssl command, an implementation
// independent of ours; nothing when the command is missing.
std::optional<QByteArray> OpensslAes(bool decrypt, const QByteArray& data, const QByteArray& key);

// Points DataFolder/DataPath at a fresh temporary folder (created with its
// sub-folders) for the life of the object; AppPath stays the test binary's
// folder, where the build copies Common/ and Dic/.
class TTempDataFolder {
public:
    TTempDataFolder();
    ~TTempDataFolder();
    QString path() const; // with trailing '/'

private:
    QTemporaryDir dir_;
};

// Records every message box instead of showing it, and answers from a queue
// of scripted answers (default: IDOK for OK boxes, IDYES for questions).
class TMessageRecorder {
public:
    TMessageRecorder();
    ~TMessageRecorder();
    void Answer(int answer) { answers_.push_back(answer); }
    const std::vector<TMessageBoxRequest>& Messages() const { return messages_; }
    QString LastText() const { return messages_.empty() ? QString() : messages_.back().text; }
    void Clear() { messages_.clear(); }

private:
    std::vector<TMessageBoxRequest> messages_;
    std::deque<int> answers_;
    TMessageBoxHandler previous_;
};
