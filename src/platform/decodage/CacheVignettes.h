// The desktop's thumbnail cache, shared with the file managers and image tools of the
// desktop (the freedesktop.org thumbnail managing standard, version 0.9.0): the
// thumbnails of a user live under $XDG_CACHE_HOME/thumbnails (~/.cache/thumbnails by
// default), one folder per size class (normal 128, large 256, x-large 512, xx-large
// 1024 pixels on the longer side), each a PNG named by the MD5 of the picture's URI and
// carrying the picture's date and size, which tell whether it still holds. A folder of
// pictures may carry its own read-only thumbnails in `.sh_thumbnails/<class>/`. A
// picture no decoder could read leaves an empty PNG under `fail/galvia-<version>/`.
//
// Galvia reads a thumbnail instead of decoding the picture when one is valid, and writes
// the one it had to decode. A cache that cannot be read or written costs nothing but the
// decodes: every failure here is silent.
#pragma once

#include "Images.h"
#include "TextesPng.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QSize>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace galvia {

// The size classes: the longest side of the thumbnails of each.
inline constexpr std::array<int, 4> ClassesVignettes{128, 256, 512, 1024};

// The URI of an absolute path given as bytes: "file://" followed by the path, every byte
// outside the letters, the digits, "/" and !$&'()*+,-.:=@_~ written %XX (upper-case
// hex), as the desktop's libraries write it.
QByteArray uriDuChemin(QByteArrayView chemin);

// The name of a thumbnail: the MD5 of `uri` in lower-case hex, then ".png".
QByteArray nomVignette(QByteArrayView uri);

// The smallest class whose thumbnails cover a side of `cote` pixels; 0 when none does.
int classeVignette(int cote);

// The folder of a class ("normal", "large", "x-large", "xx-large"); empty for another size.
QByteArray dossierClasse(int classe);

// A thumbnail holds for a file when its date (whole seconds) is the file's and, when it
// gives one, its size is the file's; the texts are the thumbnail's Thumb::MTime and
// Thumb::Size, null when missing.
bool vignetteValide(const QString& mtime, const QString& taille, std::int64_t mtimeFichier,
                    std::int64_t tailleFichier);

// What the cache knows of a picture, from its metadata alone.
struct FicheVignette {
    QByteArray chemin; // the absolute path, bytes
    QByteArray uri;
    std::int64_t mtime = 0;
    std::int64_t taille = 0;
};

// A thumbnail read from the cache: its picture and the picture's natural size (as
// displayed), or a failure entry (a picture no decoder could read, unchanged since).
struct VignetteLue {
    QImage image;
    QSize naturelle;
    bool echec = false;
};

class CacheVignettes {
public:
    // The cache under `racine` (the folder holding "thumbnails"); an empty root is no
    // cache at all.
    explicit CacheVignettes(QString racine);
    CacheVignettes(const CacheVignettes&) = delete;
    CacheVignettes& operator=(const CacheVignettes&) = delete;

    // The user's cache: under $XDG_CACHE_HOME when set and not blank, else under
    // $HOME/.cache; none without either. Read once, at first use.
    static CacheVignettes& commun();

    const QString& racine() const { return racine_; }

    // The metadata of a picture the cache may serve: a regular file the user can read,
    // outside the thumbnail folders; none otherwise (and then nothing is read or
    // written for it). Only stat and access: the file is not opened.
    std::optional<FicheVignette> fiche(const QString& chemin) const;

    // A valid thumbnail of class `classe` or larger (never smaller), from the user's
    // cache first, then from the picture's folder's shared thumbnails; else a valid
    // failure entry of Galvia's; else none. `avant` is given the memory a thumbnail's
    // decode takes, like a decode's (Images.h), and may throw to give it up.
    std::optional<VignetteLue> chercher(const FicheVignette& fiche, int classe,
                                        const AvantDecodage& avant = {}) const;

    // Whether thumbnails can be written: the cache's folder, or its nearest existing
    // parent, is a folder the user may write in.
    bool inscriptible() const;

    // Writes the thumbnail of a picture, its longer side exactly `classe`, with the
    // picture's natural size and MIME type; a temporary file in the class's folder,
    // renamed over the old thumbnail. False when nothing was written.
    bool ecrire(const FicheVignette& fiche, const QImage& vignette, QSize naturelle,
                const QString& mime) const;
    // Writes the failure entry of a picture no decoder could read.
    bool ecrireEchec(const FicheVignette& fiche) const;

private:
    bool ecrirePng(const QByteArray& dossier, const QByteArray& nom, const QImage& image,
                   const TextesPng& textes) const;

    QString racine_;
    QByteArray miniatures_; // racine/thumbnails, bytes
};

// The decode of a slide's thumbnail through the cache: `taille` gets the natural size
// and gives the size to show (as chargerVignette). A valid thumbnail of the class
// covering `coteCase` pixels is read and scaled, without opening the picture; a failure
// entry throws as the decode did. Otherwise the picture is decoded (chargerVignette), at
// its class's size when the picture is at least that large, and `aEcrire` is given the
// writing of its thumbnail (or of its failure entry), to run later on a worker: it takes
// its memory from `budget`. Throws like chargerVignette.
QImage chargerVignetteCache(const CacheVignettes* cache, const QString& chemin, int coteCase,
                            const std::function<QSize(QSize naturelle)>& taille,
                            const AvantDecodage& avant, std::function<void()>* aEcrire,
                            const std::atomic<bool>* abandon = nullptr,
                            BudgetMemoire& budget = budgetDecodage());

} // namespace galvia
