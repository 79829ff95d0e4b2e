#pragma once
// Clipping in homogeneous coordinates against GL's view volume,
// -w <= x, y, z <= w, as GL clips primitives before they are drawn.
#include <vector>

struct ClipVertex {
    float x, y, z, w;
};

using ClipPolygon = std::vector<ClipVertex>;

// What remains of a convex polygon inside the volume; empty when nothing.
ClipPolygon clipPolygon(const ClipPolygon& polygon);
// What remains of a segment: two vertices, or none.
ClipPolygon clipSegment(ClipVertex a, ClipVertex b);
bool insideVolume(const ClipVertex& v);
