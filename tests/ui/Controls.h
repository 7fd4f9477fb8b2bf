#pragma once
// A window's control by its object name (the name its field has in the window's code), as
// window tests reach them: `Control<QPushButton>(viewer, "Button10")->click()`.

#include <QDialog>
#include <QMainWindow>
#include <QObject>
#include <QString>
#include <memory>
#include <stdexcept>
#include <string>

namespace vellumo::test {

inline const QObject& WindowObject(const QObject& window) { return window; }
inline const QObject& WindowObject(const QObject* window) { return *window; }
template <class W>
const QObject& WindowObject(const std::unique_ptr<W>& window) {
    return *window;
}

/// The one control of type T named `name` that belongs to `window` itself: controls of a
/// dialog the window happens to own (the settings dialog beside the save dialog) are not
/// the window's. Throws when there is none or more than one, so that the test fails there.
template <class T, class W>
T* Control(const W& window, const char* name) {
    const QObject& owner = WindowObject(window);
    T* found = nullptr;
    for (T* candidate : owner.findChildren<T*>(QString::fromLatin1(name))) {
        bool own = true;
        for (const QObject* p = candidate->parent(); p && p != &owner; p = p->parent())
            if (qobject_cast<const QDialog*>(p) || qobject_cast<const QMainWindow*>(p)) own = false;
        if (!own) continue;
        if (found) throw std::logic_error(std::string("two controls named ") + name);
        found = candidate;
    }
    if (!found) throw std::logic_error(std::string("no control named ") + name);
    return found;
}

}  // namespace vellumo::test
