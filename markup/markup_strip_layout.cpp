#include "markup/markup_strip_layout.h"

#include <algorithm>
#include <cstdlib>

#include "base/dpi_scale.h"

namespace {

// Sizes at 96 DPI.
constexpr int32_t kPadding = 4;        // around the buttons, inside the strip
constexpr int32_t kButtonSide = 32;    // every button is square
constexpr int32_t kButtonGap = 2;      // between two buttons of one group
constexpr int32_t kSeparatorWidth = 9; // between two groups, with a line in its middle
constexpr int32_t kSelectionGap = 8;   // between the strip and the selection
constexpr int32_t kPopoutGap = 4;      // between the strip and a pop-out or tooltip
constexpr int32_t kSwatchSide = 24;
constexpr int32_t kSwatchGap = 4;
constexpr int32_t kTooltipPaddingX = 8;
constexpr int32_t kTooltipPaddingY = 4;
// The last button of each group but the last: tools, undo and redo, colour and width, then the three that end
// the overlay.
constexpr std::array<int32_t, 3> kGroupEnds = {7, 9, 11};

bool Inside(const Rect& r, const Point& p) {
    return r.left <= p.x && p.x < r.right && r.top <= p.y && p.y < r.bottom;
}

// The start of a span of `size` moved as little as possible to lie within [low, high); a span larger than
// the room starts at `low`.
int64_t KeepWithin(int64_t start, int64_t size, int64_t low, int64_t high) {
    if (size >= high - low) {
        return low;
    }
    return std::clamp(start, low, high - size);
}

Rect MakeRect(int64_t left, int64_t top, int64_t width, int64_t height) {
    return Rect{SaturateToInt32(left), SaturateToInt32(top), SaturateToInt32(left + width),
                SaturateToInt32(top + height)};
}

// How far a point lies from a rectangle, along both axes together; 0 inside.
int64_t DistanceTo(const Rect& r, const Point& p) {
    const int64_t x = p.x < r.left     ? static_cast<int64_t>(r.left) - p.x
                      : p.x >= r.right ? static_cast<int64_t>(p.x) - r.right + 1
                                       : 0;
    const int64_t y = p.y < r.top       ? static_cast<int64_t>(r.top) - p.y
                      : p.y >= r.bottom ? static_cast<int64_t>(p.y) - r.bottom + 1
                                        : 0;
    return x + y;
}

// The buttons laid out from the strip's top-left corner at a DPI; the strip's width and height come back.
StripLayout LayOutButtons(int64_t left, int64_t top, int32_t dpi, int64_t& width, int64_t& height) {
    StripLayout layout;
    layout.dpi = dpi;
    const int64_t padding = ScaleForDpi(kPadding, dpi);
    const int64_t side = ScaleForDpi(kButtonSide, dpi);
    int64_t x = left + padding;
    size_t group = 0;
    for (int32_t i = 0; i < kStripButtonCount; ++i) {
        layout.buttons[static_cast<size_t>(i)] = MakeRect(x, top + padding, side, side);
        x += side;
        if (group < kGroupEnds.size() && i == kGroupEnds[group]) {
            const int64_t separator = ScaleForDpi(kSeparatorWidth, dpi);
            layout.separators[group] = SaturateToInt32(x + separator / 2);
            x += separator;
            ++group;
        } else if (i + 1 < kStripButtonCount) {
            x += ScaleForDpi(kButtonGap, dpi);
        }
    }
    width = x + padding - left;
    height = 2 * padding + side;
    layout.strip = MakeRect(left, top, width, height);
    return layout;
}

StripLayout StripAt(int64_t left, int64_t top, int32_t dpi) {
    int64_t width = 0;
    int64_t height = 0;
    return LayOutButtons(left, top, dpi, width, height);
}

} // namespace

MonitorArea MonitorAt(const std::vector<MonitorArea>& monitors, const Point& p, const Rect& fallback) {
    const MonitorArea* nearest = nullptr;
    int64_t nearestDistance = 0;
    for (const MonitorArea& m : monitors) {
        const int64_t distance = DistanceTo(m.monitor, p);
        if (nearest == nullptr || distance < nearestDistance) {
            nearest = &m;
            nearestDistance = distance;
        }
    }
    if (nearest == nullptr) {
        return MonitorArea{fallback, fallback, kBaseDpi};
    }
    MonitorArea found = *nearest;
    found.dpi = UsableDpi(found.dpi);
    return found;
}

StripLayout PlaceStrip(const Rect& selection, const std::vector<MonitorArea>& monitors,
                       const Rect& virtualBounds) {
    // Where the strip's right end meets the selection: the bottom edge's right end, or the top edge's.
    const Point bottomEnd{SaturateToInt32(static_cast<int64_t>(selection.right) - 1),
                          SaturateToInt32(static_cast<int64_t>(selection.bottom) - 1)};
    const Point topEnd{bottomEnd.x, selection.top};
    const MonitorArea below = MonitorAt(monitors, bottomEnd, virtualBounds);
    const MonitorArea above = MonitorAt(monitors, topEnd, virtualBounds);

    int64_t width = 0;
    int64_t height = 0;
    LayOutButtons(0, 0, below.dpi, width, height);
    const Rect* work = &below.work;
    int32_t dpi = below.dpi;
    StripPlacement placement = StripPlacement::Below;
    int64_t top = static_cast<int64_t>(selection.bottom) + ScaleForDpi(kSelectionGap, below.dpi);
    if (top < work->top || top + height > work->bottom) {
        int64_t aboveWidth = 0;
        int64_t aboveHeight = 0;
        LayOutButtons(0, 0, above.dpi, aboveWidth, aboveHeight);
        const int64_t aboveTop =
            static_cast<int64_t>(selection.top) - ScaleForDpi(kSelectionGap, above.dpi) - aboveHeight;
        if (aboveTop >= above.work.top && aboveTop + aboveHeight <= above.work.bottom) {
            work = &above.work;
            dpi = above.dpi;
            width = aboveWidth;
            height = aboveHeight;
            top = aboveTop;
            placement = StripPlacement::Above;
        } else {
            // Neither fits: inside the selection, along its bottom edge.
            top = static_cast<int64_t>(selection.bottom) - ScaleForDpi(kSelectionGap, below.dpi) - height;
            top = KeepWithin(top, height, work->top, work->bottom);
            placement = StripPlacement::Inside;
        }
    }
    int64_t left = KeepWithin(static_cast<int64_t>(selection.right) - width, width, work->left, work->right);
    // Whatever the monitors report, the strip stays on the virtual screen.
    left = KeepWithin(left, width, virtualBounds.left, virtualBounds.right);
    top = KeepWithin(top, height, virtualBounds.top, virtualBounds.bottom);

    StripLayout layout = StripAt(left, top, dpi);
    layout.work = *work;
    layout.placement = placement;
    return layout;
}

bool StripContains(const StripLayout& layout, const Point& p) {
    return Inside(layout.strip, p);
}

int32_t StripButtonAt(const StripLayout& layout, const Point& p) {
    for (int32_t i = 0; i < kStripButtonCount; ++i) {
        if (Inside(layout.buttons[static_cast<size_t>(i)], p)) {
            return i;
        }
    }
    return kNoButton;
}

namespace {

// A panel of `width` x `height` at the strip: from `left`, under the strip where the work area has room,
// otherwise above it.
Rect BesideStrip(const StripLayout& layout, int64_t left, int64_t width, int64_t height) {
    const Rect& work = layout.work;
    const int64_t gap = ScaleForDpi(kPopoutGap, layout.dpi);
    int64_t top = static_cast<int64_t>(layout.strip.bottom) + gap;
    if (top + height > work.bottom) {
        top = static_cast<int64_t>(layout.strip.top) - gap - height;
    }
    top = KeepWithin(top, height, work.top, work.bottom);
    left = KeepWithin(left, width, work.left, work.right);
    return MakeRect(left, top, width, height);
}

} // namespace

PopoutLayout PlacePopout(const StripLayout& layout, Popout popout) {
    PopoutLayout result;
    if (popout == Popout::None) {
        return result;
    }
    const bool colours = popout == Popout::Colour;
    const int32_t count = colours ? 8 : 3;
    const int64_t side = ScaleForDpi(colours ? kSwatchSide : kButtonSide, layout.dpi);
    const int64_t gap = ScaleForDpi(colours ? kSwatchGap : kButtonGap, layout.dpi);
    const int64_t padding = ScaleForDpi(kPadding, layout.dpi);
    const int64_t width = 2 * padding + count * side + (count - 1) * gap;
    const int64_t height = 2 * padding + side;
    const StripButton anchor = colours ? StripButton::Colour : StripButton::Width;
    result.panel = BesideStrip(layout, layout.buttons[static_cast<size_t>(anchor)].left, width, height);
    for (int32_t i = 0; i < count; ++i) {
        result.items.push_back(MakeRect(static_cast<int64_t>(result.panel.left) + padding + i * (side + gap),
                                        static_cast<int64_t>(result.panel.top) + padding, side, side));
    }
    return result;
}

int32_t PopoutItemAt(const PopoutLayout& popout, const Point& p) {
    for (size_t i = 0; i < popout.items.size(); ++i) {
        if (Inside(popout.items[i], p)) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

TextId StripButtonTooltip(int32_t button) {
    if (button < 0 || button >= kStripButtonCount) {
        return kTextCount;
    }
    return kFirstStripTooltip + static_cast<TextId>(button);
}

int32_t TooltipPaddingX(int32_t dpi) {
    return ScaleForDpi(kTooltipPaddingX, dpi);
}

int32_t TooltipPaddingY(int32_t dpi) {
    return ScaleForDpi(kTooltipPaddingY, dpi);
}

Rect PlaceTooltip(const StripLayout& layout, int32_t button, int32_t textWidth, int32_t textHeight) {
    if (button < 0 || button >= kStripButtonCount) {
        return Rect();
    }
    const Rect& b = layout.buttons[static_cast<size_t>(button)];
    const int64_t width = static_cast<int64_t>(std::max(textWidth, 0)) + 2 * TooltipPaddingX(layout.dpi);
    const int64_t height = static_cast<int64_t>(std::max(textHeight, 0)) + 2 * TooltipPaddingY(layout.dpi);
    const int64_t centre = (static_cast<int64_t>(b.left) + b.right) / 2;
    return BesideStrip(layout, centre - width / 2, width, height);
}
