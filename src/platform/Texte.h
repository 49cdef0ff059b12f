// Text and number rules of Galvia: locale collation ignoring case, rounding half to
// even, and the written form of numbers.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

class QCollator;
class QLocale;

namespace galvia {

// The collator of the user's locale, ignoring case, numeric mode off.
const QCollator& collateurTexte();

// -1, 0 or 1: a against b in the user's locale, ignoring case (numeric mode off).
int comparerTexte(const QString& a, const QString& b);

// 1-based position of `cherche` in `texte` from `debut`, ignoring case; 0 when absent.
int positionTexte(int debut, const QString& texte, const QString& cherche);

// Nearest whole number, a half going to the even neighbour (2.5 -> 2, 3.5 -> 4).
double arrondiPair(double valeur);

// `valeur` rounded to `decimales` decimals, halves to even.
double arrondiDecimales(double valeur, int decimales);

// A number as the program writes it: shortest decimal form, the locale's decimal
// separator, no group separator, no trailing zeros. Single precision keeps at most
// 7 significant digits, double precision 15.
QString texteNombre(double valeur, bool simplePrecision = false);
QString texteNombre(double valeur, const QLocale& locale, bool simplePrecision = false);

// A typed text read as a number in the user's locale (blanks around it allowed).
std::optional<double> lireNombre(const QString& texte);
std::optional<double> lireNombre(const QString& texte, const QLocale& locale);

// A typed text converted to a 16-bit integer: a fraction rounds half to even; empty,
// non-numeric or out-of-range texts give no value.
std::optional<std::int16_t> texteVers16(const QString& texte);

} // namespace galvia
