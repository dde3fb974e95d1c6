#include "mainwin/Placement.h"

#include "storage/IniFile.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVariant>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace tavik {
namespace {

// Properties that carry the values we keep without using them.
const char* const kFlagsProperty = "tavikPlacementFlags";
const char* const kMinMaxProperty = "tavikPlacementMinMax";

bool IsSeparator(char c) {
    return c == ',' || c == ' ' || c == '\t';
}

std::string FourNumbers(const std::array<int, 4>& n) {
    char text[64];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d", n[0], n[1], n[2], n[3]);
    return text;
}

} // namespace

std::array<int, 4> ParsePlacementNumbers(const std::string& text,
                                         const std::array<int, 4>& defaults) {
    std::array<int, 4> result = defaults;
    std::size_t pos = 0;
    for (int i = 0; i < 4; ++i) {
        while (pos < text.size() && IsSeparator(text[pos]))
            ++pos;
        std::size_t end = pos;
        while (end < text.size() && !IsSeparator(text[end]))
            ++end;
        if (end == pos)
            break;
        const std::string field = text.substr(pos, end - pos);
        char* stop = nullptr;
        const long value = std::strtol(field.c_str(), &stop, 10);
        if (stop && *stop == '\0' && value >= INT32_MIN && value <= INT32_MAX)
            result[i] = static_cast<int>(value);
        pos = end;
    }
    return result;
}

int ShowStateOf(int showCmd) {
    switch (showCmd) {
    case 2:
    case 6:
        return 2;
    case 3:
        return 3;
    default:
        return 1;
    }
}

QRect BringOnScreen(const QRect& rect, const QList<QRect>& areas) {
    if (areas.isEmpty())
        return rect;
    QRect area = areas.first();
    long long best = 0;
    for (const QRect& candidate : areas) {
        const QRect common = candidate.intersected(rect);
        const long long overlap = static_cast<long long>(common.width()) * common.height();
        if (overlap > best) {
            best = overlap;
            area = candidate;
        }
    }
    QRect fitted(rect.topLeft(), QSize(std::min(rect.width(), area.width()),
                                       std::min(rect.height(), area.height())));
    fitted.moveLeft(std::clamp(fitted.left(), area.left(), area.right() - fitted.width() + 1));
    fitted.moveTop(std::clamp(fitted.top(), area.top(), area.bottom() - fitted.height() + 1));
    return fitted;
}

int FitSplitPosition(int stored, int total, int bar, int keepOther) {
    return std::max(0, std::min(stored, total - bar - keepOther));
}

void ReadPlacement(const TIniFile& ini, const std::string& section, QWidget& window) {
    const int flags = ini.ReadInteger(section, "Flags", window.property(kFlagsProperty).toInt());
    window.setProperty(kFlagsProperty, flags);

    const std::string minMax = ini.ReadString(section, "MinMaxPos", "");
    const std::string norm = ini.ReadString(section, "NormPos", "");
    if (!minMax.empty()) {
        const auto n = ParsePlacementNumbers(minMax, {0, 0, 0, 0});
        window.setProperty(kMinMaxProperty, QString::fromStdString(FourNumbers(n)));
    }
    if (!norm.empty()) {
        const QPoint at = window.pos();
        const auto n = ParsePlacementNumbers(
            norm, {at.x(), at.y(), at.x() + window.width(), at.y() + window.height()});
        // Both windows have sizeable borders, so the stored size always applies.
        if (n[0] < n[2]) {
            QList<QRect> areas;
            for (const QScreen* screen : QGuiApplication::screens())
                areas << screen->availableGeometry();
            const QRect placed = BringOnScreen(QRect(n[0], n[1], n[2] - n[0], n[3] - n[1]), areas);
            window.move(placed.topLeft());
            window.resize(placed.size());
        }
    }

    const int state = ShowStateOf(ini.ReadInteger(section, "ShowCmd", 1));
    Qt::WindowStates states = window.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (state == 2)
        states |= Qt::WindowMinimized;
    else if (state == 3)
        states |= Qt::WindowMaximized;
    window.setWindowState(states);
}

void WritePlacement(TIniFile& ini, const std::string& section, const QWidget& window) {
    ini.WriteInteger(section, "Flags", window.property(kFlagsProperty).toInt());
    int showCmd = 1;
    if (window.isMinimized())
        showCmd = 2;
    else if (window.isMaximized())
        showCmd = 3;
    ini.WriteInteger(section, "ShowCmd", showCmd);
    const QVariant minMax = window.property(kMinMaxProperty);
    ini.WriteString(section, "MinMaxPos",
                    minMax.isValid() ? minMax.toString().toStdString() : "-1,-1,-1,-1");

    // The restored rectangle: normalGeometry() is the client area, so shift it
    // by the frame's offset to get the frame position used when reading.
    QRect normal = (window.isMaximized() || window.isMinimized()) ? window.normalGeometry()
                                                                  : window.geometry();
    if (!normal.isValid())
        normal = window.geometry();
    const QPoint frameOffset = window.geometry().topLeft() - window.pos();
    const QPoint at = normal.topLeft() - frameOffset;
    ini.WriteString(
        section, "NormPos",
        FourNumbers({at.x(), at.y(), at.x() + normal.width(), at.y() + normal.height()}));
    ini.WriteString(section, "Visible", "0");
}

} // namespace tavik
