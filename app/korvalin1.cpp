#include "app/korvalin1.h"

namespace korvalin {

Korvalin1 KORVALIN1;

void ResetKorvalin1() { KORVALIN1 = Korvalin1{}; }

} // namespace korvalin
