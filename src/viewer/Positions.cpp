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

} // namespace galvia
