#include "Banc.h"

#include "platform/NomsOctets.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace galvia::test {

QString dessiner(const QString& chemin, QSize taille, QColor couleur) {
    QDir().mkpath(QFileInfo(chemin).absolutePath());
    QImage image(taille, QImage::Format_RGB32);
    image.fill(couleur);
    QPainter p(&image);
    p.fillRect(QRect(0, 0, taille.width() / 2, taille.height() / 2), Qt::white);
    p.end();
    QString format = QFileInfo(chemin).suffix().toLower();
    if (format == QLatin1String("jpeg")) format = QStringLiteral("jpg");
    if (format != QLatin1String("gif")) {
        if (!image.save(chemin, format.toLatin1().constData()))
            qFatal("cannot write %s", qPrintable(chemin));
        return chemin;
    }
    // Qt reads GIF but does not write it: ImageMagick converts the picture.
    QProcess convert;
    convert.start(QStringLiteral("convert"),
                  {QStringLiteral("png:-"), QStringLiteral("GIF:") + chemin});
    image.save(&convert, "PNG");
    convert.closeWriteChannel();
    if (!convert.waitForFinished(60000) || convert.exitCode() != 0)
        qFatal("convert cannot write %s", qPrintable(chemin));
    return chemin;
}

QString ecrire(const QString& chemin, const QByteArray& contenu) {
    QDir().mkpath(QFileInfo(chemin).absolutePath());
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly) || f.write(contenu) != contenu.size())
        qFatal("cannot write %s", qPrintable(chemin));
    return chemin;
}

void poserOctets(const QByteArray& chemin, QSize taille, unsigned mode) {
    QImage image(taille, QImage::Format_RGB32);
    image.fill(Qt::red);
    QBuffer tampon;
    tampon.open(QIODevice::WriteOnly);
    image.save(&tampon, "BMP");
    const int fd = ::open(chemin.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0 || ::write(fd, tampon.data().constData(), tampon.size()) != tampon.size())
        qFatal("cannot write %s", chemin.constData());
    ::fchmod(fd, mode);
    ::close(fd);
}

namespace {

void viderChemin(const QByteArray& d) {
    ::chmod(d.constData(), 0700);
    DIR* r = ::opendir(d.constData());
    if (!r) return;
    while (const dirent* e = ::readdir(r)) {
        const QByteArray n = e->d_name;
        if (n == "." || n == "..") continue;
        const QByteArray chemin = d + '/' + n;
        struct stat st {};
        if (::lstat(chemin.constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
            viderChemin(chemin);
            ::rmdir(chemin.constData());
        } else {
            ::unlink(chemin.constData());
        }
    }
    ::closedir(r);
}

} // namespace

void viderOctets(const QString& dossier) {
    viderChemin(octetsDuNom(dossier));
}

qint64 octetsLus() {
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly)) qFatal("no /proc/self/io");
    for (const QByteArray& ligne : io.readAll().split('\n'))
        if (ligne.startsWith("rchar:")) return ligne.mid(6).trimmed().toLongLong();
    qFatal("no rchar");
}

QStringList Banc::messages() const {
    QStringList r = boites();
    for (QString& t : r)
        t = t.section(u'|', 2);
    return r;
}

QStringList Banc::boites() const {
    static const char* const icones[] = {"Aucune", "Critique", "Information"};
    QStringList r;
    for (const BoiteMessage& m : plateforme.messages)
        r.append(m.titre + u'|' + QLatin1String(icones[int(m.icone)]) + u'|' + m.texte);
    return r;
}

} // namespace galvia::test
