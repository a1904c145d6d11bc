#pragma once

#include "platform/WindowPlacement.h"

#include <QSize>
#include <QString>

class TAppIniFileStorage;

// The window state the settings file asks for.
enum TWindowState { wsNormal, wsMinimized, wsMaximized };

// What the settings file holds for one window, read the way a restore needs it.
struct TStoredPlacement
{
    // "FormVersion" is not below the window's version; otherwise nothing else was read.
    bool versionOk = false;
    // Position keys were present, stored at the current pixels per inch.
    bool found = false;
    // The current record with the stored positions and normal rectangle put in.
    platform::TWindowPlacement placement;
    TWindowState state = wsNormal;
};

// The suffix of the position keys for a screen of that resolution: "(1280x1024)".
QString ResolutionSuffix(QSize resolution);

// Reads the placement keys under storagePath: "FormVersion", then "MinMaxPos" and "NormPos"
// (the key with the resolution suffix first, then the plain one), "PixelsPerInch" when a
// position was found, and "ShowCmd". A present "FormVersion", "PixelsPerInch" or "ShowCmd"
// that is not an integer raises EConvertError.
TStoredPlacement ReadFormPlacement(const TAppIniFileStorage &storage, const QString &storagePath, int version,
                                   const platform::TWindowPlacement &current, int pixelsPerInch,
                                   QSize resolution);

// Writes the eight placement keys under storagePath, in their order.
void WriteFormPlacement(TAppIniFileStorage &storage, const QString &storagePath, int version,
                        const platform::TWindowPlacement &placement, int pixelsPerInch, QSize resolution);
