// Key codes of Galvia's key handlers.
#pragma once

namespace galvia::touche {
inline constexpr int Echap = 27;
inline constexpr int Espace = 32;
inline constexpr int PageHaut = 33;
inline constexpr int PageBas = 34;
inline constexpr int Fin = 35;
inline constexpr int Debut = 36;
inline constexpr int Gauche = 37;
inline constexpr int Haut = 38;
inline constexpr int Droite = 39;
inline constexpr int Bas = 40;
inline constexpr int Inser = 45;
inline constexpr int Suppr = 46;
inline constexpr int Chiffre0 = 48;     // top-row digits 48 to 57
inline constexpr int PaveChiffre0 = 96; // keypad digits 96 to 105
inline constexpr int PavePlus = 107;
inline constexpr int F1 = 112; // F1 to F12: 112 to 123
inline constexpr int F4 = 115;

// Shift state bits.
inline constexpr int MajMask = 1;
inline constexpr int CtrlMask = 2;
inline constexpr int AltMask = 4;
} // namespace galvia::touche
