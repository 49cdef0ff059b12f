#include "Banc.h"

#include "platform/NomsOctets.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace galvia::test {

namespace {

// Qt reads GIF but does not write it: a small writer, 3-3-2 palette, LZW codes kept at
// 9 bits by a clear code every 254 pixels.
QByteArray enGif(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    QByteArray o("GIF89a");
    auto mot = [&o](int v) {
        o.append(char(v & 0xff));
        o.append(char((v >> 8) & 0xff));
    };
    mot(image.width());
    mot(image.height());
    o.append(char(0xf7)); // global palette of 256 entries
    o.append(char(0));
    o.append(char(0));
    for (int i = 0; i < 256; ++i) {
        o.append(char(((i >> 5) & 7) * 255 / 7));
        o.append(char(((i >> 2) & 7) * 255 / 7));
        o.append(char((i & 3) * 255 / 3));
    }
    o.append(',');
    mot(0);
    mot(0);
    mot(image.width());
    mot(image.height());
    o.append(char(0));
    o.append(char(8)); // minimum code size
    QByteArray donnees;
    quint32 acc = 0;
    int bits = 0;
    auto code = [&](int c) {
        acc |= quint32(c) << bits;
        bits += 9;
        while (bits >= 8) {
            donnees.append(char(acc & 0xff));
            acc >>= 8;
            bits -= 8;
        }
    };
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (n % 254 == 0) code(256);
            const QRgb p = image.pixel(x, y);
            code((qRed(p) >> 5) << 5 | (qGreen(p) >> 5) << 2 | (qBlue(p) >> 6));
            ++n;
        }
    code(257);
    if (bits > 0) donnees.append(char(acc & 0xff));
    for (qsizetype i = 0; i < donnees.size(); i += 255) {
        const QByteArray bloc = donnees.mid(i, 255);
        o.append(char(bloc.size()));
        o.append(bloc);
    }
    o.append(char(0));
    o.append(';');
    return o;
}

} // namespace

QString dessiner(const QString& chemin, QSize taille, QColor couleur) {
    QDir().mkpath(QFileInfo(chemin).absolutePath());
    QImage image(taille, QImage::Format_RGB32);
    image.fill(couleur);
    QPainter p(&image);
    p.fillRect(QRect(0, 0, taille.width() / 2, taille.height() / 2), Qt::white);
    p.end();
    QString format = QFileInfo(chemin).suffix().toLower();
    if (format == QLatin1String("jpeg")) format = QStringLiteral("jpg");
    if (format == QLatin1String("gif")) return ecrire(chemin, enGif(image));
    if (!image.save(chemin, format.toLatin1().constData()))
        qFatal("cannot write %s", qPrintable(chemin));
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

Banc::Banc(QSize interne) {
    form = std::make_unique<Form1>(plateforme, etat);
    form->fenetre.setTailleInterneSansVue(interne);
    ctl().DossierDepart = dossier.path() + QStringLiteral("/absent/");
}

QString Banc::chemin(const QString& nom) const {
    return nom.isEmpty() ? dossier.path() : dossier.path() + QLatin1Char('/') + nom;
}

void Banc::demarrer(const QString& sousDossier) {
    form->Form_Load();
    ctl().Dossier.setPath(chemin(sousDossier));
}

QStringList Banc::liste() const {
    return etat.TabImages.mid(1, etat.NbImages);
}

QStringList Banc::messages() const {
    QStringList r;
    for (const BoiteMessage& m : plateforme.messages)
        r.append(m.texte);
    return r;
}

} // namespace galvia::test
