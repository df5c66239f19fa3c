#pragma once
// Where the drawing dialogs keep what they remember between uses (the page
// shown last, in Telvora21.ini of the data folder). The program names the
// file once at start; without a provider nothing is read or written and the
// dialogs open on their first page.

#include <QString>
#include <functional>

void SetDrawingSettingsFileProvider(std::function<QString()> provider);
// The settings file's path; empty when no provider is set.
QString DrawingSettingsFile();

// A page index kept under section/key: the stored index when it lies in
// [0, pageCount), else 0.
int ReadSettingsPage(const QString& section, const QString& key, int pageCount);
// Writes the page index and updates the file; false when it could not be
// written (or no file is named).
bool WriteSettingsPage(const QString& section, const QString& key, int page);
