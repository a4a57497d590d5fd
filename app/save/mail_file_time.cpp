#include "save/mail_file_time.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>

namespace dbx {

bool SetMailFileTime(const std::string& path, std::int64_t seconds) {
    const timespec times[2] = {{time_t(seconds), 0}, {time_t(seconds), 0}};
    return ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

}  // namespace dbx
