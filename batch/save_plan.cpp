#include "batch/save_plan.h"

#include "batch/batch_texts.h"
#include "shell/path_resolution.h"
#include "shell/safe_copy.h"

#include <windows.h>

#include <algorithm>
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

// The files the batch reads, by identity and, where a source has none to
// be had, by name.
class CSources {
public:
    explicit CSources(const std::vector<std::wstring>& sources)
    {
        for (const std::wstring& source : sources) {
            m_arrIdentities.push_back(source.empty() ? std::nullopt : IdentityOf(source));
            if (source.empty())
                continue;
            m_keys.insert(PathKey(source));
            if (m_arrIdentities.back())
                m_identities.insert(*m_arrIdentities.back());
        }
    }
    // The identity of source i, where it could be had.
    const std::optional<FileIdentity>& Identity(size_t i) const { return m_arrIdentities[i]; }
    // Whether an item reads the file of that key and identity.
    bool Reads(const std::wstring& key, const std::optional<FileIdentity>& identity) const
    {
        return m_keys.count(key) || (identity && m_identities.count(*identity));
    }

private:
    std::vector<std::optional<FileIdentity>> m_arrIdentities;
    std::set<std::wstring> m_keys;
    std::set<FileIdentity> m_identities;
};

} // namespace

std::vector<PlannedSave> PlanSaves(const std::vector<std::wstring>& sources, const std::wstring& strFolder)
{
    const CSources read(sources);
    // The targets planned so far, and the sources already planned, each
    // with the target of its bytes.
    std::set<std::wstring> planned;
    std::vector<std::pair<std::optional<FileIdentity>, std::wstring>> copied;
    std::vector<PlannedSave> plan;
    for (size_t i = 0; i < sources.size(); ++i) {
        const std::wstring& source = sources[i];
        PlannedSave save;
        if (source.empty()) {
            plan.push_back(save);
            continue;
        }
        const std::optional<FileIdentity>& identity = read.Identity(i);
        const std::wstring sourceKey = PathKey(source);
        const std::wstring target = SaveDestination(strFolder, source);
        const std::wstring targetKey = PathKey(target);
        const std::optional<FileIdentity> targetIdentity = IdentityOf(target);
        const auto earlier = std::find_if(copied.begin(), copied.end(), [&](const auto& entry) {
            return identity ? entry.first == identity : PathKey(entry.second) == sourceKey;
        });
        if (earlier != copied.end()) {
            save.step = SaveStep::kSameAsEarlier;
            save.strTarget = earlier->second;
        } else if (identity && identity == targetIdentity) {
            save.step = SaveStep::kAlreadyThere;
            save.strTarget = target;
        } else {
            save.step = SaveStep::kCopy;
            save.strTarget = target;
            // Its own name, unless another item reads the file there or the
            // batch writes it; then the first free numbered name.
            if (planned.count(targetKey) || read.Reads(targetKey, targetIdentity)) {
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
            copied.emplace_back(identity, save.strTarget);
        plan.push_back(save);
    }
    return plan;
}
