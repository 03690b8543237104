// Helpers shared by the test programs: temporary folders and files, message
// pumping, pixels of windows, and answering system dialogs.
#pragma once

#include "platform/handles.h"
#include "platform/text.h"
#include "platform/wnd.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// A fresh folder under the temporary folder, removed with all its content
// when the object goes.
class TempDir {
public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();
    // The folder, without a trailing backslash.
    const std::wstring& Path() const noexcept { return m_path; }
    // Path() + "\" + relative.
    std::wstring operator/(const std::wstring& relative) const { return m_path + L"\\" + relative; }

private:
    std::wstring m_path;
};

// Writes bytes to a file, creating missing folders on the way.
void WriteFile(const std::wstring& path, const std::string& bytes);
// The whole content of a file; empty when it cannot be read.
std::string ReadFile(const std::wstring& path);
// Copies every file of a folder and of the folders below it into another
// folder (made when missing), as a technician copies a disc; false when
// something could not be copied.
bool CopyFolderTree(const std::wstring& from, const std::wstring& to);
// Encodings of a text (given as UTF-16) into bytes, and back from UTF-8.
using platform_text::FromUtf8;
using platform_text::ToUtf8;
std::string ToUtf16LeWithBom(const std::wstring& text);
std::string ToCodePage(const std::wstring& text, UINT codePage);

// The lines of a UTF-8 text file (a log, say), without their line ends,
// sorted; none when it cannot be read.
std::vector<std::wstring> SortedLines(const std::wstring& path);

// Links as anyone who can write a folder lays them: Wine makes none from
// Windows code, so they are laid from the Linux side, where a handle held in
// Wine stops nothing. LayLink puts a symbolic link to target at link;
// SwapForLink renames folder to "<folder>-moved" and lays a link to target in
// its place. Both are true when the link is there afterwards.
bool LayLink(const std::wstring& link, const std::wstring& target);
bool SwapForLink(const std::wstring& folder, const std::wstring& target);
// The Unix path of an existing file or folder; a shell command run on the
// Linux side to its end, true when it succeeded.
std::string UnixPath(const std::wstring& path);
bool RunOnLinuxSide(const std::string& command);

// The folder of the running test program, with a trailing backslash.
std::wstring ProgramFolder();

// A file type registered for the life of the object: its extension opens
// with the given command. An extension the system knows gets its own class
// back afterwards.
class FileType {
public:
    FileType(const std::wstring& extension, const std::wstring& command);
    FileType(const FileType&) = delete;
    FileType& operator=(const FileType&) = delete;
    ~FileType();

private:
    std::wstring m_extension;
    std::wstring m_class;
    std::wstring m_oldClass;
};

// Whether a process whose program file is named exeName runs now.
bool ProcessRunning(const std::wstring& exeName);
// The process ids the hanging installer (hanging_installer.exe) wrote to the
// file QUILLSET_HANG_PIDS names: its own and its helper's, run by run.
std::vector<DWORD> ProcessIdsIn(const std::wstring& path);
// Ends those of the processes that still run: a test's clean-up.
void EndProcesses(const std::vector<DWORD>& pids);
// Waits, pumping this thread's messages, until the desktop's shell window
// process answers for the desktop (at the start of a session it takes a
// moment to register); false when it did not within the time.
bool WaitForDesktopShell(std::chrono::milliseconds timeout = std::chrono::milliseconds(20000));

// The command line a running process was started with; empty when it
// cannot be read (a process of the other bitness).
std::wstring CommandLineOf(HANDLE hProcess);

// A visible top-level window to put controls in: its client area is filled
// with crBack, and it is brought to the foreground.
class HostWindow : public CWnd {
public:
    explicit HostWindow(const RECT& rc, DWORD dwStyle = WS_POPUP | WS_VISIBLE, DWORD dwExStyle = 0,
                        COLORREF crBack = RGB(255, 255, 255));

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    CBrush m_brush;
};

// Dispatches the messages of this thread that are waiting.
void PumpMessages();
// Pumps messages until pred holds or the time runs out; returns pred().
bool PumpUntil(const std::function<bool()>& pred,
               std::chrono::milliseconds timeout = std::chrono::milliseconds(10000));

// Real input through the system's input queue, as a person gives it: a key
// pressed and released, with a modifier key (VK_SHIFT, VK_MENU) held
// meanwhile when one is given, to the window with the focus; the pointer
// moved to a point of the screen and the left button pressed and released
// there, for whichever window is under it.
void PressKey(WORD vk, WORD modifier = 0);
void ClickScreen(POINT pt);
// The pointer moved to a point of the screen, no button pressed.
void MovePointer(POINT pt);
// Clicks at each point in turn, every event handed over at once: a second
// click that waits in the queue behind the first.
void ClickScreen(const std::vector<POINT>& points);
// A drag with the left button held from one point of the screen to another,
// as a hand gives it.
void DragScreen(POINT from, POINT to);

// A click of a person on a window, perhaps of another process, at pt in
// its client coordinates: first waits until that window is what lies
// under the point (no other window over it) and its top-level window takes
// input and is the active window, brought forward as a person's look at it
// does, with the keyboard focus inside it (a click that reaches a window
// while it is still being made the active one may be spent on that) and
// the mouse held by no other window of its thread; then the pointer goes
// there and stays while the button is pressed and released, through the
// system's input queue. A failure, naming the windows that stood in the
// way, and no click, when the window never came to that state.
testing::AssertionResult ClickWindow(HWND hWnd, POINT pt);
// The same for clicks at each point in turn, given at once, once the window
// is ready for the first.
testing::AssertionResult ClickWindow(HWND hWnd, const std::vector<POINT>& points);
// Where the pointer is and what it is over, which windows of hWnd's thread
// are active, have the focus and hold the mouse, and the windows that
// thread shows: what a test prints when a click was not taken.
// The window that has the keyboard focus in the thread of hWnd.
HWND FocusOf(HWND hWnd);
std::string InputStateAround(HWND hWnd);

// The middle of a control, in its client coordinates, and one click there.
POINT Middle(HWND hWnd);
testing::AssertionResult ClickMiddle(HWND hWnd);
// The close box in the caption of a window (of any process), found where
// the window itself says it is; in its client coordinates.
POINT CloseBoxPoint(HWND hWnd);
// Clicks a button of a message box once; a success when the box has gone.
testing::AssertionResult Answer(HWND hBox, int nButton);
// A key for a window: the window is brought forward and the key pressed
// once it is there.
testing::AssertionResult PressKeyIn(HWND hWnd, WORD vk, WORD modifier = 0);

// The pixels of a bitmap, top row first, read back as RGB() values.
class BitmapPixels {
public:
    BitmapPixels() = default;
    BitmapPixels(HBITMAP hBitmap, int cx, int cy);
    // False when the bitmap could not be read.
    bool Ok() const noexcept { return m_ok; }
    COLORREF At(int x, int y) const; // CLR_INVALID outside the bitmap
    int Width() const noexcept { return m_width; }
    int Height() const noexcept { return m_height; }

private:
    int m_width = 0;
    int m_height = 0;
    bool m_ok = false;
    std::vector<DWORD> m_bits;
};

// A window's client area as it is on the screen.
class WindowPixels : public BitmapPixels {
public:
    explicit WindowPixels(HWND hWnd);
};

// The same read from the screen itself, for a window of another process
// (whose own device context shows this process nothing).
class ScreenPixels : public BitmapPixels {
public:
    explicit ScreenPixels(HWND hWnd);
};

// Counts of the GDI objects this process holds and of its user objects (where
// the platform does not count those, the windows of this thread).
DWORD GdiObjectCount();
DWORD UserObjectCount();

} // namespace testing_support
