// Small RAII holders for GDI and user handles: each closed exactly once.
#pragma once

#include <windows.h>

#include <utility>

template <typename H, BOOL(WINAPI* Close)(H)>
class Owned {
public:
    Owned() = default;
    explicit Owned(H h) : h_(h) {}
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    Owned& operator=(Owned&& o) noexcept {
        if (this != &o) {
            reset();
            h_ = std::exchange(o.h_, nullptr);
        }
        return *this;
    }
    ~Owned() { reset(); }
    void reset(H h = nullptr) {
        if (h_) Close(h_);
        h_ = h;
    }
    H get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

private:
    H h_ = nullptr;
};

inline BOOL WINAPI delete_gdi_object(HGDIOBJ h) { return DeleteObject(h); }

using OwnedBitmap = Owned<HGDIOBJ, delete_gdi_object>;
using OwnedFont = Owned<HGDIOBJ, delete_gdi_object>;
using OwnedBrush = Owned<HGDIOBJ, delete_gdi_object>;
using OwnedIcon = Owned<HICON, DestroyIcon>;
