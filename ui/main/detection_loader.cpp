#include "ui/main/detection_loader.h"

#include "batch/batch_log.h"
#include "platform/thread.h"
#include "shell/installed_programs.h"

namespace {

std::mutex g_readerMutex;
SnapshotReader g_reader;

SnapshotReader CurrentReader()
{
    std::lock_guard<std::mutex> lock(g_readerMutex);
    return g_reader ? g_reader : SnapshotReader(&ReadInstalledPrograms);
}

} // namespace

void SetSnapshotReader(SnapshotReader reader)
{
    std::lock_guard<std::mutex> lock(g_readerMutex);
    g_reader = std::move(reader);
}

CDetectionLoader::~CDetectionLoader()
{
    Stop();
}

void CDetectionLoader::Start(const std::vector<const SoftwareEntry*>& entries, bool bRestartResults, HWND hNotify,
                             UINT nMessage)
{
    Stop();
    m_pShared = std::make_shared<Shared>();
    m_pShared->entries.reserve(entries.size());
    for (const SoftwareEntry* pEntry : entries) {
        SoftwareEntry identity;
        identity.ProductCode = pEntry->ProductCode;
        identity.UninstallKey = pEntry->UninstallKey;
        identity.InstalledName = pEntry->InstalledName;
        identity.Version = pEntry->Version;
        m_pShared->entries.push_back(std::move(identity));
    }
    m_pShared->bRestartResults = bRestartResults;
    m_pShared->reader = CurrentReader();
    m_pShared->hNotify = hNotify;
    m_pShared->nMessage = nMessage;
    auto pWorkerShare = std::make_unique<std::shared_ptr<Shared>>(m_pShared);
    const CKernelHandle hThread = BeginThread(&CDetectionLoader::ThreadProc, pWorkerShare.get());
    if (hThread) {
        static_cast<void>(pWorkerShare.release());
        return;
    }
    // No thread to be had: answered here.
    ThreadProc(pWorkerShare.release());
}

std::optional<DetectionResult> CDetectionLoader::Take()
{
    if (!m_pShared)
        return std::nullopt;
    std::lock_guard<std::mutex> lock(m_pShared->mutex);
    std::optional<DetectionResult> result = std::move(m_pShared->result);
    m_pShared->result.reset();
    return result;
}

void CDetectionLoader::Stop() noexcept
{
    if (!m_pShared)
        return;
    {
        std::lock_guard<std::mutex> lock(m_pShared->mutex);
        m_pShared->bStop = true;
    }
    m_pShared.reset();
}

unsigned CDetectionLoader::ThreadProc(void* pParam)
{
    const std::unique_ptr<std::shared_ptr<Shared>> pShare(static_cast<std::shared_ptr<Shared>*>(pParam));
    Shared& shared = **pShare;
    DetectionResult result;
    std::vector<const SoftwareEntry*> entries;
    entries.reserve(shared.entries.size());
    for (const SoftwareEntry& entry : shared.entries)
        entries.push_back(&entry);
    result.statuses = StatusesOf(shared.reader(), entries);
    if (shared.bRestartResults)
        result.restartResults = ResultsAwaitingRestart(RunsWithAdministratorRights(), BootTime());
    std::lock_guard<std::mutex> lock(shared.mutex);
    if (shared.bStop)
        return 0;
    shared.result = std::move(result);
    ::PostMessageW(shared.hNotify, shared.nMessage, 0, 0);
    return 0;
}
