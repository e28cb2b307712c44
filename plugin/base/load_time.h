// Storage for the plug-in's load-time objects. They are built when the library is loaded and destroyed
// when it is unloaded, in an order we state (load_time.cpp), not in the compiler's order of static
// initialisation; touching one outside that span is a bug of ours.
#pragma once
#include <cassert>
#include <new>
#include <utility>

template <class T>
class LoadTime {
public:
    template <class... Args>
    void construct(Args&&... args) {
        assert(!object_ && "constructed twice");
        object_ = ::new (static_cast<void*>(storage_)) T(std::forward<Args>(args)...);
    }
    void destroy() {
        if (object_) object_->~T();
        object_ = nullptr;
    }
    bool constructed() const { return object_ != nullptr; }
    T* get() const { return object_; }
    T* operator->() const {
        assert(object_ && "load-time object used outside the library's lifetime");
        return object_;
    }
    T& operator*() const { return *operator->(); }

private:
    alignas(T) unsigned char storage_[sizeof(T)];
    T* object_ = nullptr;
};
