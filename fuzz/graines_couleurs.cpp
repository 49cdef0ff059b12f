// Writes the seeds of the colour fuzzer into a folder: small jpegs carrying an Adobe RGB
// profile (whole, over three segments, truncated, mutated), one marked Adobe RGB by its
// EXIF alone, a version 5 bmp with its profile, and the profile itself.
//   galvia_graines_couleurs FOLDER
#include "platform/decodage/Couleurs.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>

namespace {

QByteArray segment(int marqueur, const QByteArray& d) {
    QByteArray s(4, 0);
    s[0] = char(0xff);
    s[1] = char(marqueur);
    s[2] = char((d.size() + 2) >> 8);
    s[3] = char((d.size() + 2) & 0xff);
    return s + d;
}

// An 8 x 8 jpeg with `segments` after its start.
QByteArray jpeg(const QByteArray& segments) {
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(qRgb(197, 34, 35));
    QByteArray o;
    QBuffer b(&o);
    b.open(QIODevice::WriteOnly);
    image.save(&b, "JPEG", 90);
    return o.insert(2, segments);
}

// The profile in `n` APP2 segments.
QByteArray app2(const QByteArray& profil, int n) {
    QByteArray s;
    const qsizetype morceau = (profil.size() + n - 1) / n;
    for (int i = 0; i < n; ++i)
        s += segment(0xe2, QByteArray("ICC_PROFILE\0", 12) + char(i + 1) + char(n) +
                               profil.mid(i * morceau, morceau));
    return s;
}

// EXIF (little-endian TIFF): ColorSpace uncalibrated, interoperability index R03.
QByteArray exifR03() {
    const unsigned char t[] = {
        'I',  'I',  42,   0,    8, 0, 0, 0, // header, IFD0 at 8
        1,    0,    0x69, 0x87, 4, 0, 1, 0, 0,  0, 26,   0,    0,   0, 0, 0, 0, 0, // Exif IFD at 26
        2,    0,    0x01, 0xa0, 3, 0, 1, 0, 0,  0, 0xff, 0xff, 0,   0,             // ColorSpace
        0x05, 0xa0, 4,    0,    1, 0, 0, 0, 56, 0, 0,    0,    0,   0, 0, 0, // interop IFD at 56
        1,    0,    0x01, 0x00, 2, 0, 4, 0, 0,  0, 'R',  '0',  '3', 0, 0, 0, 0, 0 // index
    };
    return QByteArray("Exif\0\0", 6) + QByteArray(reinterpret_cast<const char*>(t), sizeof t);
}

QByteArray bmpV5(const QByteArray& profil) {
    QByteArray o(14 + 124 + 16, 0);
    const auto ecrire = [&o](int i, quint32 v) {
        for (int k = 0; k < 4; ++k)
            o[i + k] = char(v >> (8 * k));
    };
    o[0] = 'B';
    o[1] = 'M';
    ecrire(2, quint32(o.size() + profil.size()));
    ecrire(10, 14 + 124);
    ecrire(14, 124);
    ecrire(18, 2);
    ecrire(22, 2);
    ecrire(26, 1 | (32 << 16));
    ecrire(14 + 56, 0x4d424544); // 'MBED'
    ecrire(14 + 112, 124 + 16);
    ecrire(14 + 116, quint32(profil.size()));
    return o + profil;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) return 2;
    const QDir dossier(QString::fromLocal8Bit(argv[1]));
    const QByteArray profil = galvia::profilAdobeRgb();
    QByteArray mute = profil;
    for (qsizetype i = 128; i < mute.size(); i += 37)
        mute[i] = char(mute[i] ^ 0x5a);
    const std::pair<const char*, QByteArray> graines[] = {
        {"adobe.jpg", jpeg(app2(profil, 1))},
        {"adobe-trois-segments.jpg", jpeg(app2(profil, 3))},
        {"adobe-tronque.jpg", jpeg(app2(profil.left(profil.size() / 2), 1))},
        {"adobe-mute.jpg", jpeg(app2(mute, 1))},
        {"exif-r03.jpg", jpeg(segment(0xe1, exifR03()))},
        {"adobe-v5.bmp", bmpV5(profil)},
        {"adobe.icc", profil},
    };
    for (const auto& [nom, octets] : graines) {
        QFile f(dossier.filePath(QString::fromLatin1(nom)));
        if (!f.open(QIODevice::WriteOnly) || f.write(octets) != octets.size()) return 1;
    }
    return 0;
}
