#include "MarqueursJpeg.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace galvia {

namespace {

// The most bytes a jpeg is taken to spend on one block in one scan: 64 coefficients of
// 16 bits of code and 16 of value. Noise at the highest quality takes under 90.
constexpr std::int64_t OctetsParBloc = 256;
// Leeway beyond that, and the most garbage skipped between two segments.
constexpr std::int64_t Marge = std::int64_t{64} << 10;
// How much is looked at in one go when skipping data.
constexpr std::int64_t Morceau = std::int64_t{64} << 10;

int octet(QByteArrayView v, qsizetype i) {
    return i < v.size() ? static_cast<unsigned char>(v[i]) : 0;
}

bool estTrame(int m) {
    return m >= 0xc0 && m <= 0xcf && m != 0xc4 && m != 0xc8 && m != 0xcc;
}

TrameJpeg lireTrame(int marqueur, QByteArrayView c) {
    TrameJpeg t;
    t.marqueur = marqueur;
    t.progressif = marqueur == 0xc2 || marqueur == 0xc6 || marqueur == 0xca || marqueur == 0xce;
    t.hauteur = octet(c, 1) << 8 | octet(c, 2);
    t.largeur = octet(c, 3) << 8 | octet(c, 4);
    const int n = octet(c, 5);
    for (int k = 0; k < n && 6 + 3 * k + 1 < c.size(); ++k) {
        const int hv = octet(c, 6 + 3 * k + 1);
        t.composantes.push_back({octet(c, 6 + 3 * k), std::max(1, hv >> 4), std::max(1, hv & 15)});
    }
    return t;
}

} // namespace

OctetsJpeg octetsEnMemoire(QByteArrayView octets) {
    return [octets](std::int64_t position, std::int64_t taille) {
        if (position < 0 || position >= octets.size()) return QByteArrayView();
        return octets.sliced(position, std::min<std::int64_t>(taille, octets.size() - position));
    };
}

double TrameJpeg::blocs(const ComposanteJpeg& c) const {
    int hMax = 1, vMax = 1;
    for (const ComposanteJpeg& k : composantes) {
        hMax = std::max(hMax, k.h);
        vMax = std::max(vMax, k.v);
    }
    const auto arrondi = [](double n, int m) { return std::ceil(n / m) * m; };
    return arrondi(std::ceil(std::ceil(double(largeur) * c.h / hMax) / 8), c.h) *
           arrondi(std::ceil(std::ceil(double(hauteur) * c.v / vMax) / 8), c.v);
}

double TrameJpeg::blocs() const {
    double n = 0;
    for (const ComposanteJpeg& c : composantes)
        n += blocs(c);
    return n;
}

ParcoursJpeg::ParcoursJpeg(OctetsJpeg octets)
    : octets_(std::move(octets)) {}

// Moves to the next marker within `borne` bytes: true there, false (left where the
// search stopped) at the end of the bytes or of the bound.
bool ParcoursJpeg::sauterDonnees(std::int64_t borne) {
    const std::int64_t limite = position_ + borne;
    while (position_ < limite) {
        const QByteArrayView v = octets_(position_, std::min(Morceau, limite - position_));
        if (v.isEmpty()) return false;
        const auto* d = reinterpret_cast<const unsigned char*>(v.data());
        const void* ff = std::memchr(d, 0xff, size_t(v.size()));
        if (!ff) {
            position_ += v.size();
            continue;
        }
        const std::int64_t i = static_cast<const unsigned char*>(ff) - d;
        int b = 0;
        if (i + 1 < v.size()) {
            b = d[i + 1];
        } else {
            const QByteArrayView n = octets_(position_ + i + 1, 1);
            if (n.isEmpty()) {
                position_ += i + 1;
                return false;
            }
            b = octet(n, 0);
        }
        if (b == 0xff) {
            position_ += i + 1; // a fill byte
        } else if (b == 0x00 || (b >= 0xd0 && b <= 0xd7)) {
            position_ += i + 2; // a stuffed 0xff, or a restart marker inside the data
        } else {
            position_ += i;
            return true;
        }
    }
    position_ = std::min(position_, limite);
    return false;
}

std::optional<SegmentJpeg> ParcoursJpeg::suivant() {
    if (fini_) return {};
    if (debut_) {
        debut_ = false;
        const QByteArrayView v = octets_(0, 2);
        if (octet(v, 0) != 0xff || octet(v, 1) != 0xd8) {
            fini_ = true;
            return {};
        }
        position_ = 2;
        return SegmentJpeg{0xd8, 0, {}};
    }
    const std::int64_t borne =
        donnees_ ? static_cast<std::int64_t>(OctetsParBloc * blocsBalayage_) + Marge : Marge;
    donnees_ = false;
    fini_ = true; // unless a whole segment follows
    QByteArrayView v = octets_(position_, 4);
    const int b = octet(v, 1);
    if (octet(v, 0) != 0xff || b == 0x00 || b == 0xff || (b >= 0xd0 && b <= 0xd7)) {
        if (!sauterDonnees(borne)) return {};
        v = octets_(position_, 4);
    }
    SegmentJpeg s{octet(v, 1), position_, {}};
    if (s.marqueur == 0xd8 || s.marqueur == 0xd9 || s.marqueur == 0x01) {
        position_ += 2;
        fini_ = s.marqueur == 0xd9;
        return s;
    }
    if (v.size() < 4) {
        position_ += v.size();
        return {};
    }
    const int longueur = octet(v, 2) << 8 | octet(v, 3);
    if (longueur < 2) return {};
    s.contenu = octets_(position_ + 4, longueur - 2);
    if (s.contenu.size() < longueur - 2) {
        position_ += 4 + s.contenu.size();
        return {};
    }
    position_ += 2 + longueur;
    fini_ = false;
    if (estTrame(s.marqueur)) {
        trame_ = lireTrame(s.marqueur, s.contenu);
    } else if (s.marqueur == 0xda) {
        blocsBalayage_ = 0;
        const int n = octet(s.contenu, 0);
        for (int k = 0; trame_ && k < n; ++k)
            for (const ComposanteJpeg& c : trame_->composantes)
                if (c.id == octet(s.contenu, 1 + 2 * k)) blocsBalayage_ += trame_->blocs(c);
        donnees_ = true;
    }
    return s;
}

bool travailRaisonnable(const StructureJpeg& s) {
    if (!s.trame) return true; // nothing a decoder would go through
    return s.balayages <= BalayagesMax &&
           s.blocsBalayes <= PassesMax * std::max(1.0, s.trame->blocs());
}

StructureJpeg structureJpeg(const OctetsJpeg& octets, bool jusquAuPremierBalayage,
                            const std::function<void(const SegmentJpeg&)>& chaqueSegment) {
    ParcoursJpeg p(octets);
    StructureJpeg s;
    while (const std::optional<SegmentJpeg> segment = p.suivant()) {
        s.jpeg = true;
        if (chaqueSegment) chaqueSegment(*segment);
        if (segment->marqueur != 0xda) continue;
        if (++s.balayages == 1) s.composantesPremierBalayage = octet(segment->contenu, 0);
        s.blocsBalayes += p.blocsBalayage();
        s.trame = p.trame();
        // Beyond the bounds the rest does not matter: the picture is refused.
        if (jusquAuPremierBalayage || !travailRaisonnable(s)) break;
    }
    s.trame = p.trame();
    s.fin = p.fin();
    return s;
}

} // namespace galvia
