#pragma once
// Helpers for tests that link no widgets: whole-file reads and writes, an
// independent AES, and a throw-away data folder.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <optional>

// Whole-file reads and writes for setting up and checking stored files.
QByteArray ReadFile(const QString& path);
bool WriteFile(const QString& path, const QByteArray& data);

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
