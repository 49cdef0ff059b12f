#include "Positions.h"

#include <cmath>

namespace galvia {

int cinquieme(int k, int nb) {
    static constexpr double complement[] = {1.0, 0.8, 0.6, 0.4, 0.2};
    if (k < 1 || k > 4) return 0;
    const int produit = k * nb;
    return static_cast<int>(std::floor(produit / 5.0 + complement[k]));
}

int boucler(int n, int nb) {
    if (n < 1) n = nb;
    if (n > nb) n = 1;
    return n;
}

Prevision prevoirEntrees(int actuelle, int nb, int pas, int sensAvant, int combien) {
    Prevision p;
    p.sens = pas > 0 ? 1 : pas < 0 ? -1 : sensAvant < 0 ? -1 : 1;
    if (nb < 1 || actuelle < 1 || actuelle > nb) return p;
    for (int k = 1; k <= combien && k < nb; ++k)
        p.entrees.push_back(((actuelle - 1 + p.sens * k) % nb + nb) % nb + 1);
    return p;
}

} // namespace galvia
