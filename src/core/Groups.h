#pragma once
// The ten group names of DataPath, kept in Group.dat (format in
// docs/formats.md). Groups are numbered 1 to 10; a record's Group 0 is none.

#include <QString>

inline constexpr int kGroupCount = 10;
inline constexpr int kGroupNameBytes = 30;

QString GroupDatFileName(); // DataPath/Group.dat
QString DefaultGroupName(int group); // "グループ" + the number in full-width digits

// Name of group 1-10; empty for any other number.
QString GroupName(int group);
// Sets a name (cut to kGroupNameBytes without splitting a character; blank
// names fall back to the default).
void SetGroupName(int group, const QString& name);

// Reads Group.dat; a missing or damaged file gives the defaults for every
// name it does not soundly hold.
void LoadGroupNames();
bool SaveGroupNames();
