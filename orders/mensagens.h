#pragma once
// The order window's message table (Excl and Canc also come from msgMensagensPadroes).
#include "library/messages.h"

namespace zov {

const TMessages& msgLancPedido();

} // namespace zov
