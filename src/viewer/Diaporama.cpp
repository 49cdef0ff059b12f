// The timed slideshow and its speed.
#include "Form1.h"

namespace galvia {

void Form1::Defile_Click(int) {}

void Form1::Timer1_Timer() {}

void Form1::Enchaine() {}

} // namespace galvia
