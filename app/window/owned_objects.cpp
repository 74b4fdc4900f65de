#include "app/window/owned_objects.h"

TOwnedObjects::~TOwnedObjects() {
    ReleaseAll();
}

void TOwnedObjects::Add(QObject* object) {
    entries_.emplace_back(object);
}

void TOwnedObjects::ReleaseAll() {
    while (!entries_.empty()) {
        QPointer<QObject> last = entries_.back();
        entries_.pop_back();
        if (last && last->parent() == nullptr)
            delete last.data();
    }
}

TChildWindowList::~TChildWindowList() {
    Clear();
}

void TChildWindowList::Add(QWidget* window) {
    windows_.emplace_back(window);
}

void TChildWindowList::Clear() {
    // Each window is removed before it is freed, so a window whose close
    // reaches back into the list never finds itself there half-destroyed.
    while (!windows_.empty()) {
        QPointer<QWidget> first = windows_.front();
        windows_.erase(windows_.begin());
        delete first.data();
    }
}
