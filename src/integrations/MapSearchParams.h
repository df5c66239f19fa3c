#pragma once
// What a map view or map launch is told about the record to show: its
// position, telephone number and address, and a few options particular to
// one program. Positions are in milliseconds of arc.

#include <QString>
#include <array>

struct TMapSearchParams {
    int Kind = 0;      // 0 search by position, 1 by address (one view: by telephone number)
    int Latitude = 0;  // in: the record's position; out: the map centre, for views that return one
    int Longitude = 0;
    QString TelNo;     // digits only
    QString Address;   // prefecture and the three address lines, trimmed and joined
    QString Extra;
    int Option = 0;        // 1 for the program that takes it, else 0
    int MappleOption1 = 0; // -1 for the view that reads them, else 0
    int MappleOption2 = 0; // 300 for that view, else 0
    std::array<int, 4> CallerBounds{}; // left, top, right, bottom of the calling window
};
