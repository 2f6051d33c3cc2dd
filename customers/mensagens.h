#pragma once
// The message table of the customer window (msgPadrao of ZOV00500).
#include "library/messages.h"

namespace zov {

const TMessages& msgPadraoCliente();

} // namespace zov
