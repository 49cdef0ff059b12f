// Picture decoding for Galvia: one decode per load, sizes read from headers, reduced
// decodes for thumbnails. Failures are numbered errors.
#pragma once

#include "BudgetDecodage.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>

class QImageReader;

namespace galvia {

// Largest picture side the program accepts (16-bit sizes).
inline constexpr int CoteMaximal = 32767;
// Largest decode, in MiB: the whole decode budget (BudgetDecodage.h), its peak memory
// counted as the budget counts it.
inline constexpr int LimiteAllocationMo = static_cast<int>(BudgetDecodageOctets >> 20);

// Raises the decoders' allocation limit to 1 GiB; call once at start-up.
void preparerDecodeurs();

// How a decode ends early. A decode reads its file through a device that presents only
// the bytes its format can use (a GIF up to its trailer, a jpeg up to its EOI or as far
// as its scans can reach; see MarqueursJpeg.h), and that fails every read once its
// decode is abandoned: once `*abandon` (given to chargerReduite or chargerVignette) or
// decodagesArretes() (PoolDecodage.h, set when Galvia quits) is true, the decode throws
// DecodageAbandonne (BudgetDecodage.h) at its next read, a few KiB of data later. A jpeg read whole
// into memory is handed to libjpeg at once and cannot be stopped on the way: its work is bounded
// instead (it is refused as not a picture beyond BalayagesMax scans or PassesMax pictures' worth of
// them, MarqueursJpeg.h), and the flags are looked at before and after it.

// Decodes a picture at natural size, its EXIF orientation applied (the first frame of
// an animation). Throws an Erreur: 53 missing, 70 unreadable, 481 not a picture,
// 6 a side beyond 32767 pixels, 7 larger than the allocation limit (a decode whose
// peak memory, memoireDecodage, is beyond it).
QImage chargerImage(const QString& chemin);

// The natural size as displayed (orientation applied), read from the header without
// decoding pixels. Throws like chargerImage.
QSize tailleNaturelle(const QString& chemin);

// Runs once the header has been read, before any pixel is decoded, with the peak memory
// the decode will take (memoireDecodage, BudgetDecodage.h); it may wait, or throw to
// give the decode up.
using AvantDecodage = std::function<void(std::int64_t octets)>;

// Gives a jpeg decoded at natural size the picture to write its pixels into: one of the
// size and format asked, its pixels not initialised (every one is written), or a null
// picture for the decoder's own.
using Destination = std::function<QImage(QSize taille, QImage::Format format)>;

// Decodes a picture directly at a reduced size (the decoder scales while decoding when
// it can). Throws like chargerImage, or DecodageAbandonne once `*abandon` is true.
// `avant` is given the decode's peak memory plus the file's bytes when they are read
// whole first (a jpeg).
QImage chargerReduite(const QString& chemin, QSize taille, const AvantDecodage& avant = {},
                      const Destination& destination = {},
                      const std::atomic<bool>* abandon = nullptr);

// Shrinks a picture of 8 bits a pixel (indexed or grey) to `cible`, no larger in either
// direction: each target pixel is the average colour of the source pixels it covers
// (of 16 x 16 of them evenly spread when it covers more), taken straight from the 8-bit
// pixels, without a 32-bit copy of the whole picture. Returns a null picture for any
// other format or size.
QImage reduireHuitBits(const QImage& source, QSize cible);

// Whether the reader's decode, its scaled size set, goes through reduireHuitBits: a format
// that cannot scale while decoding, read 8 bits a pixel, shrunk.
bool decodeEnHuitBits(QImageReader& lecteur);

// Like chargerReduite, the file opened once: `taille` gets the natural size as displayed
// (orientation applied) and gives the size to decode at; an invalid size decodes at
// natural size.
QImage chargerVignette(const QString& chemin, const std::function<QSize(QSize naturelle)>& taille,
                       const AvantDecodage& avant = {}, const Destination& destination = {},
                       const std::atomic<bool>* abandon = nullptr);

} // namespace galvia
