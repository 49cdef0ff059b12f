#include "TextesPng.h"

#include <array>
#include <optional>

namespace galvia {

namespace {

// The CRC of a PNG chunk (ISO 3309, reflected, polynomial 0xEDB88320).
quint32 crcPng(QByteArrayView octets) {
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    quint32 c = 0xffffffffu;
    for (const char o : octets)
        c = table[(c ^ static_cast<quint8>(o)) & 0xff] ^ (c >> 8);
    return c ^ 0xffffffffu;
}

void ajouter32(QByteArray& octets, quint32 v) {
    for (int decalage = 24; decalage >= 0; decalage -= 8)
        octets += static_cast<char>((v >> decalage) & 0xff);
}

} // namespace

QByteArray ajouterTextesPng(const QByteArray& png, const TextesPng& textes) {
    // The signature (8 bytes), then the header chunk (25 bytes with its length and CRC).
    constexpr qsizetype FinEntete = 33;
    if (png.size() < FinEntete || !png.startsWith("\x89PNG\r\n\x1a\n") || png.mid(12, 4) != "IHDR")
        return png;
    QByteArray morceaux;
    for (const auto& [cle, valeur] : textes) {
        const QByteArray donnees = "tEXt" + cle.toLatin1() + '\0' + valeur.toLatin1();
        ajouter32(morceaux, static_cast<quint32>(donnees.size() - 4));
        morceaux += donnees;
        ajouter32(morceaux, crcPng(donnees));
    }
    return png.left(FinEntete) + morceaux + png.mid(FinEntete);
}

namespace {

// The text of a compressed chunk, zlib-inflated. Only small chunks are inflated (a key's
// value is a URI or a number): a deflate stream grows at most about a thousandfold.
std::optional<QByteArray> inflerTexte(QByteArrayView compresse) {
    constexpr qsizetype CompresseMax = 4096;
    if (compresse.isEmpty() || compresse.size() > CompresseMax) return std::nullopt;
    // qUncompress wants the inflated size first; it grows its buffer when it is more.
    QByteArray donnees;
    ajouter32(donnees, quint32(4 * compresse.size()));
    donnees += compresse;
    QByteArray texte = qUncompress(donnees);
    if (texte.isNull()) return std::nullopt;
    return texte;
}

// The key and value of a tEXt, zTXt or iTXt chunk's data.
std::optional<std::pair<QString, QString>> textePng(QByteArrayView type, QByteArrayView donnees) {
    const qsizetype zero = donnees.indexOf('\0');
    if (zero < 1 || zero > 79) return std::nullopt;
    const QString cle = QString::fromLatin1(donnees.first(zero));
    QByteArrayView reste = donnees.sliced(zero + 1);
    if (type == "tEXt") return std::pair{cle, QString::fromLatin1(reste)};
    if (type == "zTXt") { // the compression method (0, zlib), then the stream
        if (reste.isEmpty() || reste[0] != 0) return std::nullopt;
        const std::optional<QByteArray> t = inflerTexte(reste.sliced(1));
        if (!t) return std::nullopt;
        return std::pair{cle, QString::fromLatin1(*t)};
    }
    // iTXt: compressed or not, the method, a language and a translated key (both ended
    // by a zero), then the UTF-8 text.
    if (reste.size() < 2 || quint8(reste[0]) > 1 || reste[1] != 0) return std::nullopt;
    const bool compresse = reste[0] == 1;
    reste = reste.sliced(2);
    for (int i = 0; i < 2; ++i) {
        const qsizetype fin = reste.indexOf('\0');
        if (fin < 0) return std::nullopt;
        reste = reste.sliced(fin + 1);
    }
    if (!compresse) return std::pair{cle, QString::fromUtf8(reste)};
    const std::optional<QByteArray> t = inflerTexte(reste);
    if (!t) return std::nullopt;
    return std::pair{cle, QString::fromUtf8(*t)};
}

} // namespace

TextesPng textesPng(QByteArrayView png) {
    TextesPng textes;
    qsizetype i = 8;
    while (i + 12 <= png.size()) {
        const quint32 n = quint32(quint8(png[i])) << 24 | quint32(quint8(png[i + 1])) << 16 |
                          quint32(quint8(png[i + 2])) << 8 | quint32(quint8(png[i + 3]));
        if (n > quint32(png.size() - i - 12)) break;
        const QByteArrayView type = png.sliced(i + 4, 4);
        if (type == "IEND") break;
        if (type == "tEXt" || type == "zTXt" || type == "iTXt")
            if (auto texte = textePng(type, png.sliced(i + 8, n)))
                textes.push_back(std::move(*texte));
        i += 12 + qsizetype(n);
    }
    return textes;
}

} // namespace galvia
