// What drawing a shape costs Qt's rasteriser, estimated from its outline before it is drawn.
// Pure computations on device coordinates; the player charges their results to a budget.
#pragma once

#include <QPointF>
#include <QSize>

#include <functional>
#include <span>
#include <vector>

namespace galvia::wmf {

// The scan conversion of an outline on a target of rows x columns pixels.
//  - cells: the coverage cells the rasteriser visits, one per row an edge crosses (within
//    the target) plus one per column it runs along;
//  - bandWalk: Qt renders a crowded outline in horizontal bands, down to one row high, and
//    walks every edge that meets a band along all of its rows, even those outside the
//    target, for each band: the rows of an edge times the bands it meets;
//  - bandVisits: every band looks at every edge, if only to reject it;
//  - crowding: within a row the rasteriser keeps its cells in a sorted list, so a row of k
//    cells costs k squared; summed over the rows.
struct ScanCost {
    double cells = 0;
    double bandWalk = 0;
    double bandVisits = 0;
    double crowding = 0;
};

// Calls edge(a, b) for each edge of the outline: the points are cut into paths of the given
// sizes (one path of them all when sizes is empty), each closed back to its first point when
// closed is true.
void forEachEdge(std::span<const QPointF> points, std::span<const int> sizes, bool closed,
                 const std::function<void(QPointF, QPointF)>& edge);

// Measures an outline (see forEachEdge). A pen of penWidth pixels turns each edge into two,
// each reaching half the width further up and down. rowCells is a scratch buffer the caller
// keeps between calls for the same target, left all zero.
ScanCost scanCost(std::span<const QPointF> points, std::span<const int> sizes, bool closed,
                  double penWidth, QSize target, std::vector<double>& rowCells);

} // namespace galvia::wmf
