// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/WindowLayout.h"

#include "files/SettingsStore.h"

#include <algorithm>

bool WINDOWLAYOUT::Load(ISettingsStore* store) {
    if (!store) return false;
    int x = 0, y = 0, w = 0, h = 0, maximized = 0, logHeight = 0;
    const bool geometry = store->GetInt(kSection, "Left", x) && store->GetInt(kSection, "Top", y) &&
                          store->GetInt(kSection, "Width", w) && store->GetInt(kSection, "Height", h);
    if (geometry && w > 0 && h > 0) rcNormal = QRect(x, y, w, h);
    if (store->GetInt(kSection, "Maximized", maximized)) bMaximized = maximized != 0;
    if (store->GetInt(kSection, "MessageLogHeight", logHeight) && logHeight > 0) nLogHeight = logHeight;
    return HasGeometry();
}

void WINDOWLAYOUT::Save(ISettingsStore* store) const {
    if (!store || !HasGeometry()) return;
    store->WriteInt(kSection, "Left", rcNormal.x());
    store->WriteInt(kSection, "Top", rcNormal.y());
    store->WriteInt(kSection, "Width", rcNormal.width());
    store->WriteInt(kSection, "Height", rcNormal.height());
    store->WriteInt(kSection, "Maximized", bMaximized ? 1 : 0);
    store->WriteInt(kSection, "MessageLogHeight", nLogHeight);
}

QRect ClampToScreens(const QRect& rect, const QList<QRect>& available, const QSize& minimum) {
    if (available.isEmpty()) return rect;
    QRect screen = available.front();
    qint64 bestOverlap = 0;
    for (const QRect& area : available) {
        const QRect overlap = area.intersected(rect);
        const qint64 size = overlap.isEmpty() ? 0 : qint64(overlap.width()) * overlap.height();
        if (size > bestOverlap) {
            bestOverlap = size;
            screen = area;
        }
    }
    const int w = std::min(std::max(rect.width(), minimum.width()), screen.width());
    const int h = std::min(std::max(rect.height(), minimum.height()), screen.height());
    const int x = std::clamp(rect.x(), screen.left(), screen.left() + screen.width() - w);
    const int y = std::clamp(rect.y(), screen.top(), screen.top() + screen.height() - h);
    return QRect(x, y, w, h);
}

QRect DefaultWindowRect(const QRect& available, const QSize& preferred) {
    // Leave room for the window frame and title bar.
    const int w = std::max(1, std::min(preferred.width(), available.width() - 40));
    const int h = std::max(1, std::min(preferred.height(), available.height() - 60));
    return QRect(available.x() + (available.width() - w) / 2, available.y() + (available.height() - h) / 2, w, h);
}
