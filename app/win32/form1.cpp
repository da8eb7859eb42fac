// The window's message handling: timer messages and mouse messages arrive on the one
// thread, each handled to the end before the next, so a tick never overlaps a release.
#include "app/win32/form1.h"

#include <windowsx.h>

#include <cstdlib>
#include <system_error>

#include "app/form_layout.h"
#include "sim/mouse_release.h"
#include "sim/tick.h"

namespace morvane::app {

namespace {

constexpr wchar_t ClassName[] = L"MorvaneForm1";
constexpr UINT TickMessage = WM_APP; // posted by the click timer's thread
// Fixed size: a caption with the close and minimise boxes, no sizing frame, no maximise.
constexpr DWORD FrameStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr WORD IconId = 1; // in the resources
// The client image as a device-independent bitmap: 32-bit XRGB, the top row first (a negative
// height), so its rows are the window's.
constexpr BITMAPINFO ClientImage{
    {sizeof(BITMAPINFOHEADER), ClientWidth, -ClientHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};

[[noreturn]] void Fail(const char* what)
{
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), what);
}

} // namespace

Form1::Form1(HINSTANCE instance) : client_(static_cast<std::size_t>(ClientWidth) * ClientHeight)
{
    PaintFace({client_.data(), ClientWidth});
    Show(space_, SpaceArea, space_shown_);
    Show(graph_, GraphArea, graph_shown_);

    WNDCLASSEXW type{};
    type.cbSize = sizeof type;
    type.lpfnWndProc = WindowProc;
    type.hInstance = instance;
    type.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IconId));
    type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    type.lpszClassName = ClassName;
    if (RegisterClassExW(&type) == 0) Fail("no window class");

    // The frame round a client area of exactly the layout's size.
    RECT frame{0, 0, ClientWidth, ClientHeight};
    AdjustWindowRect(&frame, FrameStyle, FALSE);
    if (CreateWindowExW(0, ClassName, L"morvane", FrameStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                        frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                        instance, this) == nullptr)
        Fail("no window");
    click_.emplace(window_, TickMessage);
    ShowWindow(window_, SW_SHOWNORMAL);
}

Form1::~Form1()
{
    click_.reset();
    if (IsWindow(window_)) DestroyWindow(window_);
}

void Form1::click_Timer() { RunTick(world_, random_, WindowRules, space_, graph_); }

void Form1::space_MouseUp(std::int16_t button, std::int16_t shift, float x, float y)
{
    morvane::space_MouseUp(world_, random_, WindowRules, button, shift, x, y);
}

int Form1::Run()
{
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return message.message == WM_QUIT ? static_cast<int>(message.wParam) : EXIT_FAILURE;
}

LRESULT CALLBACK Form1::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_NCCREATE) {
        auto* form = static_cast<Form1*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        form->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Form1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (form == nullptr) return DefWindowProcW(window, message, wparam, lparam);
    return form->Handle(message, wparam, lparam);
}

LRESULT Form1::Handle(UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case TickMessage:
        OnTick();
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_LBUTTONDOWN:
        OnPress(SystemLeft, lparam);
        return 0;
    case WM_MBUTTONDOWN:
        OnPress(SystemMiddle, lparam);
        return 0;
    case WM_RBUTTONDOWN:
        OnPress(SystemRight, lparam);
        return 0;
    case WM_XBUTTONDOWN:
        OnPress(GET_XBUTTON_WPARAM(wparam) == XBUTTON1 ? SystemX1 : SystemX2, lparam);
        return TRUE;
    case WM_LBUTTONUP:
        OnRelease(SystemLeft, wparam, lparam);
        return 0;
    case WM_MBUTTONUP:
        OnRelease(SystemMiddle, wparam, lparam);
        return 0;
    case WM_RBUTTONUP:
        OnRelease(SystemRight, wparam, lparam);
        return 0;
    case WM_XBUTTONUP:
        OnRelease(GET_XBUTTON_WPARAM(wparam) == XBUTTON1 ? SystemX1 : SystemX2, wparam, lparam);
        return TRUE;
    case WM_CAPTURECHANGED:
        // Taken by another window while a button is held: its release may never come here.
        if (reinterpret_cast<HWND>(lparam) != window_) mouse_.Forget();
        return 0;
    case WM_DESTROY:
        click_.reset();
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window_, message, wparam, lparam);
    }
}

void Form1::OnTick()
{
    click_->Taken();
    click_Timer();
    // Minimised, the world goes on and the client image with it; nothing is sent meanwhile.
    Show(space_, SpaceArea, space_shown_);
    Show(graph_, GraphArea, graph_shown_);
    // Painting waits for an empty queue, which a flood of input can put off: not past 4 ticks.
    if (++unpainted_ticks_ >= 4) UpdateWindow(window_);
}

void Form1::Show(const Canvas& canvas, Rect area, ShownCanvas& shown)
{
    const Rect changed =
        shown.Show(canvas, {client_.data() + area.top * ClientWidth + area.left, ClientWidth});
    if (changed.width == 0 || window_ == nullptr) return;
    const RECT dirty{area.left + changed.left, area.top + changed.top,
                     area.left + changed.left + changed.width,
                     area.top + changed.top + changed.height};
    InvalidateRect(window_, &dirty, FALSE);
}

void Form1::OnPaint()
{
    unpainted_ticks_ = 0;
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window_, &paint);
    // The whole image, clipped by the system to what needs painting.
    SetDIBitsToDevice(dc, 0, 0, ClientWidth, ClientHeight, 0, 0, 0, ClientHeight, client_.data(),
                      &ClientImage, DIB_RGB_COLORS);
    EndPaint(window_, &paint);
}

// A press captures the mouse, as a native control does: its release comes back here even off
// the window, and belongs to the canvas the press landed on.
void Form1::OnPress(int button, LPARAM where)
{
    if (GetCapture() != window_) SetCapture(window_);
    mouse_.Press(button, GET_X_LPARAM(where), GET_Y_LPARAM(where));
}

void Form1::OnRelease(int button, WPARAM keys, LPARAM where)
{
    const std::int16_t shift =
        ShiftCode((keys & MK_SHIFT) != 0, (keys & MK_CONTROL) != 0, GetKeyState(VK_MENU) < 0);
    if (const auto release =
            mouse_.Release(button, shift, GET_X_LPARAM(where), GET_Y_LPARAM(where)))
        space_MouseUp(release->button, release->shift, release->x, release->y);
    constexpr WPARAM AnyButton = MK_LBUTTON | MK_MBUTTON | MK_RBUTTON | MK_XBUTTON1 | MK_XBUTTON2;
    if ((keys & AnyButton) == 0) ReleaseCapture();
}

} // namespace morvane::app
