// Record numbers and fixed limits of Galvia's metafile player.
#pragma once

#include <QtGlobal>

namespace galvia::wmf {

// Record functions handled or recognised by the player.
enum Function : quint16 {
    EndOfFile = 0x0000,
    SaveDc = 0x001E,
    RealizePalette = 0x0035,
    SetPalEntries = 0x0037,
    CreatePalette = 0x00F7,
    SetBkMode = 0x0102,
    SetMapMode = 0x0103,
    SetRop2 = 0x0104,
    SetRelAbs = 0x0105,
    SetPolyFillMode = 0x0106,
    SetStretchBltMode = 0x0107,
    SetTextCharExtra = 0x0108,
    RestoreDc = 0x0127,
    InvertRegion = 0x012A,
    PaintRegion = 0x012B,
    SelectClipRegion = 0x012C,
    SelectObject = 0x012D,
    SetTextAlign = 0x012E,
    ResizePalette = 0x0139,
    DibCreatePatternBrush = 0x0142,
    SetLayout = 0x0149,
    DeleteObject = 0x01F0,
    CreatePatternBrush = 0x01F9,
    SetBkColor = 0x0201,
    SetTextColor = 0x0209,
    SetTextJustification = 0x020A,
    SetWindowOrg = 0x020B,
    SetWindowExt = 0x020C,
    SetViewportOrg = 0x020D,
    SetViewportExt = 0x020E,
    OffsetWindowOrg = 0x020F,
    OffsetViewportOrg = 0x0211,
    LineTo = 0x0213,
    MoveTo = 0x0214,
    OffsetClipRgn = 0x0220,
    FillRegion = 0x0228,
    SetMapperFlags = 0x0231,
    SelectPalette = 0x0234,
    CreatePenIndirect = 0x02FA,
    CreateFontIndirect = 0x02FB,
    CreateBrushIndirect = 0x02FC,
    Polygon = 0x0324,
    Polyline = 0x0325,
    ScaleWindowExt = 0x0410,
    ScaleViewportExt = 0x0412,
    ExcludeClipRect = 0x0415,
    FrameRegion = 0x0429,
    IntersectClipRect = 0x0416,
    Ellipse = 0x0418,
    Rectangle = 0x041B,
    SetPixel = 0x041F,
    TextOut = 0x0521,
    PolyPolygon = 0x0538,
    RoundRect = 0x061C,
    PatBlt = 0x061D,
    Escape = 0x0626,
    CreateRegion = 0x06FF,
    Arc = 0x0817,
    Pie = 0x081A,
    Chord = 0x0830,
    BitBlt = 0x0922,
    DibBitBlt = 0x0940,
    ExtTextOut = 0x0A32,
    StretchBlt = 0x0B23,
    DibStretchBlt = 0x0B41,
    SetDibToDev = 0x0D33,
    StretchDib = 0x0F43,
};

// Limits that keep hostile files within bounded time and memory.
namespace limits {
inline constexpr int maxNaturalSide = 32767;
inline constexpr qint64 maxFileBytes = qint64(256) << 20;
inline constexpr qint64 maxRecords = 2'000'000;
inline constexpr qint64 maxPrimitives = 250'000;
inline constexpr qint64 maxPoints = 8'000'000;
inline constexpr int maxSaveDepth = 256;
inline constexpr qint64 maxDibPixels = qint64(24) << 20;
inline constexpr qint64 maxDibPixelsTotal = qint64(96) << 20;
inline constexpr int maxObjects = 65535;
inline constexpr double maxFontPixels = 2048.0;
// Rectangles of one region, and of all the regions of a picture.
inline constexpr qint64 maxRegionRects = qint64(1) << 20;
inline constexpr qint64 maxRegionRectsTotal = qint64(4) << 20;
} // namespace limits

// The work budget of one picture, and what each kind of work costs against it. Units are
// roughly nanoseconds of this machine's time in Qt's rasteriser, measured on hostile files
// (bench_wmf_hostile prints the times), so that a picture's budget bounds the time it takes
// to answer.
namespace cost {
// A picture may spend a fixed allowance plus an amount per pixel of the picture, so that
// ordinary pictures drawn large still draw whole; at 1920 x 1080 that is about 0.3 s of
// work, well under the second a viewer can afford, and the ceiling keeps pictures drawn
// larger still (4000 x 3000 and beyond) near a second.
inline constexpr double budgetAllowance = 200e6;
inline constexpr double budgetPerPixel = 48;
inline constexpr double budgetCeiling = 600e6;
// Every record, whatever it does: reading and dispatching it.
inline constexpr double record = 40;
// Creating, selecting or deleting an object, saving the state of the painter.
inline constexpr double object = 200;
inline constexpr double saveState = 600;
// A point read and mapped, a pixel blended by a plain brush, by a patterned or hatched
// brush or a bitmap, a bitmap pixel decoded.
inline constexpr double point = 4;
inline constexpr double pixel = 1;
inline constexpr double patternPixel = 4;
inline constexpr double bitmapPixel = 8;
inline constexpr double decodedPixel = 12;
// Scan conversion (see wmfcost.h): a coverage cell, a step of a band's walk along an edge,
// an edge looked at by a band, a unit of a row's crowding (the square of its cells).
inline constexpr double cell = 20;
inline constexpr double bandStep = 15;
inline constexpr double bandVisit = 3;
inline constexpr double crowding = 1;
// A dashed wide pen cuts its line into dashes, each stroked on its own.
inline constexpr double dash = 400;
// A byte of text decoded from its code page, and from a double-byte one, cut into
// characters by its lead bytes.
inline constexpr double textByte = 4;
inline constexpr double doubleByteTextByte = 16;
// A glyph laid out and drawn, and each pixel of its em square.
inline constexpr double glyph = 3000;
inline constexpr double glyphPixel = 1;
// A change of the clipping region: rebuilding it touches every row of the picture and every
// rectangle of the region, and the painter keeps a record of each change while saved.
inline constexpr double clip = 2000;
inline constexpr double clipRow = 20;
inline constexpr double clipRect = 100;
inline constexpr double clipChange = 50;
// A region: each of its scans read, and at each use each of its rectangles mapped to the
// picture and merged with the others (a merge of n rectangles walks them log2(n) times).
inline constexpr double regionScan = 200;
inline constexpr double regionRect = 30;
// A clip of many rectangles is laid out by the painter, at the first drawing after it is set,
// as room for every rectangle on every row it spans: for each rectangle and each of those rows.
inline constexpr double clipSpan = 18;
// Drawing inside a clipping region of many rectangles, for each rectangle.
inline constexpr double clippedRect = 4;
} // namespace cost

} // namespace galvia::wmf
