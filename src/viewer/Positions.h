// Positions in the image list: the fifths of the list and the wrap at its ends.
#pragma once

namespace galvia {

// The entry at k fifths of a list of `nb` entries (k from 1 to 4): the whole part of
// k x nb / 5 + (1 - k / 5), the product formed on a full int so that no list size
// overflows. Equals 1 + the whole part of k x (nb - 1) / 5 for every nb >= 1.
int cinquieme(int k, int nb);

// A position moved one step past an end of a list of `nb` entries, brought back in:
// below 1 gives the last entry, above `nb` the first.
int boucler(int n, int nb);

} // namespace galvia
