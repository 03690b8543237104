#include "ui/main/details_loader.h"

#include "platform/thread.h"
#include "shell/shell.h"

CIcon LoadIconFile(const std::wstring& path)
{
    if (path.empty())
        return CIcon();
    return CIcon(static_cast<HICON>(
        ::LoadImageW(nullptr, path.c_str(), IMAGE_ICON, 32, 32, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
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

unsigned long long InstallerSize(const std::wstring& configuredPath)
{
    CShell shell;
    if (!shell.Locate(configuredPath, L""))
        return 0;
    HANDLE hFile = ::CreateFileW(shell.m_strFile.c_str(), 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return 0;
    DWORD high = 0;
    const DWORD low = ::GetFileSize(hFile, &high);
    const bool ok = !(low == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR);
    // The size counts only when the handle closes as it should.
    if (!::CloseHandle(hFile) || !ok)
        return 0;
    return (static_cast<unsigned long long>(high) << 32) | low;
}

CDetailsLoader::~CDetailsLoader()
{
    Stop();
}

void CDetailsLoader::Start(std::vector<DetailJob> jobs, HWND hNotify, UINT nMessage)
{
    Stop();
    m_jobs = std::move(jobs);
    m_hNotify = hNotify;
    m_nMessage = nMessage;
    m_nTaken = 0;
    m_bStop = false;
    m_bPosted = false;
    m_hThread = BeginThread(&CDetailsLoader::ThreadProc, this);
    if (!m_hThread)
        Run();
}

std::vector<DetailResult> CDetailsLoader::Take()
{
    std::vector<DetailResult> results;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        results.swap(m_ready);
        m_bPosted = false;
    }
    m_nTaken += results.size();
    return results;
}

void CDetailsLoader::Stop() noexcept
{
    if (!m_hThread)
        return;
    m_bStop = true;
    ::WaitForSingleObject(m_hThread.Get(), INFINITE);
    m_hThread.Reset();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ready.clear();
}

unsigned CDetailsLoader::ThreadProc(void* pParam)
{
    static_cast<CDetailsLoader*>(pParam)->Run();
    return 0;
}

void CDetailsLoader::Run()
{
    // Results are handed over a few dozen times a second at most: the window
    // repaints the rows they change once per batch.
    const ULONGLONG kBatchMs = 40;
    ULONGLONG lastPost = 0;
    for (size_t i = 0; i < m_jobs.size() && !m_bStop; ++i) {
        DetailResult result;
        result.nJob = i;
        result.image = ImageOfIcon(LoadIconFile(m_jobs[i].strIconPath).Get());
        if (!m_jobs[i].strInstaller.empty())
            result.nSize = InstallerSize(m_jobs[i].strInstaller);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_ready.push_back(std::move(result));
        // One notice at a time: the window takes everything that has
        // arrived when it answers, so results gather while it is busy.
        const ULONGLONG now = ::GetTickCount64();
        if (!m_bPosted && (i + 1 == m_jobs.size() || now - lastPost >= kBatchMs)) {
            m_bPosted = ::PostMessageW(m_hNotify, m_nMessage, 0, 0) != FALSE;
            lastPost = now;
        }
    }
}
