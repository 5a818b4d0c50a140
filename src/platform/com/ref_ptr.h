// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Owning pointer to a reference-counted interface: one field, one reference, released when cleared.

#include "unknown.h"

#include <cstddef>
#include <type_traits>
#include <utility>

template <typename T> class RefPtr {
public:
    RefPtr() = default;
    RefPtr(std::nullptr_t) {}
    // Shares ownership: adds a reference.
    explicit RefPtr(T* object) : object_(object) {
        if (object_) {
            object_->AddRef();
        }
    }
    RefPtr(const RefPtr& other) : RefPtr(other.object_) {}
    RefPtr(RefPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    template <typename U>
    requires std::is_convertible_v<U*, T*> RefPtr(const RefPtr<U>& other)
        : RefPtr(static_cast<T*>(other.get())) {}
    template <typename U>
    requires std::is_convertible_v<U*, T*> RefPtr(RefPtr<U>&& other)
    noexcept : object_(other.detach()) {}
    ~RefPtr() { reset(); }

    RefPtr& operator=(const RefPtr& other) {
        RefPtr(other).swap(*this);
        return *this;
    }
    RefPtr& operator=(RefPtr&& other) noexcept {
        RefPtr(std::move(other)).swap(*this);
        return *this;
    }
    RefPtr& operator=(std::nullptr_t) {
        reset();
        return *this;
    }

    // Takes over a reference the caller already holds (an out-parameter filled by the callee).
    static RefPtr adopt(T* object) {
        RefPtr result;
        result.object_ = object;
        return result;
    }

    T* get() const { return object_; }
    T* operator->() const { return object_; }
    T& operator*() const { return *object_; }
    explicit operator bool() const { return object_ != nullptr; }

    void reset() {
        if (T* old = std::exchange(object_, nullptr)) {
            old->Release();
        }
    }
    // Hands the reference to the caller without releasing it.
    [[nodiscard]] T* detach() { return std::exchange(object_, nullptr); }
    // For out-parameters: releases what is held and gives the slot to fill.
    T** put() {
        reset();
        return &object_;
    }
    void swap(RefPtr& other) noexcept { std::swap(object_, other.object_); }

    friend bool operator==(const RefPtr& a, const RefPtr& b) { return a.object_ == b.object_; }
    friend bool operator==(const RefPtr& a, std::nullptr_t) { return a.object_ == nullptr; }

private:
    T* object_ = nullptr;
};

// Fills an out-parameter with a new reference to object (the callee side of "T** out").
template <typename T, typename U> HRESULT CopyOut(U* object, T** out) {
    if (!out) {
        return E_POINTER;
    }
    *out = object;
    if (object) {
        object->AddRef();
    }
    return object ? S_OK : E_FAIL;
}

// Interface lookup: the object's interface T, or null when it does not offer it.
template <typename T, typename U> RefPtr<T> query(U* object) {
    void* found = nullptr;
    if (object && SUCCEEDED(object->QueryInterface(T::IID, &found)) && found) {
        return RefPtr<T>::adopt(static_cast<T*>(found));
    }
    return {};
}

template <typename T, typename U> RefPtr<T> query(const RefPtr<U>& object) {
    return query<T>(object.get());
}
