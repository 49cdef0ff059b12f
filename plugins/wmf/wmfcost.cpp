#include "wmfcost.h"

#include <algorithm>
#include <cmath>

namespace galvia::wmf {

namespace {

// The rasteriser clips coordinates to about this many pixels either side of the target.
constexpr double coordinateLimit = double(1 << 23);
// Cells one band of the rasteriser holds before it is split in two.
constexpr double cellsPerBand = 64;
// Outlines with fewer edges than this cannot crowd a row enough to be worth a row count.
constexpr size_t crowdedEdges = 16;

// The rows an edge spans, all of them and those within the target (0 when it misses it).
struct EdgeRows {
    double all = 0;
    double shown = 0;
    int first = 0;
    int last = -1;
};

EdgeRows edgeRows(QPointF a, QPointF b, double reach, int rows) {
    const double top =
        std::clamp(std::min(a.y(), b.y()) - reach, -coordinateLimit, coordinateLimit);
    const double bottom =
        std::clamp(std::max(a.y(), b.y()) + reach, -coordinateLimit, coordinateLimit);
    EdgeRows e;
    e.all = bottom - top + 1;
    const double shownTop = std::max(top, 0.0);
    const double shownBottom = std::min(bottom, double(rows));
    if (shownBottom < shownTop) return e;
    e.first = int(shownTop);
    e.last = std::min(int(shownBottom), rows);
    e.shown = e.last - e.first + 1;
    return e;
}

} // namespace

void forEachEdge(std::span<const QPointF> points, std::span<const int> sizes, bool closed,
                 const std::function<void(QPointF, QPointF)>& edge) {
    const int whole[] = {int(points.size())};
    size_t at = 0;
    for (const int size : sizes.empty() ? std::span<const int>(whole) : sizes) {
        if (size <= 0) continue;
        const size_t n = qMin(size_t(size), points.size() - at);
        const std::span<const QPointF> path = points.subspan(at, n);
        at += n;
        for (size_t i = 1; i < n; ++i)
            edge(path[i - 1], path[i]);
        if (closed && n > 2) edge(path[n - 1], path[0]);
    }
}

ScanCost scanCost(std::span<const QPointF> points, std::span<const int> sizes, bool closed,
                  double penWidth, QSize target, std::vector<double>& rowCells) {
    ScanCost cost;
    const int rows = target.height();
    const double reach = penWidth / 2;
    const double sides = penWidth > 0 ? 2 : 1;
    const bool countRows = points.size() >= crowdedEdges;
    // The buffer is zeroed once, and each call puts back to zero only the rows it touched, so
    // that small outlines on a tall picture do not cost the picture's height.
    if (countRows && rowCells.size() < size_t(rows) + 2) rowCells.assign(size_t(rows) + 2, 0.0);
    int firstRow = rows;
    int lastRow = -1;
    double edges = 0;
    forEachEdge(points, sizes, closed, [&](QPointF a, QPointF b) {
        ++edges;
        const EdgeRows e = edgeRows(a, b, reach, rows);
        if (e.shown == 0) return; // wholly above or below: rejected at once
        const double run = std::min(std::abs(b.x() - a.x()) + penWidth, target.width() + 2.0);
        const double cells = sides * (e.shown + run);
        cost.cells += cells;
        if (countRows) {
            rowCells[size_t(e.first)] += cells / e.shown;
            rowCells[size_t(e.last) + 1] -= cells / e.shown;
            firstRow = std::min(firstRow, e.first);
            lastRow = std::max(lastRow, e.last);
        }
    });
    // Bands hold a bounded number of cells, so an edge meets at most as many bands as there
    // are, and no more than the rows it shows. Every band looks at every edge, if only to
    // reject it.
    const double bands = std::min(double(rows), 1 + cost.cells / cellsPerBand);
    cost.bandVisits = sides * edges * bands;
    forEachEdge(points, sizes, closed, [&](QPointF a, QPointF b) {
        const EdgeRows e = edgeRows(a, b, reach, rows);
        cost.bandWalk += sides * e.all * std::min(e.shown, bands);
    });
    double k = 0;
    for (int r = firstRow; r <= lastRow; ++r) {
        k += rowCells[size_t(r)];
        cost.crowding += k * k;
        rowCells[size_t(r)] = 0;
    }
    if (lastRow >= firstRow) rowCells[size_t(lastRow) + 1] = 0;
    return cost;
}

} // namespace galvia::wmf
