// The texts the batch commands show: the confirmations that list the chosen
// items, and the notices.
#pragma once

#include "shell/resolved_item.h"

#include <string>
#include <vector>

namespace command_texts {

inline constexpr wchar_t kCaptionInstall[] = L"软件安装";
inline constexpr wchar_t kCaptionSave[] = L"保存安装包";
inline constexpr wchar_t kNothingSelected[] =
    L"您没有选中任何一款软件! 请选择您需要安装的软件之后再进行批量的处理.";
inline constexpr wchar_t kAskAutoInstall[] = L"您确定要开始自动安装如下软件么?\n\n";
inline constexpr wchar_t kAskManualInstall[] = L"您确定要开始手动安装如下软件么?\n\n";
inline constexpr wchar_t kAskSave[] = L"您确定要开始保存如下软件么?\n\n";
inline constexpr wchar_t kChooseSaveFolder[] = L"请选择安装包保存路径:";
inline constexpr wchar_t kEmptyFolderAgain[] = L"您选择的路径为空, 是否重新选择?";
inline constexpr wchar_t kCaptionChooseSet[] = L"选择集";
inline constexpr wchar_t kCaptionSaveSet[] = L"保存选择集";
inline constexpr wchar_t kTipAutoInstall[] = L"自动安装所选软件";
inline constexpr wchar_t kTipManualInstall[] = L"手动安装所选软件";
// The buttons' whole labels, as their images draw them, with their mnemonics.
inline constexpr wchar_t kLabelAutoInstall[] = L"自动安装(&I)";
inline constexpr wchar_t kLabelManualInstall[] = L"手动安装(&I)";

// The items, each on a line of its own; past kMaxListedItems the first of
// them and a line that counts them all ("…… 等共 N 款软件").
std::wstring ItemLines(const std::vector<std::wstring>& items);

// How a confirmation names a resolved item: the file found, with its
// parameters; an item not found, as configured.
std::wstring ItemLine(const ResolvedItem& item);

// The "cdrom:\" items whose file lies on another drive than the program's
// own (a mounted image, a stick), each with that file, under a heading;
// empty when there is none.
std::wstring OtherDriveLines(const std::vector<ResolvedItem>& items);

// The install confirmation, and the save confirmation with its folder: the
// items as resolved, and the files that come from another drive. The save
// lists files alone: a copy takes no parameters.
std::wstring InstallQuestion(bool bAutomatic, const std::vector<ResolvedItem>& items);
std::wstring SaveQuestion(const std::vector<ResolvedItem>& items, const std::wstring& folder);

// Asked after an install batch that left entries unfinished: whether to
// check exactly those (n of them) for the next batch.
std::wstring CheckUnfinishedQuestion(size_t n);

// A chosen save folder the batch could not use: the folder, why, and
// whether to choose another.
std::wstring SaveFolderAgain(const std::wstring& folder, const std::wstring& reason);

} // namespace command_texts
