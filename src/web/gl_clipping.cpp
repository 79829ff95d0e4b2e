#include "web/gl_clipping.h"

#include <algorithm>

namespace {
// The six planes as signed distances: inside where the distance is >= 0.
float distance(const ClipVertex& v, int plane) {
    switch (plane) {
        case 0: return v.w + v.x;
        case 1: return v.w - v.x;
        case 2: return v.w + v.y;
        case 3: return v.w - v.y;
        case 4: return v.w + v.z;
        default: return v.w - v.z;
    }
}

ClipVertex between(const ClipVertex& a, const ClipVertex& b, float t) {
    return {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.z + t * (b.z - a.z), a.w + t * (b.w - a.w)};
}

// Sutherland and Hodgman: one plane at a time.
ClipPolygon clipAgainst(const ClipPolygon& polygon, int plane) {
    ClipPolygon out;
    for (size_t i = 0; i < polygon.size(); ++i) {
        const ClipVertex& current = polygon[i];
        const ClipVertex& next = polygon[(i + 1) % polygon.size()];
        float dc = distance(current, plane), dn = distance(next, plane);
        if (dc >= 0) out.push_back(current);
        if ((dc >= 0) != (dn >= 0)) out.push_back(between(current, next, dc / (dc - dn)));
    }
    return out;
}
}  // namespace

bool insideVolume(const ClipVertex& v) {
    for (int plane = 0; plane < 6; ++plane)
        if (distance(v, plane) < 0) return false;
    return true;
}

ClipPolygon clipPolygon(const ClipPolygon& polygon) {
    ClipPolygon clipped = polygon;
    for (int plane = 0; plane < 6 && !clipped.empty(); ++plane) clipped = clipAgainst(clipped, plane);
    return clipped;
}

ClipPolygon clipSegment(ClipVertex a, ClipVertex b) {
    float t0 = 0, t1 = 1;
    for (int plane = 0; plane < 6; ++plane) {
        float da = distance(a, plane), db = distance(b, plane);
        if (da < 0 && db < 0) return {};
        if (da < 0) t0 = std::max(t0, da / (da - db));
        if (db < 0) t1 = std::min(t1, da / (da - db));
    }
    if (t0 > t1) return {};
    return {between(a, b, t0), between(a, b, t1)};
}
