#include "library/local_time.h"

#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace zov {

void readLocalTimeZoneOnce()
{
    // A zone chosen by the user (TZ set) is left alone. Qt reads
    // ":/etc/localtime" as the system zone, as the C library does.
    if (std::getenv("TZ") || access("/etc/localtime", R_OK) != 0)
        return;
    setenv("TZ", ":/etc/localtime", 0);
    tzset();
}

} // namespace zov
