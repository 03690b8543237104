// Where a save batch puts each item's file, decided before anything is
// written: no file that an item reads is replaced, every item's bytes end up
// in the folder, and each file is copied once.
#pragma once

#include <string>
#include <vector>

enum class SaveStep {
    kNotFound,
    // Copy the source to the target (replacing a file there that no item reads).
    kCopy,
    // The source already is the target: nothing to copy.
    kAlreadyThere,
    // An earlier item has the same source: copied once, by that item.
    kSameAsEarlier,
};

struct PlannedSave {
    SaveStep step = SaveStep::kNotFound;
    std::wstring strTarget;
    // The target is not the file's own name in the folder: that name
    // belongs to a file another item reads or that the batch writes.
    bool bRenamed = false;
};

// The located sources of the items in order (empty for an item that was
// not found) and the folder, with or without a trailing backslash.
std::vector<PlannedSave> PlanSaves(const std::vector<std::wstring>& sources, const std::wstring& strFolder);
