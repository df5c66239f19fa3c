#pragma once
// The folders every part of the system finds its files in. Each ends with
// a path separator, so callers append file names directly.
//
//   AppPath      the program's folder; Common/ and Dic/ lie in it
//   DataFolder   Telvora21.ini, CstmClr.ini, the printer-information files
//   DataPath     the address books and their lists (default: DataFolder + "Data/")
//   LayoutFolder, LabelFolder, CardFolder, DesignFolder: DataPath + "Layout/" ...

#include <QString>
#include <QStringList>

QString AppPath();
QString DataFolder();
QString DataPath();
QString LayoutFolder();
QString LabelFolder();
QString CardFolder();
QString DesignFolder();

// The data folder used when neither the command line nor the environment
// names one: zok/Telvora21/ under the user's data location.
QString DefaultDataFolder();

// Fixes the folders for this run: the data folder comes from
// "--data-folder DIR" in args, else the environment variable
// TELVORA_DATA_FOLDER, else DefaultDataFolder(). Creates the data folder,
// DataPath and its sub-folders when missing. False when the data folder
// cannot be created.
bool InitFolders(const QStringList& args);

// For tests and tools: set the folders directly (trailing separator added).
void SetAppPath(const QString& path);
void SetDataFolder(const QString& path); // also sets DataPath to path + "Data/"
void SetDataPath(const QString& path);
// Creates DataFolder, DataPath and the sub-folders of DataPath; false on failure.
bool CreateDataFolders();
