#include "CacheVignettes.h"

#include "BudgetDecodage.h"
#include "Couleurs.h"
#include "TextesPng.h"
#include "platform/Erreurs.h"
#include "platform/NomsOctets.h"

#include <QBuffer>
#include <QColorSpace>
#include <QCryptographicHash>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QMimeDatabase>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#ifndef GALVIA_VERSION
#define GALVIA_VERSION "0"
#endif

namespace galvia {

namespace {

constexpr char Logiciel[] = "Galvia " GALVIA_VERSION;
constexpr char DossierEchecs[] = "fail/galvia-" GALVIA_VERSION;

// The bytes a path keeps as they are in a URI: the unreserved characters, the
// sub-delimiters but ";", and ":", "@" and "/".
bool garde(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    static constexpr QByteArrayView autres("!$&'()*+,-.:=@_~/");
    return autres.contains(char(c));
}

QByteArray echapper(QByteArrayView octets) {
    static constexpr char hex[] = "0123456789ABCDEF";
    QByteArray r;
    r.reserve(octets.size() * 3);
    for (const char o : octets) {
        const auto c = static_cast<unsigned char>(o);
        if (garde(c)) {
            r += o;
        } else {
            r += '%';
            r += hex[c >> 4];
            r += hex[c & 15];
        }
    }
    return r;
}

// Creates the missing folders of `chemin`, each 0700.
bool creerDossiers(const QByteArray& chemin) {
    struct stat st {};
    if (::stat(chemin.constData(), &st) == 0) return S_ISDIR(st.st_mode);
    for (qsizetype i = 1; i <= chemin.size(); ++i) {
        if (i < chemin.size() && chemin[i] != '/') continue;
        const QByteArray partie = chemin.left(i);
        if (::mkdir(partie.constData(), 0700) != 0 && errno != EEXIST) return false;
    }
    return ::stat(chemin.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The thumbnail at `chemin`, when it is valid for `fiche` (and names its URI, when
// `uri` is given); none otherwise.
std::optional<VignetteLue> lireVignette(const QByteArray& chemin, const FicheVignette& fiche,
                                        const QByteArray* uri, const AvantDecodage& avant) {
    // A thumbnail is small: read whole, its keys checked before any pixel is decoded.
    constexpr qint64 TailleMax = qint64{16} << 20;
    const int fd = ::open(chemin.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0) return std::nullopt;
    QFile fichier;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > TailleMax ||
        !fichier.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return std::nullopt;
    }
    const QByteArray entete = fichier.read(24);
    if (entete.size() < 24 || entete.mid(12, 4) != "IHDR") return std::nullopt;
    const auto grand = [&](int i) {
        return qint64(quint8(entete[i])) << 24 | quint8(entete[i + 1]) << 16 |
               quint8(entete[i + 2]) << 8 | quint8(entete[i + 3]);
    };
    const qint64 largeur = grand(16), hauteur = grand(20);
    if (largeur < 1 || hauteur < 1 || largeur > 4096 || hauteur > 4096) return std::nullopt;
    if (avant) avant(st.st_size + 8 * largeur * hauteur);
    QByteArray png = entete + fichier.readAll();
    const TextesPng textes = textesPng(png);
    const auto cle = [&](QLatin1StringView nom) {
        for (const auto& [k, v] : textes)
            if (k == nom) return v;
        return QString();
    };
    if (uri && cle(QLatin1StringView("Thumb::URI")) != QLatin1StringView(*uri)) return std::nullopt;
    if (!vignetteValide(cle(QLatin1StringView("Thumb::MTime")),
                        cle(QLatin1StringView("Thumb::Size")), fiche.mtime, fiche.taille))
        return std::nullopt;
    QBuffer tampon(&png);
    tampon.open(QIODevice::ReadOnly);
    QImageReader lecteur(&tampon, "png");
    QImage image;
    if (!lecteur.read(&image) || image.isNull()) return std::nullopt;
    VignetteLue v{image, image.size(), false};
    const int l = cle(QLatin1StringView("Thumb::Image::Width")).toInt();
    const int h = cle(QLatin1StringView("Thumb::Image::Height")).toInt();
    if (l > 0 && h > 0 && l <= CoteMaximal && h <= CoteMaximal) v.naturelle = QSize(l, h);
    return v;
}

// The size of a picture's thumbnail of class `classe`: its longer side the class's.
QSize tailleClasse(QSize naturelle, int classe) {
    const int grand = std::max(naturelle.width(), naturelle.height());
    const auto cote = [&](int c) {
        return std::max(1, static_cast<int>(std::lround(double(c) * classe / grand)));
    };
    return naturelle.width() >= naturelle.height() ? QSize(classe, cote(naturelle.height()))
                                                   : QSize(cote(naturelle.width()), classe);
}

} // namespace

QByteArray uriDuChemin(QByteArrayView chemin) {
    return "file://" + echapper(chemin);
}

QByteArray nomVignette(QByteArrayView uri) {
    return QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex() + ".png";
}

int classeVignette(int cote) {
    for (const int c : ClassesVignettes)
        if (c >= cote) return c;
    return 0;
}

QByteArray dossierClasse(int classe) {
    switch (classe) {
    case 128:
        return "normal";
    case 256:
        return "large";
    case 512:
        return "x-large";
    case 1024:
        return "xx-large";
    default:
        return {};
    }
}

bool vignetteValide(const QString& mtime, const QString& taille, std::int64_t mtimeFichier,
                    std::int64_t tailleFichier) {
    bool ok = false;
    if (mtime.trimmed().toLongLong(&ok) != mtimeFichier || !ok) return false;
    if (taille.isNull()) return true;
    return taille.trimmed().toLongLong(&ok) == tailleFichier && ok;
}

CacheVignettes::CacheVignettes(QString racine)
    : racine_(std::move(racine)) {
    try {
        if (!racine_.isEmpty()) miniatures_ = cheminSysteme(racine_) + "/thumbnails";
    } catch (const Erreur&) {
    }
}

CacheVignettes& CacheVignettes::commun() {
    static CacheVignettes cache([] {
        const QByteArray xdg = qgetenv("XDG_CACHE_HOME");
        if (xdg.startsWith('/') && !xdg.trimmed().isEmpty()) return nomDepuisOctets(xdg);
        const QByteArray maison = qgetenv("HOME");
        if (maison.startsWith('/')) return nomDepuisOctets(maison + "/.cache");
        return QString();
    }());
    return cache;
}

std::optional<FicheVignette> CacheVignettes::fiche(const QString& chemin) const {
    if (miniatures_.isEmpty()) return std::nullopt;
    FicheVignette f;
    try {
        f.chemin = cheminSysteme(chemin);
    } catch (const Erreur&) {
        return std::nullopt;
    }
    if (!f.chemin.startsWith('/')) {
        char dossier[4096];
        if (::getcwd(dossier, sizeof dossier) == nullptr) return std::nullopt;
        f.chemin = QByteArray(dossier) + '/' + f.chemin;
    }
    if (f.chemin.startsWith(miniatures_ + '/') || f.chemin.contains("/.sh_thumbnails/"))
        return std::nullopt;
    struct stat st {};
    if (::stat(f.chemin.constData(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    if (::access(f.chemin.constData(), R_OK) != 0) return std::nullopt;
    f.mtime = st.st_mtim.tv_sec;
    f.taille = st.st_size;
    f.uri = uriDuChemin(f.chemin);
    return f;
}

std::optional<VignetteLue> CacheVignettes::chercher(const FicheVignette& fiche, int classe,
                                                    const AvantDecodage& avant) const {
    if (miniatures_.isEmpty()) return std::nullopt;
    const QByteArray nom = nomVignette(fiche.uri);
    for (const int c : ClassesVignettes)
        if (c >= classe)
            if (auto v = lireVignette(miniatures_ + '/' + dossierClasse(c) + '/' + nom, fiche,
                                      &fiche.uri, avant))
                return v;
    // The folder's own thumbnails, named by the URI relative to the folder.
    const qsizetype barre = fiche.chemin.lastIndexOf('/');
    const QByteArray partages = fiche.chemin.left(barre) + "/.sh_thumbnails/";
    const QByteArray nomPartage = nomVignette("./" + echapper(fiche.chemin.mid(barre + 1)));
    for (const int c : ClassesVignettes)
        if (c >= classe)
            if (auto v = lireVignette(partages + dossierClasse(c) + '/' + nomPartage, fiche,
                                      nullptr, avant))
                return v;
    if (auto v =
            lireVignette(miniatures_ + '/' + DossierEchecs + '/' + nom, fiche, &fiche.uri, avant))
        return VignetteLue{{}, {}, true};
    return std::nullopt;
}

bool CacheVignettes::inscriptible() const {
    QByteArray dossier = miniatures_;
    struct stat st {};
    while (!dossier.isEmpty() && ::stat(dossier.constData(), &st) != 0)
        dossier.truncate(dossier.lastIndexOf('/'));
    return !dossier.isEmpty() && S_ISDIR(st.st_mode) &&
           ::access(dossier.constData(), W_OK | X_OK) == 0;
}

bool CacheVignettes::ecrirePng(const QByteArray& dossier, const QByteArray& nom,
                               const QImage& image, const TextesPng& textes) const {
    QByteArray png;
    {
        QBuffer tampon(&png);
        tampon.open(QIODevice::WriteOnly);
        if (!QImageWriter(&tampon, "png").write(image)) return false;
    }
    png = ajouterTextesPng(png, textes);
    if (!creerDossiers(dossier)) return false;
    // Written whole under a temporary name, then renamed over the old thumbnail: a
    // reader sees the old one or the new one, never a part.
    QByteArray temporaire = dossier + "/.galvia-XXXXXX";
    const int fd = ::mkostemp(temporaire.data(), O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fchmod(fd, 0600) == 0;
    for (qsizetype fait = 0; ok && fait < png.size();) {
        const ssize_t n =
            ::write(fd, png.constData() + fait, static_cast<size_t>(png.size() - fait));
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        fait += ok ? n : 0;
    }
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temporaire.constData(), (dossier + '/' + nom).constData()) == 0;
    if (!ok) ::unlink(temporaire.constData());
    return ok;
}

bool CacheVignettes::ecrire(const FicheVignette& fiche, const QImage& vignette, QSize naturelle,
                            const QString& mime) const {
    const QByteArray classe = dossierClasse(std::max(vignette.width(), vignette.height()));
    if (miniatures_.isEmpty() || classe.isEmpty()) return false;
    QImage image = vignette.convertToFormat(vignette.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                       : QImage::Format_RGB32);
    if (image.colorSpace().isValid() && image.colorSpace() != QColorSpace(QColorSpace::SRgb))
        image.convertToColorSpace(QColorSpace(QColorSpace::SRgb));
    TextesPng textes{{QStringLiteral("Thumb::URI"), QString::fromLatin1(fiche.uri)},
                     {QStringLiteral("Thumb::MTime"), QString::number(fiche.mtime)},
                     {QStringLiteral("Thumb::Size"), QString::number(fiche.taille)},
                     {QStringLiteral("Thumb::Image::Width"), QString::number(naturelle.width())},
                     {QStringLiteral("Thumb::Image::Height"), QString::number(naturelle.height())},
                     {QStringLiteral("Software"), QString::fromLatin1(Logiciel)}};
    if (!mime.isEmpty()) textes.emplace_back(QStringLiteral("Thumb::Mimetype"), mime);
    return ecrirePng(miniatures_ + '/' + classe, nomVignette(fiche.uri), image, textes);
}

bool CacheVignettes::ecrireEchec(const FicheVignette& fiche) const {
    if (miniatures_.isEmpty()) return false;
    QImage vide(1, 1, QImage::Format_ARGB32);
    vide.fill(Qt::transparent);
    return ecrirePng(miniatures_ + '/' + DossierEchecs, nomVignette(fiche.uri), vide,
                     {{QStringLiteral("Thumb::URI"), QString::fromLatin1(fiche.uri)},
                      {QStringLiteral("Thumb::MTime"), QString::number(fiche.mtime)},
                      {QStringLiteral("Thumb::Size"), QString::number(fiche.taille)},
                      {QStringLiteral("Software"), QString::fromLatin1(Logiciel)}});
}

QImage chargerVignetteCache(const CacheVignettes* cache, const QString& chemin, int coteCase,
                            const std::function<QSize(QSize naturelle)>& taille,
                            const AvantDecodage& avant, std::function<void()>* aEcrire,
                            const std::atomic<bool>* abandon, BudgetMemoire& budget) {
    const int classe = classeVignette(coteCase);
    std::optional<FicheVignette> fiche;
    if (cache && classe > 0) fiche = cache->fiche(chemin);
    if (fiche) {
        if (std::optional<VignetteLue> lue = cache->chercher(*fiche, classe, avant)) {
            if (lue->echec) throw Erreur(ErrImageIncorrecte);
            const QSize cible = taille(lue->naturelle);
            QImage image = lue->image;
            if (cible.isValid() && !cible.isEmpty() && cible != image.size())
                image = image.scaled(cible, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            convertirCouleurs(image, {}, profilEcran()); // kept in sRGB
            return image;
        }
    }
    // Decoded at the class's size when a thumbnail is to be written, then shrunk to the
    // cell's; a picture smaller than its class gets no thumbnail. A cache that cannot be
    // written leaves the decode as it is without one.
    if (fiche && !(aEcrire && cache->inscriptible())) fiche.reset();
    QSize naturelle, montree;
    bool vignette = false;
    QImage image;
    // Decoded in the file's colours: the thumbnail kept is written in sRGB, the one
    // shown in the screen's colours.
    const ConversionDifferee couleurs;
    try {
        image = chargerVignette(
            chemin,
            [&](QSize n) {
                naturelle = n;
                montree = taille(n);
                vignette = fiche && std::max(n.width(), n.height()) >= classe &&
                           montree.isValid() && montree.width() <= classe &&
                           montree.height() <= classe;
                return vignette ? tailleClasse(n, classe) : montree;
            },
            avant, {}, abandon);
    } catch (const Erreur&) {
        if (fiche)
            *aEcrire = [cache, f = *fiche, &budget] {
                const BudgetMemoire::Reservation r = budget.reserver(std::int64_t{1} << 16);
                if (r) cache->ecrireEchec(f);
            };
        throw;
    }
    if (!vignette || std::max(image.width(), image.height()) != classe) {
        couleurs.convertir(image);
        return image;
    }
    *aEcrire = [cache, f = *fiche, image, naturelle, chemin, source = couleurs.source(), &budget] {
        // Its colours and the writer's conversion, and the writer's own buffers.
        const BudgetMemoire::Reservation r =
            budget.reserver(3 * image.sizeInBytes() + (std::int64_t{1} << 16));
        if (!r) return; // Galvia is quitting
        QImage srgb = image;
        convertirCouleurs(srgb, source, {});
        srgb.setColorSpace(QColorSpace()); // sRGB now, whatever profile Qt read: no more
        const QString mime =
            QMimeDatabase().mimeTypeForFile(chemin, QMimeDatabase::MatchExtension).name();
        cache->ecrire(f, srgb, naturelle, mime);
    };
    QImage affichee = image.size() == montree
                          ? image
                          : image.scaled(montree, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    couleurs.convertir(affichee);
    return affichee;
}

} // namespace galvia
