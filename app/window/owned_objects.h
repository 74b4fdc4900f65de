#pragma once
// Objects the main window creates at run time and frees itself, and the list
// of dump editors opened from the message buffer (hidden ones are reused).
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <vector>

// Freed from the last entry to the first; an entry that has a Qt parent is
// left to its parent, one that is already gone is skipped.
class TOwnedObjects {
public:
    TOwnedObjects() = default;
    ~TOwnedObjects();
    TOwnedObjects(const TOwnedObjects&) = delete;
    TOwnedObjects& operator=(const TOwnedObjects&) = delete;

    void Add(QObject* object);
    int Count() const { return static_cast<int>(entries_.size()); }
    QObject* At(int index) const { return entries_[static_cast<std::size_t>(index)]; }
    void ReleaseAll();

private:
    std::vector<QPointer<QObject>> entries_;
};

// Owns its windows: Clear frees each from the first and removes it;
// destroying the list clears it first.
class TChildWindowList : public QObject {
    Q_OBJECT
public:
    TChildWindowList() = default;
    ~TChildWindowList() override;

    void Add(QWidget* window);
    int Count() const { return static_cast<int>(windows_.size()); }
    QWidget* At(int index) const { return windows_[static_cast<std::size_t>(index)]; }
    void Clear();

    // The first window of type T that is not visible, or null.
    template <class T> T* FirstHidden() const {
        for (const auto& w : windows_)
            if (auto* window = qobject_cast<T*>(w.data()); window && !window->isVisible())
                return window;
        return nullptr;
    }

private:
    std::vector<QPointer<QWidget>> windows_;
};
