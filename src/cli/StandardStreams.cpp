#include "cli/StandardStreams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vellumo {

void OccupyClosedStandardDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // open() takes the lowest free number, which is this one.
        const int got = ::open("/dev/null", fd == 2 ? O_WRONLY : O_RDONLY);
        if (got >= 0 && got != fd) ::close(got);
    }
}

bool DescriptorOutput::Drain() {
    const char* p = pbase();
    const char* end = pptr();
    while (p < end && error_ == 0) {
        const ssize_t n = ::write(fd_, p, static_cast<size_t>(end - p));
        if (n < 0) {
            if (errno == EINTR) continue;
            error_ = errno;
        } else {
            p += n;
        }
    }
    // What could not be written is dropped: the stream is bad from here on.
    setp(buffer_, buffer_ + sizeof buffer_);
    return error_ == 0;
}

DescriptorOutput::int_type DescriptorOutput::overflow(int_type c) {
    if (!Drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int DescriptorOutput::sync() { return Drain() ? 0 : -1; }

std::string OutputErrorText(const std::streambuf* buffer) {
    std::string text = "標準出力に書き込めません。";
    const auto* out = dynamic_cast<const DescriptorOutput*>(buffer);
    if (out && out->Error() != 0) {
        text += " (";
        text += std::strerror(out->Error());
        text += ")";
    }
    return text;
}

}  // namespace vellumo
