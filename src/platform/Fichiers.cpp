#include "Fichiers.h"

#include "Erreurs.h"
#include "NomsOctets.h"

#include <QStorageInfo>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace galvia {

QString avecSeparateur(const QString& chemin) {
    return chemin.endsWith(Separateur) ? chemin : chemin + Separateur;
}

QString nomDeFichier(const QString& chemin) {
    return chemin.mid(chemin.lastIndexOf(Separateur) + 1);
}

namespace {

// What a folder entry is, a symbolic link followed to its target.
enum class Sorte { Fichier, Dossier, Autre };

Sorte sorte(DIR* d, const dirent& e) {
    switch (e.d_type) {
    case DT_REG:
        return Sorte::Fichier;
    case DT_DIR:
        return Sorte::Dossier;
    case DT_LNK:
    case DT_UNKNOWN: {
        struct stat st {};
        if (::fstatat(::dirfd(d), e.d_name, &st, 0) != 0) return Sorte::Autre;
        return S_ISREG(st.st_mode)   ? Sorte::Fichier
               : S_ISDIR(st.st_mode) ? Sorte::Dossier
                                     : Sorte::Autre;
    }
    default:
        return Sorte::Autre;
    }
}

} // namespace

ListageDossier::ListageDossier(const QString& dossier, Masque masque)
    : masque_(masque) {
    try {
        const QByteArray nom = cheminSysteme(dossier.isEmpty() ? QStringLiteral(".") : dossier);
        dir_ = ::opendir(nom.constData());
    } catch (const Erreur&) {
        // A path no file system can hold lists nothing.
    }
}

ListageDossier::~ListageDossier() {
    if (dir_) ::closedir(static_cast<DIR*>(dir_));
}

QString ListageDossier::suivant() {
    if (!dir_) return {};
    DIR* d = static_cast<DIR*>(dir_);
    while (const dirent* e = ::readdir(d)) {
        const char* n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
        if (masque_ != Tout) {
            if (n[0] == '.') continue;
            const Sorte voulue = masque_ == Normal ? Sorte::Fichier : Sorte::Dossier;
            if (sorte(d, *e) != voulue) continue;
        }
        return nomDepuisOctets(n);
    }
    return {};
}

bool dossierListable(const QString& dossier) {
    // A listing that includes folder entries begins with the folder's own "." and "..":
    // any folder that opens yields a first entry, even an empty one.
    try {
        verifierDossier(dossier);
        return true;
    } catch (const Erreur&) {
        return false;
    }
}

void verifierDossier(const QString& dossier) {
    const QByteArray nom = cheminSysteme(dossier);
    DIR* d = ::opendir(nom.constData());
    if (!d) throw Erreur(erreurDossier(errno));
    ::closedir(d);
}

QStringList sousDossiers(const QString& dossier) {
    QStringList res;
    if (dossier.isEmpty()) return res;
    ListageDossier listage(dossier, ListageDossier::Dossiers);
    for (QString n = listage.suivant(); !n.isEmpty(); n = listage.suivant())
        res.append(n);
    return res;
}

std::vector<Volume> volumesMontes() {
    static const QList<QByteArray> pseudo = {
        "proc",        "sysfs",     "tmpfs",      "devtmpfs",   "overlay",
        "cgroup",      "cgroup2",   "devpts",     "securityfs", "pstore",
        "bpf",         "debugfs",   "tracefs",    "configfs",   "fusectl",
        "mqueue",      "hugetlbfs", "autofs",     "nsfs",       "ramfs",
        "binfmt_misc", "efivarfs",  "rpc_pipefs", "squashfs",   "fuse.gvfsd-fuse",
        "fuse.portal", "nfsd",      "selinuxfs",  "none"};
    std::vector<Volume> res{{QStringLiteral("/"), {}}};
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        if (!v.isValid() || !v.isReady() || pseudo.contains(v.fileSystemType())) continue;
        const QString racine = avecSeparateur(v.rootPath());
        if (racine == QLatin1String("/")) {
            res.front().libelle = v.name();
            continue;
        }
        bool deja = false;
        for (const Volume& x : res)
            deja = deja || x.racine == racine;
        if (!deja) res.push_back({racine, v.name()});
    }
    return res;
}

QString volumeDe(const QString& chemin) {
    // Qt looks paths up as UTF-8: it is given the folders above the first name that is
    // not. A mount point is a name its owner chose; one that is not UTF-8 is not met.
    QString connu = chemin;
    for (qsizetype i = 0; i < connu.size(); ++i)
        if (connu.at(i).isSurrogate() || connu.at(i).isNull()) {
            connu.truncate(connu.lastIndexOf(Separateur, i) + 1);
            break;
        }
    const QStorageInfo v(connu);
    return v.isValid() ? avecSeparateur(v.rootPath()) : QStringLiteral("/");
}

QString dossierCourant() {
    char* c = ::getcwd(nullptr, 0);
    if (!c) return QStringLiteral("/");
    QString res = nomDepuisOctets(c);
    ::free(c);
    return res;
}

bool changerDossierCourant(const QString& dossier) {
    try {
        return ::chdir(cheminSysteme(dossier).constData()) == 0;
    } catch (const Erreur&) {
        return false;
    }
}

QString dossierPersonnel() {
    const char* h = ::getenv("HOME");
    return h && *h ? nomDepuisOctets(h) : dossierCourant();
}

std::int64_t longueurFichier(const QString& chemin) {
    struct stat st {};
    if (!etatFichier(chemin, st)) throw Erreur(erreurDepuisErrno(errno));
    exigerFichierRegulier(st.st_mode);
    return st.st_size;
}

namespace {

// The folder at the bytes `dossier`, opened as DossierOuvert says: a descriptor, or -1
// with errno set.
int ouvrirDossier(const QByteArray& dossier) {
    constexpr int drapeaux = O_PATH | O_DIRECTORY | O_CLOEXEC;
    if (dossier.size() < PATH_MAX) return ::open(dossier.constData(), drapeaux);
    int fd = ::open(dossier.startsWith('/') ? "/" : ".", drapeaux);
    for (const QByteArray& composant : dossier.split('/')) {
        if (fd < 0) break;
        if (composant.isEmpty()) continue;
        const int suivant = ::openat(fd, composant.constData(), drapeaux);
        const int e = errno;
        ::close(fd);
        errno = e;
        fd = suivant;
    }
    return fd;
}

// A file's folder opened, and its name in it; `fd` -1 with errno set when the folder
// cannot be opened.
struct Emplacement {
    int fd = -1;
    QByteArray nom;
    explicit Emplacement(const QString& chemin) {
        const QByteArray octets = cheminSysteme(chemin);
        const qsizetype barre = octets.lastIndexOf('/');
        nom = octets.mid(barre + 1);
        fd = ouvrirDossier(barre < 0    ? QByteArray(".")
                           : barre == 0 ? QByteArray("/")
                                        : octets.left(barre));
    }
    ~Emplacement() {
        if (fd < 0) return;
        const int e = errno;
        ::close(fd);
        errno = e;
    }
    Emplacement(const Emplacement&) = delete;
    Emplacement& operator=(const Emplacement&) = delete;
};

} // namespace

DossierOuvert::DossierOuvert(const QString& dossier)
    : fd_(ouvrirDossier(cheminSysteme(dossier.isEmpty() ? QStringLiteral(".") : dossier))) {
    if (fd_ < 0) throw Erreur(erreurDossier(errno));
}

DossierOuvert::~DossierOuvert() {
    ::close(fd_);
}

int ouvrirFichier(const QString& chemin, int drapeaux) {
    const Emplacement e(chemin);
    return e.fd < 0 ? -1 : ::openat(e.fd, e.nom.constData(), drapeaux);
}

bool etatFichier(const QString& chemin, struct stat& etat) {
    const Emplacement e(chemin);
    return e.fd >= 0 && ::fstatat(e.fd, e.nom.constData(), &etat, 0) == 0;
}

} // namespace galvia
