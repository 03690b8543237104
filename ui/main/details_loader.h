// Reads what the main window shows of each record beyond its texts, the icon
// file and the installer's size, on a worker thread of its own, so that the
// window opens at once whatever the catalogue's size and however slow the
// disc. Results are handed over in batches: the worker posts a message to the
// window, which takes whatever has arrived.
#pragma once

#include "platform/handles.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct DetailJob {
    std::wstring strIconPath;
    // The installer to measure; empty for a record without one (a category).
    std::wstring strInstaller;
    // The icon's width and height in pixels.
    int nIconSize = 32;
};

// An icon as the bitmaps an image list takes: adding bitmaps to an image
// list costs a fraction of adding the icon, which it draws first.
struct IconImage {
    CBitmap hColor; // null when there is no icon
    CBitmap hMask;
};

// What the window shows of an installer: whether it was found, its size
// and whether its program header lets it run on this Windows.
struct InstallerFacts {
    bool bFound = false;
    unsigned long long nSize = 0; // 0 when it was not found or cannot be opened
    bool bRunsHere = true;        // a package, or a file that is no program, is left to Windows
};

struct DetailResult {
    size_t nJob = 0;
    IconImage image; // empty when the icon file could not be loaded
    InstallerFacts installer;
};

// The icon of an icon file at n x n pixels (the file's image nearest to that
// size); null when it cannot be loaded.
CIcon LoadIconFile(const std::wstring& path, int n = 32);
// The colour and mask bitmaps of an icon; empty for a null or monochrome icon.
IconImage ImageOfIcon(HICON hIcon);
// The installer a configured path names, found the way a batch finds it,
// then opened once for its size and its program header.
InstallerFacts ReadInstaller(const std::wstring& configuredPath);

// The icon and size of one job, read from the disc as it is.
DetailResult ReadDetail(const DetailJob& job);

// What every loader started afterwards reads a job with: ReadDetail unless
// another reader is given (an empty one restores it). The one place where
// tests stand in for a disc that does not answer.
using DetailReader = std::function<DetailResult(const DetailJob&)>;
void SetDetailReader(DetailReader reader);

class CDetailsLoader {
public:
    // Results at most waiting for the window: each holds two bitmaps, and a
    // window that is busy must not make them pile up towards the process's
    // limit of GDI objects. The worker waits for room.
    static constexpr size_t kMaxWaiting = 128;
    // How long Stop waits for the worker before leaving it behind.
    static constexpr DWORD kStopWaitMs = 500;

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
    bool Done() const noexcept { return m_nTaken == m_nJobs; }
    // Ends the worker: waits a moment for it, then leaves it to end by
    // itself once the job it reads returns (a dead network path can hold it
    // for minutes). Results not yet taken go; nothing is posted afterwards.
    void Stop() noexcept;

private:
    // Everything the worker touches, shared with it: it lives until both the
    // loader and a worker left behind have let it go.
    struct Shared {
        std::vector<DetailJob> jobs;
        DetailReader reader;
        HWND hNotify = nullptr;
        UINT nMessage = 0;
        std::mutex mutex;
        std::condition_variable roomOrStop;
        std::vector<DetailResult> ready;
        bool bPosted = false; // a notice is on its way and not yet answered
        bool bStop = false;
    };

    static unsigned ThreadProc(void* pParam);
    static void Run(Shared& shared);

    std::shared_ptr<Shared> m_pShared;
    CKernelHandle m_hThread;
    size_t m_nJobs = 0;
    size_t m_nTaken = 0;
};
