#pragma once

namespace eps {

// A %%BoundingBox, in points.
struct BoundingBox
{
    double llx = 0;
    double lly = 0;
    double urx = 0;
    double ury = 0;

    double width() const { return urx - llx; }
    double height() const { return ury - lly; }
};

} // namespace eps
