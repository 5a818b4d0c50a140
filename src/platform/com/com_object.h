// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Reference counting and interface lookup for an object implementing a list of interfaces, so each object
// writes only its own methods. An interface that extends another names it as `using Parent = ...;`.

#include "ref_ptr.h"

#include <atomic>
#include <type_traits>

namespace com_detail {

template <typename I> bool InterfaceMatches(const Guid& iid) {
    if (iid == I::IID) {
        return true;
    }
    if constexpr (requires { typename I::Parent; }) {
        return InterfaceMatches<typename I::Parent>(iid);
    } else {
        return false;
    }
}

template <typename First, typename...> struct FirstOf { using type = First; };

} // namespace com_detail

template <typename... Interfaces> class ComObject : public Interfaces... {
public:
    ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT QueryInterface(const Guid& iid, void** object) override {
        if (!object) {
            return E_POINTER;
        }
        *object = nullptr;
        if (iid == IUnknown::IID) {
            *object =
                static_cast<IUnknown*>(static_cast<typename com_detail::FirstOf<Interfaces...>::type*>(this));
        } else {
            ((*object == nullptr && com_detail::InterfaceMatches<Interfaces>(iid)
                  ? (*object = static_cast<Interfaces*>(this), true)
                  : false),
             ...);
        }
        if (!*object) {
            *object = queryOtherInterface(iid);
        }
        if (!*object) {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    std::uint32_t AddRef() override { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }
    std::uint32_t Release() override {
        const std::uint32_t left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0) {
            delete this;
        }
        return left;
    }

protected:
    virtual ~ComObject() = default;
    // Interfaces handed out by an inner object (aggregation); none by default.
    virtual void* queryOtherInterface(const Guid&) { return nullptr; }

private:
    std::atomic<std::uint32_t> refs_{0};
};

// Creates a reference-counted object and returns the first reference to it.
template <typename T, typename... Args> RefPtr<T> MakeCom(Args&&... args) {
    return RefPtr<T>(new T(std::forward<Args>(args)...));
}
