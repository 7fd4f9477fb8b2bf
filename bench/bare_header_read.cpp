// bare_header_read: the least work that reads each file's header and first TIFF IFD.
//
// Usage: bare_header_read FOLDER
//
// Lists the folder, sorts the names, and for each file does open, pread of the first
// bytes, for a TIFF a pread of the first IFD (its count and entries), and close. It
// picks the width, height and page-one fields out of the entries so the reads are used,
// and prints one summary line. This is the floor the check benchmark measures against:
// no report, no second IFD, no file dates, no other formats' headers.

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

uint16_t Get16(const uint8_t* p, bool big) {
    return big ? static_cast<uint16_t>(p[0] << 8 | p[1]) : static_cast<uint16_t>(p[1] << 8 | p[0]);
}
uint32_t Get32(const uint8_t* p, bool big) {
    return big ? (uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3])
               : (uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0]);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bare_header_read FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    DIR* dir = opendir(folder.c_str());
    if (!dir) {
        std::perror(folder.c_str());
        return 1;
    }
    std::vector<std::string> names;
    while (dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.' &&
            (e->d_name[1] == 0 || (e->d_name[1] == '.' && e->d_name[2] == 0)))
            continue;
        names.emplace_back(e->d_name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());

    uint64_t files = 0, tiffs = 0, sum = 0;
    std::vector<uint8_t> ifd(2 + 12 * 65535);
    for (const std::string& name : names) {
        const std::string path = folder + "/" + name;
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        ++files;
        uint8_t head[16];
        const ssize_t got = pread(fd, head, sizeof head, 0);
        if (got >= 8 &&
            ((head[0] == 'I' && head[1] == 'I') || (head[0] == 'M' && head[1] == 'M'))) {
            const bool big = head[0] == 'M';
            if (Get16(head + 2, big) == 42) {
                ++tiffs;
                const uint32_t at = Get32(head + 4, big);
                uint8_t countBytes[2];
                if (pread(fd, countBytes, 2, at) == 2) {
                    const uint16_t n = Get16(countBytes, big);
                    const ssize_t want = 12 * static_cast<ssize_t>(n);
                    if (pread(fd, ifd.data(), want, at + 2) == want) {
                        for (uint16_t i = 0; i < n; ++i) {
                            const uint8_t* e = ifd.data() + 12 * i;
                            const uint16_t tag = Get16(e, big);
                            if (tag == 256 || tag == 257 || tag == 258 || tag == 259 ||
                                tag == 274 || tag == 296) {
                                sum +=
                                    Get16(e + 2, big) == 4 ? Get32(e + 8, big) : Get16(e + 8, big);
                            }
                        }
                    }
                }
            }
        } else if (got > 0) {
            sum += head[0];
        }
        close(fd);
    }
    std::printf("%llu files, %llu TIFF, checksum %llu\n", static_cast<unsigned long long>(files),
                static_cast<unsigned long long>(tiffs), static_cast<unsigned long long>(sum));
    return 0;
}
