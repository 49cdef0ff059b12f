#include "Renommage.h"

#include "Erreurs.h"
#include "Fichiers.h"
#include "NomsOctets.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace galvia {

namespace {

[[noreturn]] void echec() {
    throw Erreur(erreurDepuisErrno(errno));
}

// The entry itself: a symbolic link is looked at, not followed.
struct stat etatEntree(int dossier, const QByteArray& nom) {
    struct stat st {};
    if (::fstatat(dossier, nom.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) echec();
    return st;
}

// A bare name the file system can hold in a folder.
QByteArray nomSur(const QString& nom) {
    if (nom.isEmpty() || nom == QLatin1String(".") || nom == QLatin1String("..") ||
        nom.contains(QLatin1Char('/')) || nom.contains(QChar(0)))
        throw Erreur(ErrNomIncorrect);
    return octetsDuNom(nom);
}

bool memeFichier(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// link + unlink, for file systems that refuse an exclusive rename: the link fails
// when the new name exists, so nothing is ever replaced. Returns 0 or an errno value.
int renommerParLien(int d, const QByteArray& ancien, const QByteArray& nouveau) {
    if (appelsRenommage().lier(d, ancien.constData(), d, nouveau.constData()) != 0) return errno;
    if (::unlinkat(d, ancien.constData(), 0) != 0) {
        const int e = errno;
        ::unlinkat(d, nouveau.constData(), 0);
        return e;
    }
    return 0;
}

// The answers of a file system that offers neither an exclusive rename nor hard links.
bool nonOffert(int e) {
    return e == EINVAL || e == ENOSYS || e == EPERM || e == EOPNOTSUPP;
}

// Checks that the new name is free, then renames. Used only where the file system offers
// neither an exclusive rename nor hard links (FUSE mounts such as exFAT or MTP, some
// network shares): there, a file created under the new name by another program between
// the check and the rename would be replaced. The window is a few microseconds wide and
// no race-free way exists on those mounts; everywhere else the paths above hold.
int renommerApresVerification(int d, const QByteArray& ancien, const QByteArray& nouveau) {
    struct stat st {};
    if (::fstatat(d, nouveau.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
    if (errno != ENOENT) return errno;
    return appelsRenommage().renommer(d, ancien.constData(), d, nouveau.constData()) == 0 ? 0
                                                                                          : errno;
}

int renommerExclusifSysteme(int d1, const char* a, int d2, const char* n) {
    return ::renameat2(d1, a, d2, n, RENAME_NOREPLACE);
}

int lierSysteme(int d1, const char* a, int d2, const char* n) {
    return ::linkat(d1, a, d2, n, 0);
}

// A descriptor closed on every path out.
struct Descripteur {
    int fd;
    ~Descripteur() {
        if (fd >= 0) ::close(fd);
    }
};

} // namespace

AppelsRenommage& appelsRenommage() {
    static AppelsRenommage appels{renommerExclusifSysteme, lierSysteme, ::renameat};
    return appels;
}

void oterLectureSeule(const QString& dossier, const QString& nom) {
    const DossierOuvert d(dossier);
    const QByteArray n = nomSur(nom);
    // The entry is opened once, without following a link, and everything below acts on
    // that descriptor: swapping the entry for a link meanwhile changes nothing.
    const Descripteur e{::openat(d.fd(), n.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC)};
    if (e.fd < 0) echec();
    struct stat st {};
    if (::fstat(e.fd, &st) != 0) echec();
    // A link's own mode means nothing: its target, maybe in another folder, is left
    // alone. Only a regular file has a read-only attribute to clear.
    if (!S_ISREG(st.st_mode) || (st.st_mode & S_IWUSR)) return;
    // fchmod refuses a path descriptor (EBADF), and this C library refuses
    // fchmodat(AT_EMPTY_PATH); the descriptor's entry under /proc/self/fd names the very
    // file opened, whatever its folder holds now. Without /proc, nothing is changed.
    const QByteArray parLui = "/proc/self/fd/" + QByteArray::number(e.fd);
    if (::chmod(parLui.constData(), (st.st_mode & 07777) | S_IWUSR) != 0)
        throw Erreur(errno == ENOENT ? ErrPermission : erreurDepuisErrno(errno));
}

void renommerSansRemplacer(const QString& dossier, const QString& ancien, const QString& nouveau) {
    const DossierOuvert d(dossier);
    const QByteArray a = nomSur(ancien);
    const QByteArray n = nomSur(nouveau);
    const AppelsRenommage& appels = appelsRenommage();
    int e = appels.renommerExclusif(d.fd(), a.constData(), d.fd(), n.constData()) == 0 ? 0 : errno;
    if (nonOffert(e)) {
        e = renommerParLien(d.fd(), a, n);
        if (nonOffert(e)) e = renommerApresVerification(d.fd(), a, n);
    }
    // On a file system that ignores case, the new name of a case change is the file
    // itself: only then may the plain rename run.
    if (e == EEXIST && ancien.compare(nouveau, Qt::CaseInsensitive) == 0 && ancien != nouveau &&
        memeFichier(etatEntree(d.fd(), a), etatEntree(d.fd(), n)))
        e = appels.renommer(d.fd(), a.constData(), d.fd(), n.constData()) == 0 ? 0 : errno;
    if (e != 0) throw Erreur(erreurDepuisErrno(e));
}

} // namespace galvia
