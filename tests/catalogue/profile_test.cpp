// The in-memory profile against the platform's profile functions: the same
// files, the same questions, the same answers.
#include "catalogue/ini_profile.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace testing_support;
using namespace std::string_literals;

using Names = std::vector<std::wstring>;

struct Question {
    std::wstring section;
    std::wstring key;
};

const wchar_t* const kDefaults[] = {L"", L"dflt", L"'quoted default'", L"trailing   "};

// Asks every question with every default of both readers of one file and
// returns the disagreements, described.
std::vector<std::wstring> Disagreements(const std::wstring& path, const std::vector<Question>& questions)
{
    const CIniProfile ours(path);
    const CPlatformProfile platform(path);
    std::vector<std::wstring> found;
    for (const Question& q : questions) {
        for (const wchar_t* pDefault : kDefaults) {
            const std::wstring expected = platform.GetString(q.section, q.key, pDefault);
            const std::wstring actual = ours.GetString(q.section, q.key, pDefault);
            if (expected != actual) {
                found.push_back(L"[" + q.section + L"] " + q.key + L" default '" + pDefault + L"': platform '" +
                                expected.substr(0, 60) + L"' (" + std::to_wstring(expected.size()) + L"), ours '" +
                                actual.substr(0, 60) + L"' (" + std::to_wstring(actual.size()) + L")");
            }
        }
        // The value as the file holds it, quotes and all.
        const std::wstring expectedRaw = platform.GetRawString(q.section, q.key, L"<none>");
        const std::wstring actualRaw = ours.GetRawString(q.section, q.key, L"<none>");
        if (expectedRaw != actualRaw) {
            found.push_back(L"[" + q.section + L"] " + q.key + L" as written: platform '" + expectedRaw.substr(0, 60) +
                            L"' (" + std::to_wstring(expectedRaw.size()) + L"), ours '" + actualRaw.substr(0, 60) +
                            L"' (" + std::to_wstring(actualRaw.size()) + L")");
        }
        // The key names of a section asked by its plain name, in file order.
        const bool bPlainName = !q.section.empty() && q.section.front() > L' ' && q.section.back() > L' ';
        const std::vector<std::wstring> platformNames = bPlainName ? platform.GetKeyNames(q.section) : Names();
        const std::vector<std::wstring> ourNames = bPlainName ? ours.GetKeyNames(q.section) : Names();
        if (platformNames != ourNames) {
            std::wstring both = L"[" + q.section + L"] key names: platform";
            for (const std::wstring& name : platformNames)
                both += L" '" + name + L"'";
            both += L", ours";
            for (const std::wstring& name : ourNames)
                both += L" '" + name + L"'";
            found.push_back(both);
        }
        const int expected = platform.GetInt(q.section, q.key, -7);
        const int actual = ours.GetInt(q.section, q.key, -7);
        if (expected != actual) {
            found.push_back(L"[" + q.section + L"] " + q.key + L" as integer: platform " + std::to_wstring(expected) +
                            L", ours " + std::to_wstring(actual));
        }
    }
    return found;
}

std::vector<Question> Cross(const std::vector<std::wstring>& sections, const std::vector<std::wstring>& keys)
{
    std::vector<Question> questions;
    for (const std::wstring& section : sections) {
        for (const std::wstring& key : keys)
            questions.push_back({section, key});
    }
    return questions;
}

// Runs the comparison for one file and reports what differs.
void ExpectAgreement(const std::wstring& path, const std::vector<Question>& questions)
{
    const std::vector<std::wstring> found = Disagreements(path, questions);
    std::string report;
    for (size_t i = 0; i < found.size() && i < 12; ++i)
        report += ToUtf8(found[i]) + "\n";
    EXPECT_TRUE(found.empty()) << found.size() << " disagreements in " << ToUtf8(path) << ":\n" << report;
}

// The ordinary and not so ordinary lines a hand-written catalogue holds.
std::wstring SyntaxCorpus()
{
    return L"Loose=before any section\r\n"
           L"; a comment\r\n"
           L";Hidden=commented out\r\n"
           L"# Hash=not a comment to the platform\r\n"
           L"[Syntax]\r\n"
           L"Plain=value\r\n"
           L"  Spaced  =  padded value  \r\n"
           L"Tabbed\t=\tx\t\r\n"
           L"Empty=\r\n"
           L"EmptySpaced =   \r\n"
           L"=no name\r\n"
           L"NoEquals\r\n"
           L"Shadow\r\n"
           L"Shadow=after a line without equals\r\n"
           L"Twice = a = b\r\n"
           L"Dup=first\r\n"
           L"Dup=second\r\n"
           L"DUP=third\r\n"
           L"Q1=\"double quoted\"\r\n"
           L"Q2='single quoted'\r\n"
           L"Q3=\"mismatched'\r\n"
           L"Q4=\"\r\n"
           L"Q5=\"\"\r\n"
           L"Q6=''\"\r\n"
           L"Q7=\" inner blanks \"\r\n"
           L"Q8=\"a\"b\"\r\n"
           L"Q9=x\"quoted inside\"\r\n"
           L"Q10=\"a b.exe\" /S /D=\"x y\"\r\n"
           L"CaseKey=case value\r\n"
           L"\r\n"
           L"   \t  \r\n"
           L"[syntax]\r\n"
           L"Plain=from the second section of the same name\r\n"
           L"OnlyInSecond=never seen\r\n"
           L"[ Padded Section ]\r\n"
           L"Inside=padded section value\r\n"
           L"[Trailing]junk after bracket\r\n"
           L"Inside=trailing section value\r\n"
           L"[a]b]\r\n"
           L"Inside=last bracket value\r\n"
           L"[Unclosed\r\n"
           L"Inside=unclosed value\r\n"
           L"[]\r\n"
           L"Inside=empty name value\r\n"
           L"[MiXeD CaSe]\r\n"
           L"KeY=mixed value\r\n"
           L"[\u00C9t\u00C9]\r\n"
           L"\u00C0Key=latin one\r\n"
           L"[\u03A3\u0414\uFF21]\r\n"
           L"\u03A3Key=greek cyrillic fullwidth\r\n"
           L"[\u8F6F\u4EF6]\r\n"
           L"\u540D\u79F0=\u4E2D\u6587\u503C\r\n"
           L"[Lines]\rCrOnly=cr\rLfOnly=lf\nMixed=crlf\r\n\r\n\n\rAfterBlank=yes\r\n"
           L"EofMark=value\x1A\r\n";
}

std::vector<std::wstring> SyntaxSections()
{
    return {L"Syntax",     L"SYNTAX",          L" Syntax\t", L"Padded Section", L"  padded section ",
            L"Trailing",   L"a]b",             L"a",         L"Unclosed",       L"",
            L"mixed case", L"\u00E9t\u00E9",   L"\u00C9T\u00C9", L"\u03C3\u0434\uFF41", L"\u03A3\u0414\uFF21",
            L"\u8F6F\u4EF6", L"Lines",         L"Missing"};
}

std::vector<std::wstring> SyntaxKeys()
{
    return {L"Loose",     L"Hidden",     L";Hidden",   L"# Hash",     L"Plain",      L"Spaced",
            L" spaced ",  L"Tabbed",     L"Empty",     L"EmptySpaced", L"",          L"NoEquals",
            L"Shadow",    L"Twice",      L"Dup",       L"dup",        L"Q1",         L"Q2",
            L"Q3",        L"Q4",         L"Q5",        L"Q6",         L"Q7",         L"Q8",
            L"Q9",        L"Q10",        L"casekey",    L"OnlyInSecond", L"Inside",  L"key",        L"\u00E0key",
            L"\u00C0KEY", L"\u03C3key",  L"\u03A3Key", L"\u540D\u79F0", L"CrOnly",   L"LfOnly",
            L"Mixed",     L"AfterBlank", L"EofMark",   L"Missing"};
}

std::wstring IntegerCorpus()
{
    return L"[Numbers]\r\n"
           L"Int1=42\r\nInt2=-17\r\nInt3=+8\r\nInt4=   12   \r\nInt5=12abc\r\nInt6=abc\r\nInt7=0x1F\r\n"
           L"Int8=0b101\r\nInt9=0o17\r\nInt10=99999999999\r\nInt11=-2147483648\r\nInt12=4294967295\r\n"
           L"Int13=\"15\"\r\nInt14=' -3'\r\nInt15=1 2\r\nInt16=-\r\nInt17=0x\r\nInt18=007\r\nInt19=0X10\r\n"
           L"Int20=3.7\r\nInt21=123456789012345678901234567890123\r\nInt22=\r\nInt23=+-5\r\nInt24=0xfFz\r\n"
           L"Int25=\uFF11\uFF12\r\nInt26=2147483648\r\n";
}

std::vector<std::wstring> IntegerKeys()
{
    std::vector<std::wstring> keys;
    for (int i = 1; i <= 27; ++i)
        keys.push_back(L"Int" + std::to_wstring(i));
    return keys;
}

// Values around the 4095-character limit, bare and in quotes.
std::wstring LongValueCorpus()
{
    std::wstring text = L"[Long]\r\n";
    for (size_t n : {4094u, 4095u, 4096u, 4097u, 5000u}) {
        const std::wstring body(n, L'\u957F');
        text += L"Bare" + std::to_wstring(n) + L"=" + body + L"\r\n";
        text += L"Quoted" + std::to_wstring(n) + L"='" + std::wstring(n - 2, L'x') + L"'\r\n";
        text += L"Spaced" + std::to_wstring(n) + L"=" + std::wstring(n - 1, L'y') + L" \r\n";
    }
    return text;
}

std::vector<std::wstring> LongValueKeys()
{
    std::vector<std::wstring> keys;
    for (size_t n : {4094u, 4095u, 4096u, 4097u, 5000u}) {
        keys.push_back(L"Bare" + std::to_wstring(n));
        keys.push_back(L"Quoted" + std::to_wstring(n));
        keys.push_back(L"Spaced" + std::to_wstring(n));
    }
    return keys;
}

struct Encoding {
    const char* name;
    std::string (*encode)(const std::wstring&);
};

std::string Gbk(const std::wstring& text)
{
    return ToCodePage(text, 936);
}

std::string Utf8WithBom(const std::wstring& text)
{
    return "\xEF\xBB\xBF" + ToUtf8(text);
}

std::string Utf16BeWithBom(const std::wstring& text)
{
    std::string bytes = "\xFE\xFF";
    for (wchar_t c : text) {
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
        bytes.push_back(static_cast<char>(c & 0xFF));
    }
    return bytes;
}

const Encoding kEncodings[] = {
    {"gbk", &Gbk},
    {"utf8bom", &Utf8WithBom},
    {"utf16le", &ToUtf16LeWithBom},
    {"utf16be", &Utf16BeWithBom},
    {"utf8nobom", &ToUtf8},
};

TEST(ProfileAgreement, TheSystemCodePageIsGbk)
{
    // The ANSI cases below are GBK files only when the prefix runs in Chinese.
    EXPECT_EQ(::GetACP(), 936u);
}

TEST(ProfileAgreement, SyntaxInEveryEncoding)
{
    TempDir dir;
    const std::vector<Question> questions = Cross(SyntaxSections(), SyntaxKeys());
    for (const Encoding& encoding : kEncodings) {
        const std::wstring path = dir / (L"syntax-" + FromUtf8(encoding.name) + L".ini");
        WriteFile(path, encoding.encode(SyntaxCorpus()));
        ExpectAgreement(path, questions);
    }
}

TEST(ProfileAgreement, IntegersWithSignsBlanksPrefixesAndTrailingText)
{
    TempDir dir;
    const std::vector<Question> questions = Cross({L"Numbers", L"numbers", L"Nothing"}, IntegerKeys());
    for (const Encoding& encoding : kEncodings) {
        const std::wstring path = dir / (L"numbers-" + FromUtf8(encoding.name) + L".ini");
        WriteFile(path, encoding.encode(IntegerCorpus()));
        ExpectAgreement(path, questions);
    }
}

TEST(ProfileAgreement, ValuesAroundTheLengthLimit)
{
    TempDir dir;
    const std::vector<Question> questions = Cross({L"Long"}, LongValueKeys());
    for (const Encoding& encoding : kEncodings) {
        const std::wstring path = dir / (L"long-" + FromUtf8(encoding.name) + L".ini");
        WriteFile(path, encoding.encode(LongValueCorpus()));
        ExpectAgreement(path, questions);
    }
}

TEST(ProfileAgreement, OddFilesAndMissingOnes)
{
    TempDir dir;
    const std::vector<Question> questions = Cross({L"", L"S", L"s"}, {L"", L"K", L"k", L"Missing"});
    const std::pair<const wchar_t*, std::string> files[] = {
        {L"empty.ini", ""},
        {L"one-byte.ini", "K"},
        {L"bom-only-utf8.ini", "\xEF\xBB\xBF"},
        {L"bom-only-utf16.ini", "\xFF\xFE"},
        {L"no-newline.ini", "[S]\r\nK=last line without end"},
        {L"nul-in-utf16.ini", ToUtf16LeWithBom(L"[S]\r\nK=ab\0cd\r\nk\0x=other\r\n"s)},
        {L"no-section.ini", "K=loose\r\n=nameless\r\n"},
        {L"bad-utf8.ini", "\xEF\xBB\xBF[S]\r\nK=\xC3\x28\xFF end\r\n"},
        {L"gbk-half.ini", "[S]\r\nK=\xD6\xD0\xCE\r\n"},
    };
    for (const auto& [name, bytes] : files) {
        WriteFile(dir / name, bytes);
        ExpectAgreement(dir / name, questions);
    }
    ExpectAgreement(dir / L"missing.ini", questions);
    ExpectAgreement(dir / L"missing-folder\\missing.ini", questions);
}

TEST(ProfileAgreement, AFolderInPlaceOfTheFile)
{
    TempDir dir;
    ::CreateDirectoryW((dir / L"folder.ini").c_str(), nullptr);
    ExpectAgreement(dir / L"folder.ini", Cross({L"S"}, {L"K"}));
}

} // namespace
