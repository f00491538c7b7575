#include "runtime/first_paint.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <ctime>
#endif

namespace rt {

double processorMs() {
#ifdef Q_OS_WIN
    // The C clock is the wall clock on Windows; the system keeps the
    // process's own times, in units of 100 ns.
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return -1;
    const auto ms = [](const FILETIME& t) {
        return double((quint64(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4;
    };
    return ms(kernel) + ms(user);
#else
    return 1000.0 * double(std::clock()) / CLOCKS_PER_SEC;
#endif
}

}  // namespace rt
