#pragma once
// What the search button unit is told by the generic search dialog: whether
// the last search ended with a row chosen. Buttons read it after the search.
namespace zov {

void ExitOK(bool confirmed);
bool LastExitOK();

} // namespace zov
