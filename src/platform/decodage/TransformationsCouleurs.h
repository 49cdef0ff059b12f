// The lcms2 side of colour management, for Couleurs.cpp: transforms between two profiles,
// each built in an lcms2 context of its own (its allocations capped, its messages
// silenced), with the fast path for two matrix-and-curves RGB profiles, and cached per
// pair of profiles.
#pragma once

#include <QByteArray>
#include <array>
#include <atomic>
#include <cstddef>
#include <lcms2.h>
#include <memory>
#include <vector>

namespace galvia::couleurs {

// What a decoded picture holds, hence how its pixels go to lcms2.
enum class Genre { Rgb, Gris, Cmjn };

// Between two matrix-and-curves RGB profiles (nearly every photo and screen), the
// conversion lcms2 does, its curves and matrices read from the profiles, without its
// per-pixel dispatch: each byte's linear value, a 3 x 3 matrix from the file's RGB to the
// screen's through XYZ, then the screen's curve inverted, sampled at EntreesEncodage
// points (14 bits of linear light: off by a unit or two only in the very darkest codes of
// a pure gamma curve, and small enough to stay in cache; a table over the square root
// would be exact there but costs a third more time).
struct MatriceCourbes {
    std::array<std::array<float, 256>, 3> lineaire;
    std::array<float, 9> matrice;
    std::array<std::vector<uchar>, 3> encodage;
};

inline constexpr int EntreesEncodage = 16384;

// An lcms2 context with its own memory count; deleted with what it made.
struct Contexte {
    std::atomic<std::size_t> octets{0};
    cmsContext ctx = nullptr;
    Contexte();
    ~Contexte();
    Contexte(const Contexte&) = delete;
    Contexte& operator=(const Contexte&) = delete;
};

// A transform and the context it lives in.
struct Transformation {
    Contexte contexte;
    cmsHTRANSFORM t = nullptr;
    std::unique_ptr<MatriceCourbes> rapide; // for 32-bit RGB pictures, when it applies
    Transformation() = default;
    ~Transformation();
    Transformation(const Transformation&) = delete;
    Transformation& operator=(const Transformation&) = delete;
};

// The transform from `source` (empty: sRGB) to the screen's `ecran` (empty: sRGB) for
// pictures of genre `g`, built once per pair and genre (perceptual intent, relative
// colorimetric where a profile has no perceptual table); null when there is nothing to
// do or a profile is ignored. Safe from any thread.
std::shared_ptr<const Transformation> transformation(const QByteArray& source,
                                                     const QByteArray& ecran, Genre g);

// The genre a picture is given to lcms2 as, the source profile's colour space deciding
// between grey, CMYK and RGB.
Genre genreDe(const QByteArray& source);

} // namespace galvia::couleurs
