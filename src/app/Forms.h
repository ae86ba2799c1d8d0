#pragma once

#include <QPointer>
#include <QWidget>

namespace horolet {

// Counts loaded windows; the process ends when the last one unloads.
class FormLifetime final {
public:
    static void track(QWidget* form);
    static int loadedCount();
    // Tests keep the process alive when their last window closes.
    static void setQuitWhenLastUnloads(bool quit);
};

// Windows are loaded on first reference: form() creates the window hidden and runs
// its load(); unloadForm() runs its close handling and destroys it. A window that
// closes itself calls finishUnload() from its accepted close event.
template <class T>
class Loadable {
public:
    static T* form() {
        QPointer<T>& p = slot();
        if (!p) {
            p = new T();
            FormLifetime::track(p);
            p->load();
        }
        return p.data();
    }
    static T* loadedForm() { return slot().data(); }
    static bool isLoaded() { return !slot().isNull(); }
    static void unloadForm() {
        if (T* p = slot().data()) {
            p->close();
            delete p;
        }
    }

protected:
    static void finishUnload(T* self) {
        if (slot() == self) slot() = nullptr;
        self->deleteLater();
    }

private:
    static QPointer<T>& slot() {
        static QPointer<T> p;
        return p;
    }
};

}  // namespace horolet
