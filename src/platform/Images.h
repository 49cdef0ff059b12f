// Picture decoding for Galvia: one decode per load, sizes read from headers, reduced
// decodes for thumbnails. Failures are numbered errors.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <cstdint>
#include <functional>

namespace galvia {

// Largest picture side the program accepts (16-bit sizes).
inline constexpr int CoteMaximal = 32767;
// Largest decoded picture, in bytes.
inline constexpr int LimiteAllocationMo = 1024;

// Raises the decoders' allocation limit to 1 GiB; call once at start-up.
void preparerDecodeurs();

// Decodes a picture at natural size, its EXIF orientation applied (the first frame of
// an animation). Throws an Erreur: 53 missing, 70 unreadable, 481 not a picture,
// 6 a side beyond 32767 pixels, 7 larger than the allocation limit.
QImage chargerImage(const QString& chemin);

// The natural size as displayed (orientation applied), read from the header without
// decoding pixels. Throws like chargerImage.
QSize tailleNaturelle(const QString& chemin);

// Runs once the header has been read, before any pixel is decoded, with the peak memory
// the decode will take (memoireDecodage, BudgetDecodage.h); it may wait, or throw to
// give the decode up.
using AvantDecodage = std::function<void(std::int64_t octets)>;

// Decodes a picture directly at a reduced size (the decoder scales while decoding when
// it can). Throws like chargerImage. `avant` is given the decode's peak memory plus the
// file's bytes when they are read whole first (a jpeg).
QImage chargerReduite(const QString& chemin, QSize taille, const AvantDecodage& avant = {});

// Like chargerReduite, the file opened once: `taille` gets the natural size as displayed
// (orientation applied) and gives the size to decode at; an invalid size decodes at
// natural size.
QImage chargerVignette(const QString& chemin, const std::function<QSize(QSize naturelle)>& taille,
                       const AvantDecodage& avant = {});

} // namespace galvia
