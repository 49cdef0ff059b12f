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
// Drawing work, counted in covered output pixels, is bounded by a multiple of the
// picture area plus a fixed allowance, and never exceeds the absolute ceiling.
inline constexpr double pixelWorkPerArea = 32.0;
inline constexpr double pixelWorkAllowance = double(1 << 26);
inline constexpr double pixelWorkCeiling = double(1 << 30);
// Glyphs cost the rasteriser many times what a plain fill of their box does.
inline constexpr double textWorkPerPixel = 16.0;
} // namespace limits

} // namespace galvia::wmf
