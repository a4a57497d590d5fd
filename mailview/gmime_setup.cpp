#include "gmime_setup.h"

#include <gmime/gmime.h>

#include <mutex>

namespace dbx {

void EnsureGMime() {
    static std::once_flag once;
    std::call_once(once, [] { g_mime_init(); });
}

}  // namespace dbx
