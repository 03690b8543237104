// Stopping a batch from its progress window: Escape is pressed while an item
// runs, the question is answered through the message-box seam, and the
// report, the log and the installers' own records tell what ran.
#include "tests/batch/batch_fixture.h"

#include "batch/batch_texts.h"
#include "res/resource.h"

#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace batch_testing {
namespace {

using namespace testing_support;

// Presses Escape in the window once the caption names the item at percent.
std::function<void(const std::wstring&)> EscapeAt(const std::wstring& percent)
{
    auto bPressed = std::make_shared<bool>(false);
    return [bPressed, percent](const std::wstring& caption) {
        if (*bPressed || caption.find(percent) == std::wstring::npos)
            return;
        *bPressed = true;
        ::PostMessageW(g_pProgDlg->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    };
}

TEST_F(Batch, AStoppedBatchRunsNoFurtherItemAndNamesTheItemsLeftOut)
{
    m_options.bStoppable = true;
    m_nStopAnswer = IDYES;
    const std::wstring slow = Installer(L"slow.exe");
    const std::wstring later = Installer(L"later.exe");
    std::vector<std::wstring> many{slow + L" /S /delay=800"};
    std::vector<std::wstring> manyNames{L"慢"};
    // The report lists twenty of the 24 left out, and counts them all.
    std::wstring manyLeft;
    for (int i = 0; i < 24; ++i) {
        many.push_back(later + L" /n=" + std::to_wstring(i));
        manyNames.push_back(L"后 " + std::to_wstring(i));
        manyLeft += i < 20 ? L"后 " + std::to_wstring(i) + L" | " + later + L"\n" : L"";
    }
    manyLeft += L"…… 等共 24 项\n";
    const struct {
        const char* name;
        std::vector<std::wstring> items;
        std::vector<std::wstring> names;
        const wchar_t* stopAt;
        std::wstring installed;
        // The report after its first line, up to the log file.
        std::wstring report;
        // Lines the log must hold.
        std::vector<std::wstring> logLines;
    } cases[] = {
        {"a failure before the stop is reported above the items left out",
         {m_dir / L"missing.exe", slow + L" /S /delay=800", later + L" /S"},
         {L"缺失", L"慢", L"后"},
         L"66.7%",
         L"slow.exe|/S /delay=800\r\n",
         L"某些项目安装失败, 请检查这些项目的安装文件路径!\n\n安装失败文件路径列表:\n缺失 | " + (m_dir / L"missing.exe") +
             L" (文件没找到)\n\n" + kStoppedHeader + L"后 | " + later + L"\n",
         {L"失败 1 项, 未运行 1 项 (已停止)\r\n"}},
        {"items without names of their own are named by their paths",
         {slow + L" /S /delay=800", later + L" /S"},
         {},
         L"50.0%",
         L"slow.exe|/S /delay=800\r\n",
         kStoppedHeader + later + L"\n",
         {L"未运行 | " + later + L" | " + later + L" /S | " + later + L" |  | /S |  | 批处理已按用户要求停止 | \r\n"}},
        {"more than twenty left out", many, manyNames, L"4.0%", L"slow.exe|/S /delay=800\r\n",
         kStoppedHeader + manyLeft, {L"未运行 24 项"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ::DeleteFileW(m_log.c_str());
        ::DeleteFileW(m_options.strLogFile.c_str());
        m_names = c.names;
        m_nQuestions = 0;
        m_onCaption = EscapeAt(c.stopAt);
        EXPECT_EQ(Run(kInstallBatch, c.items), IDCANCEL);
        EXPECT_EQ(m_nQuestions, 1);
        EXPECT_EQ(Log(), c.installed);
        ASSERT_TRUE(m_report.bShown);
        EXPECT_EQ(m_report.nType, static_cast<UINT>(MB_ICONEXCLAMATION)) << "a stopped batch is no success";
        EXPECT_EQ(m_report.strText, c.report + LogLine());
        const std::wstring log = BatchLog();
        for (const std::wstring& line : c.logLines)
            EXPECT_NE(log.find(line), std::wstring::npos) << line << "\n" << log;
    }
}

TEST_F(Batch, NoItemStartsWhileTheStopQuestionIsOpen)
{
    m_options.bStoppable = true;
    const std::wstring first = Installer(L"first.exe");
    const std::wstring second = Installer(L"second.exe");
    const std::vector<std::wstring> items{first + L" /S /delay=500", second + L" /S", second + L" /S /n=2"};
    // The question is asked while the first item runs and left open well
    // past its end before it is answered.
    m_names = {L"一", L"二", L"三"};
    const struct {
        const char* name;
        int nAnswer;
        std::wstring installed;
        std::wstring report;
    } cases[] = {
        {"Yes: the rest is left out", IDYES, L"first.exe|/S /delay=500\r\n",
         kStoppedHeader + (L"二 | " + second + L"\n三 | " + second + L"\n")},
        {"No: the batch goes on", IDNO, L"first.exe|/S /delay=500\r\nsecond.exe|/S\r\nsecond.exe|/S /n=2\r\n",
         L"所有项目安装完毕!\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ::DeleteFileW(m_log.c_str());
        m_nQuestions = 0;
        m_nStopAnswer = c.nAnswer;
        std::wstring whileOpen;
        m_onQuestion = [&] {
            EXPECT_TRUE(PumpUntil([&] { return !Log().empty(); }, std::chrono::seconds(30)));
            PumpUntil([&] { return Log().find(L"second.exe") != std::wstring::npos; }, std::chrono::seconds(4));
            whileOpen = Log();
        };
        m_onCaption = EscapeAt(L"33.3%");
        Run(kInstallBatch, items);
        EXPECT_EQ(m_nQuestions, 1);
        EXPECT_EQ(whileOpen, L"first.exe|/S /delay=500\r\n") << "what ran while the question was open";
        EXPECT_EQ(Log(), c.installed);
        EXPECT_EQ(m_report.strText, c.report + LogLine());
    }
}

TEST_F(Batch, AStoppedSaveBatchFinishesTheCopyInHandAndCopiesNoMore)
{
    m_options.bStoppable = true;
    m_nStopAnswer = IDYES;
    std::vector<std::wstring> sources;
    for (const wchar_t* name : {L"a.exe", L"b.exe", L"c.exe", L"d.exe", L"e.exe", L"f.exe", L"g.exe", L"h.exe"}) {
        sources.push_back(m_dir / (std::wstring(L"src\\") + name));
        WriteFile(sources.back(), std::string(32 << 20, static_cast<char>(name[0])));
    }
    const std::wstring folder = m_dir / L"saved";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    // The close box is pressed as soon as the window shows the batch at
    // work, and the question is answered at once.
    bool bAsked = false;
    m_onCaption = [&](const std::wstring&) {
        if (!std::exchange(bAsked, true))
            ::SendMessageW(g_pProgDlg->m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    };
    EXPECT_EQ(Run(kSaveBatch, sources, folder), IDCANCEL);
    EXPECT_EQ(m_nQuestions, 1);
    // What was copied is whole; what was not is named in the report and the log.
    std::wstring left;
    for (const std::wstring& source : sources) {
        const std::wstring target = folder + source.substr(source.find_last_of(L'\\'));
        if (::GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES) {
            left += source + L"\n";
            EXPECT_NE(BatchLog().find(L"\r\n未运行 | " + source + L" | " + source + L" | " + source +
                                      L" |  |  |  | 批处理已按用户要求停止 | \r\n"),
                      std::wstring::npos)
                << BatchLog();
        } else {
            EXPECT_TRUE(ReadFile(target) == ReadFile(source)) << "the copy of " << platform_text::ToUtf8(source);
        }
    }
    EXPECT_FALSE(left.empty());
    EXPECT_EQ(m_report.strText, kStoppedHeader + left + L"\n文件保存路径: " + folder + L"\n" + LogLine());
}

} // namespace
} // namespace batch_testing
