#pragma once
// Standard output and error for the command-line programs: a report that cannot be
// written is an error the program can see and name.

#include <streambuf>
#include <string>

namespace vellumo {

/// Makes sure descriptors 0, 1 and 2 are open before any file is: a closed one gets
/// /dev/null, read-only for 0 and 1, so that no file the program opens takes its number and
/// every write to a closed standard output fails (EBADF) as it should.
void OccupyClosedStandardDescriptors();

/// An output buffer over a file descriptor that keeps the error of the first write that
/// failed. The stream over it goes bad then, like any stream whose writes fail.
class DescriptorOutput : public std::streambuf {
  public:
    explicit DescriptorOutput(int fd) : fd_(fd) { setp(buffer_, buffer_ + sizeof buffer_); }
    ~DescriptorOutput() override { sync(); }
    DescriptorOutput(const DescriptorOutput&) = delete;
    DescriptorOutput& operator=(const DescriptorOutput&) = delete;

    /// The errno of the first failed write, 0 while every write succeeded.
    int Error() const { return error_; }

  protected:
    int_type overflow(int_type c) override;
    int sync() override;

  private:
    bool Drain();

    int fd_;
    int error_ = 0;
    char buffer_[64 * 1024];
};

/// The message for a standard output the report could not be written to, after the
/// program's name: "標準出力に書き込めません。 (No space left on device)".
std::string OutputErrorText(const std::streambuf* buffer);

}  // namespace vellumo
