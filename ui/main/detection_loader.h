// Asks the machine which catalogue entries are installed, and at which
// version, on a worker thread of its own: the installed programs are read
// once into a snapshot and every entry is answered from it, so the window
// never waits for the registry or Windows Installer. At the program's start
// it also reads back the results of the last batch when the machine has
// restarted since, as that batch asked.
#pragma once

#include "batch/batch_plan.h"
#include "catalogue/install_state.h"
#include "platform/handles.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

struct DetectionResult {
    // One status per entry asked about, in the order asked.
    std::vector<InstallStatus> statuses;
    // The last batch's items, when it asked for a restart that has happened
    // since and they were asked for; else empty.
    std::vector<LoggedItem> restartResults;
};

// What every detection started afterwards reads the machine with: the
// real snapshot unless another reader is given (an empty one restores it).
// Where a benchmark stands in for a machine with many programs.
using SnapshotReader = std::function<CInstalledSnapshot()>;
void SetSnapshotReader(SnapshotReader reader);

class CDetectionLoader {
public:
    CDetectionLoader() = default;
    CDetectionLoader(const CDetectionLoader&) = delete;
    CDetectionLoader& operator=(const CDetectionLoader&) = delete;
    ~CDetectionLoader();

    // Answers for each entry (only its identity keys are read, from copies
    // made here); hNotify receives nMessage (posted) when the answer is
    // there. With bRestartResults, the results a restart awaited are read
    // too. A detection still running is left to end by itself.
    void Start(const std::vector<const SoftwareEntry*>& entries, bool bRestartResults, HWND hNotify, UINT nMessage);
    // The answer, once; nothing before it is there.
    std::optional<DetectionResult> Take();
    // Nothing is posted afterwards; a worker still reading ends by itself.
    void Stop() noexcept;

private:
    struct Shared {
        std::vector<SoftwareEntry> entries;
        bool bRestartResults = false;
        SnapshotReader reader;
        HWND hNotify = nullptr;
        UINT nMessage = 0;
        std::mutex mutex;
        std::optional<DetectionResult> result;
        bool bStop = false;
    };

    static unsigned ThreadProc(void* pParam);

    std::shared_ptr<Shared> m_pShared;
};
