// Reads what the main window shows of each record beyond its texts, the icon
// file and the installer's size, on a worker thread of its own, so that the
// window opens at once whatever the catalogue's size and however slow the
// disc. Results are handed over in batches: the worker posts a message to the
// window, which takes whatever has arrived.
#pragma once

#include "platform/handles.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

struct DetailJob {
    std::wstring strIconPath;
    // The installer to measure; empty for a record without one (a category).
    std::wstring strInstaller;
};

// An icon as the bitmaps an image list takes: adding bitmaps to an image
// list costs a fraction of adding the icon, which it draws first.
struct IconImage {
    CBitmap hColor; // null when there is no icon
    CBitmap hMask;
};

struct DetailResult {
    size_t nJob = 0;
    IconImage image;               // empty when the icon file could not be loaded
    unsigned long long nSize = 0;  // 0 when the installer was not found or opened
};

// The 32x32 icon of an icon file; null when it cannot be loaded.
CIcon LoadIconFile(const std::wstring& path);
// The colour and mask bitmaps of an icon; empty for a null or monochrome icon.
IconImage ImageOfIcon(HICON hIcon);
// The size of the installer a configured path names, found the way a batch
// finds it; 0 when it is not found or cannot be opened.
unsigned long long InstallerSize(const std::wstring& configuredPath);

class CDetailsLoader {
public:
    CDetailsLoader() = default;
    CDetailsLoader(const CDetailsLoader&) = delete;
    CDetailsLoader& operator=(const CDetailsLoader&) = delete;
    ~CDetailsLoader();

    // Starts reading the jobs in order; hNotify receives nMessage (posted)
    // whenever results wait to be taken. Where no thread can be started, the
    // jobs are read at once on the caller's thread.
    void Start(std::vector<DetailJob> jobs, HWND hNotify, UINT nMessage);
    // The results that have arrived since the last call.
    std::vector<DetailResult> Take();
    // True once every job's result has been taken.
    bool Done() const noexcept { return m_nTaken == m_jobs.size(); }
    // Ends the worker early and waits for it; results not yet taken go.
    void Stop() noexcept;

private:
    static unsigned ThreadProc(void* pParam);
    void Run();

    std::vector<DetailJob> m_jobs;
    HWND m_hNotify = nullptr;
    UINT m_nMessage = 0;
    CKernelHandle m_hThread;
    std::atomic<bool> m_bStop{false};
    std::mutex m_mutex;
    std::vector<DetailResult> m_ready;
    bool m_bPosted = false; // a notice is on its way and not yet answered
    size_t m_nTaken = 0;
};
