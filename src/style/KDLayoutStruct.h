#pragma once

// One entry of a chain that kdGeomCalc distributes a length over: a row of a form layout, or
// the stretch before or after its rows.
struct KDLayoutStruct
{
    // The largest size a layout hands out.
    static constexpr int MAX_SIZE = 524287;

    // Stretch s, minimum and hint m, unbounded, empty, no spacing.
    void init(int s = 0, int m = 0)
    {
        stretch = s;
        minimumSize = sizeHint = m;
        maximumSize = MAX_SIZE;
        expansive = false;
        empty = true;
        spacing = 0;
    }

    // A stretched entry asks only for its minimum and takes its share of the rest.
    int smartSizeHint() const { return stretch > 0 ? minimumSize : sizeHint; }
    // `uniform` below 0 means "each entry's own spacing".
    int effectiveSpacer(int uniform) const { return uniform >= 0 ? uniform : spacing; }

    int stretch = 0;
    int sizeHint = 0;
    int maximumSize = MAX_SIZE;
    int minimumSize = 0;
    bool expansive = false;
    // An empty entry takes no spacing after it.
    bool empty = true;
    // Spacing after this entry.
    int spacing = 0;
    bool done = false;
    int pos = 0;
    int size = 0;
};
