#pragma once
// The boundary of every window handler. Qt does not carry exceptions through its signal
// emission or event dispatch, so each handler catches at its own edge: an error there is
// shown in the application's error box and the program goes on. Every connect of a window
// goes through Guarded, every overridden event handler through RunGuarded.

#include <QWidget>
#include <exception>
#include <new>
#include <type_traits>
#include <utility>

#include "ui/app/UiServices.h"

namespace vellumo {

/// The error box text for a handler that ran out of memory.
inline constexpr const char* kOutOfMemoryText = "メモリが不足しています";
/// The error box text for a failure that carries no text of its own.
inline constexpr const char* kUnexpectedErrorText = "予期しないエラーが発生しました";

/// Runs `handler`; whatever it throws is shown in the error box over `window` and goes no
/// further.
template <class Handler>
void RunGuarded(QWidget* window, Handler&& handler) noexcept {
    try {
        std::forward<Handler>(handler)();
    } catch (const std::bad_alloc&) {
        ShowErrorBox(window, kOutOfMemoryText);
    } catch (const std::exception& e) {
        ShowErrorBox(window, e.what());
    } catch (...) {
        ShowErrorBox(window, kUnexpectedErrorText);
    }
}

/// A slot for connect that runs `handler` guarded. The handler takes the signal's
/// arguments, or none.
template <class Handler>
auto Guarded(QWidget* window, Handler handler) {
    return [window, handler = std::move(handler)](auto&&... args) mutable {
        RunGuarded(window, [&] {
            if constexpr (std::is_invocable_v<Handler&, decltype(args)...>)
                handler(std::forward<decltype(args)>(args)...);
            else
                handler();
        });
    };
}

}  // namespace vellumo
