#include "Renommage.h"

#include "Erreurs.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace galvia {

namespace {

// A folder opened for the *at() calls, closed on every path out.
class DossierOuvert {
public:
    explicit DossierOuvert(const QString& dossier)
        : fd_(::open(
              QFile::encodeName(dossier.isEmpty() ? QStringLiteral(".") : dossier).constData(),
              O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (fd_ < 0) {
            const int e = errno;
            throw Erreur(e == ENOENT ? ErrCheminIntrouvable : erreurDepuisErrno(e));
        }
    }
    ~DossierOuvert() { ::close(fd_); }
    DossierOuvert(const DossierOuvert&) = delete;
    DossierOuvert& operator=(const DossierOuvert&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

[[noreturn]] void echec() {
    throw Erreur(erreurDepuisErrno(errno));
}

struct stat etatFichier(int dossier, const QByteArray& nom) {
    struct stat st {};
    if (::fstatat(dossier, nom.constData(), &st, 0) != 0) echec();
    return st;
}

// A bare name the file system can hold in a folder.
QByteArray nomSur(const QString& nom) {
    if (nom.isEmpty() || nom == QLatin1String(".") || nom == QLatin1String("..") ||
        nom.contains(QLatin1Char('/')) || nom.contains(QChar(0)))
        throw Erreur(ErrNomIncorrect);
    return QFile::encodeName(nom);
}

bool memeFichier(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// link + unlink, for file systems that refuse an exclusive rename: the link fails
// when the new name exists, so nothing is ever replaced. Returns 0 or an errno value.
int renommerParLien(int d, const QByteArray& ancien, const QByteArray& nouveau) {
    if (::linkat(d, ancien.constData(), d, nouveau.constData(), 0) != 0) return errno;
    if (::unlinkat(d, ancien.constData(), 0) != 0) {
        const int e = errno;
        ::unlinkat(d, nouveau.constData(), 0);
        return e;
    }
    return 0;
}

} // namespace

void oterLectureSeule(const QString& dossier, const QString& nom) {
    const DossierOuvert d(dossier);
    const QByteArray n = nomSur(nom);
    const struct stat st = etatFichier(d.fd(), n);
    if (st.st_mode & S_IWUSR) return;
    if (::fchmodat(d.fd(), n.constData(), (st.st_mode & 07777) | S_IWUSR, 0) != 0) echec();
}

void renommerSansRemplacer(const QString& dossier, const QString& ancien, const QString& nouveau) {
    const DossierOuvert d(dossier);
    const QByteArray a = nomSur(ancien);
    const QByteArray n = nomSur(nouveau);
    int e = ::renameat2(d.fd(), a.constData(), d.fd(), n.constData(), RENAME_NOREPLACE) == 0
                ? 0
                : errno;
    if (e == EINVAL || e == ENOSYS) e = renommerParLien(d.fd(), a, n);
    // On a file system that ignores case, the new name of a case change is the file
    // itself: only then may the plain rename run.
    if (e == EEXIST && ancien.compare(nouveau, Qt::CaseInsensitive) == 0 && ancien != nouveau &&
        memeFichier(etatFichier(d.fd(), a), etatFichier(d.fd(), n)))
        e = ::renameat(d.fd(), a.constData(), d.fd(), n.constData()) == 0 ? 0 : errno;
    if (e != 0) throw Erreur(erreurDepuisErrno(e));
}

} // namespace galvia
