// Positions in the image list: the fifths of the list and the wrap at its ends.
#pragma once

#include <vector>

namespace galvia {

// The entry at k fifths of a list of `nb` entries (k from 1 to 4): the whole part of
// k x nb / 5 + (1 - k / 5), the product formed on a full int so that no list size
// overflows. Equals 1 + the whole part of k x (nb - 1) / 5 for every nb >= 1.
int cinquieme(int k, int nb);

// A position moved one step past an end of a list of `nb` entries, brought back in:
// below 1 gives the last entry, above `nb` the first.
int boucler(int n, int nb);

// What to decode ahead once an entry is shown: the direction of travel (+1 or -1) and
// the entries next in that direction, nearest first.
struct Prevision {
    int sens = 1;
    std::vector<int> entrees;
};

// The prevision once entry `actuelle` of a list of `nb` entries is shown after a move of
// `pas`: +1 for the next entry (Page Down, a slideshow step forwards), -1 for the
// previous one, 0 for anything else (a jump to the first, last, a fifth, a number or a
// name, or the same entry shown again), which keeps the direction `sensAvant` had. The
// entries are the `combien` next ones in the direction of travel, wrapping at the ends as
// the moves do, never the current entry nor one twice: a list of one entry gives none.
Prevision prevoirEntrees(int actuelle, int nb, int pas, int sensAvant, int combien);

} // namespace galvia
