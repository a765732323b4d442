// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's remembered layout: its normal geometry, whether it was
// maximised and the height of the "Message Log" pane, kept in the settings
// store in a section of its own beside "Main Parameters". Also the rules
// that place a remembered or a new window on the screens there are now.

#include <QList>
#include <QRect>
#include <QSize>

class ISettingsStore;

struct WINDOWLAYOUT {
    static constexpr const char* kSection = "Window Layout";

    QRect rcNormal;           // geometry of the client area when not maximised (logical pixels)
    bool bMaximized = false;  // the window was maximised
    int nLogHeight = 0;       // height of the "Message Log" pane in the splitter; 0: not known

    // True when a geometry was read (a positive size).
    bool HasGeometry() const { return rcNormal.width() > 0 && rcNormal.height() > 0; }

    // Reads the entries that are present; false when there is no geometry.
    bool Load(ISettingsStore* store);
    void Save(ISettingsStore* store) const;
};

// Places a remembered geometry on the screens' available areas: the screen
// it overlaps most (or the first one when it overlaps none) takes it; the
// size shrinks to that area, but not below `minimum` where the area allows,
// and the rectangle moves inside. An empty screen list keeps it unchanged.
QRect ClampToScreens(const QRect& rect, const QList<QRect>& available, const QSize& minimum);

// The geometry of a first start: `preferred` (or the area less a margin,
// whichever is smaller), centred in the available area.
QRect DefaultWindowRect(const QRect& available, const QSize& preferred);
