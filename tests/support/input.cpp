// Real input for the windows of the program under test: keys, clicks on
// what is drawn, and what stood in the way of a click that was not given.
#include "tests/support/test_support.h"

#include <sstream>

namespace testing_support {

namespace {

void SendInputs(std::vector<INPUT> inputs)
{
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

INPUT KeyInput(WORD vk, bool bUp)
{
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = bUp ? KEYEVENTF_KEYUP : 0;
    return in;
}

} // namespace

void PressKey(WORD vk, WORD modifier)
{
    std::vector<INPUT> inputs;
    if (modifier)
        inputs.push_back(KeyInput(modifier, false));
    inputs.push_back(KeyInput(vk, false));
    inputs.push_back(KeyInput(vk, true));
    if (modifier)
        inputs.push_back(KeyInput(modifier, true));
    SendInputs(inputs);
}

namespace {

INPUT MoveInput(POINT pt)
{
    const int cx = ::GetSystemMetrics(SM_CXSCREEN);
    const int cy = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = static_cast<LONG>((pt.x * 65536LL + cx - 1) / cx);
    move.mi.dy = static_cast<LONG>((pt.y * 65536LL + cy - 1) / cy);
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return move;
}

} // namespace

void DragScreen(POINT from, POINT to)
{
    // The button goes down where the drag starts, the pointer goes there in
    // steps as a hand moves it, and the button comes up at its end.
    INPUT press = MoveInput(from);
    press.mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    SendInputs({MoveInput(from), press});
    const int nSteps = 8;
    for (int n = 1; n <= nSteps; ++n) {
        ::Sleep(15);
        SendInputs({MoveInput(POINT{from.x + (to.x - from.x) * n / nSteps, from.y + (to.y - from.y) * n / nSteps})});
    }
    // The pointer rests at the end before the button comes up there.
    ::Sleep(50);
    SendInputs({MoveInput(to)});
    ::Sleep(50);
    INPUT release = MoveInput(to);
    release.mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    SendInputs({release});
}

void MovePointer(POINT pt)
{
    SendInputs({MoveInput(pt)});
}

void ClickScreen(const std::vector<POINT>& points)
{
    // Every event carries the point itself: a press that went where the
    // pointer was last seen could land where it stood before it was moved.
    std::vector<INPUT> inputs;
    for (const POINT pt : points) {
        const INPUT move = MoveInput(pt);
        INPUT press = move;
        press.mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
        INPUT release = move;
        release.mi.dwFlags |= MOUSEEVENTF_LEFTUP;
        inputs.insert(inputs.end(), {move, press, release});
    }
    SendInputs(inputs);
}

void ClickScreen(POINT pt)
{
    ClickScreen(std::vector<POINT>{pt});
}

namespace {

// A window as a test's message names it: its class, its caption and the
// process it belongs to.
std::string Described(HWND hWnd)
{
    if (!hWnd)
        return "none";
    wchar_t className[128] = L"";
    ::GetClassNameW(hWnd, className, 128);
    wchar_t caption[128] = L"";
    ::GetWindowTextW(hWnd, caption, 128);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    std::ostringstream out;
    out << hWnd << " " << platform_text::ToUtf8(className) << " \"" << platform_text::ToUtf8(caption) << "\" pid "
        << pid;
    return out.str();
}

BOOL CALLBACK DescribeShownWindowProc(HWND hWnd, LPARAM lp)
{
    auto& out = *reinterpret_cast<std::ostringstream*>(lp);
    RECT rc{};
    ::GetWindowRect(hWnd, &rc);
    if (::IsWindowVisible(hWnd))
        out << "\n  shown " << Described(hWnd) << " at " << rc.left << "," << rc.top << "-" << rc.right << ","
            << rc.bottom;
    return TRUE;
}

} // namespace

HWND FocusOf(HWND hWnd)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(hWnd, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

std::string InputStateAround(HWND hWnd)
{
    POINT cursor{};
    ::GetCursorPos(&cursor);
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    const DWORD thread = ::GetWindowThreadProcessId(hWnd, nullptr);
    ::GetGUIThreadInfo(thread, &info);
    std::ostringstream out;
    out << "pointer at " << cursor.x << "," << cursor.y << " over " << Described(::WindowFromPoint(cursor))
        << "; foreground " << Described(::GetForegroundWindow()) << "; the thread's active "
        << Described(info.hwndActive) << ", focus " << Described(info.hwndFocus) << ", capture "
        << Described(info.hwndCapture) << "; button state " << ::SendMessageW(hWnd, BM_GETSTATE, 0, 0)
        << "; the thread's windows, topmost first:";
    ::EnumThreadWindows(thread, &DescribeShownWindowProc, reinterpret_cast<LPARAM>(&out));
    return out.str();
}

testing::AssertionResult ClickWindow(HWND hWnd, POINT pt)
{
    return ClickWindow(hWnd, std::vector<POINT>{pt});
}

testing::AssertionResult ClickWindow(HWND hWnd, const std::vector<POINT>& points)
{
    if (points.empty())
        return testing::AssertionFailure() << "no point to click";
    POINT onScreen = points.front();
    ::ClientToScreen(hWnd, &onScreen);
    const HWND hRoot = ::GetAncestor(hWnd, GA_ROOT);
    ::SetForegroundWindow(hRoot);
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    // Active, its own thread has put the keyboard focus into it (the window
    // has taken its activation whole), and no window of that thread holds
    // the mouse, which would take the click wherever it is given.
    const auto ready = [&] {
        return ::GetGUIThreadInfo(::GetWindowThreadProcessId(hRoot, nullptr), &info) && info.hwndActive == hRoot &&
               info.hwndFocus && (info.hwndFocus == hRoot || ::IsChild(hRoot, info.hwndFocus)) &&
               (!info.hwndCapture || info.hwndCapture == hWnd) && ::WindowFromPoint(onScreen) == hWnd &&
               ::IsWindowEnabled(hRoot) && ::GetForegroundWindow() == hRoot;
    };
    // Wine may leave a dialog's owner above the dialog it owns, where the
    // click would reach the owner; a person clicks what lies on top, so the
    // window to be clicked is brought there first, as bringing it forward does.
    const auto readyOnTop = [&] {
        if (ready())
            return true;
        if (::GetForegroundWindow() == hRoot && ::WindowFromPoint(onScreen) != hWnd)
            ::SetWindowPos(hRoot, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return false;
    };
    if (!PumpUntil(readyOnTop))
        return testing::AssertionFailure() << "no click at " << onScreen.x << "," << onScreen.y << " on "
                                           << Described(hWnd) << ": under the point "
                                           << Described(::WindowFromPoint(onScreen)) << ", enabled "
                                           << (::IsWindowEnabled(hRoot) != FALSE) << "; "
                                           << InputStateAround(hWnd);
    std::vector<POINT> screenPoints;
    for (POINT pt : points) {
        ::ClientToScreen(hWnd, &pt);
        screenPoints.push_back(pt);
    }
    ClickScreen(screenPoints);
    return testing::AssertionSuccess();
}

POINT Middle(HWND hWnd)
{
    RECT rc{};
    ::GetClientRect(hWnd, &rc);
    return POINT{rc.right / 2, rc.bottom / 2};
}

testing::AssertionResult ClickMiddle(HWND hWnd)
{
    return ClickWindow(hWnd, Middle(hWnd));
}

POINT CloseBoxPoint(HWND hWnd)
{
    RECT rc{};
    ::GetWindowRect(hWnd, &rc);
    for (int y = rc.top; y < rc.top + 30; ++y) {
        for (int x = rc.right - 1; x > rc.right - 40; --x) {
            if (::SendMessageW(hWnd, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
                POINT pt{x - 3, y + 3};
                ::ScreenToClient(hWnd, &pt);
                return pt;
            }
        }
    }
    return POINT{-10000, -10000};
}

testing::AssertionResult Answer(HWND hBox, int nButton)
{
    const HWND hButton = ::GetDlgItem(hBox, nButton);
    testing::AssertionResult clicked = ClickMiddle(hButton);
    if (!clicked)
        return clicked;
    if (!PumpUntil([&] { return !::IsWindow(hBox); }))
        return testing::AssertionFailure() << "the box stayed after the click on its button " << nButton << ": "
                                           << InputStateAround(hButton);
    return clicked;
}

testing::AssertionResult PressKeyIn(HWND hWnd, WORD vk, WORD modifier)
{
    ::SetForegroundWindow(hWnd);
    if (!PumpUntil([&] { return ::GetForegroundWindow() == hWnd; }))
        return testing::AssertionFailure() << "the window never came forward for its key";
    PressKey(vk, modifier);
    return testing::AssertionSuccess();
}

} // namespace testing_support
