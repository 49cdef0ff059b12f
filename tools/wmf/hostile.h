// Hostile metafiles: small files built to make a player work far more than their size
// suggests. Used by the tests, the benchmark and the fuzzer's seeds.
#pragma once

#include <QByteArray>
#include <QList>
#include <QSize>

namespace galvia::wmftools {

// The kinds of hostile file, and one file of a kind, built on demand (some are tens of
// megabytes).
QList<const char*> hostileKinds();
QByteArray hostileFile(const char* kind);

// Not hostile, for comparison: a typical clip art of the given pixel size, a few large
// background shapes under many small details drawn as filled polygons and ellipses in fresh
// brushes, outlines and some text, in logical units of a quarter of a pixel.
QByteArray richPicture(QSize size, int records);

} // namespace galvia::wmftools
