// Sender.ini: any bytes give a last number and a default sender number that
// are never below 0; written back they read the same, and the file's other
// keys and sections read as they did. tests/core_data replays the seed
// corpus under ASan/UBSan.
#include "FuzzSupport.h"
#include "core/SenderRecord.h"
#include "platform/IniFile.h"

#include <QHash>

namespace sender_ini_fuzz {

QHash<QString, QString> otherKeys()
{
    QHash<QString, QString> keys;
    const TIniFile ini(SenderIniFileName());
    for (const QString& s : ini.ReadSections())
        for (const QString& k : ini.ReadSection(s))
            if (!(s.compare(QLatin1String("SENDER"), Qt::CaseInsensitive) == 0 &&
                  (k.compare(QLatin1String("LastNo"), Qt::CaseInsensitive) == 0 ||
                   k.compare(QLatin1String("Default"), Qt::CaseInsensitive) == 0)))
                keys.insert(s.toCaseFolded() + u'\n' + k.toCaseFolded(), ini.ReadString(s, k));
    return keys;
}

int OneInput(const uint8_t* data, size_t size)
{
    FuzzUseScratchDataFolder();
    FuzzWriteFile(QStringLiteral("data/Data/Sender.ini"), data, size);
    const TSenderNumbers read = ReadSenderNumbers();
    FuzzCheck(read.LastNo >= 0 && read.Default >= 0, "numbers are never below 0");
    LoadDefaultSenderNo();
    FuzzCheck(DefaultSenderNo == read.Default, "the default sender is the one read");
    const QHash<QString, QString> others = otherKeys();
    FuzzCheck(WriteSenderNumbers(read.LastNo, read.Default), "a readable file could not be written");
    const TSenderNumbers again = ReadSenderNumbers();
    FuzzCheck(again.LastNo == read.LastNo && again.Default == read.Default, "written numbers read back the same");
    FuzzCheck(otherKeys() == others, "the other keys read as they did");
    return 0;
}

} // namespace sender_ini_fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return sender_ini_fuzz::OneInput(data, size);
}
