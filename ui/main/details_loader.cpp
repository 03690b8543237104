#include "ui/main/details_loader.h"

#include "platform/thread.h"
#include "shell/file_bytes.h"
#include "shell/pe_image.h"
#include "shell/shell.h"

CIcon LoadIconFile(const std::wstring& path, int n)
{
    if (path.empty())
        return CIcon();
    return CIcon(static_cast<HICON>(
        ::LoadImageW(nullptr, path.c_str(), IMAGE_ICON, n, n, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
}

IconImage ImageOfIcon(HICON hIcon)
{
    ICONINFO info{};
    if (!hIcon || !::GetIconInfo(hIcon, &info))
        return IconImage();
    IconImage image{CBitmap(info.hbmColor), CBitmap(info.hbmMask)};
    if (!image.hColor)
        return IconImage();
    return image;
}

InstallerFacts ReadInstaller(const std::wstring& configuredPath)
{
    InstallerFacts facts;
    CShell shell;
    if (!shell.Locate(configuredPath, L""))
        return facts;
    facts.bFound = true;
    CFileBytes file;
    DWORD dwError = 0;
    if (!file.Open(shell.m_strFile, &dwError))
        return facts;
    facts.nSize = file.Size();
    PeImage image;
    facts.bRunsHere = ReadPeImage(file, image) != PeOutcome::Program || MachineRunsOn(image.machine, WindowsIs64Bit());
    return facts;
}

namespace {

std::mutex g_readerMutex;
DetailReader g_reader;

DetailReader CurrentReader()
{
    std::lock_guard<std::mutex> lock(g_readerMutex);
    return g_reader ? g_reader : DetailReader(&ReadDetail);
}

} // namespace

DetailResult ReadDetail(const DetailJob& job)
{
    DetailResult result;
    result.image = ImageOfIcon(LoadIconFile(job.strIconPath, job.nIconSize).Get());
    if (!job.strInstaller.empty())
        result.installer = ReadInstaller(job.strInstaller);
    return result;
}

void SetDetailReader(DetailReader reader)
{
    std::lock_guard<std::mutex> lock(g_readerMutex);
    g_reader = std::move(reader);
}

CDetailsLoader::~CDetailsLoader()
{
    Stop();
}

void CDetailsLoader::Start(std::vector<DetailJob> jobs, HWND hNotify, UINT nMessage)
{
    Stop();
    m_pShared = std::make_shared<Shared>();
    m_pShared->jobs = std::move(jobs);
    m_pShared->reader = CurrentReader();
    m_pShared->hNotify = hNotify;
    m_pShared->nMessage = nMessage;
    m_nJobs = m_pShared->jobs.size();
    m_nTaken = 0;
    // The worker's own share, handed over with the thread.
    auto pWorkerShare = std::make_unique<std::shared_ptr<Shared>>(m_pShared);
    m_hThread = BeginThread(&CDetailsLoader::ThreadProc, pWorkerShare.get());
    if (m_hThread) {
        static_cast<void>(pWorkerShare.release());
        return;
    }
    // Read here, taking the results on the way so none waits for room.
    Shared& shared = *m_pShared;
    std::vector<DetailResult> results;
    for (size_t i = 0; i < shared.jobs.size(); ++i) {
        results.push_back(shared.reader(shared.jobs[i]));
        results.back().nJob = i;
    }
    shared.ready = std::move(results);
    ::PostMessageW(hNotify, nMessage, 0, 0);
}

std::vector<DetailResult> CDetailsLoader::Take()
{
    std::vector<DetailResult> results;
    if (!m_pShared)
        return results;
    {
        std::lock_guard<std::mutex> lock(m_pShared->mutex);
        results.swap(m_pShared->ready);
        m_pShared->bPosted = false;
    }
    m_pShared->roomOrStop.notify_all();
    m_nTaken += results.size();
    return results;
}

void CDetailsLoader::Stop() noexcept
{
    if (!m_pShared)
        return;
    std::vector<DetailResult> dropped;
    {
        std::lock_guard<std::mutex> lock(m_pShared->mutex);
        m_pShared->bStop = true;
        dropped.swap(m_pShared->ready);
    }
    m_pShared->roomOrStop.notify_all();
    if (m_hThread)
        ::WaitForSingleObject(m_hThread.Get(), kStopWaitMs);
    m_hThread.Reset();
    m_pShared.reset();
}

unsigned CDetailsLoader::ThreadProc(void* pParam)
{
    const std::unique_ptr<std::shared_ptr<Shared>> pShare(static_cast<std::shared_ptr<Shared>*>(pParam));
    Run(**pShare);
    return 0;
}

void CDetailsLoader::Run(Shared& shared)
{
    // Results are handed over a few dozen times a second at most: the window
    // repaints the rows they change once per batch.
    const ULONGLONG kBatchMs = 40;
    ULONGLONG lastPost = 0;
    for (size_t i = 0; i < shared.jobs.size(); ++i) {
        {
            std::lock_guard<std::mutex> lock(shared.mutex);
            if (shared.bStop)
                return;
        }
        DetailResult result = shared.reader(shared.jobs[i]);
        result.nJob = i;
        std::unique_lock<std::mutex> lock(shared.mutex);
        shared.roomOrStop.wait(lock, [&] { return shared.bStop || shared.ready.size() < kMaxWaiting; });
        if (shared.bStop)
            return;
        shared.ready.push_back(std::move(result));
        // One notice at a time: the window takes everything that has
        // arrived when it answers, so results gather while it is busy. A
        // full queue is announced at once, or the worker would wait for
        // room no one makes.
        const ULONGLONG now = ::GetTickCount64();
        if (!shared.bPosted && (i + 1 == shared.jobs.size() || now - lastPost >= kBatchMs ||
                                shared.ready.size() >= kMaxWaiting)) {
            shared.bPosted = ::PostMessageW(shared.hNotify, shared.nMessage, 0, 0) != FALSE;
            lastPost = now;
        }
    }
}
