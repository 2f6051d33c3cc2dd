#pragma once
// Local date-times are converted hundreds of thousands of times in a download.
// With TZ unset, the C library checks /etc/localtime on disk at every
// conversion (mktime); naming that same file in TZ makes it read it once.
namespace zov {

// Call at the start of main, before any thread exists.
void readLocalTimeZoneOnce();

} // namespace zov
