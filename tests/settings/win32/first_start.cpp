// The program's first start as far as its settings go: each is constructed
// before main, reads its value from the registry and writes it back.
// check-first-start runs this in the Wine prefix as it is, without a
// registry of the test's own, and reads what it left there.

#include "settings/settings.h"

int main() { return skyloom::ShowSupernovae.Get() == 1 ? 0 : 1; }
