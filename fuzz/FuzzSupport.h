#pragma once
// Shared by the harnesses: a scratch file the reader under test is pointed
// at, a throw-away data folder, and a check that stops the run (so libFuzzer
// keeps the input) when a property does not hold.

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

// A fresh temporary folder for this process, made once; with trailing '/'.
QString FuzzScratchFolder();
// Writes data to FuzzScratchFolder() + name and returns the full path.
QString FuzzWriteFile(const QString& name, const uint8_t* data, size_t size);
// Makes the scratch folder the data folder (with its sub-folders) and
// AppPath the folder of the executable's copy of data/, once.
void FuzzUseScratchDataFolder();

// Aborts with the message when ok is false.
void FuzzCheck(bool ok, const char* what);
