#pragma once

#include "UniqueHandle.h"
#include "dialogs/StringListRules.h"
#include "dialogs/Dpi.h"

#include <windows.h>

#include <exception>
#include <functional>
#include <optional>
#include <vector>

// What the dialogs' plain windows share: their class, display scale and font, panels and
// controls, the modal loop and the error report of a window procedure. The windows are Unicode
// windows, so that they show and take every text of the registry exactly.

void DestroyWindowHandle(HWND window);
using UniqueWindow = UniqueHandle<HWND, DestroyWindowHandle>;

// Registers a form class once; a second form of the class finds it registered.
void RegisterFormClass(const wchar_t* className, WNDPROC windowProc);

// A top-level form, owned by owner, that passes this to its procedure in WM_NCCREATE.
HWND CreateForm(const wchar_t* className, DWORD style, const TRect& bounds, HWND owner, void* form);

// A child control; its form gives it its font. A panel is a plain child window that passes its
// controls' notifications on to its own parent.
HWND CreateControl(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, const TRect& bounds,
                   DWORD extendedStyle = 0);
HWND CreatePanel(HWND parent);

void MoveControl(HWND control, const TRect& bounds);
TRect WindowBounds(HWND window);
TRect ClientBounds(HWND window);

// A form's display scale: the DPI of the monitor it is on, and the system's message font at
// that DPI, in which every control of the form shows its text. The forms are designed in
// pixels at 96 DPI and laid out at their DPI, again whenever it changes.
class TFormScale {
public:
    explicit TFormScale(HWND form);
    TFormScale(const TFormScale&) = delete;
    TFormScale& operator=(const TFormScale&) = delete;

    int Dpi() const { return FDpi; }
    // A length or a rectangle given at 96 DPI, at the form's DPI.
    int operator()(int length) const { return ScaledForDpi(length, FDpi); }
    TRect operator()(const TRect& bounds) const;
    // The height of the font's characters, accents and descenders included.
    int TextHeight() const { return FTextHeight; }
    // The form's outer size at its DPI, for a form designed at width x height at 96 DPI.
    SIZE FormSize(int width, int height) const;

    // Gives every control below the form the font.
    void ApplyFont() const;
    // Takes the DPI that WM_DPICHANGED brings, and its font.
    void Change(int dpi);

private:
    HWND FForm;
    int FDpi;
    UniqueFont FFont;
    int FTextHeight;
};

// Resizes window, keeping its top left corner.
void ResizeForm(HWND window, SIZE size);

// The form whose pointer the procedure's window carries, set from WM_NCCREATE on.
template <typename Form>
Form* FormOfWindow(HWND window, UINT message, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    return reinterpret_cast<Form*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

// The failure of a handler, shown with an error icon and the application's title, since no
// exception may leave a window procedure.
void ReportFailure(HWND window, const std::exception& failure);

// While it lives, every visible and enabled top-level window of this thread but except is
// disabled; those still existing are enabled again at its end, also when it ends by an error.
// Each dialog of the program is modal to all of the program's windows this way, not only to
// its owner, so that no page can be used behind it.
class TThreadWindowsDisabled {
public:
    explicit TThreadWindowsDisabled(HWND except = nullptr);
    ~TThreadWindowsDisabled();
    TThreadWindowsDisabled(const TThreadWindowsDisabled&) = delete;
    TThreadWindowsDisabled& operator=(const TThreadWindowsDisabled&) = delete;

private:
    static BOOL CALLBACK DisableOne(HWND window, LPARAM self);

    HWND FExcept;
    std::vector<HWND> FDisabled;
};

// Moves window, at its present size, centred over anchor when anchor is shown and not
// minimised, otherwise centred on the work area of anchor's monitor (the primary monitor
// without an anchor); either way into that work area. A window that takes another size on the
// way, at a monitor of another DPI, is centred again at that size.
void PlaceOver(HWND window, HWND anchor);

// Shows a window modally while it lives, in front and active: the thread's other windows are
// disabled, and enabled again before the window hides so that activation returns to them.
class TModalShow {
public:
    explicit TModalShow(HWND window);
    ~TModalShow();
    TModalShow(const TModalShow&) = delete;
    TModalShow& operator=(const TModalShow&) = delete;

private:
    HWND FWindow;
    std::optional<TThreadWindowsDisabled> FOthersDisabled;
};

// Dispatches the application's messages, as Unicode messages (see MessageLoop.h), until
// modalResult is set and gives it; onIdle runs whenever the queue has run empty. A quit
// request ends the loop with IDCANCEL and is posted again for the loop outside.
int RunModalLoop(const int& modalResult, const std::function<void()>& onIdle);
