// The viewer's keys.
#include "Form1.h"

namespace galvia {

void Form1::Form_KeyDown(int, int) {}

} // namespace galvia
