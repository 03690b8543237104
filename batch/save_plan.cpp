#include "batch/save_plan.h"

#include "batch/batch_texts.h"
#include "shell/path_resolution.h"
#include "shell/safe_copy.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>

namespace {

// A path as a key that two spellings of the same name share.
std::wstring PathKey(const std::wstring& strPath)
{
    std::wstring key = FullPathOrAsGiven(strPath);
    ::CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
    return key;
}

bool Exists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Whether two existing files are one, given their indexes: only equal
// indexes are worth the look at their volumes.
bool SameIdentity(const std::wstring& a, std::optional<ULONGLONG> nIndexA, const std::wstring& b,
                  std::optional<ULONGLONG> nIndexB)
{
    if (!nIndexA || nIndexA != nIndexB)
        return false;
    const std::optional<FileIdentity> identity = IdentityOf(a);
    return identity && identity == IdentityOf(b);
}

// The files the batch reads, by identity and, where a source has none to
// be had, by name.
class CSources {
public:
    explicit CSources(const std::vector<std::wstring>& sources) : m_sources(sources)
    {
        for (const std::wstring& source : sources) {
            m_arrIndexes.push_back(source.empty() ? std::nullopt : FileIndexOf(source));
            if (source.empty())
                continue;
            m_keys.insert(PathKey(source));
            if (m_arrIndexes.back())
                m_byIndex.emplace(*m_arrIndexes.back(), source);
        }
    }
    // The index of source i, where it could be had.
    const std::optional<ULONGLONG>& Index(size_t i) const { return m_arrIndexes[i]; }
    const std::wstring& Source(size_t i) const { return m_sources[i]; }
    // Whether an item reads the file of that key and path (whose index is given).
    bool Reads(const std::wstring& key, const std::wstring& path, const std::optional<ULONGLONG>& nIndex) const
    {
        if (m_keys.count(key))
            return true;
        if (!nIndex)
            return false;
        const auto [first, last] = m_byIndex.equal_range(*nIndex);
        return std::any_of(first, last,
                           [&](const auto& entry) { return SameIdentity(entry.second, nIndex, path, nIndex); });
    }

private:
    const std::vector<std::wstring>& m_sources;
    std::vector<std::optional<ULONGLONG>> m_arrIndexes;
    std::set<std::wstring> m_keys;
    std::multimap<ULONGLONG, std::wstring> m_byIndex;
};

} // namespace

std::vector<PlannedSave> PlanSaves(const std::vector<std::wstring>& sources, const std::wstring& strFolder)
{
    const CSources read(sources);
    // The targets planned so far, and the sources already planned, each
    // with the target of its bytes.
    std::set<std::wstring> planned;
    struct Copied {
        size_t nSource;
        std::wstring strTarget;
    };
    std::vector<Copied> copied;
    std::vector<PlannedSave> plan;
    for (size_t i = 0; i < sources.size(); ++i) {
        const std::wstring& source = sources[i];
        PlannedSave save;
        if (source.empty()) {
            plan.push_back(save);
            continue;
        }
        const std::optional<ULONGLONG>& nIndex = read.Index(i);
        const std::wstring sourceKey = PathKey(source);
        const std::wstring target = SaveDestination(strFolder, source);
        const std::wstring targetKey = PathKey(target);
        const std::optional<ULONGLONG> nTargetIndex = FileIndexOf(target);
        const auto earlier = std::find_if(copied.begin(), copied.end(), [&](const Copied& entry) {
            return nIndex ? SameIdentity(read.Source(entry.nSource), read.Index(entry.nSource), source, nIndex)
                          : PathKey(entry.strTarget) == sourceKey;
        });
        if (earlier != copied.end()) {
            save.step = SaveStep::kSameAsEarlier;
            save.strTarget = earlier->strTarget;
        } else if (SameIdentity(source, nIndex, target, nTargetIndex)) {
            save.step = SaveStep::kAlreadyThere;
            save.strTarget = target;
        } else {
            save.step = SaveStep::kCopy;
            save.strTarget = target;
            // Its own name, unless another item reads the file there or the
            // batch writes it; then the first free numbered name.
            if (planned.count(targetKey) || read.Reads(targetKey, target, nTargetIndex)) {
                save.bRenamed = true;
                save.strTarget.clear();
                for (int n = 2; n < 10000 && save.strTarget.empty(); ++n) {
                    std::wstring name = NumberedName(target, n);
                    if (!planned.count(PathKey(name)) && !Exists(name))
                        save.strTarget = std::move(name);
                }
            }
        }
        if (!save.strTarget.empty())
            planned.insert(PathKey(save.strTarget));
        if (save.step != SaveStep::kSameAsEarlier)
            copied.push_back({i, save.strTarget});
        plan.push_back(save);
    }
    return plan;
}
