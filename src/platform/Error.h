#pragma once
// The one error type of the program: a failure carrying the Japanese text the user sees.

#include <stdexcept>
#include <string>
#include <string_view>

namespace vellumo {

/// A failure whose what() is the UTF-8 message shown to the user, exactly as the error box
/// shows it before its full-stop rule (see ErrorBoxText). Line breaks inside are CR LF.
class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

/// The text of the application's error box for an error message: a message whose last
/// character sorts above "." gets an ASCII full stop appended (so "...です" becomes
/// "...です."); an empty message stays empty.
std::string ErrorBoxText(std::string_view message);

/// The message with every CR LF turned into a plain LF, for terminals and log files.
std::string WithLfLineEnds(std::string_view text);

}  // namespace vellumo
