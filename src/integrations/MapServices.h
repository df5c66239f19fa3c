#pragma once
// The outside map programs, route-search programs and the web map the record
// window hands a record to. None of the map programs exists on this
// platform: their installation tests answer "not installed" and their
// launches fail, so the record window reports them as it always has. The web
// map opens in the desktop's browser.
//
// The map views and the route windows are small windows of our own, made by
// a factory (TIntegrations) that tests replace with their own. Each is made
// for one launch, shown modally and released by the caller.

#include "integrations/MapSearchParams.h"

#include <QString>
#include <memory>

class QWidget;

// The map programs, by the [COOPERATE] Map setting.
enum TMapProgram : int {
    mpAtlasMate = 0,
    mpProAtlas = 1,
    mpProAtlasW = 2,
    mpEmapZ = 3,
    mpItsmoNavi = 4,
    mpMapFan = 5,
    mpMapFanNet = 6,
    mpMapFanPlanner = 7,
    mpMapple = 8,
    mpGrandMap = 9,
    mpWebMap = 10,
};
// The route programs, by the [COOPERATE] Root setting.
enum TRouteProgram : int { rpExpert = 0, rpNorikae = 1 };

// A map view: told what to search, shown modally, and (for the programs that
// have one) asked for the centre the user left the map at.
class TMapView {
public:
    virtual ~TMapView() = default;
    // Copies the fields the view uses; the effective search: 0 by position,
    // 1 by address or telephone number, 2 or more when nothing usable was given.
    virtual int SetSearchParams(const TMapSearchParams& params) = 0;
    virtual int ShowModal() = 0;
    // The map centre after the showing; false for a view that hands none back.
    virtual bool GetPosition(int& latitude, int& longitude) const = 0;
};

// A route-search window, opened on a start position.
class TRouteWindow {
public:
    virtual ~TRouteWindow() = default;
    // False when the route program cannot start; it has then told the user,
    // and the caller shows nothing more.
    virtual bool Start() = 0;
    // The start position in the program's own unit (1/256 second of arc for
    // the first program, milliseconds of arc for the second).
    virtual void SetStartPosition(int latitude, int longitude) = 0;
    virtual int ShowModal() = 0;
};

// What the launches are built from; tests replace it.
class TIntegrations {
public:
    virtual ~TIntegrations() = default;
    // Whether the map program (TMapProgram) can be used. No such program
    // exists here: false.
    virtual bool IsInstalled(int map) const;
    virtual std::unique_ptr<TMapView> CreateMapView(int map, QWidget* owner);
    virtual std::unique_ptr<TRouteWindow> CreateRouteWindow(int root, QWidget* owner);
};

TIntegrations& Integrations();
// Installs a replacement (nullptr restores the built-in one); returns the one
// that was in place (nullptr for the built-in one). The caller keeps ownership.
TIntegrations* SetIntegrations(TIntegrations* integrations);

// The installation tests of the map programs that have a view.
bool IsAtlasMateInstalled();
bool IsProAtlasInstalled();
bool IsProAtlasWInstalled();
bool IsMapFanInstalled();
bool IsMapFanNetInstalled();
bool IsMapFanPLANInstalled();
bool IsMappleInstalled();

// The map programs started with the record; false when not installed or not
// started.
bool RunEmapZ(const TMapSearchParams& params);
bool RunItsmoNavi(const TMapSearchParams& params);
bool RunGrandMap(const TMapSearchParams& params);
// Opens the web map on a search for params.Address in the desktop's browser;
// false for an empty address or when the browser could not be started.
bool OpenGoogleMaps(const TMapSearchParams& params);

// The web map's search link for an address: the trimmed address
// percent-encoded (UTF-8) into the query.
QString WebMapUrl(const QString& address);
