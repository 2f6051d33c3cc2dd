#include "library/btn_pesquisa.h"

namespace zov {

namespace {
bool lastExitOK = false;
}

void ExitOK(bool confirmed) { lastExitOK = confirmed; }

bool LastExitOK() { return lastExitOK; }

} // namespace zov
