#pragma once
// Owners for the Windows handles the program holds, so that no code path can
// forget to release one.

#include <windows.h>

#include <string>
#include <utility>

namespace zq::win32 {

template <typename T, typename Traits> class UniqueResource {
public:
    UniqueResource() = default;
    explicit UniqueResource(T value) : FValue(value) {}
    ~UniqueResource() { Reset(); }
    UniqueResource(UniqueResource&& other) noexcept : FValue(other.Release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;

    T Get() const { return FValue; }
    explicit operator bool() const { return Traits::IsValid(FValue); }
    T Release() { return std::exchange(FValue, Traits::Invalid()); }
    void Reset(T value = Traits::Invalid()) {
        if (Traits::IsValid(FValue))
            Traits::Close(FValue);
        FValue = value;
    }

private:
    T FValue = Traits::Invalid();
};

struct HandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
using UniqueHandle = UniqueResource<HANDLE, HandleTraits>;

struct KeyTraits {
    static HKEY Invalid() { return nullptr; }
    static bool IsValid(HKEY k) { return k != nullptr; }
    static void Close(HKEY k) { ::RegCloseKey(k); }
};
using UniqueKey = UniqueResource<HKEY, KeyTraits>;

struct WindowTraits {
    static HWND Invalid() { return nullptr; }
    static bool IsValid(HWND w) { return w != nullptr; }
    static void Close(HWND w) { ::DestroyWindow(w); }
};
using UniqueWindow = UniqueResource<HWND, WindowTraits>;

struct IconTraits {
    static HICON Invalid() { return nullptr; }
    static bool IsValid(HICON i) { return i != nullptr; }
    static void Close(HICON i) { ::DestroyIcon(i); }
};
using UniqueIcon = UniqueResource<HICON, IconTraits>;

struct LibraryTraits {
    static HMODULE Invalid() { return nullptr; }
    static bool IsValid(HMODULE m) { return m != nullptr; }
    static void Close(HMODULE m) { ::FreeLibrary(m); }
};
using UniqueLibrary = UniqueResource<HMODULE, LibraryTraits>;

struct FontTraits {
    static HFONT Invalid() { return nullptr; }
    static bool IsValid(HFONT f) { return f != nullptr; }
    static void Close(HFONT f) { ::DeleteObject(f); }
};
using UniqueFont = UniqueResource<HFONT, FontTraits>;

struct BrushTraits {
    static HBRUSH Invalid() { return nullptr; }
    static bool IsValid(HBRUSH b) { return b != nullptr; }
    static void Close(HBRUSH b) { ::DeleteObject(b); }
};
using UniqueBrush = UniqueResource<HBRUSH, BrushTraits>;

struct MenuTraits {
    static HMENU Invalid() { return nullptr; }
    static bool IsValid(HMENU m) { return m != nullptr; }
    static void Close(HMENU m) { ::DestroyMenu(m); }
};
using UniqueMenu = UniqueResource<HMENU, MenuTraits>;

struct BitmapTraits {
    static HBITMAP Invalid() { return nullptr; }
    static bool IsValid(HBITMAP b) { return b != nullptr; }
    static void Close(HBITMAP b) { ::DeleteObject(b); }
};
using UniqueBitmap = UniqueResource<HBITMAP, BitmapTraits>;

// The whole screen's device context, from GetDC(nullptr).
struct ScreenDcTraits {
    static HDC Invalid() { return nullptr; }
    static bool IsValid(HDC dc) { return dc != nullptr; }
    static void Close(HDC dc) { ::ReleaseDC(nullptr, dc); }
};
using UniqueScreenDc = UniqueResource<HDC, ScreenDcTraits>;

// A memory device context, from CreateCompatibleDC.
struct MemoryDcTraits {
    static HDC Invalid() { return nullptr; }
    static bool IsValid(HDC dc) { return dc != nullptr; }
    static void Close(HDC dc) { ::DeleteDC(dc); }
};
using UniqueMemoryDc = UniqueResource<HDC, MemoryDcTraits>;

// Owns one reference of a COM interface.
template <typename T> class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : FPtr(std::exchange(other.FPtr, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            FPtr = std::exchange(other.FPtr, nullptr);
        }
        return *this;
    }

    T* Get() const { return FPtr; }
    T* operator->() const { return FPtr; }
    explicit operator bool() const { return FPtr != nullptr; }
    // For functions that hand out a new reference: releases the current one first.
    T** Put() {
        Reset();
        return &FPtr;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    void Reset() {
        if (FPtr)
            std::exchange(FPtr, nullptr)->Release();
    }

private:
    T* FPtr = nullptr;
};

// Loads a DLL of the system folder by name, never from the current or the
// executable's folder.
UniqueLibrary LoadSystemLibrary(const wchar_t* name);

// Binds a function of a loaded library by name; false (and a null function)
// when the library or the function is missing.
template <typename Fn> bool BindProc(HMODULE module, const char* name, Fn& fn) {
    fn = module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)))
                : nullptr;
    return fn != nullptr;
}

// UTF-16 texts of the program as Windows wide strings and back (both are UTF-16).
inline std::wstring Wide(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}
inline std::u16string FromWide(const wchar_t* text, std::size_t length) {
    return std::u16string(text, text + length);
}
inline std::u16string FromWide(const std::wstring& text) {
    return FromWide(text.data(), text.size());
}

} // namespace zq::win32
