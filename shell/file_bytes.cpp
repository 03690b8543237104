#include "shell/file_bytes.h"

bool CFileBytes::Open(const std::wstring& path, DWORD* pError)
{
    m_file.Reset(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!m_file || !::GetFileSizeEx(m_file.Get(), &size)) {
        *pError = ::GetLastError();
        m_file.Reset();
        return false;
    }
    m_size = static_cast<uint64_t>(size.QuadPart);
    return true;
}

bool CFileBytes::Read(uint64_t offset, size_t count, std::string& out) const
{
    if (offset > m_size || count > m_size - offset)
        return false;
    out = ReadUpTo(offset, count);
    return out.size() == count;
}

std::string CFileBytes::ReadUpTo(uint64_t offset, size_t count) const
{
    if (!m_file || offset >= m_size)
        return {};
    if (count > m_size - offset)
        count = static_cast<size_t>(m_size - offset);
    std::string bytes(count, '\0');
    size_t done = 0;
    while (done < count) {
        OVERLAPPED at{};
        const uint64_t position = offset + done;
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        const DWORD chunk = static_cast<DWORD>(count - done < 0x1000000 ? count - done : 0x1000000);
        DWORD got = 0;
        if (!::ReadFile(m_file.Get(), bytes.data() + done, chunk, &got, &at) || got == 0)
            break;
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

uint16_t Le16(const std::string& bytes, size_t offset) noexcept
{
    if (offset > bytes.size() || bytes.size() - offset < 2)
        return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + offset);
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Le32(const std::string& bytes, size_t offset) noexcept
{
    if (offset > bytes.size() || bytes.size() - offset < 4)
        return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + offset);
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
