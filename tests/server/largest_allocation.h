#pragma once
// The largest block this process took from operator new since the last
// reset: what a server held for one request, whichever code held it.
#include <cstddef>

namespace zov::test {

void resetLargestAllocation();
std::size_t largestAllocation();

} // namespace zov::test
