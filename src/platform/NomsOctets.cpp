#include "NomsOctets.h"

#include "Erreurs.h"

#include <algorithm>

namespace galvia {

namespace {

constexpr char16_t PremierOctetPorte = 0xDC00; // U+DC80..U+DCFF carry bytes 80..FF
constexpr char16_t Remplacement = 0xFFFD;

bool suite(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Length of the valid UTF-8 sequence at `p` (n bytes left), or 0 when the bytes there
// are no valid sequence. Overlong forms, surrogates and values above U+10FFFF are not.
int longueurValide(const unsigned char* p, qsizetype n, char32_t& code) {
    const unsigned char c = p[0];
    if (c < 0x80) {
        code = c;
        return 1;
    }
    int longueur = 0;
    unsigned char min = 0x80, max = 0xBF; // range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        longueur = 2;
        code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        longueur = 3;
        code = c & 0x0F;
        if (c == 0xE0) min = 0xA0; // overlong below
        if (c == 0xED) max = 0x9F; // surrogates above
    } else if (c >= 0xF0 && c <= 0xF4) {
        longueur = 4;
        code = c & 0x07;
        if (c == 0xF0) min = 0x90; // overlong below
        if (c == 0xF4) max = 0x8F; // beyond U+10FFFF above
    } else {
        return 0;
    }
    if (n < longueur || p[1] < min || p[1] > max) return 0;
    for (int i = 1; i < longueur; ++i) {
        if (!suite(p[i])) return 0;
        code = (code << 6) | (p[i] & 0x3F);
    }
    return longueur;
}

void ajouterUtf8(QByteArray& o, char32_t c) {
    if (c < 0x80) {
        o.append(char(c));
    } else if (c < 0x800) {
        o.append(char(0xC0 | (c >> 6)));
        o.append(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        o.append(char(0xE0 | (c >> 12)));
        o.append(char(0x80 | ((c >> 6) & 0x3F)));
        o.append(char(0x80 | (c & 0x3F)));
    } else {
        o.append(char(0xF0 | (c >> 18)));
        o.append(char(0x80 | ((c >> 12) & 0x3F)));
        o.append(char(0x80 | ((c >> 6) & 0x3F)));
        o.append(char(0x80 | (c & 0x3F)));
    }
}

bool octetPorte(char16_t u) {
    return u >= PremierOctetPorte + 0x80 && u <= PremierOctetPorte + 0xFF;
}

} // namespace

QString nomDepuisOctets(QByteArrayView octets) {
    const auto* p = reinterpret_cast<const unsigned char*>(octets.data());
    const qsizetype n = octets.size();
    if (std::all_of(p, p + n, [](unsigned char c) { return c < 0x80; }))
        return QString::fromLatin1(octets.data(), n); // the common case: plain ASCII
    QString nom;
    nom.reserve(n);
    for (qsizetype i = 0; i < n;) {
        char32_t code = 0;
        const int l = longueurValide(p + i, n - i, code);
        if (l == 0) {
            nom.append(QChar(char16_t(PremierOctetPorte + p[i])));
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            nom.append(QChar(QChar::highSurrogate(code)));
            nom.append(QChar(QChar::lowSurrogate(code)));
        } else {
            nom.append(QChar(char16_t(code)));
        }
        i += l;
    }
    return nom;
}

QByteArray octetsDuNom(const QString& nom) {
    QByteArray o;
    o.reserve(nom.size());
    const qsizetype n = nom.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = nom.at(i).unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < n &&
            QChar::isLowSurrogate(nom.at(i + 1).unicode())) {
            ajouterUtf8(o, QChar::surrogateToUcs4(u, nom.at(i + 1).unicode()));
            ++i;
        } else if (octetPorte(u)) {
            o.append(char(u - PremierOctetPorte));
        } else if (QChar::isSurrogate(u)) {
            ajouterUtf8(o, Remplacement);
        } else {
            ajouterUtf8(o, u);
        }
    }
    return o;
}

QByteArray cheminSysteme(const QString& chemin) {
    if (chemin.contains(QChar(0))) throw Erreur(ErrNomIncorrect);
    return octetsDuNom(chemin);
}

QString texteVisible(const QString& nom) {
    QString texte = nom;
    const qsizetype n = texte.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = texte.at(i).unicode();
        if (!QChar::isSurrogate(u)) continue;
        if (QChar::isHighSurrogate(u) && i + 1 < n &&
            QChar::isLowSurrogate(texte.at(i + 1).unicode())) {
            ++i;
            continue;
        }
        texte[i] = QChar(Remplacement);
    }
    return texte;
}

} // namespace galvia
