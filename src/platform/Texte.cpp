#include "Texte.h"

#include <QCollator>
#include <QLocale>
#include <cmath>
#include <limits>

namespace galvia {

const QCollator& collateurTexte() {
    static const QCollator c = [] {
        // Under the C locale Qt's collator compares code units and ignores the case
        // setting: fall back to the language-neutral order of English.
        QLocale locale;
        if (locale.language() == QLocale::C)
            locale = QLocale(QLocale::English, QLocale::UnitedStates);
        QCollator col{locale};
        col.setCaseSensitivity(Qt::CaseInsensitive);
        col.setNumericMode(false);
        col.setIgnorePunctuation(false);
        return col;
    }();
    return c;
}

int comparerTexte(const QString& a, const QString& b) {
    const int r = collateurTexte().compare(a, b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int positionTexte(int debut, const QString& texte, const QString& cherche) {
    if (debut < 1 || debut > texte.size() + 1) return 0;
    const qsizetype pos = texte.indexOf(cherche, debut - 1, Qt::CaseInsensitive);
    return pos < 0 ? 0 : static_cast<int>(pos) + 1;
}

double arrondiPair(double valeur) {
    // The default floating-point rounding mode is to nearest, ties to even.
    return std::nearbyint(valeur);
}

double arrondiDecimales(double valeur, int decimales) {
    const double facteur = std::pow(10.0, decimales);
    const double r = std::nearbyint(valeur * facteur) / facteur;
    return r == 0.0 ? 0.0 : r; // never "-0"
}

QString texteNombre(double valeur, const QLocale& locale, bool simplePrecision) {
    QLocale l = locale;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    if (simplePrecision) valeur = static_cast<double>(static_cast<float>(valeur));
    if (valeur == 0.0) valeur = 0.0;
    return l.toString(valeur, 'g', simplePrecision ? 7 : 15);
}

QString texteNombre(double valeur, bool simplePrecision) {
    return texteNombre(valeur, QLocale(), simplePrecision);
}

std::optional<double> lireNombre(const QString& texte, const QLocale& locale) {
    const QString t = texte.trimmed();
    if (t.isEmpty()) return std::nullopt;
    QLocale l = locale;
    l.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double v = l.toDouble(t, &ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<double> lireNombre(const QString& texte) {
    return lireNombre(texte, QLocale());
}

std::optional<std::int16_t> texteVers16(const QString& texte) {
    const auto v = lireNombre(texte);
    if (!v) return std::nullopt;
    const double r = arrondiPair(*v);
    if (r < std::numeric_limits<std::int16_t>::min() ||
        r > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(r);
}

} // namespace galvia
